// CKitControlBar: rows of sizable bars, the caption and its buttons, the
// splitter drag, auto-hide and the profile.
//
// Sections: creation · rows and layout · non-client area · caption buttons
// and splitter · focus · auto-hide · profile
#include "guitk/kit_control_bar.h"

#include <algorithm>
#include <vector>

#include "guitk/kit_auto_hide.h"
#include "guitk/kit_colors.h"
#include "guitk/kit_dock_bar.h"
#include "guitk/kit_dock_context.h"
#include "guitk/kit_mini_frame.h"
#include "guitk/kit_resources.h"

namespace {

constexpr int kHitAutoHide = 323;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT_PTR kAutoHideTimer = 2;
constexpr int kCaptionHoverMs = 100;
// A docked bar lies this far beyond its dock bar on every side.
constexpr int kDockOverlap = 2;
constexpr int kGlyphClose = 6;
constexpr int kGlyphAutoHide = 12;
constexpr int kGlyphAutoHidden = 14;
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);
constexpr int kSlideSteps = 5;
constexpr int kStripThickness = 24;

HFONT CaptionFont(int weight) {
  return ::CreateFontW(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, 1, 2, 1, 0x22, u"Verdana");
}

// The framework's split cursor, or the system's sizing arrow without it.
HCURSOR SplitCursor(UINT id, LPCTSTR fallback) {
  HCURSOR cursor = ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
  return cursor ? cursor : ::LoadCursorW(nullptr, fallback);
}

}  // namespace

IMPLEMENT_DYNAMIC(CKitControlBar, CControlBar)

BEGIN_MESSAGE_MAP(CKitControlBar, CControlBar)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_NCLBUTTONDOWN()
ON_WM_NCRBUTTONDOWN()
ON_WM_NCLBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_NCPAINT()
ON_WM_NCCALCSIZE()
ON_WM_WINDOWPOSCHANGED()
ON_WM_PAINT()
ON_WM_LBUTTONDBLCLK()
ON_WM_NCLBUTTONDBLCLK()
ON_WM_NCHITTEST()
ON_WM_SETCURSOR()
ON_WM_SIZE()
ON_WM_NCMOUSEMOVE()
ON_WM_TIMER()
ON_COMMAND(CKitControlBar::kActivateCommand, OnActivateCommand)
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

// --- creation ---

CString KitFitTitle(CDC* pDC, const CString& title, int room) {
  CString shown = title;
  for (int keep = title.GetLength() - 1; keep >= 1 && pDC->GetTextExtent(shown).cx > room; --keep)
    shown = title.Left(keep) + u"...";
  return shown;
}

CKitControlBar::CKitControlBar() {
  m_clrFace = GetFaceColor(g_kitDrawStyle);
  m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
}

CKitControlBar::~CKitControlBar() = default;

BOOL CKitControlBar::Create(LPCTSTR title, DWORD style, CWnd* parent, UINT id) {
  if (id < kMinBarId) return FALSE;
  m_pParentFrame = parent;
  style |= CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
  m_dwStyle = style & CBRS_ALL;
  LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const DWORD windowStyle = (style & 0xFFFF0000u & ~static_cast<DWORD>(CBRS_GRIPPER)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  return CWnd::CreateEx(0, cls, title, windowStyle, CRect(0, 0, 0, 0), parent, id);
}

LRESULT CKitControlBar::OnCreateMessage(WPARAM, LPARAM lParam) {
  return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
}

int CKitControlBar::OnCreate(LPCREATESTRUCT lpcs) {
  if (CControlBar::OnCreate(lpcs) == -1) return -1;
  if (!m_pDockContext) m_pDockContext = new CKitDockContext(this);
  m_btnClose.SetData(kGlyphClose, u"Close");
  m_btnClose.SetImageList(kKitCaptionGlyphs, 9, 0, kGlyphMask);
  m_btnAutoHide.SetData(kGlyphAutoHide, u"Auto Hide");
  m_btnAutoHide.SetImageList(kKitCaptionGlyphs, 9, 0, kGlyphMask);
  return 0;
}

CDockContext* CKitControlBar::CreateDockContext() { return new CKitDockContext(this); }

CFrameWnd* CKitControlBar::Site() const {
  return m_pDockSite ? m_pDockSite : dynamic_cast<CFrameWnd*>(m_pParentFrame);
}

// --- rows and layout ---

// A row of a dock bar runs between NULL entries; placeholder entries (ids
// of bars that left) lie inside rows and are passed over.
void CKitControlBar::FindRow() {
  m_nIndex = m_nRowFirst = m_nRowLast = -1;
  if (!m_pDockBar) return;
  const CPtrArray& bars = m_pDockBar->m_arrBars;
  m_nIndex = m_pDockBar->FindBar(this);
  if (m_nIndex < 0) return;
  for (int i = m_nIndex; i >= 1 && bars[i] != nullptr; --i) {
    if (m_pDockBar->GetDockedControlBar(i)) m_nRowFirst = i;
  }
  for (int i = m_nIndex; i < bars.GetSize() && bars[i] != nullptr; ++i) {
    if (m_pDockBar->GetDockedControlBar(i)) m_nRowLast = i;
  }
}

int CKitControlBar::RowLength() const {
  if (!m_pDockBar) return 0;
  const CRect& room = m_pDockBar->m_rectLayout;
  return (m_pDockBar->m_dwStyle & CBRS_ORIENT_HORZ) ? room.Width() : room.Height();
}

CSize CKitControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  if (IsFloating()) return m_sizeFloat;
  if (bStretch) return bHorz ? CSize(32767, m_sizeHorz.cy) : CSize(m_sizeVert.cx, 32767);
  const int length = RowLength();
  if (length == 0) return bHorz ? m_sizeHorz : m_sizeVert;
  FindRow();
  if (m_nIndex < 0) return bHorz ? m_sizeHorz : m_sizeVert;

  std::vector<CKitControlBar*> row;
  std::vector<CControlBar*> strangers;
  int thickness = 0;
  for (int i = m_nRowFirst; i <= m_nRowLast; ++i) {
    if (auto* bar = dynamic_cast<CKitControlBar*>(m_pDockBar->GetDockedControlBar(i)))
      thickness = std::max(thickness, static_cast<int>(bHorz ? bar->m_sizeHorz.cy : bar->m_sizeVert.cx));
  }
  int sum = 0;
  for (int i = m_nRowFirst; i <= m_nRowLast; ++i) {
    CControlBar* any = m_pDockBar->GetDockedControlBar(i);
    if (!any || !any->IsVisible()) continue;
    auto* bar = dynamic_cast<CKitControlBar*>(any);
    if (!bar) {
      strangers.push_back(any);
      continue;
    }
    (bHorz ? bar->m_sizeHorz.cy : bar->m_sizeVert.cx) = thickness;
    sum += bHorz ? bar->m_sizeHorz.cx : bar->m_sizeVert.cy;
    row.push_back(bar);
  }
  // Anything but a sizable bar belongs in the outer ring of the same edge.
  if (CFrameWnd* frame = Site()) {
    for (CControlBar* bar : strangers) frame->DockControlBar(bar, KitOuterDockBar(frame, m_pDockBar->m_dwStyle), nullptr);
  }
  if (row.size() == 1) {
    (bHorz ? m_sizeHorz.cx : m_sizeVert.cy) = length;
    return bHorz ? m_sizeHorz : m_sizeVert;
  }
  // One pixel at a time over the bars in turn, so the difference is shared
  // from the first bar on; a bar at the minimum still uses up its step.
  int difference = length - sum;
  const int steps = std::abs(difference);
  for (int step = 0; step < steps && !row.empty(); ++step) {
    CKitControlBar* bar = row[static_cast<size_t>(step) % row.size()];
    LONG& along = bHorz ? bar->m_sizeHorz.cx : bar->m_sizeVert.cy;
    if (difference > 0) ++along;
    else if (along - 1 >= kMinRowLength) --along;
  }
  MoveRow();
  return bHorz ? m_sizeHorz : m_sizeVert;
}

// Each bar of the row starts where the previous one ended, at its own
// length; across the row it stays where it is.
void CKitControlBar::MoveRow() {
  if (!m_pDockBar || m_nRowFirst < 0) return;
  const bool horz = (m_pDockBar->m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  HDWP dwp = ::BeginDeferWindowPos(m_nRowLast - m_nRowFirst + 1);
  int along = 0;
  for (int i = m_nRowFirst; i <= m_nRowLast; ++i) {
    auto* bar = dynamic_cast<CKitControlBar*>(m_pDockBar->GetDockedControlBar(i));
    if (!bar || !bar->IsVisible()) continue;
    CRect rect;
    bar->GetWindowRect(&rect);
    m_pDockBar->ScreenToClient(&rect);
    const int length = horz ? bar->m_sizeHorz.cx : bar->m_sizeVert.cy;
    if (horz) rect = CRect(along, rect.top, along + length, rect.bottom);
    else rect = CRect(rect.left, along, rect.right, along + length);
    along += length;
    if (dwp) dwp = ::DeferWindowPos(dwp, bar->m_hWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (dwp) ::EndDeferWindowPos(dwp);
}

CSize CKitControlBar::CalcDynamicLayout(int nLength, DWORD dwMode) {
  CWnd* floatingFrame = IsFloating() && m_pDockBar ? m_pDockBar->GetParent() : nullptr;
  if (floatingFrame && !m_bAutoHidden) floatingFrame->ModifyStyle(MFS_4THICKFRAME, 0);
  if (dwMode & (LM_HORZDOCK | LM_VERTDOCK)) {
    if (CFrameWnd* frame = Site()) frame->m_nIdleFlags |= CFrameWnd::idleLayout | CFrameWnd::idleNotify;
    if (!m_bAutoHidden && !m_bFrameChanging)
      SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return CControlBar::CalcDynamicLayout(nLength, dwMode);
  }
  if (!m_bAutoHidden && (dwMode & (LM_MRUWIDTH | LM_COMMIT))) return m_sizeFloat;
  if (!m_bAutoHidden && floatingFrame && m_pDockContext && m_pDockContext->m_nHitTest >= HTLEFT &&
      m_pDockContext->m_nHitTest <= HTBOTTOMRIGHT) {
    CRect frame;
    floatingFrame->GetWindowRect(&frame);
    CPoint cursor;
    ::GetCursorPos(&cursor);
    const int h = ::GetSystemMetrics(SM_CYSMCAPTION);
    auto atLeast = [](int v) { return std::max(v, kMinFloating); };
    CSize& s = m_sizeFloat;
    switch (m_pDockContext->m_nHitTest) {
      case HTLEFT: s = CSize(atLeast(frame.right - cursor.x) - 4, atLeast(frame.bottom - h - frame.top - 5) + 2); break;
      case HTRIGHT: s = CSize(atLeast(cursor.x - frame.left - 4), atLeast(frame.bottom - h - frame.top - 3)); break;
      case HTTOP: s = CSize(atLeast(frame.right - frame.left - 2) - 4, atLeast(frame.bottom - h - cursor.y - 3)); break;
      case HTTOPLEFT: s = CSize(atLeast(frame.right - cursor.x) - 3, atLeast(frame.bottom - h - cursor.y) - 2); break;
      case HTTOPRIGHT: s = CSize(atLeast(cursor.x - frame.left) - 4, atLeast(frame.bottom - h - cursor.y) - 2); break;
      case HTBOTTOM: s = CSize(atLeast(frame.right - frame.left - 2) - 4, atLeast(cursor.y - h - frame.top - 3)); break;
      case HTBOTTOMLEFT: s = CSize(atLeast(frame.right - cursor.x) - 4, atLeast(cursor.y - h - frame.top) - 2); break;
      default: s = CSize(atLeast(cursor.x - frame.left), atLeast(cursor.y - h - frame.top)); break;
    }
    // A floating bar never gets smaller than 32 x 32, whatever the corrections.
    s.cx = atLeast(s.cx);
    s.cy = atLeast(s.cy);
    return s;
  }
  if (!m_bAutoHidden) {
    (dwMode & LM_LENGTHY ? m_sizeFloat.cy : m_sizeFloat.cx) = std::max(nLength, kMinFloating);
    return m_sizeFloat;
  }
  CFrameWnd* frame = Site();
  if (m_dwAutoHideSide & CBRS_ORIENT_VERT) {
    if (CDockBar* outer = KitOuterDockBar(frame, m_dwAutoHideSide)) {
      CRect r;
      outer->GetWindowRect(&r);
      m_sizeFloat.cy = r.Height();
    }
  } else if (CDockBar* inner = KitInnerDockBar(frame, m_dwAutoHideSide)) {
    CRect r;
    inner->GetWindowRect(&r);
    m_sizeFloat.cx = r.Width();
  }
  return m_sizeFloat;
}

void CKitControlBar::OnWindowPosChanged(WINDOWPOS* lpwndpos) {
  CWnd::OnWindowPosChanged(lpwndpos);
  if (CWnd* parent = GetParent()) {
    m_nDockPos = static_cast<UINT>(parent->GetDlgCtrlID());
    if (m_nDockPos != AFX_IDW_DOCKBAR_FLOAT) m_nLastDockPos = m_nDockPos;
  }
  // The non-client area follows the dock position: once per change.
  if (!m_bFrameChanging) {
    m_bFrameChanging = TRUE;
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    m_bFrameChanging = FALSE;
  }
  CRect client;
  GetClientRect(&client);
  SizeChild(client.Width(), client.Height());
}

void CKitControlBar::OnSize(UINT, int cx, int cy) { SizeChild(cx, cy); }

void CKitControlBar::SizeChild(int cx, int cy) {
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
    if (m_bSingleChild && !child->IsWindowVisible()) continue;
    child->MoveWindow(0, 0, cx, cy);
    if (m_bSingleChild) break;
  }
}

void CKitControlBar::OnPaint() {
  // Validating through a paint DC also brings the non-client paint due.
  { CPaintDC dc(this); }
  if (CFrameWnd* frame = Site(); frame && m_pDockBar && !m_pDockBar->m_bFloating) frame->DelayRecalcLayout();
}

// --- non-client area ---

void CKitControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
  RECT& r = lpncsp->rgrc[0];
  const bool plainFloating = IsFloating() && !m_bAutoHidden;
  r.left += plainFloating ? 2 : 5;
  r.top += plainFloating ? 3 : m_nCaptionHeight + 3;
  r.right -= m_nDockPos == AFX_IDW_DOCKBAR_RIGHT ? 2 : m_nDockPos == AFX_IDW_DOCKBAR_LEFT ? 5 : 3;
  r.bottom -= plainFloating ? 2 : 3;
  // The edge that faces the panes is the one a user drags; its dock bar hides
  // the bar's outer 2 pixels, so the border there keeps a whole splitter band
  // in sight (a panel filling the client area would take the press instead).
  const LONG inner = kSplitterBand + kDockOverlap;
  switch (m_nDockPos) {
    case AFX_IDW_DOCKBAR_TOP: r.bottom = std::min<LONG>(r.bottom, r.bottom + 3 - inner); break;
    case AFX_IDW_DOCKBAR_LEFT: r.right = std::min<LONG>(r.right, r.right + 5 - inner); break;
    case AFX_IDW_DOCKBAR_RIGHT: r.left = std::max<LONG>(r.left, r.left - 5 + inner); break;
    default: break;
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
}

void CKitControlBar::OnNcPaint() {
  m_clrFace = GetFaceColor(g_kitDrawStyle);
  KitPaintNonClient(this, [&](CDC* dc, const CRect& window) {
    dc->FillSolidRect(&window, m_clrFace);
    CRect rect = window;
    if (!(IsFloating() && !m_bAutoHidden)) DrawCaption(dc, rect);
  });
}

void CKitControlBar::DrawCaption(CDC* pDC, CRect& windowRect) {
  const int style = g_kitDrawStyle;
  const int rightInset = m_nDockPos == AFX_IDW_DOCKBAR_LEFT ? 6 : 3;
  CRect caption(4, 3, windowRect.Width() - rightInset, style == kKitStyleGradient ? m_nCaptionHeight + 4 : m_nCaptionHeight);
  const BOOL active = m_bCaptionActive || (IsFloating() && !m_bAutoHidden);
  if (style == kKitStyleGradient) {
    CKitGradient gradient(caption.Width(), caption.Height());
    if (active) gradient.DrawActiveCaption(pDC, style, false);
    else gradient.DrawCaptionGradient(pDC, style, m_clrFace);
    gradient.CopyTo(pDC, caption.left, caption.top, caption.Width(), caption.Height(), 0, 0);
    for (int y = caption.top + 5; y <= caption.bottom - 4; y += 4) {
      pDC->FillSolidRect(caption.left + 5, y, 2, 2, ::GetSysColor(COLOR_BTNHIGHLIGHT));
      pDC->FillSolidRect(caption.left + 7, y, 2, 2, GetShadowColor(style));
    }
  } else if (active) {
    pDC->FillSolidRect(&caption, ::GetSysColor(COLOR_ACTIVECAPTION));
  } else {
    pDC->Draw3dRect(&caption, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNSHADOW));
  }

  // The title, shortened from the original one character at a time, each
  // try with "..." after it, until it fits or one character is left.
  CString title;
  GetWindowText(title);
  HFONT font = CaptionFont(FW_NORMAL);
  HGDIOBJ oldFont = ::SelectObject(pDC->m_hDC, font);
  const CString shown = KitFitTitle(pDC, title, caption.Width() - 30);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(active && style == kKitStyleFlat ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNTEXT));
  pDC->TextOut(caption.left + 8, 6, shown);
  ::SelectObject(pDC->m_hDC, oldFont);
  ::DeleteObject(font);

  PlaceButtons(windowRect.Width());
  const BOOL white = active && style != kKitStyleGradient;
  m_btnAutoHide.m_nImage = m_bAutoHidden ? kGlyphAutoHidden : kGlyphAutoHide;
  m_btnClose.Paint(pDC, m_nCloseState, m_rectClose, CKitCaptionButton::kNoFill, white, m_clrFace);
  m_btnAutoHide.Paint(pDC, m_nAutoHideState, m_rectAutoHide, CKitCaptionButton::kNoFill, white, m_clrFace);
}

// The caption buttons' rectangles for a window width; the hit test places
// them again, so a bar sized since its last paint still finds them.
void CKitControlBar::PlaceButtons(int windowWidth) {
  if (IsFloating() && !m_bAutoHidden) {
    m_rectClose.SetRectEmpty();
    m_rectAutoHide.SetRectEmpty();
    return;
  }
  // Measured from the window's right edge, whichever side the bar docks on:
  // the narrower caption of a left-docked bar still ends past the button.
  const int right = windowWidth;
  m_rectClose = CRect(right - 20, 6, right - 7, 19);
  m_rectAutoHide = m_rectClose;
  m_rectAutoHide.OffsetRect(-14, 0);
}

DWORD CKitControlBar::Side() const {
  return m_bAutoHidden ? KitInnerDockId(m_dwAutoHideSide) : m_nDockPos;
}

BOOL CKitControlBar::EdgeAllowed(int hit) const {
  const UINT side = Side();
  const bool horz = side == AFX_IDW_DOCKBAR_TOP || side == AFX_IDW_DOCKBAR_BOTTOM;
  const bool vert = side == AFX_IDW_DOCKBAR_LEFT || side == AFX_IDW_DOCKBAR_RIGHT;
  const int pos = m_nIndex, first = m_nRowFirst, last = m_nRowLast;
  switch (hit) {
    case HTLEFT:
      return (horz && pos >= 1 && pos != last && pos != first) || (vert && pos <= last && side == AFX_IDW_DOCKBAR_RIGHT);
    case HTRIGHT:
      return (vert && pos <= last && side == AFX_IDW_DOCKBAR_LEFT) || (horz && pos >= 1 && pos != last);
    case HTTOP:
      return (vert && pos != first) || (horz && pos <= last && side == AFX_IDW_DOCKBAR_BOTTOM);
    case HTBOTTOM:
      return (pos != last && pos != first && horz && side == AFX_IDW_DOCKBAR_BOTTOM) ||
             (horz && pos <= last && side == AFX_IDW_DOCKBAR_TOP);
    default:
      return FALSE;
  }
}

LRESULT CKitControlBar::OnNcHitTest(CPoint point) {
  CRect window;
  GetWindowRect(&window);
  const CPoint at = point - window.TopLeft();
  PlaceButtons(window.Width());
  if (m_rectClose.PtInRect(at)) return HTCLOSE;
  if (m_rectAutoHide.PtInRect(at)) return kHitAutoHide;
  if (m_pDockBar && (!IsFloating() || m_bAutoHidden)) {
    FindRow();
    // A docked bar lies 2 pixels beyond its dock bar on each side, where the
    // dock bar cuts it off: the edge bands are measured from what shows, or
    // the inner edge would leave the pointer a band of 2 pixels to find.
    CRect shown = window;
    if (CWnd* parent = GetParent()) {
      CRect room;
      parent->GetWindowRect(&room);
      if (!shown.IntersectRect(&window, &room)) shown = window;
    }
    shown.OffsetRect(-window.left, -window.top);
    const int w = window.Width(), h = window.Height();
    const struct {
      int hit;
      CRect band;
    } edges[] = {
        {HTLEFT, CRect(shown.left, 0, shown.left + kSplitterBand, h)},
        {HTTOP, CRect(0, shown.top, w, shown.top + kSplitterBand)},
        {HTRIGHT, CRect(shown.right - kSplitterBand, 0, shown.right, h)},
        {HTBOTTOM, CRect(0, shown.bottom - kSplitterBand, w, shown.bottom)},
    };
    for (const auto& edge : edges) {
      m_rectSplitter = edge.band;
      if (edge.band.PtInRect(at) && EdgeAllowed(edge.hit)) return m_nHitCode = edge.hit;
    }
  }
  // A floating bar's caption band is the strip above its panel, which takes
  // its own hit tests below it.
  if (at.y >= 0 && at.y < m_nCaptionHeight) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return m_nHitCode = HTCAPTION;
  }
  return m_nHitCode = static_cast<int>(Default());
}

BOOL CKitControlBar::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (IsFloating() && !m_bAutoHidden) return FALSE;
  if (nHitTest == HTLEFT || nHitTest == HTRIGHT) {
    ::SetCursor(SplitCursor(AFX_IDC_HSPLITBAR, IDC_SIZEWE));
    return TRUE;
  }
  if (nHitTest == HTTOP || nHitTest == HTBOTTOM) {
    ::SetCursor(SplitCursor(AFX_IDC_VSPLITBAR, IDC_SIZENS));
    return TRUE;
  }
  return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

// --- caption buttons and splitter ---

void CKitControlBar::OnNcMouseMove(UINT nHitTest, CPoint) {
  if (nHitTest == HTCLOSE && m_nCloseState == CKitCaptionButton::Normal) {
    m_nCloseState = CKitCaptionButton::Hot;
    SetTimer(kCloseTimer, kCaptionHoverMs, nullptr);
  } else if (static_cast<int>(nHitTest) == kHitAutoHide && m_nAutoHideState == CKitCaptionButton::Normal) {
    m_nAutoHideState = CKitCaptionButton::Hot;
    SetTimer(kAutoHideTimer, kCaptionHoverMs, nullptr);
  }
  SendMessageW(WM_NCPAINT, 0, 0);
}

void CKitControlBar::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kCloseTimer && nIDEvent != kAutoHideTimer) {
    CControlBar::OnTimer(nIDEvent);
    return;
  }
  CPoint cursor;
  ::GetCursorPos(&cursor);
  CRect window;
  GetWindowRect(&window);
  cursor -= window.TopLeft();
  const bool close = nIDEvent == kCloseTimer;
  if ((close ? m_rectClose : m_rectAutoHide).PtInRect(cursor)) return;
  (close ? m_nCloseState : m_nAutoHideState) = CKitCaptionButton::Normal;
  KillTimer(nIDEvent);
  SendMessageW(WM_NCPAINT, 0, 0);
}

void CKitControlBar::OnNcLButtonDown(UINT nHitTest, CPoint point) {
  if (m_bDragging) return;
  m_ptDragStart = m_ptDragLast = point;
  const int hit = static_cast<int>(nHitTest);
  if (hit == HTCAPTION || hit == HTCLOSE || hit == kHitAutoHide) Activate();
  if (hit == HTCLOSE) m_nCloseState = CKitCaptionButton::Pressed;
  if (hit == kHitAutoHide) m_nAutoHideState = CKitCaptionButton::Pressed;
  if (hit == HTCLOSE || hit == kHitAutoHide) SendMessageW(WM_NCPAINT, 0, 0);
  if (!m_pDockBar) return;
  if (hit == HTCAPTION && !m_bAutoHidden) {
    m_sizeHorzStart = m_sizeHorz;
    m_sizeVertStart = m_sizeVert;
    if (m_pDockContext) m_pDockContext->StartDrag(point);
    return;
  }
  CRect window;
  GetWindowRect(&window);
  if (hit >= HTLEFT && hit <= HTBOTTOM && m_rectSplitter.PtInRect(CPoint(point - window.TopLeft()))) {
    CFrameWnd* site = Site();
    if (site) ::LockWindowUpdate(site->m_hWnd);
    m_nHitCode = hit;
    CRect band = m_rectSplitter;
    band.OffsetRect(window.TopLeft());
    if (site) site->ScreenToClient(&band);
    m_rectTracker.SetRectEmpty();
    TrackerAt(band);
    SetCapture();
    SetFocus();
    m_sizeHorzStart = m_sizeHorz;
    m_sizeVertStart = m_sizeVert;
    m_bDragging = TRUE;
  }
}

// Inverts the band on the dock site's window; drawing the same band again
// puts the screen back as it was.
void CKitControlBar::TrackerAt(const CRect& band) {
  CFrameWnd* site = Site();
  if (!site) return;
  HDC hdc = ::GetDCEx(site->m_hWnd, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  if (!hdc) return;
  // Window coordinates of the site: its client origin lies inside the frame.
  CRect windowRect, clientRect;
  site->GetWindowRect(&windowRect);
  clientRect = CRect(0, 0, 0, 0);
  site->ClientToScreen(&clientRect);
  const CPoint offset = clientRect.TopLeft() - windowRect.TopLeft();
  HGDIOBJ old = ::SelectObject(hdc, ::GetStockObject(WHITE_BRUSH));
  if (!m_rectTracker.IsRectEmpty())
    ::PatBlt(hdc, m_rectTracker.left + offset.x, m_rectTracker.top + offset.y, m_rectTracker.Width(), m_rectTracker.Height(), PATINVERT);
  m_rectTracker = band;
  if (!band.IsRectEmpty()) ::PatBlt(hdc, band.left + offset.x, band.top + offset.y, band.Width(), band.Height(), PATINVERT);
  ::SelectObject(hdc, old);
  ::ReleaseDC(site->m_hWnd, hdc);
}

void CKitControlBar::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bDragging) {
    CControlBar::WindowProc(WM_MOUSEMOVE, nFlags, MAKELPARAM(point.x, point.y));
    return;
  }
  if (::GetCapture() != m_hWnd) {
    TrackerAt(CRect());
    m_bDragging = FALSE;
    ::LockWindowUpdate(nullptr);
    return;
  }
  CFrameWnd* site = Site();
  CPoint screen = point;
  ClientToScreen(&screen);
  m_ptDragLast = screen;
  CRect band = m_rectTracker;
  if (site) site->ScreenToClient(&screen);
  if (m_nHitCode == HTLEFT || m_nHitCode == HTRIGHT) band = CRect(screen.x, band.top, screen.x + kSplitterBand, band.bottom);
  else band = CRect(band.left, screen.y, band.right, screen.y + kSplitterBand);
  TrackerAt(band);
}

void CKitControlBar::OnLButtonDown(UINT nFlags, CPoint point) {
  if (!m_pDockBar || m_pDockBar->m_bFloating) CControlBar::OnLButtonDown(nFlags, point);
}

void CKitControlBar::OnRButtonDown(UINT nFlags, CPoint point) {
  if (!m_pDockBar || m_pDockBar->m_bFloating) {
    CWnd::OnRButtonDown(nFlags, point);
    return;
  }
  if (::GetCapture()) ::ReleaseCapture();
  ::LockWindowUpdate(nullptr);
}

void CKitControlBar::OnLButtonUp(UINT nFlags, CPoint point) {
  if (!m_bDragging) {
    CWnd::OnLButtonUp(nFlags, point);
    return;
  }
  m_bDragging = FALSE;
  ::ReleaseCapture();
  TrackerAt(CRect());
  ::LockWindowUpdate(nullptr);
  CPoint screen = point;
  ClientToScreen(&screen);
  if (screen == m_ptDragStart) return;
  EndSplitterDrag(point);
}

void CKitControlBar::EndSplitterDrag(CPoint release) {
  CFrameWnd* site = Site();
  CPoint screen = release;
  ClientToScreen(&screen);
  FindRow();
  const UINT side = Side();
  const int minimum = m_nMinSize[0];
  if (m_bAutoHidden) {
    CRect frameClient;
    if (site) site->GetClientRect(&frameClient);
    CSize size = m_sizeAutoHide;
    const int moved = (m_dwAutoHideSide & CBRS_ORIENT_VERT) ? screen.x - m_ptDragStart.x : screen.y - m_ptDragStart.y;
    if (m_dwAutoHideSide == CBRS_ALIGN_LEFT) size.cx = release.x + 8;
    else if (m_dwAutoHideSide == CBRS_ALIGN_TOP) size.cy = release.y + 25;
    else if (m_dwAutoHideSide == CBRS_ALIGN_RIGHT) size.cx -= moved;
    else size.cy -= moved;
    const int extent = (m_dwAutoHideSide & CBRS_ORIENT_VERT) ? size.cx : size.cy;
    const int limit = (m_dwAutoHideSide & CBRS_ORIENT_VERT) ? frameClient.Width() - 100 : frameClient.Height() - 100;
    if (extent > 20 && extent < limit) {
      m_sizeAutoHide = size;
      m_sizeFloat = size;
    }
    if (site) site->RecalcLayout();
    return;
  }
  const bool betweenInColumn = m_nHitCode == HTTOP && IsVertDocked() && m_nIndex != m_nRowFirst;
  const bool betweenInRow = m_nHitCode == HTRIGHT && IsHorzDocked() && m_nIndex != m_nRowLast;
  if (betweenInColumn || betweenInRow) {
    const int d = betweenInColumn ? m_ptDragStart.y - screen.y : screen.x - m_ptDragStart.x;
    MoveBoundary(betweenInColumn ? (d > 0 ? d + 4 : d) : d);
  } else if (m_nHitCode == HTLEFT && side == AFX_IDW_DOCKBAR_RIGHT) {
    m_sizeVert.cx = std::max<LONG>(m_sizeVert.cx - release.x, minimum);
  } else if (m_nHitCode == HTRIGHT && side == AFX_IDW_DOCKBAR_LEFT) {
    m_sizeVert.cx = std::max<LONG>(release.x, minimum);
  } else if (m_nHitCode == HTTOP && side == AFX_IDW_DOCKBAR_BOTTOM) {
    m_sizeHorz.cy = std::max<LONG>(m_sizeHorz.cy - release.y - 12, minimum);
  } else if (m_nHitCode == HTBOTTOM && side == AFX_IDW_DOCKBAR_TOP) {
    // A release above the bar would make the size negative: it stops at the minimum.
    m_sizeHorz.cy = std::max<LONG>(release.y, minimum);
  }
  if (m_pDockBar && m_nRowFirst >= 0) {
    for (int i = m_nRowFirst; i <= m_nRowLast; ++i) {
      auto* bar = dynamic_cast<CKitControlBar*>(m_pDockBar->GetDockedControlBar(i));
      if (!bar) continue;
      if (IsHorzDocked()) bar->m_sizeHorz.cy = m_sizeHorz.cy;
      else bar->m_sizeVert.cx = m_sizeVert.cx;
    }
  }
  if (site) site->RecalcLayout();
}

// Moves the boundary after this bar (row) or before it (column) by delta:
// this bar grows by delta, its neighbours across the edge give it back,
// nearest first, none below its minimum.
void CKitControlBar::MoveBoundary(int delta) {
  const bool column = IsVertDocked();
  const int minimum = column ? m_nMinSize[1] : m_nMinSize[2];
  auto lengthOf = [column](CKitControlBar* bar) -> LONG& { return column ? bar->m_sizeVert.cy : bar->m_sizeHorz.cx; };
  std::vector<CKitControlBar*> neighbours;
  if (column) {
    for (int i = m_nIndex - 1; i >= m_nRowFirst; --i)
      if (auto* bar = dynamic_cast<CKitControlBar*>(m_pDockBar->GetDockedControlBar(i)); bar && bar->IsVisible()) neighbours.push_back(bar);
  } else {
    for (int i = m_nIndex + 1; i <= m_nRowLast; ++i)
      if (auto* bar = dynamic_cast<CKitControlBar*>(m_pDockBar->GetDockedControlBar(i)); bar && bar->IsVisible()) neighbours.push_back(bar);
  }
  // What this bar may give when it shrinks, and what its neighbours may give when it grows.
  if (delta < 0) delta = -std::min<int>(-delta, std::max<int>(0, lengthOf(this) - minimum));
  int owed = delta;
  for (CKitControlBar* bar : neighbours) {
    if (owed == 0) break;
    LONG& length = lengthOf(bar);
    if (owed > 0) {
      const int take = std::min<int>(owed, std::max<int>(0, length - minimum));
      length -= take;
      owed -= take;
    } else {
      length -= owed;
      owed = 0;
    }
  }
  lengthOf(this) += delta - owed;
  MoveRow();
}

void CKitControlBar::OnNcLButtonUp(UINT nHitTest, CPoint) {
  const int hit = static_cast<int>(nHitTest);
  CFrameWnd* site = Site();
  if (hit == HTCLOSE && m_nCloseState == CKitCaptionButton::Pressed) {
    m_nCloseState = CKitCaptionButton::Normal;
    KillTimer(kCloseTimer);
    if (m_bAutoHidden) LeaveAutoHide();
    if (site) site->ShowControlBar(this, FALSE, FALSE);
  } else if (hit == kHitAutoHide && m_nAutoHideState == CKitCaptionButton::Pressed) {
    m_nAutoHideState = CKitCaptionButton::Normal;
    KillTimer(kAutoHideTimer);
    if (m_bAutoHidden) LeaveAutoHide();
    else if (m_pDockBar && !m_pDockBar->m_bFloating) EnterAutoHide();
  }
  if (::IsWindow(m_hWnd)) SendMessageW(WM_NCPAINT, 0, 0);
  if (site) site->RecalcLayout();
}

void CKitControlBar::OnNcRButtonDown(UINT, CPoint point) {
  if (m_nMenuId == 0) return;
  CMenu menu;
  if (!menu.LoadMenu(m_nMenuId)) return;
  if (CMenu* popup = menu.GetSubMenu(0)) {
    CWnd* owner = AfxGetApp() && AfxGetApp()->m_pMainWnd ? AfxGetApp()->m_pMainWnd : Site();
    popup->TrackPopupMenu(0x40, point.x, point.y - 2, owner);
  }
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

void CKitControlBar::OnLButtonDblClk(UINT nFlags, CPoint point) {
  if (!m_pDockBar || m_pDockBar->m_bFloating) {
    CWnd::OnLButtonDblClk(nFlags, point);
    return;
  }
  Activate();
}

void CKitControlBar::OnNcLButtonDblClk(UINT, CPoint) {
  if (!m_pDockBar || m_pDockBar->m_bFloating || m_bAutoHidden || !m_pDockContext) return;
  m_pDockContext->ToggleDocking();
  m_rectSecond.SetRectEmpty();
}

void CKitControlBar::OnSysColorChange() {
  m_clrFace = GetFaceColor(g_kitDrawStyle);
  Default();
}

// --- focus ---

void CKitControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {
  HWND focus = ::GetFocus();
  m_bHasFocus = focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
  if (!m_bCaptionActive && m_bHasFocus) RefreshCaptions(TRUE);
}

void CKitControlBar::OnActivateCommand() {
  Activate();
  SendMessageW(WM_NCPAINT, 0, 0);
}

void CKitControlBar::Activate() {
  HWND focus = ::GetFocus();
  if (!(focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus)))) SetFocus();
  RefreshCaptions(TRUE);
}

// This bar's caption active, every other sizable bar's inactive; the bars
// of floating frames only count while this bar is auto-hidden.
void CKitControlBar::RefreshCaptions(BOOL) {
  CFrameWnd* site = Site();
  if (!site || m_bRefreshingCaptions) return;
  m_bRefreshingCaptions = TRUE;
  std::vector<CKitControlBar*> bars;
  for (POSITION pos = site->m_listControlBars.GetHeadPosition(); pos;) {
    auto* dock = dynamic_cast<CDockBar*>(static_cast<CControlBar*>(site->m_listControlBars.GetNext(pos)));
    if (!dock || !dock->IsWindowVisible() || (dock->m_bFloating && !m_bAutoHidden)) continue;
    for (int i = 0; i < dock->m_arrBars.GetSize(); ++i) {
      auto* bar = dynamic_cast<CKitControlBar*>(dock->GetDockedControlBar(i));
      if (bar && bar->IsWindowVisible()) bars.push_back(bar);
    }
  }
  m_bCaptionActive = TRUE;
  for (CKitControlBar* bar : bars) {
    bar->m_bCaptionActive = bar == this;
    bar->SendMessageW(WM_NCPAINT, 0, 0);
  }
  m_bRefreshingCaptions = FALSE;
}

// --- auto-hide ---

namespace {

DWORD SideOfDockPos(UINT dockPos) {
  switch (dockPos) {
    case AFX_IDW_DOCKBAR_RIGHT: return CBRS_ALIGN_RIGHT;
    case AFX_IDW_DOCKBAR_LEFT: return CBRS_ALIGN_LEFT;
    case AFX_IDW_DOCKBAR_TOP: return CBRS_ALIGN_TOP;
    default: return CBRS_ALIGN_BOTTOM;
  }
}

void SetFloatingCaption(CControlBar* bar, BOOL on) {
  if (!bar->m_pDockBar || !bar->m_pDockBar->m_bFloating) return;
  if (CWnd* frame = bar->m_pDockBar->GetParent())
    frame->ModifyStyle(on ? 0 : WS_CAPTION, on ? WS_CAPTION : 0, SWP_FRAMECHANGED);
}

}  // namespace

void CKitControlBar::EnterAutoHide() {
  CFrameWnd* frame = Site();
  if (!frame || m_bAutoHidden) return;
  m_sizeSaved = m_sizeFloat;
  m_nCloseState = CKitCaptionButton::Normal;
  m_bAutoHidden = TRUE;
  KillTimer(kCloseTimer);
  m_dwAutoHideSide = SideOfDockPos(m_nDockPos);
  if (CKitAutoHideStrip* strip = KitFindStrip(frame, m_dwAutoHideSide)) strip->AddBar(this);
  frame->ShowControlBar(this, FALSE, FALSE);
  frame->FloatControlBar(this, CPoint(400, 400), CBRS_ALIGN_TOP);
  SetFloatingCaption(this, FALSE);
  frame->RecalcLayout();
}

void CKitControlBar::LeaveAutoHide() {
  CFrameWnd* frame = Site();
  if (!frame || !m_bAutoHidden) return;
  m_sizeFloat = m_sizeSaved;
  m_bAutoHidden = FALSE;
  SetFloatingCaption(this, TRUE);
  const DWORD side = m_dwAutoHideSide;
  if (CKitAutoHideStrip* strip = KitFindStrip(frame, side)) strip->RemoveBar(this);
  frame->DockControlBar(this, KitInnerDockBar(frame, side), nullptr);
  frame->ShowControlBar(this, TRUE, FALSE);
  m_dwAutoHideSide = 0;
  frame->RecalcLayout();
}

void CKitControlBar::Slide(BOOL out) {
  CFrameWnd* frame = Site();
  CWnd* floating = m_pDockBar && m_pDockBar->m_bFloating ? m_pDockBar->GetParent() : nullptr;
  if (!frame || !floating) return;
  const bool across = (m_dwAutoHideSide & CBRS_ORIENT_VERT) != 0;
  const int full = across ? m_sizeAutoHide.cx : m_sizeAutoHide.cy;
  m_nSlideStep = std::max(1, full / kSlideSteps);
  CRect outer, inner;
  if (CDockBar* dock = KitOuterDockBar(frame, m_dwAutoHideSide)) dock->GetWindowRect(&outer);
  if (CDockBar* dock = KitInnerDockBar(frame, m_dwAutoHideSide)) dock->GetWindowRect(&inner);
  m_bSlideDone = FALSE;
  for (int step = 1; step <= kSlideSteps; ++step) {
    const int extent = out ? (step == kSlideSteps ? full : m_nSlideStep * step) : full - m_nSlideStep * step;
    CRect place;
    switch (m_dwAutoHideSide) {
      case CBRS_ALIGN_LEFT: place = CRect(CPoint(outer.right + kStripThickness, outer.top), CSize(extent, outer.Height() - kStripThickness)); break;
      case CBRS_ALIGN_RIGHT: place = CRect(CPoint(outer.left - extent - 26, outer.top), CSize(extent, outer.Height() - kStripThickness)); break;
      case CBRS_ALIGN_TOP: place = CRect(CPoint(inner.left, outer.bottom + 26), CSize(inner.Width(), extent)); break;
      default: place = CRect(CPoint(inner.left, outer.top - extent - 26), CSize(inner.Width(), extent)); break;
    }
    (across ? m_sizeFloat.cx : m_sizeFloat.cy) = std::max(extent, 0);
    floating->SetWindowPos(nullptr, place.left, place.top, place.Width(), place.Height(), SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    if (auto* mini = dynamic_cast<CFrameWnd*>(floating)) mini->RecalcLayout();
    if (out || step < kSlideSteps) {
      floating->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
      if (!IsWindowVisible()) ShowWindow(SW_SHOWNA);
    }
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    if (!out) {
      frame->RecalcLayout();
      frame->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
  }
  m_bSlideDone = TRUE;
  m_sizeFloat = m_sizeAutoHide;
  if (!out) floating->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

// --- profile ---

namespace {

CString SizeSection(LPCTSTR base, UINT id) {
  CString section;
  section.Format(u"%s-Bar%d", base, static_cast<int>(id));
  return section;
}

}  // namespace

void CKitControlBar::LoadBarSizeState(LPCTSTR profileBase) {
  CWinApp* app = AfxGetApp();
  CFrameWnd* frame = Site();
  if (!app || !frame) return;
  // A bar still auto-hidden from before leaves auto-hide first, so that the
  // state read below never gives it a second tab.
  if (m_bAutoHidden) LeaveAutoHide();
  const CString section = SizeSection(profileBase, static_cast<UINT>(GetDlgCtrlID()));
  m_sizeHorz.cx = static_cast<int>(app->GetProfileInt(section, u"sizeHorz.cx", 200));
  m_sizeHorz.cy = static_cast<int>(app->GetProfileInt(section, u"sizeHorz.cy", 100));
  m_sizeVert.cx = static_cast<int>(app->GetProfileInt(section, u"sizeVert.cx", 200));
  m_sizeVert.cy = static_cast<int>(app->GetProfileInt(section, u"sizeVert.cy", 100));
  const UINT autoHide = app->GetProfileInt(section, u"AutoHide", 0);
  m_dwAutoHideSide = app->GetProfileInt(section, u"Aling", 0) & CBRS_ALIGN_ANY;
  if (autoHide == 0) {
    m_dwAutoHideSide = 0;
    return;
  }
  if (autoHide != 1 || m_dwAutoHideSide == 0) {
    m_bFirstPlacement = FALSE;
    m_dwAutoHideSide = 0;
    return;
  }
  m_bAutoHidden = TRUE;
  m_sizeSaved = m_sizeFloat;
  m_nCloseState = CKitCaptionButton::Normal;
  KillTimer(kCloseTimer);
  frame->FloatControlBar(this, CPoint(400, 400), CBRS_ALIGN_TOP);
  if (CKitAutoHideStrip* strip = KitFindStrip(frame, m_dwAutoHideSide)) strip->AddBar(this);
  frame->ShowControlBar(this, FALSE, FALSE);
  frame->FloatControlBar(this, CPoint(400, 400), CBRS_ALIGN_TOP);
  SetFloatingCaption(this, FALSE);
}

void CKitControlBar::SaveBarSizeState(LPCTSTR profileBase) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  const CString section = SizeSection(profileBase, static_cast<UINT>(GetDlgCtrlID()));
  app->WriteProfileString(section, nullptr, nullptr);
  app->WriteProfileInt(section, u"sizeHorz.cx", m_sizeHorz.cx);
  app->WriteProfileInt(section, u"sizeHorz.cy", m_sizeHorz.cy);
  app->WriteProfileInt(section, u"sizeVert.cx", m_sizeVert.cx);
  app->WriteProfileInt(section, u"sizeVert.cy", m_sizeVert.cy);
  app->WriteProfileInt(section, u"AutoHide", m_bAutoHidden);
  app->WriteProfileInt(section, u"Aling", static_cast<int>(m_dwAutoHideSide));
}

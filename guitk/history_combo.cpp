// The history combo and the caption strip.
#include "guitk/history_combo.h"

#include <algorithm>

#include "guitk/kit_colors.h"
#include "guitk/kit_draw.h"

IMPLEMENT_DYNAMIC(CKitHistoryCombo, CComboBox)
IMPLEMENT_DYNAMIC(CKitCaptionStrip, CWnd)

namespace {

constexpr UINT kArrowBitmap = 18041;
constexpr int kArrowWidth = 9;
constexpr COLORREF kArrowMask = RGB(255, 0, 255);
constexpr UINT_PTR kHotTimer = 1;
constexpr UINT kHotTimerMs = 10;
constexpr int kCaptionIndent = 5;
constexpr const char16_t* kSaveCurrent = u"SaveCurrent";
// What a missing profile entry reads as: no saved text can be it.
constexpr const char16_t* kMissing = u"\x01missing\x01";

void Frame(CDC* pDC, const CRect& r, COLORREF color) {
  CBrush brush(color);
  pDC->FrameRect(&r, &brush);
}

CString EntryName(LPCTSTR name, int index) {
  CString entry;
  entry.Format(u"%s%d", name, index);
  return entry;
}

}  // namespace

// --- CKitHistoryCombo ---

BEGIN_MESSAGE_MAP(CKitHistoryCombo, CComboBox)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_SETCURSOR()
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_SYSCOLORCHANGE()
ON_WM_SETFOCUS()
ON_CONTROL_REFLECT(CBN_KILLFOCUS, OnKillFocusReflect)
ON_CONTROL_REFLECT(CBN_EDITUPDATE, OnEditUpdate)
ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
END_MESSAGE_MAP()

CKitHistoryCombo::CKitHistoryCombo()
    : m_nButtonWidth(GetSystemMetrics(SM_CXHTHUMB)),
      m_crFace(::GetFaceColor(g_kitDrawStyle)),
      m_crHighlight(GetSysColor(COLOR_BTNHIGHLIGHT)),
      m_crShadow(GetSysColor(COLOR_BTNSHADOW)) {
  m_font.CreateStockObject(DEFAULT_GUI_FONT);
  if (m_arrows.Create(kArrowBitmap, kArrowWidth, 0, kArrowMask)) {
    CBitmap bitmap;
    BITMAP info{};
    if (bitmap.LoadBitmap(kArrowBitmap) && bitmap.GetBitmap(&info)) m_arrowBitmapSize = CSize(info.bmWidth, info.bmHeight);
  }
}

CKitHistoryCombo::~CKitHistoryCombo() = default;

int CKitHistoryCombo::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CComboBox::OnCreate(lpCreateStruct) == -1) return -1;
  SetFont(&m_font, TRUE);
  return 0;
}

int CKitHistoryCombo::AddText(LPCTSTR lpszText) {
  if (!lpszText || !*lpszText) return -1;
  if (!m_bHistory) return AddString(lpszText);
  CString text(lpszText);
  text.TrimLeft(u' ');
  text.TrimRight(u' ');
  if (text.IsEmpty()) return -1;  // only spaces: nothing to remember
  InsertString(0, text);
  // The search starts after the new item and wraps to it once no copy is left.
  for (int copy = FindStringExact(0, text); copy > 0; copy = FindStringExact(0, text)) DeleteString(copy);
  SetCurSel(0);
  return 0;
}

void CKitHistoryCombo::DeleteSavedEntries(LPCTSTR lpszName, int from) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (int i = from;; ++i) {
    const CString entry = EntryName(lpszName, i);
    if (app->GetProfileString(kKitHistorySection, entry, kMissing) == kMissing) break;
    app->WriteProfileString(kKitHistorySection, entry, nullptr);
  }
}

void CKitHistoryCombo::ClearHistory(LPCTSTR lpszName) {
  // The entries are deleted where the save wrote them, in the profile.
  DeleteSavedEntries(lpszName, 0);
  if (CWinApp* app = AfxGetApp()) app->WriteProfileString(kKitHistorySection, CString(lpszName) + kSaveCurrent, u"");
  ResetContent();
}

void CKitHistoryCombo::SaveHistory(LPCTSTR lpszName, BOOL saveCurrent) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  const CString current = CString(lpszName) + kSaveCurrent;
  const int selected = GetCurSel();
  CString text;
  if (saveCurrent && selected >= 0) GetLBText(selected, text);
  app->WriteProfileString(kKitHistorySection, current, text);
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    GetLBText(i, text);
    app->WriteProfileString(kKitHistorySection, EntryName(lpszName, i), text);
  }
  // A longer list saved before would leave its tail behind.
  DeleteSavedEntries(lpszName, count);
}

BOOL CKitHistoryCombo::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN) {
    CString text;
    GetWindowText(text);
    AddText(text);
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_COMMAND, GetDlgCtrlID(), reinterpret_cast<LPARAM>(m_hWnd));
    return TRUE;
  }
  return CComboBox::PreTranslateMessage(pMsg);
}

void CKitHistoryCombo::SetFaceColor(COLORREF color) {
  m_crFace = color;
  if (m_hWnd) {
    Invalidate();
    UpdateWindow();
  }
}

BOOL CKitHistoryCombo::PointerInside() const {
  POINT p;
  GetCursorPos(&p);
  CRect r;
  GetWindowRect(&r);
  return r.PtInRect(p);
}

void CKitHistoryCombo::DrawLook(Look look) {
  if (!m_hWnd) return;
  CClientDC dc(this);
  CRect r;
  GetClientRect(&r);
  const BOOL enabled = IsWindowEnabled();
  Frame(&dc, r, enabled ? m_crFace : m_crHighlight);
  r.DeflateRect(1, 1);
  const BOOL lit = look != Look::Normal;
  Frame(&dc, r, lit ? GetThemeBaseColor() : GetPressedColor());
  r.DeflateRect(1, 1);
  Frame(&dc, r, m_crFace);

  CRect button(r.right - m_nButtonWidth, r.top, r.right, r.bottom);
  const int arrowTop = button.top + (button.Height() - m_arrowBitmapSize.cy) / 2;
  if (lit) {
    CBrush fill(look == Look::Hot ? GetHotColor() : GetPressedColor());
    dc.FillRect(&button, &fill);
    Frame(&dc, button, GetThemeBaseColor());
    if (m_arrows.GetSafeHandle()) m_arrows.Draw(&dc, 0, CPoint(button.left + 1, arrowTop), ILD_TRANSPARENT);
  } else {
    CBrush fill(m_crFace);
    dc.FillRect(&button, &fill);
    if (m_arrows.GetSafeHandle()) m_arrows.Draw(&dc, 0, CPoint(button.left + 3, arrowTop + 2), ILD_TRANSPARENT);
  }
}

void CKitHistoryCombo::OnPaint() {
  Default();
  DrawLook(m_bPressed ? Look::Pressed : m_bHot ? Look::Hot : Look::Normal);
}

BOOL CKitHistoryCombo::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (!m_bHot && !m_bPressed) {
    m_bHot = TRUE;
    DrawLook(Look::Hot);
    SetTimer(kHotTimer, kHotTimerMs, nullptr);
    return TRUE;
  }
  return CComboBox::OnSetCursor(pWnd, nHitTest, message);
}

void CKitHistoryCombo::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHotTimer) {
    CComboBox::OnTimer(nIDEvent);
    return;
  }
  if (!PointerInside() && !m_bPressed) {
    KillTimer(kHotTimer);
    m_bHot = FALSE;
    DrawLook(Look::Normal);
  }
}

void CKitHistoryCombo::OnLButtonDown(UINT nFlags, CPoint point) {
  m_bHot = m_bPressed = TRUE;
  DrawLook(Look::Pressed);
  CComboBox::OnLButtonDown(nFlags, point);
}

void CKitHistoryCombo::OnCloseUp() {
  m_bPressed = FALSE;
  OnTimer(kHotTimer);
}

void CKitHistoryCombo::OnSetFocus(CWnd* pOldWnd) {
  CComboBox::OnSetFocus(pOldWnd);
  DrawLook(m_bPressed ? Look::Pressed : Look::Hot);
}

void CKitHistoryCombo::OnKillFocusReflect() {
  DrawLook(Look::Normal);
  if ((GetStyle() & 0x3) == CBS_DROPDOWN) {
    CString text;
    GetWindowText(text);
    AddText(text);
  }
  m_bHot = m_bPressed = FALSE;
}

void CKitHistoryCombo::OnEditUpdate() {
  // Putting the completed text in tells of an edit again.
  if (m_bCompleting) return;
  CString typed;
  GetWindowText(typed);
  const DWORD selection = GetEditSel();
  const int length = typed.GetLength();
  const int found = typed.IsEmpty() ? CB_ERR : FindString(-1, typed);
  if (found == CB_ERR) return;
  CString full;
  GetLBText(found, full);
  m_bCompleting = TRUE;
  SetWindowText(full);
  m_bCompleting = FALSE;
  if (static_cast<int>(HIWORD(selection)) == length)
    SetEditSel(length, -1);
  else
    SetEditSel(LOWORD(selection), HIWORD(selection));
}

void CKitHistoryCombo::OnSysColorChange() {
  CComboBox::OnSysColorChange();
  m_crHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  m_crShadow = GetSysColor(COLOR_BTNSHADOW);
  if (m_bFollowStyle) m_crFace = ::GetFaceColor(g_kitDrawStyle);
}

// --- CKitCaptionStrip ---

BEGIN_MESSAGE_MAP(CKitCaptionStrip, CWnd)
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SYSCOLORCHANGE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CKitCaptionStrip::CKitCaptionStrip() : m_crBack(::GetFaceColor(kKitStyleFlat)) {
  m_font.CreateStockObject(DEFAULT_GUI_FONT);
}

CKitCaptionStrip::~CKitCaptionStrip() {
  if (m_hWnd) DestroyWindow();
}

BOOL CKitCaptionStrip::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW));
  return CWnd::Create(cls, u"", dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

CWnd* CKitCaptionStrip::GetItem(int index) const {
  return index >= 0 && index < m_nItems ? m_items[static_cast<size_t>(index)].Window() : nullptr;
}

CKitToolButton* CKitCaptionStrip::AddButton(UINT nID, LPCTSTR lpszCaption, HICON hIcon, LPCTSTR lpszTip) {
  if (!m_hWnd) return nullptr;
  auto* button = new CKitToolButton;
  if (!button->Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20), this, nID)) {
    delete button;
    return nullptr;
  }
  button->SetFont(&m_font);
  button->SetStyle(m_nStyle);
  if (hIcon) button->SetIcon(hIcon);
  button->SetCaption(lpszCaption);
  if (lpszTip) button->SetTooltip(lpszTip);
  button->SetFaceColor(m_crBack);
  m_items.push_back(Item{button, nullptr});
  m_nItems = static_cast<int>(m_items.size());
  RecalcLayout();
  return button;
}

CKitHistoryCombo* CKitCaptionStrip::AddCombo(UINT nID, int width, DWORD dwComboStyle) {
  if (!m_hWnd) return nullptr;
  auto* combo = new CKitHistoryCombo;
  if (!combo->Create(dwComboStyle | WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, width, 200), this, nID)) {
    delete combo;
    return nullptr;
  }
  combo->SetFaceColor(m_crBack);
  m_items.push_back(Item{nullptr, combo});
  m_nItems = static_cast<int>(m_items.size());
  m_bHasEmbedded = TRUE;
  RecalcLayout();
  return combo;
}

void CKitCaptionStrip::SetCaption(LPCTSTR lpszCaption, BOOL onTheRight) {
  m_strCaption = lpszCaption ? lpszCaption : u"";
  m_bCaptionRight = onTheRight;
  m_nCaptionWidth = 0;
  if (m_hWnd && !m_strCaption.IsEmpty()) {
    CClientDC dc(this);
    CFont* old = dc.SelectObject(&m_font);
    // The left caption's 5-pixel indent is part of its width, so that its last letter is not cut.
    m_nCaptionWidth = dc.GetTextExtent(m_strCaption, m_strCaption.GetLength()).cx + kCaptionIndent;
    dc.SelectObject(old);
  }
  RecalcLayout();
}

void CKitCaptionStrip::SetStyle(int style) {
  m_nStyle = style;
  for (const Item& item : m_items)
    if (item.button) item.button->SetStyle(style);
  if (m_hWnd) Invalidate();
}

void CKitCaptionStrip::SetColor(COLORREF color) {
  m_crBack = color;
  for (const Item& item : m_items) {
    if (item.button) item.button->SetFaceColor(color);
    if (item.combo) item.combo->SetFaceColor(color);
  }
  if (m_hWnd) Invalidate();
}

int CKitCaptionStrip::ComputeEqualWidth(int available) const {
  int controls = 0;
  for (const Item& item : m_items)
    if (item.combo) ++controls;
  if (controls == 0) return 0;
  if (m_nCaptionWidth + m_nButtonsWidth <= available &&
      m_nCaptionWidth + GetSystemMetrics(SM_CXHTHUMB) <= available - 50)
    return (available - m_nCaptionWidth - m_nButtonsWidth) / controls;
  return 0;
}

void CKitCaptionStrip::RecalcLayout() {
  if (!m_hWnd) return;
  CRect r;
  GetClientRect(&r);
  r.DeflateRect(1, 1);
  m_nButtonsWidth = 0;
  for (const Item& item : m_items)
    if (item.button) m_nButtonsWidth += item.button->GetSize().cx;
  m_nEmbeddedWidth = ComputeEqualWidth(r.Width());

  CRect free = r;
  if (m_bCaptionRight)
    free.right -= m_nCaptionWidth;
  else
    free.left += m_nCaptionWidth;
  const bool fromRight = m_nDirection == 1;
  for (const Item& item : m_items) {
    int width = 0;
    if (item.button) {
      width = item.button->GetSize().cx;
    } else if (m_bEqualWidths) {
      width = m_nEmbeddedWidth;
    } else {
      CRect w;
      item.combo->GetWindowRect(&w);
      width = w.Width();
    }
    CRect place = fromRight ? CRect(free.right - width, free.top, free.right, free.bottom)
                            : CRect(free.left, free.top, free.left + width, free.bottom);
    if (item.combo) {
      // A combo's height is its edit field's; the drop list hangs below it.
      item.combo->SetWindowPos(nullptr, place.left, place.top, place.Width(), place.Height() + 200,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      item.button->SetWindowPos(nullptr, place.left, place.top, place.Width(), place.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (fromRight)
      free.right -= width;
    else
      free.left += width;
  }
  // What the items leave is the caption's, with its own width given back.
  if (m_bCaptionRight)
    free.right += m_nCaptionWidth;
  else
    free.left -= m_nCaptionWidth;
  if (free.right < free.left) free.right = free.left;
  m_rectCaption = free;
  Invalidate();
}

void CKitCaptionStrip::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  RecalcLayout();
}

BOOL CKitCaptionStrip::OnEraseBkgnd(CDC*) { return TRUE; }

void CKitCaptionStrip::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  if (m_nStyle == kKitStyleGradient) {
    KitFillVerticalGradient(&dc, r, GetLightFaceColor(), m_crBack);
  } else {
    CBrush back(m_crBack);
    dc.FillRect(&r, &back);
  }
  const COLORREF light = GetHighlightWhiteColor();
  const COLORREF dark = ::GetShadowColor(g_kitDrawStyle);
  if (m_nBorder == Flat) {
    Frame(&dc, r, dark);
  } else {
    const COLORREF topLeft = m_nBorder == Raised ? light : dark;
    const COLORREF bottomRight = m_nBorder == Raised ? dark : light;
    dc.FillSolidRect(r.left, r.top, r.Width(), 1, topLeft);
    dc.FillSolidRect(r.left, r.top, 1, r.Height(), topLeft);
    dc.FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, bottomRight);
    dc.FillSolidRect(r.right - 1, r.top, 1, r.Height(), bottomRight);
  }
  if (m_strCaption.IsEmpty() || m_rectCaption.IsRectEmpty()) return;
  CFont* old = dc.SelectObject(&m_font);
  dc.SetTextColor(m_crCaption);
  dc.SetBkMode(TRANSPARENT);
  CRect text = m_rectCaption;
  if (m_bCaptionRight) {
    text.left = std::max<int>(text.left, text.right - 1 - static_cast<int>(1.1 * m_nCaptionWidth));
    dc.DrawText(m_strCaption, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  } else {
    text.left += kCaptionIndent;
    dc.DrawText(m_strCaption, &text, DT_VCENTER | DT_SINGLELINE);
  }
  dc.SelectObject(old);
}

void CKitCaptionStrip::OnSysColorChange() {
  CWnd::OnSysColorChange();
  SetStyle(m_nStyle);
}

void CKitCaptionStrip::OnDestroy() {
  for (Item& item : m_items) {
    CWnd* w = item.Window();
    if (w->m_hWnd) w->DestroyWindow();
    delete item.button;
    delete item.combo;
  }
  m_items.clear();
  m_nItems = 0;
  CWnd::OnDestroy();
}

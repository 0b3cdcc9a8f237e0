// CImageListCtrl: registration, the grid and its scroll bar, the buttons,
// selection by press, the pair drag and the swatch drag loop.
//
// Sections: shared resources and registration - items - layout and
// scrolling - painting - presses and the pair drag - the swatch drag loop.
#include "controls/image_list_ctrl.h"

#include <algorithm>

#include "controls/custom_notify.h"
#include "controls/dialog_color.h"
#include "model/raster/fill_drag_cursor.h"
#include "model/project/morph_project.h"
#include "res/resource.h"

namespace controls {

BEGIN_MESSAGE_MAP(CImageListCtrl, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_VSCROLL()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

namespace {

constexpr int kBar = 16;  // the scroll bar's column, the button square and the button row
constexpr int kTipWidth = 200;
constexpr DWORD kPairButtonStyle = WS_CHILD | WS_VISIBLE | 0x100B;
constexpr COLORREF kPairFrame = RGB(0, 0, 255);
constexpr COLORREF kSwatchFrame = RGB(0xCE, 0xCE, 0xCE);
const char16_t kTipText[] = u"Double Click to appliy it";

struct PairButton {
  UINT id;
  const char16_t* text;
  UINT normal;
  UINT pressed;
};
const PairButton kPairButtons[] = {
    {kListInsertPairId, u"Insert Morpher Pair", IDB_LIST_INSERT, IDB_LIST_INSERT_DOWN},
    {kListDeletePairId, u"Delete Morpher Pair", IDB_LIST_DELETE, IDB_LIST_DELETE_DOWN},
    {kListMoveUpId, u"Move Up", IDB_LIST_UP, IDB_LIST_UP_DOWN},
    {kListMoveDownId, u"Move Down", IDB_LIST_DOWN, IDB_LIST_DOWN_DOWN},
};

// Loaded when the first list is made, kept for the process.
struct ListResources {
  HCURSOR accepted = nullptr;
  HCURSOR refused = nullptr;
  COLORREF background = 0;
};

ListResources& Resources() {
  static ListResources resources = [] {
    ListResources r;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (HCURSOR drag = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_FILL_DRAG))) ::GetIconInfo(drag, &FillDragIconInfo());
    r.accepted = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_DROP_ACCEPTED));
    r.refused = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_DROP_REFUSED));  // loaded as it always was; unused
    r.background = GetDialogColor();
    return r;
  }();
  return resources;
}

// Message 0x430 means other things to other classes (a toolbar takes it as
// TB_SETIMAGELIST, with the fill as its image list): only colour icons of
// this thread hear the swatch drag.
bool IsSwatchReceiver(HWND hwnd) {
  if (!hwnd || ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId()) return false;
  WCHAR name[32] = {};
  ::GetClassNameW(hwnd, name, 32);
  return ::_wcsicmp(name, u"ColorIconCtrl") == 0;
}

}  // namespace

// --- shared resources and registration ---

CImageListCtrl::CImageListCtrl() { Resources(); }
CImageListCtrl::~CImageListCtrl() = default;

BOOL CImageListCtrl::RegisterClass(HINSTANCE instance) {
  WNDCLASS wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC;
  wc.lpfnWndProc = AutoObjectProc<CImageListCtrl>;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = u"ImageListCtrl";
  return RegisterCustomClass(wc);
}

CImageListCtrl* ImageListCtrlFromHandle(HWND hwnd) {
  return dynamic_cast<CImageListCtrl*>(CWnd::FromHandlePermanent(hwnd));
}

DWORD CImageListCtrl::ListStyle() const { return m_hWnd ? (GetStyle() & 0xFF) : 0; }

void CImageListCtrl::Notify(UINT code) { SendNotify(m_hWnd, code); }

// --- items ---

void CImageListCtrl::SetColumns(int columns) {
  m_nColumns = std::max(1, columns);
  if (m_hWnd) {
    UpdateScrollBar();
    Invalidate(FALSE);
  }
}

void CImageListCtrl::SetCellSize(const SIZE& size) {
  m_cellSize = CSize(std::max(1, static_cast<int>(size.cx)), std::max(1, static_cast<int>(size.cy)));
  m_images.DeleteImageList();
  m_images.Create(m_cellSize.cx, m_cellSize.cy, ILC_COLOR32, 0, 0);
  m_nSelected = -1;
  if (m_hWnd) {
    UpdateScrollBar();
    Invalidate(FALSE);
  }
}

int CImageListCtrl::GetCount() const { return m_images.m_hImageList ? m_images.GetImageCount() : 0; }

void CImageListCtrl::InsertImage(int index, CBitmap* bitmap) {
  if (!bitmap || !m_images.m_hImageList) return;
  const int oldCount = GetCount();
  const int added = m_images.Add(bitmap, RGB(255, 255, 255));
  if (added < 0) return;
  // Any index of an old item, the last one included: the owner keeps its
  // items in the same order and has put the new one there.
  if (index >= 0 && index < oldCount) {
    for (int i = added; i > index; --i) ::ImageList_Copy(m_images, i, m_images, i - 1, ILCF_SWAP);
  }
  if (m_nSelected < 0) m_nSelected = 0;
  if (m_hWnd) {
    UpdateScrollBar();
    Invalidate(FALSE);
  }
}

void CImageListCtrl::RemoveImage(int index) {
  const int count = GetCount();
  if (index < 0 || index >= count) return;
  m_images.Remove(index);
  if (m_nSelected == count - 1) m_nSelected = count - 2;
  if (m_hWnd) {
    UpdateScrollBar();
    Invalidate(FALSE);
    Notify(kNotifyListSelChange);
  }
}

void CImageListCtrl::RemoveAll() {
  m_nSelected = -1;
  if (m_images.m_hImageList) m_images.Remove(-1);
  if (m_hWnd) {
    UpdateScrollBar();
    Invalidate(FALSE);
    Notify(kNotifyListSelChange);
  }
}

void CImageListCtrl::ReplaceImage(int index, CBitmap* bitmap) {
  if (!bitmap || index < 0 || index >= GetCount()) return;
  m_images.Replace(index, bitmap, nullptr);
  if (m_hWnd) Invalidate(FALSE);
}

void CImageListCtrl::SetSelection(int index) {
  const int count = GetCount();
  m_nSelected = count == 0 ? -1 : std::clamp(index, 0, count - 1);
  if (m_hWnd) Invalidate(FALSE);
}

void CImageListCtrl::EnsureVisible(int index) {
  if (!m_scrollBar.m_hWnd || index < 0 || index >= GetCount()) return;
  const CRect cell = CellRect(index);
  const int page = GridRect().Height();
  int position = m_scrollBar.GetScrollPos();
  if (cell.top < 0)
    position += cell.top;
  else if (cell.bottom > page)
    position += std::min<int>(cell.top, cell.bottom - page);
  else
    return;
  m_scrollBar.SetScrollPos(std::max(0, position), TRUE);
  Invalidate(FALSE);
}

int CImageListCtrl::HitTest(POINT point) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (CellRect(i).PtInRect(point)) return i;
  }
  return -1;
}

// --- layout and scrolling ---

CRect CImageListCtrl::GridRect() const {
  CRect grid;
  GetClientRect(&grid);
  grid.right -= kBar;
  if (ListStyle() & kListPairs) grid.bottom -= kBar;
  return grid;
}

CRect CImageListCtrl::CellRect(int index) const {
  const int scroll = m_scrollBar.m_hWnd ? m_scrollBar.GetScrollPos() : 0;
  const int left = m_cellSize.cx * (index % m_nColumns);
  const int top = m_cellSize.cy * (index / m_nColumns) - scroll;
  return CRect(left, top, left + m_cellSize.cx, top + m_cellSize.cy);
}

void CImageListCtrl::CreateButtons() {
  if (ListStyle() & kListPairs) {
    for (int i = 0; i < 4; ++i) {
      CBmpBtn& button = m_buttons[i];
      button.Create(kPairButtons[i].text, kPairButtonStyle, CRect(0, 0, kBar, kBar), this, kPairButtons[i].id);
      button.LoadBitmaps(kPairButtons[i].normal, kPairButtons[i].pressed);
      button.SetToggle(0);
    }
    return;
  }
  const DWORD visible = (ListStyle() & kListNoButton) ? 0 : WS_VISIBLE;
  m_buttons[0].Create(u"", (kPairButtonStyle & ~WS_VISIBLE) | visible, CRect(0, 0, kBar, kBar), this, kListButtonId);
  m_buttons[0].LoadBitmaps(IDB_LIST_BROWSE, IDB_LIST_BROWSE_DOWN);
  m_buttons[0].SetToggle(0);
}

void CImageListCtrl::Layout() {
  const CRect grid = GridRect();
  const bool pairs = (ListStyle() & kListPairs) != 0;
  const bool square = !pairs && !(ListStyle() & kListNoButton);
  const int barTop = grid.top + (square ? kBar : 0);
  if (m_scrollBar.m_hWnd)
    m_scrollBar.MoveWindow(grid.right, barTop, kBar, std::max(0, static_cast<int>(grid.bottom) - barTop));
  if (pairs) {
    const int left = (grid.Width() - 4 * kBar) / 2;
    for (int i = 0; i < 4; ++i) {
      if (m_buttons[i].m_hWnd) m_buttons[i].MoveWindow(left + i * kBar, grid.bottom, kBar, kBar);
    }
  } else if (m_buttons[0].m_hWnd) {
    m_buttons[0].MoveWindow(grid.right, grid.top, kBar, kBar);
  }
  UpdateScrollBar();
}

void CImageListCtrl::UpdateScrollBar() {
  if (!m_scrollBar.m_hWnd) return;
  const int count = GetCount();
  const int rows = (count + m_nColumns - 1) / m_nColumns;
  const int maximum = count ? rows * m_cellSize.cy : 0;
  const int page = std::max(0, static_cast<int>(GridRect().Height()));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = maximum;
  info.nPage = static_cast<UINT>(page);
  info.nPos = std::clamp(m_scrollBar.GetScrollPos(), 0, maximum);
  m_scrollBar.SetScrollInfo(&info, TRUE);
  m_scrollBar.EnableScrollBar(maximum > page ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void CImageListCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  m_scrollBar.GetScrollInfo(&info, SIF_ALL);
  const int page = static_cast<int>(info.nPage);
  int position = info.nPos;
  switch (nSBCode) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = static_cast<int>(nPos); break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: CWnd::OnVScroll(nSBCode, nPos, pScrollBar); return;
  }
  position = std::max(0, std::min(position, info.nMax - page));
  m_scrollBar.SetScrollPos(position, TRUE);
  Invalidate(FALSE);
}

int CImageListCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  // The children keep their own pixels when the grid is drawn.
  ModifyStyle(0, WS_CLIPCHILDREN);
  if (!m_images.m_hImageList) m_images.Create(m_cellSize.cx, m_cellSize.cy, ILC_COLOR32, 0, 0);
  m_scrollBar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(0, 0, kBar, kBar), this, kListScrollBarId);
  CreateButtons();
  Layout();
  if (ListStyle() & kListTooltips) {
    m_tooltip.Create(this);
    m_tooltip.SetMaxTipWidth(kTipWidth);
    m_tooltip.Activate(TRUE);
    m_tooltip.AddTool(this, kTipText);
  }
  return 0;
}

void CImageListCtrl::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  Layout();
}

// --- painting ---

void CImageListCtrl::PaintItems(CDC& dc, const CRect& client) {
  dc.FillSolidRect(&client, Resources().background);
  const bool pairs = (ListStyle() & kListPairs) != 0;
  // A cell cut by the grid's foot stops there: the pair list's button row
  // below it shows the buttons alone.
  CRect grid = GridRect();
  grid.right = client.right;
  const int saved = dc.SaveDC();
  dc.IntersectClipRect(&grid);
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    const CRect cell = CellRect(i);
    CRect visible;
    if (!visible.IntersectRect(&cell, &grid)) continue;
    m_images.DrawIndirect(&dc, i, cell.TopLeft(), cell.Size(), CPoint(0, 0), ILD_NORMAL, SRCCOPY);
    CRect frame = cell;
    if (pairs) {
      if (i != m_nSelected) continue;
      dc.Draw3dRect(&frame, kPairFrame, kPairFrame);
      frame.DeflateRect(1, 1);
      dc.Draw3dRect(&frame, kPairFrame, kPairFrame);
      continue;
    }
    dc.Draw3dRect(&frame, kSwatchFrame, kSwatchFrame);
    frame.DeflateRect(1, 1);
    dc.Draw3dRect(&frame, kSwatchFrame, kSwatchFrame);
    CRect edge = cell;
    dc.DrawEdge(&edge, i == m_nSelected ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  dc.RestoreDC(saved);
}

void CImageListCtrl::OnPaint() {
  PaintBuffered(*this, [this](CDC& dc, const CRect& client) { PaintItems(dc, client); });
}

BOOL CImageListCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

// --- presses and the pair drag ---

// The bitmap buttons tell of a click with code 81: the pair list's four go
// to the parent as commands, the single one as 2050. They stay push buttons.
BOOL CImageListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->code == kNotifyBitmapButtonClicked) {
    for (CBmpBtn& button : m_buttons) {
      if (button.m_hWnd == header->hwndFrom) button.SetToggle(0);
    }
    if (ListStyle() & kListPairs) {
      if (header->idFrom >= kListInsertPairId && header->idFrom <= kListMoveDownId)
        ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, header->idFrom, reinterpret_cast<LPARAM>(m_hWnd));
    } else if (header->idFrom == kListButtonId) {
      Notify(kNotifyListButton);
    }
    return TRUE;
  }
  return CWnd::OnNotify(wParam, lParam, pResult);
}

void CImageListCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  const int index = HitTest(point);
  if (index != m_nSelected) {
    if (index >= 0) m_nSelected = index;
    Invalidate(FALSE);
    Notify(kNotifyListSelChange);
  }
  if (m_dragFill) {
    if (CFillStyle* fill = m_dragFill(*this)) RunSwatchDrag(fill);
  }
  if (ListStyle() & kListPairs) {
    StartPairDrag(point);
    return;
  }
  CWnd::OnLButtonDown(nFlags, point);
}

void CImageListCtrl::OnLButtonDblClk(UINT nFlags, CPoint point) {
  Notify(kNotifyListDblClk);
  CWnd::OnLButtonDblClk(nFlags, point);
}

void CImageListCtrl::StartPairDrag(CPoint point) {
  if (m_tooltip.m_hWnd) m_tooltip.Pop();
  const int current = GetMorphProject()->GetCurrentIndex();
  if (current < 0 || current >= GetCount()) return;
  m_bPairDrag = TRUE;
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const CRect cell = CellRect(current);
  m_images.BeginDrag(current, CPoint(point.x - cell.left, point.y - cell.top));
  CImageList::DragEnter(this, point);
  SetCapture();
}

void CImageListCtrl::EndPairDrag(CPoint point) {
  CImageList::DragLeave(this);
  CImageList::EndDrag();
  m_bPairDrag = FALSE;
  if (GetCapture() == this) ::ReleaseCapture();
  const int index = HitTest(point);
  CMorphProject* project = GetMorphProject();
  if (index >= 0 && index != project->GetCurrentIndex()) project->MovePairTo(index);
}

void CImageListCtrl::OnMouseMove(UINT nFlags, CPoint point) {
  if (m_bPairDrag) CImageList::DragMove(point);
  CWnd::OnMouseMove(nFlags, point);
}

void CImageListCtrl::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_bPairDrag) {
    EndPairDrag(point);
    return;
  }
  CWnd::OnLButtonUp(nFlags, point);
}

BOOL CImageListCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_MOUSEMOVE && !m_bPairDrag && m_tooltip.m_hWnd) {
    if (m_tooltipText) {
      CPoint point(GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam));
      if (pMsg->hwnd != m_hWnd) ::MapWindowPoints(pMsg->hwnd, m_hWnd, &point, 1);
      m_tooltipText(*this, m_tooltip, HitTest(point));
    }
    m_tooltip.RelayEvent(pMsg);
  }
  return CWnd::PreTranslateMessage(pMsg);
}

// --- the swatch drag loop ---

void CImageListCtrl::RunSwatchDrag(CFillStyle* fill) {
  SetCapture();
  HCURSOR dragCursor = nullptr;
  HCURSOR previous = nullptr;
  HWND lastQueried = m_hWnd;
  auto restoreCursor = [&] {
    if (!dragCursor) return;
    ::SetCursor(previous);
    ::DestroyIcon(dragCursor);
    dragCursor = nullptr;
  };
  MSG msg;
  for (;;) {
    if (!::GetMessageW(&msg, nullptr, 0, 0)) {
      // The application's loop must still see the quit.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (GetCapture() != this) break;
    if (msg.message == WM_RBUTTONDOWN) break;
    if (msg.message == WM_PAINT || msg.message == WM_TIMER) {
      // Left in the queue, a window's paint would come straight back.
      ::DispatchMessageW(&msg);
      continue;
    }
    if (msg.message == WM_MOUSEMOVE) {
      if (!dragCursor) {
        dragCursor = MakeFillDragCursor(*fill);
        previous = ::SetCursor(dragCursor);
      }
      POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      ::ClientToScreen(m_hWnd, &screen);
      HWND under = ::WindowFromPoint(screen);
      if (under && under != lastQueried && !::IsChild(m_hWnd, under)) {
        const LRESULT reply = IsSwatchReceiver(under)
                                  ? ::SendMessageW(under, WM_SWATCH_DRAGDROP, kSwatchQuery, reinterpret_cast<LPARAM>(fill))
                                  : 0;
        if (reply == kSwatchAccepts) ::SetCursor(Resources().accepted);
        else if (reply == 0 || reply == kSwatchRefuses) ::SetCursor(dragCursor);
        lastQueried = under;
      }
      continue;
    }
    if (msg.message == WM_LBUTTONUP) {
      // A press and release without a move is a click: nothing is dropped.
      if (dragCursor) {
        restoreCursor();
        const CPoint point(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
        CRect client;
        GetClientRect(&client);
        POINT screen = point;
        ::ClientToScreen(m_hWnd, &screen);
        HWND under = ::WindowFromPoint(screen);
        if (!client.PtInRect(point) && IsSwatchReceiver(under))
          ::SendMessageW(under, WM_SWATCH_DRAGDROP, kSwatchDrop, reinterpret_cast<LPARAM>(fill));
      }
      break;
    }
  }
  restoreCursor();
  if (GetCapture() == this) ::ReleaseCapture();
}

}  // namespace controls

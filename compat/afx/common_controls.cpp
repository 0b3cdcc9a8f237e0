// The common controls' wrappers: each member is the control's message.
#include "compat/afx/common_controls.h"

#include "compat/afx/resource.h"
#include "temporary_map.h"

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CStatusBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

namespace {

LRESULT Send(const CWnd* wnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendMessageW(wnd->m_hWnd, message, wParam, lParam);
}

template <class T>
LPARAM Ptr(T* p) {
  return reinterpret_cast<LPARAM>(p);
}

// A tool record for a whole window (id 0: the window is the tool, its parent
// hears the notifications) or for an id of the window.
TOOLINFOW ToolInfo(CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  HWND hwnd = pWnd ? pWnd->m_hWnd : nullptr;
  if (nIDTool == 0) {
    HWND parent = hwnd ? ::GetParent(hwnd) : nullptr;
    ti.hwnd = parent ? parent : hwnd;
    ti.uFlags = TTF_IDISHWND;
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
  } else {
    ti.hwnd = hwnd;
    ti.uId = nIDTool;
  }
  return ti;
}

}  // namespace

// --- CToolTipCtrl ---
BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
  return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr);
}
void CToolTipCtrl::Activate(BOOL bActivate) { Send(this, TTM_ACTIVATE, bActivate); }
namespace {

// Adds a tool with its text (or a string id with its module); an id without a
// rectangle covers the window's client area.
BOOL AddToolTo(CToolTipCtrl* tip, CWnd* pWnd, LPCRECT lpRectTool, UINT_PTR nIDTool, HINSTANCE hinst, LPCTSTR text) {
  if (!pWnd) return FALSE;
  TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
  if (lpRectTool) {
    ti.rect = *lpRectTool;
  } else if (nIDTool != 0) {
    ::GetClientRect(pWnd->m_hWnd, &ti.rect);
  }
  ti.hinst = hinst;
  ti.lpszText = const_cast<LPWSTR>(text);
  return static_cast<BOOL>(Send(tip, TTM_ADDTOOLW, 0, Ptr(&ti)));
}

}  // namespace

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCTSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  return AddToolTo(this, pWnd, lpRectTool, nIDTool, nullptr, lpszText);
}
BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  return AddToolTo(this, pWnd, lpRectTool, nIDTool, AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDText));
}
void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
  Send(this, TTM_DELTOOLW, 0, Ptr(&ti));
}
void CToolTipCtrl::UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
  ti.lpszText = const_cast<LPWSTR>(lpszText);
  Send(this, TTM_UPDATETIPTEXTW, 0, Ptr(&ti));
}
void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect) {
  TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
  if (lpRect) ti.rect = *lpRect;
  Send(this, TTM_NEWTOOLRECTW, 0, Ptr(&ti));
}
int CToolTipCtrl::GetToolCount() const { return static_cast<int>(Send(this, TTM_GETTOOLCOUNT)); }
int CToolTipCtrl::SetMaxTipWidth(int iWidth) { return static_cast<int>(Send(this, TTM_SETMAXTIPWIDTH, 0, iWidth)); }
void CToolTipCtrl::SetDelayTime(UINT nDelay) { Send(this, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(nDelay, 0)); }
void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime) {
  Send(this, TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0));
}
int CToolTipCtrl::GetDelayTime(DWORD dwDuration) const { return static_cast<int>(Send(this, TTM_GETDELAYTIME, dwDuration)); }
void CToolTipCtrl::RelayEvent(LPMSG lpMsg) { Send(this, TTM_RELAYEVENT, 0, Ptr(lpMsg)); }
void CToolTipCtrl::Pop() { Send(this, TTM_POP); }

// --- CToolBarCtrl ---
BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!CreateEx(0, TOOLBARCLASSNAMEW, nullptr, dwStyle, rect, pParentWnd, nID)) return FALSE;
  Send(this, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  return TRUE;
}
int CToolBarCtrl::AddBitmap(int nNumButtons, UINT nBitmapID) {
  TBADDBITMAP add{AfxGetResourceHandle(), nBitmapID};
  return static_cast<int>(Send(this, TB_ADDBITMAP, static_cast<WPARAM>(nNumButtons), Ptr(&add)));
}
int CToolBarCtrl::AddBitmap(int nNumButtons, CBitmap* pBitmap) {
  if (!pBitmap) return -1;
  TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(pBitmap->GetSafeHandle())};
  return static_cast<int>(Send(this, TB_ADDBITMAP, static_cast<WPARAM>(nNumButtons), Ptr(&add)));
}
BOOL CToolBarCtrl::AddButtons(int nNumButtons, LPTBBUTTON lpButtons) {
  return static_cast<BOOL>(Send(this, TB_ADDBUTTONSW, static_cast<WPARAM>(nNumButtons), Ptr(lpButtons)));
}
BOOL CToolBarCtrl::InsertButton(int nIndex, LPTBBUTTON lpButton) {
  return static_cast<BOOL>(Send(this, TB_INSERTBUTTONW, static_cast<WPARAM>(nIndex), Ptr(lpButton)));
}
BOOL CToolBarCtrl::DeleteButton(int nIndex) { return static_cast<BOOL>(Send(this, TB_DELETEBUTTON, static_cast<WPARAM>(nIndex))); }
BOOL CToolBarCtrl::SetButtonSize(CSize size) {
  return static_cast<BOOL>(Send(this, TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)));
}
BOOL CToolBarCtrl::SetBitmapSize(CSize size) {
  return static_cast<BOOL>(Send(this, TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)));
}
CSize CToolBarCtrl::GetButtonSize() const {
  const DWORD size = static_cast<DWORD>(Send(this, TB_GETBUTTONSIZE));
  return CSize(LOWORD(size), HIWORD(size));
}
BOOL CToolBarCtrl::EnableButton(int nID, BOOL bEnable) {
  return static_cast<BOOL>(Send(this, TB_ENABLEBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bEnable, 0)));
}
BOOL CToolBarCtrl::CheckButton(int nID, BOOL bCheck) {
  return static_cast<BOOL>(Send(this, TB_CHECKBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bCheck, 0)));
}
BOOL CToolBarCtrl::PressButton(int nID, BOOL bPress) {
  return static_cast<BOOL>(Send(this, TB_PRESSBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bPress, 0)));
}
BOOL CToolBarCtrl::HideButton(int nID, BOOL bHide) {
  return static_cast<BOOL>(Send(this, TB_HIDEBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bHide, 0)));
}
// -1 (an id not on the toolbar) reads as true, as the message answers it.
BOOL CToolBarCtrl::IsButtonEnabled(int nID) const { return static_cast<BOOL>(Send(this, TB_ISBUTTONENABLED, static_cast<WPARAM>(nID))); }
BOOL CToolBarCtrl::IsButtonChecked(int nID) const { return static_cast<BOOL>(Send(this, TB_ISBUTTONCHECKED, static_cast<WPARAM>(nID))); }
BOOL CToolBarCtrl::SetState(int nID, UINT nState) {
  return static_cast<BOOL>(Send(this, TB_SETSTATE, static_cast<WPARAM>(nID), MAKELPARAM(nState, 0)));
}
int CToolBarCtrl::GetState(int nID) const { return static_cast<int>(Send(this, TB_GETSTATE, static_cast<WPARAM>(nID))); }
BOOL CToolBarCtrl::GetButton(int nIndex, LPTBBUTTON lpButton) const {
  return static_cast<BOOL>(Send(this, TB_GETBUTTON, static_cast<WPARAM>(nIndex), Ptr(lpButton)));
}
int CToolBarCtrl::GetButtonCount() const { return static_cast<int>(Send(this, TB_BUTTONCOUNT)); }
BOOL CToolBarCtrl::GetItemRect(int nIndex, LPRECT lpRect) const {
  return static_cast<BOOL>(Send(this, TB_GETITEMRECT, static_cast<WPARAM>(nIndex), Ptr(lpRect)));
}
BOOL CToolBarCtrl::GetRect(int nID, LPRECT lpRect) const {
  return static_cast<BOOL>(Send(this, TB_GETRECT, static_cast<WPARAM>(nID), Ptr(lpRect)));
}
UINT CToolBarCtrl::CommandToIndex(UINT nID) const { return static_cast<UINT>(Send(this, TB_COMMANDTOINDEX, nID)); }
CImageList* CToolBarCtrl::SetImageList(CImageList* pImageList) {
  const LRESULT before = Send(this, TB_SETIMAGELIST, 0, Ptr(pImageList ? pImageList->GetSafeHandle() : nullptr));
  return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(before));
}
CImageList* CToolBarCtrl::GetImageList() const {
  return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(Send(this, TB_GETIMAGELIST)));
}
// The program's own tooltip object when it set one, else a wrapper kept for the handle.
CToolTipCtrl* CToolBarCtrl::GetToolTips() const {
  HWND tip = reinterpret_cast<HWND>(Send(this, TB_GETTOOLTIPS));
  if (!tip) return nullptr;
  if (auto* own = dynamic_cast<CToolTipCtrl*>(CWnd::FromHandlePermanent(tip))) return own;
  return compat::afx::TemporaryFor<CToolTipCtrl>(tip, [](CToolTipCtrl* w, HWND h) { w->m_hWnd = h; },
                                                 [](CToolTipCtrl* w) { w->m_hWnd = nullptr; });
}
void CToolBarCtrl::SetToolTips(CToolTipCtrl* pTip) {
  Send(this, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(pTip ? pTip->m_hWnd : nullptr));
}
void CToolBarCtrl::SetOwner(CWnd* pWnd) { Send(this, TB_SETPARENT, reinterpret_cast<WPARAM>(pWnd ? pWnd->m_hWnd : nullptr)); }
DWORD CToolBarCtrl::SetExtendedStyle(DWORD dwExStyle) {
  return static_cast<DWORD>(Send(this, TB_SETEXTENDEDSTYLE, 0, static_cast<LPARAM>(dwExStyle)));
}
DWORD CToolBarCtrl::GetExtendedStyle() const { return static_cast<DWORD>(Send(this, TB_GETEXTENDEDSTYLE)); }
void CToolBarCtrl::AutoSize() { Send(this, TB_AUTOSIZE); }

// --- CStatusBarCtrl ---
BOOL CStatusBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateEx(0, STATUSCLASSNAMEW, nullptr, dwStyle, rect, pParentWnd, nID);
}
BOOL CStatusBarCtrl::SetParts(int nParts, int* pWidths) {
  return static_cast<BOOL>(Send(this, SB_SETPARTS, static_cast<WPARAM>(nParts), Ptr(pWidths)));
}
int CStatusBarCtrl::GetParts(int nParts, int* pParts) const {
  return static_cast<int>(Send(this, SB_GETPARTS, static_cast<WPARAM>(nParts), Ptr(pParts)));
}
BOOL CStatusBarCtrl::SetText(LPCTSTR lpszText, int nPane, int nType) {
  return static_cast<BOOL>(Send(this, SB_SETTEXTW, static_cast<WPARAM>(nPane | nType), Ptr(lpszText)));
}
CString CStatusBarCtrl::GetText(int nPane, int* pType) const {
  const LRESULT info = Send(this, SB_GETTEXTLENGTHW, static_cast<WPARAM>(nPane));
  std::u16string text(LOWORD(info) + 1u, u'\0');
  const LRESULT got = Send(this, SB_GETTEXTW, static_cast<WPARAM>(nPane), Ptr(text.data()));
  if (pType) *pType = HIWORD(got);
  return CString(text.c_str());
}
int CStatusBarCtrl::GetTextLength(int nPane, int* pType) const {
  const LRESULT info = Send(this, SB_GETTEXTLENGTHW, static_cast<WPARAM>(nPane));
  if (pType) *pType = HIWORD(info);
  return LOWORD(info);
}
BOOL CStatusBarCtrl::GetRect(int nPane, LPRECT lpRect) const {
  return static_cast<BOOL>(Send(this, SB_GETRECT, static_cast<WPARAM>(nPane), Ptr(lpRect)));
}
void CStatusBarCtrl::SetMinHeight(int nMin) { Send(this, SB_SETMINHEIGHT, static_cast<WPARAM>(nMin)); }
BOOL CStatusBarCtrl::SetSimple(BOOL bSimple) { return static_cast<BOOL>(Send(this, SB_SIMPLE, bSimple)); }
BOOL CStatusBarCtrl::IsSimple() const { return static_cast<BOOL>(Send(this, SB_ISSIMPLE)); }
BOOL CStatusBarCtrl::GetBorders(int* pBorders) const { return static_cast<BOOL>(Send(this, SB_GETBORDERS, 0, Ptr(pBorders))); }
BOOL CStatusBarCtrl::GetBorders(int& nHorz, int& nVert, int& nSpacing) const {
  int borders[3] = {};
  const BOOL ok = GetBorders(borders);
  nHorz = borders[0];
  nVert = borders[1];
  nSpacing = borders[2];
  return ok;
}

// --- CProgressCtrl ---
BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateEx(0, PROGRESS_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}
void CProgressCtrl::SetRange(short nLower, short nUpper) { Send(this, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
void CProgressCtrl::SetRange32(int nLower, int nUpper) {
  Send(this, PBM_SETRANGE32, static_cast<WPARAM>(nLower), static_cast<LPARAM>(nUpper));
}
void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
  PBRANGE range{};
  Send(this, PBM_GETRANGE, TRUE, Ptr(&range));
  nLower = range.iLow;
  nUpper = range.iHigh;
}
int CProgressCtrl::SetPos(int nPos) { return static_cast<int>(Send(this, PBM_SETPOS, static_cast<WPARAM>(nPos))); }
int CProgressCtrl::GetPos() const { return static_cast<int>(Send(this, PBM_GETPOS)); }
int CProgressCtrl::OffsetPos(int nPos) { return static_cast<int>(Send(this, PBM_DELTAPOS, static_cast<WPARAM>(nPos))); }
int CProgressCtrl::SetStep(int nStep) { return static_cast<int>(Send(this, PBM_SETSTEP, static_cast<WPARAM>(nStep))); }
int CProgressCtrl::StepIt() { return static_cast<int>(Send(this, PBM_STEPIT)); }

// --- CTabCtrl ---
BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateEx(0, WC_TABCONTROLW, nullptr, dwStyle, rect, pParentWnd, nID);
}
LONG CTabCtrl::InsertItem(int nItem, TCITEM* pTabCtrlItem) {
  return static_cast<LONG>(Send(this, TCM_INSERTITEMW, static_cast<WPARAM>(nItem), Ptr(pTabCtrlItem)));
}
LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem) { return InsertItem(TCIF_TEXT, nItem, lpszItem, 0, 0); }
LONG CTabCtrl::InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, int nImage, LPARAM lParam) {
  TCITEMW item{};
  item.mask = nMask;
  item.pszText = const_cast<LPWSTR>(lpszItem);
  item.iImage = nImage;
  item.lParam = lParam;
  return InsertItem(nItem, &item);
}
BOOL CTabCtrl::GetItem(int nItem, TCITEM* pTabCtrlItem) const {
  return static_cast<BOOL>(Send(this, TCM_GETITEMW, static_cast<WPARAM>(nItem), Ptr(pTabCtrlItem)));
}
BOOL CTabCtrl::SetItem(int nItem, TCITEM* pTabCtrlItem) {
  return static_cast<BOOL>(Send(this, TCM_SETITEMW, static_cast<WPARAM>(nItem), Ptr(pTabCtrlItem)));
}
BOOL CTabCtrl::DeleteItem(int nItem) { return static_cast<BOOL>(Send(this, TCM_DELETEITEM, static_cast<WPARAM>(nItem))); }
BOOL CTabCtrl::DeleteAllItems() { return static_cast<BOOL>(Send(this, TCM_DELETEALLITEMS)); }
int CTabCtrl::GetItemCount() const { return static_cast<int>(Send(this, TCM_GETITEMCOUNT)); }
int CTabCtrl::SetCurSel(int nItem) { return static_cast<int>(Send(this, TCM_SETCURSEL, static_cast<WPARAM>(nItem))); }
int CTabCtrl::GetCurSel() const { return static_cast<int>(Send(this, TCM_GETCURSEL)); }
BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
  return static_cast<BOOL>(Send(this, TCM_GETITEMRECT, static_cast<WPARAM>(nItem), Ptr(lpRect)));
}
void CTabCtrl::AdjustRect(BOOL bLarger, LPRECT lpRect) { Send(this, TCM_ADJUSTRECT, bLarger, Ptr(lpRect)); }
int CTabCtrl::HitTest(TCHITTESTINFO* pHitTestInfo) const {
  return static_cast<int>(Send(this, TCM_HITTEST, 0, Ptr(pHitTestInfo)));
}

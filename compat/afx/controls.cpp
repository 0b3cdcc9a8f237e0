// The standard controls' wrappers: each member is the control's message.
#include "compat/afx/controls.h"

#include <algorithm>
#include <string>

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

namespace {

BOOL CreateControl(CWnd* wnd, LPCTSTR cls, LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return wnd->CreateEx(0, cls, text, style, rect, parent, id);
}

LRESULT Send(const CWnd* wnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendMessageW(wnd->m_hWnd, message, wParam, lParam);
}

LPARAM Text(LPCTSTR text) { return reinterpret_cast<LPARAM>(text); }

// The owner-draw messages the list and combo wrappers take from their parent.
template <class Control>
BOOL OwnerDrawNotify(Control* control, UINT message, LPARAM lParam, LRESULT* pResult) {
  switch (message) {
    case WM_DRAWITEM: control->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); break;
    case WM_MEASUREITEM: control->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); break;
    case WM_COMPAREITEM: {
      const int order = control->CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam));
      if (pResult) *pResult = order;
      return TRUE;
    }
    case WM_DELETEITEM: control->DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)); break;
    default: return FALSE;
  }
  if (pResult) *pResult = TRUE;
  return TRUE;
}

}  // namespace

// --- CButton ---
BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, u"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}
int CButton::GetCheck() const { return static_cast<int>(Send(this, BM_GETCHECK)); }
void CButton::SetCheck(int nCheck) { Send(this, BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
UINT CButton::GetState() const { return static_cast<UINT>(Send(this, BM_GETSTATE)); }
void CButton::SetState(BOOL bHighlight) { Send(this, BM_SETSTATE, bHighlight); }
UINT CButton::GetButtonStyle() const { return static_cast<UINT>(GetStyle() & 0xFFFF); }
void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) { Send(this, BM_SETSTYLE, nStyle, bRedraw); }
HBITMAP CButton::SetBitmap(HBITMAP hBitmap) {
  return reinterpret_cast<HBITMAP>(Send(this, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
}
HBITMAP CButton::GetBitmap() const { return reinterpret_cast<HBITMAP>(Send(this, BM_GETIMAGE, IMAGE_BITMAP)); }
HICON CButton::SetIcon(HICON hIcon) {
  return reinterpret_cast<HICON>(Send(this, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(hIcon)));
}
HICON CButton::GetIcon() const { return reinterpret_cast<HICON>(Send(this, BM_GETIMAGE, IMAGE_ICON)); }
void CButton::DrawItem(LPDRAWITEMSTRUCT) {}
BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, pResult);
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  if (pResult) *pResult = TRUE;
  return TRUE;
}

// --- CStatic ---
BOOL CStatic::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, u"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
}
HICON CStatic::SetIcon(HICON hIcon) { return reinterpret_cast<HICON>(Send(this, STM_SETICON, reinterpret_cast<WPARAM>(hIcon))); }
HICON CStatic::GetIcon() const { return reinterpret_cast<HICON>(Send(this, STM_GETICON)); }
HBITMAP CStatic::SetBitmap(HBITMAP hBitmap) {
  return reinterpret_cast<HBITMAP>(Send(this, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
}
HBITMAP CStatic::GetBitmap() const { return reinterpret_cast<HBITMAP>(Send(this, STM_GETIMAGE, IMAGE_BITMAP)); }

// --- CEdit ---
BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, u"EDIT", nullptr, dwStyle, rect, pParentWnd, nID);
}
DWORD CEdit::GetSel() const { return static_cast<DWORD>(Send(this, EM_GETSEL)); }
void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  nStartChar = static_cast<int>(start);
  nEndChar = static_cast<int>(end);
}
void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll) {
  Send(this, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
  if (!bNoScroll) Send(this, EM_SCROLLCARET);
}
void CEdit::SetSel(DWORD dwSelection, BOOL bNoScroll) {
  SetSel(static_cast<SHORT>(LOWORD(dwSelection)), static_cast<SHORT>(HIWORD(dwSelection)), bNoScroll);
}
void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo) { Send(this, EM_REPLACESEL, bCanUndo, Text(lpszNewText)); }
BOOL CEdit::GetModify() const { return static_cast<BOOL>(Send(this, EM_GETMODIFY)); }
void CEdit::SetModify(BOOL bModified) { Send(this, EM_SETMODIFY, bModified); }
void CEdit::LimitText(int nChars) { Send(this, EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
void CEdit::SetLimitText(UINT nMax) { Send(this, EM_SETLIMITTEXT, nMax); }
UINT CEdit::GetLimitText() const { return static_cast<UINT>(Send(this, EM_GETLIMITTEXT)); }
BOOL CEdit::SetReadOnly(BOOL bReadOnly) { return static_cast<BOOL>(Send(this, EM_SETREADONLY, bReadOnly)); }
BOOL CEdit::CanUndo() const { return static_cast<BOOL>(Send(this, EM_CANUNDO)); }
BOOL CEdit::Undo() { return static_cast<BOOL>(Send(this, EM_UNDO)); }
void CEdit::EmptyUndoBuffer() { Send(this, EM_EMPTYUNDOBUFFER); }
void CEdit::Clear() { Send(this, WM_CLEAR); }
void CEdit::Copy() { Send(this, WM_COPY); }
void CEdit::Cut() { Send(this, WM_CUT); }
void CEdit::Paste() { Send(this, WM_PASTE); }
int CEdit::LineLength(int nLine) const { return static_cast<int>(Send(this, EM_LINELENGTH, static_cast<WPARAM>(nLine))); }
int CEdit::GetLine(int nIndex, LPTSTR lpszBuffer, int nMaxLength) const {
  if (!lpszBuffer || nMaxLength <= 0) return 0;
  lpszBuffer[0] = static_cast<WCHAR>(std::min(nMaxLength, 0xFFFF));
  return static_cast<int>(Send(this, EM_GETLINE, static_cast<WPARAM>(nIndex), Text(lpszBuffer)));
}

// --- CListBox ---
BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, u"LISTBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CListBox::GetCount() const { return static_cast<int>(Send(this, LB_GETCOUNT)); }
int CListBox::GetCurSel() const { return static_cast<int>(Send(this, LB_GETCURSEL)); }
int CListBox::SetCurSel(int nSelect) { return static_cast<int>(Send(this, LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
int CListBox::AddString(LPCTSTR lpszItem) { return static_cast<int>(Send(this, LB_ADDSTRING, 0, Text(lpszItem))); }
int CListBox::InsertString(int nIndex, LPCTSTR lpszItem) {
  return static_cast<int>(Send(this, LB_INSERTSTRING, static_cast<WPARAM>(nIndex), Text(lpszItem)));
}
int CListBox::DeleteString(UINT nIndex) { return static_cast<int>(Send(this, LB_DELETESTRING, nIndex)); }
void CListBox::ResetContent() { Send(this, LB_RESETCONTENT); }
int CListBox::GetText(int nIndex, LPTSTR lpszBuffer) const {
  return static_cast<int>(Send(this, LB_GETTEXT, static_cast<WPARAM>(nIndex), Text(lpszBuffer)));
}
void CListBox::GetText(int nIndex, CString& rString) const {
  const int length = GetTextLen(nIndex);
  if (length < 0) {
    rString.Empty();
    return;
  }
  std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
  GetText(nIndex, buffer.data());
  rString = buffer.c_str();
}
int CListBox::GetTextLen(int nIndex) const { return static_cast<int>(Send(this, LB_GETTEXTLEN, static_cast<WPARAM>(nIndex))); }
DWORD_PTR CListBox::GetItemData(int nIndex) const {
  return static_cast<DWORD_PTR>(Send(this, LB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
}
int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  return static_cast<int>(Send(this, LB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData)));
}
void* CListBox::GetItemDataPtr(int nIndex) const { return reinterpret_cast<void*>(GetItemData(nIndex)); }
int CListBox::SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(pData)); }
int CListBox::FindString(int nStartAfter, LPCTSTR lpszItem) const {
  return static_cast<int>(Send(this, LB_FINDSTRING, static_cast<WPARAM>(nStartAfter), Text(lpszItem)));
}
int CListBox::FindStringExact(int nIndexStart, LPCTSTR lpszFind) const {
  return static_cast<int>(Send(this, LB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), Text(lpszFind)));
}
int CListBox::SelectString(int nStartAfter, LPCTSTR lpszItem) {
  return static_cast<int>(Send(this, LB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), Text(lpszItem)));
}
int CListBox::GetTopIndex() const { return static_cast<int>(Send(this, LB_GETTOPINDEX)); }
int CListBox::SetTopIndex(int nIndex) { return static_cast<int>(Send(this, LB_SETTOPINDEX, static_cast<WPARAM>(nIndex))); }
int CListBox::GetItemRect(int nIndex, LPRECT lpRect) const {
  return static_cast<int>(Send(this, LB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)));
}
int CListBox::GetItemHeight(int nIndex) const { return static_cast<int>(Send(this, LB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex))); }
int CListBox::SetItemHeight(int nIndex, UINT cyItemHeight) {
  return static_cast<int>(Send(this, LB_SETITEMHEIGHT, static_cast<WPARAM>(nIndex), MAKELPARAM(cyItemHeight, 0)));
}
void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
int CListBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
void CListBox::DeleteItem(LPDELETEITEMSTRUCT) {}
BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

// --- CComboBox ---
BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, u"COMBOBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CComboBox::GetCount() const { return static_cast<int>(Send(this, CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(Send(this, CB_GETCURSEL)); }
int CComboBox::SetCurSel(int nSelect) { return static_cast<int>(Send(this, CB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
int CComboBox::AddString(LPCTSTR lpszString) { return static_cast<int>(Send(this, CB_ADDSTRING, 0, Text(lpszString))); }
int CComboBox::InsertString(int nIndex, LPCTSTR lpszString) {
  return static_cast<int>(Send(this, CB_INSERTSTRING, static_cast<WPARAM>(nIndex), Text(lpszString)));
}
int CComboBox::DeleteString(UINT nIndex) { return static_cast<int>(Send(this, CB_DELETESTRING, nIndex)); }
void CComboBox::ResetContent() { Send(this, CB_RESETCONTENT); }
int CComboBox::GetLBText(int nIndex, LPTSTR lpszText) const {
  return static_cast<int>(Send(this, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), Text(lpszText)));
}
void CComboBox::GetLBText(int nIndex, CString& rString) const {
  const int length = GetLBTextLen(nIndex);
  if (length < 0) {
    rString.Empty();
    return;
  }
  std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
  GetLBText(nIndex, buffer.data());
  rString = buffer.c_str();
}
int CComboBox::GetLBTextLen(int nIndex) const { return static_cast<int>(Send(this, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex))); }
DWORD_PTR CComboBox::GetItemData(int nIndex) const {
  return static_cast<DWORD_PTR>(Send(this, CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
}
int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  return static_cast<int>(Send(this, CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData)));
}
void* CComboBox::GetItemDataPtr(int nIndex) const { return reinterpret_cast<void*>(GetItemData(nIndex)); }
int CComboBox::SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(pData)); }
int CComboBox::FindString(int nStartAfter, LPCTSTR lpszString) const {
  return static_cast<int>(Send(this, CB_FINDSTRING, static_cast<WPARAM>(nStartAfter), Text(lpszString)));
}
int CComboBox::FindStringExact(int nIndexStart, LPCTSTR lpszFind) const {
  return static_cast<int>(Send(this, CB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), Text(lpszFind)));
}
int CComboBox::SelectString(int nStartAfter, LPCTSTR lpszString) {
  return static_cast<int>(Send(this, CB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), Text(lpszString)));
}
DWORD CComboBox::GetEditSel() const { return static_cast<DWORD>(Send(this, CB_GETEDITSEL)); }
BOOL CComboBox::SetEditSel(int nStartChar, int nEndChar) {
  return static_cast<BOOL>(Send(this, CB_SETEDITSEL, 0, MAKELPARAM(nStartChar, nEndChar)));
}
BOOL CComboBox::LimitText(int nMaxChars) { return static_cast<BOOL>(Send(this, CB_LIMITTEXT, static_cast<WPARAM>(nMaxChars))); }
void CComboBox::ShowDropDown(BOOL bShowIt) { Send(this, CB_SHOWDROPDOWN, bShowIt); }
BOOL CComboBox::GetDroppedState() const { return static_cast<BOOL>(Send(this, CB_GETDROPPEDSTATE)); }
void CComboBox::GetDroppedControlRect(LPRECT lprect) const {
  Send(this, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(lprect));
}
int CComboBox::GetItemHeight(int nIndex) const { return static_cast<int>(Send(this, CB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex))); }
void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
int CComboBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
void CComboBox::DeleteItem(LPDELETEITEMSTRUCT) {}
BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

// --- CScrollBar ---
BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, u"SCROLLBAR", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CScrollBar::GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
int CScrollBar::SetScrollPos(int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw); }
void CScrollBar::GetScrollRange(LPINT lpMinPos, LPINT lpMaxPos) const { ::GetScrollRange(m_hWnd, SB_CTL, lpMinPos, lpMaxPos); }
void CScrollBar::SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw) {
  ::SetScrollRange(m_hWnd, SB_CTL, nMinPos, nMaxPos, bRedraw);
}
void CScrollBar::ShowScrollBar(BOOL bShow) { ::ShowScrollBar(m_hWnd, SB_CTL, bShow); }
BOOL CScrollBar::EnableScrollBar(UINT nArrowFlags) { return ::EnableScrollBar(m_hWnd, SB_CTL, nArrowFlags); }
BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
  if (!lpScrollInfo) return FALSE;
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  ::SetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo, bRedraw);
  return TRUE;
}
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask) {
  if (!lpScrollInfo) return FALSE;
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  lpScrollInfo->fMask = nMask;
  return ::GetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo);
}
int CScrollBar::GetScrollLimit() { return CWnd::GetScrollLimit(SB_CTL); }

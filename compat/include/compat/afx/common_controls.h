// The framework's wrappers of the common controls: CToolBarCtrl,
// CStatusBarCtrl, CToolTipCtrl, CProgressCtrl and CTabCtrl. Each member sends
// the control's message.
#pragma once

#include "compat/afx/gdi.h"
#include "compat/afx/string.h"
#include "compat/afx/types.h"
#include "compat/afx/wnd.h"

class CToolTipCtrl : public CWnd {
  DECLARE_DYNAMIC(CToolTipCtrl)

 public:
  CToolTipCtrl() = default;
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
  void Activate(BOOL bActivate);
  // A tool for a whole window (no rectangle, id 0) or for a rectangle of it under an id.
  BOOL AddTool(CWnd* pWnd, LPCTSTR lpszText = LPSTR_TEXTCALLBACK, LPCRECT lpRectTool = nullptr,
               UINT_PTR nIDTool = 0);
  BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
  void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
  void UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
  void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
  int GetToolCount() const;
  int SetMaxTipWidth(int iWidth);
  void SetDelayTime(UINT nDelay);
  void SetDelayTime(DWORD dwDuration, int iTime);
  int GetDelayTime(DWORD dwDuration) const;
  void RelayEvent(LPMSG lpMsg);
  void Pop();
};

class CToolBarCtrl : public CWnd {
  DECLARE_DYNAMIC(CToolBarCtrl)

 public:
  CToolBarCtrl() = default;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Images from a bitmap resource of the program, or from a bitmap it keeps;
  // the index of the first new image, or -1.
  int AddBitmap(int nNumButtons, UINT nBitmapID);
  int AddBitmap(int nNumButtons, CBitmap* pBitmap);
  BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons);
  BOOL InsertButton(int nIndex, LPTBBUTTON lpButton);
  BOOL DeleteButton(int nIndex);
  BOOL SetButtonSize(CSize size);
  BOOL SetBitmapSize(CSize size);
  CSize GetButtonSize() const;
  BOOL EnableButton(int nID, BOOL bEnable = TRUE);
  BOOL CheckButton(int nID, BOOL bCheck = TRUE);
  BOOL PressButton(int nID, BOOL bPress = TRUE);
  BOOL HideButton(int nID, BOOL bHide = TRUE);
  BOOL IsButtonEnabled(int nID) const;
  BOOL IsButtonChecked(int nID) const;
  BOOL SetState(int nID, UINT nState);
  int GetState(int nID) const;
  BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const;
  int GetButtonCount() const;
  BOOL GetItemRect(int nIndex, LPRECT lpRect) const;
  BOOL GetRect(int nID, LPRECT lpRect) const;
  UINT CommandToIndex(UINT nID) const;
  CImageList* SetImageList(CImageList* pImageList);
  CImageList* GetImageList() const;
  CToolTipCtrl* GetToolTips() const;
  void SetToolTips(CToolTipCtrl* pTip);
  void SetOwner(CWnd* pWnd);
  DWORD SetExtendedStyle(DWORD dwExStyle);
  DWORD GetExtendedStyle() const;
  void AutoSize();
};

class CStatusBarCtrl : public CWnd {
  DECLARE_DYNAMIC(CStatusBarCtrl)

 public:
  CStatusBarCtrl() = default;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL SetParts(int nParts, int* pWidths);
  int GetParts(int nParts, int* pParts) const;
  BOOL SetText(LPCTSTR lpszText, int nPane, int nType);
  CString GetText(int nPane, int* pType = nullptr) const;
  int GetTextLength(int nPane, int* pType = nullptr) const;
  BOOL GetRect(int nPane, LPRECT lpRect) const;
  void SetMinHeight(int nMin);
  BOOL SetSimple(BOOL bSimple = TRUE);
  BOOL IsSimple() const;
  BOOL GetBorders(int* pBorders) const;
  BOOL GetBorders(int& nHorz, int& nVert, int& nSpacing) const;
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)

 public:
  CProgressCtrl() = default;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  void SetRange(short nLower, short nUpper);
  void SetRange32(int nLower, int nUpper);
  void GetRange(int& nLower, int& nUpper) const;
  int SetPos(int nPos);
  int GetPos() const;
  int OffsetPos(int nPos);
  int SetStep(int nStep);
  int StepIt();
};

class CTabCtrl : public CWnd {
  DECLARE_DYNAMIC(CTabCtrl)

 public:
  CTabCtrl() = default;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  LONG InsertItem(int nItem, TCITEM* pTabCtrlItem);
  LONG InsertItem(int nItem, LPCTSTR lpszItem);
  LONG InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, int nImage, LPARAM lParam);
  BOOL GetItem(int nItem, TCITEM* pTabCtrlItem) const;
  BOOL SetItem(int nItem, TCITEM* pTabCtrlItem);
  BOOL DeleteItem(int nItem);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int SetCurSel(int nItem);
  int GetCurSel() const;
  BOOL GetItemRect(int nItem, LPRECT lpRect) const;
  void AdjustRect(BOOL bLarger, LPRECT lpRect);
  int HitTest(TCHITTESTINFO* pHitTestInfo) const;
};

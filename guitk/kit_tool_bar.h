// CKitToolBarWnd: the toolkit's flat toolbar. The framework's toolbar lays
// the buttons out; this bar sizes the rows itself (room for drop-down
// arrows), paints background, separators, buttons, gripper and border in
// the toolkit's two looks, tracks the hot button on a timer and opens the
// popup menu or torn-off window bound to a drop-down button.
#pragma once

#include "compat/afx.h"

class CKitToolBarWnd : public CToolBar {
  DECLARE_DYNAMIC(CKitToolBarWnd)

 public:
  CKitToolBarWnd();
  ~CKitToolBarWnd() override;

  // A drop-down button's binding: a popup menu resource, or a window shown
  // torn off in a small floating frame.
  struct DropDown {
    UINT nCommand = 0;
    UINT nMenuId = 0;
    CWnd* pWnd = nullptr;
    UINT nValue = 0;
  };
  void AddDropDown(UINT nCommand, UINT nMenuId, CWnd* pWnd = nullptr, UINT nValue = 0);

  virtual void SetStyle(int style);

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  CDockContext* CreateDockContext() override;

  // Where the bar is docked, asked of the dock bar that holds it.
  BOOL IsDockedLeft() const;
  BOOL IsDockedRight() const;
  BOOL IsDockedBottom() const;
  BOOL IsVerticalDock() const;
  // The length of the dock bar that holds the bar, 0 when none.
  int LengthAvailable() const;

  // The width of a drop-down arrow ("6" in Marlett at the menu check height).
  static int DropArrowWidth();

  int GetHotButton() const { return m_nHotButton; }
  BOOL IsPopupOpen() const { return m_bPopupOpen; }
  int m_nRightMenuId = 0;
  int m_nStyle = 0x8001;

 protected:
  CSize CalcSize(TBBUTTON* pData, int nCount) override;
  // Opens the torn-off window of a record at a screen rectangle; FALSE when it could not.
  virtual BOOL OpenTearOff(const DropDown& record, const CRect& place);
  void DrawButton(CDC* pDC, int nIndex, const TBBUTTON& button, const CRect& rect, HIMAGELIST images);
  void DrawBackground(CDC* pDC, const CRect& rect);
  COLORREF HotFrameColor() const;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnNcPaint();
  afx_msg void OnWindowPosChanging(WINDOWPOS* lpWndPos);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnSysColorChange();
  afx_msg void OnDropDown(NMHDR* pNotify, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()

  CPtrArray m_dropDowns;  // DropDown*, owned
  CSize m_sizeArrowBitmap{0, 0};
  CImageList m_arrows;
  CRect m_rcHot{0, 0, 0, 0};
  BOOL m_bPressed = FALSE;
  CFont m_captionFont;  // the menu font
  BOOL m_bVertical = FALSE;
  BOOL m_bHotDrawn = FALSE;
  BOOL m_bPopupOpen = FALSE;
  int m_nCurrentDropDown = -1;
  int m_nHotButton = -1;
};

// The rectangle of the button whose drop-down menu is open (screen), empty otherwise.
RECT KitDropDownButtonRect();

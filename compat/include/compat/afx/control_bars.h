// The framework's control bars: the bar every toolbar, status bar and dock bar
// derives from, the toolbar and the status bar on their common controls, and
// the command-state objects the bars update at idle.
//
// Sections: styles and ids · CControlBar · CToolBar · CStatusBar ·
// message-map entries
#pragma once

#include <vector>

#include "compat/afx/common_controls.h"
#include "compat/afx/doc_view.h"
#include "compat/afx/wnd.h"

class CDockBar;
class CDockContext;

// --- styles and ids ---

// Bar styles: the low word and CBRS_GRIPPER of a bar's creation style; the
// rest is the window's style.
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

// Layout modes of CalcDynamicLayout.
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20
#define LM_COMMIT 0x40

// Toolbar button styles: the control's style byte in the low word, its state
// byte in the high word, with the enabled bit read as "disabled".
#define TBBS_BUTTON MAKELONG(TBSTYLE_BUTTON, 0)
#define TBBS_SEPARATOR MAKELONG(TBSTYLE_SEP, 0)
#define TBBS_CHECKBOX MAKELONG(TBSTYLE_CHECK, 0)
#define TBBS_GROUP MAKELONG(TBSTYLE_GROUP, 0)
#define TBBS_CHECKGROUP MAKELONG(TBSTYLE_CHECKGROUP, 0)
#define TBBS_DROPDOWN MAKELONG(TBSTYLE_DROPDOWN, 0)
#define TBBS_CHECKED MAKELONG(0, TBSTATE_CHECKED)
#define TBBS_PRESSED MAKELONG(0, TBSTATE_PRESSED)
#define TBBS_DISABLED MAKELONG(0, TBSTATE_ENABLED)
#define TBBS_INDETERMINATE MAKELONG(0, TBSTATE_INDETERMINATE)
#define TBBS_HIDDEN MAKELONG(0, TBSTATE_HIDDEN)
#define TBBS_WRAPPED MAKELONG(0, TBSTATE_WRAP)

// Status bar pane styles: the control's drawing flags plus the framework's own.
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_OWNERDRAW SBT_OWNERDRAW
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

#define ID_SEPARATOR 0
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_DOCKBAR_TOP 0xE81B
#define AFX_IDW_DOCKBAR_LEFT 0xE81C
#define AFX_IDW_DOCKBAR_RIGHT 0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81E
#define AFX_IDW_DOCKBAR_FLOAT 0xE81F
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801

// What RepositionBars hands each bar in WM_SIZEPARENT: the rectangle left
// for the bars still to come, which each bar shrinks by its own.
struct AFX_SIZEPARENTPARAMS {
  HDWP hDWP;       // the deferred batch the bars add their places to; null for a query
  RECT rect;       // what is left
  SIZE sizeTotal;  // the bars' extent so far
  BOOL bStretch;   // bars stretch along their edge
};

// --- CControlBar ---

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)

 public:
  CControlBar();
  ~CControlBar() override;

  int GetCount() const { return m_nCount; }
  DWORD GetBarStyle() const { return m_dwStyle; }
  void SetBarStyle(DWORD dwStyle);
  void SetBorders(int cxLeft = 0, int cyTop = 0, int cxRight = 0, int cyBottom = 0);
  void SetBorders(LPCRECT lpRect) { SetBorders(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom); }
  CRect GetBorders() const { return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder); }

  // Makes the bar dockable on the given edges (CBRS_ALIGN_*); the first call
  // gives it a dock context, later calls keep the one it has.
  void EnableDocking(DWORD dwDockStyle);
  CFrameWnd* GetDockingFrame() const;
  BOOL IsFloating() const;
  virtual BOOL IsDockBar() const { return FALSE; }
  // Visible, counting a show or hide the next layout will carry out.
  virtual BOOL IsVisible() const;
  // Shows or hides the bar at the next layout.
  virtual void DelayShow(BOOL bShow);

  // The bar's size along (bHorz) or across an edge; bStretch asks for the
  // full length of the edge.
  virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
  // The bar's size for a length in a mode (LM_*); -1 asks for its own.
  virtual CSize CalcDynamicLayout(int nLength, DWORD dwMode);
  // Shrinks a window rectangle to the bar's content: borders, gripper, margins.
  virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const;
  virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
  virtual void DoPaint(CDC* pDC);
  virtual void DrawBorders(CDC* pDC, CRect& rect);
  virtual void DrawGripper(CDC* pDC, const CRect& rect);
  // The command under a client point, -1 for none: the fly-by prompt and the tooltip's tool.
  virtual INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const;
  // Called by SetBarStyle after the style changed.
  virtual void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle) { (void)dwOldStyle; (void)dwNewStyle; }
  // Shows the prompt of a command (-1: the idle prompt) in the frame's message bar.
  BOOL SetStatusText(INT_PTR nHit);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;
  // Applies a delayed show or hide when the layout is real; the style the
  // layout should assume (alignment, borders, visibility). Dock bars call it.
  DWORD RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout);

  // Bar state flags of m_nStateFlags.
  enum StateFlags { delayHide = 1, delayShow = 2, tempHide = 4, statusSet = 8 };

  int m_cxLeftBorder = 6, m_cxRightBorder = 6;
  int m_cyTopBorder = 1, m_cyBottomBorder = 1;
  int m_cxDefaultGap = 2;  // the overlap of neighbouring bars in a dock bar
  UINT m_nMRUWidth = 32767;  // the width of the last floating layout
  BOOL m_bAutoDelete = FALSE;  // the bar deletes itself when its window goes
  int m_nCount = 0;
  UINT m_nStateFlags = 0;
  DWORD m_dwStyle = 0;      // bar style: CBRS_* bits
  DWORD m_dwDockStyle = 0;  // the edges it may dock on
  CFrameWnd* m_pDockSite = nullptr;
  CDockBar* m_pDockBar = nullptr;
  CDockContext* m_pDockContext = nullptr;

 protected:
  // Creates the window: bar style from dwStyle's CBRS_ALL bits, window style the rest.
  BOOL CreateBar(LPCTSTR lpszClassName, DWORD dwStyle, DWORD dwCtrlStyle, UINT nID, CWnd* pParentWnd);
  // Paints the borders and gripper into the window's non-client area.
  void EraseNonClient();
  // The client rectangle of a non-client calculation moved in by an inside rectangle.
  static void ShrinkToInside(NCCALCSIZE_PARAMS* lpncsp, const CRect& inside);
  CFrameWnd* CommandTarget() const;
  // The dock context makes a dockable bar's drag and its docked/floating
  // toggle; without one (no docking yet) they do nothing.
  virtual CDockContext* CreateDockContext();
  virtual void DestroyDockContext();
  virtual void StartDockDrag(CPoint point);
  virtual void ToggleDocking();

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnNcPaint();
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnWindowPosChanging(WINDOWPOS* lpWndPos);
  afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

  INT_PTR m_nFlyByHit = -1;  // the command whose prompt the fly-by shows
  DECLARE_MESSAGE_MAP()
  friend class CDockBar;  // lays out its bars' delayed shows

 private:
  void TrackFlyBy(CPoint point);
  void CheckFlyBy();
};

// --- CToolBar ---

// The toolbar common control as a bar: buttons from a toolbar resource and its
// bitmap, laid out in rows by the bar's layout, updated at idle.
class CToolBar : public CControlBar {
  DECLARE_DYNAMIC(CToolBar)

 public:
  CToolBar();
  ~CToolBar() override;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                UINT nID = AFX_IDW_TOOLBAR);
  void SetSizes(SIZE sizeButton, SIZE sizeImage);
  // Sets the bar's height by sharing it out between the top and bottom margins.
  void SetHeight(int cyHeight);
  // The RT_TOOLBAR resource (image size, button ids) and the bitmap of the same id.
  BOOL LoadToolBar(UINT nIDResource);
  BOOL LoadToolBar(LPCTSTR lpszResourceName);
  // The images from a 16-colour bitmap resource, its greys mapped to the button colours.
  BOOL LoadBitmap(UINT nIDResource);
  BOOL LoadBitmap(LPCTSTR lpszResourceName);
  // The images from a bitmap the toolbar then owns.
  BOOL SetBitmap(HBITMAP hbmImageWell);
  // One button per id (ID_SEPARATOR makes a separator), images in order.
  BOOL SetButtons(const UINT* lpIDArray, int nIDCount);

  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  UINT GetButtonStyle(int nIndex) const;
  void SetButtonStyle(int nIndex, UINT nStyle);
  void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
  void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
  CToolBarCtrl& GetToolBarCtrl() const;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;
  void DoPaint(CDC* pDC) override;

  CSize m_sizeButton{23, 22};
  CSize m_sizeImage{16, 15};
  HINSTANCE m_hInstImageWell = nullptr;  // where the bitmap came from, to map it again
  HRSRC m_hRsrcImageWell = nullptr;
  HBITMAP m_hbmImageWell = nullptr;

 protected:
  // A button as the bar reads it: TBSTATE_ENABLED inverted (set means disabled).
  void _GetButton(int nIndex, TBBUTTON* pButton) const;
  // Changes the control's button only where it differs.
  void _SetButton(int nIndex, TBBUTTON* pButton);
  // The extent of the buttons laid out with their wrap marks.
  virtual CSize CalcSize(TBBUTTON* pData, int nCount);
  // Marks where rows break for a width; the number of rows.
  int WrapToolBar(TBBUTTON* pData, int nCount, int nWidth);
  // Wraps to a length: the width of a row, or (bVert) the height of the block.
  void SizeToolBar(TBBUTTON* pData, int nCount, int nLength, BOOL bVert = FALSE);
  // The layout both size requests share; applies the wrap marks it finds.
  CSize CalcLayout(DWORD dwMode, int nLength = -1);

  afx_msg void OnSysColorChange();
  afx_msg void OnDestroy();
  afx_msg LRESULT OnNcHitTest(CPoint point);

  HIMAGELIST m_hImageList = nullptr;  // cut from m_hbmImageWell
  DECLARE_MESSAGE_MAP()

 private:
  void MakeImageList();
  mutable CToolBarCtrl m_ctrl;  // the same window seen through the control's members
};

// The command state of one toolbar button at idle.
class CToolCmdUI : public CCmdUI {
 public:
  void Enable(BOOL bOn = TRUE) override;
  void SetCheck(int nCheck = 1) override;  // 0 clear, 1 checked, 2 indeterminate
  void SetRadio(BOOL bOn = TRUE) override;
  void SetText(LPCTSTR) override {}
};

// --- CStatusBar ---

// The status common control as a bar: a stretching message pane and panes as
// wide as their indicators' strings, updated at idle.
class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)

 public:
  CStatusBar();
  ~CStatusBar() override;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
  // One pane per id: ID_SEPARATOR first stretches; any other shows its string
  // and is as wide as it. FALSE when an id has no string (its pane stays empty).
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  CString GetPaneText(int nIndex) const;
  void GetPaneText(int nIndex, CString& rString) const;
  BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
  void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
  void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
  UINT GetPaneStyle(int nIndex) const;
  void SetPaneStyle(int nIndex, UINT nStyle);
  CStatusBarCtrl& GetStatusBarCtrl() const;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void CalcInsideRect(CRect& rect, BOOL bHorz) const override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  void DoPaint(CDC* pDC) override;

 protected:
  struct Pane {
    UINT nID = 0;
    int cxText = 0;   // the text's width, without the pane's borders
    UINT nStyle = 0;  // SBPS_*
    CString strText;
    bool pending = false;  // text not yet given to the control
  };
  // Gives the control the panes' right edges (bUpdateRects) and their pending texts.
  void UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText);
  void ShowPaneText(int nIndex);
  HFONT Font() const;
  bool ValidIndex(int nIndex) const { return nIndex >= 0 && nIndex < static_cast<int>(m_panes.size()); }

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg void OnDestroy();
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

  std::vector<Pane> m_panes;
  DECLARE_MESSAGE_MAP()

 private:
  mutable CStatusBarCtrl m_ctrl;
};

// The command state of one status pane at idle: enabled shows its text.
class CStatusCmdUI : public CCmdUI {
 public:
  void Enable(BOOL bOn = TRUE) override;
  void SetCheck(int nCheck = 1) override;  // a raised pane
  void SetRadio(BOOL bOn = TRUE) override { SetCheck(bOn ? 1 : 0); }
  void SetText(LPCTSTR lpszText) override;
};

// --- message-map entries ---

#define ON_WM_MENUSELECT() {WM_MENUSELECT, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMenuSelect(static_cast<UINT>(LOWORD(afxCall.wParam)), static_cast<UINT>(HIWORD(afxCall.wParam)), reinterpret_cast<HMENU>(afxCall.lParam)); return TRUE;)},

// The toolkit's tab windows: CKitTabCtrl owns one child window per tab and
// shows the current one; CKitScrollTabStrip adds "Scroll Left", "Scroll
// Right" and "Close" buttons and a hidden list of the tabs; CKitMdiTabs is
// that strip above a frame's MDI client, one tab per document window.
#pragma once

#include "compat/afx.h"
#include "guitk/history_combo.h"
#include "guitk/tool_button.h"

// Commands of the tab windows.
constexpr UINT kKitTabClickedCommand = 2022;  // to the parent after a click on a tab
constexpr UINT kKitTabCloseCommand = 2182;
constexpr UINT kKitTabScrollLeftCommand = 2183;
constexpr UINT kKitTabScrollRightCommand = 2184;
constexpr UINT kKitTabListId = 2185;

struct KitTab {
  UINT menuId = 0;  // its context menu, or 0
  CWnd* window = nullptr;
  // Compared and checked through the handle: the window's object may be gone with it.
  HWND handle = nullptr;
  CString caption;
  int image = -1;
  CRect rect;
  COLORREF textColor = 0xFFFFFF;
  COLORREF tabColor = 0;
};

class CKitTabCtrl : public CWnd {
  DECLARE_DYNAMIC(CKitTabCtrl)

 public:
  CKitTabCtrl();
  ~CKitTabCtrl() override;

  // The colour of the n-th tab added (counting from 1).
  static COLORREF TabColorFor(int ordinal);

  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  int AddTab(CWnd* pWnd, LPCTSTR lpszCaption, int image = -1, UINT menuId = 0);
  BOOL DeleteTab(int index);
  virtual void SetCurrentTab(int index);
  // Finds the tab of the window; a new title replaces its caption.
  BOOL RefreshTab(CWnd* pWnd, LPCTSTR lpszTitle);
  int GetCurrentTab() const { return m_nCurrent; }
  int GetTabCount() const { return m_nTabs; }
  const KitTab* GetTab(int index) const;
  int FindTab(HWND hwnd) const;
  // The tab under a client point, or -1.
  virtual int HitTest(CPoint point) const;
  CRect GetTabArea() const { return m_rectTabArea; }
  int GetTabsWidth() const { return m_nTabsWidth; }
  CImageList& GetImageList() { return m_images; }

  void SetTabsAtBottom(BOOL bottom) { m_bTabsAtBottom = bottom; }
  void SetBringToTop(BOOL bringToTop) { m_bBringToTop = bringToTop; }
  void SetNotifyParent(BOOL notify) { m_bNotifyParent = notify; }
  void SetStyle(int style);
  void RecalcLayout();

  virtual void DrawTabs(CDC* pDC);
  virtual void LayoutTabs();

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  // The tooltip's tools follow the tab rectangles.
  void UpdateTools();
  void DrawTab(CDC* pDC, const KitTab& tab, const CRect& rect, bool current);
  // The tab windows' rectangle, beside the tab area.
  CRect WindowArea(const CRect& inner) const;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  int m_nStyle = 0x8001;
  BOOL m_bBringToTop = FALSE;
  BOOL m_bNotifyParent = TRUE;
  CPtrArray m_tabs;
  int m_nTabs = 0;
  int m_nTabHeight = 15;
  int m_nImageWidth = 15;
  int m_nTabsWidth = 0;
  BOOL m_bEraseNothing = FALSE;
  int m_nCurrent = 0;
  CRect m_rectClient;
  CRect m_rectTabArea;
  CToolTipCtrl m_toolTip;
  int m_nTools = 0;
  CImageList m_images;
  CFont m_font;
  CFont m_boldFont;
  int m_nButtons = 0;  // 2: buttons share the strip with the tabs
  BOOL m_bTabsAtBottom = TRUE;
};

class CKitScrollTabStrip : public CKitTabCtrl {
  DECLARE_DYNAMIC(CKitScrollTabStrip)

 public:
  CKitScrollTabStrip();
  ~CKitScrollTabStrip() override;

  int GetScrollOffset() const { return m_nScrollOffset; }
  CKitRepeatButton& GetScrollLeftButton() { return m_scrollLeft; }
  CKitRepeatButton& GetScrollRightButton() { return m_scrollRight; }
  CKitRepeatButton& GetCloseButton() { return m_close; }
  CKitHistoryCombo& GetTabList() { return m_list; }
  // The width the tabs may show in, left of the buttons.
  int GetVisibleWidth() const;

  void DrawTabs(CDC* pDC) override;
  void LayoutTabs() override;
  int HitTest(CPoint point) const override;

 protected:
  // What the "Close" button does; the MDI tabs close their window.
  virtual void OnCloseTab() {}
  void PlaceButtons();
  void FillTabList();

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnScrollLeft();
  afx_msg void OnScrollRight();
  afx_msg void OnClose();
  afx_msg void OnTabListSelect();
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()

  CKitRepeatButton m_scrollLeft;
  CKitRepeatButton m_scrollRight;
  CKitRepeatButton m_close;
  CKitHistoryCombo m_list;
  CImageList m_arrows;
  HICON m_icons[3] = {};
  int m_nScrollOffset = 0;
};

class CKitMdiTabs : public CKitScrollTabStrip {
  DECLARE_DYNAMIC(CKitMdiTabs)

 public:
  static constexpr int kStripHeight = 24;

  CKitMdiTabs();
  void SetStyle(int style);
  // Brings the tabs in step with the client's windows: captions, new and
  // gone windows, the active one current.
  void Rescan();
  void SetCurrentTab(int index) override;

 protected:
  void OnCloseTab() override;
  HWND ClientWindow() const;

  afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnPaint();
  DECLARE_MESSAGE_MAP()
};

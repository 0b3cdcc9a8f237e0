// CKitMDIFrame: the toolkit's multiple-document frame. It has the styled
// frame's bars, docking, drawing style and saved layout, and a strip of tabs
// over the client, one per document window.
#pragma once

#include "guitk/kit_frame_wnd.h"
#include "guitk/kit_tabs.h"

class CKitMDIFrame : public CMDIFrameWnd {
  DECLARE_DYNCREATE(CKitMDIFrame)

 public:
  static constexpr UINT kTabsId = 0xE840;  // among the bars: the pane's id is the client's

  CKitMDIFrame();
  ~CKitMDIFrame() override;

  BOOL DestroyWindow() override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  // The framework's client, then the tab strip over it.
  BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu) override;
  // The tabs lie over the client, inside every bar made after them.
  void RecalcLayout(BOOL bNotify = TRUE) override;

  virtual void SetDrawStyle(UINT style);
  virtual void EnableKitDocking(DWORD dwDockStyle);
  virtual BOOL PreCreateWindowWithIcon(CREATESTRUCT& cs, UINT iconId);

  // 0, or -1 when the bar cannot be created or its resource not loaded.
  int CreateKitMenuBar(UINT menuId);
  int CreateKitToolBar(UINT toolbarId);
  // Applies the saved dock state when every bar it names exists, then the bars' sizes.
  void LoadDefaultLayout();

  // "<base>Main": unlike the single-document frame's, without a hyphen.
  CString MainSection() const { return m_strProfileBase + u"Main"; }

  CString m_strProfileBase;  // the application's name, blanks as '_'
  CKitMdiTabs m_wndTabs;
  CMenuBar m_wndMenuBar;
  CPopupMenuManager m_menuManager;
  CKitStatusBar m_wndStatusBar;
  CKitToolBarWnd m_wndToolBar;
  CDrawnMenu m_drawnMenu;
  UINT m_nDrawStyle = 0x8001;
  CKitDockRing m_dockRing;  // fillers, outer dock bars and auto-hide strips

 protected:
  KitFrameBars Bars() { return {m_wndMenuBar, m_drawnMenu, m_menuManager, m_wndStatusBar, m_wndToolBar, m_dockRing}; }
  HIMAGELIST m_hToolImages = nullptr;
};

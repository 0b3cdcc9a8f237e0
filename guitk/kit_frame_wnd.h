// CKitFrameWnd: the toolkit's single-document frame. It owns the menu bar,
// the owner-drawn menu, the popup menu manager, the toolbar and the status
// bar, sets up two rings of dock bars, keeps its placement, the drawing
// style and the theme flag in a profile section of its own, and saves and
// restores the layout of every docking bar.
#pragma once

#include "compat/afx.h"
#include "guitk/drawn_menu.h"
#include "guitk/kit_dock_bar.h"
#include "guitk/kit_status_bar.h"
#include "guitk/kit_tool_bar.h"
#include "guitk/menu_bar.h"
#include "guitk/popup_menu_manager.h"

// The bars a toolkit frame owns, single- or multiple-document alike.
struct KitFrameBars {
  CMenuBar& menuBar;
  CDrawnMenu& drawnMenu;
  CPopupMenuManager& manager;
  CKitStatusBar& statusBar;
  CKitToolBarWnd& toolBar;
  CKitDockRing& ring;
};

// What both toolkit frames do alike. The placement is read from `section`
// and kept inside the work area; the theme flag only when `readTheme`.
void KitPlaceFrame(CREATESTRUCT& cs, const CString& section, bool readTheme);
// A window class with the icon resource.
LPCTSTR KitIconWndClass(UINT iconId);
// The application's name with blanks as '_'.
CString KitProfileBase();
// 0, or -1 when the bar cannot be created or its resource not loaded.
int KitCreateMenuBar(CFrameWnd* frame, KitFrameBars bars, UINT style, UINT menuId);
int KitCreateToolBar(CFrameWnd* frame, CKitToolBarWnd& toolBar, HIMAGELIST& images, UINT toolbarId);
void KitApplyDrawStyle(CFrameWnd* frame, KitFrameBars bars, UINT style);
// Placement, style and theme into `section` (cleared first), then the dock
// state and every docking bar's sizes under `base`.
void KitSaveFrame(CFrameWnd* frame, const CString& base, const CString& section);
// The saved dock state when every bar it names exists, then the bars' sizes.
void KitLoadLayout(CFrameWnd* frame, const CString& base);
// A toolbar's drop-down notice handed back to the toolbar; true when handled.
bool KitForwardDropDown(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

class CKitFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CKitFrameWnd)

 public:
  CKitFrameWnd();
  ~CKitFrameWnd() override;

  BOOL DestroyWindow() override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

  virtual void SetDrawStyle(UINT style);
  virtual void EnableKitDocking(DWORD dwDockStyle);
  virtual BOOL PreCreateWindowWithIcon(CREATESTRUCT& cs, UINT iconId);

  // 0, or -1 when the bar cannot be created or its resource not loaded.
  int CreateKitMenuBar(UINT menuId);
  int CreateKitToolBar(UINT toolbarId);
  // Applies the saved dock state when every bar it names exists, then the bars' sizes.
  void LoadDefaultLayout();

  // "<base>-Main".
  CString MainSection() const { return m_strProfileBase + u"-Main"; }

  CString m_strProfileBase;  // the application's name, blanks as '_'
  CKitDockRing m_dockRing;   // fillers, outer dock bars and auto-hide strips
  CMenuBar m_wndMenuBar;
  CDrawnMenu m_drawnMenu;
  CPopupMenuManager m_menuManager;
  CKitStatusBar m_wndStatusBar;
  CKitToolBarWnd m_wndToolBar;
  UINT m_nDrawStyle = 0x8001;

 protected:
  KitFrameBars Bars() { return {m_wndMenuBar, m_drawnMenu, m_menuManager, m_wndStatusBar, m_wndToolBar, m_dockRing}; }
  HIMAGELIST m_hToolImages = nullptr;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()
};

// Leaves out the records of the strips and fillers, which share one id
// (kKitStripId) and cannot be told apart, and their slots in the dock bars' rows.
void RemoveSharedIdRecords(CDockState& state);

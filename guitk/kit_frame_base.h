// What the toolkit's single- and multiple-document frames share: the bars
// they own, the pieces of their work both call, and CKitFrameOf, which holds
// the bars and the members alike on top of either framework frame.
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

// What both toolkit frames do alike. The placement is read from `section`,
// counted from the work area's corner and held an icon inside the screen's
// right and bottom edges; the theme flag only when `readTheme`.
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

// The bars, the drawing style and the profile base of a toolkit frame on
// the framework's frame class `FrameBase` (CFrameWnd or CMDIFrameWnd).
template <class FrameBase>
class CKitFrameOf : public FrameBase {
 public:
  CKitFrameOf() : m_strProfileBase(KitProfileBase()) {}
  ~CKitFrameOf() override {
    if (m_hToolImages) ImageList_Destroy(m_hToolImages);
  }

  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (m_wndMenuBar.m_hWnd && m_wndMenuBar.TranslateFrameMessage(pMsg)) return TRUE;
    return FrameBase::PreTranslateMessage(pMsg);
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    if (KitForwardDropDown(wParam, lParam, pResult)) return TRUE;
    return FrameBase::OnNotify(wParam, lParam, pResult);
  }

  virtual void SetDrawStyle(UINT style) {
    m_nDrawStyle = style;
    KitApplyDrawStyle(this, Bars(), style);
  }
  virtual void EnableKitDocking(DWORD) { m_dockRing.EnableKitDocking(this); }
  virtual BOOL PreCreateWindowWithIcon(CREATESTRUCT& cs, UINT iconId) {
    cs.lpszClass = KitIconWndClass(iconId);
    return FrameBase::PreCreateWindow(cs);
  }

  // 0, or -1 when the bar cannot be created or its resource not loaded.
  int CreateKitMenuBar(UINT menuId) { return KitCreateMenuBar(this, Bars(), m_nDrawStyle, menuId); }
  int CreateKitToolBar(UINT toolbarId) { return KitCreateToolBar(this, m_wndToolBar, m_hToolImages, toolbarId); }
  // Applies the saved dock state when every bar it names exists, then the bars' sizes.
  void LoadDefaultLayout() { KitLoadLayout(this, m_strProfileBase); }

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
};

// kitdemo: a toolkit frame made from a description file, for looking at the
// toolkit's windows and for scripted tests. Later toolkit pieces add their
// bars and windows here: one keyword per line of the description.
//
// A description, one keyword and its values a line, '#' starts a comment:
//   title  Kit demo            the frame's caption
//   size   640 420             the frame's size
//   menu   128                 the frame's menu resource
//   accelerators 128           the frame's accelerator table
//   toolbar 128                a toolbar on the frame, its pictures also in the popup menus
//   style  0x8002              the toolkit's drawing style word
//   theme  1                   the theme flag
//   profile kit.ini KitDemo    "Style" and "Theme" of section "KitDemo-Main" in the file
//   radio  32885               command states the frame's update handlers report:
//   check  57603               radio, check, disable
//   disable 57603
//   frame  kit                 a toolkit frame (menu bar, toolbar and docking) instead of the plain one
//   statusbar 1                the toolkit frame's status bar
//   docking                    the toolkit's two rings of dock bars; toolbars then
//                              dock in the outer top ring
//   dockbar 2448 bottom Effect a sizable docking bar: id, edge, title
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "guitk/drawn_menu.h"
#include "guitk/kit_control_bar.h"
#include "guitk/kit_dock_bar.h"
#include "guitk/kit_tool_bar.h"
#include "guitk/popup_menu_manager.h"
#include "guitk/subclass_wnd.h"

namespace kitdemo {

enum class CommandState { Enabled, Disabled, Checked, Radio };

struct Description {
  std::u16string title = u"Kit demo";
  int width = 640;
  int height = 420;
  UINT menu = 0;
  UINT accelerators = 0;
  std::vector<UINT> toolbars;
  int style = 0x8001;
  BOOL theme = FALSE;
  std::string profileFile;  // host path; empty for none
  std::u16string profileName = u"KitDemo";
  std::map<UINT, CommandState> states;
  bool kitFrame = false;
  bool statusBar = false;
  bool docking = false;
  struct DockingBar {
    UINT id;
    DWORD side;  // CBRS_ALIGN_*
    std::u16string title;
  };
  std::vector<DockingBar> dockingBars;
};

// A sizable bar of the demo with an edit field as its panel.
class CDemoDockingBar : public CKitControlBar {
 public:
  int OnCreate(LPCREATESTRUCT lpcs) override;
  CEdit m_panel;
};

// What a frame's update handler reports for a command: the description's state.
void ReportCommandState(const Description& description, UINT nID, CCmdUI* ui);

// Reads a description; false with the line and the reason in *error.
bool ParseDescription(const std::string& text, const std::string& folder, Description* out, std::string* error);
bool LoadDescription(const std::string& path, Description* out, std::string* error);

// The frame: its menu's popups are drawn by the popup menu manager; its
// update handlers answer from the description's command states.
class CKitDemoFrame : public CFrameWnd {
 public:
  explicit CKitDemoFrame(const Description& description);
  ~CKitDemoFrame() override;
  BOOL Build();
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  const Description& m_description;
  CPopupMenuManager m_menuManager;
  std::vector<std::unique_ptr<CToolBar>> m_toolBars;
  CDrawnMenu m_drawnMenu;  // the frame's menu as the drawn menus show it (for --drawn-popup)
  CKitDockRing m_dockRing;
  std::vector<CDemoDockingBar*> m_dockingBars;  // deleted with their windows

  // The sizable bars' sizes and auto-hide state in the profile's "<name>-Bar<id>".
  void LoadBarSizes();
  void SaveBarSizes();

 private:
  BOOL BuildDocking();
};

// Plays steps inside a menu loop: each time the loop waits with nothing to
// do (WM_ENTERIDLE to the owner) the next step runs; with none left the menu ends.
class KitMenuDriver : public CSubclassWnd {
 public:
  std::deque<std::function<void()>> steps;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The window tree under a window, one line a window, indented by depth:
// class, "text", id, rectangle in the parent's client coordinates, visibility.
std::string DumpWindowTree(HWND root);

// Opens popup `index` of the frame's menu (or of the drawn menu), selects
// `select` items down, and writes the popup with a margin to `pngPath`.
bool WritePopupPng(CKitDemoFrame* frame, int index, int select, bool drawn, const std::string& pngPath);

}  // namespace kitdemo

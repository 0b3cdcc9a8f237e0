// CMainFrame: the editor's single-document frame on the toolkit's styled
// frame, with its menu bar, toolbar and CMainStatusBar (zoom, fold-over and
// keyboard panes, and the one hidden status progress control).
#pragma once

#include "guitk/kit_frame_wnd.h"

// Private messages to the main frame: check the toolbar button of an edit
// mode (lParam 1 figure, 2 feature line) or of a figure tool (lParam 0
// insert point, 1 new figure, 2 move point).
constexpr UINT WM_CHECK_EDIT_MODE = 0x510;
constexpr UINT WM_CHECK_FIGURE_TOOL = 0x511;

class CMainStatusBar : public CKitStatusBar {
  DECLARE_DYNAMIC(CMainStatusBar)

 public:
  enum { kZoomPane = 1, kIntersectPane = 2 };

 protected:
  BOOL m_bCreated = FALSE;  // the progress control's window exists
  afx_msg void OnSize(UINT nType, int cx, int cy);
  DECLARE_MESSAGE_MAP()
};

// The one progress control of the status bar, made on first use.
CProgressCtrl& GetStatusProgressCtrl();
// Pane 1: the current pair's source zoom in percent.
void ShowZoomInStatusBar();
// Pane 2: whether the mesh folds over.
void ShowIntersectInStatusBar(BOOL intersect);

class CMainFrame : public CKitFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void SetDrawStyle(UINT style) override;
  // Saves the layout to the profile as the kit frame does, and tells the
  // user once when the profile could not take it.
  BOOL DestroyWindow() override;
  // The menu bar, never docked, takes the whole width of the top row.
  void RecalcLayout(BOOL bNotify = TRUE) override;

  CMainStatusBar m_wndMainStatusBar;

 protected:
  void CheckToolButton(UINT id);
  void RestoreWindowRect();

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg LRESULT OnCheckEditMode(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnCheckFigureTool(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// CPentavoView: the main view. It lays out the source and target panes side
// by side at a movable split, makes the "Preview and Play" bar and the
// renderer, and handles the messages by which the panes, the undo history
// and the file watcher report changes.
#pragma once

#include "app/dock_panel_bar.h"
#include "compat/afx.h"
#include "ui/preview_play_dlg.h"

// Private messages to the view: a pane or the preview was resized (lParam
// the window), the current pair changed (wParam: a line edit ended), render
// the current pair.
constexpr UINT WM_PANE_RESIZED = 0x500;
constexpr UINT WM_PAIR_CHANGED = 0x501;
constexpr UINT WM_RENDER_CURRENT = 0x502;

class CPentavoView : public CView {
  DECLARE_DYNCREATE(CPentavoView)

 public:
  CPentavoView();
  ~CPentavoView() override;

  void OnDraw(CDC* pDC) override;
  void OnInitialUpdate() override;

  void CreatePanes();
  void RecalcPaneLayout(CWnd* except);
  BOOL LoadProject(LPCTSTR path);
  void RenderCurrent();
  // The application's mouse hook: both panes zoom by the wheel's turn.
  void OnMouseWheelRouted(int delta);
  void RedrawPanes();

  // Where the panes and the preview are made. Until the panes have classes
  // of their own they are plain dialogs from their templates.
  CWnd* SourcePane() { return &m_sourcePane; }
  CWnd* TargetPane() { return &m_targetPane; }
  CPreviewPlayDlg* PreviewWindow() { return &m_previewPlay; }
  CDockPanelBar& PreviewBar() { return m_previewBar; }

 protected:
  BOOL CreateSourcePane() { return m_sourcePane.Create(130, this); }
  BOOL CreateTargetPane() { return m_targetPane.Create(131, this); }
  BOOL CreatePreviewWindow(CWnd* bar) { return m_previewPlay.Create(bar); }
  int SplitPosition() const;

  CDialog m_sourcePane;
  CDialog m_targetPane;
  CPreviewPlayDlg m_previewPlay;
  CDockPanelBar m_previewBar;
  // Two words carried unchanged from load to save, then the split (0: half the width).
  struct SplitterRecord {
    int32_t carried[2] = {0, 0};
    int32_t split = 0;
  } m_splitter;

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnDestroy();
  afx_msg LRESULT OnPaneResized(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnPaneChanged(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnRenderCurrent(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnFileWatchNotify(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// The application's one view; null before the first New.
CPentavoView* GetMainView();

// CPentavoView: the main view. It lays out the source and target panes side
// by side at a movable split, makes the "Preview and Play" bar and the
// renderer, and handles the messages by which the panes, the undo history
// and the file watcher report changes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/dock_panel_bar.h"
#include "compat/afx.h"
#include "ui/image_view_dlg.h"
#include "ui/preview_play_dlg.h"

class CImageSlot;

// Private messages to the view (besides the panes' WM_PANE_RESIZED and
// WM_PAIR_CHANGED): render the current pair.
constexpr UINT WM_RENDER_CURRENT = 0x502;
// An outline edit in one pane (lParam) mirrored on the other side: the whole
// shape copied; a mid point inserted, a point removed or selected (wParam its index).
constexpr UINT WM_MIRROR_SHAPE = 0x521;
constexpr UINT WM_MIRROR_INSERT_POINT = 0x522;
constexpr UINT WM_MIRROR_REMOVE_POINT = 0x523;
constexpr UINT WM_MIRROR_SELECT_POINT = 0x524;

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
  // Both panes take their scroll bars and line origins from their slots.
  void RefreshPanes();

  // Where the panes and the preview are made.
  CImageViewDlg* SourcePane() { return &m_sourcePane; }
  CImageViewDlg* TargetPane() { return &m_targetPane; }
  CPreviewPlayDlg* PreviewWindow() { return &m_previewPlay; }
  CDockPanelBar& PreviewBar() { return m_previewBar; }

 protected:
  BOOL CreateSourcePane() { return m_sourcePane.Create(this); }
  BOOL CreateTargetPane() { return m_targetPane.Create(this); }
  BOOL CreatePreviewWindow(CWnd* bar) { return m_previewPlay.Create(bar); }
  int SplitPosition() const;

  CSourceImageView m_sourcePane;
  CTargetImageView m_targetPane;
  CPreviewPlayDlg m_previewPlay;
  CDockPanelBar m_previewBar;
  // Two words carried unchanged from load to save, then the split (0: half the width).
  struct SplitterRecord {
    int32_t carried[2] = {0, 0};
    int32_t split = 0;
  } m_splitter;

  // The figure tool (0 insert point, 1 new figure, 2 move point).
  int m_figureTool = 0;

  // Pictures written by another program (pentavo_view.cpp).
  void ReloadWatchedPictures();
  void ReportWatchFailures(const std::vector<CString>& failures);
  int m_nWatchTries = 0;
  BOOL m_bReportingWatch = FALSE;
  // Each failure reported, with the write time of its file then.
  std::map<std::u16string, ULONGLONG> m_watchReported;

  // --- commands (view_commands.cpp) ---
  BOOL IsPlaying();
  void ImportImage(int side);
  void EnterEditMode(int mode);
  void RememberSplit();
  void MoveSourceToSplit();
  afx_msg void OnImportSource();
  afx_msg void OnImportTarget();
  afx_msg void OnExportCurrentFrame();
  afx_msg void OnExportAnimation();
  afx_msg void OnUndo();
  afx_msg void OnRedo();
  afx_msg void OnSwapSourceTarget();
  afx_msg void OnModeImageProcess();
  afx_msg void OnModeFeatureLine();
  afx_msg void OnModeFigure();
  afx_msg void OnLinePointDelete();
  afx_msg void OnLineCreate();
  afx_msg void OnLineEdit();
  afx_msg void OnFigureInsertPoint();
  afx_msg void OnDeleteCurrentPoint();
  afx_msg void OnCopyTargetLinesToSource();
  afx_msg void OnCopySourceLinesToTarget();
  afx_msg void OnZoomIn();
  afx_msg void OnZoomOut();
  afx_msg void OnZoomActual();
  afx_msg void OnSetOutputSize();
  afx_msg void OnMorpherSetup();
  afx_msg void OnShowPreview();
  afx_msg void OnOnlySource();
  afx_msg void OnOnlyTarget();
  afx_msg void OnHelpFile();
  afx_msg void OnUpdateNotPlaying(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFeatureLineMode(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFigureMode(CCmdUI* pCmdUI);
  afx_msg void OnUpdateZoomIn(CCmdUI* pCmdUI);
  afx_msg void OnUpdateZoomOut(CCmdUI* pCmdUI);
  afx_msg void OnUpdateShowPreview(CCmdUI* pCmdUI);
  afx_msg void OnUpdateOnlySource(CCmdUI* pCmdUI);
  afx_msg void OnUpdateOnlyTarget(CCmdUI* pCmdUI);

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnDestroy();
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg LRESULT OnPaneResized(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnPaneChanged(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnRenderCurrent(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnFileWatchNotify(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnMirrorShape(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnMirrorInsertPoint(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnMirrorRemovePoint(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnMirrorSelectPoint(WPARAM wParam, LPARAM lParam);
  // The slot and pane across from the pane `changed` (the target's unless it is the source pane).
  CImageSlot* OtherSlot(LPARAM changed);
  CWnd* OtherPane(LPARAM changed);
  DECLARE_MESSAGE_MAP()
};

// The application's one view; null before the first New.
CPentavoView* GetMainView();

// The "Preview and Play" window: the preview, on which the renderer shows
// the current frame at the output's aspect ratio, above the timeline bar.
#pragma once

#include "compat/afx.h"
#include "ui/timeline_bar.h"

class CMorphPair;

// Whether a render of the pair reaches the screen: both its pictures are
// textures, the renderer is there and no export holds it.
bool PairShowsInPreview(CMorphPair* pair);

// The window the renderer presents into; while nothing can be presented it
// shows black, never what lay there before.
class CPreviewDlg : public CDialog {
 public:
  CPreviewDlg();
  BOOL Create(CWnd* pParentWnd);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};

class CPreviewPlayDlg : public CDialog {
 public:
  CPreviewPlayDlg();
  BOOL Create(CWnd* pParentWnd);

  // The preview at the output's aspect ratio, centred over the timeline.
  void RecalcLayout();

  CTimeLineBar m_timeLineBar;
  CPreviewDlg m_preview;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  DECLARE_MESSAGE_MAP()
};

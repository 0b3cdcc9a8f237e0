// CTimeLineBar: the strip under the preview. The current pair's frame
// count, current frame and timing curve in the timeline curve control, the
// play controls in a small toolbar, and the play loop, which advances and
// renders one frame per tick of a multimedia timer until it is stopped.
#pragma once

#include "compat/afx.h"

class CTimeLineBar : public CDialog {
 public:
  CTimeLineBar();

  BOOL Create(CWnd* pParentWnd);

  void RefreshFromPair();
  void SyncCurveControl();
  void ApplyFrameCount();
  BOOL IsPlaying() const { return m_bPlaying; }

  afx_msg void OnPlay();
  afx_msg void OnStop();

  CToolBarCtrl m_toolBar;
  CString m_strTipText;
  int m_bPlaying = 0;
  int m_bNotifySize = 1;
  CRect m_rcCreate;

 protected:
  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnOK() override {}
  void OnCancel() override {}
  void PlaceChildren(int cx, int cy);
  void AfterFrameCommand();

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  afx_msg void OnFirstFrame();
  afx_msg void OnLastFrame();
  afx_msg void OnPreviousFrame();
  afx_msg void OnNextFrame();
  afx_msg void OnLoop();
  afx_msg void OnShowMesh();
  afx_msg void OnRemovePoint();
  afx_msg void OnResetPoints();
  afx_msg BOOL OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()
};

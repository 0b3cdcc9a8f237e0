// CTransitionPanel: the "Effect" bar's panel. The project's pairs as
// thumbnails, and every setting of the current pair: frames, warp mode,
// mask edge, fades, the transition, light and total-mask pictures, and the
// In and Out effects with their settings dialogs hosted in the panel. Every
// control writes straight into the current pair and re-renders it.
#pragma once

#include "compat/afx.h"

class CTransitionPanel : public CDialog {
 public:
  CTransitionPanel();
  ~CTransitionPanel() override;

  BOOL Create(CWnd* pParentWnd);

  // Everything re-read from the project: thumbnails, selection, pictures,
  // fields and the hosted effect dialogs. Nothing is written back.
  void RefreshFromProject();
  // One thumbnail per pair, each drawn again and numbered from 1.
  void RebuildThumbnails();
  // Off while play runs.
  void EnablePairList(BOOL enable);

  CDialog* GetHostedDialog(int side) const { return side == 0 ? m_pInDialog : m_pOutDialog; }

  int m_nInSelection = -1;
  int m_nOutSelection = -1;
  CDialog* m_pInDialog = nullptr;
  CDialog* m_pOutDialog = nullptr;
  int m_nThumbWidth = 64;
  int m_nThumbHeight = 64;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // The panel never closes.
  void OnOK() override {}
  void OnCancel() override {}

  void FillEffectCombo(int id);
  // Side 0 is In, 1 is Out.
  void ChangeEffect(int side);
  void HostDialog(int side, CDialog* dialog, int effectId);
  void DropHostedDialog(int side);
  void HostEffectsOfCurrentPair();
  void ShowPairPictures();
  BOOL DrawPairThumbnail(int index, CBitmap& bitmap) const;
  void RenderCurrentPair();

  afx_msg void OnInEffectChanged() { ChangeEffect(0); }
  afx_msg void OnOutEffectChanged() { ChangeEffect(1); }
  afx_msg void OnSettingChanged();
  afx_msg void OnFramesChanged();
  afx_msg void OnMaskEdgeChanged();
  afx_msg void OnInsertPair();
  afx_msg void OnDeletePair();
  afx_msg void OnMovePairUp();
  afx_msg void OnMovePairDown();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPictureChosen(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnPairSelected(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()
};

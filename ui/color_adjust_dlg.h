// CColorAdjustDlg, "Color Adjust": brightness, hue, saturation and contrast
// of an image slot's picture, and its flip and mirror. Every change reloads
// the picture at once; Cancel gives back the six values of the opening.
#pragma once

#include "compat/afx.h"
#include "model/project/image_slot.h"

class CColorAdjustDlg : public CDialog {
 public:
  explicit CColorAdjustDlg(CWnd* parent = nullptr);

  // Set by the caller before DoModal; not owned.
  CImageSlot* m_pSlot = nullptr;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnCancel() override;

  CColorAdjust m_saved;
};

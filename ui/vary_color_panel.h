// CVaryColorPanel (dialog 1001): the palette's "Gradient" page. It edits a
// gradient descriptor with the stop bar (1017), the selected stop's colour
// icon (1016), "Frequency" (1018), "Direction" (1019) and "Type" (809), and
// keeps colour-variation swatches in "VaryColor.dat".
#pragma once

#include "controls/custom_notify.h"
#include "model/raster/gradient_desc.h"
#include "ui/swatch_page.h"

class CVaryColorBar;

class CVaryColorPanel : public CSwatchPage {
  DECLARE_DYNAMIC(CVaryColorPanel)

 public:
  CVaryColorPanel();

  void SetGradient(const CGradientDesc& desc);
  void PrepareCurrentFill() override;

  CGradientDesc m_desc;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  CVaryColorBar* Bar() const;
  void SendStopColor(DWORD color);
  void TakeBarStops();
  // The record the panel sends its parent for a change of its own.
  void NotifyParent(int state, DWORD stopColor);
  void PassOn(const controls::NMFILLCHANGE& record);
};

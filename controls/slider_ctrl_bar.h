// "CSliderCtrlBar": a slider over a ruler with an upward-pointing thumb; in its
// drop-down form (style 0x02) the slider the numeric field opens.
#pragma once

#include "controls/slider_base.h"

namespace controls {

#define SBS_DROPDOWN 0x02

class CSliderCtrlBar : public CSliderBase {
 public:
  CSliderCtrlBar() : CSliderBase(12, 6) {}
  static BOOL RegisterClass(HINSTANCE instance);

 protected:
  int ThumbCenterY(const RECT& client) const override { return client.bottom - 2 - m_nThumbHeight / 2; }
  void PaintInto(CDC& dc, const RECT& client) override;
  bool IsDropDown() const override { return (GetStyle() & SBS_DROPDOWN) != 0; }
};

}  // namespace controls

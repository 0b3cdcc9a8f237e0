// "CSliderBarCtrl": the colour picker's channel slider, a downward-pointing
// thumb over a track that shows the channel it edits (alpha, red, green or blue).
#pragma once

#include "controls/slider_base.h"

namespace controls {

// The channel, by style.
#define SBS_ALPHA 0x02
#define SBS_RED 0x04
#define SBS_GREEN 0x08
#define SBS_BLUE 0x10

class CSliderBarCtrl : public CSliderBase {
 public:
  CSliderBarCtrl() : CSliderBase(10, 5) {}
  static BOOL RegisterClass(HINSTANCE instance);

  // 0 alpha, 1 red, 2 green, 3 blue (alpha for a window of no channel style).
  int ChannelCode() const;

 protected:
  int ThumbCenterY(const RECT& client) const override { return client.top + m_nThumbHeight / 2; }
  void PaintInto(CDC& dc, const RECT& client) override;
  void FillRecord(NMSLIDER& record) const override { record.channel = static_cast<BYTE>(ChannelCode()); }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

}  // namespace controls

// CColorBarCtrl, window class "ColorBarCtrl": a strip of one HSV component
// (value, hue or saturation by mode) with the two others fixed, and a marker
// the user drags to pick a colour.
#pragma once

#include "controls/hsv_field.h"

namespace controls {

class CColorBarCtrl : public CHsvField {
 public:
  static BOOL RegisterClass(HINSTANCE instance);

  // Modes: 0 value strip, 1 hue strip, 2 saturation strip.
  int m_nMarker = 30;      // client row
  float m_fFirst = 0.5f;   // hue (modes 0 and 2) or saturation (mode 1)
  float m_fSecond = 0.5f;  // saturation (mode 0) or value (modes 1 and 2)

 protected:
  // The colour at t (0 at the top, 1 at the bottom) of the strip.
  DWORD ColorAt(float t) const;

  void BuildPixels(DWORD* pixels, int width, int height) const override;
  void TakeColor(DWORD rgb, BOOL keepMarker) override;
  DWORD DragMarkerTo(CPoint point) override;
  void DrawMarker(CDC& dc, const CRect& client) const override;
};

}  // namespace controls

// CColorPalCtrl, window class "ColorPalCtrl": a field of two HSV components
// (across and down, by mode) with the third fixed, and a ring the user drags
// to pick a colour. Its right-click menu asks the owner for another mode
// (code 10); the field switches only when the owner sends the mode back.
#pragma once

#include "controls/hsv_field.h"

namespace controls {

class CColorPalCtrl : public CHsvField {
 public:
  CColorPalCtrl();
  static BOOL RegisterClass(HINSTANCE instance);

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

  // Modes: 0 hue across, saturation down; 1 saturation across, value down;
  // 2 hue across, value down.
  CPoint m_ptPress{0, 0};
  float m_fFixed = 0.9f;  // value (mode 0), hue (mode 1) or saturation (mode 2)
  CPoint m_ptMarker{0, 0};

 protected:
  DWORD ColorAt(float across, float down) const;

  void BuildPixels(DWORD* pixels, int width, int height) const override;
  void TakeColor(DWORD rgb, BOOL keepMarker) override;
  DWORD DragMarkerTo(CPoint point) override;
  void DrawMarker(CDC& dc, const CRect& client) const override;

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

}  // namespace controls

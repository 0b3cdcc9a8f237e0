// The notification records and codes of the custom controls. Each record
// starts with the pointer-sized NMHDR, so no field sits at a fixed 32-bit offset.
#pragma once

#include "compat/win32.h"

namespace controls {

// WM_NOTIFY codes the controls send their owners.
constexpr UINT kNotifyBitmapButtonClicked = 81;
constexpr UINT kNotifySetColor = 30;
constexpr UINT kNotifySliderMoving = 21;
constexpr UINT kNotifySliderReleased = 22;
// WM_NOTIFY codes an owner-drawn spin button sends its parent.
constexpr UINT kNotifySpinPressed = 1028;
constexpr UINT kNotifySpinReleased = 1029;

// WM_COMMAND codes of a numeric field.
constexpr WORD kEditChangeBegins = 2184;
constexpr WORD kEditChanging = 2185;
constexpr WORD kEditCommitted = 2186;

// Codes 21 and 22. The byte holds the position only for the 0..255 channel
// sliders; a receiver wanting the full position asks with WM_SLIDERPOS.
struct NMSLIDER {
  NMHDR hdr;
  BYTE position;
  BYTE channel;  // channel sliders only: 0 alpha, 1 red, 2 green, 3 blue
};

// Code 30: a colour as 0xAARRGGBB.
struct NMSETCOLOR {
  NMHDR hdr;
  DWORD color;
};

}  // namespace controls

// The slider bars' position: wParam 0 sets it to lParam, 1 stores it at the
// int lParam points to.
#define WM_SLIDERPOS 0x521

namespace controls {

// Code 301 of the timeline curve: the frame the user moved the cursor to.
constexpr UINT kNotifyFrameChanged = 301;
struct NMFRAME {
  NMHDR hdr;
  int frame;
};

}  // namespace controls

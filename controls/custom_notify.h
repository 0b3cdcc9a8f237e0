// The notification records and codes of the custom controls. Each record
// starts with the pointer-sized NMHDR, so no field sits at a fixed 32-bit offset.
#pragma once

#include "compat/afx/string.h"
#include "compat/win32.h"
#include "model/raster/gradient_desc.h"

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

// Code 30: a colour as 0xAARRGGBB. The colour field and bar take 0x00RRGGBB
// and move their marker to it unless `keepMarker`.
struct NMSETCOLOR {
  NMHDR hdr;
  DWORD color;
  int keepMarker;
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

// --- the colour controls and the swatch lists ---

namespace controls {

// WM_NOTIFY codes of the colour field, the value bar, the colour icon and
// the fill editors.
constexpr UINT kNotifyColorMode = 10;      // NMCOLORMODE
constexpr UINT kNotifyColorDragging = 33;  // NMCOLORDRAG
constexpr UINT kNotifyColorDragEnd = 34;   // NMCOLORDRAG
constexpr UINT kNotifyFillChanged = 35;    // NMFILLCHANGE

// WM_NOTIFY codes of the image list control.
constexpr UINT kNotifyListButton = 2050;
constexpr UINT kNotifyListSelChange = 2060;
constexpr UINT kNotifyListDblClk = 2070;

// Code 10: the colour field's user asked for `mode`; sent back to a colour
// field or bar with the colour it is to show, it switches the mode.
struct NMCOLORMODE {
  NMHDR hdr;
  int mode;
  DWORD color;  // 0x00RRGGBB
};

// Codes 33 and 34 of the colour field and bar. While dragging both ints are
// 1: take only red, green and blue, and other controls keep their markers.
// At the end of a drag the colour means nothing and both ints are 0.
struct NMCOLORDRAG {
  NMHDR hdr;
  DWORD color;
  int rgbOnly;
  int keepMarker;
};

// Code 35: a fill changed. A colour icon sends it after its fill changed and
// takes it to change its fill; kind 1 records from the gradient bar also
// carry the selected stop and what happened to it.
enum FillChangeKind { kFillChangeColor = 0, kFillChangeGradient = 1, kFillChangePicture = 2 };
struct NMFILLCHANGE {
  NMHDR hdr{};
  int kind = kFillChangeColor;
  DWORD color = 0;          // kind 0: 0xAARRGGBB
  CGradientDesc gradient;   // kind 1
  DWORD stopColor = 0;      // kind 1: the selected stop's colour,
  int stopIndex = -1;       // its index (-1 for none)
  int stopState = 0;        // and what happened to it
  CString path;             // kind 2: the picture file
};

}  // namespace controls

// A colour icon's fill: wParam kColorIconSetFill copies the CFillStyle at
// lParam into the icon, kColorIconGetFill copies the icon's fill out to it.
#define WM_COLORICON_FILL 0x500
// The swatch lists' drag and drop, lParam the dragged CFillStyle: wParam
// kSwatchQuery asks the window under the pointer whether it takes the fill,
// kSwatchDrop drops it there.
#define WM_SWATCH_DRAGDROP 0x430

namespace controls {

constexpr WPARAM kColorIconSetFill = 1;
constexpr WPARAM kColorIconGetFill = 2;
constexpr WPARAM kSwatchDrop = 0;
constexpr WPARAM kSwatchQuery = 1;
// Answers to kSwatchQuery (0: no answer). A drop is answered 1 when taken, 0 when refused.
constexpr LRESULT kSwatchAccepts = 1;
constexpr LRESULT kSwatchRefuses = 2;

}  // namespace controls

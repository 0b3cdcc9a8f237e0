// Drawing pieces the common controls share.
#pragma once

#include "compat/win32.h"

namespace compat::controls {

// The checked-button face: a checker of the face and highlight colours.
void FillDitheredFace(HDC hdc, const RECT& rect);

// Sends WM_NOTIFY with the control's handle and id filled in, to `target`.
LRESULT SendNotifyTo(HWND target, HWND hwnd, NMHDR* hdr);

}  // namespace compat::controls

// Where a finished frame of pixels meets a window: the window layer's end of
// the Direct3D device's Present.
#pragma once

#include <cstdint>

#include "compat/win32/types.h"

namespace compat {

// Copies `source` of a BGRA frame (rows `pitchPixels` apart) to `dest` in the
// window's client area, scaled to fit, clipped as the window's own drawing,
// and shows it: the Direct3D device's Present lands here (its signature is
// compat::D3DPresentTarget; install it with SetD3DPresentTarget at start-up).
void PresentToWindow(HWND window, const RECT& dest, const uint32_t* bgra, int pitchPixels, const RECT& source);

}  // namespace compat

// The meeting point of the window manager and GDI: where a window's device
// context draws on the desktop surface, and who creates and frees it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "compat/host.h"
#include "compat/win32/types.h"
#include "compat/win32/window_present.h"

namespace compat {

// A window's drawing area on the desktop surface. Everything is in surface
// pixels; the DC's logical (0,0) maps to `origin` before any mapping mode.
struct DrawTarget {
  std::shared_ptr<host::Surface> surface;  // 32-bit BGRA, top row first; kept alive by the DC
  POINT origin{};                          // surface position of the client (or window) top-left
  SIZE extent{};                           // size of the client area (or the whole window)
  // Where drawing may land, in surface coordinates: disjoint rectangles after
  // clipping by the desktop, the ancestors' client areas, WS_CLIPSIBLINGS,
  // WS_CLIPCHILDREN and, for BeginPaint, the update region. Empty means
  // nothing is visible (hidden window): drawing then changes no pixel.
  std::vector<RECT> visible;
};

// --- provided by the window layer (compat/win32/paint.cpp) ---

// Fills `out` for the client area (clientArea true) or the whole window.
// FALSE for a stale handle.
bool QueryWindowDrawTarget(HWND hwnd, bool clientArea, DrawTarget* out);

// --- provided by the GDI layer ---

// A fresh window DC in its default state (MM_TEXT, default pen, brush, font,
// no user clip region) that draws into `target`. GetDC, GetWindowDC, GetDCEx
// and BeginPaint hand it out; WindowFromDC answers `hwnd` for it.
HDC CreateWindowDC(HWND hwnd, const DrawTarget& target);
// Frees a DC made by CreateWindowDC (ReleaseDC, EndPaint, window destroyed).
void DestroyWindowDC(HDC hdc);

// Regions cross the boundary as rectangle lists (InvalidateRgn, GetUpdateRgn,
// GetDCEx with DCX_INTERSECTRGN/DCX_EXCLUDERGN, the WM_NCPAINT region).
// The region's rectangles in its own coordinates; false for a bad handle.
bool GetRegionRects(HRGN rgn, std::vector<RECT>* out);
// Replaces the region's content with the union of `rects`; false for a bad handle.
bool SetRegionRects(HRGN rgn, const std::vector<RECT>& rects);

}  // namespace compat

// The window scroll bars of WS_HSCROLL/WS_VSCROLL: the non-client code paints
// them and hands them presses; the window manager forgets them with the window.
#pragma once

#include "compat/win32/types.h"
#include "compat/win32/user.h"

namespace compat::user {
void PaintWindowScrollBar(HWND hwnd, HDC windowDc, const RECT& bar, bool vertical);
void PressWindowScrollBar(HWND hwnd, WPARAM hit, POINT screen);
void ForgetWindowScrollBars(HWND hwnd);
void ForgetAllWindowScrollBars();
}  // namespace compat::user

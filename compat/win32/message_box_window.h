// The message box as a real window (the seam in message_box.cpp decides
// whether a box gets one).
#pragma once

#include <string>

#include "compat/win32.h"

namespace compat::dialogs {

// Runs the box on the calling thread; its answer, or 0 when no box could be made.
int ShowMessageBoxWindow(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type);

}  // namespace compat::dialogs

// The compressor dialog AVISaveOptions shows when dialogs are on.
#pragma once

#include "compat/win32.h"

namespace compat::vfw {

// The user's choice over the given starting one; false on Cancel.
bool RunCompressorDialog(HWND owner, UINT flags, DWORD* handler, DWORD* quality, DWORD* keyFrameEvery);

}  // namespace compat::vfw

// What start-up hands the colour icons: the stand-alone picker, the
// background palette window and the picture chooser of this library, and
// the window class this library registers.
#pragma once

#include "controls/color_icon_host.h"

// The host the application gives controls::SetColorIconHost.
controls::IColorIconHost& GetPaletteIconHost();

// Registers "VaryColorBar" in `instance` (the application's when null).
BOOL RegisterUiClasses(HINSTANCE instance);

// At exit: the palette window and the picker go, writing what they keep.
void ReleasePaletteWindows();

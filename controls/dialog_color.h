// The dialog background colour the custom controls paint with. It starts as
// the button-face colour; the "Preview and Play" window keeps it in step with
// the brush its dialogs are really painted with.
#pragma once

#include "compat/win32.h"

namespace controls {

COLORREF GetDialogColor();
void SetDialogColor(COLORREF color);

}  // namespace controls

// Registration of every custom control class at start-up.
#pragma once

#include "compat/win32.h"

namespace controls {

// Registers the custom control classes in `instance` (the application's when
// null), in the order the application has always used; FALSE when one fails.
// The gradient stop bar ("VaryColorBar") belongs to the panels above this
// layer: `registerStopBar`, when given, registers it in its place, eighth.
BOOL RegisterCustomControls(HINSTANCE instance, BOOL (*registerStopBar)(HINSTANCE) = nullptr);

// The class names RegisterCustomControls registers, in its order, ending with null.
extern const char16_t* const kCustomControlClasses[];

}  // namespace controls

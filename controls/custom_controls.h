// Registration of every custom control class at start-up.
#pragma once

#include "compat/win32.h"

namespace controls {

// Registers the custom control classes in `instance` (the application's when
// null), in the order the application has always used; FALSE when one fails.
BOOL RegisterCustomControls(HINSTANCE instance);

// The class names RegisterCustomControls registers, in its order, ending with null.
extern const char16_t* const kCustomControlClasses[];

}  // namespace controls

// Filled in by its own area of the platform layer.
#pragma once
#include "compat/win32/types.h"

// Filled in by its own area of the framework layer.
#pragma once
#include "compat/win32.h"

// The program's own folder and its "Data" subfolder, where named settings and
// swatch lists live.
#pragma once

#include "compat/afx.h"

// The executable's folder without a trailing backslash.
CString GetProgramFolder();
// GetProgramFolder() + "\Data\".
CString GetDataFolder();

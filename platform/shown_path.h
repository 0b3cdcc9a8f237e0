// Paths as the user reads them: the program keeps its paths with
// backslashes, the user's desktop writes them with slashes.
#pragma once

#include "compat/afx.h"

// "\tmp\a\b.pvk" -> "/tmp/a/b.pvk", for messages, lists and fields a user
// reads; what the program stores and opens keeps the program's form.
CString ShownPath(const CString& path);

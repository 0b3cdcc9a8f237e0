// Counts and values read from archive records. A count is checked against a
// named limit before anything is allocated; a value that no program could
// have written is refused, so damage never reaches the project and is never
// written back by the next save. Refusals throw the framework's archive
// exception (badIndex), which refuses the whole file.
#pragma once

#include "compat/afx/archive.h"
#include "compat/afx/string.h"
#include "model/geometry/vector2.h"

// Reads a 32-bit count; a negative count or one above limit throws
// CArchiveException badIndex, so a hostile record never sizes an array.
int ReadRecordCount(CArchive& ar, int limit);

// NaN and the infinities are refused: every number the editor stores is
// finite, and one that is not would poison every sum it enters.
float CheckFinite(float value);
const CVector2& CheckFinite(const CVector2& point);

// A path that holds a NUL or a lone surrogate cannot name a file; the
// editor never stores one.
const CString& CheckPathText(const CString& path);

// A boolean word: anything but 0 is taken as 1.
inline int NormalFlag(int value) { return value != 0 ? 1 : 0; }

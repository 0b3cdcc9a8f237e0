// Counts read from archive records: checked against a named limit before
// anything is allocated, refused with the framework's archive exception.
#pragma once

#include "compat/afx/archive.h"

// Reads a 32-bit count; a negative count or one above limit throws
// CArchiveException badIndex, so a hostile record never sizes an array.
int ReadRecordCount(CArchive& ar, int limit);

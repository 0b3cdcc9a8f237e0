// Narrow paths for the C library, as the image file code hands them over.
#pragma once

#include "compat/afx.h"

// The ANSI code page is UTF-8 here: one UTF-16 unit becomes up to three
// bytes, so a buffer of twice the character count is not always enough.
// Size `dest` as kAnsiBytesPerWideChar * characters + 1.
inline constexpr int kAnsiBytesPerWideChar = 3;

// Converts `text` to the ANSI code page into `dest` (terminator included)
// and returns the length without the terminator; NULL text gives "".
int WideToAnsi(char* dest, LPCWSTR text);

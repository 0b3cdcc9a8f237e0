// The platform's wide printf: %s is a wide string, %S (or %hs) a narrow one,
// %c a wide character; %ld is 32 bits as on the platform, %I64d and %lld 64.
// The engine behind swprintf, wsprintfW and CString::Format.
#pragma once

#include <cstdarg>
#include <string>

namespace compat {

// Formats with arguments read from `args`; `args` is consumed (va_copy first
// to format twice). A NULL format gives "".
std::u16string FormatWide(const char16_t* format, va_list args);

}  // namespace compat

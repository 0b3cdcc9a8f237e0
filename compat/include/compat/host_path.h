// Conversions at the host boundary: UTF-16 program text to UTF-8 host text,
// and the program's backslashed paths to the host's slashed ones.
#pragma once

#include <string>
#include <string_view>

namespace compat {

// Unpaired surrogates and malformed UTF-8 become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// "C:\a\b.txt" -> "/a/b.txt"; "\a" -> "/a" (a path without a drive is taken
// from the root); "a\b" -> "a/b" stays relative to the current folder, as it
// does on the platform. Slashes already present are kept. NULL gives "".
std::string ToHostPath(const char16_t* path);
std::string ToHostPath(std::u16string_view path);

// "/a/b.txt" -> "\a\b.txt".
std::u16string FromHostPath(const std::string& path);

}  // namespace compat

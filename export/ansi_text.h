// Program text (UTF-16) as the 8-bit text of the system's code page, for the
// calls and files of the export that take 8-bit text.
#pragma once

#include <string>

#include "compat/win32.h"

inline std::string ToAnsiText(LPCWSTR text) {
  if (!text) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), bytes, nullptr, nullptr);
  out.resize(static_cast<size_t>(bytes) - 1);
  return out;
}

// Opening picture files by name for the codec library. Names are the
// program's own (backslashed); the platform layer maps them to the host.
#include <string>

#include "compat/win32.h"
#include "imaging/pic_image.h"

FILE* PicOpenFile(const char* fileName, const char* mode) {
  if (!fileName || !mode) return nullptr;
  int n = MultiByteToWideChar(CP_ACP, 0, fileName, -1, nullptr, 0);
  if (n <= 0) return nullptr;
  std::u16string wide(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, fileName, -1, wide.data(), n);
  return PicOpenFile(wide.c_str(), mode);
}

FILE* PicOpenFile(const WCHAR* fileName, const char* mode) {
  if (!fileName || !mode) return nullptr;
  std::u16string wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(fileName, wideMode.c_str());
}

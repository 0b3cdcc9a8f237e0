// Opening picture files by name for the codec library. Names are the
// program's own (backslashes, the system code page for 8-bit text); the
// platform's wide open call takes them to the file system.
#include <vector>

#include "compat/win32.h"
#include "imaging/pic_image.h"

namespace {

std::u16string WideMode(const char* mode) {
  std::u16string wide;
  for (const char* m = mode; *m; ++m) wide += static_cast<char16_t>(static_cast<unsigned char>(*m));
  return wide;
}

}  // namespace

FILE* PicOpenFile(const char* fileName, const char* mode) {
  if (!fileName || !mode) return nullptr;
  int length = MultiByteToWideChar(CP_ACP, 0, fileName, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  std::vector<WCHAR> wide(static_cast<size_t>(length));
  if (MultiByteToWideChar(CP_ACP, 0, fileName, -1, wide.data(), length) <= 0) return nullptr;
  return PicOpenFile(wide.data(), mode);
}

FILE* PicOpenFile(const WCHAR* fileName, const char* mode) {
  if (!fileName || !mode) return nullptr;
  return _wfopen(fileName, WideMode(mode).c_str());
}

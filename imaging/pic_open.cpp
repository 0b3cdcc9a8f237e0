// Opening picture files by name for the codec library.
#include "imaging/pic_image.h"

FILE* PicOpenFile(const char* fileName, const char* mode) {
  if (!fileName || !mode) return nullptr;
  return fopen(fileName, mode);
}

// Wide names need the platform's wide open call, which this build does not
// offer yet: such files cannot be opened.
FILE* PicOpenFile(const WCHAR* fileName, const char* mode) {
  (void)fileName;
  (void)mode;
  return nullptr;
}

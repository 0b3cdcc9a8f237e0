// Narrow-text conversion for paths handed to the C library.
#include "platform/helpers.h"

int WideToAnsi(char* dest, LPCWSTR text) {
  if (dest == nullptr) return 0;
  if (text == nullptr) {
    dest[0] = 0;
    return 0;
  }
  int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) {
    dest[0] = 0;
    return 0;
  }
  int written = WideCharToMultiByte(CP_ACP, 0, text, -1, dest, needed, nullptr, nullptr);
  return written > 0 ? written - 1 : 0;
}

// The toolkit's error reports.
#include "guitk/kit_errors.h"

#include <cstdio>

#include "compat/afx.h"

void ShowLastError() {
  const DWORD code = GetLastError();
  WCHAR text[512] = {};
  if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, 512, nullptr)) {
    CString missing;
    missing.Format(u"Error message 0x%lx not found", static_cast<unsigned long>(code));
    MessageBoxW(nullptr, missing, u"Error", MB_OK);
    return;
  }
  MessageBoxW(nullptr, text, u"Error", MB_OK);
}

void KitTrace(const char* text) { std::fprintf(stderr, "guitk: %s\n", text); }

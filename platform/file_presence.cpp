// Whether a path names a file.
#include "platform/file_presence.h"

#include "compat/win32.h"

BOOL PathNamesFile(const CString& path) {
  if (path.IsEmpty()) return FALSE;
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return TRUE;
  return GetLastError() == ERROR_CANT_RESOLVE_FILENAME;
}

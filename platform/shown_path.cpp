// Paths in the host's form for what the user reads.
#include "platform/shown_path.h"

#include "compat/host_path.h"

CString ShownPath(const CString& path) {
  if (path.IsEmpty()) return path;
  return CString(compat::Utf8ToUtf16(compat::ToHostPath(path.Native())).c_str());
}

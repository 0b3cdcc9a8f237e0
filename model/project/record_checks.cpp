// Checked counts and values of archive records.
#include "model/project/record_checks.h"

#include <cmath>

namespace {

[[noreturn]] void Refuse() { AfxThrowArchiveException(CArchiveException::badIndex); }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

int ReadRecordCount(CArchive& ar, int limit) {
  int count = 0;
  ar >> count;
  if (count < 0 || count > limit) Refuse();
  return count;
}

float CheckFinite(float value) {
  if (!std::isfinite(value)) Refuse();
  return value;
}

const CVector2& CheckFinite(const CVector2& point) {
  CheckFinite(point.x);
  CheckFinite(point.y);
  return point;
}

const CString& CheckPathText(const CString& path) {
  const int n = path.GetLength();
  for (int i = 0; i < n; ++i) {
    const char16_t c = path[i];
    if (c == 0) Refuse();
    if (IsHighSurrogate(c)) {
      if (i + 1 >= n || !IsLowSurrogate(path[i + 1])) Refuse();
      ++i;
    } else if (IsLowSurrogate(c)) {
      Refuse();
    }
  }
  return path;
}

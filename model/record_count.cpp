// Checked counts of archive records.
#include "model/record_count.h"

int ReadRecordCount(CArchive& ar, int limit) {
  int count = 0;
  ar >> count;
  if (count < 0 || count > limit) AfxThrowArchiveException(CArchiveException::badIndex);
  return count;
}

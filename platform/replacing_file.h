// Files written whole or not at all: a writer fills a temporary file beside
// the target, which takes the target's place only once all of it is written.
// A failure leaves the earlier file as it was and no partial file behind.
#pragma once

#include "compat/afx.h"

class CReplacingFile {
 public:
  explicit CReplacingFile(const CString& path);
  // A temporary file that was never committed is removed.
  ~CReplacingFile() { Discard(); }
  CReplacingFile(const CReplacingFile&) = delete;
  CReplacingFile& operator=(const CReplacingFile&) = delete;

  const CString& GetPath() const { return m_path; }
  // In the target's folder and ending as the target does, so writers that
  // pick the format by the file's ending still pick the right one.
  const CString& GetTempPath() const { return m_temp; }
  // Puts the temporary file in the target's place. FALSE when it cannot;
  // the temporary file is then removed and the target left as it was.
  BOOL Commit();
  // Removes the temporary file, if any was made.
  void Discard();

 private:
  CString m_path;
  CString m_temp;
  bool m_pending = true;
};

// Writes `count` bytes as the whole file `path` through a temporary file:
// created, written, flushed to the disk, closed and renamed, any failure
// failing the whole. The folder must exist.
BOOL WriteFileReplacing(LPCTSTR path, const void* bytes, UINT count);

// Tells the user once per file and run that `path` could not be written;
// later failures of the same file are not told again.
void ReportWriteFailureOnce(LPCTSTR path);
// Forgets what was told (tests start each case afresh).
void ResetWriteFailureReports();

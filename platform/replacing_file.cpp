// Whole-file replacement through a temporary file beside the target, and
// the once-per-file notice of a file that could not be written.
#include "platform/replacing_file.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>

#include "compat/win32.h"
#include "platform/shown_path.h"

namespace {

constexpr int kMaxNameTries = 64;
constexpr WCHAR kCannotWriteText[] = u"Cannot save \"%s\"; what was saved there before is kept.";

std::atomic<unsigned> g_tempCounter{0};

bool Exists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// "folder\~name.<unique>.ext": beside the target, with its ending.
CString TempPathBeside(const CString& path) {
  const int slash = path.ReverseFind(u'\\');
  const CString folder = path.Left(slash + 1);
  const CString name = path.Mid(slash + 1);
  const int dot = name.ReverseFind(u'.');
  const CString stem = dot >= 0 ? name.Left(dot) : name;
  const CString ending = dot >= 0 ? name.Mid(dot) : CString();
  CString temp;
  for (int i = 0; i < kMaxNameTries; ++i) {
    const unsigned unique = GetCurrentProcessId() * 7919u + g_tempCounter++;
    temp.Format(u"%s~%s.%x%s", folder.GetString(), stem.GetString(), unique, ending.GetString());
    if (!Exists(temp)) return temp;
  }
  return temp;
}

std::mutex g_reportLock;
std::set<std::u16string>& Reported() {
  static auto* reported = new std::set<std::u16string>;
  return *reported;
}

}  // namespace

CReplacingFile::CReplacingFile(const CString& path) : m_path(path), m_temp(TempPathBeside(path)) {}

BOOL CReplacingFile::Commit() {
  if (!m_pending) return FALSE;
  // A read-only file is not replaced, as writing it in place would fail.
  const DWORD attributes = GetFileAttributesW(m_path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    Discard();
    return FALSE;
  }
  // A file that already exists keeps its permissions: the new one takes
  // its place rather than arriving with default ones.
  const BOOL placed = Exists(m_path) ? ReplaceFileW(m_path, m_temp, nullptr, 0, nullptr, nullptr)
                                     : MoveFileExW(m_temp, m_path, MOVEFILE_REPLACE_EXISTING);
  if (!placed) {
    Discard();
    return FALSE;
  }
  m_pending = false;
  return TRUE;
}

void CReplacingFile::Discard() {
  if (!m_pending) return;
  m_pending = false;
  if (Exists(m_temp)) DeleteFileW(m_temp);
}

BOOL WriteFileReplacing(LPCTSTR path, const void* bytes, UINT count) {
  if (!path || (!bytes && count > 0)) return FALSE;
  CReplacingFile target(path);
  CFile file;
  if (!file.Open(target.GetTempPath(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return FALSE;
  try {
    file.Write(bytes, count);
    file.Flush();
    file.Close();
  } catch (CException* e) {
    e->Delete();
    file.Abort();
    return FALSE;
  }
  return target.Commit();
}

void ReportWriteFailureOnce(LPCTSTR path) {
  const std::u16string key = path ? path : u"";
  {
    std::lock_guard<std::mutex> guard(g_reportLock);
    if (!Reported().insert(key).second) return;
  }
  CString text;
  text.Format(kCannotWriteText, static_cast<LPCTSTR>(ShownPath(CString(key.c_str()))));
  ::MessageBoxW(nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void ResetWriteFailureReports() {
  std::lock_guard<std::mutex> guard(g_reportLock);
  Reported().clear();
}

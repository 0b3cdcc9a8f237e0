// CFileFind over the platform's FindFirstFileW/FindNextFileW: it reads one
// match ahead so that FindNextFile can say whether the current one is the last.
#include "compat/afx/file.h"

BOOL CFileFind::FindFile(LPCTSTR pstrName, DWORD) {
  Close();
  CString pattern = pstrName ? CString(pstrName) : CString(u"*.*");
  const int slash = pattern.ReverseFind(u'\\');
  m_strRoot = slash >= 0 ? pattern.Left(slash + 1) : CString();
  m_hFind = ::FindFirstFileW(pattern, &m_next);
  m_bHaveNext = m_hFind != INVALID_HANDLE_VALUE;
  return m_bHaveNext;
}

BOOL CFileFind::FindNextFile() {
  if (!m_bHaveNext) return FALSE;
  m_found = m_next;
  m_bHaveNext = ::FindNextFileW(m_hFind, &m_next);
  return m_bHaveNext;
}

void CFileFind::Close() {
  if (m_hFind != INVALID_HANDLE_VALUE) ::FindClose(m_hFind);
  m_hFind = INVALID_HANDLE_VALUE;
  m_bHaveNext = FALSE;
}

CString CFileFind::GetFileName() const { return CString(m_found.cFileName); }

CString CFileFind::GetFilePath() const { return m_strRoot + GetFileName(); }

ULONGLONG CFileFind::GetLength() const {
  return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

BOOL CFileFind::IsDots() const {
  const char16_t* name = m_found.cFileName;
  return IsDirectory() && name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

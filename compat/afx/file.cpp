// CFile on host file descriptors, with the program's backslashed paths mapped
// at this boundary, and the framework's exception classes.
#include "compat/afx/file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "compat/host_path.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

thread_local AFX_EXCEPTION_LINK* t_topLink = nullptr;

BOOL CopyMessage(LPCTSTR text, LPTSTR error, UINT maxChars) {
  if (error == nullptr || maxChars == 0) return FALSE;
  size_t n = std::char_traits<char16_t>::length(text);
  if (n >= maxChars) n = maxChars - 1;
  std::char_traits<char16_t>::copy(error, text, n);
  error[n] = 0;
  return TRUE;
}

constexpr LONG kMaxFileOffset = 0x7FFFFFFF;
constexpr LONG kErrorNegativeSeek = 131;

}  // namespace

// --- exceptions ---

AFX_EXCEPTION_LINK::AFX_EXCEPTION_LINK(CException* exception)
    : m_pException(exception), m_pLinkPrev(t_topLink) {
  t_topLink = this;
}

AFX_EXCEPTION_LINK::~AFX_EXCEPTION_LINK() {
  t_topLink = m_pLinkPrev;
  if (m_pException != nullptr) m_pException->Delete();
}

void CException::Delete() {
  for (AFX_EXCEPTION_LINK* link = t_topLink; link != nullptr; link = link->m_pLinkPrev) {
    if (link->m_pException == this) link->m_pException = nullptr;
  }
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext) const {
  if (helpContext != nullptr) *helpContext = 0;
  return CopyMessage(u"An unknown error has occurred.", error, maxChars);
}

BOOL CMemoryException::GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext) const {
  if (helpContext != nullptr) *helpContext = 0;
  return CopyMessage(u"Out of memory.", error, maxChars);
}

BOOL CFileException::GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext) const {
  static const char16_t* const kTexts[] = {
      u"No error occurred.", u"An unspecified error occurred.", u"The file could not be located.",
      u"All or part of the path is invalid.", u"Too many files are open.",
      u"The file could not be accessed.", u"The file handle is invalid.",
      u"The current folder cannot be removed.", u"There are no more directory entries.",
      u"An error occurred while setting the file position.", u"A hardware I/O error occurred.",
      u"The file is in use by another program.", u"The file region is locked.",
      u"The disk is full.", u"The end of the file was reached."};
  if (helpContext != nullptr) *helpContext = 0;
  int cause = (m_cause >= none && m_cause <= endOfFile) ? m_cause : genericException;
  CString text(kTexts[cause]);
  if (!m_strFileName.IsEmpty()) text = m_strFileName + u": " + text;
  return CopyMessage(text, error, maxChars);
}

BOOL CArchiveException::GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext) const {
  static const char16_t* const kTexts[] = {
      u"No error occurred.", u"An unspecified error occurred.",
      u"The archive was written while it was open for loading.",
      u"The end of the archive was reached unexpectedly.",
      u"The archive was read while it was open for storing.",
      u"The archive holds an invalid object reference.",
      u"The archive holds an unknown class.", u"The archive holds an object of a newer version."};
  if (helpContext != nullptr) *helpContext = 0;
  int cause = (m_cause >= none && m_cause <= badSchema) ? m_cause : genericException;
  return CopyMessage(kTexts[cause], error, maxChars);
}

int CFileException::OsErrorToException(LONG osError) {
  switch (osError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
  }
}

int CFileException::ErrnoToException(int error) {
  return OsErrorToException(static_cast<LONG>(compat::ErrorFromErrno(error)));
}

void CFileException::ThrowOsError(LONG osError, LPCTSTR fileName) {
  throw new CFileException(OsErrorToException(osError), osError, fileName);
}

void CFileException::ThrowErrno(int error, LPCTSTR fileName) {
  LONG osError = static_cast<LONG>(compat::ErrorFromErrno(error));
  throw new CFileException(OsErrorToException(osError), osError, fileName);
}

void AfxThrowMemoryException() { throw new CMemoryException; }

void AfxThrowFileException(int cause, LONG osError, LPCTSTR fileName) {
  throw new CFileException(cause, osError, fileName);
}

void AfxThrowArchiveException(int cause, LPCTSTR archiveName) {
  throw new CArchiveException(cause, archiveName);
}

// --- CFile ---

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(int hFile) : m_hFile(static_cast<UINT>(hFile)), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR fileName, UINT openFlags) : CFile() {
  CFileException error;
  if (!Open(fileName, openFlags, &error)) {
    AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
  }
}

CFile::~CFile() {
  if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error) {
  if (m_hFile != hFileNull) Abort();
  int flags = O_CLOEXEC;
  switch (openFlags & 3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    default: flags |= O_RDWR; break;
  }
  if (openFlags & modeCreate) flags |= O_CREAT | ((openFlags & modeNoTruncate) ? 0 : O_TRUNC);
  std::string hostPath = compat::ToHostPath(fileName);
  int fd = hostPath.empty() ? (errno = ENOENT, -1) : ::open(hostPath.c_str(), flags, 0666);
  struct stat info;
  if (fd >= 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    // The platform does not open folders as files.
    ::close(fd);
    fd = -1;
    errno = EACCES;
  }
  if (fd < 0) {
    if (error != nullptr) {
      error->m_lOsError = static_cast<LONG>(compat::ErrorFromErrno(errno));
      error->m_cause = CFileException::OsErrorToException(error->m_lOsError);
      error->m_strFileName = fileName;
    }
    return FALSE;
  }
  m_hFile = static_cast<UINT>(fd);
  m_bCloseOnDelete = TRUE;
  m_strFileName = fileName;
  return TRUE;
}

void CFile::Close() {
  int result = 0;
  if (m_hFile != hFileNull) result = ::close(static_cast<int>(m_hFile));
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  if (result != 0) CFileException::ThrowErrno(errno, m_strFileName);
}

void CFile::Abort() {
  if (m_hFile != hFileNull) ::close(static_cast<int>(m_hFile));
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
}

void CFile::Flush() {
  if (m_hFile != hFileNull && fsync(static_cast<int>(m_hFile)) != 0 && errno != EINVAL) {
    CFileException::ThrowErrno(errno, m_strFileName);
  }
}

UINT CFile::Read(void* buffer, UINT count) {
  if (count == 0) return 0;
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
  UINT done = 0;
  while (done < count) {
    ssize_t n = ::read(static_cast<int>(m_hFile), static_cast<BYTE*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) CFileException::ThrowErrno(errno, m_strFileName);
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
  UINT done = 0;
  while (done < count) {
    ssize_t n = ::write(static_cast<int>(m_hFile), static_cast<const BYTE*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) CFileException::ThrowErrno(n < 0 ? errno : ENOSPC, m_strFileName);
    done += static_cast<UINT>(n);
  }
}

LONG CFile::Seek(LONG offset, UINT from) {
  int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
  off_t position = ::lseek(static_cast<int>(m_hFile), offset, whence);
  if (position < 0) AfxThrowFileException(CFileException::badSeek, kErrorNegativeSeek, m_strFileName);
  if (position > kMaxFileOffset) AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
  return static_cast<LONG>(position);
}

DWORD CFile::GetLength() const {
  struct stat info;
  if (fstat(static_cast<int>(m_hFile), &info) != 0) CFileException::ThrowErrno(errno, m_strFileName);
  return static_cast<DWORD>(info.st_size);
}

void CFile::SetLength(DWORD newLength) {
  if (ftruncate(static_cast<int>(m_hFile), static_cast<off_t>(newLength)) != 0) {
    CFileException::ThrowErrno(errno, m_strFileName);
  }
}

DWORD CFile::GetPosition() const {
  off_t position = ::lseek(static_cast<int>(m_hFile), 0, SEEK_CUR);
  if (position < 0) CFileException::ThrowErrno(errno, m_strFileName);
  return static_cast<DWORD>(position);
}

CString CFile::GetFileName() const {
  int cut = std::max(m_strFileName.ReverseFind(u'\\'), m_strFileName.ReverseFind(u'/'));
  return m_strFileName.Mid(cut + 1);
}

CString CFile::GetFileTitle() const {
  CString name = GetFileName();
  int dot = name.ReverseFind(u'.');
  return dot > 0 ? name.Left(dot) : name;
}

BOOL CFile::GetStatus(CFileStatus& status) const {
  if (!GetStatus(m_strFileName, status)) return FALSE;
  return TRUE;
}

BOOL CFile::GetStatus(LPCTSTR fileName, CFileStatus& status) {
  std::string hostPath = compat::ToHostPath(fileName);
  struct stat info;
  if (hostPath.empty() || ::stat(hostPath.c_str(), &info) != 0) return FALSE;
  status.m_ctime = CTime(info.st_ctime);
  status.m_mtime = CTime(info.st_mtime);
  status.m_atime = CTime(info.st_atime);
  status.m_size = info.st_size > kMaxFileOffset ? kMaxFileOffset : static_cast<LONG>(info.st_size);
  BYTE attribute = S_ISDIR(info.st_mode) ? directory : archive;
  if ((info.st_mode & S_IWUSR) == 0) attribute |= readOnly;
  std::string::size_type slash = hostPath.find_last_of('/');
  if (hostPath.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0) attribute |= hidden;
  status.m_attribute = attribute;
  char resolved[PATH_MAX];
  std::u16string full = realpath(hostPath.c_str(), resolved) != nullptr
                            ? compat::FromHostPath(resolved)
                            : std::u16string(fileName);
  size_t n = std::min<size_t>(full.size(), _MAX_PATH - 1);
  std::char_traits<char16_t>::copy(status.m_szFullName, full.data(), n);
  status.m_szFullName[n] = 0;
  return TRUE;
}

void CFile::Rename(LPCTSTR oldName, LPCTSTR newName) {
  std::string from = compat::ToHostPath(oldName);
  std::string to = compat::ToHostPath(newName);
  struct stat info;
  // The platform does not replace an existing file by renaming onto it.
  if (::lstat(to.c_str(), &info) == 0) CFileException::ThrowOsError(ERROR_ALREADY_EXISTS, newName);
  if (::rename(from.c_str(), to.c_str()) != 0) CFileException::ThrowErrno(errno, oldName);
}

void CFile::Remove(LPCTSTR fileName) {
  std::string path = compat::ToHostPath(fileName);
  if (::unlink(path.c_str()) != 0) CFileException::ThrowErrno(errno, fileName);
}

// File handles, folders, paths, searches and the C runtime's wide file calls.
//
// Sections: helpers, file handles, attributes and folders, moving and copying,
// temporary files, full paths, searches, C runtime.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/kernel.h"
#include "compat/win32/kernel_objects.h"
#include "compat/win32/text.h"

// --- helpers ---
namespace {

constexpr int64_t kUnixEpochTicks = 116'444'736'000'000'000;
constexpr size_t kCopyChunk = 1 << 16;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool IsFolder(const std::string& host) {
  struct stat info;
  return stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentOf(const std::string& host) {
  size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : host.substr(0, slash);
}

// The platform tells a missing file from a missing folder on the way to it.
DWORD ErrorForPath(int error, const std::string& host) {
  if (error == ENOENT && !IsFolder(ParentOf(host))) return ERROR_PATH_NOT_FOUND;
  return compat::ErrorFromErrno(error);
}

BOOL FailForPath(const std::string& host) { return Fail(ErrorForPath(errno, host)); }

void TimespecToFileTime(const timespec& time, FILETIME& ft) {
  uint64_t ticks = static_cast<uint64_t>(kUnixEpochTicks + static_cast<int64_t>(time.tv_sec) * 10'000'000 +
                                         time.tv_nsec / 100);
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

DWORD AttributesOf(const struct stat& info, const std::string& host) {
  // Named pipes, sockets and devices are what the platform calls devices.
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
                     : S_ISREG(info.st_mode) ? FILE_ATTRIBUTE_ARCHIVE
                                             : FILE_ATTRIBUTE_DEVICE;
  if (access(host.c_str(), W_OK) != 0 && errno == EACCES) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

// Created is the earlier of the status-change and modification times: the
// host keeps no creation time everywhere.
void FileTimesOf(const struct stat& info, FILETIME* created, FILETIME* accessed, FILETIME* written) {
  if (created) {
    bool ctime_first = info.st_ctim.tv_sec < info.st_mtim.tv_sec;
    TimespecToFileTime(ctime_first ? info.st_ctim : info.st_mtim, *created);
  }
  if (accessed) TimespecToFileTime(info.st_atim, *accessed);
  if (written) TimespecToFileTime(info.st_mtim, *written);
}

// Copies `text` with its terminator when it fits; otherwise returns the size
// needed including the terminator, as the path calls do.
DWORD DeliverPath(const std::u16string& text, DWORD capacity, LPWSTR buffer) {
  if (!buffer || text.size() + 1 > capacity) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(text.size());
}

}  // namespace

// --- file handles ---
namespace {

class File : public compat::KernelObject {
 public:
  explicit File(int descriptor) : descriptor_(descriptor) {}
  ~File() override { close(descriptor_); }
  int descriptor() const { return descriptor_; }

 private:
  const int descriptor_;
};

std::shared_ptr<File> FileFromHandle(HANDLE handle) {
  auto file = compat::LookUpHandleAs<File>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

int OpenFlags(DWORD access, DWORD disposition) {
  int flags = O_CLOEXEC;
  bool read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  bool write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW: return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS: return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS: return flags | O_CREAT;
    case TRUNCATE_EXISTING: return flags | O_TRUNC;
    case OPEN_EXISTING: return flags;
    default: return -1;
  }
}

}  // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  int flags = OpenFlags(dwDesiredAccess, dwCreationDisposition);
  if (!lpFileName || !*lpFileName || flags < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string host = compat::ToHostPath(lpFileName);
  if (IsFolder(host)) {
    // A folder opens only with backup semantics, and then only as it is:
    // enough to flush its entries.
    const int folder = (dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) && dwCreationDisposition == OPEN_EXISTING
                           ? open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                           : -1;
    if (folder < 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return compat::AddHandle(std::make_shared<File>(folder));
  }
  bool existed = access(host.c_str(), F_OK) == 0;
  int descriptor = open(host.c_str(), flags, 0666);
  if (descriptor < 0) {
    SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorForPath(errno, host));
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = compat::AddHandle(std::make_shared<File>(descriptor));
  bool reports_existing = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  SetLastError(reports_existing && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (!lpBuffer && nNumberOfBytesToRead) return Fail(ERROR_INVALID_PARAMETER);
  auto* out = static_cast<char*>(lpBuffer);
  DWORD total = 0;
  while (total < nNumberOfBytesToRead) {
    ssize_t n = read(file->descriptor(), out + total, nNumberOfBytesToRead - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(compat::ErrorFromErrno(errno));
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (!lpBuffer && nNumberOfBytesToWrite) return Fail(ERROR_INVALID_PARAMETER);
  const auto* in = static_cast<const char*>(lpBuffer);
  DWORD total = 0;
  while (total < nNumberOfBytesToWrite) {
    ssize_t n = write(file->descriptor(), in + total, nNumberOfBytesToWrite - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
      return Fail(n < 0 ? compat::ErrorFromErrno(errno) : ERROR_DISK_FULL);
    }
    total += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, LARGE_INTEGER* lpNewFilePointer,
                      DWORD dwMoveMethod) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (dwMoveMethod > FILE_END) return Fail(ERROR_INVALID_PARAMETER);
  int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t base = whence == SEEK_SET ? 0 : lseek(file->descriptor(), 0, whence);
  if (base < 0) return Fail(compat::ErrorFromErrno(errno));
  if (liDistanceToMove.QuadPart < 0 && base < -liDistanceToMove.QuadPart) return Fail(ERROR_NEGATIVE_SEEK);
  off_t position = lseek(file->descriptor(), base + liDistanceToMove.QuadPart, SEEK_SET);
  if (position < 0) return Fail(compat::ErrorFromErrno(errno));
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = position;
  return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  LARGE_INTEGER distance;
  distance.QuadPart = lpDistanceToMoveHigh
                          ? static_cast<LONGLONG>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                                  static_cast<uint32_t>(lDistanceToMove))
                          : lDistanceToMove;
  LARGE_INTEGER position;
  if (!SetFilePointerEx(hFile, distance, &position, dwMoveMethod)) return INVALID_SET_FILE_POINTER;
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = position.HighPart;
  SetLastError(ERROR_SUCCESS);  // a position of 0xFFFFFFFF is told from failure this way
  return position.LowPart;
}

BOOL SetEndOfFile(HANDLE hFile) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  off_t position = lseek(file->descriptor(), 0, SEEK_CUR);
  if (position < 0 || ftruncate(file->descriptor(), position) != 0) return Fail(compat::ErrorFromErrno(errno));
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* lpFileSize) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  struct stat info;
  if (fstat(file->descriptor(), &info) != 0) return Fail(compat::ErrorFromErrno(errno));
  if (lpFileSize) lpFileSize->QuadPart = info.st_size;
  return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(hFile, &size)) return INVALID_FILE_SIZE;
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size.HighPart);
  SetLastError(ERROR_SUCCESS);
  return size.LowPart;
}

BOOL FlushFileBuffers(HANDLE hFile) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  return fsync(file->descriptor()) == 0 ? TRUE : Fail(compat::ErrorFromErrno(errno));
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                 LPFILETIME lpLastWriteTime) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  struct stat info;
  if (fstat(file->descriptor(), &info) != 0) return Fail(compat::ErrorFromErrno(errno));
  FileTimesOf(info, lpCreationTime, lpLastAccessTime, lpLastWriteTime);
  return TRUE;
}

BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (!lpFileInformation) return Fail(ERROR_INVALID_PARAMETER);
  struct stat info;
  if (fstat(file->descriptor(), &info) != 0) return Fail(compat::ErrorFromErrno(errno));
  BY_HANDLE_FILE_INFORMATION& out = *lpFileInformation;
  out.dwFileAttributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(info.st_mode & S_IWUSR)) out.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  FileTimesOf(info, &out.ftCreationTime, &out.ftLastAccessTime, &out.ftLastWriteTime);
  out.dwVolumeSerialNumber = static_cast<DWORD>(info.st_dev);
  out.nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(info.st_size) >> 32);
  out.nFileSizeLow = static_cast<DWORD>(info.st_size);
  out.nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
  out.nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(info.st_ino) >> 32);
  out.nFileIndexLow = static_cast<DWORD>(info.st_ino);
  return TRUE;
}

// --- attributes and folders ---
DWORD GetModuleFileNameW(HMODULE, LPWSTR lpFilename, DWORD nSize) {
  char host[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", host, sizeof host - 1);
  if (n <= 0) return Fail(ERROR_INVALID_FUNCTION);
  std::u16string path = compat::FromHostPath(std::string(host, static_cast<size_t>(n)));
  if (!lpFilename || nSize == 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (path.size() + 1 > nSize) {
    // Cut to fit and terminated; the full size is not reported.
    std::memcpy(lpFilename, path.data(), (nSize - 1) * sizeof(char16_t));
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), (path.size() + 1) * sizeof(char16_t));
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  if (!lpFileName || !*lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string host = compat::ToHostPath(lpFileName);
  struct stat info;
  if (stat(host.c_str(), &info) != 0) {
    FailForPath(host);
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(info, host);
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
  if (!lpFileName) return Fail(ERROR_INVALID_PARAMETER);
  std::string host = compat::ToHostPath(lpFileName);
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return FailForPath(host);
  mode_t mode = info.st_mode & 07777;
  mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? mode & ~mode_t(0222) : mode | S_IWUSR;
  return chmod(host.c_str(), mode) == 0 ? TRUE : FailForPath(host);
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  if (!lpPathName || !*lpPathName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string host = compat::ToHostPath(lpPathName);
  if (mkdir(host.c_str(), 0777) == 0) return TRUE;
  return errno == ENOENT ? Fail(ERROR_PATH_NOT_FOUND) : FailForPath(host);
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
  if (!lpPathName) return Fail(ERROR_INVALID_PARAMETER);
  std::string host = compat::ToHostPath(lpPathName);
  if (rmdir(host.c_str()) == 0) return TRUE;
  return errno == ENOTDIR ? Fail(ERROR_DIRECTORY) : FailForPath(host);
}

BOOL DeleteFileW(LPCWSTR lpFileName) {
  if (!lpFileName) return Fail(ERROR_INVALID_PARAMETER);
  std::string host = compat::ToHostPath(lpFileName);
  if (IsFolder(host)) return Fail(ERROR_ACCESS_DENIED);
  return unlink(host.c_str()) == 0 ? TRUE : FailForPath(host);
}

DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
  char host[PATH_MAX];
  if (!getcwd(host, sizeof host)) return Fail(compat::ErrorFromErrno(errno));
  return DeliverPath(compat::FromHostPath(host), nBufferLength, lpBuffer);
}

BOOL SetCurrentDirectoryW(LPCWSTR lpPathName) {
  if (!lpPathName) return Fail(ERROR_INVALID_PARAMETER);
  std::string host = compat::ToHostPath(lpPathName);
  return chdir(host.c_str()) == 0 ? TRUE : FailForPath(host);
}

// --- moving and copying ---
namespace {

bool Exists(const std::string& host) {
  struct stat info;
  return lstat(host.c_str(), &info) == 0;
}

// Copies bytes, permissions and the modification time, as the platform's
// copy keeps attributes and the last-write time.
BOOL CopyHostFile(const std::string& from, const std::string& to) {
  int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return FailForPath(from);
  struct stat info;
  fstat(source, &info);
  if (S_ISDIR(info.st_mode)) {
    close(source);
    return Fail(ERROR_ACCESS_DENIED);
  }
  int target = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (info.st_mode & 0777) | S_IWUSR);
  if (target < 0) {
    DWORD error = ErrorForPath(errno, to);
    close(source);
    return Fail(error);
  }
  std::vector<char> chunk(kCopyChunk);
  DWORD error = ERROR_SUCCESS;
  for (;;) {
    ssize_t n = read(source, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) error = compat::ErrorFromErrno(errno);
      break;
    }
    for (ssize_t done = 0; done < n && error == ERROR_SUCCESS;) {
      ssize_t w = write(target, chunk.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) error = w < 0 ? compat::ErrorFromErrno(errno) : ERROR_DISK_FULL;
      else done += w;
    }
    if (error != ERROR_SUCCESS) break;
  }
  timespec times[2] = {info.st_atim, info.st_mtim};
  futimens(target, times);
  close(source);
  if (close(target) != 0 && error == ERROR_SUCCESS) error = compat::ErrorFromErrno(errno);
  if (error != ERROR_SUCCESS) {
    unlink(to.c_str());  // never leave a half copy behind
    return Fail(error);
  }
  return TRUE;
}

}  // namespace

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
  if (!lpExistingFileName || !lpNewFileName) return Fail(ERROR_INVALID_PARAMETER);
  std::string from = compat::ToHostPath(lpExistingFileName);
  std::string to = compat::ToHostPath(lpNewFileName);
  if (!Exists(from)) return FailForPath(from);
  if (bFailIfExists && Exists(to)) return Fail(ERROR_FILE_EXISTS);
  return CopyHostFile(from, to);
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if (!lpExistingFileName || !lpNewFileName) return Fail(ERROR_INVALID_PARAMETER);
  std::string from = compat::ToHostPath(lpExistingFileName);
  std::string to = compat::ToHostPath(lpNewFileName);
  if (!Exists(from)) {
    errno = ENOENT;
    return FailForPath(from);
  }
  bool replace = (dwFlags & MOVEFILE_REPLACE_EXISTING) != 0;
  if (Exists(to) && (!replace || IsFolder(to))) return Fail(ERROR_ALREADY_EXISTS);
  if (rename(from.c_str(), to.c_str()) == 0) return TRUE;
  if (errno != EXDEV) return FailForPath(to);
  // Another file system: a file moves by copy and delete; a folder cannot.
  if (IsFolder(from)) return Fail(ERROR_NOT_SAME_DEVICE);
  if (!CopyHostFile(from, to)) return FALSE;
  unlink(from.c_str());
  return TRUE;
}

BOOL ReplaceFileW(LPCWSTR lpReplacedFileName, LPCWSTR lpReplacementFileName, LPCWSTR lpBackupFileName,
                  DWORD dwReplaceFlags, LPVOID lpExclude, LPVOID lpReserved) {
  if (!lpReplacedFileName || !lpReplacementFileName || lpBackupFileName || dwReplaceFlags || lpExclude || lpReserved)
    return Fail(ERROR_INVALID_PARAMETER);
  const std::string replaced = compat::ToHostPath(lpReplacedFileName);
  const std::string replacement = compat::ToHostPath(lpReplacementFileName);
  struct stat info;
  if (stat(replaced.c_str(), &info) != 0) return FailForPath(replaced);
  if (!S_ISREG(info.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (chmod(replacement.c_str(), info.st_mode & 07777) != 0) return FailForPath(replacement);
  if (rename(replacement.c_str(), replaced.c_str()) != 0) return FailForPath(replaced);
  return TRUE;
}

BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName) {
  return MoveFileExW(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

// --- temporary files ---
DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  const char* folder = getenv("TMPDIR");
  std::string host = folder && *folder ? folder : "/tmp";
  if (host.back() != '/') host += '/';
  return DeliverPath(compat::FromHostPath(host), nBufferLength, lpBuffer);
}

namespace {

std::u16string TempName(std::u16string folder, LPCWSTR prefix, UINT unique) {
  if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
  for (int i = 0; prefix && i < 3 && prefix[i]; ++i) folder += prefix[i];
  char16_t digits[16];
  swprintf(digits, 16, u"%X", unique & 0xFFFF);
  return folder + digits + u".TMP";
}

}  // namespace

UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName) {
  if (!lpPathName || !lpTempFileName) return Fail(ERROR_INVALID_PARAMETER);
  std::u16string folder = lpPathName;
  if (!IsFolder(compat::ToHostPath(folder))) return Fail(ERROR_DIRECTORY);
  auto deliver = [&](const std::u16string& name, UINT number) -> UINT {
    if (name.size() >= MAX_PATH) return Fail(ERROR_BUFFER_OVERFLOW);
    std::memcpy(lpTempFileName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    return number;
  };
  if (uUnique != 0) return deliver(TempName(folder, lpPrefixString, uUnique), uUnique & 0xFFFF);
  // Search from a changing start for a number whose file does not exist yet,
  // and create it so that the name stays ours.
  UINT start = (GetTickCount() ^ static_cast<UINT>(getpid())) & 0xFFFF;
  for (UINT step = 0; step < 0x10000; ++step) {
    UINT number = (start + step) & 0xFFFF;
    if (number == 0) continue;
    std::u16string name = TempName(folder, lpPrefixString, number);
    if (name.size() >= MAX_PATH) return Fail(ERROR_BUFFER_OVERFLOW);
    int descriptor = open(compat::ToHostPath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      close(descriptor);
      return deliver(name, number);
    }
    if (errno != EEXIST) return Fail(compat::ErrorFromErrno(errno));
  }
  return Fail(ERROR_FILE_EXISTS);
}

// --- full paths ---
namespace {

bool IsSlash(char16_t c) { return c == u'\\' || c == u'/'; }

// Resolves "." and ".." in a path that starts with a backslash (after any
// drive), keeping a trailing backslash.
std::u16string Normalize(const std::u16string& drive, const std::u16string& rooted) {
  std::vector<std::u16string> parts;
  std::u16string part;
  auto flush = [&] {
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char16_t c : rooted) {
    if (IsSlash(c)) flush();
    else part += c;
  }
  flush();
  std::u16string out = drive;
  for (const auto& p : parts) out += u"\\" + p;
  if (parts.empty() || (!rooted.empty() && IsSlash(rooted.back()))) out += u'\\';
  return out;
}

}  // namespace

DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart) {
  if (!lpFileName || !*lpFileName) return Fail(ERROR_INVALID_NAME);
  std::u16string path = lpFileName;
  std::u16string drive;
  if (path.size() >= 2 && path[1] == u':') {
    drive = path.substr(0, 2);
    path.erase(0, 2);
  }
  if (path.empty() || !IsSlash(path[0])) {
    char host[PATH_MAX];
    if (!getcwd(host, sizeof host)) return Fail(compat::ErrorFromErrno(errno));
    path = compat::FromHostPath(host) + u"\\" + path;
  }
  std::u16string full = Normalize(drive, path);
  DWORD result = DeliverPath(full, nBufferLength, lpBuffer);
  if (lpFilePart && result < nBufferLength && lpBuffer) {
    size_t slash = full.find_last_of(u"\\");
    *lpFilePart = slash + 1 < full.size() ? lpBuffer + slash + 1 : nullptr;
  }
  return result;
}

// --- searches ---
namespace {

bool MatchesFrom(const std::u16string& pattern, size_t p, const std::u16string& name, size_t n) {
  while (p < pattern.size()) {
    if (pattern[p] == u'*') {
      while (p < pattern.size() && pattern[p] == u'*') ++p;
      if (p == pattern.size()) return true;
      for (size_t k = n; k <= name.size(); ++k) {
        if (MatchesFrom(pattern, p, name, k)) return true;
      }
      return false;
    }
    if (n == name.size()) return false;
    if (pattern[p] != u'?' && towlower(pattern[p]) != towlower(name[n])) return false;
    ++p;
    ++n;
  }
  return n == name.size();
}

// The platform's rules: case does not matter, and "x.*" also matches "x".
bool Matches(const std::u16string& pattern, const std::u16string& name) {
  if (MatchesFrom(pattern, 0, name, 0)) return true;
  size_t n = pattern.size();
  return n >= 2 && pattern.compare(n - 2, 2, u".*") == 0 && MatchesFrom(pattern.substr(0, n - 2), 0, name, 0);
}

struct FoundEntry {
  std::u16string name;
  struct stat info;
  std::string host;
};

class Search : public compat::KernelObject {
 public:
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

void FillFindData(const FoundEntry& entry, WIN32_FIND_DATAW& data) {
  std::memset(&data, 0, sizeof data);
  data.dwFileAttributes = AttributesOf(entry.info, entry.host);
  FileTimesOf(entry.info, &data.ftCreationTime, &data.ftLastAccessTime, &data.ftLastWriteTime);
  uint64_t size = S_ISDIR(entry.info.st_mode) ? 0 : static_cast<uint64_t>(entry.info.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::memcpy(data.cFileName, entry.name.c_str(), (entry.name.size() + 1) * sizeof(char16_t));
}

// Lists the names in `folder` that match; names too long for the record are
// left out rather than cut.
bool ListMatches(const std::string& folder, const std::u16string& pattern, std::vector<FoundEntry>& out) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  std::string prefix = folder == "/" ? "/" : folder + "/";
  while (dirent* item = readdir(dir)) {
    std::u16string name = compat::Utf8ToUtf16(item->d_name);
    if (name.size() >= MAX_PATH || !Matches(pattern, name)) continue;
    if (folder == "/" && (name == u"." || name == u"..")) continue;
    FoundEntry entry{name, {}, prefix + item->d_name};
    if (stat(entry.host.c_str(), &entry.info) != 0 && lstat(entry.host.c_str(), &entry.info) != 0) continue;
    out.push_back(std::move(entry));
  }
  closedir(dir);
  std::sort(out.begin(), out.end(), [](const FoundEntry& a, const FoundEntry& b) {
    int folded = _wcsicmp(a.name.c_str(), b.name.c_str());
    return folded != 0 ? folded < 0 : a.name < b.name;
  });
  return true;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  if (!lpFileName || !*lpFileName || !lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string path = lpFileName;
  size_t slash = path.find_last_of(u"\\/");
  std::u16string pattern = slash == std::u16string::npos ? path : path.substr(slash + 1);
  std::u16string folder = slash == std::u16string::npos ? u"." : path.substr(0, slash + 1);
  std::string host_folder = compat::ToHostPath(folder);
  while (host_folder.size() > 1 && host_folder.back() == '/') host_folder.pop_back();
  if (host_folder.empty()) host_folder.push_back('/');
  auto search = std::make_shared<Search>();
  if (pattern.empty() || !ListMatches(host_folder, pattern, search->entries)) {
    SetLastError(pattern.empty() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (search->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  FillFindData(search->entries[0], *lpFindFileData);
  search->next = 1;
  SetLastError(ERROR_SUCCESS);
  return compat::AddHandle(std::move(search));
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  auto search = compat::LookUpHandleAs<Search>(hFindFile);
  if (!search) return Fail(ERROR_INVALID_HANDLE);
  if (!lpFindFileData) return Fail(ERROR_INVALID_PARAMETER);
  // A search is used by one thread at a time, as on the platform.
  if (search->next >= search->entries.size()) return Fail(ERROR_NO_MORE_FILES);
  FillFindData(search->entries[search->next++], *lpFindFileData);
  return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
  if (!compat::LookUpHandleAs<Search>(hFindFile)) return Fail(ERROR_INVALID_HANDLE);
  compat::RemoveHandle(hFindFile);
  return TRUE;
}

// --- C runtime ---
int _waccess(const char16_t* path, int mode) {
  if (!path) {
    errno = EINVAL;
    return -1;
  }
  int host_mode = F_OK;
  if (mode & 2) host_mode |= W_OK;
  if (mode & 4) host_mode |= R_OK;
  return access(compat::ToHostPath(path).c_str(), host_mode);
}

FILE* _wfopen(const char16_t* path, const char16_t* mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  // Keep the standard letters; the platform's text mode and hints have no
  // meaning here, and ",ccs=" encodings are not offered.
  std::string host_mode;
  for (const char16_t* m = mode; *m && *m != u','; ++m) {
    if (*m == u'r' || *m == u'w' || *m == u'a' || *m == u'+' || *m == u'b') host_mode += static_cast<char>(*m);
  }
  if (host_mode.empty()) {
    errno = EINVAL;
    return nullptr;
  }
  host_mode += 'e';  // close on exec
  return fopen(compat::ToHostPath(path).c_str(), host_mode.c_str());
}

int _wremove(const char16_t* path) {
  if (!path) {
    errno = EINVAL;
    return -1;
  }
  std::string host = compat::ToHostPath(path);
  if (IsFolder(host)) {
    errno = EACCES;
    return -1;
  }
  return unlink(host.c_str());
}

int _wrename(const char16_t* oldname, const char16_t* newname) {
  if (!oldname || !newname) {
    errno = EINVAL;
    return -1;
  }
  std::string to = compat::ToHostPath(newname);
  if (Exists(to)) {
    errno = EACCES;
    return -1;
  }
  return rename(compat::ToHostPath(oldname).c_str(), to.c_str());
}

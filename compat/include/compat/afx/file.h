// The framework's exceptions, CFile on host files and CMemFile on a growing
// memory block. File errors throw CFileException*; callers catch the pointer
// and call Delete().
#pragma once

#include "compat/afx/object.h"
#include "compat/afx/string.h"
#include "compat/afx/time.h"
#include "compat/win32.h"

#ifndef _MAX_PATH
#define _MAX_PATH 260
#endif

// --- exceptions ---

class CException : public CObject {
  DECLARE_DYNAMIC(CException)
 public:
  explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
  // Frees an exception the framework allocated; safe inside a CATCH block,
  // which then does not free it a second time.
  void Delete();
  virtual BOOL GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext = nullptr) const;

  BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)
 public:
  BOOL GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext = nullptr) const override;
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
 public:
  enum {
    none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
    invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
    lockViolation, diskFull, endOfFile
  };

  explicit CFileException(int cause = none, LONG osError = -1, LPCTSTR fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

  BOOL GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext = nullptr) const override;

  static int OsErrorToException(LONG osError);
  static int ErrnoToException(int error);
  [[noreturn]] static void ThrowOsError(LONG osError, LPCTSTR fileName = nullptr);
  [[noreturn]] static void ThrowErrno(int error, LPCTSTR fileName = nullptr);

  int m_cause;
  LONG m_lOsError;  // the platform's error code, -1 when none
  CString m_strFileName;
};

class CArchiveException : public CException {
  DECLARE_DYNAMIC(CArchiveException)
 public:
  enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };

  explicit CArchiveException(int cause = none, LPCTSTR archiveName = nullptr)
      : m_cause(cause), m_strFileName(archiveName) {}

  BOOL GetErrorMessage(LPTSTR error, UINT maxChars, PUINT helpContext = nullptr) const override;

  int m_cause;
  CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCTSTR fileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, LPCTSTR archiveName = nullptr);

// The framework's exception macros on C++ exceptions of pointer type. The
// exception caught by CATCH is freed at the end of its block unless it is
// thrown on with THROW_LAST or freed earlier with Delete().
struct AFX_EXCEPTION_LINK {
  explicit AFX_EXCEPTION_LINK(CException* exception);
  ~AFX_EXCEPTION_LINK();
  CException* m_pException;
  AFX_EXCEPTION_LINK* m_pLinkPrev;
};

#define TRY try {
#define CATCH(class_name, e) \
  }                          \
  catch (class_name * e) {   \
    AFX_EXCEPTION_LINK afxExceptionLink(e);
#define AND_CATCH(class_name, e) CATCH(class_name, e)
#define END_CATCH }
#define CATCH_ALL(e) CATCH(CException, e)
#define AND_CATCH_ALL(e) CATCH(CException, e)
#define END_CATCH_ALL }
#define THROW(e) throw e
#define THROW_LAST()                           \
  do {                                         \
    afxExceptionLink.m_pException = nullptr;   \
    throw;                                     \
  } while (0)

// --- files ---

struct CFileStatus {
  CTime m_ctime;
  CTime m_mtime;
  CTime m_atime;
  LONG m_size = 0;
  BYTE m_attribute = 0;
  BYTE m_padding = 0;
  TCHAR m_szFullName[_MAX_PATH] = {};
};

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
 public:
  enum OpenFlags {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000
  };
  enum Attribute { normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04, volume = 0x08, directory = 0x10, archive = 0x20 };
  enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };
  static const UINT hFileNull = static_cast<UINT>(-1);

  CFile();
  explicit CFile(int hFile);
  CFile(LPCTSTR fileName, UINT openFlags);  // throws CFileException* on failure
  ~CFile() override;

  // --- opening and closing ---
  virtual BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr);
  virtual void Close();
  virtual void Abort();  // closes without throwing
  virtual void Flush();

  // --- data ---
  virtual UINT Read(void* buffer, UINT count);  // fewer bytes at the end, never throws for it
  virtual void Write(const void* buffer, UINT count);
  virtual LONG Seek(LONG offset, UINT from);
  void SeekToBegin() { Seek(0, begin); }
  DWORD SeekToEnd() { return static_cast<DWORD>(Seek(0, end)); }
  virtual DWORD GetLength() const;
  virtual void SetLength(DWORD newLength);
  virtual DWORD GetPosition() const;

  // --- names and status ---
  virtual CString GetFileName() const;
  virtual CString GetFileTitle() const;
  virtual CString GetFilePath() const { return m_strFileName; }
  virtual void SetFilePath(LPCTSTR path) { m_strFileName = path; }
  BOOL GetStatus(CFileStatus& status) const;
  static BOOL GetStatus(LPCTSTR fileName, CFileStatus& status);
  static void Rename(LPCTSTR oldName, LPCTSTR newName);
  static void Remove(LPCTSTR fileName);

  UINT m_hFile;
  BOOL m_bCloseOnDelete;
  CString m_strFileName;
};

class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
 public:
  explicit CMemFile(UINT growBytes = 1024);
  CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
  ~CMemFile() override;

  // An attached block is the caller's and is never freed here. With a grow-by
  // of 0 it never grows and its whole size is the file; with a grow-by it
  // starts empty and grows with realloc, so it must come from malloc.
  void Attach(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
  // Hands the block to the caller (free() it when it was grown here).
  BYTE* Detach();

  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  LONG Seek(LONG offset, UINT from) override;
  DWORD GetLength() const override { return m_nFileSize; }
  void SetLength(DWORD newLength) override;
  DWORD GetPosition() const override { return m_nPosition; }
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }

 protected:
  void GrowFile(DWORD newSize);

  UINT m_nGrowBytes;
  DWORD m_nPosition;
  DWORD m_nBufferSize;
  DWORD m_nFileSize;
  BYTE* m_lpBuffer;
  BOOL m_bAutoDelete;
};

// Walks the files a pattern matches ("*.pvk" finds "X.PVK": names match without case).
class CFileFind : public CObject {
 public:
  CFileFind() = default;
  ~CFileFind() override { Close(); }
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // TRUE when something matches; FindNextFile then steps onto each match in turn.
  virtual BOOL FindFile(LPCTSTR pstrName = nullptr, DWORD dwUnused = 0);
  // Steps onto the next match; FALSE when this one is the last.
  virtual BOOL FindNextFile();
  void Close();

  CString GetFileName() const;
  CString GetFilePath() const;
  CString GetRoot() const { return m_strRoot; }
  ULONGLONG GetLength() const;
  BOOL IsDirectory() const { return (m_found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  BOOL IsDots() const;

 private:
  HANDLE m_hFind = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW m_next{};   // the match FindNextFile steps onto
  WIN32_FIND_DATAW m_found{};  // the current match
  BOOL m_bHaveNext = FALSE;
  CString m_strRoot;           // the folder of the pattern, with its backslash
};

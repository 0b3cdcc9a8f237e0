// CArchive: the framework's buffered binary stream over a CFile (a host file
// or a CMemFile), little-endian, with its string and object encodings.
// Every read that runs past the end of the file throws CArchiveException*
// with endOfFile, raw blocks and strings included.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "compat/afx/file.h"
#include "compat/afx/object.h"
#include "compat/afx/string.h"
#include "compat/afx/types.h"
#include "compat/win32.h"

class CDocument;

class CArchive {
 public:
  enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };
  static constexpr int kDefaultBufferSize = 4096;

  CArchive(CFile* file, UINT mode, int bufferSize = kDefaultBufferSize, void* buffer = nullptr);
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  BOOL IsByteSwapping() const { return FALSE; }
  BOOL IsBufferEmpty() const { return m_lpBufCur == m_lpBufMax; }
  CFile* GetFile() const { return m_pFile; }
  UINT GetObjectSchema() { UINT schema = m_nObjectSchema; m_nObjectSchema = static_cast<UINT>(-1); return schema; }
  void SetObjectSchema(UINT schema) { m_nObjectSchema = schema; }

  // --- raw blocks: Read returns count or throws endOfFile ---
  UINT Read(void* buffer, UINT count);
  void Write(const void* buffer, UINT count);
  void Flush();
  void Close();
  void Abort();

  // --- text lines (UTF-16, no terminator written; a read line loses "\r\n") ---
  void WriteString(LPCTSTR text);
  BOOL ReadString(CString& text);  // FALSE at the end of the file

  // --- objects by class name, with back-references to ones already written ---
  void WriteObject(const CObject* object);
  CObject* ReadObject(const CRuntimeClass* expectedClass);

  // --- fields ---
  CArchive& operator<<(BYTE v) { return Put(v); }
  CArchive& operator<<(char v) { return Put(v); }
  CArchive& operator<<(signed char v) { return Put(v); }
  CArchive& operator<<(WORD v) { return Put(v); }
  CArchive& operator<<(short v) { return Put(v); }
  CArchive& operator<<(char16_t v) { return Put(v); }
  CArchive& operator<<(int v) { return Put(v); }  // also LONG, BOOL
  CArchive& operator<<(unsigned v) { return Put(v); }  // also DWORD, UINT
  CArchive& operator<<(long v) { return Put(v); }
  CArchive& operator<<(unsigned long v) { return Put(v); }
  CArchive& operator<<(long long v) { return Put(v); }
  CArchive& operator<<(unsigned long long v) { return Put(v); }
  CArchive& operator<<(float v) { return Put(v); }
  CArchive& operator<<(double v) { return Put(v); }
  CArchive& operator<<(const CObject* object) { WriteObject(object); return *this; }
  // Text given as a pointer is stored as a string, never as a pointer value.
  CArchive& operator<<(LPCTSTR text);
  CArchive& operator<<(POINT v) { return *this << v.x << v.y; }
  CArchive& operator<<(SIZE v) { return *this << v.cx << v.cy; }
  CArchive& operator<<(const RECT& v) { return *this << v.left << v.top << v.right << v.bottom; }

  CArchive& operator>>(BYTE& v) { return Get(v); }
  CArchive& operator>>(char& v) { return Get(v); }
  CArchive& operator>>(signed char& v) { return Get(v); }
  CArchive& operator>>(WORD& v) { return Get(v); }
  CArchive& operator>>(short& v) { return Get(v); }
  CArchive& operator>>(char16_t& v) { return Get(v); }
  CArchive& operator>>(int& v) { return Get(v); }
  CArchive& operator>>(unsigned& v) { return Get(v); }
  CArchive& operator>>(long& v) { return Get(v); }
  CArchive& operator>>(unsigned long& v) { return Get(v); }
  CArchive& operator>>(long long& v) { return Get(v); }
  CArchive& operator>>(unsigned long long& v) { return Get(v); }
  CArchive& operator>>(float& v) { return Get(v); }
  CArchive& operator>>(double& v) { return Get(v); }
  CArchive& operator>>(CObject*& object) { object = ReadObject(nullptr); return *this; }
  CArchive& operator>>(POINT& v) { return *this >> v.x >> v.y; }
  CArchive& operator>>(SIZE& v) { return *this >> v.cx >> v.cy; }
  CArchive& operator>>(RECT& v) { return *this >> v.left >> v.top >> v.right >> v.bottom; }

  CDocument* m_pDocument = nullptr;

 private:
  template <class T>
  CArchive& Put(T value) {
    Write(&value, sizeof value);  // the host is little-endian, as the format
    return *this;
  }
  template <class T>
  CArchive& Get(T& value) {
    Read(&value, sizeof value);
    return *this;
  }

  void FillBuffer(UINT needed);
  void FlushStore();
  void CheckLoading() const;
  void CheckStoring() const;
  void WriteClass(const CRuntimeClass* runtimeClass);
  CRuntimeClass* ReadNewClass();
  CObject* LoadNewObject(CRuntimeClass* runtimeClass);

  CFile* m_pFile;
  UINT m_nMode;
  UINT m_nObjectSchema = static_cast<UINT>(-1);
  UINT m_nBufSize;
  std::unique_ptr<BYTE[]> m_ownBuffer;
  BYTE* m_lpBufStart;
  BYTE* m_lpBufCur;
  BYTE* m_lpBufMax;
  // Object encoding: indices shared by classes and objects, 0 meaning null.
  std::unordered_map<const void*, DWORD> m_storeMap;
  struct LoadedItem {
    bool isClass;
    void* item;
  };
  std::vector<LoadedItem> m_loadArray;
};

CArchive& operator<<(CArchive& ar, const CString& text);
CArchive& operator>>(CArchive& ar, CString& text);

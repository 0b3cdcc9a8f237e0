// CArchive: buffering over CFile, the string encoding and object references.
//
// Sections: buffer and raw blocks / strings / text lines / objects
#include "compat/afx/archive.h"

#include <algorithm>
#include <cstring>
#include <string>


namespace {

constexpr UINT kMinBufferSize = 16;
// A string's stated length is trusted only as far as the file has data: text
// is read in pieces of this many units, so a forged length ends in endOfFile
// instead of a huge allocation.
constexpr DWORD kStringReadPiece = 65536;

// Tags of the object encoding.
constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr DWORD kMaxSmallIndex = 0x7FFE;
constexpr WORD kMaxClassNameLength = 64;

// String length markers.
constexpr BYTE kByteLengthEscape = 0xFF;
constexpr WORD kUnicodeMarker = 0xFFFE;
constexpr WORD kWordLengthEscape = 0xFFFF;

}  // namespace

// --- buffer and raw blocks ---

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void* buffer)
    : m_pFile(file), m_nMode(mode) {
  m_nBufSize = bufferSize > 0 ? std::max<UINT>(bufferSize, kMinBufferSize) : kDefaultBufferSize;
  if (buffer != nullptr && bufferSize >= static_cast<int>(kMinBufferSize)) {
    m_lpBufStart = static_cast<BYTE*>(buffer);
  } else {
    m_ownBuffer.reset(new BYTE[m_nBufSize]);
    m_lpBufStart = m_ownBuffer.get();
  }
  m_lpBufCur = m_lpBufStart;
  // Storing fills up to the end; loading holds only what was read.
  m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
  m_storeMap.clear();
  m_loadArray.push_back({false, nullptr});  // index 0 is the null object
}

CArchive::~CArchive() {
  if (m_pFile == nullptr) return;
  if (m_nMode & bNoFlushOnDelete) {
    Abort();
    return;
  }
  try {
    Close();
  } catch (CException* e) {
    // A destructor cannot report the failure; the data were lost either way.
    e->Delete();
    m_pFile = nullptr;
  }
}

void CArchive::CheckLoading() const {
  if (!IsLoading()) AfxThrowArchiveException(CArchiveException::writeOnly);
}

void CArchive::CheckStoring() const {
  if (!IsStoring()) AfxThrowArchiveException(CArchiveException::readOnly);
}

void CArchive::FlushStore() {
  UINT pending = static_cast<UINT>(m_lpBufCur - m_lpBufStart);
  m_lpBufCur = m_lpBufStart;  // emptied first so a failing write is not repeated
  if (pending > 0 && m_pFile != nullptr) m_pFile->Write(m_lpBufStart, pending);
}

void CArchive::Write(const void* buffer, UINT count) {
  CheckStoring();
  const BYTE* source = static_cast<const BYTE*>(buffer);
  UINT room = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
  if (count <= room) {
    if (count > 0) std::memcpy(m_lpBufCur, source, count);
    m_lpBufCur += count;
    return;
  }
  FlushStore();
  if (count >= m_nBufSize) {
    m_pFile->Write(source, count);
  } else {
    std::memcpy(m_lpBufCur, source, count);
    m_lpBufCur += count;
  }
}

// Makes at least `needed` (at most the buffer size) bytes available.
void CArchive::FillBuffer(UINT needed) {
  UINT kept = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
  if (kept > 0 && m_lpBufCur != m_lpBufStart) std::memmove(m_lpBufStart, m_lpBufCur, kept);
  m_lpBufCur = m_lpBufStart;
  m_lpBufMax = m_lpBufStart + kept;
  while (kept < needed) {
    UINT got = m_pFile->Read(m_lpBufMax, m_nBufSize - kept);
    if (got == 0) break;
    kept += got;
    m_lpBufMax += got;
  }
  if (kept < needed) AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

UINT CArchive::Read(void* buffer, UINT count) {
  CheckLoading();
  BYTE* target = static_cast<BYTE*>(buffer);
  UINT buffered = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
  if (count <= buffered || count < m_nBufSize) {
    // A field that runs past the end leaves its target untouched.
    if (count > buffered) FillBuffer(count);
    if (count > 0) std::memcpy(target, m_lpBufCur, count);
    m_lpBufCur += count;
    return count;
  }
  // Large blocks: what is buffered, then straight from the file.
  std::memcpy(target, m_lpBufCur, buffered);
  m_lpBufCur += buffered;
  for (UINT done = buffered; done < count;) {
    UINT got = m_pFile->Read(target + done, count - done);
    if (got == 0) AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
    done += got;
  }
  return count;
}

void CArchive::Flush() {
  if (m_pFile == nullptr) return;
  if (IsStoring()) {
    FlushStore();
    m_pFile->Flush();
    return;
  }
  // Give back what was read ahead so the file stands after the last field.
  LONG unread = static_cast<LONG>(m_lpBufMax - m_lpBufCur);
  if (unread > 0) m_pFile->Seek(-unread, CFile::current);
  m_lpBufCur = m_lpBufMax = m_lpBufStart;
}

void CArchive::Close() {
  if (m_pFile == nullptr) return;
  if (IsStoring()) FlushStore();
  m_pFile = nullptr;
}

void CArchive::Abort() {
  m_lpBufCur = m_lpBufStart;
  m_pFile = nullptr;
}

// --- strings ---

namespace {

void WriteStringLength(CArchive& ar, DWORD length) {
  ar << kByteLengthEscape << kUnicodeMarker;
  if (length < kByteLengthEscape) {
    ar << static_cast<BYTE>(length);
  } else if (length < kUnicodeMarker) {
    ar << kByteLengthEscape << static_cast<WORD>(length);
  } else {
    ar << kByteLengthEscape << kWordLengthEscape << length;
  }
}

// The length and the width of the characters that follow it.
DWORD ReadStringLength(CArchive& ar, UINT& charSize) {
  charSize = 1;
  BYTE byteLength;
  ar >> byteLength;
  if (byteLength < kByteLengthEscape) return byteLength;
  WORD wordLength;
  ar >> wordLength;
  if (wordLength == kUnicodeMarker) {
    charSize = 2;
    ar >> byteLength;
    if (byteLength < kByteLengthEscape) return byteLength;
    ar >> wordLength;
  }
  if (wordLength < kWordLengthEscape) return wordLength;
  DWORD length;
  ar >> length;
  return length;
}

// 8-bit text is in the ANSI code page (UTF-8 here); text that is not valid
// UTF-8 was written on a Western system and is read as code page 1252, so
// accented letters in older files survive.
std::u16string DecodeNarrow(const std::string& narrow) {
  constexpr UINT kCodePageWestern = 1252;
  if (narrow.empty()) return std::u16string();
  int size = static_cast<int>(narrow.size());
  std::u16string wide(narrow.size(), u'\0');
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(), size, wide.data(), size);
  if (n <= 0) n = MultiByteToWideChar(kCodePageWestern, 0, narrow.data(), size, wide.data(), size);
  wide.resize(std::max(n, 0));
  return wide;
}

}  // namespace

CArchive& operator<<(CArchive& ar, const CString& text) {
  DWORD length = static_cast<DWORD>(text.GetLength());
  WriteStringLength(ar, length);
  ar.Write(static_cast<LPCTSTR>(text), length * sizeof(TCHAR));
  return ar;
}

CArchive& CArchive::operator<<(LPCTSTR text) { return ::operator<<(*this, CString(text)); }

CArchive& operator>>(CArchive& ar, CString& text) {
  UINT charSize;
  DWORD length = ReadStringLength(ar, charSize);
  std::u16string wide;
  std::string narrow;
  for (DWORD done = 0; done < length;) {
    DWORD piece = std::min(length - done, kStringReadPiece);
    if (charSize == 2) {
      wide.resize(done + piece);
      ar.Read(wide.data() + done, piece * 2);
    } else {
      narrow.resize(done + piece);
      ar.Read(narrow.data() + done, piece);
    }
    done += piece;
  }
  text = CString(charSize == 2 ? wide : DecodeNarrow(narrow));
  return ar;
}

// --- text lines ---

void CArchive::WriteString(LPCTSTR text) {
  if (text == nullptr) return;
  Write(text, static_cast<UINT>(std::char_traits<char16_t>::length(text) * sizeof(TCHAR)));
}

BOOL CArchive::ReadString(CString& text) {
  CheckLoading();
  std::u16string line;
  bool any = false;
  for (;;) {
    if (m_lpBufMax - m_lpBufCur < 2) {
      try {
        FillBuffer(2);
      } catch (CArchiveException* e) {
        e->Delete();
        break;  // the end of the file ends the last line
      }
    }
    char16_t ch;
    std::memcpy(&ch, m_lpBufCur, 2);
    m_lpBufCur += 2;
    any = true;
    if (ch == u'\n') break;
    line += ch;
  }
  if (!line.empty() && line.back() == u'\r') line.pop_back();
  text = CString(line);
  return any;
}

// --- objects ---

void CArchive::WriteClass(const CRuntimeClass* runtimeClass) {
  auto found = m_storeMap.find(runtimeClass);
  if (found != m_storeMap.end()) {
    if (found->second <= kMaxSmallIndex) {
      *this << static_cast<WORD>(kClassTag | found->second);
    } else {
      *this << kBigObjectTag << (kBigClassTag | found->second);
    }
    return;
  }
  WORD nameLength = static_cast<WORD>(std::strlen(runtimeClass->m_lpszClassName));
  WORD schema = static_cast<WORD>(runtimeClass->m_wSchema & ~VERSIONABLE_SCHEMA);
  *this << kNewClassTag << schema << nameLength;
  Write(runtimeClass->m_lpszClassName, nameLength);
  DWORD index = static_cast<DWORD>(m_storeMap.size() + 1);
  m_storeMap[runtimeClass] = index;
}

void CArchive::WriteObject(const CObject* object) {
  if (object == nullptr) {
    *this << kNullTag;
    return;
  }
  auto found = m_storeMap.find(object);
  if (found != m_storeMap.end()) {
    if (found->second <= kMaxSmallIndex) {
      *this << static_cast<WORD>(found->second);
    } else {
      *this << kBigObjectTag << found->second;
    }
    return;
  }
  WriteClass(object->GetRuntimeClass());
  DWORD index = static_cast<DWORD>(m_storeMap.size() + 1);
  m_storeMap[object] = index;
  const_cast<CObject*>(object)->Serialize(*this);
}

CRuntimeClass* CArchive::ReadNewClass() {
  WORD schema, nameLength;
  *this >> schema >> nameLength;
  if (nameLength == 0 || nameLength > kMaxClassNameLength) {
    AfxThrowArchiveException(CArchiveException::badClass);
  }
  char name[kMaxClassNameLength + 1];
  Read(name, nameLength);
  name[nameLength] = 0;
  CRuntimeClass* runtimeClass = CRuntimeClass::FromName(name);
  if (runtimeClass == nullptr || runtimeClass->m_pfnCreateObject == nullptr) {
    AfxThrowArchiveException(CArchiveException::badClass);
  }
  bool versionable = (runtimeClass->m_wSchema & VERSIONABLE_SCHEMA) != 0;
  if (!versionable && runtimeClass->m_wSchema != schema) {
    AfxThrowArchiveException(CArchiveException::badSchema);
  }
  m_nObjectSchema = schema;
  m_loadArray.push_back({true, runtimeClass});
  return runtimeClass;
}

CObject* CArchive::LoadNewObject(CRuntimeClass* runtimeClass) {
  CObject* object = runtimeClass->CreateObject();
  if (object == nullptr) AfxThrowMemoryException();
  size_t slot = m_loadArray.size();
  m_loadArray.push_back({false, object});
  try {
    object->Serialize(*this);
  } catch (...) {
    m_loadArray[slot].item = nullptr;
    delete object;
    throw;
  }
  return object;
}

CObject* CArchive::ReadObject(const CRuntimeClass* expectedClass) {
  CheckLoading();
  WORD tag;
  *this >> tag;
  DWORD index;
  if (tag == kBigObjectTag) {
    *this >> index;
  } else {
    index = (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & 0x7FFF);
  }
  CObject* object;
  if (tag == kNewClassTag) {
    object = LoadNewObject(ReadNewClass());
  } else if (index & kBigClassTag) {
    DWORD classIndex = index & ~kBigClassTag;
    if (classIndex == 0 || classIndex >= m_loadArray.size() || !m_loadArray[classIndex].isClass) {
      AfxThrowArchiveException(CArchiveException::badIndex);
    }
    object = LoadNewObject(static_cast<CRuntimeClass*>(m_loadArray[classIndex].item));
  } else {
    if (index >= m_loadArray.size() || m_loadArray[index].isClass) {
      AfxThrowArchiveException(CArchiveException::badIndex);
    }
    object = static_cast<CObject*>(m_loadArray[index].item);
  }
  if (object != nullptr && expectedClass != nullptr && !object->IsKindOf(expectedClass)) {
    AfxThrowArchiveException(CArchiveException::badClass);
  }
  return object;
}

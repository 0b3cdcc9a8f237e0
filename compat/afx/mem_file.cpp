// CMemFile: a file in a memory block that grows by whole grow-by steps.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "compat/afx/file.h"

IMPLEMENT_DYNAMIC(CMemFile, CFile)

namespace {

// Offsets are LONG on the platform, so a memory file stays below 2 GB.
constexpr ULONGLONG kMaxMemFileBytes = 0x7FFFFFFF;

}  // namespace

CMemFile::CMemFile(UINT growBytes)
    : m_nGrowBytes(growBytes),
      m_nPosition(0),
      m_nBufferSize(0),
      m_nFileSize(0),
      m_lpBuffer(nullptr),
      m_bAutoDelete(TRUE) {}

CMemFile::CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes) : CMemFile(0) {
  Attach(buffer, bufferSize, growBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* buffer, UINT bufferSize, UINT growBytes) {
  Close();
  m_lpBuffer = buffer;
  m_nBufferSize = buffer != nullptr ? bufferSize : 0;
  m_nGrowBytes = growBytes;
  m_nFileSize = growBytes == 0 ? m_nBufferSize : 0;
  m_nPosition = 0;
  m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach() {
  BYTE* buffer = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = 0;
  m_nFileSize = 0;
  m_nPosition = 0;
  m_bAutoDelete = TRUE;
  return buffer;
}

void CMemFile::Close() {
  if (m_bAutoDelete) std::free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = 0;
  m_nFileSize = 0;
  m_nPosition = 0;
}

void CMemFile::GrowFile(DWORD newSize) {
  if (newSize <= m_nBufferSize) return;
  if (m_nGrowBytes == 0) AfxThrowMemoryException();
  ULONGLONG steps = (static_cast<ULONGLONG>(newSize) + m_nGrowBytes - 1) / m_nGrowBytes;
  ULONGLONG bytes = steps * m_nGrowBytes;
  if (bytes > kMaxMemFileBytes) AfxThrowMemoryException();
  BYTE* grown = static_cast<BYTE*>(std::realloc(m_lpBuffer, static_cast<size_t>(bytes)));
  if (grown == nullptr) AfxThrowMemoryException();
  m_lpBuffer = grown;
  m_nBufferSize = static_cast<DWORD>(bytes);
}

UINT CMemFile::Read(void* buffer, UINT count) {
  if (m_nPosition >= m_nFileSize || count == 0) return 0;
  UINT n = std::min<DWORD>(count, m_nFileSize - m_nPosition);
  std::memcpy(buffer, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return n;
}

void CMemFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  ULONGLONG endPosition = static_cast<ULONGLONG>(m_nPosition) + count;
  if (endPosition > kMaxMemFileBytes) AfxThrowMemoryException();
  GrowFile(static_cast<DWORD>(endPosition));
  // A write after a seek past the end leaves zeros in the gap, not stale memory.
  if (m_nPosition > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memcpy(m_lpBuffer + m_nPosition, buffer, count);
  m_nPosition = static_cast<DWORD>(endPosition);
  m_nFileSize = std::max(m_nFileSize, m_nPosition);
}

LONG CMemFile::Seek(LONG offset, UINT from) {
  LONGLONG base = from == begin ? 0 : from == current ? m_nPosition : m_nFileSize;
  LONGLONG position = base + offset;
  if (position < 0 || static_cast<ULONGLONG>(position) > kMaxMemFileBytes) {
    AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
  }
  m_nPosition = static_cast<DWORD>(position);
  return static_cast<LONG>(position);
}

void CMemFile::SetLength(DWORD newLength) {
  if (newLength > kMaxMemFileBytes) AfxThrowMemoryException();
  GrowFile(newLength);
  if (newLength > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, newLength - m_nFileSize);
  m_nFileSize = newLength;
  m_nPosition = std::min(m_nPosition, newLength);
}

// The codec library's stream over a growable heap buffer.
#include <cstdlib>
#include <cstring>

#include "imaging/pic_file.h"

namespace {
constexpr size_t kGrowStep = 4096;
}

CPicMemFile::CPicMemFile(BYTE* buffer, DWORD size)
    : m_buffer(buffer), m_length(buffer ? size : 0), m_owner(buffer == nullptr), m_position(0),
      m_capacity(buffer ? size : 0) {}

CPicMemFile::~CPicMemFile() { Close(); }

bool CPicMemFile::Open() {
  if (m_buffer) return true;
  // An empty block so that writes can start; a zero-byte request may give
  // null, so one byte is asked for and none counted.
  m_buffer = static_cast<BYTE*>(malloc(1));
  m_length = m_position = m_capacity = 0;
  m_owner = true;
  return m_buffer != nullptr;
}

BYTE* CPicMemFile::GetBuffer(bool detach) {
  if (detach) m_owner = false;
  return m_buffer;
}

bool CPicMemFile::Close() {
  if (m_buffer && m_owner) {
    free(m_buffer);
    m_buffer = nullptr;
    m_length = 0;
    m_capacity = 0;
    m_position = 0;
  }
  return true;
}

// Grows to at least `needed` bytes in whole steps. A buffer the file does not
// own is copied into a new block rather than reallocated: it may not come from
// the C heap, and its owner still holds it.
bool CPicMemFile::Grow(size_t needed) {
  if (needed <= m_capacity) return true;
  if (needed > kMaxBytes) return false;
  size_t capacity = m_capacity + ((needed - m_capacity - 1) / kGrowStep + 1) * kGrowStep;
  BYTE* grown;
  if (m_buffer && m_owner) {
    grown = static_cast<BYTE*>(realloc(m_buffer, capacity));
  } else {
    grown = static_cast<BYTE*>(malloc(capacity));
    if (grown && m_buffer) memcpy(grown, m_buffer, m_length);
  }
  if (!grown) return false;
  m_buffer = grown;
  m_owner = true;
  m_capacity = capacity;
  return true;
}

// A write after a seek past the end must not leave stale heap bytes inside
// the data that a reader or the buffer's taker would see.
void CPicMemFile::ZeroGap() {
  if (m_position > m_length) memset(m_buffer + m_length, 0, m_position - m_length);
}

size_t CPicMemFile::Read(void* buffer, size_t size, size_t count) {
  if (!m_buffer || !buffer || size == 0 || count == 0) return 0;
  if (m_position > m_length) return 0;
  unsigned __int128 wanted = static_cast<unsigned __int128>(size) * count;
  size_t available = m_length - m_position;
  size_t bytes = wanted < available ? static_cast<size_t>(wanted) : available;
  memcpy(buffer, m_buffer + m_position, bytes);
  m_position += bytes;
  return bytes / size;
}

size_t CPicMemFile::Write(const void* buffer, size_t size, size_t count) {
  if (!m_buffer || !buffer || size == 0 || count == 0) return 0;
  if (count > kMaxBytes / size) return 0;
  size_t bytes = size * count;
  if (bytes > kMaxBytes - m_position) return 0;
  if (!Grow(m_position + bytes)) return 0;
  ZeroGap();
  memcpy(m_buffer + m_position, buffer, bytes);
  m_position += bytes;
  if (m_position > m_length) m_length = m_position;
  return count;
}

bool CPicMemFile::Seek(LONG offset, int origin) {
  if (!m_buffer) return false;
  long long base;
  switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<long long>(m_position); break;
    case SEEK_END: base = static_cast<long long>(m_length); break;
    default: return false;
  }
  long long position = base + offset;
  if (position < 0 || position > static_cast<long long>(kMaxBytes)) return false;
  m_position = static_cast<size_t>(position);
  return true;
}

LONG CPicMemFile::Tell() { return m_buffer ? static_cast<LONG>(m_position) : -1; }

LONG CPicMemFile::Size() { return m_buffer ? static_cast<LONG>(m_length) : -1; }

bool CPicMemFile::Flush() { return m_buffer != nullptr; }

bool CPicMemFile::Eof() { return !m_buffer || m_position >= m_length; }

LONG CPicMemFile::Error() {
  if (!m_buffer) return -1;
  return m_position > m_length ? 1 : 0;
}

bool CPicMemFile::PutC(BYTE c) {
  if (!m_buffer || m_position >= kMaxBytes) return false;
  if (!Grow(m_position + 1)) return false;
  ZeroGap();
  m_buffer[m_position++] = c;
  if (m_position > m_length) m_length = m_position;
  return true;
}

LONG CPicMemFile::GetC() {
  if (Eof()) return -1;
  return m_buffer[m_position++];
}

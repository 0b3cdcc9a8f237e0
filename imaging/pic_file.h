// Byte streams of the image codec library: the abstract stream every codec
// reads and writes through, a stdio stream and a growable memory buffer.
#pragma once

#include <cstdio>

#include "compat/win32/types.h"

class CPicFile {
public:
  virtual ~CPicFile() {}
  virtual bool Close() = 0;
  virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
  virtual bool Seek(LONG offset, int origin) = 0;
  virtual LONG Tell() = 0;
  virtual LONG Size() = 0;
  virtual bool Flush() = 0;
  virtual bool Eof() = 0;
  virtual LONG Error() = 0;
  virtual bool PutC(BYTE c);
  virtual LONG GetC() = 0;

  // Bytes from the current position to the end, or -1 when the stream cannot
  // tell. Decoders test the sizes a header declares against it before they
  // allocate for them.
  LONG Remaining() {
    const LONG size = Size(), at = Tell();
    return size < 0 || at < 0 || at > size ? -1 : size - at;
  }
  // At most `bytes` are left.
  bool HoldsLessThan(unsigned long long bytes) {
    const LONG left = Remaining();
    return left >= 0 && static_cast<unsigned long long>(left) < bytes;
  }
};

// A stdio stream. Built around a caller's stream it never closes it.
class CPicIOFile : public CPicFile {
public:
  explicit CPicIOFile(FILE* stream = nullptr);
  ~CPicIOFile() override;

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(LONG offset, int origin) override;
  LONG Tell() override;
  LONG Size() override;
  bool Flush() override;
  bool Eof() override;
  LONG Error() override;
  bool PutC(BYTE c) override;
  LONG GetC() override;

private:
  FILE* m_stream;
  bool m_closeOnExit;
};

// A heap buffer that grows in steps of 4096 bytes as it is written. The file
// frees the buffer on Close unless the caller took it (GetBuffer with detach)
// or supplied it.
class CPicMemFile : public CPicFile {
public:
  // Largest buffer a memory file will hold: positions are signed 32-bit.
  static constexpr size_t kMaxBytes = 0x7FFFFFFF;

  CPicMemFile(BYTE* buffer = nullptr, DWORD size = 0);
  ~CPicMemFile() override;

  // Prepares an empty buffer for writing when none exists.
  bool Open();
  // The data; with detach the caller becomes its owner (free it with free()).
  BYTE* GetBuffer(bool detach = true);
  bool IsOwner() const { return m_owner; }
  void SetOwner(bool owner) { m_owner = owner; }

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(LONG offset, int origin) override;
  LONG Tell() override;
  LONG Size() override;
  bool Flush() override;
  bool Eof() override;
  LONG Error() override;
  bool PutC(BYTE c) override;
  LONG GetC() override;

  size_t Capacity() const { return m_capacity; }

private:
  bool Grow(size_t needed);
  void ZeroGap();

  BYTE* m_buffer;
  size_t m_length;
  bool m_owner;
  size_t m_position;
  size_t m_capacity;
};

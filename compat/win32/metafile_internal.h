// The metafile player's private parts: the metafile object behind a handle,
// a bounds-checked reader of record bytes, and the two record players.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "compat/win32/gdi.h"
#include "compat/win32/metafile.h"

namespace compat::metafile {

// What an HENHMETAFILE holds: the file's bytes, enhanced or (made by
// SetWinMetaFileBits) a Windows metafile with the picture's description.
struct Metafile {
  std::vector<uint8_t> bytes;
  bool windows = false;
  ENHMETAHEADER header{};
  std::vector<PALETTEENTRY> palette;
};

Metafile* Lookup(HENHMETAFILE handle);

// Little-endian values at offsets of a byte block; every read is checked
// against the block, so a record can only look at its own bytes.
class Bytes {
 public:
  Bytes() = default;
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Size() const { return size_; }
  const uint8_t* Data() const { return data_; }
  bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
  bool U8(size_t offset, uint8_t* v) const { return Read(offset, v); }
  bool U16(size_t offset, uint16_t* v) const { return Read(offset, v); }
  bool S16(size_t offset, int16_t* v) const { return Read(offset, v); }
  bool U32(size_t offset, uint32_t* v) const { return Read(offset, v); }
  bool S32(size_t offset, int32_t* v) const { return Read(offset, v); }
  bool F32(size_t offset, float* v) const { return Read(offset, v); }
  Bytes Sub(size_t offset, size_t count) const {
    return Has(offset, count) ? Bytes(data_ + offset, count) : Bytes();
  }

 private:
  template <class T>
  bool Read(size_t offset, T* v) const {
    if (!Has(offset, sizeof(T))) return false;
    std::memcpy(v, data_ + offset, sizeof(T));
    return true;
  }
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// Play a metafile's records into `rect` (device coordinates of `dc`).
bool PlayEnhanced(HDC dc, const Metafile& mf, const RECT& rect);
bool PlayWindows(HDC dc, const Metafile& mf, const RECT& rect);

}  // namespace compat::metafile

// WBMP format class of the codec library: type 0 black-and-white wireless
// bitmaps.
#include <vector>

#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"

namespace {

constexpr DWORD kMaxWbmpSide = 255;
// Five 7-bit groups hold any 32-bit value.
constexpr int kMaxIntegerBytes = 5;

void Raise(const char* text) { throw PicCodecError{text}; }

// The format's multi-byte integer: 7 bits a byte, most significant group
// first, the top bit set on every byte but the last. Below 128 it is the plain
// byte.
LONG ReadMultiByte(CPicFile* file) {
  unsigned long long value = 0;
  for (int i = 0; i < kMaxIntegerBytes; ++i) {
    LONG byte = file->GetC();
    if (byte < 0) Raise("Not a WBMP");
    value = (value << 7) | (byte & 0x7F);
    if (!(byte & 0x80)) return value > 0x7FFFFFFF ? -1 : static_cast<LONG>(value);
  }
  return -1;
}

void WriteMultiByte(std::vector<BYTE>& out, DWORD value) {
  BYTE groups[kMaxIntegerBytes];
  int n = 0;
  do {
    groups[n++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (n-- > 0) out.push_back(static_cast<BYTE>(groups[n] | (n ? 0x80 : 0)));
}

}  // namespace

bool CPicImageWBMP::Decode(CPicFile* file) {
  return file && RunCodecStep([&] { return DecodeStream(file); });
}

bool CPicImageWBMP::DecodeStream(CPicFile* file) {
  LONG type = file->GetC();
  LONG fixedHeader = file->GetC();
  if (type < 0 || fixedHeader < 0) Raise("Not a WBMP");
  LONG width = ReadMultiByte(file);
  LONG height = ReadMultiByte(file);
  if (type != 0) Raise("Unsupported WBMP type");
  if (width <= 0 || height <= 0) Raise("Corrupted WBMP");
  size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
  if (SizeOnly()) {
    if (!StopAtSize(width, height, 1)) Raise("WBMP Create failed");
    return true;
  }
  if (!Create(width, height, 1, PIC_FORMAT_WBMP)) Raise("WBMP Create failed");
  SetGrayPalette();
  // A file cut short shows the rows it holds; the picture starts zeroed, so
  // the rest stays black.
  for (LONG y = height; y-- > 0;) {
    if (file->Read(RowPointer(y), 1, rowBytes) < rowBytes) break;
  }
  return true;
}

bool CPicImageWBMP::Encode(CPicFile* file) {
  if (!file || !IsValid()) return false;
  if (GetWidth() > kMaxWbmpSide || GetHeight() > kMaxWbmpSide || GetBpp() != 1) {
    SetLastError("Can't save this image as WBMP");
    return false;
  }
  std::vector<BYTE> out = {0, 0};
  WriteMultiByte(out, GetWidth());
  WriteMultiByte(out, GetHeight());
  size_t rowBytes = (GetWidth() + 7) / 8;
  for (DWORD y = GetHeight(); y-- > 0;) out.insert(out.end(), RowPointer(y), RowPointer(y) + rowBytes);
  if (file->Write(out.data(), out.size(), 1) != 1) {
    SetLastError("Can't write WBMP file");
    return false;
  }
  return true;
}

// The own BMP reader and writer: 1, 4, 8, 24 and 32 bits, RLE4 and RLE8.
#include "imaging/bmp_file.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kCoreHeaderBytes = 12;
constexpr size_t kInfoHeaderBytes = 40;
// Headers from this size on (V3 and later) carry an alpha mask after the
// three colour masks.
constexpr size_t kAlphaMaskHeaderBytes = 56;
constexpr size_t kColorMaskBytes = 12;
constexpr DWORD kMaxPaletteEntries = 256;

DWORD RowBytes(LONG width, int bits) {
  return static_cast<DWORD>(((static_cast<unsigned long long>(width) * bits + 31) / 32) * 4);
}

DWORD Opaque(const RGBQUAD& c) {
  return c.rgbBlue | (c.rgbGreen << 8) | (c.rgbRed << 16) | 0xFF000000u;
}

// One channel of a bit-field pixel: where its mask sits and how wide it is,
// so that any field width comes out as 0..255.
struct MaskedChannel {
  DWORD mask = 0;
  int shift = 0;
  unsigned long long maxValue = 0;

  explicit MaskedChannel(DWORD m) : mask(m) {
    if (!mask) return;
    while (!((mask >> shift) & 1)) ++shift;
    maxValue = mask >> shift;
  }
  DWORD Extract(DWORD pixel) const {
    if (!mask) return 0;
    const unsigned long long value = (pixel & mask) >> shift;
    return static_cast<DWORD>((value * 255 + maxValue / 2) / maxValue);
  }
};

// Most programs leave the fourth byte of a 32-bit pixel unused and write 0:
// a picture whose fourth bytes are all 0 is opaque, not invisible.
void OpaqueWhenAlphaIsAllZero(std::vector<DWORD>& pixels) {
  for (DWORD p : pixels)
    if (p >> 24) return;
  for (DWORD& p : pixels) p |= 0xFF000000u;
}

}  // namespace

bool CBmpFile::ParseHeaders(const std::vector<BYTE>& bytes) {
  if (bytes.size() < kFileHeaderBytes + 4) return false;
  const BYTE* p = bytes.data();
  m_fileHeader.bfType = ownfile::Word(p);
  m_fileHeader.bfSize = ownfile::Dword(p + 2);
  m_fileHeader.bfReserved1 = ownfile::Word(p + 6);
  m_fileHeader.bfReserved2 = ownfile::Word(p + 8);
  m_fileHeader.bfOffBits = ownfile::Dword(p + 10);
  if (m_fileHeader.bfType != kTypeBM) return false;
  std::memset(&m_infoHeader, 0, sizeof m_infoHeader);
  m_core = ownfile::Dword(p + kFileHeaderBytes) == kCoreHeaderBytes;
  if (m_core) {
    // The OS/2 core header: unsigned 16-bit sides, no compression field.
    if (bytes.size() < kFileHeaderBytes + kCoreHeaderBytes) return false;
    const BYTE* h = p + kFileHeaderBytes;
    m_infoHeader.biSize = kCoreHeaderBytes;
    m_infoHeader.biWidth = ownfile::Word(h + 4);
    m_infoHeader.biHeight = ownfile::Word(h + 6);
    m_infoHeader.biPlanes = ownfile::Word(h + 8);
    m_infoHeader.biBitCount = ownfile::Word(h + 10);
  } else {
    if (bytes.size() < kFileHeaderBytes + kInfoHeaderBytes) return false;
    std::memcpy(&m_infoHeader, p + kFileHeaderBytes, kInfoHeaderBytes);
  }
  // The one height whose magnitude a 32-bit value cannot hold.
  if (m_infoHeader.biHeight == std::numeric_limits<LONG>::min()) return false;
  m_width = m_infoHeader.biWidth;
  // Rows of a negative-height file run top-down; its size is the magnitude.
  m_topDown = m_infoHeader.biHeight < 0;
  m_height = m_topDown ? -m_infoHeader.biHeight : m_infoHeader.biHeight;
  return true;
}

bool CBmpFile::ReadInfo(LPCTSTR path, PictureInfo& info) {
  std::vector<BYTE> bytes;
  if (!ownfile::ReadFilePrefix(path, kFileHeaderBytes + kInfoHeaderBytes, bytes) || !ParseHeaders(bytes))
    return false;
  info.originX = info.originY = 0;
  info.width = m_width;
  info.height = m_height;
  info.bitsPerPixel = m_infoHeader.biBitCount;
  info.compression = m_infoHeader.biCompression;
  return true;
}

DWORD CBmpFile::PaletteEntries() const {
  const WORD bits = m_infoHeader.biBitCount;
  if (bits == 1) return 2;
  if (bits != 4 && bits != 8) return 0;
  return !m_core && m_infoHeader.biClrUsed ? m_infoHeader.biClrUsed : (1u << bits);
}

bool CBmpFile::ReadPalette(const std::vector<BYTE>& bytes, size_t at) {
  std::memset(m_palette, 0, sizeof m_palette);
  const DWORD entries = PaletteEntries();
  const size_t entryBytes = m_core ? 3 : 4;
  const size_t have = bytes.size() > at ? bytes.size() - at : 0;
  if (entries > kMaxPaletteEntries) return false;
  if (m_infoHeader.biBitCount == 1 && !m_core) {
    // Two entries, whatever part of them the file holds.
    std::memcpy(m_palette, bytes.data() + at, have < 8 ? have : 8);
    return true;
  }
  if (have < entryBytes * entries) return false;
  for (DWORD i = 0; i < entries; ++i) {
    const BYTE* e = bytes.data() + at + i * entryBytes;
    m_palette[i] = RGBQUAD{e[0], e[1], e[2], static_cast<BYTE>(entryBytes == 4 ? e[3] : 0)};
  }
  return true;
}

void CBmpFile::ReadMasks(const std::vector<BYTE>& bytes) {
  m_masks[0] = m_masks[1] = m_masks[2] = m_masks[3] = 0;
  if (m_core || m_infoHeader.biCompression != BI_BITFIELDS) return;
  // After a 40-byte header the three colour masks follow it; longer headers
  // hold them (and from V3 on the alpha mask) at the same place.
  const size_t at = kFileHeaderBytes + kInfoHeaderBytes;
  const size_t count = m_infoHeader.biSize >= kAlphaMaskHeaderBytes ? 4 : 3;
  for (size_t i = 0; i < count && at + 4 * (i + 1) <= bytes.size(); ++i) m_masks[i] = ownfile::Dword(bytes.data() + at + 4 * i);
}

bool CBmpFile::Read(LPCTSTR path, std::vector<DWORD>& pixels, PictureInfo* info) {
  pixels.clear();
  size_t next = 0;
  const bool ok = ReadRows(
      path,
      [&](const DWORD* row) {
        if (pixels.empty()) pixels.resize(static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
        std::copy(row, row + m_width, pixels.begin() + static_cast<long>(next));
        next += static_cast<size_t>(m_width);
      },
      info);
  if (!ok) {
    pixels.clear();
    return false;
  }
  if (m_topDown) {
    // Hand rows over bottom row first, as for an ordinary file.
    for (LONG y = 0; y < m_height / 2; ++y)
      std::swap_ranges(pixels.begin() + static_cast<long>(y) * m_width, pixels.begin() + static_cast<long>(y + 1) * m_width,
                       pixels.begin() + static_cast<long>(m_height - 1 - y) * m_width);
  }
  return true;
}

bool CBmpFile::ReadRows(LPCTSTR path, const RowCallback& row, PictureInfo* info) {
  std::vector<BYTE> bytes;
  if (!ownfile::ReadWholeFile(path, bytes) || !ParseHeaders(bytes)) return false;
  if (!ownfile::PixelCountFits(m_width, m_height)) return false;
  // V4 and V5 headers are longer than 40 bytes: the palette follows the header
  // as long as it says, and the pixels start where the file header says.
  const size_t headerSize = m_core                                   ? kCoreHeaderBytes
                            : m_infoHeader.biSize >= kInfoHeaderBytes ? m_infoHeader.biSize
                                                                      : kInfoHeaderBytes;
  const size_t paletteAt = kFileHeaderBytes + headerSize;
  if (!ReadPalette(bytes, paletteAt)) return false;
  ReadMasks(bytes);
  const WORD bits = m_infoHeader.biBitCount;
  size_t dataAt = paletteAt + (m_core ? 3 : 4) * static_cast<size_t>(PaletteEntries());
  if (!m_core && headerSize == kInfoHeaderBytes && m_infoHeader.biCompression == BI_BITFIELDS) dataAt += kColorMaskBytes;
  if (m_fileHeader.bfOffBits >= paletteAt && m_fileHeader.bfOffBits < bytes.size()) dataAt = m_fileHeader.bfOffBits;

  const DWORD compression = m_core ? BI_RGB : m_infoHeader.biCompression;
  const bool raw = compression == BI_RGB || compression == BI_BITFIELDS;
  // A depth this reader decodes, and for raw rows what that depth needs,
  // before a row of the picture's width is taken.
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (raw && !PixelsPresent(bytes.size() > dataAt ? bytes.size() - dataAt : 0)) return false;
  bool ok;
  switch (compression) {
    case BI_RGB:
    case BI_BITFIELDS: ok = DecodeRows(bytes, dataAt, row); break;
    case BI_RLE8: ok = bits == 8 && DecodeRunLength(bytes, dataAt, row); break;
    case BI_RLE4: ok = bits == 4 && DecodeRunLength(bytes, dataAt, row); break;
    default: ok = false;
  }
  if (!ok) return false;
  if (info) {
    info->width = m_width;
    info->height = m_height;
    info->bitsPerPixel = bits;
    info->compression = compression;
  }
  return true;
}

// 1, 4 and 32-bit rows must all be there (the last may lack its padding); 8-bit
// rows need one byte and 24-bit rows none: the pixels they miss stay zero.
bool CBmpFile::PixelsPresent(size_t available) const {
  const WORD bits = m_infoHeader.biBitCount;
  if (bits == 24) return true;
  if (bits == 8) return available > 0;
  const unsigned long long rowBytes = RowBytes(m_width, bits);
  const unsigned long long lastRow = (static_cast<unsigned long long>(m_width) * bits + 7) / 8;
  return available >= rowBytes * (static_cast<unsigned long long>(m_height) - 1) + lastRow;
}

bool CBmpFile::DecodeRows(const std::vector<BYTE>& bytes, size_t at, const RowCallback& emit) {
  const WORD bits = m_infoHeader.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  const bool masked = bits == 32 && m_infoHeader.biCompression == BI_BITFIELDS && !m_core;
  const MaskedChannel red(m_masks[0]), green(m_masks[1]), blue(m_masks[2]), alpha(m_masks[3]);
  const DWORD rowBytes = RowBytes(m_width, bits);
  const size_t available = bytes.size() > at ? bytes.size() - at : 0;
  // 32-bit pictures are decoded whole first: whether their fourth bytes mean
  // alpha shows only once every pixel is seen.
  std::vector<DWORD> whole(bits == 32 ? static_cast<size_t>(m_width) * static_cast<size_t>(m_height) : 0);
  std::vector<DWORD> line(bits == 32 ? 0 : static_cast<size_t>(m_width));
  for (LONG y = 0; y < m_height; ++y) {
    DWORD* out = bits == 32 ? whole.data() + static_cast<size_t>(y) * m_width : line.data();
    if (static_cast<size_t>(y) * rowBytes >= available) {
      // Rows past the end of a short file stay zero.
      std::fill(out, out + m_width, 0);
      if (bits != 32) emit(out);
      continue;
    }
    const BYTE* row = bytes.data() + at + static_cast<size_t>(y) * rowBytes;
    if (bits != 32) std::fill(out, out + m_width, 0);
    // The pixels of a row cut short that are whole in the file.
    const size_t rowHeld = std::min<size_t>(rowBytes, available - static_cast<size_t>(y) * rowBytes);
    const LONG held = bits == 8 ? static_cast<LONG>(std::min<size_t>(m_width, rowHeld))
                      : bits == 24 ? static_cast<LONG>(std::min<size_t>(m_width, rowHeld / 3))
                                   : m_width;
    switch (bits) {
      case 1:
        for (LONG x = 0; x < m_width; ++x) out[x] = Opaque(m_palette[(row[x >> 3] >> (7 - (x & 7))) & 1]);
        break;
      case 4:
        for (LONG x = 0; x < m_width; ++x) out[x] = Opaque(m_palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]);
        break;
      case 8:
        for (LONG x = 0; x < held; ++x) out[x] = Opaque(m_palette[row[x]]);
        break;
      case 24:
        for (LONG x = 0; x < held; ++x)
          out[x] = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16) | 0xFF000000u;
        break;
      case 32:
        if (!masked) {
          for (LONG x = 0; x < m_width; ++x) out[x] = ownfile::Dword(row + 4 * x);
          break;
        }
        for (LONG x = 0; x < m_width; ++x) {
          const DWORD p = ownfile::Dword(row + 4 * x);
          const DWORD a = m_masks[3] ? alpha.Extract(p) : 255;
          out[x] = blue.Extract(p) | (green.Extract(p) << 8) | (red.Extract(p) << 16) | (a << 24);
        }
        break;
    }
    if (bits != 32) emit(out);
  }
  if (bits != 32) return true;
  if (!masked || m_masks[3]) OpaqueWhenAlphaIsAllZero(whole);
  for (LONG y = 0; y < m_height; ++y) emit(whole.data() + static_cast<size_t>(y) * m_width);
  return true;
}

// RLE8 and RLE4, row by row from the bottom; each row is handed over once
// the data leaves it. Pixels a run places past the end of its row are dropped
// (writers pad rows with them), and nothing is written outside the picture.
// Skipped areas keep palette entry 0.
bool CBmpFile::DecodeRunLength(const std::vector<BYTE>& bytes, size_t at, const RowCallback& emit) {
  const bool rle4 = m_infoHeader.biCompression == BI_RLE4;
  const BYTE* data = bytes.data() + (at < bytes.size() ? at : bytes.size());
  const size_t size = at < bytes.size() ? bytes.size() - at : 0;
  const DWORD blank = Opaque(m_palette[0]);
  std::vector<DWORD> line(static_cast<size_t>(m_width), blank);
  unsigned long long row = 0, x = 0;
  const unsigned long long width = static_cast<unsigned long long>(m_width), height = static_cast<unsigned long long>(m_height);
  // Hands over the current row and the rows down to `to`, which becomes the
  // current row.
  auto advanceTo = [&](unsigned long long to) {
    for (; row < to && row < height; ++row) {
      emit(line.data());
      std::fill(line.begin(), line.end(), blank);
    }
    row = to;
  };
  auto put = [&](BYTE index) {
    if (x < width && row < height) line[x] = Opaque(m_palette[index]);
    ++x;
  };
  size_t p = 0;
  bool ok = true;
  while (p + 1 < size && row < height) {
    if (p & 1) {
      ok = false;
      break;
    }
    const BYTE n = data[p], second = data[p + 1];
    if (n > 0) {
      for (int i = 0; i < n; ++i) put(rle4 ? ((i & 1) ? second & 15 : second >> 4) : second);
      p += 2;
    } else if (second == 0) {
      advanceTo(row + 1);
      x = 0;
      p += 2;
    } else if (second == 1) {
      break;
    } else if (second == 2) {
      if (p + 3 >= size) break;
      x += data[p + 2];
      advanceTo(row + data[p + 3]);
      p += 4;
    } else {
      const size_t count = second;
      const size_t dataBytes = rle4 ? (count + 1) / 2 : count;
      if (p + 2 + dataBytes > size) {
        ok = false;
        break;
      }
      for (size_t i = 0; i < count; ++i) {
        const BYTE b = data[p + 2 + (rle4 ? i / 2 : i)];
        put(rle4 ? ((i & 1) ? b & 15 : b >> 4) : b);
      }
      p += 2 + dataBytes;
      p += p & 1;
    }
  }
  if (!ok) return false;
  advanceTo(height);
  return true;
}

bool CBmpFile::Save(LPCTSTR path, const PictureDescription& d, const BYTE* pixels) {
  if (!pixels || !ownfile::PixelCountFits(d.width, d.height)) return false;
  const DWORD bits = d.bitsPerPixel;
  if (bits != 8 && bits != 24 && bits != 32) return false;
  if (bits == 8 && d.greySource != 1) return false;
  const DWORD rowBytes = bits == 32 ? static_cast<DWORD>(d.width) * 4 : RowBytes(d.width, bits);
  const DWORD paletteBytes = bits == 8 ? 1024 : 0;
  const unsigned long long imageBytes = static_cast<unsigned long long>(rowBytes) * d.height;
  if (imageBytes + 54 + paletteBytes > 0x7FFFFFFF) return false;
  std::vector<BYTE> file;
  file.reserve(static_cast<size_t>(imageBytes) + 54 + paletteBytes);
  ownfile::PutWord(file, kTypeBM);
  ownfile::PutDword(file, static_cast<DWORD>(imageBytes) + 54 + paletteBytes);
  ownfile::PutDword(file, 0);
  ownfile::PutDword(file, 54 + paletteBytes);
  ownfile::PutDword(file, 40);
  ownfile::PutDword(file, static_cast<DWORD>(d.width));
  ownfile::PutDword(file, static_cast<DWORD>(d.height));
  ownfile::PutWord(file, 1);
  ownfile::PutWord(file, bits);
  ownfile::PutDword(file, 0);  // no compression is written
  for (int i = 0; i < 5; ++i) ownfile::PutDword(file, 0);
  for (DWORD i = 0; i < paletteBytes / 4; ++i) ownfile::PutDword(file, i | (i << 8) | (i << 16));
  // Every depth stores the picture's bottom row first, as readers expect of
  // a positive height.
  for (LONG y = d.height - 1; y >= 0; --y) {
    const size_t start = file.size();
    if (bits == 8) {
      const BYTE* row = pixels + static_cast<size_t>(y) * d.width;
      file.insert(file.end(), row, row + d.width);
    } else if (bits == 32) {
      const BYTE* row = pixels + static_cast<size_t>(y) * d.width * 4;
      file.insert(file.end(), row, row + static_cast<size_t>(d.width) * 4);
    } else {
      const BYTE* row = pixels + static_cast<size_t>(y) * d.width * 4;
      for (LONG x = 0; x < d.width; ++x) file.insert(file.end(), row + 4 * x, row + 4 * x + 3);
    }
    file.resize(start + rowBytes, 0);
  }
  return ownfile::WriteWholeFile(path, file);
}

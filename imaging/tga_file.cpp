// The own TGA reader (colour-mapped, true-colour and grey, uncompressed) and
// writer (32 bits, raw or run-length).
#include "imaging/tga_file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr BYTE kTypeColorMapped = 1, kTypeTrueColor = 2, kTypeGrey = 3, kTypeTrueColorRle = 10;
constexpr BYTE kDescriptorTopLeft32 = 40;
constexpr int kMaxPacket = 127;

}  // namespace

bool CTgaFile::ParseHeader(const std::vector<BYTE>& bytes) {
  // A header cut short is no TGA file.
  if (bytes.size() < kHeaderBytes) return false;
  const BYTE* p = bytes.data();
  m_header.idLength = p[0];
  m_header.colorMapType = p[1];
  m_header.imageType = p[2];
  m_header.colorMapFirst = ownfile::Word(p + 3);
  m_header.colorMapLength = ownfile::Word(p + 5);
  m_header.colorMapEntryBits = p[7];
  m_header.originX = ownfile::Word(p + 8);
  m_header.originY = ownfile::Word(p + 10);
  m_header.width = ownfile::Word(p + 12);
  m_header.height = ownfile::Word(p + 14);
  m_header.pixelDepth = p[16];
  m_header.descriptor = p[17];
  return true;
}

bool CTgaFile::ReadInfo(LPCTSTR path, PictureInfo& info) {
  std::vector<BYTE> bytes;
  if (!ownfile::ReadFilePrefix(path, kHeaderBytes, bytes) || !ParseHeader(bytes)) return false;
  info.originX = m_header.originX;
  info.originY = m_header.originY;
  info.width = m_header.width;
  info.height = m_header.height;
  info.bitsPerPixel = m_header.pixelDepth;
  info.compression = 0;
  return true;
}

bool CTgaFile::ReadColorMap(const std::vector<BYTE>& bytes, size_t& at) {
  // Grey pictures index a ramp; a colour map replaces it.
  for (DWORD i = 0; i < 256; ++i) m_palette[i] = i | (i << 8) | (i << 16) | 0xFF000000u;
  if (m_header.colorMapType == 0) return true;
  if (m_header.colorMapType != 1) return false;
  const DWORD first = m_header.colorMapFirst, length = m_header.colorMapLength;
  // Entries past the 256 a pixel byte can name are refused, not written past the table.
  if (first + length > 256) return false;
  const DWORD entryBytes = m_header.colorMapEntryBits == 24 ? 3 : m_header.colorMapEntryBits == 32 ? 4 : 0;
  if (!entryBytes) return false;
  const size_t mapBytes = static_cast<size_t>(length) * entryBytes;
  const size_t held = bytes.size() > at ? std::min(mapBytes, bytes.size() - at) : 0;
  // A 24-bit map cut short keeps the entries it holds, the rest zero (opaque
  // black); 32-bit maps must be whole.
  if (entryBytes == 4 ? held < mapBytes : length > 0 && held == 0) return false;
  BYTE entry[4];
  for (DWORD i = 0; i < length; ++i) {
    const size_t from = static_cast<size_t>(i) * entryBytes;
    for (size_t k = 0; k < entryBytes; ++k) entry[k] = from + k < held ? bytes[at + from + k] : 0;
    m_palette[first + i] = entryBytes == 3 ? (entry[0] | (entry[1] << 8) | (entry[2] << 16) | 0xFF000000u)
                                           : ownfile::Dword(entry);
  }
  at += static_cast<size_t>(length) * entryBytes;
  return true;
}

bool CTgaFile::Decode(const std::vector<BYTE>& bytes, size_t at, const RowCallback& emit) {
  const LONG width = m_header.width, height = m_header.height;
  const size_t count = static_cast<size_t>(width) * height;
  const size_t available = bytes.size() > at ? bytes.size() - at : 0;
  const BYTE* data = bytes.data() + (at < bytes.size() ? at : 0);
  const size_t rowBytes1 = ((static_cast<size_t>(width) + 7) / 8 + 3) / 4 * 4;
  const size_t depth = m_header.pixelDepth;
  // Every pixel must be in the file before a row of the picture's width is
  // taken, except at 8 bits, where one byte will do and the pixels past the
  // file's end stay zero.
  const size_t need = depth == 1 ? rowBytes1 * height : depth == 8 ? 1 : count * (depth / 8);
  if (depth != 1 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
  if (available < need) return false;
  // The origin bits say where the file's rows and pixels go; 1-bit pictures
  // keep the file's order.
  const int origin = depth == 1 ? 2 : (m_header.descriptor >> 4) & 3;
  m_rowsBottomUp = origin == 0 || origin == 1;
  const bool mirrored = origin == 1 || origin == 3;
  std::vector<DWORD> line(static_cast<size_t>(width));
  for (LONG y = 0; y < height; ++y) {
    DWORD* out = line.data();
    const size_t first = static_cast<size_t>(y) * width;
    switch (depth) {
      case 1: {
        const BYTE* row = data + y * rowBytes1;
        for (LONG x = 0; x < width; ++x) out[x] = (row[x / 8] >> (7 - (x & 7))) & 1 ? 0xFFFFFFFFu : 0xFF000000u;
        break;
      }
      case 8:
        for (LONG x = 0; x < width; ++x) out[x] = first + x < available ? m_palette[data[first + x]] : 0;
        break;
      case 16:
        for (LONG x = 0; x < width; ++x) {
          const WORD w = ownfile::Word(data + 2 * (first + x));
          out[x] = ((w & 31) << 3) | (((w >> 5) & 31) << 11) | (((w >> 10) & 31) << 19) | 0xFF000000u;
        }
        break;
      case 24:
        for (LONG x = 0; x < width; ++x) {
          const BYTE* p = data + 3 * (first + x);
          out[x] = p[0] | (p[1] << 8) | (p[2] << 16) | 0xFF000000u;
        }
        break;
      case 32:
        std::memcpy(out, data + 4 * first, 4 * static_cast<size_t>(width));
        break;
    }
    if (mirrored) std::reverse(line.begin(), line.end());
    emit(out);
  }
  return true;
}

bool CTgaFile::ReadRows(LPCTSTR path, const RowCallback& row) {
  std::vector<BYTE> bytes;
  if (!ownfile::ReadWholeFile(path, bytes) || !ParseHeader(bytes)) return false;
  if (m_header.imageType != kTypeColorMapped && m_header.imageType != kTypeTrueColor &&
      m_header.imageType != kTypeGrey)
    return false;
  if (!ownfile::PixelCountFits(m_header.width, m_header.height)) return false;
  size_t at = kHeaderBytes + m_header.idLength;
  if (!ReadColorMap(bytes, at)) return false;
  return Decode(bytes, at, row);
}

bool CTgaFile::Read(LPCTSTR path, DWORD* out, LONG width, LONG height) {
  if (!out) return false;
  // The caller's size must be the picture's: a file that changed since its
  // size was read is refused rather than written out of bounds.
  LONG y = 0;
  bool fits = true;
  const bool read = ReadRows(path, [&](const DWORD* row) {
    fits = fits && m_header.width == width && m_header.height == height;
    if (!fits) return;
    const LONG target = m_rowsBottomUp ? height - 1 - y : y;
    std::memcpy(out + static_cast<size_t>(target) * width, row, 4 * static_cast<size_t>(width));
    ++y;
  });
  return read && fits && m_header.width == width && m_header.height == height;
}

bool CTgaFile::Save(LPCTSTR path, const PictureDescription& d, const BYTE* pixels) {
  if (d.bitsPerPixel != 32 || !pixels || d.width <= 0 || d.height <= 0 || d.width > 0xFFFF || d.height > 0xFFFF)
    return false;
  const bool rle = d.compression == 1;
  std::vector<BYTE> file = {0, 0, rle ? kTypeTrueColorRle : kTypeTrueColor, 0, 0, 0, 0, 0};
  ownfile::PutWord(file, static_cast<DWORD>(d.originX));
  ownfile::PutWord(file, static_cast<DWORD>(d.originY));
  ownfile::PutWord(file, static_cast<DWORD>(d.width));
  ownfile::PutWord(file, static_cast<DWORD>(d.height));
  file.push_back(32);
  file.push_back(kDescriptorTopLeft32);
  const size_t count = static_cast<size_t>(d.width) * d.height;
  if (!rle) {
    file.insert(file.end(), pixels, pixels + 4 * count);
    return ownfile::WriteWholeFile(path, file);
  }
  auto pixel = [&](LONG y, LONG x) { return ownfile::Dword(pixels + 4 * (static_cast<size_t>(y) * d.width + x)); };
  for (LONG y = 0; y < d.height; ++y) {
    LONG x = 0;
    while (x < d.width) {
      const BYTE* at = pixels + 4 * (static_cast<size_t>(y) * d.width + x);
      if (x + 1 < d.width && pixel(y, x) == pixel(y, x + 1)) {
        int n = 0;
        while (n < kMaxPacket && x + 1 + n < d.width && pixel(y, x + 1 + n) == pixel(y, x)) ++n;
        file.push_back(static_cast<BYTE>(128 + n));
        file.insert(file.end(), at, at + 4);
        x += n + 1;
      } else if (x + 1 == d.width) {
        file.push_back(0);
        file.insert(file.end(), at, at + 4);
        ++x;
      } else {
        // Raw pixels up to the next pair of equal neighbours, never the row's last.
        int m = 0;
        while (m < kMaxPacket && x + m < d.width - 1 && pixel(y, x + m) != pixel(y, x + m + 1)) ++m;
        file.push_back(static_cast<BYTE>(m - 1));
        file.insert(file.end(), at, at + 4 * m);
        x += m;
      }
    }
  }
  return ownfile::WriteWholeFile(path, file);
}

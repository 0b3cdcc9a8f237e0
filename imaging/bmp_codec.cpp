// BMP format class of the codec library: Windows and OS/2 bitmaps, with or
// without the file header, plain, RLE4, RLE8 and bit-field coded.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/little_endian.h"
#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"

namespace {

constexpr WORD kBmpType = 0x4D42;  // "BM"
constexpr DWORD kWindowsHeaderBytes = 40;
constexpr DWORD kCoreHeaderBytes = 12;
constexpr DWORD kFileHeaderBytes = 14;

const char kTruncated[] = "BMP file is truncated";

void Raise(const char* text) { throw PicCodecError{text}; }

void ReadAll(CPicFile* file, void* buffer, size_t size, size_t count) {
  if (count && file->Read(buffer, size, count) != count) Raise(kTruncated);
}

// Run-length data that ends, even inside a packet, ends the picture: what
// was decoded stays and the rest of the zeroed rows stays black.
struct EndOfPixels {};

BYTE NextByte(CPicFile* file) {
  LONG byte = file->GetC();
  if (byte < 0) throw EndOfPixels{};
  return static_cast<BYTE>(byte);
}

// Reads the 40-byte Windows or 12-byte OS/2 information header; the stream
// is left right behind the header that was there.
bool ReadInfoHeader(CPicFile* file, BITMAPINFOHEADER* header) {
  BYTE raw[kWindowsHeaderBytes];
  if (file->Read(raw, sizeof(raw), 1) != 1) return false;
  memset(header, 0, sizeof(*header));
  header->biSize = le::Dword(raw);
  if (header->biSize == kCoreHeaderBytes) {
    header->biWidth = le::Word(raw + 4);
    header->biHeight = le::Word(raw + 6);
    header->biPlanes = le::Word(raw + 8);
    header->biBitCount = le::Word(raw + 10);
    if (!file->Seek(static_cast<LONG>(kCoreHeaderBytes) - static_cast<LONG>(kWindowsHeaderBytes), SEEK_CUR))
      return false;
  } else if (header->biSize == kWindowsHeaderBytes) {
    header->biWidth = static_cast<LONG>(le::Dword(raw + 4));
    header->biHeight = static_cast<LONG>(le::Dword(raw + 8));
    header->biPlanes = le::Word(raw + 12);
    header->biBitCount = le::Word(raw + 14);
    header->biCompression = le::Dword(raw + 16);
    header->biSizeImage = le::Dword(raw + 20);
    header->biXPelsPerMeter = static_cast<LONG>(le::Dword(raw + 24));
    header->biYPelsPerMeter = static_cast<LONG>(le::Dword(raw + 28));
    header->biClrUsed = le::Dword(raw + 32);
    header->biClrImportant = le::Dword(raw + 36);
  } else {
    return false;
  }
  if (header->biSizeImage == 0) {
    unsigned long long row = ((static_cast<unsigned long long>(header->biBitCount) *
                                   static_cast<DWORD>(header->biWidth) + 31) / 8) & ~3ull;
    unsigned long long bytes = row * static_cast<DWORD>(header->biHeight < 0 ? -static_cast<long long>(header->biHeight)
                                                                             : header->biHeight);
    header->biSizeImage = bytes > kMaxImageBytes ? static_cast<DWORD>(kMaxImageBytes) : static_cast<DWORD>(bytes);
  }
  if (header->biClrUsed == 0) header->biClrUsed = header->biBitCount <= 8 ? 1u << header->biBitCount : 0;
  return true;
}

LONG PelsToDpi(LONG pelsPerMeter) {
  return static_cast<LONG>(floor(pelsPerMeter * 0.0254 + 0.5));
}

// --- run-length coded rows ---

class RleWriter {
public:
  RleWriter(BYTE* bits, DWORD rowBytes, DWORD width, DWORD height, bool topDown)
      : m_bits(bits), m_rowBytes(rowBytes), m_width(width), m_height(height), m_topDown(topDown) {}
  void PutByte(DWORD x, DWORD y, BYTE value) {
    if (x < m_width && y < m_height) m_bits[Row(y) * m_rowBytes + x] = value;
  }
  // Nibble pixel `pixel` of row y; a high nibble clears the low one.
  void PutNibble(DWORD pixel, DWORD y, BYTE value) {
    if (pixel >= m_width || y >= m_height) return;
    BYTE& cell = m_bits[Row(y) * m_rowBytes + pixel / 2];
    cell = (pixel & 1) ? static_cast<BYTE>(cell | (value & 0x0F)) : static_cast<BYTE>(value << 4);
  }

private:
  size_t Row(DWORD y) const { return m_topDown ? m_height - 1 - y : y; }

  BYTE* m_bits;
  DWORD m_rowBytes, m_width, m_height;
  bool m_topDown;
};

// Reads up to `bytes` of plain rows of `rowBytes` each, file row i into stored
// row i, or height - 1 - i for a top-down file. A file that stops early keeps
// the rows it holds; the rest of the picture stays zero.
void ReadRows(CPicFile* file, CPicImage& image, size_t rowBytes, size_t bytes, bool topDown,
              void (*convert)(BYTE* row, DWORD width, const DWORD* masks), const DWORD* masks) {
  DWORD height = image.GetHeight();
  for (DWORD i = 0; i < height && bytes > 0; ++i) {
    BYTE* row = image.GetBits() + static_cast<size_t>(topDown ? height - 1 - i : i) * image.GetRowBytes();
    size_t wanted = rowBytes < bytes ? rowBytes : bytes;
    size_t got = file->Read(row, 1, wanted);
    bytes -= wanted;
    if (got < wanted) memset(row + got, 0, wanted - got);
    if (convert) convert(row, image.GetWidth(), masks);
    if (got < wanted) return;
  }
}

void DecodeRle8(CPicFile* file, RleWriter& out) {
  DWORD x = 0, y = 0;
  for (;;) {
    LONG count = file->GetC();
    if (count < 0) return;  // data that ends without its end mark
    LONG value = NextByte(file);
    if (count > 0) {
      for (LONG i = 0; i < count; ++i) out.PutByte(x + i, y, static_cast<BYTE>(value));
      x += count;
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      x += NextByte(file);
      y += NextByte(file);
    } else {
      for (LONG i = 0; i < value; ++i) out.PutByte(x + i, y, NextByte(file));
      x += value;
      if (value & 1) file->GetC();
    }
  }
}

// x counts bytes and `low` says which half of byte x the next pixel takes.
void DecodeRle4(CPicFile* file, RleWriter& out) {
  DWORD x = 0, y = 0;
  bool low = false;
  auto put = [&](BYTE nibble) {
    out.PutNibble(2 * x + (low ? 1 : 0), y, nibble);
    if (low) ++x;
    low = !low;
  };
  for (;;) {
    LONG count = file->GetC();
    if (count < 0) return;  // data that ends without its end mark
    LONG value = NextByte(file);
    if (count > 0) {
      for (LONG i = 0; i < count; ++i) put(static_cast<BYTE>((i & 1) ? value & 0x0F : value >> 4));
    } else if (value == 0) {
      x = 0;
      ++y;
      low = false;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      x += NextByte(file) / 2;
      y += NextByte(file);
    } else {
      LONG bytes = (value + 1) / 2;
      for (LONG i = 0; i < bytes; ++i) {
        BYTE pair = NextByte(file);
        put(static_cast<BYTE>(pair >> 4));
        if (2 * i + 1 < value) put(static_cast<BYTE>(pair & 0x0F));
      }
      if (bytes & 1) file->GetC();
    }
  }
}

}  // namespace

// Widens a row of 16-bit pixels read into the start of a 24-bit row.
void CPicImageBMP::Widen16(BYTE* row, DWORD width, const DWORD* masks) {
  Bitfield16Row(row, row, width, masks[0], masks[1], masks[2]);
}

bool CPicImageBMP::Decode(CPicFile* file) {
  return file && RunCodecStep([&] { return DecodeStream(file); });
}

bool CPicImageBMP::DecodeStream(CPicFile* file) {
  LONG start = file->Tell();
  BYTE fileHeader[kFileHeaderBytes];
  if (file->Read(fileHeader, sizeof(fileHeader), 1) != 1) Raise("Not a BMP");
  DWORD dataOffset = le::Dword(fileHeader + 10);
  if (le::Word(fileHeader) != kBmpType) {
    dataOffset = 0;
    file->Seek(start, SEEK_SET);
  }

  BITMAPINFOHEADER header;
  if (!ReadInfoHeader(file, &header)) Raise("Error reading BMP info");
  bool coreHeader = header.biSize == kCoreHeaderBytes;
  DWORD compression = header.biCompression;
  WORD bitCount = header.biBitCount;
  bool topDown = header.biHeight < 0;
  long long height = topDown ? -static_cast<long long>(header.biHeight) : header.biHeight;
  if (header.biWidth <= 0 || height <= 0 || height > 0x7FFFFFFF) Raise("Error reading BMP info");
  // A depth no case below reads would leave a blank picture of any size.
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    Raise("Error reading BMP info");
  if (!Create(header.biWidth, static_cast<DWORD>(height), bitCount, PIC_FORMAT_BMP, 0))
    Raise("Can't allocate memory");
  m_header.biXPelsPerMeter = header.biXPelsPerMeter;
  m_header.biYPelsPerMeter = header.biYPelsPerMeter;
  m_info.xDpi = PelsToDpi(header.biXPelsPerMeter);
  m_info.yDpi = PelsToDpi(header.biYPelsPerMeter);

  if (RGBQUAD* palette = GetPalette()) {
    DWORD entries = header.biClrUsed < GetColorCount() ? header.biClrUsed : GetColorCount();
    if (coreHeader) {
      BYTE* triples = reinterpret_cast<BYTE*>(palette);
      ReadAll(file, triples, 3, entries);
      for (DWORD i = entries; i-- > 0;) palette[i] = RGBQUAD{triples[3 * i], triples[3 * i + 1], triples[3 * i + 2], 0};
    } else {
      ReadAll(file, palette, 4, entries);
    }
  }

  DWORD redMask = 0x7C00, greenMask = 0x3E0, blueMask = 0x1F;
  if (bitCount == 16 && compression == BI_BITFIELDS) {
    BYTE masks[12] = {};
    ReadAll(file, masks, 1, sizeof(masks));
    redMask = le::Dword(masks);
    greenMask = le::Dword(masks + 4);
    blueMask = le::Dword(masks + 8);
  }
  if (dataOffset) file->Seek(start + static_cast<LONG>(dataOffset), SEEK_SET);

  // The file's image size may claim more than this picture holds. Top-down
  // rows go straight to their place: no second copy of a large picture.
  DWORD pixelBytes = header.biSizeImage < m_header.biSizeImage ? header.biSizeImage : m_header.biSizeImage;
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
      if (compression == BI_RGB) {
        ReadRows(file, *this, m_info.rowWidthBytes, pixelBytes, topDown, nullptr, nullptr);
      } else if ((bitCount == 8 && compression == BI_RLE8) || (bitCount == 4 && compression == BI_RLE4)) {
        RleWriter out(m_info.pixels, m_info.rowWidthBytes, GetWidth(), GetHeight(), topDown);
        try {
          if (bitCount == 8) DecodeRle8(file, out);
          else DecodeRle4(file, out);
        } catch (const EndOfPixels&) {
        }
      } else {
        Raise("compression type not supported");
      }
      break;
    case 24:
      if (compression != BI_RGB) Raise("unknown compression");
      ReadRows(file, *this, m_info.rowWidthBytes, pixelBytes, topDown, nullptr, nullptr);
      break;
    case 16: {
      const DWORD masks[3] = {redMask, greenMask, blueMask};
      size_t rowBytes = static_cast<size_t>((GetWidth() + 1) / 2) * 4;
      ReadRows(file, *this, rowBytes, rowBytes * GetHeight(), topDown, Widen16, masks);
      break;
    }
    case 32: {
      if (compression != BI_RGB && compression != BI_BITFIELDS) Raise("unknown compression");
      // Row by row: the same pixels as a whole-picture buffer, without
      // holding a second copy of a picture that may be very large.
      size_t rowBytes = static_cast<size_t>(GetWidth()) * 4;
      BYTE* row = static_cast<BYTE*>(malloc(rowBytes));
      if (!row) Raise("can't allocate memory");
      for (DWORD i = 0; i < GetHeight(); ++i) {
        const size_t got = file->Read(row, 1, rowBytes);
        BYTE* target = RowPointer(topDown ? GetHeight() - 1 - i : i);
        for (DWORD x = 0; 4 * static_cast<size_t>(x) + 3 <= got; ++x) memcpy(target + 3 * x, row + 4 * x, 3);
        if (got < rowBytes) break;
      }
      free(row);
      break;
    }
    default: break;
  }
  return true;
}

bool CPicImageBMP::Encode(CPicFile* file) {
  if (!file || !IsValid()) return false;
  BYTE fileHeader[kFileHeaderBytes] = {'B', 'M'};
  DWORD fileSize = GetSize() + kFileHeaderBytes;
  DWORD dataOffset = kFileHeaderBytes + m_header.biSize + 4 * m_header.biClrUsed;
  memcpy(fileHeader + 2, &fileSize, 4);
  memcpy(fileHeader + 10, &dataOffset, 4);
  memcpy(m_dib, &m_header, sizeof(m_header));
  if (file->Write(fileHeader, sizeof(fileHeader), 1) != 1 || file->Write(m_dib, GetSize(), 1) != 1) {
    SetLastError("Can't write BMP file");
    return false;
  }
  return true;
}

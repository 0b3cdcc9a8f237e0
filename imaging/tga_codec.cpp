// TGA format class of the codec library: colour-mapped, true-colour and grey
// files, plain or run-length coded, in every row order.
#include <cstring>
#include <vector>

#include "imaging/little_endian.h"
#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"

namespace {

constexpr DWORD kHeaderBytes = 18;
constexpr DWORD kMaxMapEntries = 256;
constexpr BYTE kRightToLeft = 0x10;
constexpr BYTE kTopToBottom = 0x20;
constexpr DWORD kMaxTgaSide = 0xFFFF;
constexpr unsigned long long kMaxPacketPixels = 128;

struct TgaHeader {
  BYTE idLength;
  BYTE colorMapType;
  BYTE imageType;
  WORD mapFirst;
  WORD mapLength;
  BYTE mapEntryBits;
  WORD width;
  WORD height;
  BYTE pixelDepth;
  BYTE descriptor;
};

[[noreturn]] void Raise(const char* text) { throw PicCodecError{text}; }

// Every read inside the picture's data must deliver all it asks for.
void ReadAll(CPicFile* file, void* buffer, size_t size, size_t count) {
  if (count && file->Read(buffer, size, count) != count) Raise("corrupted TGA");
}


TgaHeader ParseHeader(const BYTE* raw) {
  TgaHeader header;
  header.idLength = raw[0];
  header.colorMapType = raw[1];
  header.imageType = raw[2];
  header.mapFirst = le::Word(raw + 3);
  header.mapLength = le::Word(raw + 5);
  header.mapEntryBits = raw[7];
  header.width = le::Word(raw + 12);
  header.height = le::Word(raw + 14);
  header.pixelDepth = raw[16];
  header.descriptor = raw[17];
  return header;
}

// Bytes one stored value takes at a depth of `bits` (15 counts as 16).
DWORD ValueBytes(DWORD bits) { return (bits + 7) / 8; }

// A 15- or 16-bit value: five bits each of blue, green, red; the top bit is
// not colour.
RGBQUAD FromWord(const BYTE* p) {
  WORD w = le::Word(p);
  return RGBQUAD{static_cast<BYTE>((w & 31) << 3), static_cast<BYTE>(((w >> 5) & 31) << 3),
                 static_cast<BYTE>(((w >> 10) & 31) << 3), 0};
}

// Turns stored pixels into picture rows and alpha values.
class TgaRowWriter {
public:
  TgaRowWriter(CPicImage& image, BYTE depth) : m_image(image), m_depth(depth), m_valueBytes(ValueBytes(depth)) {}

  DWORD ValueSize() const { return m_valueBytes; }

  // Stores `count` values from `values` as pixels x .. x + count - 1 of row.
  void Store(const BYTE* values, DWORD count, DWORD x, DWORD row) {
    BYTE* target = m_image.GetBits() + static_cast<size_t>(row) * m_image.GetRowBytes();
    for (DWORD i = 0; i < count; ++i, values += m_valueBytes) StoreOne(values, x + i, row, target);
  }
  void Repeat(const BYTE* value, DWORD count, DWORD x, DWORD row) {
    BYTE* target = m_image.GetBits() + static_cast<size_t>(row) * m_image.GetRowBytes();
    for (DWORD i = 0; i < count; ++i) StoreOne(value, x + i, row, target);
  }

private:
  void StoreOne(const BYTE* value, DWORD x, DWORD row, BYTE* target) {
    switch (m_depth) {
      case 8: target[x] = value[0]; break;
      case 15:
      case 16: {
        RGBQUAD color = FromWord(value);
        target[3 * x] = color.rgbBlue;
        target[3 * x + 1] = color.rgbGreen;
        target[3 * x + 2] = color.rgbRed;
        break;
      }
      case 32: m_image.AlphaSet(static_cast<LONG>(x), static_cast<LONG>(row), value[3]); [[fallthrough]];
      default: memcpy(target + 3 * x, value, 3); break;
    }
  }

  CPicImage& m_image;
  BYTE m_depth;
  DWORD m_valueBytes;
};

// Run-length decoding. A packet, raw or repeated, may run on past the end of
// a row; what remains of it opens the next row, and none goes past the last
// row.
class TgaRleReader {
public:
  TgaRleReader(CPicFile* file, TgaRowWriter& writer, DWORD width)
      : m_file(file), m_writer(writer), m_width(width), m_values(static_cast<size_t>(128) * writer.ValueSize()) {}

  void ExpandCompressedLine(DWORD row) {
    DWORD x = 0;
    while (x < m_width) {
      if (m_pendingRaw == 0 && m_pendingRun == 0) ReadPacketHeader();
      if (m_pendingRun) {
        DWORD count = m_pendingRun < m_width - x ? m_pendingRun : m_width - x;
        m_writer.Repeat(m_runValue, count, x, row);
        m_pendingRun -= count;
        x += count;
        continue;
      }
      DWORD count = m_pendingRaw < m_width - x ? m_pendingRaw : m_width - x;
      ReadAll(m_file, m_values.data(), m_writer.ValueSize(), count);
      m_writer.Store(m_values.data(), count, x, row);
      m_pendingRaw -= count;
      x += count;
    }
  }

  // Pixels of a packet already read are still to be placed.
  bool HasPending() const { return m_pendingRaw || m_pendingRun; }

private:
  void ReadPacketHeader() {
    LONG packet = m_file->GetC();
    if (packet < 0) Raise("corrupted TGA");
    if (packet < 128) {
      m_pendingRaw = static_cast<DWORD>(packet) + 1;
      return;
    }
    m_pendingRun = static_cast<DWORD>(packet) - 127;
    ReadAll(m_file, m_runValue, 1, m_writer.ValueSize());
  }

  CPicFile* m_file;
  TgaRowWriter& m_writer;
  DWORD m_width;
  DWORD m_pendingRaw = 0;
  DWORD m_pendingRun = 0;
  BYTE m_runValue[4] = {};
  std::vector<BYTE> m_values;
};

void ReadColorMap(CPicFile* file, CPicImage& image, const TgaHeader& header) {
  DWORD entryBits = header.mapEntryBits;
  DWORD entryBytes = entryBits == 15 || entryBits == 16 ? 2 : entryBits == 32 ? 4 : 3;
  std::vector<BYTE> map(static_cast<size_t>(header.mapLength) * entryBytes, 0);
  ReadAll(file, map.data(), entryBytes, header.mapLength);
  for (DWORD i = 0; i < header.mapLength; ++i) {
    DWORD index = header.mapFirst + i;
    if (index >= kMaxMapEntries) break;
    const BYTE* entry = &map[static_cast<size_t>(i) * entryBytes];
    RGBQUAD color = entryBytes == 2 ? FromWord(entry) : RGBQUAD{entry[0], entry[1], entry[2], 0};
    image.SetPaletteColor(static_cast<BYTE>(index), color);
  }
}

}  // namespace

bool CPicImageTGA::Decode(CPicFile* file) {
  return file && RunCodecStep([&] { return DecodeStream(file); });
}

bool CPicImageTGA::DecodeStream(CPicFile* file) {
  BYTE raw[kHeaderBytes];
  if (file->Read(raw, sizeof(raw), 1) != 1) Raise("Not a TGA");
  TgaHeader header = ParseHeader(raw);
  bool compressed;
  switch (header.imageType) {
    case 1: case 2: case 3: compressed = false; break;
    case 9: case 10: case 11: compressed = true; break;
    default: Raise("Unknown TGA image type");
  }
  BYTE depth = header.pixelDepth;
  if (header.width == 0 || header.height == 0 || depth == 0 || header.mapLength > kMaxMapEntries)
    Raise("bad TGA header");
  if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32) Raise("bad TGA header");
  file->Seek(header.idLength, SEEK_CUR);
  // Raw pixels must all be there; a run packet (a count and one value) makes
  // at most 128. A file too short for its picture is refused before the
  // picture is allocated.
  const unsigned long long pixels = static_cast<unsigned long long>(header.width) * header.height;
  const DWORD valueBytes = ValueBytes(depth);
  const unsigned long long leastBytes =
      compressed ? (pixels + kMaxPacketPixels - 1) / kMaxPacketPixels * (1 + valueBytes) : pixels * valueBytes;
  if (file->HoldsLessThan(leastBytes)) Raise("corrupted TGA");

  if (!Create(header.width, header.height, depth, PIC_FORMAT_TGA)) Raise("TGA Create failed");
  if (depth == 32 && !AlphaCreate()) Raise("TGA Create failed");
  if (header.colorMapType) ReadColorMap(file, *this, header);
  if (header.imageType == 3 || header.imageType == 11) SetGrayPalette();

  TgaRowWriter writer(*this, depth);
  TgaRleReader rle(file, writer, header.width);
  std::vector<BYTE> line(static_cast<size_t>(header.width) * writer.ValueSize());
  for (DWORD y = 0; y < header.height; ++y) {
    if (file->Eof() && !rle.HasPending()) Raise("corrupted TGA");
    DWORD row = (header.descriptor & kTopToBottom) ? header.height - 1 - y : y;
    if (compressed) {
      rle.ExpandCompressedLine(row);
    } else {
      ReadAll(file, line.data(), writer.ValueSize(), header.width);
      writer.Store(line.data(), header.width, 0, row);
    }
  }
  if (header.descriptor & kRightToLeft) Mirror();
  return true;
}

bool CPicImageTGA::Encode(CPicFile* file) {
  if (!file || !IsValid()) return false;
  if (GetBpp() < 8) {
    SetLastError("Bit depth must be 8 or 24");
    return false;
  }
  if (GetWidth() > kMaxTgaSide || GetHeight() > kMaxTgaSide) {
    SetLastError("Can't save this image as TGA");
    return false;
  }
  bool paletted = GetBpp() == 8;
  bool withAlpha = !paletted && HasAlpha();
  BYTE raw[kHeaderBytes] = {};
  raw[1] = GetPalette() ? 1 : 0;
  raw[2] = paletted ? 1 : 2;
  le::PutWord(raw + 5, paletted ? 256 : 0);
  raw[7] = paletted ? 24 : 0;
  le::PutWord(raw + 12, GetWidth());
  le::PutWord(raw + 14, GetHeight());
  raw[16] = withAlpha ? 32 : static_cast<BYTE>(GetBpp());
  bool written = file->Write(raw, sizeof(raw), 1) == 1;

  if (paletted) {
    BYTE map[256 * 3];
    for (DWORD i = 0; i < 256; ++i) {
      RGBQUAD color = GetPaletteColor(static_cast<BYTE>(i));
      map[3 * i] = color.rgbBlue;
      map[3 * i + 1] = color.rgbGreen;
      map[3 * i + 2] = color.rgbRed;
    }
    written = written && file->Write(map, sizeof(map), 1) == 1;
  }
  DWORD width = GetWidth();
  if (withAlpha) {
    std::vector<BYTE> row(static_cast<size_t>(width) * 4);
    for (DWORD y = 0; y < GetHeight() && written; ++y) {
      for (DWORD x = 0; x < width; ++x) {
        RGBQUAD color = GetPixelColor(x, y);
        BYTE* pixel = &row[4 * x];
        pixel[0] = color.rgbBlue;
        pixel[1] = color.rgbGreen;
        pixel[2] = color.rgbRed;
        pixel[3] = static_cast<BYTE>(AlphaGet(x, y) * GetAlphaMax() / 255);
      }
      written = file->Write(row.data(), row.size(), 1) == 1;
    }
  } else {
    size_t rowBytes = static_cast<size_t>(GetBpp() / 8) * width;
    for (DWORD y = 0; y < GetHeight() && written; ++y) written = file->Write(RowPointer(y), rowBytes, 1) == 1;
  }
  // A write that failed leaves a broken file behind; the caller must hear of it.
  if (!written) SetLastError("Can't write TGA file");
  return written;
}

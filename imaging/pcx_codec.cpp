// PCX format class of the codec library: run-length coded ZSoft files of 1 to
// 4 planes, with 16- or 256-entry colour maps.
#include <cstring>
#include <vector>

#include "imaging/little_endian.h"
#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"

namespace {

constexpr DWORD kHeaderBytes = 128;
constexpr BYTE kManufacturer = 10;
constexpr BYTE kVersion = 5;
constexpr BYTE kRunLengthEncoding = 1;
constexpr BYTE kColorMapSignature = 12;
constexpr BYTE kCountFlag = 0xC0;
constexpr DWORD kMaxRun = 63;
constexpr DWORD kMaxPcxSide = 0xFFFF;

struct PcxHeader {
  BYTE manufacturer, version, encoding, bitsPerPixel;
  WORD xMin, yMin, xMax, yMax, hDpi, vDpi;
  BYTE colorMap[48];
  BYTE planes;
  WORD bytesPerLine, paletteInfo;
};

void Raise(const char* text) { throw PicCodecError{text}; }

PcxHeader ParseHeader(const BYTE* raw) {
  PcxHeader h;
  h.manufacturer = raw[0];
  h.version = raw[1];
  h.encoding = raw[2];
  h.bitsPerPixel = raw[3];
  h.xMin = le::Word(raw + 4);
  h.yMin = le::Word(raw + 6);
  h.xMax = le::Word(raw + 8);
  h.yMax = le::Word(raw + 10);
  h.hDpi = le::Word(raw + 12);
  h.vDpi = le::Word(raw + 14);
  memcpy(h.colorMap, raw + 16, sizeof(h.colorMap));
  h.planes = raw[65];
  h.bytesPerLine = le::Word(raw + 66);
  h.paletteInfo = le::Word(raw + 68);
  return h;
}

// --- row operations ---

void PcxUnpackRow(BYTE* indices, const BYTE* row, DWORD bytesPerLine, DWORD planes, DWORD bits) {
  if (planes > 1) Raise("Can't handle packed pixels with more than 1 plane.");
  DWORD perByte = bits ? 8 / bits : 0;
  if (bits == 8) {
    memcpy(indices, row, bytesPerLine);
    return;
  }
  if (bits != 1 && bits != 2 && bits != 4) return;
  BYTE mask = static_cast<BYTE>((1 << bits) - 1);
  for (DWORD i = 0; i < bytesPerLine; ++i) {
    for (DWORD k = 0; k < perByte; ++k) *indices++ = (row[i] >> (8 - bits * (k + 1))) & mask;
  }
}

void PcxPlanesToIndices(BYTE* indices, const BYTE* rows, DWORD bytesPerLine, DWORD planes, DWORD bits) {
  if (planes > 4) Raise("Can't handle more than 4 planes");
  if (bits != 1) Raise("Can't handle more than 1 bit per pixel");
  memset(indices, 0, static_cast<size_t>(bytesPerLine) * 8);
  for (DWORD p = 0; p < planes; ++p) {
    const BYTE* plane = rows + static_cast<size_t>(p) * bytesPerLine;
    for (DWORD i = 0; i < bytesPerLine; ++i) {
      for (DWORD bit = 0; bit < 8; ++bit) {
        if (plane[i] & (0x80 >> bit)) indices[8 * i + bit] |= static_cast<BYTE>(1 << p);
      }
    }
  }
}

void WriteRun(CPicFile* out, BYTE value, DWORD count) {
  if (count == 1 && value < kCountFlag) {
    out->PutC(value);
  } else {
    out->PutC(static_cast<BYTE>(kCountFlag + count));
    out->PutC(value);
  }
}

// Feeds one value into the pending run; -1 ends a row, -2 ends a row of odd
// width with the pad byte.
void PcxPutRun(int value, BYTE* last, DWORD* count, CPicFile* out) {
  if (*count > 0 && value != *last) {
    WriteRun(out, *last, *count);
    *count = 0;
  }
  if (*count == kMaxRun) {
    WriteRun(out, *last, kMaxRun);
    *count = 0;
  }
  if (value == -2) out->PutC(0);
  *last = static_cast<BYTE>(value);
  ++*count;
}

void PcxPackBytes(const BYTE* bytes, DWORD n, CPicFile* out) {
  for (DWORD i = 0; i < n;) {
    DWORD run = 1;
    while (i + run < n && run < kMaxRun && bytes[i + run] == bytes[i]) ++run;
    WriteRun(out, bytes[i], run);
    i += run;
  }
}

void PcxIndicesToPlane(const BYTE* indices, DWORD width, BYTE* out, DWORD p) {
  for (DWORD x = 0; x < width; ++x) {
    if ((x & 7) == 0) out[x >> 3] = 0;
    if ((indices[x] >> p) & 1) out[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
  }
}

// --- decoding helpers ---

// Expands the picture's run-length data one line at a time. A run may go on
// into the next line but never past the end of the picture.
class PcxRunReader {
public:
  PcxRunReader(CPicFile* file, unsigned long long total) : m_file(file), m_remaining(total) {}

  void ReadLine(BYTE* out, size_t bytes) {
    size_t done = 0;
    while (done < bytes) {
      if (m_pending) {
        size_t count = m_pending < bytes - done ? m_pending : bytes - done;
        memset(out + done, m_value, count);
        done += count;
        m_pending -= count;
        continue;
      }
      LONG byte = m_file->GetC();
      if (byte < 0) Raise("corrupted PCX");
      if (byte >= kCountFlag) {
        size_t count = byte & kMaxRun;
        LONG value = m_file->GetC();
        if (value < 0) Raise("corrupted PCX");
        if (count > m_remaining) Raise("repeat count spans end of image");
        m_remaining -= count;
        m_pending = count;
        m_value = static_cast<BYTE>(value);
      } else {
        if (m_remaining == 0) Raise("repeat count spans end of image");
        --m_remaining;
        out[done++] = static_cast<BYTE>(byte);
      }
    }
  }

private:
  CPicFile* m_file;
  unsigned long long m_remaining;
  size_t m_pending = 0;
  BYTE m_value = 0;
};

// Stores one file line (its planes one after the other) as picture row `row`.
void StoreLine(CPicImage& image, const BYTE* line, const PcxHeader& h, DWORD row, BYTE* indices) {
  DWORD width = image.GetWidth();
  if (h.bitsPerPixel == 8 && (h.planes == 3 || h.planes == 4)) {
    BYTE* target = image.GetBits() + static_cast<size_t>(row) * image.GetRowBytes();
    const BYTE* red = line;
    const BYTE* green = line + h.bytesPerLine;
    const BYTE* blue = green + h.bytesPerLine;
    for (DWORD x = 0; x < width; ++x) {
      target[3 * x] = blue[x];
      target[3 * x + 1] = green[x];
      target[3 * x + 2] = red[x];
    }
    if (h.planes == 4) {
      const BYTE* alpha = blue + h.bytesPerLine;
      for (DWORD x = 0; x < width; ++x) image.AlphaSet(x, row, alpha[x]);
    }
    return;
  }
  if (h.planes == 1) PcxUnpackRow(indices, line, h.bytesPerLine, h.planes, h.bitsPerPixel);
  else PcxPlanesToIndices(indices, line, h.bytesPerLine, h.planes, h.bitsPerPixel);
  for (DWORD x = 0; x < width; ++x) image.SetPixelIndex(x, row, indices[x]);
}

// Two or three planes of 1 bit make up to 8 colours: a 1-bit picture would
// keep only the lowest plane, so they get 4 bits like four planes do.
DWORD ImageBpp(const PcxHeader& h) {
  if (h.bitsPerPixel == 8 && (h.planes == 3 || h.planes == 4)) return 24;
  if (h.bitsPerPixel == 1 && h.planes >= 2) return 4;
  return h.bitsPerPixel;
}

}  // namespace

bool CPicImagePCX::Decode(CPicFile* file) {
  return file && RunCodecStep([&] { return DecodeStream(file); });
}

bool CPicImagePCX::DecodeStream(CPicFile* file) {
  BYTE raw[kHeaderBytes];
  if (file->Read(raw, sizeof(raw), 1) != 1) Raise("Can't read PCX image");
  PcxHeader h = ParseHeader(raw);
  if (h.manufacturer != kManufacturer) Raise("Error: Not a PCX file");
  if (h.encoding != kRunLengthEncoding) Raise("PCX file has unknown encoding scheme");
  if (h.planes > 4) Raise("Can't handle image with more than 4 planes");
  if (h.xMax < h.xMin || h.yMax < h.yMin) Raise("PCX file has a bad size");
  DWORD width = h.xMax - h.xMin + 1u, height = h.yMax - h.yMin + 1u;
  // Every plane row must hold the row's pixels; a shorter one would make the
  // rows below read past the data.
  if (h.bitsPerPixel != 1 && h.bitsPerPixel != 2 && h.bitsPerPixel != 4 && h.bitsPerPixel != 8)
    Raise("Can't handle this PCX pixel depth");
  if (h.planes == 0 || h.bytesPerLine < (static_cast<unsigned long long>(width) * h.bitsPerPixel + 7) / 8)
    Raise("PCX bytes per line too small");

  // A run byte repeats the next one at most 63 times: a file can hold no more
  // line bytes than that, and a smaller one is refused before allocating.
  const unsigned long long planeBytes = static_cast<unsigned long long>(h.bytesPerLine) * h.planes * height;
  if (file->HoldsLessThan((planeBytes + kMaxRun - 1) / kMaxRun * 2)) Raise("corrupted PCX");
  if (SizeOnly()) {
    if (!StopAtSize(width, height, ImageBpp(h))) Raise("Can't allocate memory for PCX");
    return true;
  }
  if (!Create(width, height, ImageBpp(h), PIC_FORMAT_PCX)) Raise("Can't allocate memory for PCX");
  SetXDPI(h.hDpi);
  SetYDPI(h.vDpi);
  bool truecolor = h.bitsPerPixel == 8 && (h.planes == 3 || h.planes == 4);
  if (truecolor && h.planes == 4 && !AlphaCreate()) Raise("Can't allocate memory for PCX");

  size_t lineBytes = static_cast<size_t>(h.bytesPerLine) * h.planes;
  PcxRunReader runs(file, static_cast<unsigned long long>(lineBytes) * height);
  std::vector<BYTE> line(lineBytes);
  std::vector<BYTE> indices(static_cast<size_t>(h.bytesPerLine) * 8);
  for (DWORD y = 0; y < height; ++y) {
    runs.ReadLine(line.data(), lineBytes);
    StoreLine(*this, line.data(), h, height - 1 - y, indices.data());
  }

  BYTE map[256 * 3] = {};
  memcpy(map, h.colorMap, sizeof(h.colorMap));
  if (h.bitsPerPixel == 8 && h.planes == 1) {
    if (file->GetC() != kColorMapSignature) Raise("bad color map signature");
    if (file->Read(map, 1, sizeof(map)) != sizeof(map)) Raise("corrupted PCX");
  } else if (h.bitsPerPixel == 1 && h.planes == 1) {
    memset(map, 0, 3);
    memset(map + 3, 255, 3);
  }
  for (DWORD i = 0; i < GetColorCount(); ++i)
    SetPaletteColor(static_cast<BYTE>(i), map[3 * i], map[3 * i + 1], map[3 * i + 2]);

  return true;
}

bool CPicImagePCX::Encode(CPicFile* file) {
  return file && IsValid() && RunCodecStep([&] { return EncodeStream(file); });
}

bool CPicImagePCX::EncodeStream(CPicFile* file) {
  DWORD width = GetWidth(), height = GetHeight();
  if (width > kMaxPcxSide || height > kMaxPcxSide) Raise("Can't save this image as PCX");
  bool paletted = GetPalette() != nullptr;
  BYTE raw[kHeaderBytes] = {kManufacturer, kVersion, kRunLengthEncoding};
  le::PutWord(raw + 8, width - 1);
  le::PutWord(raw + 10, height - 1);
  le::PutWord(raw + 12, static_cast<DWORD>(GetXDPI()));
  le::PutWord(raw + 14, static_cast<DWORD>(GetYDPI()));
  DWORD planes, bytesPerLine;
  if (GetBpp() >= 8) {
    raw[3] = 8;
    planes = paletted ? 1 : (HasAlpha() ? 4 : 3);
    bytesPerLine = width;
    le::PutWord(raw + 68, paletted ? 0 : 1);
  } else {
    raw[3] = 1;
    planes = GetColorCount() == 16 ? 4 : 1;
    bytesPerLine = (width + 7) / 8;
    if (planes == 1) {
      memset(raw + 19, 255, 3);
    } else {
      for (DWORD i = 0; i < 16; ++i) {
        RGBQUAD color = GetPaletteColor(static_cast<BYTE>(i));
        raw[16 + 3 * i] = color.rgbRed;
        raw[17 + 3 * i] = color.rgbGreen;
        raw[18 + 3 * i] = color.rgbBlue;
      }
    }
  }
  bytesPerLine += bytesPerLine & 1;
  raw[65] = static_cast<BYTE>(planes);
  le::PutWord(raw + 66, bytesPerLine);
  if (file->Write(raw, sizeof(raw), 1) != 1) Raise("cannot write PCX header");

  CPicMemFile data;
  data.Open();
  int rowEnd = (width & 1) ? -2 : -1;
  if (GetBpp() >= 8) {
    for (DWORD y = height; y-- > 0;) {
      const BYTE* row = RowPointer(y);
      for (DWORD p = 0; p < planes; ++p) {
        BYTE last = 0;
        DWORD count = 0;
        for (DWORD x = 0; x < width; ++x) {
          BYTE value;
          if (paletted) value = row[x];
          else if (p < 3) value = row[3 * x + 2 - p];
          else value = AlphaGet(x, y);
          PcxPutRun(value, &last, &count, &data);
        }
        PcxPutRun(rowEnd, &last, &count, &data);
      }
    }
    if (paletted) {
      data.PutC(kColorMapSignature);
      for (DWORD i = 0; i < 256; ++i) {
        RGBQUAD color = GetPaletteColor(static_cast<BYTE>(i));
        data.PutC(color.rgbRed);
        data.PutC(color.rgbGreen);
        data.PutC(color.rgbBlue);
      }
    }
  } else {
    RGBQUAD first = GetPaletteColor(0), second = GetPaletteColor(1);
    bool invert = GetBpp() == 1 && CompareColorsByLuminance(&first.rgbBlue, &second.rgbBlue) > 0;
    std::vector<BYTE> indices(width), plane(bytesPerLine, 0);
    for (DWORD y = height; y-- > 0;) {
      for (DWORD x = 0; x < width; ++x) {
        BYTE index = GetPixelIndex(x, y);
        indices[x] = invert ? static_cast<BYTE>(1 - index) : index;
      }
      for (DWORD p = 0; p < planes; ++p) {
        PcxIndicesToPlane(indices.data(), width, plane.data(), p);
        PcxPackBytes(plane.data(), bytesPerLine, &data);
      }
    }
  }
  LONG size = data.Size();
  if (size > 0 && file->Write(data.GetBuffer(false), size, 1) != 1) Raise("cannot write PCX data");
  return true;
}

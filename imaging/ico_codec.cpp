// ICO format class of the codec library: one image of a Windows icon file,
// its AND mask turned into alpha, and one-image icons written back.
#include <cstring>
#include <vector>

#include "imaging/lib_codecs.h"
#include "imaging/little_endian.h"
#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"

namespace {

constexpr DWORD kDirectoryBytes = 6;
constexpr DWORD kEntryBytes = 16;
constexpr DWORD kInfoBytes = 40;
constexpr DWORD kMaxIconSide = 255;

DWORD MaskRowBytes(DWORD width) { return ((width + 31) / 32) * 4; }

bool MaskBit(const BYTE* row, DWORD x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

bool SameColor(RGBQUAD a, RGBQUAD b) { return memcmp(&a, &b, sizeof(a)) == 0; }

const char kTruncated[] = "Icon file is truncated";
const char kSizeMismatch[] = "Icon entry size does not match its image";
const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A directory size byte of 0 stands for 256, the one side a byte cannot hold.
DWORD EntrySide(BYTE stored) { return stored ? stored : 256; }

bool ReadAll(CPicFile* file, void* buffer, size_t size, size_t count) {
  return count == 0 || file->Read(buffer, size, count) == count;
}

}  // namespace

bool CPicImageICO::Decode(CPicFile* file) {
  if (!file) return false;
  BYTE directory[kDirectoryBytes];
  if (file->Read(directory, sizeof(directory), 1) != 1) return false;
  if (le::Word(directory) != 0 || le::Word(directory + 2) != 1) return false;
  DWORD count = le::Word(directory + 4);
  m_info.frameCount = static_cast<LONG>(count);
  std::vector<BYTE> entries(static_cast<size_t>(count) * kEntryBytes, 0);
  if (!ReadAll(file, entries.data(), kEntryBytes, count)) {
    SetLastError(kTruncated);
    return false;
  }
  if (m_info.frameIndex < 0 || static_cast<DWORD>(m_info.frameIndex) >= count) return false;

  const BYTE* entry = &entries[static_cast<size_t>(m_info.frameIndex) * kEntryBytes];
  const LONG start = static_cast<LONG>(le::Dword(entry + 12));
  BYTE info[kInfoBytes] = {};
  if (!file->Seek(start, SEEK_SET)) return false;
  if (!ReadAll(file, info, sizeof(info), 1)) {
    SetLastError(kTruncated);
    return false;
  }
  // Large icons are stored as whole PNG streams, alpha included.
  if (memcmp(info, kPngSignature, sizeof(kPngSignature)) == 0) return DecodePngEntry(file, start);
  if (le::Dword(info) != kInfoBytes) return false;
  WORD bitCount = le::Word(info + 14);
  const DWORD side = EntrySide(entry[0]), otherSide = EntrySide(entry[1]);
  // The image header stores twice the height (image and mask); a 256 read
  // from a 0 byte must be what the image itself says.
  if ((entry[0] == 0 && static_cast<LONG>(le::Dword(info + 4)) != 256) ||
      (entry[1] == 0 && static_cast<LONG>(le::Dword(info + 8)) != 512)) {
    SetLastError(kSizeMismatch);
    return false;
  }
  LONG frameCount = m_info.frameCount;
  if (SizeOnly()) return StopAtSize(side, otherSide, bitCount);
  if (!Create(side, otherSide, bitCount, PIC_FORMAT_ICO)) return false;
  m_info.frameCount = frameCount;

  DWORD width = GetWidth(), height = GetHeight();
  std::vector<BYTE> quads(bitCount > 24 ? static_cast<size_t>(width) * height * 4 : 0);
  DWORD maskRow = MaskRowBytes(width);
  std::vector<BYTE> mask(static_cast<size_t>(maskRow) * height);
  // An image cut short decodes with what the file holds: the palette, pixels
  // and mask past its end stay zero (black, and opaque in the mask).
  RGBQUAD* palette = GetPalette();
  if (palette) file->Read(palette, 1, sizeof(RGBQUAD) * GetColorCount());
  if (bitCount > 24) file->Read(quads.data(), 1, quads.size());
  else file->Read(m_info.pixels, 1, m_header.biSizeImage);
  file->Read(mask.data(), 1, mask.size());
  if (bitCount > 24) {
    if (!m_alpha && !AlphaCreate()) return false;
    const BYTE* quad = quads.data();
    for (DWORD y = 0; y < height; ++y) {
      BYTE* row = RowPointer(y);
      for (DWORD x = 0; x < width; ++x, quad += 4) {
        memcpy(row + 3 * x, quad, 3);
        AlphaSet(x, y, quad[3]);
      }
    }
  }

  bool madeHere = false;
  if (!m_alpha) {
    if (!AlphaCreate()) return false;
    AlphaSet(255);
    madeHere = true;
  }
  bool anyTransparent = false;
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* row = &mask[static_cast<size_t>(y) * maskRow];
    for (DWORD x = 0; x < width; ++x) {
      if (!MaskBit(row, x)) continue;
      AlphaSet(x, y, 0);
      anyTransparent = true;
    }
  }
  if (madeHere && !anyTransparent) AlphaDelete();
  return true;
}

bool CPicImageICO::DecodePngEntry(CPicFile* file, LONG start) {
  if (!file->Seek(start, SEEK_SET)) return false;
  CPicImagePNG png;
  png.TakeRequests(*this);
  if (!png.Decode(file)) {
    SetLastError(png.GetLastError());
    return false;
  }
  const LONG frameCount = m_info.frameCount, frameIndex = m_info.frameIndex;
  Transfer(png);
  m_info.formatId = PIC_FORMAT_ICO;
  m_info.frameCount = frameCount;
  m_info.frameIndex = frameIndex;
  return true;
}

bool CPicImageICO::Encode(CPicFile* file) {
  if (!file || !IsValid()) return false;
  DWORD width = GetWidth(), height = GetHeight();
  if (width > kMaxIconSide || height > kMaxIconSide) {
    SetLastError("Can't save this image as icon");
    return false;
  }
  if (GetBpp() <= 8 && !GetPalette()) return false;
  DWORD maskRow = MaskRowBytes(width);
  DWORD maskSize = maskRow * height;
  bool quads = !GetPalette() && HasAlpha();
  WORD bitCount = quads ? 32 : GetBpp();
  DWORD imageSize = quads ? 4 * width * height : m_header.biSizeImage;
  DWORD colors = GetColorCount();

  std::vector<BYTE> out;
  le::PutWord(out, 0);
  le::PutWord(out, 1);
  le::PutWord(out, 1);
  out.push_back(static_cast<BYTE>(width));
  out.push_back(static_cast<BYTE>(height));
  out.push_back(static_cast<BYTE>(colors));
  out.push_back(0);
  le::PutWord(out, 0);
  le::PutWord(out, bitCount);
  le::PutDword(out, kInfoBytes + colors * 4 + imageSize + maskSize);
  le::PutDword(out, kDirectoryBytes + kEntryBytes);
  le::PutDword(out, kInfoBytes);
  le::PutDword(out, width);
  le::PutDword(out, height * 2);
  le::PutWord(out, 1);
  le::PutWord(out, bitCount);
  le::PutDword(out, BI_RGB);
  le::PutDword(out, imageSize);
  for (int i = 0; i < 4; ++i) le::PutDword(out, 0);
  const BYTE* palette = reinterpret_cast<const BYTE*>(GetPalette());
  if (palette) out.insert(out.end(), palette, palette + colors * 4);

  if (quads) {
    for (DWORD y = 0; y < height; ++y) {
      const BYTE* row = RowPointer(y);
      for (DWORD x = 0; x < width; ++x) {
        out.insert(out.end(), row + 3 * x, row + 3 * x + 3);
        out.push_back(AlphaGet(x, y));
      }
    }
  } else {
    out.insert(out.end(), m_info.pixels, m_info.pixels + imageSize);
  }

  std::vector<BYTE> mask(maskSize, 0);
  bool alphaPalette = AlphaPaletteIsValid();
  bool keyed = m_info.transIndex != -1;
  RGBQUAD key = GetTransColor();
  for (DWORD y = 0; y < height; ++y) {
    for (DWORD x = 0; x < width; ++x) {
      bool transparent = HasAlpha() && AlphaGet(x, y) == 0;
      if (!transparent && (alphaPalette || keyed)) {
        RGBQUAD color = GetPixelColor(x, y);
        transparent = (alphaPalette && color.rgbReserved == 0) || (keyed && SameColor(color, key));
      }
      if (transparent) mask[static_cast<size_t>(y) * maskRow + (x >> 3)] |= static_cast<BYTE>(0x80 >> (x & 7));
    }
  }
  out.insert(out.end(), mask.begin(), mask.end());
  if (file->Write(out.data(), out.size(), 1) != 1) {
    SetLastError("Can't write icon file");
    return false;
  }
  return true;
}

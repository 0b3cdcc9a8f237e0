// CPicImage: flips, mirrors, quarter turns and raising the bit depth. Each
// builds the new layout in a temporary picture and hands it over whole.
#include <cstring>

#include "imaging/pic_image.h"

namespace {

// Palette index of pixel x in a row of 1, 4 or 8 bits per pixel.
inline BYTE IndexInRow(const BYTE* row, DWORD x, WORD bpp) {
  switch (bpp) {
    case 8: return row[x];
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
}

inline void SetBit(BYTE* row, DWORD x) { row[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7)); }

// Quarter turns: destination pixel (x, y) takes source (y, H - 1 - x) turning
// left, (W - 1 - y, x) turning right.
struct TurnMap {
  bool left;
  DWORD sourceWidth, sourceHeight;
  void Source(DWORD x, DWORD y, DWORD* sx, DWORD* sy) const {
    if (left) {
      *sx = y;
      *sy = sourceHeight - 1 - x;
    } else {
      *sx = sourceWidth - 1 - y;
      *sy = x;
    }
  }
  // Where source pixel (sx, sy) lands.
  void Target(DWORD sx, DWORD sy, DWORD* x, DWORD* y) const {
    if (left) {
      *x = sourceHeight - 1 - sy;
      *y = sx;
    } else {
      *x = sy;
      *y = sourceWidth - 1 - sx;
    }
  }
};

bool TurnPicture(CPicImage& source, CPicImage* target, bool left) {
  if (!source.IsValid()) return false;
  DWORD width = source.GetWidth(), height = source.GetHeight();
  WORD bpp = source.GetBpp();
  TurnMap map{left, width, height};
  CPicImage turned;
  turned.CopyInfo(source);
  if (!turned.Create(height, width, bpp, source.GetFormatId())) return false;
  turned.SetPalette(source.GetPalette(), 256);

  if (bpp == 1) {
    turned.Clear(0);
    BYTE* targetBits = turned.GetBits();
    DWORD targetRowBytes = turned.GetRowBytes();
    const BYTE* sourceBits = source.GetBits();
    for (DWORD sy = 0; sy < height; ++sy) {
      const BYTE* row = sourceBits + static_cast<size_t>(sy) * source.GetRowBytes();
      // Only the row's real pixels: the padding bits have nowhere to go.
      for (DWORD sx = 0; sx < width; ++sx) {
        if (!((row[sx >> 3] >> (7 - (sx & 7))) & 1)) continue;
        DWORD x, y;
        map.Target(sx, sy, &x, &y);
        SetBit(targetBits + static_cast<size_t>(y) * targetRowBytes, x);
      }
    }
  } else {
    bool paletted = source.GetColorCount() != 0;
    for (DWORD y = 0; y < width; ++y) {
      for (DWORD x = 0; x < height; ++x) {
        DWORD sx, sy;
        map.Source(x, y, &sx, &sy);
        if (paletted) turned.SetPixelIndex(x, y, source.GetPixelIndex(sx, sy));
        else turned.SetPixelColor(x, y, source.GetPixelColor(sx, sy), false);
      }
    }
  }

  if (source.HasAlpha()) {
    if (!turned.AlphaCreate()) return false;
    for (DWORD y = 0; y < width; ++y) {
      for (DWORD x = 0; x < height; ++x) {
        DWORD sx, sy;
        map.Source(x, y, &sx, &sy);
        turned.AlphaSet(x, y, source.AlphaGet(sx, sy));
      }
    }
  }
  (target ? *target : source).Transfer(turned);
  return true;
}

}  // namespace

bool CPicImage::Flip() {
  if (!m_dib) return false;
  CPicImage flipped(*this, false, false, true);
  if (!flipped.IsValid()) return false;
  DWORD height = GetHeight();
  for (DWORD y = 0; y < height; ++y) memcpy(flipped.RowPointer(y), RowPointer(height - 1 - y), m_info.rowWidthBytes);
  flipped.AlphaFlip();
  Transfer(flipped);
  return true;
}

bool CPicImage::Mirror() {
  if (!m_dib) return false;
  CPicImage mirrored(*this, false, false, true);
  if (!mirrored.IsValid()) return false;
  DWORD width = GetWidth(), height = GetHeight();
  WORD bpp = GetBpp();
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* source = RowPointer(y);
    BYTE* target = mirrored.RowPointer(y);
    if (bpp == 8) {
      for (DWORD x = 0; x < width; ++x) target[x] = source[width - 1 - x];
    } else if (bpp == 24) {
      for (DWORD x = 0; x < width; ++x) memcpy(target + 3 * x, source + 3 * (width - 1 - x), 3);
    } else {
      for (DWORD x = 0; x < width; ++x) mirrored.SetPixelIndex(x, y, GetPixelIndex(width - 1 - x, y));
    }
  }
  mirrored.AlphaMirror();
  Transfer(mirrored);
  return true;
}

bool CPicImage::RotateLeft(CPicImage* target) { return TurnPicture(*this, target, true); }

bool CPicImage::RotateRight(CPicImage* target) { return TurnPicture(*this, target, false); }

bool CPicImage::IncreaseBpp(DWORD bits) {
  if (!m_dib) return false;
  WORD bpp = GetBpp();
  if (bits != 4 && bits != 8 && bits != 24) return false;
  if (bpp == bits) return true;
  if (bpp > bits) return false;

  DWORD width = GetWidth(), height = GetHeight();
  CPicImage raised;
  raised.CopyInfo(*this);
  if (!raised.Create(width, height, bits, m_info.formatId)) return false;
  raised.SelectionCopy(*this);
  raised.AlphaCopy(*this);

  if (bits != 24) {
    raised.SetPalette(GetPalette(), GetColorCount());
    for (DWORD y = 0; y < height; ++y) {
      const BYTE* row = RowPointer(y);
      for (DWORD x = 0; x < width; ++x) raised.SetPixelIndex(x, y, IndexInRow(row, x, bpp));
    }
  } else {
    bool alphaFromPalette = !m_alpha && AlphaPaletteIsValid();
    if (alphaFromPalette && !raised.AlphaCreate()) return false;
    const RGBQUAD* palette = GetPalette();
    DWORD colors = GetColorCount();
    for (DWORD y = 0; y < height; ++y) {
      const BYTE* row = RowPointer(y);
      BYTE* target = raised.RowPointer(y);
      BYTE* alpha = alphaFromPalette ? raised.m_alpha + static_cast<size_t>(y) * width : nullptr;
      for (DWORD x = 0; x < width; ++x, target += 3) {
        BYTE index = IndexInRow(row, x, bpp);
        RGBQUAD color = index < colors ? palette[index] : RGBQUAD{0, 0, 0, 0};
        target[0] = color.rgbBlue;
        target[1] = color.rgbGreen;
        target[2] = color.rgbRed;
        if (alpha) alpha[x] = color.rgbReserved;
      }
    }
  }
  Transfer(raised);
  return true;
}

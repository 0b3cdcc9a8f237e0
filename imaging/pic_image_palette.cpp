// CPicImage: palette entries, single pixels, nearest-colour lookup, the alpha
// plane and the selection plane.
#include <cstdlib>
#include <cstring>

#include "imaging/pic_image.h"

namespace {

constexpr int kNoDistance = 200000;

DWORD ColorKey(RGBQUAD color) {
  return color.rgbBlue | (color.rgbGreen << 8) | (color.rgbRed << 16) |
         (static_cast<DWORD>(color.rgbReserved) << 24);
}

BYTE NearestIndex(const RGBQUAD* palette, DWORD count, RGBQUAD color) {
  int best = kNoDistance;
  BYTE bestIndex = 0;
  for (DWORD i = 0; i < count; ++i) {
    int distance = abs(palette[i].rgbBlue - color.rgbBlue) + abs(palette[i].rgbGreen - color.rgbGreen) +
                   abs(palette[i].rgbRed - color.rgbRed);
    if (distance == 0) return static_cast<BYTE>(i);
    if (distance < best) {
      best = distance;
      bestIndex = static_cast<BYTE>(i);
    }
  }
  return bestIndex;
}

}  // namespace

// --- palette ---

RGBQUAD* CPicImage::GetPalette() const {
  if (!m_dib || m_header.biClrUsed == 0) return nullptr;
  return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(m_dib) + m_header.biSize);
}

DWORD CPicImage::GetPaletteSize() const { return GetColorCount() * 4; }

RGBQUAD CPicImage::GetPaletteColor(BYTE index) const {
  RGBQUAD color = {0, 0, 0, 0};
  RGBQUAD* palette = GetPalette();
  if (palette && index < m_header.biClrUsed) color = palette[index];
  return color;
}

// Callers are trusted to pass an index below the colour count; a larger one
// is refused rather than read beyond the palette.
bool CPicImage::GetPaletteColor(BYTE index, BYTE* red, BYTE* green, BYTE* blue) const {
  RGBQUAD* palette = GetPalette();
  if (!palette || index >= m_header.biClrUsed) return false;
  *red = palette[index].rgbRed;
  *green = palette[index].rgbGreen;
  *blue = palette[index].rgbBlue;
  return true;
}

void CPicImage::SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alpha) {
  SetPaletteColor(index, RGBQUAD{blue, green, red, alpha});
}

void CPicImage::SetPaletteColor(BYTE index, RGBQUAD color) {
  RGBQUAD* palette = GetPalette();
  if (palette && index < m_header.biClrUsed) palette[index] = color;
}

void CPicImage::SetPalette(const RGBQUAD* source, DWORD count) {
  RGBQUAD* palette = GetPalette();
  if (!source || !palette) return;
  DWORD n = count < m_header.biClrUsed ? count : m_header.biClrUsed;
  memcpy(palette, source, n * sizeof(RGBQUAD));
}

void CPicImage::SetPalette(const PicRgbTriple* triples, DWORD count) {
  RGBQUAD* palette = GetPalette();
  if (!triples || !palette) return;
  DWORD n = count < m_header.biClrUsed ? count : m_header.biClrUsed;
  for (DWORD i = 0; i < n; ++i) {
    palette[i].rgbRed = triples[i].red;
    palette[i].rgbGreen = triples[i].green;
    palette[i].rgbBlue = triples[i].blue;
  }
}

void CPicImage::SetPalette(DWORD count, const BYTE* red, const BYTE* green, const BYTE* blue) {
  RGBQUAD* palette = GetPalette();
  if (!red || !palette) return;
  if (!green) green = red;
  if (!blue) blue = green;
  DWORD n = count < m_header.biClrUsed ? count : m_header.biClrUsed;
  for (DWORD i = 0; i < n; ++i) {
    palette[i].rgbBlue = blue[i];
    palette[i].rgbGreen = green[i];
    palette[i].rgbRed = red[i];
  }
}

void CPicImage::SetGrayPalette() {
  RGBQUAD* palette = GetPalette();
  DWORD n = m_header.biClrUsed;
  if (!palette || n < 2) return;
  DWORD step = 255 / (n - 1);
  for (DWORD i = 0; i < n; ++i) {
    BYTE level = static_cast<BYTE>(step * i);
    palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = level;
  }
}

bool CPicImage::IsGrayScale() const {
  RGBQUAD* palette = GetPalette();
  if (!palette) return false;
  for (DWORD i = 0; i < m_header.biClrUsed; ++i) {
    if (palette[i].rgbBlue != i || palette[i].rgbGreen != i || palette[i].rgbRed != i) return false;
  }
  return true;
}

bool CPicImage::AlphaPaletteIsValid() const {
  RGBQUAD* palette = GetPalette();
  if (!palette) return false;
  for (DWORD i = 0; i < m_header.biClrUsed; ++i) {
    if (palette[i].rgbReserved != 0) return true;
  }
  return false;
}

void CPicImage::SwapIndex(BYTE a, BYTE b) {
  RGBQUAD* palette = GetPalette();
  if (!palette || a >= m_header.biClrUsed || b >= m_header.biClrUsed) return;
  RGBQUAD held = palette[a];
  palette[a] = palette[b];
  palette[b] = held;
  for (LONG y = 0; y < m_header.biHeight; ++y) {
    for (LONG x = 0; x < m_header.biWidth; ++x) {
      BYTE index = GetPixelIndex(x, y);
      if (index == a) SetPixelIndex(x, y, b);
      else if (index == b) SetPixelIndex(x, y, a);
    }
  }
}

// --- pixels ---

BYTE CPicImage::GetPixelIndex(LONG x, LONG y) const {
  if (!m_dib || m_header.biClrUsed == 0) return 0;
  if (!IsInside(x, y)) return m_info.transIndex != -1 ? static_cast<BYTE>(m_info.transIndex) : 0;
  const BYTE* row = RowPointer(y);
  switch (GetBpp()) {
    case 8: return row[x];
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
  }
}

void CPicImage::SetPixelIndex(LONG x, LONG y, BYTE index) {
  if (!m_dib || m_header.biClrUsed == 0 || !IsInside(x, y)) return;
  BYTE* row = RowPointer(y);
  switch (GetBpp()) {
    case 8: row[x] = index; break;
    case 4: {
      BYTE& cell = row[x >> 1];
      cell = (x & 1) ? static_cast<BYTE>((cell & 0xF0) | (index & 0x0F))
                     : static_cast<BYTE>((cell & 0x0F) | ((index & 0x0F) << 4));
      break;
    }
    case 1: {
      BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
      BYTE& cell = row[x >> 3];
      cell = (index & 1) ? static_cast<BYTE>(cell | mask) : static_cast<BYTE>(cell & ~mask);
      break;
    }
    default: break;
  }
}

RGBQUAD CPicImage::GetPixelColor(LONG x, LONG y) const {
  if (!m_dib || !IsInside(x, y)) {
    if (m_info.transIndex != -1 && GetBpp() < 24) return GetPaletteColor(static_cast<BYTE>(m_info.transIndex));
    return m_info.transColor;
  }
  if (m_header.biClrUsed) return GetPaletteColor(GetPixelIndex(x, y));
  const BYTE* pixel = RowPointer(y) + 3 * x;
  return RGBQUAD{pixel[0], pixel[1], pixel[2], AlphaGet(x, y)};
}

void CPicImage::SetPixelColor(LONG x, LONG y, RGBQUAD color, bool setAlpha) {
  if (!m_dib || !IsInside(x, y)) return;
  if (m_header.biClrUsed) {
    SetPixelIndex(x, y, GetNearestIndex(color));
    return;
  }
  BYTE* pixel = RowPointer(y) + 3 * x;
  pixel[0] = color.rgbBlue;
  pixel[1] = color.rgbGreen;
  pixel[2] = color.rgbRed;
  if (setAlpha) AlphaSet(x, y, color.rgbReserved);
}

void CPicImage::SetPixelColor(LONG x, LONG y, COLORREF color) {
  SetPixelColor(x, y, RGBtoRGBQUAD(color), false);
}

RGBQUAD CPicImage::SetPixelIndexGetColor(LONG x, LONG y, BYTE index) {
  if (!m_dib || m_header.biClrUsed == 0 || !IsInside(x, y)) return RGBQUAD{0, 0, 0, 0};
  SetPixelIndex(x, y, index);
  return GetPaletteColor(index);
}

BYTE CPicImage::GetNearestIndex(RGBQUAD color) const {
  RGBQUAD* palette = GetPalette();
  if (!palette) return 0;
  return NearestIndex(palette, m_header.biClrUsed, color);
}

BYTE CPicImage::GetNearestIndexCached(RGBQUAD color) {
  DWORD key = ColorKey(color);
  BYTE index;
  if (m_colorCache.Find(key, &index)) return index;
  index = GetNearestIndex(color);
  m_colorCache.Insert(key, index);
  return index;
}

void CPicImage::ResetNearestIndexCache(DWORD buckets) { m_colorCache.Reset(buckets); }

void CPicImage::RGBtoBGR(BYTE* buffer, DWORD length) const {
  if (m_header.biClrUsed || !buffer) return;
  DWORD end = length < m_info.rowWidthBytes ? length : m_info.rowWidthBytes;
  for (DWORD i = 0; i < end; i += 3) {
    BYTE held = buffer[i];
    buffer[i] = buffer[i + 2];
    buffer[i + 2] = held;
  }
}

RGBQUAD CPicImage::RGBtoRGBQUAD(COLORREF color) {
  return RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0};
}

// --- alpha ---

bool CPicImage::AlphaCreate() {
  if (!m_dib) return false;
  AlphaDelete();
  m_alpha = static_cast<BYTE*>(calloc(PlaneBytes(), 1));
  return m_alpha != nullptr;
}

void CPicImage::AlphaDelete() {
  if (!m_info.ghost) free(m_alpha);
  m_alpha = nullptr;
}

void CPicImage::AlphaSet(BYTE level) {
  if (m_alpha) memset(m_alpha, level, PlaneBytes());
}

void CPicImage::AlphaSet(LONG x, LONG y, BYTE level) {
  if (m_alpha && IsInside(x, y)) m_alpha[static_cast<size_t>(y) * GetWidth() + x] = level;
}

BYTE CPicImage::AlphaGet(LONG x, LONG y) const {
  if (!m_alpha || !IsInside(x, y)) return 0;
  return m_alpha[static_cast<size_t>(y) * GetWidth() + x];
}

// Copies between pictures of one size; a source of another height is refused
// too, so neither plane is overrun.
bool CPicImage::AlphaCopy(const CPicImage& source) {
  if (!source.m_alpha || source.GetWidth() != GetWidth() || source.GetHeight() != GetHeight()) return false;
  if (!m_alpha) {
    m_alpha = static_cast<BYTE*>(malloc(PlaneBytes() ? PlaneBytes() : 1));
    if (!m_alpha) return false;
  }
  memcpy(m_alpha, source.m_alpha, PlaneBytes());
  m_info.alphaMax = source.m_info.alphaMax;
  return true;
}

bool CPicImage::AlphaFlip() {
  if (!m_alpha) return false;
  BYTE* flipped = static_cast<BYTE*>(malloc(PlaneBytes()));
  if (!flipped) return false;
  size_t width = GetWidth();
  DWORD height = GetHeight();
  for (DWORD y = 0; y < height; ++y) memcpy(flipped + y * width, m_alpha + (height - 1 - y) * width, width);
  AlphaDelete();
  m_alpha = flipped;
  return true;
}

bool CPicImage::AlphaMirror() {
  if (!m_alpha) return false;
  BYTE* mirrored = static_cast<BYTE*>(malloc(PlaneBytes()));
  if (!mirrored) return false;
  size_t width = GetWidth();
  DWORD height = GetHeight();
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* source = m_alpha + y * width;
    BYTE* target = mirrored + y * width;
    for (size_t x = 0; x < width; ++x) target[x] = source[width - 1 - x];
  }
  AlphaDelete();
  m_alpha = mirrored;
  return true;
}

// --- selection ---

bool CPicImage::SelectionDelete() {
  if (!m_info.ghost) free(m_selection);
  m_selection = nullptr;
  m_info.selectionBox = RECT{m_header.biWidth, 0, 0, m_header.biHeight};
  return true;
}

bool CPicImage::SelectionCopy(const CPicImage& source) {
  if (!source.m_selection || source.GetWidth() != GetWidth() || source.GetHeight() != GetHeight()) return false;
  if (!m_selection) {
    m_selection = static_cast<BYTE*>(malloc(PlaneBytes() ? PlaneBytes() : 1));
    if (!m_selection) return false;
  }
  memcpy(m_selection, source.m_selection, PlaneBytes());
  m_info.selectionBox = source.m_info.selectionBox;
  return true;
}

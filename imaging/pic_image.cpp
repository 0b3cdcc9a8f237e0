// CPicImage: construction, storage of the packed bitmap, copies, ghosts and
// hand-over between images.
#include "imaging/pic_image.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kHeaderBytes = sizeof(BITMAPINFOHEADER);
constexpr LONG kDefaultDpi = 72;
constexpr BYTE kDefaultJpegQuality = 75;

DWORD NormaliseBpp(DWORD bpp) {
  if (bpp <= 1) return 1;
  if (bpp <= 4) return 4;
  if (bpp <= 8) return 8;
  return 24;
}

DWORD DefaultPaletteEntries(DWORD bpp) {
  switch (bpp) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

BYTE* CopyPlane(const BYTE* plane, size_t bytes) {
  BYTE* copy = static_cast<BYTE*>(malloc(bytes ? bytes : 1));
  if (copy) memcpy(copy, plane, bytes);
  return copy;
}

// Shifts right by a signed amount; a negative amount shifts left. Bit-field
// masks from a file may be wider than 8 bits or empty.
DWORD ShiftSigned(DWORD value, int right) {
  if (right >= 32 || right <= -32) return 0;
  return right >= 0 ? value >> right : value << -right;
}

int CountBits(DWORD mask) { return __builtin_popcount(mask); }

}  // namespace

CPicImage::CPicImage() { Startup(PIC_FORMAT_UNKNOWN); }

CPicImage::CPicImage(DWORD formatId) { Startup(formatId); }

CPicImage::CPicImage(DWORD width, DWORD height, DWORD bpp, DWORD formatId) {
  Startup(formatId);
  Create(width, height, bpp, formatId);
}

CPicImage::CPicImage(const char* fileName, DWORD formatId, LONG frameIndex) {
  Startup(formatId);
  m_info.frameIndex = frameIndex;
  Load(fileName, formatId);
}

CPicImage::CPicImage(const CPicImage& source, bool copyPixels, bool copySelection, bool copyAlpha) {
  Startup(source.m_info.formatId);
  Copy(source, copyPixels, copySelection, copyAlpha);
}

CPicImage::~CPicImage() {
  Destroy();
  m_colorCache.Clear();
}

void CPicImage::Startup(DWORD formatId) {
  m_dib = nullptr;
  m_alpha = nullptr;
  m_selection = nullptr;
  memset(&m_header, 0, sizeof(m_header));
  m_header.biSize = kHeaderBytes;
  memset(&m_info, 0, sizeof(m_info));
  m_info.formatId = formatId;
  m_info.jpegQuality = kDefaultJpegQuality;
  m_info.alphaMax = 255;
  m_info.transIndex = -1;
  SetXDPI(kDefaultDpi);
  SetYDPI(kDefaultDpi);
}

// A ghost only borrows its source's blocks: dropping them frees nothing.
void CPicImage::Destroy() {
  if (m_info.ghost) {
    m_dib = nullptr;
    m_alpha = nullptr;
    m_selection = nullptr;
    m_info.pixels = nullptr;
    m_info.ghost = nullptr;
    return;
  }
  if (!m_dib) return;
  free(m_selection);
  free(m_alpha);
  free(m_dib);
  m_selection = nullptr;
  m_alpha = nullptr;
  m_dib = nullptr;
  m_info.pixels = nullptr;
}

namespace {

// Bytes of the rows of a picture Create accepts, or 0 for one it refuses.
unsigned long long AcceptedImageBytes(DWORD width, DWORD height, DWORD bpp, DWORD colorCount) {
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return 0;
  bpp = NormaliseBpp(bpp);
  DWORD entries = colorCount ? colorCount : DefaultPaletteEntries(bpp);
  if (entries > 256) return 0;
  unsigned long long rowBytes = ((static_cast<unsigned long long>(width) * bpp + 31) >> 5) << 2;
  unsigned long long imageBytes = rowBytes * height;
  return imageBytes > kMaxImageBytes ? 0 : imageBytes;
}

}  // namespace

bool CPicImage::StopAtSize(DWORD width, DWORD height, DWORD bpp) {
  if (!AcceptedImageBytes(width, height, bpp, 0)) return false;
  m_header.biWidth = static_cast<LONG>(width);
  m_header.biHeight = static_cast<LONG>(height);
  m_header.biBitCount = static_cast<WORD>(NormaliseBpp(bpp));
  return true;
}

void* CPicImage::Create(DWORD width, DWORD height, DWORD bpp, DWORD formatId, DWORD colorCount) {
  Destroy();
  // Planes left from an earlier life without a block are ours to free; the
  // ghost case was settled by Destroy.
  free(m_selection);
  free(m_alpha);
  m_selection = nullptr;
  m_alpha = nullptr;

  const unsigned long long imageBytes = AcceptedImageBytes(width, height, bpp, colorCount);
  if (!imageBytes) return nullptr;
  bpp = NormaliseBpp(bpp);
  DWORD entries = colorCount ? colorCount : DefaultPaletteEntries(bpp);
  unsigned long long rowBytes = imageBytes / height;

  m_header.biSize = kHeaderBytes;
  m_header.biWidth = static_cast<LONG>(width);
  m_header.biHeight = static_cast<LONG>(height);
  m_header.biPlanes = 1;
  m_header.biBitCount = static_cast<WORD>(bpp);
  m_header.biCompression = BI_RGB;
  m_header.biSizeImage = static_cast<DWORD>(imageBytes);
  m_header.biClrUsed = entries;
  m_header.biClrImportant = 0;
  m_info.rowWidthBytes = static_cast<DWORD>(rowBytes);
  m_info.formatId = formatId;

  // Zeroed so that rows a short read leaves unfilled show black, never
  // earlier heap contents.
  m_dib = calloc(1, GetSize());
  if (!m_dib) {
    m_info.pixels = nullptr;
    return nullptr;
  }
  memcpy(m_dib, &m_header, kHeaderBytes);
  m_info.pixels = GetBits();
  return m_dib;
}

BYTE* CPicImage::GetBits() const {
  if (!m_dib) return nullptr;
  DWORD headerSize = *static_cast<const DWORD*>(m_dib);
  return static_cast<BYTE*>(m_dib) + headerSize + 4 * m_header.biClrUsed;
}

DWORD CPicImage::GetSize() const {
  return m_header.biSize + m_header.biSizeImage + 4 * m_header.biClrUsed;
}

bool CPicImage::IsInside(LONG x, LONG y) const {
  return x >= 0 && y >= 0 && x < m_header.biWidth && y < m_header.biHeight;
}

size_t CPicImage::PlaneBytes() const {
  return static_cast<size_t>(GetWidth()) * GetHeight();
}

void CPicImage::Clear(BYTE value) {
  if (m_dib) memset(m_info.pixels, value, m_header.biSizeImage);
}

void CPicImage::Copy(const CPicImage& source, bool copyPixels, bool copySelection, bool copyAlpha) {
  // The source's info block names its own pixels and, for a ghost, the image
  // it borrows from; neither belongs to the copy.
  CPicImage* ownGhost = m_info.ghost;
  BYTE* ownPixels = m_info.pixels;
  m_info = source.m_info;
  m_info.ghost = ownGhost;
  m_info.pixels = ownPixels;
  if (!Create(source.GetWidth(), source.GetHeight(), source.GetBpp(), source.m_info.formatId,
              source.m_dib ? source.m_header.biClrUsed : 0))
    return;
  if (copyPixels && source.m_dib) {
    memcpy(m_dib, source.m_dib, GetSize());
  } else {
    SetPalette(source.GetPalette(), 256);
  }
  if (copySelection && source.m_selection) {
    m_selection = CopyPlane(source.m_selection, PlaneBytes());
  }
  if (copyAlpha && source.m_alpha) {
    m_alpha = CopyPlane(source.m_alpha, PlaneBytes());
  }
}

void CPicImage::CopyInfo(const CPicImage& source) {
  if (m_dib) return;
  CPicImage* ownGhost = m_info.ghost;
  m_info = source.m_info;
  m_info.ghost = ownGhost;
  m_info.pixels = nullptr;
}

void CPicImage::Transfer(CPicImage& source) {
  Destroy();
  m_header = source.m_header;
  m_info = source.m_info;
  m_dib = source.m_dib;
  m_selection = source.m_selection;
  m_alpha = source.m_alpha;
  memset(&source.m_header, 0, sizeof(source.m_header));
  memset(&source.m_info, 0, sizeof(source.m_info));
  source.m_dib = nullptr;
  source.m_selection = nullptr;
  source.m_alpha = nullptr;
}

void CPicImage::Ghost(const CPicImage* source) {
  if (!source) return;
  Destroy();
  m_header = source->m_header;
  m_info = source->m_info;
  m_dib = source->m_dib;
  m_selection = source->m_selection;
  m_alpha = source->m_alpha;
  m_info.ghost = const_cast<CPicImage*>(source);
}

bool CPicImage::CreateFromBGRA(DWORD width, DWORD height, const BYTE* pixels) {
  if (!pixels) return false;
  if (!Create(width, height, 24, PIC_FORMAT_UNKNOWN)) return false;
  if (!m_alpha && !AlphaCreate()) return false;
  for (DWORD line = 0; line < height; ++line) {
    DWORD row = height - 1 - line;
    const BYTE* source = pixels + static_cast<size_t>(line) * width * 4;
    BYTE* target = RowPointer(row);
    BYTE* alpha = m_alpha + static_cast<size_t>(row) * width;
    for (DWORD x = 0; x < width; ++x, source += 4, target += 3) {
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
      alpha[x] = source[3];
    }
  }
  return true;
}

// Widens 16- or 32-bit pixels to 24 bits. The 16-bit source may be this
// image's own pixel block: rows are converted from the last one back, so the
// wider result never overwrites source bytes still to be read.
void CPicImage::Bitfield2RGB(BYTE* source, DWORD redMask, DWORD greenMask, DWORD blueMask, BYTE bits) {
  if (!m_dib || !source || GetBpp() != 24) return;
  DWORD width = GetWidth();
  DWORD height = GetHeight();
  if (bits == 16) {
    size_t sourceRow = static_cast<size_t>((width + 1) / 2) * 4;
    for (DWORD y = height; y-- > 0;) Bitfield16Row(RowPointer(y), source + y * sourceRow, width, redMask, greenMask, blueMask);
  } else if (bits == 32) {
    size_t sourceRow = static_cast<size_t>(width) * 4;
    for (DWORD y = height; y-- > 0;) {
      const BYTE* line = source + y * sourceRow;
      BYTE* target = RowPointer(y);
      for (DWORD x = 0; x < width; ++x) memcpy(target + 3 * x, line + 4 * x, 3);
    }
  }
}

void CPicImage::Bitfield16Row(BYTE* row, const BYTE* source, DWORD width, DWORD redMask, DWORD greenMask,
                              DWORD blueMask) {
  int r = CountBits(redMask & 0xFFFF), g = CountBits(greenMask & 0xFFFF), b = CountBits(blueMask & 0xFFFF);
  for (DWORD x = width; x-- > 0;) {
    DWORD w = source[2 * x] | (source[2 * x + 1] << 8);
    BYTE blue = static_cast<BYTE>(ShiftSigned(w & blueMask, -(8 - r)));
    BYTE green = static_cast<BYTE>(ShiftSigned(w & greenMask, r + g - 8));
    BYTE red = static_cast<BYTE>(ShiftSigned(w & redMask, r + g + b - 8));
    row[3 * x] = blue;
    row[3 * x + 1] = green;
    row[3 * x + 2] = red;
  }
}

BYTE CPicImage::GetColorType() const {
  if (m_alpha) return 4;
  return GetBpp() <= 8 ? 1 : 2;
}

RGBQUAD CPicImage::GetTransColor() const {
  if (GetBpp() < 24 && m_info.transIndex != -1) return GetPaletteColor(static_cast<BYTE>(m_info.transIndex));
  return m_info.transColor;
}

void CPicImage::SetLastError(const char* text) {
  if (!text) text = "";
  strncpy(m_info.lastError, text, sizeof(m_info.lastError) - 1);
  m_info.lastError[sizeof(m_info.lastError) - 1] = 0;
}

void CPicImage::SetJpegQuality(BYTE quality) {
  m_info.jpegQuality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
}

void CPicImage::SetFrameOffset(LONG x, LONG y) {
  m_info.frameOffsetX = x;
  m_info.frameOffsetY = y;
}

namespace {

// Pixels a metre of a resolution in dots an inch. Files may claim any value:
// it is clamped to what the header's signed 32-bit field holds.
LONG DpiToPelsPerMeter(LONG dpi) {
  const double pels = floor(dpi * 39.37007874015748 + 0.5);
  if (pels >= 2147483647.0) return 2147483647;
  if (pels <= -2147483648.0) return -2147483647 - 1;
  return static_cast<LONG>(pels);
}

}  // namespace

void CPicImage::SetXDPI(LONG dpi) {
  m_info.xDpi = dpi;
  m_header.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
}

void CPicImage::SetYDPI(LONG dpi) {
  m_info.yDpi = dpi;
  m_header.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
}

int CPicImage::CompareColorsByLuminance(const BYTE* a, const BYTE* b) {
  int la = (30 * a[2] + 59 * a[1] + 11 * a[0]) / 100;
  int lb = (30 * b[2] + 59 * b[1] + 11 * b[0]) / 100;
  if (la == lb) return 0;
  return la > lb ? 1 : -1;
}

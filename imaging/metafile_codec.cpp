// WMF and EMF format class of the codec library. A placeable Windows metafile
// becomes an enhanced metafile sized by its box; either is played onto a
// window-coloured bitmap whose pixels become the picture.
#include "imaging/metafile_codec.h"

#include <algorithm>
#include <vector>

#include "imaging/little_endian.h"
#include "imaging/pic_file.h"

namespace {

constexpr DWORD kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableBytes = 22;
constexpr size_t kWindowsHeaderBytes = 18;
constexpr WORD kMaxUnitsPerInch = 2540;
constexpr LONG kMaxSide = 4000;
// The picture description's extents grow by tens while both stay below this.
constexpr LONG kExtentGrowthLimit = 6554;
constexpr int kColorWindow = 5;

using le::Dword;
using le::Word;

// The screen's logical pixels per inch, as a screen context reports them.
void ScreenDpi(LONG* x, LONG* y) {
  HDC screen = CreateCompatibleDC(nullptr);
  *x = GetDeviceCaps(screen, LOGPIXELSX);
  *y = GetDeviceCaps(screen, LOGPIXELSY);
  DeleteDC(screen);
}

// The placeable header's box in screen pixels.
void PlaceableSize(const CPicImageWMF::PlaceableHeader& h, LONG* width, LONG* height) {
  LONG dpiX = 0, dpiY = 0;
  ScreenDpi(&dpiX, &dpiY);
  *width = (static_cast<LONG>(h.right) - h.left) * dpiX / h.unitsPerInch;
  *height = (static_cast<LONG>(h.bottom) - h.top) * dpiY / h.unitsPerInch;
}

}  // namespace

bool CPicImageWMF::CheckPlaceableHeader(const PlaceableHeader& h) {
  const WORD words[10] = {static_cast<WORD>(h.key & 0xFFFF), static_cast<WORD>(h.key >> 16), h.handle,
                          static_cast<WORD>(h.left), static_cast<WORD>(h.top), static_cast<WORD>(h.right),
                          static_cast<WORD>(h.bottom), h.unitsPerInch, static_cast<WORD>(h.reserved & 0xFFFF),
                          static_cast<WORD>(h.reserved >> 16)};
  WORD sum = 0;
  for (WORD w : words) sum ^= w;
  return h.key == kPlaceableKey && sum == h.checksum && h.unitsPerInch > 0 &&
         h.unitsPerInch <= kMaxUnitsPerInch;
}

HENHMETAFILE CPicImageWMF::ReadPlaceableMetafile(CPicFile* file, PlaceableHeader* header) {
  LONG start = file->Tell();
  LONG streamSize = file->Size();
  BYTE raw[kPlaceableBytes];
  if (file->Read(raw, 1, kPlaceableBytes) != kPlaceableBytes) return nullptr;
  PlaceableHeader& h = *header;
  h.key = Dword(raw);
  h.handle = Word(raw + 4);
  h.left = static_cast<SHORT>(Word(raw + 6));
  h.top = static_cast<SHORT>(Word(raw + 8));
  h.right = static_cast<SHORT>(Word(raw + 10));
  h.bottom = static_cast<SHORT>(Word(raw + 12));
  h.unitsPerInch = Word(raw + 14);
  h.reserved = Dword(raw + 16);
  h.checksum = Word(raw + 20);
  if (!CheckPlaceableHeader(h)) return nullptr;

  BYTE meta[kWindowsHeaderBytes];
  if (file->Read(meta, 1, kWindowsHeaderBytes) != kWindowsHeaderBytes) return nullptr;
  WORD type = Word(meta);
  unsigned long long bytes = static_cast<unsigned long long>(Dword(meta + 6)) * 2;
  if ((type != 1 && type != 2) || streamSize < 0 || bytes > static_cast<unsigned long long>(streamSize))
    return nullptr;
  std::vector<BYTE> bits(bytes);
  if (!file->Seek(start + static_cast<LONG>(kPlaceableBytes), SEEK_SET) ||
      file->Read(bits.data(), 1, bits.size()) != bits.size())
    return nullptr;

  LONG xExt = 0, yExt = 0;
  PlaceableSize(h, &xExt, &yExt);
  // An empty or turned-over box would never leave the growth loop (or would
  // overflow in it); such a picture is refused as empty by the caller.
  if (xExt > 0 && yExt > 0) {
    while (xExt < kExtentGrowthLimit && yExt < kExtentGrowthLimit) {
      xExt *= 10;
      yExt *= 10;
    }
  }
  METAFILEPICT pict{MM_ANISOTROPIC, xExt, yExt, nullptr};
  HDC screen = CreateCompatibleDC(nullptr);
  HENHMETAFILE metafile = SetWinMetaFileBits(static_cast<UINT>(bits.size()), bits.data(), screen, &pict);
  DeleteDC(screen);
  return metafile;
}

HENHMETAFILE CPicImageWMF::ReadEnhancedMetafile(CPicFile* file, ENHMETAHEADER* header) {
  LONG start = file->Tell();
  LONG size = file->Size();
  if (start < 0 || size <= start) return nullptr;
  std::vector<BYTE> bytes(static_cast<size_t>(size - start));
  if (file->Read(bytes.data(), 1, bytes.size()) != bytes.size()) return nullptr;
  HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  if (!metafile) return nullptr;
  if (GetEnhMetaFileHeader(metafile, sizeof(ENHMETAHEADER), header) == 0) {
    DeleteEnhMetaFile(metafile);
    return nullptr;
  }
  return metafile;
}

void CPicImageWMF::ClampMetafileSize(LONG& width, LONG& height) {
  if (width > kMaxSide) {
    height = static_cast<LONG>(static_cast<long long>(height) * kMaxSide / width);
    width = kMaxSide;
  }
  if (height > kMaxSide) {
    width = static_cast<LONG>(static_cast<long long>(width) * kMaxSide / height);
    height = kMaxSide;
  }
}

bool CPicImageWMF::Decode(CPicFile* file, LONG width, LONG height) {
  if (!file) return false;
  LONG start = file->Tell();
  PlaceableHeader placeable{};
  LONG w = 0, h = 0;
  HENHMETAFILE metafile = ReadPlaceableMetafile(file, &placeable);
  if (metafile) {
    PlaceableSize(placeable, &w, &h);
  } else {
    ENHMETAHEADER header{};
    file->Seek(start, SEEK_SET);
    metafile = ReadEnhancedMetafile(file, &header);
    if (!metafile) {
      SetLastError("corrupted WMF");
      return false;
    }
    // Bounds from the file may lie anywhere in 32 bits; their difference may not.
    long long bw = static_cast<long long>(header.rclBounds.right) - header.rclBounds.left;
    long long bh = static_cast<long long>(header.rclBounds.bottom) - header.rclBounds.top;
    w = static_cast<LONG>(std::clamp<long long>(bw, -1, 0x7FFFFFFF));
    h = static_cast<LONG>(std::clamp<long long>(bh, -1, 0x7FFFFFFF));
  }
  // A box turned inside out is as empty as one of no size.
  if (w <= 0 || h <= 0) {
    DeleteEnhMetaFile(metafile);
    SetLastError("empty WMF");
    return false;
  }
  if (width != 0 && height != 0) {
    w = width;
    h = height;
  }
  ClampMetafileSize(w, h);
  // A sliver clamped down to nothing has nothing to show either.
  if (w <= 0 || h <= 0) {
    DeleteEnhMetaFile(metafile);
    SetLastError("empty WMF");
    return false;
  }
  bool rendered = Render(metafile, w, h);
  DeleteEnhMetaFile(metafile);
  return rendered;
}

// Plays the metafile onto a window-coloured bitmap and reads its pixels.
bool CPicImageWMF::Render(HENHMETAFILE metafile, LONG width, LONG height) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  // The screen's depth: 32 bits, held in a DIB section of that depth.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!bitmap) {
    DeleteDC(dc);
    return false;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  int bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL);
  RECT rect{0, 0, width, height};
  COLORREF previous = SetBkColor(dc, GetSysColor(kColorWindow));
  if (!ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr)) {
    // Without any font the text call refuses; the background still has to be there.
    HBRUSH brush = CreateSolidBrush(GetSysColor(kColorWindow));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  }
  SetBkColor(dc, previous);

  HPALETTE palette = nullptr;
  UINT entries = GetEnhMetaFilePaletteEntries(metafile, 0, nullptr);
  if (entries != 0 && entries != GDI_ERROR) {
    std::vector<BYTE> block(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(entries);
    GetEnhMetaFilePaletteEntries(metafile, entries, logical->palPalEntry);
    palette = CreatePalette(logical);
    if (palette) {
      SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
    }
  }
  PlayEnhMetaFile(dc, metafile, &rect);
  SelectObject(dc, old);

  bool copied = false;
  if (Create(width, height, bitsPerPixel, PIC_FORMAT_WMF)) {
    copied = GetDIBits(dc, bitmap, 0, height, GetBits(), reinterpret_cast<BITMAPINFO*>(&m_header),
                       DIB_RGB_COLORS) > 0;
  }
  DeleteObject(bitmap);
  DeleteDC(dc);
  if (palette) DeleteObject(palette);
  return copied;
}

bool CPicImageWMF::Encode(CPicFile* file) {
  if (!file) return false;
  SetLastError("Save WMF not supported");
  return false;
}

// Bitmaps from the program's compiled resources and from .bmp files:
// LoadBitmapW and LoadImageW. Every size in the data is checked before use.
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "compat/host_path.h"
#include "compat/resource_table.h"
#include "compat/win32/gdi_internal.h"
#include "compat/win32/user.h"

namespace compat::gdi {

namespace {

constexpr WORD kBitmapType = 2;  // RT_BITMAP
constexpr size_t kMaxBmpFileBytes = size_t{1} << 30;

// The bytes a packed DIB needs: header, colour table and rows.
bool PackedDibFits(const BYTE* data, size_t size, size_t* bitsOffset) {
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof(h));
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == INT32_MIN || h.biWidth > kMaxBitmapSide || std::abs(h.biHeight) > kMaxBitmapSide)
    return false;
  uint64_t colors = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : (1u << h.biBitCount)) : 0;
  if (colors > 256) return false;
  uint64_t masks = h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
  uint64_t offset = h.biSize + masks + colors * 4;
  uint64_t stride = ((uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  if (offset + stride * uint64_t(std::abs(h.biHeight)) > size) return false;
  *bitsOffset = static_cast<size_t>(offset);
  return true;
}

// `bitsAt` overrides where the rows start (a file header says so), 0 to follow the table.
HBITMAP BitmapFromPackedDib(const BYTE* data, size_t size, UINT flags, size_t bitsAt = 0) {
  size_t offset = 0;
  if (!data || !PackedDibFits(data, size, &offset)) return nullptr;
  if (bitsAt > offset) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof(h));
    uint64_t stride = ((uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    if (bitsAt + stride * uint64_t(std::abs(h.biHeight)) > size) return nullptr;
    offset = bitsAt;
  }
  // The header may be longer than 40 bytes; the decoder reads what it needs.
  const auto* info = reinterpret_cast<const BITMAPINFO*>(data);
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof(h));
  if (flags & LR_CREATEDIBSECTION) {
    BITMAPINFOHEADER sectionHeader = h;
    sectionHeader.biSize = sizeof(BITMAPINFOHEADER);
    sectionHeader.biBitCount = 32;
    sectionHeader.biCompression = BI_RGB;
    sectionHeader.biClrUsed = 0;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&sectionHeader),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    SetDIBits(dc, section, 0, static_cast<UINT>(std::abs(h.biHeight)), data + offset, info, DIB_RGB_COLORS);
    DeleteDC(dc);
    return section;
  }
  HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &h, CBM_INIT, data + offset, info, DIB_RGB_COLORS);
  DeleteDC(screen);
  return bitmap;
}

// A copy of a packed DIB whose colour table has the mapped colours replaced; rows of more
// than 8 bits have no table and are left as they are.
std::vector<uint32_t> MapColorTable(const BYTE* data, size_t size, const compat::ColorMapping* map, size_t count) {
  std::vector<uint32_t> aligned((size + 3) / 4, 0);
  std::memcpy(aligned.data(), data, size);
  size_t bitsOffset = 0;
  if (!PackedDibFits(data, size, &bitsOffset)) return aligned;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof(h));
  if (h.biBitCount > 8) return aligned;
  auto* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(aligned.data()) + h.biSize);
  const size_t colors = (bitsOffset - h.biSize) / sizeof(RGBQUAD);
  for (size_t i = 0; i < colors; ++i) {
    const COLORREF c = RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
    for (size_t m = 0; m < count; ++m) {
      if (map[m].from != c) continue;
      table[i] = RGBQUAD{GetBValue(map[m].to), GetGValue(map[m].to), GetRValue(map[m].to), 0};
      break;
    }
  }
  return aligned;
}

// The platform's 3-D greys, replaced by the system colours in force.
HBITMAP BitmapWith3DColors(const BYTE* data, size_t size, UINT flags) {
  const compat::ColorMapping map[] = {{RGB(128, 128, 128), GetSysColor(COLOR_3DSHADOW)},
                                      {RGB(192, 192, 192), GetSysColor(COLOR_3DFACE)},
                                      {RGB(223, 223, 223), GetSysColor(COLOR_3DLIGHT)}};
  std::vector<uint32_t> mapped = MapColorTable(data, size, map, 3);
  return BitmapFromPackedDib(reinterpret_cast<const BYTE*>(mapped.data()), size, flags);
}

const ResourceEntry* FindBitmap(LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;  // only numbered bitmaps are compiled
  WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  for (auto module : {ResourceModule::Program, ResourceModule::Framework})
    if (const ResourceEntry* e = FindResourceEntry(module, kBitmapType, id)) return e;
  return nullptr;
}

HBITMAP BitmapFromFile(LPCWSTR path, UINT flags) {
  std::ifstream in(ToHostPath(path), std::ios::binary);
  if (!in) return nullptr;
  std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < sizeof(BITMAPFILEHEADER) || bytes.size() > kMaxBmpFileBytes) return nullptr;
  BITMAPFILEHEADER file;
  std::memcpy(&file, bytes.data(), sizeof(file));
  if (file.bfType != 0x4D42) return nullptr;  // "BM"
  // The DIB follows a 14-byte header: copy it to aligned memory before reading its records.
  size_t dibSize = bytes.size() - sizeof(file);
  std::vector<uint32_t> aligned((dibSize + 3) / 4);
  std::memcpy(aligned.data(), bytes.data() + sizeof(file), dibSize);
  size_t bitsAt = file.bfOffBits > sizeof(file) ? file.bfOffBits - sizeof(file) : 0;
  return BitmapFromPackedDib(reinterpret_cast<const BYTE*>(aligned.data()), dibSize, flags, bitsAt);
}

}  // namespace

}  // namespace compat::gdi

using namespace compat::gdi;

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR name) {
  const compat::ResourceEntry* e = FindBitmap(name);
  return e ? BitmapFromPackedDib(e->data, e->size, 0) : nullptr;
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT flags) {
  switch (type) {
    case IMAGE_BITMAP:
      if (flags & LR_LOADFROMFILE) return name ? BitmapFromFile(name, flags) : nullptr;
      if (const compat::ResourceEntry* e = FindBitmap(name))
        return (flags & LR_LOADMAP3DCOLORS) ? BitmapWith3DColors(e->data, e->size, flags)
                                            : BitmapFromPackedDib(e->data, e->size, flags);
      return nullptr;
    case IMAGE_CURSOR:
      return (flags & LR_LOADFROMFILE) ? nullptr : LoadCursorW(instance, name);
    case IMAGE_ICON:
      return (flags & LR_LOADFROMFILE) ? nullptr : LoadIconW(instance, name);
    default:
      return nullptr;
  }
}

HBITMAP compat::BitmapWithMappedColors(const BYTE* dib, size_t size, const ColorMapping* map, size_t count) {
  if (!dib || (count && !map)) return nullptr;
  std::vector<uint32_t> mapped = MapColorTable(dib, size, map, count);
  return BitmapFromPackedDib(reinterpret_cast<const BYTE*>(mapped.data()), size, 0);
}

// Icons and cursors from the compiled RT_GROUP_ICON / RT_GROUP_CURSOR resources: the
// group picks an image, whose DIB (colour rows, then the 1-bit mask) becomes an icon.
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "compat/win32.h"

namespace compat {

namespace {

constexpr WORD kCursorImage = 1, kIconImage = 3, kGroupCursor = 12, kGroupIcon = 14;
constexpr size_t kGroupHeaderBytes = 6, kGroupEntryBytes = 14;
constexpr LONG kMaxIconSide = 256;
constexpr int kPreferredSide = 32;  // SM_CXICON / SM_CXCURSOR

WORD ReadWord(const BYTE* p) {
  WORD w;
  std::memcpy(&w, p, sizeof(w));
  return w;
}

// The image id the group offers at the preferred size, else its first image.
bool PickImage(const ResourceEntry& group, bool cursor, WORD* imageId) {
  if (group.size < kGroupHeaderBytes) return false;
  const size_t count = ReadWord(group.data + 4);
  if (count == 0 || kGroupHeaderBytes + count * kGroupEntryBytes > group.size) return false;
  for (size_t i = 0; i < count; ++i) {
    const BYTE* e = group.data + kGroupHeaderBytes + i * kGroupEntryBytes;
    const int width = cursor ? ReadWord(e) : (e[0] ? e[0] : 256);
    if (i == 0 || width == kPreferredSide) *imageId = ReadWord(e + 12);
    if (width == kPreferredSide) break;
  }
  return true;
}

struct IconDib {
  std::vector<uint32_t> aligned;  // header, colour table and rows, DWORD-aligned
  LONG width = 0, height = 0;     // of one plane
  size_t colorBits = 0, maskBits = 0;
};

// Checks an image's DIB (whose height counts both planes) and where its planes lie.
bool ReadIconDib(const BYTE* data, size_t size, IconDib* dib) {
  BITMAPINFOHEADER h;
  if (size < sizeof(h)) return false;
  std::memcpy(&h, data, sizeof(h));
  const bool depthOk = h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 24 ||
                       h.biBitCount == 32;
  if (h.biSize < sizeof(h) || h.biSize > size || !depthOk || h.biCompression != BI_RGB || h.biWidth <= 0 ||
      h.biWidth > kMaxIconSide || h.biHeight <= 0 || h.biHeight % 2 != 0 || h.biHeight / 2 > kMaxIconSide)
    return false;
  const uint64_t colors = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : (1u << h.biBitCount)) : 0;
  if (colors > 256) return false;
  const uint64_t rows = static_cast<uint64_t>(h.biHeight / 2);
  const uint64_t colorStride = ((uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  const uint64_t maskStride = ((uint64_t(h.biWidth) + 31) / 32) * 4;
  const uint64_t colorAt = h.biSize + colors * 4;
  const uint64_t maskAt = colorAt + colorStride * rows;
  if (maskAt + maskStride * rows > size) return false;
  dib->aligned.assign((size + 3) / 4, 0);
  std::memcpy(dib->aligned.data(), data, size);
  dib->width = h.biWidth;
  dib->height = static_cast<LONG>(rows);
  dib->colorBits = static_cast<size_t>(colorAt);
  dib->maskBits = static_cast<size_t>(maskAt);
  return true;
}

HICON IconFromImage(const BYTE* data, size_t size, bool cursor) {
  POINT hotspot{0, 0};
  if (cursor) {
    if (size < 4) return nullptr;
    hotspot = POINT{ReadWord(data), ReadWord(data + 2)};
    data += 4;
    size -= 4;
  }
  IconDib dib;
  if (!ReadIconDib(data, size, &dib)) return nullptr;
  auto* bytes = reinterpret_cast<BYTE*>(dib.aligned.data());
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(bytes);
  header->biHeight = dib.height;  // the colour plane alone
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP color = CreateBitmap(dib.width, dib.height, 1, 32, nullptr);
  SetDIBits(dc, color, 0, static_cast<UINT>(dib.height), bytes + dib.colorBits,
            reinterpret_cast<const BITMAPINFO*>(bytes), DIB_RGB_COLORS);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } maskInfo{};
  maskInfo.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), dib.width, dib.height, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
  maskInfo.colors[1] = RGBQUAD{255, 255, 255, 0};
  HBITMAP mask = CreateBitmap(dib.width, dib.height, 1, 1, nullptr);
  SetDIBits(dc, mask, 0, static_cast<UINT>(dib.height), bytes + dib.maskBits,
            reinterpret_cast<const BITMAPINFO*>(&maskInfo), DIB_RGB_COLORS);
  DeleteDC(dc);
  ICONINFO info{cursor ? FALSE : TRUE, static_cast<DWORD>(hotspot.x), static_cast<DWORD>(hotspot.y), mask, color};
  HICON icon = (mask && color) ? CreateSharedIcon(&info) : nullptr;
  if (mask) DeleteObject(mask);
  if (color) DeleteObject(color);
  return icon;
}

}  // namespace

HICON SharedResourceIcon(ResourceModule module, WORD id, bool cursor) {
  static std::mutex mutex;
  static std::map<std::tuple<int, WORD, bool>, HICON> loaded;
  std::lock_guard lock(mutex);
  HICON& slot = loaded[{static_cast<int>(module), id, cursor}];
  if (slot) return slot;
  const ResourceEntry* group = FindResourceEntry(module, cursor ? kGroupCursor : kGroupIcon, id);
  WORD imageId = 0;
  if (!group || !PickImage(*group, cursor, &imageId)) return nullptr;
  const ResourceEntry* image = FindResourceEntry(module, cursor ? kCursorImage : kIconImage, imageId);
  if (!image) return nullptr;
  slot = IconFromImage(image->data, image->size, cursor);
  return slot;
}

}  // namespace compat

// Cursors: the standard shapes, the current cursor, its position, show count
// and clipping rectangle.
#include <algorithm>

#include "compat/host.h"
#include "compat/resource_table.h"
#include "compat/win32/resource.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

using compat::ResourceModule;

struct StockCursor {
  WORD id;
  host::CursorShape shape;
};

constexpr StockCursor kStockCursors[] = {
    {32512, host::CursorShape::Arrow},    {32513, host::CursorShape::IBeam},
    {32514, host::CursorShape::Wait},     {32515, host::CursorShape::Cross},
    {32516, host::CursorShape::UpArrow},  {32642, host::CursorShape::SizeNWSE},
    {32643, host::CursorShape::SizeNESW}, {32644, host::CursorShape::SizeWE},
    {32645, host::CursorShape::SizeNS},   {32646, host::CursorShape::SizeAll},
    {32648, host::CursorShape::No},       {32649, host::CursorShape::Hand},
    {32650, host::CursorShape::AppStarting}, {32651, host::CursorShape::Help},
};
constexpr size_t kStockCount = sizeof(kStockCursors) / sizeof(kStockCursors[0]);

// Stock cursor handles point into this table; they are never freed.
struct CursorObject {
  host::CursorShape shape;
};
CursorObject g_cursors[kStockCount];
CursorObject g_icons[6];

host::CursorShape ShapeOf(HCURSOR cursor) {
  for (size_t i = 0; i < kStockCount; ++i) {
    if (cursor == reinterpret_cast<HCURSOR>(&g_cursors[i])) return kStockCursors[i].shape;
  }
  return host::CursorShape::Custom;
}

}  // namespace

// A cursor or icon object's picture as straight ARGB: its colour bitmap with
// the mask's transparency (or the colour's own alpha), or for a black-and-white
// one the AND and XOR halves of the mask (inverted pixels show black).
host::CursorImage IconPicture(HICON icon) {
  host::CursorImage image;
  image.shape = host::CursorShape::Custom;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return image;
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof(mask), &mask);
  const int width = mask.bmWidth, height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  auto rows = [](HBITMAP bitmap, int w, int h) {
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return pixels;
  };
  if (width > 0 && height > 0 && width <= 256 && height <= 256) {
    const auto maskBits = rows(info.hbmMask, mask.bmWidth, mask.bmHeight);
    const size_t count = static_cast<size_t>(width) * height;
    image.width = width;
    image.height = height;
    image.hotX = static_cast<int>(info.xHotspot);
    image.hotY = static_cast<int>(info.yHotspot);
    image.argb.resize(count);
    if (info.hbmColor) {
      const auto color = rows(info.hbmColor, width, height);
      const bool hasAlpha = std::any_of(color.begin(), color.end(), [](uint32_t p) { return p >> 24; });
      for (size_t i = 0; i < count; ++i) {
        const bool transparent = (maskBits[i] & 0xFFFFFF) != 0;
        image.argb[i] = hasAlpha ? color[i] : transparent ? 0 : (color[i] | 0xFF000000u);
      }
    } else {
      for (size_t i = 0; i < count; ++i) {
        const bool andBit = (maskBits[i] & 0xFFFFFF) != 0, xorBit = (maskBits[i + count] & 0xFFFFFF) != 0;
        image.argb[i] = andBit && !xorBit ? 0 : (xorBit && !andBit) ? 0xFFFFFFFFu : 0xFF000000u;
      }
    }
  }
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return image;
}

namespace {

void ShowOnHost() {
  UserState& s = State();
  if (s.cursorShowCount < 0 || !s.currentCursor) {
    host::SetCursor(host::CursorShape::Hidden);
    return;
  }
  const host::CursorShape shape = ShapeOf(s.currentCursor);
  if (shape != host::CursorShape::Custom) {
    host::SetCursor(shape);
    return;
  }
  // The picture is read once per change of cursor, not on every WM_SETCURSOR.
  static HCURSOR shownCursor = nullptr;
  static host::CursorImage shownPicture;
  if (s.currentCursor != shownCursor || host::CurrentCursor() != host::CursorShape::Custom) {
    shownCursor = s.currentCursor;
    shownPicture = IconPicture(reinterpret_cast<HICON>(s.currentCursor));
  }
  host::SetCursor(shownPicture);
}

// Cursors and icons from the resources (the program's, then the framework's): one shared
// handle per resource, which GetIconInfo describes; the host shows cursors as its custom shape.
HICON ResourceIcon(WORD id, bool cursor) {
  for (auto module : {ResourceModule::Program, ResourceModule::Framework})
    if (HICON icon = compat::SharedResourceIcon(module, id, cursor)) return icon;
  return nullptr;
}

}  // namespace

HCURSOR StockCursorHandle(WORD id) {
  for (size_t i = 0; i < kStockCount; ++i) {
    if (kStockCursors[i].id == id) {
      g_cursors[i].shape = kStockCursors[i].shape;
      return reinterpret_cast<HCURSOR>(&g_cursors[i]);
    }
  }
  return nullptr;
}

POINT ClampToClip(POINT p) {
  UserState& s = State();
  RECT desk = Find(Desktop())->rect;
  RECT clip = s.cursorClipped ? s.cursorClip : desk;
  p.x = std::clamp<LONG>(p.x, clip.left, std::max(clip.left, clip.right - 1));
  p.y = std::clamp<LONG>(p.y, clip.top, std::max(clip.top, clip.bottom - 1));
  return p;
}

}  // namespace compat::user

using namespace compat::user;

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;  // resources are compiled with numeric ids
  const WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
  if (!instance) return StockCursorHandle(id);
  return ResourceIcon(id, true);
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
  if (instance) return ResourceIcon(id, false);
  if (id < 32512 || id > 32517) return nullptr;
  // The application icon has a picture in the framework's table; the others stay placeholders.
  if (HICON icon = compat::SharedResourceIcon(ResourceModule::Framework, id, false)) return icon;
  return reinterpret_cast<HICON>(&g_icons[id - 32512]);
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  Guard guard = Lock();
  UserState& s = State();
  HCURSOR old = s.currentCursor;
  s.currentCursor = cursor;
  ShowOnHost();
  return old;
}

HCURSOR WINAPI GetCursor() {
  Guard guard = Lock();
  return State().currentCursor;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  Guard guard = Lock();
  *point = State().cursor;
  return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
  // Moving the pointer is input: windows see the move as a user's; the
  // host's real pointer goes there too.
  compat::host::WarpPointer(x, y);
  compat::host::InjectMouseMove(x, y);
  return TRUE;
}

int WINAPI ShowCursor(BOOL show) {
  Guard guard = Lock();
  UserState& s = State();
  s.cursorShowCount += show ? 1 : -1;
  ShowOnHost();
  return s.cursorShowCount;
}

BOOL WINAPI ClipCursor(const RECT* rect) {
  Guard guard = Lock();
  UserState& s = State();
  if (!rect) {
    s.cursorClipped = false;
    return TRUE;
  }
  RECT desk = Find(Desktop())->rect;
  s.cursorClip = RectIntersection(*rect, desk);
  s.cursorClipped = true;
  s.cursor = ClampToClip(s.cursor);
  return TRUE;
}

BOOL WINAPI GetClipCursor(LPRECT rect) {
  if (!rect) return FALSE;
  Guard guard = Lock();
  UserState& s = State();
  *rect = s.cursorClipped ? s.cursorClip : Find(Desktop())->rect;
  return TRUE;
}

UINT WINAPI GetDoubleClickTime() { return 500; }

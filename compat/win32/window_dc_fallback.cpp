// Placeholders for the GDI side of the device-context boundary, so the window
// manager links before GDI does. GDI's own definitions replace them at link time.
#include "compat/win32/window_dc.h"

namespace compat {

__attribute__((weak)) HDC CreateWindowDC(HWND, const DrawTarget&) { return nullptr; }
__attribute__((weak)) void DestroyWindowDC(HDC) {}
__attribute__((weak)) bool GetRegionRects(HRGN, std::vector<RECT>*) { return false; }
__attribute__((weak)) bool SetRegionRects(HRGN, const std::vector<RECT>&) { return false; }

}  // namespace compat

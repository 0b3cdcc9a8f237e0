#include "compat/controls/common_paint.h"

#include "compat/controls/control_common.h"

namespace compat::controls {

void FillDitheredFace(HDC hdc, const RECT& rect) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) SetPixel(hdc, x, y, ((x + y) & 1) ? face : light);
}

LRESULT SendNotifyTo(HWND target, HWND hwnd, NMHDR* hdr) {
  hdr->hwndFrom = hwnd;
  hdr->idFrom = static_cast<UINT_PTR>(ControlId(hwnd));
  return target ? SendMessageW(target, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr)) : 0;
}

}  // namespace compat::controls

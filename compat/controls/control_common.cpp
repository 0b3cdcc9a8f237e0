// Helpers every standard control shares.
#include "compat/controls/control_common.h"

#include <algorithm>

namespace compat::controls {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

int ControlId(HWND hwnd) { return GetDlgCtrlID(hwnd); }

void NotifyParent(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ControlId(hwnd)), code),
               reinterpret_cast<LPARAM>(hwnd));
}

HBRUSH ControlColor(HWND hwnd, HDC hdc, UINT message) {
  HWND parent = GetParent(hwnd);
  LRESULT brush = 0;
  if (parent) brush = SendMessageW(parent, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd));
  if (!brush) brush = DefWindowProcW(hwnd, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd));
  return reinterpret_cast<HBRUSH>(brush);
}

LRESULT SetTextAndRedraw(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefWindowProcW(hwnd, WM_SETTEXT, wParam, lParam);
  InvalidateRect(hwnd, nullptr, TRUE);
  return result;
}

void StoreFont(HWND hwnd, HFONT* slot, WPARAM wParam, LPARAM lParam) {
  *slot = reinterpret_cast<HFONT>(wParam);
  if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
}

HFONT FontOrDefault(HFONT font) {
  return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

int LineHeight(HWND hwnd, HFONT font) {
  ControlDc dc(hwnd, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  return std::max<int>(1, metrics.tmHeight);
}

ControlDc::ControlDc(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
  oldFont_ = SelectObject(dc_, FontOrDefault(font));
}

ControlDc::~ControlDc() {
  SelectObject(dc_, oldFont_);
  ReleaseDC(hwnd_, dc_);
}

int CopyText(std::u16string_view text, LPWSTR buffer, size_t size) {
  if (!buffer || size == 0) return 0;
  const size_t count = std::min(text.size(), size - 1);
  std::copy_n(text.begin(), count, buffer);
  buffer[count] = 0;
  return static_cast<int>(count);
}

bool InClient(HWND hwnd, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  return PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
}

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace compat::controls

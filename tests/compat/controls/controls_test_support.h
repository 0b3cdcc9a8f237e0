// A parent window whose procedure logs what its controls tell it, and the
// injected-input steps the control tests take.
#pragma once

#include <initializer_list>
#include <utility>

#include "compat/host.h"
#include "compat/win32/window_test_support.h"
#include "support/typed_keys.h"

namespace controltest {

// A toolbar-style picture: the classic face grey with coloured rectangles on it.
inline HBITMAP FaceBitmap(int cx, int cy, std::initializer_list<std::pair<RECT, COLORREF>> fills) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
  HGDIOBJ old = SelectObject(mem, bitmap);
  auto fill = [mem](RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(mem, &r, brush);
    DeleteObject(brush);
  };
  fill(RECT{0, 0, cx, cy}, RGB(192, 192, 192));
  for (const auto& [r, colour] : fills) fill(r, colour);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

class ControlTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = TopLevel(20, 20, 600, 400, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Controls");
    ASSERT_NE(parent_, nullptr);
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    Pump();
  }

  HWND Make(const WCHAR* cls, const WCHAR* text, DWORD style, int x, int y, int cx, int cy, int id,
            HWND parent = nullptr) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy,
                                parent ? parent : parent_, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                                nullptr, nullptr);
    if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return hwnd;
  }

  // Notification codes the parent received from one control, in order.
  std::vector<WORD> Codes(HWND control) {
    std::vector<WORD> codes;
    for (const wintest::Logged& e : Log().Entries()) {
      if (e.hwnd == parent_ && e.message == WM_COMMAND && reinterpret_cast<HWND>(e.lParam) == control)
        codes.push_back(HIWORD(e.wParam));
    }
    return codes;
  }
  void ClearLog() { Log().Clear(); }

  static POINT Center(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static POINT At(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
  }
  static void Click(POINT p) {
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
    Pump();
  }
  static void Press(POINT p) {
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectMouseButton(0, true, p.x, p.y);
    Pump();
  }
  static void MoveTo(POINT p) {
    compat::host::InjectMouseMove(p.x, p.y);
    Pump();
  }
  static void ReleaseAt(POINT p) {
    compat::host::InjectMouseButton(0, false, p.x, p.y);
    Pump();
  }
  static void Key(unsigned vk) {
    compat::host::InjectKeyPress(vk);
    Pump();
  }
  static void Chord(unsigned modifier, unsigned vk) {
    compat::host::InjectKey(modifier, true);
    compat::host::InjectKeyPress(vk);
    compat::host::InjectKey(modifier, false);
    Pump();
  }
  // Types text as a user on a US keyboard: each character's key, with Shift
  // where the character needs it.
  static void Type(const char* text) {
    for (const char* c = text; *c; ++c) InjectCharacter(*c);
    Pump();
  }
  static std::u16string Text(HWND hwnd) {
    WCHAR buffer[512];
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
  }
  // Paints what is pending and reads a desktop pixel as COLORREF.
  static COLORREF PixelAt(POINT screen) {
    for (int i = 0; i < 3; ++i) Pump();
    auto surface = compat::host::DesktopSurface();
    const uint32_t p = surface->Row(screen.y)[screen.x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

  HWND parent_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace controltest

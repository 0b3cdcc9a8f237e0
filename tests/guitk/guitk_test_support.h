// The toolkit tests: the control fixture on a clean desktop with the clock
// stopped, and scripted system colour tables put back after each test.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/controls/controls_test_support.h"
#include "guitk/kit_colors.h"
#include "guitk/menu_looks.h"
#include "guitk/subclass_wnd.h"
#include "kitdemo/kit_demo.h"

namespace kittest {

using MenuDriver = kitdemo::KitMenuDriver;

inline std::vector<HWND> OpenPopups() {
  std::vector<HWND> list;
  for (HWND w = FindWindowExW(nullptr, nullptr, u"#32768", nullptr); w; w = FindWindowExW(nullptr, w, u"#32768", nullptr))
    if (IsWindowVisible(w)) list.push_back(w);
  return list;
}

// Records, on the frame, the popup the menu loop last told it of.
class PopupRecorder : public CSubclassWnd {
 public:
  HMENU last = nullptr;
  // The popup open now, or null.
  HMENU Shown() const { return OpenPopups().empty() ? nullptr : last; }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_INITMENUPOPUP && !HIWORD(lParam)) last = reinterpret_cast<HMENU>(wParam);
    return CSubclassWnd::WindowProc(message, wParam, lParam);
  }
};

// A desktop pixel as it stands now, without pumping (safe inside a menu loop).
inline COLORREF ScreenPixel(int x, int y) {
  auto surface = compat::host::DesktopSurface();
  const uint32_t p = surface->Row(y)[x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

class KitTest : public controltest::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    compat::StopClock();
    g_kitDrawStyle = kKitStyleFlat;
    g_kitTheme = FALSE;
    g_kitMenuStyle = kKitStyleFlat;
    StartMenuLooks();  // the desktop reset dropped the thread's hooks
    SetCurrentMenuLook(2);
  }
  void TearDown() override {
    RestoreColors();
    g_kitDrawStyle = kKitStyleFlat;
    g_kitTheme = FALSE;
    compat::RunClock();
    ControlTest::TearDown();
  }

  // Changes one system colour, remembering the first value for TearDown.
  void SetColor(int index, COLORREF color) {
    saved_.push_back({index, GetSysColor(index)});
    SetSysColors(1, &index, &color);
  }
  void RestoreColors() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) SetSysColors(1, &it->first, &it->second);
    saved_.clear();
  }
  static void WritePng(HWND hwnd, const char* name) {
    for (int i = 0; i < 3; ++i) Pump();
    const std::string path = std::string(CALVETTA_GUITK_PNG_DIR) + "/" + name + ".png";
    EXPECT_TRUE(compat::WriteWindowPng(hwnd, path.c_str())) << path;
  }
  static COLORREF PixelOf(HDC hdc, int x, int y) { return GetPixel(hdc, x, y); }

  std::vector<std::pair<int, COLORREF>> saved_;
};

}  // namespace kittest

// The toolkit tests: the control fixture on a clean desktop with the clock
// stopped, and scripted system colour tables put back after each test.
#pragma once

#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/controls/controls_test_support.h"
#include "guitk/kit_colors.h"

namespace kittest {

class KitTest : public controltest::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    compat::StopClock();
    g_kitDrawStyle = kKitStyleFlat;
    g_kitTheme = FALSE;
    g_kitMenuStyle = kKitStyleFlat;
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

// The rubber band a pane drags: it follows injected mouse input on the
// headless desktop and leaves the pixels as they were.
#include <gtest/gtest.h>

#include "compat/afx.h"
#include "compat/host.h"
#include "ui/rubber_band.h"

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A white pane at (50, 40) on a fresh headless desktop.
class RubberBand : public ::testing::Test {
 protected:
  static constexpr int kLeft = 50, kTop = 40;

  void SetUp() override {
    compat::ResetDesktop(400, 300);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"CalvettaRubberBandPane";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, u"", WS_POPUP | WS_VISIBLE, kLeft, kTop, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    pane_.Attach(hwnd);
    compat::PumpMessages();
  }
  void TearDown() override {
    DestroyWindow(pane_.Detach());
    compat::ResetDesktop(400, 300);
  }
  std::vector<uint32_t> Pixels() const {
    auto surface = compat::host::DesktopSurface();
    return surface->pixels;
  }

  CWnd pane_;
};

}  // namespace

TEST_F(RubberBand, FollowsTheMouseUntilTheButtonGoesUp) {
  const std::vector<uint32_t> before = Pixels();
  compat::host::InjectMouseMove(kLeft + 60, kTop + 50);
  compat::host::InjectMouseMove(kLeft + 90, kTop + 80);
  compat::host::InjectMouseButton(0, false, kLeft + 100, kTop + 90);
  const CRect band = TrackRubberBandRect(&pane_, POINT{20, 30}, RGB(128, 128, 128));
  EXPECT_EQ(band.left, 20);
  EXPECT_EQ(band.top, 30);
  EXPECT_EQ(band.right, 100);
  EXPECT_EQ(band.bottom, 90);
  EXPECT_EQ(GetCapture(), nullptr);
  // The last outline stays for the caller's repaint to cover.
  EXPECT_FALSE(Pixels() == before);
}

TEST_F(RubberBand, RightButtonEndsItUnnormalised) {
  compat::host::InjectMouseMove(kLeft + 5, kTop + 8);
  compat::host::InjectMouseButton(1, true, kLeft + 4, kTop + 6);
  const CRect band = TrackRubberBandRect(&pane_, POINT{120, 100}, RGB(128, 128, 128));
  EXPECT_EQ(band.left, 120);
  EXPECT_EQ(band.right, 4);
  EXPECT_EQ(band.bottom, 6);
}

TEST_F(RubberBand, LosingTheCaptureEndsIt) {
  PostMessageW(pane_.GetSafeHwnd(), WM_CANCELMODE, 0, 0);  // the default handling drops the capture
  const CRect band = TrackRubberBandRect(&pane_, POINT{10, 10}, RGB(128, 128, 128));
  EXPECT_EQ(band.left, 10);
  EXPECT_EQ(band.right, 10);  // no mouse move came before
  EXPECT_EQ(GetCapture(), nullptr);
}

// System metrics and parameters the program reads, consistent with the frame
// the window manager draws.
#include "compat/host.h"
#include "window_test_support.h"

namespace wintest {
namespace {

using Metrics = WindowTest;

TEST_F(Metrics, FrameMetricsMatchTheWindowsMade) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CLIENTEDGE);
  const int frame = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXEDGE);
  EXPECT_EQ(r.left, -frame);
  EXPECT_EQ(r.top, -(frame + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU)));
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.right, 800);
  BOOL flat = TRUE;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0));
  EXPECT_FALSE(flat);
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
}

TEST_F(Metrics, NonClientMetricsCheckTheRecordSize) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  EXPECT_EQ(metrics.iCaptionHeight + 1, GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(metrics.lfCaptionFont.lfWeight, FW_BOLD);
  EXPECT_EQ(std::u16string(metrics.lfMenuFont.lfFaceName), u"Tahoma");
  // The older, shorter record is filled without writing past it.
  struct {
    NONCLIENTMETRICSW m;
  } guarded{};
  guarded.m.cbSize = sizeof(NONCLIENTMETRICSW) - sizeof(int);
  guarded.m.iPaddedBorderWidth = 12345;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 0, &guarded.m, 0));
  EXPECT_EQ(guarded.m.iPaddedBorderWidth, 12345);
  NONCLIENTMETRICSW bad{};
  bad.cbSize = 7;
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 0, &bad, 0));
}

TEST_F(Metrics, SystemColoursHaveBrushesThatLast) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_NE(face, nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  EXPECT_EQ(GetSysColorBrush(99), nullptr);
  EXPECT_EQ(GetSysColor(-1), 0u);
}


TEST_F(Metrics, ResizingTheHostResizesTheDesktopAndMaximizedWindows) {
  HWND frame = TopLevel(10, 10, 300, 200);
  ShowWindow(frame, SW_SHOWMAXIMIZED);
  HWND other = TopLevel(20, 20, 100, 100);
  Pump();
  Log().Clear();
  ASSERT_TRUE(compat::host::ResizeDesktop(1000, 700));
  Pump();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1000);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work.bottom, 700);
  RECT client;
  GetClientRect(frame, &client);
  EXPECT_EQ(client.right, 1000);
  EXPECT_EQ(GetActiveWindow(), other);  // resizing activates nothing
  EXPECT_EQ(Log().Count(frame, WM_DISPLAYCHANGE), 1);
  ShowWindow(frame, SW_RESTORE);
  RECT r;
  GetWindowRect(frame, &r);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_FALSE(compat::host::ResizeDesktop(0, 10));
}

}  // namespace
}  // namespace wintest

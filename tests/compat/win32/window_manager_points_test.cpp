// The window manager's behaviour that dragging and docking code leans on:
// drawing over every window while the desktop's updates are locked, DC
// flags, positioning that changes nothing, deferred batches, creation order,
// transparent hit tests, posts to dead windows and frame recalculation.
#include "compat/host.h"
#include "compat/win32/window_dc.h"
#include "dialog_test_support.h"
#include "window_test_support.h"

namespace wintest {
namespace {

using WindowManager = WindowTest;

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return color;
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST_F(WindowManager, ALockedDesktopSilencesEveryWindowButTheTrackerDcDrawsOverAll) {
  HWND left = TopLevel(50, 50, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND right = TopLevel(200, 50, 100, 100, WS_POPUP | WS_VISIBLE);
  Pump();
  const COLORREF face = ScreenPixel(60, 60);
  ASSERT_NE(face, kRed);
  HWND desktop = GetDesktopWindow();

  // Unlocked, a desktop DC from GetDCEx is not clipped to the bare desktop.
  HDC over = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | DCX_PARENTCLIP);
  ASSERT_NE(over, nullptr);
  Fill(over, RECT{55, 55, 65, 65}, kBlue);
  ReleaseDC(desktop, over);
  EXPECT_EQ(ScreenPixel(60, 60), kBlue);
  HDC clipped = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPCHILDREN);
  Fill(clipped, RECT{70, 70, 80, 80}, kBlue);
  ReleaseDC(desktop, clipped);
  EXPECT_EQ(ScreenPixel(75, 75), face);  // asked to clip the windows: it does
  RedrawWindow(left, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

  ASSERT_TRUE(LockWindowUpdate(desktop));
  EXPECT_FALSE(LockWindowUpdate(left));  // one lock at a time
  HDC windowDc = GetDC(right);
  Fill(windowDc, RECT{0, 0, 100, 100}, kRed);
  ReleaseDC(right, windowDc);
  EXPECT_EQ(ScreenPixel(250, 100), face);
  compat::DrawTarget target;
  ASSERT_TRUE(compat::QueryWindowDrawTarget(left, true, &target));
  EXPECT_TRUE(target.visible.empty());
  HDC plain = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE);
  Fill(plain, RECT{0, 0, 400, 400}, kRed);
  ReleaseDC(desktop, plain);
  EXPECT_EQ(ScreenPixel(10, 10), ScreenPixel(10, 300));  // without the flag, the desktop is silent too
  EXPECT_EQ(ScreenPixel(60, 60), face);

  // The tracker: one band across both windows and the desktop between them.
  HDC tracker = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  ASSERT_NE(tracker, nullptr);
  Fill(tracker, RECT{40, 90, 320, 100}, kRed);
  ReleaseDC(desktop, tracker);
  EXPECT_EQ(ScreenPixel(60, 95), kRed);
  EXPECT_EQ(ScreenPixel(175, 95), kRed);
  EXPECT_EQ(ScreenPixel(250, 95), kRed);
  compat::host::WriteDesktopPng(dlgtest::PngPath("desktop_locked_tracker"));

  // Unlocking repaints what the lock kept from the screen.
  ASSERT_TRUE(LockWindowUpdate(nullptr));
  Pump();
  EXPECT_EQ(ScreenPixel(60, 95), face);
  EXPECT_EQ(ScreenPixel(250, 95), face);
  EXPECT_EQ(ScreenPixel(175, 95), ScreenPixel(175, 300));
}

TEST_F(WindowManager, ADcAskingForSiblingClippingSparesTheSiblingsAbove) {
  HWND parent = TopLevel(0, 0, 300, 200, WS_POPUP | WS_VISIBLE);
  HWND first = Child(parent, 10, 10, 100, 100, 1);
  HWND second = Child(parent, 50, 50, 100, 100, 2);  // below the first
  Pump();
  const COLORREF face = ScreenPixel(60, 60);
  HDC plain = GetDCEx(second, nullptr, DCX_CACHE);
  Fill(plain, RECT{0, 0, 20, 20}, kRed);  // over the first child at (50..70)
  ReleaseDC(second, plain);
  EXPECT_EQ(ScreenPixel(60, 60), kRed);
  RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(ScreenPixel(60, 60), face);
  HDC clipped = GetDCEx(second, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  Fill(clipped, RECT{0, 0, 100, 100}, kRed);
  ReleaseDC(second, clipped);
  EXPECT_EQ(ScreenPixel(60, 60), face);
  EXPECT_EQ(ScreenPixel(130, 130), kRed);
  (void)first;
}

TEST_F(WindowManager, PositioningThatChangesNothingInvalidatesNothing) {
  HWND top = TopLevel(20, 20, 200, 150);
  HWND child = Child(top, 10, 10, 50, 40);
  Pump();
  Log().Clear();
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_TRUE(SetWindowPos(top, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE));
  MoveWindow(child, 10, 10, 50, 40, TRUE);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));
  EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
  Pump();
  EXPECT_EQ(Log().Count(top, WM_PAINT), 0);
  EXPECT_EQ(Log().Count(child, WM_PAINT), 0);
  EXPECT_EQ(Log().Count(top, WM_NCPAINT), 0);
}

TEST_F(WindowManager, ABatchOfMovesPaintsEachMovedWindowOnce) {
  HWND parent = TopLevel(0, 0, 400, 300, WS_POPUP | WS_VISIBLE);
  HWND a = Child(parent, 0, 0, 50, 50, 1);
  HWND b = Child(parent, 60, 0, 50, 50, 2);
  HWND c = Child(parent, 120, 0, 50, 50, 3);
  Pump();
  Log().Clear();
  HDWP batch = BeginDeferWindowPos(3);
  batch = DeferWindowPos(batch, a, nullptr, 0, 100, 60, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  batch = DeferWindowPos(batch, b, nullptr, 70, 100, 60, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  batch = DeferWindowPos(batch, c, nullptr, 140, 100, 60, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(EndDeferWindowPos(batch));
  Pump();
  EXPECT_EQ(Log().Count(a, WM_PAINT), 1);
  EXPECT_EQ(Log().Count(b, WM_PAINT), 1);
  EXPECT_EQ(Log().Count(c, WM_PAINT), 1);
  EXPECT_LE(Log().Count(parent, WM_PAINT), 1);
}

TEST_F(WindowManager, LaterChildrenComeAfterEarlierOnesInTheSiblingOrder) {
  HWND parent = TopLevel(0, 0, 200, 200);
  HWND a = Child(parent, 0, 0, 10, 10, 1);
  HWND b = Child(parent, 0, 0, 10, 10, 2);
  HWND c = Child(parent, 0, 0, 10, 10, 3);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
}

TEST_F(WindowManager, ATransparentHitTestPassesTheMouseToTheWindowBeneath) {
  HWND under = TopLevel(100, 100, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND over = TopLevel(150, 150, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND sibling = Child(under, 0, 0, 150, 150, 1);
  HWND glass = Child(under, 20, 20, 100, 100, 2, WS_CHILD | WS_VISIBLE);
  SetWindowPos(glass, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // above the sibling
  auto transparent = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message != WM_NCHITTEST) return false;
    *result = HTTRANSPARENT;
    return true;
  };
  Pump();
  Log().Clear();
  Log().SetHandler(over, transparent);
  Log().SetHandler(glass, transparent);
  compat::host::InjectClick(0, 200, 200);  // over the top-level and the glass child
  Pump();
  EXPECT_EQ(Log().Count(over, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(Log().Count(glass, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(Log().Count(sibling, WM_LBUTTONDOWN), 1);
  compat::host::InjectClick(0, 320, 320);  // only the transparent top-level there
  Pump();
  EXPECT_EQ(Log().Count(over, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(Log().Count(under, WM_LBUTTONDOWN), 0);  // nothing beneath but the desktop
}

TEST_F(WindowManager, MessagesPostedToADestroyedWindowAreDropped) {
  HWND hwnd = TopLevel(0, 0, 100, 100);
  Pump();
  ASSERT_TRUE(PostMessageW(hwnd, WM_USER + 7, 1, 2));
  DestroyWindow(hwnd);
  EXPECT_FALSE(PostMessageW(hwnd, WM_USER + 7, 3, 4));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));
}

TEST_F(WindowManager, AFrameChangeRecalculatesTheFrameAndSurvivesMovesFromInsideIt) {
  HWND hwnd = TopLevel(10, 10, 300, 200);
  HWND strip = Child(hwnd, 0, 0, 300, 20, 1);
  Pump();
  Log().Clear();
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  ASSERT_EQ(Log().Count(hwnd, WM_NCCALCSIZE), 1);
  for (const Logged& e : Log().Entries()) {
    if (e.message == WM_NCCALCSIZE) {
      EXPECT_EQ(e.wParam, static_cast<WPARAM>(TRUE));
    }
  }

  // As a bar does: shows or hides its strip and moves itself while its frame is measured.
  static bool inside = false;
  static bool showStrip = false;
  static HWND s_strip = nullptr;
  s_strip = strip;
  Log().SetHandler(hwnd, [](HWND self, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message != WM_NCCALCSIZE || inside) return false;
    inside = true;
    showStrip = !showStrip;
    ShowWindow(s_strip, showStrip ? SW_SHOW : SW_HIDE);
    SetWindowPos(s_strip, nullptr, 0, 0, 280, 24, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(self, SW_SHOW);
    SetWindowPos(self, nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    inside = false;
    return false;
  });
  SetWindowPos(hwnd, nullptr, 30, 30, 260, 180, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  Pump();
  ASSERT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(IsWindowVisible(strip) != FALSE, showStrip);
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  // The client area still fits the frame of the size the window has.
  RECT frame = client;
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE, 0);
  EXPECT_EQ(frame.right - frame.left, window.right - window.left);
  EXPECT_EQ(frame.bottom - frame.top, window.bottom - window.top);
  LPARAM lastSize = -1;
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == hwnd && e.message == WM_SIZE) lastSize = e.lParam;
  }
  EXPECT_EQ(lastSize, MAKELPARAM(client.right, client.bottom));
  Log().SetHandler(hwnd, nullptr);
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace wintest

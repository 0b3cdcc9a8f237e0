// Z-order, reparenting, deferred positioning, locked updates and device
// contexts with regions.
#include "compat/win32/window_dc.h"
#include "window_test_support.h"

namespace wintest {
namespace {

using ZOrder = WindowTest;

std::vector<HWND> TopLevels() {
  std::vector<HWND> list;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) list.push_back(h);
  return list;
}

TEST_F(ZOrder, ActivationRaisesAndTopmostWindowsStayAbove) {
  HWND a = TopLevel(0, 0, 100, 100);
  HWND b = TopLevel(50, 50, 100, 100);
  HWND tool = CreateWindowExW(WS_EX_TOPMOST, kTestClass, u"", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                              nullptr, nullptr);
  EXPECT_EQ(TopLevels(), (std::vector<HWND>{tool, b, a}));
  SetActiveWindow(a);
  EXPECT_EQ(TopLevels(), (std::vector<HWND>{tool, a, b}));
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(TopLevels(), (std::vector<HWND>{tool, b, a}));
  EXPECT_EQ(GetActiveWindow(), a);
  SetWindowPos(tool, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(tool, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(TopLevels().back(), tool);
  EXPECT_EQ(WindowFromPoint(POINT{10, 10}), a);
}

TEST_F(ZOrder, DeferredPositionsApplyTogetherAndABadHandleFailsTheBatch) {
  HWND top = TopLevel(0, 0, 400, 300, WS_POPUP | WS_VISIBLE);
  HWND one = Child(top, 0, 0, 10, 10, 1);
  HWND two = Child(top, 0, 0, 10, 10, 2);
  HDWP batch = BeginDeferWindowPos(2);
  batch = DeferWindowPos(batch, one, nullptr, 10, 20, 30, 40, SWP_NOZORDER);
  batch = DeferWindowPos(batch, two, nullptr, 50, 60, 70, 80, SWP_NOZORDER);
  ASSERT_TRUE(EndDeferWindowPos(batch));
  RECT r;
  GetWindowRect(two, &r);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.bottom, 140);
  batch = BeginDeferWindowPos(1);
  EXPECT_EQ(DeferWindowPos(batch, reinterpret_cast<HWND>(0x5555), nullptr, 0, 0, 1, 1, 0), nullptr);
  EXPECT_EQ(BeginDeferWindowPos(-1), nullptr);
}

TEST_F(ZOrder, ReparentingMovesTheWindowIntoItsNewParentsCoordinates) {
  HWND first = TopLevel(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND second = TopLevel(300, 300, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND child = Child(first, 10, 10, 20, 20);
  EXPECT_EQ(SetParent(child, second), first);
  EXPECT_TRUE(IsChild(second, child));
  EXPECT_FALSE(IsChild(first, child));
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 310);
  EXPECT_EQ(SetParent(second, child), nullptr);  // no cycles
  EXPECT_EQ(GetParent(child), second);
}

long Area(const std::vector<RECT>& rects) {
  long area = 0;
  for (const RECT& r : rects) area += static_cast<long>(r.right - r.left) * (r.bottom - r.top);
  return area;
}

TEST_F(ZOrder, LockedWindowsDrawNothingUntilUnlockedThenRepaint) {
  HWND hwnd = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  Pump();
  ASSERT_TRUE(LockWindowUpdate(hwnd));
  EXPECT_FALSE(LockWindowUpdate(hwnd));  // one lock at a time
  compat::DrawTarget target;
  ASSERT_TRUE(compat::QueryWindowDrawTarget(hwnd, true, &target));
  EXPECT_TRUE(target.visible.empty());
  ASSERT_TRUE(LockWindowUpdate(nullptr));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  ASSERT_TRUE(compat::QueryWindowDrawTarget(hwnd, true, &target));
  EXPECT_EQ(Area(target.visible), 100 * 100);
}

TEST_F(ZOrder, WindowDcsFollowRegionsAndTheScreenDcCoversEverything) {
  HWND hwnd = TopLevel(100, 100, 200, 200);
  Pump();
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  RECT box;
  EXPECT_NE(GetClipBox(screen, &box), ERROR);
  EXPECT_EQ(box.right, 800);
  ReleaseDC(nullptr, screen);
  HRGN region = CreateRectRgn(100, 100, 150, 120);  // screen coordinates
  HDC dc = GetDCEx(hwnd, region, DCX_WINDOW | DCX_INTERSECTRGN);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc), hwnd);
  GetClipBox(dc, &box);
  EXPECT_EQ(box.right - box.left, 50);
  EXPECT_EQ(box.bottom - box.top, 20);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0);  // not twice
  DeleteObject(region);
  // A DC still out when its window goes is freed with the window.
  HDC forgotten = GetDC(hwnd);
  ASSERT_NE(forgotten, nullptr);
  DestroyWindow(hwnd);
  EXPECT_EQ(WindowFromDC(forgotten), nullptr);
}

std::vector<UINT> g_gotMessages;
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (wParam == PM_REMOVE) g_gotMessages.push_back(msg->message);
  if (msg->message == WM_USER + 50) msg->message = WM_USER + 51;  // hooks may change it
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool g_refuseCreation = false;
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_refuseCreation) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ZOrder, GetMessageAndCbtHooksAreCalledAtTheirPoints) {
  HWND hwnd = TopLevel(0, 0, 10, 10, WS_OVERLAPPED);
  g_gotMessages.clear();
  HHOOK getHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  PostMessageW(hwnd, WM_USER + 50, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 51u);
  UnhookWindowsHookEx(getHook);
  EXPECT_EQ(g_gotMessages, (std::vector<UINT>{WM_USER + 50}));
  HHOOK cbt = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  g_refuseCreation = true;
  EXPECT_EQ(TopLevel(0, 0, 10, 10), nullptr);
  g_refuseCreation = false;
  EXPECT_NE(TopLevel(0, 0, 10, 10), nullptr);
  UnhookWindowsHookEx(cbt);
  EXPECT_EQ(SetWindowsHookExW(99, CbtHook, nullptr, 0), nullptr);
}

}  // namespace
}  // namespace wintest

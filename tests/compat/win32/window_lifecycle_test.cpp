// Creating and destroying windows: message order, stale handles, window data,
// subclassing, and the tree queries.
#include "window_test_support.h"

namespace wintest {
namespace {

using Lifecycle = WindowTest;

TEST_F(Lifecycle, CreationSendsTheMessagesInThePlatformsOrder) {
  HWND hwnd = TopLevel(10, 20, 300, 200);
  ASSERT_TRUE(IsWindow(hwnd));
  auto order = Log().Filtered({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}, hwnd);
  EXPECT_EQ(order, (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}));
  // A new visible top-level window is activated and focused.
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  // WM_SIZE carries the client size the default WM_NCCALCSIZE left.
  RECT client;
  GetClientRect(hwnd, &client);
  RECT frame{0, 0, client.right, client.bottom};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(frame.right - frame.left, 300);
  EXPECT_EQ(frame.bottom - frame.top, 200);
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == hwnd && e.message == WM_SIZE) {
      EXPECT_EQ(LOWORD(e.lParam), client.right);
      EXPECT_EQ(HIWORD(e.lParam), client.bottom);
    }
  }
}

TEST_F(Lifecycle, CreateFailsWhenTheWindowRefuses) {
  HWND refused = nullptr;
  Log().SetHandler(nullptr, nullptr);
  // A class whose WM_CREATE answers -1: the window is destroyed and NULL returned.
  static HWND seen;
  seen = nullptr;
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_CREATE) {
      seen = h;
      return -1;
    }
    return LoggingProc(h, m, w, l);
  };
  wc.lpszClassName = u"Refusing";
  ASSERT_TRUE(RegisterClassW(&wc));
  refused = CreateWindowExW(0, u"Refusing", u"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(refused, nullptr);
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(Log().Filtered({WM_DESTROY, WM_NCDESTROY}, seen), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  // Unknown classes and children without a parent fail too.
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExW(0, kTestClass, u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Lifecycle, DestroyGoesParentFirstThenNcDestroyChildrenFirst) {
  HWND parent = TopLevel(0, 0, 400, 300);
  HWND first = Child(parent, 0, 0, 100, 100, 1);
  HWND grandchild = Child(first, 0, 0, 10, 10, 3);
  HWND second = Child(parent, 100, 0, 100, 100, 2);
  Log().Clear();
  ASSERT_TRUE(DestroyWindow(parent));
  using P = std::pair<HWND, UINT>;
  auto destroy = Log().Pairs({WM_DESTROY});
  EXPECT_EQ(destroy, (std::vector<P>{{parent, WM_DESTROY}, {first, WM_DESTROY}, {grandchild, WM_DESTROY}, {second, WM_DESTROY}}));
  auto ncdestroy = Log().Pairs({WM_NCDESTROY});
  EXPECT_EQ(ncdestroy, (std::vector<P>{{grandchild, WM_NCDESTROY}, {first, WM_NCDESTROY}, {second, WM_NCDESTROY}, {parent, WM_NCDESTROY}}));
  for (HWND gone : {parent, first, grandchild, second}) EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Lifecycle, StaleHandlesNeverNameANewWindow) {
  HWND old = TopLevel(0, 0, 50, 50);
  ASSERT_TRUE(DestroyWindow(old));
  HWND fresh = TopLevel(0, 0, 50, 50);
  EXPECT_NE(fresh, old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(GetWindowLongPtrW(old, GWL_STYLE), 0);
  EXPECT_FALSE(DestroyWindow(old));
  EXPECT_FALSE(PostMessageW(old, WM_USER, 0, 0));
}

TEST_F(Lifecycle, OwnedWindowsGoWithTheirOwner) {
  HWND owner = TopLevel(0, 0, 300, 300);
  HWND popup = CreateWindowExW(0, kTestClass, u"", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, owner, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(IsWindow(popup));
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  EXPECT_EQ(GetParent(popup), owner);
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(popup));
}

LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC g_previous = nullptr;
std::vector<UINT> g_subclassSaw;

LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_subclassSaw.push_back(message);
  if (message == WM_USER + 7) return 77;  // answered here, never reaches the class
  return CallWindowProcW(g_previous, hwnd, message, wParam, lParam);
}

TEST_F(Lifecycle, ASubclassedProcedureSeesMessagesFirst) {
  HWND hwnd = TopLevel(0, 0, 100, 100);
  g_subclassSaw.clear();
  g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
  EXPECT_EQ(g_previous, LoggingProc);
  Log().Clear();
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 7, 0, 0), 77);
  EXPECT_EQ(Log().Count(hwnd, WM_USER + 7), 0);
  SendMessageW(hwnd, WM_USER + 8, 0, 0);
  PostMessageW(hwnd, WM_USER + 9, 0, 0);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_USER + 8), 1);
  EXPECT_EQ(Log().Count(hwnd, WM_USER + 9), 1);
  ASSERT_GE(g_subclassSaw.size(), 3u);
  EXPECT_EQ(g_subclassSaw[0], WM_USER + 7u);
  EXPECT_EQ(g_subclassSaw[1], WM_USER + 8u);
  // 32-bit calls cannot carry a procedure address and refuse it.
  EXPECT_EQ(SetWindowLongW(hwnd, GWLP_WNDPROC, 1), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Subclass));
}

TEST_F(Lifecycle, WindowDataStaysInsideItsExtraBytes) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.cbWndExtra = 2 * sizeof(LONG_PTR);
  wc.lpszClassName = u"WithExtra";
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND hwnd = CreateWindowExW(0, u"WithExtra", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(hwnd, sizeof(LONG_PTR), 1234);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, sizeof(LONG_PTR)), 1234);
  // One byte past the end, and far past it: refused, nothing written.
  EXPECT_EQ(SetWindowLongPtrW(hwnd, sizeof(LONG_PTR) + 1, 5), 0);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, 1 << 30, 5), 0);
  EXPECT_EQ(GetWindowLongW(hwnd, 2 * sizeof(LONG_PTR) - 2), 0);
  // Class extra sizes are limited at registration.
  WNDCLASSW huge = wc;
  huge.lpszClassName = u"Huge";
  huge.cbWndExtra = 1 << 30;
  EXPECT_EQ(RegisterClassW(&huge), 0);
  EXPECT_EQ(RegisterClassW(&wc), 0);  // already registered
}

TEST_F(Lifecycle, TextPropertiesAndSearch) {
  HWND a = TopLevel(0, 0, 100, 100, WS_OVERLAPPEDWINDOW, u"Alpha");
  HWND b = TopLevel(0, 0, 100, 100, WS_OVERLAPPEDWINDOW, u"Beta");
  EXPECT_EQ(FindWindowW(kTestClass, u"Beta"), b);
  EXPECT_EQ(FindWindowW(nullptr, u"Alpha"), a);
  EXPECT_EQ(FindWindowW(u"NoSuchClass", nullptr), nullptr);
  WCHAR text[4];
  EXPECT_EQ(GetWindowTextW(a, text, 4), 3);  // truncated, terminated
  EXPECT_EQ(std::u16string(text), u"Alp");
  SetWindowTextW(a, u"Gamma");
  EXPECT_EQ(GetWindowTextLengthW(a), 5);
  int value = 5;
  EXPECT_TRUE(SetPropW(a, u"Key", &value));
  EXPECT_EQ(GetPropW(a, u"KEY"), &value);
  EXPECT_EQ(RemovePropW(a, u"key"), &value);
  EXPECT_EQ(GetPropW(a, u"Key"), nullptr);
}

TEST_F(Lifecycle, ChildrenKeepCreationOrderAndMapCoordinates) {
  HWND top = TopLevel(100, 50, 400, 300, WS_POPUP | WS_VISIBLE);
  HWND c1 = Child(top, 10, 10, 50, 50, 11);
  HWND c2 = Child(top, 70, 10, 50, 50, 12);
  HWND c3 = Child(c2, 5, 5, 20, 20, 13);
  EXPECT_EQ(GetWindow(top, GW_CHILD), c1);
  EXPECT_EQ(GetWindow(c1, GW_HWNDNEXT), c2);
  EXPECT_EQ(GetDlgItem(top, 12), c2);
  EXPECT_EQ(GetDlgCtrlID(c3), 13);
  EXPECT_TRUE(IsChild(top, c3));
  EXPECT_FALSE(IsChild(c1, c3));
  EXPECT_EQ(GetAncestor(c3, GA_ROOT), top);
  std::vector<HWND> seen;
  EnumChildWindows(top, [](HWND h, LPARAM p) -> BOOL {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen.size(), 3u);
  POINT p{1, 2};
  ClientToScreen(c3, &p);
  EXPECT_EQ(p.x, 100 + 70 + 5 + 1);
  EXPECT_EQ(p.y, 50 + 10 + 5 + 2);
  POINT q{0, 0};
  MapWindowPoints(c3, c1, &q, 1);
  EXPECT_EQ(q.x, 70 + 5 - 10);
  EXPECT_EQ(WindowFromPoint(POINT{100 + 70 + 5 + 1, 50 + 10 + 5 + 1}), c3);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{75, 15}), c2);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{300, 200}), top);
  // A disabled child is passed over by WindowFromPoint.
  EnableWindow(c3, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{100 + 70 + 5 + 1, 50 + 10 + 5 + 1}), c2);
}

TEST_F(Lifecycle, MovingAndShowingReportSizeAndMove) {
  HWND hwnd = TopLevel(0, 0, 200, 100, WS_POPUP | WS_VISIBLE);
  Log().Clear();
  MoveWindow(hwnd, 30, 40, 220, 120, TRUE);
  auto order = Log().Filtered({WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}, hwnd);
  EXPECT_EQ(order, (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.bottom, 160);
  Log().Clear();
  ShowWindow(hwnd, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(Log().Filtered({WM_SHOWWINDOW}, hwnd).size(), 1u);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(hwnd));
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 800);  // a popup without a frame fills the desktop
  ShowWindow(hwnd, SW_RESTORE);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.right - r.left, 220);
}

}  // namespace
}  // namespace wintest

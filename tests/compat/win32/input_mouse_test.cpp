// Mouse input as a user gives it: clicks activate and focus, capture keeps a
// drag, double clicks, the wheel, hit testing of the frame, the mouse hook.
#include "compat/host.h"
#include "window_test_support.h"

namespace wintest {
namespace {

using Mouse = WindowTest;
namespace host = compat::host;

// A child that takes the focus when pressed, as controls and views do.
bool FocusOnPress(HWND hwnd, UINT m, WPARAM, LPARAM, LRESULT* r) {
  if (m != WM_LBUTTONDOWN) return false;
  SetFocus(hwnd);
  *r = 0;
  return true;
}

TEST_F(Mouse, AClickOnAChildActivatesItsTopLevelAndFocusesTheChild) {
  HWND first = TopLevel(50, 50, 300, 200);
  HWND child = Child(first, 10, 10, 100, 50, 5);
  Log().SetHandler(child, FocusOnPress);
  HWND second = TopLevel(400, 300, 200, 150);
  Pump();
  ASSERT_EQ(GetActiveWindow(), second);
  Log().Clear();
  Log().SetHandler(child, FocusOnPress);
  POINT p{20, 20};
  ClientToScreen(child, &p);
  host::InjectClick(0, p.x, p.y);
  Pump();
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), first);  // brought to the top
  using P = std::pair<HWND, UINT>;
  auto seq = Log().Pairs({WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS, WM_LBUTTONDOWN,
                          WM_LBUTTONUP});
  std::vector<P> expected{{child, WM_MOUSEACTIVATE}, {first, WM_MOUSEACTIVATE}, {second, WM_NCACTIVATE},
                          {second, WM_ACTIVATE},     {first, WM_NCACTIVATE},    {first, WM_ACTIVATE},
                          {second, WM_KILLFOCUS},    {first, WM_SETFOCUS},      {child, WM_LBUTTONDOWN},
                          {first, WM_KILLFOCUS},     {child, WM_SETFOCUS},      {child, WM_LBUTTONUP}};
  EXPECT_EQ(seq, expected);
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == child && e.message == WM_LBUTTONDOWN) {
      EXPECT_EQ(GET_X_LPARAM(e.lParam), 20);
      EXPECT_EQ(GET_Y_LPARAM(e.lParam), 20);
      EXPECT_EQ(e.wParam, static_cast<WPARAM>(MK_LBUTTON));
    }
    if (e.hwnd == second && e.message == WM_ACTIVATE) {
      EXPECT_EQ(LOWORD(e.wParam), WA_INACTIVE);
    }
    if (e.hwnd == first && e.message == WM_ACTIVATE) {
      EXPECT_EQ(LOWORD(e.wParam), WA_CLICKACTIVE);
    }
  }
}

TEST_F(Mouse, CaptureKeepsMouseMessagesDuringADragOutsideTheWindow) {
  HWND hwnd = TopLevel(100, 100, 200, 200, WS_POPUP | WS_VISIBLE);
  Log().SetHandler(hwnd, [](HWND h, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m == WM_LBUTTONDOWN) SetCapture(h);
    else if (m == WM_LBUTTONUP) ReleaseCapture();
    else return false;
    *r = 0;
    return true;
  });
  host::InjectMouseButton(0, true, 150, 150);
  Pump();
  EXPECT_EQ(GetCapture(), hwnd);
  host::InjectMouseMove(700, 500);  // far outside, over the desktop
  Pump();
  host::InjectMouseButton(0, false, 10, 20);
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  std::vector<Logged> moves;
  for (const Logged& e : Log().Entries())
    if (e.hwnd == hwnd && (e.message == WM_MOUSEMOVE || e.message == WM_LBUTTONUP)) moves.push_back(e);
  ASSERT_GE(moves.size(), 2u);
  bool sawFarMove = false;  // in client coordinates, beyond the window
  for (const Logged& e : moves) sawFarMove |= GET_X_LPARAM(e.lParam) == 600 && GET_Y_LPARAM(e.lParam) == 400;
  EXPECT_TRUE(sawFarMove);
  EXPECT_EQ(moves.back().message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(GET_X_LPARAM(moves.back().lParam), -90);
  EXPECT_EQ(GET_Y_LPARAM(moves.back().lParam), -80);
  EXPECT_EQ(Log().Count(hwnd, WM_CAPTURECHANGED), 1);
  // Without capture the same move goes nowhere near the window.
  Log().Clear();
  host::InjectMouseMove(700, 500);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_MOUSEMOVE), 0);
}

TEST_F(Mouse, DoubleClicksNeedTheClassStyleAndTheSameSpot) {
  HWND hwnd = TopLevel(100, 100, 200, 200, WS_POPUP | WS_VISIBLE);
  host::InjectClick(0, 150, 150);
  host::InjectClick(0, 151, 151);
  host::InjectClick(0, 152, 150);  // a third press starts over
  host::InjectClick(0, 190, 190);
  host::InjectClick(0, 150, 150);  // far from the last one
  Pump();
  EXPECT_EQ(Log().Filtered({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}, hwnd),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = u"NoDoubleClicks";
  RegisterClassW(&wc);
  HWND plain = CreateWindowExW(0, u"NoDoubleClicks", u"", WS_POPUP | WS_VISIBLE, 400, 100, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  host::InjectClick(0, 450, 150);
  host::InjectClick(0, 450, 150);
  Pump();
  EXPECT_EQ(Log().Filtered({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}, plain),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(Mouse, TheWheelGoesToTheFocusAndClimbsToTheParent) {
  HWND top = TopLevel(0, 0, 300, 300);
  HWND child = Child(top, 10, 10, 50, 50);
  HWND other = TopLevel(400, 400, 100, 100, WS_POPUP | WS_VISIBLE);
  SetFocus(child);
  Pump();
  Log().Clear();
  host::InjectWheel(-240, 450, 450);  // over another window: still the focus gets it
  Pump();
  EXPECT_EQ(Log().Count(child, WM_MOUSEWHEEL), 1);
  EXPECT_EQ(Log().Count(top, WM_MOUSEWHEEL), 1);  // DefWindowProc passes it up
  EXPECT_EQ(Log().Count(other, WM_MOUSEWHEEL), 0);
  for (const Logged& e : Log().Entries())
    if (e.message == WM_MOUSEWHEEL) {
      EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(e.wParam), -240);
      EXPECT_EQ(GET_X_LPARAM(e.lParam), 450);
    }
}

std::vector<std::pair<UINT, HWND>> g_hooked;
HHOOK g_mouseHook;
LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* info = reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam);
  g_hooked.emplace_back(static_cast<UINT>(wParam), info->hwnd);
  if (wParam == WM_MOUSEWHEEL) return 1;  // swallowed, as the editor routes the wheel itself
  return CallNextHookEx(g_mouseHook, code, wParam, lParam);
}

TEST_F(Mouse, TheMouseHookSeesEveryMouseMessageAndCanSwallowIt) {
  HWND hwnd = TopLevel(100, 100, 200, 200);
  Pump();
  g_hooked.clear();
  g_mouseHook = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, GetWindowThreadProcessId(hwnd, nullptr));
  host::InjectClick(0, 150, 150);
  host::InjectWheel(120, 150, 150);
  host::InjectMouseMove(110, 104);  // on the caption
  Pump();
  UnhookWindowsHookEx(g_mouseHook);
  using P = std::pair<UINT, HWND>;
  EXPECT_EQ(g_hooked, (std::vector<P>{{WM_MOUSEMOVE, hwnd}, {WM_LBUTTONDOWN, hwnd}, {WM_LBUTTONUP, hwnd},
                                      {WM_MOUSEWHEEL, hwnd}, {WM_NCMOUSEMOVE, hwnd}}));
  EXPECT_EQ(Log().Count(hwnd, WM_MOUSEWHEEL), 0);
}

TEST_F(Mouse, TheFrameIsHitTestedAndWorksAsAUserExpects) {
  HWND hwnd = TopLevel(100, 100, 300, 200);
  Pump();
  auto hit = [&](int x, int y) { return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
  EXPECT_EQ(hit(250, 110), HTCAPTION);
  EXPECT_EQ(hit(101, 200), HTLEFT);
  EXPECT_EQ(hit(398, 298), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(250, 200), HTCLIENT);
  EXPECT_EQ(hit(387, 112), HTCLOSE);
  EXPECT_EQ(hit(10, 10), HTNOWHERE);
  // Dragging the caption moves the window with the pointer.
  host::InjectMouseButton(0, true, 200, 110);
  host::InjectMouseMove(230, 150);
  host::InjectMouseButton(0, false, 260, 170);
  Pump();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 160);
  EXPECT_EQ(r.top, 160);
  EXPECT_EQ(Log().Count(hwnd, WM_ENTERSIZEMOVE), 1);
  EXPECT_EQ(Log().Count(hwnd, WM_EXITSIZEMOVE), 1);
  // Dragging the bottom-right corner sizes it, never below the minimum.
  host::InjectMouseButton(0, true, r.right - 1, r.bottom - 1);
  host::InjectMouseButton(0, false, r.left + 5, r.top + 5);
  Pump();
  RECT small;
  GetWindowRect(hwnd, &small);
  EXPECT_EQ(small.right - small.left, GetSystemMetrics(SM_CXMINTRACK));
  // Pressing the close button and releasing on it closes the window.
  GetWindowRect(hwnd, &r);
  host::InjectClick(0, r.right - 12, r.top + 12);
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
}

// A point along the middle of the window's caption that hit-tests as `code`.
POINT CaptionPoint(HWND hwnd, LRESULT code) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  for (int x = r.right - 1; x >= r.left; --x)
    if (SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == code) return POINT{x, y};
  ADD_FAILURE() << "no hit " << code << " on the caption";
  return POINT{};
}

TEST_F(Mouse, CaptionButtonsAndDoubleClicksMinimizeMaximizeAndRestore) {
  HWND hwnd = TopLevel(100, 100, 300, 200);
  Pump();
  RECT normal;
  GetWindowRect(hwnd, &normal);
  auto click = [&](LRESULT code, int times = 1) {
    const POINT p = CaptionPoint(hwnd, code);
    for (int i = 0; i < times; ++i) host::InjectClick(0, p.x, p.y);
    Pump();
  };
  // Each step, then the state it leaves: 'n' normal at the first place, 'z' maximized, 'i' minimized.
  const struct {
    LRESULT on;
    int clicks;
    char state;
  } steps[] = {{HTMAXBUTTON, 1, 'z'}, {HTMAXBUTTON, 1, 'n'}, {HTCAPTION, 2, 'z'}, {HTCAPTION, 2, 'n'},
               {HTMINBUTTON, 1, 'i'}, {HTMINBUTTON, 1, 'n'}, {HTMINBUTTON, 1, 'i'}, {HTCAPTION, 2, 'n'},
               {HTMAXBUTTON, 1, 'z'}, {HTMINBUTTON, 1, 'i'}, {HTMAXBUTTON, 1, 'z'}, {HTMAXBUTTON, 1, 'n'}};
  for (const auto& step : steps) {
    click(step.on, step.clicks);
    SCOPED_TRACE(testing::Message() << "after " << step.clicks << " click(s) on hit " << step.on);
    EXPECT_EQ(IsIconic(hwnd) != FALSE, step.state == 'i');
    EXPECT_EQ(IsZoomed(hwnd) != FALSE, step.state == 'z');
    RECT r;
    GetWindowRect(hwnd, &r);
    if (step.state == 'n') EXPECT_TRUE(EqualRect(&r, &normal));
  }
  // The minimized strip's own close button closes it.
  click(HTMINBUTTON);
  ASSERT_TRUE(IsIconic(hwnd));
  click(HTCLOSE);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Mouse, DisabledWindowsTakeNoClicksAndCursorsFollowTheFrame) {
  HWND hwnd = TopLevel(100, 100, 300, 200);
  HWND front = TopLevel(500, 400, 100, 100);
  Pump();
  EnableWindow(hwnd, FALSE);
  Log().Clear();
  host::InjectClick(0, 200, 200);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(GetActiveWindow(), front);
  EnableWindow(hwnd, TRUE);
  host::InjectMouseMove(101, 200);  // left border
  Pump();
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::SizeWE);
  host::InjectMouseMove(200, 200);
  Pump();
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::Arrow);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 200);
  RECT clip{0, 0, 50, 50};
  ClipCursor(&clip);
  host::InjectMouseMove(300, 300);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 49);
  ClipCursor(nullptr);
}


std::vector<int> g_filterCodes;
LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  g_filterCodes.push_back(code);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Mouse, MessageFiltersSeeTheMoveLoopsMessages) {
  HWND hwnd = TopLevel(100, 100, 300, 200);
  Pump();
  g_filterCodes.clear();
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
  host::InjectMouseButton(0, true, 200, 110);
  host::InjectMouseMove(210, 120);
  host::InjectMouseButton(0, false, 210, 120);
  Pump();
  UnhookWindowsHookEx(hook);
  ASSERT_FALSE(g_filterCodes.empty());
  for (int code : g_filterCodes) EXPECT_EQ(code, 3);  // the move loop's code
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 110);
  MSG msg{};
  msg.message = WM_USER;
  EXPECT_FALSE(CallMsgFilterW(&msg, MSGF_DIALOGBOX));  // no filter left
}

}  // namespace
}  // namespace wintest

// Hook chains on windows and the popup-menu hook: which windows it takes,
// the border it gives them, and what a failed installation leaves.
#include <gtest/gtest.h>

#include "guitk/menu_looks.h"
#include "guitk/subclass_wnd.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;
using kittest::MenuDriver;
using kittest::OpenPopups;
using kittest::ScreenPixel;

class MenuHook : public KitTest {};

class CountingHook : public CSubclassWnd {
 public:
  explicit CountingHook(std::vector<int>* order, int name) : order_(order), name_(name) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 5) order_->push_back(name_);
    return CSubclassWnd::WindowProc(message, wParam, lParam);
  }

 private:
  std::vector<int>* order_;
  int name_;
};

WNDPROC ProcOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }

TEST_F(MenuHook, TwoHooksGiveTheProcedureBackOnlyWhenBothHaveLeft) {
  for (bool headFirst : {true, false}) {
    HWND window = TopLevel(50, 50, 200, 100);
    const WNDPROC original = ProcOf(window);
    std::vector<int> order;
    CountingHook first(&order, 1), second(&order, 2);
    first.HookWindow(window);
    second.HookWindow(window);
    SendMessageW(window, WM_USER + 5, 0, 0);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));  // newest first
    EXPECT_EQ(Log().Count(window, WM_USER + 5), 1);
    (headFirst ? second : first).HookWindow(static_cast<HWND>(nullptr));
    EXPECT_NE(ProcOf(window), original);
    order.clear();
    SendMessageW(window, WM_USER + 5, 0, 0);
    EXPECT_EQ(order, (std::vector<int>{headFirst ? 1 : 2}));
    EXPECT_EQ(Log().Count(window, WM_USER + 5), 2);
    (headFirst ? first : second).HookWindow(static_cast<HWND>(nullptr));
    EXPECT_EQ(ProcOf(window), original);
    DestroyWindow(window);
  }
}

TEST_F(MenuHook, ADestroyedWindowLeavesEveryChain) {
  HWND window = TopLevel(50, 50, 200, 100);
  std::vector<int> order;
  CountingHook first(&order, 1), second(&order, 2);
  first.HookWindow(window);
  second.HookWindow(window);
  DestroyWindow(window);
  EXPECT_FALSE(first.IsHooked());
  EXPECT_FALSE(second.IsHooked());
  EXPECT_EQ(Log().Count(window, WM_NCDESTROY), 1);  // the window's own procedure still heard it
}

// Framework code inside a hook sees the hooked message as current, and the
// message it was handling again once the hook returns.
class CurrentProbe : public CSubclassWnd {
 public:
  UINT seen = 0;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 7) seen = CWnd::GetCurrentMessage()->message;
    return CSubclassWnd::WindowProc(message, wParam, lParam);
  }
};

class SendingWnd : public CWnd {
 public:
  HWND target = nullptr;
  UINT before = 0, after = 0;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 1) {
      before = GetCurrentMessage()->message;
      ::SendMessageW(target, WM_USER + 7, 0, 0);
      after = GetCurrentMessage()->message;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

TEST_F(MenuHook, TheCurrentMessageInsideAHookIsTheHookedOne) {
  HWND target = TopLevel(50, 50, 200, 100);
  CurrentProbe probe;
  probe.HookWindow(target);
  SendingWnd sender;
  sender.target = target;
  ASSERT_TRUE(sender.CreateEx(0, AfxRegisterWndClass(0), u"Sender", WS_OVERLAPPEDWINDOW, 10, 10, 100, 100, nullptr, nullptr));
  sender.SendMessage(WM_USER + 1);
  EXPECT_EQ(probe.seen, static_cast<UINT>(WM_USER + 7));
  EXPECT_EQ(sender.before, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(sender.after, static_cast<UINT>(WM_USER + 1));
  sender.DestroyWindow();
}

TEST_F(MenuHook, OnlyPopupMenuWindowsAreTakenAndTheirBorderIsTwoPixels) {
  HWND other = TopLevel(400, 50, 100, 100);
  EXPECT_EQ(FindPopupRecord(other), nullptr);
  EXPECT_EQ(GetPropW(other, u"OldMenuProc"), nullptr);

  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, u"One");
  AppendMenuW(popup, MF_STRING, 2, u"Two");
  MenuDriver driver;
  driver.HookWindow(owner);
  RECT window{}, client{};
  POINT origin{};
  DWORD style = 0;
  COLORREF outer = 0, column = 0, inner = 0;
  HWND shown = nullptr;
  driver.steps.push_back([&] {
    ASSERT_EQ(OpenPopups().size(), 1u);
    shown = OpenPopups()[0];
    EXPECT_NE(FindPopupRecord(shown), nullptr);
    EXPECT_NE(GetPropW(shown, u"OldMenuProc"), nullptr);
    GetWindowRect(shown, &window);
    GetClientRect(shown, &client);
    ClientToScreen(shown, &origin);
    style = static_cast<DWORD>(GetWindowLongW(shown, GWL_STYLE));
    outer = ScreenPixel(window.left, window.top + 6);
    column = ScreenPixel(window.left + 1, window.top + 6);
    inner = ScreenPixel(window.left + 6, window.top + 1);
  });
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  ASSERT_NE(shown, nullptr);
  // With the system's drop shadows the look keeps 2 pixels on every side.
  EXPECT_EQ(origin.x - window.left, 2);
  EXPECT_EQ(origin.y - window.top, 2);
  EXPECT_EQ((window.right - window.left) - client.right, 4);
  EXPECT_EQ((window.bottom - window.top) - client.bottom, 4);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_EQ(outer, GetThemeBaseColor());
  EXPECT_EQ(column, GetFaceColor(kKitStyleFlat));
  EXPECT_EQ(inner, GetSysColor(COLOR_WINDOW));
  // Hidden when the menu closed: unhooked.
  EXPECT_EQ(FindPopupRecord(shown), nullptr);
  DestroyMenu(popup);
}

TEST_F(MenuHook, WhatLayBeneathAClosedPopupIsDrawnAgain) {
  HWND owner = TopLevel(50, 50, 300, 200);
  Pump();
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, u"One");
  // What the owner shows where the popup will open.
  std::vector<COLORREF> before;
  for (int y = 90; y < 140; ++y)
    for (int x = 90; x < 140; ++x) before.push_back(ScreenPixel(x, y));
  MenuDriver driver;
  driver.HookWindow(owner);
  RECT window{};
  std::vector<COLORREF> shown;
  // The popup's border, which differs from the owner's background.
  auto spots = [&] { return std::vector<POINT>{{window.left, window.top + 6}}; };
  auto was = [&](POINT p) { return before[static_cast<size_t>((p.y - 90) * 50 + (p.x - 90))]; };
  driver.steps.push_back([&] {
    GetWindowRect(OpenPopups().at(0), &window);
    for (const POINT p : spots()) shown.push_back(ScreenPixel(p.x, p.y));
  });
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  ASSERT_EQ(shown.size(), 1u);
  Pump();
  // The look gives the saved style back as the popup hides; the hide must
  // still count, so that the owner paints over where the popup was.
  for (size_t i = 0; i < shown.size(); ++i) {
    const POINT p = spots()[i];
    ASSERT_TRUE(p.x >= 90 && p.x < 140 && p.y >= 90 && p.y < 140);
    EXPECT_NE(shown[i], was(p)) << "the popup covered this spot";
    EXPECT_EQ(ScreenPixel(p.x, p.y), was(p)) << p.x << "," << p.y;
  }
  DestroyMenu(popup);
}

TEST_F(MenuHook, AHookThatCannotBeInstalledLeavesTheSystemBorders) {
  StopMenuLooks();
  EXPECT_FALSE(StartMenuLooks(0xFFFFFF00u));  // no such thread
  EXPECT_FALSE(IsMenuHookInstalled());
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, u"One");
  MenuDriver driver;
  driver.HookWindow(owner);
  bool hooked = true;
  driver.steps.push_back([&] { hooked = FindPopupRecord(OpenPopups().at(0)) != nullptr; });
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  EXPECT_FALSE(hooked);
  EXPECT_TRUE(StartMenuLooks());
  DestroyMenu(popup);
}

}  // namespace

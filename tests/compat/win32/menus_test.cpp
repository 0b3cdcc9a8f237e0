// Menus as a user works them on the headless desktop: the classic menu bar
// from a template, popup windows and their loop, hooks, placement,
// owner-drawn items, accelerators, key names, the system menu and sizing.
#include <deque>
#include <functional>

#include "compat/host.h"
#include "compat/win32/menu_state.h"
#include "window_test_support.h"

namespace wintest {
namespace {

namespace host = compat::host;

constexpr int kFrameMenu = 128;
constexpr UINT kFileNew = 101, kFileOpen = 102, kViewGrid = 301;
constexpr UINT kViewWire = 302, kViewExport = 304, kRecentOne = 401;

// Runs one scripted step each time the menu loop waits for input; when the
// script is done, the menu is ended so that no test can hang in it.
class Menus : public WindowTest {
 protected:
  using Answer = std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)>;

  void Drive(HWND owner, std::deque<std::function<void()>> steps, Answer answer = nullptr) {
    steps_ = std::move(steps);
    Log().SetHandler(owner, [this, answer, owner](HWND, UINT m, WPARAM w, LPARAM l, LRESULT* r) {
      if (m == WM_ENTERIDLE && w == MSGF_MENU) {
        if (steps_.empty()) {
          EndMenu();
        } else {
          auto step = std::move(steps_.front());
          steps_.pop_front();
          step();
          // A step that injects nothing still gets the loop to wait once more.
          PostMessageW(owner, WM_NULL, 0, 0);
        }
        return true;
      }
      return answer ? answer(m, w, l, r) : false;
    });
  }

  HWND Frame(int x = 50, int y = 50, int cx = 400, int cy = 300) {
    HWND hwnd = TopLevel(x, y, cx, cy);
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kFrameMenu));
    EXPECT_NE(menu, nullptr);
    EXPECT_TRUE(SetMenu(hwnd, menu));
    UpdateWindow(hwnd);
    Pump();
    return hwnd;
  }

  static POINT TitleCentre(HWND hwnd, int position) {
    RECT r{};
    EXPECT_TRUE(GetMenuItemRect(hwnd, GetMenu(hwnd), static_cast<UINT>(position), &r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  static std::vector<HWND> OpenPopups() {
    std::vector<HWND> list;
    for (HWND w = FindWindowExW(nullptr, nullptr, u"#32768", nullptr); w; w = FindWindowExW(nullptr, w, u"#32768", nullptr))
      if (IsWindowVisible(w)) list.push_back(w);
    return list;
  }

  static void PressWith(UINT modifier, UINT vk) {
    host::InjectKey(modifier, true);
    host::InjectKeyPress(vk);
    host::InjectKey(modifier, false);
  }
  static void PressWithAlt(UINT vk) { PressWith(VK_MENU, vk); }

  std::vector<Logged> Commands(HWND hwnd, UINT message = WM_COMMAND) {
    std::vector<Logged> out;
    for (const Logged& e : Log().Entries())
      if (e.hwnd == hwnd && e.message == message) out.push_back(e);
    return out;
  }

  std::deque<std::function<void()>> steps_;
};

// --- menu objects ---

TEST_F(Menus, ObjectsAnswerForTheirItemsAndStaleHandlesFail) {
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(popup, MF_STRING, 10, u"&One"));
  ASSERT_TRUE(AppendMenuW(popup, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenuW(popup, MF_STRING | MF_GRAYED | MF_CHECKED, 11, u"&Two\tCtrl+T"));
  ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"&File"));
  ASSERT_TRUE(InsertMenuW(popup, 11, MF_BYCOMMAND | MF_STRING, 12, u"Before two"));

  EXPECT_EQ(GetMenuItemCount(popup), 4);
  EXPECT_EQ(GetMenuItemID(bar, 0), 0xFFFFFFFFu);  // a popup has no id
  EXPECT_EQ(GetMenuItemID(popup, 2), 12u);
  EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), (4u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(bar, 11, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED | MF_CHECKED));  // found in the submenu
  WCHAR text[32];
  EXPECT_EQ(GetMenuStringW(bar, 11, text, 32, MF_BYCOMMAND), 11);
  EXPECT_EQ(std::u16string(text), u"&Two\tCtrl+T");
  EXPECT_EQ(CheckMenuItem(popup, 11, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(popup, 10, MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetSubMenu(bar, 0), popup);

  // An item that is not there changes nothing.
  EXPECT_EQ(CheckMenuItem(popup, 99, MF_CHECKED), 0xFFFFFFFFu);
  EXPECT_FALSE(ModifyMenuW(popup, 99, MF_BYCOMMAND, 98, u"x"));
  EXPECT_FALSE(DeleteMenu(popup, 99, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(popup), 4);

  ULONG_PTR big = ~ULONG_PTR{0} - 5;  // item data is pointer-sized
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA | MIIM_FTYPE;
  info.fType = MFT_RADIOCHECK;
  info.dwItemData = big;
  ASSERT_TRUE(SetMenuItemInfoW(popup, 0, TRUE, &info));
  MENUITEMINFOW read{};
  read.cbSize = sizeof(read);
  read.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
  read.dwTypeData = text;
  read.cch = 32;
  ASSERT_TRUE(GetMenuItemInfoW(popup, 0, TRUE, &read));
  EXPECT_EQ(read.dwItemData, big);
  EXPECT_EQ(read.fType, static_cast<UINT>(MFT_RADIOCHECK));
  EXPECT_EQ(read.wID, 10u);
  EXPECT_EQ(std::u16string(text), u"&One");

  // Destroying the bar destroys its submenus; their handles fail from then on.
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(popup));
  EXPECT_EQ(GetMenuItemCount(popup), -1);
  EXPECT_FALSE(AppendMenuW(popup, MF_STRING, 1, u"x"));
  EXPECT_FALSE(DestroyMenu(popup));
  HMENU reused = CreateMenu();  // takes the freed slot with a new generation
  EXPECT_NE(reused, bar);
  EXPECT_FALSE(IsMenu(bar));
  DestroyMenu(reused);
}

TEST_F(Menus, TemplatesLoadNestedAndTruncatedOnesFail) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kFrameMenu));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  HMENU view = GetSubMenu(menu, 2);
  EXPECT_EQ(GetMenuItemCount(view), 6);
  EXPECT_TRUE(GetMenuState(view, kViewGrid, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(view, kViewExport, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(view, 4, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(view, 5), 0), kRecentOne);
  DestroyMenu(menu);

  // A template whose last level never ends runs past its data.
  const WORD truncated[] = {0, 0, MF_POPUP, u'A', 0, 0, 5, u'B', 0};
  EXPECT_EQ(compat::menus::MenuFromTemplate(reinterpret_cast<const BYTE*>(truncated), sizeof(truncated)), nullptr);
  const WORD whole[] = {0, 0, MF_POPUP | MF_END, u'A', 0, MF_END, 5, u'B', 0};
  HMENU loaded = LoadMenuIndirectW(whole);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(loaded, 0), 0), 5u);
  DestroyMenu(loaded);
  EXPECT_EQ(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(999)), nullptr);
}

// --- the menu bar ---

TEST_F(Menus, ClickingTitlesOpensAndSwitchesPopupsAndKeysChooseACommand) {
  HWND frame = Frame();
  HMENU bar = GetMenu(frame);
  Log().Clear();
  const POINT file = TitleCentre(frame, 0), edit = TitleCentre(frame, 1);
  std::vector<HMENU> popupMenus;
  Drive(frame, {
      [&] {
        ASSERT_EQ(OpenPopups().size(), 1u);
        host::InjectMouseMove(edit.x, edit.y);
      },
      [&] {
        // The Edit popup replaced the File popup.
        EXPECT_EQ(OpenPopups().size(), 1u);
        host::InjectMouseMove(file.x, file.y);
      },
      [&] {
        host::InjectKeyPress(VK_DOWN);
        host::InjectKeyPress(VK_DOWN);
      },
      [&] { host::InjectKeyPress(VK_RETURN); },
  });
  host::InjectClick(0, file.x, file.y);
  Pump();
  EXPECT_TRUE(OpenPopups().empty());
  auto commands = Commands(frame);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(kFileOpen, 0));

  // The owner's trace, in the platform's order.
  std::vector<Logged> trace;
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd != frame) continue;
    switch (e.message) {
      case WM_ENTERMENULOOP: case WM_INITMENU: case WM_INITMENUPOPUP: case WM_MENUSELECT:
      case WM_EXITMENULOOP: case WM_COMMAND:
        trace.push_back(e);
        break;
      default: break;
    }
  }
  ASSERT_GE(trace.size(), 8u);
  EXPECT_EQ(trace[0].message, static_cast<UINT>(WM_ENTERMENULOOP));
  EXPECT_EQ(trace[0].wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(trace[1].message, static_cast<UINT>(WM_INITMENU));
  EXPECT_EQ(trace[1].wParam, reinterpret_cast<WPARAM>(bar));
  EXPECT_EQ(trace[2].message, static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(trace[2].wParam, MAKEWPARAM(0, MF_POPUP | MF_HILITE | MF_MOUSESELECT));
  EXPECT_EQ(trace[3].message, static_cast<UINT>(WM_INITMENUPOPUP));
  EXPECT_EQ(trace[3].wParam, reinterpret_cast<WPARAM>(GetSubMenu(bar, 0)));
  const size_t n = trace.size();
  EXPECT_EQ(trace[n - 4].message, static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(trace[n - 4].wParam, MAKEWPARAM(kFileOpen, MF_HILITE));
  EXPECT_EQ(trace[n - 3].message, static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(trace[n - 3].wParam, MAKEWPARAM(0, 0xFFFF));
  EXPECT_EQ(trace[n - 3].lParam, 0);
  EXPECT_EQ(trace[n - 2].message, static_cast<UINT>(WM_EXITMENULOOP));
  EXPECT_EQ(trace[n - 1].message, static_cast<UINT>(WM_COMMAND));
  // Edit's popup was initialised on the way.
  bool editOpened = false;
  for (const Logged& e : trace)
    editOpened |= e.message == WM_INITMENUPOPUP && e.wParam == reinterpret_cast<WPARAM>(GetSubMenu(bar, 1));
  EXPECT_TRUE(editOpened);
}

TEST_F(Menus, AltThenArrowsAndMnemonicsAndEscapeWorkLevelByLevel) {
  HWND frame = Frame();
  HMENU bar = GetMenu(frame);
  Log().Clear();
  // Alt, Right, Down: the second popup opens.
  Drive(frame, {
      [&] { host::InjectKeyPress(VK_RIGHT); },
      [&] {
        EXPECT_TRUE(OpenPopups().empty());
        host::InjectKeyPress(VK_DOWN);
      },
      [&] {
        ASSERT_EQ(OpenPopups().size(), 1u);
        EXPECT_EQ(Log().Count(frame, WM_INITMENUPOPUP), 1);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoW(GetSubMenu(bar, 1), 0, TRUE, &info));
        EXPECT_TRUE(info.fState & MFS_HILITE);  // the first item is selected
        host::InjectKeyPress(VK_ESCAPE);
      },
      [&] {
        EXPECT_TRUE(OpenPopups().empty());  // back on the bar
        host::InjectKeyPress(VK_ESCAPE);
      },
  });
  host::InjectKeyPress(VK_MENU);
  Pump();
  EXPECT_TRUE(steps_.empty());
  bool secondInitialised = false;
  for (const Logged& e : Log().Entries())
    secondInitialised |= e.message == WM_INITMENUPOPUP && e.wParam == reinterpret_cast<WPARAM>(GetSubMenu(bar, 1));
  EXPECT_TRUE(secondInitialised);
  EXPECT_TRUE(Commands(frame).empty());

  // Alt+V opens View by mnemonic; R opens Recent; Escape closes it; 'w' chooses.
  Log().Clear();
  Drive(frame, {
      [&] {
        ASSERT_EQ(OpenPopups().size(), 1u);
        host::InjectKeyPress('R');
      },
      [&] {
        EXPECT_EQ(OpenPopups().size(), 2u);
        host::InjectKeyPress(VK_ESCAPE);
      },
      [&] {
        EXPECT_EQ(OpenPopups().size(), 1u);
        host::InjectKeyPress('W');
      },
  });
  PressWithAlt('V');
  Pump();
  auto commands = Commands(frame);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wParam), kViewWire);
}

TEST_F(Menus, LeftFromTheFirstTitleWrapsIntoTheSystemMenu) {
  HWND frame = Frame();
  Log().Clear();
  HMENU system = nullptr;
  Drive(frame, {
      [&] { host::InjectKeyPress(VK_LEFT); },
      [&] { host::InjectKeyPress(VK_DOWN); },
      [&] {
        ASSERT_EQ(OpenPopups().size(), 1u);
        system = GetSystemMenu(frame, FALSE);
        host::InjectKeyPress(VK_LEFT);  // on to the last title
      },
      [&] { EXPECT_EQ(OpenPopups().size(), 1u); },
  });
  host::InjectKeyPress(VK_MENU);
  Pump();
  std::vector<HMENU> opened;
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == frame && e.message == WM_INITMENUPOPUP) opened.push_back(reinterpret_cast<HMENU>(e.wParam));
    if (e.hwnd == frame && e.message == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(e.wParam) == system) {
      EXPECT_EQ(HIWORD(e.lParam), TRUE);
    }
  }
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], system);
  EXPECT_EQ(opened[1], GetSubMenu(GetMenu(frame), 2));
}

TEST_F(Menus, HoveringOverASubmenuItemOpensItAfterTheDelay) {
  HWND frame = Frame();
  const POINT view = TitleCentre(frame, 2);
  RECT recent{};
  std::deque<std::function<void()>> steps{
      [&] {
        ASSERT_TRUE(GetMenuItemRect(frame, GetSubMenu(GetMenu(frame), 2), 5, &recent));
        host::InjectMouseMove(recent.left + 20, (recent.top + recent.bottom) / 2);
      },
      [&] { EXPECT_EQ(OpenPopups().size(), 1u); },  // not at once
  };
  bool opened = false;
  for (int i = 0; i < 40; ++i) {
    steps.push_back([&] {
      opened |= OpenPopups().size() == 2;
      if (!opened) Sleep(25);
    });
  }
  Drive(frame, std::move(steps));
  host::InjectClick(0, view.x, view.y);
  Pump();
  EXPECT_TRUE(opened);
}

TEST_F(Menus, TheRightButtonChoosesOnlyWithTpmRightButtonAndGreyItemsNever) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING | MF_GRAYED, 1, u"Grey");
  AppendMenuW(popup, MF_STRING, 2, u"Plain");
  auto clickItem = [&](int button, int position) {
    return [&, button, position] {
      RECT r;
      ASSERT_TRUE(GetMenuItemRect(owner, popup, static_cast<UINT>(position), &r));
      host::InjectClick(button, r.left + 10, (r.top + r.bottom) / 2);
    };
  };
  Drive(owner, {clickItem(1, 1), clickItem(0, 0), clickItem(0, 1)});
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr), 2);
  Drive(owner, {clickItem(1, 1)});
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, 100, 100, owner, nullptr), 2);
  // Without TPM_RETURNCMD the choice arrives as a posted WM_COMMAND.
  Log().Clear();
  Drive(owner, {clickItem(0, 1)});
  EXPECT_TRUE(TrackPopupMenuEx(popup, 0, 100, 100, owner, nullptr));
  EXPECT_EQ(Log().Count(owner, WM_COMMAND), 0);
  Pump();
  auto commands = Commands(owner);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(2, 0));
  DestroyMenu(popup);
}

// A menu opened by a press that lands under the pointer: the release of that
// press picks nothing; after a move, or with a press of its own, one does.
TEST_F(Menus, TheReleaseOfTheOpeningPressPicksNothingUntilThePointerMoves) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, u"One");
  AppendMenuW(popup, MF_STRING, 2, u"Two");
  host::InjectMouseMove(110, 106);
  host::InjectMouseButton(0, true, 110, 106);
  Pump();
  int stillOpen = 0;
  Drive(owner, {[] { host::InjectMouseButton(0, false, 110, 106); }, [&] { stillOpen = static_cast<int>(OpenPopups().size()); }});
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr), 0);
  EXPECT_EQ(stillOpen, 1);
  // The same press and release after the pointer moved within the item.
  host::InjectMouseButton(0, true, 110, 106);
  Pump();
  Drive(owner, {[] {
    host::InjectMouseMove(112, 106);
    host::InjectMouseButton(0, false, 112, 106);
  }});
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr), 1);
  DestroyMenu(popup);
}

TEST_F(Menus, EndMenuAndAQuitEndTheLoopAndTheQuitGoesOn) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, u"One");
  Drive(owner, {[] { EndMenu(); }, [] { ADD_FAILURE() << "EndMenu left the menu open"; }});
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr), 0);
  EXPECT_TRUE(OpenPopups().empty());
  EXPECT_FALSE(EndMenu());  // no menu is open

  Drive(owner, {[] { PostQuitMessage(7); }, [] { ADD_FAILURE() << "WM_QUIT left the menu open"; }});
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);

  // A menu cannot open while another runs, nor for a stale menu.
  DestroyMenu(popup);
  EXPECT_FALSE(TrackPopupMenuEx(popup, 0, 100, 100, owner, nullptr));
}

TEST_F(Menus, AClickOutsideClosesTheMenuAndGoesNoFurther) {
  HWND under = TopLevel(500, 400, 200, 150);
  HWND frame = Frame();
  const POINT file = TitleCentre(frame, 0);
  Log().Clear();
  Drive(frame, {[&] { host::InjectClick(0, 600, 470); }, [] {}});
  host::InjectClick(0, file.x, file.y);
  Pump();
  EXPECT_TRUE(OpenPopups().empty());
  EXPECT_EQ(Log().Count(under, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(Log().Count(under, WM_LBUTTONUP), 0);
  EXPECT_EQ(Log().Count(under, WM_MOUSEACTIVATE), 0);
  EXPECT_EQ(Log().Count(frame, WM_EXITMENULOOP), 1);
  EXPECT_TRUE(Commands(frame).empty());
}

// --- popups: hooks, filters, placement ---

HWND g_hooked = nullptr;
WNDPROC g_menuProc = nullptr;
std::vector<std::pair<int, UINT>> g_filtered;
HWND g_owner = nullptr;

// What the toolkit's popup hook does: the border styles go at WM_CREATE, its
// own 2-pixel border comes out of WM_NCCALCSIZE, and with system shadows the
// window shrinks by 2 and moves up by 1.
constexpr int kOwnBorder = 2;

LRESULT CALLBACK BorderlessMenuProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && lParam) {
    RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    InflateRect(r, -kOwnBorder, -kOwnBorder);
  }
  if (message == WM_WINDOWPOSCHANGING) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    BOOL shadows = FALSE;
    SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &shadows, 0);
    if (!(pos->flags & SWP_NOSIZE)) {
      pos->cx += shadows ? -2 : 2;
      pos->cy += shadows ? -2 : 2;
      pos->y -= 1;
    }
  }
  return CallWindowProcW(g_menuProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SubclassingHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lParam);
  WCHAR name[16] = {};
  if (code == HC_ACTION && cwp->message == WM_CREATE && GetClassNameW(cwp->hwnd, name, 16) == 6 &&
      std::u16string(name) == u"#32768") {
    g_hooked = cwp->hwnd;
    EXPECT_TRUE(SetPropW(cwp->hwnd, u"OldMenuProc", reinterpret_cast<HANDLE>(GetWindowLongPtrW(cwp->hwnd, GWLP_WNDPROC))));
    g_menuProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(cwp->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BorderlessMenuProc)));
    SetWindowLongW(cwp->hwnd, GWL_STYLE, GetWindowLongW(cwp->hwnd, GWL_STYLE) & ~WS_BORDER);
    SetWindowLongW(cwp->hwnd, GWL_EXSTYLE, GetWindowLongW(cwp->hwnd, GWL_EXSTYLE) & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MenuFilter(int code, WPARAM, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                     (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
  if (input) g_filtered.emplace_back(code, msg->message);
  if (code == MSGF_MENU && msg->message == WM_KEYDOWN && msg->wParam == VK_LEFT) return 1;
  if (code == MSGF_MENU && msg->message == WM_KEYDOWN && msg->wParam == VK_F2) PostMessageW(g_owner, WM_CANCELMODE, 0, 0);
  return 0;
}

TEST_F(Menus, ACallWndProcHookSubclassesPopupsAndItsOwnBorderFitsTheItems) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, u"One");
  AppendMenuW(popup, MF_STRING, 2, u"Two");
  AppendMenuW(popup, MF_STRING, 3, u"Three");
  RECT plain{}, hooked{}, hookedClient{};
  Drive(owner, {[&] { GetWindowRect(OpenPopups().at(0), &plain); }});
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);

  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, SubclassingHook, nullptr, GetCurrentThreadId());
  Drive(owner, {[&] {
    HWND window = OpenPopups().at(0);
    EXPECT_EQ(window, g_hooked);
    EXPECT_NE(GetPropW(window, u"OldMenuProc"), nullptr);
    GetWindowRect(window, &hooked);
    GetClientRect(window, &hookedClient);
  }});
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  UnhookWindowsHookEx(hook);

  const int rows = 3 * GetSystemMetrics(SM_CYMENU);
  // The platform's frame: a dialog frame on every side.
  EXPECT_EQ((plain.bottom - plain.top) - rows, 2 * GetSystemMetrics(SM_CYDLGFRAME));
  // The hook's own border fits exactly around the items.
  EXPECT_EQ(hookedClient.bottom, rows);
  EXPECT_EQ(hooked.bottom - hooked.top, rows + 2 * kOwnBorder);
  EXPECT_EQ(hooked.right - hooked.left, hookedClient.right + 2 * kOwnBorder);
  EXPECT_EQ(hookedClient.right, plain.right - plain.left - 2 * GetSystemMetrics(SM_CXDLGFRAME));
  EXPECT_EQ(hooked.top, plain.top - 1);
  DestroyMenu(popup);
}

TEST_F(Menus, AMessageFilterSeesTheLoopsInputEatsLeftAndEndsItWithCancelMode) {
  HWND owner = TopLevel(50, 50, 300, 200);
  g_owner = owner;
  g_filtered.clear();
  HMENU popup = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 7, u"Deep");
  AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&More");
  AppendMenuW(popup, MF_STRING, 2, u"Two");
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
  size_t afterLeft = 0;
  Drive(owner, {
      [&] { host::InjectKeyPress(VK_DOWN); },
      [&] { host::InjectKeyPress(VK_RIGHT); },
      [&] {
        EXPECT_EQ(OpenPopups().size(), 2u);
        host::InjectKeyPress(VK_LEFT);
      },
      [&] {
        afterLeft = OpenPopups().size();
        host::InjectMouseMove(10, 10);
        host::InjectKeyPress(VK_F2);
      },
      [&] { ADD_FAILURE() << "WM_CANCELMODE left the menu open"; },
  });
  const BOOL chosen = TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(afterLeft, 2u);  // the eaten Left closed nothing
  EXPECT_TRUE(OpenPopups().empty());
  int keys = 0, moves = 0;
  for (auto [code, message] : g_filtered) {
    EXPECT_EQ(code, MSGF_MENU);
    keys += message == WM_KEYDOWN;
    moves += message == WM_MOUSEMOVE;
  }
  EXPECT_EQ(keys, 4);
  EXPECT_EQ(moves, 1);
  DestroyMenu(popup);
}

TEST_F(Menus, VerticalPopupsKeepOffTheExclusionRectangleAtEveryEdge) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  for (UINT i = 1; i <= 6; ++i) AppendMenuW(popup, MF_STRING, i, u"A longer item caption");
  struct Case {
    POINT at;
    RECT exclude;
    bool roomBeside = true;
  };
  const Case cases[] = {
      {{100, 20}, {80, 0, 180, 20}},       // top edge: below the rectangle
      {{100, 590}, {80, 570, 180, 590}},   // bottom edge: flipped above
      {{790, 300}, {760, 280, 800, 300}},  // right edge
      {{-20, 300}, {0, 280, 40, 300}},     // left edge
      {{780, 590}, {760, 570, 800, 600}},  // bottom right corner
      // A menu bar's title near the bottom excludes everything above it: the
      // popup is moved up to fit rather than run off the screen.
      {{100, 590}, {0, 0, 800, 590}, false},
  };
  for (const Case& c : cases) {
    RECT placed{};
    Drive(owner, {[&] { GetWindowRect(OpenPopups().at(0), &placed); }});
    TPMPARAMS params{sizeof(params), c.exclude};
    TrackPopupMenuEx(popup, TPM_VERTICAL | TPM_RETURNCMD, c.at.x, c.at.y, owner, &params);
    RECT overlap;
    if (c.roomBeside) {
      EXPECT_FALSE(IntersectRect(&overlap, &placed, &c.exclude)) << c.at.x << "," << c.at.y;
    }
    EXPECT_GE(placed.left, 0);
    EXPECT_GE(placed.top, 0);
    EXPECT_LE(placed.right, 800);
    EXPECT_LE(placed.bottom, 600);
  }
  DestroyMenu(popup);
}

// --- owner-drawn items ---

TEST_F(Menus, OwnerDrawnItemsAreMeasuredDrawnHighlightedAndAnswerMenuChar) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_OWNERDRAW, 21, reinterpret_cast<LPCWSTR>(0x1234));
  AppendMenuW(popup, MF_OWNERDRAW | MF_CHECKED | MF_GRAYED, 22, reinterpret_cast<LPCWSTR>(0x5678));
  std::vector<DRAWITEMSTRUCT> drawn;
  RECT client{};
  bool hilite = false;
  Drive(owner,
        {
            [&] {
              GetClientRect(OpenPopups().at(0), &client);
              host::InjectKeyPress(VK_DOWN);
            },
            [&] {
              MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE;
              GetMenuItemInfoW(popup, 21, FALSE, &info);
              hilite = (info.fState & MFS_HILITE) != 0;
              host::InjectKeyPress('Q');  // no mnemonic: the owner answers
            },
        },
        [&](UINT m, WPARAM, LPARAM l, LRESULT* r) {
          if (m == WM_MEASUREITEM) {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
            EXPECT_EQ(mis->CtlType, static_cast<UINT>(ODT_MENU));
            mis->itemWidth = mis->itemData == 0x1234 ? 100 : 60;
            mis->itemHeight = 24;
            *r = TRUE;
            return true;
          }
          if (m == WM_DRAWITEM) {
            drawn.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(l));
            *r = TRUE;
            return true;
          }
          if (m == WM_MENUCHAR) {
            EXPECT_EQ(LOWORD(l ? 0 : 1), 0);
            *r = MAKELRESULT(0, MNC_EXECUTE);
            return true;
          }
          return false;
        });
  const BOOL chosen = TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  EXPECT_EQ(chosen, 21);  // the owner's MNC_EXECUTE answer names the item
  EXPECT_EQ(client.right, 100 + GetSystemMetrics(SM_CXMENUCHECK));
  EXPECT_EQ(client.bottom, 48);
  EXPECT_TRUE(hilite);
  bool checkedGrey = false, selected = false;
  for (const DRAWITEMSTRUCT& d : drawn) {
    EXPECT_EQ(d.CtlType, static_cast<UINT>(ODT_MENU));
    EXPECT_EQ(d.hwndItem, reinterpret_cast<HWND>(popup));
    if (d.itemID == 22) checkedGrey |= (d.itemState & (ODS_CHECKED | ODS_GRAYED)) == (ODS_CHECKED | ODS_GRAYED);
    if (d.itemID == 21) selected |= (d.itemState & ODS_SELECTED) != 0;
  }
  EXPECT_TRUE(checkedGrey);
  EXPECT_TRUE(selected);
  DestroyMenu(popup);
}

TEST_F(Menus, UpAndDownSkipSeparatorsOwnerDrawnOrNotButStopOnGreyItems) {
  HWND owner = TopLevel(50, 50, 300, 200);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_OWNERDRAW, 31, reinterpret_cast<LPCWSTR>(1));
  AppendMenuW(popup, MF_OWNERDRAW | MF_SEPARATOR, 0, reinterpret_cast<LPCWSTR>(2));
  AppendMenuW(popup, MF_STRING, 32, u"Plain");
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popup, MF_STRING | MF_GRAYED, 33, u"Grey");
  auto selected = [&] {
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
      if (GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    return -1;
  };
  std::vector<int> path;
  std::deque<std::function<void()>> steps;
  for (UINT vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_UP})
    steps.push_back([&path, &selected, vk] {
      if (!path.empty() || selected() >= 0) path.push_back(selected());
      host::InjectKeyPress(vk);
    });
  steps.push_back([&] { path.push_back(selected()); });
  Drive(owner, std::move(steps), [](UINT m, WPARAM, LPARAM l, LRESULT* r) {
    if (m != WM_MEASUREITEM) return false;
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
    mis->itemWidth = 80;
    mis->itemHeight = mis->itemData == 2 ? 6 : 20;
    *r = TRUE;
    return true;
  });
  TrackPopupMenuEx(popup, TPM_RETURNCMD, 100, 100, owner, nullptr);
  EXPECT_EQ(path, (std::vector<int>{0, 2, 4, 0, 4, 2}));
  DestroyMenu(popup);
}

// --- accelerators and key names ---

TEST_F(Menus, AcceleratorsSendCommandsUnlessTheirItemIsDisabled) {
  HWND frame = Frame();
  SetFocus(frame);
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
  ASSERT_NE(table, nullptr);
  auto run = [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateAcceleratorW(frame, table, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  };
  Log().Clear();
  PressWith(VK_CONTROL, 'N');
  host::InjectKeyPress('G');  // a character entry
  run();
  auto commands = Commands(frame);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(kFileNew, 1));
  EXPECT_EQ(commands[1].wParam, MAKEWPARAM(kViewGrid, 1));
  EXPECT_GE(Log().Count(frame, WM_INITMENU), 1);
  EXPECT_GE(Log().Count(frame, WM_INITMENUPOPUP), 1);

  // The update pass greys New: Ctrl+N does nothing more.
  Log().Clear();
  Log().SetHandler(frame, [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT*) {
    if (m == WM_INITMENUPOPUP) EnableMenuItem(reinterpret_cast<HMENU>(w), kFileNew, MF_GRAYED);
    return false;
  });
  PressWith(VK_CONTROL, 'N');
  run();
  EXPECT_TRUE(Commands(frame).empty());
  EXPECT_EQ(Log().Count(frame, WM_CHAR), 0);  // the key was still eaten
}

TEST_F(Menus, KeyNamesAreThePlatformsUsEnglishNames) {
  auto name = [](UINT vk, bool extended = false) {
    WCHAR text[32] = {};
    LONG lParam = static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16);
    if (extended) lParam |= 1 << 24;
    GetKeyNameTextW(lParam, text, 32);
    return std::u16string(text);
  };
  EXPECT_EQ(name(VK_CONTROL), u"Ctrl");
  EXPECT_EQ(name(VK_SHIFT), u"Shift");
  EXPECT_EQ(name(VK_MENU), u"Alt");
  EXPECT_EQ(name(VK_F1), u"F1");
  EXPECT_EQ(name(VK_F10), u"F10");
  EXPECT_EQ(name(VK_F12), u"F12");
  EXPECT_EQ(name(VK_BACK), u"Backspace");
  EXPECT_EQ(name(VK_RETURN), u"Enter");
  EXPECT_EQ(name(VK_ESCAPE), u"Esc");
  EXPECT_EQ(name(VK_SPACE), u"Space");
  EXPECT_EQ(name(VK_TAB), u"Tab");
  EXPECT_EQ(name(VK_CAPITAL), u"Caps Lock");
  EXPECT_EQ(name('A'), u"A");
  EXPECT_EQ(name('7'), u"7");
  // Navigation keys without the extended bit are named as the keypad's.
  EXPECT_EQ(name(VK_HOME), u"Num 7");
  EXPECT_EQ(name(VK_END), u"Num 1");
  EXPECT_EQ(name(VK_PRIOR), u"Num 9");
  EXPECT_EQ(name(VK_NEXT), u"Num 3");
  EXPECT_EQ(name(VK_INSERT), u"Num 0");
  EXPECT_EQ(name(VK_DELETE), u"Num Del");
  EXPECT_EQ(name(VK_HOME, true), u"Home");
  WCHAR small[3];
  EXPECT_EQ(GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(VK_CONTROL, 0) << 16), small, 3), 2);
  EXPECT_EQ(std::u16string(small), u"Ct");
}

// --- the system menu, minimum and maximum sizes ---

TEST_F(Menus, AltSpaceOpensTheSystemMenuAndAGreyCloseStopsClosing) {
  HWND frame = Frame();
  SetFocus(frame);
  Log().Clear();
  HMENU system = GetSystemMenu(frame, FALSE);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(GetSystemMenu(frame, FALSE), system);  // one copy per window
  Drive(frame, {
      [&] {
        ASSERT_EQ(OpenPopups().size(), 1u);
        // Restore is greyed for a restored window; Minimize is not.
        EXPECT_TRUE(GetMenuState(system, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_FALSE(GetMenuState(system, SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_TRUE(host::WriteDesktopPng(std::string(CALVETTA_TEST_PNG_DIR) + "/menus_system_menu.png"));
        host::InjectKeyPress('N');
      },
  });
  PressWithAlt(VK_SPACE);
  Pump();
  bool systemPopup = false;
  for (const Logged& e : Log().Entries())
    systemPopup |= e.hwnd == frame && e.message == WM_INITMENUPOPUP && HIWORD(e.lParam) == TRUE;
  EXPECT_TRUE(systemPopup);
  auto sys = Commands(frame, WM_SYSCOMMAND);
  ASSERT_FALSE(sys.empty());
  EXPECT_EQ(sys.back().wParam, static_cast<WPARAM>(SC_MINIMIZE));
  EXPECT_TRUE(IsIconic(frame));
  ShowWindow(frame, SW_RESTORE);
  Pump();

  // A greyed Close greys the caption button and Alt+F4 does nothing.
  RECT window;
  GetWindowRect(frame, &window);
  const POINT close{window.right - 12, window.top + 12};
  auto surface = host::DesktopSurface();
  const uint32_t before = surface->Row(close.y)[close.x];
  EnableMenuItem(system, SC_CLOSE, MF_GRAYED);  // the button follows at once
  Pump();
  EXPECT_NE(surface->Row(close.y)[close.x], before);
  SetFocus(frame);
  PressWithAlt(VK_F4);
  Pump();
  host::InjectClick(0, close.x, close.y);
  Pump();
  EXPECT_TRUE(IsWindow(frame));
  EnableMenuItem(system, SC_CLOSE, MF_ENABLED);
  PressWithAlt(VK_F4);
  Pump();
  EXPECT_FALSE(IsWindow(frame));
}

TEST_F(Menus, AThickFrameChildSizesInsideItsParentWithinItsLimits) {
  HWND parent = TopLevel(50, 50, 400, 300);
  HWND child = Child(parent, 10, 10, 100, 100, 5, WS_CHILD | WS_VISIBLE | WS_THICKFRAME);
  int maxWidth = 220;
  Log().SetHandler(child, [&maxWidth](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
    if (m != WM_GETMINMAXINFO) return false;
    auto* info = reinterpret_cast<MINMAXINFO*>(l);
    info->ptMinTrackSize = POINT{60, 60};
    info->ptMaxTrackSize = POINT{maxWidth, 220};
    return true;
  });
  Pump();
  // Every pointer position stays over the parent: input the headless host
  // injects before the size loop holds the capture goes to the window below.
  auto dragRightTo = [&](int toX) {
    RECT r;
    GetWindowRect(child, &r);
    const int x = r.right - 2, y = (r.top + r.bottom) / 2;
    host::InjectMouseButton(0, true, x, y);
    host::InjectMouseMove((x + toX) / 2, y);
    host::InjectMouseMove(toX, y);
    host::InjectMouseButton(0, false, toX, y);
    Pump();
    GetWindowRect(child, &r);
    return r;
  };
  RECT start;
  GetWindowRect(child, &start);
  EXPECT_EQ(dragRightTo(start.right - 2 + 50).right - start.left, 150);
  EXPECT_EQ(dragRightTo(start.left + 350).right - start.left, 220);  // the maximum tracking size
  EXPECT_EQ(dragRightTo(start.left + 10).right - start.left, 60);    // the minimum tracking size
  maxWidth = 1000;
  MoveWindow(child, 300, 10, 60, 100, TRUE);
  Pump();
  // Without a tracking limit in reach, the parent's edge stops it.
  RECT parentWindow, parentClient;
  GetWindowRect(parent, &parentWindow);
  GetClientRect(parent, &parentClient);
  MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&parentClient), 2);
  EXPECT_EQ(dragRightTo(parentWindow.right - 1).right, parentClient.right);
}

TEST_F(Menus, MaximisingKeepsToTheMaximumTheWindowAsksFor) {
  HWND frame = TopLevel(50, 50, 300, 200);
  Log().SetHandler(frame, [](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
    if (m != WM_GETMINMAXINFO) return false;
    auto* info = reinterpret_cast<MINMAXINFO*>(l);
    info->ptMaxSize = POINT{500, 400};
    info->ptMaxPosition = POINT{20, 30};
    return true;
  });
  ShowWindow(frame, SW_MAXIMIZE);
  RECT r;
  GetWindowRect(frame, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 400);
}

// --- a picture for a person ---

TEST_F(Menus, AnOpenMenuShowsChecksBulletsGreyTextSeparatorsArrowsAndAccelerators) {
  HWND frame = Frame(40, 40, 420, 320);
  HMENU view = GetSubMenu(GetMenu(frame), 2);
  CheckMenuRadioItem(view, kViewWire, 303, kViewWire, MF_BYCOMMAND);
  const POINT title = TitleCentre(frame, 2);
  bool written = false;
  std::vector<HWND> shown;
  Drive(frame, {
      [&] { host::InjectKeyPress(VK_DOWN); },
      [&] {
        shown = OpenPopups();
        ASSERT_EQ(shown.size(), 1u);
        RECT r;
        GetWindowRect(shown[0], &r);
        const std::string path = std::string(CALVETTA_TEST_PNG_DIR) + "/menus_open_view_menu.png";
        written = host::WriteDesktopPng(path);
      },
  });
  host::InjectClick(0, title.x, title.y);
  Pump();
  EXPECT_TRUE(written);
}

}  // namespace
}  // namespace wintest

// What a real host sends besides mouse and keys, played headless: the host
// losing and regaining the focus, its window manager's close, move, size,
// state and activation of one window, the pointer leaving for another
// program, its lock lights, and characters its keyboard made riding with
// their keys; a click on a window a modal dialog disables; and the X key map.
#include <X11/keysym.h>

#include "compat/host.h"
#include "compat/host/x11_keymap.h"
#include "compat/win32/window_test_support.h"

namespace wintest {
namespace {

namespace host = compat::host;
using HostEvents = WindowTest;

void Deliver(host::InputKind kind) {
  host::InputEvent event;
  event.kind = kind;
  host::DeliverInput(event);
}

void DeliverKey(unsigned vk, bool down, char32_t character, bool extended = false) {
  host::InputEvent event;
  event.kind = down ? host::InputKind::KeyDown : host::InputKind::KeyUp;
  event.virtualKey = vk;
  event.extended = extended;
  event.hasCharacter = down;
  event.character = character;
  host::DeliverInput(event);
}

TEST_F(HostEvents, LosingTheFocusDeactivatesEndsTheDragAndForgetsHeldKeys) {
  HWND top = TopLevel(10, 10, 300, 200);
  HWND child = Child(top, 10, 10, 100, 50);
  SetActiveWindow(top);
  SetFocus(child);
  Pump();
  SetCapture(child);
  host::InjectKey(VK_MENU, true);
  Pump();
  ASSERT_LT(GetKeyState(VK_MENU), 0);
  Log().Clear();

  Deliver(host::InputKind::FocusLost);
  Pump();
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Log().Count(top, WM_CANCELMODE), 1);
  EXPECT_EQ(Log().Filtered({WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}, top),
            (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}));
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == top && (e.message == WM_NCACTIVATE || e.message == WM_ACTIVATEAPP)) {
      EXPECT_EQ(e.wParam, 0u);
    }
  }
  // No Alt stays down after the user switched away with it.
  EXPECT_GE(GetKeyState(VK_MENU), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_MENU), 0);

  // Back: the window and its focus return, and the keyboard is read as it is.
  host::InputEvent back;
  back.kind = host::InputKind::FocusGained;
  back.heldKeys[VK_SHIFT / 8] |= 1 << (VK_SHIFT % 8);
  back.lockToggles = host::kCapsLockOn | host::kNumLockOn;
  Log().Clear();
  host::DeliverInput(back);
  Pump();
  EXPECT_EQ(GetActiveWindow(), top);
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(Log().Count(top, WM_ACTIVATEAPP), 1);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 1);
  EXPECT_EQ(GetKeyState(VK_SCROLL) & 1, 0);
  host::InjectKey(VK_SHIFT, false);
  Pump();
}

TEST_F(HostEvents, GainingTheFocusFirstActivatesNothingNew) {
  HWND top = TopLevel(10, 10, 300, 200);
  SetActiveWindow(top);
  Pump();
  Log().Clear();
  Deliver(host::InputKind::FocusGained);
  Pump();
  EXPECT_EQ(GetActiveWindow(), top);
  EXPECT_EQ(Log().Count(top, WM_ACTIVATE), 0);
}

TEST_F(HostEvents, CloseButtonAsksTheMainWindowWhichMayRefuse) {
  HWND main = TopLevel(0, 0, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Main");
  HWND dialog = CreateWindowExW(0, kTestClass, u"Dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, 200, 100,
                                main, nullptr, nullptr, nullptr);
  Pump();
  Log().Clear();
  // The main window answers "Cancel" to closing.
  Log().SetHandler(main, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* result) {
    if (m != WM_CLOSE) return false;
    *result = 0;
    return true;
  });
  Deliver(host::InputKind::CloseRequest);
  Pump();
  bool asked = false;
  for (const Logged& e : Log().Entries())
    asked |= e.hwnd == main && e.message == WM_SYSCOMMAND && e.wParam == SC_CLOSE;
  EXPECT_TRUE(asked);
  EXPECT_EQ(Log().Count(main, WM_CLOSE), 1);
  EXPECT_EQ(Log().Count(dialog, WM_SYSCOMMAND), 0);
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(HostEvents, CharactersTheHostMadeBecomeTheKeysCharacters) {
  HWND top = TopLevel(0, 0, 300, 200);
  SetFocus(top);
  Pump();
  Log().Clear();
  DeliverKey(host::kVkPacket, true, U'\u00F6');  // a character of its own
  DeliverKey(host::kVkPacket, false, 0);
  DeliverKey(host::kVkPacket, true, U'\U0001F600');  // outside the basic plane
  DeliverKey('1', true, 0);  // the host made none (Control held, say)
  DeliverKey('1', false, 0);
  DeliverKey(VK_RETURN, true, U'\r', true);  // the keypad's Enter
  Pump();
  std::vector<WPARAM> chars;
  bool extended = false;
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == top && e.message == WM_CHAR) chars.push_back(e.wParam);
    if (e.hwnd == top && e.message == WM_KEYDOWN && e.wParam == VK_RETURN) extended = (e.lParam >> 24) & 1;
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{0xF6, 0xD83D, 0xDE00, 13}));
  EXPECT_TRUE(extended);
  // Injected keys, which carry no character, still type through the US table.
  Log().Clear();
  host::InjectKeyPress('Q');
  Pump();
  EXPECT_EQ(Log().Filtered({WM_CHAR}, top).size(), 1u);
}

TEST_F(HostEvents, LockLightsSetTheToggleBits) {
  HWND top = TopLevel(0, 0, 300, 200);
  SetFocus(top);
  Pump();
  host::InputEvent lights;
  lights.kind = host::InputKind::LockState;
  lights.lockToggles = host::kScrollLockOn;
  host::DeliverInput(lights);
  EXPECT_EQ(GetKeyState(VK_SCROLL) & 1, 1);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
  lights.lockToggles = 0;
  host::DeliverInput(lights);
  EXPECT_EQ(GetKeyState(VK_SCROLL) & 1, 0);
}

// --- the host's window manager ---

host::InputEvent ForWindow(host::InputKind kind, HWND hwnd) {
  host::InputEvent event;
  event.kind = kind;
  event.window = reinterpret_cast<uintptr_t>(hwnd);
  return event;
}

TEST_F(HostEvents, CloseRequestGoesToTheWindowItNames) {
  HWND main = TopLevel(0, 0, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Main");
  HWND dialog = CreateWindowExW(0, kTestClass, u"Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 50, 50,
                                200, 100, main, nullptr, nullptr, nullptr);
  Pump();
  Log().Clear();
  host::DeliverInput(ForWindow(host::InputKind::CloseRequest, dialog));
  Pump();
  EXPECT_EQ(Log().Count(main, WM_SYSCOMMAND), 0);
  EXPECT_FALSE(IsWindow(dialog)) << "closed as its own close button would";
  EXPECT_TRUE(IsWindow(main));
  // A window gone meanwhile: the main window is asked, as with no window named.
  Log().SetHandler(main, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* result) {
    if (m != WM_CLOSE) return false;
    *result = 0;
    return true;
  });
  host::DeliverInput(ForWindow(host::InputKind::CloseRequest, dialog));
  Pump();
  EXPECT_EQ(Log().Count(main, WM_CLOSE), 1);
  EXPECT_TRUE(IsWindow(main));
}

TEST_F(HostEvents, TheHostsMovesSizesAndStatesReachTheWindow) {
  HWND main = TopLevel(10, 10, 400, 300);
  HWND other = TopLevel(500, 10, 100, 100);
  Pump();
  Log().Clear();
  host::InputEvent moved = ForWindow(host::InputKind::WindowMoved, main);
  moved.rect = RECT{100, 80, 700, 580};
  host::DeliverInput(moved);
  Pump();
  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right, 700);
  EXPECT_EQ(r.bottom, 580);
  EXPECT_EQ(Log().Count(main, WM_WINDOWPOSCHANGED), 1);
  EXPECT_EQ(Log().Count(main, WM_SIZE), 1);
  EXPECT_EQ(Log().Count(main, WM_MOVE), 1);
  EXPECT_EQ(Log().Count(other, WM_WINDOWPOSCHANGED), 0);
  // Where it already is: nothing to tell.
  Log().Clear();
  host::DeliverInput(moved);
  Pump();
  EXPECT_EQ(Log().Count(main, WM_WINDOWPOSCHANGED), 0);

  host::InputEvent state = ForWindow(host::InputKind::WindowState, main);
  state.x = 2;
  host::DeliverInput(state);
  Pump();
  EXPECT_TRUE(IsZoomed(main));
  state.x = 0;
  host::DeliverInput(state);
  Pump();
  EXPECT_FALSE(IsZoomed(main));
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 100) << "restored to where the host put it";
  EXPECT_EQ(r.right, 700);
  state.x = 1;
  host::DeliverInput(state);
  Pump();
  EXPECT_TRUE(IsIconic(main));
  state.x = 0;
  host::DeliverInput(state);
  Pump();
  EXPECT_FALSE(IsIconic(main));
  // A child is no window of the host's.
  HWND child = Child(main, 10, 10, 50, 50);
  Log().Clear();
  moved = ForWindow(host::InputKind::WindowMoved, child);
  moved.rect = RECT{0, 0, 5, 5};
  host::DeliverInput(moved);
  Pump();
  EXPECT_EQ(Log().Count(child, WM_WINDOWPOSCHANGED), 0);
}

TEST_F(HostEvents, TheHostsFocusActivatesTheWindowOrTheDialogThatDisablesIt) {
  HWND main = TopLevel(0, 0, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Main");
  HWND other = TopLevel(450, 0, 200, 200);
  Pump();
  host::DeliverInput(ForWindow(host::InputKind::WindowActivated, other));
  Pump();
  EXPECT_EQ(GetActiveWindow(), other);
  host::DeliverInput(ForWindow(host::InputKind::WindowActivated, main));
  Pump();
  EXPECT_EQ(GetActiveWindow(), main);

  HWND dialog = CreateWindowExW(0, kTestClass, u"Dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, 200, 100,
                                main, nullptr, nullptr, nullptr);
  EnableWindow(main, FALSE);
  host::DeliverInput(ForWindow(host::InputKind::WindowActivated, other));
  Pump();
  ASSERT_EQ(GetActiveWindow(), other);
  host::DeliverInput(ForWindow(host::InputKind::WindowActivated, main));
  Pump();
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), dialog) << "brought to the top";
  EnableWindow(main, TRUE);
  DestroyWindow(dialog);
}

TEST_F(HostEvents, AClickOnAWindowAModalDialogDisablesReachesNothingAndBringsUpTheDialog) {
  HWND main = TopLevel(0, 0, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Main");
  HWND child = Child(main, 20, 40, 200, 150);
  HWND dialog = CreateWindowExW(0, kTestClass, u"Dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 250, 150, 140, 100,
                                main, nullptr, nullptr, nullptr);
  HWND other = TopLevel(450, 0, 200, 200);
  EnableWindow(main, FALSE);
  SetActiveWindow(other);
  Pump();
  Log().Clear();
  // On the frame's (enabled) child, then on the frame's caption.
  host::InjectClick(0, 60, 100);
  host::InjectClick(0, 100, 10);
  Pump();
  EXPECT_EQ(Log().Count(child, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(Log().Count(child, WM_LBUTTONUP), 0);
  EXPECT_EQ(Log().Count(main, WM_NCLBUTTONDOWN), 0);
  EXPECT_EQ(Log().Count(main, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(GetActiveWindow(), dialog);
  // Enabled again, the child takes its clicks.
  EnableWindow(main, TRUE);
  DestroyWindow(dialog);
  Pump();
  Log().Clear();
  host::InjectClick(0, 60, 100);
  Pump();
  EXPECT_EQ(Log().Count(child, WM_LBUTTONDOWN), 1);
}

TEST_F(HostEvents, PointerLeavingForAnotherProgramLeavesNoWindowOfOursUnderIt) {
  HWND top = TopLevel(0, 0, 400, 300);
  Pump();
  host::InjectMouseMove(100, 100);
  Pump();
  ASSERT_EQ(WindowFromPoint(POINT{100, 100}), top);
  host::InputEvent left;
  left.kind = host::InputKind::PointerLeft;
  left.x = 120;
  left.y = 110;
  host::DeliverInput(left);
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 120);
  EXPECT_EQ(at.y, 110);
  EXPECT_EQ(WindowFromPoint(at), GetDesktopWindow()) << "another program's window lies there";
  EXPECT_EQ(WindowFromPoint(POINT{50, 50}), top);
  // Back over ours.
  host::InjectMouseMove(120, 110);
  Pump();
  EXPECT_EQ(WindowFromPoint(POINT{120, 110}), top);
}

TEST(X11KeyMap, KeysymsBecomeTheLayoutsVirtualKeys) {
  using host::KeyFromKeysym;
  EXPECT_EQ(KeyFromKeysym(XK_a).virtualKey, 'A');
  EXPECT_EQ(KeyFromKeysym(XK_7).virtualKey, '7');
  EXPECT_EQ(KeyFromKeysym(XK_F10).virtualKey, VK_F10);
  EXPECT_EQ(KeyFromKeysym(XK_F24).virtualKey, 0x87u);
  EXPECT_EQ(KeyFromKeysym(XK_comma).virtualKey, VK_OEM_COMMA);
  // Navigation: its own block is extended, the keypad's (Num Lock off) is not.
  EXPECT_TRUE(KeyFromKeysym(XK_Home).extended);
  EXPECT_EQ(KeyFromKeysym(XK_KP_Home).virtualKey, VK_HOME);
  EXPECT_FALSE(KeyFromKeysym(XK_KP_Home).extended);
  EXPECT_EQ(KeyFromKeysym(XK_KP_7).virtualKey, VK_NUMPAD7);
  // Right-hand modifiers: the generic key, told apart by the extended bit or scan code.
  EXPECT_EQ(KeyFromKeysym(XK_Control_R).virtualKey, VK_CONTROL);
  EXPECT_TRUE(KeyFromKeysym(XK_Control_R).extended);
  EXPECT_EQ(KeyFromKeysym(XK_Alt_L).virtualKey, VK_MENU);
  EXPECT_EQ(KeyFromKeysym(XK_Shift_R).scanCode, 0x36u);
  EXPECT_EQ(KeyFromKeysym(XK_odiaeresis).virtualKey, 0u);
}

}  // namespace
}  // namespace wintest

// Keyboard input: key messages to the focus, characters from TranslateMessage,
// key state, system keys.
#include "compat/host.h"
#include "window_test_support.h"

namespace wintest {
namespace {

using Keyboard = WindowTest;
namespace host = compat::host;

std::u16string TypedChars(HWND hwnd) {
  std::u16string text;
  for (const Logged& e : MessageLog::Get().Entries())
    if (e.hwnd == hwnd && e.message == WM_CHAR) text += static_cast<char16_t>(e.wParam);
  return text;
}

TEST_F(Keyboard, KeysGoToTheFocusAndBecomeCharacters) {
  HWND top = TopLevel(0, 0, 300, 300);
  HWND edit = Child(top, 10, 10, 100, 20);
  SetFocus(edit);
  Pump();
  Log().Clear();
  const DWORD before = GetTickCount();
  host::InjectKeyPress('H');
  host::InjectKey(VK_SHIFT, true);
  host::InjectKeyPress('I');
  host::InjectKeyPress('1');
  host::InjectKey(VK_SHIFT, false);
  host::InjectKeyPress(VK_SPACE);
  host::InjectKeyPress(VK_OEM_PERIOD);
  host::InjectKeyPress(VK_LEFT);  // no character
  Pump();
  EXPECT_EQ(TypedChars(edit), u"hI! .");
  // Input messages carry the time of GetTickCount's clock.
  EXPECT_LE(static_cast<DWORD>(GetMessageTime()) - before, 10000u);
  EXPECT_EQ(Log().Count(top, WM_KEYDOWN), 0);
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == edit && e.message == WM_KEYDOWN && e.wParam == 'H') {
      EXPECT_EQ((e.lParam >> 16) & 0xFF, 0x23);  // scan code
      EXPECT_EQ(e.lParam & 0xFFFF, 1);           // repeat count
    }
    if (e.hwnd == edit && e.message == WM_KEYUP) {
      EXPECT_NE(static_cast<DWORD>(e.lParam) & 0x80000000u, 0u);
    }
  }
}

TEST_F(Keyboard, KeyStateFollowsTheMessagesRead) {
  HWND top = TopLevel(0, 0, 300, 300);
  Pump();
  SHORT during = 0;
  Log().SetHandler(top, [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT*) {
    if (m == WM_KEYDOWN && w == 'A') during = GetKeyState(VK_CONTROL);
    return false;
  });
  host::InjectKey(VK_CONTROL, true);
  host::InjectKey('A', true);
  // Not read yet: the thread's state has not moved, the async state has.
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0);
  EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
  Pump();
  EXPECT_NE(during & 0x8000, 0);
  EXPECT_EQ(TypedChars(top), std::u16string(1, char16_t(1)));  // Ctrl+A
  host::InjectKey('A', false);
  host::InjectKey(VK_CONTROL, false);
  Pump();
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0);
  // Caps Lock toggles.
  host::InjectKeyPress(VK_CAPITAL);
  Pump();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  host::InjectKeyPress('Q');
  Pump();
  EXPECT_EQ(TypedChars(top).back(), u'Q');
}

TEST_F(Keyboard, AltMakesSystemKeysAndAltF4Closes) {
  HWND top = TopLevel(0, 0, 300, 300);
  Pump();
  Log().Clear();
  host::InjectKey(VK_MENU, true);
  host::InjectKeyPress(VK_F4);
  host::InjectKey(VK_MENU, false);
  Pump();
  EXPECT_FALSE(IsWindow(top));
  EXPECT_EQ(Log().Count(top, WM_KEYDOWN), 0);
  EXPECT_GE(Log().Count(top, WM_SYSKEYDOWN), 2);
  EXPECT_EQ(Log().Count(top, WM_CLOSE), 1);
}

}  // namespace
}  // namespace wintest

// TranslateAcceleratorW and GetKeyNameTextW with the US-English key names.
#include <algorithm>
#include <vector>

#include "compat/win32/menu_state.h"

namespace compat::menus {
namespace {

constexpr int kMaxAccelerators = 0x10000;

struct KeyName {
  UINT scan;
  bool extended;
  const char16_t* name;
};

// Keys whose name is not their character. Without the extended bit the
// navigation keys are the keypad's, as on the platform.
constexpr KeyName kNames[] = {
    {0x01, false, u"Esc"},       {0x0E, false, u"Backspace"},  {0x0F, false, u"Tab"},
    {0x1C, false, u"Enter"},     {0x1C, true, u"Num Enter"},   {0x1D, false, u"Ctrl"},
    {0x1D, true, u"Right Ctrl"}, {0x2A, false, u"Shift"},      {0x36, false, u"Right Shift"},
    {0x35, true, u"Num /"},      {0x37, false, u"Num *"},      {0x38, false, u"Alt"},
    {0x38, true, u"Right Alt"},  {0x39, false, u"Space"},      {0x3A, false, u"Caps Lock"},
    {0x3B, false, u"F1"},        {0x3C, false, u"F2"},         {0x3D, false, u"F3"},
    {0x3E, false, u"F4"},        {0x3F, false, u"F5"},         {0x40, false, u"F6"},
    {0x41, false, u"F7"},        {0x42, false, u"F8"},         {0x43, false, u"F9"},
    {0x44, false, u"F10"},       {0x57, false, u"F11"},        {0x58, false, u"F12"},
    {0x45, false, u"Pause"},     {0x45, true, u"Num Lock"},    {0x46, false, u"Scroll Lock"},
    {0x47, false, u"Num 7"},     {0x48, false, u"Num 8"},      {0x49, false, u"Num 9"},
    {0x4A, false, u"Num -"},     {0x4B, false, u"Num 4"},      {0x4C, false, u"Num 5"},
    {0x4D, false, u"Num 6"},     {0x4E, false, u"Num +"},      {0x4F, false, u"Num 1"},
    {0x50, false, u"Num 2"},     {0x51, false, u"Num 3"},      {0x52, false, u"Num 0"},
    {0x53, false, u"Num Del"},   {0x47, true, u"Home"},        {0x48, true, u"Up"},
    {0x49, true, u"Page Up"},    {0x4B, true, u"Left"},        {0x4D, true, u"Right"},
    {0x4F, true, u"End"},        {0x50, true, u"Down"},        {0x51, true, u"Page Down"},
    {0x52, true, u"Insert"},     {0x53, true, u"Delete"},
};

std::u16string NameOf(UINT scan, bool extended) {
  for (const KeyName& k : kNames) {
    if (k.scan == scan && k.extended == extended) return k.name;
  }
  const UINT vk = MapVirtualKeyW(scan, MAPVK_VSC_TO_VK);
  if (!vk) return {};
  UINT ch = MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR);
  if (ch >= u'a' && ch <= u'z') ch -= 32;
  return ch >= 32 ? std::u16string(1, static_cast<char16_t>(ch)) : std::u16string();
}

bool Down(int vk) { return GetKeyState(vk) < 0; }

bool Matches(const ACCEL& a, const MSG& msg) {
  const bool alt = (msg.lParam & (1 << 29)) != 0;
  if (a.fVirt & FVIRTKEY) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    return a.key == msg.wParam && ((a.fVirt & FSHIFT) != 0) == Down(VK_SHIFT) &&
           ((a.fVirt & FCONTROL) != 0) == Down(VK_CONTROL) && ((a.fVirt & FALT) != 0) == alt;
  }
  if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
  return a.key == msg.wParam && ((a.fVirt & FALT) != 0) == alt;
}

// Lets the update handlers run on the item's menus first; false when the
// item then stands disabled in the window's own menu.
bool CommandEnabled(HWND hwnd, UINT command) {
  HMENU menu = GetMenu(hwnd);
  if (!menu || IsIconic(hwnd)) return true;
  HMENU owner = nullptr;
  int index = -1;
  {
    MenuGuard guard = LockMenus();
    if (!FindItem(menu, command, false, &owner, &index)) return true;
  }
  SendMessageW(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  if (owner != menu) {
    // The popup's position in its parent, for WM_INITMENUPOPUP.
    int position = 0;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
      if (GetSubMenu(menu, i) == owner) position = i;
    }
    SendMessageW(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(owner), MAKELPARAM(position, FALSE));
  }
  const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
  return state == 0xFFFFFFFFu || !(state & (MF_GRAYED | MF_DISABLED));
}

}  // namespace
}  // namespace compat::menus

using namespace compat::menus;

int WINAPI TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg) {
  if (!msg || !IsWindow(hwnd)) return 0;
  const UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_CHAR && m != WM_SYSCHAR) return 0;
  const int count = CopyAcceleratorTableW(table, nullptr, 0);
  if (count <= 0 || count > kMaxAccelerators) return 0;
  std::vector<ACCEL> entries(static_cast<size_t>(count));
  CopyAcceleratorTableW(table, entries.data(), count);
  auto match = std::find_if(entries.begin(), entries.end(), [&](const ACCEL& a) { return Matches(a, *msg); });
  if (match == entries.end()) return 0;
  // A disabled item eats its key without a command, as the platform does.
  if (!CommandEnabled(hwnd, match->cmd)) return 1;
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(match->cmd, 1), 0);
  return 1;
}

int WINAPI GetKeyNameTextW(LONG lParam, LPWSTR text, int size) {
  if (!text || size <= 0) return 0;
  const UINT scan = (static_cast<DWORD>(lParam) >> 16) & 0xFF;
  const bool extended = (lParam & (1 << 24)) != 0;
  const std::u16string name = NameOf(scan, extended);
  const int count = std::min(static_cast<int>(name.size()), size - 1);
  std::copy(name.begin(), name.begin() + count, text);
  text[count] = 0;
  return count;
}

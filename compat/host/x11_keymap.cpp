// X keysyms to virtual keys: letters and digits by their unshifted keysym,
// the function, navigation, keypad and modifier keys by table. Scan codes
// are left to the window manager's US table except where one virtual key
// stands for two keys (the right Shift).
#include "compat/host/x11_keymap.h"

#include <X11/keysym.h>

#include "compat/win32/user.h"

namespace compat::host {
namespace {

struct KeysymKey {
  unsigned long keysym;
  HostKey key;
};

constexpr unsigned kVkF13 = 0x7C;
constexpr unsigned kRightShiftScan = 0x36;

constexpr KeysymKey kTable[] = {
    {XK_BackSpace, {VK_BACK}},        {XK_Tab, {VK_TAB}},
    {XK_ISO_Left_Tab, {VK_TAB}},      {XK_Return, {VK_RETURN}},
    {XK_Escape, {VK_ESCAPE}},         {XK_space, {VK_SPACE}},
    {XK_Pause, {VK_PAUSE}},           {XK_Scroll_Lock, {VK_SCROLL}},
    {XK_Caps_Lock, {VK_CAPITAL}},     {XK_Num_Lock, {VK_NUMLOCK, 0, true}},
    {XK_Print, {VK_SNAPSHOT, 0, true}},
    {XK_Shift_L, {VK_SHIFT}},         {XK_Shift_R, {VK_SHIFT, kRightShiftScan}},
    {XK_Control_L, {VK_CONTROL}},     {XK_Control_R, {VK_CONTROL, 0, true}},
    {XK_Alt_L, {VK_MENU}},            {XK_Alt_R, {VK_MENU, 0, true}},
    {XK_Meta_L, {VK_MENU}},           {XK_Meta_R, {VK_MENU, 0, true}},
    {XK_ISO_Level3_Shift, {VK_MENU, 0, true}},
    {XK_Super_L, {VK_LWIN, 0x5B, true}}, {XK_Super_R, {VK_RWIN, 0x5C, true}},
    {XK_Menu, {VK_APPS, 0x5D, true}},
    // Navigation keys of their own block are extended; the keypad's are not.
    {XK_Home, {VK_HOME, 0, true}},    {XK_End, {VK_END, 0, true}},
    {XK_Prior, {VK_PRIOR, 0, true}},  {XK_Next, {VK_NEXT, 0, true}},
    {XK_Left, {VK_LEFT, 0, true}},    {XK_Right, {VK_RIGHT, 0, true}},
    {XK_Up, {VK_UP, 0, true}},        {XK_Down, {VK_DOWN, 0, true}},
    {XK_Insert, {VK_INSERT, 0, true}}, {XK_Delete, {VK_DELETE, 0, true}},
    {XK_KP_Home, {VK_HOME}},          {XK_KP_End, {VK_END}},
    {XK_KP_Prior, {VK_PRIOR}},        {XK_KP_Next, {VK_NEXT}},
    {XK_KP_Left, {VK_LEFT}},          {XK_KP_Right, {VK_RIGHT}},
    {XK_KP_Up, {VK_UP}},              {XK_KP_Down, {VK_DOWN}},
    {XK_KP_Insert, {VK_INSERT}},      {XK_KP_Delete, {VK_DELETE}},
    {XK_KP_Begin, {VK_CLEAR}},
    {XK_KP_Enter, {VK_RETURN, 0, true}}, {XK_KP_Divide, {VK_DIVIDE, 0, true}},
    {XK_KP_Multiply, {VK_MULTIPLY}},  {XK_KP_Subtract, {VK_SUBTRACT}},
    {XK_KP_Add, {VK_ADD}},            {XK_KP_Decimal, {VK_DECIMAL}},
    {XK_KP_Separator, {VK_DECIMAL}},
    {XK_minus, {VK_OEM_MINUS}},       {XK_equal, {VK_OEM_PLUS}},
    {XK_bracketleft, {VK_OEM_4}},     {XK_bracketright, {VK_OEM_6}},
    {XK_semicolon, {VK_OEM_1}},       {XK_apostrophe, {VK_OEM_7}},
    {XK_grave, {VK_OEM_3}},           {XK_backslash, {VK_OEM_5}},
    {XK_comma, {VK_OEM_COMMA}},       {XK_period, {VK_OEM_PERIOD}},
    {XK_slash, {VK_OEM_2}},
};

}  // namespace

HostKey KeyFromKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return HostKey{static_cast<unsigned>('A' + keysym - XK_a)};
  if (keysym >= XK_A && keysym <= XK_Z) return HostKey{static_cast<unsigned>(keysym)};
  if (keysym >= XK_0 && keysym <= XK_9) return HostKey{static_cast<unsigned>(keysym)};
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return HostKey{static_cast<unsigned>(VK_NUMPAD0 + keysym - XK_KP_0)};
  if (keysym >= XK_F1 && keysym <= XK_F12) return HostKey{static_cast<unsigned>(VK_F1 + keysym - XK_F1)};
  // F13 to F24 have no scan code in the US table; theirs follow the platform's.
  if (keysym >= XK_F13 && keysym <= XK_F24) {
    const unsigned index = static_cast<unsigned>(keysym - XK_F13);
    return HostKey{kVkF13 + index, 0x64 + index};
  }
  for (const KeysymKey& entry : kTable)
    if (entry.keysym == keysym) return entry.key;
  return HostKey{};
}

}  // namespace compat::host

// X keysyms to virtual keys: letters and digits by their unshifted keysym,
// the function, navigation, keypad and modifier keys by table. Scan codes
// are left to the window manager's US table except where one virtual key
// stands for two keys (the right Shift).
#include "compat/host/x11_keymap.h"

#include <X11/keysym.h>

namespace compat::host {
namespace {

// The platform's virtual-key numbers the keyboard's keys stand for.
constexpr unsigned kVkAdd = 0x6B;
constexpr unsigned kVkApps = 0x5D;
constexpr unsigned kVkBack = 0x08;
constexpr unsigned kVkCapital = 0x14;
constexpr unsigned kVkClear = 0x0C;
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kVkDecimal = 0x6E;
constexpr unsigned kVkDelete = 0x2E;
constexpr unsigned kVkDivide = 0x6F;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkEnd = 0x23;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkF1 = 0x70;
constexpr unsigned kVkHome = 0x24;
constexpr unsigned kVkInsert = 0x2D;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkLwin = 0x5B;
constexpr unsigned kVkMenu = 0x12;
constexpr unsigned kVkMultiply = 0x6A;
constexpr unsigned kVkNext = 0x22;
constexpr unsigned kVkNumlock = 0x90;
constexpr unsigned kVkNumpad0 = 0x60;
constexpr unsigned kVkOem1 = 0xBA;
constexpr unsigned kVkOem2 = 0xBF;
constexpr unsigned kVkOem3 = 0xC0;
constexpr unsigned kVkOem4 = 0xDB;
constexpr unsigned kVkOem5 = 0xDC;
constexpr unsigned kVkOem6 = 0xDD;
constexpr unsigned kVkOem7 = 0xDE;
constexpr unsigned kVkOemComma = 0xBC;
constexpr unsigned kVkOemMinus = 0xBD;
constexpr unsigned kVkOemPeriod = 0xBE;
constexpr unsigned kVkOemPlus = 0xBB;
constexpr unsigned kVkPause = 0x13;
constexpr unsigned kVkPrior = 0x21;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkRwin = 0x5C;
constexpr unsigned kVkScroll = 0x91;
constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkSnapshot = 0x2C;
constexpr unsigned kVkSpace = 0x20;
constexpr unsigned kVkSubtract = 0x6D;
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkUp = 0x26;

struct KeysymKey {
  unsigned long keysym;
  HostKey key;
};

constexpr unsigned kVkF13 = 0x7C;
constexpr unsigned kRightShiftScan = 0x36;

constexpr KeysymKey kTable[] = {
    {XK_BackSpace, {kVkBack}},        {XK_Tab, {kVkTab}},
    {XK_ISO_Left_Tab, {kVkTab}},      {XK_Return, {kVkReturn}},
    {XK_Escape, {kVkEscape}},         {XK_space, {kVkSpace}},
    {XK_Pause, {kVkPause}},           {XK_Scroll_Lock, {kVkScroll}},
    {XK_Caps_Lock, {kVkCapital}},     {XK_Num_Lock, {kVkNumlock, 0, true}},
    {XK_Print, {kVkSnapshot, 0, true}},
    {XK_Shift_L, {kVkShift}},         {XK_Shift_R, {kVkShift, kRightShiftScan}},
    {XK_Control_L, {kVkControl}},     {XK_Control_R, {kVkControl, 0, true}},
    {XK_Alt_L, {kVkMenu}},            {XK_Alt_R, {kVkMenu, 0, true}},
    {XK_Meta_L, {kVkMenu}},           {XK_Meta_R, {kVkMenu, 0, true}},
    {XK_ISO_Level3_Shift, {kVkMenu, 0, true}},
    {XK_Super_L, {kVkLwin, 0x5B, true}}, {XK_Super_R, {kVkRwin, 0x5C, true}},
    {XK_Menu, {kVkApps, 0x5D, true}},
    // Navigation keys of their own block are extended; the keypad's are not.
    {XK_Home, {kVkHome, 0, true}},    {XK_End, {kVkEnd, 0, true}},
    {XK_Prior, {kVkPrior, 0, true}},  {XK_Next, {kVkNext, 0, true}},
    {XK_Left, {kVkLeft, 0, true}},    {XK_Right, {kVkRight, 0, true}},
    {XK_Up, {kVkUp, 0, true}},        {XK_Down, {kVkDown, 0, true}},
    {XK_Insert, {kVkInsert, 0, true}}, {XK_Delete, {kVkDelete, 0, true}},
    {XK_KP_Home, {kVkHome}},          {XK_KP_End, {kVkEnd}},
    {XK_KP_Prior, {kVkPrior}},        {XK_KP_Next, {kVkNext}},
    {XK_KP_Left, {kVkLeft}},          {XK_KP_Right, {kVkRight}},
    {XK_KP_Up, {kVkUp}},              {XK_KP_Down, {kVkDown}},
    {XK_KP_Insert, {kVkInsert}},      {XK_KP_Delete, {kVkDelete}},
    {XK_KP_Begin, {kVkClear}},
    {XK_KP_Enter, {kVkReturn, 0, true}}, {XK_KP_Divide, {kVkDivide, 0, true}},
    {XK_KP_Multiply, {kVkMultiply}},  {XK_KP_Subtract, {kVkSubtract}},
    {XK_KP_Add, {kVkAdd}},            {XK_KP_Decimal, {kVkDecimal}},
    {XK_KP_Separator, {kVkDecimal}},
    {XK_minus, {kVkOemMinus}},       {XK_equal, {kVkOemPlus}},
    {XK_bracketleft, {kVkOem4}},     {XK_bracketright, {kVkOem6}},
    {XK_semicolon, {kVkOem1}},       {XK_apostrophe, {kVkOem7}},
    {XK_grave, {kVkOem3}},           {XK_backslash, {kVkOem5}},
    {XK_comma, {kVkOemComma}},       {XK_period, {kVkOemPeriod}},
    {XK_slash, {kVkOem2}},
};

}  // namespace

HostKey KeyFromKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return HostKey{static_cast<unsigned>('A' + keysym - XK_a)};
  if (keysym >= XK_A && keysym <= XK_Z) return HostKey{static_cast<unsigned>(keysym)};
  if (keysym >= XK_0 && keysym <= XK_9) return HostKey{static_cast<unsigned>(keysym)};
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return HostKey{static_cast<unsigned>(kVkNumpad0 + keysym - XK_KP_0)};
  if (keysym >= XK_F1 && keysym <= XK_F12) return HostKey{static_cast<unsigned>(kVkF1 + keysym - XK_F1)};
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

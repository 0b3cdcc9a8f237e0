// Input: host events become raw input for the thread of the window they are
// for; when that thread takes them they are hit-tested, activate, set the
// cursor and turn into client or non-client messages. Keyboard state and
// TranslateMessage live here too.
//
// Sections: keyboard layout · host events · translation · calls
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "compat/host.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

// --- keyboard layout (US) ---

struct KeyInfo {
  BYTE vk;
  BYTE scan;
  char16_t plain;
  char16_t shifted;
};

constexpr KeyInfo kKeys[] = {
    {VK_ESCAPE, 0x01, 27, 27},   {'1', 0x02, u'1', u'!'},     {'2', 0x03, u'2', u'@'},
    {'3', 0x04, u'3', u'#'},     {'4', 0x05, u'4', u'$'},     {'5', 0x06, u'5', u'%'},
    {'6', 0x07, u'6', u'^'},     {'7', 0x08, u'7', u'&'},     {'8', 0x09, u'8', u'*'},
    {'9', 0x0A, u'9', u'('},     {'0', 0x0B, u'0', u')'},     {VK_OEM_MINUS, 0x0C, u'-', u'_'},
    {VK_OEM_PLUS, 0x0D, u'=', u'+'}, {VK_BACK, 0x0E, 8, 8},   {VK_TAB, 0x0F, 9, 9},
    {'Q', 0x10, u'q', u'Q'},     {'W', 0x11, u'w', u'W'},     {'E', 0x12, u'e', u'E'},
    {'R', 0x13, u'r', u'R'},     {'T', 0x14, u't', u'T'},     {'Y', 0x15, u'y', u'Y'},
    {'U', 0x16, u'u', u'U'},     {'I', 0x17, u'i', u'I'},     {'O', 0x18, u'o', u'O'},
    {'P', 0x19, u'p', u'P'},     {VK_OEM_4, 0x1A, u'[', u'{'}, {VK_OEM_6, 0x1B, u']', u'}'},
    {VK_RETURN, 0x1C, 13, 13},   {VK_CONTROL, 0x1D, 0, 0},    {'A', 0x1E, u'a', u'A'},
    {'S', 0x1F, u's', u'S'},     {'D', 0x20, u'd', u'D'},     {'F', 0x21, u'f', u'F'},
    {'G', 0x22, u'g', u'G'},     {'H', 0x23, u'h', u'H'},     {'J', 0x24, u'j', u'J'},
    {'K', 0x25, u'k', u'K'},     {'L', 0x26, u'l', u'L'},     {VK_OEM_1, 0x27, u';', u':'},
    {VK_OEM_7, 0x28, u'\'', u'"'}, {VK_OEM_3, 0x29, u'`', u'~'}, {VK_SHIFT, 0x2A, 0, 0},
    {VK_OEM_5, 0x2B, u'\\', u'|'}, {'Z', 0x2C, u'z', u'Z'},   {'X', 0x2D, u'x', u'X'},
    {'C', 0x2E, u'c', u'C'},     {'V', 0x2F, u'v', u'V'},     {'B', 0x30, u'b', u'B'},
    {'N', 0x31, u'n', u'N'},     {'M', 0x32, u'm', u'M'},     {VK_OEM_COMMA, 0x33, u',', u'<'},
    {VK_OEM_PERIOD, 0x34, u'.', u'>'}, {VK_OEM_2, 0x35, u'/', u'?'}, {VK_MULTIPLY, 0x37, u'*', u'*'},
    {VK_MENU, 0x38, 0, 0},       {VK_SPACE, 0x39, u' ', u' '}, {VK_CAPITAL, 0x3A, 0, 0},
    {VK_F1, 0x3B, 0, 0},         {VK_F2, 0x3C, 0, 0},         {VK_F3, 0x3D, 0, 0},
    {VK_F4, 0x3E, 0, 0},         {VK_F5, 0x3F, 0, 0},         {VK_F6, 0x40, 0, 0},
    {VK_F7, 0x41, 0, 0},         {VK_F8, 0x42, 0, 0},         {VK_F9, 0x43, 0, 0},
    {VK_F10, 0x44, 0, 0},        {VK_NUMLOCK, 0x45, 0, 0},    {VK_SCROLL, 0x46, 0, 0},
    {VK_HOME, 0x47, 0, 0},       {VK_UP, 0x48, 0, 0},         {VK_PRIOR, 0x49, 0, 0},
    {VK_SUBTRACT, 0x4A, u'-', u'-'}, {VK_LEFT, 0x4B, 0, 0},   {VK_RIGHT, 0x4D, 0, 0},
    {VK_ADD, 0x4E, u'+', u'+'},  {VK_END, 0x4F, 0, 0},        {VK_DOWN, 0x50, 0, 0},
    {VK_NEXT, 0x51, 0, 0},       {VK_INSERT, 0x52, 0, 0},     {VK_DELETE, 0x53, 0, 0},
    {VK_F11, 0x57, 0, 0},        {VK_F12, 0x58, 0, 0},        {VK_DIVIDE, 0x35, u'/', u'/'},
    {VK_NUMPAD0, 0x52, u'0', u'0'}, {VK_NUMPAD1, 0x4F, u'1', u'1'}, {VK_NUMPAD2, 0x50, u'2', u'2'},
    {VK_NUMPAD3, 0x51, u'3', u'3'}, {VK_NUMPAD4, 0x4B, u'4', u'4'}, {VK_NUMPAD5, 0x4C, u'5', u'5'},
    {VK_NUMPAD6, 0x4D, u'6', u'6'}, {VK_NUMPAD7, 0x47, u'7', u'7'}, {VK_NUMPAD8, 0x48, u'8', u'8'},
    {VK_NUMPAD9, 0x49, u'9', u'9'}, {VK_DECIMAL, 0x53, u'.', u'.'},
};

const KeyInfo* KeyOf(UINT vk) {
  for (const KeyInfo& key : kKeys) {
    if (key.vk == vk) return &key;
  }
  return nullptr;
}

// The character a key makes with the current modifiers; 0 for none.
char16_t CharFor(UINT vk, const BYTE* keys) {
  const KeyInfo* key = KeyOf(vk);
  if (!key || !key->plain) return 0;
  const bool shift = (keys[VK_SHIFT] & 0x80) != 0;
  const bool control = (keys[VK_CONTROL] & 0x80) != 0;
  const bool caps = (keys[VK_CAPITAL] & 0x01) != 0;
  const bool letter = vk >= 'A' && vk <= 'Z';
  if (control && letter) return static_cast<char16_t>(vk - 'A' + 1);
  if (control) return 0;
  if (letter) return (shift != caps) ? key->shifted : key->plain;
  return shift ? key->shifted : key->plain;
}

// Left and right variants also move the generic key.
void SetKey(BYTE* keys, UINT vk, bool down) {
  auto set = [&](UINT k) {
    if (down && !(keys[k] & 0x80)) keys[k] ^= 0x01;  // toggle on each press
    keys[k] = static_cast<BYTE>(down ? (keys[k] | 0x80) : (keys[k] & ~0x80));
  };
  set(vk & 0xFF);
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) set(VK_SHIFT);
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) set(VK_CONTROL);
  if (vk == VK_LMENU || vk == VK_RMENU) set(VK_MENU);
}

WPARAM MouseKeys(const BYTE* keys) {
  WPARAM flags = 0;
  if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
  if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
  if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
  if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
  if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
  return flags;
}

constexpr UINT kButtonDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
constexpr UINT kButtonUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
constexpr UINT kButtonVk[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};

bool IsButtonDown(UINT m) { return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN; }
bool IsButtonUp(UINT m) { return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP; }
UINT ButtonVk(UINT m) {
  switch (m) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return VK_LBUTTON;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return VK_RBUTTON;
    default: return VK_MBUTTON;
  }
}

// --- host events ---
// Input is stamped on arrival with the clock GetTickCount and GetMessageTime use.

// Where a mouse event goes; lock held.
// A press on a window a modal dialog disables reaches nothing and brings up
// the dialog instead (`waitedOn`).
HWND MouseTarget(POINT pos, bool* captured, HWND* waitedOn = nullptr) {
  UserState& s = State();
  *captured = Find(s.capture) != nullptr;
  if (*captured) return s.capture;
  HWND hwnd = HitTestGeometry(Desktop(), pos, true);
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  // A window inside a disabled one takes no mouse input either.
  if (!ReallyEnabled(w)) {
    if (waitedOn) *waitedOn = EnabledPopupOf(TopLevelOf(hwnd));
    return nullptr;
  }
  return hwnd;
}

void OnMouse(const host::InputEvent& e, UINT message, WPARAM wParam) {
  Guard guard = Lock();
  UserState& s = State();
  POINT pos = ClampToClip(POINT{e.x, e.y});
  // A pointer that did not move makes no move message.
  if (message == WM_MOUSEMOVE && pos.x == s.cursor.x && pos.y == s.cursor.y && !s.pointerAway) return;
  s.cursor = pos;
  s.pointerAway = false;
  bool captured = false;
  HWND waitedOn = nullptr;
  HWND target = MouseTarget(pos, &captured, IsButtonDown(message) ? &waitedOn : nullptr);
  if (!target) {
    guard.unlock();
    if (waitedOn) {
      ActivateWindow(waitedOn, WA_CLICKACTIVE);
      SetWindowPos(waitedOn, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return;
  }
  RawInput raw{target, message, wParam, MAKELPARAM(pos.x, pos.y), pos, static_cast<DWORD>(NowMs()), captured};
  guard.unlock();
  PostInput(raw);
}

void OnWheel(const host::InputEvent& e) {
  Guard guard = Lock();
  UserState& s = State();
  HWND target = Find(s.focus) ? s.focus : Find(s.active) ? s.active : nullptr;
  if (!target) return;
  const WPARAM keys = MouseKeys(s.asyncKeys);
  POINT pos{e.x, e.y};
  RawInput raw{target, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<SHORT>(e.wheelDelta)),
               MAKELPARAM(pos.x, pos.y), pos, static_cast<DWORD>(NowMs()), false};
  guard.unlock();
  PostInput(raw);
}

void OnKey(const host::InputEvent& e, bool down) {
  Guard guard = Lock();
  UserState& s = State();
  const UINT vk = e.virtualKey & 0xFF;
  const bool wasDown = (s.asyncKeys[vk] & 0x80) != 0;
  SetKey(s.asyncKeys, vk, down);
  HWND target = Find(s.focus) ? s.focus : Find(s.active) ? s.active : nullptr;
  if (!target) return;
  const bool alt = (s.asyncKeys[VK_MENU] & 0x80) != 0;
  // Alt chords, F10 and keys with no focus window are system keys.
  const bool system = alt || vk == VK_F10 || vk == VK_MENU || !Find(s.focus);
  const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  const KeyInfo* key = KeyOf(vk);
  const UINT scan = e.scanCode ? e.scanCode : (key ? key->scan : 0);
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (alt) lParam |= 1 << 29;
  if (wasDown || !down) lParam |= 1 << 30;
  if (!down) lParam |= static_cast<LPARAM>(1u << 31);
  if (e.extended) lParam |= 1 << 24;
  RawInput raw{target, message, vk, static_cast<LPARAM>(static_cast<DWORD>(lParam)), s.cursor, static_cast<DWORD>(NowMs()), false};
  raw.hasCharacter = e.hasCharacter;
  raw.character = e.character;
  guard.unlock();
  PostInput(raw);
}

// The desktop follows the host window; maximized windows keep filling it.
void OnDesktopResized(int width, int height) {
  std::vector<std::pair<HWND, RECT>> maximized;
  std::vector<HWND> all;
  {
    Guard guard = Lock();
    Window* desktop = Find(Desktop());
    desktop->rect = desktop->client = RECT{0, 0, width, height};
    State().cursor = ClampToClip(State().cursor);
    for (HWND top : desktop->children) {
      Window* w = Find(top);
      if (!w) continue;
      all.push_back(top);
      if (!(w->style & WS_MAXIMIZE)) continue;
      // The border lies outside the desktop, as when the window was maximized.
      const int border = FrameInsets(w->style, w->exStyle, false, false).left;
      maximized.emplace_back(top, RECT{-border, -border, width + border, height + border});
    }
    InvalidateScreenArea(desktop->rect);
  }
  for (const auto& [hwnd, r] : maximized)
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  for (HWND hwnd : all)
    SendNotifyMessageW(hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(width, height));
}

void OnHostInput(const host::InputEvent& e) {
  const int button = std::clamp(e.button, 0, 2);
  switch (e.kind) {
    case host::InputKind::MouseMove:
      OnMouse(e, WM_MOUSEMOVE, 0);
      break;
    case host::InputKind::ButtonDown:
    case host::InputKind::ButtonUp: {
      const bool down = e.kind == host::InputKind::ButtonDown;
      {
        Guard guard = Lock();
        SetKey(State().asyncKeys, kButtonVk[button], down);
      }
      OnMouse(e, down ? kButtonDown[button] : kButtonUp[button], 0);
      break;
    }
    case host::InputKind::Wheel:
      OnWheel(e);
      break;
    case host::InputKind::KeyDown:
    case host::InputKind::KeyUp:
      OnKey(e, e.kind == host::InputKind::KeyDown);
      break;
    case host::InputKind::DesktopResized:
      OnDesktopResized(e.x, e.y);
      break;
    case host::InputKind::FocusLost:
      OnHostFocusLost();
      break;
    case host::InputKind::FocusGained:
      OnHostFocusGained(e.heldKeys, e.lockToggles);
      break;
    case host::InputKind::LockState:
      OnHostLockState(e.lockToggles);
      break;
    case host::InputKind::CloseRequest:
      OnHostCloseRequest(reinterpret_cast<HWND>(e.window));
      break;
    case host::InputKind::WindowMoved:
      OnHostWindowMoved(reinterpret_cast<HWND>(e.window), e.rect);
      break;
    case host::InputKind::WindowState:
      OnHostWindowState(reinterpret_cast<HWND>(e.window), e.x);
      break;
    case host::InputKind::WindowActivated:
      OnHostWindowActivated(reinterpret_cast<HWND>(e.window));
      break;
    case host::InputKind::PointerLeft:
      OnHostPointerLeft(POINT{e.x, e.y});
      break;
    case host::InputKind::WindowRestacked:
      OnHostWindowRestacked(reinterpret_cast<HWND>(e.window), reinterpret_cast<HWND>(e.above));
      break;
  }
}

// --- translation ---

// Asks the window where the point is; one answering HTTRANSPARENT passes the
// question (and the mouse) to the window of this thread beneath it: a sibling
// below, its parent, or another top-level window.
LRESULT HitTest(HWND* hwnd, POINT pt) {
  std::vector<HWND> transparent;
  for (;;) {
    LRESULT hit = SendMessageW(*hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    if (hit != HTTRANSPARENT) return hit;
    transparent.push_back(*hwnd);
    Guard guard = Lock();
    HWND beneath = HitTestGeometry(Desktop(), pt, true, &transparent);
    Window* w = Find(beneath);
    if (!w || w->threadId != CurrentThreadId() || (w->style & WS_DISABLED)) return HTNOWHERE;
    *hwnd = beneath;
  }
}

// Returns true when the button press is eaten by activation.
bool ActivateOnClick(HWND hwnd, LRESULT hit, UINT message) {
  HWND top = GetAncestor(hwnd, GA_ROOT);
  if (!top || top == GetActiveWindow()) return false;
  LRESULT answer = SendMessageW(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                MAKELPARAM(static_cast<WORD>(hit), message));
  if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) {
    if (IsWindowEnabled(top) && IsWindowVisible(top)) ActivateWindow(top, WA_CLICKACTIVE);
  }
  return answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
}

// Turns a press into a double click when the class asks for them.
UINT DoubleClick(HWND hwnd, UINT message, POINT pt, DWORD time, bool client) {
  Guard guard = Lock();
  UserState& s = State();
  Window* w = Find(hwnd);
  const bool wants = !client || (w && w->cls && (w->cls->style & CS_DBLCLKS));
  const int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  const bool repeat = s.lastClickWindow == hwnd && s.lastClickMessage == message &&
                      time - s.lastClickTime <= GetDoubleClickTime() &&
                      std::abs(pt.x - s.lastClickPoint.x) <= dx && std::abs(pt.y - s.lastClickPoint.y) <= dy;
  if (wants && repeat) {
    s.lastClickWindow = nullptr;  // a third press starts over
    return message + (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
  }
  s.lastClickWindow = hwnd;
  s.lastClickMessage = message;
  s.lastClickTime = time;
  s.lastClickPoint = pt;
  return message;
}

// Input is routed again when it is read: capture set or windows moved since
// the event arrived decide, as long as the window stays on this thread.
RawInput Reroute(RawInput raw) {
  Guard guard = Lock();
  UserState& s = State();
  const DWORD thread = CurrentThreadId();
  Window* capture = Find(s.capture);
  if (capture) {
    if (capture->threadId == thread) {
      raw.target = s.capture;
      raw.captured = true;
    }
    return raw;
  }
  raw.captured = false;
  HWND now = HitTestGeometry(Desktop(), raw.pt, true);
  Window* w = Find(now);
  if (w && w->threadId == thread && ReallyEnabled(w)) raw.target = now;
  return raw;
}

void TranslateMouse(const RawInput& queued, MSG* msg, bool* keep) {
  const RawInput raw = Reroute(queued);
  HWND hwnd = raw.target;
  if (!IsWindow(hwnd)) return;
  LRESULT hit = raw.captured ? HTCLIENT : HitTest(&hwnd, raw.pt);
  if (IsButtonDown(raw.message) || IsButtonUp(raw.message)) {
    Guard guard = Lock();
    SetKey(State().keys, ButtonVk(raw.message), IsButtonDown(raw.message));
  }
  bool eat = false;
  if (IsButtonDown(raw.message) && !raw.captured) eat = ActivateOnClick(hwnd, hit, raw.message);
  if (!raw.captured && IsWindow(hwnd))
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<WORD>(hit), raw.message));
  if (eat || !IsWindow(hwnd)) return;
  const bool client = hit == HTCLIENT;
  UINT message = raw.message;
  if (IsButtonDown(message)) message = DoubleClick(hwnd, message, raw.pt, raw.time, client);
  *msg = MSG{hwnd, message, 0, 0, raw.time, raw.pt};
  if (client) {
    POINT p = raw.pt;
    ScreenToClient(hwnd, &p);
    Guard guard = Lock();
    msg->wParam = MouseKeys(State().keys);
    msg->lParam = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
  } else {
    msg->message = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
    msg->wParam = static_cast<WPARAM>(hit);
    msg->lParam = MAKELPARAM(static_cast<WORD>(raw.pt.x), static_cast<WORD>(raw.pt.y));
  }
  MOUSEHOOKSTRUCT hook{raw.pt, hwnd, static_cast<UINT>(hit), 0};
  if (HasHook(WH_MOUSE, CurrentThreadId()) &&
      CallHooks(WH_MOUSE, HC_ACTION, msg->message, reinterpret_cast<LPARAM>(&hook)))
    return;
  *keep = true;
}

void TranslateWheel(const RawInput& raw, MSG* msg, bool* keep) {
  if (!IsWindow(raw.target)) return;
  *msg = MSG{raw.target, WM_MOUSEWHEEL, raw.wParam, raw.lParam, raw.time, raw.pt};
  MOUSEHOOKSTRUCTEX hook{{raw.pt, raw.target, HTCLIENT, 0}, static_cast<DWORD>(raw.wParam & 0xFFFF0000u)};
  if (HasHook(WH_MOUSE, CurrentThreadId()) &&
      CallHooks(WH_MOUSE, HC_ACTION, WM_MOUSEWHEEL, reinterpret_cast<LPARAM>(&hook)))
    return;
  *keep = true;
}

void TranslateKey(const RawInput& raw, MSG* msg, bool* keep) {
  {
    Guard guard = Lock();
    const bool down = raw.message == WM_KEYDOWN || raw.message == WM_SYSKEYDOWN;
    SetKey(State().keys, static_cast<UINT>(raw.wParam), down);
  }
  if (!IsWindow(raw.target)) return;
  *msg = MSG{raw.target, raw.message, raw.wParam, raw.lParam, raw.time, raw.pt};
  {
    // TranslateMessage makes this key's character from what the host said.
    auto queue = CurrentQueue();
    Guard guard = Lock();
    queue->lastKey = *msg;
    queue->lastKeyHasCharacter = raw.hasCharacter;
    queue->lastKeyCharacter = raw.character;
  }
  if (HasHook(WH_KEYBOARD, CurrentThreadId()) &&
      CallHooks(WH_KEYBOARD, HC_ACTION, raw.wParam, raw.lParam))
    return;
  *keep = true;
}

}  // namespace

void InstallInputSink() {
  host::SetInputSink(OnHostInput);
  InstallHostWake();
}

void SetKeyToggles(unsigned lockToggles, bool synchronousToo) {
  UserState& s = State();
  const std::pair<UINT, unsigned> locks[] = {
      {VK_CAPITAL, host::kCapsLockOn}, {VK_NUMLOCK, host::kNumLockOn}, {VK_SCROLL, host::kScrollLockOn}};
  for (const auto& [vk, bit] : locks) {
    const BYTE on = (lockToggles & bit) ? 0x01 : 0x00;
    s.asyncKeys[vk] = static_cast<BYTE>((s.asyncKeys[vk] & ~0x01) | on);
    if (synchronousToo) s.keys[vk] = static_cast<BYTE>((s.keys[vk] & ~0x01) | on);
  }
}

void TranslateAndDeliverInput(const RawInput& raw, MSG* out, bool* keep) {
  *keep = false;
  if (raw.message == WM_MOUSEWHEEL) TranslateWheel(raw, out, keep);
  else if (raw.message >= WM_KEYFIRST && raw.message <= WM_KEYLAST) TranslateKey(raw, out, keep);
  else TranslateMouse(raw, out, keep);
}

LRESULT DefaultSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const SHORT hit = static_cast<SHORT>(LOWORD(lParam));
  HWND parent = nullptr;
  HCURSOR classCursor = nullptr;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    if ((w->style & WS_CHILD) && w->parent != State().desktop) parent = w->parent;
    if (w->cls) classCursor = w->cls->cursor;
  }
  // The parent may take over first, as the platform lets it.
  if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
  // Asked on behalf of a child, the default leaves the cursor to the child.
  if (reinterpret_cast<HWND>(wParam) != hwnd) return FALSE;
  WORD shape = 32512;  // arrow
  switch (hit) {
    case HTCLIENT:
      if (!classCursor) return FALSE;
      SetCursor(classCursor);
      return TRUE;
    case HTLEFT: case HTRIGHT: shape = 32644; break;
    case HTTOP: case HTBOTTOM: shape = 32645; break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: shape = 32642; break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: shape = 32643; break;
    case HTERROR:
      if (IsButtonDown(HIWORD(lParam))) MessageBeep(0);
      break;
    default: break;
  }
  SetCursor(StockCursorHandle(shape));
  return TRUE;
}

}  // namespace compat::user

using namespace compat::user;

// --- calls ---

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
    return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  }
  char32_t c;
  {
    auto queue = CurrentQueue();
    Guard guard = Lock();
    const MSG& last = queue->lastKey;
    const bool fromHost = queue->lastKeyHasCharacter && last.hwnd == msg->hwnd && last.message == msg->message &&
                          last.wParam == msg->wParam && last.lParam == msg->lParam && last.time == msg->time;
    c = fromHost ? queue->lastKeyCharacter : CharFor(static_cast<UINT>(msg->wParam), State().keys);
  }
  const UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  if (c >= 0x10000 && c <= 0x10FFFF) {
    // Outside the basic plane: a surrogate pair, one message each.
    const char32_t v = c - 0x10000;
    PostMessageW(msg->hwnd, charMessage, 0xD800 + (v >> 10), msg->lParam);
    PostMessageW(msg->hwnd, charMessage, 0xDC00 + (v & 0x3FF), msg->lParam);
  } else if (c && c < 0x10000) {
    PostMessageW(msg->hwnd, charMessage, c, msg->lParam);
  }
  return TRUE;
}

SHORT WINAPI GetKeyState(int virtualKey) {
  Guard guard = Lock();
  const BYTE state = State().keys[virtualKey & 0xFF];
  return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
  Guard guard = Lock();
  return (State().asyncKeys[virtualKey & 0xFF] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

BOOL WINAPI GetKeyboardState(PBYTE keyState) {
  if (!keyState) return FALSE;
  Guard guard = Lock();
  std::copy(std::begin(State().keys), std::end(State().keys), keyState);
  return TRUE;
}

UINT WINAPI MapVirtualKeyW(UINT code, UINT mapType) {
  switch (mapType) {
    case MAPVK_VK_TO_VSC: {
      const KeyInfo* key = KeyOf(code);
      return key ? key->scan : 0;
    }
    case MAPVK_VSC_TO_VK:
      for (const KeyInfo& key : kKeys) {
        if (key.scan == code) return key.vk;
      }
      return 0;
    case MAPVK_VK_TO_CHAR: {
      const KeyInfo* key = KeyOf(code);
      if (!key || !key->plain || key->plain < 32) return key ? key->plain : 0;
      return (code >= 'A' && code <= 'Z') ? key->shifted : key->plain;
    }
    default:
      return 0;
  }
}

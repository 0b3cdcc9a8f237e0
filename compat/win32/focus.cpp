// Focus and activation: SetFocus, SetActiveWindow, SetForegroundWindow and
// the WM_NCACTIVATE / WM_ACTIVATE / WM_KILLFOCUS / WM_SETFOCUS sequence.
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

HWND Active() {
  Guard guard = Lock();
  return Find(State().active) ? State().active : nullptr;
}

bool FocusInside(HWND top) {
  Guard guard = Lock();
  HWND focus = State().focus;
  return focus && Find(focus) && (focus == top || TopLevelOf(focus) == top);
}

HWND ChangeFocus(HWND hwnd) {
  HWND old;
  {
    Guard guard = Lock();
    old = Find(State().focus) ? State().focus : nullptr;
    if (old == hwnd) return old;
    State().focus = hwnd;
  }
  if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd) {
    Guard guard = Lock();
    if (State().focus != hwnd) return old;  // WM_KILLFOCUS moved it elsewhere
  }
  if (hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

WPARAM ActivateParam(WORD how, HWND hwnd) {
  return MAKEWPARAM(how, IsIconic(hwnd) ? 1 : 0);
}

}  // namespace

HWND ActivateWindow(HWND hwnd, WORD how) {
  HWND old = Active();
  if (hwnd == old) return old;
  if (HasHook(WH_CBT, CurrentThreadId()) &&
      CallHooks(WH_CBT, HCBT_ACTIVATE, reinterpret_cast<WPARAM>(hwnd), 0))
    return old;
  {
    Guard guard = Lock();
    State().active = hwnd;
    Window* w = Find(hwnd);
    if (w && w->owner) {
      if (Window* owner = Find(w->owner)) owner->lastActivePopup = hwnd;
    }
  }
  if (hwnd) {
    HWND top = GetWindow(hwnd, GW_HWNDFIRST);
    if (top != hwnd)
      SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (old) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_ACTIVATE, ActivateParam(WA_INACTIVE, old), reinterpret_cast<LPARAM>(hwnd));
    if (!hwnd) SendMessageW(old, WM_ACTIVATEAPP, FALSE, 0);
  }
  if (hwnd && Active() == hwnd) {
    if (!old) SendMessageW(hwnd, WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(hwnd, WM_ACTIVATE, ActivateParam(how, hwnd), reinterpret_cast<LPARAM>(old));
  }
  // Keyboard focus never stays in a window that is no longer active.
  if (old && FocusInside(old) && Active() != old) ChangeFocus(nullptr);
  return old;
}

void OnWindowGone(HWND hwnd) {
  Guard guard = Lock();
  UserState& s = State();
  if (s.capture == hwnd) s.capture = nullptr;
  if (s.focus == hwnd) s.focus = nullptr;
  if (s.active == hwnd) s.active = nullptr;
  if (s.lastClickWindow == hwnd) s.lastClickWindow = nullptr;
  if (s.lockedUpdate == hwnd) s.lockedUpdate = nullptr;
}

}  // namespace compat::user

using namespace compat::user;

HWND WINAPI SetFocus(HWND hwnd) {
  if (hwnd) {
    HWND top;
    {
      Guard guard = Lock();
      Window* w = Find(hwnd);
      if (!w || w->destroying) return nullptr;
      top = TopLevelOf(hwnd);
    }
    if (HasHook(WH_CBT, CurrentThreadId()) &&
        CallHooks(WH_CBT, HCBT_SETFOCUS, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(GetFocus())))
      return nullptr;
    if (top && Active() != top) ActivateWindow(top, WA_ACTIVE);
  }
  return ChangeFocus(hwnd);
}

HWND WINAPI GetFocus() {
  Guard guard = Lock();
  return Find(State().focus) ? State().focus : nullptr;
}

HWND WINAPI SetActiveWindow(HWND hwnd) {
  if (hwnd) {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || w->destroying) return nullptr;
    hwnd = TopLevelOf(hwnd);
  }
  return ActivateWindow(hwnd, WA_ACTIVE);
}

HWND WINAPI GetActiveWindow() { return Active(); }

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}

HWND WINAPI GetForegroundWindow() { return Active(); }

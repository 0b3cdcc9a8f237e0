// The window manager's side of a real host window: the desktop thread's waits
// pump the host and wake on it; losing and regaining the host's focus acts as
// another program being activated and left; the host's close button closes
// the main window; the host window's title is the main window's caption.
#include <atomic>

#include "compat/host.h"
#include "compat/host_path.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

// The thread whose waits pump the host (its queue is the one the host wakes).
std::atomic<DWORD> g_hostThread{0};

// What was active and focused when the host lost the focus, for its return.
HWND g_activeBeforeLoss = nullptr;
HWND g_focusBeforeLoss = nullptr;

// The first visible top-level window without an owner: the main frame. Lock held.
HWND MainWindow() {
  for (HWND top : Find(Desktop())->children) {
    const Window* w = Find(top);
    if (w && !w->owner && (w->style & WS_VISIBLE) && !w->destroying) return top;
  }
  return nullptr;
}

// The main window's class icon, read again only when it changes. Lock held.
std::shared_ptr<const host::CursorImage> MainIcon(const Window* main) {
  static HICON shownIcon = nullptr;
  static std::shared_ptr<const host::CursorImage> picture;
  HICON icon = main && main->cls ? (main->cls->icon ? main->cls->icon : main->cls->iconSmall) : nullptr;
  if (icon != shownIcon) {
    shownIcon = icon;
    picture = icon ? std::make_shared<const host::CursorImage>(IconPicture(icon)) : nullptr;
  }
  return picture;
}

host::WaitState CurrentWaitState() {
  Guard guard = Lock();
  UserState& s = State();
  host::WaitState state;
  state.captured = Find(s.capture) != nullptr;
  state.clipped = s.cursorClipped;
  state.clip = s.cursorClip;
  const Window* main = Find(MainWindow());
  if (main) state.title = Utf16ToUtf8(main->text);
  state.icon = MainIcon(main);
  return state;
}

}  // namespace

void PumpHostForWait() {
  if (!host::IsHostThread()) return;
  g_hostThread = CurrentThreadId();
  host::PumpHost(CurrentWaitState());
}

void ArmHostWake() {
  if (g_hostThread == CurrentThreadId()) host::ArmHostWake();
}

void InstallHostWake() {
  host::SetHostWake([] {
    Guard guard = Lock();
    if (auto queue = QueueOf(g_hostThread, false)) WakeQueue(*queue);
  });
}

void OnHostFocusLost() {
  HWND active, capture;
  {
    Guard guard = Lock();
    UserState& s = State();
    active = Find(s.active) ? s.active : nullptr;
    capture = Find(s.capture) ? s.capture : nullptr;
    g_activeBeforeLoss = active;
    g_focusBeforeLoss = Find(s.focus) ? s.focus : nullptr;
  }
  // Menus and drags end; nothing keeps the mouse.
  if (active) SendMessageW(active, WM_CANCELMODE, 0, 0);
  if (capture && capture != active) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  if (active) ActivateWindow(nullptr, WA_INACTIVE);
  // Keys released in another program never come back as releases.
  Guard guard = Lock();
  UserState& s = State();
  for (int vk = 0; vk < 256; ++vk) {
    s.keys[vk] &= 0x01;
    s.asyncKeys[vk] &= 0x01;
  }
}

void OnHostFocusGained(const uint8_t* heldKeys, unsigned lockToggles) {
  HWND active, focus;
  {
    Guard guard = Lock();
    UserState& s = State();
    for (int vk = 0; vk < 256; ++vk) {
      const bool held = (heldKeys[vk / 8] >> (vk % 8)) & 1;
      s.keys[vk] = static_cast<BYTE>((s.keys[vk] & 0x01) | (held ? 0x80 : 0));
      s.asyncKeys[vk] = static_cast<BYTE>((s.asyncKeys[vk] & 0x01) | (held ? 0x80 : 0));
    }
    SetKeyToggles(lockToggles, true);
    // Only a window this program deactivated is activated again.
    active = Find(s.active) ? nullptr : g_activeBeforeLoss;
    focus = g_focusBeforeLoss;
    g_activeBeforeLoss = g_focusBeforeLoss = nullptr;
  }
  if (!active || !IsWindowVisible(active) || !IsWindowEnabled(active)) return;
  ActivateWindow(active, WA_ACTIVE);
  if (focus && IsWindow(focus) && GetAncestor(focus, GA_ROOT) == active) SetFocus(focus);
}

void OnHostLockState(unsigned lockToggles) {
  Guard guard = Lock();
  // A lock key still waiting in the queue toggles the synchronous state itself when it is read.
  bool keyPending = false;
  if (auto queue = QueueOf(g_hostThread, false)) {
    for (const RawInput& raw : queue->input)
      keyPending |= raw.message >= WM_KEYFIRST && raw.message <= WM_KEYLAST;
  }
  SetKeyToggles(lockToggles, !keyPending);
}

void OnHostCloseRequest() {
  HWND main;
  {
    Guard guard = Lock();
    main = MainWindow();
  }
  // As the close button would: the window may still refuse.
  if (main) PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace compat::user

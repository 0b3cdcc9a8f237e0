// The window manager's side of a real host: the desktop thread's waits pump
// the host and wake on it, telling it of every top-level window; losing and
// regaining the host's focus acts as another program being activated and
// left; the host's window manager's closes, moves, sizes, state changes and
// activations reach the windows as their own would.
#include <algorithm>
#include <atomic>

#include "compat/host.h"
#include "compat/host_path.h"
#include "compat/win32/menu_state.h"
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

// A window's class icon, each read once. Lock held.
std::shared_ptr<const host::CursorImage> ClassIcon(const Window* w) {
  static std::unordered_map<HICON, std::shared_ptr<const host::CursorImage>> pictures;
  HICON icon = w && w->cls ? (w->cls->icon ? w->cls->icon : w->cls->iconSmall) : nullptr;
  if (!icon) return nullptr;
  auto& picture = pictures[icon];
  if (!picture) picture = std::make_shared<const host::CursorImage>(IconPicture(icon));
  return picture;
}

// What the host's window manager is to make of a top-level window. Lock held.
host::WindowKind KindOf(const Window& w) {
  const std::u16string name = w.cls ? ToLower(w.cls->name) : std::u16string();
  if (name == u"#32768") return host::WindowKind::PopupMenu;
  if (name == u"combolbox") return host::WindowKind::DropDown;
  if (name == u"tooltips_class32") return host::WindowKind::Tooltip;
  // Caption-less pop-ups (drag pictures, tips of our own, drop-down sliders)
  // come and go with what opened them: nothing for a window manager to keep.
  const bool caption = (w.style & WS_CAPTION) == WS_CAPTION;
  if ((w.style & WS_POPUP) && !caption && !(w.style & WS_THICKFRAME))
    return (w.exStyle & WS_EX_TOOLWINDOW) && (w.exStyle & WS_EX_TOPMOST) ? host::WindowKind::Tooltip
                                                                        : host::WindowKind::DropDown;
  if (w.exStyle & WS_EX_TOOLWINDOW) return host::WindowKind::Utility;
  if (name == u"#32770" || (w.exStyle & WS_EX_DLGMODALFRAME) || w.owner) return host::WindowKind::Dialog;
  return host::WindowKind::Normal;
}

// Every top-level window, top first. Lock held.
std::vector<host::TopWindow> TopWindows() {
  std::vector<host::TopWindow> list;
  const SIZE minimum{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  const SIZE maximum{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  for (HWND top : Find(Desktop())->children) {
    const Window* w = Find(top);
    if (!w || w->destroying) continue;
    host::TopWindow t;
    t.id = reinterpret_cast<uintptr_t>(top);
    t.owner = reinterpret_cast<uintptr_t>(Find(w->owner) ? w->owner : nullptr);
    t.rect = w->rect;
    t.kind = KindOf(*w);
    t.visible = (w->style & WS_VISIBLE) != 0 && w->rect.right > w->rect.left && w->rect.bottom > w->rect.top;
    t.sizable = (w->style & WS_THICKFRAME) != 0;
    t.maximized = (w->style & WS_MAXIMIZE) != 0;
    t.minimized = (w->style & WS_MINIMIZE) != 0;
    t.disabled = (w->style & WS_DISABLED) != 0;
    if (t.sizable) {
      // What the window's WM_GETMINMAXINFO said, else the system's tracking sizes.
      const bool asked = w->maxTrack.x > 0 && w->maxTrack.y > 0;
      t.minSize = asked ? SIZE{w->minTrack.x, w->minTrack.y} : minimum;
      if (asked && (w->maxTrack.x != maximum.cx || w->maxTrack.y != maximum.cy))
        t.maxSize = SIZE{w->maxTrack.x, w->maxTrack.y};
    }
    if (host::IsManaged(t.kind)) {
      t.title = Utf16ToUtf8(w->text);
      t.icon = ClassIcon(w);
    }
    list.push_back(std::move(t));
  }
  return list;
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
  state.icon = ClassIcon(main);
  state.menuOpen = menus::InMenuLoop();
  state.windows = TopWindows();
  state.listsWindows = true;
  state.active = reinterpret_cast<uintptr_t>(Find(s.active) ? s.active : nullptr);
  return state;
}

}  // namespace

void PumpHostForWait() {
  if (!host::IsHostThread()) return;
  g_hostThread = CurrentThreadId();
  std::vector<RECT> held;
  {
    Guard guard = Lock();
    held = HeldDesktopDcBounds();
  }
  for (const RECT& r : held) host::PresentRect(r);
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

void OnHostCloseRequest(HWND hwnd) {
  HWND target;
  {
    Guard guard = Lock();
    target = hwnd && Find(hwnd) && IsTopLevel(Find(hwnd)) ? hwnd : MainWindow();
  }
  // As the close button would: the window may still refuse.
  if (target) PostMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The host's window manager moved or sized the window: it is where the user put it.
void OnHostWindowMoved(HWND hwnd, const RECT& rect) {
  {
    Guard guard = Lock();
    const Window* w = Find(hwnd);
    if (!w || !IsTopLevel(w) || EqualRect(&w->rect, &rect)) return;
  }
  SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The host's window manager minimized (1), maximized (2) or restored (0) the window.
void OnHostWindowState(HWND hwnd, int state) {
  bool minimized, maximized;
  {
    Guard guard = Lock();
    const Window* w = Find(hwnd);
    if (!w || !IsTopLevel(w)) return;
    minimized = (w->style & WS_MINIMIZE) != 0;
    maximized = (w->style & WS_MAXIMIZE) != 0;
  }
  if (state == 1 && !minimized) ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
  else if (state == 2 && !maximized) ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  else if (state == 0 && (minimized || maximized)) ShowWindow(hwnd, SW_RESTORE);
}

// The host's window manager stacked the window directly below `above`, or
// (null) above every window it keeps: the program's Z order follows, so that
// each window's X window shows its own pixels where windows overlap. The
// windows the host does not keep (menus, drop-downs, tips) stay above.
void OnHostWindowRestacked(HWND hwnd, HWND above) {
  HWND after = nullptr;
  {
    Guard guard = Lock();
    const Window* w = Find(hwnd);
    const Window* desktop = Find(Desktop());
    if (!w || !IsTopLevel(w) || w->destroying || (above && !Find(above))) return;
    const auto& list = desktop->children;
    if (above) {
      const auto at = std::find(list.begin(), list.end(), above);
      if (at == list.end() || (at + 1 != list.end() && *(at + 1) == hwnd)) return;
      after = above;
    } else {
      after = HWND_TOP;
      for (HWND top : list) {
        const Window* t = Find(top);
        if (!t || t->destroying) continue;
        if (host::IsManaged(KindOf(*t)) && (t->style & WS_VISIBLE)) {
          if (top == hwnd) return;  // already the highest the host keeps
          break;
        }
        after = top;
      }
    }
  }
  SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The host gave the window the keyboard: it becomes the active window, or
// the window that keeps it disabled does (a modal dialog over its owner).
void OnHostWindowActivated(HWND hwnd) {
  HWND target = nullptr;
  {
    Guard guard = Lock();
    UserState& s = State();
    const Window* w = Find(hwnd);
    if (!w || !IsTopLevel(w) || s.active == hwnd) return;
    if (!(w->style & WS_DISABLED)) {
      if (w->exStyle & WS_EX_NOACTIVATE) return;
      target = hwnd;
    } else {
      target = EnabledPopupOf(hwnd);
    }
  }
  if (target && target != GetActiveWindow()) {
    ActivateWindow(target, WA_ACTIVE);
    SetWindowPos(target, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND EnabledPopupOf(HWND hwnd) {
  const Window* w = Find(hwnd);
  if (!w) return nullptr;
  auto usable = [hwnd](const Window* popup) {
    return popup && popup->owner == hwnd && (popup->style & WS_VISIBLE) && !(popup->style & WS_DISABLED) &&
           !popup->destroying;
  };
  if (usable(Find(w->lastActivePopup))) return w->lastActivePopup;
  for (HWND top : Find(Desktop())->children) {
    const Window* popup = Find(top);
    if (usable(popup)) return top;
  }
  // A dialog of a dialog: the owner's popup may itself own the enabled one.
  for (HWND top : Find(Desktop())->children) {
    const Window* popup = Find(top);
    if (popup && popup->owner == hwnd && (popup->style & WS_VISIBLE) && (popup->style & WS_DISABLED) &&
        top != hwnd)
      if (HWND deeper = EnabledPopupOf(top)) return deeper;
  }
  return nullptr;
}

void OnHostPointerLeft(POINT where) {
  Guard guard = Lock();
  UserState& s = State();
  // With the capture held the pointer is grabbed and leaves nothing.
  if (Find(s.capture)) return;
  s.cursor = ClampToClip(where);
  s.pointerAway = true;
}

}  // namespace compat::user

// The scroll-bar calls, and the window scroll bars of WS_HSCROLL/WS_VSCROLL
// drawn in the place the non-client layout keeps for them. A bar of a
// scroll-bar control (SB_CTL) is the control's own: the calls send it SBM_*.
//
// A press on a window bar is tracked by a hidden window that holds the
// capture, so the window's own procedure needs to pass nothing on.
#include "compat/win32/window_scroll_bars.h"

#include <mutex>
#include <unordered_map>

#include "compat/win32/controls.h"
#include "compat/win32/scroll_bar_core.h"

namespace compat::user {
namespace {

struct WindowBars {
  scroll::BarState horz, vert;
  bool horzAutoDisabled = false, vertAutoDisabled = false;  // SIF_DISABLENOSCROLL with nothing to scroll
};

struct Registry {
  std::mutex lock;
  std::unordered_map<HWND, WindowBars> bars;
};

Registry& Bars() {
  static Registry* registry = new Registry;
  return *registry;
}

// A copy of one bar, taken under the lock.
scroll::BarState Read(HWND hwnd, bool vertical) {
  Registry& r = Bars();
  std::lock_guard<std::mutex> guard(r.lock);
  WindowBars& bars = r.bars[hwnd];
  return vertical ? bars.vert : bars.horz;
}

template <class Change>
auto Update(HWND hwnd, bool vertical, Change change) {
  Registry& r = Bars();
  std::lock_guard<std::mutex> guard(r.lock);
  WindowBars& bars = r.bars[hwnd];
  return change(vertical ? bars.vert : bars.horz, vertical ? bars.vertAutoDisabled : bars.horzAutoDisabled);
}

DWORD StyleBit(bool vertical) { return vertical ? WS_VSCROLL : WS_HSCROLL; }

// The bar's rectangle in window coordinates (or screen ones).
RECT BarRect(HWND hwnd, bool vertical, bool screen) {
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  RECT bar = vertical ? RECT{client.right, 0, client.right + GetSystemMetrics(SM_CXVSCROLL), client.bottom}
                      : RECT{0, client.bottom, client.right, client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
  OffsetRect(&bar, origin.x, origin.y);
  if (!screen) OffsetRect(&bar, -window.left, -window.top);
  return bar;
}

bool Showing(HWND hwnd, bool vertical) { return (GetWindowLongW(hwnd, GWL_STYLE) & StyleBit(vertical)) != 0; }

void Repaint(HWND hwnd, bool vertical, scroll::Zone pressed = scroll::Zone::None) {
  if (!Showing(hwnd, vertical) || !IsWindowVisible(hwnd)) return;
  HDC hdc = GetDCEx(hwnd, nullptr, DCX_WINDOW);
  if (!hdc) return;
  const scroll::BarState state = Read(hwnd, vertical);
  scroll::Paint(hdc, BarRect(hwnd, vertical, false), vertical, state, pressed, nullptr);
  ReleaseDC(hwnd, hdc);
}

void SetShown(HWND hwnd, bool vertical, bool show) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG wanted = show ? (style | StyleBit(vertical)) : (style & ~static_cast<LONG>(StyleBit(vertical)));
  if (wanted == style) return;
  SetWindowLongW(hwnd, GWL_STYLE, wanted);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- tracking a press on a window bar ---
struct ActiveTrack {
  HWND target = nullptr;
  HWND window = nullptr;  // the hidden window holding the capture
  bool vertical = true;
  scroll::Tracker tracker;
};

ActiveTrack& Track() {
  static ActiveTrack* track = new ActiveTrack;  // one capture at a time
  return *track;
}

constexpr UINT_PTR kRepeatTimer = 1;
const WCHAR* kTrackerClass = u"CalvettaScrollTracker";

void SendScroll(HWND target, bool vertical, WORD code, int pos) {
  SendMessageW(target, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)), 0);
}

// Runs one tracker step on a copy of the bar, then stores it back.
template <class Step>
void RunStep(ActiveTrack& t, Step step) {
  scroll::BarState state = Read(t.target, t.vertical);
  const scroll::Layout layout = scroll::LayoutOf(BarRect(t.target, t.vertical, true), t.vertical, state);
  auto send = [&](WORD code, int pos) {
    Update(t.target, t.vertical, [&](scroll::BarState& bar, bool&) {
      bar.tracking = state.tracking;
      bar.trackPos = state.trackPos;
    });
    SendScroll(t.target, t.vertical, code, pos);
  };
  auto timer = [&](UINT elapse) {
    if (elapse) SetTimer(t.window, kRepeatTimer, elapse, nullptr);
    else KillTimer(t.window, kRepeatTimer);
  };
  step(state, layout, send, timer);
  Update(t.target, t.vertical, [&](scroll::BarState& bar, bool&) {
    bar.tracking = state.tracking;
    bar.trackPos = state.trackPos;
  });
  Repaint(t.target, t.vertical, t.tracker.Pressed());
}

void EndTrack(ActiveTrack& t) {
  if (!t.tracker.Active()) return;
  RunStep(t, [&](scroll::BarState& state, const scroll::Layout&, auto& send, auto& timer) {
    t.tracker.Release(state, send, timer);
  });
  HWND window = t.window;
  t.window = nullptr;
  if (GetCapture() == window) ReleaseCapture();
  DestroyWindow(window);
}

// The hidden window sits at the desktop's origin with no frame: its client
// coordinates are screen coordinates.
LRESULT CALLBACK TrackerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ActiveTrack& t = Track();
  if (t.window != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_MOUSEMOVE:
      RunStep(t, [&](scroll::BarState& state, const scroll::Layout& layout, auto& send, auto&) {
        t.tracker.Move(state, layout, t.vertical, point, send);
      });
      return 0;
    case WM_TIMER:
      RunStep(t, [&](scroll::BarState& state, const scroll::Layout& layout, auto& send, auto& timer) {
        t.tracker.Tick(state, layout, send, timer);
      });
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      EndTrack(t);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

HWND MakeTracker() {
  WNDCLASSW wc{};
  if (!GetClassInfoW(nullptr, kTrackerClass, &wc)) {
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = TrackerProc;
    wc.lpszClassName = kTrackerClass;
    RegisterClassW(&wc);
  }
  return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kTrackerClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, nullptr, nullptr);
}

}  // namespace

void PaintWindowScrollBar(HWND hwnd, HDC windowDc, const RECT& bar, bool vertical) {
  const scroll::BarState state = Read(hwnd, vertical);
  ActiveTrack& t = Track();
  const scroll::Zone pressed = t.target == hwnd && t.vertical == vertical ? t.tracker.Pressed() : scroll::Zone::None;
  scroll::Paint(windowDc, bar, vertical, state, pressed, nullptr);
}

void PressWindowScrollBar(HWND hwnd, WPARAM hit, POINT screen) {
  ActiveTrack& t = Track();
  if (t.tracker.Active()) return;
  const bool vertical = hit == HTVSCROLL;
  HWND window = MakeTracker();
  if (!window) return;
  t.target = hwnd;
  t.vertical = vertical;
  t.window = window;
  bool started = false;
  RunStep(t, [&](scroll::BarState& state, const scroll::Layout& layout, auto& send, auto& timer) {
    // A disabled bar stays drawn and takes no clicks.
    started = t.tracker.Press(state, layout, vertical, screen, send, timer);
  });
  if (!started || !IsWindow(hwnd)) {
    t.window = nullptr;
    DestroyWindow(window);
    return;
  }
  SetCapture(window);
}

void ForgetWindowScrollBars(HWND hwnd) {
  Registry& r = Bars();
  std::lock_guard<std::mutex> guard(r.lock);
  r.bars.erase(hwnd);
}

void ForgetAllWindowScrollBars() {
  Registry& r = Bars();
  std::lock_guard<std::mutex> guard(r.lock);
  r.bars.clear();
}

}  // namespace compat::user

using namespace compat::user;
namespace scroll = compat::scroll;

namespace {

bool IsWindowBar(int bar) { return bar == SB_HORZ || bar == SB_VERT; }

}  // namespace

int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  if (!info || !IsWindow(hwnd)) return 0;
  if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
  if (!IsWindowBar(bar)) return 0;
  const bool vertical = bar == SB_VERT;
  const bool keep = (info->fMask & SIF_DISABLENOSCROLL) != 0;
  bool needed = false;
  const int pos = Update(hwnd, vertical, [&](scroll::BarState& state, bool& autoDisabled) {
    scroll::Apply(state, *info);
    needed = scroll::Needed(state);
    // With nothing to scroll the bar goes away, or stays disabled when asked to.
    const bool disable = !needed && keep;
    if (disable != autoDisabled) state.disabledArrows = disable ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH;
    autoDisabled = disable;
    return state.pos;
  });
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) SetShown(hwnd, vertical, needed || keep);
  if (redraw) Repaint(hwnd, vertical);
  return pos;
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  if (!info || !IsWindow(hwnd)) return FALSE;
  if (bar == SB_CTL) return static_cast<BOOL>(SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
  if (!IsWindowBar(bar)) return FALSE;
  scroll::Fill(Read(hwnd, bar == SB_VERT), info);
  return TRUE;
}

int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  SCROLLINFO old{sizeof(old), SIF_POS, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(hwnd, bar, &old)) return 0;
  SCROLLINFO info{sizeof(info), SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &info, redraw);
  return old.nPos;
}

int WINAPI GetScrollPos(HWND hwnd, int bar) {
  SCROLLINFO info{sizeof(info), SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(hwnd, bar, &info) ? info.nPos : 0;
}

BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!IsWindow(hwnd)) return FALSE;
  SCROLLINFO info{sizeof(info), SIF_RANGE, minPos, maxPos, 0, 0, 0};
  SetScrollInfo(hwnd, bar, &info, redraw);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos) {
  SCROLLINFO info{sizeof(info), SIF_RANGE, 0, 0, 0, 0, 0};
  if (!minPos || !maxPos || !GetScrollInfo(hwnd, bar, &info)) return FALSE;
  *minPos = info.nMin;
  *maxPos = info.nMax;
  return TRUE;
}

BOOL WINAPI EnableScrollBar(HWND hwnd, UINT bars, UINT arrows) {
  if (!IsWindow(hwnd)) return FALSE;
  if (bars == SB_CTL) {
    EnableWindow(hwnd, arrows != ESB_DISABLE_BOTH);
    return static_cast<BOOL>(SendMessageW(hwnd, SBM_ENABLE_ARROWS, arrows, 0));
  }
  BOOL changed = FALSE;
  for (bool vertical : {false, true}) {
    if (bars != SB_BOTH && (bars == SB_VERT) != vertical) continue;
    changed |= Update(hwnd, vertical, [&](scroll::BarState& state, bool&) {
      const bool differs = state.disabledArrows != arrows;
      state.disabledArrows = arrows;
      return differs;
    });
    Repaint(hwnd, vertical);
  }
  return changed;
}

BOOL WINAPI ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (!IsWindow(hwnd)) return FALSE;
  if (bar == SB_CTL) {
    ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
    return TRUE;
  }
  if (bar == SB_HORZ || bar == SB_BOTH) SetShown(hwnd, false, show);
  if (bar == SB_VERT || bar == SB_BOTH) SetShown(hwnd, true, show);
  return TRUE;
}

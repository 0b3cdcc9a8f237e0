// The "ScrollBar" control: a horizontal or vertical bar that tells its parent
// WM_HSCROLL/WM_VSCROLL with its own handle, and answers keys when focused.
#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"
#include "compat/win32/scroll_bar_core.h"

namespace compat::controls {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;

struct ScrollBarState {
  scroll::BarState bar;
  scroll::Tracker tracker;
  bool focus = false;
};

bool Vertical(HWND hwnd) { return (StyleOf(hwnd) & SBS_VERT) != 0; }

RECT Bounds(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return client;
}

void Tell(HWND hwnd, WORD code, int pos) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
               reinterpret_cast<LPARAM>(hwnd));
}

// A parent that answers WM_CTLCOLORSCROLLBAR colours the shaft; otherwise it
// is the classic checker.
HBRUSH ShaftBrush(HWND hwnd, HDC hdc) {
  HWND parent = GetParent(hwnd);
  if (!parent) return nullptr;
  const LRESULT brush = SendMessageW(parent, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd));
  const LRESULT standard = DefWindowProcW(parent, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd));
  return brush && brush != standard ? reinterpret_cast<HBRUSH>(brush) : nullptr;
}

void Paint(HWND hwnd, HDC hdc, const ScrollBarState& s) {
  HBRUSH shaft = ShaftBrush(hwnd, hdc);
  scroll::BarState shown = s.bar;
  if (!IsWindowEnabled(hwnd)) shown.disabledArrows = ESB_DISABLE_BOTH;
  scroll::Paint(hdc, Bounds(hwnd), Vertical(hwnd), shown, s.tracker.Pressed(), shaft);
  if (s.focus && s.tracker.Pressed() == scroll::Zone::None) {
    // The focused control blinks its thumb on the platform; a focus rectangle stands for it.
    const scroll::Layout layout = scroll::LayoutOf(Bounds(hwnd), Vertical(hwnd), shown);
    if (layout.hasThumb) {
      RECT focus = layout.thumb;
      InflateRect(&focus, -2, -2);
      DrawFocusRect(hdc, &focus);
    }
  }
}

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

// Runs one tracker step with the messages and timer it asks for.
template <class Step>
void Track(HWND hwnd, ScrollBarState& s, Step step) {
  const scroll::Layout layout = scroll::LayoutOf(Bounds(hwnd), Vertical(hwnd), s.bar);
  auto send = [&](WORD code, int pos) { Tell(hwnd, code, pos); };
  auto timer = [&](UINT elapse) {
    if (elapse) SetTimer(hwnd, kRepeatTimer, elapse, nullptr);
    else KillTimer(hwnd, kRepeatTimer);
  };
  step(layout, send, timer);
  Redraw(hwnd);
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

void OnKey(HWND hwnd, WPARAM key) {
  const bool vertical = Vertical(hwnd);
  WORD code;
  switch (key) {
    case VK_UP: if (!vertical) return; code = SB_LINEUP; break;
    case VK_DOWN: if (!vertical) return; code = SB_LINEDOWN; break;
    case VK_LEFT: if (vertical) return; code = SB_LINELEFT; break;
    case VK_RIGHT: if (vertical) return; code = SB_LINERIGHT; break;
    case VK_PRIOR: code = SB_PAGEUP; break;
    case VK_NEXT: code = SB_PAGEDOWN; break;
    case VK_HOME: code = SB_TOP; break;
    case VK_END: code = SB_BOTTOM; break;
    default: return;
  }
  Tell(hwnd, code, 0);
  Tell(hwnd, SB_ENDSCROLL, 0);
}

LRESULT SetInfo(HWND hwnd, ScrollBarState& s, const SCROLLINFO* info, BOOL redraw) {
  if (!info) return s.bar.pos;
  scroll::Apply(s.bar, *info);
  if (redraw) Redraw(hwnd);
  return s.bar.pos;
}


LRESULT BarMessage(HWND hwnd, ScrollBarState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case SBM_SETSCROLLINFO: return SetInfo(hwnd, s, reinterpret_cast<const SCROLLINFO*>(lParam), static_cast<BOOL>(wParam));
    case SBM_GETSCROLLINFO: {
      auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!info) return FALSE;
      scroll::Fill(s.bar, info);
      return TRUE;
    }
    case SBM_SETPOS: {
      const int old = s.bar.pos;
      SCROLLINFO info{sizeof(info), SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
      SetInfo(hwnd, s, &info, static_cast<BOOL>(lParam));
      return old;
    }
    case SBM_GETPOS: return s.bar.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      const int old = s.bar.pos;
      SCROLLINFO info{sizeof(info), SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
      SetInfo(hwnd, s, &info, message == SBM_SETRANGEREDRAW);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<LPINT>(wParam) = s.bar.min;
      if (lParam) *reinterpret_cast<LPINT>(lParam) = s.bar.max;
      return 0;
    case SBM_ENABLE_ARROWS: {
      const bool changed = s.bar.disabledArrows != wParam;
      s.bar.disabledArrows = static_cast<UINT>(wParam);
      Redraw(hwnd);
      return changed;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ScrollBarState* state = StateForMessage<ScrollBarState>(hwnd, message);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  ScrollBarState& s = *state;
  switch (message) {
    case WM_NCDESTROY:
      DetachState<ScrollBarState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, hdc, s); });
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (s.tracker.Active() || !IsWindowEnabled(hwnd)) return 0;
      if (GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd);
      bool started = false;
      Track(hwnd, s, [&](const scroll::Layout& layout, auto& send, auto& timer) {
        started = s.tracker.Press(s.bar, layout, Vertical(hwnd), PointOf(lParam), send, timer);
      });
      if (started) SetCapture(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s.tracker.Active()) {
        Track(hwnd, s, [&](const scroll::Layout& layout, auto& send, auto&) {
          s.tracker.Move(s.bar, layout, Vertical(hwnd), PointOf(lParam), send);
        });
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer) {
        Track(hwnd, s, [&](const scroll::Layout& layout, auto& send, auto& timer) {
          s.tracker.Tick(s.bar, layout, send, timer);
        });
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (s.tracker.Active()) {
        Track(hwnd, s, [&](const scroll::Layout&, auto& send, auto& timer) { s.tracker.Release(s.bar, send, timer); });
        if (message == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    case WM_KEYDOWN: OnKey(hwnd, wParam); return 0;
    case WM_SETFOCUS: s.focus = true; Redraw(hwnd); return 0;
    case WM_KILLFOCUS: s.focus = false; Redraw(hwnd); return 0;
    case WM_ENABLE: Redraw(hwnd); return 0;
    case WM_NOTIFY: return 0;
    default: return BarMessage(hwnd, s, message, wParam, lParam);
  }
}

}  // namespace compat::controls

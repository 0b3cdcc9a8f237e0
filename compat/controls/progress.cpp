// The progress bar: a position within a range shown as classic blocks, or one
// smooth bar with PBS_SMOOTH.
#include <algorithm>

#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

constexpr int kBlockGap = 2;

struct Progress {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
};

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

int SetPos(HWND hwnd, Progress& p, long long pos) {
  const int before = p.pos;
  p.pos = static_cast<int>(std::clamp<long long>(pos, p.low, std::max(p.low, p.high)));
  if (p.pos != before) Redraw(hwnd);
  return before;
}

LRESULT SetRange(HWND hwnd, Progress& p, int low, int high) {
  const LRESULT before = MAKELONG(static_cast<WORD>(p.low), static_cast<WORD>(p.high));
  p.low = low;
  p.high = high;
  p.pos = std::clamp(p.pos, low, std::max(low, high));
  Redraw(hwnd);
  return before;
}

void Paint(HWND hwnd, const Progress& p, HDC hdc) {
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT);
  InflateRect(&r, -2, -2);
  const bool vertical = (StyleOf(hwnd) & PBS_VERTICAL) != 0;
  const int length = vertical ? r.bottom - r.top : r.right - r.left;
  const int thickness = vertical ? r.right - r.left : r.bottom - r.top;
  if (length <= 0 || thickness <= 0 || p.high <= p.low) return;
  const int filled = static_cast<int>(static_cast<long long>(length) * (p.pos - p.low) / (p.high - p.low));
  HBRUSH bar = GetSysColorBrush(COLOR_HIGHLIGHT);
  auto fill = [&](int from, int to) {
    RECT b = vertical ? RECT{r.left, r.bottom - to, r.right, r.bottom - from} : RECT{r.left + from, r.top, r.left + to, r.bottom};
    FillRect(hdc, &b, bar);
  };
  if (StyleOf(hwnd) & PBS_SMOOTH) {
    fill(0, filled);
    return;
  }
  // Whole blocks while they start inside the filled length, the last one cut at the end.
  const int block = std::max(1, thickness * 2 / 3);
  for (int at = 0; at < filled; at += block + kBlockGap) fill(at, std::min(at + block, length));
}

}  // namespace

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Progress* p = StateForMessage<Progress>(hwnd, message);
  if (!p) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      DetachState<Progress>(hwnd);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, *p, hdc); });
    case WM_ERASEBKGND:
      return 1;
    case PBM_SETRANGE:
      return SetRange(hwnd, *p, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
      return SetRange(hwnd, *p, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
      if (auto* out = reinterpret_cast<PBRANGE*>(lParam)) *out = PBRANGE{p->low, p->high};
      return wParam ? p->low : p->high;
    case PBM_SETPOS:
      return SetPos(hwnd, *p, static_cast<int>(wParam));
    case PBM_GETPOS:
      return p->pos;
    case PBM_DELTAPOS:
      return SetPos(hwnd, *p, static_cast<long long>(p->pos) + static_cast<int>(wParam));
    case PBM_SETSTEP: {
      const int before = p->step;
      p->step = static_cast<int>(wParam);
      return before;
    }
    case PBM_STEPIT: {
      // Stepping past the end starts over from the beginning.
      long long next = static_cast<long long>(p->pos) + p->step;
      if (next > p->high) next = p->low + (next - p->high);
      if (next < p->low) next = p->high - (p->low - next);
      return SetPos(hwnd, *p, next);
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace compat::controls

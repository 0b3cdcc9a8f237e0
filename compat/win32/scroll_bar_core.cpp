// One scroll bar's arithmetic, drawing and mouse tracking.
#include "compat/win32/scroll_bar_core.h"

#include <algorithm>

#include "compat/win32/user.h"

namespace compat::scroll {
namespace {

constexpr int kMinThumb = 8;

int Length(const RECT& r, bool vertical) { return vertical ? r.bottom - r.top : r.right - r.left; }
int Along(POINT p, bool vertical) { return vertical ? p.y : p.x; }
int Start(const RECT& r, bool vertical) { return vertical ? r.top : r.left; }

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

RECT Span(const RECT& bar, bool vertical, int from, int to) {
  return vertical ? RECT{bar.left, from, bar.right, to} : RECT{from, bar.top, to, bar.bottom};
}

WORD CodeOf(Zone part) {
  switch (part) {
    case Zone::LineUp: return SB_LINEUP;
    case Zone::LineDown: return SB_LINEDOWN;
    case Zone::PageUp: return SB_PAGEUP;
    case Zone::PageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

bool ArrowDisabled(const BarState& state, Zone part) {
  if (part == Zone::LineUp || part == Zone::PageUp) return (state.disabledArrows & ESB_DISABLE_UP) != 0;
  if (part == Zone::LineDown || part == Zone::PageDown) return (state.disabledArrows & ESB_DISABLE_DOWN) != 0;
  return state.disabledArrows == ESB_DISABLE_BOTH;
}

// The position a thumb whose start lies at `pixel` stands for.
int PositionAt(const BarState& state, const Layout& layout, bool vertical, int pixel) {
  const int room = Length(layout.shaft, vertical) - Length(layout.thumb, vertical);
  if (room <= 0) return state.min;
  const int offset = std::clamp(pixel - Start(layout.shaft, vertical), 0, room);
  const long long span = static_cast<long long>(MaxPos(state)) - state.min;
  return state.min + static_cast<int>((span * offset + room / 2) / room);
}

// The classic shaft: a checker of the highlight and face colours in force.
void FillShaft(HDC hdc, const RECT& shaft, HBRUSH given) {
  if (given) {
    FillRect(hdc, &shaft, given);
    return;
  }
  constexpr int kSide = 8;
  uint32_t bits[kSide * kSide];
  const COLORREF light = GetSysColor(COLOR_3DHIGHLIGHT), face = GetSysColor(COLOR_3DFACE);
  auto pixel = [](COLORREF c) { return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); };
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) bits[y * kSide + x] = pixel(((x + y) & 1) ? face : light);
  HBITMAP pattern = CreateBitmap(kSide, kSide, 1, 32, bits);
  HBRUSH brush = CreatePatternBrush(pattern);
  FillRect(hdc, &shaft, brush);
  DeleteObject(brush);
  DeleteObject(pattern);
}

}  // namespace

int MaxPos(const BarState& bar) {
  const int page = bar.page ? static_cast<int>(bar.page) - 1 : 0;
  return std::max(bar.min, bar.max - page);
}

bool Needed(const BarState& bar) {
  return bar.max > bar.min && (bar.page == 0 || static_cast<long long>(bar.page) <= static_cast<long long>(bar.max) - bar.min);
}

void Apply(BarState& bar, const SCROLLINFO& info) {
  if (info.fMask & SIF_RANGE) {
    bar.min = info.nMin;
    bar.max = std::max(info.nMin, info.nMax);
  }
  if (info.fMask & SIF_PAGE) {
    const long long range = static_cast<long long>(bar.max) - bar.min + 1;
    bar.page = static_cast<UINT>(std::min<long long>(info.nPage, range));
  }
  if (info.fMask & SIF_POS) bar.pos = info.nPos;
  bar.pos = std::clamp(bar.pos, bar.min, MaxPos(bar));
  if (!bar.tracking) bar.trackPos = bar.pos;
}

void Fill(const BarState& bar, SCROLLINFO* info) {
  if (info->fMask & SIF_RANGE) {
    info->nMin = bar.min;
    info->nMax = bar.max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = bar.page;
  if (info->fMask & SIF_POS) info->nPos = bar.pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = bar.tracking ? bar.trackPos : bar.pos;
}

Layout LayoutOf(const RECT& bar, bool vertical, const BarState& state) {
  Layout layout;
  const int length = Length(bar, vertical);
  const int arrow = std::min(vertical ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL), length / 2);
  const int start = Start(bar, vertical);
  layout.up = Span(bar, vertical, start, start + arrow);
  layout.down = Span(bar, vertical, start + length - arrow, start + length);
  layout.shaft = Span(bar, vertical, start + arrow, start + length - arrow);
  const int shaft = length - 2 * arrow;
  if (state.disabledArrows == ESB_DISABLE_BOTH || !Needed(state) || shaft <= 0) return layout;
  const long long range = static_cast<long long>(state.max) - state.min + 1;
  int thumb = state.page ? static_cast<int>(shaft * static_cast<long long>(state.page) / range)
                         : (vertical ? GetSystemMetrics(SM_CYVTHUMB) : GetSystemMetrics(SM_CXHTHUMB));
  thumb = std::max(thumb, kMinThumb);
  if (thumb > shaft) return layout;
  const int room = shaft - thumb;
  const long long span = static_cast<long long>(MaxPos(state)) - state.min;
  const int value = state.tracking ? state.trackPos : state.pos;
  const int offset = span > 0 ? static_cast<int>(room * (static_cast<long long>(value) - state.min) / span) : 0;
  const int from = start + arrow + offset;
  layout.thumb = Span(bar, vertical, from, from + thumb);
  layout.hasThumb = true;
  return layout;
}

Zone HitTest(const Layout& layout, POINT point, bool vertical) {
  if (Inside(layout.up, point)) return Zone::LineUp;
  if (Inside(layout.down, point)) return Zone::LineDown;
  if (!Inside(layout.shaft, point)) return Zone::None;
  if (!layout.hasThumb) return Zone::None;
  if (Inside(layout.thumb, point)) return Zone::Thumb;
  return Along(point, vertical) < Start(layout.thumb, vertical) ? Zone::PageUp : Zone::PageDown;
}

void Paint(HDC hdc, const RECT& bar, bool vertical, const BarState& state, Zone pressed, HBRUSH shaft) {
  const Layout layout = LayoutOf(bar, vertical, state);
  auto arrow = [&](RECT r, UINT glyph, Zone part) {
    UINT flags = glyph;
    if (pressed == part) flags |= DFCS_PUSHED | DFCS_FLAT;
    if (ArrowDisabled(state, part)) flags |= DFCS_INACTIVE;
    DrawFrameControl(hdc, &r, DFC_SCROLL, flags);
  };
  arrow(layout.up, vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, Zone::LineUp);
  arrow(layout.down, vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, Zone::LineDown);
  FillShaft(hdc, layout.shaft, shaft);
  if (!layout.hasThumb) return;
  // A held page area darkens between the thumb and the arrow on its side.
  if (pressed == Zone::PageUp || pressed == Zone::PageDown) {
    RECT page = pressed == Zone::PageUp
                    ? Span(bar, vertical, Start(layout.shaft, vertical), Start(layout.thumb, vertical))
                    : Span(bar, vertical, vertical ? layout.thumb.bottom : layout.thumb.right,
                           vertical ? layout.shaft.bottom : layout.shaft.right);
    FillRect(hdc, &page, GetSysColorBrush(COLOR_3DDKSHADOW));
  }
  RECT thumb = layout.thumb;
  DrawFrameControl(hdc, &thumb, DFC_BUTTON, DFCS_BUTTONPUSH);
}

// --- tracking ---
void Tracker::Fire(const Send& send) const {
  if (part_ != Zone::Thumb) send(CodeOf(part_), 0);
}

bool Tracker::Press(BarState& state, const Layout& layout, bool vertical, POINT point, const Send& send,
                    const Timer& timer) {
  const Zone part = HitTest(layout, point, vertical);
  if (part == Zone::None || ArrowDisabled(state, part)) return false;
  part_ = part;
  vertical_ = vertical;
  over_ = true;
  last_ = point;
  if (part == Zone::Thumb) {
    grab_ = Along(point, vertical) - Start(layout.thumb, vertical);
    state.tracking = true;
    state.trackPos = state.pos;
    return true;
  }
  Fire(send);
  timer(kFirstRepeatMs);
  return true;
}

void Tracker::Move(BarState& state, const Layout& layout, bool vertical, POINT point, const Send& send) {
  last_ = point;
  if (part_ == Zone::Thumb) {
    const int position = PositionAt(state, layout, vertical, Along(point, vertical) - grab_);
    if (position != state.trackPos) {
      state.trackPos = position;
      send(SB_THUMBTRACK, position);
    }
    return;
  }
  over_ = HitTest(layout, point, vertical) == part_;
}

void Tracker::Tick(BarState& state, const Layout& layout, const Send& send, const Timer& timer) {
  if (part_ == Zone::None || part_ == Zone::Thumb) return;
  timer(kRepeatMs);
  // A page area repeats only while the pointer is over it and the thumb has
  // not reached the pointer; an arrow while the pointer is on it.
  over_ = HitTest(layout, last_, vertical_) == part_;
  if (over_ && !ArrowDisabled(state, part_)) Fire(send);
}

void Tracker::Release(BarState& state, const Send& send, const Timer& timer) {
  if (part_ == Zone::None) return;
  const Zone part = part_;
  part_ = Zone::None;
  over_ = false;
  timer(0);
  if (part == Zone::Thumb) {
    state.tracking = false;
    send(SB_THUMBPOSITION, state.trackPos);
  }
  send(SB_ENDSCROLL, 0);
}

}  // namespace compat::scroll

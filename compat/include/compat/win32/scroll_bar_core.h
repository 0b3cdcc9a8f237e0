// One scroll bar's values, layout, drawing and mouse tracking, shared by the
// window scroll bars of WS_HSCROLL/WS_VSCROLL and the "ScrollBar" control.
// Not a platform call: the layer's own helper, written on the GDI calls.
#pragma once

#include <functional>

#include "compat/win32/controls.h"
#include "compat/win32/gdi.h"

namespace compat::scroll {

// Arrows and page areas repeat while held: a first pause, then a steady rate.
constexpr UINT kFirstRepeatMs = 200;
constexpr UINT kRepeatMs = 50;

struct BarState {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  UINT disabledArrows = ESB_ENABLE_BOTH;
  bool tracking = false;  // the thumb is being dragged
};

// The highest position the thumb can take: the page's last line at max.
int MaxPos(const BarState& bar);
// Applies the masked fields of a SCROLLINFO, keeping the position in range.
void Apply(BarState& bar, const SCROLLINFO& info);
void Fill(const BarState& bar, SCROLLINFO* info);
// True when the range holds more than a page: the bar has something to do.
bool Needed(const BarState& bar);

enum class Zone { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct Layout {
  RECT up{}, down{}, shaft{}, thumb{};
  bool hasThumb = false;
};

Layout LayoutOf(const RECT& bar, bool vertical, const BarState& state);
Zone HitTest(const Layout& layout, POINT point, bool vertical);

// Draws the bar into its rectangle; `pressed` shows the part held down. A
// null shaft brush gives the classic checkered shaft.
void Paint(HDC hdc, const RECT& bar, bool vertical, const BarState& state, Zone pressed, HBRUSH shaft);

// What the mouse does to a bar between press and release. The owner forwards
// its mouse and timer messages here and sends out the codes it is given.
class Tracker {
 public:
  using Send = std::function<void(WORD code, int pos)>;
  using Timer = std::function<void(UINT elapse)>;  // 0 stops it

  // False when the press lands on no live part (a disabled bar, no thumb).
  bool Press(BarState& state, const Layout& layout, bool vertical, POINT point, const Send& send, const Timer& timer);
  void Move(BarState& state, const Layout& layout, bool vertical, POINT point, const Send& send);
  void Tick(BarState& state, const Layout& layout, const Send& send, const Timer& timer);
  // The release, or the capture lost: the thumb drops where it is.
  void Release(BarState& state, const Send& send, const Timer& timer);

  bool Active() const { return part_ != Zone::None; }
  Zone Pressed() const { return over_ ? part_ : Zone::None; }

 private:
  void Fire(const Send& send) const;
  Zone part_ = Zone::None;
  bool vertical_ = true;
  bool over_ = false;
  POINT last_{};
  int grab_ = 0;  // pixels from the thumb's start to the press
};

}  // namespace compat::scroll

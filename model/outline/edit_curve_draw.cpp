// CEditCurve on the screen: the flattened curve and its key points, drawn
// with GDI into the curve control.
#include <algorithm>

#include "compat/win32.h"
#include "model/outline/curve_keys.h"
#include "model/geometry/pixel_point.h"

namespace {

constexpr COLORREF kCurveColour = 0x0000FF;
constexpr COLORREF kSelectedKeyColour = 0xFF0000;
constexpr COLORREF kKeyFrameColour = 0xFFFFFF;
constexpr LONG kKeyHalf = 2;

POINT InDisplay(const CVector2& v, const RECT& display) {
  const POINT r = RoundedPoint(v);
  return POINT{std::clamp(r.x, std::min(display.left, display.right), std::max(display.left, display.right)),
               std::clamp(r.y, std::min(display.top, display.bottom), std::max(display.top, display.bottom))};
}

}  // namespace

void CEditCurve::Draw(HDC dc) const {
  HPEN pen = CreatePen(PS_SOLID, 1, kCurveColour);
  HGDIOBJ old = SelectObject(dc, pen);
  const CVector2Array& line = Polyline();
  for (int k = 0; k < line.GetSize(); ++k) {
    const POINT p = InDisplay(line[k], display);
    if (k == 0) MoveToEx(dc, p.x, p.y, nullptr);
    else LineTo(dc, p.x, p.y);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
  HBRUSH selectedFill = CreateSolidBrush(kSelectedKeyColour), frame = CreateSolidBrush(kKeyFrameColour);
  for (int i = 0; i < GetSize(); ++i) {
    const POINT p = InDisplay(ElementAt(i), display);
    const RECT square{p.x - kKeyHalf, p.y - kKeyHalf, p.x + kKeyHalf, p.y + kKeyHalf};
    if (i == selected) FillRect(dc, &square, selectedFill);
    else FrameRect(dc, &square, frame);
  }
  DeleteObject(selectedFill);
  DeleteObject(frame);
}

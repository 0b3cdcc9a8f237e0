// Text inside an open path: each glyph's outline, flattened, becomes figures
// of the path at the pen positions the text would be drawn at.
#include <cmath>

#include "compat/win32/fonts.h"

#include FT_OUTLINE_H

namespace compat::gdi {

namespace {

// Steps per curve piece: glyphs are small, a few pixels each step.
constexpr int kCurveSteps = 8;

struct OutlineWalk {
  DcObj* dc;
  double originX, originY;  // pen position, device
  double cosA, sinA;        // the font's escapement
  Contour figure;
  double lastX = 0, lastY = 0;  // 26.6, y up

  void Add(double x26, double y26) {
    double gx = x26 / 64.0, gy = -y26 / 64.0;  // glyph space to y down
    figure.Add(originX + gx * cosA + gy * sinA, originY - gx * sinA + gy * cosA);
    lastX = x26;
    lastY = y26;
  }
  void Flush() {
    if (figure.Size() > 2) RecordContourIntoPath(*dc, figure, true);
    figure = Contour{};
  }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto* w = static_cast<OutlineWalk*>(user);
  w->Flush();
  w->Add(to->x, to->y);
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  static_cast<OutlineWalk*>(user)->Add(to->x, to->y);
  return 0;
}

int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
  auto* w = static_cast<OutlineWalk*>(user);
  double x0 = w->lastX, y0 = w->lastY;
  for (int i = 1; i <= kCurveSteps; ++i) {
    double t = double(i) / kCurveSteps, u = 1 - t;
    w->Add(u * u * x0 + 2 * u * t * c->x + t * t * to->x, u * u * y0 + 2 * u * t * c->y + t * t * to->y);
  }
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* w = static_cast<OutlineWalk*>(user);
  double x0 = w->lastX, y0 = w->lastY;
  for (int i = 1; i <= kCurveSteps; ++i) {
    double t = double(i) / kCurveSteps, u = 1 - t;
    w->Add(u * u * u * x0 + 3 * u * u * t * c1->x + 3 * u * t * t * c2->x + t * t * t * to->x,
           u * u * u * y0 + 3 * u * u * t * c1->y + 3 * u * t * t * c2->y + t * t * t * to->y);
  }
  return 0;
}

}  // namespace

void RecordTextIntoPath(DcObj& dc, FontFace& face, int x, int baseline, const WCHAR* s, int n,
                        const INT* dx, int extra, bool glyphIndex) {
  double angle = face.Escapement();
  double penX = x, penY = baseline;
  FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  std::lock_guard lock(FontMutex());
  for (int i = 0, unit = 0; i < n; ++unit) {
    char32_t ch = NextChar(s, n, &i, glyphIndex);
    FT_Vector advance{0, 0};
    OutlineWalk walk{&dc, penX, penY, std::cos(angle), std::sin(angle), {}};
    if (FT_Outline* outline = face.LoadOutline(ch, &advance)) {
      FT_Outline_Decompose(outline, &funcs, &walk);
      walk.Flush();
    }
    double step = dx ? dx[unit] : advance.x / 64.0 + extra;
    penX += step * std::cos(angle);
    penY -= step * std::sin(angle);
  }
}

}  // namespace compat::gdi

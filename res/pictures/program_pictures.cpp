// Drawings of the program's pictures. Each is legible at its size and drawn
// the same at every build; none comes from elsewhere.
//
// Sections: shapes shared by the drawings / main toolbar / glyph strips /
// timeline and list buttons / alpha track / cursors / application icon.
#include "res/pictures/program_pictures.h"

#include <cmath>

namespace programpictures {
namespace {

using resgen::Canvas;
using resgen::CursorPicture;
using resgen::PointF;
using resgen::Placed;
using namespace resgen;  // the colour names

// Grey levels of the 8-bit pictures, then a few colours of their own.
constexpr int kGreyLevels = 64;
constexpr uint8_t kFirstGrey = resgen::kFirstExtraColour;
constexpr uint8_t kOrange = kFirstGrey + kGreyLevels;
constexpr uint8_t kSky = kOrange + 1;
constexpr uint8_t kLeaf = kOrange + 2;
constexpr uint8_t kMagenta = kFuchsia;  // the glyph strips' mask colour, 0xFF00FF

uint8_t Grey(int level) { return static_cast<uint8_t>(kFirstGrey + level * (kGreyLevels - 1) / 255); }

// --- shapes shared by the drawings ---

void Frame(Canvas& c, int left, int top, int right, int bottom, uint8_t colour) {
  c.FillRect(left, top, right, top + 1, colour);
  c.FillRect(left, bottom - 1, right, bottom, colour);
  c.FillRect(left, top, left + 1, bottom, colour);
  c.FillRect(right - 1, top, right, bottom, colour);
}

void Arrow(Canvas& c, double cx, double cy, double degrees, double length, uint8_t colour) {
  const double h = length / 2;
  c.FillPolygon(Placed({{-h, -1}, {h - 3, -1}, {h - 3, -3}, {h, 0}, {h - 3, 3}, {h - 3, 1}, {-h, 1}}, cx, cy, degrees),
                colour);
}

void Triangle(Canvas& c, double cx, double cy, double degrees, double size, uint8_t colour) {
  c.FillPolygon(Placed({{-size / 2, -size / 2 - 0.5}, {size / 2, 0}, {-size / 2, size / 2 + 0.5}}, cx, cy, degrees),
                colour);
}

void Cross(Canvas& c, int x, int y, int size, uint8_t colour) {
  for (int i = 0; i < size; ++i) {
    c.FillRect(x + i, y + i, x + i + 2, y + i + 1, colour);
    c.FillRect(x + size - 1 - i, y + i, x + size + 1 - i, y + i + 1, colour);
  }
}

// A feature line: a green polyline with its points marked.
void FeatureLine(Canvas& c, int x, int y) {
  const int points[][2] = {{1, 11}, {5, 4}, {9, 9}, {13, 2}};
  for (int i = 0; i + 1 < 4; ++i) c.Line(x + points[i][0], y + points[i][1], x + points[i + 1][0], y + points[i + 1][1], kGreen);
  for (const auto& p : points) c.FillRect(x + p[0] - 1, y + p[1] - 1, x + p[0] + 1, y + p[1] + 1, kBlack);
}

// A small landscape: sky, sun and hill in a black frame.
void Landscape(Canvas& c, int left, int top, int right, int bottom) {
  c.FillRect(left, top, right, bottom, kAqua);
  c.FillPolygon({{double(left), bottom - 2.0}, {left + (right - left) * 0.4, top + (bottom - top) * 0.45},
                 {double(right), bottom - 3.0}, {double(right), double(bottom)}, {double(left), double(bottom)}},
                kGreen);
  c.FillDisc(right - 3.5, top + 3, 1.6, kYellow);
  Frame(c, left, top, right, bottom, kBlack);
}

void Magnifier(Canvas& c, int x, int y) {
  c.FillDisc(x + 6, y + 6, 4.5, kWhite);
  c.Ring(x + 6, y + 6, 4, 5.5, kBlack);
  c.FillPolygon(Placed({{0, -1.3}, {6, -1.3}, {6, 1.3}, {0, 1.3}}, x + 10, y + 10, 45), kMaroon);
}

// --- main toolbar: 20 pictures of 16 x 15 on light grey ---

using ButtonDrawing = void (*)(Canvas&, int);

void NewPage(Canvas& c, int x) {
  c.FillPolygon({{x + 3.0, 1}, {x + 10.0, 1}, {x + 13.0, 4}, {x + 13.0, 15}, {x + 3.0, 15}}, kWhite);
  c.Line(x + 3, 1, x + 10, 1, kBlack);
  c.Line(x + 10, 1, x + 13, 4, kBlack);
  c.Line(x + 13, 4, x + 13, 14, kBlack);
  c.Line(x + 3, 14, x + 13, 14, kBlack);
  c.Line(x + 3, 1, x + 3, 14, kBlack);
  c.Line(x + 10, 1, x + 10, 4, kBlack);
  c.Line(x + 10, 4, x + 13, 4, kBlack);
}

void OpenFolder(Canvas& c, int x) {
  c.FillRect(x + 1, 4, x + 7, 6, kOlive);
  c.FillRect(x + 1, 5, x + 13, 13, kOlive);
  c.FillPolygon({{x + 3.0, 8}, {x + 16.0, 8}, {x + 13.0, 13}, {x + 1.0, 13}}, kYellow);
  c.Line(x + 3, 8, x + 15, 8, kBlack);
  c.Line(x + 1, 13, x + 13, 13, kBlack);
  c.Line(x + 15, 8, x + 13, 13, kBlack);
  Arrow(c, x + 11, 3, -30, 7, kBlack);
}

void Floppy(Canvas& c, int x) {
  c.FillRect(x + 1, 1, x + 15, 15, kNavy);
  c.FillRect(x + 4, 1, x + 12, 6, kWhite);
  c.FillRect(x + 4, 9, x + 12, 15, kSilver);
  c.FillRect(x + 9, 10, x + 11, 14, kNavy);
}

// A picture with an arrow into it; the source's picture stands left, the target's right.
void ImportSource(Canvas& c, int x) {
  Landscape(c, x + 1, 4, x + 11, 14);
  Arrow(c, x + 11, 3, 135, 8, kRed);
}

void ImportTarget(Canvas& c, int x) {
  Landscape(c, x + 5, 4, x + 15, 14);
  Arrow(c, x + 5, 3, 45, 8, kBlue);
}

void ImageProcess(Canvas& c, int x) {
  Landscape(c, x + 3, 3, x + 13, 12);
  c.FillRect(x + 1, 1, x + 6, 2, kBlack);
  c.FillRect(x + 1, 1, x + 2, 6, kBlack);
  c.FillRect(x + 10, 13, x + 15, 14, kBlack);
  c.FillRect(x + 14, 9, x + 15, 14, kBlack);
}

void FeatureLineMode(Canvas& c, int x) { FeatureLine(c, x + 1, 1); }

void LinePointDelete(Canvas& c, int x) {
  FeatureLine(c, x, 0);
  Cross(c, x + 9, 8, 6, kRed);
}

void LineCreate(Canvas& c, int x) {
  FeatureLine(c, x, 0);
  c.FillRect(x + 9, 11, x + 16, 13, kBlue);
  c.FillRect(x + 11, 9, x + 14, 15, kBlue);
}

void LineEdit(Canvas& c, int x) {
  FeatureLine(c, x, 0);
  c.FillPolygon({{x + 8.0, 6}, {x + 8.0, 15}, {x + 10.5, 12.5}, {x + 12.5, 15}, {x + 14.0, 14}, {x + 12.0, 11.5}, {x + 15.0, 11.5}},
                kWhite);
  c.Outline(kWhite, kSilver, kBlack);
}

void DeletePoint(Canvas& c, int x) { Cross(c, x + 3, 3, 10, kRed); }

void CurvedArrow(Canvas& c, int x, bool right) {
  const double cx = x + 8, cy = 10;
  c.Ring(cx, cy, 3.5, 5.5, kNavy);
  c.FillRect(x, 10, x + 16, 15, kSilver);  // an arc over the top half
  const double tipX = right ? cx + 4.5 : cx - 4.5;
  c.FillPolygon({{tipX - 3, 10}, {tipX + 3, 10}, {tipX, 13.5}}, kNavy);
}

void Redo(Canvas& c, int x) { CurvedArrow(c, x, true); }
void Undo(Canvas& c, int x) { CurvedArrow(c, x, false); }

void TwoPictures(Canvas& c, int x) {
  Frame(c, x, 3, x + 6, 12, kBlack);
  Frame(c, x + 10, 3, x + 16, 12, kBlack);
  c.FillRect(x + 1, 4, x + 5, 11, kWhite);
  c.FillRect(x + 11, 4, x + 15, 11, kWhite);
  c.Line(x + 1, 9, x + 4, 5, kGreen);
  c.Line(x + 11, 9, x + 14, 5, kGreen);
}

void CopyToSource(Canvas& c, int x) {
  TwoPictures(c, x);
  Arrow(c, x + 8, 13, 180, 9, kRed);
}

void CopyToTarget(Canvas& c, int x) {
  TwoPictures(c, x);
  Arrow(c, x + 8, 13, 0, 9, kRed);
}

void Swap(Canvas& c, int x) {
  Arrow(c, x + 8, 4, 0, 13, kBlue);
  Arrow(c, x + 8, 10, 180, 13, kRed);
}

void ZoomIn(Canvas& c, int x) {
  Magnifier(c, x, 0);
  c.FillRect(x + 4, 5, x + 9, 7, kBlack);
  c.FillRect(x + 5, 4, x + 7, 9, kBlack);
}

void ZoomOut(Canvas& c, int x) {
  Magnifier(c, x, 0);
  c.FillRect(x + 4, 5, x + 9, 7, kBlack);
}

void ZoomActual(Canvas& c, int x) {
  Magnifier(c, x, 0);
  c.FillRect(x + 6, 3, x + 7, 9, kBlack);
  c.Set(x + 5, 4, kBlack);
}

void HelpMark(Canvas& c, int x) {
  c.Ring(x + 8, 5, 2.2, 4, kNavy);
  c.FillRect(x + 3, 5, x + 8, 9, kSilver);
  c.FillRect(x + 7, 8, x + 10, 11, kNavy);
  c.FillRect(x + 7, 12, x + 10, 15, kNavy);
}

Canvas MainToolbar() {
  const ButtonDrawing buttons[] = {NewPage,      OpenFolder,   Floppy,       ImportSource, ImportTarget,
                                   ImageProcess, FeatureLineMode, LinePointDelete, LineCreate, LineEdit,
                                   DeletePoint,  Redo,         Undo,         CopyToSource, CopyToTarget,
                                   Swap,         ZoomIn,       ZoomOut,      ZoomActual,   HelpMark};
  Canvas canvas(16 * 20, 15, kSilver);
  int x = 0;
  for (ButtonDrawing draw : buttons) {
    Canvas cell(16, 15, kSilver);
    draw(cell, 0);
    for (int yy = 0; yy < 15; ++yy)
      for (int xx = 0; xx < 16; ++xx) canvas.Set(x + xx, yy, cell.At(xx, yy));
    x += 16;
  }
  return canvas;
}

// --- glyph strips: 9 pixels wide on magenta ---

constexpr int kGlyph = 9;

void PutGlyph(Canvas& strip, int index, const Canvas& glyph) {
  for (int y = 0; y < glyph.Height(); ++y)
    for (int x = 0; x < kGlyph; ++x)
      if (glyph.At(x, y) != kMagenta) strip.Set(index * kGlyph + x, y, glyph.At(x, y));
}

Canvas GlyphClose(uint8_t ink) {
  Canvas g(kGlyph, kGlyph, kMagenta);
  for (int i = 1; i < 8; ++i) {
    g.FillRect(i, i, i + 1, i + 1, ink);
    g.FillRect(i, 8 - i, i + 1, 9 - i, ink);
    if (i < 7) {
      g.FillRect(i + 1, i, i + 2, i + 1, ink);
      g.FillRect(i + 1, 8 - i, i + 2, 9 - i, ink);
    }
  }
  return g;
}

Canvas GlyphTriangle(double degrees, uint8_t ink) {
  Canvas g(kGlyph, kGlyph, kMagenta);
  Triangle(g, 4.5, 4.5, degrees, 5, ink);
  return g;
}

// The auto-hide pin: upright while the bar is docked, lying down while hidden.
Canvas GlyphPin(bool lying, uint8_t ink) {
  Canvas g(kGlyph, kGlyph, kMagenta);
  if (lying) {
    Frame(g, 3, 2, 8, 6, ink);
    g.FillRect(6, 3, 7, 5, ink);
    g.FillRect(2, 1, 3, 7, ink);
    g.FillRect(0, 4, 2, 5, ink);
  } else {
    Frame(g, 2, 0, 6, 5, ink);
    g.FillRect(3, 3, 5, 4, ink);
    g.FillRect(1, 5, 8, 6, ink);
    g.FillRect(4, 6, 5, 9, ink);
  }
  return g;
}

// 18041: even glyphs black, the odd one after each the same in white.
Canvas ArrowGlyphs() {
  Canvas strip(kGlyph * 16, kGlyph, kMagenta);
  const Canvas black[] = {GlyphTriangle(-90, kBlack), GlyphTriangle(0, kBlack), GlyphTriangle(180, kBlack),
                          GlyphClose(kBlack),        GlyphTriangle(90, kBlack), GlyphClose(kBlack),
                          GlyphPin(false, kBlack),   GlyphPin(true, kBlack)};
  const Canvas white[] = {GlyphTriangle(-90, kWhite), GlyphTriangle(0, kWhite), GlyphTriangle(180, kWhite),
                          GlyphClose(kWhite),        GlyphTriangle(90, kWhite), GlyphClose(kWhite),
                          GlyphPin(false, kWhite),   GlyphPin(true, kWhite)};
  for (int i = 0; i < 8; ++i) {
    PutGlyph(strip, 2 * i, black[i]);
    PutGlyph(strip, 2 * i + 1, white[i]);
  }
  return strip;
}

// 2004: minimise, restore, close, then the arrows left, right, down and up.
Canvas FrameGlyphs() {
  Canvas strip(kGlyph * 7, kGlyph, kMagenta);
  Canvas minimise(kGlyph, kGlyph, kMagenta);
  minimise.FillRect(1, 6, 7, 8, kBlack);
  Canvas restore(kGlyph, kGlyph, kMagenta);
  Frame(restore, 3, 0, 9, 5, kBlack);
  restore.FillRect(3, 1, 9, 2, kBlack);
  restore.FillRect(0, 3, 6, 9, kMagenta);
  Frame(restore, 0, 3, 6, 9, kBlack);
  restore.FillRect(0, 4, 6, 5, kBlack);
  PutGlyph(strip, 0, minimise);
  PutGlyph(strip, 1, restore);
  PutGlyph(strip, 2, GlyphClose(kBlack));
  PutGlyph(strip, 3, GlyphTriangle(180, kBlack));
  PutGlyph(strip, 4, GlyphTriangle(0, kBlack));
  PutGlyph(strip, 5, GlyphTriangle(-90, kBlack));
  PutGlyph(strip, 6, GlyphTriangle(90, kBlack));
  return strip;
}

// --- timeline and list buttons ---

Canvas Timeline(void (*draw)(Canvas&)) {
  Canvas c(14, 14, kSilver);
  draw(c);
  return c;
}

void TimingCurve(Canvas& c) {
  c.Line(1, 12, 5, 9, kGreen);
  c.Line(5, 9, 8, 4, kGreen);
  c.Line(8, 4, 12, 1, kGreen);
}

void RemovePointPicture(Canvas& c) {
  TimingCurve(c);
  Cross(c, 6, 6, 6, kRed);
}

void ResetPointsPicture(Canvas& c) {
  c.Line(1, 12, 12, 1, kGreen);
  for (int p : {1, 12}) c.FillRect(p - 1, 13 - p - 1, p + 1, 13 - p + 1, kBlack);
}

void PlayPicture(Canvas& c) { Triangle(c, 7, 7, 0, 8, kGreen); }
void StopPicture(Canvas& c) { c.FillRect(3, 3, 11, 11, kNavy); }
void FirstPicture(Canvas& c) {
  c.FillRect(2, 3, 4, 11, kBlack);
  Triangle(c, 8, 7, 180, 7, kBlack);
}
void PreviousPicture(Canvas& c) {
  Triangle(c, 4.5, 7, 180, 6, kBlack);
  Triangle(c, 9.5, 7, 180, 6, kBlack);
}
void NextPicture(Canvas& c) {
  Triangle(c, 4.5, 7, 0, 6, kBlack);
  Triangle(c, 9.5, 7, 0, 6, kBlack);
}
void LastPicture(Canvas& c) {
  Triangle(c, 6, 7, 0, 7, kBlack);
  c.FillRect(10, 3, 12, 11, kBlack);
}

void LoopPicture(Canvas& c) {
  c.Ring(7, 7, 3.5, 5.5, kNavy);
  c.FillRect(7, 0, 14, 6, kSilver);
  c.FillPolygon({{8, 0.5}, {12.5, 4}, {8, 7.5}}, kNavy);
}

void MeshPicture(Canvas& c) {
  Frame(c, 1, 1, 13, 13, kBlack);
  c.Line(1, 12, 12, 1, kBlack);
  c.Line(1, 1, 7, 7, kBlack);
  c.Line(7, 7, 12, 12, kBlack);
}

// A list button: 16 x 16 in a raised frame, pressed: sunken, the picture one
// pixel down and right.
Canvas ListButton(void (*draw)(Canvas&, int), bool pressed) {
  Canvas c(16, 16, kSilver);
  const int shift = pressed ? 1 : 0;
  draw(c, shift);
  const uint8_t light = pressed ? kGray : kWhite, dark = pressed ? kWhite : kGray;
  c.FillRect(0, 0, 16, 1, light);
  c.FillRect(0, 0, 1, 16, light);
  c.FillRect(0, 15, 16, 16, dark);
  c.FillRect(15, 0, 16, 16, dark);
  return c;
}

void InsertPair(Canvas& c, int s) {
  c.FillRect(7 + s, 3 + s, 9 + s, 13 + s, kGreen);
  c.FillRect(3 + s, 7 + s, 13 + s, 9 + s, kGreen);
}
void DeletePair(Canvas& c, int s) { Cross(c, 4 + s, 4 + s, 7, kRed); }
void MoveUp(Canvas& c, int s) { Triangle(c, 8 + s, 8.5 + s, 90, 8, kNavy); }
void MoveDown(Canvas& c, int s) { Triangle(c, 8 + s, 7.5 + s, -90, 8, kNavy); }
void Browse(Canvas& c, int s) {
  for (int x : {4, 8, 12}) c.FillRect(x - 1 + s, 9 + s, x + 1 + s, 11 + s, kBlack);
}

// --- alpha track: a transparency checker under a black-to-white ramp ---

Canvas AlphaTrack() {
  constexpr int kWidth = 256, kHeight = 12, kCheck = 4;
  Canvas c(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int checker = ((x / kCheck) + (y / kCheck)) % 2 ? 255 : 153;
      // Over the checker, the ramp's colour covers more as x grows.
      const int level = (checker * (255 - x) + 0 * x) / 255;
      c.Set(x, y, Grey(level));
    }
  }
  return c;
}

// --- cursors ---

CursorPicture Outlined(Canvas canvas, int hotX, int hotY) {
  canvas.Outline(kWhite, kTransparent, kBlack);
  return {canvas, hotX, hotY};
}

std::vector<PointF> Pointer() { return {{0, 0}, {0, 16}, {4, 12}, {7, 18.5}, {9.5, 17.5}, {6.5, 11}, {11.5, 11}}; }

// A pointer with a badge: the drag of a fill that the window under it takes.
CursorPicture DropAccepted() {
  Canvas c(32, 32);
  c.FillPolygon(Pointer(), kWhite);
  c.FillRect(12, 14, 24, 26, kWhite);
  Canvas out = Outlined(c, 0, 0).canvas;
  out.FillRect(17, 16, 19, 24, kBlack);
  out.FillRect(14, 19, 22, 21, kBlack);
  return {out, 0, 0};
}

CursorPicture DropRefused() {
  Canvas c(32, 32);
  c.FillPolygon(Pointer(), kWhite);
  c.Ring(19, 20, 4, 6.5, kWhite);
  c.FillPolygon(Placed({{-5, -1}, {5, -1}, {5, 1}, {-5, 1}}, 19, 20, -45), kWhite);
  return Outlined(c, 0, 0);
}

// Point delete: a pointer with a cross.
CursorPicture PointDelete() {
  Canvas c(32, 32);
  c.FillPolygon(Pointer(), kWhite);
  Canvas out = Outlined(c, 0, 0).canvas;
  Cross(out, 13, 15, 8, kBlack);
  return {out, 0, 0};
}

// Over a feature line: crossed arrows for moving the whole line.
CursorPicture LineMove() {
  Canvas c(32, 32);
  c.FillPolygon(Placed({{-11, 0}, {-7, -4}, {-7, -1.5}, {7, -1.5}, {7, -4}, {11, 0}, {7, 4}, {7, 1.5}, {-7, 1.5}, {-7, 4}},
                       15.5, 15.5, 0), kWhite);
  c.FillPolygon(Placed({{-11, 0}, {-7, -4}, {-7, -1.5}, {7, -1.5}, {7, -4}, {11, 0}, {7, 4}, {7, 1.5}, {-7, 1.5}, {-7, 4}},
                       15.5, 15.5, 90), kWhite);
  return Outlined(c, 15, 15);
}

// Rotation: an arc with an arrow head round the hot spot.
CursorPicture Rotate() {
  Canvas c(32, 32);
  c.Ring(15.5, 15.5, 6, 9, kWhite);
  c.FillRect(0, 16, 32, 32, kTransparent);
  c.FillPolygon({{3, 15}, {12, 15}, {7.5, 21}}, kWhite);
  c.FillRect(14, 14, 18, 18, kWhite);
  return Outlined(c, 15, 15);
}

// Over an outline segment: a pen nib.
CursorPicture Segment() {
  Canvas c(32, 32);
  c.FillPolygon({{0, 0}, {3, 9}, {14, 20}, {20, 14}, {9, 3}}, kWhite);
  Canvas out = Outlined(c, 0, 0).canvas;
  out.Line(0, 0, 6, 6, kBlack);
  return {out, 0, 0};
}

// The fill drag cursor's template: 64 x 64 in 256 colours, a swatch under a
// pointer whose tip is the hot spot in the middle.
CursorPicture FillDrag() {
  Canvas c(64, 64);
  c.FillRect(34, 34, 58, 58, kOrange);
  Frame(c, 34, 34, 58, 58, kBlack);
  std::vector<PointF> pointer = Pointer();
  for (PointF& p : pointer) p = {p.x + 31, p.y + 31};
  c.FillPolygon(pointer, kWhite);
  c.Outline(kWhite, kTransparent, kBlack);
  return {c, 31, 31};
}

// --- application icon: a square turning into a disc ---

Canvas Icon(int size) {
  Canvas c(size, size);
  const double s = size / 32.0;
  c.FillRect(static_cast<int>(2 * s), static_cast<int>(6 * s), static_cast<int>(16 * s), static_cast<int>(20 * s), kSky);
  c.FillDisc(21 * s, 19 * s, 8.5 * s, kOrange);
  c.FillPolygon({{9 * s, 13 * s}, {24 * s, 13 * s}, {24 * s, 9 * s}, {30 * s, 15 * s}, {24 * s, 21 * s}, {24 * s, 17 * s},
                 {9 * s, 17 * s}},
                kLeaf);
  return c;
}

}  // namespace

const std::vector<uint32_t>& ExtraColours() {
  static const std::vector<uint32_t> colours = [] {
    std::vector<uint32_t> c;
    for (int i = 0; i < kGreyLevels; ++i) {
      const uint32_t v = static_cast<uint32_t>(i * 255 / (kGreyLevels - 1));
      c.push_back(v << 16 | v << 8 | v);
    }
    c.push_back(0xFF8C1A);  // orange
    c.push_back(0x3C8CDC);  // sky
    c.push_back(0x2E9A3C);  // leaf
    return c;
  }();
  return colours;
}

std::vector<NamedBitmap> Bitmaps() {
  return {
      {"toolbar128.bmp", MainToolbar(), 4},
      {"glyphs18041.bmp", ArrowGlyphs(), 4},
      {"glyphs2004.bmp", FrameGlyphs(), 4},
      {"timeline18046.bmp", Timeline(RemovePointPicture), 4},
      {"timeline18047.bmp", Timeline(ResetPointsPicture), 4},
      {"timeline3119.bmp", Timeline(PlayPicture), 4},
      {"timeline3120.bmp", Timeline(StopPicture), 4},
      {"timeline1176.bmp", Timeline(FirstPicture), 4},
      {"timeline3116.bmp", Timeline(PreviousPicture), 4},
      {"timeline3115.bmp", Timeline(NextPicture), 4},
      {"timeline1178.bmp", Timeline(LastPicture), 4},
      {"timeline3121.bmp", Timeline(LoopPicture), 4},
      {"timeline18045.bmp", Timeline(MeshPicture), 4},
      {"list158.bmp", ListButton(InsertPair, false), 4},
      {"list156.bmp", ListButton(InsertPair, true), 4},
      {"list18044.bmp", ListButton(DeletePair, false), 4},
      {"list18043.bmp", ListButton(DeletePair, true), 4},
      {"list163.bmp", ListButton(MoveUp, false), 4},
      {"list164.bmp", ListButton(MoveUp, true), 4},
      {"list162.bmp", ListButton(MoveDown, false), 4},
      {"list161.bmp", ListButton(MoveDown, true), 4},
      {"list1010.bmp", ListButton(Browse, false), 4},
      {"list1008.bmp", ListButton(Browse, true), 4},
      {"alpha1002.bmp", AlphaTrack(), 8},
  };
}

std::vector<NamedCursor> Cursors() {
  return {
      {"fill_drag33.cur", FillDrag(), 8},      {"drop_accepted106.cur", DropAccepted(), 1},
      {"drop_refused107.cur", DropRefused(), 1}, {"point_delete108.cur", PointDelete(), 1},
      {"line_move30989.cur", LineMove(), 1},   {"rotate14.cur", Rotate(), 1},
      {"segment133.cur", Segment(), 1},
  };
}

std::vector<Canvas> ApplicationIcons() { return {Icon(48), Icon(32), Icon(16)}; }

}  // namespace programpictures

// The cursor, icon and bitmap drawings: system cursors, splitter cursors, the application
// icon, the menu radio dot and the pictures the tests load.
#include "compat/tools/resgen/pictures.h"

namespace resgen {
namespace {

constexpr int kCursorSize = 32;
constexpr double kCentre = 15.5;  // the middle of pixel 15

// A shape in white with a black rim, as the system cursors look on any background.
Canvas Filled(const std::vector<std::vector<PointF>>& polygons, int size = kCursorSize) {
  Canvas canvas(size, size);
  for (const auto& polygon : polygons) canvas.FillPolygon(polygon, kWhite);
  canvas.Outline(kWhite, kTransparent, kBlack);
  return canvas;
}

// A double-headed arrow along the x axis, centred on the origin.
std::vector<PointF> DoubleArrow(double halfLength, double halfShaft, double headWidth, double headLength) {
  double neck = halfLength - headLength;
  return {{-halfLength, 0},      {-neck, -headWidth},   {-neck, -halfShaft}, {neck, -halfShaft},
          {neck, -headWidth},    {halfLength, 0},       {neck, headWidth},   {neck, halfShaft},
          {-neck, halfShaft},    {-neck, headWidth}};
}

std::vector<PointF> ArrowPointer(double x, double y, double scale) {
  std::vector<PointF> shape = {{0, 0}, {0, 16}, {4, 12}, {7, 18.5}, {9.5, 17.5}, {6.5, 11}, {11.5, 11}};
  for (PointF& p : shape) p = {x + p.x * scale, y + p.y * scale};
  return shape;
}

CursorPicture Arrow() { return {Filled({ArrowPointer(0, 0, 1.0)}), 0, 0}; }

CursorPicture IBeam() {
  Canvas canvas(kCursorSize, kCursorSize);
  canvas.FillRect(15, 7, 16, 25, kInvert);
  canvas.FillRect(12, 6, 15, 7, kInvert);
  canvas.FillRect(16, 6, 19, 7, kInvert);
  canvas.FillRect(12, 25, 15, 26, kInvert);
  canvas.FillRect(16, 25, 19, 26, kInvert);
  return {canvas, 15, 15};
}

std::vector<PointF> Hourglass(double x, double y, double scale) {
  std::vector<PointF> shape = {{0, 0}, {12, 0}, {12, 2}, {7.5, 10}, {12, 18}, {12, 20}, {0, 20}, {0, 18}, {4.5, 10}, {0, 2}};
  for (PointF& p : shape) p = {x + p.x * scale, y + p.y * scale};
  return shape;
}

CursorPicture Wait() {
  Canvas canvas = Filled({Hourglass(10, 6, 1.0)});
  canvas.FillPolygon({{13, 10}, {19, 10}, {16, 14}}, kBlack);  // sand above
  canvas.FillPolygon({{16, 20}, {20, 24}, {12, 24}}, kBlack);  // and below
  return {canvas, 15, 15};
}

CursorPicture Cross() {
  Canvas canvas(kCursorSize, kCursorSize);
  canvas.FillRect(15, 4, 16, 27, kInvert);
  canvas.FillRect(4, 15, 27, 16, kInvert);
  return {canvas, 15, 15};
}

CursorPicture UpArrow() {
  std::vector<PointF> shape = {{16, 1}, {23, 9}, {18.5, 9}, {18.5, 25}, {13.5, 25}, {13.5, 9}, {9, 9}};
  return {Filled({shape}), 15, 1};
}

CursorPicture SizeArrow(double degrees) {
  return {Filled({Placed(DoubleArrow(11, 1.5, 5, 5), kCentre + 0.5, kCentre + 0.5, degrees)}), 15, 15};
}

CursorPicture SizeAll() {
  return {Filled({Placed(DoubleArrow(12, 1.5, 4.5, 4.5), kCentre + 0.5, kCentre + 0.5, 0),
                  Placed(DoubleArrow(12, 1.5, 4.5, 4.5), kCentre + 0.5, kCentre + 0.5, 90)}),
          15, 15};
}

CursorPicture No() {
  Canvas canvas(kCursorSize, kCursorSize);
  canvas.Ring(kCentre + 0.5, kCentre + 0.5, 7, 11, kWhite);
  canvas.FillPolygon(Placed({{-8, -2}, {8, -2}, {8, 2}, {-8, 2}}, kCentre + 0.5, kCentre + 0.5, -45), kWhite);
  canvas.Outline(kWhite, kTransparent, kBlack);
  return {canvas, 15, 15};
}

CursorPicture Hand() {
  Canvas canvas = Filled({{{9, 1}, {13, 1}, {13, 12}, {22, 12}, {24, 14}, {24, 23}, {20, 29}, {10, 29}, {5, 20}, {5, 15}, {9, 17}}});
  for (int x : {16, 20}) canvas.Line(x, 13, x, 17, kBlack);  // knuckles
  return {canvas, 11, 1};
}

CursorPicture AppStarting() {
  Canvas canvas = Filled({ArrowPointer(0, 0, 1.0), Hourglass(15, 11, 0.7)});
  return {canvas, 0, 0};
}

// The splitter cursors: a double bar with arrows pointing away from it.
CursorPicture SplitBar(bool horizontal) {
  double degrees = horizontal ? 0 : 90;
  Canvas canvas = Filled({Placed(DoubleArrow(13, 1.5, 5, 5), kCentre + 0.5, kCentre + 0.5, degrees),
                          Placed({{-3, -9}, {3, -9}, {3, 9}, {-3, 9}}, kCentre + 0.5, kCentre + 0.5, degrees)});
  if (horizontal) canvas.FillRect(15, 8, 17, 24, kBlack);
  else canvas.FillRect(8, 15, 24, 17, kBlack);
  return {canvas, 15, 15};
}

// A large crosshair in a ring whose centre is the hot spot, to make hot-spot errors visible.
CursorPicture TestCursor64() {
  Canvas canvas(64, 64);
  canvas.Ring(31.5, 31.5, 20, 24, kWhite);
  canvas.FillRect(30, 4, 34, 60, kWhite);
  canvas.FillRect(4, 30, 60, 34, kWhite);
  canvas.Outline(kWhite, kTransparent, kBlack);
  canvas.Set(31, 31, kBlack);
  return {canvas, 31, 31};
}

}  // namespace

std::vector<NamedCursor> Cursors() {
  return {
      {"arrow.cur", Arrow()},           {"ibeam.cur", IBeam()},
      {"wait.cur", Wait()},             {"cross.cur", Cross()},
      {"uparrow.cur", UpArrow()},       {"size_nwse.cur", SizeArrow(-45)},
      {"size_nesw.cur", SizeArrow(45)}, {"size_we.cur", SizeArrow(0)},
      {"size_ns.cur", SizeArrow(90)},   {"size_all.cur", SizeAll()},
      {"no.cur", No()},                 {"hand.cur", Hand()},
      {"app_starting.cur", AppStarting()},
      {"hsplitbar.cur", SplitBar(true)}, {"vsplitbar.cur", SplitBar(false)},
      {"test_cursor_64.cur", TestCursor64()},
  };
}

// A small window: navy title bar, white client, black frame.
Canvas ApplicationIcon(int size) {
  Canvas canvas(size, size);
  int inset = size / 16;
  int title = size / 5;
  canvas.FillRect(inset, inset * 2, size - inset, size - inset * 2, kBlack);
  canvas.FillRect(inset + 1, inset * 2 + 1, size - inset - 1, inset * 2 + title, kNavy);
  canvas.FillRect(inset + 1, inset * 2 + title + 1, size - inset - 1, size - inset * 2 - 1, kWhite);
  canvas.FillRect(size - inset - title, inset * 2 + 2, size - inset - 2, inset * 2 + title - 1, kSilver);
  return canvas;
}

// The check-mark bitmap menus use for radio items: a black dot on white.
Canvas MenuRadioDot() {
  Canvas canvas(13, 13, kWhite);
  canvas.FillDisc(6.5, 6.5, 2.5, kBlack);
  return canvas;
}

// A 16-colour toolbar strip with the four colours the loader maps to system colours
// (black, dark grey, light grey, white) and one it leaves alone (red).
Canvas ToolbarTestBitmap() {
  Canvas canvas(32, 16, kSilver);
  canvas.FillRect(0, 0, 16, 1, kWhite);
  canvas.FillRect(0, 15, 16, 16, kGray);
  canvas.FillRect(4, 4, 12, 12, kBlack);
  canvas.FillRect(20, 4, 28, 12, kRed);
  return canvas;
}

// Eight 16 x 15 buttons on light grey for the control-bar tests: each a
// coloured square in a black frame, lit white at the top and grey below.
Canvas BarTestToolbarBitmap() {
  constexpr uint8_t kFaces[8] = {kRed, kGreen, kBlue, kYellow, kFuchsia, kAqua, kNavy, kMaroon};
  Canvas canvas(8 * 16, 15, kSilver);
  for (int i = 0; i < 8; ++i) {
    const int x = i * 16;
    canvas.FillRect(x + 2, 2, x + 14, 13, kBlack);
    canvas.FillRect(x + 3, 3, x + 13, 12, kFaces[i]);
    canvas.FillRect(x + 3, 3, x + 13, 4, kWhite);
    canvas.FillRect(x + 3, 11, x + 13, 12, kGray);
  }
  return canvas;
}

}  // namespace resgen

// A small palette-indexed drawing surface for the pictures the generator makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace resgen {

// Palette indices 0..15 are the 16 VGA colours; two more mark the cursor and icon masks.
enum Colour : uint8_t {
  kBlack = 0, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
  kGray, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite,
  kTransparent = 16,  // mask bit set, colour bit clear: the screen shows through
  kInvert = 17,       // mask bit set, colour bit set: the screen is inverted
};

struct PointF {
  double x, y;
};

class Canvas {
 public:
  Canvas(int width, int height, uint8_t fill = kTransparent);

  int Width() const { return width_; }
  int Height() const { return height_; }
  uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, uint8_t colour);
  void FillRect(int left, int top, int right, int bottom, uint8_t colour);  // right, bottom exclusive
  void Line(int x0, int y0, int x1, int y1, uint8_t colour);
  // Fills the pixels whose centres lie inside the polygon (even-odd rule).
  void FillPolygon(const std::vector<PointF>& points, uint8_t colour);
  void FillDisc(double cx, double cy, double radius, uint8_t colour);
  void Ring(double cx, double cy, double inner, double outer, uint8_t colour);
  // Gives every pixel of `colour` that touches a pixel of `outside` the colour `edge`.
  void Outline(uint8_t colour, uint8_t outside, uint8_t edge);

 private:
  int width_, height_;
  std::vector<uint8_t> pixels_;
};

// Rotates points about (cx, cy) by `degrees` (counter-clockwise on screen) and moves them there.
std::vector<PointF> Placed(const std::vector<PointF>& shape, double cx, double cy, double degrees);

}  // namespace resgen

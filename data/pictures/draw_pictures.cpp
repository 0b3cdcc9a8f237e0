// Draws the pictures of the "Image", "Light" and "Mask" folders: pictures to
// morph and to fill with, light maps and soft masks, each written through the
// program's own picture writers in one of the formats the file dialogs offer.
// Usage: calvetta_folder_pictures <program folder>... (each gets all three folders).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32.h"
#include "imaging/image_file.h"
#include "imaging/pic_image.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
  double r, g, b;  // 0..1
};

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Grey(double v) { return {v, v, v}; }
Rgb Hex(uint32_t rgb) { return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0}; }

double Clamp01(double v) { return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v; }
double SmoothStep(double edge0, double edge1, double v) {
  const double t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}

// A fixed scramble, so that every build draws the same textures.
double Hash(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

// Smooth value noise with a period of `period` cells, so textures tile.
double Noise(double x, double y, int period) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  auto at = [period](int cx, int cy) { return Hash(((cx % period) + period) % period, ((cy % period) + period) % period); };
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
  const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
  return top + (bottom - top) * sy;
}

// Several octaves of noise over a picture of `cells` cells a side.
double Turbulence(double u, double v, int cells) {
  double sum = 0.0, weight = 0.5;
  for (int octave = 0; octave < 4; ++octave) {
    const int n = cells << octave;
    sum += weight * Noise(u * n, v * n, n);
    weight *= 0.5;
  }
  return sum / 0.9375;
}

// Inside a regular star of `points` points, with outer and inner radius.
double StarDistance(double dx, double dy, int points, double outer, double inner) {
  const double angle = std::atan2(dx, -dy);
  const double sector = 2.0 * kPi / points;
  // Angle from the nearest tip, and where the ray meets the straight edge
  // from that tip to the next notch.
  const double phi = sector / 2.0 - std::fabs(std::fmod(angle + 2.0 * kPi, sector) - sector / 2.0);
  const double beta = sector / 2.0;
  const double radius = outer * inner * std::sin(beta) /
                        (inner * std::sin(beta) * std::cos(phi) - std::sin(phi) * (inner * std::cos(beta) - outer));
  return std::hypot(dx, dy) - radius;
}

// The colour of a pixel from its position in pixels and the picture's size.
using Painter = std::function<Rgb(double x, double y, double w, double h)>;

struct Picture {
  const char* folder;
  const char* name;
  int width, height;
  Painter paint;
};

// A landscape both times of day share, so their lines match when morphed.
double Horizon(double x, double w, double h) { return h * 0.72 - h * 0.08 * std::sin(x / w * kPi * 1.5 + 0.4); }

Rgb Sunrise(double x, double y, double w, double h) {
  const double horizon = Horizon(x, w, h);
  if (y > horizon) return Mix(Hex(0x2E5E2A), Hex(0x123214), (y - horizon) / (h - horizon));
  Rgb sky = Mix(Hex(0x1B2F6E), Hex(0xF6A03A), std::pow(y / horizon, 1.6));
  const double sun = std::hypot(x - w * 0.5, y - h * 0.62);
  sky = Mix(sky, Hex(0xFFE9A0), 0.6 * std::exp(-sun / (w * 0.12)));
  return Mix(sky, Hex(0xFFF6C8), 1.0 - SmoothStep(w * 0.11, w * 0.12, sun));
}

Rgb Night(double x, double y, double w, double h) {
  const double horizon = Horizon(x, w, h);
  if (y > horizon) return Mix(Hex(0x10261A), Hex(0x050D08), (y - horizon) / (h - horizon));
  Rgb sky = Mix(Hex(0x03061A), Hex(0x1D2C5A), std::pow(y / horizon, 1.4));
  const int cx = static_cast<int>(x) / 6, cy = static_cast<int>(y) / 6;
  if (Hash(cx, cy) > 0.985 && Hash(static_cast<int>(x), static_cast<int>(y)) > 0.7) sky = Mix(sky, Grey(1.0), 0.9);
  // A crescent where the sun stood.
  const double moon = std::hypot(x - w * 0.5, y - h * 0.62), shadow = std::hypot(x - w * 0.54, y - h * 0.58);
  const double lit = (1.0 - SmoothStep(w * 0.11, w * 0.12, moon)) * SmoothStep(w * 0.10, w * 0.11, shadow);
  return Mix(sky, Hex(0xF2F0DC), lit);
}

Rgb Sphere(double x, double y, double w, double h) {
  const Rgb back = Mix(Hex(0xDCE6F2), Hex(0x8FA6C4), y / h);
  const double r = h * 0.36, dx = (x - w / 2) / r, dy = (y - h / 2) / r, d2 = dx * dx + dy * dy;
  if (d2 >= 1.0) {
    // A soft shadow under the ball.
    const double shadow = std::exp(-(std::pow((x - w * 0.55) / (w * 0.25), 2) + std::pow((y - h * 0.88) / (h * 0.05), 2)));
    return Mix(back, Grey(0.2), 0.5 * shadow);
  }
  const double dz = std::sqrt(1.0 - d2);
  const double light = Clamp01(-0.45 * dx - 0.55 * dy + 0.7 * dz);
  const double shine = std::pow(light, 24.0);
  Rgb ball = Mix(Hex(0x4A0808), Hex(0xD8302A), light);
  ball = Mix(ball, Grey(1.0), shine);
  return Mix(ball, back, SmoothStep(0.97, 1.0, std::sqrt(d2)));
}

Rgb Star(double x, double y, double w, double h) {
  const Rgb back = Mix(Hex(0x24407A), Hex(0x0E1B3C), std::hypot(x - w / 2, y - h / 2) / (w * 0.6));
  const double d = StarDistance(x - w / 2, y - h * 0.52, 5, h * 0.42, h * 0.17);
  const Rgb gold = Mix(Hex(0xFFE066), Hex(0xE08A10), Clamp01((y - h * 0.1) / (h * 0.8)));
  const Rgb rim = Mix(gold, Hex(0x7A4A00), SmoothStep(-4.0, 0.0, d));
  return Mix(rim, back, SmoothStep(-0.5, 1.0, d));
}

Rgb RoundedSquare(double x, double y, double w, double h) {
  const Rgb back = Mix(Hex(0xF4EEDC), Hex(0xD8CCAA), x / w);
  const double half = h * 0.34, corner = h * 0.08;
  const double qx = std::max(std::fabs(x - w / 2) - (half - corner), 0.0);
  const double qy = std::max(std::fabs(y - h / 2) - (half - corner), 0.0);
  const double d = std::hypot(qx, qy) - corner;
  const Rgb face = Mix(Hex(0x6CC24A), Hex(0x1E6E2E), Clamp01((x - w / 2 + y - h / 2) / (4 * half) + 0.5));
  return Mix(face, back, SmoothStep(-0.5, 1.0, d));
}

Rgb Rainbow(double x, double y, double w, double h) {
  const double hue = x / w * 6.0;
  auto channel = [hue](double offset) { return Clamp01(std::fabs(std::fmod(hue + offset, 6.0) - 3.0) - 1.0); };
  const Rgb pure{channel(0.0), channel(4.0), channel(2.0)};
  const double v = y / h;
  return v < 0.5 ? Mix(Grey(1.0), pure, v * 2.0) : Mix(pure, Grey(0.0), (v - 0.5) * 1.6);
}

Rgb Checker(double x, double y, double, double) {
  const bool odd = ((static_cast<int>(x) / 16) + (static_cast<int>(y) / 16)) % 2 != 0;
  return odd ? Hex(0x303848) : Hex(0xE8E4D8);
}

Rgb Marble(double x, double y, double w, double h) {
  const double u = x / w, v = y / h;
  const double vein = std::fabs(std::sin((u + v) * kPi * 4.0 + Turbulence(u, v, 4) * 9.0));
  return Mix(Hex(0x6E6A78), Hex(0xF2EFEA), std::pow(vein, 0.35));
}

Rgb Bricks(double x, double y, double, double) {
  const int row = static_cast<int>(y) / 16;
  const double shifted = x + (row % 2 ? 16.0 : 0.0);
  const int column = static_cast<int>(shifted) / 32;
  const double bx = std::fmod(shifted, 32.0), by = std::fmod(y, 16.0);
  if (bx < 2.0 || by < 2.0) return Hex(0xB8B0A0);
  const double shade = 0.85 + 0.3 * Hash(column, row) + 0.08 * (Hash(static_cast<int>(x), static_cast<int>(y)) - 0.5);
  const Rgb brick = Hex(0x9A3E26);
  return {Clamp01(brick.r * shade), Clamp01(brick.g * shade), Clamp01(brick.b * shade)};
}

Rgb Wood(double x, double y, double w, double h) {
  const double u = x / w, v = y / h;
  const double rings = std::hypot(u - 0.5, (v - 0.5) * 0.3) * 24.0 + Turbulence(u, v, 2) * 3.0;
  const double grain = std::pow(std::fabs(std::sin(rings * kPi)), 0.5);
  return Mix(Hex(0x5C3414), Hex(0xC08A50), grain);
}

// Light maps: the picture is multiplied by them, so white keeps it as it is
// and the shadows stay light enough to see into.
Rgb Spot(double x, double y, double w, double h) {
  return Grey(0.3 + 0.7 * std::exp(-(std::pow((x - w / 2) / (w * 0.3), 2) + std::pow((y - h / 2) / (h * 0.3), 2))));
}

Rgb WindowLight(double x, double y, double w, double h) {
  // Four panes thrown slanted across the picture, softened.
  const double u = (x - y * 0.35) / w, v = y / h;
  const double inside = SmoothStep(0.08, 0.14, u) * (1.0 - SmoothStep(0.66, 0.72, u)) * SmoothStep(0.08, 0.16, v) *
                        (1.0 - SmoothStep(0.86, 0.94, v));
  const double bars = SmoothStep(0.01, 0.025, std::fabs(u - 0.4)) * SmoothStep(0.012, 0.03, std::fabs(v - 0.5));
  return Grey(0.3 + 0.7 * inside * bars);
}

Rgb Sweep(double x, double y, double w, double h) {
  const double d = (x / w - 0.5) + (y / h - 0.5) * 0.8;
  return Grey(0.35 + 0.65 * std::exp(-d * d / 0.02));
}

Rgb WarmGlow(double x, double y, double w, double h) {
  const double d = std::hypot((x - w * 0.3) / w, (y - h * 0.3) / h);
  return Mix(Hex(0xFFF0D0), Hex(0x604830), SmoothStep(0.0, 0.9, d));
}

// Soft masks: white keeps, black drops.
Rgb Oval(double x, double y, double w, double h) {
  const double d = std::hypot((x - w / 2) / (w * 0.4), (y - h / 2) / (h * 0.4));
  return Grey(1.0 - SmoothStep(0.8, 1.05, d));
}

Rgb Vignette(double x, double y, double w, double h) {
  const double d = std::hypot((x - w / 2) / (w / 2), (y - h / 2) / (h / 2));
  return Grey(1.0 - SmoothStep(0.55, 1.15, d));
}

Rgb Heart(double x, double y, double w, double h) {
  // A square standing on its corner with a round lobe on each upper side.
  const double side = h * 0.42, u = x - w / 2, v = y - h * 0.58;
  const double along = (u + v) / std::sqrt(2.0), across = (v - u) / std::sqrt(2.0);
  const double square = std::max(std::fabs(along), std::fabs(across)) - side / 2;
  const double lobe = side / 2, offset = side / (2 * std::sqrt(2.0));
  const double left = std::hypot(u + offset, v + offset) - lobe, right = std::hypot(u - offset, v + offset) - lobe;
  const double d = std::min({square, left, right});
  return Grey(1.0 - SmoothStep(-6.0, 6.0, d));
}

Rgb Split(double x, double, double w, double) { return Grey(SmoothStep(w * 0.35, w * 0.65, x)); }

const std::vector<Picture>& Pictures() {
  static const std::vector<Picture> pictures = {
      {"Image", "Sunrise.jpg", 320, 240, Sunrise},
      {"Image", "Night.jpg", 320, 240, Night},
      {"Image", "Sphere.png", 320, 240, Sphere},
      {"Image", "Star.png", 320, 240, Star},
      {"Image", "Square.bmp", 320, 240, RoundedSquare},
      {"Image", "Rainbow.png", 320, 240, Rainbow},
      {"Image", "Checker.tga", 128, 128, Checker},
      {"Image", "Marble.jpg", 256, 256, Marble},
      {"Image", "Bricks.bmp", 128, 128, Bricks},
      {"Image", "Wood.tga", 256, 256, Wood},
      {"Light", "Spot.png", 320, 240, Spot},
      {"Light", "Window.jpg", 320, 240, WindowLight},
      {"Light", "Sweep.png", 320, 240, Sweep},
      {"Light", "Warm.tga", 320, 240, WarmGlow},
      {"Mask", "Oval.png", 320, 240, Oval},
      {"Mask", "Vignette.png", 320, 240, Vignette},
      {"Mask", "Heart.tga", 320, 240, Heart},
      {"Mask", "Split.bmp", 320, 240, Split},
  };
  return pictures;
}

// Top-down blue, green, red, alpha words, as the writers take them.
std::vector<DWORD> Draw(const Picture& picture) {
  std::vector<DWORD> pixels(static_cast<size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Rgb c = picture.paint(x + 0.5, y + 0.5, picture.width, picture.height);
      auto byte = [](double v) { return static_cast<DWORD>(std::lround(Clamp01(v) * 255.0)); };
      pixels[static_cast<size_t>(y) * picture.width + x] = 0xFF000000u | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    }
  return pixels;
}

bool Save(const std::string& hostPath, const Picture& picture, const std::vector<DWORD>& pixels) {
  const CString path(compat::FromHostPath(hostPath).c_str());
  if (hostPath.ends_with(".png")) {
    CPicImage image(static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height), 32);
    return image.CreateFromBGRA(static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height),
                                reinterpret_cast<const BYTE*>(pixels.data())) &&
           image.Save(static_cast<LPCTSTR>(path), PIC_FORMAT_PNG);
  }
  CImageFile file;
  file.SetQuality(90);
  return file.Save(path, 0, 0, picture.width, picture.height, pixels.data(), 0) != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <program folder>...\n", argv[0]);
    return 2;
  }
  for (const Picture& picture : Pictures()) {
    const std::vector<DWORD> pixels = Draw(picture);
    for (int i = 1; i < argc; ++i) {
      const std::string path = std::string(argv[i]) + "/" + picture.folder + "/" + picture.name;
      if (!Save(path, picture, pixels)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  return 0;
}

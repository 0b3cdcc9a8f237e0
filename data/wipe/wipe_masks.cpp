// Draws the grey-level wipe masks of the "Wipe" folder: each pixel's grey
// value is the moment it opens, so smooth fields give smooth wipes.
// Usage: calvetta_wipe_masks <folder>... (every folder gets every mask).
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kPi = 3.14159265358979323846;

// Grey value 0..1 of a point given as fractions of the picture (0..1).
using Field = std::function<double(double, double)>;

struct Mask {
  const char* name;
  Field field;
};

double Fraction(double v) { return v - std::floor(v); }

// A fixed scramble of a block index, so that the dissolve is the same on
// every build.
double BlockNoise(int bx, int by) {
  uint32_t h = static_cast<uint32_t>(bx) * 73856093u ^ static_cast<uint32_t>(by) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<double>(h & 0xFFFF) / 65535.0;
}

const std::vector<Mask>& Masks() {
  static const std::vector<Mask> masks = {
      {"Wipe1.png", [](double x, double) { return x; }},
      {"Wipe2.png", [](double, double y) { return y; }},
      {"Wipe3.png", [](double x, double y) { return (x + y) * 0.5; }},
      {"Wipe4.png", [](double x, double y) { return std::fabs(x - 0.5) + std::fabs(y - 0.5); }},
      // The default: a circle opening from the centre (dark first).
      {"Wipe5.png",
       [](double x, double y) { return std::hypot(x - 0.5, y - 0.5) / std::hypot(0.5, 0.5); }},
      {"Wipe6.png",
       [](double x, double y) {
         // Clockwise from twelve o'clock.
         const double angle = std::atan2(x - 0.5, 0.5 - y);
         return Fraction(angle / (2.0 * kPi) + 1.0);
       }},
      {"Wipe7.png", [](double, double y) { return Fraction(y * 8.0 * 0.99999); }},
      {"Wipe8.png", [](double x, double) { return Fraction(x * 8.0 * 0.99999); }},
      {"Wipe9.png",
       [](double x, double y) {
         return BlockNoise(static_cast<int>(x * (kWidth - 1) / 16), static_cast<int>(y * (kHeight - 1) / 16));
       }},
      // A spiral of two turns from the centre outwards.
      {"Wipe10.png",
       [](double x, double y) {
         const double angle = Fraction(std::atan2(x - 0.5, 0.5 - y) / (2.0 * kPi) + 1.0);
         const double turns = std::hypot(x - 0.5, (y - 0.5) * 0.75) / 0.625 * 2.0;
         return (std::floor(turns - angle) + angle) / 2.0;
       }},
      // Diamonds opening in a grid of eight by six.
      {"Wipe11.png",
       [](double x, double y) {
         return std::fabs(Fraction(x * 8.0) - 0.5) + std::fabs(Fraction(y * 6.0) - 0.5);
       }},
      // Barn doors: from the middle column outwards.
      {"Wipe12.png", [](double x, double) { return std::fabs(x - 0.5) * 2.0; }},
      // Ripples: rings from the centre, each opening from its inside.
      {"Wipe13.png", [](double x, double y) { return Fraction(std::hypot(x - 0.5, (y - 0.5) * 0.75) * 6.0); }},
      // A five-pointed star growing from the centre.
      {"Wipe14.png",
       [](double x, double y) {
         const double dx = x - 0.5, dy = (y - 0.5) * 0.75;
         const double sector = 2.0 * kPi / 5.0;
         const double a = std::fabs(Fraction((std::atan2(dx, -dy) + 2.0 * kPi) / sector) - 0.5) * 2.0;
         return std::hypot(dx, dy) / (0.45 + 0.55 * a) / 0.9;
       }},
  };
  return masks;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& grey) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile bool ok = false;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, out);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y)
      png_write_row(png, const_cast<png_bytep>(grey.data() + static_cast<size_t>(y) * kWidth));
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return std::fclose(out) == 0 && ok;
}

std::vector<uint8_t> Draw(const Field& field) {
  std::vector<uint8_t> grey(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double g = field(x / double(kWidth - 1), y / double(kHeight - 1));
      const double clamped = g < 0.0 ? 0.0 : g > 1.0 ? 1.0 : g;
      grey[static_cast<size_t>(y) * kWidth + x] = static_cast<uint8_t>(std::lround(clamped * 255.0));
    }
  return grey;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>...\n", argv[0]);
    return 2;
  }
  for (const Mask& mask : Masks()) {
    const std::vector<uint8_t> grey = Draw(mask.field);
    for (int i = 1; i < argc; ++i) {
      const std::string path = std::string(argv[i]) + "/" + mask.name;
      if (!WritePng(path, grey)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  return 0;
}

// Loading a 4000 x 3000 picture through the image file object (Open,
// GetSize, ReadPixels into the caller's buffer, the cache copy included)
// against the bare library decode of the same file in the same program.
// JPEG quality 90 with 4:2:0 chroma, progressive JPEG, RGB and palette PNG.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// Smooth shapes with a little grain, as a photograph has: neither flat nor noise.
std::vector<unsigned char> PhotoRgb() {
  std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  unsigned seed = 12345;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int grain = static_cast<int>((seed >> 16) & 7) - 4;
      unsigned char* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
      p[0] = static_cast<unsigned char>(std::clamp(128 + 100 * std::sin(x / 310.0 + y / 470.0) + grain, 0.0, 255.0));
      p[1] = static_cast<unsigned char>(std::clamp(128 + 90 * std::cos(x / 530.0 - y / 270.0) + grain, 0.0, 255.0));
      p[2] = static_cast<unsigned char>(std::clamp(100 + 80 * std::sin((x + y) / 650.0) + grain, 0.0, 255.0));
    }
  return rgb;
}

std::string Folder() {
  static const std::string folder = [] {
    char name[] = "/tmp/calvetta_picture_load_XXXXXX";
    return std::string(mkdtemp(name) ? name : "/tmp");
  }();
  return folder;
}

void WriteJpeg(const std::string& path, const std::vector<unsigned char>& rgb, bool progressive) {
  FILE* out = fopen(path.c_str(), "wb");
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);  // 4:2:0
  jpeg_set_quality(&info, 90, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<size_t>(info.next_scanline) * kWidth * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  fclose(out);
}

void WritePng(const std::string& path, const std::vector<unsigned char>& rgb, bool palette) {
  FILE* out = fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, out);
  png_set_IHDR(png, info, kWidth, kHeight, 8, palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color colors[256];
  for (int i = 0; i < 256; ++i)  // 8 reds, 8 greens, 4 blues
    colors[i] = {static_cast<png_byte>((i >> 5) * 36), static_cast<png_byte>(((i >> 2) & 7) * 36),
                 static_cast<png_byte>((i & 3) * 85)};
  if (palette) png_set_PLTE(png, info, colors, 256);
  png_write_info(png, info);
  std::vector<unsigned char> row(static_cast<size_t>(kWidth) * 3);
  for (int y = 0; y < kHeight; ++y) {
    const unsigned char* source = &rgb[static_cast<size_t>(y) * kWidth * 3];
    if (palette)
      for (int x = 0; x < kWidth; ++x)
        row[x] = static_cast<unsigned char>((source[3 * x] >> 5) << 5 | (source[3 * x + 1] >> 5) << 2 | source[3 * x + 2] >> 6);
    png_write_row(png, palette ? row.data() : source);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  fclose(out);
}

const std::string& File(const std::string& name) {
  static std::vector<unsigned char> rgb;
  static std::string paths[4];
  static const char* names[4] = {"q90_420.jpg", "progressive.jpg", "rgb.png", "palette.png"};
  int i = 0;
  while (name != names[i]) ++i;
  if (paths[i].empty()) {
    if (rgb.empty()) rgb = PhotoRgb();
    paths[i] = Folder() + "/" + names[i];
    if (i < 2) WriteJpeg(paths[i], rgb, i == 1);
    else WritePng(paths[i], rgb, i == 3);
  }
  return paths[i];
}

// The bare decodes: the library's own output (RGB, or palette indices),
// rows into one buffer, from the same file.
void BareJpeg(const std::string& path, std::vector<unsigned char>& out) {
  FILE* in = fopen(path.c_str(), "rb");
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, in);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  const size_t stride = static_cast<size_t>(info.output_width) * info.output_components;
  out.resize(stride * info.output_height);
  // Many rows a call, as the library decodes fastest.
  JSAMPROW rows[16];
  while (info.output_scanline < info.output_height) {
    const JDIMENSION count = std::min<JDIMENSION>(16, info.output_height - info.output_scanline);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = &out[stride * (info.output_scanline + i)];
    jpeg_read_scanlines(&info, rows, count);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  fclose(in);
}

void BarePng(const std::string& path, std::vector<unsigned char>& out) {
  FILE* in = fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, in);
  png_read_info(png, info);
  const size_t stride = png_get_rowbytes(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  out.resize(stride * height);
  for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, &out[stride * y], nullptr);
  png_read_end(png, info);
  png_destroy_read_struct(&png, &info, nullptr);
  fclose(in);
}

void Bare(benchmark::State& state, const char* name) {
  const std::string& path = File(name);
  const bool jpeg = path.substr(path.size() - 3) == "jpg";
  std::vector<unsigned char> out;
  for (auto _ : state) {
    if (jpeg) BareJpeg(path, out);
    else BarePng(path, out);
    benchmark::DoNotOptimize(out.data());
  }
}

// A new last-write time for every round, so that the cache never serves it.
void Touch(const std::string& path, long round) {
  timespec times[2] = {{0, UTIME_OMIT}, {1700000000 + round / 1000000, (round % 1000000) * 1000}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

void ImageFile(benchmark::State& state, const char* name) {
  const std::string& path = File(name);
  const CString program(compat::FromHostPath(path).c_str());
  std::vector<DWORD> pixels(static_cast<size_t>(kWidth) * kHeight);
  long round = 0;
  for (auto _ : state) {
    Touch(path, ++round);
    CImageFile file;
    LONG width = 0, height = 0;
    if (!file.Open(program) || !file.GetSize(&width, &height) || width != kWidth || height != kHeight ||
        !file.ReadPixels(pixels.data(), width, height)) {
      state.SkipWithError("the picture did not load");
      break;
    }
    benchmark::DoNotOptimize(pixels.data());
  }
}

}  // namespace

BENCHMARK_CAPTURE(Bare, Jpeg420, "q90_420.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImageFile, Jpeg420, "q90_420.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Bare, JpegProgressive, "progressive.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImageFile, JpegProgressive, "progressive.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Bare, PngRgb, "rgb.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImageFile, PngRgb, "rgb.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Bare, PngPalette, "palette.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImageFile, PngPalette, "palette.png")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Row-by-row writers of large test pictures through libpng and libjpeg.
#include "large_picture_files.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace imaging_test {

DWORD LargePicturePixel(DWORD x, DWORD y) {
  const DWORD blue = (x >> 5) & 0xFF, green = (y >> 5) & 0xFF, red = ((x + 3 * y) >> 6) & 0xFF;
  return blue | (green << 8) | (red << 16) | 0xFF000000u;
}

namespace {

void RgbRow(DWORD y, DWORD width, std::vector<unsigned char>& row) {
  for (DWORD x = 0; x < width; ++x) {
    const DWORD p = LargePicturePixel(x, y);
    row[3 * x] = static_cast<unsigned char>(p >> 16);
    row[3 * x + 1] = static_cast<unsigned char>(p >> 8);
    row[3 * x + 2] = static_cast<unsigned char>(p);
  }
}

}  // namespace

bool WriteLargePng(const std::string& path, DWORD width, DWORD height) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<unsigned char> row(3 * static_cast<size_t>(width));
  bool written = false;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    // Rows that differ little from the one above: the Up filter leaves runs
    // of zeros, which the run-length strategy packs fast.
    png_set_filter(png, 0, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (DWORD y = 0; y < height; ++y) {
      RgbRow(y, width, row);
      png_write_row(png, row.data());
    }
    png_write_end(png, info);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}

bool WriteLargeJpeg(const std::string& path, DWORD width, DWORD height, int quality) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(3 * static_cast<size_t>(width));
  while (info.next_scanline < height) {
    RgbRow(info.next_scanline, width, row);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

}  // namespace imaging_test

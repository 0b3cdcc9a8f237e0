// Writes the desktop surface, or part of it, to a PNG file through libpng.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "compat/host.h"

namespace compat::host {
namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

struct FileCloser {
  void operator()(FILE* file) const { if (file) std::fclose(file); }
};

// Rows in RGB order for libpng; kept out of the setjmp frame.
std::vector<std::vector<png_byte>> RgbRows(const Surface& surface, const RECT& rect) {
  std::vector<std::vector<png_byte>> rows;
  const int width = rect.right - rect.left;
  for (int y = rect.top; y < rect.bottom; ++y) {
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    const uint32_t* source = surface.Row(y) + rect.left;
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<png_byte>(source[x] >> 16);
      row[x * 3 + 1] = static_cast<png_byte>(source[x] >> 8);
      row[x * 3 + 2] = static_cast<png_byte>(source[x]);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// No C++ object with a destructor lives in this frame: libpng may longjmp out.
bool WriteRows(FILE* file, int width, int height, png_bytep* rowPointers) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rowPointers);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WriteSurfacePng(const Surface& surface, const RECT* rect, const std::string& path,
                     std::string* error) {
  RECT area{0, 0, surface.width, surface.height};
  if (rect) {
    area.left = std::max<LONG>(rect->left, 0);
    area.top = std::max<LONG>(rect->top, 0);
    area.right = std::min<LONG>(rect->right, surface.width);
    area.bottom = std::min<LONG>(rect->bottom, surface.height);
  }
  if (area.left >= area.right || area.top >= area.bottom) {
    SetError(error, "The rectangle to capture is empty.");
    return false;
  }
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    SetError(error, "Cannot create " + path);
    return false;
  }
  auto rows = RgbRows(surface, area);
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  if (!WriteRows(file.get(), area.right - area.left, area.bottom - area.top, pointers.data())) {
    SetError(error, "Cannot write the PNG data to " + path);
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    SetError(error, "Cannot finish writing " + path);
    return false;
  }
  return true;
}

bool WriteDesktopPng(const std::string& path, std::string* error) {
  auto surface = DesktopSurface();
  return WriteSurfacePng(*surface, nullptr, path, error);
}

}  // namespace compat::host

// Painting a fill into a picture buffer, and reading the pictures that
// picture fills and the renderer's pair pictures use.
#include "model/raster/fill_render.h"

#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "compat/win32.h"
#include "imaging/image_file.h"
#include "model/raster/box_scale.h"
#include "model/raster/color_variation_fill.h"
#include "model/raster/fill_style.h"
#include "model/raster/pixel_buffer.h"
#include "model/project/project_links.h"
#include "platform/file_presence.h"
#include "platform/shown_path.h"

namespace {

// Paths whose failure was shown; the render thread and the user-interface
// thread both read pictures.
std::mutex g_reportedMutex;
std::set<std::u16string>& ReportedPaths() {
  static std::set<std::u16string> paths;
  return paths;
}

std::u16string PathKey(const CString& path) { return std::u16string(static_cast<LPCTSTR>(path)); }

void ReportOnce(const CString& path, const char16_t* text) {
  {
    std::lock_guard<std::mutex> guard(g_reportedMutex);
    if (!ReportedPaths().insert(PathKey(path)).second) return;
  }
  const CString message = ShownPath(path) + text;
  if (CEditorLink* editor = GetEditorLink())
    editor->ShowMessage(message);
  else
    MessageBoxW(nullptr, message, nullptr, MB_OK);
}

void ForgetReport(const CString& path) {
  std::lock_guard<std::mutex> guard(g_reportedMutex);
  ReportedPaths().erase(PathKey(path));
}

void PaintPicture(const CString& path, CPixelBuffer& buffer) {
  if (!PictureFileExists(path)) {
    buffer.Fill(0);
    return;
  }
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = ReadPicturePixels(path, size);
  // An unreadable picture leaves no stale pixels behind either.
  if (!pixels || !BoxScalePixels(pixels.get(), size.cx, size.cy, buffer.bits, buffer.Width(), buffer.Height()))
    buffer.Fill(0);
}

}  // namespace

BOOL PictureFileExists(const CString& path) { return PathNamesFile(path); }

std::unique_ptr<DWORD[]> ReadPicturePixels(const CString& path, SIZE& size) {
  CImageFile file;
  LONG w = 0, h = 0;
  if (!file.Open(path) || !file.GetSize(&w, &h) || w < 1 || h < 1 || w > kMaxFillPictureSide ||
      h > kMaxFillPictureSide || int64_t{w} * h > kMaxRasterPixels) {
    ReportOnce(path, u"cound not read!");
    return nullptr;
  }
  std::unique_ptr<DWORD[]> pixels(new (std::nothrow) DWORD[static_cast<size_t>(w) * static_cast<size_t>(h)]);
  if (!pixels || !file.ReadPixels(pixels.get(), w, h)) {
    ReportOnce(path, u" cound not load!");
    return nullptr;
  }
  file.Close();
  ForgetReport(path);
  size = SIZE{w, h};
  return pixels;
}

void RenderFillStyle(const CFillStyle& fill, CPixelBuffer& buffer) {
  if (!buffer.bits || buffer.Width() < 1 || buffer.Height() < 1) return;
  if (fill.type == kFillColor) {
    buffer.Fill(fill.color);
    return;
  }
  if (fill.type == kFillVaryColor) {
    CGradientDesc desc;
    if (!fill.GetGradient(desc)) return;
    const SIZE size{buffer.Width(), buffer.Height()};
    DWORD* pixels = RenderVaryColorFill(size, desc);
    if (!pixels) return;
    buffer.Free();
    buffer.bits = pixels;  // same size, so the buffer takes them over
    return;
  }
  CString path;
  if (fill.GetPatternImage(path)) {
    PaintPicture(path, buffer);
    return;
  }
  buffer.Fill(0);
}

void RenderFill(const CFillStyle& fill, CPixelBuffer& buffer) { RenderFillStyle(fill, buffer); }

// Writes canvases as the platform's .bmp, .cur and .ico files.
#pragma once

#include <filesystem>
#include <vector>

#include "compat/tools/resgen/canvas.h"

namespace resgen {

struct CursorPicture {
  Canvas canvas;  // black, white, transparent and inverted pixels only
  int hotX, hotY;
};

// 1 bit per pixel (black and white) or 4 (the 16 VGA colours).
bool WriteBitmap(const std::filesystem::path& path, const Canvas& canvas, int bitCount);
// A monochrome cursor: colour and mask planes of 1 bit per pixel.
bool WriteCursor(const std::filesystem::path& path, const CursorPicture& cursor);
// Each canvas becomes a 16-colour image with its mask.
bool WriteIcon(const std::filesystem::path& path, const std::vector<Canvas>& images);

}  // namespace resgen

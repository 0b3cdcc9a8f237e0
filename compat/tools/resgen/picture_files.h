// Writes canvases as the platform's .bmp, .cur and .ico files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "compat/tools/resgen/canvas.h"

namespace resgen {

struct CursorPicture {
  Canvas canvas;  // black, white, transparent and inverted pixels only
  int hotX, hotY;
};

// Pictures of 8 bits per pixel have 256 palette entries: the VGA colours, two
// for the mask indices, then the picture's own colours, which the canvas
// names from kFirstExtraColour on.
constexpr int kFirstExtraColour = 18;

// 1 bit per pixel (black and white), 4 (the 16 VGA colours) or 8.
bool WriteBitmap(const std::filesystem::path& path, const Canvas& canvas, int bitCount,
                 const std::vector<uint32_t>& extraColours = {});
// A cursor: a colour plane of 1 (monochrome) or 8 bits per pixel and the mask.
bool WriteCursor(const std::filesystem::path& path, const CursorPicture& cursor, int bitCount = 1,
                 const std::vector<uint32_t>& extraColours = {});
// Each canvas becomes an image of 4 (16 colours) or 8 bits per pixel with its mask.
bool WriteIcon(const std::filesystem::path& path, const std::vector<Canvas>& images, int bitCount = 4,
               const std::vector<uint32_t>& extraColours = {});

}  // namespace resgen

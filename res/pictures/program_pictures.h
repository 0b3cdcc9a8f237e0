// The program's own pictures, drawn in code: the main toolbar, the docking and
// menu glyph strips, the timeline and list buttons, the alpha track, the
// cursors and the application icon.
#pragma once

#include <string>
#include <vector>

#include "compat/tools/resgen/picture_files.h"

namespace programpictures {

struct NamedBitmap {
  std::string file;
  resgen::Canvas canvas;
  int bitCount;
};

struct NamedCursor {
  std::string file;
  resgen::CursorPicture picture;
  int bitCount;
};

std::vector<NamedBitmap> Bitmaps();
std::vector<NamedCursor> Cursors();
std::vector<resgen::Canvas> ApplicationIcons();
// The colours that 8-bit pictures name from resgen::kFirstExtraColour on.
const std::vector<uint32_t>& ExtraColours();

}  // namespace programpictures

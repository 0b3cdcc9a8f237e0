// The pictures the framework's resources and the tests need, drawn in code.
#pragma once

#include <string>
#include <vector>

#include "compat/tools/resgen/picture_files.h"

namespace resgen {

struct NamedCursor {
  std::string file;
  CursorPicture picture;
};

std::vector<NamedCursor> Cursors();
Canvas ApplicationIcon(int size);
Canvas MenuRadioDot();
Canvas ToolbarTestBitmap();
Canvas BarTestToolbarBitmap();

}  // namespace resgen

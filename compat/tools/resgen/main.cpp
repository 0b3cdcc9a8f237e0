// calvetta_resgen: draws the framework's and the tests' cursors, icons and bitmaps into a folder.
#include <iostream>

#include "compat/tools/resgen/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: calvetta_resgen output-folder\n";
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  bool ok = true;
  for (const resgen::NamedCursor& cursor : resgen::Cursors()) ok &= resgen::WriteCursor(folder / cursor.file, cursor.picture);
  ok &= resgen::WriteIcon(folder / "application.ico", {resgen::ApplicationIcon(32), resgen::ApplicationIcon(16)});
  ok &= resgen::WriteBitmap(folder / "menu_radio_dot.bmp", resgen::MenuRadioDot(), 1);
  ok &= resgen::WriteBitmap(folder / "test_toolbar16.bmp", resgen::ToolbarTestBitmap(), 4);
  ok &= resgen::WriteBitmap(folder / "test_bar_buttons.bmp", resgen::BarTestToolbarBitmap(), 4);
  if (!ok) {
    std::cerr << "calvetta_resgen: cannot write the pictures into " << folder.string() << "\n";
    return 1;
  }
  return 0;
}

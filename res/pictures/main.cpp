// calvetta_program_pictures: draws the program's bitmaps, cursors and icon into a folder.
#include <iostream>

#include "res/pictures/program_pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: calvetta_program_pictures output-folder\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::vector<uint32_t>& extra = programpictures::ExtraColours();
  bool ok = true;
  for (const auto& bitmap : programpictures::Bitmaps())
    ok &= resgen::WriteBitmap(folder / bitmap.file, bitmap.canvas, bitmap.bitCount, extra);
  for (const auto& cursor : programpictures::Cursors())
    ok &= resgen::WriteCursor(folder / cursor.file, cursor.picture, cursor.bitCount, extra);
  ok &= resgen::WriteIcon(folder / "calvetta.ico", programpictures::ApplicationIcons(), 8, extra);
  if (!ok) {
    std::cerr << "calvetta_program_pictures: cannot write the pictures into " << folder.string() << "\n";
    return 1;
  }
  return 0;
}

// File kinds by name ending, and relocation of stored paths into the data
// folders beside the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "compat/host_path.h"
#include "imaging/image_file_types.h"
#include "platform/program_folder.h"

namespace {

TEST(ImageFileType, TheLastCharactersDecide) {
  struct Case { const char16_t* name; int type; } cases[] = {
      {u"a.JPG", 4}, {u"a.jpg", 4}, {u"a.jpeg", -1}, {u"a.tiff", -1}, {u"a.WBMP", 10}, {u"x\\b.wbmp", 10},
      {u"a.bmp", 3}, {u"gif", 1}, {u"", -1}, {u"a.emf", 7}, {u"a.wmf", 7}, {u"a.avi", 0}, {u"a.TGA", 2},
      {u"a.pcx", 5}, {u"a.ico", 6}, {u"a.png", 8}, {u"a.tif", 9}, {u"a.swf", 11}, {u"bmp", 3}, {u"mp", -1}};
  for (const Case& c : cases) EXPECT_EQ(GetImageFileType(c.name), c.type) << compat::Utf16ToUtf8(c.name);
}

class AppSubfolder : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = compat::ToHostPath(std::u16string_view(GetProgramFolder()));
    name_ = "calvetta-subfolder-" + std::to_string(::getpid()) + ".png";
  }
  void TearDown() override {
    for (const char* folder : {"Image", "Light"}) std::filesystem::remove(program_ + "/" + folder + "/" + name_);
  }
  void Touch(const std::string& hostPath) { std::ofstream(hostPath) << "x"; }
  CString Program(const std::string& hostPath) { return CString(compat::FromHostPath(hostPath).c_str()); }

  std::string program_, name_;
};

TEST_F(AppSubfolder, AnExistingPathComesBackUnchanged) {
  std::string here = program_ + "/" + name_;
  Touch(here);
  EXPECT_EQ(AppSubfolderPath(Program(here), 0), Program(here));
  std::filesystem::remove(here);
}

TEST_F(AppSubfolder, AMissingPathIsFoundInTheKindsFolder) {
  CString stored = Program("/no/such/place/" + name_);
  EXPECT_TRUE(AppSubfolderPath(stored, 1).IsEmpty());  // not there yet; Light is created
  EXPECT_TRUE(std::filesystem::is_directory(program_ + "/Light"));
  Touch(program_ + "/Light/" + name_);
  EXPECT_EQ(AppSubfolderPath(stored, 1), Program(program_ + "/Light/" + name_));
  // A bare name never relocates, even when the file lies in the folder.
  EXPECT_TRUE(AppSubfolderPath(CString(compat::Utf8ToUtf16(name_).c_str()), 1).IsEmpty());
  // Kind 7 behaves as kind 0 (Image).
  EXPECT_TRUE(AppSubfolderPath(stored, 7).IsEmpty());
  Touch(program_ + "/Image/" + name_);
  EXPECT_EQ(AppSubfolderPath(stored, 7), Program(program_ + "/Image/" + name_));
}

}  // namespace

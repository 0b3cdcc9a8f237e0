// Exports that cannot be written: a full disk, a disk that fills part-way, a
// read-only disk and a file-size limit. Each tells the user once and leaves
// no partial file; an earlier file of the same name is kept. A movie that
// fails on the way ends the export unfinished (the owner goes back to ready
// with no number); stills that cannot be written are skipped.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "export_fixture.h"
#include "support/small_disk.h"

namespace exporttest {
namespace {

namespace fs = std::filesystem;
using testsupport::InPrivateMounts;
using testsupport::SmallDisk;

constexpr size_t kDiskBytes = 256 * 1024;

// The files of a folder with their sizes, the disk's filler left out.
std::map<std::string, uintmax_t> FilesIn(const std::string& folder) {
  std::map<std::string, uintmax_t> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != ".filler") files[name] = entry.is_regular_file() ? entry.file_size() : 0;
  }
  return files;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExportFailure : public ExportTest {
 protected:
  // One export to `disk`; the user is told exactly once and the owner sees
  // `last` last: the unfinished end (-1), or the last number of an export
  // that ran to its end.
  void ExportFails(const SmallDisk& disk, const std::string& name, int last = -1) {
    SCOPED_TRACE(name);
    compat::ResetMessageBoxLog();
    owner_ = std::make_unique<OwnerWindow>();
    RunExportToHost(disk.File(name));
    EXPECT_EQ(compat::MessageBoxCount(), 1) << compat::Utf16ToUtf8(compat::LastMessageBoxText());
    ASSERT_FALSE(owner_->Frames().empty());
    EXPECT_EQ(owner_->Frames().back(), last);
  }
  // Where a disk takes no file at all: an AVI that cannot be opened and
  // stills, each skipped, end at the last number, the other kinds unfinished.
  static int LastWhenNothingIsWritten(const std::string& name) {
    const bool ends = name.ends_with(".avi") || name.ends_with(".bmp") || name.ends_with(".tga");
    return ends ? kFrames - 1 : -1;
  }
};

TEST_F(ExportFailure, EveryKindIntoAFullDiskTellsOnceAndLeavesNoFile) {
  if (!InPrivateMounts()) return;
  SmallDisk disk(kDiskBytes);
  ASSERT_TRUE(disk.Mounted());
  disk.Fill();
  const std::pair<std::string, std::u16string> kinds[] = {
      {"movie.avi", u"Create AVI File Error!"},
      {"anim.gif", u"Create GIF File Error!\n" + compat::Utf8ToUtf16(disk.File("anim.gif"))},
      {"still.bmp", u"Create BMP File Error!\n" + compat::Utf8ToUtf16(disk.File("still0.bmp"))},
      {"still.tga", u"Create TGA File Error!\n" + compat::Utf8ToUtf16(disk.File("still0.tga"))},
      {"movie.swf", u"Create SWF File Error!"},
      {"still.jpg", u"Animations cannot be exported to files of this type."}};
  for (const auto& [name, text] : kinds) {
    ExportFails(disk, name, LastWhenNothingIsWritten(name));
    EXPECT_EQ(compat::LastMessageBoxText(), text) << name;
    EXPECT_TRUE(FilesIn(disk.Path()).empty()) << name << ": nothing, not even an empty file, is left";
  }
}

TEST_F(ExportFailure, ADiskThatFillsPartWayKeepsTheStillsThatFitAndNamesTheFirstMissing) {
  if (!InPrivateMounts()) return;
  SmallDisk disk(kDiskBytes);
  ASSERT_TRUE(disk.Mounted());
  disk.Fill(40 * 1024);  // room for a few stills of 64 x 48
  ExportFails(disk, "frame.bmp", kFrames - 1);
  const std::map<std::string, uintmax_t> files = FilesIn(disk.Path());
  ASSERT_FALSE(files.empty());
  ASSERT_LT(files.size(), size_t(kFrames));
  const uintmax_t stillBytes = 54 + kWidth * 3 * kHeight;
  for (size_t n = 0; n < files.size(); ++n) {
    const std::string name = "frame" + std::to_string(n) + ".bmp";
    ASSERT_TRUE(files.count(name)) << name;
    EXPECT_EQ(files.at(name), stillBytes) << name << " is whole";
  }
  // One message, at the end, naming the first still that could not be
  // written; the export went on with the others.
  EXPECT_EQ(compat::LastMessageBoxText(),
            u"Create BMP File Error!\n" + compat::Utf8ToUtf16(disk.File("frame" + std::to_string(files.size()) + ".bmp")));
  EXPECT_EQ(frames_.grabs, kFrames);
}

TEST_F(ExportFailure, MoviesOnADiskThatFillsPartWayAreRemovedAndEarlierOnesKept) {
  if (!InPrivateMounts()) return;
  SmallDisk disk(kDiskBytes);
  ASSERT_TRUE(disk.Mounted());
  const std::string earlier = "an earlier file of the same name";
  for (const char* name : {"movie.avi", "anim.gif", "movie.swf"}) std::ofstream(disk.File(name)) << earlier;
  disk.Fill(8 * 1024);  // a frame or two, not a whole movie
  for (const char* name : {"movie.avi", "anim.gif", "movie.swf"}) {
    ExportFails(disk, name);
    EXPECT_EQ(ReadAll(disk.File(name)), earlier) << name;
    EXPECT_EQ(FilesIn(disk.Path()).size(), 3u) << name << ": no temporary file is left";
  }
}

TEST_F(ExportFailure, AReadOnlyDiskTellsOnceForEveryKind) {
  if (!InPrivateMounts()) return;
  SmallDisk disk(kDiskBytes);
  ASSERT_TRUE(disk.Mounted());
  ASSERT_TRUE(disk.MakeReadOnly());
  for (const char* name : {"movie.avi", "anim.gif", "still.bmp", "still.tga", "movie.swf"}) {
    ExportFails(disk, name, LastWhenNothingIsWritten(name));
    EXPECT_TRUE(FilesIn(disk.Path()).empty());
  }
}

TEST_F(ExportFailure, AFileSizeLimitFailsTheGifAndLeavesNoFile) {
  // Long enough that frames still queued for the quantising workers when
  // the limit is met are far fewer than those never rendered, even on a
  // loaded machine where the renderer runs well ahead of the workers.
  constexpr int kLongPair = 150;
  for (int p = 0; p < 2; ++p) GetMorphProject()->PairAt(p)->SetFrameCount(kLongPair);
  {
    FileSizeLimit limit(8 * 1024);
    RunExport("anim.gif");
  }
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Create GIF File Error!\n" + compat::Utf8ToUtf16(dir_.File("anim.gif")));
  EXPECT_EQ(owner_->Frames().back(), -1);
  EXPECT_LT(frames_.grabs, kLongPair) << "the export stops at the failure";
  EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(ExportFailure, TheSwfPageThatCannotBeWrittenIsToldAndTheMovieStays) {
  // A folder where the page should go makes the page impossible to write.
  fs::create_directory(dir_.File("movie.htm"));
  RunExport("movie.swf");
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Create SWF File Error!\n" + compat::Utf8ToUtf16(dir_.File("movie.htm")));
  EXPECT_EQ(owner_->Frames().back(), -1);
  EXPECT_GT(fs::file_size(dir_.File("movie.swf")), 0u);
  EXPECT_EQ(FilesIn(dir_.path()).size(), 2u) << "no temporary file is left";
}

TEST_F(ExportFailure, AStoppedExportKeepsItsWholeFileAndSaysNothing) {
  frames_.onGrab = [this](int frame) {
    if (frame == 4) thread_->RequestStop();
  };
  RunExport("anim.gif");
  EXPECT_EQ(compat::MessageBoxCount(), 0);
  EXPECT_GT(fs::file_size(dir_.File("anim.gif")), 0u);
  EXPECT_EQ(FilesIn(dir_.path()).size(), 1u);
}

}  // namespace
}  // namespace exporttest

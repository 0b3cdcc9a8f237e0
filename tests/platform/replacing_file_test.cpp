// Files written whole or not at all, and the settings written through them:
// into a full disk, a disk that fills part-way, a read-only disk and under a
// file-size limit the earlier file stays, nothing partial is left beside it,
// and the user hears of each file once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compat/win32.h"
#include "compat/host_path.h"
#include "platform/program_folder.h"
#include "platform/replacing_file.h"
#include "platform/settings_store.h"
#include "support/small_disk.h"

namespace {

namespace fs = std::filesystem;
using testsupport::FileSizeLimit;
using testsupport::InPrivateMounts;
using testsupport::SmallDisk;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t EntryCount(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != ".filler") ++count;
  return count;
}

CString Program(const std::string& hostPath) { return CString(compat::FromHostPath(hostPath).c_str()); }

BOOL Write(const std::string& hostPath, const std::string& bytes) {
  return WriteFileReplacing(Program(hostPath), bytes.data(), static_cast<UINT>(bytes.size()));
}

class ReplacingFile : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetMessageBoxLog();
    ResetWriteFailureReports();
  }
  testsupport::TempDir m_dir;
};

TEST_F(ReplacingFile, WritesTheWholeFileKeepsItsPermissionsAndLeavesNothingBeside) {
  const std::string path = m_dir.File("settings.dat");
  ASSERT_TRUE(Write(path, "first"));
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(Write(path, "second, longer"));
  EXPECT_EQ(ReadAll(path), "second, longer");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(EntryCount(m_dir.path()), 1u);
}

TEST_F(ReplacingFile, TheTemporaryFileEndsAsTheTargetAndGoesWhenNotCommitted) {
  const std::string path = m_dir.File("frame.bmp");
  {
    CReplacingFile file(Program(path));
    EXPECT_EQ(file.GetTempPath().Right(4), CString(u".bmp"));
    EXPECT_EQ(file.GetTempPath().Left(file.GetTempPath().ReverseFind(u'\\')),
              Program(path).Left(Program(path).ReverseFind(u'\\')));
    std::ofstream(compat::ToHostPath(file.GetTempPath())) << "half";
  }
  EXPECT_EQ(EntryCount(m_dir.path()), 0u);
}

TEST_F(ReplacingFile, AFileSizeLimitKeepsTheEarlierFile) {
  const std::string path = m_dir.File("big.dat");
  ASSERT_TRUE(Write(path, "earlier"));
  {
    FileSizeLimit limit(1024);
    EXPECT_FALSE(Write(path, std::string(4096, 'x')));
  }
  EXPECT_EQ(ReadAll(path), "earlier");
  EXPECT_EQ(EntryCount(m_dir.path()), 1u);
}

TEST_F(ReplacingFile, AFullDiskAPartlyFullDiskAndAReadOnlyDiskKeepTheEarlierFile) {
  if (!InPrivateMounts()) return;
  SmallDisk disk(64 * 1024);
  ASSERT_TRUE(disk.Mounted());
  const std::string path = disk.File("store.dat");
  ASSERT_TRUE(Write(path, "earlier"));
  disk.Fill(8 * 1024);
  EXPECT_FALSE(Write(path, std::string(32 * 1024, 'x'))) << "fills part-way";
  EXPECT_EQ(ReadAll(path), "earlier");
  disk.Fill();
  EXPECT_FALSE(Write(path, "x")) << "full";
  EXPECT_EQ(ReadAll(path), "earlier");
  EXPECT_EQ(EntryCount(disk.Path()), 1u);
  ASSERT_TRUE(disk.MakeReadOnly());
  EXPECT_FALSE(Write(path, "x")) << "read-only";
  EXPECT_EQ(ReadAll(path), "earlier");
}

TEST_F(ReplacingFile, EachFileIsToldOncePerRun) {
  ReportWriteFailureOnce(u"C:\\Data\\Color.dat");
  ReportWriteFailureOnce(u"C:\\Data\\Color.dat");
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  // Named as the desktop writes paths.
  EXPECT_EQ(compat::LastMessageBoxText(), u"Cannot save \"/Data/Color.dat\"; what was saved there before is kept.");
  ReportWriteFailureOnce(u"C:\\Data\\Material.dat");
  EXPECT_EQ(compat::MessageBoxCount(), 2);
}

// The named settings and the registry store on a disk that is full: the
// earlier values stay readable, the program goes on, and the user is told
// once for each file however often it is written.
TEST_F(ReplacingFile, SettingsAndRegistryValuesOnAFullDiskKeepTheirEarlierValues) {
  if (!InPrivateMounts()) return;
  const std::string dataFolder = compat::ToHostPath(GetDataFolder().Native());
  fs::create_directories(dataFolder);
  SmallDisk data(64 * 1024, dataFolder);
  ASSERT_TRUE(data.Mounted());
  SmallDisk registry(64 * 1024);
  ASSERT_TRUE(registry.Mounted());
  setenv("CALVETTA_REGISTRY", registry.Path().c_str(), 1);
  const int earlier = 1, later = 2;
  ASSERT_TRUE(SaveSetting(u"Palette_Visible", reinterpret_cast<const BYTE*>(&earlier), sizeof earlier));
  ASSERT_TRUE(RegWriteValue(kSettingsRegistryKey, u"RenderFilePath", reinterpret_cast<const BYTE*>(&earlier),
                            sizeof earlier));
  data.Fill();
  registry.Fill();
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(SaveSetting(u"Palette_Visible", reinterpret_cast<const BYTE*>(&later), sizeof later));
    EXPECT_FALSE(RegWriteValue(kSettingsRegistryKey, u"RenderFilePath", reinterpret_cast<const BYTE*>(&later),
                               sizeof later));
  }
  EXPECT_EQ(compat::MessageBoxCount(), 2) << "once for the setting, once for the registry";
  BYTE* bytes = nullptr;
  int count = 0;
  ASSERT_TRUE(LoadSetting(u"Palette_Visible", &bytes, &count));
  ASSERT_EQ(count, 4);
  EXPECT_EQ(*reinterpret_cast<int*>(bytes), earlier);
  delete[] bytes;
  bytes = nullptr;
  ASSERT_TRUE(RegReadValue(kSettingsRegistryKey, u"RenderFilePath", &bytes, &count));
  ASSERT_EQ(count, 4);
  EXPECT_EQ(*reinterpret_cast<int*>(bytes), earlier);
  delete[] bytes;
  EXPECT_EQ(EntryCount(dataFolder), 1u) << "no temporary file is left";
  unsetenv("CALVETTA_REGISTRY");
}

}  // namespace

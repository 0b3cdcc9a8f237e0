// Named settings files as byte images (and the damaged files that must be
// refused), and registry values through a registry kept in a temp folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<BYTE>;

fs::path HostDataFolder() { return fs::path(compat::ToHostPath(GetDataFolder().Native())); }

// Setting names unique to this process; their files are removed afterwards,
// and the Data folder too when the tests made it.
class SettingsFiles : public ::testing::Test {
 protected:
  void SetUp() override { m_folderExisted = fs::exists(HostDataFolder()); }
  void TearDown() override {
    for (const auto& name : m_names) fs::remove(FileOf(name));
    std::error_code ignored;
    if (!m_folderExisted) fs::remove(HostDataFolder(), ignored);
  }
  CString Name(const char16_t* base) {
    CString name;
    name.Format(u"calvetta_test_%d_%s", static_cast<int>(getpid()), base);
    m_names.push_back(name);
    return name;
  }
  static fs::path FileOf(const CString& name) {
    return HostDataFolder() / compat::Utf16ToUtf8((name + u".dat").Native());
  }
  static Bytes FileBytes(const CString& name) {
    std::ifstream in(FileOf(name), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void WriteFile(const CString& name, const Bytes& bytes) {
    fs::create_directories(HostDataFolder());
    std::ofstream out(FileOf(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // LoadSetting's result, with the block freed.
  static BOOL Load(const CString& name, Bytes* out = nullptr) {
    BYTE* block = nullptr;
    int count = -1;
    BOOL ok = LoadSetting(name, &block, &count);
    if (ok && out != nullptr) out->assign(block, block + count);
    delete[] block;
    return ok;
  }

  std::vector<CString> m_names;
  bool m_folderExisted = false;
};

TEST(ProgramFolder, IsTheExecutablesFolderInProgramForm) {
  CString folder = GetProgramFolder();
  fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(folder.Native(), compat::FromHostPath(exe.parent_path().string()));
  EXPECT_NE(folder.Right(1).Native(), u"\\");
  EXPECT_EQ(GetDataFolder().Native(), folder.Native() + u"\\Data\\");
}

TEST_F(SettingsFiles, SavedValuesAreALengthWordThenTheBytes) {
  CString name = Name(u"Spliter");
  EXPECT_FALSE(Load(name));  // never saved
  Bytes value = {1, 0, 0, 0, 2, 0, 0, 0, 0x40, 0x01, 0, 0};
  ASSERT_TRUE(SaveSetting(name, value.data(), 12));
  EXPECT_TRUE(fs::is_directory(HostDataFolder()));
  Bytes expected = {12, 0, 0, 0};
  expected.insert(expected.end(), value.begin(), value.end());
  EXPECT_EQ(FileBytes(name), expected);
  Bytes back;
  ASSERT_TRUE(Load(name, &back));
  EXPECT_EQ(back, value);

  const char16_t text[] = u"C:\\Out";
  ASSERT_TRUE(SaveSetting(name, reinterpret_cast<const BYTE*>(text), sizeof text));
  Bytes textFile = FileBytes(name);
  ASSERT_EQ(textFile.size(), 4u + 14);
  EXPECT_EQ(Bytes(textFile.begin(), textFile.begin() + 6), (Bytes{14, 0, 0, 0, 'C', 0}));
  EXPECT_EQ(Bytes(textFile.end() - 2, textFile.end()), (Bytes{0, 0}));  // the terminator is stored
}

TEST_F(SettingsFiles, AnEmptyValueLoadsAsAnEmptyBlock) {
  CString name = Name(u"empty");
  ASSERT_TRUE(SaveSetting(name, nullptr, 0));
  EXPECT_EQ(FileBytes(name), (Bytes{0, 0, 0, 0}));
  BYTE* block = nullptr;
  int count = -1;
  ASSERT_TRUE(LoadSetting(name, &block, &count));
  EXPECT_EQ(count, 0);
  delete[] block;
  EXPECT_FALSE(SaveSetting(name, nullptr, -4));
  EXPECT_FALSE(SaveSetting(name, nullptr, 8));
}

TEST_F(SettingsFiles, DamagedFilesAreRefusedNotReadPastTheirEnd) {
  CString name = Name(u"damaged");
  WriteFile(name, {});
  EXPECT_FALSE(Load(name));
  WriteFile(name, {7, 0});  // shorter than the length word
  EXPECT_FALSE(Load(name));
  WriteFile(name, {12, 0, 0, 0, 1, 2, 3});  // shorter than the length says
  EXPECT_FALSE(Load(name));
  // A negative length loads as an empty value: the callers keep their defaults.
  for (const Bytes& negative : {Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}, Bytes{0, 0, 0, 0x80}}) {
    WriteFile(name, negative);
    Bytes empty{1};
    EXPECT_TRUE(Load(name, &empty));
    EXPECT_TRUE(empty.empty());
  }
  // Above the limit even when the file really is that long.
  Bytes huge(4 + kMaxSettingBytes + 1, 0xAB);
  int stated = kMaxSettingBytes + 1;
  std::memcpy(huge.data(), &stated, 4);
  WriteFile(name, huge);
  EXPECT_FALSE(Load(name));
  // Extra bytes after the value are ignored.
  WriteFile(name, {2, 0, 0, 0, 9, 8, 7});
  Bytes back;
  ASSERT_TRUE(Load(name, &back));
  EXPECT_EQ(back, (Bytes{9, 8}));
}

class RegistryValues : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "calvetta_reg_XXXXXX").string();
    m_folder = mkdtemp(pattern.data());
    setenv("CALVETTA_REGISTRY", m_folder.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("CALVETTA_REGISTRY");
    fs::remove_all(m_folder);
  }
  static BOOL Read(LPCTSTR name, Bytes* out) {
    BYTE* block = nullptr;
    int count = 0;
    BOOL ok = RegReadValue(kSettingsRegistryKey, name, &block, &count);
    if (ok) out->assign(block, block + count);
    delete[] block;
    return ok;
  }
  std::string m_folder;
};

TEST_F(RegistryValues, WrittenValuesReadBackWithTypeFive) {
  Bytes out;
  EXPECT_FALSE(Read(u"Warpel_WINDOW_RECT", &out));  // no key yet
  RECT rect = {10, 20, 810, -620};
  ASSERT_TRUE(RegWriteValue(kSettingsRegistryKey, u"Warpel_WINDOW_RECT",
                            reinterpret_cast<const BYTE*>(&rect), sizeof rect));
  const char16_t path[] = u"C:\\Pictures";
  ASSERT_TRUE(RegWriteValue(kSettingsRegistryKey, u"ImageFilePath",
                            reinterpret_cast<const BYTE*>(path), sizeof path));
  ASSERT_TRUE(Read(u"Warpel_WINDOW_RECT", &out));
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(std::memcmp(out.data(), &rect, 16), 0);
  ASSERT_TRUE(Read(u"ImageFilePath", &out));
  EXPECT_EQ(out.size(), sizeof path);
  EXPECT_EQ(std::memcmp(out.data(), path, sizeof path), 0);
  EXPECT_FALSE(Read(u"imagefilepath", &out));  // names compare exactly
  EXPECT_FALSE(Read(u"MaskFilePath", &out));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyW(HKEY_LOCAL_MACHINE, kSettingsRegistryKey, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Warpel_WINDOW_RECT", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD_BIG_ENDIAN));
  EXPECT_EQ(size, 16u);
  RegCloseKey(key);
}

TEST_F(RegistryValues, ValuesOfOtherTypesAreReadAndLongOnesAreNot) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, kSettingsRegistryKey, &key), ERROR_SUCCESS);
  BYTE binary[3] = {0xDE, 0xAD, 0x01};
  ASSERT_EQ(RegSetValueExW(key, u"RenderFilePath", 0, REG_BINARY, binary, 3), ERROR_SUCCESS);
  Bytes big(1025, 7);
  ASSERT_EQ(RegSetValueExW(key, u"Big", 0, REG_BINARY, big.data(), 1025), ERROR_SUCCESS);
  Bytes fits(1024, 8);
  ASSERT_EQ(RegSetValueExW(key, u"Fits", 0, REG_BINARY, fits.data(), 1024), ERROR_SUCCESS);
  RegCloseKey(key);
  Bytes out;
  ASSERT_TRUE(Read(u"RenderFilePath", &out));
  EXPECT_EQ(out, (Bytes{0xDE, 0xAD, 0x01}));
  EXPECT_FALSE(Read(u"Big", &out));
  ASSERT_TRUE(Read(u"Fits", &out));
  EXPECT_EQ(out, fits);
}

}  // namespace

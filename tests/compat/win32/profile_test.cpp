// Profile (INI) files: round trips, case rules, deletions and the bytes on disk.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "compat/host_path.h"
#include "compat/win32.h"

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/calvetta_profile_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    ini_ = compat::FromHostPath(folder_ + "/test.ini");
  }
  void TearDown() override {
    std::string command = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  // The file on disk as another program sees it, after the writes so far reached it.
  std::string Bytes() {
    EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini_.c_str()));
    return DiskBytes();
  }
  std::string DiskBytes() {
    std::ifstream in(folder_ + "/test.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void SetBytes(const std::string& bytes) {
    std::ofstream out(folder_ + "/test.ini", std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::u16string Get(const char16_t* section, const char16_t* key, const char16_t* fallback = u"-") {
    WCHAR buffer[256];
    GetPrivateProfileStringW(section, key, fallback, buffer, 256, ini_.c_str());
    return buffer;
  }

  std::string folder_;
  std::u16string ini_;
};

}  // namespace

TEST_F(ProfileTest, WritesReadBackWithoutRegardToCase) {
  ASSERT_TRUE(WritePrivateProfileStringW(u"Window", u"Width", u"640", ini_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Window", u"Title", u"\u00e9t\u00e9", ini_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"WINDOW", u"width", u"800", ini_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Paths", u"Data", u"C:\\cM\\Data", ini_.c_str()));
  EXPECT_EQ(Bytes(), "[Window]\r\nWidth=800\r\nTitle=\xc3\xa9t\xc3\xa9\r\n\r\n[Paths]\r\nData=C:\\cM\\Data\r\n");
  EXPECT_EQ(Get(u"window", u"WIDTH"), u"800");
  EXPECT_EQ(GetPrivateProfileIntW(u"Window", u"Width", 5, ini_.c_str()), 800u);
  EXPECT_EQ(GetPrivateProfileIntW(u"Window", u"Missing", -3, ini_.c_str()), static_cast<UINT>(-3));
  EXPECT_EQ(GetPrivateProfileIntW(u"Window", u"Title", 9, ini_.c_str()), 0u);  // not a number
  EXPECT_EQ(Get(u"Window", u"Missing", u"fallback  "), u"fallback");
  EXPECT_EQ(Get(u"Nowhere", u"Width"), u"-");
}

TEST_F(ProfileTest, DeletesKeysAndSectionsKeepingOtherLines) {
  SetBytes("; settings\n[A]\nx = 1\n; note\ny=\"quoted value\"\n\n[B]\nz=3\n");
  EXPECT_EQ(Get(u"A", u"X"), u"1");
  EXPECT_EQ(Get(u"A", u"y"), u"quoted value");
  ASSERT_TRUE(WritePrivateProfileStringW(u"a", u"X", nullptr, ini_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"new", u"4", ini_.c_str()));
  EXPECT_EQ(Bytes(), "; settings\n[A]\n; note\ny=\"quoted value\"\nnew=4\n\n[B]\nz=3\n");  // the file's own line ends
  ASSERT_TRUE(WritePrivateProfileStringW(u"b", nullptr, nullptr, ini_.c_str()));
  EXPECT_EQ(Get(u"B", u"z"), u"-");
  EXPECT_EQ(Bytes(), "; settings\n[A]\n; note\ny=\"quoted value\"\nnew=4\n\n");
}

TEST_F(ProfileTest, ListsNamesAndCutsLongValues) {
  SetBytes("[One]\na=1\nb=2\n[Two]\n[Three]\n");
  WCHAR list[64];
  DWORD n = GetPrivateProfileSectionNamesW(list, 64, ini_.c_str());
  EXPECT_EQ(std::u16string(list, n + 1), std::u16string(u"One\0Two\0Three\0\0", 15));
  n = GetPrivateProfileStringW(u"one", nullptr, u"", list, 64, ini_.c_str());
  EXPECT_EQ(std::u16string(list, n + 1), std::u16string(u"a\0b\0\0", 5));
  n = GetPrivateProfileSectionNamesW(list, 6, ini_.c_str());
  EXPECT_EQ(n, 4u);  // does not fit: size - 2
  WCHAR small[4];
  EXPECT_EQ(GetPrivateProfileStringW(u"One", u"a", u"", small, 4, ini_.c_str()), 1u);
  SetBytes("[S]\nk=abcdefgh\n");
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", small, 4, ini_.c_str()), 3u);
  EXPECT_EQ(std::u16string(small), u"abc");
}

TEST_F(ProfileTest, ReadsUtf16FilesAndKeepsTheirEncoding) {
  std::u16string text = u"[S]\r\nk=\u6f22\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  SetBytes(bytes);
  EXPECT_EQ(Get(u"s", u"K"), u"\u6f22");
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"j", u"2", ini_.c_str()));
  std::string written = Bytes();
  EXPECT_EQ(written.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Get(u"S", u"j"), u"2");
  EXPECT_EQ(Get(u"S", u"k"), u"\u6f22");
}

TEST_F(ProfileTest, MissingFileReadsDefaultsAndDeletingNothingCreatesNothing) {
  EXPECT_EQ(Get(u"A", u"b", u"dflt"), u"dflt");
  EXPECT_TRUE(WritePrivateProfileStringW(u"A", nullptr, nullptr, ini_.c_str()));
  std::ifstream in(folder_ + "/test.ini");
  EXPECT_FALSE(in.good());
  std::u16string unreachable = compat::FromHostPath(folder_ + "/test.ini/inner.ini");
  SetBytes("x");
  EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"b", u"c", unreachable.c_str()));
}

TEST_F(ProfileTest, ARunOfWritesReachesTheDiskWholeOnlyAtAFlush) {
  SetBytes("[Old]\nkept=1\n");
  for (int i = 0; i < 300; ++i) {
    const std::u16string key = u"Bar" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                               std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
    ASSERT_TRUE(WritePrivateProfileStringW(u"Layout", key.c_str(), u"7", ini_.c_str()));
  }
  // Our own readers see every write at once; the disk still holds the old file.
  EXPECT_EQ(Get(u"Layout", u"BarCa"), u"7");
  EXPECT_EQ(Get(u"Old", u"kept"), u"1");
  EXPECT_EQ(DiskBytes(), "[Old]\nkept=1\n");
  ASSERT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini_.c_str()));
  const std::string flushed = DiskBytes();
  EXPECT_EQ(flushed.rfind("[Old]\nkept=1\n\n[Layout]\nBarAa=7\n", 0), 0u);
  EXPECT_NE(flushed.find("BarNl=7\n"), std::string::npos);
  // A file changed on disk by another program is read again.
  SetBytes("[Old]\nkept=2\n");
  EXPECT_EQ(Get(u"Old", u"kept"), u"2");
}

TEST_F(ProfileTest, AFlushThatCannotReplaceTheFileFails) {
  const std::string sub = folder_ + "/sub";
  const std::u16string ini = compat::FromHostPath(sub + "/test.ini");
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"b", u"c", ini.c_str()));
  // The folder the file was to go in became a file before the flush.
  std::ofstream(sub) << "x";
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str()));
  WCHAR value[8];
  GetPrivateProfileStringW(u"A", u"b", u"", value, 8, ini.c_str());
  EXPECT_EQ(std::u16string(value), u"c");  // still held, for a later flush
  std::remove(sub.c_str());
  EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str()));
}

// Path mapping and UTF conversion at the host boundary.
#include <gtest/gtest.h>

#include "compat/host_path.h"

using compat::FromHostPath;
using compat::ToHostPath;
using compat::Utf16ToUtf8;
using compat::Utf8ToUtf16;

TEST(HostPath, ProgramPathsBecomeHostPaths) {
  EXPECT_EQ(ToHostPath(u"C:\\Program Files\\cM\\Data\\a.bmp"), "/Program Files/cM/Data/a.bmp");
  EXPECT_EQ(ToHostPath(u"\\tmp\\x.ini"), "/tmp/x.ini");
  EXPECT_EQ(ToHostPath(u"d:\\"), "/");
  EXPECT_EQ(ToHostPath(u"C:"), "/");
  EXPECT_EQ(ToHostPath(u"Data\\b.jpg"), "Data/b.jpg");
  EXPECT_EQ(ToHostPath(u"/already/host"), "/already/host");
  EXPECT_EQ(ToHostPath(static_cast<const char16_t*>(nullptr)), "");
  EXPECT_EQ(ToHostPath(u"\\\u00e9t\u00e9\\\u6f22.txt"), "/\xc3\xa9t\xc3\xa9/\xe6\xbc\xa2.txt");
}

TEST(HostPath, HostPathsBecomeBackslashed) {
  EXPECT_EQ(FromHostPath("/home/u/.config/x"), u"\\home\\u\\.config\\x");
  EXPECT_EQ(ToHostPath(FromHostPath("/a/b c/d")), "/a/b c/d");
}

TEST(HostPath, Utf8RoundTripsSurrogatePairs) {
  std::u16string text = u"A\u00e9\u20ac\U0001F600z";
  std::string utf8 = Utf16ToUtf8(text);
  EXPECT_EQ(utf8, "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z");
  EXPECT_EQ(Utf8ToUtf16(utf8), text);
}

TEST(HostPath, MalformedTextBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"a"), "\xef\xbf\xbd" "a");
  EXPECT_EQ(Utf8ToUtf16("\xff" "a"), u"\ufffda");
  EXPECT_EQ(Utf8ToUtf16("\xe2\x82"), u"\ufffd");           // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), u"\ufffd\ufffd");     // overlong slash
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\ufffd");       // encoded surrogate
}

// CString: clamping of positions, searching, replacing, buffers and Format.
#include <gtest/gtest.h>

#include "compat/afx.h"

namespace {

std::u16string Text(const CString& s) { return s.Native(); }

TEST(CString, ConstructsFromWideNarrowAndRepeatedCharacters) {
  EXPECT_EQ(Text(CString(u"abc")), u"abc");
  EXPECT_EQ(Text(CString("caf\xc3\xa9")), u"café");
  EXPECT_EQ(Text(CString(u'x', 3)), u"xxx");
  EXPECT_EQ(Text(CString(u"abcdef", 2)), u"ab");
  EXPECT_EQ(Text(CString(static_cast<LPCTSTR>(nullptr))), u"");
  CString empty;
  LPCTSTR p = empty;
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0);
}

TEST(CString, ExtractionClampsOutOfRangeArguments) {
  CString s(u"Hello");
  EXPECT_EQ(Text(s.Mid(1, 3)), u"ell");
  EXPECT_EQ(Text(s.Mid(3)), u"lo");
  EXPECT_EQ(Text(s.Mid(5)), u"");
  EXPECT_EQ(Text(s.Mid(9, 2)), u"");
  EXPECT_EQ(Text(s.Mid(-2, 3)), u"Hel");
  EXPECT_EQ(Text(s.Mid(2, 100)), u"llo");
  EXPECT_EQ(Text(s.Left(-1)), u"");
  EXPECT_EQ(Text(s.Left(99)), u"Hello");
  EXPECT_EQ(Text(s.Right(2)), u"lo");
  EXPECT_EQ(Text(s.Right(99)), u"Hello");
  EXPECT_EQ(s.GetAt(7), 0);
}

TEST(CString, FindsCharactersAndSubstringsFromAStart) {
  CString s(u"a\\b\\c.txt");
  EXPECT_EQ(s.Find(u'\\'), 1);
  EXPECT_EQ(s.Find(u'\\', 2), 3);
  EXPECT_EQ(s.Find(u'\\', 4), -1);
  EXPECT_EQ(s.Find(u'\\', 50), -1);
  EXPECT_EQ(s.ReverseFind(u'\\'), 3);
  EXPECT_EQ(s.Find(u".txt"), 5);
  EXPECT_EQ(s.Find(u"txt", 7), -1);
  EXPECT_EQ(s.Find(u""), 0);
  EXPECT_EQ(s.FindOneOf(u".c"), 4);
  EXPECT_EQ(CString().ReverseFind(u'x'), -1);
}

TEST(CString, ReplaceRemoveInsertDelete) {
  CString s(u"aaa");
  EXPECT_EQ(s.Replace(u"a", u"aa"), 3);
  EXPECT_EQ(Text(s), u"aaaaaa");
  EXPECT_EQ(s.Replace(u"aa", u""), 3);
  EXPECT_EQ(Text(s), u"");
  CString path(u"C:/x/y");
  EXPECT_EQ(path.Replace(u'/', u'\\'), 2);
  EXPECT_EQ(Text(path), u"C:\\x\\y");
  EXPECT_EQ(path.Replace(u"", u"z"), 0);
  EXPECT_EQ(path.Remove(u'\\'), 2);
  EXPECT_EQ(Text(path), u"C:xy");
  EXPECT_EQ(path.Insert(99, u"!"), 5);
  EXPECT_EQ(path.Insert(0, u'>'), 6);
  EXPECT_EQ(Text(path), u">C:xy!");
  EXPECT_EQ(path.Delete(1, 2), 4);
  EXPECT_EQ(path.Delete(3, 50), 3);
  EXPECT_EQ(path.Delete(10, 1), 3);
  EXPECT_EQ(Text(path), u">xy");
}

TEST(CString, TrimsWhitespaceCharactersAndSets) {
  CString s(u" \t value \r\n");
  s.TrimLeft();
  s.TrimRight();
  EXPECT_EQ(Text(s), u"value");
  CString t(u"xxvalxx");
  t.TrimLeft(u'x');
  EXPECT_EQ(Text(t), u"valxx");
  t.TrimRight(u"xl");
  EXPECT_EQ(Text(t), u"va");
}

TEST(CString, ComparesOrdinallyAndWithoutCase) {
  CString s(u"Apple");
  EXPECT_TRUE(s == u"Apple");
  EXPECT_TRUE(u"Apple" == s);
  EXPECT_TRUE(s != CString(u"apple"));
  EXPECT_LT(s.Compare(u"apple"), 0);
  EXPECT_EQ(s.CompareNoCase(u"aPPLE"), 0);
  EXPECT_LT(s.CompareNoCase(u"apples"), 0);
  EXPECT_GT(s.CompareNoCase(u"APP"), 0);
  EXPECT_EQ(CString(u"ÉCOLE").CompareNoCase(u"école"), 0);
  EXPECT_TRUE(CString(u"a") < CString(u"b"));
  CString up(u"straße ä");
  up.MakeUpper();
  EXPECT_EQ(Text(up), u"STRAßE Ä");
  up.MakeLower();
  EXPECT_EQ(Text(up), u"straße ä");
  up.MakeReverse();
  EXPECT_EQ(Text(up), u"ä eßarts");
}

TEST(CString, ConcatenatesWithStringsAndCharacters) {
  CString s = CString(u"a") + u"b" + u'c';
  s += CString(u"d");
  s += u'e';
  s = u">" + s;
  EXPECT_EQ(Text(s), u">abcde");
  const CString& same = s;
  s = same;  // self-assignment keeps the text
  EXPECT_EQ(Text(s), u">abcde");
  s = static_cast<LPCTSTR>(s) + 1;  // assigning from its own buffer
  EXPECT_EQ(Text(s), u"abcde");
}

TEST(CString, FormatUsesThePlatformsWidePrintf) {
  CString s;
  s.Format(u"%s=%d (0x%x) %.2f%%", u"width", -42, 255u, 3.14159);
  EXPECT_EQ(Text(s), u"width=-42 (0xff) 3.14%");
  CString name(u"Frame");
  s.Format(u"%s %03d", static_cast<LPCTSTR>(name), 7);
  EXPECT_EQ(Text(s), u"Frame 007");
  s.Format(u"%s/%s", name, CString(u"x"));  // strings passed as objects
  EXPECT_EQ(Text(s), u"Frame/x");
  s.Format(u"%5s|%-3d|", u"ab", 1);
  EXPECT_EQ(Text(s), u"   ab|1  |");
  std::u16string longArg(5000, u'z');
  s.Format(u"<%s>", longArg.c_str());
  EXPECT_EQ(s.GetLength(), 5002);
  s.Format(u"%s", static_cast<LPCTSTR>(s));  // formatting from its own text
  EXPECT_EQ(s.GetLength(), 5002);
  s.Format(u"%c%hs %g", u'W', "narrow", 0.5f);
  EXPECT_EQ(Text(s), u"Wnarrow 0.5");
}

TEST(CString, BufferAccessKeepsContentAndFindsTheNewEnd) {
  CString s(u"abc");
  LPTSTR buffer = s.GetBuffer(10);
  EXPECT_EQ(buffer[0], u'a');
  buffer[1] = 0;
  s.ReleaseBuffer();
  EXPECT_EQ(Text(s), u"a");
  buffer = s.GetBufferSetLength(4);
  buffer[1] = u'b';
  buffer[2] = u'c';
  buffer[3] = u'd';
  s.ReleaseBuffer(3);
  EXPECT_EQ(Text(s), u"abc");
  s.ReleaseBuffer(99);
  EXPECT_EQ(Text(s), u"abc");
}

TEST(CString, LoadStringOfAMissingIdLeavesItEmpty) {
  CString s(u"keep");
  EXPECT_FALSE(s.LoadString(101));
  EXPECT_TRUE(s.IsEmpty());
  CString fromId(MAKEINTRESOURCE(101));
  EXPECT_TRUE(fromId.IsEmpty());
}

}  // namespace

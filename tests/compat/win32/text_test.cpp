// Wide C-runtime calls, the platform's wide printf and code-page conversion.
#include <gtest/gtest.h>

#include <string>

#include "compat/win32.h"
#include "compat/wide_format.h"

namespace {

std::u16string Format(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::u16string text = compat::FormatWide(format, args);
  va_end(args);
  return text;
}

}  // namespace

TEST(WidePrintf, StringsAreWideUnlessSaidNarrow) {
  EXPECT_EQ(Format(u"[%s]", u"\u00e9t\u00e9"), u"[\u00e9t\u00e9]");
  EXPECT_EQ(Format(u"[%S|%hs|%ls]", "n\xc3\xa9", "h", u"w"), u"[n\u00e9|h|w]");
  EXPECT_EQ(Format(u"%c%C%c", u'\u20ac', 'x', 'y'), u"\u20acxy");
  EXPECT_EQ(Format(u"[%5s|%-5s|%.2s]", u"ab", u"ab", u"abcdef"), u"[   ab|ab   |ab]");
  EXPECT_EQ(Format(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
  EXPECT_EQ(Format(u"%*s|%-*s|", 4, u"a", 3, u"b"), u"   a|b  |");
}

TEST(WidePrintf, IntegersWithFlagsAndSizes) {
  EXPECT_EQ(Format(u"%d %i %u", -42, 7, 4000000000u), u"-42 7 4000000000");
  EXPECT_EQ(Format(u"%x %X %08X %#x %o", 255, 255, 0xBEEF, 16, 8), u"ff FF 0000BEEF 0x10 10");
  EXPECT_EQ(Format(u"%5d|%-5d|%05d|%+d|% d", 42, 42, -42, 3, 3), u"   42|42   |-0042|+3| 3");
  // `l` is 32 bits on the platform; the 64-bit forms are I64 and ll.
  EXPECT_EQ(Format(u"%ld %lu", static_cast<LONG>(-5), static_cast<DWORD>(0xFFFFFFFFu)), u"-5 4294967295");
  EXPECT_EQ(Format(u"%I64d %lld %I64u", -9000000000LL, 9000000000LL, 18446744073709551615ULL),
            u"-9000000000 9000000000 18446744073709551615");
  EXPECT_EQ(Format(u"%hd %hu", 70000, -1), u"4464 65535");
  EXPECT_EQ(Format(u"%*d|%.*d", 6, 12, 4, 7), u"    12|0007");
  EXPECT_EQ(Format(u"100%% %q"), u"100% %q");
}

TEST(WidePrintf, FloatsAndPointers) {
  EXPECT_EQ(Format(u"%.2f %f %8.3f|%-8.1f|", 3.14159, 1.5, -2.0, 0.25), u"3.14 1.500000   -2.000|0.2     |");
  EXPECT_EQ(Format(u"%e %g %g %.3g", 12345.678, 0.0001, 1e20, 3.14159), u"1.234568e+04 0.0001 1e+20 3.14");
  std::u16string pointer = Format(u"%p", reinterpret_cast<void*>(0xABC));
  EXPECT_EQ(pointer.size(), sizeof(void*) * 2);
  EXPECT_EQ(pointer.substr(pointer.size() - 4), u"0ABC");
}

TEST(WidePrintf, CountedFormsTruncateAsThePlatformDoes) {
  char16_t buffer[8];
  EXPECT_EQ(swprintf(buffer, 8, u"%d", 1234567), 7);
  EXPECT_EQ(std::u16string(buffer), u"1234567");
  EXPECT_EQ(swprintf(buffer, 8, u"%d", 12345678), -1);
  EXPECT_EQ(std::u16string(buffer), u"1234567");
  char16_t exact[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(_snwprintf(exact, 3, u"%s", u"abc"), 3);
  EXPECT_EQ(exact[3], u'x');  // exactly full: no terminator written
  EXPECT_EQ(_snwprintf(exact, 2, u"%s", u"abc"), -1);
  char16_t big[2000];
  std::u16string long_text(1500, u'a');
  EXPECT_EQ(wsprintfW(big, u"%s", long_text.c_str()), 1023);
  EXPECT_EQ(swprintf(big, u"%s=%d", u"k", 5), 3);
  EXPECT_EQ(std::u16string(big), u"k=5");
}

TEST(WideRuntime, ComparisonAndSearch) {
  EXPECT_EQ(wcslen(u"abc"), 3u);
  EXPECT_LT(wcscmp(u"abc", u"abd"), 0);
  EXPECT_EQ(wcsncmp(u"abcX", u"abcY", 3), 0);
  EXPECT_EQ(_wcsicmp(u"\u00c9t\u00c9", u"\u00e9T\u00e9"), 0);
  EXPECT_EQ(_wcsnicmp(u"HELLOx", u"helloy", 5), 0);
  EXPECT_LT(_wcsicmp(u"apple", u"BANANA"), 0);
  const char16_t* path = u"C:\\a\\b.bmp";
  EXPECT_EQ(wcsrchr(path, u'\\'), path + 4);
  EXPECT_EQ(wcschr(path, u'.'), path + 6);
  EXPECT_EQ(wcschr(path, u'\0'), path + 10);
  EXPECT_EQ(wcsstr(path, u"b.b"), path + 5);
  EXPECT_EQ(wcsstr(path, u"zz"), nullptr);
  char16_t buffer[16];
  wcscpy(buffer, u"ab");
  wcscat(buffer, u"cd");
  EXPECT_EQ(std::u16string(buffer), u"abcd");
  wcsncpy(buffer, u"xy", 5);
  EXPECT_EQ(buffer[4], 0);
  EXPECT_EQ(std::u16string(_wcsupr(buffer)), u"XY");
}

TEST(WideRuntime, NumbersKeepThePlatformsRanges) {
  EXPECT_EQ(_wtoi(u"  -123abc"), -123);
  EXPECT_EQ(_wtoi(u"99999999999"), INT32_MAX);
  EXPECT_EQ(_wtol(u"-99999999999"), INT32_MIN);
  char16_t* end = nullptr;
  const char16_t* text = u"0x1Fz";
  EXPECT_EQ(wcstol(text, &end, 16), 31);
  EXPECT_EQ(end, text + 4);
  EXPECT_EQ(wcstoul(u"-1", nullptr, 10), 0xFFFFFFFFul);
  EXPECT_EQ(wcstoul(u"4294967296", nullptr, 10), 0xFFFFFFFFul);
  const char16_t* number = u"2.5e2\u00e9";
  EXPECT_DOUBLE_EQ(wcstod(number, &end), 250.0);
  EXPECT_EQ(end, number + 5);
  char16_t digits[40];
  EXPECT_EQ(std::u16string(_itow(-2147483647 - 1, digits, 10)), u"-2147483648");
  EXPECT_EQ(std::u16string(_itow(255, digits, 16)), u"ff");
}

TEST(WideRuntime, CaseMappingBeyondAscii) {
  EXPECT_EQ(towupper(u'\u00e9'), u'\u00c9');
  EXPECT_EQ(towlower(u'\u0416'), u'\u0436');  // Cyrillic
  EXPECT_EQ(reinterpret_cast<uintptr_t>(CharUpperW(reinterpret_cast<LPWSTR>(uintptr_t{u'q'}))), uintptr_t{u'Q'});
  char16_t text[] = u"Mixed \u00c4";
  EXPECT_EQ(std::u16string(CharLowerW(text)), u"mixed \u00e4");
  EXPECT_EQ(lstrcmpiW(u"ABC", u"abc"), 0);
  EXPECT_EQ(lstrcmpW(u"abc", u"ABD"), -1);
  EXPECT_EQ(lstrcmpW(u"abc", u"ABC"), -1);  // lower case first where case alone differs
  char16_t small[4];
  EXPECT_EQ(std::u16string(lstrcpynW(small, u"abcdef", 4)), u"abc");
  EXPECT_EQ(lstrlenW(nullptr), 0);
}

TEST(CodePages, Utf8WithSizeQueriesAndTerminators) {
  const char* utf8 = "a\xc3\xa9\xf0\x9f\x98\x80";  // a, e-acute, a surrogate pair
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, utf8, -1, nullptr, 0), 5);  // with terminator
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, 3, nullptr, 0), 2);
  char16_t wide[8];
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 8), 5);
  EXPECT_EQ(std::u16string(wide), u"a\u00e9\U0001F600");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xff", 1, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));

  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u00e9\U0001F600", -1, nullptr, 0, nullptr, nullptr), 8);
  char narrow[16];
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a\u00e9\U0001F600", -1, narrow, 16, nullptr, nullptr), 8);
  EXPECT_STREQ(narrow, utf8);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 2, narrow, 16, nullptr, nullptr), 2);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 0, narrow, 16, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePages, WesternSingleByteUsesDefaultCharacter) {
  char narrow[8];
  BOOL used = FALSE;
  ASSERT_EQ(WideCharToMultiByte(1252, 0, u"\u20ac\u00e9\u4e00", 3, narrow, 8, nullptr, &used), 3);
  EXPECT_EQ(std::string(narrow, 3), "\x80\xe9?");
  EXPECT_TRUE(used);
  char16_t wide[4];
  ASSERT_EQ(MultiByteToWideChar(1252, 0, "\x80\xe9", 2, wide, 4), 2);
  EXPECT_EQ(std::u16string(wide, 2), u"\u20ac\u00e9");
}

// Wide C-runtime functions, code-page conversion, lstr* and Char* calls.
//
// Sections: case mapping, strings, numbers, formatting, code pages, lstr/Char.
#include "compat/win32/text.h"

#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compat/host_path.h"
#include "compat/wide_format.h"

// --- case mapping ---
namespace {

// Case rules of the whole Basic Multilingual Plane, independent of the
// process locale (which the program never sets).
locale_t Utf8Locale() {
  static locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
    return l;
  }();
  return locale;
}

char16_t MapCase(char16_t c, bool upper) {
  if (c < 0x80) {
    if (upper && c >= u'a' && c <= u'z') return c - 32;
    if (!upper && c >= u'A' && c <= u'Z') return c + 32;
    return c;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  locale_t locale = Utf8Locale();
  if (!locale) return c;
  wint_t mapped = upper ? towupper_l(c, locale) : towlower_l(c, locale);
  return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : c;  // stay one unit long
}

}  // namespace

char16_t towlower(char16_t c) { return MapCase(c, false); }
char16_t towupper(char16_t c) { return MapCase(c, true); }

char16_t* _wcslwr(char16_t* s) {
  for (char16_t* p = s; p && *p; ++p) *p = MapCase(*p, false);
  return s;
}

char16_t* _wcsupr(char16_t* s) {
  for (char16_t* p = s; p && *p; ++p) *p = MapCase(*p, true);
  return s;
}

// --- strings ---
size_t wcslen(const char16_t* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

size_t wcsnlen(const char16_t* s, size_t max_count) {
  size_t n = 0;
  while (n < max_count && s[n]) ++n;
  return n;
}

int wcscmp(const char16_t* a, const char16_t* b) { return wcsncmp(a, b, SIZE_MAX); }

int wcsncmp(const char16_t* a, const char16_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) break;
  }
  return 0;
}

int _wcsicmp(const char16_t* a, const char16_t* b) { return _wcsnicmp(a, b, SIZE_MAX); }

int _wcsnicmp(const char16_t* a, const char16_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    int ca = MapCase(a[i], false), cb = MapCase(b[i], false);
    if (ca != cb) return ca - cb;
    if (!ca) break;
  }
  return 0;
}

char16_t* wcscpy(char16_t* dst, const char16_t* src) {
  std::memmove(dst, src, (wcslen(src) + 1) * sizeof(char16_t));
  return dst;
}

char16_t* wcsncpy(char16_t* dst, const char16_t* src, size_t count) {
  size_t i = 0;
  for (; i < count && src[i]; ++i) dst[i] = src[i];
  for (; i < count; ++i) dst[i] = 0;
  return dst;
}

char16_t* wcscat(char16_t* dst, const char16_t* src) {
  wcscpy(dst + wcslen(dst), src);
  return dst;
}

char16_t* wcsncat(char16_t* dst, const char16_t* src, size_t count) {
  char16_t* end = dst + wcslen(dst);
  size_t i = 0;
  for (; i < count && src[i]; ++i) end[i] = src[i];
  end[i] = 0;
  return dst;
}

const char16_t* wcschr(const char16_t* s, char16_t c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (!*s) return nullptr;
  }
}

char16_t* wcschr(char16_t* s, char16_t c) {
  return const_cast<char16_t*>(wcschr(static_cast<const char16_t*>(s), c));
}

const char16_t* wcsrchr(const char16_t* s, char16_t c) {
  const char16_t* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (!*s) return found;
  }
}

char16_t* wcsrchr(char16_t* s, char16_t c) {
  return const_cast<char16_t*>(wcsrchr(static_cast<const char16_t*>(s), c));
}

const char16_t* wcsstr(const char16_t* s, const char16_t* find) {
  size_t n = wcslen(find);
  if (n == 0) return s;
  for (; *s; ++s) {
    if (*s == *find && wcsncmp(s, find, n) == 0) return s;
  }
  return nullptr;
}

char16_t* wcsstr(char16_t* s, const char16_t* find) {
  return const_cast<char16_t*>(wcsstr(static_cast<const char16_t*>(s), find));
}

char16_t* _wcsdup(const char16_t* s) {
  if (!s) return nullptr;
  size_t bytes = (wcslen(s) + 1) * sizeof(char16_t);
  auto* copy = static_cast<char16_t*>(std::malloc(bytes));
  if (copy) std::memcpy(copy, s, bytes);
  return copy;
}

// --- numbers ---
namespace {

// The leading ASCII part of `s`: number syntax is ASCII, so positions in the
// copy are positions in the original.
std::string AsciiPrefix(const char16_t* s) {
  constexpr size_t kMaxNumberText = 4096;
  std::string text;
  for (size_t i = 0; s[i] && s[i] < 0x80 && i < kMaxNumberText; ++i) {
    text += static_cast<char>(s[i]);
  }
  return text;
}

void SetEnd(const char16_t* s, char16_t** end, const std::string& text, const char* stop) {
  if (end) *end = const_cast<char16_t*>(s + (stop - text.c_str()));
}

bool IsNegative(const std::string& text) {
  size_t i = text.find_first_not_of(" \t\n\v\f\r");
  return i != std::string::npos && text[i] == '-';
}

}  // namespace

long wcstol(const char16_t* s, char16_t** end, int base) {
  std::string text = AsciiPrefix(s);
  char* stop = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &stop, base);
  SetEnd(s, end, text, stop);
  if (value > INT32_MAX || value < INT32_MIN) {
    errno = ERANGE;
    return value > 0 ? INT32_MAX : INT32_MIN;
  }
  return static_cast<long>(value);
}

unsigned long wcstoul(const char16_t* s, char16_t** end, int base) {
  std::string text = AsciiPrefix(s);
  char* stop = nullptr;
  errno = 0;
  unsigned long long value = std::strtoull(text.c_str(), &stop, base);
  SetEnd(s, end, text, stop);
  bool negative = IsNegative(text);
  unsigned long long magnitude = negative ? 0 - value : value;
  if (errno == ERANGE || magnitude > UINT32_MAX) {
    errno = ERANGE;
    return UINT32_MAX;
  }
  // "-1" is 0xFFFFFFFF, as the C rules say for a 32-bit unsigned long.
  return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude))
                  : static_cast<unsigned long>(magnitude);
}

double wcstod(const char16_t* s, char16_t** end) {
  std::string text = AsciiPrefix(s);
  char* stop = nullptr;
  static locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  double value = classic ? strtod_l(text.c_str(), &stop, classic) : std::strtod(text.c_str(), &stop);
  SetEnd(s, end, text, stop);
  return value;
}

int _wtoi(const char16_t* s) { return s ? static_cast<int>(wcstol(s, nullptr, 10)) : 0; }
long _wtol(const char16_t* s) { return s ? wcstol(s, nullptr, 10) : 0; }
double _wtof(const char16_t* s) { return s ? wcstod(s, nullptr) : 0.0; }

namespace {

char16_t* UnsignedToWide(uint32_t value, bool negative, char16_t* buffer, int radix) {
  if (radix < 2 || radix > 36) {
    buffer[0] = 0;
    return buffer;
  }
  char16_t digits[40];
  int n = 0;
  do {
    uint32_t digit = value % radix;
    digits[n++] = static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
    value /= radix;
  } while (value);
  char16_t* out = buffer;
  if (negative) *out++ = u'-';
  while (n) *out++ = digits[--n];
  *out = 0;
  return buffer;
}

}  // namespace

char16_t* _itow(int value, char16_t* buffer, int radix) {
  bool negative = radix == 10 && value < 0;
  uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  return UnsignedToWide(magnitude, negative, buffer, radix);
}

char16_t* _ltow(long value, char16_t* buffer, int radix) {
  return _itow(static_cast<int>(value), buffer, radix);
}

// --- formatting ---
namespace {

// Copies `text` to `buffer` for the counted forms: -1 with a terminated,
// truncated copy when it does not fit.
int CopyCounted(const std::u16string& text, char16_t* buffer, size_t count) {
  if (!buffer || count == 0) return -1;
  if (text.size() < count) {
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    return static_cast<int>(text.size());
  }
  std::memcpy(buffer, text.data(), (count - 1) * sizeof(char16_t));
  buffer[count - 1] = 0;
  return -1;
}

int CopyAll(const std::u16string& text, char16_t* buffer) {
  if (!buffer) return -1;
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return static_cast<int>(text.size());
}

}  // namespace

int vswprintf(char16_t* buffer, const char16_t* format, va_list args) {
  return CopyAll(compat::FormatWide(format, args), buffer);
}

int vswprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args) {
  return CopyCounted(compat::FormatWide(format, args), buffer, count);
}

int swprintf(char16_t* buffer, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int n = vswprintf(buffer, format, args);
  va_end(args);
  return n;
}

int swprintf(char16_t* buffer, size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int n = vswprintf(buffer, count, format, args);
  va_end(args);
  return n;
}

int _vsnwprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args) {
  std::u16string text = compat::FormatWide(format, args);
  if (text.size() > count || !buffer) return -1;
  std::memcpy(buffer, text.data(), text.size() * sizeof(char16_t));
  if (text.size() < count) buffer[text.size()] = 0;  // exactly full: no terminator
  return static_cast<int>(text.size());
}

int _snwprintf(char16_t* buffer, size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(buffer, count, format, args);
  va_end(args);
  return n;
}

int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args) {
  constexpr size_t kWsprintfLimit = 1024;
  std::u16string text = compat::FormatWide(format, args);
  if (text.size() >= kWsprintfLimit) text.resize(kWsprintfLimit - 1);
  return CopyAll(text, buffer);
}

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = wvsprintfW(buffer, format, args);
  va_end(args);
  return n;
}

// --- code pages ---
namespace {

constexpr UINT kCodePageWestern = 1252;
constexpr UINT kCodePageLatin1 = 28591;

// Code page 1252 at 0x80..0x9F; 0 marks the unassigned bytes.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsUtf8CodePage(UINT cp) {
  return cp == CP_ACP || cp == CP_OEMCP || cp == CP_MACCP || cp == CP_THREAD_ACP || cp == CP_UTF8;
}

bool IsSingleByteCodePage(UINT cp) { return cp == kCodePageWestern || cp == kCodePageLatin1; }

char16_t SingleByteToWide(UINT cp, unsigned char b) {
  if (cp == kCodePageWestern && b >= 0x80 && b < 0xA0) return kWestern80[b - 0x80] ? kWestern80[b - 0x80] : b;
  return b;
}

bool WideToSingleByte(UINT cp, char16_t c, char& out) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (cp == kCodePageLatin1 && c <= 0xFF)) {
    out = static_cast<char>(c);
    return true;
  }
  if (cp != kCodePageWestern) return false;
  for (int i = 0; i < 32; ++i) {
    if (kWestern80[i] == c) {
      out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// Delivers a converted text the platform's way: a size query, or a copy
// that fails whole when the buffer is short.
template <typename Char>
int Deliver(const std::basic_string<Char>& text, Char* out, int capacity) {
  if (text.size() > static_cast<size_t>(INT_MAX)) return Fail(ERROR_INVALID_PARAMETER);
  if (capacity == 0) return static_cast<int>(text.size());
  if (text.size() > static_cast<size_t>(capacity)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, text.data(), text.size() * sizeof(Char));
  return static_cast<int>(text.size());
}

}  // namespace

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && !lpWideCharStr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  std::string_view input(lpMultiByteStr, length);
  std::u16string wide;
  if (IsUtf8CodePage(CodePage)) {
    wide = compat::Utf8ToUtf16(input);
    if ((dwFlags & MB_ERR_INVALID_CHARS) && compat::Utf16ToUtf8(wide) != input) {
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
  } else if (IsSingleByteCodePage(CodePage)) {
    for (char b : input) wide += SingleByteToWide(CodePage, static_cast<unsigned char>(b));
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  return Deliver(wide, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
  (void)dwFlags;
  if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && !lpMultiByteStr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  size_t length = cchWideChar == -1 ? wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  std::u16string_view input(lpWideCharStr, length);
  std::string narrow;
  BOOL used_default = FALSE;
  if (IsUtf8CodePage(CodePage)) {
    narrow = compat::Utf16ToUtf8(input);
  } else if (IsSingleByteCodePage(CodePage)) {
    char fallback = lpDefaultChar ? *lpDefaultChar : '?';
    for (char16_t c : input) {
      char b;
      if (!WideToSingleByte(CodePage, c, b)) {
        b = fallback;
        used_default = TRUE;
      }
      narrow += b;
    }
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (lpUsedDefaultChar) *lpUsedDefaultChar = used_default;
  return Deliver(narrow, lpMultiByteStr, cbMultiByte);
}

// --- lstr* and Char* ---
int lstrlenW(LPCWSTR lpString) { return lpString ? static_cast<int>(wcslen(lpString)) : 0; }

LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  return wcscpy(lpString1, lpString2);
}

LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
  if (!lpString1 || !lpString2 || iMaxLength <= 0) return lpString1;
  int i = 0;
  for (; i < iMaxLength - 1 && lpString2[i]; ++i) lpString1[i] = lpString2[i];
  lpString1[i] = 0;
  return lpString1;
}

LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  return wcscat(lpString1, lpString2);
}

// The platform compares for people: letters first without regard to case,
// then lower case before upper case where that is all that differs.
int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
  int folded = lstrcmpiW(lpString1, lpString2);
  if (folded || !lpString1 || !lpString2) return folded;
  for (size_t i = 0; lpString1[i]; ++i) {
    if (lpString1[i] != lpString2[i]) {
      return MapCase(lpString1[i], false) == lpString1[i] ? -1 : 1;
    }
  }
  return 0;
}

int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return lpString1 == lpString2 ? 0 : lpString1 ? 1 : -1;
  int diff = _wcsicmp(lpString1, lpString2);
  return diff < 0 ? -1 : diff > 0 ? 1 : 0;
}

namespace {

bool IsSingleCharacter(LPWSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

LPWSTR CharCase(LPWSTR lpsz, bool upper) {
  if (IsSingleCharacter(lpsz)) {
    auto c = static_cast<char16_t>(reinterpret_cast<uintptr_t>(lpsz) & 0xFFFF);
    return reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(MapCase(c, upper)));
  }
  return upper ? _wcsupr(lpsz) : _wcslwr(lpsz);
}

}  // namespace

LPWSTR CharUpperW(LPWSTR lpsz) { return CharCase(lpsz, true); }
LPWSTR CharLowerW(LPWSTR lpsz) { return CharCase(lpsz, false); }

DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength) {
  for (DWORD i = 0; lpsz && i < cchLength; ++i) lpsz[i] = MapCase(lpsz[i], true);
  return lpsz ? cchLength : 0;
}

DWORD CharLowerBuffW(LPWSTR lpsz, DWORD cchLength) {
  for (DWORD i = 0; lpsz && i < cchLength; ++i) lpsz[i] = MapCase(lpsz[i], false);
  return lpsz ? cchLength : 0;
}

LPWSTR CharNextW(LPCWSTR lpsz) { return const_cast<LPWSTR>(*lpsz ? lpsz + 1 : lpsz); }

BOOL IsCharAlphaW(WCHAR ch) {
  locale_t locale = Utf8Locale();
  return locale ? iswalpha_l(ch, locale) != 0 : (MapCase(ch, true) != MapCase(ch, false));
}

BOOL IsCharAlphaNumericW(WCHAR ch) {
  locale_t locale = Utf8Locale();
  return locale ? iswalnum_l(ch, locale) != 0 : IsCharAlphaW(ch) || (ch >= u'0' && ch <= u'9');
}

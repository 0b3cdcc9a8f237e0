// The platform's wide printf engine. Numbers are formatted by the host's
// narrow snprintf from a rebuilt directive; strings, characters and pointers
// are handled here because their meaning differs from the host's.
#include "compat/wide_format.h"

#include <locale.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "compat/host_path.h"

namespace compat {
namespace {

enum class Size { kDefault, kShort, kChar, kLong, kLongLong, kPointer, kLongDouble, kWide };

struct Directive {
  std::string flags;
  int width = -1;
  int precision = -1;
  Size size = Size::kDefault;
  char16_t type = 0;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a decimal count, capped so that a hostile format cannot ask for
// gigabytes of padding.
int ReadCount(const char16_t*& p) {
  constexpr int kMaxCount = 1 << 20;
  long long value = 0;
  while (IsDigit(*p)) {
    value = std::min<long long>(value * 10 + (*p - u'0'), kMaxCount);
    ++p;
  }
  return static_cast<int>(value);
}

void ReadFlags(const char16_t*& p, Directive& d) {
  while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
    d.flags += static_cast<char>(*p);
    ++p;
  }
}

void ReadWidthAndPrecision(const char16_t*& p, Directive& d, va_list& args) {
  if (*p == u'*') {
    d.width = va_arg(args, int);
    if (d.width < 0) {
      d.flags += '-';
      d.width = d.width == INT32_MIN ? 0 : -d.width;
    }
    ++p;
  } else if (IsDigit(*p)) {
    d.width = ReadCount(p);
  }
  d.width = std::min(d.width, 1 << 20);
  if (*p != u'.') return;
  ++p;
  if (*p == u'*') {
    d.precision = va_arg(args, int);
    ++p;
  } else {
    d.precision = ReadCount(p);
  }
  d.precision = std::min(d.precision, 1 << 20);
}

bool Match(const char16_t*& p, const char16_t* text) {
  size_t n = 0;
  while (text[n]) {
    if (p[n] != text[n]) return false;
    ++n;
  }
  p += n;
  return true;
}

Size SingleLetterSize(char16_t c) {
  switch (c) {
    case u'I': case u'z': case u't': return Size::kPointer;
    case u'j': return Size::kLongLong;
    case u'h': return Size::kShort;
    case u'l': return Size::kLong;
    case u'L': return Size::kLongDouble;
    case u'w': return Size::kWide;
    default: return Size::kDefault;
  }
}

void ReadSize(const char16_t*& p, Directive& d) {
  if (Match(p, u"I64") || Match(p, u"ll")) {
    d.size = Size::kLongLong;
  } else if (Match(p, u"I32")) {
    d.size = Size::kDefault;
  } else if (Match(p, u"hh")) {
    d.size = Size::kChar;
  } else {
    d.size = SingleLetterSize(*p);
    if (d.size != Size::kDefault) ++p;
  }
}

void Pad(std::u16string& out, const Directive& d, std::u16string_view body) {
  int fill = d.width - static_cast<int>(body.size());
  bool left = d.flags.find('-') != std::string::npos;
  char16_t pad = !left && d.flags.find('0') != std::string::npos ? u'0' : u' ';
  if (!left && fill > 0) out.append(static_cast<size_t>(fill), pad);
  out += body;
  if (left && fill > 0) out.append(static_cast<size_t>(fill), u' ');
}

// %s and %c are wide unless sized `h` or spelled upper-case (%S, %C).
bool IsNarrowText(const Directive& d) {
  bool upper = d.type == u'S' || d.type == u'C';
  if (d.size == Size::kShort) return true;
  if (d.size == Size::kLong || d.size == Size::kWide) return false;
  return upper;
}

void FormatString(std::u16string& out, const Directive& d, va_list& args) {
  std::u16string text;
  if (IsNarrowText(d)) {
    const char* s = va_arg(args, const char*);
    text = Utf8ToUtf16(s ? s : "(null)");
  } else {
    const char16_t* s = va_arg(args, const char16_t*);
    text = s ? s : u"(null)";
  }
  if (d.precision >= 0 && text.size() > static_cast<size_t>(d.precision)) {
    text.resize(static_cast<size_t>(d.precision));
  }
  Pad(out, d, text);
}

void FormatChar(std::u16string& out, const Directive& d, va_list& args) {
  int value = va_arg(args, int);
  char16_t c = IsNarrowText(d) ? static_cast<unsigned char>(value) : static_cast<char16_t>(value);
  Pad(out, d, std::u16string_view(&c, 1));
}

// The platform prints a pointer as upper-case hexadecimal, zero-padded to the
// pointer's width, without a prefix.
void FormatPointer(std::u16string& out, const Directive& d, va_list& args) {
  uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(args, void*));
  char text[32];
  std::snprintf(text, sizeof text, "%0*llX", static_cast<int>(sizeof(void*) * 2),
                static_cast<unsigned long long>(value));
  Pad(out, d, Utf8ToUtf16(text));
}

std::string HostDirective(const Directive& d, const char* length, char type) {
  std::string conversion(1, '%');
  conversion += d.flags;
  if (d.width >= 0) conversion += std::to_string(d.width);
  if (d.precision >= 0) {
    conversion += '.';
    conversion += std::to_string(d.precision);
  }
  conversion += length;
  conversion += type;
  return conversion;
}

// Numbers are written with the C locale's '.' whatever locale the host
// process has set, as the program expects.
locale_t ClassicLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

class ClassicNumbers {
 public:
  ClassicNumbers() : previous_(ClassicLocale() ? uselocale(ClassicLocale()) : static_cast<locale_t>(0)) {}
  ~ClassicNumbers() {
    if (previous_) uselocale(previous_);
  }

 private:
  locale_t previous_;
};

template <typename T>
void AppendHost(std::u16string& out, const std::string& conversion, T value) {
  ClassicNumbers classic;
  char small[128];
  int n = std::snprintf(small, sizeof small, conversion.c_str(), value);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof small) {
    out.append(small, small + n);
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), conversion.c_str(), value);
  out.append(big.begin(), big.begin() + n);
}

void FormatInteger(std::u16string& out, const Directive& d, va_list& args) {
  char type = static_cast<char>(d.type == u'i' ? u'd' : d.type);
  bool is_signed = type == 'd';
  std::string conversion = HostDirective(d, "ll", type);
  long long value = 0;
  switch (d.size) {
    case Size::kLongLong: value = va_arg(args, long long); break;
    case Size::kPointer: value = static_cast<long long>(va_arg(args, intptr_t)); break;
    default: value = va_arg(args, int); break;  // `l` is 32 bits on the platform
  }
  if (!is_signed && d.size != Size::kLongLong && d.size != Size::kPointer) {
    value = static_cast<unsigned int>(value);
  }
  if (d.size == Size::kShort) value = is_signed ? static_cast<short>(value) : static_cast<unsigned short>(value);
  if (d.size == Size::kChar) value = is_signed ? static_cast<signed char>(value) : static_cast<unsigned char>(value);
  if (is_signed) AppendHost(out, conversion, value);
  else AppendHost(out, conversion, static_cast<unsigned long long>(value));
}

void FormatFloat(std::u16string& out, const Directive& d, va_list& args) {
  std::string conversion = HostDirective(d, "", static_cast<char>(d.type));
  // `L` is the same double on the platform.
  AppendHost(out, conversion, va_arg(args, double));
}

// Handles one directive starting after '%'; returns false for a directive the
// platform does not know, which is then copied out as it stands.
bool FormatDirective(std::u16string& out, const char16_t*& p, va_list& args) {
  Directive d;
  ReadFlags(p, d);
  ReadWidthAndPrecision(p, d, args);
  ReadSize(p, d);
  d.type = *p;
  switch (d.type) {
    case u'd': case u'i': case u'u': case u'x': case u'X': case u'o':
      FormatInteger(out, d, args);
      break;
    case u'f': case u'F': case u'e': case u'E': case u'g': case u'G': case u'a': case u'A':
      FormatFloat(out, d, args);
      break;
    case u's': case u'S': FormatString(out, d, args); break;
    case u'c': case u'C': FormatChar(out, d, args); break;
    case u'p': FormatPointer(out, d, args); break;
    case u'n': (void)va_arg(args, void*); break;  // never written: a classic exploit
    case u'%': out += u'%'; break;
    default: return false;
  }
  ++p;
  return true;
}

}  // namespace

std::u16string FormatWide(const char16_t* format, va_list args) {
  std::u16string out;
  if (!format) return out;
  va_list local;
  va_copy(local, args);
  const char16_t* p = format;
  while (*p) {
    if (*p != u'%') {
      out += *p++;
      continue;
    }
    const char16_t* start = p++;
    if (!FormatDirective(out, p, local)) {
      out.append(start, p);
      if (!*p) break;
    }
  }
  va_end(local);
  return out;
}

}  // namespace compat

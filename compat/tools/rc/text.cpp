// Decoding script strings and writing the platform's little-endian records.
#include "compat/tools/rc/text.h"

#include <cctype>

namespace rc {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

SourceLocation At(const Token& token, size_t offset) {
  SourceLocation where = token.where;
  if (!token.fromMacro) where.column += static_cast<int>(offset) + 1 + (token.wide ? 1 : 0);
  return where;
}

// Walks the raw body; `unit` receives each decoded character (escapes give code units,
// other text gives UTF-8 bytes, which the caller combines).
template <typename Sink>
void Unescape(const Token& token, unsigned maxHexDigits, uint32_t maxUnit, Sink&& sink) {
  const std::string& raw = token.text;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '"') {  // "" is a quote inside a string
      sink(uint32_t('"'), true);
      ++i;
      continue;
    }
    if (c != '\\') {
      sink(static_cast<uint8_t>(c), false);
      continue;
    }
    size_t at = i++;
    if (i >= raw.size()) throw CompileError(At(token, at), "a string ends with a lone backslash");
    char e = raw[i];
    switch (e) {
      case 'n': sink(uint32_t('\n'), true); break;
      case 't': sink(uint32_t('\t'), true); break;
      case 'r': sink(uint32_t('\r'), true); break;
      case '\\': sink(uint32_t('\\'), true); break;
      case '"': sink(uint32_t('"'), true); break;
      case 'x': case 'X': {
        uint32_t value = 0;
        unsigned digits = 0;
        while (digits < maxHexDigits && i + 1 < raw.size() && HexValue(raw[i + 1]) >= 0) {
          value = value * 16 + HexValue(raw[++i]);
          ++digits;
        }
        if (digits == 0) throw CompileError(At(token, at), "\\x without hexadecimal digits");
        sink(value, true);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          uint32_t value = e - '0';
          for (int more = 0; more < 2 && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7'; ++more)
            value = value * 8 + (raw[++i] - '0');
          if (value > maxUnit) throw CompileError(At(token, at), "octal escape out of range");
          sink(value, true);
        } else {
          throw CompileError(At(token, at), std::string("unknown escape \\") + e);
        }
    }
  }
}

class Utf8Decoder {
 public:
  explicit Utf8Decoder(const Token& token) : token_(token) {}

  void Byte(uint8_t b, std::u16string& out) {
    if (pending_ == 0) {
      if (b < 0x80) { out.push_back(b); return; }
      if (b >= 0xC2 && b <= 0xDF) { code_ = b & 0x1F; pending_ = 1; min_ = 0x80; }
      else if (b >= 0xE0 && b <= 0xEF) { code_ = b & 0x0F; pending_ = 2; min_ = 0x800; }
      else if (b >= 0xF0 && b <= 0xF4) { code_ = b & 0x07; pending_ = 3; min_ = 0x10000; }
      else Fail();
      return;
    }
    if ((b & 0xC0) != 0x80) Fail();
    code_ = (code_ << 6) | (b & 0x3F);
    if (--pending_ > 0) return;
    if (code_ < min_ || code_ > 0x10FFFF || (code_ >= 0xD800 && code_ <= 0xDFFF)) Fail();
    if (code_ >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((code_ - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((code_ - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code_));
    }
  }
  bool Pending() const { return pending_ != 0; }
  [[noreturn]] void Fail() const { throw CompileError(token_.where, "the string is not valid UTF-8"); }

 private:
  const Token& token_;
  uint32_t code_ = 0;
  uint32_t min_ = 0;
  int pending_ = 0;
};

}  // namespace

std::u16string WideString(const Token& token) {
  std::u16string out;
  Utf8Decoder utf8(token);
  Unescape(token, 4, 0xFFFF, [&](uint32_t value, bool escaped) {
    if (escaped) {
      if (utf8.Pending()) utf8.Fail();
      out.push_back(static_cast<char16_t>(value));
    } else {
      utf8.Byte(static_cast<uint8_t>(value), out);
    }
  });
  if (utf8.Pending()) utf8.Fail();
  return out;
}

std::string NarrowString(const Token& token) {
  std::string out;
  Unescape(token, 2, 0xFF, [&](uint32_t value, bool) { out.push_back(static_cast<char>(value)); });
  return out;
}

void ByteWriter::Word(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value));
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::Dword(uint32_t value) {
  Word(static_cast<uint16_t>(value));
  Word(static_cast<uint16_t>(value >> 16));
}

void ByteWriter::Bytes(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

void ByteWriter::Text(const std::u16string& text) {
  for (char16_t unit : text) Word(unit);
  Word(0);
}

void ByteWriter::AlignDword() {
  while (bytes_.size() % 4 != 0) bytes_.push_back(0);
}

}  // namespace rc

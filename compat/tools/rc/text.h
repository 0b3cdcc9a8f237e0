// Script strings: escape decoding, UTF-8 to UTF-16, and the little-endian byte buffer resources are built in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compat/tools/rc/source.h"

namespace rc {

// The string token's text as UTF-16 (resource texts).
std::u16string WideString(const Token& token);
// The string token's text as 8-bit bytes (raw data): UTF-8 as written, escapes as bytes.
std::string NarrowString(const Token& token);

class ByteWriter {
 public:
  void Byte(uint8_t value) { bytes_.push_back(value); }
  void Word(uint16_t value);
  void Dword(uint32_t value);
  void Bytes(const void* data, size_t size);
  void Text(const std::u16string& text);  // UTF-16 with its terminating NUL
  void AlignDword();
  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t>& Data() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace rc

// Helpers of the GIF tests: GIF byte streams put together by hand, with LZW
// data packed independently of the codec's own encoder.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "compat/win32/types.h"

namespace giftest {

class Bytes {
 public:
  Bytes& Raw(std::initializer_list<int> bytes) {
    for (int b : bytes) data.push_back(static_cast<BYTE>(b));
    return *this;
  }
  Bytes& Text(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Word(int v) { return Raw({v & 0xFF, (v >> 8) & 0xFF}); }
  Bytes& Header(int width, int height, int flags) {
    Text("GIF89a").Word(width).Word(height);
    return Raw({flags, 0, 0});
  }
  Bytes& Table(int entries, int base = 0) {
    for (int i = 0; i < entries; ++i) Raw({base + i, 2 * i & 0xFF, 100});
    return *this;
  }
  Bytes& Control(int disposal, int transIndex, int delay) {
    Raw({0x21, 0xF9, 4, (disposal << 2) | (transIndex >= 0 ? 1 : 0)}).Word(delay);
    return Raw({transIndex >= 0 ? transIndex : 0, 0});
  }
  Bytes& Descriptor(int left, int top, int width, int height, int flags) {
    Raw({0x2C}).Word(left).Word(top).Word(width).Word(height);
    return Raw({flags});
  }
  // Image data made of literal codes only, with a clear code often enough that
  // the code width never grows.
  Bytes& Literals(int root, const std::vector<int>& pixels) {
    std::vector<int> codes;
    const int clear = 1 << root, perClear = (1 << root) - 2;
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (i % perClear == 0) codes.push_back(clear);
      codes.push_back(pixels[i]);
    }
    codes.push_back(clear + 1);
    return Codes(root, codes);
  }
  // Codes packed least significant bit first at root + 1 bits, in sub-blocks.
  Bytes& Codes(int root, const std::vector<int>& codes) {
    std::vector<BYTE> packed;
    unsigned accumulator = 0;
    int bits = 0;
    for (int code : codes) {
      accumulator |= static_cast<unsigned>(code) << bits;
      bits += root + 1;
      while (bits >= 8) {
        packed.push_back(static_cast<BYTE>(accumulator));
        accumulator >>= 8;
        bits -= 8;
      }
    }
    if (bits > 0) packed.push_back(static_cast<BYTE>(accumulator));
    Raw({root});
    for (size_t at = 0; at < packed.size(); at += 255) {
      size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
      Raw({static_cast<int>(n)});
      data.insert(data.end(), packed.begin() + at, packed.begin() + at + n);
    }
    return Raw({0});
  }
  Bytes& Trailer() { return Raw({0x3B}); }

  std::vector<BYTE> data;
};

}  // namespace giftest

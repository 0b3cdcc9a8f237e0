// Helpers of the resource compiler's tests: scratch folders, compiling script text, byte images.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compat/tools/rc/compiler.h"

namespace rctest {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);

// Compiles `script` written as main.rc in `dir`; on failure returns the error text in `error`.
bool Compile(const ScratchDir& dir, const std::string& script, rc::CompileResult& result, std::string& error,
             const std::vector<std::filesystem::path>& includeDirs = {});
// The error text of a script expected to fail ("" when it compiled).
std::string CompileError(const std::string& script, const std::string& header = "");

const rc::Resource* Find(const rc::CompileResult& result, uint16_t type, uint16_t id);

// Byte images written out field by field in tests.
class Image {
 public:
  Image& B(uint8_t v) { bytes.push_back(v); return *this; }
  Image& W(uint16_t v) { return B(v & 0xFF).B(v >> 8); }
  Image& D(uint32_t v) { return W(v & 0xFFFF).W(v >> 16); }
  Image& S(const std::u16string& text) {  // UTF-16 with its NUL
    for (char16_t c : text) W(c);
    return W(0);
  }
  Image& A(const std::string& text) {  // 8-bit bytes as written
    for (char c : text) B(static_cast<uint8_t>(c));
    return *this;
  }
  std::vector<uint8_t> bytes;
};

// Runs a command, giving its standard output; the exit status goes to `status`.
std::string RunCommand(const std::string& command, int& status);

}  // namespace rctest

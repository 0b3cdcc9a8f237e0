// Tokens, source positions and the error type shared by the resource compiler's stages.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace rc {

struct SourceLocation {
  const std::string* file = nullptr;  // owned by the compiler's file list
  int line = 0;
  int column = 0;
  std::string ToString() const;
};

// Every error stops the compile; the message already names the place.
class CompileError : public std::runtime_error {
 public:
  CompileError(const SourceLocation& where, const std::string& message);
  explicit CompileError(const std::string& message) : std::runtime_error(message) {}
};

enum class TokenKind { Identifier, Number, String, Punct, Directive, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;          // identifier, punctuation, directive name, or raw string body
  std::string rest;          // a directive's line after its name, comments removed
  SourceLocation restWhere;  // where `rest` starts
  uint32_t number = 0;
  bool longSuffix = false;   // 12L: a DWORD in raw data
  bool wide = false;         // L"..."
  bool fromMacro = false;
  SourceLocation where;

  bool IsPunct(char c) const { return kind == TokenKind::Punct && text.size() == 1 && text[0] == c; }
  // Statement keywords of the script language ignore case, like the platform's compiler.
  bool IsKeyword(const char* word) const;
};

}  // namespace rc

// The resource compiler's lexer: identifiers, numbers, strings, punctuation and directives.
#include "compat/tools/rc/lexer.h"

#include <cctype>

namespace rc {
namespace {

constexpr uint64_t kMaxNumber = 0xFFFFFFFFull;

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

class Lexer {
 public:
  Lexer(std::string_view text, const SourceLocation& start, bool directives)
      : text_(text), line_(start.line), column_(start.column), file_(start.file),
        directives_(directives) {}

  std::vector<Token> Run() {
    std::vector<Token> out;
    bool lineStart = true;
    while (true) {
      if (SkipSpace()) lineStart = true;
      if (pos_ >= text_.size()) break;
      char c = text_[pos_];
      if (c == '#' && lineStart && directives_) {
        out.push_back(Directive());
        lineStart = true;
        continue;
      }
      lineStart = false;
      out.push_back(Next());
    }
    return out;
  }

 private:
  SourceLocation Here() const { return SourceLocation{file_, line_, column_}; }
  char Peek(size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  void Advance() {
    if (text_[pos_] == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
    ++pos_;
  }

  // Skips blanks, comments and line splices; reports whether a line ended.
  bool SkipSpace() {
    bool newline = false;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        newline = true;
        Advance();
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        Advance();
      } else if (c == '\\' && (Peek(1) == '\n' || (Peek(1) == '\r' && Peek(2) == '\n'))) {
        Advance();
      } else if (c == '/' && Peek(1) == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') Advance();
      } else if (c == '/' && Peek(1) == '*') {
        SkipBlockComment();
      } else {
        break;
      }
    }
    return newline;
  }

  void SkipBlockComment() {
    SourceLocation start = Here();
    Advance();
    Advance();
    while (pos_ < text_.size() && !(text_[pos_] == '*' && Peek(1) == '/')) Advance();
    if (pos_ >= text_.size()) throw CompileError(start, "unterminated comment");
    Advance();
    Advance();
  }

  // A directive runs to the end of its line (splices joined, comments removed).
  Token Directive() {
    Token t;
    t.kind = TokenKind::Directive;
    t.where = Here();
    Advance();
    while (Peek() == ' ' || Peek() == '\t') Advance();
    while (pos_ < text_.size() && IsIdentChar(text_[pos_])) {
      t.text += text_[pos_];
      Advance();
    }
    while (Peek() == ' ' || Peek() == '\t') Advance();
    t.restWhere = Here();
    while (pos_ < text_.size() && text_[pos_] != '\n') {
      char c = text_[pos_];
      if (c == '\\' && (Peek(1) == '\n' || (Peek(1) == '\r' && Peek(2) == '\n'))) {
        Advance();
        while (text_[pos_] != '\n') Advance();
        Advance();
        t.rest += ' ';
      } else if (c == '/' && Peek(1) == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') Advance();
      } else if (c == '/' && Peek(1) == '*') {
        SkipBlockComment();
        t.rest += ' ';
      } else if (c == '"') {
        size_t from = pos_;
        SkipString();
        t.rest.append(text_.substr(from, pos_ - from));
      } else {
        t.rest += c;
        Advance();
      }
    }
    while (!t.rest.empty() && std::isspace(static_cast<unsigned char>(t.rest.back()))) t.rest.pop_back();
    return t;
  }

  Token Next() {
    Token t;
    t.where = Here();
    char c = text_[pos_];
    if (c == 'L' && Peek(1) == '"') {
      Advance();
      t = String();
      t.wide = true;
      t.where.column -= 1;
      return t;
    }
    if (IsIdentStart(c)) return Identifier();
    if (std::isdigit(static_cast<unsigned char>(c))) return Number();
    if (c == '"') return String();
    if (c == '\'') return CharacterLiteral();
    t.kind = TokenKind::Punct;
    t.text = std::string(1, c);
    Advance();
    return t;
  }

  Token Identifier() {
    Token t;
    t.kind = TokenKind::Identifier;
    t.where = Here();
    while (pos_ < text_.size() && IsIdentChar(text_[pos_])) {
      t.text += text_[pos_];
      Advance();
    }
    return t;
  }

  Token Number() {
    Token t;
    t.kind = TokenKind::Number;
    t.where = Here();
    uint64_t value = 0;
    bool hex = Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
    if (hex) {
      Advance();
      Advance();
      if (!std::isxdigit(static_cast<unsigned char>(Peek())))
        throw CompileError(t.where, "hexadecimal number without digits");
    }
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      int digit;
      if (std::isdigit(static_cast<unsigned char>(c))) digit = c - '0';
      else if (hex && std::isxdigit(static_cast<unsigned char>(c))) digit = std::tolower(c) - 'a' + 10;
      else break;
      value = value * (hex ? 16 : 10) + digit;
      if (value > kMaxNumber) throw CompileError(t.where, "number does not fit in 32 bits");
      t.text += c;
      Advance();
    }
    while (Peek() == 'L' || Peek() == 'l' || Peek() == 'U' || Peek() == 'u') {
      if (Peek() == 'L' || Peek() == 'l') t.longSuffix = true;
      Advance();
    }
    if (IsIdentChar(Peek())) throw CompileError(t.where, "malformed number");
    t.number = static_cast<uint32_t>(value);
    return t;
  }

  // Only C++ code in shared headers has these ('"' must not open a string there);
  // the script language has no use for them, so they reach the parser as punctuation.
  Token CharacterLiteral() {
    Token t;
    t.kind = TokenKind::Punct;
    t.where = Here();
    size_t end = pos_ + 1;
    while (end < text_.size() && text_[end] != '\'' && text_[end] != '\n') end += text_[end] == '\\' ? 2 : 1;
    size_t stop = end < text_.size() && text_[end] == '\'' ? end + 1 : pos_ + 1;
    t.text = std::string(text_.substr(pos_, stop - pos_));
    while (pos_ < stop) Advance();
    return t;
  }

  // The raw body is kept; escapes are decoded by the user, which knows the string's kind.
  Token String() {
    Token t;
    t.kind = TokenKind::String;
    t.where = Here();
    size_t from = pos_;
    SkipString();
    t.text = std::string(text_.substr(from + 1, pos_ - from - 2));
    return t;
  }

  void SkipString() {
    SourceLocation start = Here();
    Advance();
    while (true) {
      if (pos_ >= text_.size() || text_[pos_] == '\n')
        throw CompileError(start, "unterminated string");
      char c = text_[pos_];
      if (c == '\\' && pos_ + 1 < text_.size() && text_[pos_ + 1] != '\n') {
        Advance();
        Advance();
      } else if (c == '"' && Peek(1) == '"') {
        Advance();
        Advance();
      } else if (c == '"') {
        Advance();
        return;
      } else {
        Advance();
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_;
  int column_;
  const std::string* file_;
  bool directives_;
};

}  // namespace

std::vector<Token> Lex(std::string_view text, const SourceLocation& start, bool directives) {
  return Lexer(text, start, directives).Run();
}

}  // namespace rc

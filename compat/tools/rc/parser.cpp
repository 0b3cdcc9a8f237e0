// The script parser's statement dispatch, token helpers and numeric expressions.
#include "compat/tools/rc/parser.h"

#include <algorithm>

#include "compat/tools/rc/platform_symbols.h"

namespace rc {
namespace {

// Memory options of the 16-bit platform; accepted and ignored as the platform does.
constexpr const char* kMemoryOptions[] = {"DISCARDABLE", "MOVEABLE", "FIXED", "PURE", "IMPURE",
                                          "PRELOAD", "LOADONCALL", "SHARED", "NONSHARED"};

constexpr const char* kUnsupportedTypes[] = {
    "DIALOGEX", "MENUEX", "VERSIONINFO", "RCDATA", "TEXTINCLUDE", "FONT", "FONTDIR", "HTML",
    "MESSAGETABLE", "PLUGPLAY", "VXD", "ANICURSOR", "ANIICON", "MANIFEST", "AFX_DIALOG_LAYOUT"};

constexpr const char* kUnsupportedStatements[] = {"LANGUAGE", "VERSION", "CHARACTERISTICS"};

std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::End: return "the end of the script";
    case TokenKind::String: return "a string";
    case TokenKind::Number: return "the number " + token.text;
    default: return "'" + token.text + "'";
  }
}

}  // namespace

Parser::Parser(std::vector<Token> tokens, Sources& sources)
    : tokens_(std::move(tokens)), sources_(sources) {}

std::vector<Resource> Parser::Run() {
  while (Peek().kind != TokenKind::End) Statement();
  FinishStrings();
  std::sort(resources_.begin(), resources_.end(), [](const Resource& a, const Resource& b) {
    return std::make_pair(a.type, a.id) < std::make_pair(b.type, b.id);
  });
  return std::move(resources_);
}

// --- tokens ---

const Token& Parser::Peek(size_t ahead) const {
  size_t at = std::min(pos_ + ahead, tokens_.size() - 1);  // the last token is End
  return tokens_[at];
}

const Token& Parser::Next() {
  const Token& token = tokens_[pos_];
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return token;
}

bool Parser::AcceptPunct(char c) {
  if (!Peek().IsPunct(c)) return false;
  Next();
  return true;
}

void Parser::ExpectPunct(char c, const char* context) {
  if (!AcceptPunct(c))
    Fail(Peek(), std::string("expected '") + c + "' " + context + ", found " + Describe(Peek()));
}

bool Parser::AcceptKeyword(const char* word) {
  if (!Peek().IsKeyword(word)) return false;
  Next();
  return true;
}

void Parser::ExpectBegin(const char* context) {
  if (AcceptKeyword("BEGIN") || AcceptPunct('{')) return;
  Fail(Peek(), std::string("expected BEGIN ") + context + ", found " + Describe(Peek()));
}

bool Parser::AtEnd() {
  if (Peek().kind == TokenKind::End) Fail(Peek(), "missing END before the end of the script");
  return AcceptKeyword("END") || AcceptPunct('}');
}

const Token& Parser::ExpectString(const char* context) {
  if (Peek().kind != TokenKind::String)
    Fail(Peek(), std::string("expected a string ") + context + ", found " + Describe(Peek()));
  return Next();
}

void Parser::Fail(const Token& at, const std::string& message) const {
  throw CompileError(at.where, message);
}

// --- expressions ---

uint32_t Parser::Expression() {
  uint32_t value = Additive();
  while (AcceptPunct('|')) value |= Additive();
  return value;
}

uint32_t Parser::Additive() {
  uint32_t value = Unary();
  while (true) {
    if (AcceptPunct('+')) value += Unary();
    else if (AcceptPunct('-')) value -= Unary();
    else return value;
  }
}

uint32_t Parser::Unary() {
  const Token& token = Next();
  if (token.IsPunct('-')) return 0u - Unary();
  if (token.IsPunct('+')) return Unary();
  if (token.IsPunct('~')) return ~Unary();
  if (token.IsPunct('(')) {
    uint32_t value = Expression();
    ExpectPunct(')', "to close the parenthesis");
    return value;
  }
  if (token.kind == TokenKind::Number) return token.number;
  if (token.kind == TokenKind::Identifier) {
    if (token.IsKeyword("NOT")) Fail(token, "NOT belongs in a style list, after '|'");
    if (std::optional<uint32_t> value = PlatformSymbol(token.text)) return *value;
    Fail(token, "unknown symbol " + token.text);
  }
  Fail(token, "expected a number, found " + Describe(token));
}

// Style lists start from the statement's implied styles: terms are added with '|',
// and NOT takes a style away (WS_CHILD | NOT WS_VISIBLE).
uint32_t Parser::Style(uint32_t implied) {
  uint32_t value = implied;
  do {
    if (AcceptKeyword("NOT")) value &= ~Additive();
    else value |= Additive();
  } while (AcceptPunct('|'));
  return value;
}

uint16_t Parser::WordValue(const char* what) {
  const Token& at = Peek();
  uint32_t value = Expression();
  // A negative 16-bit value (IDC_STATIC is -1) is stored as its low word.
  if (value > 0xFFFF && value < 0xFFFF8000u)
    Fail(at, std::string(what) + " " + std::to_string(value) + " does not fit in 16 bits");
  return static_cast<uint16_t>(value);
}

int16_t Parser::Coordinate(const char* what) {
  const Token& at = Peek();
  int32_t value = static_cast<int32_t>(Expression());
  if (value < -32768 || value > 32767)
    Fail(at, std::string(what) + " " + std::to_string(value) + " is out of range");
  return static_cast<int16_t>(value);
}

uint16_t Parser::ResourceId(const Token& at, uint32_t value) {
  if (value == 0 || value > 0xFFFF)
    Fail(at, "resource id " + std::to_string(static_cast<int32_t>(value)) + " is not between 1 and 65535");
  return static_cast<uint16_t>(value);
}

// --- statements ---

void Parser::Statement() {
  const Token& first = Peek();
  if (AcceptKeyword("STRINGTABLE")) {
    StringTable();
    return;
  }
  for (const char* word : kUnsupportedStatements)
    if (first.IsKeyword(word)) Fail(first, "the " + first.text + " statement is not supported");
  if (first.kind == TokenKind::String)
    Fail(first, "named resources are not supported; give the resource a numeric id");
  uint16_t id = ResourceId(first, Expression());
  const Token& type = Next();
  if (type.kind != TokenKind::Identifier)
    Fail(type, "expected a resource type after the id, found " + Describe(type));
  SkipMemoryOptions();
  if (type.IsKeyword("DIALOG")) Dialog(id, first.where);
  else if (type.IsKeyword("MENU")) Menu(id, first.where);
  else if (type.IsKeyword("ACCELERATORS")) Accelerators(id, first.where);
  else if (type.IsKeyword("TOOLBAR")) Toolbar(id, first.where);
  else if (type.IsKeyword("DLGINIT")) DlgInit(id, first.where);
  else if (type.IsKeyword("BITMAP")) Bitmap(id, first.where);
  else if (type.IsKeyword("ICON")) IconOrCursor(id, first.where, false);
  else if (type.IsKeyword("CURSOR")) IconOrCursor(id, first.where, true);
  else {
    for (const char* word : kUnsupportedTypes)
      if (type.IsKeyword(word)) Fail(type, type.text + " resources are not supported");
    Fail(type, "unknown resource type " + type.text);
  }
}

void Parser::SkipMemoryOptions() {
  bool skipped = true;
  while (skipped) {
    skipped = false;
    for (const char* word : kMemoryOptions)
      if (AcceptKeyword(word)) skipped = true;
  }
}

void Parser::Add(uint16_t type, uint16_t id, const SourceLocation& where, std::vector<uint8_t> data) {
  auto [it, fresh] = defined_.emplace(std::make_pair(type, id), where);
  if (!fresh)
    throw CompileError(where, "duplicate resource: type " + std::to_string(type) + ", id " +
                                  std::to_string(id) + " was already defined at " + it->second.ToString());
  resources_.push_back(Resource{type, id, std::move(data)});
}

}  // namespace rc

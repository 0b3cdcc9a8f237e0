// Preprocessing of resource scripts and of the id headers they share with the C++ code.
#include "compat/tools/rc/preprocessor.h"

#include <algorithm>

#include "compat/tools/rc/lexer.h"

namespace rc {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxScriptBytes = 64ull << 20;
constexpr int kMaxIncludeDepth = 32;
constexpr size_t kMaxExpansionDepth = 64;

// In a C or C++ header only the directives count, as with the platform's compiler:
// the rest is code that the script has no use for.
bool IsHeader(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".h" || ext == ".hh" || ext == ".hpp" || ext == ".hxx" || ext == ".c" || ext == ".cpp";
}

std::string FirstWord(const Token& directive) {
  size_t end = 0;
  const std::string& rest = directive.rest;
  while (end < rest.size() && (std::isalnum(static_cast<unsigned char>(rest[end])) || rest[end] == '_')) ++end;
  if (end == 0 || std::isdigit(static_cast<unsigned char>(rest[0])))
    throw CompileError(directive.where, "#" + directive.text + " needs a macro name");
  return rest.substr(0, end);
}

}  // namespace

Preprocessor::Preprocessor(Sources& sources) : sources_(sources) {
  // The names every script may test for, as the platform's compiler defines them.
  Define("RC_INVOKED", "1");
  Define("_WIN32", "1");
}

void Preprocessor::Define(const std::string& name, const std::string& value) {
  Macro macro;
  macro.body = Lex(value, SourceLocation{nullptr, 0, 0}, false);
  macros_[name] = std::move(macro);
}

std::vector<Token> Preprocessor::Run(const fs::path& script) {
  ProcessFile(script, SourceLocation{}, 0);
  Token end;
  end.kind = TokenKind::End;
  end.where = out_.empty() ? SourceLocation{sources_.Name(script), 1, 1} : out_.back().where;
  out_.push_back(end);
  return std::move(out_);
}

void Preprocessor::ProcessFile(const fs::path& path, const SourceLocation& from, int depth) {
  std::string text = sources_.Read(path, from, kMaxScriptBytes);
  // Editors mark UTF-8 with a byte-order mark; the platform's own editor saves UTF-16.
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  if (text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0)
    throw CompileError(SourceLocation{sources_.Name(path), 1, 1}, "the file is UTF-16; save it as UTF-8");
  std::vector<Token> tokens = Lex(text, SourceLocation{sources_.Name(path), 1, 1});
  bool header = IsHeader(path);
  size_t conditionsAtStart = conditions_.size();
  std::vector<std::string> expanding;
  for (const Token& token : tokens) {
    if (token.kind == TokenKind::Directive) {
      Directive(token, header, depth);
    } else if (!header && Active()) {
      Emit(token, expanding);
    }
  }
  if (conditions_.size() > conditionsAtStart)
    throw CompileError(conditions_.back().where, "#ifdef or #ifndef without #endif");
}

void Preprocessor::Directive(const Token& directive, bool headerMode, int depth) {
  const std::string& name = directive.text;
  if (name == "ifdef" || name == "ifndef" || name == "else" || name == "endif") {
    Conditional(directive);
    return;
  }
  if (!Active()) return;
  if (name == "include") {
    Include(directive, depth);
  } else if (name == "define") {
    DefineDirective(directive);
  } else if (name == "pragma" && directive.rest == "once") {
    // Headers guard themselves; defining the same ids twice is harmless here.
  } else if (name.empty()) {
    // A lone '#' is a null directive.
  } else if (headerMode && name == "pragma") {
    // Compiler pragmas in a shared C++ header do not concern the script.
  } else {
    throw CompileError(directive.where, "the directive #" + name + " is not supported");
  }
}

void Preprocessor::Include(const Token& directive, int depth) {
  const std::string& rest = directive.rest;
  if (rest.size() >= 2 && rest.front() == '<' && rest.back() == '>') {
    // The platform's own headers: their symbols are built into the compiler.
    return;
  }
  if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"')
    throw CompileError(directive.restWhere, "#include needs a \"file\" name");
  if (depth >= kMaxIncludeDepth)
    throw CompileError(directive.where, "#include nested too deeply (an include loop?)");
  std::string name = rest.substr(1, rest.size() - 2);
  fs::path found = sources_.Find(name, directive.where);
  if (found.empty()) throw CompileError(directive.restWhere, "cannot find included file \"" + name + "\"");
  ProcessFile(found, directive.where, depth + 1);
}

void Preprocessor::DefineDirective(const Token& directive) {
  std::string name = FirstWord(directive);
  Macro macro;
  macro.where = directive.where;
  std::string body = directive.rest.substr(name.size());
  macro.functionLike = !body.empty() && body[0] == '(';
  SourceLocation bodyWhere = directive.restWhere;
  bodyWhere.column += static_cast<int>(name.size());
  if (!macro.functionLike) macro.body = Lex(body, bodyWhere, false);
  macros_[name] = std::move(macro);
}

void Preprocessor::Conditional(const Token& directive) {
  const std::string& name = directive.text;
  if (name == "ifdef" || name == "ifndef") {
    bool parent = Active();
    bool defined = parent && macros_.count(FirstWord(directive)) > 0;
    conditions_.push_back({parent && (name == "ifdef" ? defined : !defined), parent, false, directive.where});
    return;
  }
  if (conditions_.empty()) throw CompileError(directive.where, "#" + name + " without #ifdef or #ifndef");
  Condition& top = conditions_.back();
  if (name == "else") {
    if (top.seenElse) throw CompileError(directive.where, "a second #else");
    top.seenElse = true;
    top.active = top.parentActive && !top.active;
  } else {
    conditions_.pop_back();
  }
}

void Preprocessor::Emit(const Token& token, std::vector<std::string>& expanding) {
  if (token.kind != TokenKind::Identifier) {
    out_.push_back(token);
    return;
  }
  auto macro = macros_.find(token.text);
  bool recursive = std::find(expanding.begin(), expanding.end(), token.text) != expanding.end();
  if (macro == macros_.end() || recursive) {
    out_.push_back(token);
    return;
  }
  if (macro->second.functionLike)
    throw CompileError(token.where, "the macro " + token.text + " takes arguments, which scripts do not support");
  if (expanding.size() >= kMaxExpansionDepth)
    throw CompileError(token.where, "macro " + token.text + " expands too deeply");
  expanding.push_back(token.text);
  for (Token part : macro->second.body) {
    part.where = token.where;  // errors point at the use, where the reader looks
    part.fromMacro = true;
    Emit(part, expanding);
  }
  expanding.pop_back();
}

}  // namespace rc

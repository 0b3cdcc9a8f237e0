// The script's preprocessing: #include, #define, #ifdef/#ifndef/#else/#endif and macro expansion.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "compat/tools/rc/source.h"
#include "compat/tools/rc/sources.h"

namespace rc {

class Preprocessor {
 public:
  explicit Preprocessor(Sources& sources);

  // A command-line definition (-DNAME or -DNAME=value).
  void Define(const std::string& name, const std::string& value);
  // The script's tokens with directives carried out and macros expanded.
  std::vector<Token> Run(const std::filesystem::path& script);

 private:
  struct Macro {
    std::vector<Token> body;
    bool functionLike = false;
    SourceLocation where;
  };
  struct Condition {
    bool active;        // this branch is being read
    bool parentActive;  // the enclosing text is being read
    bool seenElse;
    SourceLocation where;
  };

  void ProcessFile(const std::filesystem::path& path, const SourceLocation& from, int depth);
  void Directive(const Token& directive, bool headerMode, int depth);
  void Include(const Token& directive, int depth);
  void DefineDirective(const Token& directive);
  void Conditional(const Token& directive);
  void Emit(const Token& token, std::vector<std::string>& expanding);
  bool Active() const { return conditions_.empty() || conditions_.back().active; }

  Sources& sources_;
  std::map<std::string, Macro> macros_;
  std::vector<Condition> conditions_;
  std::vector<Token> out_;
};

}  // namespace rc

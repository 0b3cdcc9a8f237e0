// Source positions and errors of the resource compiler.
#include "compat/tools/rc/source.h"

#include <strings.h>

namespace rc {

std::string SourceLocation::ToString() const {
  std::string name = file ? *file : std::string("<command line>");
  return name + ":" + std::to_string(line) + ":" + std::to_string(column);
}

CompileError::CompileError(const SourceLocation& where, const std::string& message)
    : std::runtime_error(where.ToString() + ": error: " + message) {}

bool Token::IsKeyword(const char* word) const {
  return kind == TokenKind::Identifier && strcasecmp(text.c_str(), word) == 0;
}

}  // namespace rc

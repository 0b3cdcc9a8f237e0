// Splits one file's text into tokens; preprocessor lines become single Directive tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compat/tools/rc/source.h"

namespace rc {

// Lexes `text`; `start` gives the file and the position of its first character
// (a directive's body is lexed again from the middle of a line).
std::vector<Token> Lex(std::string_view text, const SourceLocation& start, bool directives = true);

}  // namespace rc

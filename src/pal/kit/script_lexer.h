// Tokens of a registry script. Tokens are separated by white space. One that
// starts with a quote runs to the closing quote ('' inside stands for one
// quote); any other runs to the next white space, and is a brace or an equals
// sign only when it is exactly "{", "}" or "=". So {GUID} is a name.
// Replacements are made inside each token after it is cut out, so a replaced
// value never changes the script's structure.
#pragma once

#include "pal/registrar.h"
#include "pal/wide_string.h"

#include <string>
#include <vector>

namespace pal::registrar {

enum class TokenKind { Word, Quoted, OpenBrace, CloseBrace, Equals };

struct Token {
    TokenKind kind;
    pal::WideString text; // after replacement; quotes removed
    std::size_t line;     // 1-based
};

struct ScriptError {
    std::size_t line = 0;
    std::string message;
};

// False with error filled when the script cannot be cut into tokens.
bool Tokenize(pal::WideView script, const ReplacementMap& replacements, std::vector<Token>& tokens, ScriptError& error);

} // namespace pal::registrar

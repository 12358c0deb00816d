// The first pass over a resource script: its preprocessor lines (#include,
// #define, #undef, #pragma code_page and once) and its tokens.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace brontar::rc {

enum class TokenKind { Identifier, Number, String, Punct, End };

// One token with the place it came from, for error messages.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // identifier, punctuation, or decoded string (UTF-8)
    uint32_t value = 0;  // numbers
    std::string where;  // "file:line"
};

// The tokens of script text with its defined names replaced, its included
// files (looked up relative to baseFolder) read in place. Throws ScriptError.
std::vector<Token> ReadTokens(const std::string& text, const std::string& fileName,
                              const std::filesystem::path& baseFolder);

}  // namespace brontar::rc

#include "tools/rc/script_lexer.h"

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "tools/rc/resource_script.h"
#include "tools/rc/script_names.h"

namespace brontar::rc {
namespace {

// The Windows resource headers: scripts include them for the Windows
// compilers, and this one already knows the names they define.
bool IsWindowsResourceHeader(const std::string& includeName) {
    const std::string name = ToUpper(includeName);
    return name == "<WINRESRC.H>" || name == "<WINRES.H>" || name == "<WINDOWS.H>";
}

// What the preprocessor lines of a script and its included files share.
struct PreprocessorState {
    std::map<std::string, std::vector<Token>> macros;
    std::set<std::filesystem::path> includeOnce;  // files that said #pragma once
};

// Turns script text into tokens, running the preprocessor lines (#include,
// #define, #undef, #pragma code_page and once) as it goes.
class Lexer {
public:
    // path: the file being read, when it is one (not for a macro body).
    Lexer(PreprocessorState& state, int depth, std::filesystem::path path = {})
        : state_(state), macros_(state.macros), depth_(depth), path_(std::move(path)) {}

    // Appends the tokens of text to out.
    void Run(const std::string& text, const std::string& fileName, const std::filesystem::path& baseFolder,
             std::vector<Token>& out) {
        text_ = text;
        file_ = fileName;
        base_ = baseFolder;
        pos_ = 0;
        line_ = 1;
        bool lineStart = true;
        while (true) {
            SkipBlanksAndComments(lineStart);
            if (pos_ >= text_.size()) break;
            if (lineStart && text_[pos_] == '#') {
                Directive(out);
                lineStart = true;
                continue;
            }
            lineStart = false;
            Token token = NextToken();
            Expand(token, out, 0);
        }
    }

private:
    [[noreturn]] void Fail(const std::string& message) const {
        throw ScriptError(file_ + ":" + std::to_string(line_) + ": " + message);
    }

    // Skips white space and comments; notes when a new line begins.
    void SkipBlanksAndComments(bool& lineStart) {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
                lineStart = true;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (text_.compare(pos_, 2, "//") == 0) {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (text_.compare(pos_, 2, "/*") == 0) {
                size_t end = text_.find("*/", pos_ + 2);
                if (end == std::string::npos) Fail("unterminated comment");
                for (size_t i = pos_; i < end; ++i)
                    if (text_[i] == '\n') ++line_;
                pos_ = end + 2;
            } else {
                return;
            }
        }
    }

    std::string RestOfLine() {
        size_t end = text_.find('\n', pos_);
        if (end == std::string::npos) end = text_.size();
        std::string rest = text_.substr(pos_, end - pos_);
        pos_ = end;
        size_t cut = rest.find("//");
        if (cut != std::string::npos) rest.resize(cut);
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back()))) rest.pop_back();
        return rest;
    }

    void Directive(std::vector<Token>& out) {
        ++pos_;
        std::string line = RestOfLine();
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "include") {
            std::string name;
            words >> name;
            if (name.size() < 2 || !((name.front() == '"' && name.back() == '"') || (name.front() == '<' && name.back() == '>')))
                Fail("#include needs a quoted file name");
            // The Windows resource headers define the names the compiler
            // already knows; scripts include them for the Windows compilers.
            if (!IsWindowsResourceHeader(name)) Include(base_ / name.substr(1, name.size() - 2), out);
        } else if (keyword == "define") {
            std::string name;
            words >> name;
            if (name.empty()) Fail("#define needs a name");
            std::string body;
            std::getline(words, body);
            std::vector<Token> tokens;
            Lexer inner(state_, depth_);
            inner.Run(body, file_ + ":" + std::to_string(line_), base_, tokens);
            macros_[name] = tokens;
        } else if (keyword == "undef") {
            std::string name;
            words >> name;
            macros_.erase(name);
        } else if (keyword == "pragma") {
            std::string rest;
            std::getline(words, rest);
            // A header shared with C++ code guards itself with #pragma once.
            std::string first;
            std::istringstream(rest) >> first;
            if (first == "once") {
                if (!path_.empty()) state_.includeOnce.insert(path_);
                return;
            }
            // Scripts are UTF-8 throughout; the only code page accepted is 65001.
            if (rest.find("code_page") == std::string::npos || rest.find("65001") == std::string::npos)
                Fail("unsupported #pragma (scripts are UTF-8: code_page(65001) or once)");
        } else {
            Fail("unsupported preprocessor directive #" + keyword);
        }
    }

    void Include(const std::filesystem::path& path, std::vector<Token>& out) {
        if (depth_ > 16) Fail("#include nested too deeply");
        std::error_code error;
        std::filesystem::path file = std::filesystem::weakly_canonical(path, error);
        if (error) file = path;
        if (state_.includeOnce.count(file) != 0) return;
        std::ifstream in(path, std::ios::binary);
        if (!in) Fail("cannot open included file " + path.string());
        std::stringstream buffer;
        buffer << in.rdbuf();
        Lexer inner(state_, depth_ + 1, file);
        inner.Run(buffer.str(), path.string(), path.parent_path(), out);
    }

    // Replaces a defined name by its body, recursively with a bound.
    void Expand(const Token& token, std::vector<Token>& out, int level) {
        if (token.kind == TokenKind::Identifier) {
            auto found = macros_.find(token.text);
            if (found != macros_.end()) {
                if (level > 32) Fail("macro " + token.text + " expands too deeply");
                for (const Token& inner : found->second) Expand(inner, out, level + 1);
                return;
            }
        }
        out.push_back(token);
    }

    Token NextToken() {
        Token token;
        token.where = file_ + ":" + std::to_string(line_);
        char c = text_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = pos_;
            while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) ++pos_;
            token.kind = TokenKind::Identifier;
            token.text = text_.substr(start, pos_ - start);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            token.kind = TokenKind::Number;
            token.value = ReadNumber();
        } else if (c == '"') {
            token.kind = TokenKind::String;
            token.text = ReadString();
        } else if (std::string_view(",|+-~(){}").find(c) != std::string_view::npos) {
            token.kind = TokenKind::Punct;
            token.text = std::string(1, c);
            ++pos_;
        } else {
            Fail(std::string("unexpected character '") + c + "'");
        }
        return token;
    }

    uint32_t ReadNumber() {
        uint64_t value = 0;
        int base = 10;
        if (text_.compare(pos_, 2, "0x") == 0 || text_.compare(pos_, 2, "0X") == 0) {
            base = 16;
            pos_ += 2;
        }
        size_t digits = 0;
        while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
            char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
            int digit = std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : d - 'a' + 10;
            if (digit >= base) break;
            value = value * base + digit;
            if (value > 0xFFFFFFFFull) Fail("number does not fit 32 bits");
            ++pos_;
            ++digits;
        }
        if (digits == 0) Fail("malformed number");
        if (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l')) ++pos_;
        return static_cast<uint32_t>(value);
    }

    // A quoted string: "" stands for one quote, and the C escapes \n \t \\ \" work.
    std::string ReadString() {
        std::string value;
        ++pos_;
        while (true) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated string");
            char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    value += '"';
                    ++pos_;
                    continue;
                }
                return value;
            }
            if (c == '\\' && pos_ < text_.size()) {
                char e = text_[pos_++];
                switch (e) {
                    case 'n': value += '\n'; break;
                    case 't': value += '\t'; break;
                    case '\\': value += '\\'; break;
                    case '"': value += '"'; break;
                    default: Fail(std::string("unknown escape \\") + e);
                }
                continue;
            }
            value += c;
        }
    }

    PreprocessorState& state_;
    std::map<std::string, std::vector<Token>>& macros_;
    int depth_;
    std::filesystem::path path_;
    std::string text_;
    std::string file_;
    std::filesystem::path base_;
    size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

std::vector<Token> ReadTokens(const std::string& text, const std::string& fileName,
                              const std::filesystem::path& baseFolder) {
    PreprocessorState state;
    std::vector<Token> tokens;
    Lexer(state, 0).Run(text, fileName, baseFolder, tokens);
    return tokens;
}

}  // namespace brontar::rc

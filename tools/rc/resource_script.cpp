#include "tools/rc/resource_script.h"

#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>

namespace brontar::rc {
namespace {

enum class TokenKind { Identifier, Number, String, Punct, End };

// One token with the place it came from, for error messages.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // identifier, punctuation, or decoded string (UTF-8)
    uint32_t value = 0;  // numbers
    std::string where;  // "file:line"
};

// Symbolic constants a script may use without defining them.
const std::map<std::string, uint32_t, std::less<>>& BuiltinConstants() {
    static const std::map<std::string, uint32_t, std::less<>> constants = {
        {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000},      {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},   {"WS_VISIBLE", 0x10000000},    {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000}, {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},     {"WS_DLGFRAME", 0x00400000},   {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},    {"WS_SYSMENU", 0x00080000},    {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},      {"WS_TABSTOP", 0x00010000},    {"WS_EX_CLIENTEDGE", 0x00000200},
        {"WS_EX_STATICEDGE", 0x00020000}, {"DS_3DLOOK", 0x0004},      {"DS_SETFONT", 0x0040},
        {"DS_MODALFRAME", 0x0080},     {"DS_CONTROL", 0x0400},        {"DS_CENTER", 0x0800},
        {"SS_LEFT", 0x0000},           {"SS_CENTER", 0x0001},         {"SS_RIGHT", 0x0002},
        {"SS_LEFTNOWORDWRAP", 0x000C}, {"SS_ETCHEDFRAME", 0x0012},    {"SS_NOPREFIX", 0x0080},
        {"SS_SUNKEN", 0x1000},         {"BS_PUSHBUTTON", 0x0000},     {"BS_DEFPUSHBUTTON", 0x0001},
        {"BS_CHECKBOX", 0x0002},       {"BS_AUTOCHECKBOX", 0x0003},   {"BS_RADIOBUTTON", 0x0004},
        {"BS_3STATE", 0x0005},         {"BS_AUTO3STATE", 0x0006},     {"BS_GROUPBOX", 0x0007},
        {"BS_AUTORADIOBUTTON", 0x0009}, {"BS_LEFTTEXT", 0x0020},      {"BS_MULTILINE", 0x2000},      {"CBS_SIMPLE", 0x0001},
        {"CBS_DROPDOWN", 0x0002},      {"CBS_DROPDOWNLIST", 0x0003},  {"CBS_SORT", 0x0100},
        {"CBS_HASSTRINGS", 0x0200},    {"TBS_HORZ", 0x0000},          {"TBS_AUTOTICKS", 0x0001},
        {"TBS_VERT", 0x0002},          {"TBS_TOP", 0x0004},           {"TBS_BOTTOM", 0x0000},
        {"TBS_BOTH", 0x0008},          {"TBS_NOTICKS", 0x0010},       {"LANG_NEUTRAL", 0x00},
        {"LANG_ENGLISH", 0x09},        {"LANG_JAPANESE", 0x11},       {"SUBLANG_NEUTRAL", 0x00},
        {"SUBLANG_DEFAULT", 0x01},     {"SUBLANG_ENGLISH_US", 0x01},  {"IDOK", 1},
        {"IDCANCEL", 2},               {"IDC_STATIC", 0xFFFFFFFF},    {"VS_FFI_FILEFLAGSMASK", 0x3F},
        {"VS_FF_DEBUG", 0x01},         {"VS_FF_PRERELEASE", 0x02},    {"VOS__WINDOWS32", 0x04},
        {"VOS_NT_WINDOWS32", 0x40004}, {"VFT_UNKNOWN", 0},            {"VFT_APP", 1},
        {"VFT_DLL", 2},                {"VFT2_UNKNOWN", 0},
    };
    return constants;
}

// Window class ordinals of the predefined control classes.
std::optional<uint16_t> PredefinedClassOrdinal(std::string_view name) {
    static const std::pair<std::string_view, uint16_t> classes[] = {
        {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85},
    };
    for (const auto& [className, ordinal] : classes) {
        if (name.size() != className.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(name[i])) != className[i]) same = false;
        if (same) return ordinal;
    }
    return std::nullopt;
}

std::string ToUpper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

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

// Bits a style expression sets and bits it clears (NOT X).
struct StyleBits {
    uint32_t set = 0;
    uint32_t cleared = 0;
    uint32_t Apply(uint32_t defaults) const { return (defaults | set) & ~cleared; }
};

// Recursive-descent parser over the token list.
class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) { tokens_.push_back(Token{}); }

    ResourceScript Parse() {
        ResourceScript script;
        while (Peek().kind != TokenKind::End) {
            if (IsWord("LANGUAGE")) {
                Take();
                uint32_t primary = Number();
                Expect(",");
                uint32_t sub = Number();
                language_ = static_cast<uint16_t>((sub << 10) | (primary & 0x3FF));
            } else if (IsWord("STRINGTABLE")) {
                Take();
                StringTable(script);
            } else {
                uint32_t id = Number();
                if (IsWord("DIALOG")) {
                    Take();
                    script.dialogs.push_back(Dialog(id));
                } else if (IsWord("VERSIONINFO")) {
                    Take();
                    script.versions.push_back(Version(id));
                } else {
                    Fail("expected DIALOG or VERSIONINFO after resource id "
                         "(only DIALOG, VERSIONINFO and STRINGTABLE resources are supported)");
                }
            }
        }
        return script;
    }

private:
    const Token& Peek() const { return tokens_[index_]; }
    Token Take() {
        const Token& token = tokens_[index_];
        if (token.kind != TokenKind::End) ++index_;
        return token;
    }
    [[noreturn]] void Fail(const std::string& message) const {
        const Token& token = Peek();
        throw ScriptError((token.where.empty() ? std::string("end of script") : token.where) + ": " + message);
    }
    bool IsWord(std::string_view word) const { return Peek().kind == TokenKind::Identifier && Peek().text == word; }
    bool IsPunct(std::string_view punct) const { return Peek().kind == TokenKind::Punct && Peek().text == punct; }
    void Expect(std::string_view punct) {
        if (!IsPunct(punct)) Fail("expected '" + std::string(punct) + "'");
        Take();
    }
    bool SkipComma() {
        if (!IsPunct(",")) return false;
        Take();
        return true;
    }
    void Begin() {
        if (IsWord("BEGIN") || IsPunct("{")) {
            Take();
            return;
        }
        Fail("expected BEGIN");
    }
    bool AtEnd() const { return IsWord("END") || IsPunct("}"); }

    // A number, a named constant, or a sum/or/negation of them.
    uint32_t Number() {
        uint32_t value = Term();
        while (IsPunct("|") || IsPunct("+")) {
            bool isOr = Take().text == "|";
            uint32_t rhs = Term();
            value = isOr ? (value | rhs) : (value + rhs);
        }
        return value;
    }

    uint32_t Term() {
        if (IsPunct("-")) {
            Take();
            return static_cast<uint32_t>(-static_cast<int64_t>(Term()));
        }
        if (IsPunct("~")) {
            Take();
            return ~Term();
        }
        if (IsPunct("(")) {
            Take();
            uint32_t value = Number();
            Expect(")");
            return value;
        }
        if (Peek().kind == TokenKind::Number) return Take().value;
        if (Peek().kind == TokenKind::Identifier) {
            auto found = BuiltinConstants().find(Peek().text);
            if (found == BuiltinConstants().end()) Fail("unknown name " + Peek().text);
            Take();
            return found->second;
        }
        Fail("expected a number");
    }

    // style := item { | item }, item := [NOT] term
    StyleBits Style() {
        StyleBits bits;
        while (true) {
            bool negate = false;
            if (IsWord("NOT")) {
                Take();
                negate = true;
            }
            uint32_t value = Term();
            (negate ? bits.cleared : bits.set) |= value;
            if (!IsPunct("|")) return bits;
            Take();
        }
    }

    std::string Text() {
        if (Peek().kind != TokenKind::String) Fail("expected a quoted string");
        return Take().text;
    }

    uint16_t Id16(uint32_t value) const {
        if (value > 0xFFFF && value < 0xFFFF8000) Fail("id does not fit 16 bits");
        return static_cast<uint16_t>(value);
    }

    int16_t Coordinate() {
        uint32_t value = Number();
        int32_t signedValue = static_cast<int32_t>(value);
        if (signedValue < -32768 || signedValue > 32767) Fail("coordinate out of range");
        return static_cast<int16_t>(signedValue);
    }

    void StringTable(ResourceScript& script) {
        while (!IsWord("BEGIN") && !IsPunct("{")) {  // memory options are ignored
            if (Peek().kind == TokenKind::End) Fail("STRINGTABLE without BEGIN");
            Take();
        }
        Begin();
        while (!AtEnd()) {
            if (Peek().kind == TokenKind::End) Fail("STRINGTABLE without END");
            StringEntry entry;
            entry.language = language_;
            entry.id = Id16(Number());
            SkipComma();
            entry.text = Text();
            script.strings.push_back(std::move(entry));
        }
        Take();
    }

    DialogTemplate Dialog(uint32_t id) {
        DialogTemplate dialog;
        dialog.language = language_;
        dialog.id = Id16(id);
        while (Peek().kind == TokenKind::Identifier && !IsWord("BEGIN") && Peek().text != "STYLE" &&
               Peek().text != "CAPTION" && Peek().text != "FONT" && Peek().text != "EXSTYLE")
            Take();  // memory options such as DISCARDABLE
        dialog.x = Coordinate();
        Expect(",");
        dialog.y = Coordinate();
        Expect(",");
        dialog.cx = Coordinate();
        Expect(",");
        dialog.cy = Coordinate();
        StyleBits style{0x80000000u | 0x10000000u | 0x00080000u, 0};  // WS_POPUP | WS_VISIBLE | WS_SYSMENU
        while (!IsWord("BEGIN") && !IsPunct("{")) {
            if (IsWord("STYLE")) {
                Take();
                style = Style();
            } else if (IsWord("EXSTYLE")) {
                Take();
                dialog.exStyle = Style().Apply(0);
            } else if (IsWord("CAPTION")) {
                Take();
                dialog.caption = Text();
            } else if (IsWord("FONT")) {
                Take();
                dialog.pointSize = Id16(Number());
                Expect(",");
                dialog.faceName = Text();
                dialog.hasFont = true;
            } else {
                Fail("unexpected " + Peek().text + " in a DIALOG header");
            }
        }
        dialog.style = style.Apply(0);
        if (dialog.hasFont) dialog.style |= 0x40;  // DS_SETFONT
        if (!dialog.caption.empty()) dialog.style |= 0x00C00000;  // WS_CAPTION
        Begin();
        while (!AtEnd()) {
            if (Peek().kind == TokenKind::End) Fail("DIALOG without END");
            dialog.items.push_back(Control());
        }
        Take();
        return dialog;
    }

    // Four numbers "a, b, c, d" as a version's most and least significant
    // double words.
    void FourPartVersion(uint32_t (&version)[2]) {
        uint32_t parts[4];
        for (int i = 0; i < 4; ++i) {
            if (i > 0) Expect(",");
            parts[i] = Number();
            if (parts[i] > 0xFFFF) Fail("version part does not fit 16 bits");
        }
        version[0] = parts[0] << 16 | parts[1];
        version[1] = parts[2] << 16 | parts[3];
    }

    VersionInfo Version(uint32_t id) {
        VersionInfo version;
        version.language = language_;
        version.id = Id16(id);
        while (!IsWord("BEGIN") && !IsPunct("{")) {
            if (Peek().kind != TokenKind::Identifier) Fail("expected a VERSIONINFO statement");
            const std::string statement = Take().text;
            if (statement == "FILEVERSION") FourPartVersion(version.fileVersion);
            else if (statement == "PRODUCTVERSION") FourPartVersion(version.productVersion);
            else if (statement == "FILEFLAGSMASK") version.fileFlagsMask = Number();
            else if (statement == "FILEFLAGS") version.fileFlags = Number();
            else if (statement == "FILEOS") version.fileOs = Number();
            else if (statement == "FILETYPE") version.fileType = Number();
            else if (statement == "FILESUBTYPE") version.fileSubtype = Number();
            else Fail("unknown VERSIONINFO statement " + statement);
        }
        version.blocks = VersionNodes();
        return version;
    }

    // BEGIN { BLOCK "key" BEGIN ... END | VALUE "key", "text" | VALUE "key", n {, n} } END
    std::vector<VersionNode> VersionNodes(int depth = 0) {
        if (depth > 8) Fail("VERSIONINFO blocks nested too deeply");
        Begin();
        std::vector<VersionNode> nodes;
        while (!AtEnd()) {
            if (Peek().kind == TokenKind::End) Fail("VERSIONINFO without END");
            VersionNode node;
            if (IsWord("BLOCK")) {
                Take();
                node.key = Text();
                node.isBlock = true;
                node.children = VersionNodes(depth + 1);
            } else if (IsWord("VALUE")) {
                Take();
                node.key = Text();
                Expect(",");
                if (Peek().kind == TokenKind::String) {
                    node.isText = true;
                    node.text = Text();
                } else {
                    do {
                        uint32_t word = Number();
                        if (word > 0xFFFF) Fail("VALUE number does not fit 16 bits");
                        node.words.push_back(static_cast<uint16_t>(word));
                    } while (SkipComma());
                }
            } else {
                Fail("expected BLOCK or VALUE");
            }
            nodes.push_back(std::move(node));
        }
        Take();
        return nodes;
    }

    void Rectangle(DialogItem& item) {
        item.x = Coordinate();
        Expect(",");
        item.y = Coordinate();
        Expect(",");
        item.cx = Coordinate();
        Expect(",");
        item.cy = Coordinate();
    }

    // Optional ", style [, exstyle]" after a control's rectangle.
    void OptionalStyles(DialogItem& item, uint32_t defaults) {
        StyleBits style;
        if (SkipComma()) {
            style = Style();
            if (SkipComma()) item.exStyle = Style().Apply(0);
        }
        item.style = style.Apply(defaults | 0x50000000u);  // WS_CHILD | WS_VISIBLE
    }

    static NameOrOrdinal Ordinal(uint16_t value) { return NameOrOrdinal{true, value, {}}; }
    static NameOrOrdinal Named(std::string text) { return NameOrOrdinal{false, 0, std::move(text)}; }

    DialogItem Control() {
        struct Kind {
            std::string_view keyword;
            uint16_t classOrdinal;
            uint32_t defaults;
            bool hasText;
        };
        static const Kind kinds[] = {
            {"LTEXT", 0x82, 0x00020000 | 0x0000, true},       {"RTEXT", 0x82, 0x00020000 | 0x0002, true},
            {"CTEXT", 0x82, 0x00020000 | 0x0001, true},       {"GROUPBOX", 0x80, 0x0007, true},
            {"PUSHBUTTON", 0x80, 0x00010000 | 0x0000, true},  {"DEFPUSHBUTTON", 0x80, 0x00010000 | 0x0001, true},
            {"CHECKBOX", 0x80, 0x00010000 | 0x0002, true},    {"AUTOCHECKBOX", 0x80, 0x00010000 | 0x0003, true},
            {"STATE3", 0x80, 0x00010000 | 0x0005, true},      {"AUTO3STATE", 0x80, 0x00010000 | 0x0006, true},
            {"COMBOBOX", 0x85, 0x00010000 | 0x0001, false},
        };
        DialogItem item;
        if (IsWord("CONTROL")) {
            Take();
            item.title = Named(Text());
            Expect(",");
            item.id = Id16(Number());
            Expect(",");
            if (Peek().kind == TokenKind::String || Peek().kind == TokenKind::Identifier) {
                std::string className = Take().text;
                auto ordinal = PredefinedClassOrdinal(className);
                // Windows' resource compilers store other class names in capitals.
                item.windowClass = ordinal ? Ordinal(*ordinal) : Named(ToUpper(className));
            } else {
                Fail("expected a window class");
            }
            Expect(",");
            item.style = Style().Apply(0x50000000u);
            Expect(",");
            Rectangle(item);
            if (SkipComma()) item.exStyle = Style().Apply(0);
            return item;
        }
        for (const Kind& kind : kinds) {
            if (!IsWord(kind.keyword)) continue;
            Take();
            item.windowClass = Ordinal(kind.classOrdinal);
            if (kind.hasText) {
                item.title = Named(Text());
                Expect(",");
            }
            item.id = Id16(Number());
            Expect(",");
            Rectangle(item);
            OptionalStyles(item, kind.defaults);
            return item;
        }
        Fail("unknown control statement " + Peek().text);
    }

    std::vector<Token> tokens_;
    size_t index_ = 0;
    uint16_t language_ = 0x0409;  // English (United States) until a LANGUAGE statement
};

}  // namespace

ResourceScript ParseResourceText(const std::string& text, const std::string& fileName,
                                 const std::filesystem::path& baseFolder) {
    PreprocessorState state;
    std::vector<Token> tokens;
    Lexer(state, 0).Run(text, fileName, baseFolder, tokens);
    return Parser(std::move(tokens)).Parse();
}

ResourceScript ParseResourceScript(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ScriptError("cannot open " + file.string());
    std::stringstream buffer;
    buffer << in.rdbuf();
    return ParseResourceText(buffer.str(), file.string(), file.parent_path());
}

}  // namespace brontar::rc

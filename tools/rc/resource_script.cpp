// The second pass over a resource script: its statements (LANGUAGE,
// STRINGTABLE, DIALOG, VERSIONINFO) over the tokens of the first.
#include "tools/rc/resource_script.h"

#include <fstream>
#include <sstream>
#include <string_view>

#include "tools/rc/script_lexer.h"
#include "tools/rc/script_names.h"

namespace brontar::rc {
namespace {

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
    return Parser(ReadTokens(text, fileName, baseFolder)).Parse();
}

ResourceScript ParseResourceScript(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ScriptError("cannot open " + file.string());
    std::stringstream buffer;
    buffer << in.rdbuf();
    return ParseResourceText(buffer.str(), file.string(), file.parent_path());
}

}  // namespace brontar::rc

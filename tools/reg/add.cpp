// brontar reg add: the data of /t and /d as Windows' reg stores it.
#include "tools/reg/operations.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iostream>

#include "machine/machine_folder.h"

namespace brontar::tools::reg {

namespace {

// A decimal or 0x hex number of at most max; no sign.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
    if (text.empty()) return 0;  // /d left out
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

// REG_QWORD's /d: a number as ParseNumber reads it, or a minus sign and one,
// stored in two's complement as Windows stores it (-1: eight bytes of ff).
std::optional<uint64_t> ParseQword(std::string_view text) {
    if (!text.starts_with('-')) return ParseNumber(text, UINT64_MAX);
    text.remove_prefix(1);
    if (text.empty() || text.starts_with('-')) return std::nullopt;
    const auto magnitude = ParseNumber(text, UINT64_MAX);
    if (!magnitude) return std::nullopt;
    return 0 - *magnitude;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Hex digits two to a byte; with an odd count the first digit is a byte of its own.
std::optional<mr::Bytes> ParseHexData(std::string_view text) {
    mr::Bytes bytes;
    size_t i = 0;
    if (text.size() % 2 != 0) {
        const int digit = HexDigitValue(text[i++]);
        if (digit < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(digit));
    }
    for (; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]), low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

mr::Bytes LittleEndian(uint64_t number, size_t size) {
    mr::Bytes bytes;
    for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(number >> (8 * i)));
    return bytes;
}

// The strings of /d split at the separator (one character, or \0 when none is
// given), each ended by a NUL, and the NUL that ends the list. An empty string
// inside the list cannot be stored; /d holding only the separator is one
// empty string, as Windows stores it (00 00).
std::optional<mr::Bytes> MultiStringData(const std::string& data, const std::optional<std::string>& separator) {
    const std::string split = separator.value_or("\\0");
    if (separator && separator->size() != 1) return std::nullopt;
    if (data == split) return mr::Bytes{0, 0};
    mr::Bytes bytes;
    size_t start = 0;
    while (start < data.size()) {
        const size_t end = std::min(data.find(split, start), data.size());
        if (end == start) return std::nullopt;
        bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                     data.begin() + static_cast<std::ptrdiff_t>(end));
        bytes.push_back(0);
        start = end + split.size();
    }
    bytes.push_back(0);
    return bytes;
}

// The type code and bytes of reg add's /t and /d.
std::pair<uint32_t, mr::Bytes> AddData(const Options& options) {
    const auto type = TypeCode(options.type.value_or("REG_SZ"));
    if (!type) throw SyntaxError{"add"};
    const std::string data = options.data.value_or("");
    if (options.separator && *type != mr::kTypeMultiString) throw SyntaxError{"add"};
    switch (*type) {
        case mr::kTypeString:
        case mr::kTypeExpandString:
            return {*type, mr::StringBytes(data)};
        case mr::kTypeNone: {  // the text in UTF-16LE with its terminator, as Windows stores it
            mr::Bytes wide;
            for (char c : mr::StringBytes(data)) wide.insert(wide.end(), {static_cast<uint8_t>(c), 0});
            return {mr::kTypeNone, std::move(wide)};
        }
        case mr::kTypeDword:
        case mr::kTypeDwordBigEndian: {  // both little-endian, as Windows' reg add stores them
            const auto number = ParseNumber(data, UINT32_MAX);
            if (!number) throw SyntaxError{"add"};
            return {*type, LittleEndian(*number, 4)};
        }
        case mr::kTypeQword: {
            const auto number = ParseQword(data);
            if (!number) throw SyntaxError{"add"};
            return {mr::kTypeQword, LittleEndian(*number, 8)};
        }
        case mr::kTypeBinary: {
            auto bytes = ParseHexData(data);
            if (!bytes) throw SyntaxError{"add"};
            return {mr::kTypeBinary, std::move(*bytes)};
        }
        default: {  // REG_MULTI_SZ
            auto bytes = MultiStringData(data, options.separator);
            if (!bytes) throw SyntaxError{"add"};
            return {mr::kTypeMultiString, std::move(*bytes)};
        }
    }
}

}  // namespace

int Add(const Options& options) {
    if (options.allValues) throw SyntaxError{"add"};
    const auto components = KeyComponents("add", options.positionals[0]);
    // Without /v or /ve, add sets the default value.
    const std::string name = options.valueName.value_or("");
    if (IsRootAlone(options.positionals[0])) throw SyntaxError{"add", kInvalidKey};
    if (!mr::IsStorableValueName(name)) throw SyntaxError{"add"};
    const auto [type, data] = AddData(options);
    const auto folder = machine::EnsureMachineFolder();
    if (!options.force) {
        const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
        const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
        if (key != nullptr && key->FindValue(name) != nullptr &&
            !Confirm("Value " + ShownName(name) + " exists, overwrite")) {
            std::cout << kCanceled << '\n';
            return 1;
        }
    }
    // clang 14 cannot capture structured bindings: the lambda takes them by name.
    mr::EditRegistry(folder, [&, &type = type, &data = data](mr::RegistryTree& tree) {
        tree.CreateKey(components).SetValue(name, type, data);
    });
    std::cout << kCompleted << '\n';
    return 0;
}

}  // namespace brontar::tools::reg

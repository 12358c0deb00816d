// 16-bit libraries the machine provides in place of the product's own, for
// the platform's flat thunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace brontar::machine {

// Host memory behind a 16:16 pointer that the 32-bit side mapped, with room
// for count bytes; null when the pointer is not mapped or the room is not there.
using FarPointerResolver = std::function<void*(uint32_t segptr, size_t count)>;

// One exported far procedure: takes its 16-bit argument words in push order
// and answers DX:AX.
struct Export16 {
    std::string_view name;
    size_t argumentWords;
    uint32_t (*call)(std::span<const uint16_t> arguments, const FarPointerResolver& resolve);
};

struct Module16 {
    std::string_view fileName;  // lower case, as the file is installed
    std::span<const Export16> exports;
};

// The library behind an installed file name (matched without regard to case), or null.
const Module16* FindModule16(std::string_view fileName);

}  // namespace brontar::machine

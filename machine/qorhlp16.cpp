#include "machine/qorhlp16.h"

#include <charconv>
#include <cstring>
#include <string>

#include "machine/default_machine.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"

namespace brontar::machine {

namespace {

// GETMONITORPATH16(LPSTR lpBuffer, WORD cbBuffer): copies the device key path
// of the attached monitor (below HKEY_LOCAL_MACHINE) with its terminator and
// answers 1; answers 0 and writes nothing when no monitor is identified or the
// path does not fit in cbBuffer bytes.
uint32_t GetMonitorPath16(std::span<const uint16_t> arguments, const FarPointerResolver& resolve) {
    const uint32_t segptr = (uint32_t{arguments[0]} << 16) | arguments[1];
    const uint16_t size = arguments[2];
    const std::string path = CurrentMachineIni().GetOr("monitor", "devicekey", kDefaultMonitorDeviceKey);
    if (path.empty() || path.size() + 1 > size) return 0;
    char* buffer = static_cast<char*>(resolve(segptr, path.size() + 1));
    if (buffer == nullptr) return 0;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return 1;
}

// IsBrontrInstalled16(): 1 recorded present, 0xFFFF (-1) recorded absent, 0
// nothing recorded, as a 16-bit number.
uint32_t IsBrontrInstalled16(std::span<const uint16_t>, const FarPointerResolver&) {
    return static_cast<uint16_t>(ReadBoardRecord(EnsureMachineFolder()));
}

// SetBrontarInstalled16(WORD flag): records the board as present (non-zero)
// or absent (0); answers 1 when recorded.
uint32_t SetBrontarInstalled16(std::span<const uint16_t> arguments, const FarPointerResolver&) {
    WriteBoardRecord(EnsureMachineFolder(), arguments[0] != 0);
    return 1;
}

constexpr Export16 kExports[] = {
    {"GETMONITORPATH16", 3, GetMonitorPath16},
    {"IsBrontrInstalled16", 0, IsBrontrInstalled16},
    {"SetBrontarInstalled16", 1, SetBrontarInstalled16},
};

constexpr Module16 kModule{"qorhlp16.dll", kExports};

}  // namespace

const Module16& Qorhlp16Module() { return kModule; }

std::filesystem::path BoardRecordPath(const std::filesystem::path& machineFolder) {
    return machineFolder / "qorhlp16.dat";
}

int ReadBoardRecord(const std::filesystem::path& machineFolder) {
    const std::string text = ReadWholeFile(BoardRecordPath(machineFolder)).value_or(std::string());
    int answer = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, answer);
    // One 16-bit number, optionally followed by a line end; anything else is no record.
    if (error != std::errc() || answer < INT16_MIN || answer > INT16_MAX) return 0;
    if (stop != end && std::string_view(stop, end - stop) != "\n") return 0;
    return answer;
}

void WriteBoardRecord(const std::filesystem::path& machineFolder, bool present) {
    WriteFileAtomically(BoardRecordPath(machineFolder), present ? "1\n" : "-1\n");
}

}  // namespace brontar::machine

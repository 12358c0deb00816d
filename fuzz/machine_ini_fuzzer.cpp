// machine.ini on any text: parsing never fails, every entry it lists is
// found again under its section and key, and a value read as a GUID has one
// of the GUID's two lengths.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "machine/guid_text.h"
#include "machine/machine_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using brontar::machine::MachineIni;
    const MachineIni ini = MachineIni::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const char* section : {"windows", "monitor", "hgi1init", "ddraw", "board", "display"}) {
        for (const auto& [key, value] : ini.Entries(section)) {
            if (!ini.Get(section, key).has_value()) std::abort();
            if (brontar::machine::ParseGuid(value) && value.size() != 36 && value.size() != 38) std::abort();
        }
        ini.GetBool(section, "present", false);
    }
    return 0;
}

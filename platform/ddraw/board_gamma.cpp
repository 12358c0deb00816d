#include "platform/ddraw/board_gamma.h"

#include <windows.h>

#include <cmath>
#include <cstring>

namespace brontar::platform {

namespace {

constexpr char kSettingsKey[] = "Software\\Corvane Interactive\\Halcyon Graphics";
constexpr float kDefaultGamma = 1.7f;

float ReadGammaValue(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD bits = 0;
    DWORD size = sizeof(bits);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&bits), &size) != ERROR_SUCCESS)
        return kDefaultGamma;
    if (type != REG_DWORD || size != sizeof(bits)) return kDefaultGamma;
    float value = 0;
    std::memcpy(&value, &bits, sizeof(value));
    return std::isfinite(value) && value > 0 ? value : kDefaultGamma;
}

}  // namespace

machine::DisplayGamma ReadBoardGamma() {
    machine::DisplayGamma gamma{kDefaultGamma, kDefaultGamma, kDefaultGamma};
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key) != ERROR_SUCCESS) return gamma;
    gamma.red = ReadGammaValue(key, "HGI_GAMMAR");
    gamma.green = ReadGammaValue(key, "HGI_GAMMAG");
    gamma.blue = ReadGammaValue(key, "HGI_GAMMAB");
    RegCloseKey(key);
    return gamma;
}

}  // namespace brontar::platform

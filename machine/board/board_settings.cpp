#include "machine/board/board_settings.h"

#include <cmath>
#include <cstring>

namespace brontar::machine {

namespace {

constexpr float kDefaultGamma = 1.7f;

float GammaValue(const DwordSettingReader& read, const char* name) {
    const std::optional<uint32_t> bits = read(kBoardSettingsKey, name);
    if (!bits) return kDefaultGamma;
    float value = 0;
    std::memcpy(&value, &*bits, sizeof(value));
    return std::isfinite(value) && value > 0 ? value : kDefaultGamma;
}

}  // namespace

DisplayGamma ReadBoardGamma(const DwordSettingReader& read) {
    return {GammaValue(read, "HGI_GAMMAR"), GammaValue(read, "HGI_GAMMAG"), GammaValue(read, "HGI_GAMMAB")};
}

}  // namespace brontar::machine

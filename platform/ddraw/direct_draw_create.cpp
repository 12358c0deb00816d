// DirectDrawEnumerateA and DirectDrawCreate: the drivers of the machine and
// the DirectDraw object on one of them.
#include <ddraw.h>

#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "machine/board/board_settings.h"
#include "machine/board/display_drivers.h"
#include "machine/faults.h"
#include "platform/ddraw/direct_draw.h"
#include "platform/ddraw/driver_settings.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

// The drivers machine.ini describes; each problem in the description is
// reported once per process.
std::vector<machine::DisplayDriverInfo> InstalledDrivers() {
    machine::DisplayDriverList list = machine::ReadDisplayDrivers(machine::CurrentMachineIni());
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard lock(mutex);
    for (const std::string& problem : list.problems)
        if (reported.insert(problem).second) WriteDiagnostic("machine.ini " + problem);
    return std::move(list.drivers);
}

GUID ToGuid(const machine::DriverIdentity& identity) {
    GUID guid;
    static_assert(sizeof(guid) == sizeof(identity));
    std::memcpy(&guid, identity.data(), sizeof(guid));
    return guid;
}

// The driver a DirectDrawCreate identity names: no identity is the first
// driver without one (the primary display driver).
const machine::DisplayDriverInfo* FindDriver(const std::vector<machine::DisplayDriverInfo>& drivers,
                                             const GUID* identity) {
    for (const machine::DisplayDriverInfo& driver : drivers) {
        if (identity == nullptr ? !driver.identity
                                : driver.identity && std::memcmp(driver.identity->data(), identity, sizeof(GUID)) == 0)
            return &driver;
    }
    return nullptr;
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA lpCallback, LPVOID lpContext) {
    if (lpCallback == nullptr) return DDERR_INVALIDPARAMS;
    if (brontar::machine::FaultRequested("DirectDrawEnumerate")) return DDERR_GENERIC;
    for (const brontar::machine::DisplayDriverInfo& driver : InstalledDrivers()) {
        // The callback gets writable copies; what it does to them stays here.
        std::string description = driver.description;
        std::string name = driver.name;
        GUID identity = driver.identity ? ToGuid(*driver.identity) : GUID_NULL;
        if (!lpCallback(driver.identity ? &identity : nullptr, description.data(), name.data(), lpContext)) break;
    }
    return DD_OK;
}

extern "C" HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter) {
    if (lplpDD == nullptr) return DDERR_INVALIDPARAMS;
    *lplpDD = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (brontar::machine::FaultRequested("DirectDrawCreate")) return DDERR_GENERIC;
    const std::vector<brontar::machine::DisplayDriverInfo> drivers = InstalledDrivers();
    const brontar::machine::DisplayDriverInfo* driver = FindDriver(drivers, lpGUID);
    if (driver == nullptr) return lpGUID == nullptr ? DDERR_NODIRECTDRAWSUPPORT : DDERR_INVALIDDIRECTDRAWGUID;
    *lplpDD = new DirectDraw(brontar::machine::OpenDisplayBoard(*driver),
                             brontar::machine::ReadBoardGamma(ReadDriverDword));
    return DD_OK;
}

// DirectDrawEnumerateA and DirectDrawCreate: the installed display drivers
// and the DirectDraw object on one of them.
#include <ddraw.h>

#include <string>

#include "machine/board/driver.h"
#include "machine/faults.h"
#include "platform/ddraw/direct_draw.h"
#include "platform/ddraw/driver_host.h"
#include "platform/kernel/debug_notes.h"

namespace brontar::platform {

namespace {

// The installed drivers; each problem in their description is reported once
// per process.
std::vector<machine::InstalledDriver> InstalledDrivers() {
    machine::InstalledDriverList list = machine::ListDisplayDrivers();
    for (const std::string& problem : list.problems) WriteDiagnosticOnce(problem, "machine.ini " + problem);
    return std::move(list.drivers);
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA lpCallback, LPVOID lpContext) {
    if (lpCallback == nullptr) return DDERR_INVALIDPARAMS;
    if (brontar::machine::FaultRequested("DirectDrawEnumerate")) return DDERR_GENERIC;
    for (const brontar::machine::InstalledDriver& driver : InstalledDrivers()) {
        // The callback gets writable copies; what it does to them stays here.
        std::string description = driver.description;
        std::string name = driver.name;
        GUID identity = driver.identity ? ToGuid(*driver.identity) : GUID_NULL;
        if (!lpCallback(driver.identity ? &identity : nullptr, description.data(), name.data(), lpContext)) break;
    }
    return DD_OK;
}

// No identity is the first driver without one (the primary display driver).
extern "C" HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter) {
    if (lplpDD == nullptr) return DDERR_INVALIDPARAMS;
    *lplpDD = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (brontar::machine::FaultRequested("DirectDrawCreate")) return DDERR_GENERIC;
    InstalledDrivers();  // reports what of the description could not be used
    std::optional<brontar::machine::DriverIdentity> identity;
    if (lpGUID != nullptr) identity = ToDriverIdentity(*lpGUID);
    std::shared_ptr<brontar::machine::DisplayDriver> driver = brontar::machine::OpenDisplayDriver(identity);
    if (driver == nullptr) return lpGUID == nullptr ? DDERR_NODIRECTDRAWSUPPORT : DDERR_INVALIDDIRECTDRAWGUID;
    const brontar::machine::DisplayGamma gamma = driver->ReadGamma(ReadDriverDword);
    *lplpDD = new DirectDraw(std::move(driver), gamma);
    return DD_OK;
}

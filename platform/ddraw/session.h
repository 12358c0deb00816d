// What a DirectDraw object shares with the surfaces it made: the display
// driver's device and the gamma read when the object was created. Surfaces
// keep it alive, so they stay safe to use after the DirectDraw object is gone.
#pragma once

#include <memory>

#include "machine/board/driver.h"

namespace brontar::platform {

struct DirectDrawSession {
    std::shared_ptr<machine::DisplayDriver> driver;
    machine::DisplayGamma gamma;
    const void* owner = nullptr;  // the DirectDraw object, for the exclusive-mode check
    bool cooperativeLevelSet = false;
    bool primaryExists = false;   // one primary surface per DirectDraw object

    bool HoldsExclusive() const { return owner != nullptr && driver->ExclusiveOwner() == owner; }
    void RestoreDesktopMode() { driver->SetMode(driver->DesktopMode()); }
};

}  // namespace brontar::platform

#include "platform/ddraw/direct3d_bridge.h"

#include "platform/ddraw/surface.h"

namespace brontar::platform {

bool GetSurfaceMemory(IDirectDrawSurface* surface, SurfaceMemory* out) {
    auto* ours = dynamic_cast<DirectDrawSurface*>(surface);
    if (ours == nullptr || out == nullptr) return false;
    return ours->Describe(out);
}

Direct3DBridge& GetDirect3DBridge() {
    static Direct3DBridge bridge;
    return bridge;
}

}  // namespace brontar::platform

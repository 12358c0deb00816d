// IDirectDraw::CreateSurface: the checks on a surface description and the
// making of primary surfaces, flipping chains, off-screen and texture
// surfaces in video or system memory.
#pragma once

#include <ddraw.h>

#include <memory>

#include "platform/ddraw/session.h"

namespace brontar::platform {

// Surfaces wider or higher than this are refused.
constexpr DWORD kMaxSurfaceDimension = 4096;
// A flipping chain holds at most this many back buffers.
constexpr DWORD kMaxBackBuffers = 3;

HRESULT CreateSurfaceFromDescription(const std::shared_ptr<DirectDrawSession>& session,
                                     const DDSURFACEDESC& description, IDirectDrawSurface** out);

}  // namespace brontar::platform

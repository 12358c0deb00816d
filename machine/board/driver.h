// The display driver interface: everything the platform's DirectDraw and
// Direct3D runtimes ask of a display device, as a vendor's display driver
// sits below those runtimes on Windows. The machine's drivers (the board's
// and the primary display's, both described by machine.ini) implement it in
// machine/board/; the runtimes name no product, settings key or value, and
// learn every fact about the hardware from here. Capabilities are given in
// the board's own terms; the runtimes map them to their flags.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/board/display_mode.h"
#include "machine/board/drawing_types.h"
#include "machine/display/presentation.h"
#include "machine/guid_text.h"

namespace brontar::machine {

// ---------------------------------------------------------------- what is installed

// A driver or device identity: the 16 bytes of a GUID as it lies in memory.
using DriverIdentity = GuidBytes;

// One installed display driver, in the order the runtime lists them.
struct InstalledDriver {
    std::string name;
    std::string description;
    std::optional<DriverIdentity> identity;  // none: the primary display driver
};

struct InstalledDriverList {
    std::vector<InstalledDriver> drivers;
    std::vector<std::string> problems;  // what of the description could not be used, for diagnostics
};

// The installed display drivers, read afresh on every call.
InstalledDriverList ListDisplayDrivers();

// What a triangle drawn by a 3D device can have.
struct TriangleCaps {
    bool cullNone = false;
    bool cullClockwise = false;
    bool cullCounterClockwise = false;
    bool dither = false;
    bool subpixelAccuracy = false;
    bool flatShading = false;
    bool gouraudShading = false;
    bool perspectiveTextures = false;
    bool colorKeyedTextures = false;  // texels equal to the texture's source key are not drawn
    bool nearestFilter = false;
    bool bilinearFilter = false;
    bool decalTextures = false;
    bool wrapAddressing = false;
    bool clampAddressing = false;
};

// What a 3D device does, and the limits of its input.
struct Device3DCaps {
    TriangleCaps triangles;
    bool floatingPointVertices = false;    // transformed and lit vertices with float coordinates
    bool executeBuffersInSystemMemory = false;
    bool verticesInSystemMemory = false;
    bool texturesInSystemMemory = false;
    bool texturesInVideoMemory = false;
    bool clipsTriangles = false;      // draws triangles reaching past the viewport
    int renderBitDepth = 0;           // bits per pixel of the surfaces it draws into
    int depthBufferBitDepth = 0;      // 0: no depth buffer
    uint32_t maxExecuteBufferBytes = 0;
    uint32_t maxVertexCount = 0;      // vertices one execute may index
};

struct Direct3DDeviceEntry {
    std::string name;
    std::string description;
    std::optional<DriverIdentity> identity;  // none: the runtime's HAL device identity
    Device3DCaps caps;
};

struct Direct3DDeviceList {
    std::vector<Direct3DDeviceEntry> devices;  // in the listed order
    std::vector<std::string> problems;         // devices left out and why, for diagnostics
};

// The 3D devices the drivers offer, read afresh on every call.
Direct3DDeviceList ListDirect3DDevices();

// ---------------------------------------------------------------- one device

enum class VideoHeap {
    FrameBuffer,  // displayed surfaces, back buffers, off-screen surfaces
    Texture,      // texture surfaces
};

// What the driver's blitter does on video memory.
struct BlitCaps {
    bool copies = false;
    bool colorFills = false;
    bool sourceColorKeys = false;
    bool destinationColorKeys = false;
    bool fromSystemMemory = false;  // copies from system memory surfaces
};

struct DriverCaps {
    BlitCaps blits;
    bool draws3D = false;  // has 3D devices: texture and render target surfaces
    uint32_t totalVideoMemory = 0;
    uint32_t freeVideoMemory = 0;
};

// Reads a REG_DWORD value of a key below HKEY_LOCAL_MACHINE as the process
// sees the registry: nothing when the key or the value is absent or the
// value is not a four-byte REG_DWORD. The runtime hosting the driver gives it.
using DwordSettingReader = std::function<std::optional<uint32_t>(const char* key, const char* value)>;

// One display device, shared by every runtime object of the process that
// uses it: its mode, who holds it exclusively, its video memory, whether
// its surfaces were lost, and its blitter, rasteriser and presentation.
class DisplayDriver {
public:
    virtual ~DisplayDriver() = default;

    // Modes, in the order the runtime lists them, and the desktop's mode,
    // which the device runs while no program has set one.
    virtual const std::vector<DisplayMode>& Modes() const = 0;
    virtual DisplayMode DesktopMode() const = 0;
    virtual DisplayMode CurrentMode() const = 0;
    virtual bool SupportsMode(const DisplayMode& mode) const = 0;
    // Switches the mode; a real change loses every frame buffer surface.
    virtual void SetMode(const DisplayMode& mode) = 0;

    // The runtime object holding the device exclusively (null: nobody).
    virtual const void* ExclusiveOwner() const = 0;
    virtual void TakeExclusive(const void* owner) = 0;
    // The owner gives the device up; the monitor stops showing its frames.
    virtual void LeaveExclusive() = 0;

    virtual DriverCaps Caps() const = 0;

    // Null when the heap has no free block that large.
    virtual uint8_t* AllocateVideoMemory(VideoHeap heap, uint32_t bytes) = 0;
    virtual void FreeVideoMemory(VideoHeap heap, uint8_t* block) = 0;
    // Frame buffer surfaces remember the generation they were made or
    // restored in; one of an older generation has lost its memory. Texture
    // memory is never taken.
    virtual uint64_t SurfaceGeneration() const = 0;
    virtual void LoseSurfaces() = 0;

    // The gamma the driver gives presented frames, from its settings.
    virtual DisplayGamma ReadGamma(const DwordSettingReader& read) const = 0;
    // True when flips of this device reach the monitor.
    virtual bool ShowsFrames() const = 0;
    // Shows a flipped frame through the gamma, when the device shows frames.
    virtual void Present(const PixelBlock& frame, const DisplayGamma& gamma) = 0;

    // Drawing into surface memory: the rectangles must lie inside their
    // blocks (RectInside).
    virtual void Fill(const PixelBlock& target, const PixelRect& rect, uint16_t color) = 0;
    virtual void Copy(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& sourceRect,
                      KeyMode mode, ColorKeyRange key) = 0;
    // One triangle; false when it was culled, degenerate, off the target or
    // not made of finite numbers.
    virtual bool DrawTriangle(const PixelBlock& target, const RasterClip& clip, const RasterState& state,
                              const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) = 0;
};

// The device of the installed driver with this identity (none: the primary
// display driver), made on first use and shared while anything uses it;
// null when no such driver is installed.
std::shared_ptr<DisplayDriver> OpenDisplayDriver(const std::optional<DriverIdentity>& identity);

}  // namespace brontar::machine

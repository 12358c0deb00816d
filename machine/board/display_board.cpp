#include "machine/board/display_board.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "machine/board/blitter.h"
#include "machine/board/board_settings.h"
#include "machine/board/rasterizer.h"
#include "machine/plain_text.h"

namespace brontar::machine {

DisplayBoard::DisplayBoard(DisplayDriverInfo driver)
    : driver_(std::move(driver)),
      mode_(driver_.desktopMode),
      frameBuffer_(driver_.frameBufferBytes, PageUse::Whole),
      textures_(driver_.textureBytes, PageUse::Sparse) {}

bool DisplayBoard::SupportsMode(const DisplayMode& mode) const {
    return std::find(driver_.modes.begin(), driver_.modes.end(), mode) != driver_.modes.end() ||
           mode == driver_.desktopMode;
}

void DisplayBoard::SetMode(const DisplayMode& mode) {
    if (mode == mode_) return;
    mode_ = mode;
    LoseSurfaces();
}

void DisplayBoard::LeaveExclusive() {
    exclusiveOwner_ = nullptr;
    if (driver_.presents) CloseDisplay();
}

// Both drivers blit with the same engine; only the board's has the 3D side.
DriverCaps DisplayBoard::Caps() const {
    DriverCaps caps;
    caps.blits = {.copies = true,
                  .colorFills = true,
                  .sourceColorKeys = true,
                  .destinationColorKeys = true,
                  .fromSystemMemory = true};
    caps.draws3D = driver_.presents;
    caps.totalVideoMemory = frameBuffer_.TotalBytes() + textures_.TotalBytes();
    caps.freeVideoMemory = frameBuffer_.FreeBytes() + textures_.FreeBytes();
    return caps;
}

DisplayGamma DisplayBoard::ReadGamma(const DwordSettingReader& read) const { return ReadBoardGamma(read); }

void DisplayBoard::Present(const PixelBlock& frame, const DisplayGamma& gamma) {
    if (driver_.presents) PresentFrame(frame.pixels, frame.width, frame.height, frame.pitchBytes, gamma);
}

void DisplayBoard::Fill(const PixelBlock& target, const PixelRect& rect, uint16_t color) {
    FillPixels(target, rect, color);
}

void DisplayBoard::Copy(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& sourceRect,
                        KeyMode mode, ColorKeyRange key) {
    CopyPixels(target, x, y, source, sourceRect, mode, key);
}

bool DisplayBoard::DrawTriangle(const PixelBlock& target, const RasterClip& clip, const RasterState& state,
                                const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    return machine::DrawTriangle(target, clip, state, a, b, c);
}

std::shared_ptr<DisplayBoard> OpenDisplayBoard(const DisplayDriverInfo& driver) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<DisplayBoard>> boards;  // by lower-case section
    std::lock_guard lock(mutex);
    std::weak_ptr<DisplayBoard>& slot = boards[AsciiLower(driver.section)];
    std::shared_ptr<DisplayBoard> board = slot.lock();
    if (!board) {
        board = std::make_shared<DisplayBoard>(driver);
        slot = board;
    }
    return board;
}

InstalledDriverList ListDisplayDrivers() {
    DisplayDriverList read = ReadDisplayDrivers(CurrentMachineIni());
    InstalledDriverList list;
    for (const DisplayDriverInfo& driver : read.drivers)
        list.drivers.push_back({driver.name, driver.description, driver.identity});
    list.problems = std::move(read.problems);
    return list;
}

// No identity names the first driver without one (the primary display driver).
std::shared_ptr<DisplayDriver> OpenDisplayDriver(const std::optional<DriverIdentity>& identity) {
    for (const DisplayDriverInfo& driver : ReadDisplayDrivers(CurrentMachineIni()).drivers) {
        if (driver.identity == identity) return OpenDisplayBoard(driver);
    }
    return nullptr;
}

}  // namespace brontar::machine

#include "machine/board/display_board.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

namespace brontar::machine {

DisplayBoard::DisplayBoard(DisplayDriverInfo driver)
    : driver_(std::move(driver)),
      mode_(driver_.desktopMode),
      frameBuffer_(driver_.frameBufferBytes),
      textures_(driver_.textureBytes) {}

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

void DisplayBoard::Present(const PixelBlock& frame, const DisplayGamma& gamma) {
    if (driver_.presents) PresentFrame(frame.pixels, frame.width, frame.height, frame.pitchBytes, gamma);
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

}  // namespace brontar::machine

#include "platform/user/window_screenshot.h"

#include <algorithm>

#include "machine/display/gamma_table.h"
#include "machine/display/png_file.h"
#include "platform/automation.h"
#include "platform/user/window_pixels.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// Copies a window's pixels (those of its shown parts, when it names any)
// into the picture at its offset, clipped to the picture, then its children
// from the bottommost (last) to the topmost (first).
void DrawWindow(HWND handle, const machine::GammaTable& widen, POINT offset, machine::RgbPicture& picture) {
    SurfacePixels pixels;
    if (!IsWindowVisible(handle) || !GetWindowPixels(handle, &pixels)) return;
    std::vector<RECT> parts = WindowShownParts(handle);
    if (parts.empty()) parts.push_back(RECT{0, 0, pixels.width, pixels.height});
    for (const RECT& part : parts) {
        for (int y = std::max<int>(0, part.top); y < std::min<int>(pixels.height, part.bottom); ++y) {
            int targetY = offset.y + y;
            if (targetY < 0 || targetY >= picture.height) continue;
            for (int x = std::max<int>(0, part.left); x < std::min<int>(pixels.width, part.right); ++x) {
                int targetX = offset.x + x;
                if (targetX < 0 || targetX >= picture.width) continue;
                uint32_t rgb = widen[pixels.pixels[static_cast<size_t>(y) * pixels.width + x]];
                uint8_t* out = &picture.rgb[(static_cast<size_t>(targetY) * picture.width + targetX) * 3];
                out[0] = static_cast<uint8_t>(rgb >> 16);
                out[1] = static_cast<uint8_t>(rgb >> 8);
                out[2] = static_cast<uint8_t>(rgb);
            }
        }
    }
    // A child with WS_CLIPSIBLINGS never paints over its siblings, so it lies
    // beneath them all; the others lie in order, the first topmost.
    std::vector<HWND> children = LookUpWindow(handle)->children;
    for (bool clipped : {true, false}) {
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            const Window* window = LookUpWindow(*child);
            if (((window->style & WS_CLIPSIBLINGS) != 0) != clipped) continue;
            DrawWindow(*child, widen, POINT{offset.x + window->rect.left, offset.y + window->rect.top}, picture);
        }
    }
}

}  // namespace

std::optional<machine::RgbPicture> CaptureWindowPicture(HWND handle) {
    Window* window = LookUpWindow(handle);
    if (window == nullptr) return std::nullopt;
    machine::RgbPicture picture;
    RECT client = ClientRect(*window);
    picture.width = static_cast<int>(client.right);
    picture.height = static_cast<int>(client.bottom);
    picture.rgb.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);
    // The desktop shows windows without the board's gamma.
    static const machine::GammaTable widen(machine::DisplayGamma{1.0f, 1.0f, 1.0f});
    // Hidden top-level windows are pictured all the same: the caller asked for this one.
    DWORD style = window->style;
    window->style |= WS_VISIBLE;
    DrawWindow(handle, widen, POINT{0, 0}, picture);
    window->style = style;
    // The pop-ups it owns (a dropped list, a message box) lie on top, the newest topmost.
    if (window->parent == nullptr) {
        std::vector<HWND> popups = OwnedPopupsTopFirst(handle);
        for (auto popup = popups.rbegin(); popup != popups.rend(); ++popup) {
            const RECT& rect = LookUpWindow(*popup)->rect;
            DrawWindow(*popup, widen, POINT{rect.left - window->rect.left, rect.top - window->rect.top}, picture);
        }
    }
    return picture;
}

std::optional<std::filesystem::path> SaveWindowScreenshot(HWND handle) {
    static uint64_t screenshots = 0;
    std::optional<std::filesystem::path> folder = machine::CaptureFolder();
    if (!folder) return std::nullopt;
    std::optional<machine::RgbPicture> picture = CaptureWindowPicture(handle);
    if (!picture || picture->width == 0 || picture->height == 0) return std::nullopt;
    std::filesystem::path path = machine::CaptureFilePath(*folder, "window", ++screenshots);
    if (!machine::WritePngFile(path, *picture)) return std::nullopt;
    return path;
}

}  // namespace brontar::platform

#include "platform/user/desktop_windows.h"

#include "machine/display/display_window.h"
#include "platform/user/input_window.h"
#include "platform/user/window_screenshot.h"
#include "platform/user/window_store.h"

namespace brontar::platform {
namespace {

uint64_t KeyOf(HWND window) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window)); }

}  // namespace

void RefreshDesktopWindows() {
    static uint64_t shownGeneration = 0;
    if (ScreenGeneration() == shownGeneration) return;
    shownGeneration = ScreenGeneration();
    for (HWND handle : TopLevelWindows()) {
        Window* window = LookUpWindow(handle);
        if (window->owner != nullptr || ShowsThroughBoard(handle)) continue;
        if (!(window->style & WS_VISIBLE) || window->destroying) {
            machine::CloseDesktopWindow(KeyOf(handle));
            continue;
        }
        // The display is looked for only once there is something to show.
        if (!machine::DisplayWindowWanted()) return;
        if (std::optional<machine::RgbPicture> picture = CaptureWindowPicture(handle))
            machine::ShowDesktopWindow(KeyOf(handle), window->text, *picture);
    }
}

void CloseDesktopWindowOf(HWND window) { machine::CloseDesktopWindow(KeyOf(window)); }

}  // namespace brontar::platform

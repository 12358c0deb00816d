// A click on a check box to the picture that shows it toggled: the pointer's
// messages, the control's repaint and the desktop picture of the window, as
// a desktop window gets it. Baseline: the picture alone.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <commctrl.h>

#include "platform/user/user_input.h"
#include "platform/user/window_screenshot.h"

namespace {

struct Sheet {
    HWND root = nullptr;
    HWND box = nullptr;
    Sheet() {
        InitCommonControls();
        // A dialog-sized window with a check box, as on the settings page.
        root = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 361, 422, nullptr, nullptr, nullptr, nullptr);
        box = CreateWindowExA(0, "BUTTON", "Link", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 259, 230, 72, 17, root,
                              reinterpret_cast<HMENU>(1064), nullptr, nullptr);
        Pump();
    }
    static void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
};

Sheet& TheSheet() {
    static Sheet sheet;
    return sheet;
}

void BM_PictureAlone(benchmark::State& state) {
    Sheet& sheet = TheSheet();
    for (auto _ : state) benchmark::DoNotOptimize(brontar::platform::CaptureWindowPicture(sheet.root));
}
BENCHMARK(BM_PictureAlone)->Unit(benchmark::kMillisecond);

void BM_ClickToPicture(benchmark::State& state) {
    using namespace brontar::platform;
    Sheet& sheet = TheSheet();
    const POINT centre{259 + 36, 230 + 8};
    for (auto _ : state) {
        DeliverPointer(sheet.root, PointerAction::Press, MouseButton::Left, centre);
        DeliverPointer(sheet.root, PointerAction::Release, MouseButton::Left, centre);
        Sheet::Pump();
        benchmark::DoNotOptimize(CaptureWindowPicture(sheet.root));
    }
}
BENCHMARK(BM_ClickToPicture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

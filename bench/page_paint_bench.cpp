// A full repaint of the settings page: the dialog's background and every
// control of template 113 (group boxes, drop-down lists, push buttons,
// check boxes, statics, trackbars), each through its own WM_PAINT, against a
// baseline that only fills the page's area with the face colour.
#include <benchmark/benchmark.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

namespace {

constexpr int kPageTemplate = 113;

INT_PTR CALLBACK PlainPage(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The page as a user sees it: texts, lists with a selection, sliders placed.
struct Page {
    HWND sheet = nullptr;
    HWND dialog = nullptr;

    Page() {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        InitCommonControls();
        HINSTANCE self = GetModuleHandleA(nullptr);
        // The page is a child dialog: a plain dialog stands for the sheet.
        sheet = CreateWindowExA(0, "#32770", "Display Properties", WS_POPUP | WS_VISIBLE, 0, 0, 400, 440, nullptr,
                                nullptr, self, nullptr);
        dialog = CreateDialogParamA(self, MAKEINTRESOURCEA(kPageTemplate), sheet, PlainPage, 0);
        if (dialog == nullptr) std::abort();
        EnableWindow(dialog, TRUE);
        ShowWindow(dialog, SW_SHOW);
        // The page's strings into its controls, as the page sets them.
        const int texts[][2] = {{1048, 2},  {1051, 3},  {1052, 4},  {1053, 5},  {1054, 6},  {1026, 7},
                                {1027, 8},  {1064, 19}, {1050, 9},  {1030, 7},  {1025, 31}, {1049, 10},
                                {1066, 22}, {1067, 23}, {1068, 20}};
        for (const auto& [id, string] : texts) {
            char text[256];
            if (LoadStringA(self, static_cast<UINT>(string), text, sizeof text) > 0) SetDlgItemTextA(dialog, id, text);
        }
        for (const char* item : {"512 x 384", "640 x 400", "640 x 480", "800 x 600"})
            SendDlgItemMessageA(dialog, 1036, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        for (const char* item : {"60 Hz", "75 Hz", "85 Hz"})
            SendDlgItemMessageA(dialog, 1012, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendDlgItemMessageA(dialog, 1036, CB_SETCURSEL, 3, 0);
        SendDlgItemMessageA(dialog, 1012, CB_SETCURSEL, 1, 0);
        for (int id : {1061, 1062, 1063}) {
            SendDlgItemMessageA(dialog, id, TBM_SETRANGE, FALSE, MAKELPARAM(25, 200));
            SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, 170);
        }
        SendDlgItemMessageA(dialog, 1056, TBM_SETRANGE, FALSE, MAKELPARAM(0, 1));
        SendDlgItemMessageA(dialog, 1064, BM_SETCHECK, BST_CHECKED, 0);
        SendDlgItemMessageA(dialog, 1030, WM_SETFOCUS, 0, 0);
        RepaintAll();
    }
    ~Page() { DestroyWindow(sheet); }

    // Invalidates the page and its controls and paints each of them now.
    void RepaintAll() const {
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            UpdateWindow(child);
    }
};

// Baseline: one face-coloured fill of the page's client area.
void BM_FillPageArea(benchmark::State& state) {
    Page page;
    RECT client;
    GetClientRect(page.dialog, &client);
    for (auto _ : state) {
        HDC dc = GetDC(page.dialog);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        ReleaseDC(page.dialog, dc);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillPageArea)->Unit(benchmark::kMicrosecond);

void BM_RepaintWholePage(benchmark::State& state) {
    Page page;
    for (auto _ : state) {
        page.RepaintAll();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RepaintWholePage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

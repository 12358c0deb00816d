// platform/automation.h with the real Win32 calls, so the panel's script and
// dump (host/) run unchanged against a real property sheet: the actions are
// the messages a user's mouse makes a control send, message boxes are
// answered by pressing their buttons, and the sheet's driver runs from a
// thread timer whenever the thread's queue has nothing else waiting.
#include "windows/panel_host/user_stand_in.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <utility>

#include "platform/automation.h"
#include "windows/import_slots.h"

namespace brontar::platform {
namespace {

constexpr UINT kTickMilliseconds = 20;

PropertySheetDriver sheetDriver;
HWND finishedSheet = nullptr;  // the sheet whose driver had nothing more to do
bool stepping = false;         // the driver's step is running (a message box's loop ticks inside it)
std::deque<int> queuedAnswers;
HWND answeredBox = nullptr;
DrawnTextObserver drawnTextObserver;
using DrawTextExEntry = int(WINAPI*)(HDC, LPSTR, int, LPRECT, UINT, LPDRAWTEXTPARAMS);
DrawTextExEntry realDrawTextEx = nullptr;
int screenshotCount = 0;

bool HasClass(HWND window, const char* name) {
    char className[64];
    return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

// The dialog windows of this thread: the sheet (it holds the tab control)
// and the message boxes.
struct ThreadDialogs {
    HWND sheet = nullptr;
    HWND box = nullptr;
};

BOOL CALLBACK NoteDialog(HWND window, LPARAM lParam) {
    auto* found = reinterpret_cast<ThreadDialogs*>(lParam);
    if (!IsWindowVisible(window) || !HasClass(window, "#32770")) return TRUE;
    if (GetDlgItem(window, kTabControlId) != nullptr) {
        found->sheet = window;
    } else if (IsWindowEnabled(window)) {
        found->box = window;  // the box on top is the enabled one
    }
    return TRUE;
}

int DefaultButtonOf(HWND box) {
    const LRESULT defaultId = SendMessageA(box, DM_GETDEFID, 0, 0);
    return HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
}

// A box takes the next queued answer when it has that button, else its
// default button, as a user pressing Enter would.
void AnswerBox(HWND box) {
    if (box == answeredBox && IsWindow(box)) return;
    answeredBox = box;
    int answer = DefaultButtonOf(box);
    if (!queuedAnswers.empty()) {
        if (GetDlgItem(box, queuedAnswers.front()) != nullptr) answer = queuedAnswers.front();
        queuedAnswers.pop_front();
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

// Waiting input, posted or sent messages, or painting: the queue is not idle.
bool QueueIdle() {
    return (HIWORD(GetQueueStatus(QS_ALLINPUT)) & (QS_ALLINPUT & ~QS_TIMER)) == 0;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ThreadDialogs dialogs;
    EnumThreadWindows(GetCurrentThreadId(), NoteDialog, reinterpret_cast<LPARAM>(&dialogs));
    if (dialogs.box != nullptr) {
        AnswerBox(dialogs.box);
        return;
    }
    HWND sheet = dialogs.sheet;
    if (stepping || !sheetDriver || sheet == nullptr || sheet == finishedSheet || !IsWindowEnabled(sheet) ||
        !QueueIdle())
        return;
    stepping = true;
    const bool more = sheetDriver(sheet);
    stepping = false;
    if (!more) {
        finishedSheet = sheet;
        if (IsWindow(sheet)) PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

int WINAPI WatchedDrawTextEx(HDC dc, LPSTR text, int length, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
    if (drawnTextObserver && text != nullptr && rect != nullptr)
        drawnTextObserver(*rect, length < 0 ? std::string_view(text) : std::string_view(text, length), format);
    return realDrawTextEx(dc, text, length, rect, format, params);
}

void NotifyParent(HWND control, UINT message, WPARAM wParam) {
    SendMessageA(GetParent(control), message, wParam, reinterpret_cast<LPARAM>(control));
}

// The picture of a window's client area as a 24-bit bottom-up BMP.
bool WriteClientBitmap(HWND window, const char* path) {
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return false;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    SelectObject(memoryDc, previous);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    const int rows = GetDIBits(memoryDc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                               DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    if (rows != height) return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    // Written beside the target, then renamed in.
    const std::string aside = std::string(path) + ".new";
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info), sizeof info);
        out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
        if (!out.flush()) return false;
    }
    return MoveFileExA(aside.c_str(), path, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace

// Windows finds libraries from the program's own folder; nothing to set.
void SetProgramDosPath(std::string_view) {}

// The host takes no BRONTAR_INPUT: there is nothing to switch off.
void IgnoreInputScript() {}

void SetPropertySheetDriver(PropertySheetDriver driver) {
    sheetDriver = std::move(driver);
    finishedSheet = nullptr;
}

HWND ActivePropertySheetPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

SheetMessage HandleWaitingSheetMessage(HWND sheet) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return SheetMessage::kNoneWaiting;
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return SheetMessage::kQuit;
    }
    if (!PropSheet_IsDialogMessage(sheet, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return SheetMessage::kHandled;
}

void LeaveAndReturnToPage(HWND sheet) {
    HWND page = ActivePropertySheetPage(sheet);
    if (page == nullptr) return;
    PSHNOTIFY notify{};
    notify.hdr.hwndFrom = sheet;
    notify.hdr.code = PSN_KILLACTIVE;
    if (SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify)) != FALSE) return;
    notify.hdr.code = PSN_SETACTIVE;
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

bool UserSelectComboItem(HWND combo, std::string_view text) {
    if (!HasClass(combo, WC_COMBOBOXA) || !IsWindowEnabled(combo)) return false;
    const std::string wanted(text);
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wanted.c_str()));
    if (index == CB_ERR) return false;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    NotifyParent(combo, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE));
    return true;
}

bool UserClickButton(HWND button) {
    if (!HasClass(button, WC_BUTTONA) || !IsWindowEnabled(button)) return false;
    SendMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool UserSlideTrackbar(HWND trackbar, int position) {
    if (!HasClass(trackbar, TRACKBAR_CLASSA) || !IsWindowEnabled(trackbar)) return false;
    SendMessageA(trackbar, TBM_SETPOS, TRUE, position);
    const auto reached = static_cast<WORD>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    const UINT scroll = (GetWindowLongA(trackbar, GWL_STYLE) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    NotifyParent(trackbar, scroll, MAKEWPARAM(TB_THUMBTRACK, reached));
    NotifyParent(trackbar, scroll, MAKEWPARAM(TB_THUMBPOSITION, reached));
    NotifyParent(trackbar, scroll, MAKEWPARAM(TB_ENDTRACK, 0));
    return true;
}

bool DescribeControl(HWND control, ControlDescription* out) {
    if (HasClass(control, WC_BUTTONA)) {
        switch (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) {
            case BS_GROUPBOX: out->kind = "group box"; break;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                out->kind = "check box";
                out->checkState = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
                break;
            default: out->kind = "button"; break;
        }
        return true;
    }
    if (HasClass(control, WC_STATICA)) {
        out->kind = "static";
        return true;
    }
    if (HasClass(control, WC_COMBOBOXA)) {
        out->kind = "combo box";
        const LRESULT count = SendMessageA(control, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageA(control, CB_GETLBTEXTLEN, i, 0);
            if (length < 0 || length > 4096) continue;
            std::string item(static_cast<size_t>(length) + 1, '\0');
            SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(std::strlen(item.c_str()));
            out->items.push_back(item);
        }
        const LRESULT selection = SendMessageA(control, CB_GETCURSEL, 0, 0);
        out->selection = selection == CB_ERR ? -1 : static_cast<int>(selection);
        return true;
    }
    if (HasClass(control, TRACKBAR_CLASSA)) {
        out->kind = "trackbar";
        out->position = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
        out->rangeMin = static_cast<int>(SendMessageA(control, TBM_GETRANGEMIN, 0, 0));
        out->rangeMax = static_cast<int>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
        return true;
    }
    return false;
}

void QueueMessageBoxAnswer(int answer) {
    queuedAnswers.push_back(answer);
}

void ClearMessageBoxAnswers() {
    queuedAnswers.clear();
}

void SetDrawnTextObserver(DrawnTextObserver observer) {
    drawnTextObserver = std::move(observer);
}

// BRONTAR_CAPTURE names a folder (a Windows path); the pictures are BMP files.
std::optional<std::filesystem::path> SaveWindowScreenshot(HWND window) {
    char folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("BRONTAR_CAPTURE", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return std::nullopt;
    CreateDirectoryA(folder, nullptr);
    char path[MAX_PATH + 32];
    std::snprintf(path, sizeof path, "%s\\window-%06d.bmp", folder, ++screenshotCount);
    if (!WriteClientBitmap(window, path)) return std::nullopt;
    return std::filesystem::path(path);
}

}  // namespace brontar::platform

namespace brontar::windows {

void StandInForUser() {
    SetTimer(nullptr, 0, platform::kTickMilliseconds, platform::Tick);
}

bool WatchDrawnTexts(HMODULE module) {
    void* previous =
        ReplaceImport(module, "USER32.dll", "DrawTextExA", reinterpret_cast<void*>(platform::WatchedDrawTextEx));
    if (previous == nullptr) return false;
    if (platform::realDrawTextEx == nullptr) platform::realDrawTextEx = reinterpret_cast<platform::DrawTextExEntry>(previous);
    return true;
}

}  // namespace brontar::windows

#include "platform/user/message_box.h"

#include <windows.h>

#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>

#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

std::mutex answerMutex;
std::deque<int> queuedAnswers;

// The button a box of this style answers when the user just presses Enter.
int DefaultButton(UINT uType) {
    static constexpr int kButtons[][3] = {
        {IDOK, IDOK, IDOK},               // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},       // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},     // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},          // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},              // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},    // MB_RETRYCANCEL
    };
    const UINT type = uType & MB_TYPEMASK;
    if (type >= sizeof kButtons / sizeof kButtons[0]) return IDOK;
    const UINT index = (uType & MB_DEFMASK) >> 8;
    return kButtons[type][index < 3 ? index : 0];
}

int NextAnswer(UINT uType) {
    std::lock_guard lock(answerMutex);
    if (queuedAnswers.empty()) return DefaultButton(uType);
    const int answer = queuedAnswers.front();
    queuedAnswers.pop_front();
    return answer;
}

// Boxes are never drawn: where a window display was asked for, say so once.
void ReportBoxesNotDrawn() {
    static std::once_flag reported;
    const char* display = std::getenv("BRONTAR_DISPLAY");
    if (display == nullptr || std::string_view(display) != "window") return;
    std::call_once(reported, [] {
        WriteDiagnostic("MessageBoxA: message boxes are not drawn on the display; each takes its scripted answer or "
                        "its default button");
    });
}

}  // namespace

void QueueMessageBoxAnswer(int answer) {
    std::lock_guard lock(answerMutex);
    queuedAnswers.push_back(answer);
}

void ClearMessageBoxAnswers() {
    std::lock_guard lock(answerMutex);
    queuedAnswers.clear();
}

}  // namespace brontar::platform

extern "C" int WINAPI MessageBoxA(HWND /*hWnd*/, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    // A box without a caption is titled "Error", as on Windows.
    std::string line = "MessageBox [";
    line += lpCaption != nullptr ? lpCaption : "Error";
    line += "] ";
    if (lpText != nullptr) line += lpText;
    brontar::platform::WriteEventLog(line);
    brontar::platform::ReportBoxesNotDrawn();
    return brontar::platform::NextAnswer(uType);
}

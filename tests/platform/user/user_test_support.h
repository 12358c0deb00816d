// Shared helpers of the window-manager tests: a window class whose procedure
// records every message, and cleanup of the process-wide window state.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

namespace brontar::testing {

struct RecordedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message the recorder windows received, in order.
inline std::vector<RecordedMessage>& Recorded() {
    static std::vector<RecordedMessage> recorded;
    return recorded;
}

// Answers a message instead of DefWindowProcA when it returns a value.
using MessageHook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;
inline MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

inline LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Recorded().push_back({window, message, wParam, lParam});
    if (Hook())
        if (std::optional<LRESULT> answer = Hook()(window, message, wParam, lParam)) return *answer;
    return DefWindowProcA(window, message, wParam, lParam);
}

inline constexpr const char* kRecorderClass = "Recorder";

// The messages (by number only) the recorder saw, in order.
inline std::vector<UINT> RecordedNumbers() {
    std::vector<UINT> numbers;
    for (const RecordedMessage& message : Recorded()) numbers.push_back(message.message);
    return numbers;
}

// Registers the recorder class once per process, with 16 extra window bytes.
inline void RegisterRecorderClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.cbWndExtra = 16;
    windowClass.lpszClassName = kRecorderClass;
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
    registered = true;
}

// Each test starts with an empty queue and record and leaves no window behind.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorderClass();
        Drain();
        Recorded().clear();
        Hook() = nullptr;
    }
    void TearDown() override {
        Hook() = nullptr;
        for (HWND window : made_) DestroyWindow(window);
        Drain();
    }

    // A top-level recorder window (or a child with the id when a parent is given).
    HWND Make(HWND parent = nullptr, int id = 0, const char* text = "", DWORD style = 0) {
        HWND window = CreateWindowExA(0, kRecorderClass, text, style | (parent ? WS_CHILD : 0), 10, 20, 200, 100,
                                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        if (window != nullptr && parent == nullptr) made_.push_back(window);
        return window;
    }

    // Removes every pending message, a pending quit included; windows left
    // invalid are marked valid so WM_PAINT stops coming.
    static void Drain() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message == WM_PAINT) ValidateRect(message.hwnd, nullptr);
    }

private:
    std::vector<HWND> made_;
};

}  // namespace brontar::testing

#include "platform/user/window_store.h"

#include <map>

namespace brontar::platform {

namespace {

// Handles count up from here in steps of 4, never reused, so a stale handle
// never names a newer window. Small values stay free for HWND_BOTTOM and friends.
constexpr uintptr_t kFirstHandle = 0x10010;

struct Store {
    std::map<uintptr_t, std::shared_ptr<Window>> windows;  // by handle value, so by creation order
    uintptr_t nextHandle = kFirstHandle;
};

Store& Windows() {
    static Store store;
    return store;
}

}  // namespace

Window* LookUpWindow(HWND handle) {
    auto& windows = Windows().windows;
    auto found = windows.find(reinterpret_cast<uintptr_t>(handle));
    return found == windows.end() ? nullptr : found->second.get();
}

Window* LookUpWindowOrFail(HWND handle) {
    Window* window = LookUpWindow(handle);
    if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

std::shared_ptr<Window> HoldWindow(HWND handle) {
    auto& windows = Windows().windows;
    auto found = windows.find(reinterpret_cast<uintptr_t>(handle));
    return found == windows.end() ? nullptr : found->second;
}

Window& AddWindow(std::shared_ptr<const WindowClass> windowClass) {
    Store& store = Windows();
    auto window = std::make_shared<Window>();
    window->handle = reinterpret_cast<HWND>(store.nextHandle);
    store.nextHandle += 4;
    window->procedure = windowClass->procedure;
    window->extraBytes.assign(static_cast<size_t>(windowClass->windowExtraBytes), 0);
    window->windowClass = std::move(windowClass);
    Window& added = *window;
    store.windows.emplace(reinterpret_cast<uintptr_t>(added.handle), std::move(window));
    return added;
}

void RemoveWindow(HWND handle) { Windows().windows.erase(reinterpret_cast<uintptr_t>(handle)); }

bool AnyWindowOfClass(const WindowClass& windowClass) {
    for (const auto& [value, window] : Windows().windows)
        if (window->windowClass.get() == &windowClass) return true;
    return false;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> handles;
    for (const auto& [value, window] : Windows().windows)
        if (window->parent == nullptr) handles.push_back(window->handle);
    return handles;
}

HWND DesktopRoot(HWND handle) {
    Window* window = LookUpWindow(handle);
    // Owners were made before the windows they own, so the walk ends.
    while (window != nullptr) {
        while (window->parent != nullptr) window = LookUpWindow(window->parent);
        Window* owner = LookUpWindow(window->owner);
        if (owner == nullptr) return window->handle;
        window = owner;
    }
    return nullptr;
}

std::vector<HWND> OwnedPopupsTopFirst(HWND root) {
    std::vector<HWND> popups;
    const auto& windows = Windows().windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const Window& window = *it->second;
        if (window.parent == nullptr && window.handle != root && (window.style & WS_VISIBLE) && !window.destroying &&
            DesktopRoot(window.handle) == root)
            popups.push_back(window.handle);
    }
    return popups;
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> handles;
    for (const auto& [value, window] : Windows().windows) handles.push_back(window->handle);
    return handles;
}

namespace {
uint64_t screenGeneration = 1;
}  // namespace

uint64_t ScreenGeneration() { return screenGeneration; }
void NoteScreenChanged() { ++screenGeneration; }

LRESULT CallProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Window> window = HoldWindow(handle);
    if (window == nullptr || window->procedure == nullptr) return 0;
    return window->procedure(handle, message, wParam, lParam);
}

}  // namespace brontar::platform

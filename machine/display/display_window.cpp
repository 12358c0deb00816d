#include "machine/display/display_window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "machine/display/display_input.h"
#include "machine/display/headless_notice.h"
#include "machine/display/terminal_keys.h"

namespace brontar::machine {

namespace {

// One desktop window: the board's (key 0) or one showing a program's window.
struct ShownWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0;   // the picture's size (1x)
    int height = 0;
    int scale = 1;   // the window shows each pixel as scale x scale
    std::string title;
};

struct WindowState {
    std::mutex mutex;
    DisplayDecision decision = DisplayDecision::Undecided;
    bool wanted = false;          // windows are shown at all
    std::map<uint64_t, ShownWindow> windows;
};

WindowState& State() {
    static WindowState state;
    return state;
}

void ReportProblem(const char* what) { std::fprintf(stderr, "brontar: display: %s\n", what); }

// What the window library has to say goes out as ours.
void ReportLibraryMessage(void*, int, SDL_LogPriority, const char* message) { ReportProblem(message); }

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The displays the environment names, as the window library's drivers and
// as the user wrote them. A Wayland display is found by a path, or by name
// in XDG_RUNTIME_DIR. Only these are tried: the library's probe of displays
// nobody named prints messages nobody can act on.
struct NamedDisplays {
    std::string drivers;  // "x11,wayland": the library tries them in this order
    std::string names;    // "DISPLAY=:0 and WAYLAND_DISPLAY=wayland-0"
    std::string missing;  // why there is none, when there is none
};

NamedDisplays FindNamedDisplays() {
    NamedDisplays found;
    const auto add = [&found](const char* driver, const char* variable) {
        found.drivers += (found.drivers.empty() ? "" : ",") + std::string(driver);
        found.names += (found.names.empty() ? "" : " and ") + std::string(variable) + "=" + std::getenv(variable);
    };
    if (IsSet("DISPLAY")) add("x11", "DISPLAY");
    const bool waylandNamed = IsSet("WAYLAND_DISPLAY");
    if (waylandNamed && (std::getenv("WAYLAND_DISPLAY")[0] == '/' || IsSet("XDG_RUNTIME_DIR")))
        add("wayland", "WAYLAND_DISPLAY");
    if (found.drivers.empty())
        found.missing = waylandNamed ? "DISPLAY is not set, and WAYLAND_DISPLAY cannot be found without XDG_RUNTIME_DIR"
                                     : "DISPLAY and WAYLAND_DISPLAY are not set";
    return found;
}

// Starts the video system; false when it cannot run or runs without a real
// display (the dummy and offscreen drivers draw nowhere).
bool StartVideo() {
    SDL_LogSetOutputFunction(ReportLibraryMessage, nullptr);
    // Closing a window is that window's close button, not a request to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // Whole-factor scaling keeps pixels sharp.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    return true;
}

DisplayDecision Decide() {
    const char* setting = std::getenv("BRONTAR_DISPLAY");
    std::string_view choice = setting != nullptr ? setting : "";
    if (choice == "headless") return DisplayDecision::HeadlessAsked;
    if (choice != "" && choice != "window")
        ReportProblem("BRONTAR_DISPLAY must be window or headless; choosing by the display");
    std::string reason;
    if (IsSet("SDL_VIDEODRIVER")) {
        // The user chose the library's way to a display.
        if (StartVideo()) return DisplayDecision::Window;
        reason = std::string("SDL_VIDEODRIVER=") + std::getenv("SDL_VIDEODRIVER") + " shows nothing here";
    } else {
        const NamedDisplays named = FindNamedDisplays();
        if (!named.drivers.empty()) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, named.drivers.c_str());
            if (StartVideo()) return DisplayDecision::Window;
            reason = named.names + " cannot be opened";
        } else {
            reason = named.missing;
        }
    }
    if (choice == "window") reason += ", although BRONTAR_DISPLAY=window asks for one";
    SayToUser(HeadlessNotice(RunningProgramName(), reason));
    return DisplayDecision::HeadlessForWantOfDisplay;
}

void DestroyShown(ShownWindow& shown) {
    if (shown.texture != nullptr) SDL_DestroyTexture(shown.texture);
    if (shown.renderer != nullptr) SDL_DestroyRenderer(shown.renderer);
    if (shown.window != nullptr) SDL_DestroyWindow(shown.window);
    shown = ShownWindow{};
}

// Programs' windows are doubled where they would be small on the screen
// (under a fifth of its height); the board's picture always shows 1:1.
int ScaleFor(uint64_t key, int height) {
    SDL_DisplayMode mode;
    if (key == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 1;
    return height * 5 < mode.h ? 2 : 1;
}

// Opens the window at the picture's size, or resizes it and its texture.
// The software renderer copies pixels exactly, so the screen shows the
// picture as it was made.
bool PrepareWindowLocked(uint64_t key, ShownWindow& shown, const char* title, int width, int height) {
    if (shown.window != nullptr && shown.width == width && shown.height == height) return true;
    if (shown.window == nullptr) {
        shown.scale = ScaleFor(key, height);
        shown.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * shown.scale,
                                        height * shown.scale, 0);
        if (shown.window == nullptr) return false;
        shown.title = title;
        shown.renderer = SDL_CreateRenderer(shown.window, -1, SDL_RENDERER_SOFTWARE);
        if (shown.renderer == nullptr) {
            DestroyShown(shown);
            return false;
        }
    } else {
        SDL_SetWindowSize(shown.window, width * shown.scale, height * shown.scale);
        SDL_DestroyTexture(shown.texture);
    }
    shown.texture = SDL_CreateTexture(shown.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (shown.texture == nullptr) {
        DestroyShown(shown);
        return false;
    }
    shown.width = width;
    shown.height = height;
    return true;
}

bool ShowLocked(WindowState& state, uint64_t key, const char* title, const uint32_t* pixels, int width, int height) {
    ShownWindow& shown = state.windows[key];
    if (!PrepareWindowLocked(key, shown, title, width, height)) {
        state.windows.erase(key);
        return false;
    }
    if (shown.title != title) {
        SDL_SetWindowTitle(shown.window, title);
        shown.title = title;
    }
    SDL_UpdateTexture(shown.texture, nullptr, pixels, width * 4);
    SDL_RenderCopy(shown.renderer, shown.texture, nullptr, nullptr);
    SDL_RenderPresent(shown.renderer);
    return true;
}

// The key and scale of the window an event belongs to.
std::pair<uint64_t, int> WindowOfEvent(Uint32 windowId) {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    for (const auto& [key, shown] : state.windows)
        if (shown.window != nullptr && SDL_GetWindowID(shown.window) == windowId) return {key, shown.scale};
    return {0, 1};
}

// The PC keyboard's virtual-key number of an SDL key; 0 for keys the
// programs here never see.
int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    switch (key) {
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_TAB: return 0x09;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 0x0D;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 0x11;
        case SDLK_LALT:
        case SDLK_RALT: return 0x12;
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_SPACE: return 0x20;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_END: return 0x23;
        case SDLK_HOME: return 0x24;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_DELETE: return 0x2E;
        case SDLK_SEMICOLON: return 0xBA;
        case SDLK_EQUALS: return 0xBB;
        case SDLK_COMMA: return 0xBC;
        case SDLK_MINUS: return 0xBD;
        case SDLK_PERIOD: return 0xBE;
        case SDLK_SLASH: return 0xBF;
        case SDLK_BACKQUOTE: return 0xC0;
        case SDLK_LEFTBRACKET: return 0xDB;
        case SDLK_BACKSLASH: return 0xDC;
        case SDLK_RIGHTBRACKET: return 0xDD;
        case SDLK_QUOTE: return 0xDE;
        default: return 0;
    }
}

// The screen lost a window's pixels (it was just mapped, or uncovered): the
// last picture goes up again.
void ShowAgain(Uint32 windowId) {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    for (auto& [key, shown] : state.windows) {
        if (shown.window == nullptr || SDL_GetWindowID(shown.window) != windowId) continue;
        SDL_RenderCopy(shown.renderer, shown.texture, nullptr, nullptr);
        SDL_RenderPresent(shown.renderer);
    }
}

std::vector<uint64_t> ShownKeys() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    std::vector<uint64_t> keys;
    for (const auto& entry : state.windows) keys.push_back(entry.first);
    return keys;
}

// Pointer positions are divided back to the picture's pixels.
void Translate(const SDL_Event& event, std::vector<DisplayInputEvent>& out) {
    using Kind = DisplayInputEvent::Kind;
    switch (event.type) {
        case SDL_QUIT:  // an interrupt, or the last window closed: every window is closed
            for (uint64_t key : ShownKeys()) out.push_back({Kind::Close, 0, false, 0, 0, key});
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                out.push_back({Kind::Close, 0, false, 0, 0, WindowOfEvent(event.window.windowID).first});
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN)
                ShowAgain(event.window.windowID);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (int key = VirtualKey(event.key.keysym.sym))
                out.push_back({event.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp, key, false, 0, 0,
                               WindowOfEvent(event.key.windowID).first});
            break;
        case SDL_MOUSEMOTION: {
            auto [key, scale] = WindowOfEvent(event.motion.windowID);
            out.push_back({Kind::PointerMove, 0, false, event.motion.x / scale, event.motion.y / scale, key});
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (event.button.button != SDL_BUTTON_LEFT && event.button.button != SDL_BUTTON_RIGHT) break;
            auto [key, scale] = WindowOfEvent(event.button.windowID);
            out.push_back({event.type == SDL_MOUSEBUTTONDOWN ? Kind::ButtonDown : Kind::ButtonUp, 0,
                           event.button.button == SDL_BUTTON_RIGHT, event.button.x / scale, event.button.y / scale, key});
            break;
        }
        default: break;
    }
}

}  // namespace

bool DisplayWindowWanted() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.decision == DisplayDecision::Undecided) {
        state.decision = Decide();
        state.wanted = state.decision == DisplayDecision::Window;
    }
    return state.wanted;
}

DisplayDecision CurrentDisplayDecision() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    return state.decision;
}

bool ShowInDisplayWindow(const uint32_t* pixels, int width, int height) {
    if (!DisplayWindowWanted()) return false;
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    if (!ShowLocked(state, 0, "Brontar 3D", pixels, width, height)) {
        ReportProblem("the display window cannot be opened; frames are not shown");
        state.wanted = false;
        return false;
    }
    return true;
}

void CloseDisplayWindow() { CloseDesktopWindow(0); }

bool ShowDesktopWindow(uint64_t key, const std::string& title, const RgbPicture& picture) {
    if (key == 0 || picture.width <= 0 || picture.height <= 0 || !DisplayWindowWanted()) return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(picture.width) * picture.height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (uint32_t{picture.rgb[3 * i]} << 16) | (uint32_t{picture.rgb[3 * i + 1]} << 8) | picture.rgb[3 * i + 2];
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    if (ShowLocked(state, key, title.c_str(), pixels.data(), picture.width, picture.height)) return true;
    ReportProblem("a desktop window cannot be opened; the program's window is not shown");
    return false;
}

void CloseDesktopWindow(uint64_t key) {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.windows.find(key);
    if (found == state.windows.end()) return;
    DestroyShown(found->second);
    state.windows.erase(found);
}

bool DesktopWindowShown(uint64_t key) {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    return state.windows.count(key) != 0;
}

bool DisplayWindowOpen() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    return !state.windows.empty();
}

bool DisplayInputOpen() { return DisplayWindowOpen() || ListeningToTerminal(); }

std::vector<DisplayInputEvent> TakeDisplayInput(int timeoutMs) {
    if (!DisplayWindowOpen()) return TakeTerminalKeys(timeoutMs);
    std::vector<DisplayInputEvent> events = TakeTerminalKeys(0);
    if (!events.empty()) timeoutMs = 0;
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        if (timeoutMs <= 0 || SDL_WaitEventTimeout(&event, timeoutMs) == 0) return events;
    }
    do {
        Translate(event, events);
    } while (SDL_PollEvent(&event) != 0);
    return events;
}

}  // namespace brontar::machine

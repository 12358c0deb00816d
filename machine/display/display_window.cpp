#include "machine/display/display_window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

#include "machine/display/display_input.h"

namespace brontar::machine {

namespace {

struct WindowState {
    std::mutex mutex;
    bool decided = false;
    bool wanted = false;          // presented frames go to a window
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
};

WindowState& State() {
    static WindowState state;
    return state;
}

void ReportProblem(const char* what) { std::fprintf(stderr, "brontar: display: %s\n", what); }

// Starts the video system; false when it cannot run or runs without a real
// display (the dummy and offscreen drivers draw nowhere).
bool StartVideo() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

bool DecideWanted() {
    const char* setting = std::getenv("BRONTAR_DISPLAY");
    std::string_view choice = setting != nullptr ? setting : "";
    if (choice == "headless") return false;
    if (choice != "" && choice != "window")
        ReportProblem("BRONTAR_DISPLAY must be window or headless; choosing by the display");
    bool started = StartVideo();
    if (!started && choice == "window") ReportProblem("no display reachable for BRONTAR_DISPLAY=window; running headless");
    return started;
}

void DestroyWindowLocked(WindowState& state) {
    if (state.texture != nullptr) SDL_DestroyTexture(state.texture);
    if (state.renderer != nullptr) SDL_DestroyRenderer(state.renderer);
    if (state.window != nullptr) SDL_DestroyWindow(state.window);
    state.texture = nullptr;
    state.renderer = nullptr;
    state.window = nullptr;
    state.width = state.height = 0;
}

// Opens the window at the frame's size, or resizes it and its texture.
bool PrepareWindowLocked(WindowState& state, int width, int height) {
    if (state.window != nullptr && state.width == width && state.height == height) return true;
    if (state.window == nullptr) {
        state.window = SDL_CreateWindow("Brontar 3D", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
        if (state.window == nullptr) return false;
        state.renderer = SDL_CreateRenderer(state.window, -1, 0);
        if (state.renderer == nullptr) {
            DestroyWindowLocked(state);
            return false;
        }
    } else {
        SDL_SetWindowSize(state.window, width, height);
        SDL_DestroyTexture(state.texture);
    }
    state.texture = SDL_CreateTexture(state.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (state.texture == nullptr) {
        DestroyWindowLocked(state);
        return false;
    }
    state.width = width;
    state.height = height;
    return true;
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

void Translate(const SDL_Event& event, std::vector<DisplayInputEvent>& out) {
    using Kind = DisplayInputEvent::Kind;
    switch (event.type) {
        case SDL_QUIT: out.push_back({Kind::Close}); break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) out.push_back({Kind::Close});
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (int key = VirtualKey(event.key.keysym.sym))
                out.push_back({event.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp, key});
            break;
        case SDL_MOUSEMOTION: out.push_back({Kind::PointerMove, 0, false, event.motion.x, event.motion.y}); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_RIGHT)
                out.push_back({event.type == SDL_MOUSEBUTTONDOWN ? Kind::ButtonDown : Kind::ButtonUp, 0,
                               event.button.button == SDL_BUTTON_RIGHT, event.button.x, event.button.y});
            break;
        default: break;
    }
}

}  // namespace

bool DisplayWindowWanted() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.decided) {
        state.wanted = DecideWanted();
        state.decided = true;
    }
    return state.wanted;
}

bool ShowInDisplayWindow(const uint32_t* pixels, int width, int height) {
    if (!DisplayWindowWanted()) return false;
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    if (!PrepareWindowLocked(state, width, height)) {
        ReportProblem("the display window cannot be opened; frames are not shown");
        state.wanted = false;
        return false;
    }
    SDL_UpdateTexture(state.texture, nullptr, pixels, width * 4);
    SDL_RenderCopy(state.renderer, state.texture, nullptr, nullptr);
    SDL_RenderPresent(state.renderer);
    return true;
}

void CloseDisplayWindow() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    DestroyWindowLocked(state);
}

bool DisplayWindowOpen() {
    WindowState& state = State();
    std::lock_guard lock(state.mutex);
    return state.window != nullptr;
}

std::vector<DisplayInputEvent> TakeDisplayInput(int timeoutMs) {
    std::vector<DisplayInputEvent> events;
    if (!DisplayWindowOpen()) return events;
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

// The SDL functions the display windows call, loading SDL only on the first
// call. SDL brings some fifty libraries of its own (sound, X, Wayland, ...),
// and loading them was most of the time a program takes to start; a
// headless run never calls SDL, so it no longer loads any of it. The
// machine library defines these names instead of linking SDL, each
// forwarding to SDL's own function (display_window.cpp is written against
// SDL as usual). A function of SDL used anywhere in the machine must be
// listed here, or the programs fail to link naming it. Without SDL on the
// machine, starting its video fails and the programs run headless.
#include <SDL.h>
#include <dlfcn.h>

namespace {

void* SdlFunction(const char* name) {
    static void* const library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? dlsym(library, name) : nullptr;
}

}  // namespace

// Defines SDL's NAME(PARAMETERS) to call the loaded library's NAME with
// ARGUMENTS, or to return FALLBACK when SDL cannot be loaded.
#define BRONTAR_SDL_FORWARD(result, name, parameters, arguments, fallback)                  \
    extern "C" result SDLCALL name parameters {                                           \
        static const auto real = reinterpret_cast<decltype(&name)>(SdlFunction(#name));   \
        if (real == nullptr) return fallback;                                             \
        return real arguments;                                                            \
    }

BRONTAR_SDL_FORWARD(SDL_bool, SDL_SetHint, (const char* name, const char* value), (name, value), SDL_FALSE)
BRONTAR_SDL_FORWARD(int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)
BRONTAR_SDL_FORWARD(void, SDL_QuitSubSystem, (Uint32 flags), (flags), void())
BRONTAR_SDL_FORWARD(const char*, SDL_GetCurrentVideoDriver, (void), (), nullptr)
BRONTAR_SDL_FORWARD(int, SDL_GetDesktopDisplayMode, (int index, SDL_DisplayMode* mode), (index, mode), -1)
BRONTAR_SDL_FORWARD(void, SDL_LogSetOutputFunction, (SDL_LogOutputFunction callback, void* data), (callback, data),
                    void())
BRONTAR_SDL_FORWARD(SDL_Window*, SDL_CreateWindow, (const char* title, int x, int y, int w, int h, Uint32 flags),
                    (title, x, y, w, h, flags), nullptr)
BRONTAR_SDL_FORWARD(void, SDL_DestroyWindow, (SDL_Window * window), (window), void())
BRONTAR_SDL_FORWARD(Uint32, SDL_GetWindowID, (SDL_Window * window), (window), 0)
BRONTAR_SDL_FORWARD(void, SDL_SetWindowSize, (SDL_Window * window, int w, int h), (window, w, h), void())
BRONTAR_SDL_FORWARD(void, SDL_SetWindowTitle, (SDL_Window * window, const char* title), (window, title), void())
BRONTAR_SDL_FORWARD(SDL_Renderer*, SDL_CreateRenderer, (SDL_Window * window, int index, Uint32 flags),
                    (window, index, flags), nullptr)
BRONTAR_SDL_FORWARD(void, SDL_DestroyRenderer, (SDL_Renderer * renderer), (renderer), void())
BRONTAR_SDL_FORWARD(SDL_Texture*, SDL_CreateTexture, (SDL_Renderer * renderer, Uint32 format, int access, int w, int h),
                    (renderer, format, access, w, h), nullptr)
BRONTAR_SDL_FORWARD(void, SDL_DestroyTexture, (SDL_Texture * texture), (texture), void())
BRONTAR_SDL_FORWARD(int, SDL_UpdateTexture, (SDL_Texture * texture, const SDL_Rect* rect, const void* pixels, int pitch),
                    (texture, rect, pixels, pitch), -1)
BRONTAR_SDL_FORWARD(int, SDL_RenderCopy,
                    (SDL_Renderer * renderer, SDL_Texture* texture, const SDL_Rect* source, const SDL_Rect* target),
                    (renderer, texture, source, target), -1)
BRONTAR_SDL_FORWARD(void, SDL_RenderPresent, (SDL_Renderer * renderer), (renderer), void())
BRONTAR_SDL_FORWARD(int, SDL_PollEvent, (SDL_Event * event), (event), 0)
BRONTAR_SDL_FORWARD(int, SDL_WaitEventTimeout, (SDL_Event * event, int timeout), (event, timeout), 0)

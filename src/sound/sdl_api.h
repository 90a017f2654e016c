#pragma once

// SDL2, opened at run time (see shared_library.h). Every SDL function the game calls is a
// member of SdlApi under its own name and with the type of its declaration in SDL's header,
// so a call reads `sdl->SDL_OpenAudioDevice(...)` and cannot drift from the real signature.

#include <SDL2/SDL.h>

#include <string>

#include "sound/shared_library.h"

namespace lum {

#define LUM_SDL_FUNCTIONS(X)         \
    X(SDL_SetHint)                   \
    X(SDL_InitSubSystem)             \
    X(SDL_QuitSubSystem)             \
    X(SDL_GetError)                  \
    X(SDL_GetNumAudioDevices)        \
    X(SDL_GetAudioDeviceName)        \
    X(SDL_GetCurrentAudioDriver)     \
    X(SDL_OpenAudioDevice)           \
    X(SDL_PauseAudioDevice)          \
    X(SDL_CloseAudioDevice)          \
    X(SDL_PollEvent)                 \
    X(SDL_GameControllerOpen)        \
    X(SDL_GameControllerClose)       \
    X(SDL_GameControllerName)        \
    X(SDL_GameControllerGetJoystick) \
    X(SDL_JoystickInstanceID)

struct SdlApi {
    LUM_SDL_FUNCTIONS(LUM_API_MEMBER)
};

inline constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";

// The process's SDL2, loaded on the first call (from kSdlLibrary, or the file that
// LUM_SDL2_LIBRARY names): nullptr, with the reason in `why`, when the library or one of
// its functions is missing. Later calls give the same answer.
const SdlApi* sdl_api(std::string* why = nullptr);

// Fills `api` from the library `soname`: the steps sdl_api() takes, for any name.
bool load_sdl_api(const char* soname, SdlApi& api, std::string* why);

}  // namespace lum

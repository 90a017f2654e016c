#include "sound/sdl_api.h"

namespace lum {

bool load_sdl_api(const char* soname, SdlApi& api, std::string* why) {
    return load_api(soname, api, why, [](SharedLibrary& lib, SdlApi& table) {
        bool ok = true;
        LUM_SDL_FUNCTIONS(LUM_API_BIND)
        return ok;
    });
}

const SdlApi* sdl_api(std::string* why) {
    return process_api<SdlApi, load_sdl_api>("LUM_SDL2_LIBRARY", kSdlLibrary, why);
}

}  // namespace lum

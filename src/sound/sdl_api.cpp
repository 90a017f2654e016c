#include "sound/sdl_api.h"

#include <cstdlib>

#include "sound/shared_library.h"

namespace lum {

bool load_sdl_api(const char* soname, SdlApi& api, std::string* why) {
    SharedLibrary lib(soname);
    bool ok = lib.ok();
#define LUM_SDL_BIND(f) ok = ok && lib.bind(api.f, #f);
    LUM_SDL_FUNCTIONS(LUM_SDL_BIND)
#undef LUM_SDL_BIND
    if (!ok) {
        api = SdlApi{};
        if (why) *why = lib.error();
    }
    return ok;
}

const SdlApi* sdl_api(std::string* why) {
    struct Loaded {
        SdlApi api;
        bool ok = false;
        std::string why;
    };
    static const Loaded loaded = [] {
        Loaded l;
        const char* name = std::getenv("LUM_SDL2_LIBRARY");
        l.ok = load_sdl_api(name && *name ? name : kSdlLibrary, l.api, &l.why);
        return l;
    }();
    if (!loaded.ok && why) *why = loaded.why;
    return loaded.ok ? &loaded.api : nullptr;
}

}  // namespace lum

#include "sound/fluid_api.h"

#include <cstdlib>

#include "sound/shared_library.h"

namespace lum {

bool load_fluid_api(const char* soname, FluidApi& api, std::string* why) {
    SharedLibrary lib(soname);
    bool ok = lib.ok();
#define LUM_FLUID_BIND(f) ok = ok && lib.bind(api.f, #f);
    LUM_FLUID_FUNCTIONS(LUM_FLUID_BIND)
#undef LUM_FLUID_BIND
    if (!ok) {
        api = FluidApi{};
        if (why) *why = lib.error();
    }
    return ok;
}

const FluidApi* fluid_api(std::string* why) {
    struct Loaded {
        FluidApi api;
        bool ok = false;
        std::string why;
    };
    static const Loaded loaded = [] {
        Loaded l;
        const char* name = std::getenv("LUM_FLUIDSYNTH_LIBRARY");
        l.ok = load_fluid_api(name && *name ? name : kFluidLibrary, l.api, &l.why);
        return l;
    }();
    if (!loaded.ok && why) *why = loaded.why;
    return loaded.ok ? &loaded.api : nullptr;
}

}  // namespace lum

#include "sound/fluid_api.h"

namespace lum {

bool load_fluid_api(const char* soname, FluidApi& api, std::string* why) {
    return load_api(soname, api, why, [](SharedLibrary& lib, FluidApi& table) {
        bool ok = true;
        LUM_FLUID_FUNCTIONS(LUM_API_BIND)
        return ok;
    });
}

const FluidApi* fluid_api(std::string* why) {
    return process_api<FluidApi, load_fluid_api>("LUM_FLUIDSYNTH_LIBRARY", kFluidLibrary, why);
}

}  // namespace lum

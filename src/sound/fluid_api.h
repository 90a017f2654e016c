#pragma once

// FluidSynth, opened at run time (see shared_library.h). Every FluidSynth function the game
// calls is a member of FluidApi under its own name and with the type of its declaration in
// FluidSynth's header.

#include <fluidsynth.h>

#include <string>

#include "sound/shared_library.h"

namespace lum {

#define LUM_FLUID_FUNCTIONS(X)           \
    X(fluid_set_log_function)            \
    X(new_fluid_settings)                \
    X(delete_fluid_settings)             \
    X(fluid_settings_setint)             \
    X(fluid_settings_setnum)             \
    X(fluid_settings_setstr)             \
    X(fluid_settings_getint)             \
    X(new_fluid_synth)                   \
    X(delete_fluid_synth)                \
    X(fluid_synth_sfload)                \
    X(fluid_synth_all_sounds_off)        \
    X(fluid_synth_set_gain)              \
    X(new_fluid_audio_driver)            \
    X(delete_fluid_audio_driver)         \
    X(new_fluid_player)                  \
    X(delete_fluid_player)               \
    X(fluid_player_add)                  \
    X(fluid_player_play)                 \
    X(fluid_player_stop)                 \
    X(fluid_player_join)                 \
    X(fluid_player_get_status)           \
    X(fluid_player_get_current_tick)     \
    X(fluid_player_get_total_ticks)      \
    X(new_fluid_file_renderer)           \
    X(fluid_file_renderer_process_block) \
    X(delete_fluid_file_renderer)

struct FluidApi {
    LUM_FLUID_FUNCTIONS(LUM_API_MEMBER)
};

inline constexpr const char* kFluidLibrary = "libfluidsynth.so.3";

// The process's FluidSynth, loaded on the first call (from kFluidLibrary, or the file that
// LUM_FLUIDSYNTH_LIBRARY names): nullptr, with the reason in `why`, when the library or one
// of its functions is missing. Later calls give the same answer.
const FluidApi* fluid_api(std::string* why = nullptr);

// Fills `api` from the library `soname`: the steps fluid_api() takes, for any name.
bool load_fluid_api(const char* soname, FluidApi& api, std::string* why);

}  // namespace lum

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "sound/fluid_api.h"
#include "sound/sdl_api.h"
#include "sound/sound_front.h"
#include "sound_test_support.h"

namespace lum {
namespace {

using test::Bytes;

TEST(LibraryLoading, TheSystemLibrariesLoadWholeAndOnce) {
    std::string why;
    const SdlApi* sdl = sdl_api(&why);
    ASSERT_NE(sdl, nullptr) << why;
    EXPECT_EQ(sdl_api(), sdl);
#define LUM_EXPECT_BOUND(f) EXPECT_NE(sdl->f, nullptr) << #f;
    LUM_SDL_FUNCTIONS(LUM_EXPECT_BOUND)
#undef LUM_EXPECT_BOUND

    const FluidApi* fluid = fluid_api(&why);
    ASSERT_NE(fluid, nullptr) << why;
    EXPECT_EQ(fluid_api(), fluid);
#define LUM_EXPECT_BOUND(f) EXPECT_NE(fluid->f, nullptr) << #f;
    LUM_FLUID_FUNCTIONS(LUM_EXPECT_BOUND)
#undef LUM_EXPECT_BOUND
    // The functions are SDL's own, not stand-ins: a known answer from each library.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(sdl->SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << sdl->SDL_GetError();
    EXPECT_STREQ(sdl->SDL_GetCurrentAudioDriver(), "dummy");
    sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    EXPECT_EQ(sdl->SDL_GetCurrentAudioDriver(), nullptr);
    ::unsetenv("SDL_AUDIODRIVER");
    fluid_settings_t* settings = fluid->new_fluid_settings();
    ASSERT_NE(settings, nullptr);
    int period = 0;
    EXPECT_EQ(fluid->fluid_settings_getint(settings, "audio.period-size", &period), FLUID_OK);
    EXPECT_EQ(period, 64);
    fluid->delete_fluid_settings(settings);
}

TEST(LibraryLoading, MissingLibraryOrFunctionIsNamed) {
    std::string why;
    SdlApi sdl;
    EXPECT_FALSE(load_sdl_api("libluminaria-absent.so.7", sdl, &why));
    EXPECT_EQ(why,
              "cannot load libluminaria-absent.so.7 (cannot open shared object file: No such "
              "file or directory)");
    EXPECT_EQ(sdl.SDL_SetHint, nullptr);

    // SDL2 opens, but it is not FluidSynth: the first function looked for is missing.
    FluidApi fluid;
    EXPECT_FALSE(load_fluid_api(kSdlLibrary, fluid, &why));
    EXPECT_EQ(why, "libSDL2-2.0.so.0 has no function fluid_set_log_function");
    EXPECT_EQ(fluid.fluid_set_log_function, nullptr);

    // A file that is no library at all.
    test::TempGame game("notalib");
    const auto fake = game.dir / "libfake.so";
    test::write_file(fake, Bytes{'n', 'o', 'p', 'e'});
    EXPECT_FALSE(load_fluid_api(fake.c_str(), fluid, &why));
    EXPECT_EQ(why, "cannot load " + fake.string() + " (file too short)");
}

// Without either library the front starts, stays silent and says why, one line each. It runs
// in a fresh process: the libraries are loaded once per process.
TEST(LibraryLoading, FrontRunsSilentlyWithoutTheLibraries) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::TempGame game("nolibs");
    test::write_file(game.mid("on1.wav"), test::wav8(Bytes(300, 200)));
    test::write_file(game.mid("foot.wav"), test::wav8(Bytes(300, 100)));
    test::write_file(game.mid("one.mid"), test::midi_notes({60}));
    auto run = [&] {
        ::setenv("LUM_SDL2_LIBRARY", "libluminaria-absent.so.1", 1);
        ::setenv("LUM_FLUIDSYNTH_LIBRARY", "libluminaria-absent.so.2", 1);
        ::unsetenv("LUM_NO_MUSIC");
        ::unsetenv("SDL_AUDIODRIVER");
        bool silent = false;
        {
            SoundFrontOptions o;
            o.game_dir = game.dir;
            SoundFront front(std::move(o));
            front.play_ok_sound();
            front.play_step_sound();
            front.play_effect("foot.wav");
            front.play_effect3("on1.wav");
            front.play_music("one.mid");
            front.pump();
            silent = !front.effects_on() && !front.music_on();
        }
        std::exit(silent ? 0 : 1);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0),
                "^luminaria: no sound effects: cannot load libluminaria-absent\\.so\\.1 \\(cannot "
                "open shared object file: No such file or directory\\); the game runs without "
                "them\nluminaria: no music: cannot load libluminaria-absent\\.so\\.2 \\(cannot "
                "open shared object file: No such file or directory\\); the game runs without "
                "it\n$");
}

}  // namespace
}  // namespace lum

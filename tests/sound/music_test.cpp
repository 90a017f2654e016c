#include "sound/music_player.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include "sound/sdl_api.h"
#include "sound_test_support.h"

namespace lum {
namespace {

using test::Bytes;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(Music, FileRendererProducesTheWholePieceAndItIsHeard) {
    auto sf2 = find_soundfont();
    ASSERT_FALSE(sf2.empty()) << "no General MIDI SoundFont installed";
    test::TempGame game("render");
    test::write_file(game.mid("two.mid"), test::midi_notes({60, 64}));  // 2 × 0.5 s
    auto out = game.dir / "two.wav";
    std::string why;
    ASSERT_TRUE(render_midi_to_wav(game.mid("two.mid"), sf2, out, 22050, &why)) << why;

    Bytes wav = test::read_file(out);
    ASSERT_GE(wav.size(), 44u);
    ASSERT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    ASSERT_EQ(std::string(wav.begin() + 8, wav.begin() + 12), "WAVE");
    std::size_t pos = 12;
    std::uint32_t rate = 0, channels = 0, bits = 0, data_at = 0, data_size = 0;
    while (pos + 8 <= wav.size()) {
        std::string id(wav.begin() + pos, wav.begin() + pos + 4);
        std::uint32_t n = le32(wav, pos + 4);
        if (id == "fmt ") {
            channels = wav[pos + 10] | (wav[pos + 11] << 8);
            rate = le32(wav, pos + 12);
            bits = wav[pos + 22] | (wav[pos + 23] << 8);
        } else if (id == "data") {
            data_at = static_cast<std::uint32_t>(pos + 8);
            data_size =
                std::min<std::uint32_t>(n, static_cast<std::uint32_t>(wav.size() - pos - 8));
            break;
        }
        pos += 8 + n + (n & 1);
    }
    ASSERT_EQ(rate, 22050u);
    ASSERT_EQ(channels, 2u);
    ASSERT_EQ(bits, 16u);
    double seconds = data_size / (22050.0 * 4);
    // The piece's second and the quarter second of tail, to within one period of 64 frames.
    EXPECT_NEAR(seconds, 1.25, 0.01);
    int peak = 0;
    for (std::uint32_t i = data_at; i + 1 < data_at + data_size; i += 2) {
        peak = std::max(peak, std::abs(static_cast<std::int16_t>(wav[i] | (wav[i + 1] << 8))));
    }
    EXPECT_GT(peak, 300);

    EXPECT_FALSE(render_midi_to_wav(game.mid("none.mid"), sf2, out, 22050, &why));
    EXPECT_EQ(why, game.mid("none.mid").string() + " is not a MIDI file");
    // A file that cannot take the sound is a failure, not a short success.
    EXPECT_FALSE(render_midi_to_wav(game.mid("two.mid"), sf2, "/dev/full", 22050, &why));
    EXPECT_EQ(why, "cannot write /dev/full");
}

// A disk that fills up halfway leaves a cut-off file; that is a failure, not a rendering. The
// file-size limit stands in for the full disk, in a process of its own.
TEST(Music, RenderingCutOffByAFullDiskFails) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto sf2 = find_soundfont();
    ASSERT_FALSE(sf2.empty()) << "no General MIDI SoundFont installed";
    test::TempGame game("full");
    test::write_file(game.mid("two.mid"), test::midi_notes({60, 64}));
    const auto out = game.dir / "two.wav";
    auto run = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = 16384;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string why;
        bool ok = render_midi_to_wav(game.mid("two.mid"), sf2, out, 22050, &why);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::cerr << why << std::endl;
        std::exit(ok ? 1 : 0);
    };
    // The child makes a game folder of its own, named after its own process.
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0),
                "^cannot write /.*/lum_full_[0-9]+/two\\.wav\n$");
}

TEST(Music, PlayerReportsTheEndOfAPieceOnce) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    const SdlApi* sdl = sdl_api();
    ASSERT_NE(sdl, nullptr);
    ASSERT_EQ(sdl->SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
    test::TempGame game("live");
    test::write_file(game.mid("one.mid"), test::midi_notes({67}));
    test::write_file(game.mid("fake.mid"), Bytes{'n', 'o', 'p', 'e'});
    {
        std::string why;
        auto music = FluidMusic::create(find_soundfont(), &why);
        ASSERT_TRUE(music) << why;
        EXPECT_FALSE(music->play(game.mid("fake.mid")));
        EXPECT_FALSE(music->play(game.mid("absent.mid")));
        ASSERT_TRUE(music->play(game.mid("one.mid")));
        EXPECT_FALSE(music->take_finished());
        bool finished = false;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!finished && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            finished = music->take_finished();
        }
        EXPECT_TRUE(finished);
        EXPECT_FALSE(music->take_finished());
        // Stopped before its end, a piece gives no notice.
        ASSERT_TRUE(music->play(game.mid("one.mid")));
        music->stop();
        EXPECT_FALSE(music->take_finished());
    }
    sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ::unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace lum

#include "sound/sdl_output_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "sound/mixer/mixer.h"
#include "sound/sound_front.h"
#include "sound_test_support.h"

namespace lum {
namespace {

using test::Bytes;

// Runs the real output path through SDL's disk driver, which writes everything the audio
// thread plays to a file, and looks for the expected mix in it.
// SDL's disk driver writing to a file of a fresh game folder; the environment is put back
// when it goes.
struct DiskOutput {
    explicit DiskOutput(const char* name) : game(name), out(game.dir / "out.raw") {
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
        device = SdlOutputDevice::create(&why);
    }
    ~DiskOutput() {
        device.reset();
        ::unsetenv("SDL_AUDIODRIVER");
        ::unsetenv("SDL_DISKAUDIOFILE");
    }
    test::TempGame game;
    std::filesystem::path out;
    std::string why;
    std::unique_ptr<SdlOutputDevice> device;
};

TEST(SdlOutput, DiskDriverFileHoldsTheMix) {
    DiskOutput disk("disk");
    auto& device = disk.device;
    const auto& out = disk.out;
    ASSERT_TRUE(device) << disk.why;

    Bytes a(3000), b(2000);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>(130 + i % 100);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(60 + i % 50);
    std::atomic<int> wakes{0};
    mix::SteadyClock clock;
    mix::TMixerSession* s =
        mix::mixer_init(nullptr, mix::MixerHost{device.get(), &clock, {}, {}, [&] { ++wakes; }});
    mix::mixer_activate(s, true);
    mix::mixer_open_channels(s, 2, 2);
    Bytes ia = test::wav8(a), ib = test::wav8(b);
    mix::TSoundWave* wa = mix::mixer_load_wave(
        s, mix::WaveSource{mix::kWaveFromMemory, "", -1, ia.data(), ia.size()});
    mix::TSoundWave* wb = mix::mixer_load_wave(
        s, mix::WaveSource{mix::kWaveFromMemory, "", -1, ib.data(), ib.size()});
    mix::TPlayRequest r;
    r.session = s;
    r.channel = 0;
    r.wave = wa;
    r.flags = mix::kPlayWait;
    mix::mixer_play(&r);
    r.channel = 1;
    r.wave = wb;
    r.flags = 0;
    mix::mixer_play(&r);

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((s->channel[0] >= 0 || s->channel[1] >= 0) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        mix::mixer_pump(s);
    }
    EXPECT_LT(s->channel[0], 0) << "the plays never finished";
    EXPECT_GT(wakes.load(), 0);
    mix::mixer_end_session(s);
    device.reset();

    Bytes file = test::read_file(out);
    std::size_t at = 0;
    while (at < file.size() && file[at] == 128) ++at;
    ASSERT_GE(file.size(), at + 3100);
    for (std::size_t i = 0; i < 2999; ++i) {
        int want = i < 1999 ? std::clamp(a[i] + b[i] - 128, 0, 255) : a[i];
        ASSERT_EQ(file[at + i], want) << "byte " << i;
    }
    for (std::size_t i = 2999; i < 3100; ++i) ASSERT_EQ(file[at + i], 128) << "byte " << i;
}

TEST(SdlOutput, VolumeScalesAboutSilence) {
    const Bytes in{0, 1, 60, 127, 128, 129, 200, 255};
    Bytes b = in;
    scale_u8_samples(b.data(), b.size(), 100);
    EXPECT_EQ(b, in);
    scale_u8_samples(b.data(), b.size(), 50);
    EXPECT_EQ(b, (Bytes{64, 65, 94, 128, 128, 128, 164, 191}));
    b = in;
    scale_u8_samples(b.data(), b.size(), 0);
    EXPECT_EQ(b, Bytes(in.size(), 128));
}

// The volume acts on what goes to SDL: the disk driver's file holds the scaled bytes while
// the block the mixer wrote keeps its own.
TEST(SdlOutput, VolumeLeavesTheMixersBlockAlone) {
    DiskOutput disk("volume");
    auto& device = disk.device;
    ASSERT_TRUE(device) << disk.why;
    device->set_volume(50);

    mix::OutputBlock block;
    block.length = 2048;
    for (std::uint32_t i = 0; i < block.length; ++i)
        block.data[i] = static_cast<std::uint8_t>(30 + i % 200);
    const auto mixed = block.data;
    struct Count : mix::BlockDoneSink {
        std::atomic<int> n{0};
        void block_done() override { ++n; }
    } sink;
    ASSERT_EQ(device->open(-1, mix::WaveFormat{}, &sink), 0);
    device->prepare(block);
    ASSERT_TRUE(device->write(block));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!block.done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(block.done);
    device->close();
    device.reset();  // the file is complete

    EXPECT_EQ(block.data, mixed);
    Bytes file = test::read_file(disk.out);
    std::size_t at = 0;
    while (at < file.size() && file[at] == 128) ++at;
    ASSERT_GE(file.size(), at + block.length);
    for (std::uint32_t i = 0; i < block.length; ++i) {
        int want = 128 + (mixed[i] - 128) * 50 / 100;
        ASSERT_EQ(file[at + i], want) << "byte " << i;
    }
}

// With the dummy driver and no music the whole front runs: nothing is heard, nothing fails.
TEST(SdlOutput, FrontOnTheDummyDriver) {
    test::TempGame game("dummy");
    test::write_file(game.mid("on1.wav"), test::wav8(Bytes(2000, 200)));
    test::write_file(game.mid("foot.wav"), test::wav8(Bytes(2000, 100)));
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::ostringstream log;
    {
        SoundFrontOptions o;
        o.game_dir = game.dir;
        o.log = &log;
        o.no_music = true;
        SoundFront front(std::move(o));
        EXPECT_TRUE(front.effects_on());
        front.play_ok_sound();
        front.play_effect("foot.wav");
        front.play_music("spacial.mid");
        for (int i = 0; i < 100; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            front.pump();
        }
    }
    ::unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(log.str(), "");
}

}  // namespace
}  // namespace lum

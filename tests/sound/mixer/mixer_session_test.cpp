#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "mixer_fixture.h"
#include "sound/mixer/sound_mixer.h"

namespace lum::mix::test {
namespace {

using Session = MixerTest;

TEST_F(Session, OperationChecksAndTheirMessages) {
    start("", nullptr, 0);
    TSoundWave* a = wave(Bytes(10, 140));
    EXPECT_EQ(error_of([&] { mixer_play(nullptr); }),
              "nil parameters pointer passed to mixer_play");
    EXPECT_EQ(error_of([&] { play(0, nullptr); }), "nil wave pointer passed to mixer_play!");
    EXPECT_EQ(error_of([&] { play(0, a); }), "You must open a channel before you can play a wave");
    EXPECT_EQ(error_of([&] { mixer_open_channels(session_, 8, 0); }), "Invalid channel number");
    EXPECT_EQ(error_of([&] { mixer_open_channels(session_, 0, 2); }), "Invalid number of channels");
    EXPECT_EQ(error_of([&] { mixer_open_channels(session_, 9, 2); }), "Invalid number of channels");
    EXPECT_EQ(error_of([&] { mixer_open_channels(session_, 1, 3); }), "Invalid Flags");
    mixer_open_channels(session_, 2, 0);
    EXPECT_EQ(error_of([&] { mixer_open_channels(session_, 2, 0); }),
              "The channel has already been opened");
    EXPECT_EQ(session_->open_channels, 1);
    mixer_open_channels(session_, 3, 2);  // opens 0 and 1; 2 is open already
    EXPECT_EQ(session_->open_channels, 3);
    EXPECT_EQ(error_of([&] { play(5, a); }), "The specified channel was not open");
    EXPECT_EQ(error_of([&] { play(8, a); }), "Invalid channel number");
    EXPECT_EQ(error_of([&] { play(-1, a); }), "Invalid channel number");
    EXPECT_EQ(error_of([&] { mixer_clear_channels(session_, 9, 0); }), "Invalid channel number");
    EXPECT_EQ(error_of([&] { mixer_clear_channels(session_, 6, 0); }),
              "The specified channel was not open");
    EXPECT_EQ(error_of([&] { mixer_close_channels(session_, 6, 0); }),
              "The specified channel was not open");
    EXPECT_EQ(error_of([&] { mixer_release_wave(session_, nullptr); }),
              "The given pointer was not valid");
    TSoundWave stranger;
    EXPECT_EQ(error_of([&] { play(0, &stranger); }), "The given pointer was not valid");

    mixer_close_channels(session_, 1, 0);
    EXPECT_EQ(session_->open_channels, 2);
    mixer_close_channels(session_, 0, 1);
    EXPECT_EQ(session_->open_channels, 0);

    mixer_activate(session_, false);
    mixer_open_channels(session_, 0, 1);
    EXPECT_EQ(session_->open_channels, 8);
    EXPECT_EQ(error_of([&] { play(0, a); }),
              "Wave device not allocated, call mixer_activate(session, true)");

    TMixerSession bogus;
    EXPECT_EQ(error_of([&] { mixer_activate(&bogus, true); }), "Invalid Session handle");
    EXPECT_EQ(error_of([&] { mixer_activate(nullptr, true); }), "Invalid Session handle");
    TPlayRequest r;
    r.wave = a;
    EXPECT_EQ(error_of([&] { mixer_play(&r); }), "Invalid Session handle");
    EXPECT_EQ(error_of([&] {
                  mixer_init(nullptr, MixerHost{&device_, &clock_, {}, {}, {}});
              }),
              "Session already initialized");

    TMixerSession* old = session_;
    mixer_end_session(session_);
    session_ = nullptr;
    EXPECT_EQ(error_of([&] { mixer_refill(old); }), "Invalid Session handle");
}

TEST_F(Session, DeviceFailuresAndTheirMessages) {
    device_.devices = 0;
    EXPECT_EQ(error_of([&] { start(); }), "No wave output devices available");
    device_.devices = 1;
    device_.capabilities.synchronous = true;
    EXPECT_EQ(error_of([&] { start(); }),
              "Virtual Output is a blocking output device; sound could not play while other "
              "programs run");
    device_.capabilities.synchronous = false;
    EXPECT_EQ(error_of([&] { start("[incompatible]\nVirtual Output=1\n"); }),
              "Virtual Output is not compatible with the real-time mixer");

    device_.open_error = 5;
    EXPECT_EQ(error_of([&] { start(); }), "Failed to open waveform output device #5");
    EXPECT_FALSE(session_->active);
    device_.open_error = 0;
    device_.prepare_error = 11;
    EXPECT_EQ(error_of([&] { mixer_activate(session_, true); }),
              "Unable to prepare wave header #11");
    EXPECT_FALSE(device_.is_open());
    device_.prepare_error = 0;
    mixer_activate(session_, true);
    mixer_open_channels(session_, 2, 2);
    device_.refuse_writes_after = 0;
    TSoundWave* a = wave(Bytes(100, 140));
    EXPECT_EQ(error_of([&] { play(0, a); }), "Failed to write block to device");
    EXPECT_FALSE(device_.paused());
    EXPECT_TRUE(session_->at_device.empty());
}

TEST_F(Session, UnreadableCapabilitiesNameTheSectionUnknownDevice) {
    device_.caps_readable = false;
    start("[Unknown Device]\nBlocks=5\n");
    EXPECT_EQ(session_->section, "Unknown Device");
    EXPECT_EQ(session_->block_count, 5u);
}

struct SettingsCase {
    const char* ini;
    std::uint32_t blocks;
    std::uint32_t block_len;
    std::uint32_t rate;
};

TEST_F(Session, SettingsAreClampedAndDefaulted) {
    const SettingsCase cases[] = {
        {"", 3, 2048, 11025},
        {"[default]\nBlocks=1\n", 2, 2048, 11025},
        {"[default]\nBlocks=9\n", 6, 2048, 11025},
        {"[default]\nBlockLen=100\n", 3, 512, 11025},
        {"[default]\nBlockLen=5000\n", 3, 4096, 11025},
        {"[default]\nBlockLen=1023\n", 3, 1020, 11025},
        {"[default]\nSamplesPerSec=22\n", 3, 4096, 22050},
        // Automatic length at 44100 Hz would be 8192; the block holds 4096.
        {"[default]\nSamplesPerSec=44\n", 3, 4096, 44100},
        {"[default]\nSamplesPerSec=48\n", 3, 2048, 11025},
        // The device's own section wins; the default section fills in.
        {"[default]\nBlocks=4\nBlockLen=600\n[Virtual Output]\nBlockLen=1000\n", 4, 1000, 11025},
        {"[DEFAULT]\nblocks=5\n[virtual output]\nsamplespersec=22\n", 5, 4096, 22050},
    };
    for (const SettingsCase& c : cases) {
        start(c.ini, nullptr, 0);
        EXPECT_EQ(session_->block_count, c.blocks) << c.ini;
        EXPECT_EQ(session_->block_len, c.block_len) << c.ini;
        EXPECT_EQ(session_->out_format.samples_per_sec, c.rate) << c.ini;
        EXPECT_EQ(session_->remix, RemixStrategy::full);
        mixer_end_session(session_);
        session_ = nullptr;
    }
}

TEST_F(Session, ConfigurationAndDeviceChoice) {
    MixerConfig cfg{10, 3, 2, 44};
    start("[default]\nRemix=2\nOutputDevice=0\n[general]\nOutputDevice=3\n", &cfg, 0);
    EXPECT_EQ(session_->out_format, (WaveFormat{1, 2, 44100, 88200, 2, 8}));
    EXPECT_EQ(session_->remix, RemixStrategy::shift);
    EXPECT_EQ(session_->device_id, -1);  // 3 ≥ the one device there is
    EXPECT_EQ(device_.format(), session_->out_format);
    mixer_end_session(session_);
    session_ = nullptr;

    device_.devices = 2;
    device_.capabilities.channels = 1;  // a mono device gets mono output
    MixerConfig wrong_size{12, 3, 2, 44};
    cfg.rate = 33;
    start("[general]\nOutputDevice=1\n", &cfg, 0);
    EXPECT_EQ(session_->out_format, WaveFormat{});
    EXPECT_EQ(session_->device_id, 1);
    mixer_end_session(session_);
    session_ = nullptr;
    device_.capabilities.channels = 2;
    start("", &wrong_size, 0);  // ignored: its size field is not 10
    EXPECT_EQ(session_->out_format, WaveFormat{});
}

TEST(MixerSettings, ProfileReadingAndWarnings) {
    ProfileFile p = ProfileFile::parse(
        "; comment\r\n[default]\r\nBlocks = 4 ; four\r\nBlocks=5\r\nBlockLen=abc\r\n"
        "junk line\r\n[broken\r\nRemix=-7x\r\n",
        "MIXER.INI");
    EXPECT_EQ(p.get_int("default", "blocks", 3), 4);
    EXPECT_EQ(p.get_int("default", "BlockLen", 9), 0);
    EXPECT_EQ(p.get_int("default", "Missing", 9), 9);
    EXPECT_EQ(p.get_int("general", "debug", 0), 0);
    EXPECT_FALSE(p.has("broken", "Remix"));
    EXPECT_EQ(p.warnings(),
              (std::vector<std::string>{"MIXER.INI:5: value of BlockLen is not a number; read as 0",
                                        "MIXER.INI:6: expected key=value",
                                        "MIXER.INI:7: section heading without ']'",
                                        "MIXER.INI:8: key outside any [section]"}));
    EXPECT_EQ(ProfileFile::parse("[a]\nk=99999999999\n", "x").get_int("a", "k", 0), 2147483647);
}

TEST(MixerSettings, FileIsLookedUpBesideTheGameThenInTheUserConfig) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("lum_ini_" + std::to_string(::getpid()));
    fs::create_directories(root / "game");
    fs::create_directories(root / "cfg" / "luminaria");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", (root / "cfg").c_str(), 1);

    EXPECT_TRUE(find_mixer_ini(root / "game").empty());
    EXPECT_EQ(load_mixer_settings(root / "game").get_int("default", "Blocks", 3), 3);
    std::ofstream(root / "cfg" / "luminaria" / "MIXER.INI") << "[default]\nBlocks=5\n";
    EXPECT_EQ(load_mixer_settings(root / "game").get_int("default", "Blocks", 3), 5);
    std::ofstream(root / "game" / "MIXER.INI") << "[default]\nBlocks=2\n";
    EXPECT_EQ(find_mixer_ini(root / "game"), root / "game" / "MIXER.INI");
    EXPECT_EQ(load_mixer_settings(root / "game").get_int("default", "Blocks", 3), 2);
    // An installed game's shared folder gives way to the player's own file.
    EXPECT_EQ(find_mixer_ini(root / "game", true), root / "cfg" / "luminaria" / "MIXER.INI");
    EXPECT_EQ(load_mixer_settings(root / "game", true).get_int("default", "Blocks", 3), 5);
    fs::remove(root / "cfg" / "luminaria" / "MIXER.INI");
    EXPECT_EQ(find_mixer_ini(root / "game", true), root / "game" / "MIXER.INI");

    if (old) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    fs::remove_all(root);
}

TEST(SoundMixer, ChannelMaskOpensAndClosesChannels) {
    VirtualClock clock;
    VirtualDevice device(clock);
    {
        SoundMixer m(MixerHost{&device, &clock, {}, {}, {}});
        m.set_activated(true);
        m.set_channels(15);
        EXPECT_EQ(m.session()->open_channels, 4);
        m.set_channels(0b1010'0101);
        EXPECT_EQ(m.session()->open_channels, 4);
        EXPECT_EQ(m.session()->channel[1], TMixerSession::kClosed);
        EXPECT_EQ(m.session()->channel[7], TMixerSession::kIdle);
        m.set_channels(255);
        EXPECT_EQ(m.session()->open_channels, 8);
        m.set_channels(0);
        EXPECT_EQ(m.session()->open_channels, 0);
        m.set_channels(15);
        EXPECT_THROW(m.load_wave("/nonexistent.wav"), EMixerError);
    }
    EXPECT_FALSE(device.is_open());
    // The session is gone with the component: a new one can start.
    SoundMixer again(MixerHost{&device, &clock, {}, {}, {}});
}

}  // namespace
}  // namespace lum::mix::test

#include "sound/sound_front.h"

#include <gtest/gtest.h>

#include <sstream>

#include "sound/mixer/virtual_device.h"
#include "sound_test_support.h"

namespace lum {
namespace {

using test::Bytes;

class FakeMusic : public MusicBackend {
  public:
    struct Log {
        std::vector<std::string> calls;
        bool finished = false;
    };
    explicit FakeMusic(Log& log) : log_(log) {}
    bool play(const std::filesystem::path& midi) override {
        log_.calls.push_back("play " + midi.filename().string());
        return true;
    }
    void stop() override { log_.calls.push_back("stop"); }
    bool take_finished() override { return std::exchange(log_.finished, false); }
    void set_volume(int percent) override {
        log_.calls.push_back("volume " + std::to_string(percent));
    }

  private:
    Log& log_;
};

class Front : public ::testing::Test {
  protected:
    Front() : game_("front") {
        test::write_file(game_.mid("on1.wav"), test::wav8(Bytes(300, 200)));
        test::write_file(game_.mid("foot.wav"), test::wav8(Bytes(300, 100)));
        test::write_file(game_.mid("walk.wav"), test::wav8(Bytes(3000, 150)));
        test::write_file(game_.mid("warp.wav"), test::wav8(Bytes(500, 90)));
        // BlockLen 512, 2 blocks: short expected streams.
        std::ofstream(game_.dir / "MIXER.INI") << "[default]\nBlockLen=512\nBlocks=2\n";
    }

    void make(bool with_music = true) {
        SoundFrontOptions o;
        o.game_dir = game_.dir;
        o.state = &gs_;
        o.device = &device_;
        o.clock = &clock_;
        o.log = &log_;
        if (with_music) {
            o.music = std::make_unique<FakeMusic>(music_);
        } else {
            o.no_music = true;
        }
        front_ = std::make_unique<SoundFront>(std::move(o));
    }

    void run(int ms) {
        for (int i = 0; i < ms; ++i) {
            device_.advance(1);
            front_->pump();
        }
    }

    test::TempGame game_;
    GameState gs_;
    mix::VirtualClock clock_;
    mix::VirtualDevice device_{clock_};
    std::ostringstream log_;
    FakeMusic::Log music_;
    std::unique_ptr<SoundFront> front_;
};

Bytes runs(std::initializer_list<std::pair<std::size_t, std::uint8_t>> parts) {
    Bytes b;
    for (auto [n, v] : parts) b.insert(b.end(), n, v);
    return b;
}

TEST_F(Front, PreloadsAndFixedSounds) {
    make();
    ASSERT_TRUE(front_->effects_on());
    EXPECT_EQ(front_->mixer()->session()->waves.size(), 4u);
    EXPECT_EQ(front_->mixer()->session()->open_channels, 4);
    front_->play_ok_sound();
    front_->play_step_sound();
    run(200);
    // The step sound finds the first block already at the device and starts after it.
    EXPECT_EQ(device_.played, runs({{299, 200}, {213, 128}, {299, 100}, {213, 128}}));
    EXPECT_EQ(log_.str(), "");
}

TEST_F(Front, SecondEffectQueuesBehindTheFirst) {
    make();
    front_->play_effect("walk.wav");
    front_->play_effect("warp.wav");
    run(600);
    // walk ends at 2999 where warp begins; the blocks run to 3584.
    EXPECT_EQ(device_.played, runs({{2999, 150}, {499, 90}, {3584 - 3498, 128}}));
    // The preloaded foot.wav of channel 2 and walk.wav were superseded and are gone.
    EXPECT_EQ(front_->retired_waves(), 0u);
    EXPECT_EQ(front_->mixer()->session()->waves.size(), 4u);
}

TEST_F(Front, FailuresAreSwallowedAndKeepTheHeldWave) {
    make();
    test::write_file(game_.mid("bad.wav"), Bytes{'R', 'I', 'F', 'F', 1, 2});
    front_->play_effect("missing.wav");
    front_->play_effect("bad.wav");
    front_->play_effect3("missing.wav");
    run(50);
    EXPECT_TRUE(device_.played.empty());
    front_->play_effect3("warp.wav");
    run(100);
    EXPECT_EQ(device_.played, runs({{499, 90}, {13, 128}}));
}

TEST_F(Front, ThousandEffectsDoNotGrow) {
    make();
    for (int i = 0; i < 1000; ++i) {
        front_->play_effect(i % 2 ? "warp.wav" : "walk.wav");
        front_->play_effect3("warp.wav");
        run(i % 7);
    }
    EXPECT_LE(front_->mixer()->session()->waves.size(), 4u + mix::kPlayPoolSize);
    run(200000);
    EXPECT_EQ(front_->retired_waves(), 0u);
    EXPECT_EQ(front_->mixer()->session()->waves.size(), 4u);
}

TEST_F(Front, MusicOperationsAndTheEndOfAPiece) {
    make();
    music_.calls.clear();
    front_->play_music("");
    EXPECT_TRUE(music_.calls.empty());
    front_->play_music("spacial.mid");
    front_->play_music("not");
    EXPECT_EQ(music_.calls, (std::vector<std::string>{"play spacial.mid", "stop"}));

    // On the battle screen (and its title box) a piece that ends starts again.
    music_.calls.clear();
    front_->set_visible_screen(ScreenId::battle);
    front_->play_music("cl_02.mid");
    music_.finished = true;
    front_->pump();
    EXPECT_EQ(music_.calls, (std::vector<std::string>{"play cl_02.mid", "play cl_02.mid"}));

    // On the travel screen, or in a story scene before the credits, it is not repeated.
    music_.calls.clear();
    front_->set_visible_screen(ScreenId::travel);
    music_.finished = true;
    front_->pump();
    front_->set_visible_screen(ScreenId::story);
    music_.finished = true;
    front_->pump();
    EXPECT_TRUE(music_.calls.empty());

    // Once the credits roll: fukai57a.mid after the first piece, spacial.mid after every other.
    gs_.scroll_row = 0;
    for (int i = 0; i < 3; ++i) {
        music_.finished = true;
        front_->pump();
    }
    EXPECT_EQ(music_.calls, (std::vector<std::string>{"play fukai57a.mid", "play spacial.mid",
                                                      "play spacial.mid"}));
    EXPECT_TRUE(gs_.ending_music_started);
}

// The music's loudness goes to the synthesizer at start and with every change; muting sends
// 0 and keeps the chosen level for later.
TEST_F(Front, MusicLevelFollowsTheSettings) {
    make();
    EXPECT_EQ(music_.calls, (std::vector<std::string>{"volume 100"}));
    music_.calls.clear();
    front_->set_levels({30, 55, false});
    front_->set_levels({30, 55, true});
    front_->set_levels({30, 55, false});
    EXPECT_EQ(music_.calls, (std::vector<std::string>{"volume 55", "volume 0", "volume 55"}));
}

TEST_F(Front, WithoutADeviceTheGameRunsSilently) {
    device_.devices = 0;
    make(false);
    EXPECT_FALSE(front_->effects_on());
    EXPECT_FALSE(front_->music_on());
    front_->play_ok_sound();
    front_->play_step_sound();
    front_->play_effect("walk.wav");
    front_->play_effect3("walk.wav");
    front_->play_music("spacial.mid");
    front_->pump();
    EXPECT_EQ(log_.str(),
              "luminaria: no sound effects: No wave output devices available; the game runs "
              "without them\n");
}

TEST_F(Front, BrokenSettingsLinesAreReported) {
    std::ofstream(game_.dir / "MIXER.INI") << "[default]\nBlocks\n";
    make();
    EXPECT_EQ(log_.str(),
              "luminaria: " + (game_.dir / "MIXER.INI").string() + ":2: expected key=value\n");
    EXPECT_TRUE(front_->effects_on());
}

}  // namespace
}  // namespace lum

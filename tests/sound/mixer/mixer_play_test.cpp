#include <gtest/gtest.h>

#include "mixer_fixture.h"

namespace lum::mix::test {
namespace {

using Play = MixerTest;

TEST_F(Play, OneSoundIsCopiedThenSilenceAndItsChannelIsFreed) {
    start();
    TSoundWave* a = wave(ramp(300, 1));
    Recorder notify;
    play(0, a, 0, 0, &notify);
    EXPECT_EQ(device_.writes, 1);  // the second block would hold nothing
    run(200);
    Bytes expected(ramp(299, 1));  // `end` is start + length − 1 and is not itself played
    expected.resize(512, 128);
    EXPECT_EQ(device_.played, expected);
    EXPECT_EQ(notify.posted, (std::vector<Posted>{{957, 0, a}}));
    EXPECT_EQ(queue_length(0), 0);
    EXPECT_FALSE(mixer_wave_busy(session_, a));
}

TEST_F(Play, QueuedOnABusyChannelStartsAtThePreviousEnd) {
    start();
    TSoundWave* a = wave(ramp(2000, 0));
    TSoundWave* b = wave(runs({{100, 77}}));
    play(0, a);
    play(0, b);
    EXPECT_EQ(session_->plays[session_->plays[session_->channel[0]].next].start, 1999u);
    run(400);
    Bytes expected = ramp(1999, 0);
    Bytes tail = runs({{99, 77}, {2560 - 1999 - 99, 128}});
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(device_.played, expected);
}

TEST_F(Play, LoopsOnePlaysTwice) {
    start();
    TSoundWave* a = wave(ramp(100, 10));
    play(3, a, 0, 1);
    run(100);
    ASSERT_EQ(device_.played.size(), 512u);
    for (std::size_t i = 0; i < 512; ++i) {
        ASSERT_EQ(device_.played[i], i < 199 ? 10 + i % 100 : 128) << i;
    }
}

TEST_F(Play, ForeverLoopsUntilClearedAndClearingRemixesAtOnce) {
    start();
    TSoundWave* a = wave(ramp(100, 10));
    play(0, a, 0, kLoopForever);
    run(300);
    const std::uint32_t at = mixer_position(session_);
    ASSERT_EQ(device_.played.size(), at);
    mixer_clear_channels(session_, 0, 0);
    run(300);
    EXPECT_EQ(device_.played.size(), at);  // the mixed-ahead blocks were taken back
    for (std::size_t i = 0; i < device_.played.size(); ++i) {
        ASSERT_EQ(device_.played[i], 10 + i % 100) << i;
    }
    EXPECT_EQ(queue_length(0), 0);
}

TEST_F(Play, ClearingWithoutRemixLetsTheMixedBlocksPlayOut) {
    start();
    TSoundWave* a = wave(ramp(100, 10));
    play(0, a, 0, kLoopForever);
    run(300);
    const std::uint32_t mixed = session_->mix_pos;
    mixer_clear_channels(session_, 0, 1 | 2);
    run(300);
    EXPECT_EQ(device_.played.size(), mixed);
    for (std::size_t i = 0; i < device_.played.size(); ++i) {
        ASSERT_EQ(device_.played[i], 10 + i % 100) << i;
    }
}

TEST_F(Play, WaitFlaggedPlaysStartTogether) {
    start();
    TSoundWave* a = wave(runs({{50, 150}}));
    TSoundWave* b = wave(runs({{50, 150}}));
    TSoundWave* c = wave(runs({{50, 100}}));
    play(0, a, kPlayWait);
    clock_.advance(7);
    play(1, b, kPlayWait);
    EXPECT_EQ(device_.writes, 0);
    EXPECT_EQ(session_->pending.size(), 2u);
    clock_.advance(5);
    play(2, c);
    EXPECT_TRUE(session_->pending.empty());
    run(100);
    // 128 + 22 + 22 − 28.
    EXPECT_EQ(device_.played, runs({{49, 144}, {512 - 49, 128}}));
}

TEST_F(Play, LeastRecentlyUsedChannel) {
    start("[default]\nBlockLen=512\nBlocks=2\n", nullptr, 4);
    TSoundWave* longw = wave(Bytes(5000, 130));
    TSoundWave* x = wave(Bytes(10, 140));
    for (int ch = 0; ch < 4; ++ch) play(ch, longw);  // stamps 1..4, all busy
    play(7, x, kPlayLru);                            // channel ignored: 0 has the oldest stamp
    EXPECT_EQ(queue_length(0), 2);
    play(0, x, kPlayLru);
    EXPECT_EQ(queue_length(1), 2);
    EXPECT_EQ(session_->channel_stamp, (std::array<std::uint32_t, 8>{5, 6, 3, 4, 0, 0, 0, 0}));

    // An idle channel is taken as soon as it is the candidate...
    mixer_clear_channels(session_, 2, 2);
    play(0, x, kPlayLru);
    EXPECT_EQ(head_wave(2), x);
    // ...but a busy channel with an older stamp wins over an idle one seen after it.
    mixer_clear_channels(session_, 1, 2);  // idle, stamp 6; channel 3 busy with stamp 4
    play(0, x, kPlayLru);                  // candidates: 0 (5), then 3 (4)
    EXPECT_EQ(queue_length(3), 2);
    EXPECT_EQ(queue_length(1), 0);
}

TEST_F(Play, LeastRecentlyUsedStartsAtChannelZeroEvenWhenClosed) {
    start("[default]\nBlockLen=512\nBlocks=2\n", nullptr, 0);
    mixer_open_channels(session_, 5, 0);
    TSoundWave* x = wave(Bytes(10, 140));
    // Channel 0 is the first candidate; no open channel has a smaller stamp than its 0, so
    // it stays the choice, is stamped, and is refused as closed.
    EXPECT_EQ(error_of([&] { play(0, x, kPlayLru); }), "The specified channel was not open");
    EXPECT_EQ(session_->channel_stamp[0], 1u);
    EXPECT_EQ(head_wave(5), nullptr);
    EXPECT_TRUE(session_->pending.empty());
    // Now channel 5's stamp 0 is smaller than the closed candidate's 1: channel 5 is chosen.
    play(0, x, kPlayLru);
    EXPECT_EQ(head_wave(5), x);
    EXPECT_EQ(session_->channel_stamp[5], 2u);
}

TEST_F(Play, HighPriorityWithFullRemixStartsAtThePlayPosition) {
    start();
    TSoundWave* a = wave(runs({{3000, 160}}));
    TSoundWave* b = wave(runs({{200, 140}}));
    play(0, a);
    run(20);  // 20 ms at 11025 bytes/s: 220 bytes played
    ASSERT_EQ(device_.played.size(), 220u);
    play(1, b, kPlayNow);
    EXPECT_EQ(device_.resets, 1);
    run(400);
    // 128 + 32 + 12 while both sound.
    EXPECT_EQ(device_.played, runs({{220, 160}, {199, 172}, {2999 - 419, 160}, {293, 128}}));
}

TEST_F(Play, HighPriorityWithShiftStartsAfterWhatIsMixed) {
    start("[default]\nBlockLen=512\nBlocks=2\nRemix=2\n");
    TSoundWave* a = wave(runs({{3000, 160}}));
    TSoundWave* b = wave(runs({{200, 140}}));
    play(0, a);
    run(20);
    play(1, b, kPlayNow);
    EXPECT_EQ(device_.resets, 0);
    run(400);
    EXPECT_EQ(device_.played, runs({{1024, 160}, {199, 172}, {2999 - 1223, 160}, {73, 128}}));
}

TEST_F(Play, ClearFlagReplacesTheQueueAndDropsWhatIsBuffered) {
    start();
    TSoundWave* a = wave(runs({{3000, 160}}));
    TSoundWave* b = wave(runs({{100, 90}}));
    play(0, a);
    run(20);
    play(0, b, kPlayClear);  // starts at mix_pos; the buffered audio is thrown away
    EXPECT_EQ(queue_length(0), 1);
    run(200);
    EXPECT_EQ(device_.played, runs({{220, 160}, {99, 90}, {512 - 99, 128}}));
}

TEST_F(Play, DevicePositionSettingReadsTheDevice) {
    start("[default]\nBlockLen=512\nBlocks=2\nDevicePosition=1\n");
    TSoundWave* a = wave(runs({{3000, 160}}));
    play(0, a);
    run(30);
    device_.pause();  // the device stops; the clock does not
    clock_.advance(50);
    EXPECT_EQ(mixer_position(session_), 330u);
}

TEST_F(Play, PoolOfPlaysRunsOutWithoutTouchingTheQueues) {
    start();
    TSoundWave* a = wave(Bytes(10, 140));
    for (int i = 0; i < kPlayPoolSize; ++i) play(i % 8, a);
    int before = 0;
    for (int ch = 0; ch < 8; ++ch) before += queue_length(ch);
    EXPECT_EQ(before, kPlayPoolSize);
    EXPECT_EQ(error_of([&] { play(0, a); }), "Not enough memory");
    int after = 0;
    for (int ch = 0; ch < 8; ++ch) after += queue_length(ch);
    EXPECT_EQ(after, kPlayPoolSize);
    run(500);  // every play ends and goes back to the pool
    play(0, a);
    EXPECT_EQ(queue_length(0), 1);
}

TEST_F(Play, ReleasingAWaveDropsItsPlays) {
    start();
    TSoundWave* a = wave(Bytes(3000, 140));
    TSoundWave* b = wave(Bytes(3000, 150));
    play(0, a);
    play(0, b);
    play(1, a, kPlayWait);
    mixer_release_wave(session_, a);
    EXPECT_EQ(queue_length(0), 1);
    EXPECT_EQ(head_wave(0), b);
    EXPECT_TRUE(session_->pending.empty());
    EXPECT_EQ(error_of([&] { mixer_release_wave(session_, a); }),
              "The given pointer was not valid");
}

TEST_F(Play, DeactivationKeepsThePositionAndThePlays) {
    start();
    TSoundWave* a = wave(runs({{3000, 160}}));
    play(0, a);
    run(20);
    mixer_activate(session_, false);
    EXPECT_FALSE(device_.is_open());
    EXPECT_EQ(session_->mix_pos, 220u);
    mixer_activate(session_, true);
    run(400);
    // Mixing resumes at 220: blocks from 220 on, the last one [2780, 3292).
    EXPECT_EQ(device_.played, runs({{2999, 160}, {293, 128}}));
}

}  // namespace
}  // namespace lum::mix::test

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <random>

#include "sound/mixer/mixer.h"
#include "sound/mixer/virtual_device.h"
#include "sound/mixer/wave_convert.h"
#include "wave_bytes.h"

namespace lum::mix {
namespace {

using test::Bytes;
using test::chunk;
using test::fmt_body;
using test::riff;
using test::wav;

WaveFormat out_mono11() {
    return WaveFormat{};
}
WaveFormat out_stereo22() {
    return WaveFormat{1, 2, 22050, 44100, 2, 8};
}

TEST(WaveConvert, RateDownAveragesFullGroupsAndCopiesTheFirstLeftoverFrame) {
    // Each full group of k frames becomes 128 + Σ(b − 128) div k (truncating toward 0); frames
    // left over become one frame copying the first of them; a wave shorter than k becomes one
    // frame copying its first. Lengths 1, k − 1, k, k + 1 and 2k + 1 at each rate pair.
    struct Case {
        std::uint32_t rate_in;
        WaveFormat out;
        int channels;
        Bytes in, expected;
    };
    const WaveFormat mono11 = out_mono11();
    const WaveFormat stereo22 = out_stereo22();
    const Case cases[] = {
        // 22050 → 11025, k = 2 (k − 1 = 1 frame).
        {22050, mono11, 1, {77}, {77}},
        {22050, mono11, 1, {100, 103}, {102}},  // (−28 − 25) div 2 = −26
        {22050, mono11, 1, {100, 103, 250}, {102, 250}},
        {22050, mono11, 1, {100, 103, 200, 201, 9}, {102, 200, 9}},  // (72 + 73) div 2 = 72
        // 44100 → 11025, k = 4.
        {44100, mono11, 1, {5}, {5}},
        {44100, mono11, 1, {30, 40, 50}, {30}},
        {44100, mono11, 1, {0, 255, 1, 2}, {65}},  // −254 div 4 = −63
        {44100, mono11, 1, {0, 255, 1, 2, 99}, {65, 99}},
        {44100, mono11, 1, {0, 255, 1, 2, 200, 200, 200, 201, 7}, {65, 200, 7}},
        // 44100 → 22050 in stereo, k = 2, each channel on its own.
        {44100, stereo22, 2, {10, 250}, {10, 250}},
        {44100, stereo22, 2, {10, 250, 13, 255}, {12, 252}},  // −233 div 2, 249 div 2
        {44100, stereo22, 2, {10, 250, 13, 255, 7, 8}, {12, 252, 7, 8}},
        {44100, stereo22, 2, {10, 250, 13, 255, 128, 0, 129, 1, 60, 61}, {12, 252, 128, 1, 60, 61}},
    };
    for (const Case& c : cases) {
        const auto channels = static_cast<std::uint16_t>(c.channels);
        WaveFormat in{1, channels, c.rate_in, c.rate_in * channels, channels, 8};
        EXPECT_EQ(convert_wave(c.in, in, c.out), c.expected)
            << c.rate_in << " Hz, " << c.in.size() / c.channels << " frames";
    }
}

TEST(WaveConvert, RateCloseToTheOutputIsLeftAlone) {
    // 8000 → 11025: k = 11025 div 8000 = 1, no resampling at all.
    Bytes in = test::ramp(10, 20);
    EXPECT_EQ(convert_wave(in, WaveFormat{1, 1, 8000, 8000, 1, 8}, out_mono11()), in);
}

TEST(WaveConvert, RateUpInterpolatesTowardTheNextFrame) {
    // 5512 → 11025: k = 2; step = (next − this) div 2, truncating toward 0; last repeated.
    Bytes in = {100, 111, 50, 49};
    EXPECT_EQ(convert_wave(in, WaveFormat{1, 1, 5512, 5512, 1, 8}, out_mono11()),
              (Bytes{100, 105, 111, 81, 50, 50, 49, 49}));
    // 11025 → 44100 stereo: k = 4 per channel.
    Bytes st = {0, 200, 8, 100};
    EXPECT_EQ(convert_rate(st, 2, 11025, 44100),
              (Bytes{0, 200, 2, 175, 4, 150, 6, 125, 8, 100, 8, 100, 8, 100, 8, 100}));
}

TEST(WaveConvert, SixteenBitAndChannelSteps) {
    // High byte + 128: 0x0000 → 128, 0x7FFF → 255, 0x8000 → 0, 0xFF00 (−256) → 127.
    Bytes in16 = {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0x00, 0xFF};
    EXPECT_EQ(convert_wave(in16, WaveFormat{1, 1, 11025, 22050, 2, 16}, out_mono11()),
              (Bytes{128, 255, 0, 127}));
    // Stereo to mono: (left + right) div 2 of the unsigned bytes.
    Bytes st = {255, 0, 200, 201, 3, 4};
    EXPECT_EQ(convert_wave(st, WaveFormat{1, 2, 11025, 22050, 2, 8}, out_mono11()),
              (Bytes{127, 200, 3}));
    // 16-bit stereo at 22050 to mono 11025: every step in turn. The two frames become 0x90,
    // 0xB0, 0xA0, 0xC0, then 0xA0, 0xB0, then their average 128 + (32 + 48) div 2.
    Bytes s16 = {0, 0x10, 0, 0x30, 0, 0x20, 0, 0x40};  // frames (0x10,0x30), (0x20,0x40)
    EXPECT_EQ(convert_wave(s16, WaveFormat{1, 2, 22050, 88200, 4, 16}, out_mono11()),
              (Bytes{0xA8}));
    // Mono to stereo duplicates; 8 to 16 is sample × 256 − 32768.
    EXPECT_EQ(convert_wave(Bytes{7, 9}, WaveFormat{1, 1, 22050, 22050, 1, 8}, out_stereo22()),
              (Bytes{7, 7, 9, 9}));
    EXPECT_EQ(convert_bits(Bytes{0, 128, 255}, 8, 16), (Bytes{0, 0x80, 0, 0, 0, 0x7F}));
}

TEST(WaveConvert, RefusesWhatItCannotConvert) {
    auto message = [](const Bytes& data, WaveFormat f) {
        try {
            convert_wave(data, f, WaveFormat{});
        } catch (const EMixerError& e) {
            return std::string(e.what());
        }
        return std::string("converted");
    };
    EXPECT_EQ(message(Bytes(6, 0), WaveFormat{1, 1, 11025, 0, 3, 24}), "File format not supported");
    EXPECT_EQ(message(Bytes(6, 0), WaveFormat{1, 3, 11025, 0, 3, 8}), "File format not supported");
    // A rate of 1 Hz would be blown up 11025 times; a large wave like that is refused.
    EXPECT_EQ(message(Bytes(8000, 9), WaveFormat{1, 1, 1, 1, 1, 8}),
              "Failed to convert wave format");
}

std::string parse_error(const Bytes& image) {
    try {
        parse_riff_wave(image.data(), image.size());
    } catch (const EMixerError& e) {
        return e.what();
    }
    return "parsed";
}

TEST(WaveParse, EveryMalformedImageGetsItsMessage) {
    const Bytes fmt = chunk("fmt ", fmt_body(1, 11025, 8));
    const Bytes data = chunk("data", Bytes{1, 2, 3, 4});
    EXPECT_EQ(parse_error(Bytes{}), "This is not a WAVE file");
    EXPECT_EQ(parse_error(Bytes{'R', 'I', 'F', 'F', 4, 0}), "This is not a WAVE file");
    EXPECT_EQ(parse_error(riff({fmt, data}, "AVI ")), "This is not a WAVE file");
    EXPECT_EQ(parse_error(riff({data})), "WAVE file is corrupted");
    EXPECT_EQ(parse_error(riff({chunk("fmt ", Bytes(14, 1))})), "Failed to read format chunk");
    // The fmt chunk claims 16 bytes but the file ends after 6.
    Bytes cut = riff({fmt});
    cut.resize(12 + 8 + 6);
    EXPECT_EQ(parse_error(cut), "Failed to read format chunk");
    EXPECT_EQ(parse_error(riff({chunk("fmt ", fmt_body(1, 11025, 8, 3)), data})),
              "The file is not a PCM file");
    EXPECT_EQ(parse_error(riff({fmt})), "WAVE file has no data chunk");
    EXPECT_EQ(parse_error(riff({fmt, chunk("data", Bytes{})})), "The data chunk has no data");
    EXPECT_EQ(parse_error(riff({fmt, chunk("data", Bytes{1, 2}, 4000)})),
              "Failed to read data chunk");
    EXPECT_EQ(parse_error(riff({chunk("fmt ", fmt_body(0, 11025, 8)), data})),
              "The wave format has no channels or no sample rate");
    EXPECT_EQ(parse_error(riff({chunk("fmt ", fmt_body(1, 0, 8)), data})),
              "The wave format has no channels or no sample rate");
    EXPECT_EQ(parse_error(riff({chunk("fmt ", fmt_body(1, 11025, 16)), chunk("data", Bytes(3))})),
              "The data chunk does not hold whole sample frames");
    // A chunk size that jumps past the end hides the data chunk behind it.
    EXPECT_EQ(parse_error(riff({fmt, chunk("LIST", Bytes{1, 2}, 0xFFFFFFF0u), data})),
              "WAVE file has no data chunk");
}

TEST(WaveParse, SkipsOtherChunksWithTheirPadding) {
    Bytes image = riff({chunk("JUNK", Bytes{9, 9, 9}), chunk("fmt ", fmt_body(1, 22050, 8)),
                        chunk("LIST", Bytes{1}), chunk("data", Bytes{5, 6, 7})});
    ParsedWave w = parse_riff_wave(image.data(), image.size());
    EXPECT_EQ(w.format.samples_per_sec, 22050u);
    EXPECT_EQ(w.data, (Bytes{5, 6, 7}));
}

// Cut or damaged images are refused with a message, never read out of bounds (the sanitizer
// build watches the reads).
TEST(WaveParse, TruncatedAndDamagedImagesNeverReadOutside) {
    Bytes good = wav(2, 22050, 16, test::ramp(64));
    for (std::size_t n = 0; n < good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_NE(parse_error(cut), "parsed") << n;
    }
    std::mt19937 gen(3);
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = good;
        for (int k = 0; k < 3; ++k) bad[gen() % bad.size()] = static_cast<std::uint8_t>(gen());
        std::vector<std::uint8_t> exact(bad);  // a buffer of exactly the image's size
        try {
            ParsedWave w = parse_riff_wave(exact.data(), exact.size());
            convert_wave(w.data, w.format, WaveFormat{});
        } catch (const EMixerError&) {
        }
    }
}

class WaveLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("lum_wave_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        MixerHost host{&device_, &clock_, {}, folder_resources(dir_.string()), {}};
        session_ = mixer_init(nullptr, host);
    }
    void TearDown() override {
        mixer_end_session(session_);
        std::filesystem::remove_all(dir_);
    }
    std::string write(const std::string& name, const Bytes& b) {
        auto p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
        return p.string();
    }
    std::string load_error(const WaveSource& src) {
        try {
            mixer_load_wave(session_, src);
        } catch (const EMixerError& e) {
            return e.what();
        }
        return "loaded";
    }

    VirtualClock clock_;
    VirtualDevice device_{clock_};
    TMixerSession* session_ = nullptr;
    std::filesystem::path dir_;
};

TEST_F(WaveLoad, FromFileResourceAndMemory) {
    std::string path =
        write("some_long_effect_name.wav", wav(1, 22050, 8, Bytes{10, 20, 30, 40, 50}));
    TSoundWave* w = mixer_load_wave(session_, WaveSource{kWaveFromFile, path});
    EXPECT_EQ(w->length, 3u);
    EXPECT_EQ(w->data, (Bytes{15, 35, 50}));  // two pairs averaged, the frame left over copied
    EXPECT_EQ(w->format.samples_per_sec, 22050u);
    EXPECT_EQ(std::string(w->name), path.substr(0, 15));

    write("boom.wav", wav(1, 11025, 8, Bytes{1, 2, 3}));
    TSoundWave* r = mixer_load_wave(session_, WaveSource{kWaveFromResource, "boom"});
    EXPECT_EQ(r->data, (Bytes{1, 2, 3}));
    EXPECT_STREQ(r->name, "boom");
    write("#7", wav(1, 11025, 8, Bytes{4}));
    TSoundWave* n = mixer_load_wave(session_, WaveSource{kWaveFromResource, "", 7});
    EXPECT_STREQ(n->name, "res#7");

    Bytes image = wav(1, 11025, 8, Bytes{9, 8});
    TSoundWave* m =
        mixer_load_wave(session_, WaveSource{kWaveFromMemory, "", -1, image.data(), image.size()});
    EXPECT_EQ(m->data, (Bytes{9, 8}));
    mixer_release_wave(session_, m);
    mixer_release_wave(session_, w);
}

TEST_F(WaveLoad, SourceAndDeviceMessages) {
    EXPECT_EQ(load_error(WaveSource{kWaveFromFile, "/nonexistent/x.wav"}),
              "Failed to open wave file /nonexistent/x.wav");
    EXPECT_EQ(load_error(WaveSource{kWaveFromResource, "nothing.wav"}),
              "Failed to open \"WAVE\" resource nothing.wav");
    EXPECT_EQ(load_error(WaveSource{kWaveFromResource, "", 12}),
              "Failed to open \"WAVE\" resource 12");
    EXPECT_EQ(load_error(WaveSource{kWaveFromMemory, ""}),
              "Failed to open memory file, open error=259.#13May need to make sure memory is "
              "read-write");
    std::string bad = write("bad.wav", riff({chunk("fmt ", fmt_body(1, 11025, 8))}));
    EXPECT_EQ(load_error(WaveSource{kWaveFromFile, bad}), "WAVE file has no data chunk");
    device_.accepts_format = false;
    EXPECT_EQ(load_error(WaveSource{kWaveFromFile, bad}),
              "The waveform device can\xEF\xBD\xB4t play this format");
    EXPECT_TRUE(session_->waves.empty());  // nothing kept from the failed loads
}

}  // namespace
}  // namespace lum::mix

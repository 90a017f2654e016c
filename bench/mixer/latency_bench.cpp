// Latency from mixer_play (flags 0, on an idle channel while another channel sounds) to the
// play's first byte, with the default settings and with the shipped MIXER.INI:
//  - on the virtual device: when the block holding that byte is handed to the device, and
//    when the device plays it (the mixer's own share of what the player hears);
//  - on SDL's dummy driver in real time: the same hand-over, and the underruns of a
//    five-second run fed only through block-done wake-ups, as the game is.
// Usage: bench_mixer_latency [settings file]   (default: data/MIXER.INI of the source tree)

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sound/mixer/mixer.h"
#include "sound/mixer/virtual_device.h"
#include "sound/sdl_api.h"
#include "sound/sdl_output_device.h"

namespace {

using namespace lum::mix;

std::vector<std::uint8_t> wav8(std::size_t n, std::uint8_t v) {
    std::vector<std::uint8_t> b = {'R',  'I',  'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V',  'E',  'f', 'm',
                                   't',  ' ',  16,  0,   0, 0, 1, 0, 1,   0,   0x11, 0x2B, 0,   0,
                                   0x11, 0x2B, 0,   0,   1, 0, 8, 0, 'd', 'a', 't',  'a'};
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    b.insert(b.end(), n, v);
    std::uint32_t riff = static_cast<std::uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    return b;
}

TSoundWave* load(TMixerSession* s, const std::vector<std::uint8_t>& image) {
    return mixer_load_wave(s, WaveSource{kWaveFromMemory, "", -1, image.data(), image.size()});
}

void play(TMixerSession* s, int ch, TSoundWave* w, std::uint16_t loops) {
    TPlayRequest r;
    r.session = s;
    r.channel = ch;
    r.wave = w;
    r.loops = loops;
    mixer_play(&r);
}

// Where the probe just queued on channel 1 starts (the last play of its queue).
std::uint32_t probe_start(TMixerSession* s) {
    int i = s->channel[1];
    while (s->plays[i].next >= 0) i = s->plays[i].next;
    return s->plays[i].start;
}

// Whether the block holding output position `pos` has been written to the device.
bool handed(TMixerSession* s, std::uint32_t pos) {
    for (OutputBlock* b : s->at_device) {
        if (b->start <= pos && pos - b->start < b->length) return true;
    }
    return false;
}

struct Stats {
    double mean = 0, max = 0;
    void add(double v, int n) {
        mean += v / n;
        max = std::max(max, v);
    }
};

void simulated(const char* label, const ProfileFile& ini) {
    VirtualClock clock;
    VirtualDevice device(clock);
    TMixerSession* s = mixer_init(nullptr, MixerHost{&device, &clock, ini, {}, {}});
    mixer_activate(s, true);
    mixer_open_channels(s, 2, 2);
    // The background sound is silence-valued, so the probe's 255 stands out in the mix.
    auto bg_image = wav8(1000, 128), probe_image = wav8(200, 255);
    TSoundWave* bg = load(s, bg_image);
    TSoundWave* probe = load(s, probe_image);
    play(s, 0, bg, kLoopForever);
    std::mt19937 gen(1);
    const int trials = 300;
    Stats hand, heard;
    const double ms_per_byte = 1000.0 / s->out_format.avg_bytes_per_sec;
    for (int t = 0; t < trials; ++t) {
        for (unsigned i = gen() % 200 + 50; i > 0; --i) {
            device.advance(1);
            mixer_pump(s);
        }
        std::size_t from = device.played.size();
        play(s, 1, probe, 0);
        const std::uint32_t at = probe_start(s);
        int ms = 0;
        double hand_ms = -1;
        for (;; ++ms) {
            if (hand_ms < 0 && handed(s, at)) hand_ms = ms;
            auto it = std::find(device.played.begin() + static_cast<long>(from),
                                device.played.end(), 255);
            if (it != device.played.end()) {
                // The byte's own time within the millisecond that played it.
                double late = static_cast<double>(device.played.end() - it - 1) * ms_per_byte;
                heard.add(std::max(0.0, ms - late), trials);
                break;
            }
            device.advance(1);
            mixer_pump(s);
        }
        hand.add(hand_ms, trials);
        for (int i = 0; i < 40; ++i) {  // let the probe finish
            device.advance(1);
            mixer_pump(s);
        }
    }
    std::printf(
        "%-9s %6u Hz  %u x %4u bytes  handed: mean %5.1f ms, max %5.1f ms   "
        "played: mean %5.1f ms, max %5.1f ms\n",
        label, s->out_format.samples_per_sec, s->block_count, s->block_len, hand.mean, hand.max,
        heard.mean, heard.max);
    mixer_end_session(s);
}

void on_sdl(const char* label, const ProfileFile& ini) {
    std::string why;
    auto device = lum::SdlOutputDevice::create(&why);
    if (!device) {
        std::printf("%-9s SDL: %s\n", label, why.c_str());
        return;
    }
    std::mutex m;
    std::condition_variable cv;
    bool woken = false;
    SteadyClock clock;
    TMixerSession* s = mixer_init(nullptr, MixerHost{device.get(), &clock, ini, {}, [&] {
                                                         std::lock_guard<std::mutex> g(m);
                                                         woken = true;
                                                         cv.notify_one();
                                                     }});
    mixer_activate(s, true);
    mixer_open_channels(s, 2, 2);
    auto bg_image = wav8(1000, 128), probe_image = wav8(200, 255);
    TSoundWave* bg = load(s, bg_image);
    TSoundWave* probe = load(s, probe_image);
    play(s, 0, bg, kLoopForever);
    // The GUI thread wakes only for block-done notices, as the game's event loop does.
    std::uint32_t at = 0;
    auto pump_for = [&](std::chrono::steady_clock::duration d, bool probe_wait) {
        auto until = std::chrono::steady_clock::now() + d;
        while (std::chrono::steady_clock::now() < until) {
            {
                std::unique_lock<std::mutex> g(m);
                cv.wait_until(g, until, [&] { return woken; });
                woken = false;
            }
            mixer_pump(s);
            if (probe_wait && handed(s, at)) return true;
        }
        return false;
    };
    pump_for(std::chrono::milliseconds(300), false);
    const int before = device->underruns();
    std::mt19937 gen(2);
    Stats hand;
    const int trials = 40;
    auto t_end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (int t = 0; t < trials; ++t) {
        pump_for(std::chrono::milliseconds(gen() % 60 + 30), false);
        auto t0 = std::chrono::steady_clock::now();
        play(s, 1, probe, 0);
        at = probe_start(s);
        if (!handed(s, at)) pump_for(std::chrono::seconds(1), true);
        hand.add(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                     .count(),
                 trials);
    }
    pump_for(t_end - std::chrono::steady_clock::now(), false);
    std::printf(
        "%-9s SDL %s, %d-frame buffer: handed: mean %5.1f ms, max %5.1f ms; "
        "underruns in ~5 s: %d\n",
        label, lum::sdl_api()->SDL_GetCurrentAudioDriver(), device->buffer_frames(), hand.mean,
        hand.max, device->underruns() - before);
    mixer_end_session(s);
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : std::string(LUM_SOURCE_DIR) + "/data/MIXER.INI";
    auto shipped = ProfileFile::load(path);
    if (!shipped) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    if (!std::getenv("SDL_AUDIODRIVER")) ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::printf("virtual device (exact clock):\n");
    simulated("defaults", ProfileFile{});
    simulated("shipped", *shipped);
    std::printf("SDL output in real time:\n");
    on_sdl("defaults", ProfileFile{});
    on_sdl("shipped", *shipped);
    return 0;
}

#pragma once

// The records shared by the mixer, its devices and its callers.

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace lum::mix {

inline constexpr int kMixerChannels = 8;
inline constexpr int kPlayPoolSize = 98;
inline constexpr int kOutputBlocks = 6;
inline constexpr int kBlockBytes = 4096;
inline constexpr std::uint32_t kForever = 0xFFFFFFFFu;
inline constexpr std::uint16_t kLoopForever = 65535;
inline constexpr unsigned kWaveDoneMessage = 957;

// Flags of a play request.
enum : std::uint32_t {
    kPlayClear = 1,  // drop the channel's queue first
    kPlayLru = 2,    // pick the least recently used channel
    kPlayNow = 4,    // start at the device's current position
    kPlayWait = 8,   // hold until the next play without this flag
};

// The 16 bytes of a "fmt " chunk, and the mixer's output format.
struct WaveFormat {
    std::uint16_t format_tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t samples_per_sec = 11025;
    std::uint32_t avg_bytes_per_sec = 11025;
    std::uint16_t block_align = 1;
    std::uint16_t bits_per_sample = 8;

    bool operator==(const WaveFormat&) const = default;
};

// A loaded wave, already converted to the session's output format.
struct TSoundWave {
    WaveFormat format;               // as read from the file
    std::vector<std::uint8_t> data;  // converted samples
    std::uint32_t length = 0;        // bytes of data
    std::uint32_t reserved[3] = {0, 0, 0};
    char name[16] = {};
};

// Receives the done notice of a finished play (message kWaveDoneMessage).
class PlayNotifyTarget {
  public:
    virtual ~PlayNotifyTarget() = default;
    virtual void post(unsigned message, int channel, TSoundWave* wave) = 0;
};

struct TMixerSession;

struct TPlayRequest {
    std::uint16_t size = 24;
    TMixerSession* session = nullptr;
    std::int32_t channel = 0;
    TSoundWave* wave = nullptr;
    PlayNotifyTarget* notify_window = nullptr;
    std::uint32_t flags = 0;
    std::uint16_t loops = 0;  // kLoopForever, else plays loops + 1 times
};

// One output block: a header and room for kBlockBytes of samples. `done` is set by the
// device, possibly from its own thread; everything else belongs to the mixer's thread.
struct OutputBlock {
    std::atomic<bool> done{false};
    bool free = true;
    bool prepared = false;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::array<std::uint8_t, kBlockBytes> data{};
};

}  // namespace lum::mix

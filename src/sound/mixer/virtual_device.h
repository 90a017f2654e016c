#pragma once

// A wave output device without hardware, for tests and measurements: its clock moves only
// when told to, it plays the written blocks at the format's byte rate, and it records every
// byte it plays.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sound/mixer/output_device.h"

namespace lum::mix {

class VirtualClock : public MixerClock {
  public:
    std::uint32_t now_ms() override { return now_; }
    void set(std::uint32_t ms) { now_ = ms; }
    void advance(std::uint32_t ms) { now_ += ms; }

  private:
    std::uint32_t now_ = 1000;
};

class VirtualDevice : public OutputDevice {
  public:
    explicit VirtualDevice(VirtualClock& clock) : clock_(clock) {}

    // What the device claims and how it fails, set by the test before use.
    int devices = 1;
    DeviceCaps capabilities{"Virtual Output", 2, false};
    bool caps_readable = true;
    bool accepts_format = true;
    int open_error = 0;
    int prepare_error = 0;
    int refuse_writes_after = -1;  // refuse every write once this many were accepted

    int device_count() override { return devices; }
    bool caps(int device_id, DeviceCaps& out) override;
    bool supports(int device_id, const WaveFormat& format) override;
    int open(int device_id, const WaveFormat& format, BlockDoneSink* sink) override;
    void close() override;
    int prepare(OutputBlock& block) override;
    void unprepare(OutputBlock& block) override;
    bool write(OutputBlock& block) override;
    void reset() override;
    void pause() override { paused_ = true; }
    void restart() override { paused_ = false; }
    std::uint32_t position() override { return position_; }

    // Moves the clock on by `ms`, playing what the elapsed time allows, one millisecond at a
    // time so that block-done notices come when a real device would send them.
    void advance(std::uint32_t ms);

    bool is_open() const { return open_; }
    bool paused() const { return paused_; }
    int opened_device() const { return device_id_; }
    const WaveFormat& format() const { return format_; }
    std::size_t queued_blocks() const { return queue_.size(); }

    // Every byte played, in order, and the milliseconds spent with nothing to play.
    std::vector<std::uint8_t> played;
    std::uint32_t starved_ms = 0;
    // Positions (bytes played so far) at which each block was written, and resets seen.
    std::vector<std::uint32_t> write_log;
    int resets = 0;
    int writes = 0;

  private:
    struct Entry {
        OutputBlock* block;
        std::uint32_t offset;
    };
    void play_bytes(std::uint32_t n);

    VirtualClock& clock_;
    BlockDoneSink* sink_ = nullptr;
    WaveFormat format_{};
    std::deque<Entry> queue_;
    std::uint32_t position_ = 0;
    std::uint64_t credit_ = 0;  // bytes × 1000 owed to the elapsed time
    int device_id_ = 0;
    bool open_ = false;
    bool paused_ = false;
};

}  // namespace lum::mix

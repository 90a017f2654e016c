#pragma once

// What the mixer needs from a wave output device and from the clock. The mixer reaches the
// sound hardware only through these, so tests can drive it with a virtual device.

#include <cstdint>
#include <string>

#include "sound/mixer/mixer_types.h"

namespace lum::mix {

struct DeviceCaps {
    std::string product_name;
    int channels = 2;
    bool synchronous = false;  // a blocking device cannot be fed from an event loop
};

// Told when the device has finished a block. May be called from the device's own thread.
class BlockDoneSink {
  public:
    virtual ~BlockDoneSink() = default;
    virtual void block_done() = 0;
};

class OutputDevice {
  public:
    static constexpr int kDefaultDevice = -1;

    virtual ~OutputDevice() = default;

    virtual int device_count() = 0;
    // False when the capabilities cannot be read.
    virtual bool caps(int device_id, DeviceCaps& out) = 0;
    virtual bool supports(int device_id, const WaveFormat& format) = 0;

    // 0 on success, else an error number for the message.
    virtual int open(int device_id, const WaveFormat& format, BlockDoneSink* sink) = 0;
    virtual void close() = 0;
    virtual int prepare(OutputBlock& block) = 0;
    virtual void unprepare(OutputBlock& block) = 0;

    // Queues the block behind those already written; false when refused. The device sets
    // block.done and tells the sink once it has played the block.
    virtual bool write(OutputBlock& block) = 0;
    // Drops every written block (each is marked done and reported) and the position goes
    // back to 0.
    virtual void reset() = 0;
    virtual void pause() = 0;
    virtual void restart() = 0;
    // Bytes played since open or the last reset.
    virtual std::uint32_t position() = 0;
};

class MixerClock {
  public:
    virtual ~MixerClock() = default;
    virtual std::uint32_t now_ms() = 0;
};

// The process's monotonic millisecond clock.
class SteadyClock : public MixerClock {
  public:
    std::uint32_t now_ms() override;
};

}  // namespace lum::mix

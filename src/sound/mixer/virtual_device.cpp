#include "sound/mixer/virtual_device.h"

#include <chrono>

namespace lum::mix {

std::uint32_t SteadyClock::now_ms() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool VirtualDevice::caps(int, DeviceCaps& out) {
    if (!caps_readable) return false;
    out = capabilities;
    return true;
}

bool VirtualDevice::supports(int, const WaveFormat& format) {
    return accepts_format && format.bits_per_sample == 8 && format.channels >= 1 &&
           format.channels <= 2;
}

int VirtualDevice::open(int device_id, const WaveFormat& format, BlockDoneSink* sink) {
    if (open_error != 0) return open_error;
    device_id_ = device_id;
    format_ = format;
    sink_ = sink;
    open_ = true;
    paused_ = false;
    position_ = 0;
    credit_ = 0;
    queue_.clear();
    return 0;
}

void VirtualDevice::close() {
    open_ = false;
    sink_ = nullptr;
    queue_.clear();
}

int VirtualDevice::prepare(OutputBlock& block) {
    if (prepare_error != 0) return prepare_error;
    block.prepared = true;
    return 0;
}

void VirtualDevice::unprepare(OutputBlock& block) {
    block.prepared = false;
}

bool VirtualDevice::write(OutputBlock& block) {
    if (!open_ || !block.prepared) return false;
    if (refuse_writes_after >= 0 && writes >= refuse_writes_after) return false;
    ++writes;
    block.done = false;
    write_log.push_back(position_);
    queue_.push_back({&block, 0});
    return true;
}

void VirtualDevice::reset() {
    ++resets;
    std::deque<Entry> dropped;
    dropped.swap(queue_);
    position_ = 0;
    credit_ = 0;
    for (Entry& e : dropped) e.block->done = true;
    if (sink_ && !dropped.empty()) sink_->block_done();
}

void VirtualDevice::play_bytes(std::uint32_t n) {
    while (n > 0) {
        if (queue_.empty()) return;
        Entry& e = queue_.front();
        std::uint32_t take = std::min(n, e.block->length - e.offset);
        played.insert(played.end(), e.block->data.begin() + e.offset,
                      e.block->data.begin() + e.offset + take);
        e.offset += take;
        position_ += take;
        n -= take;
        if (e.offset >= e.block->length) {
            OutputBlock* b = e.block;
            queue_.pop_front();
            b->done = true;
            if (sink_) sink_->block_done();
        }
    }
}

void VirtualDevice::advance(std::uint32_t ms) {
    for (std::uint32_t i = 0; i < ms; ++i) {
        clock_.advance(1);
        if (!open_ || paused_) continue;
        if (queue_.empty()) {
            ++starved_ms;
            credit_ = 0;  // a real device plays silence in real time; nothing is owed
            continue;
        }
        credit_ += format_.avg_bytes_per_sec;
        auto n = static_cast<std::uint32_t>(credit_ / 1000);
        credit_ %= 1000;
        play_bytes(n);
    }
}

}  // namespace lum::mix

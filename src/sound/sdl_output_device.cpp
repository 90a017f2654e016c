#include "sound/sdl_output_device.h"

#include <algorithm>
#include <cstring>

#include "sound/sdl_api.h"

namespace lum {

void scale_u8_samples(std::uint8_t* data, std::size_t n, int percent) {
    if (percent >= 100) return;
    if (percent < 0) percent = 0;
    for (std::size_t i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>(128 + (data[i] - 128) * percent / 100);
}

std::unique_ptr<SdlOutputDevice> SdlOutputDevice::create(std::string* why) {
    const SdlApi* sdl = sdl_api(why);
    if (!sdl) return nullptr;
    // SDL would otherwise take over SIGINT and SIGTERM and turn them into events nobody
    // reads, leaving the game deaf to Ctrl+C and to being asked to end.
    sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (why) *why = sdl->SDL_GetError();
        return nullptr;
    }
    return std::unique_ptr<SdlOutputDevice>(new SdlOutputDevice(*sdl));
}

SdlOutputDevice::~SdlOutputDevice() {
    close();
    sdl_.SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Device 0 is the system's default output (as is -1); devices 1..n are those SDL lists, so
// that the settings' default of device 0 follows the desktop's choice.
const char* SdlOutputDevice::sdl_name(int device_id) {
    return device_id >= 1 ? sdl_.SDL_GetAudioDeviceName(device_id - 1, 0) : nullptr;
}

std::vector<std::string> SdlOutputDevice::output_names() {
    std::vector<std::string> names;
    int n = sdl_.SDL_GetNumAudioDevices(0);
    for (int i = 0; i < n; ++i)
        if (const char* name = sdl_.SDL_GetAudioDeviceName(i, 0)) names.emplace_back(name);
    return names;
}

int SdlOutputDevice::device_count() {
    int n = sdl_.SDL_GetNumAudioDevices(0);
    return 1 + std::max(n, 0);
}

bool SdlOutputDevice::caps(int device_id, mix::DeviceCaps& out) {
    const char* name = sdl_name(device_id);
    const char* driver = sdl_.SDL_GetCurrentAudioDriver();
    if (name) {
        out.product_name = name;
    } else {
        out.product_name = std::string("SDL default output (") + (driver ? driver : "none") + ")";
    }
    out.channels = 2;
    out.synchronous = false;
    return true;
}

bool SdlOutputDevice::supports(int, const mix::WaveFormat& format) {
    return format.bits_per_sample == 8 && (format.channels == 1 || format.channels == 2) &&
           format.samples_per_sec > 0;
}

int SdlOutputDevice::open(int device_id, const mix::WaveFormat& format, mix::BlockDoneSink* sink) {
    close();
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.samples_per_sec);
    want.format = AUDIO_U8;
    want.channels = static_cast<Uint8>(format.channels);
    // About 3 ms per callback (128 frames at 44100 Hz): SDL's buffer adds to every sound's
    // delay on top of the mixer's blocks, and the mixer's queued blocks are the reserve
    // against a late wake-up, so SDL's own buffer need not be one.
    Uint16 frames = 64;
    while (frames < format.samples_per_sec / 400) frames = static_cast<Uint16>(frames * 2);
    want.samples = frames;
    want.callback = &SdlOutputDevice::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    const char* name = sdl_name(device_id);
    {
        std::lock_guard<std::mutex> g(lock_);
        queue_.clear();
        sink_ = sink;
    }
    position_ = 0;
    had_data_ = false;
    last_error_.clear();
    if (!name && !preferred_.empty()) {
        dev_ = sdl_.SDL_OpenAudioDevice(preferred_.c_str(), 0, &want, &have, 0);
        if (dev_ == 0) last_error_ = preferred_ + ": " + sdl_.SDL_GetError();
    }
    if (dev_ == 0) dev_ = sdl_.SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (dev_ == 0) {
        last_error_ = sdl_.SDL_GetError();
        sink_ = nullptr;
        return 1;
    }
    buffer_frames_ = have.samples;
    sdl_.SDL_PauseAudioDevice(dev_, 0);
    return 0;
}

void SdlOutputDevice::close() {
    if (dev_ != 0) {
        sdl_.SDL_CloseAudioDevice(dev_);  // waits for a running callback
        dev_ = 0;
    }
    std::lock_guard<std::mutex> g(lock_);
    queue_.clear();
    sink_ = nullptr;
}

int SdlOutputDevice::prepare(mix::OutputBlock& block) {
    block.prepared = true;
    return 0;
}

void SdlOutputDevice::unprepare(mix::OutputBlock& block) {
    block.prepared = false;
}

bool SdlOutputDevice::write(mix::OutputBlock& block) {
    if (dev_ == 0 || !block.prepared) return false;
    block.done = false;
    Entry e{&block,
            std::vector<std::uint8_t>(block.data.begin(), block.data.begin() + block.length)};
    std::lock_guard<std::mutex> g(lock_);
    queue_.push_back(std::move(e));
    return true;
}

void SdlOutputDevice::reset() {
    std::deque<Entry> dropped;
    mix::BlockDoneSink* sink;
    {
        std::lock_guard<std::mutex> g(lock_);
        dropped.swap(queue_);
        position_ = 0;
        sink = sink_;
    }
    for (Entry& e : dropped) e.block->done = true;
    if (sink && !dropped.empty()) sink->block_done();
}

void SdlOutputDevice::pause() {
    if (dev_ != 0) sdl_.SDL_PauseAudioDevice(dev_, 1);
}

void SdlOutputDevice::restart() {
    if (dev_ != 0) sdl_.SDL_PauseAudioDevice(dev_, 0);
}

void SdlOutputDevice::callback(void* self, Uint8* stream, int len) {
    static_cast<SdlOutputDevice*>(self)->fill(stream, len);
}

void SdlOutputDevice::fill(Uint8* stream, int len) {
    int filled = 0;
    int finished = 0;
    mix::BlockDoneSink* sink;
    {
        std::lock_guard<std::mutex> g(lock_);
        sink = sink_;
        while (filled < len && !queue_.empty()) {
            Entry& e = queue_.front();
            std::size_t take = std::min<std::size_t>(len - filled, e.bytes.size() - e.offset);
            std::memcpy(stream + filled, e.bytes.data() + e.offset, take);
            e.offset += take;
            filled += static_cast<int>(take);
            position_ += static_cast<std::uint32_t>(take);
            if (e.offset >= e.bytes.size()) {
                e.block->done = true;
                queue_.pop_front();
                ++finished;
            }
        }
    }
    scale_u8_samples(stream, static_cast<std::size_t>(filled), volume_.load());
    if (filled < len) {
        std::memset(stream + filled, 128, len - filled);
        if (had_data_ || filled > 0) ++underruns_;
    }
    had_data_ = filled == len;
    if (sink && finished > 0) sink->block_done();
}

}  // namespace lum

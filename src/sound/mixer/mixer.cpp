#include "sound/mixer/mixer.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>

#include "sound/mixer/mix_kernel.h"
#include "sound/mixer/wave_convert.h"

namespace lum::mix {

namespace {

TMixerSession* g_session = nullptr;        // the one session of the process
TMixerSession* g_device_holder = nullptr;  // the session that has the device open

[[noreturn]] void fail(const std::string& message) {
    throw EMixerError(message);
}

void check(const TMixerSession* s) {
    if (s == nullptr || s != g_session || s->magic != kSessionMagic || s->magic2 != kSessionMagic) {
        fail("Invalid Session handle");
    }
}

bool is_open(const TMixerSession* s, int ch) {
    return s->channel[ch] != TMixerSession::kClosed;
}
bool is_idle(const TMixerSession* s, int ch) {
    return s->channel[ch] == TMixerSession::kIdle;
}

std::uint32_t saturate(std::uint64_t v) {
    return v >= kForever ? kForever : static_cast<std::uint32_t>(v);
}

void release_play(TMixerSession* s, int i) {
    s->plays[i] = TQueuedPlay{};
    s->plays[i].next = s->free_plays;
    s->free_plays = i;
}

// Returns every play of the channel's queue to the pool without notice; true if any.
bool drop_queue(TMixerSession* s, int ch) {
    int i = s->channel[ch];
    if (i < 0) return false;
    while (i >= 0) {
        int next = s->plays[i].next;
        release_play(s, i);
        i = next;
    }
    s->channel[ch] = TMixerSession::kIdle;
    return true;
}

bool all_idle(const TMixerSession* s) {
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        if (s->channel[ch] >= 0) return false;
    }
    return true;
}

std::uint32_t device_report(TMixerSession* s) {
    std::uint32_t d = s->active ? s->device->position() : 0;
    return d + static_cast<std::uint32_t>(s->pos_adjust);
}

std::uint32_t current_position(TMixerSession* s) {
    if (s->device_position) return device_report(s);
    std::uint32_t elapsed = s->clock->now_ms() - s->time_base;
    auto p = static_cast<std::uint32_t>(static_cast<std::uint64_t>(elapsed) *
                                        s->out_format.avg_bytes_per_sec / 1000);
    if (s->out_format.block_align >= 2) p &= ~1u;
    return p;
}

void set_time_base(TMixerSession* s, std::uint32_t p) {
    std::uint32_t d = s->active ? s->device->position() : 0;
    s->pos_adjust = static_cast<std::int32_t>(p - d);
    s->time_base =
        s->clock->now_ms() - static_cast<std::uint32_t>(static_cast<std::uint64_t>(p) * 1000 /
                                                        s->out_format.avg_bytes_per_sec);
    s->mix_pos = p;
}

OutputBlock* free_block(TMixerSession* s) {
    for (std::uint32_t i = 0; i < s->block_count; ++i) {
        if (s->blocks[i] && s->blocks[i]->free) return s->blocks[i].get();
    }
    return nullptr;
}

// Mixes the next block_len bytes from mix_pos into `b`; false (nothing written) when no
// channel has a play at mix_pos or later.
bool mix_block(TMixerSession* s, OutputBlock& b) {
    std::uint64_t a = s->mix_pos;
    std::array<int, kMixerChannels> cur{};
    bool any = false;
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        cur[ch] = -1;
        for (int i = is_open(s, ch) ? s->channel[ch] : -1; i >= 0; i = s->plays[i].next) {
            if (s->plays[i].end > a) {
                cur[ch] = i;
                any = true;
                break;
            }
        }
    }
    if (!any) return false;

    const std::uint64_t block_end = a + s->block_len;
    std::uint8_t* out = b.data.data();
    std::array<const std::uint8_t*, kMixerChannels> sources{};
    while (a < block_end) {
        std::uint64_t first_start = std::numeric_limits<std::uint64_t>::max();
        for (int ch = 0; ch < kMixerChannels; ++ch) {
            if (cur[ch] >= 0)
                first_start = std::min<std::uint64_t>(first_start, s->plays[cur[ch]].start);
        }
        if (a < first_start) {
            std::uint64_t to = std::min(first_start, block_end);
            std::memset(out, 128, to - a);
            out += to - a;
            a = to;
            continue;
        }
        std::uint64_t seg_end = block_end;
        int count = 0;
        for (int ch = 0; ch < kMixerChannels; ++ch) {
            if (cur[ch] < 0) continue;
            const TQueuedPlay& p = s->plays[cur[ch]];
            if (p.start > a) {
                seg_end = std::min<std::uint64_t>(seg_end, p.start);
                continue;
            }
            std::uint64_t offset = a - p.start;
            if (p.request.loops != 0) offset %= p.length;
            seg_end = std::min<std::uint64_t>(seg_end, p.end);
            seg_end = std::min<std::uint64_t>(seg_end, a + (p.length - offset));
            sources[count++] = p.data + offset;
        }
        std::size_t n = seg_end - a;
        mix_sources(out, sources.data(), count, n);
        out += n;
        a = seg_end;
        for (int ch = 0; ch < kMixerChannels; ++ch) {
            while (cur[ch] >= 0 && s->plays[cur[ch]].end <= a) cur[ch] = s->plays[cur[ch]].next;
        }
    }
    b.start = s->mix_pos;
    b.length = s->block_len;
    s->mix_pos += s->block_len;
    return true;
}

void write_block(TMixerSession* s, OutputBlock& b) {
    b.free = false;
    s->at_device.push_back(&b);
    if (!s->device->write(b)) {
        s->at_device.pop_back();
        b.free = true;
        fail("Failed to write block to device");
    }
}

void fill_blocks(TMixerSession* s) {
    while (OutputBlock* b = free_block(s)) {
        if (!mix_block(s, *b)) break;
        write_block(s, *b);
    }
}

void finish_plays(TMixerSession* s, std::uint32_t pos) {
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        int* link = &s->channel[ch];
        while (*link >= 0) {
            int i = *link;
            TQueuedPlay& p = s->plays[i];
            if (p.end <= pos) {
                *link = p.next;
                PlayNotifyTarget* target = p.request.notify_window;
                TSoundWave* wave = p.wave;
                release_play(s, i);
                if (target) target->post(kWaveDoneMessage, ch, wave);
            } else {
                link = &p.next;
            }
        }
    }
}

void refill(TMixerSession* s) {
    if (!s->active) return;
    for (auto it = s->at_device.begin(); it != s->at_device.end();) {
        if ((*it)->done) {
            (*it)->free = true;
            it = s->at_device.erase(it);
        } else {
            ++it;
        }
    }
    finish_plays(s, device_report(s));
    fill_blocks(s);
}

void full_remix(TMixerSession* s, std::uint32_t p) {
    s->mix_pos = p;
    for (OutputBlock* b : s->at_device) b->free = true;
    s->at_device.clear();
    std::vector<OutputBlock*> kept;
    while (OutputBlock* b = free_block(s)) {
        if (!mix_block(s, *b)) break;
        b->free = false;
        kept.push_back(b);
    }
    s->device->reset();
    std::uint32_t mixed_to = s->mix_pos;
    set_time_base(s, p);
    s->mix_pos = mixed_to;
    s->device->pause();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        kept[i]->free = false;
        s->at_device.push_back(kept[i]);
        if (!s->device->write(*kept[i])) {
            s->at_device.pop_back();
            for (std::size_t j = i; j < kept.size(); ++j) kept[j]->free = true;
            s->device->restart();  // a paused device would silence every later sound
            fail("Failed to write block to device");
        }
    }
    s->device->restart();
}

void shift_play(TMixerSession* s, TQueuedPlay& p) {
    std::uint32_t delta = s->mix_pos - p.start;
    p.start = s->mix_pos;
    if (p.end != kForever) {
        std::uint32_t moved = p.end + delta;
        p.end = moved < p.start ? kForever : moved;
    }
}

void release_blocks(TMixerSession* s) {
    for (auto& b : s->blocks) {
        if (b && b->prepared) s->device->unprepare(*b);
        b.reset();
    }
}

std::string wave_name(const WaveSource& src) {
    std::string name = (src.kind == kWaveFromResource && src.name.empty())
                           ? "res#" + std::to_string(src.number)
                           : src.name;
    return name.substr(0, 15);
}

}  // namespace

void MixerNotify::block_done() {
    pending_.fetch_add(1);
    if (wake) wake();
}

ResourceLoader folder_resources(const std::string& folder) {
    return [folder](const std::string& name, std::vector<std::uint8_t>& out) {
        for (const std::string& candidate : {name, name + ".wav"}) {
            std::ifstream in(folder + "/" + candidate, std::ios::binary);
            if (in) {
                out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                return true;
            }
        }
        return false;
    };
}

TMixerSession* mixer_init(const MixerConfig* config, MixerHost host) {
    if (g_session) fail("Session already initialized");
    if (config && config->size != 10) config = nullptr;
    if (!host.device || !host.clock || host.device->device_count() <= 0) {
        fail("No wave output devices available");
    }
    auto s = std::make_unique<TMixerSession>();
    s->magic = s->magic2 = kSessionMagic;
    s->channel.fill(TMixerSession::kClosed);
    for (int i = kPlayPoolSize - 1; i >= 0; --i) release_play(s.get(), i);
    s->out_format = WaveFormat{};
    s->device = host.device;
    s->clock = host.clock;
    s->resources = std::move(host.resources);
    s->wake = std::move(host.wake);

    const ProfileFile& ini = host.settings;
    const int def_remix = ini.get_int("default", "Remix", 1);
    const int def_device_position = ini.get_int("default", "DevicePosition", 0);
    const int def_blocks = ini.get_int("default", "Blocks", 3);
    const int def_block_len = ini.get_int("default", "BlockLen", 0);
    const int def_rate = ini.get_int("default", "SamplesPerSec", 11);
    (void)ini.get_int("general", "debug", 0);
    int device_id = ini.get_int("general", "OutputDevice", 0);
    if (device_id < 0 || device_id >= host.device->device_count()) {
        device_id = OutputDevice::kDefaultDevice;
    }
    s->device_id = device_id;

    DeviceCaps caps;
    if (!host.device->caps(device_id, caps)) caps = DeviceCaps{"Unknown Device", 1, false};
    s->section = caps.product_name;
    if (caps.synchronous) {
        fail(caps.product_name +
             " is a blocking output device; sound could not play while other programs run");
    }
    if (ini.get_int("incompatible", caps.product_name, 0) != 0) {
        fail(caps.product_name + " is not compatible with " + "the real-time mixer");
    }

    const std::string& sec = s->section;
    s->remix =
        ini.get_int(sec, "Remix", def_remix) == 2 ? RemixStrategy::shift : RemixStrategy::full;
    s->device_position = ini.get_int(sec, "DevicePosition", def_device_position) != 0 ? 1 : 0;
    s->block_count =
        static_cast<std::uint32_t>(std::clamp(ini.get_int(sec, "Blocks", def_blocks), 2, 6));

    if (config && (config->flags & 1) && config->channels > 1 && caps.channels > 1) {
        s->out_format.channels = 2;
        s->out_format.block_align = 2;
    }
    int rate = ini.get_int(sec, "SamplesPerSec", def_rate);
    if (config && (config->flags & 2) &&
        (config->rate == 11 || config->rate == 22 || config->rate == 44)) {
        rate = config->rate;
    }
    s->out_format.samples_per_sec = rate == 22 ? 22050 : rate == 44 ? 44100 : 11025;
    s->out_format.avg_bytes_per_sec = s->out_format.samples_per_sec * s->out_format.channels;

    int block_len = ini.get_int(sec, "BlockLen", 0);
    if (block_len == 0) block_len = def_block_len;
    if (block_len != 0) {
        block_len = std::clamp(block_len, 512, kBlockBytes) & ~3;
    } else {
        // 8192 at 44100 Hz would not fit the block; the block's own size is the limit.
        block_len = std::min<int>(s->out_format.samples_per_sec / 11025 * 2048, kBlockBytes);
    }
    s->block_len = static_cast<std::uint32_t>(block_len);

    g_session = s.release();
    return g_session;
}

void mixer_activate(TMixerSession* s, bool on) {
    check(s);
    if (on) {
        if (s->active) return;
        if (g_device_holder && g_device_holder != s) {
            fail("Resource is already allocated to a process");
        }
        s->notify_window = std::make_unique<MixerNotify>();
        s->notify_window->wake = s->wake;
        if (int err = s->device->open(s->device_id, s->out_format, s->notify_window.get())) {
            s->notify_window.reset();
            fail("Failed to open waveform output device #" + std::to_string(err));
        }
        try {
            for (auto& b : s->blocks) b = std::make_unique<OutputBlock>();
        } catch (const std::bad_alloc&) {
            for (auto& b : s->blocks) b.reset();
            s->device->close();
            s->notify_window.reset();
            fail(
                "Unable to allocate memory for waveform data.  Try making more memory available "
                "by closing other applications.");
        }
        for (auto& b : s->blocks) {
            if (int err = s->device->prepare(*b)) {
                release_blocks(s);
                s->device->close();
                s->notify_window.reset();
                fail("Unable to prepare wave header #" + std::to_string(err));
            }
        }
        s->at_device.clear();
        s->active = 1;
        g_device_holder = s;
        set_time_base(s, s->mix_pos);
        fill_blocks(s);
    } else {
        if (!s->active) return;
        s->mix_pos = current_position(s);
        s->device->reset();
        for (OutputBlock* b : s->at_device) b->free = true;
        s->at_device.clear();
        release_blocks(s);
        s->device->close();
        s->notify_window.reset();
        s->active = 0;
        if (g_device_holder == s) g_device_holder = nullptr;
    }
}

void mixer_open_channels(TMixerSession* s, int channel_or_count, int mode) {
    check(s);
    auto open_one = [s](int ch) {
        s->channel[ch] = TMixerSession::kIdle;
        ++s->open_channels;
    };
    switch (mode) {
        case 0:
            if (channel_or_count < 0 || channel_or_count >= kMixerChannels) {
                fail("Invalid channel number");
            }
            if (is_open(s, channel_or_count)) fail("The channel has already been opened");
            open_one(channel_or_count);
            break;
        case 1:
            for (int ch = 0; ch < kMixerChannels; ++ch) {
                if (!is_open(s, ch)) open_one(ch);
            }
            break;
        case 2:
            if (channel_or_count < 1 || channel_or_count > kMixerChannels) {
                fail("Invalid number of channels");
            }
            for (int ch = 0; ch < channel_or_count; ++ch) {
                if (!is_open(s, ch)) open_one(ch);
            }
            break;
        default:
            fail("Invalid Flags");
    }
}

void mixer_clear_channels(TMixerSession* s, int channel, int mode) {
    check(s);
    bool dropped = false;
    if (mode & 1) {
        for (int ch = 0; ch < kMixerChannels; ++ch) {
            if (is_open(s, ch)) dropped |= drop_queue(s, ch);
        }
    } else {
        if (channel < 0 || channel >= kMixerChannels) fail("Invalid channel number");
        if (!is_open(s, channel)) fail("The specified channel was not open");
        dropped = drop_queue(s, channel);
    }
    if (dropped && s->active && !(mode & 2)) {
        if (s->remix == RemixStrategy::full) {
            full_remix(s, current_position(s));
        } else {
            refill(s);
        }
    }
}

void mixer_close_channels(TMixerSession* s, int channel, int mode) {
    check(s);
    mixer_clear_channels(s, channel, (mode & 1) | 2);
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        if (((mode & 1) || ch == channel) && is_open(s, ch)) {
            s->channel[ch] = TMixerSession::kClosed;
            --s->open_channels;
        }
    }
}

TSoundWave* mixer_load_wave(TMixerSession* s, const WaveSource& src) {
    check(s);
    if (!s->device->supports(s->device_id, s->out_format)) {
        fail("The waveform device can\uFF74t play this format");
    }
    auto wave = std::make_unique<TSoundWave>();

    std::vector<std::uint8_t> image;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    switch (src.kind) {
        case kWaveFromFile: {
            std::ifstream in(src.name, std::ios::binary);
            if (!in) fail("Failed to open wave file " + src.name);
            image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) fail("Failed to open wave file " + src.name);
            bytes = image.data();
            size = image.size();
            break;
        }
        case kWaveFromResource: {
            std::string name = src.name.empty() ? "#" + std::to_string(src.number) : src.name;
            if (!s->resources || !s->resources(name, image)) {
                fail("Failed to open \"WAVE\" resource " +
                     (src.name.empty() ? std::to_string(src.number) : src.name));
            }
            bytes = image.data();
            size = image.size();
            break;
        }
        case kWaveFromMemory:
            if (src.data == nullptr) {
                fail(
                    "Failed to open memory file, open error=259.#13May need to make sure memory "
                    "is read-write");
            }
            bytes = static_cast<const std::uint8_t*>(src.data);
            size = src.size;
            break;
        default:
            fail("Invalid Flags");
    }

    ParsedWave parsed = parse_riff_wave(bytes, size);
    wave->format = parsed.format;
    wave->data = convert_wave(std::move(parsed.data), parsed.format, s->out_format);
    wave->length = static_cast<std::uint32_t>(wave->data.size());
    std::string name = wave_name(src);
    std::memcpy(wave->name, name.data(), name.size());
    s->waves.insert(wave.get());
    return wave.release();
}

void mixer_release_wave(TMixerSession* s, TSoundWave* wave) {
    check(s);
    if (wave == nullptr || s->waves.count(wave) == 0) fail("The given pointer was not valid");
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        int* link = &s->channel[ch];
        while (*link >= 0) {
            int i = *link;
            if (s->plays[i].wave == wave) {
                *link = s->plays[i].next;
                release_play(s, i);
            } else {
                link = &s->plays[i].next;
            }
        }
    }
    for (auto it = s->pending.begin(); it != s->pending.end();) {
        if (s->plays[*it].wave == wave) {
            release_play(s, *it);
            it = s->pending.erase(it);
        } else {
            ++it;
        }
    }
    s->waves.erase(wave);
    delete wave;
}

void mixer_play(const TPlayRequest* r) {
    if (r == nullptr) fail("nil parameters pointer passed to mixer_play");
    if (r->wave == nullptr) fail("nil wave pointer passed to mixer_play!");
    TMixerSession* s = r->session;
    check(s);
    if (s->waves.count(r->wave) == 0) fail("The given pointer was not valid");
    if (!s->active) fail("Wave device not allocated, call mixer_activate(session, true)");
    if (s->open_channels <= 0) fail("You must open a channel before you can play a wave");

    int ch = r->channel;
    if (r->flags & kPlayLru) {
        // The candidate starts at 0 even when channel 0 is closed; it then stays there (and
        // is refused below) unless an open channel has a smaller stamp.
        ch = 0;
        for (int i = 0; i < kMixerChannels; ++i) {
            if (is_idle(s, ch)) break;  // idle implies open
            if (is_open(s, i) && s->channel_stamp[i] < s->channel_stamp[ch]) ch = i;
        }
    }
    if (ch < 0 || ch >= kMixerChannels) fail("Invalid channel number");
    s->channel_stamp[ch] = ++s->play_counter;
    if (!is_open(s, ch)) fail("The specified channel was not open");
    if (s->free_plays < 0) fail("Not enough memory");
    int slot = s->free_plays;
    TQueuedPlay& q = s->plays[slot];
    s->free_plays = q.next;
    q = TQueuedPlay{};
    q.request = *r;
    q.request.channel = ch;
    q.wave = r->wave;
    q.length = r->wave->length;
    q.data = r->wave->data.data();
    q.last = q.data + q.length - 1;
    s->pending.push_back(slot);
    if (r->flags & kPlayWait) return;

    if (s->at_device.empty() && all_idle(s)) set_time_base(s, 0);
    const std::uint32_t p = current_position(s);
    std::vector<int> due;
    while (!s->pending.empty()) {
        int i = s->pending.front();
        s->pending.pop_front();
        TQueuedPlay& play = s->plays[i];
        const int c = play.request.channel;
        const bool now = play.request.flags & kPlayNow;
        play.next = -1;
        if (!is_open(s, c)) {  // closed while the play waited
            release_play(s, i);
            continue;
        }
        bool remix_due = false;
        if (play.request.flags & kPlayClear) {
            drop_queue(s, c);
            s->channel[c] = i;
            play.start = now ? p : s->mix_pos;
            remix_due = !s->at_device.empty();
        } else if (is_idle(s, c)) {
            s->channel[c] = i;
            play.start = now ? p : s->mix_pos;
            remix_due = play.start < s->mix_pos;
        } else {
            int last = s->channel[c];
            while (s->plays[last].next >= 0) last = s->plays[last].next;
            s->plays[last].next = i;
            std::uint32_t prev_end = s->plays[last].end;
            play.start = now ? prev_end : std::max(prev_end, s->mix_pos);
            remix_due = play.start < s->mix_pos;
        }
        // Behind a play that never ends, so is this one.
        play.end = play.request.loops == kLoopForever || play.start == kForever
                       ? kForever
                       : saturate(std::uint64_t{play.start} +
                                  (std::uint64_t{play.request.loops} + 1) * play.length - 1);
        if (remix_due) due.push_back(i);
    }

    if (!due.empty()) {
        if (s->remix == RemixStrategy::full) {
            std::uint32_t from = s->plays[due.front()].start;
            for (int i : due) from = std::min(from, s->plays[i].start);
            full_remix(s, from);
        } else {
            for (int i : due) shift_play(s, s->plays[i]);
            refill(s);
        }
    } else if (s->at_device.empty()) {
        s->device->pause();
        try {
            fill_blocks(s);
        } catch (...) {
            s->device->restart();
            throw;
        }
        s->device->restart();
    } else {
        fill_blocks(s);
    }
}

void mixer_end_session(TMixerSession* s) {
    check(s);
    mixer_activate(s, false);
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        drop_queue(s, ch);
        s->channel[ch] = TMixerSession::kClosed;
    }
    s->open_channels = 0;
    for (const TSoundWave* w : s->waves) delete w;
    s->waves.clear();
    s->magic = s->magic2 = 0;
    g_session = nullptr;
    delete s;
}

void mixer_refill(TMixerSession* s) {
    check(s);
    refill(s);
}

bool mixer_pump(TMixerSession* s) {
    check(s);
    if (!s->notify_window || !s->notify_window->take()) return false;
    refill(s);
    return true;
}

std::uint32_t mixer_position(TMixerSession* s) {
    check(s);
    return current_position(s);
}

bool mixer_wave_busy(TMixerSession* s, const TSoundWave* wave) {
    check(s);
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        for (int i = s->channel[ch]; i >= 0; i = s->plays[i].next) {
            if (s->plays[i].wave == wave) return true;
        }
    }
    for (int i : s->pending) {
        if (s->plays[i].wave == wave) return true;
    }
    return false;
}

}  // namespace lum::mix

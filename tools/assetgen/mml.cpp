#include "mml.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

namespace lum::mml {

MmlError::MmlError(std::string f, int l, int c, const std::string& r)
    : std::runtime_error(f + ":" + std::to_string(l) + ":" + std::to_string(c) + ": " + r),
      file(std::move(f)),
      line(l),
      col(c),
      reason(r) {}

namespace {

struct Pos {
    int line = 0, col = 0;
};

// Text with the source position of every character, so that joined track lines and macro
// bodies still report where a fault was written.
struct Source {
    std::string text;
    std::vector<Pos> pos;
    void append(const std::string& s, int line, int col) {
        for (size_t i = 0; i < s.size(); ++i) {
            text.push_back(s[i]);
            pos.push_back({line, col + static_cast<int>(i)});
        }
        text.push_back(' ');  // a line break separates tokens
        pos.push_back({line, col + static_cast<int>(s.size())});
    }
};

enum class Kind {
    note,
    number_note,
    rest,
    tie,
    tie_length,
    octave,
    octave_up,
    octave_down,
    length,
    tempo,
    velocity,
    volume,
    pan,
    program,
    gate,
    transpose,
    loop,
    loop_break
};

struct Node {
    Kind kind{};
    Pos pos;
    int value = 0;           // semitone of a note, number of n, or the command's value
    int len = -1;            // ticks; -1 = the default length
    int dots = 0;            // dots after a default length
    std::vector<Node> body;  // loop body
};

struct Macro {
    Source src;
};

class Parser {
  public:
    Parser(const std::string& file, const std::map<std::string, Macro>& macros)
        : file_(file), macros_(macros) {}

    std::vector<Node> parse(const Source& s, int depth = 0) {
        src_ = &s;
        i_ = 0;
        depth_ = depth;
        std::vector<Node> top;
        std::vector<Node> open_loops;  // the loop nodes being filled, innermost last
        auto out = [&]() -> std::vector<Node>& {
            return open_loops.empty() ? top : open_loops.back().body;
        };
        while (true) {
            skip_space();
            if (i_ >= s.text.size()) break;
            Pos p = s.pos[i_];
            char c = s.text[i_++];
            Node n;
            n.pos = p;
            switch (c) {
                case 'c':
                case 'd':
                case 'e':
                case 'f':
                case 'g':
                case 'a':
                case 'b': {
                    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};  // a..g
                    n.kind = Kind::note;
                    n.value = semis[c - 'a'];
                    while (i_ < s.text.size() && (peek() == '+' || peek() == '#' || peek() == '-'))
                        n.value += (s.text[i_++] == '-') ? -1 : 1;
                    read_length(n);
                    out().push_back(n);
                    break;
                }
                case 'r':
                    n.kind = Kind::rest;
                    read_length(n);
                    out().push_back(n);
                    break;
                case 'n':
                    n.kind = Kind::number_note;
                    n.value = need_int(p, 0, 127, "note number");
                    if (peek() == ',') {
                        ++i_;
                        Pos lp = here();
                        if (!std::isdigit(static_cast<unsigned char>(peek())))
                            fail(lp, "expected a length after ','");
                        read_length(n);
                    }
                    out().push_back(n);
                    break;
                case '&':
                    skip_space();
                    if (std::isdigit(static_cast<unsigned char>(peek()))) {
                        n.kind = Kind::tie_length;
                        read_length(n);
                    } else {
                        n.kind = Kind::tie;
                    }
                    out().push_back(n);
                    break;
                case 'o':
                    n.kind = Kind::octave;
                    n.value = need_int(p, 0, 9, "octave");
                    out().push_back(n);
                    break;
                case '>':
                    n.kind = Kind::octave_up;
                    out().push_back(n);
                    break;
                case '<':
                    n.kind = Kind::octave_down;
                    out().push_back(n);
                    break;
                case 'l':
                    n.kind = Kind::length;
                    if (!std::isdigit(static_cast<unsigned char>(peek())))
                        fail(here(), "expected a length after 'l'");
                    read_length(n);
                    out().push_back(n);
                    break;
                case 't':
                    n.kind = Kind::tempo;
                    n.value = need_int(p, 20, 300, "tempo");
                    out().push_back(n);
                    break;
                case 'v':
                    n.kind = Kind::velocity;
                    n.value = need_int(p, 0, 127, "velocity");
                    out().push_back(n);
                    break;
                case 'V':
                    n.kind = Kind::volume;
                    n.value = need_int(p, 0, 127, "volume");
                    out().push_back(n);
                    break;
                case 'p':
                    n.kind = Kind::pan;
                    n.value = need_int(p, 0, 127, "pan");
                    out().push_back(n);
                    break;
                case '@':
                    n.kind = Kind::program;
                    n.value = need_int(p, 0, 127, "program");
                    out().push_back(n);
                    break;
                case 'q':
                    n.kind = Kind::gate;
                    n.value = need_int(p, 1, 8, "gate");
                    out().push_back(n);
                    break;
                case 'k':
                    n.kind = Kind::transpose;
                    n.value = need_int(p, -24, 24, "transpose", true);
                    out().push_back(n);
                    break;
                case '|':
                    break;
                case '[':
                    n.kind = Kind::loop;
                    open_loops.push_back(n);
                    break;
                case ':': {
                    if (open_loops.empty()) fail(p, "':' outside a loop");
                    for (auto& b : open_loops.back().body)
                        if (b.kind == Kind::loop_break) fail(p, "a loop has only one ':'");
                    n.kind = Kind::loop_break;
                    out().push_back(n);
                    break;
                }
                case ']': {
                    if (open_loops.empty()) fail(p, "']' without '['");
                    Node loop = std::move(open_loops.back());
                    open_loops.pop_back();
                    loop.value = 2;
                    if (std::isdigit(static_cast<unsigned char>(peek())))
                        loop.value = need_int(p, 1, 99, "loop count");
                    out().push_back(std::move(loop));
                    break;
                }
                case '$': {
                    std::string name;
                    while (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_')
                        name.push_back(src_->text[i_++]);
                    auto m = macros_.find(name);
                    if (name.empty()) fail(p, "expected a macro name after '$'");
                    if (m == macros_.end()) fail(p, "unknown macro $" + name);
                    if (depth_ >= 16) fail(p, "macro $" + name + " expands too deeply");
                    Parser inner(file_, macros_);
                    auto nodes = inner.parse(m->second.src, depth_ + 1);
                    for (auto& x : nodes) out().push_back(std::move(x));
                    break;
                }
                default: {
                    std::string shown(1, c);
                    if (static_cast<unsigned char>(c) >= 0x80)
                        shown = "a non-ASCII character";
                    else
                        shown = "'" + shown + "'";
                    fail(p, "unknown command " + shown);
                }
            }
        }
        if (!open_loops.empty()) fail(open_loops.back().pos, "'[' is never closed");
        return top;
    }

  private:
    [[noreturn]] void fail(Pos p, const std::string& why) const {
        throw MmlError(file_, p.line, p.col, why);
    }
    char peek() const { return i_ < src_->text.size() ? src_->text[i_] : '\0'; }
    Pos here() const {
        if (i_ < src_->pos.size()) return src_->pos[i_];
        return src_->pos.empty() ? Pos{} : src_->pos.back();
    }
    void skip_space() {
        while (i_ < src_->text.size() && std::isspace(static_cast<unsigned char>(src_->text[i_])))
            ++i_;
    }
    int need_int(Pos cmd, int lo, int hi, const char* what, bool sign = false) {
        Pos p = here();
        bool neg = false;
        if (sign && (peek() == '-' || peek() == '+')) neg = src_->text[i_++] == '-';
        if (!std::isdigit(static_cast<unsigned char>(peek())))
            fail(p, std::string("expected a number for the ") + what);
        long v = 0;
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            v = v * 10 + (src_->text[i_++] - '0');
            if (v > 100000) break;
        }
        if (neg) v = -v;
        if (v < lo || v > hi)
            fail(p, std::string(what) + " " + std::to_string(v) + " is outside " +
                        std::to_string(lo) + ".." + std::to_string(hi));
        (void)cmd;
        return static_cast<int>(v);
    }
    // An optional length ("8", "4.", "16..") after a note, rest, l or tie.
    void read_length(Node& n) {
        if (std::isdigit(static_cast<unsigned char>(peek()))) {
            Pos p = here();
            int d = need_int(p, 1, kWhole, "length");
            if (kWhole % d != 0)
                fail(p, "length " + std::to_string(d) + " does not divide a whole note");
            int ticks = kWhole / d, add = ticks;
            while (peek() == '.') {
                Pos dp = here();
                ++i_;
                if (add % 2 != 0) fail(dp, "too many dots for this length");
                add /= 2;
                ticks += add;
            }
            n.len = ticks;
        } else {
            while (peek() == '.') {
                ++i_;
                ++n.dots;
            }
        }
    }

    const std::string& file_;
    const std::map<std::string, Macro>& macros_;
    const Source* src_ = nullptr;
    size_t i_ = 0;
    int depth_ = 0;
};

struct TrackState {
    int octave = 4, length = kTicksPerQuarter, velocity = 100, gate = 7, transpose = 0;
    int tick = 0;
    int seq = 0;
    // The note still sounding, kept open so that a tie can lengthen it.
    bool open = false;
    int open_pitch = 0, open_start = 0, open_len = 0, open_vel = 0, open_gate = 7;
    bool tie_next = false;
    Pos tie_pos;
};

class Runner {
  public:
    Runner(const std::string& file, Track& t, std::vector<std::pair<int, int>>& tempos)
        : file_(file), track_(t), tempos_(tempos) {}

    void run(const std::vector<Node>& nodes) {
        exec(nodes);
        if (st_.tie_next) fail(st_.tie_pos, "'&' is not followed by a note");
        flush();
        std::stable_sort(track_.events.begin(), track_.events.end(),
                         [](const Event& a, const Event& b) {
                             if (a.tick != b.tick) return a.tick < b.tick;
                             if (a.order != b.order) return a.order < b.order;
                             return a.seq < b.seq;
                         });
        track_.end_tick = st_.tick;
    }

  private:
    [[noreturn]] void fail(Pos p, const std::string& why) const {
        throw MmlError(file_, p.line, p.col, why);
    }

    void emit(int tick, int order, std::vector<uint8_t> bytes) {
        track_.events.push_back({tick, order, st_.seq++, std::move(bytes)});
    }

    void flush() {
        if (!st_.open) return;
        int sound = st_.open_len * st_.open_gate / 8;
        if (sound < 1) sound = 1;
        uint8_t ch = static_cast<uint8_t>(track_.channel);
        emit(st_.open_start, 2,
             {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(st_.open_pitch),
              static_cast<uint8_t>(st_.open_vel)});
        emit(st_.open_start + sound, 0,
             {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(st_.open_pitch), 0x40});
        st_.open = false;
    }

    int length_of(const Node& n) const {
        if (n.len >= 0) return n.len;
        int ticks = st_.length, add = st_.length;
        for (int i = 0; i < n.dots; ++i) {
            if (add % 2 != 0) fail(n.pos, "too many dots for the default length");
            add /= 2;
            ticks += add;
        }
        return ticks;
    }

    void play(const Node& n, int pitch) {
        if (pitch < 0 || pitch > 127)
            fail(n.pos, "note " + std::to_string(pitch) + " is outside the MIDI range");
        int len = length_of(n);
        if (st_.tie_next) {
            st_.tie_next = false;
            if (!st_.open) fail(st_.tie_pos, "'&' does not follow a note");
            if (st_.open_pitch != pitch) fail(n.pos, "a tie joins two different pitches");
            st_.open_len += len;
            st_.tick += len;
            return;
        }
        flush();
        st_.open = true;
        st_.open_pitch = pitch;
        st_.open_start = st_.tick;
        st_.open_len = len;
        st_.open_vel = st_.velocity;
        st_.open_gate = st_.gate;
        st_.tick += len;
    }

    void control(int cc, int v) {
        emit(st_.tick, 1,
             {static_cast<uint8_t>(0xB0 | track_.channel), static_cast<uint8_t>(cc),
              static_cast<uint8_t>(v)});
    }

    void exec(const std::vector<Node>& nodes) {
        for (const Node& n : nodes) {
            if (st_.tie_next && n.kind != Kind::note && n.kind != Kind::number_note &&
                n.kind != Kind::octave && n.kind != Kind::octave_up && n.kind != Kind::octave_down)
                fail(st_.tie_pos, "'&' is not followed by a note");
            switch (n.kind) {
                case Kind::note:
                    play(n, 12 * (st_.octave + 1) + n.value + st_.transpose);
                    break;
                case Kind::number_note:
                    play(n, n.value);
                    break;
                case Kind::rest:
                    flush();
                    st_.tick += length_of(n);
                    break;
                case Kind::tie:
                    if (!st_.open) fail(n.pos, "'&' does not follow a note");
                    st_.tie_next = true;
                    st_.tie_pos = n.pos;
                    break;
                case Kind::tie_length:
                    if (!st_.open) fail(n.pos, "'&' does not follow a note");
                    st_.open_len += length_of(n);
                    st_.tick += length_of(n);
                    break;
                case Kind::octave:
                    st_.octave = n.value;
                    break;
                case Kind::octave_up:
                    if (st_.octave >= 9) fail(n.pos, "'>' goes above octave 9");
                    ++st_.octave;
                    break;
                case Kind::octave_down:
                    if (st_.octave <= 0) fail(n.pos, "'<' goes below octave 0");
                    --st_.octave;
                    break;
                case Kind::length:
                    st_.length = length_of(n);
                    break;
                case Kind::tempo:
                    tempos_.push_back({st_.tick, n.value});
                    break;
                case Kind::velocity:
                    st_.velocity = n.value;
                    break;
                case Kind::volume:
                    control(7, n.value);
                    break;
                case Kind::pan:
                    control(10, n.value);
                    break;
                case Kind::program:
                    emit(st_.tick, 1,
                         {static_cast<uint8_t>(0xC0 | track_.channel),
                          static_cast<uint8_t>(n.value)});
                    break;
                case Kind::gate:
                    st_.gate = n.value;
                    break;
                case Kind::transpose:
                    st_.transpose = n.value;
                    break;
                case Kind::loop: {
                    for (int pass = 0; pass < n.value; ++pass) {
                        bool last = pass == n.value - 1;
                        auto brk = std::find_if(n.body.begin(), n.body.end(), [](const Node& b) {
                            return b.kind == Kind::loop_break;
                        });
                        if (last && brk != n.body.end())
                            exec(std::vector<Node>(n.body.begin(), brk));
                        else
                            exec(n.body);
                    }
                    break;
                }
                case Kind::loop_break:
                    break;
            }
        }
    }

    const std::string& file_;
    Track& track_;
    std::vector<std::pair<int, int>>& tempos_;
    TrackState st_;
};

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

void put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) o.push_back(static_cast<uint8_t>(v >> s));
}

void put_vlq(std::vector<uint8_t>& o, uint32_t v) {
    uint8_t buf[5];
    int n = 0;
    buf[n++] = v & 0x7F;
    while (v >>= 7) buf[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
    while (n--) o.push_back(buf[n]);
}

void put_chunk(std::vector<uint8_t>& o, const std::vector<uint8_t>& events) {
    o.insert(o.end(), {'M', 'T', 'r', 'k'});
    put32(o, static_cast<uint32_t>(events.size()));
    o.insert(o.end(), events.begin(), events.end());
}

}  // namespace

double Song::seconds() const {
    double s = 0;
    int bpm = 120, last = 0;
    for (auto [tick, t] : tempos) {
        if (tick > end_tick) break;
        s += (tick - last) * 60.0 / (bpm * kTicksPerQuarter);
        last = tick;
        bpm = t;
    }
    return s + (end_tick - last) * 60.0 / (bpm * kTicksPerQuarter);
}

Song parse(const std::string& text, const std::string& file) {
    Song song;
    std::map<std::string, Macro> macros;
    std::map<char, Source> sources;
    std::map<char, int> last_line;
    std::vector<char> order;
    bool meter_seen = false;
    int line_no = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        std::string line =
            text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        start = (nl == std::string::npos) ? text.size() : nl + 1;
        ++line_no;
        size_t semi = line.find(';');
        if (semi != std::string::npos) line = line.substr(0, semi);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        int col = static_cast<int>(first) + 1;
        char c = line[first];
        if (c == '#') {
            size_t end = line.find_first_of(" \t", first);
            std::string key = line.substr(
                first + 1, end == std::string::npos ? std::string::npos : end - first - 1);
            std::string value = end == std::string::npos ? "" : trim(line.substr(end));
            int vcol = end == std::string::npos
                           ? static_cast<int>(line.size()) + 1
                           : static_cast<int>(line.find_first_not_of(" \t", end)) + 1;
            if (key == "title") {
                song.title = value;
            } else if (key == "meter") {
                int num = 0, den = 0;
                size_t slash = value.find('/');
                bool ok = slash != std::string::npos && slash > 0 && slash + 1 < value.size() &&
                          std::all_of(value.begin(), value.begin() + slash, ::isdigit) &&
                          std::all_of(value.begin() + slash + 1, value.end(), ::isdigit) &&
                          value.size() < 8;
                if (ok) {
                    num = std::stoi(value.substr(0, slash));
                    den = std::stoi(value.substr(slash + 1));
                }
                if (!ok || num < 1 || num > 32 ||
                    (den != 1 && den != 2 && den != 4 && den != 8 && den != 16))
                    throw MmlError(file, line_no, vcol,
                                   "#meter wants a time signature such as 3/4");
                if (meter_seen) throw MmlError(file, line_no, col, "#meter is given twice");
                meter_seen = true;
                song.meter_num = num;
                song.meter_den = den;
            } else {
                throw MmlError(file, line_no, col, "unknown header #" + key);
            }
            continue;
        }
        if (c == '$') {
            size_t eq = line.find('=', first);
            std::string name = trim(line.substr(
                first + 1, eq == std::string::npos ? std::string::npos : eq - first - 1));
            bool ok = !name.empty() && std::all_of(name.begin(), name.end(), [](char ch) {
                return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
            });
            if (eq == std::string::npos || !ok)
                throw MmlError(file, line_no, col, "a macro is written $name = body");
            if (macros.count(name))
                throw MmlError(file, line_no, col, "macro $" + name + " is defined twice");
            Macro m;
            m.src.append(line.substr(eq + 1), line_no, static_cast<int>(eq) + 2);
            macros[name] = std::move(m);
            continue;
        }
        bool track =
            ((c >= 'A' && c <= 'H') || c == 'R' || c == 'S') &&
            (first + 1 == line.size() || line[first + 1] == ' ' || line[first + 1] == '\t');
        if (!track)
            throw MmlError(file, line_no, col,
                           "a line starts with a track letter (A-H, R, S), a #header or a $macro");
        if (!sources.count(c)) order.push_back(c);
        sources[c].append(line.substr(first + 1), line_no, col + 1);
        last_line[c] = line_no;
        // Macros are expanded when a track is parsed, so the track is parsed at the end;
        // keep only what is needed here.
    }
    if (order.empty()) throw MmlError(file, std::max(1, line_no), 1, "the piece has no tracks");
    std::sort(order.begin(), order.end());
    for (char letter : order) {
        Track t;
        t.letter = letter;
        t.channel = (letter == 'R' || letter == 'S') ? 9 : letter - 'A';
        Parser parser(file, macros);
        auto nodes = parser.parse(sources[letter]);
        Runner(file, t, song.tempos).run(nodes);
        song.tracks.push_back(std::move(t));
    }
    std::stable_sort(song.tempos.begin(), song.tempos.end(),
                     [](auto& a, auto& b) { return a.first < b.first; });
    const Track& first_track = song.tracks.front();
    for (const Track& t : song.tracks)
        if (t.end_tick != first_track.end_tick)
            throw MmlError(file, last_line[t.letter], 1,
                           std::string("track ") + t.letter + " lasts " +
                               std::to_string(t.end_tick) + " ticks but track " +
                               first_track.letter + " lasts " +
                               std::to_string(first_track.end_tick) + "; tracks must end together");
    song.end_tick = first_track.end_tick;
    if (song.end_tick == 0)
        throw MmlError(file, last_line[first_track.letter], 1, "the piece has no length");
    return song;
}

std::vector<uint8_t> to_smf(const Song& song) {
    std::vector<uint8_t> o = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    size_t ntracks = song.tracks.size() + 1;
    o.push_back(static_cast<uint8_t>(ntracks >> 8));
    o.push_back(static_cast<uint8_t>(ntracks));
    o.push_back(0);
    o.push_back(kTicksPerQuarter);

    // The conductor: name, metre and tempo map.
    std::vector<uint8_t> c;
    if (!song.title.empty()) {
        c.insert(c.end(), {0x00, 0xFF, 0x03});
        put_vlq(c, static_cast<uint32_t>(song.title.size()));
        c.insert(c.end(), song.title.begin(), song.title.end());
    }
    int den_pow = 0;
    while ((1 << den_pow) < song.meter_den) ++den_pow;
    c.insert(c.end(), {0x00, 0xFF, 0x58, 0x04, static_cast<uint8_t>(song.meter_num),
                       static_cast<uint8_t>(den_pow), 24, 8});
    std::vector<std::pair<int, int>> tempos = song.tempos;
    if (tempos.empty() || tempos.front().first != 0) tempos.insert(tempos.begin(), {0, 120});
    int last = 0;
    for (auto [tick, bpm] : tempos) {
        uint32_t us = static_cast<uint32_t>(60000000 / bpm);
        put_vlq(c, static_cast<uint32_t>(tick - last));
        c.insert(c.end(), {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16),
                           static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
        last = tick;
    }
    put_vlq(c, static_cast<uint32_t>(song.end_tick - last));
    c.insert(c.end(), {0xFF, 0x2F, 0x00});
    put_chunk(o, c);

    for (const Track& t : song.tracks) {
        std::vector<uint8_t> e;
        int at = 0;
        for (const Event& ev : t.events) {
            put_vlq(e, static_cast<uint32_t>(ev.tick - at));
            e.insert(e.end(), ev.bytes.begin(), ev.bytes.end());
            at = ev.tick;
        }
        put_vlq(e, static_cast<uint32_t>(song.end_tick - at));
        e.insert(e.end(), {0xFF, 0x2F, 0x00});
        put_chunk(o, e);
    }
    return o;
}

std::vector<uint8_t> compile(const std::string& text, const std::string& file_name) {
    return to_smf(parse(text, file_name));
}

}  // namespace lum::mml

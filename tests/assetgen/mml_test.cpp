#include "mml.h"

#include <gtest/gtest.h>

#include <vector>

namespace lum::mml {
namespace {

std::vector<uint8_t> track_bytes(const Track& t) {
    std::vector<uint8_t> out;
    for (auto& e : t.events) {
        out.push_back(static_cast<uint8_t>(e.tick >> 8));
        out.push_back(static_cast<uint8_t>(e.tick));
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    }
    return out;
}

// (tick, status, data1) of every note on, in order.
std::vector<std::tuple<int, int, int>> note_ons(const Track& t) {
    std::vector<std::tuple<int, int, int>> out;
    for (auto& e : t.events)
        if ((e.bytes[0] & 0xF0) == 0x90) out.emplace_back(e.tick, e.bytes[0], e.bytes[1]);
    return out;
}

std::vector<int> pitches_of(const Track& t) {
    std::vector<int> out;
    for (auto& [tick, status, pitch] : note_ons(t)) out.push_back(pitch);
    return out;
}

MmlError error_of(const std::string& text) {
    try {
        parse(text, "x.mml");
    } catch (const MmlError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for: " << text;
    return MmlError("", 0, 0, "");
}

TEST(MmlCompile, SmallPieceGivesTheHandCheckedFile) {
    // Tempo 150, program 5, full gate, velocity 90: C4 quarter, rest, D#4 dotted eighth tied
    // to a sixteenth, then B3 a quarter.
    auto smf = compile("A t150 @5 q8 v90 o4 c4 r4 d+8. &16 <b4\n", "x.mml");
    const std::vector<uint8_t> expected = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x30,
        // conductor: metre 4/4, tempo 400000 us, end after 192 ticks
        'M', 'T', 'r', 'k', 0, 0, 0, 0x14, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00,
        0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80, 0x81, 0x40, 0xFF, 0x2F, 0x00,
        // track A on channel 1
        'M', 'T', 'r', 'k', 0, 0, 0, 0x1F, 0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x5A, 0x30, 0x80,
        0x3C, 0x40, 0x30, 0x90, 0x3F, 0x5A, 0x30, 0x80, 0x3F, 0x40, 0x00, 0x90, 0x3B, 0x5A, 0x30,
        0x80, 0x3B, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(smf, expected);
}

TEST(MmlCompile, TitleAndMetreGoToTheConductor) {
    auto smf = compile("#title Hi\n#meter 6/8\nA l8 c c c c c c\n", "x.mml");
    const std::vector<uint8_t>
        head = {'M',  'T',  'r',  'k',  0,    0,    0,    0x1A, 0x00, 0xFF,
                0x03, 0x02, 'H',  'i',  0x00, 0xFF, 0x58, 0x04, 0x06, 0x03,
                0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // 120 bpm default
    ASSERT_GE(smf.size(), 14 + head.size());
    EXPECT_EQ(
        std::vector<uint8_t>(smf.begin() + 14, smf.begin() + 14 + static_cast<long>(head.size())),
        head);
}

TEST(MmlSyntax, PitchesOctavesAccidentalsAndTranspose) {
    Song s = parse("A o4 l4 c c+ c# d- b- > c < < b o0 c o9 g k2 o4 c k-12 c\n", "x.mml");
    EXPECT_EQ(pitches_of(s.tracks[0]),
              (std::vector<int>{60, 61, 61, 61, 70, 72, 59, 12, 127, 62, 48}));
}

TEST(MmlSyntax, LengthsDotsTiesAndDefaultLength) {
    Song s = parse("A l8 c c4 c4. c16.. l2. c c& c &8 c1\n", "x.mml");
    auto on = note_ons(s.tracks[0]);
    std::vector<int> starts;
    for (auto& [t, st, p] : on) starts.push_back(t);
    // c8=24 c4=48 c4.=72 c16..=21 c2.=144, then c2.&c2.&8 = 312 ticks, then c1
    EXPECT_EQ(starts, (std::vector<int>{0, 24, 72, 144, 165, 309, 621}));
    EXPECT_EQ(s.end_tick, 621 + 192);
}

TEST(MmlSyntax, GateShortensTheSoundingPartOnly) {
    Song s = parse("A q4 l4 c q8 d q1 e\n", "x.mml");
    std::vector<std::pair<int, int>> offs;
    for (auto& e : s.tracks[0].events)
        if ((e.bytes[0] & 0xF0) == 0x80) offs.push_back({e.tick, e.bytes[1]});
    EXPECT_EQ(offs, (std::vector<std::pair<int, int>>{{24, 60}, {96, 62}, {102, 64}}));
    EXPECT_EQ(s.end_tick, 144);
}

TEST(MmlSyntax, LoopsWithBreakAndNesting) {
    Song s = parse("A l4 [c [d]3 : e]2 f\n", "x.mml");
    EXPECT_EQ(pitches_of(s.tracks[0]), (std::vector<int>{60, 62, 62, 62, 64, 60, 62, 62, 62, 65}));
}

TEST(MmlSyntax, MacrosExpandWhereUsed) {
    Song s = parse("$x = c d\n$y = $x e\nA l4 $y $x\n", "x.mml");
    EXPECT_EQ(pitches_of(s.tracks[0]), (std::vector<int>{60, 62, 64, 60, 62}));
}

TEST(MmlSyntax, ControlsAndChannels) {
    Song s = parse("A V90 p20 @48 v64 c1\nB c1\nR n36,2 n38,2\nS n42,1\n", "x.mml");
    ASSERT_EQ(s.tracks.size(), 4u);
    EXPECT_EQ(s.tracks[0].channel, 0);
    EXPECT_EQ(s.tracks[1].channel, 1);
    EXPECT_EQ(s.tracks[2].channel, 9);
    EXPECT_EQ(s.tracks[3].channel, 9);
    EXPECT_EQ(track_bytes(s.tracks[0]),
              (std::vector<uint8_t>{0,    0,  0xB0, 7, 90,   0,  0,  0xB0, 10,  20,   0,  0,
                                    0xC0, 48, 0,    0, 0x90, 60, 64, 0,    168, 0x80, 60, 0x40}));
    auto drums = note_ons(s.tracks[2]);
    EXPECT_EQ(drums, (std::vector<std::tuple<int, int, int>>{{0, 0x99, 36}, {96, 0x99, 38}}));
}

TEST(MmlSyntax, TempoChangesLandInTheTempoMapAndTheDuration) {
    Song s = parse("A t60 c1 t120 c1\n", "x.mml");
    EXPECT_EQ(s.tempos, (std::vector<std::pair<int, int>>{{0, 60}, {192, 120}}));
    EXPECT_DOUBLE_EQ(s.seconds(), 4.0 + 2.0);
}

TEST(MmlSyntax, LinesOfOneTrackContinueEachOtherAndCommentsAreSkipped) {
    Song s = parse("; a piece\nA l4 [c d ; the first half\nA e f]2 | g\n", "x.mml");
    EXPECT_EQ(note_ons(s.tracks[0]).size(), 9u);
}

TEST(MmlErrors, NameTheLineAndColumn) {
    struct Case {
        std::string text;
        int line, col;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"A c d x e\n", 1, 7, "unknown command 'x'"},
        {"A c\nB c7\n", 2, 4, "length 7 does not divide a whole note"},
        {"A l4 [c d\n", 1, 6, "'[' is never closed"},
        {"A c ]2\n", 1, 5, "']' without '['"},
        {"A c4 & d4\n", 1, 8, "a tie joins two different pitches"},
        {"A & c\n", 1, 3, "'&' does not follow a note"},
        {"A c4 &\n", 1, 6, "'&' is not followed by a note"},
        {"A c1\nB c2\n", 2, 1,
         "track B lasts 96 ticks but track A lasts 192; tracks must end together"},
        {"A $nope c\n", 1, 3, "unknown macro $nope"},
        {"A o9 b\n", 1, 6, "note 131 is outside the MIDI range"},
        {"A t500 c\n", 1, 4, "tempo 500 is outside 20..300"},
        {"#tempo 3\nA c\n", 1, 1, "unknown header #tempo"},
        {"#meter 5/3\nA c\n", 1, 8, "#meter wants a time signature such as 3/4"},
        {"X c d\n", 1, 1, "a line starts with a track letter (A-H, R, S), a #header or a $macro"},
        {"A c : d\n", 1, 5, "':' outside a loop"},
        {"A c64..\n", 1, 6, "too many dots for this length"},
        {"A o4 > > > > > > c\n", 1, 16, "'>' goes above octave 9"},
        {"; nothing\n", 1, 1, "the piece has no tracks"},
        {"$m = c ]\nA $m\n", 1, 8, "']' without '['"},
    };
    for (const Case& c : cases) {
        MmlError e = error_of(c.text);
        EXPECT_EQ(e.line, c.line) << c.text;
        EXPECT_EQ(e.col, c.col) << c.text;
        EXPECT_EQ(e.reason, c.reason) << c.text;
        EXPECT_EQ(std::string(e.what()), "x.mml:" + std::to_string(c.line) + ":" +
                                             std::to_string(c.col) + ": " + c.reason);
    }
}

}  // namespace
}  // namespace lum::mml

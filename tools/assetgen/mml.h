#pragma once

// The music macro language of the game's pieces, compiled to Standard MIDI Files.
//
//   ; comment                   to the end of the line
//   #title Text                 sequence name
//   #meter 3/4                  time signature (4/4 unless given)
//   $name = body                a macro, used as $name inside tracks (defined before use)
//   A .. H  body                melodic tracks on MIDI channels 1..8; lines with the same
//   R, S    body                letter continue each other; R and S are two rhythm tracks
//                               sharing channel 10 (so kick and hi-hat can overlap)
//
// Inside a track:
//   c d e f g a b  + # -        note, sharp, flat; then an optional length and dots: c4. e8
//   r                           rest, with the same length syntax
//   n36  n36,8                  note by MIDI number (drums), optional ",length"
//   &                           tie: c4&c8 or c4&8 lengthen the note; the pitches must agree
//   o4  >  <                    octave (o4 c is middle C, 60), up, down
//   l8  l4.                     default length
//   t120                        tempo in beats per minute
//   v100  V90  p64  @48         velocity, channel volume, pan, program
//   q7                          gate: a note sounds q/8 of its length
//   k-2                         transpose in semitones
//   [ ... : ... ]3              loop (2 times without a count); ":" leaves on the last pass
//   |                           bar line, ignored
//
// A length n is a 1/n note and must divide a whole note of 192 ticks. All tracks must end
// on the same tick, so a piece restarted at its end loops without a stumble.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lum::mml {

constexpr int kTicksPerQuarter = 48;
constexpr int kWhole = kTicksPerQuarter * 4;

class MmlError : public std::runtime_error {
  public:
    MmlError(std::string file, int line, int col, const std::string& reason);
    std::string file;
    int line, col;
    std::string reason;
};

struct Event {
    int tick = 0;
    int order = 0;  // at one tick: note offs, then controls, then note ons
    int seq = 0;
    std::vector<uint8_t> bytes;  // without the delta time
};

struct Track {
    char letter = 'A';
    int channel = 0;
    std::vector<Event> events;  // sorted
    int end_tick = 0;
};

struct Song {
    std::string title;
    int meter_num = 4, meter_den = 4;
    std::vector<std::pair<int, int>> tempos;  // (tick, bpm), sorted by tick
    std::vector<Track> tracks;
    int end_tick = 0;
    double seconds() const;
};

Song parse(const std::string& text, const std::string& file_name);
std::vector<uint8_t> to_smf(const Song& song);
std::vector<uint8_t> compile(const std::string& text, const std::string& file_name);

}  // namespace lum::mml

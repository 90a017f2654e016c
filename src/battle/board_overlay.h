#pragma once

// What the board shows over the game's own pictures, so a player sees every hit, heal and turn:
// amounts rising from the squares they fell on, a struck unit's flash, a fallen unit fading to
// its down picture, the acting unit's frame, the squares a technique would strike (an ally in
// reach in a warning colour), the free squares of an armed warp, and the coming turns.
//
// Presentation only: it reads the battle's state and never writes it, draws no random number
// and runs on its own animation clock, so the battle plays the same with it on or off. The
// amounts come from comparing the units' Hp and Mp before and after each event; the view paints
// what this computes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "battle/battle_context.h"

namespace lum {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

enum class FloatKind { damage, heal, mp, miss };

// Damage, healing and Mp each in their own colour; a miss or failure in grey.
Rgb float_colour(FloatKind k);

// A number as the view paints it: centred on `x`, its baseline at `y` (board pixels), at
// `alpha` of full opacity (0..255).
struct FloatView {
    std::string text;
    FloatKind kind;
    Rgb colour;
    int x = 0, y = 0;
    int alpha = 255;
};

// A struck unit's picture: washed with white at `alpha` and drawn `dx` pixels aside.
struct FlashView {
    int slot = 0;
    int alpha = 0;
    int dx = 0;
};

// The picture a unit had before it fell, fading out at its old place (board pixels).
struct GhostView {
    std::string picture;
    int left = 0, top = 0;
    int alpha = 0;
};

struct BoardSquare {
    int column = 0, row = 0;
    bool operator==(const BoardSquare&) const = default;
};

enum class TintKind {
    strike,   // a square the action strikes
    ally,     // ... with one of the actor's own side on it: the warning colour
    support,  // a heal, a move or the actor itself
    warp      // a free square an armed warp may land on
};
Rgb tint_colour(TintKind k);

struct SquareTint {
    BoardSquare square;
    TintKind kind;
    bool operator==(const SquareTint&) const = default;
};

// The squares tinted now: the target markers (and, for a technique that takes a whole side,
// the squares of that side's units), or every free square while a warp waits for its square.
std::vector<SquareTint> square_tints(const GameState& gs, const BattleWidgets& w);

// Where a failed technique says so: the marked squares that hold a unit, else the actor's.
std::vector<BoardSquare> failure_squares(const GameState& gs, const BattleWidgets& w);

// The square of the unit whose turn it is, where its picture stands; none between turns.
std::optional<BoardSquare> acting_square(const GameState& gs, const BattleWidgets& w);

// One entry of the turn strip: the unit acting now (first, when a turn is open) and the
// units that will act after it, in order.
struct TurnEntry {
    int slot = 0;
    std::string name;
    bool now = false;
    bool operator==(const TurnEntry&) const = default;
};
std::vector<TurnEntry> turn_strip(const GameState& gs, const BattleWidgets& w, int count);

class BoardOverlay {
  public:
    // Lifetimes in milliseconds at the game's starting tempo (speed_ms 500).
    static constexpr int kFloatMs = 1000, kFlashMs = 320, kFadeMs = 700;
    static constexpr int kNormalTempoMs = 500;
    static constexpr int kRisePx = 28;
    static constexpr std::size_t kMostFloats = 64;

    // Remembers the units as they stand, reporting nothing (a new battle, or what the screen's
    // own refreshes did between two events).
    void resync(const BattleContext& ctx);
    // Reports every change since the last look: Hp and Mp amounts, flashes, falls; then
    // remembers the units as they stand. With effects off nothing starts.
    void observe(const BattleContext& ctx);
    // A technique failed ("miss") or a capture failed (「失敗」) on these squares.
    void note_failure(const std::string& text, const std::vector<BoardSquare>& squares);

    // The animation clock: `ms` of real time at the battle's tempo (the party driver's
    // interval, which hold-Space shortens). A slower battle lets the numbers linger.
    void advance(int ms, int tempo_ms);
    void clear();
    bool animating() const { return !floats_.empty() || !flashes_.empty() || !ghosts_.empty(); }

    std::vector<FloatView> floats() const;
    std::vector<FlashView> flashes() const;
    std::vector<GhostView> ghosts() const;

  private:
    struct Float {
        std::string text;
        FloatKind kind;
        int x, y;   // the square's centre column pixel and foot row pixel
        int stack;  // raised by one line per number already rising there
        int age = 0;
    };
    struct Flash {
        int slot;
        int age = 0;
    };
    struct Ghost {
        std::string picture;
        int left, top;
        int age = 0;
    };
    struct Seen {
        int state = 0, hp = 0, mp = 0, max_hp = 0, max_mp = 0;
        bool visible = false;
        int left = 0, top = 0;
        std::string picture;
    };

    void add_float(std::string text, FloatKind kind, int left, int top);

    std::array<Seen, 16> seen_{};  // board slots 1..5 and 11..15
    std::vector<Float> floats_;
    std::vector<Flash> flashes_;
    std::vector<Ghost> ghosts_;
    long long carry_ = 0;  // the part of a millisecond the tempo left over
};

}  // namespace lum

#include "battle/board_overlay.h"

#include <algorithm>

#include "battle/battle_clock.h"
#include "battle/effects.h"

namespace lum {

namespace {

bool board_slot(int slot) {
    return (slot >= kFirstParty && slot <= kLastParty) ||
           (slot >= kFirstEnemy && slot <= kLastEnemy);
}

const UnitSprite& sprite_of(const BattleWidgets& w, int slot) {
    return slot <= kLastParty ? w.party[static_cast<std::size_t>(slot)]
                              : w.enemy[static_cast<std::size_t>(slot - 10)];
}

// A picture's square: the redraw puts pictures one pixel above the map's top edge, so round.
BoardSquare square_at(int left, int top) {
    const auto nearest = [](int px) {
        return px >= 0 ? (px + kSquarePx / 2) / kSquarePx : -((-px + kSquarePx / 2) / kSquarePx);
    };
    return {nearest(left - kMapLeft), nearest(top - kMapTop)};
}

// The board square a target marker stands on; none for a parked or off-board marker.
std::optional<BoardSquare> marker_square(const Marker& m) {
    if (m.left == kOffBoardLeft) return std::nullopt;
    const BoardSquare sq{(m.left - kMapLeft) / kSquarePx, (m.top - kMapTop) / kSquarePx};
    if (!on_board(sq.column, sq.row)) return std::nullopt;
    return sq;
}

// The shake of a struck unit, a few pixels either way and settling.
constexpr int kShake[] = {3, -3, 2, -2, 1, -1, 0, 0};

int fade(int age, int life, int full) {
    return std::clamp(full * (life - age) / life, 0, full);
}

}  // namespace

Rgb float_colour(FloatKind k) {
    switch (k) {
        case FloatKind::damage:
            return {255, 92, 60};
        case FloatKind::heal:
            return {96, 236, 120};
        case FloatKind::mp:
            return {92, 180, 255};
        case FloatKind::miss:
            return {216, 216, 224};
    }
    return {};
}

Rgb tint_colour(TintKind k) {
    switch (k) {
        case TintKind::strike:
            return {255, 96, 48};
        case TintKind::ally:
            return {255, 216, 0};
        case TintKind::support:
            return {80, 220, 120};
        case TintKind::warp:
            return {96, 160, 255};
    }
    return {};
}

std::vector<SquareTint> square_tints(const GameState& gs, const BattleWidgets& w) {
    std::vector<SquareTint> out;
    if (!w.battle_shown) return out;
    if (w.warp_click_armed) {
        for (int r = 0; r < kBoardRows; ++r)
            for (int c = 0; c < kBoardColumns; ++c)
                if (gs.grid.at(c, r) == 0) out.push_back({{c, r}, TintKind::warp});
        return out;
    }
    // The party's techniques only: an enemy's strike keeps the game's own markers.
    const int actor = gs.cur_unit;
    if (actor < kFirstParty || actor > kLastParty) return out;
    const bool heal = gs.skill_family == 6;
    auto add = [&](BoardSquare sq, TintKind k) {
        if (!on_board(sq.column, sq.row)) return;
        for (const SquareTint& t : out)
            if (t.square == sq) return;
        out.push_back({sq, k});
    };
    auto kind_on = [&](BoardSquare sq) {
        if (heal) return TintKind::support;
        const int s = gs.grid.at(sq.column, sq.row);
        return s >= kFirstParty && s <= kLastParty ? TintKind::ally : TintKind::strike;
    };
    bool shown = false;
    std::vector<BoardSquare> marked;
    for (const Marker& m : w.markers)
        if (auto sq = marker_square(m)) marked.push_back(*sq);
    if (gs.skill_family == 12 && !marked.empty()) {
        // 占星術's third preview marks two squares it does not strike: tint what it strikes
        // (fixed board squares; one, three or five markers tell the technique).
        const int slot = marked.size() >= 5 ? 3 : marked.size() >= 3 ? 2 : 1;
        marked.clear();
        for (SquareOffset o : technique_squares(12, slot)) marked.push_back({o.dx, o.dy});
    }
    for (const BoardSquare& sq : marked) {
        add(sq, kind_on(sq));
        shown = true;
    }
    if (w.s_l_visible) {
        const bool enemies = w.s_l == "対象：敵全員" || w.s_l == "対象：全員";
        const bool allies = w.s_l == "対象：味方全員" || w.s_l == "対象：全員";
        const TintKind ally_kind = w.s_l == "対象：全員" ? TintKind::ally : TintKind::support;
        for (int s = 1; s <= kLastEnemy; ++s) {
            if (!board_slot(s) || gs.chara[s].state == kStateEmpty) continue;
            const bool party = s <= kLastParty;
            if (party ? !allies : !enemies) continue;
            add({gs.chara[s].x, gs.chara[s].y}, party ? ally_kind : TintKind::strike);
        }
        if (w.s_l == "対象：自分") add({gs.chara[actor].x, gs.chara[actor].y}, TintKind::support);
        shown = true;
    }
    // 暗黒剣 is paid with the actor's own life.
    if (shown && gs.skill_family == 7) {
        const BoardSquare self{gs.chara[actor].x, gs.chara[actor].y};
        out.erase(std::remove_if(out.begin(), out.end(),
                                 [&](const SquareTint& t) { return t.square == self; }),
                  out.end());
        add(self, TintKind::ally);
    }
    return out;
}

std::vector<BoardSquare> failure_squares(const GameState& gs, const BattleWidgets& w) {
    std::vector<BoardSquare> out;
    for (const Marker& m : w.markers) {
        auto sq = marker_square(m);
        if (sq && gs.grid.at(sq->column, sq->row) != 0) out.push_back(*sq);
    }
    if (out.empty()) {
        if (auto sq = acting_square(gs, w)) out.push_back(*sq);
    }
    return out;
}

std::optional<BoardSquare> acting_square(const GameState& gs, const BattleWidgets& w) {
    if (!w.battle_shown || w.speech_running) return std::nullopt;
    const int u = gs.cur_unit;
    const bool party = u >= kFirstParty && u <= kLastParty;
    // Between two enemies the last one's turn is over.
    const bool enemy = u >= kFirstEnemy && u <= kLastEnemy && gs.enemy_phase != 0;
    if (!party && !enemy) return std::nullopt;
    const UnitSprite& s = sprite_of(w, u);
    if (!s.visible || gs.chara[static_cast<std::size_t>(u)].state == kStateEmpty)
        return std::nullopt;
    return square_at(s.left, s.top);
}

std::vector<TurnEntry> turn_strip(const GameState& gs, const BattleWidgets& w, int count) {
    std::vector<TurnEntry> out;
    if (!w.battle_shown || count <= 0) return out;
    auto entry = [&](int slot, bool now) {
        return TurnEntry{slot, gs.chara[static_cast<std::size_t>(slot)].name, now};
    };
    if (acting_square(gs, w)) out.push_back(entry(gs.cur_unit, true));
    for (int s : upcoming_turns(gs, count - static_cast<int>(out.size())))
        out.push_back(entry(s, false));
    return out;
}

// ---------------------------------------------------------------- BoardOverlay

void BoardOverlay::resync(const BattleContext& ctx) {
    for (int slot = 1; slot <= kLastEnemy; ++slot) {
        if (!board_slot(slot)) continue;
        const TChara& c = ctx.gs.chara[static_cast<std::size_t>(slot)];
        const UnitSprite& s = sprite_of(ctx.w, slot);
        Seen& v = seen_[static_cast<std::size_t>(slot)];
        v.state = c.state;
        v.hp = c.hp;
        v.mp = c.mp;
        v.max_hp = c.max_hp;
        v.max_mp = c.max_mp;
        v.visible = s.visible;
        v.left = s.left;
        v.top = s.top;
        v.picture = s.picture;
    }
}

void BoardOverlay::observe(const BattleContext& ctx) {
    if (!ctx.gs.battle_effects || !ctx.w.battle_shown) {
        clear();
        resync(ctx);
        return;
    }
    for (int slot = 1; slot <= kLastEnemy; ++slot) {
        if (!board_slot(slot)) continue;
        const TChara& c = ctx.gs.chara[static_cast<std::size_t>(slot)];
        const Seen& was = seen_[static_cast<std::size_t>(slot)];
        const UnitSprite& s = sprite_of(ctx.w, slot);
        if (was.state == kStateEmpty || c.state == kStateEmpty) {
            // Only a unit that was there can be struck; one leaving the board fades.
            if (was.state != kStateEmpty && was.visible && !s.visible)
                ghosts_.push_back({was.picture, was.left - kMapLeft, was.top - kMapTop});
            continue;
        }
        // Where the unit's picture stands now (the board holds still while messages show).
        const int left = s.visible ? s.left : c.x * kSquarePx + kMapLeft;
        const int top = s.visible ? s.top : c.y * kSquarePx + kMapTop;

        // The screen's refresh pulls values back into their ranges; that is no hit or heal.
        const long long dhp = static_cast<long long>(c.hp) - was.hp;
        const bool hp_clamp = (dhp < 0 && was.hp > c.max_hp && c.hp == c.max_hp) ||
                              (dhp < 0 && c.state == kStateDown && c.hp == 0) ||
                              (dhp > 0 && c.hp <= 0);
        if (dhp < 0 && !hp_clamp) {
            add_float(num(-dhp), FloatKind::damage, left, top);
            flashes_.erase(std::remove_if(flashes_.begin(), flashes_.end(),
                                          [&](const Flash& f) { return f.slot == slot; }),
                           flashes_.end());
            flashes_.push_back({slot});
        } else if (dhp > 0 && !hp_clamp) {
            add_float("+" + num(dhp), FloatKind::heal, left, top);
        }
        const long long dmp = static_cast<long long>(c.mp) - was.mp;
        const bool mp_clamp = (dmp < 0 && was.mp > c.max_mp && c.mp == c.max_mp) ||
                              (dmp > 0 && c.mp == 0 && was.mp < 0);
        if (dmp != 0 && !mp_clamp)
            add_float(std::string("Mp") + (dmp > 0 ? "+" : "-") + num(dmp > 0 ? dmp : -dmp),
                      FloatKind::mp, left, top);

        // A fall: the picture it had fades over the down picture (or the bare map).
        const bool down = c.state == kStateDown && was.state != kStateDown;
        if (down && was.visible && (!s.visible || s.picture != was.picture))
            ghosts_.push_back({was.picture, was.left - kMapLeft, was.top - kMapTop});
    }
    resync(ctx);
}

void BoardOverlay::note_failure(const std::string& text, const std::vector<BoardSquare>& squares) {
    // Where the redraw puts a picture on that square.
    for (const BoardSquare& sq : squares)
        add_float(text, FloatKind::miss, sq.column * kSquarePx + kMapLeft, sq.row * kSquarePx);
}

void BoardOverlay::add_float(std::string text, FloatKind kind, int left, int top) {
    Float f{std::move(text), kind, left - kMapLeft + kSquarePx / 2, top - kMapTop + kSquarePx - 16,
            0};
    // Amounts landing on one square together stand one above the other.
    for (const Float& o : floats_)
        if (o.x == f.x && o.y == f.y && o.age < kFloatMs / 2)
            f.stack = std::max(f.stack, o.stack + 1);
    // Without the animation clock (nothing painting) the oldest make way.
    if (floats_.size() >= kMostFloats) floats_.erase(floats_.begin());
    floats_.push_back(std::move(f));
}

void BoardOverlay::advance(int ms, int tempo_ms) {
    if (ms <= 0 || !animating()) {
        carry_ = 0;
        return;
    }
    const long long scaled = static_cast<long long>(ms) * kNormalTempoMs + carry_;
    const long long tempo = std::max(tempo_ms, 1);
    const int step = saturate(scaled / tempo);
    carry_ = scaled % tempo;
    for (Float& f : floats_) f.age = saturate(static_cast<long long>(f.age) + step);
    for (Flash& f : flashes_) f.age = saturate(static_cast<long long>(f.age) + step);
    for (Ghost& g : ghosts_) g.age = saturate(static_cast<long long>(g.age) + step);
    std::erase_if(floats_, [](const Float& f) { return f.age >= kFloatMs; });
    std::erase_if(flashes_, [](const Flash& f) { return f.age >= kFlashMs; });
    std::erase_if(ghosts_, [](const Ghost& g) { return g.age >= kFadeMs; });
}

void BoardOverlay::clear() {
    floats_.clear();
    flashes_.clear();
    ghosts_.clear();
    carry_ = 0;
}

std::vector<FloatView> BoardOverlay::floats() const {
    std::vector<FloatView> out;
    out.reserve(floats_.size());
    constexpr int kLine = 15;
    for (const Float& f : floats_) {
        // Full strength for the first half, then fading as it goes on rising.
        const int alpha =
            f.age < kFloatMs / 2 ? 255 : fade(f.age - kFloatMs / 2, kFloatMs / 2, 255);
        out.push_back({f.text, f.kind, float_colour(f.kind), f.x,
                       f.y - f.stack * kLine - kRisePx * f.age / kFloatMs, alpha});
    }
    return out;
}

std::vector<FlashView> BoardOverlay::flashes() const {
    std::vector<FlashView> out;
    constexpr int kShakeSteps = sizeof kShake / sizeof kShake[0];
    for (const Flash& f : flashes_)
        out.push_back({f.slot, fade(f.age, kFlashMs, 200),
                       kShake[std::min(kShakeSteps - 1, f.age * kShakeSteps / kFlashMs)]});
    return out;
}

std::vector<GhostView> BoardOverlay::ghosts() const {
    std::vector<GhostView> out;
    for (const Ghost& g : ghosts_)
        out.push_back({g.picture, g.left, g.top, fade(g.age, kFadeMs, 255)});
    return out;
}

}  // namespace lum

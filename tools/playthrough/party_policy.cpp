#include "party_policy.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "battle/sealed_sword.h"
#include "battle/techniques.h"

namespace lum::play {

namespace {

constexpr int kHopelessHp = 99999;

bool alive(const TChara& c) {
    return c.state != kStateEmpty && c.state != kStateDown;
}

int floor_div(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The board square a preview marker stands on; false for a hidden marker.
bool marker_square(const Marker& mk, int& col, int& row) {
    if (mk.left == kOffBoardLeft) return false;
    col = floor_div(mk.left - kMapLeft, kSquarePx);
    row = floor_div(mk.top - kMapTop, kSquarePx);
    return on_board(col, row);
}

// What the player reads off a technique's description: roughly how hard it strikes, from the
// attributes its family names. Zero for techniques the policy never attacks with.
long long rough_power(const GameState& gs, const TChara& a, int family, int slot) {
    const long long p = a.aiko_power;
    switch (family) {
        case 1:
        case 16: {
            // 体力 with a third, a half, all or twice the 哀古.
            static constexpr std::array<int, 5> kSixths = {0, 2, 3, 6, 12};
            return a.body + p * kSixths[slot] / 6;
        }
        case 2:
            return a.magic + a.dark + p / 8;
        case 3:
            return a.body + a.order + p / 4;
        case 4:
            return a.body + a.calm + p / 5;
        case 5:
            return a.mech + p / 4;
        case 7:
            // Only the blow at every enemy, paid with a third of one's own HP.
            return slot == 2 && a.hp * 2 > a.max_hp ? 2LL * a.dark + a.magic + p / 5 : 0;
        case 8: {
            static constexpr std::array<int, 5> kHalves = {0, 2, 3, 4, 6};
            return a.beast * kHalves[slot] / 2 + p / 7;
        }
        case 10:
            return 2LL * a.order + a.past + p / 3;
        case 11:
            return a.body + a.past + p * (slot + 1) / (slot + 2);
        case 12:
            return slot == 4 ? 2LL * (a.justice + a.dark) + p : a.justice + a.dark + p / 5;
        case 13: {
            const long long wound = a.max_hp - a.hp;
            return slot == 2 ? 2 * wound : wound;
        }
        default:
            (void)gs;
            return 0;
    }
}

}  // namespace

bool PartyPolicy::hopeless() const {
    const GameState& gs = m_.context().gs;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e)
        if (gs.chara[e].state != kStateEmpty && gs.chara[e].max_hp >= kHopelessHp) return true;
    return false;
}

bool PartyPolicy::answer(const std::string& q) const {
    static const std::string kTake = "から哀古を奪いますか？";
    if (q.find(kTake) == std::string::npos) return true;
    const std::string mark = "△";
    // The first power is the one offered; the member's own follows it.
    const size_t at = q.find(mark);
    if (at == std::string::npos) return false;
    const long long offered = std::atoll(q.c_str() + at + mark.size());
    const GameState& gs = m_.context().gs;
    return offered > gs.chara[std::min<int>(gs.cur_unit, kCharaCount - 1)].aiko_power;
}

void PartyPolicy::start_battle() {
    turns = 0;
    rounds = 0;
    fled = false;
    last_unit_ = kLastParty + 1;
}

void PartyPolicy::act() {
    ++turns;
    const GameState& gs = m_.context().gs;
    if (gs.cur_unit <= last_unit_) ++rounds;
    last_unit_ = gs.cur_unit;
    if (hopeless()) return flee();
    if (style_ == PolicyStyle::newcomer) {
        if (strike_nearest() || advance()) return;
    } else if (revive() || heal() || attack() || advance()) {
        return;
    }
    if (gs.player_phase == 0 && m_.awaiting_command()) m_.Button3Click();
}

void PartyPolicy::flee() {
    m_.idou_bClick();
    m_.nigeru_bClick();
    fled = !m_.widgets().battle_shown;
}

bool PartyPolicy::use_item_of_kind(std::initializer_list<int> kinds) {
    GameState& gs = m_.context().gs;
    m_.Button18Click();
    if (!m_.item_box.visible) return false;
    const auto entries = m_.item_box.entries;
    for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
        // The box picks by name, as the player's click does.
        const int kind = gs.item_at(pick_item(gs, entries[row].second)).kind;
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) continue;
        m_.item_listMouseDown(row);
        m_.item_useClick();
        if (gs.player_phase != 0) return true;
        break;
    }
    if (m_.item_box.visible) m_.Button22Click();
    return false;
}

bool PartyPolicy::revive() {
    const GameState& gs = m_.context().gs;
    for (int p = kFirstParty; p <= kLastParty; ++p) {
        const TChara& c = gs.chara[p];
        if (c.state == kStateDown && c.lifespan > 0) return use_item_of_kind({19});
    }
    return false;
}

bool PartyPolicy::heal() {
    GameState& gs = m_.context().gs;
    const TChara& a = gs.chara_at(gs.cur_unit);
    const bool low = a.hp * 3 < a.max_hp;
    int wounded = 0;
    for (int p = kFirstParty; p <= kLastParty; ++p)
        if (alive(gs.chara[p]) && gs.chara[p].hp * 3 < gs.chara[p].max_hp) ++wounded;
    if (wounded == 0) return false;

    // 天法: the technique whose marked squares hold the most missing HP of the party.
    BattleWidgets& w = m_.widgets();
    m_.usu_bClick();
    if (m_.family_visible[6] && w.family_enabled[6]) {
        m_.family_click(6);
        int best = 0;
        long long best_gain = 0;
        for (int s = 4; s >= 1 && w.menu4; --s) {
            if (w.technique_captions[s] == "？" || a.mp < technique_mp_cost(6, s)) continue;
            m_.technique_hover(s);
            long long gain = 0;
            for (const Marker& mk : w.markers) {
                int col, row;
                if (!marker_square(mk, col, row)) continue;
                const int u = gs.grid.at(col, row);
                const TChara& t = gs.chara_at(u);
                if (u >= kFirstParty && u <= kLastParty && alive(t)) gain += t.max_hp - t.hp;
                if (u >= kFirstEnemy && u <= kLastEnemy) gain -= t.max_hp - t.hp;
            }
            if (gain > best_gain) best_gain = gain, best = s;
        }
        if (best > 0 && best_gain * 4 >= a.max_hp) {
            m_.technique_hover(best);
            m_.technique_click(best);
            if (gs.player_phase != 0) return true;
        }
    }
    m_.escape();
    m_.escape();
    if (low && use_item_of_kind({0})) return true;
    return wounded >= 2 && use_item_of_kind({1});
}

bool PartyPolicy::attack() {
    GameState& gs = m_.context().gs;
    BattleWidgets& w = m_.widgets();
    const TChara& a = gs.chara_at(gs.cur_unit);
    int living = 0;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e)
        if (gs.chara[e].state != kStateEmpty) ++living;

    struct Choice {
        bool special = false;
        int family = 0, slot = 0;  // family 20..25: the sealed sword
        long long score = 0;
    } best;
    for (const bool special : {false, true}) {
        special ? m_.spa_bClick() : m_.usu_bClick();
        const std::vector<int> families = special ? std::vector<int>{8, 10, 11, 12, 13, 16, 18}
                                                  : std::vector<int>{1, 2, 3, 4, 5, 7};
        for (int f : families) {
            if (!m_.family_visible[f] || (f <= 15 && !w.family_enabled[f])) continue;
            m_.family_click(f);
            if (!w.menu4) continue;
            for (int s = 4; s >= 1; --s) {
                if (w.technique_captions[s] == "？" || a.mp < technique_mp_cost(f, s)) continue;
                // The family's blows straight ahead only; its sidesteps strike nothing in front.
                if (f == 1 && s != 1 && s != 4) continue;
                // A card strikes off a third, a half or three quarters of what the target has
                // left, for a card and Ark.
                const bool card = f == 18;
                if (card && (s == 4 || held_card(gs) < 0 || gs.ark < 30 * s)) continue;
                const long long power = card ? 1 : rough_power(gs, a, f, s);
                if (power <= 0) continue;
                m_.technique_hover(s);
                long long score = 0;
                if (w.s_l_visible) {
                    if (w.s_l == "対象：敵全員") score = living * power;
                } else {
                    for (const Marker& mk : w.markers) {
                        int col, row;
                        if (!marker_square(mk, col, row)) continue;
                        const int u = gs.grid.at(col, row);
                        const TChara& t = gs.chara_at(u);
                        if (u >= kFirstEnemy && u <= kLastEnemy && t.state != kStateEmpty)
                            score += card ? t.hp * (s == 3 ? 3LL : 1LL) /
                                                (s == 1   ? 3
                                                 : s == 2 ? 2
                                                          : 4)
                                          : power;
                        if (u >= kFirstParty && u <= kLastParty && alive(t)) score -= power;
                    }
                }
                if (score > best.score) best = {special, f, s, score};
            }
            m_.escape();  // the technique panel
        }
        m_.escape();  // the family box
    }

    // The sealed sword, paid with 20 oaths: what it does to the unit right in front.
    const int in_front = gs.grid.at(a.x - 1, a.y);
    if (a.oath_count >= 20 && in_front >= kFirstEnemy && in_front <= kLastEnemy) {
        const TChara& t = gs.chara[in_front];
        for (int f = kFirstSealed; f <= 25; ++f) {
            if (f == 24 || !m_.sealed.enabled[f]) continue;  // 哀古解放 breaks one's own 哀古
            long long power = f == 23 ? t.hp / 2 : 50;
            if (f <= 22) {
                const int attr = f == 20 ? t.past : f == 21 ? t.justice : t.dark;
                power = static_cast<long long>(t.max_hp / 13) * (attr / 10 + 1);
            }
            if (power > best.score) best = {false, f, 0, power};
        }
    }
    if (best.family >= kFirstSealed) {
        m_.Button23Click();
        m_.sealed_hover(best.family);
        m_.sealed_click(best.family);
    } else if (best.family > 0) {
        best.special ? m_.spa_bClick() : m_.usu_bClick();
        m_.family_click(best.family);
        m_.technique_hover(best.slot);
        m_.technique_click(best.slot);
    } else {
        return false;
    }
    if (gs.player_phase != 0) return true;
    m_.escape();
    m_.escape();
    return false;
}

// The enemy whose right-hand square is nearest the acting member (the party faces left);
// 0 when none stands.
int PartyPolicy::nearest_enemy() {
    GameState& gs = m_.context().gs;
    const TChara& a = gs.chara_at(gs.cur_unit);
    int nearest = 0, best = 1 << 30;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e) {
        const TChara& c = gs.chara[e];
        if (c.state == kStateEmpty) continue;
        const int d = std::abs(c.x + 1 - a.x) + std::abs(c.y - a.y);
        if (d < best) best = d, nearest = e;
    }
    return nearest;
}

// The first normal technique, in the order of the buttons, whose marked squares hold the
// nearest enemy: what a player who has read nothing presses.
bool PartyPolicy::strike_nearest() {
    GameState& gs = m_.context().gs;
    BattleWidgets& w = m_.widgets();
    const TChara& a = gs.chara_at(gs.cur_unit);
    const int target = nearest_enemy();
    if (target == 0) return false;
    m_.usu_bClick();
    for (int f = 1; f <= 7; ++f) {
        if (!m_.family_visible[f] || !w.family_enabled[f]) continue;
        m_.family_click(f);
        for (int s = 1; s <= 4 && w.menu4; ++s) {
            if (w.technique_captions[s] == "？" || a.mp < technique_mp_cost(f, s)) continue;
            m_.technique_hover(s);
            bool reaches = false;
            for (const Marker& mk : w.markers) {
                int col, row;
                if (marker_square(mk, col, row) && gs.grid.at(col, row) == target) reaches = true;
            }
            if (!reaches) continue;
            m_.technique_click(s);
            if (gs.player_phase != 0) return true;
        }
        m_.escape();  // the technique panel
    }
    m_.escape();  // the family box
    return false;
}

bool PartyPolicy::advance() {
    GameState& gs = m_.context().gs;
    const TChara& a = gs.chara_at(gs.cur_unit);
    const int x = a.x, y = a.y;
    // The square right of the nearest enemy: the party faces left.
    const int e = nearest_enemy();
    const int tx = e ? gs.chara[e].x + 1 : x, ty = e ? gs.chara[e].y : y;
    if (tx == x && ty == y) return false;
    m_.idou_bClick();
    const StepButtons& b = m_.widgets().steps;
    auto go = [&](StepButton s) {
        m_.step_click(s);
        return gs.player_phase != 0;
    };
    if (tx <= x - 2 && b.mae2 && go(StepButton::mae2)) return true;
    if (tx < x && b.mae && go(StepButton::mae)) return true;
    if (ty < y && b.ue && go(StepButton::ue)) return true;
    if (ty > y && b.sita && go(StepButton::sita)) return true;
    if (tx > x && b.usiro && go(StepButton::usiro)) return true;
    // Blocked: a sidestep now and then keeps two units from standing off for ever.
    if (rng_() % 2 == 0) {
        if (b.ue && go(StepButton::ue)) return true;
        if (b.sita && go(StepButton::sita)) return true;
    }
    m_.Button4Click();
    return false;
}

void fill_party_box(PartyBox& box, int slot) {
    // Rows of kClassButtons: 剣士, 術士, アーチャー (or ガンマン), 剣士, 術士.
    static constexpr std::array<int, 5> kClassBySlot = {4, 1, 2, 1, 4};
    int i = kClassBySlot[(std::max(slot, 1) - 1) % 5];
    if (i == 2 && !box.j_a1_enabled) i = 3;
    box.class_click(i);
    box.attr_click(kClassButtons[i].attr);
    box.oath_click(3);
}

}  // namespace lum::play

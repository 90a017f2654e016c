#include "battle/effects.h"

#include <string>

#include "battle/techniques.h"

namespace lum {

namespace {

using Squares = std::vector<SquareOffset>;

void lose(TChara& c, long long d) {
    add_sat(c.hp, -d);
}
void gain(TChara& c, long long h) {
    add_sat(c.hp, h);
}

const char* const kFractions[5] = {"", "4/5", "3/4", "2/3", "1/2"};

std::string damage_text(long long d) {
    return num(d) + "のダメージを与えた！";
}

// The unit on a captured square becomes a card in the last free card slot.
void capture(BattleContext& ctx, const TechniqueStart& s) {
    GameState& gs = ctx.gs;
    const int gx = s.x - 1, gy = s.y;
    TChara& t = ctx.on_square(gx, gy);
    if (gs.grid.at(gx, gy) == 0 || t.max_hp / 10 < t.hp) {
        gs.player_result_msg = kCaptureFailedText;
        ctx.sound.play_effect("miss.wav");
        return;
    }
    int slot = -1;
    for (int i = kFirstCardSlot; i < kItemCount; ++i)
        if (gs.item_table[i].name.empty()) slot = i;
    if (slot < 0) {
        gs.player_result_msg = "これ以上敵をカード化できません。";
        return;
    }
    TItem& card = gs.item_table[slot];
    card.name = "card･" + t.name;
    card.text.clear();
    card.kind = kCardKind;
    card.value = gs.random(29);
    gs.item_owned[slot] = 1;
    ctx.sound.play_ok_sound();
    t.hp = 0;
    gs.player_result_msg = t.name + "をカードに変えた！\r「card･" + t.name + "」を入手した!";
}

// 飛法 1..3: slots first..first+4 in state 1 step one column when the square is free; the grid
// is not rewritten here, so every test sees the board as it stood before the technique.
void shift_side(GameState& gs, int first, int dx) {
    for (int i = first; i <= first + 4; ++i) {
        TChara& c = gs.chara[i];
        if (c.state != kStateNormal) continue;
        const int nx = c.x + dx;
        if (!on_board(nx, c.y) || gs.grid.at(nx, c.y) != 0) continue;
        c.x = static_cast<byte>(nx);
    }
}

}  // namespace

std::vector<SquareOffset> technique_squares(int family, int slot) {
    if (slot < 1 || slot > 4) return {};
    static const Squares kTable[19][5] = {
        {},
        {{}, {{-1, 0}}, {{0, 1}}, {{0, -1}}, {{-1, 0}}},
        {{},
         {{0, 0}},
         {{0, 0}, {0, -1}},
         {{0, 0}, {0, -1}, {0, 1}},
         {{0, 0}, {0, -1}, {0, 1}, {-1, 0}, {1, 0}}},
        {{},
         {{-1, 0}},
         {{-1, 0}, {-1, -1}},
         {{-1, 0}, {-1, -1}, {-1, 1}},
         {{-1, 0}, {-1, -1}, {-1, 1}, {-2, 0}}},
        {{}, {{-3, 0}}, {{-4, 0}}, {{-5, 0}}, {{-6, 0}}},
        {{}, {{-2, 0}}, {{-2, -1}}, {{-2, -1}, {-2, 1}}, {{-2, -1}, {-2, 1}, {-2, 0}}},
        {{}, {{0, 0}}, {{-1, 0}}, {{-1, 0}, {1, 0}}, {{-1, 0}, {1, 0}, {0, 0}, {0, 1}, {0, -1}}},
        {},
        {},
        {},
        {{},
         {{-1, 0}, {1, 0}},
         {{-1, -1}, {1, 1}},
         {{-1, 0}, {1, 0}, {0, -1}, {0, 1}},
         {{-1, -1}, {1, 1}, {-1, 1}, {1, -1}}},
        {{},
         {{1, 0}, {2, 0}},
         {{-1, 0}, {-1, -1}, {-1, -2}, {-1, 1}, {-1, 2}},
         {{-1, 2}, {-2, 2}, {-1, -2}, {-2, -2}},
         {{-1, -1}, {-2, 0}, {-3, 1}, {-4, 0}, {-5, -1}}},
        {{},
         {{3, 2}},
         {{3, 2}, {3, 3}, {3, 1}},
         {{3, 2}, {3, 3}, {3, 1}, {2, 3}, {5, 1}},
         {{3, 2}}},
        {},
        {},
        {},
        {{},
         {{0, -1}, {0, 1}},
         {{-1, -1}, {-1, 1}},
         {{0, -1}, {0, 1}, {1, 0}, {-1, 0}},
         {{0, -2}, {0, 2}, {2, 0}, {-2, 0}}},
        {},
        {{}, {{-2, 0}}, {{-2, 0}}, {{-2, 0}}, {{-1, 0}}},
    };
    if (family < 0 || family > 18) return {};
    return kTable[family][slot];
}

void draw_technique_target(GameState& gs) {
    bool any = false;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e)
        if (gs.chara[e].state != kStateEmpty) any = true;
    if (!any) return;
    int n;
    do {
        n = kFirstEnemy + gs.random(5);
    } while (gs.chara[n].state == kStateEmpty);
    gs.target_unit = static_cast<byte>(n);
}

void apply_technique_effect(BattleContext& ctx, int family, int slot, const TechniqueStart& s) {
    GameState& gs = ctx.gs;
    TChara& actor = ctx.actor();
    const long long a = s.a;
    std::string& msg = gs.player_result_msg;
    auto at = [&](SquareOffset o) -> TChara& { return ctx.on_square(s.x + o.dx, s.y + o.dy); };
    auto empty = [&](SquareOffset o) { return gs.grid.at(s.x + o.dx, s.y + o.dy) == 0; };
    // Strikes every square of the technique; the names of those standing there, in order.
    auto strike_all = [&](const Squares& squares, long long d) {
        std::string struck;
        for (SquareOffset o : squares) {
            if (!empty(o)) struck += (struck.empty() ? "" : "、") + at(o).name;
            lose(at(o), d);
        }
        return struck;
    };
    const Squares squares = technique_squares(family, slot);

    switch (family) {
        case 1: {  // 体術
            const long long b = actor.body;
            const long long d = saturate(slot == 1   ? b + a / 3
                                         : slot == 2 ? b + a / 2
                                         : slot == 3 ? b + a
                                                     : b + 2 * a);
            const SquareOffset o = squares.front();
            TChara& t = at(o);
            const bool was_empty = empty(o);
            lose(t, d);
            msg = was_empty ? "何も起きなかった" : t.name + "に" + damage_text(d);
            break;
        }
        case 2: {  // 魔術, around the chosen target
            TChara& target = gs.chara_at(gs.target_unit);
            const int tx = target.x, ty = target.y;
            const long long d = saturate(static_cast<long long>(actor.magic) + actor.dark + a / 8);
            const std::string name = target.name;
            lose(target, d);
            for (std::size_t k = 1; k < squares.size(); ++k)
                lose(ctx.on_square(tx + squares[k].dx, ty + squares[k].dy), d);
            msg = name + (slot >= 2 ? "達" : "") + "に" + damage_text(d);
            break;
        }
        case 3:    // 剣法
        case 4:    // 弓矢
        case 5: {  // 銃器
            const long long b = family == 3   ? static_cast<long long>(actor.body) + actor.order
                                : family == 4 ? static_cast<long long>(actor.body) + actor.calm
                                              : actor.mech;
            const long long d = saturate(b + a / (family == 4 ? 5 : 4));
            // Who was struck is named; nothing happened only when every square was empty.
            const std::string struck = strike_all(squares, d);
            msg = struck.empty() ? "何も起こらなかった" : struck + "に" + damage_text(d);
            break;
        }
        case 6: {  // 天法
            const long long h = saturate(actor.justice + a / 8);
            for (SquareOffset o : squares) gain(at(o), h);
            msg = num(h) + "のHpを回復！";
            break;
        }
        case 7: {  // 暗黒剣
            const long long b = 2LL * actor.dark + actor.magic;
            if (slot == 1) {
                TChara& target = gs.chara_at(gs.target_unit);
                actor.hp = 0;
                if (static_cast<long long>(target.level) <
                    static_cast<long long>(actor.level) + 3) {
                    target.hp = 0;
                    msg = actor.name + "は自らの命と引き換えに、" + target.name + "の命を奪った!";
                } else {
                    msg =
                        actor.name + "の剣は効かなかった！\r" + actor.name + "は力尽きてしまった。";
                }
            } else if (slot == 2) {
                const long long d = saturate(b + a / 5);
                for (int e = kFirstEnemy; e <= kLastEnemy; ++e) lose(gs.chara[e], d);
                const int cost = actor.max_hp / 3;
                lose(actor, cost);
                msg = actor.name + "は" + num(cost) + "のダメージと引き換えに敵に" + num(d) +
                      "ずつダメージを与えた!";
            } else if (slot == 3) {
                const long long h = saturate(b + a / 8);
                for (int p = kFirstParty; p <= kLastParty; ++p) gain(gs.chara[p], h);
                const int cost = actor.max_hp / 3;
                lose(actor, h);
                lose(actor, cost);
                msg = actor.name + "は" + num(cost) + "のダメージと引き換えに味方のHpを" + num(h) +
                      "ずつ回復させた!";
            } else {
                actor.hp = 0;
                for (int e = kFirstEnemy; e <= kLastEnemy; ++e) {
                    TChara& t = gs.chara[e];
                    if (gs.random(2) == 0)
                        t.hp = 1;
                    else
                        lose(t, t.hp / 2);
                }
                msg = actor.name + "は自らの命と引き換えに敵の精気を奪った!";
            }
            break;
        }
        case 8: {  // 猫術
            const long long b = actor.beast;
            const long long base = slot == 1   ? b
                                   : slot == 2 ? (3 * b) / 2
                                   : slot == 3 ? 2 * b
                                               : 3 * b;
            const long long d = saturate(base + a / 7);
            for (int e = kFirstEnemy; e <= kLastEnemy; ++e) lose(gs.chara[e], d);
            msg = "敵全員に" + damage_text(d);
            break;
        }
        case 9: {  // Ｍ法: a share of the current HP of everyone on both sides
            const int divisor = 6 - slot;
            for (int i = 1; i <= kLastEnemy; ++i) lose(gs.chara[i], gs.chara[i].hp / divisor);
            msg = std::string("敵・味方全員のHpを") + kFractions[slot] + "にした！";
            break;
        }
        case 10: {  // ｼﾙｳﾞｨｱ剣
            const long long d = saturate(2LL * actor.order + actor.past + a / 3);
            strike_all(squares, d);
            msg = damage_text(d);
            break;
        }
        case 11: {  // ビンタ
            const long long b = static_cast<long long>(actor.body) + actor.past;
            const long long d = saturate(slot == 1   ? b + (a / 3) * 2
                                         : slot == 2 ? b + (a / 4) * 3
                                         : slot == 3 ? b + (a / 5) * 4
                                                     : b + a);
            strike_all(squares, d);
            msg = damage_text(d);
            break;
        }
        case 12: {  // 占星術: fixed board squares
            const long long b = static_cast<long long>(actor.justice) + actor.dark;
            const long long d = saturate(slot == 4 ? 2 * b + a : b + a / 5);
            for (SquareOffset o : squares) lose(ctx.on_square(o.dx, o.dy), d);
            msg = "天と地からの攻撃によって" + damage_text(d);
            break;
        }
        case 13: {  // 竜言語魔法: the actor's own wounds, around the chosen target
            const long long d = saturate(static_cast<long long>(actor.max_hp) - actor.hp);
            TChara& target = gs.chara_at(gs.target_unit);
            const int tx = target.x, ty = target.y;
            auto drain = [&](TChara& t) {
                lose(t, d);
                gain(actor, d);
            };
            switch (slot) {
                case 1:
                    lose(target, d);
                    break;
                case 2:
                    lose(target, d);
                    lose(target, d);
                    lose(ctx.on_square(tx, ty - 1), d);
                    lose(ctx.on_square(tx, ty + 1), d);
                    break;
                case 3:
                    drain(target);
                    break;
                default:
                    drain(target);
                    lose(target, d);
                    lose(ctx.on_square(tx, ty - 1), d);
                    drain(ctx.on_square(tx, ty + 1));
                    break;
            }
            msg = "自分のダメージ分" + num(d) + "のダメージを" +
                  (slot <= 2 ? "与えた" : "吸収した") + "！";
            break;
        }
        case 14: {  // 飛法
            if (slot == 1) {
                shift_side(gs, kFirstParty, -1);
                msg = actor.name + "は味方全員を前方へ1移動させた";
            } else if (slot == 2) {
                shift_side(gs, kFirstParty, 1);
                msg = actor.name + "は味方全員を後方へ1移動させた";
            } else if (slot == 3) {
                shift_side(gs, kFirstEnemy, -1);
                msg = actor.name + "は敵全員を後方へ1移動させた";
            }
            break;
        }
        case 16: {  // ダンス
            const long long b = actor.body;
            const long long d = saturate(slot == 1   ? b + a / 3
                                         : slot == 2 ? b + a / 2
                                         : slot == 3 ? b + a
                                                     : b + 2 * a);
            strike_all(squares, d);
            msg = num(d) + "ずつのダメージを与えた！";
            break;
        }
        case 18: {  // カード
            if (slot == 4) {
                capture(ctx, s);
                break;
            }
            TChara& t = at(squares.front());
            const int hp = t.hp;
            const int d = slot == 1 ? hp / 3 : slot == 2 ? hp / 2 : saturate((hp / 4) * 3LL);
            lose(t, d);
            msg = t.name + "に" + damage_text(d);
            break;
        }
        default:
            return;
    }

    const std::string sound = family_sound(family);
    if (!sound.empty()) ctx.sound.play_effect(sound);
}

}  // namespace lum

#include "battle/sealed_sword.h"

#include "battle/setup.h"
#include "battle/techniques.h"

namespace lum {

namespace {

const char* const kEatTexts[10] = {"のＨＰが完全回復した",         "｢まずいっ！｣(HPが半減した)",
                                   "｢ガフガフ｣(MPが完全回復した)", "の【獣】が4上がった",
                                   "の【過去】が3上がった",        "の【闇】が2上がった",
                                   "の【秩序】が1下がった",        "の【速さ】が1上がった",
                                   "の哀古に獣の魂が宿った！",     "の【体力】が3上がった"};

struct HoverText {
    const char* about;
    const char* detail;
};

HoverText hover_text(int family) {
    switch (family) {
        case 20:
            return {
                "哀古力:相手の【過去】に影響",
                "-誓い数20\r優しく微笑みかけ、相手の心のうちに潜む安らぎをくすぐる。【過去】の多"
                "い敵ほど大ダメージを与えられる。"};
        case 21:
            return {
                "哀古力:相手の【正義】に影響",
                "-誓い数20\r静かに祈りかけ、相手の心の奥に眠る優しさに触れる。【正義】の多い敵ほ"
                "ど大ダメージを与えられる。"};
        case 22:
            return {
                "哀古力:相手の【闇】に影響",
                "-誓い数20\r静かに祈りかけ、相手の心の影に宿る邪心に呼びかける。【闇】の多い敵ほ"
                "ど大ダメージを与えられる。"};
        case 23:
            return {
                "哀古力:相手のＨＰを1/2",
                "-誓い数20\r相手の体の一部を食べてしまう。相手のＨＰは半減し、何らかの効果がある"
                "はずだが････食あたりに気をつけること。"};
        case 24:
            return {"哀古力:100%",
                    "-誓い数∞\r自分の持つ哀古を全て解放し、哀古力分のダメージを与える。しかし哀古は"
                    "砕け散り、誓いの数も０になってしまうので注意"};
        case 25:
            return {
                "哀古力:無視，攻撃力:50",
                "-誓い数20\r幻の科学者ネーベルガントが創り出した剣【ジェット】に宿りし技。哀子力"
                "に関係なく、相手に50のダメージを負わせ、ふっ飛ばす"};
        case 26:
            return {"哀古力:0%",
                    "-誓い数∞\r自分の持つ哀古を全て解放し、戦闘不能の仲間を復活させる。しかし哀古は"
                    "砕け散り、誓いの数も０になってしまうので注意"};
        default:
            return {"", ""};
    }
}

void eat(BattleContext& ctx, TChara& eater, TChara& f) {
    GameState& gs = ctx.gs;
    gs.player_act_msg = eater.name + "は" + f.name + "の体を食べた！";
    f.hp = f.hp / 2 + 1;
    const int r = gs.random(10);
    switch (r) {
        case 0:
            eater.hp = eater.max_hp;
            break;
        case 1:
            eater.hp /= 2;
            break;
        case 2:
            eater.mp = eater.max_mp;
            break;
        case 3:
            add_sat(eater.beast, 4);
            break;
        case 4:
            add_sat(eater.past, 3);
            break;
        case 5:
            add_sat(eater.dark, 2);
            break;
        case 6:
            add_sat(eater.order, -1);
            break;
        case 7:
            add_sat(eater.speed, 1);
            break;
        case 8:
            eater.aiko_power = saturate(2LL * f.aiko_power);
            eater.aiko_name = "獣神ｾﾞﾙｸﾞﾗﾑ";
            break;
        default:
            add_sat(eater.body, 3);
            break;
    }
    gs.player_result_msg = eater.name + kEatTexts[r] + "\r" + f.name + "のＨＰが半減した。";
}

}  // namespace

void open_sealed_sword_box(BattleContext& ctx) {
    ctx.gs.skill_family = 0;
    ctx.sound.play_step_sound();
    ctx.w.ken_box = true;
    ctx.w.menu4 = ctx.w.menu1 = ctx.w.menu2 = ctx.w.menu3 = false;
}

SealedButtons sealed_sword_buttons(const GameState& gs) {
    SealedButtons b;
    for (int f = kFirstSealed; f <= kLastSealed; ++f) b.enabled[f] = gs.skill_flags[f] == 1;
    b.jet_visible = gs.skill_flags[25] == 1;
    return b;
}

void point_at_sealed_sword(BattleContext& ctx, int family) {
    if (family < kFirstSealed || family > kLastSealed) return;
    const HoverText t = hover_text(family);
    ctx.w.magic_about_l = t.about;
    ctx.w.magic_about_l2 = t.detail;
    ctx.hide_markers();
    if (family == 26) {
        ctx.w.s_l = "対象：味方全員";
        ctx.w.s_l_visible = ctx.w.s_l2_visible = true;
        return;
    }
    ctx.w.s_l_visible = ctx.w.s_l2_visible = false;
    const TChara& a = ctx.actor();
    const int reach = family == 24 ? 4 : 1;
    for (int k = 0; k < reach; ++k) ctx.place_marker(k, a.x - 1 - k, a.y);
}

void choose_sealed_sword(BattleContext& ctx, int family) {
    if (family < kFirstSealed || family > kLastSealed) return;
    ctx.w.magic_about_l.clear();
    ctx.gs.skill_family = static_cast<byte>(family);
    resolve_technique(ctx, family, ctx.gs.skill_slot);
}

void apply_sealed_sword(BattleContext& ctx, int family, const TechniqueStart& s) {
    GameState& gs = ctx.gs;
    TChara& me = ctx.actor();
    const bool someone_in_front = gs.grid.at(s.x - 1, s.y) != 0;
    TChara& f = ctx.on_square(s.x - 1, s.y);
    std::string& act = gs.player_act_msg;
    std::string& result = gs.player_result_msg;

    switch (family) {
        case 20:
        case 21:
        case 22: {
            const int attr = family == 20 ? f.past : family == 21 ? f.justice : f.dark;
            const int d = saturate(static_cast<long long>(f.max_hp / 13) * (attr / 10 + 1));
            add_sat(f.hp, -static_cast<long long>(d));
            act = me.name + (family == 20   ? "は心に眠る思い出に微笑みかけた"
                             : family == 21 ? "は心の奥の優しさに祈りかけた"
                                            : "は心に潜む邪心に誘い掛けた");
            result = someone_in_front ? f.name + "に" + num(d) + "のダメージを与えた！"
                                      : "何も起きなかった";
            ctx.sound.play_effect(family == 20   ? "warau.wav"
                                  : family == 21 ? "awa.wav"
                                                 : "ankoku.wav");
            break;
        }
        case 23:
            // With nobody in front the generic act message of the resolution stands.
            if (someone_in_front)
                eat(ctx, me, f);
            else
                result = "何も起きなかった";
            ctx.sound.play_effect("taberu.wav");
            break;
        case 24: {
            const int d = me.aiko_power;
            act = me.name + "の哀古を完全解放した！\r哀古が飛び散った！";
            me.oath_count = 0;
            for (int dx = -4; dx <= -1; ++dx)
                add_sat(ctx.on_square(s.x + dx, s.y).hp, -static_cast<long long>(d));
            me.aiko_power = 0;
            result = "前方４マスに" + num(d) + "のダメージを与えた！";
            ctx.sound.play_effect("fire.wav");
            ctx.sound.play_effect("ken.wav");
            break;
        }
        case 25:
            act = "どこからともなくジェットが吹き荒れる!";
            add_sat(f.hp, -50);
            if (someone_in_front) {
                result = f.name + "に50のダメージを与えた！";
                const int bx = s.x - 2;
                if (on_board(bx, s.y) && gs.grid.at(bx, s.y) == 0) {
                    result += f.name + "を吹っ飛ばした！";
                    f.x = static_cast<byte>(f.x - 1);
                }
            } else {
                result = "何も起きなかった";
            }
            ctx.sound.play_effect("fire.wav");
            break;
        case 26:
            act = me.name + "の哀古に祈りを捧げた！\r哀古が飛び散った！";
            for (int p = kFirstParty; p <= kLastParty; ++p) {
                TChara& c = gs.chara[p];
                if (c.state != kStateDown || c.lifespan <= 0) continue;
                c.state = kStateNormal;
                c.hp = c.max_hp / 10;
                // Every revived member gets its own picture back, not only the one in front.
                ctx.w.party[p].picture = party_picture_file(c, gs.stage_no);
            }
            result = "戦闘不能の者を復活させた。";
            me.aiko_power = 0;
            ctx.sound.play_effect("fier.wav");
            ctx.sound.play_effect3("awa.wav");
            break;
        default:
            break;
    }
}

}  // namespace lum

#include "battle/battle_end.h"

#include "battle/setup.h"

namespace lum {

namespace {

const char* const kAttrLabels[kAttrCount] = {"【体力】が", "【魔力】が", "【秩序】が", "【冷静】が",
                                             "【機工】が", "【正義】が", "【闇】が",   "【獣】が",
                                             "【過去】が", "【速さ】が"};

bool fallen(const TChara& c) {
    return c.hp <= 0 && c.state != kStateEmpty && c.state != kStateDown;
}

void pause_after_fall(BattleContext& ctx) {
    ctx.pacing.pause_ms(saturate(static_cast<long long>(ctx.gs.speed_ms) * 2 / 3 + 1));
}

void enemy_falls(BattleContext& ctx, int e_slot) {
    GameState& gs = ctx.gs;
    TChara& e = gs.chara[e_slot];
    e.hp = 0;
    add_sat(e.lifespan, -1);
    ctx.set_timers(false);
    gs.sel_unit = gs.cur_unit;

    // Whoever acted earns the experience, enemy or party member.
    TChara& a = ctx.actor();
    int gain = defeat_experience(gs, a.level, e.level);

    pause_after_fall(ctx);
    ctx.sound.play_effect("die.wav");
    ctx.inform(e.name + "を倒した");
    ctx.pacing.repaint_now();

    // The growth, from the experience to the last attribute, is read in one box.
    ctx.gather_boxes();
    add_sat(a.exp, gain);
    ctx.sound.play_ok_sound();
    ctx.inform(a.name + "は経験値" + num(gain) + "を取得した!");
    ctx.pacing.repaint_now();

    if (a.exp >= 100) {
        a.exp = 0;
        add_sat(a.level, 1);
        level_up(ctx, gs.cur_unit);
    }
    ctx.show_gathered();

    ctx.sound.play_ok_sound();
    if (ctx.dialogs.ask_yes_no_default_no(capture_question(e, a))) {
        a.aiko_name = e.aiko_name;
        a.aiko_power = e.aiko_power;
        ctx.pacing.repaint_now();
        ctx.sound.play_effect("at1.wav");
        ctx.inform(e.name + "から【" + e.aiko_name + "】の哀古を奪った");
        ctx.sound.play_ok_sound();
    } else {
        ctx.sound.play_step_sound();
    }

    e.state = kStateEmpty;
    ctx.w.enemy[e_slot - 10].visible = false;
}

void member_falls(BattleContext& ctx, int p_slot) {
    GameState& gs = ctx.gs;
    TChara& p = gs.chara[p_slot];
    p.hp = 0;
    ctx.set_timers(false);
    pause_after_fall(ctx);
    gs.sel_unit = static_cast<byte>(p_slot);
    p.state = kStateDown;
    ctx.w.party[p_slot].picture = party_picture_file(p, gs.stage_no);

    ctx.sound.play_effect("die.wav");
    ctx.inform(p.name + "は戦闘不能になった");
    ctx.pacing.repaint_now();

    add_sat(p.lifespan, -1);
    ctx.sound.play_effect("off1.wav");
    ctx.inform(p.name + "の寿命が1減った");
    ctx.pacing.repaint_now();

    p.aiko_power = 1;
    p.aiko_name = "ぬけがら";
    ctx.sound.play_effect("hakai.wav");
    ctx.inform(p.name + "の哀古が破損した");
    ctx.pacing.repaint_now();
}

}  // namespace

std::string capture_question(const TChara& e, const TChara& a) {
    // The 哀古 given up is shown beside the one offered: the exchange is for good.
    return e.name + "から哀古を奪いますか？\r\r【" + e.aiko_name + "】の哀古　△" +
           num(e.aiko_power) + "\r（" + a.name + "の今の哀古は【" + a.aiko_name + "】　△" +
           num(a.aiko_power) + "）";
}

int defeat_experience(GameState& gs, int actor_level, int enemy_level) {
    if (actor_level < enemy_level) return 70 + gs.random(10);
    if (actor_level == enemy_level) return 14 + gs.random(10);
    return 5 + gs.random(10);
}

BattleOutcome check_battle_end(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e)
        if (fallen(gs.chara[e])) enemy_falls(ctx, e);
    for (int p = kFirstParty; p <= kLastParty; ++p)
        if (fallen(gs.chara[p])) member_falls(ctx, p);

    bool enemies_gone = true;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e)
        if (gs.chara[e].state != kStateEmpty) enemies_gone = false;
    if (enemies_gone) {
        // The timers stay off; the next battle's setup starts them again.
        ctx.set_timers(false);
        ctx.w.battle_shown = false;
        ctx.screens.hide(ScreenId::battle);
        ctx.screens.show(ScreenId::result);
        return BattleOutcome::victory;
    }

    bool party_gone = true;
    for (int p = kFirstParty; p <= kLastParty; ++p) {
        byte s = gs.chara[p].state;
        if (s != kStateEmpty && s != kStateDown) party_gone = false;
    }
    if (party_gone) {
        ctx.set_timers(false);
        ctx.sound.play_effect("off1.wav");
        ctx.inform(gs.chara[1].name +
                   "達は絶滅した････\r\r全員の寿命が2ずつ下がった\rお金とＡｒｋが半分に"
                   "なってましった");
        gs.money /= 2;
        gs.ark /= 2;
        for (int p = kFirstParty; p <= kLastParty; ++p) add_sat(gs.chara[p].lifespan, -2);
        restore_roster(gs);
        ctx.w.battle_shown = false;
        ctx.screens.hide(ScreenId::battle);
        ctx.screens.show(ScreenId::travel);
        return BattleOutcome::defeat;
    }

    ctx.set_timers(true);
    return BattleOutcome::ongoing;
}

void level_up(BattleContext& ctx, int u) {
    GameState& gs = ctx.gs;
    TChara& c = gs.chara_at(u);
    // A class number beyond the table grows nothing but HP and MP.
    const auto growth = gs.job_at(c.job).growth;

    ctx.sound.play_effect("lvup.wav");
    ctx.inform(c.name + "はLvUpした!!");
    for (int k = 0; k < kAttrCount; ++k) {
        int draw = gs.random(4);
        if (draw != 0 && growth[k] != 0) {
            ctx.sound.play_ok_sound();
            add_sat(c.attr(k), growth[k]);
            ctx.inform(kAttrLabels[k] + num(growth[k]) + "上がった!");
        }
    }
    int h = gs.random(c.body / 7) + 2;
    int m = gs.random(c.magic / 10) + 1;
    add_sat(c.max_hp, h);
    add_sat(c.max_mp, m);
    ctx.sound.play_ok_sound();
    ctx.inform("【最大Ｈｐ】が" + num(h) + "上がった!\r【最大Ｍｐ】が" + num(m) + "上がった!");
}

}  // namespace lum

#include "battle/movement.h"

namespace lum {

namespace {
bool free_at(const GameState& gs, int x, int y) {
    return gs.grid.at(x, y) == 0;
}
}  // namespace

StepButtons step_buttons(const GameState& gs, int unit) {
    const TChara& c = gs.chara[unit >= 0 && unit < kCharaCount ? unit : 0];
    const int x = c.x, y = c.y, s = c.speed;
    StepButtons b;
    b.mae = x - 1 >= 0 && free_at(gs, x - 1, y);
    b.usiro = x + 1 <= 6 && free_at(gs, x + 1, y);
    b.ue = y - 1 >= 0 && free_at(gs, x, y - 1);
    b.sita = y + 1 <= 4 && free_at(gs, x, y + 1);
    b.usiro3 = s > 5 && y - 1 >= 0 && x + 1 <= 6 && free_at(gs, x + 1, y - 1);
    b.usiro4 = s > 8 && y + 1 <= 4 && x + 1 <= 6 && free_at(gs, x + 1, y + 1);
    b.usiro2 = s > 11 && x + 2 <= 6 && free_at(gs, x + 2, y) && free_at(gs, x + 1, y);
    b.mae3 = s > 14 && y - 1 >= 0 && x - 1 >= 0 && free_at(gs, x - 1, y - 1);
    b.mae4 = s > 17 && y + 1 <= 4 && x - 1 >= 0 && free_at(gs, x - 1, y + 1);
    b.mae2 = s > 20 && x - 2 >= 0 && free_at(gs, x - 2, y) && free_at(gs, x - 1, y);
    b.warp = s > 30;
    return b;
}

void open_movement_panel(BattleContext& ctx) {
    ctx.w.steps = step_buttons(ctx.gs, ctx.gs.cur_unit);
    ctx.sound.play_step_sound();
    ctx.w.menu1 = true;
    ctx.w.ken_box = ctx.w.menu2 = ctx.w.menu3 = ctx.w.menu4 = false;
}

void cancel_movement(BattleContext& ctx) {
    ctx.w.menu1 = false;
    ctx.sound.play_effect("off1.wav");
}

void step(BattleContext& ctx, StepButton b) {
    TChara& c = ctx.actor();
    int dx = 0, dy = 0;
    switch (b) {
        case StepButton::mae:
            dx = -1;
            break;
        case StepButton::mae2:
            dx = -2;
            break;
        case StepButton::usiro:
            dx = 1;
            break;
        case StepButton::usiro2:
            dx = 2;
            break;
        case StepButton::ue:
            dy = -1;
            break;
        case StepButton::sita:
            dy = 1;
            break;
        case StepButton::mae3:
            dx = -1, dy = -1;
            break;
        case StepButton::mae4:
            dx = -1, dy = 1;
            break;
        case StepButton::usiro3:
            dx = 1, dy = -1;
            break;
        case StepButton::usiro4:
            dx = 1, dy = 1;
            break;
    }
    c.x = static_cast<byte>(c.x + dx);
    c.y = static_cast<byte>(c.y + dy);
    take_step(ctx);
}

void take_step(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    TChara& c = ctx.actor();
    ctx.hide_command_menus();
    gs.player_phase = 4;
    ctx.say(c.name + "は移動した。");
    add_sat(c.oath_count, 1 + gs.random(2));
    ctx.sound.play_effect("walk.wav");
    if (c.oath_count >= 99) {
        ctx.set_timers(false);
        c.hp = c.max_hp;
        c.mp = c.max_mp;
        ctx.inform(c.name + "の" + gs.oath_at(c.oath) +
                   "の誓いがリミットに達した\r\rＨＰとＭＰが完全回復した！");
        c.oath_count = 0;
        ctx.set_timers(true);
    }
}

void random_warp(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    TChara& c = ctx.actor();
    // A full board (only possible with damaged data) leaves the unit where it stands.
    int x, y;
    if (draw_free_square(gs, x, y)) {
        c.x = static_cast<byte>(x);
        c.y = static_cast<byte>(y);
    }
    ctx.sound.play_effect3("warp.wav");
    ctx.hide_command_menus();
    gs.player_phase = 4;
    ctx.say(c.name + "は瞬間移動した。");
}

bool warp_to_clicked_square(BattleContext& ctx, int x, int y) {
    GameState& gs = ctx.gs;
    if (gs.skill_family != 14 || gs.skill_slot != 4 || !ctx.w.warp_click_armed) return false;
    const int sx = (x - kMapLeft) / kSquarePx;
    const int sy = (y - kMapTop) / kSquarePx;
    if (!on_board(sx, sy) || !free_at(gs, sx, sy)) {
        ctx.inform("そこには移動できません");
        return false;
    }
    ctx.w.warp_click_armed = false;
    TChara& c = ctx.actor();
    c.x = static_cast<byte>(sx);
    c.y = static_cast<byte>(sy);
    ctx.say(c.name + "はワープした");
    ctx.sound.play_effect("warp.wav");
    gs.player_phase = 2;
    return true;
}

bool flee(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    ctx.sound.play_step_sound();
    if (!ctx.dialogs.ask_yes_no(
            "全員で逃亡します。\rお金とＡｒｋをそれぞれ1/5消費しますがよろしいですか？"))
        return false;
    const int a = gs.money / 5, b = gs.ark / 5;
    gs.money -= a;
    gs.ark -= b;
    ctx.sound.play_ok_sound();
    ctx.inform(ctx.actor().name + "達は逃亡した\rお金" + num(a) + "円と\rＡｒｋ" + num(b) +
               "Ａを消費した。");
    ctx.w.battle_shown = false;
    ctx.screens.hide(ScreenId::battle);
    ctx.screens.show(ScreenId::travel);
    return true;
}

}  // namespace lum

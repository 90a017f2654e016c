#include "battle/result_rewards.h"

namespace lum {

namespace {
const char* const kBonusLabels[10] = {"【秩序】が",     "【冷静】が",    "【機工】が", "【正義】が",
                                      "【闇】が",       "【獣】が",      "【過去】が", "【速さ】が",
                                      "【最大Ｈｐ】が", "【最大Ｍｐ】が"};

int& bonus_value(TChara& c, int b) {
    switch (b) {
        case 0:
            return c.order;
        case 1:
            return c.calm;
        case 2:
            return c.mech;
        case 3:
            return c.justice;
        case 4:
            return c.dark;
        case 5:
            return c.beast;
        case 6:
            return c.past;
        case 7:
            return c.speed;
        case 8:
            return c.max_hp;
        default:
            return c.max_mp;
    }
}
}  // namespace

RewardLines grant_battle_rewards(GameState& gs, Sound& sound) {
    RewardLines lines;

    const int gold = 200 + gs.random(100);
    add_sat(gs.money, gold);
    lines.gold = "GetGold " + num(gold) + "円";

    const int ark = 5 + gs.random(10);
    add_sat(gs.ark, ark);
    lines.ark = "GetArk " + num(ark) + "Ａ";

    lines.mvp = "MVP\r確等者無し";
    if (gs.random(3) == 1) {
        bool anyone = false;
        for (int i = kFirstParty; i <= kLastParty; ++i)
            if (gs.chara[i].state == kStateNormal) anyone = true;
        if (anyone) {
            int a;
            do {
                a = 1 + gs.random(5);
            } while (gs.chara[a].state != kStateNormal);
            const int n = 1 + gs.random(3);
            const int b = gs.random(10);
            TChara& c = gs.chara[a];
            add_sat(bonus_value(c, b), n);
            lines.mvp = "MVP" + c.name + "\r" + kBonusLabels[b] + num(n) + "上がった!!";
        }
    }

    // Redraws while the item is owned; when every candidate is owned there is nothing to give.
    int i = gs.random(252);
    if (gs.item_owned[i] == 1) {
        bool all_owned = true;
        for (int k = 0; k <= 252; ++k)
            if (gs.item_owned[k] != 1) all_owned = false;
        if (!all_owned) {
            while (gs.item_owned[i] == 1) i = gs.random(253);
        }
    }
    std::string shown = "無し";
    if (gs.item_owned[i] != 1 && !gs.item_table[i].name.empty()) {
        gs.item_owned[i] = 1;
        shown = gs.item_table[i].name;
    }
    lines.item = "GetItem " + shown;

    sound.play_music("cl_s3.mid");
    lines.reveal_interval_ms = gs.speed_ms - 50;
    return lines;
}

void leave_result_dialog(GameState& gs, Sound& sound, Screens& screens,
                         const std::string& caption) {
    restore_roster(gs);
    for (int i = kFirstParty; i <= kLastReserve; ++i) add_sat(gs.chara[i].lifespan, -1);
    if (caption == "RETURN") {
        screens.show(ScreenId::travel);
        screens.close(ScreenId::result);
        screens.hide(ScreenId::battle);
    } else {
        screens.hide(ScreenId::battle);
        screens.close(ScreenId::result);
        screens.show(ScreenId::story);
        gs.script_pos = 0;
        gs.char_pos = 0;
    }
    sound.play_effect("next.wav");
}

}  // namespace lum

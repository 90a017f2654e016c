#pragma once

// Ports that record every call, and a rig that puts units on the board.

#include <deque>
#include <string>
#include <vector>

#include "battle/battle_context.h"

namespace lum::test {

class FakeDialogs : public Dialogs {
  public:
    void inform(const std::string& text) override { log.push_back("inform:" + text); }
    bool ask_yes_no(const std::string& text) override {
        log.push_back("ask:" + text);
        if (answers.empty()) return true;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<std::string> log;
    std::deque<bool> answers;
};

class FakeSound : public Sound {
  public:
    void play_ok_sound() override { log.push_back("ok"); }
    void play_step_sound() override { log.push_back("step"); }
    void play_effect(const std::string& w) override { log.push_back("effect:" + w); }
    void play_effect3(const std::string& w) override { log.push_back("effect3:" + w); }
    void play_music(const std::string& m) override { log.push_back("music:" + m); }
    std::vector<std::string> log;
};

class FakePacing : public Pacing {
  public:
    void pause_ms(int ms) override { pauses.push_back(ms); }
    void repaint_now() override { ++repaints; }
    std::vector<int> pauses;
    int repaints = 0;
};

class FakeScreens : public Screens {
  public:
    static const char* name(ScreenId s) {
        switch (s) {
            case ScreenId::battle:
                return "battle";
            case ScreenId::result:
                return "result";
            case ScreenId::travel:
                return "travel";
            default:
                return "story";
        }
    }
    void show(ScreenId s) override { log.push_back(std::string("show:") + name(s)); }
    void hide(ScreenId s) override { log.push_back(std::string("hide:") + name(s)); }
    void close(ScreenId s) override { log.push_back(std::string("close:") + name(s)); }
    std::vector<std::string> log;
};

struct Rig {
    GameState gs;
    FakeDialogs dialogs;
    FakeSound sound;
    FakePacing pacing;
    FakeScreens screens;
    BattleContext ctx{gs, dialogs, sound, pacing, screens, {}};

    Rig() { ctx.w.battle_shown = true; }

    // A unit in state 1 on (x, y), marked on the grid, with plenty of HP.
    TChara& put(int slot, int x, int y, int hp = 500) {
        TChara& c = gs.chara[slot];
        c.name = "U" + std::to_string(slot);
        c.state = kStateNormal;
        c.x = static_cast<byte>(x);
        c.y = static_cast<byte>(y);
        c.hp = c.max_hp = hp;
        c.level = 1;
        c.aiko_power = 1;
        gs.grid.set(x, y, static_cast<byte>(slot));
        return c;
    }
    int lost(int slot, int before) const { return before - gs.chara[slot].hp; }
};

}  // namespace lum::test

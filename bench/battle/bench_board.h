#pragma once

// A full board for the battle benchmarks: five party members and five enemies on their
// squares, every one with HP enough never to fall, so each tick does the same work. `roster`
// is the state restore() puts back.

#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "battle/battle_model.h"

namespace lum::bench {

struct QuietDialogs : Dialogs {
    void inform(const std::string&) override {}
    bool ask_yes_no(const std::string&) override { return false; }
};
struct QuietPacing : Pacing {
    void pause_ms(int) override {}
    void repaint_now() override {}
};
struct QuietScreens : Screens {
    void show(ScreenId) override {}
    void hide(ScreenId) override {}
    void close(ScreenId) override {}
};

struct Board {
    GameState gs;
    QuietDialogs dialogs;
    SilentSound sound;
    QuietPacing pacing;
    QuietScreens screens;
    BattleModel model{gs, dialogs, sound, pacing, screens};
    std::array<TChara, kCharaCount> roster{};

    Board() {
        gs.rng.seed(5);
        for (int j = 0; j < kJobCount; ++j)
            gs.job_table[j] = {"職", "説明", "", "", 0, {}, 2, 0, {}};
        for (int i = 0; i < kOathCount; ++i) gs.oath_table[i] = "誓い";
        for (int k = 0; k < 5; ++k) {
            put(1 + k, 4 + k % 3, k, static_cast<byte>(k));
            put(11 + k, k % 2 == 0 ? 1 : 2, k, static_cast<byte>(k * 4));
        }
        gs.chara[1].x = 3;  // someone in reach of the enemies
        BattleWidgets& w = model.widgets();
        w.battle_shown = true;
        for (int k = 1; k <= 5; ++k) w.enemy_portrait[k] = "unit" + std::to_string(k) + ".bmp";
        model.Timer1Timer();
        gs.sel_unit = 12;
        roster = gs.chara;
    }
    void put(int slot, int x, int y, byte job) {
        TChara& c = gs.chara[slot];
        c.name = slot <= 5 ? "仲間" + std::to_string(slot) : "敵" + std::to_string(slot);
        c.profile = slot <= 5 ? "" : "詳細不明。";
        c.aiko_name = "哀古";
        c.state = kStateNormal;
        c.job = job;
        c.x = static_cast<byte>(x);
        c.y = static_cast<byte>(y);
        c.level = 10;
        c.hp = c.max_hp = 100000;  // nobody falls: every tick does the same work
        c.mp = c.max_mp = 50;
        for (int a = 0; a < kAttrCount; ++a) c.attr(a) = 12 + a;
        c.lifespan = 50;
        c.aiko_power = 30;
        c.oath = 3;
        c.oath_count = 10;
    }
    void restore() { gs.chara = roster; }

    // One enemy's action through the enemy driver, the five in turn, from the roster as it was
    // (the grid stays as the last redraw left it: actions do not write it).
    void enemy_acts() {
        restore();
        gs.cur_unit = static_cast<byte>(11 + next_enemy_);
        next_enemy_ = (next_enemy_ + 1) % 5;
        gs.enemy_phase = 1;
        model.widgets().timer3 = true;
        model.Timer3Timer();
    }
    // Every 8th animation frame an enemy acts first, outside the timing, so the overlay has
    // amounts and flashes to move; `floated` counts the frames that had any.
    void strike_now_and_then(benchmark::State& state, int frame) {
        if (frame % 8 != 0) return;
        state.PauseTiming();
        enemy_acts();
        if (!model.overlay().floats().empty()) ++floated;
        state.ResumeTiming();
    }
    long long floated = 0;

  private:
    int next_enemy_ = 0;
};

// Collects the CPU times of the run for the summary.
class Summary : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) ns[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ns;
};

}  // namespace lum::bench

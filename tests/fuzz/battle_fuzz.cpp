// Battles started from arbitrary (damaged) character records, as a damaged save would bring
// them after the load's repair, with arbitrary stage and people enemies, and played for a
// bounded number of ticks through the party half and the enemy half of the clock with the
// player's commands taken from the input. No crash, no hang, no write outside the state, no
// 32-bit overflow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "battle/battle_clock.h"
#include "battle/battle_sim.h"
#include "battle/movement.h"
#include "battle/sealed_sword.h"
#include "battle/setup.h"
#include "battle/techniques.h"
#include "fuzz_battle.h"
#include "fuzz_input.h"
#include "state/save_values.h"

namespace {

using namespace lum;

const char* const kNames[] = {"ルミナリア", "トゥルネア", "ルクサ", "ハルティア", "メルヴィ",
                              "ザビナ",     "月影院楓",   "",       "ﾊﾙﾃｨｱ"};

void fill_record(fuzz::Input& in, TChara& c) {
    c.name = in.pick(kNames);
    c.aiko_name = in.line(8);
    c.state = in.byte();
    c.job = in.byte();
    c.x = in.byte();
    c.y = in.byte();
    for (int* f :
         {&c.level, &c.hp,       &c.mp,   &c.max_hp,  &c.max_mp,     &c.body,  &c.magic,
          &c.order, &c.calm,     &c.mech, &c.justice, &c.dark,       &c.beast, &c.past,
          &c.speed, &c.lifespan, &c.sex,  &c.exp,     &c.aiko_power, &c.oath,  &c.oath_count})
        *f = in.number();
}

void fill_enemies(fuzz::Input& in, std::array<TEnemyEntry, kStageEnemies>& enemies) {
    for (TEnemyEntry& e : enemies) {
        e.name = in.pick(kNames);
        e.sprite_file = in.flag() ? "" : in.line(12);
        e.sex = in.byte();
        e.job = in.byte();
        e.state = in.byte();
        e.speech = in.line(12);
    }
}

// The player's command for a waiting turn, as the battle screen's buttons give it.
void command(fuzz::Input& in, BattleContext& ctx) {
    if (in.empty()) return;  // the step then waits
    switch (in.below(9)) {
        case 0:
        case 1:
            open_movement_panel(ctx);
            step(ctx, static_cast<StepButton>(in.below(10)));
            break;
        case 2:
            open_movement_panel(ctx);
            random_warp(ctx);
            break;
        case 3:
            warp_to_clicked_square(ctx, in.below(500) - 20, in.below(360) - 20);
            break;
        case 4:
        case 5: {
            in.flag() ? open_special_families(ctx) : open_normal_families(ctx);
            open_technique_panel(ctx, in.below(20));
            const int slot = in.below(6);
            point_at_technique(ctx, slot);
            choose_technique(ctx, slot);
            break;
        }
        case 6: {
            open_sealed_sword_box(ctx);
            const int family = kFirstSealed - 1 + in.below(9);
            point_at_sealed_sword(ctx, family);
            choose_sealed_sword(ctx, family);
            break;
        }
        case 7:
            pointer_over_background(ctx);
            wait_command(ctx);
            break;
        default:
            flee(ctx);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    auto gs = std::make_unique<GameState>(fuzz::game_tables());
    gs->rng.seed(in.byte());
    for (int i = 0; i < kSavedCharas; ++i) fill_record(in, gs->chara[i]);
    gs->stage_no = in.number();
    gs->money = in.number();
    gs->ark = in.number();
    // The records come through the load, which brings every value into a usable range.
    repair_save_values(*gs, "my.dat");
    for (auto& f : gs->skill_flags) f = in.below(4) == 0 ? in.byte() : 1;
    for (int k = 0; k < 8; ++k) gs->item_owned[in.below(kItemCount)] = in.number();
    gs->battle_area = in.byte();
    fill_enemies(in, gs->stage_enemies);
    fill_enemies(in, gs->people_enemies);

    fuzz::BattlePorts ports(*gs, in.flag());
    BattleContext& ctx = ports.ctx;
    switch (in.below(3)) {
        case 0:
            start_story_battle(ctx);
            break;
        case 1:
            start_region_battle(ctx);
            break;
        default:
            start_random_battle(ctx);
            break;
    }
    ports.play(3000, [&](BattleContext& c) { command(in, c); });
    return 0;
}

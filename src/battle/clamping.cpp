#include "battle/clamping.h"

namespace lum {

bool clamp_values(GameState& gs) {
    if (gs.chara_at(gs.sel_unit).state == kStateEmpty) return false;
    for (int i = 0; i <= 21; ++i) {
        TChara& c = gs.chara[i];
        if (c.hp < 0) c.hp = 0;
        if (c.hp > c.max_hp) c.hp = c.max_hp;
        if (c.mp < 0) c.mp = 0;
        if (c.mp > c.max_mp) c.mp = c.max_mp;
        if (c.state == kStateDown) c.hp = 0;
        if (c.aiko_power < 1) c.aiko_power = 1;
        if (c.lifespan < 0) c.lifespan = 0;
        // A counter pushed past 100 lands just below the limit, not on it.
        if (c.oath_count > 100) c.oath_count = 99;
        if (c.oath_count < 0) c.oath_count = 0;
    }
    return true;
}

}  // namespace lum

#include "battle/battle_context.h"

namespace lum {

bool draw_free_square(GameState& gs, int& x, int& y) {
    bool any_free = false;
    for (int cx = 0; cx < kBoardColumns && !any_free; ++cx)
        for (int cy = 0; cy < kBoardRows && !any_free; ++cy) any_free = gs.grid.at(cx, cy) == 0;
    if (!any_free) return false;
    do {
        x = gs.random(kBoardColumns);
        y = gs.random(kBoardRows);
    } while (gs.grid.at(x, y) != 0);
    return true;
}

void BattleContext::hide_markers() {
    for (Marker& m : w.markers) m.left = kOffBoardLeft;
}

void BattleContext::place_marker(int k, int column, int row) {
    if (k < 0 || k >= static_cast<int>(w.markers.size())) return;
    w.markers[k].left = saturate(static_cast<long long>(column) * kSquarePx + kMapLeft);
    w.markers[k].top = saturate(static_cast<long long>(row) * kSquarePx + kMapTop);
}

void BattleContext::hide_command_menus() {
    w.menu0 = w.menu1 = w.menu2 = w.menu3 = w.menu4 = w.ken_box = false;
}

}  // namespace lum

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

void BattleContext::say(const std::string& text) {
    // The same text again while it still shows is no new message (an item's message stays
    // on the line as its result).
    if (!text.empty() && text != w.moji_l) w.log.push_back(text);
    w.moji_l = text;
}

void BattleContext::inform(const std::string& text) {
    w.log.push_back(text);
    if (gathering && !gs.one_box_per_message)
        gathered.push_back(text);
    else
        dialogs.inform(text);
}

void BattleContext::gather_boxes() {
    gathering = true;
}

void BattleContext::show_gathered() {
    gathering = false;
    if (gathered.empty()) return;
    std::string all;
    for (const std::string& t : gathered) all += (all.empty() ? "" : "\r") + t;
    gathered.clear();
    dialogs.inform(all);
}

}  // namespace lum

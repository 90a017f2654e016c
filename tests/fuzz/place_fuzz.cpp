// The travel screen's place events at arbitrary stage numbers and place flags: every place,
// region door, shop and developer button clicked in any order, the battles they start set up
// from the stage and people files and played a while, saves into a scratch folder. Whatever
// the stage and flags, nothing may crash, hang or write outside the state.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "battle/setup.h"
#include "fuzz_battle.h"
#include "fuzz_input.h"
#include "travel/place_events.h"
#include "travel/travel_model.h"

namespace {

using namespace lum;

// Every button of the map: the place events, then each region box's buttons.
const std::vector<std::string>& buttons() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> b;
        for (const PlaceEvent& e : place_events()) b.push_back(e.button);
        for (int box : kRegionBoxes)
            for (const std::string& name : region_buttons(box))
                if (std::find(b.begin(), b.end(), name) == b.end()) b.push_back(name);
        b.push_back("m999");  // no such button
        return b;
    }();
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = fuzz::scratch_game_dir(true);
    fuzz::Input in(data, size);
    auto gs = std::make_unique<GameState>(fuzz::game_tables());
    gs->game_dir = dir;
    gs->rng.seed(in.byte());
    gs->stage_no = in.number();
    for (auto& f : gs->place_flags) f = in.below(3) == 0 ? in.byte() : 0;
    for (int k = 0; k < 8; ++k) gs->item_owned[in.below(kItemCount)] = in.number();
    gs->money = in.number();
    gs->ark = in.number();

    fuzz::BattlePorts ports(*gs, in.flag());
    // A battle a place starts is set up for real and played for a while by the stand-in.
    auto battle = [&](void (*start)(BattleContext&)) {
        return [&, start] {
            start(ports.ctx);
            ports.play(400, sim::stand_in_command);
        };
    };
    TravelModel m(
        *gs, ports.dialogs, ports.sound, ports.screens,
        {battle(start_story_battle), battle(start_region_battle), battle(start_random_battle)});
    m.FormShow();

    const auto& names = buttons();
    for (int event = 0; event < 200 && !in.empty(); ++event) {
        switch (in.below(16)) {
            case 0:
            case 1:
            case 2:
            case 3:
                m.click(names[in.below(static_cast<int>(names.size()))]);
                break;
            case 4:
                m.hover(names[in.below(static_cast<int>(names.size()))]);
                break;
            case 5:
                m.press(names[in.below(static_cast<int>(names.size()))]);
                break;
            case 6:
                m.Timer1Timer();
                m.Timer2Timer();
                m.Timer3Timer();
                break;
            case 7:
                m.party_listMouseDown(in.below(14) - 2);
                break;
            case 8:
                m.item_listMouseDown(in.below(40) - 2);
                break;
            case 9:
                m.item_useClick();
                break;
            case 10:
                m.job_listMouseDown(in.below(60) - 2);
                m.BitBtn17Click();
                break;
            case 11:
                m.back_click();
                m.escape();
                break;
            case 12:
                in.flag() ? m.Button15Click() : m.Button16Click();  // stage+ / stage-
                break;
            case 13:
                m.map_hover(in.below(2) ? 100 : kRegionBoxes[in.below(6)]);
                break;
            case 14:
                m.BitBtn4Click();  // save, into the scratch folder
                break;
            default:
                m.FormShow();
                break;
        }
    }
    return 0;
}

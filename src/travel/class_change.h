#pragma once

// The class-change shop of ﾃﾞｨﾙﾊ: a panel of the travel screen with the class list, the chosen
// class's requirements and texts, and the change button.

#include <string>
#include <vector>

#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

struct ClassShop {
    bool mara_box = false;
    std::vector<std::string> job_list;
    int job_row = -1;  // the selected entry
    std::string job_about_l, job_about_l2, job_about_l3;
    std::string job_name0, job_name1, job_name2;
    std::string job_state1, job_state2, job_state3, job_state4;
};

// How many classes the list offers at a stage: 0..5 always, more as the story goes on.
int class_list_length(int stage_no);

// Open: the greeting into `moji_l`, the list for the stage, and the lifespans' chance to grow.
void open_class_shop(ClassShop& shop, GameState& gs, Sound& sound, std::string& moji_l);

// `Timer1`: the chosen class and the selected character, while the panel is open.
void show_class_details(ClassShop& shop, const GameState& gs);

// `BitBtn17Click`: the checks in order, the question, the payment. Writes `moji_l`.
void change_class(GameState& gs, Dialogs& dialogs, Sound& sound, std::string& moji_l);

}  // namespace lum

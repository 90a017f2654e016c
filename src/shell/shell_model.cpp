#include "shell/shell_model.h"

#include "state/data_files.h"

namespace lum {

ShellModel::ShellModel(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens)
    : gs_(gs), dialogs_(dialogs), sound_(sound), screens_(screens) {}

void ShellModel::show_title() {
    gs_.rng.seed_from_clock();
    gs_.clear_mark = 0;
    start_box_visible = true;
    // Nothing is read yet: closing now must not write this empty state over the save.
    gs_.save_on_close = false;
}

std::vector<std::string> ShellModel::load_for_title() {
    std::vector<std::string> notices = load_game(gs_);
    ed_b1_visible = ed_b2_visible = gs_.clear_mark == 100;
    sound_.play_music("spacial.mid");
    return notices;
}

void ShellModel::Button1Click() {
    if (!dialogs_.ask_yes_no(kNewGameQuestion)) return;
    guarded_data_step(dialogs_, [&] {
        for (const auto& n : new_game(gs_)) dialogs_.inform(n);
        gs_.item_owned[1] = 1;
        screens_.hide(ScreenId::battle);
        screens_.show(ScreenId::travel);
        start_box_visible = false;
        gs_.save_on_close = true;
        sound_.play_ok_sound();
    });
}

void ShellModel::Button2Click() {
    guarded_data_step(dialogs_, [&] {
        for (const auto& n : load_game(gs_)) dialogs_.inform(n);
        sound_.play_ok_sound();
        load_stage(gs_);
        screens_.hide(ScreenId::battle);
        screens_.show(ScreenId::travel);
        start_box_visible = false;
        gs_.save_on_close = true;
    });
}

void ShellModel::start_ending(int script_pos) {
    guarded_data_step(dialogs_, [&] {
        gs_.stage_no = 61;
        load_stage(gs_);
        screens_.hide(ScreenId::battle);
        screens_.show(ScreenId::story);
        gs_.script_pos = static_cast<byte>(script_pos);
        start_box_visible = false;
        sound_.play_ok_sound();
    });
}

void ShellModel::ed_b1Click() {
    start_ending(0);
}
void ShellModel::ed_b2Click() {
    start_ending(96);
}

bool ShellModel::close_battle_screen() {
    if (!gs_.save_on_close) return true;
    try {
        save_game(gs_);
        return true;
    } catch (const DataError& e) {
        // The files on disk still hold the previous save; let the player decide.
        return dialogs_.ask_yes_no(std::string("セーブできませんでした。\r") + e.what() +
                                   "\rセーブせずに終了しますか？");
    }
}

void ShellModel::BitBtn2Click() {
    screens_.hide(ScreenId::battle);
    screens_.show(ScreenId::travel);
}

void ShellModel::BitBtn4Click() {
    gs_.clear_mark = 0;
}

}  // namespace lum

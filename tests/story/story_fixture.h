#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "state/data_files.h"
#include "story/story_model.h"
#include "story_fakes.h"

namespace lum::test {

namespace fs = std::filesystem;

// A story screen that is showing, over a throw-away game folder for stage and people files.
class StoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("lum_story_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "dat");
        fs::create_directories(dir / "cg");
        gs.game_dir = dir;
        model.FormCreate();
        model.FormShow();
        sound.log.clear();
        screens.log.clear();
    }
    void TearDown() override { fs::remove_all(dir); }

    using Lines = std::vector<TScriptLine>;

    static std::array<TScriptLine, kScriptLines> make_script(const Lines& lines) {
        std::array<TScriptLine, kScriptLines> s{};
        for (size_t i = 0; i < lines.size() && i < s.size(); ++i) s[i] = lines[i];
        return s;
    }
    void story(const Lines& lines) {
        gs.script = make_script(lines);
        gs.people_mode = false;
        gs.script_pos = 0;
        gs.char_pos = 0;
    }
    void talk(const Lines& lines) {
        gs.people_script = make_script(lines);
        gs.people_mode = true;
        gs.script_pos = 0;
        gs.char_pos = 0;
    }
    void write_stage(int n, const Lines& lines) {
        std::array<TEnemyEntry, kStageEnemies> enemies{};
        DatWriter w(stage_file_name(n));
        write_enemies_and_script(w, enemies, make_script(lines));
        std::ofstream(dir / "dat" / stage_file_name(n), std::ios::binary) << w.bytes();
    }
    void write_people(int n, const Lines& lines) {
        std::array<TEnemyEntry, kStageEnemies> enemies{};
        DatWriter w(people_file_name(n));
        write_enemies_and_script(w, enemies, make_script(lines));
        std::ofstream(dir / "dat" / people_file_name(n), std::ios::binary) << w.bytes();
    }
    // One tick of the player that owns the scene, with its effects played out.
    void tick() {
        if (gs.people_mode)
            model.Timer1Timer();
        else
            model.Timer5Timer();
        model.finish_animation();
    }
    int pos() const { return gs.script_pos; }

    fs::path dir;
    GameState gs;
    PixelCanvas canvas;
    LogScreens screens;
    LogDialogs dialogs;
    LogSound sound;
    StoryModel model{gs, sound, screens, dialogs, canvas};
};

}  // namespace lum::test

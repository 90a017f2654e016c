#include "ui_support.h"

#include <unistd.h>

#include <QPushButton>
#include <QtTest>
#include <fstream>

#include "shell/main_window.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "state/data_files.h"

namespace lum::test {

namespace fs = std::filesystem;

namespace {

void put(const fs::path& dir, const std::string& file, const GameState& gs,
         void (*writer)(DatWriter&, const GameState&)) {
    DatWriter w(file);
    writer(w, gs);
    std::ofstream(dir / file, std::ios::binary) << w.bytes();
}

void put_stage(const fs::path& dir, int n, const std::string& first_text) {
    std::array<TEnemyEntry, kStageEnemies> enemies{};
    std::array<TScriptLine, kScriptLines> script{};
    enemies[0] = {"スライム", "", "", "", 0, 0, 1, ""};
    script[0] = {1, first_text};
    script[1] = {3, ""};
    script[96] = {1, "二つ目の結末"};
    script[97] = {6, ""};
    DatWriter w(stage_file_name(n));
    write_enemies_and_script(w, enemies, script);
    std::ofstream(dir / stage_file_name(n), std::ios::binary) << w.bytes();
}

}  // namespace

fs::path make_game_dir(const std::string& name, void (*tweak)(GameState&)) {
    fs::path root =
        fs::temp_directory_path() / ("lum_ui_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(root);
    fs::path dat = root / "dat";
    fs::create_directories(dat);
    fs::create_directories(root / "cg");
    fs::create_directories(root / "mid");

    GameState gs;
    gs.player_name = "ルミナリア";
    gs.money = 500;
    gs.ark = 3;
    gs.stage_no = 0;
    for (int i = 0; i < kAikoCount; ++i) gs.aiko_names[i] = "哀古" + std::to_string(i);
    for (int j = 0; j < kJobCount; ++j) gs.job_table[j].name = "職" + std::to_string(j);
    for (int i = 0; i < kItemCount; ++i) gs.item_table[i] = {"品" + std::to_string(i), "", 0, 0};
    gs.chara[1].name = "ルミナリア";
    gs.chara[1].state = 1;
    if (tweak) tweak(gs);

    put(dat, "my.dat", gs, write_save);
    put(dat, "magic.dat", gs, write_magic);
    put(dat, "job.dat", gs, write_job);
    put(dat, "aiko.dat", gs, write_aiko);
    put(dat, "name.dat", gs, write_name);
    put(dat, "place.dat", gs, write_place);
    put(dat, "tikai.dat", gs, write_tikai);
    put(dat, "item.dat", gs, write_item);
    put_stage(dat, 0, "はじまり");
    put_stage(dat, 3, "第三の話");
    put_stage(dat, 61, "終わりの話");
    return root;
}

fs::path copy_built_game(const std::string& name) {
    fs::path root =
        fs::temp_directory_path() / ("lum_ui_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(root);
    fs::create_directories(root / "mid");
    for (const char* sub : {"dat", "cg"})
        fs::copy(fs::path(LUM_GAME_DIR) / sub, root / sub, fs::copy_options::recursive);
    return root;
}

App::Options fake_port_options(const fs::path& dir, std::vector<std::string>& sounds,
                               FakeDialogs*& dialogs) {
    App::Options o;
    o.game_dir = dir;
    auto d = std::make_unique<FakeDialogs>();
    dialogs = d.get();
    o.dialogs = std::move(d);
    o.sound = std::make_unique<RecordingSound>(sounds);
    return o;
}

void remove_game_dirs() {
    const std::string prefix = "lum_ui_" + std::to_string(::getpid()) + "_";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path(), ec))
        if (e.path().filename().string().rfind(prefix, 0) == 0) fs::remove_all(e.path(), ec);
}

void start_new_game(App& app, FakeDialogs& dialogs) {
    QVERIFY(app.start());
    app.finish_start();
    dialogs.answers = {true};
    app.start_box().Button1->click();
    QVERIFY(app.router().visible(ScreenId::travel));
    app.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app.window()));
}

QWidget* focused(QWidget* any) {
    return any->window()->focusWidget();
}

void press(QWidget* any, Qt::Key key, Qt::KeyboardModifiers mods) {
    QWidget* to = focused(any);
    QVERIFY(to);
    QTest::keyClick(to, key, mods);
}

std::string file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace lum::test

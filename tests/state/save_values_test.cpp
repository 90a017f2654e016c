#include "state/save_values.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "state/data_files.h"

using namespace lum;
namespace fs = std::filesystem;

TEST(SaveValues, EachValueOutOfRangeGoesToTheNearestEndWithOneWarning) {
    GameState gs;
    gs.stage_no = 999;
    TChara& c = gs.chara[3];
    c.state = 9;
    c.job = 255;
    c.x = 200;
    c.y = 200;
    c.level = -4;
    c.max_hp = 2000000000;
    c.hp = -50;
    c.max_mp = -1;
    c.mp = 7;
    c.speed = -3;
    c.dark = 100000;
    c.lifespan = -10000;
    c.sex = 255;
    c.exp = -1;
    c.aiko_power = -1;
    c.oath = 256;
    c.oath_count = 101;
    const auto w = repair_save_values(gs, "my.dat");
    const std::vector<std::string> expected = {
        "my.dat: stage_no 999 is outside 0..61; 61 is used",
        "my.dat: chara[3].state 9 is outside 0..4; 4 is used",
        "my.dat: chara[3].job 255 is outside 0..50; 50 is used",
        "my.dat: chara[3].x 200 is outside 0..20; 20 is used",
        "my.dat: chara[3].y 200 is outside 0..20; 20 is used",
        "my.dat: chara[3].level -4 is outside 0..9999; 0 is used",
        "my.dat: chara[3].max_hp 2000000000 is outside 0..999999; 999999 is used",
        "my.dat: chara[3].max_mp -1 is outside 0..999999; 0 is used",
        "my.dat: chara[3].hp -50 is outside 0..999999; 0 is used",
        "my.dat: chara[3].mp 7 is outside 0..0; 0 is used",
        "my.dat: chara[3].dark 100000 is outside 0..99999; 99999 is used",
        "my.dat: chara[3].speed -3 is outside 0..99999; 0 is used",
        "my.dat: chara[3].lifespan -10000 is outside -9999..9999; -9999 is used",
        "my.dat: chara[3].sex 255 is outside 0..3; 3 is used",
        "my.dat: chara[3].exp -1 is outside 0..999999; 0 is used",
        "my.dat: chara[3].aiko_power -1 is outside 0..999999; 0 is used",
        "my.dat: chara[3].oath 256 is outside 0..255; 255 is used",
        "my.dat: chara[3].oath_count 101 is outside 0..100; 100 is used",
    };
    EXPECT_EQ(w, expected);
    EXPECT_EQ(gs.stage_no, 61);
    EXPECT_EQ(c.job, 50);
    EXPECT_EQ(c.max_hp, 999999);
    EXPECT_EQ(c.hp, 0);
    // A second pass finds nothing left to change.
    EXPECT_TRUE(repair_save_values(gs, "my.dat").empty());
}

TEST(SaveValues, UsableValuesStayAsTheyAre) {
    GameState gs;
    gs.stage_no = 61;
    gs.money = -5;  // money and Ark are only compared and shown
    gs.ark = 2000000000;
    TChara& c = gs.chara[27];
    c.name = "";  // an empty name is shown empty
    c.state = kStatePetrified;
    c.job = 50;
    c.x = 9;  // off the board, where the reserve stands
    c.y = 20;
    c.level = 0;  // a reserve member may join at level 0
    c.max_hp = 99999;
    c.hp = 99999;
    c.oath = 255;  // an empty oath entry reads as 不明
    c.oath_count = 100;
    c.lifespan = -2;  // after a defeat
    c.exp = 103;      // waits for the next fall to level up
    const GameState before = gs;
    EXPECT_TRUE(repair_save_values(gs, "my.dat").empty());
    EXPECT_EQ(gs.chara, before.chara);
    EXPECT_EQ(gs.money, -5);
}

TEST(SaveValues, TheShippedSaveNeedsNoRepair) {
    GameState gs;
    gs.game_dir = LUM_GAME_DIR;
    DatReader r = DatReader::open(gs.dat_path("my.dat"));
    read_save(r, gs);
    EXPECT_EQ(repair_save_values(gs, "my.dat"), std::vector<std::string>{});
}

TEST(SaveValues, ALoadRepairsADamagedSaveInOneNotice) {
    const fs::path dir = fs::temp_directory_path() / ("lum_repair_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(LUM_GAME_DIR) / "dat", dir / "dat");
    GameState gs;
    gs.game_dir = dir;
    load_game(gs);
    for (int i = 1; i <= 10; ++i) {
        gs.chara[i].hp = -1000 * i;
        gs.chara[i].job = 255;
    }
    gs.stage_no = 999;
    DatWriter w("my.dat");
    write_save(w, gs);
    write_file_atomic(dir / "dat" / "my.dat", w.bytes());

    GameState g;
    g.game_dir = dir;
    const auto notices = load_game(g);
    fs::remove_all(dir);
    ASSERT_EQ(notices.size(), 1u);
    // 21 values: the first eight are named, the rest counted.
    EXPECT_EQ(notices[0],
              "セーブデータの使えない値を直しました。\r"
              "my.dat: stage_no 999 is outside 0..61; 61 is used\r"
              "my.dat: chara[1].job 255 is outside 0..50; 50 is used\r"
              "my.dat: chara[1].hp -1000 is outside 0..46; 0 is used\r"
              "my.dat: chara[2].job 255 is outside 0..50; 50 is used\r"
              "my.dat: chara[2].hp -2000 is outside 0..45; 0 is used\r"
              "my.dat: chara[3].job 255 is outside 0..50; 50 is used\r"
              "my.dat: chara[3].hp -3000 is outside 0..45; 0 is used\r"
              "my.dat: chara[4].job 255 is outside 0..50; 50 is used\r"
              "(ほかに 13 件)");
    EXPECT_EQ(g.stage_no, 61);
    EXPECT_EQ(g.chara[10].hp, 0);
}

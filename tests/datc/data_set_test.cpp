#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "datc.h"
#include "state/data_files.h"

using namespace lum;
namespace fs = std::filesystem;

namespace {

fs::path fresh_dir(const std::string& tag) {
    fs::path p =
        fs::temp_directory_path() / ("datc_test_" + tag + "_" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

void write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

int count_lines(const std::string& dat) {
    int n = 0;
    for (size_t i = 0; i + 1 < dat.size(); ++i)
        if (dat[i] == '\r' && dat[i + 1] == '\n') ++n;
    return n;
}

// The game's data set, compiled once for all tests here.
class DataSet : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        game_ = fresh_dir("game");
        auto errors = datc::compile_dir(fs::path(LUM_SOURCE_DIR) / "data", game_ / "dat");
        for (const auto& e : errors) ADD_FAILURE() << e;
    }
    static void TearDownTestSuite() { fs::remove_all(game_); }
    static std::string dat(const std::string& name) {
        return read_file_bytes(game_ / "dat" / name);
    }
    static fs::path game_;
};
fs::path DataSet::game_;

}  // namespace

TEST_F(DataSet, EveryFileExistsWithItsLayoutLengthAndRoundTripsByteForByte) {
    const std::pair<const char*, int> tables[] = {
        {"my.dat", 1612},  {"magic.dat", 300},  {"job.dat", 1377},  {"aiko.dat", 101},
        {"name.dat", 226}, {"place.dat", 1024}, {"tikai.dat", 256}, {"item.dat", 2052}};
    std::vector<std::pair<std::string, int>> files(std::begin(tables), std::end(tables));
    for (int n = 0; n <= 61; ++n) files.emplace_back(stage_file_name(n), 240);
    for (int n = 0; n <= 29; ++n) files.emplace_back(people_file_name(n), 240);

    std::set<datc::Kind> kinds;
    for (const auto& [name, lines] : files) {
        SCOPED_TRACE(name);
        const std::string bytes = dat(name);
        EXPECT_EQ(count_lines(bytes), lines);
        auto kind = datc::kind_of_dat(name);
        ASSERT_TRUE(kind);
        kinds.insert(*kind);
        const std::string src = datc::decompile(*kind, bytes, name);
        EXPECT_EQ(datc::compile(*kind, src, datc::source_name_for_dat(name)), bytes);
    }
    EXPECT_EQ(kinds.size(), 10u);  // every file kind was round-tripped
    EXPECT_EQ(std::distance(fs::directory_iterator(game_ / "dat"), fs::directory_iterator{}), 100);
}

TEST_F(DataSet, NewGameStartsFromTheCompiledFiles) {
    auto gs = std::make_unique<GameState>();
    gs->game_dir = game_;
    gs->rng.seed(7);
    auto notices = new_game(*gs);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(gs->player_name, "ルミナリア");
    EXPECT_EQ(gs->chara[1].name, "ルミナリア");
    EXPECT_EQ(gs->chara[2].aiko_name, gs->aiko_names[gs->chara[2].aiko_power / 5]);
    EXPECT_FALSE(gs->chara[2].aiko_name.empty());
    // Stage 0 is a gentle first fight: one weak enemy that takes part.
    int fighting = 0;
    for (const TEnemyEntry& e : gs->stage_enemies) fighting += e.state != 0;
    EXPECT_EQ(fighting, 1);
    EXPECT_EQ(gs->item_table[47].kind, 24);
    EXPECT_FALSE(gs->item_table[1].name.empty());
    for (int i = kFirstCardSlot; i < kItemCount; ++i) {
        EXPECT_EQ(gs->item_table[i].name, "");
        EXPECT_EQ(gs->item_table[i].kind, 23);
    }
}

TEST_F(DataSet, TablesHoldWhatTheGameAddressesByNumber) {
    auto gs = std::make_unique<GameState>();
    gs->game_dir = game_;
    load_game(*gs);
    const char* classes[] = {"訓練生", "剣士", "アーチャー", "ガンマン", "術士"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(gs->job_table[i].name, classes[i]);
    for (int i = 0; i < kJobCount; ++i) EXPECT_FALSE(gs->job_table[i].name.empty()) << i;
    const char* oaths[] = {"夢",     "真実", "信頼",   "誇り",   "強さ",   "挫折", "嘘",
                           "裏切り", "不安", "弱さ",   "優しさ", "愛",     "尊さ", "忠義",
                           "永遠",   "同情", "悲しみ", "憎しみ", "虚しさ", "儚さ"};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(gs->oath_table[i + 1], oaths[i]);
    for (int i = 21; i <= 50; ++i)
        EXPECT_FALSE(gs->oath_table[i].empty()) << i;  // enemies draw 0..50
    for (const auto& n : gs->aiko_names) EXPECT_FALSE(n.empty());
    for (const auto& n : gs->name_table) EXPECT_FALSE(n.empty());
    for (int f = 1; f <= kFilledFamilies; ++f)
        for (int s = 1; s <= 4; ++s)
            EXPECT_FALSE(gs->skill_table[f][s].name.empty()) << f << "/" << s;
    // Cards exchanged at the card shop hand out items 0..68.
    for (int i = 0; i <= 68; ++i) EXPECT_FALSE(gs->item_table[i].name.empty()) << i;
    for (int p :
         {0,  1,  2,  3,  4,  6,   7,  8,   9,   10,  11,  13,  14,  15,  16,  20,  21,  28, 29,
          30, 34, 35, 37, 38, 101, 17, 102, 103, 105, 107, 108, 109, 110, 111, 112, 113, 114})
        EXPECT_FALSE(gs->place_table[p].map_file.empty()) << "place " << p;
}

TEST_F(DataSet, StoryFilesFitTheFlow) {
    auto gs = std::make_unique<GameState>();
    gs->game_dir = game_;
    gs->stage_no = 1;
    load_stage(*gs);
    EXPECT_EQ(gs->script[0].code, 20);  // the opening title card (its stage carries "Velmora Ⅰ")
    bool recruits = false;
    for (const auto& l : gs->script) recruits = recruits || (l.code == 9 && l.arg == "トゥルネア");
    EXPECT_TRUE(recruits);

    gs->stage_no = 61;
    load_stage(*gs);
    for (int i = 96; i <= 99; ++i) EXPECT_NE(gs->script[i], TScriptLine{}) << i;
    EXPECT_EQ(gs->script[99].code, 17);

    // The chapter turns empty the party: their scripts must recruit a new one.
    for (int stage : {19, 46}) {
        gs->stage_no = stage;
        load_stage(*gs);
        int joins = 0;
        for (const auto& l : gs->script) joins += l.code == 9;
        EXPECT_GE(joins, 2) << stage;
    }
}

TEST(DatcBuild, CompileDirReportsEveryFaultyFileAndWritesTheRest) {
    const fs::path data = fresh_dir("data");
    const fs::path out = fresh_dir("out");
    fs::copy(fs::path(LUM_SOURCE_DIR) / "data", data,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    write(data / "stages" / "story3.txt", "text よし\nmony 5\nnext_stage\n");
    write(data / "people" / "people2.txt", "text やあ\n");
    auto errors = datc::compile_dir(data, out);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0],
              (data / "stages" / "story3.txt").string() + ":2: unknown command \"mony\"");
    EXPECT_EQ(errors[1], (data / "people" / "people2.txt").string() +
                             ":1: a conversation must end with back_to_travel");
    EXPECT_FALSE(fs::exists(out / "story3.dat"));
    EXPECT_FALSE(fs::exists(out / "people2.dat"));
    EXPECT_TRUE(fs::exists(out / "story4.dat"));
    EXPECT_TRUE(fs::exists(out / "job.dat"));
    fs::remove_all(data);
    fs::remove_all(out);
}

TEST(DatcBuild, InstallNeverOverwritesThePlayersSave) {
    const fs::path staging = fresh_dir("staging");
    const fs::path game = fresh_dir("gamedat");
    for (const char* f : {"my.dat", "item.dat", "job.dat", "story0.dat"})
        write(staging / f, std::string("new ") + f);
    write(staging / "notes.txt", "not a dat file");

    // A first build fills an empty game folder, the save included.
    auto copied = datc::install_dat(staging, game);
    EXPECT_EQ(copied, (std::vector<std::string>{"item.dat", "job.dat", "my.dat", "story0.dat"}));
    EXPECT_EQ(read_file_bytes(game / "my.dat"), "new my.dat");
    EXPECT_FALSE(fs::exists(game / "notes.txt"));

    // Later builds replace the tables but keep the player's my.dat and item.dat (the cards).
    write(game / "my.dat", "saved game");
    write(game / "item.dat", "saved cards");
    write(game / "job.dat", "old table");
    copied = datc::install_dat(staging, game);
    EXPECT_EQ(copied, (std::vector<std::string>{"job.dat", "story0.dat"}));
    EXPECT_EQ(read_file_bytes(game / "my.dat"), "saved game");
    EXPECT_EQ(read_file_bytes(game / "item.dat"), "saved cards");
    EXPECT_EQ(read_file_bytes(game / "job.dat"), "new job.dat");

    // A save with only one of its files gets the missing one, and only that.
    fs::remove(game / "item.dat");
    copied = datc::install_dat(staging, game);
    EXPECT_EQ(copied, (std::vector<std::string>{"item.dat", "job.dat", "story0.dat"}));
    EXPECT_EQ(read_file_bytes(game / "my.dat"), "saved game");
    fs::remove_all(staging);
    fs::remove_all(game);
}

TEST(DatcBuild, FileNamesMapBetweenSourcesAndDatFiles) {
    EXPECT_EQ(datc::dat_name_for_source("data/tables/classes.toml"), "job.dat");
    EXPECT_EQ(datc::dat_name_for_source("skills.toml"), "magic.dat");
    EXPECT_EQ(datc::dat_name_for_source("oaths.toml"), "tikai.dat");
    EXPECT_EQ(datc::dat_name_for_source("story61.txt"), "story61.dat");
    EXPECT_EQ(datc::source_name_for_dat("dat/people29.dat"), "people29.txt");
    EXPECT_EQ(datc::source_name_for_dat("name.dat"), "names.toml");
    EXPECT_FALSE(datc::kind_of_dat("story07.dat"));  // the game never pads stage numbers
    EXPECT_FALSE(datc::kind_of_dat("story.dat"));
    EXPECT_FALSE(datc::kind_of_dat("stage1.dat"));
    EXPECT_EQ(datc::kind_of_dat("people0.dat"), datc::Kind::People);
    EXPECT_EQ(datc::kind_of_source("my.toml"), datc::Kind::Save);
}

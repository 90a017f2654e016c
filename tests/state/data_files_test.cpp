#include "state/data_files.h"

#include "state/cp932.h"
#include "state/save_commit.h"
#include "support/write_faults.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace lum;
namespace fs = std::filesystem;

namespace {

// A game folder in a fresh temporary directory, filled with recognisable tables.
class DataFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("lum_data_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "dat");
        gs_.game_dir = dir_;
        master_ = make_master();
        master_.game_dir = dir_;
        write_all(master_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static GameState make_master() {
        GameState m;
        for (int f = 1; f <= 25; ++f)
            for (int s = 1; s <= 4; ++s)
                m.skill_table[f][s] = {"技" + std::to_string(f * 10 + s), "t1", "t2"};
        for (int j = 0; j < kJobCount; ++j) {
            m.job_table[j].name = "職" + std::to_string(j);
            m.job_table[j].req_level = j;
            m.job_table[j].req[9] = -j;
            m.job_table[j].growth[0] = j + 1;
        }
        for (int i = 0; i < kAikoCount; ++i) m.aiko_names[i] = "哀古" + std::to_string(i);
        for (int i = 0; i < kNameCount; ++i) m.name_table[i] = "名" + std::to_string(i);
        for (int i = 0; i < kPlaceCount; ++i) m.place_table[i] = {"場所", "説明", "map00.bmp", ""};
        for (int i = 0; i < kOathCount; ++i) m.oath_table[i] = i % 3 ? "誓い" : "";
        for (int i = 0; i < kItemCount; ++i)
            m.item_table[i] = {"品" + std::to_string(i), "説明", i % 7, i * 3};
        m.player_name = "セーブ主";
        m.clear_mark = 100;
        m.money = -5;
        m.ark = 77;
        m.stage_no = 3;
        m.spare_text1 = "予備";
        m.item_owned[47] = 1;
        m.item_owned[512] = -2;
        m.place_flags[255] = 1;
        m.skill_flags[50] = 1;
        for (int i = 0; i < kCharaCount; ++i) {
            TChara& c = m.chara[i];
            c.name = "キャラ" + std::to_string(i);
            c.profile = i % 2 ? "" : "プロフィール";
            c.aiko_name = "ﾎﾜｲﾄﾎｰﾙ";
            c.state = i % 5;
            c.job = 20 + i;
            c.x = i % 7;
            c.y = i % 5;
            c.level = i;
            c.max_hp = 100 + i;
            c.hp = i;
            c.speed = 1000 * i;
            c.oath_count = 99;
            c.sex = 3;
        }
        return m;
    }

    void write_file(const std::string& name, void (*writer)(DatWriter&, const GameState&),
                    const GameState& g) {
        DatWriter w(name);
        writer(w, g);
        std::ofstream(dir_ / "dat" / name, std::ios::binary) << w.bytes();
    }

    void write_all(const GameState& g) {
        write_file("my.dat", write_save, g);
        write_file("magic.dat", write_magic, g);
        write_file("job.dat", write_job, g);
        write_file("aiko.dat", write_aiko, g);
        write_file("name.dat", write_name, g);
        write_file("place.dat", write_place, g);
        write_file("tikai.dat", write_tikai, g);
        write_file("item.dat", write_item, g);
    }

    // The text is given in UTF-8 and stored in CP932, as the game's files are.
    void write_raw(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / "dat" / name, std::ios::binary) << *utf8_to_cp932(text);
    }

    void write_bytes(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / "dat" / name, std::ios::binary) << bytes;
    }

    std::string read_raw(const std::string& name) { return read_file_bytes(dir_ / "dat" / name); }

    fs::path dir_;
    GameState gs_;
    GameState master_;
};

// Runs `f` with the process's file-size limit set, so a write fails part of the way through.
template <typename F>
void with_file_size_limit(rlim_t bytes, F f) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim = old;
    lim.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lim);
    f();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
}

}  // namespace

TEST_F(DataFiles, TheSaveHasItsExactLayout) {
    DatWriter w("my.dat");
    write_save(w, master_);
    EXPECT_EQ(w.lines(), 1612);
    DatWriter wi("item.dat");
    write_item(wi, master_);
    EXPECT_EQ(wi.lines(), 2052);
    DatWriter wj("job.dat");
    write_job(wj, master_);
    EXPECT_EQ(wj.lines(), 1377);
    DatWriter wm("magic.dat");
    write_magic(wm, master_);
    EXPECT_EQ(wm.lines(), 300);
    DatWriter wp("place.dat");
    write_place(wp, master_);
    EXPECT_EQ(wp.lines(), 1024);
    // Header, then item_owned from line 9, place_flags from 522, skill_flags from 778,
    // characters from 829.
    std::vector<std::string> lines;
    std::string s = w.bytes();
    for (size_t p = 0; p < s.size();) {
        size_t e = s.find("\r\n", p);
        lines.push_back(s.substr(p, e - p));
        p = e + 2;
    }
    EXPECT_EQ(lines[1], "100");
    EXPECT_EQ(lines[2], "-5");
    EXPECT_EQ(lines[8 + 47], "1");
    EXPECT_EQ(lines[8 + 512], "-2");
    EXPECT_EQ(lines[521 + 255], "1");
    EXPECT_EQ(lines[777 + 50], "1");
    EXPECT_EQ(lines[828 + 28 * 2 + 4], "22");  // job of character 2, written as a byte
}

TEST_F(DataFiles, SaveThenLoadGivesBackCharacters0To27AndLeaves28To30Empty) {
    GameState a = master_;
    save_game(a);
    GameState b;
    b.game_dir = dir_;
    b.chara[29].name = "stale";
    auto notices = load_game(b);
    EXPECT_TRUE(notices.empty());
    for (int i = 0; i < kSavedCharas; ++i) EXPECT_EQ(b.chara[i], a.chara[i]) << i;
    for (int i = kSavedCharas; i < kCharaCount; ++i) EXPECT_EQ(b.chara[i], TChara{}) << i;
    EXPECT_EQ(b.player_name, "セーブ主");
    EXPECT_EQ(b.money, -5);
    EXPECT_EQ(b.chara[3].hp, 3);
    EXPECT_EQ(b.item_owned, a.item_owned);
    EXPECT_EQ(b.place_flags, a.place_flags);
    EXPECT_EQ(b.skill_flags, a.skill_flags);
    EXPECT_EQ(b.item_table, a.item_table);
    EXPECT_EQ(b.job_table, a.job_table);
    EXPECT_EQ(b.skill_table, a.skill_table);
    EXPECT_EQ(b.oath_table, a.oath_table);
    // Saving what was loaded writes the same bytes again.
    std::string first = read_raw("my.dat");
    save_game(b);
    EXPECT_EQ(read_raw("my.dat"), first);
}

TEST_F(DataFiles, ALoadStopsAtTheFailingFileAndKeepsWhatWasReadBefore) {
    GameState g;
    g.game_dir = dir_;
    g.aiko_names[0] = "old aiko";
    g.place_table[0].name = "old place";
    g.item_table[0].name = "old item";
    std::string job = read_raw("job.dat");
    // Line 5 of class 1 (line 32 of the file) is its required level.
    size_t p = 0;
    for (int i = 0; i < 31; ++i) p = job.find("\r\n", p) + 2;
    job.replace(p, job.find("\r\n", p) - p, "7x");
    write_bytes("job.dat", job);
    try {
        load_game(g);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(std::string(e.what()),
                  (dir_ / "dat" / "job.dat").string() + ": line 32: \"7x\" is not a number");
    }
    EXPECT_EQ(g.player_name, "セーブ主");           // my.dat was read
    EXPECT_EQ(g.skill_table[25][4].name, "技254");  // magic.dat was read
    EXPECT_EQ(g.job_table[0].name, "職0");          // class 0 was read before the fault
    EXPECT_EQ(g.aiko_names[0], "old aiko");         // later tables keep their old values
    EXPECT_EQ(g.place_table[0].name, "old place");
    EXPECT_EQ(g.item_table[0].name, "old item");
}

TEST_F(DataFiles, AMissingFileIsReportedByName) {
    fs::remove(dir_ / "dat" / "tikai.dat");
    try {
        load_game(gs_);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(std::string(e.what()),
                  (dir_ / "dat" / "tikai.dat").string() + ": cannot open the file");
    }
}

TEST_F(DataFiles, AShortFileReadsEmptyAndZeroWithoutError) {
    write_raw("my.dat", "短い\r\n100\r\n");
    EXPECT_EQ(load_game(gs_).size(), 1u);  // it is cut short, and said to be
    EXPECT_EQ(gs_.player_name, "短い");
    EXPECT_EQ(gs_.clear_mark, 100);
    EXPECT_EQ(gs_.money, 0);
    EXPECT_EQ(gs_.chara[1], TChara{});
}

TEST_F(DataFiles, NewGameSetsItsValuesWithTheDrawsInOrder) {
    write_raw("story0.dat", "最初の敵\r\n");
    gs_.rng.record_draws(true);
    // Character 0 draws 3,2,4,20,1,29 (the top of each range); everything after draws 0.
    gs_.rng.script({3, 2, 4, 20, 1, 29});
    for (int i = 0; i < 30 * 6; ++i) gs_.rng.script_value(0);
    gs_.rng.script_value(17);  // the hero's oath
    new_game(gs_);

    std::deque<int> expected;
    for (int i = 0; i < kCharaCount; ++i)
        for (int n : {4, 4, 5, 21, 2, 30}) expected.push_back(n);
    expected.push_back(21);
    EXPECT_EQ(gs_.rng.draws(), expected);

    const TChara& c0 = gs_.chara[0];
    EXPECT_EQ(c0.hp, 48);
    EXPECT_EQ(c0.max_hp, 48);
    EXPECT_EQ(c0.mp, 12);
    EXPECT_EQ(c0.max_mp, 12);
    EXPECT_EQ(c0.oath_count, 4);
    EXPECT_EQ(c0.oath, 20);
    EXPECT_EQ(c0.aiko_power, 11);
    EXPECT_EQ(c0.aiko_name, "哀古2");
    EXPECT_EQ(c0.lifespan, 69);
    EXPECT_EQ(c0.name, "キャラ0");  // names and positions come from the save
    EXPECT_EQ(c0.x, 0);
    for (int i = 0; i < kCharaCount; ++i) {
        if (i == 1) continue;
        const TChara& c = gs_.chara[i];
        EXPECT_EQ(c.state, 0);
        EXPECT_EQ(c.level, 1);
        EXPECT_EQ(c.body, 5);
        EXPECT_EQ(c.speed, 0);
        EXPECT_EQ(c.sex, 0);
        EXPECT_EQ(c.job, 0);
        if (i > 0) {
            EXPECT_EQ(c.hp, 45);
            EXPECT_EQ(c.aiko_power, 10);
            EXPECT_EQ(c.aiko_name, "哀古2");
            EXPECT_EQ(c.lifespan, 40);
        }
    }
    const TChara& hero = gs_.chara[1];
    EXPECT_EQ(hero.name, "ルミナリア");
    EXPECT_EQ(hero.state, 1);
    EXPECT_EQ(hero.aiko_power, 0);
    EXPECT_EQ(hero.aiko_name, "なし");
    EXPECT_EQ(hero.oath, 17);

    EXPECT_EQ(gs_.player_name, "ルミナリア");
    EXPECT_EQ(gs_.money, 1000);
    EXPECT_EQ(gs_.ark, 10);
    EXPECT_EQ(gs_.stage_no, 0);
    EXPECT_EQ(gs_.clear_mark, 100);  // not reset by a new game
    for (int i = 0; i < kItemCount; ++i) EXPECT_EQ(gs_.item_owned[i], i == 47 ? 1 : 0) << i;
    for (int i = 0; i < kPlaceCount; ++i)
        EXPECT_EQ(gs_.place_flags[i], (i == 0 || i == 100) ? 1 : 0) << i;
    for (int i = 0; i < kSkillFamilies; ++i) EXPECT_EQ(gs_.skill_flags[i], i == 1 ? 1 : 0);
    EXPECT_EQ(gs_.item_table[255].name, "品255");
    EXPECT_EQ(gs_.item_table[256].name, "");
    EXPECT_EQ(gs_.item_table[256].kind, 23);
    EXPECT_EQ(gs_.item_table[256].value, 768);  // value and text keep what was read
    EXPECT_EQ(gs_.item_table[512].text, "説明");
    EXPECT_EQ(gs_.stage_enemies[0].name, "最初の敵");
}

TEST_F(DataFiles, NewGameFailsCleanlyWithoutAStageFile) {
    EXPECT_THROW(new_game(gs_), DataError);
}

TEST_F(DataFiles, AFailedSaveLeavesTheOldSaveLoadable) {
    GameState a = master_;
    save_game(a);  // the old save
    std::string old_my = read_raw("my.dat");
    std::string old_item = read_raw("item.dat");

    GameState b = master_;
    b.money = 123456;
    b.player_name = "新しい名前";
    with_file_size_limit(2000, [&] { EXPECT_THROW(save_game(b), DataError); });

    EXPECT_EQ(read_raw("my.dat"), old_my);
    EXPECT_EQ(read_raw("item.dat"), old_item);
    EXPECT_FALSE(fs::exists(dir_ / "dat" / "my.dat.new"));
    EXPECT_FALSE(fs::exists(dir_ / "dat" / "item.dat.new"));
    GameState c;
    c.game_dir = dir_;
    EXPECT_TRUE(load_game(c).empty());
    EXPECT_EQ(c.money, -5);
}

TEST_F(DataFiles, AFailedWriteOfItemDatLeavesBothOldFiles) {
    save_game(master_);
    std::string old_my = read_raw("my.dat");
    std::string old_item = read_raw("item.dat");
    ASSERT_LT(old_my.size() + 100, old_item.size());
    GameState b = master_;
    b.money = 99;
    with_file_size_limit(old_my.size() + 50, [&] { EXPECT_THROW(save_game(b), DataError); });
    EXPECT_EQ(read_raw("my.dat"), old_my);
    EXPECT_EQ(read_raw("item.dat"), old_item);
}

// Every step of a save's writes failing with each error a disk gives: the save reports the
// file and the reason, and the folder loads as one whole pair, the old one or (when the
// commit was already recorded) the new one, with nothing staged left over.
TEST_F(DataFiles, EachWriteStepOfASaveFailingIsAnErrorAndLeavesOneWholePair) {
    for (int err : test::kWriteErrors) {
        int n = 0;
        for (;; ++n) {
            SCOPED_TRACE(std::string(std::strerror(err)) + " at step " + std::to_string(n));
            GameState a = master_;
            a.money = 1;
            a.item_table[300].name = "札1";
            save_game(a);
            GameState b = master_;
            b.money = 2;
            b.item_table[300].name = "札2";
            std::string message;
            bool fired = false;
            {
                test::WriteFaultAt fault(n, err);
                try {
                    save_game(b);
                } catch (const DataError& e) {
                    message = e.what();
                }
                fired = fault.fired();
                if (fired) {
                    EXPECT_EQ(message.rfind(fault.file().parent_path().string(), 0), 0u) << message;
                }
            }
            if (!fired) {
                EXPECT_EQ(message, "");
                break;
            }
            EXPECT_NE(message.find(std::strerror(err)), std::string::npos) << message;
            GameState c;
            c.game_dir = dir_;
            load_game(c);
            ASSERT_TRUE(c.money == 1 || c.money == 2);
            EXPECT_EQ(c.item_table[300].name, c.money == 1 ? "札1" : "札2");
            for (const auto& e : fs::directory_iterator(dir_ / "dat")) {
                const std::string f = e.path().filename().string();
                EXPECT_TRUE(f.size() > 4 &&
                            (f.substr(f.size() - 4) == ".dat" || f.substr(f.size() - 4) == ".bak"))
                    << f;
            }
        }
        // Every file written and renamed: two new files, a marker, then five renames.
        EXPECT_GE(n, 3 * 4 + 4);
    }
}

TEST_F(DataFiles, ABrokenSaveFallsBackToThePreviousPair) {
    save_game(master_);
    GameState b = master_;
    b.money = 4242;
    b.item_table[300].name = "新カード";
    save_game(b);
    write_raw("my.dat", "壊れた\r\n1\r\nxx\r\n");
    GameState c;
    c.game_dir = dir_;
    auto notices = load_game(c);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("my.dat: line 3"), std::string::npos);
    EXPECT_EQ(c.money, -5);                      // the previous save
    EXPECT_EQ(c.item_table[300].name, "品300");  // with its own item.dat
}

TEST_F(DataFiles, ABrokenItemDatTakesTheWholeBackupPairNotTheBackupItemDatAlone) {
    save_game(master_);  // save A
    GameState b = master_;
    b.money = 4242;
    b.item_table[300].name = "新カード";
    save_game(b);  // save B
    write_raw("item.dat", "壊れた\r\n説明\r\n1x\r\n");
    GameState c;
    c.game_dir = dir_;
    auto notices = load_game(c);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].rfind("アイテムデータを読めなかったため", 0), 0u) << notices[0];
    EXPECT_NE(notices[0].find("item.dat: line 3"), std::string::npos);
    EXPECT_EQ(c.money, -5);                      // A's my.dat, not B's
    EXPECT_EQ(c.item_table[300].name, "品300");  // with A's item.dat
}

TEST_F(DataFiles, ABrokenPairWithoutABackupFailsWhereTheReadFailed) {
    write_raw("item.dat", "名\r\n説明\r\n1x\r\n");
    GameState g;
    g.game_dir = dir_;
    g.item_table[0].name = "old item";
    g.item_table[1].name = "old item 1";
    try {
        load_game(g);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.line(), 3);
    }
    EXPECT_EQ(g.player_name, "セーブ主");  // my.dat and the tables were read
    EXPECT_EQ(g.oath_table[1], "誓い");
    EXPECT_EQ(g.item_table[0].name, "名");  // item.dat up to its fault
    EXPECT_EQ(g.item_table[1].name, "old item 1");
}

// A file of the pair cut short (empty, or cut at a line break half-way, as a crash of the file
// system leaves it) is damaged: a whole backup pair is loaded instead; without one, what the
// file holds is loaded (the rest as 0). Never in silence, and the next save keeps the backup
// pair as it was: the damaged pair never replaces it.
TEST_F(DataFiles, ASaveCutShortIsNeverLoadedSilentlyNorMadeTheBackup) {
    auto count_lines = [](const std::string& s) {
        size_t n = 0;
        for (size_t p = s.find("\r\n"); p != std::string::npos; p = s.find("\r\n", p + 2)) ++n;
        return n;
    };
    for (const char* file : {"my.dat", "item.dat"})
        for (bool empty : {true, false})
            for (bool backup : {true, false}) {
                SCOPED_TRACE(std::string(file) + (empty ? " empty" : " cut") +
                             (backup ? ", whole backup" : ", no backup"));
                for (const char* f : {"my.dat.bak", "item.dat.bak"}) fs::remove(dir_ / "dat" / f);
                GameState a = master_;
                a.money = 111;
                save_game(a);
                GameState b = master_;
                b.money = 222;
                b.item_table[300].name = "Ｂの札";
                save_game(b);  // a is now the backup pair
                const std::string a_my = read_raw("my.dat.bak");
                if (!backup)
                    for (const char* f : {"my.dat.bak", "item.dat.bak"})
                        fs::remove(dir_ / "dat" / f);

                const std::string whole = read_raw(file);
                std::string cut;
                if (!empty) cut = whole.substr(0, whole.find("\r\n", whole.size() / 2) + 2);
                write_bytes(file, cut);
                const std::string fault = (dir_ / "dat" / file).string() + ": line " +
                                          std::to_string(count_lines(cut) + 1) +
                                          ": the file ends early (a whole one has " +
                                          std::to_string(count_lines(whole)) + " lines))";
                const bool is_my = std::string(file) == "my.dat";

                GameState c;
                c.game_dir = dir_;
                auto notices = load_game(c);
                ASSERT_EQ(notices.size(), 1u);
                const std::string& n = notices[0];
                EXPECT_EQ(n.size() - n.rfind(fault), fault.size()) << n;
                EXPECT_TRUE(c.keep_backup_pair);
                if (backup) {
                    EXPECT_EQ(
                        n.rfind(std::string(is_my ? "セーブデータ" : "アイテムデータ") +
                                    "を読めなかったため、前回のセーブデータを読み込みました。",
                                0),
                        0u)
                        << n;
                    EXPECT_EQ(c.money, 111);
                    EXPECT_EQ(c.item_table[300].name, "品300");
                } else {
                    EXPECT_EQ(n.rfind(std::string(is_my ? "セーブデータ" : "アイテムデータ") +
                                          "が途中で切れていて、前回のセーブデータも使えないため、"
                                          "読めたところまでを読み込みました。",
                                      0),
                              0u)
                        << n;
                    EXPECT_EQ(c.money, is_my && empty ? 0 : 222);
                    EXPECT_EQ(c.chara[27], is_my ? TChara{} : b.chara[27]);
                    EXPECT_EQ(c.item_table[0].name, !is_my && empty ? "" : "品0");
                    EXPECT_EQ(c.item_table[512].name, is_my ? "品512" : "");
                }

                // The next save keeps the backup pair there (or makes none); the one after it,
                // from a whole pair, rotates again.
                c.money = 333;
                save_game(c);
                EXPECT_FALSE(c.keep_backup_pair);
                EXPECT_EQ(fs::exists(dir_ / "dat" / "my.dat.bak"), backup);
                if (backup) {
                    EXPECT_EQ(read_raw("my.dat.bak"), a_my);
                }
                GameState d;
                d.game_dir = dir_;
                EXPECT_TRUE(load_game(d).empty());
                EXPECT_EQ(d.money, 333);
                const std::string c_my = read_raw("my.dat");
                save_game(d);
                EXPECT_EQ(read_raw("my.dat.bak"), c_my);
            }
}

// A commit stopped at each of its moments, as a crash would stop it, then a start-up load.
namespace {
struct Stop {};
}  // namespace

TEST_F(DataFiles, ACommitInterruptedAtEachStepRecoversToOneWholePair) {
    struct Case {
        CommitStep step;
        bool new_pair;  // which pair the load must find
    };
    for (Case c : {Case{CommitStep::staged, false}, Case{CommitStep::recorded, true},
                   Case{CommitStep::backup_renamed, true}, Case{CommitStep::my_renamed, true},
                   Case{CommitStep::item_renamed, true}}) {
        SCOPED_TRACE(static_cast<int>(c.step));
        GameState a = master_;
        a.money = 1;
        a.item_table[300].name = "札1";
        save_game(a);
        GameState b = master_;
        b.money = 2;
        b.item_table[300].name = "札2";
        DatWriter wm("my.dat"), wi("item.dat");
        write_save(wm, b);
        write_item(wi, b);
        EXPECT_THROW(commit_save_pair(dir_ / "dat", wm.bytes(), wi.bytes(),
                                      [&](CommitStep s) {
                                          if (s == c.step) throw Stop{};
                                      }),
                     Stop);
        if (c.step == CommitStep::my_renamed) {
            // The crash left my.dat of B beside item.dat of A: only the marker tells.
            EXPECT_EQ(read_raw("my.dat"), wm.bytes());
            EXPECT_NE(read_raw("item.dat"), wi.bytes());
            EXPECT_TRUE(fs::exists(dir_ / "dat" / "save.commit"));
        }

        GameState g;
        g.game_dir = dir_;
        auto notices = load_game(g);
        EXPECT_EQ(g.money, c.new_pair ? 2 : 1);
        EXPECT_EQ(g.item_table[300].name, c.new_pair ? "札2" : "札1");
        EXPECT_EQ(notices, c.new_pair ? std::vector<std::string>{}
                                      : std::vector<std::string>{kInterruptedSaveNotice});
        for (const char* f : {"save.commit", "my.dat.new", "item.dat.new", "my.dat.bak.new",
                              "item.dat.bak.new", "save.commit.new"})
            EXPECT_FALSE(fs::exists(dir_ / "dat" / f)) << f;
        if (c.new_pair) {
            // The backup pair is A, whole.
            GameState k;
            DatReader rm = DatReader::open(dir_ / "dat" / "my.dat.bak");
            read_save(rm, k);
            DatReader ri = DatReader::open(dir_ / "dat" / "item.dat.bak");
            read_item(ri, k);
            EXPECT_EQ(k.money, 1);
            EXPECT_EQ(k.item_table[300].name, "札1");
        }
    }
}

TEST_F(DataFiles, AMarkerHalfWrittenIsNoCommitAndStaleFilesGo) {
    save_game(master_);
    const std::string my = read_raw("my.dat"), item = read_raw("item.dat");
    // Killed while the marker was being written: staged files and save.commit.new only.
    write_bytes("my.dat.new", "新\r\n");
    write_bytes("item.dat.new", "");
    write_bytes("save.commit.new", "lumi");
    // Leftovers of the single-file saves of earlier versions.
    write_bytes("my.dat.tmp", "x");
    write_bytes("item.dat.bak.tmp", "x");
    write_bytes("my.dat.restore", "x");
    EXPECT_EQ(recover_save_pair(dir_ / "dat"), SaveRecovery::rolled_back);
    EXPECT_EQ(read_raw("my.dat"), my);
    EXPECT_EQ(read_raw("item.dat"), item);
    for (const char* f : {"my.dat.new", "item.dat.new", "save.commit.new", "my.dat.tmp",
                          "item.dat.bak.tmp", "my.dat.restore"})
        EXPECT_FALSE(fs::exists(dir_ / "dat" / f)) << f;
    EXPECT_EQ(recover_save_pair(dir_ / "dat"), SaveRecovery::clean);
}

TEST_F(DataFiles, AMarkerFoundAfterSomeRenamesFinishesTheRest) {
    // Killed between the two backup renames of a recorded commit: my.dat.bak is already the
    // previous save, item.dat.bak still the one before it.
    write_bytes("my.dat.bak", "P\r\n");
    write_bytes("item.dat.bak", "PP\r\n");
    write_bytes("item.dat.bak.new", "P-items\r\n");
    write_bytes("my.dat.new", "N\r\n");
    write_bytes("item.dat.new", "N-items\r\n");
    write_bytes("save.commit", "");
    EXPECT_EQ(recover_save_pair(dir_ / "dat"), SaveRecovery::rolled_forward);
    EXPECT_EQ(read_raw("my.dat.bak"), "P\r\n");
    EXPECT_EQ(read_raw("item.dat.bak"), "P-items\r\n");
    EXPECT_EQ(read_raw("my.dat"), "N\r\n");
    EXPECT_EQ(read_raw("item.dat"), "N-items\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "dat" / "save.commit"));
}

TEST_F(DataFiles, TheFirstSaveKeepsNoHalfBackup) {
    // Only my.dat exists (a folder that never held a whole pair): no backup pair is made.
    fs::remove(dir_ / "dat" / "item.dat");
    save_game(master_);
    EXPECT_FALSE(fs::exists(dir_ / "dat" / "my.dat.bak"));
    EXPECT_FALSE(fs::exists(dir_ / "dat" / "item.dat.bak"));
    GameState g;
    g.game_dir = dir_;
    EXPECT_TRUE(load_game(g).empty());
    EXPECT_EQ(g.item_table, master_.item_table);
}

TEST_F(DataFiles, APlayersOwnSaveFolderHoldsThePairAndItsCommit) {
    const std::string shipped = read_raw("my.dat");
    GameState a = master_;
    a.save_dir = dir_ / "save";
    fs::create_directories(a.save_dir);
    fs::copy_file(dir_ / "dat" / "my.dat", a.save_dir / "my.dat");
    fs::copy_file(dir_ / "dat" / "item.dat", a.save_dir / "item.dat");
    a.money = 31337;
    save_game(a);
    EXPECT_TRUE(fs::exists(a.save_dir / "my.dat.bak"));
    EXPECT_FALSE(fs::exists(a.save_dir / "save.commit"));
    EXPECT_EQ(read_raw("my.dat"), shipped);  // the game folder's copy is left alone
    // A commit interrupted there is finished there.
    fs::rename(a.save_dir / "my.dat", a.save_dir / "my.dat.new");
    std::ofstream(a.save_dir / "save.commit") << "";
    GameState g;
    g.game_dir = dir_;
    g.save_dir = a.save_dir;
    EXPECT_TRUE(load_game(g).empty());
    EXPECT_EQ(g.money, 31337);
    EXPECT_FALSE(fs::exists(a.save_dir / "save.commit"));
}

TEST_F(DataFiles, StageFilesAreNamedByStageNumber) {
    EXPECT_EQ(stage_file_name(0), "story0.dat");
    EXPECT_EQ(stage_file_name(61), "story61.dat");
    EXPECT_EQ(stage_file_name(-1), "story-1.dat");
    gs_.stage_no = -1;
    EXPECT_THROW(load_stage(gs_), DataError);

    std::array<TEnemyEntry, kStageEnemies> enemies{};
    std::array<TScriptLine, kScriptLines> script{};
    enemies[4] = {"ボス", "説明", "", "boss.bmp", 1, 44, 0, "覚悟しろ"};
    script[0] = {1, "こんにちは"};
    script[99] = {3, ""};
    DatWriter w("story-1.dat");
    write_enemies_and_script(w, enemies, script);
    EXPECT_EQ(w.lines(), 240);
    write_bytes("story-1.dat", w.bytes());
    gs_.script[50] = {9, "old"};
    load_stage(gs_);
    EXPECT_EQ(gs_.stage_enemies, enemies);
    EXPECT_EQ(gs_.script, script);
}

TEST_F(DataFiles, PeopleFilesStoreBytesAndStopAtAMalformedLine) {
    std::string f;
    auto person = [&](const std::string& name, const std::string& job) {
        f += name + "\r\nprofile\r\n\r\nkao.bmp\r\n1\r\n" + job + "\r\n1\r\n\r\n";
    };
    person("p0", "254");
    person("p1", "2");
    person("p2", "3");
    person("p3", "x9");
    person("p4", "4");
    write_raw("people7.dat", f);
    gs_.people_enemies[3].name = "old3";
    gs_.people_enemies[3].job = 9;
    gs_.people_enemies[3].state = 7;
    gs_.people_enemies[4].name = "old4";
    gs_.people_mode = false;
    try {
        load_people(gs_, 7);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.line(), 30);
    }
    EXPECT_EQ(gs_.people_enemies[0].job, 254);
    EXPECT_EQ(gs_.people_enemies[2].name, "p2");
    EXPECT_EQ(gs_.people_enemies[3].name, "p3");
    EXPECT_EQ(gs_.people_enemies[3].sex, 1);
    EXPECT_EQ(gs_.people_enemies[3].job, 9);    // not replaced
    EXPECT_EQ(gs_.people_enemies[3].state, 7);  // not replaced
    EXPECT_EQ(gs_.people_enemies[4].name, "old4");
    EXPECT_FALSE(gs_.people_mode);

    std::string good;
    for (int i = 0; i < 5; ++i)
        good += "p\r\n\r\n\r\n\r\n0\r\n" + std::to_string(i) + "\r\n" + (i == 2 ? "0" : "1") +
                "\r\n\r\n";
    good += "17\r\n";  // short file: the rest reads empty and 0
    write_raw("people29.dat", good);
    load_people(gs_, 29);
    EXPECT_TRUE(gs_.people_mode);
    EXPECT_EQ(gs_.people_enemies[2].state, 0);
    EXPECT_EQ(gs_.people_script[0].code, 17);
    EXPECT_EQ(gs_.people_script[1], TScriptLine{});

    // A class number that does not fit in its byte is refused, not read as 300 mod 256.
    write_raw("people8.dat", "p\r\n\r\n\r\n\r\n0\r\n300\r\n");
    try {
        load_people(gs_, 8);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.line(), 6);
        EXPECT_EQ(e.reason(), "300 does not fit in a byte (0..255)");
    }
}

#include "manifest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace lum;
namespace fs = std::filesystem;

namespace {

fs::path fresh_dir(const std::string& tag) {
    fs::path p =
        fs::temp_directory_path() / ("datc_manifest_" + tag + "_" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

void write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// A small data set, code folder and game folder in which every named file exists.
class Manifest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fresh_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        data_ = root_ / "data";
        src_ = root_ / "src";
        game_ = root_ / "game";
        write(data_ / "tables" / "places.toml",
              "[[place]]\nid = 3\nname = \"丘\"\nmap = \"map003.bmp\"\n"
              "[[place]]\nname = \"町\"\n");
        write(data_ / "tables" / "items.toml",
              "[[item]]\nid = 47\nname = \"楽譜\"\nkind = 24\nvalue = 14\n"
              "[[item]]\nname = \"薬\"\nkind = 0\nvalue = 3\n");
        write(data_ / "stages" / "story0.txt",
              "enemy 1\n  name 影\n  job 30\n  state 1\n"
              "enemy 2\n  name 竜\n  sprite dragon.bmp\n  portrait dragon_face.bmp\n\n"
              "bg bg_field.bmp\nmusic cl_05.mid\nportrait my2.bmp\ntext はじまり。\n"
              "music not\nnext_stage\n");
        write(data_ / "people" / "people4.txt", "code 1 bg_room.bmp\nback_to_travel\n");
        write(src_ / "battle" / "setup.cpp",
              "play(\"mowa.wav\");  // not \"gone.wav\"\nauto s = \".bmp\";\n"
              "load(\"map_bak.bmp\", \"my0.bmp\");\n"
              "if (c == '\"') x = 1;  // \"nor.wav\"\n");

        for (const auto& r : datc::game_refs()) write(game_ / r.folder / r.name, "x");
        for (const char* f :
             {"cg/map003.bmp", "cg/unit30.bmp", "cg/dragon.bmp", "cg/dragon_face.bmp",
              "cg/bg_field.bmp", "cg/bg_room.bmp", "mid/cl_05.mid", "mid/twincle.mid"})
            write(game_ / f, "x");
    }
    void TearDown() override { fs::remove_all(root_); }

    std::vector<std::string> check() { return datc::check_manifest(data_, game_, src_); }
    std::string at(const fs::path& p, int line) { return p.string() + ":" + std::to_string(line); }

    fs::path root_, data_, src_, game_;
};

}  // namespace

TEST_F(Manifest, PassesWhenEveryNamedFileIsThere) {
    size_t checked = 0;
    EXPECT_EQ(datc::check_manifest(data_, game_, src_, &checked), std::vector<std::string>{});
    // Every built-in name plus the eight of the data set (mowa, map_bak and my0 are built in).
    EXPECT_EQ(checked, datc::game_refs().size() + 8);
}

TEST_F(Manifest, NamesTheFileLineAndReasonOfEachMissingFile) {
    const fs::path stage = data_ / "stages" / "story0.txt";
    const std::string game = game_.string();
    const std::pair<const char*, std::string> cases[] = {
        {"cg/map003.bmp", at(data_ / "tables" / "places.toml", 4) +
                              ": battle map of place 3 \"cg/map003.bmp\" is not in " + game},
        {"mid/twincle.mid", at(data_ / "tables" / "items.toml", 5) +
                                ": piece of the 楽譜 item 47 \"mid/twincle.mid\" is not in " +
                                game},
        {"cg/unit30.bmp",
         at(stage, 3) + ": enemy 1's class picture \"cg/unit30.bmp\" is not in " + game},
        {"cg/dragon.bmp", at(stage, 7) + ": enemy 2's picture \"cg/dragon.bmp\" is not in " + game},
        {"cg/dragon_face.bmp",
         at(stage, 8) + ": enemy 2's portrait \"cg/dragon_face.bmp\" is not in " + game},
        {"cg/bg_field.bmp", at(stage, 10) + ": background \"cg/bg_field.bmp\" is not in " + game},
        {"mid/cl_05.mid", at(stage, 11) + ": music \"mid/cl_05.mid\" is not in " + game},
        {"cg/bg_room.bmp", at(data_ / "people" / "people4.txt", 1) +
                               ": background \"cg/bg_room.bmp\" is not in " + game},
        {"cg/char-1.bmp",
         "the battle screen: party battle picture \"cg/char-1.bmp\" is not in " + game},
        {"cg/unit20.bmp",
         "random battles: class picture of a random enemy \"cg/unit20.bmp\" is not in " + game},
        {"mid/hakai.wav", "the sound front: sound effect \"mid/hakai.wav\" is not in " + game},
        {"cg/b_map5.bmp", "the travel screen: region map \"cg/b_map5.bmp\" is not in " + game},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file);
        fs::rename(game_ / file, game_ / "aside");
        EXPECT_EQ(check(), std::vector<std::string>{message});
        fs::rename(game_ / "aside", game_ / file);
    }
}

TEST_F(Manifest, ReportsAFileAtEveryPlaceThatNamesIt) {
    // my2.bmp is a portrait the game picks by name and one a script shows; mowa.wav is a sound
    // of the sound front and a literal in the code.
    fs::remove(game_ / "cg" / "my2.bmp");
    fs::remove(game_ / "mid" / "mowa.wav");
    const std::string game = game_.string();
    EXPECT_EQ(
        check(),
        (std::vector<std::string>{
            "the portrait table: portrait picked by name \"cg/my2.bmp\" is not in " + game,
            "the sound front: sound effect \"mid/mowa.wav\" is not in " + game,
            at(src_ / "battle" / "setup.cpp", 1) + ": sound \"mid/mowa.wav\" is not in " + game,
            at(data_ / "stages" / "story0.txt", 12) + ": portrait \"cg/my2.bmp\" is not in " + game,
        }));
}

TEST_F(Manifest, ReadsCodeLiteralsButNotCommentsOrBareExtensions) {
    auto refs = datc::source_refs(src_);
    std::vector<std::string> names;
    for (const auto& r : refs) names.push_back(r.folder + "/" + r.name + "@" + r.origin);
    const fs::path f = src_ / "battle" / "setup.cpp";
    EXPECT_EQ(names,
              (std::vector<std::string>{"mid/mowa.wav@" + at(f, 1), "cg/map_bak.bmp@" + at(f, 3),
                                        "cg/my0.bmp@" + at(f, 3)}));
}

TEST_F(Manifest, RefusesScoresThatPickNoPieceAndBrokenSources) {
    write(data_ / "tables" / "items.toml", "[[item]]\nid = 9\nkind = 24\nvalue = 24\n");
    write(data_ / "stages" / "story1.txt", "bgm x.mid\nnext_stage\n");
    EXPECT_EQ(check(), (std::vector<std::string>{
                           at(data_ / "tables" / "items.toml", 4) +
                               ": the 楽譜 item 9 has value 24, which picks no piece (1..23)",
                           at(data_ / "stages" / "story1.txt", 1) + ": unknown command \"bgm\"",
                       }));
    EXPECT_EQ(datc::check_manifest(data_, game_, root_ / "nowhere"),
              (std::vector<std::string>{
                  (root_ / "nowhere").string() + ": the source folder is missing",
                  at(data_ / "tables" / "items.toml", 4) +
                      ": the 楽譜 item 9 has value 24, which picks no piece (1..23)",
                  at(data_ / "stages" / "story1.txt", 1) + ": unknown command \"bgm\""}));
}

TEST(ManifestScores, EveryScoreValuePicksItsPiece) {
    const std::pair<int, const char*> cases[] = {{0, ""},
                                                 {1, "cl_01.mid"},
                                                 {9, "cl_09.mid"},
                                                 {10, "cl_10.mid"},
                                                 {12, "cl_12.mid"},
                                                 {13, "your.mid"},
                                                 {14, "twincle.mid"},
                                                 {15, "cl_s2.mid"},
                                                 {16, "cl_s3.mid"},
                                                 {17, "cl_s5.mid"},
                                                 {18, "cl_s7.mid"},
                                                 {21, "cl_s10.mid"},
                                                 {22, "cl_s12.mid"},
                                                 {23, "spacial.mid"},
                                                 {24, ""},
                                                 {-1, ""}};
    for (const auto& [v, piece] : cases) EXPECT_EQ(datc::score_piece(v), piece) << v;
}

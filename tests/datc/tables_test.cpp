#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datc.h"
#include "state/data_files.h"

using namespace lum;
using lum::datc::Kind;

namespace {

std::unique_ptr<GameState> load(Kind kind, const std::string& dat) {
    auto gs = std::make_unique<GameState>();
    DatReader r(dat, "t.dat");
    switch (kind) {
        case Kind::Save:
            read_save(r, *gs);
            break;
        case Kind::Skills:
            read_magic(r, *gs);
            break;
        case Kind::Jobs:
            read_job(r, *gs);
            break;
        case Kind::Aiko:
            read_aiko(r, *gs);
            break;
        case Kind::Names:
            read_name(r, *gs);
            break;
        case Kind::Places:
            read_place(r, *gs);
            break;
        case Kind::Oaths:
            read_tikai(r, *gs);
            break;
        case Kind::Items:
            read_item(r, *gs);
            break;
        default:
            break;
    }
    return gs;
}

int count_lines(const std::string& dat) {
    int n = 0;
    for (size_t i = 0; i + 1 < dat.size(); ++i)
        if (dat[i] == '\r' && dat[i + 1] == '\n') ++n;
    return n;
}

std::string error_of(Kind kind, const std::string& src, const std::string& name) {
    try {
        datc::compile(kind, src, name);
    } catch (const DataError& e) {
        return datc::format_error(e);
    }
    return "";
}

// Compiles, decompiles and compiles again; both dat files must be identical.
std::string round_trip(Kind kind, const std::string& src, const std::string& name) {
    const std::string dat = datc::compile(kind, src, name);
    const std::string back = datc::decompile(kind, dat, name);
    EXPECT_EQ(datc::compile(kind, back, name), dat) << back;
    return dat;
}

}  // namespace

TEST(DatcTables, ClassesFillTheirFieldsInLayoutOrder) {
    const std::string dat = round_trip(Kind::Jobs,
                                       "[[class]]\n"
                                       "name = \"訓練生\"\n"
                                       "[[class]]\n"
                                       "name = \"剣士\"\n"
                                       "about = \"剣の道。\"\n"
                                       "growth_text = \"体力\"\n"
                                       "skills_text = \"剣法\"\n"
                                       "req_level = 3\n"
                                       "req = { order = 4, speed = 9 }\n"
                                       "sex = \"female\"\n"
                                       "ark_cost = 40\n"
                                       "growth = { body = 2, past = -1 }\n"
                                       "[[class]]\n"
                                       "id = 50\n"
                                       "name = \"最後\"\n"
                                       "sex = \"male\"\n",
                                       "classes.toml");
    EXPECT_EQ(count_lines(dat), 1377);
    auto gs = load(Kind::Jobs, dat);
    const TJob& j = gs->job_table[1];
    EXPECT_EQ(gs->job_table[0].name, "訓練生");
    EXPECT_EQ(gs->job_table[0].sex_rule, 2);  // both, when not given
    EXPECT_EQ(j.name, "剣士");
    EXPECT_EQ(j.req_level, 3);
    EXPECT_EQ(j.req, (std::array<int, 10>{0, 0, 4, 0, 0, 0, 0, 0, 0, 9}));
    EXPECT_EQ(j.sex_rule, 1);
    EXPECT_EQ(j.ark_cost, 40);
    EXPECT_EQ(j.growth, (std::array<int, 10>{2, 0, 0, 0, 0, 0, 0, 0, -1, 0}));
    EXPECT_EQ(gs->job_table[50].name, "最後");
    EXPECT_EQ(gs->job_table[50].sex_rule, 0);
    EXPECT_EQ(gs->job_table[2], TJob{});
}

TEST(DatcTables, SkillsListsAndPlacesLandOnTheirNumbers) {
    auto skills =
        load(Kind::Skills,
             round_trip(Kind::Skills,
                        "[[family]]\nid = 2\nlabel = \"魔術\"\n"
                        "[[family.skill]]\nname = \"ファイア\"\npower = \"1/8\"\nabout = \"焼く\"\n"
                        "[[family.skill]]\nname = \"二\"\n"
                        "[[family]]\n"
                        "[[family.skill]]\nname = \"次\"\n",
                        "skills.toml"));
    EXPECT_EQ(skills->skill_table[2][1], (TSkill{"ファイア", "1/8", "焼く"}));
    EXPECT_EQ(skills->skill_table[2][2].name, "二");
    EXPECT_EQ(skills->skill_table[3][1].name, "次");  // the id follows the previous family

    const std::string aiko =
        round_trip(Kind::Aiko, "names = [\"なし\", \"\", \"石の指輪\"]\n", "aiko.toml");
    EXPECT_EQ(count_lines(aiko), 101);
    EXPECT_EQ(load(Kind::Aiko, aiko)->aiko_names[2], "石の指輪");

    EXPECT_EQ(count_lines(round_trip(Kind::Names, "names = [\"野犬\"]\n", "names.toml")), 226);
    auto oaths =
        load(Kind::Oaths, round_trip(Kind::Oaths, "oaths = [\"\", \"夢\"]\n", "oaths.toml"));
    EXPECT_EQ(oaths->oath_table[1], "夢");

    auto places =
        load(Kind::Places, round_trip(Kind::Places,
                                      "[[place]]\nid = 13\nname = \"草原\"\ntext = \"広い\"\n"
                                      "map = \"map_plains.bmp\"\nspare = \"x\"\n",
                                      "places.toml"));
    EXPECT_EQ(places->place_table[13], (TPlace{"草原", "広い", "map_plains.bmp", "x"}));
}

TEST(DatcTables, ItemsWithRangesAndOddTextsRoundTrip) {
    const std::string dat =
        round_trip(Kind::Items,
                   "[[item]]\nid = 0\nname = \"薬草\"\ntext = \"引用\\\"と\\\\と\\tタブ\"\nkind = "
                   "0\nvalue = -3\n"
                   "[[item]]\nname = \"card･竜\"\nkind = 111\nvalue = 27\n"
                   "[[item_range]]\nfirst = 256\nlast = 299\nkind = 23\n"
                   "[[item_range]]\nfirst = 301\nlast = 512\nkind = 23\n"
                   "[[item]]\nid = 300\nname = \"card･猫\"\nkind = 111\nvalue = 4\n",
                   "items.toml");
    auto gs = load(Kind::Items, dat);
    EXPECT_EQ(gs->item_table[0], (TItem{"薬草", "引用\"と\\と\tタブ", 0, -3}));
    EXPECT_EQ(gs->item_table[1].kind, 111);
    EXPECT_EQ(gs->item_table[299], (TItem{"", "", 23, 0}));
    EXPECT_EQ(gs->item_table[300].name, "card･猫");
    EXPECT_EQ(gs->item_table[512].kind, 23);
    EXPECT_EQ(gs->item_table[255], TItem{});
}

TEST(DatcTables, SaveRoundTripsEveryGroup) {
    const std::string dat = round_trip(
        Kind::Save,
        "player_name = \"ルミナリア\"\nclear_mark = 100\nmoney = -5\nark = 10\nstage_no = 61\n"
        "spare_text2 = \"予備\"\n"
        "item_owned = [1, 47]\nitem_owned_values = [[5, -2]]\n"
        "place_flags = [0, 100]\nplace_flags_values = [[7, 200]]\n"
        "skill_flags = [1, 50]\n"
        "[[chara]]\nid = 27\nname = \"月影院楓\"\nstate = 3\njob = 50\nx = 9\ny = 255\n"
        "level = 7\nhp = -1\npast = 4\nspeed = 2\nsex = 1\noath = 20\noath_count = 99\n",
        "my.toml");
    EXPECT_EQ(count_lines(dat), 1612);
    auto gs = load(Kind::Save, dat);
    EXPECT_EQ(gs->player_name, "ルミナリア");
    EXPECT_EQ(gs->clear_mark, 100);
    EXPECT_EQ(gs->money, -5);
    EXPECT_EQ(gs->stage_no, 61);
    EXPECT_EQ(gs->spare_text2, "予備");
    EXPECT_EQ(gs->item_owned[47], 1);
    EXPECT_EQ(gs->item_owned[5], -2);
    EXPECT_EQ(gs->place_flags[7], 200);
    EXPECT_EQ(gs->skill_flags[50], 1);
    const TChara& c = gs->chara[27];
    EXPECT_EQ(c.name, "月影院楓");
    EXPECT_EQ(c.state, 3);
    EXPECT_EQ(c.y, 255);
    EXPECT_EQ(c.hp, -1);
    EXPECT_EQ(c.past, 4);
    EXPECT_EQ(c.speed, 2);
    EXPECT_EQ(c.oath_count, 99);
}

TEST(DatcTables, RefusesCountsRangesAndMistakesWithTheirLines) {
    std::string many;
    for (int i = 0; i < 52; ++i) many += "[[class]]\nname = \"c\"\n";
    EXPECT_EQ(error_of(Kind::Jobs, many, "classes.toml"), "classes.toml:103: more than 51 classes");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nid = 51\n", "classes.toml"),
              "classes.toml:2: class id 51 is outside 0..50");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nid = 3\n\n[[class]]\nid = 3\n", "classes.toml"),
              "classes.toml:4: class 3 is defined twice");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nname = \"a\"\nnmae = \"b\"\n", "classes.toml"),
              "classes.toml:3: unknown key \"nmae\" in [[class]]");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nreq_level = \"3\"\n", "classes.toml"),
              "classes.toml:2: req_level must be a whole number");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nreq = { strength = 3 }\n", "classes.toml"),
              "classes.toml:2: unknown attribute \"strength\" (body, magic, order, calm, mech, "
              "justice, dark, "
              "beast, past, speed)");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nsex = \"any\"\n", "classes.toml"),
              "classes.toml:2: sex must be \"male\", \"female\" or \"both\"");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nname = \"🗡\"\n", "classes.toml"),
              "classes.toml:2: \"🗡\" cannot be written in Shift-JIS (CP932)");
    EXPECT_EQ(
        error_of(Kind::Jobs, "[[class]\nname = 1\n", "classes.toml").rfind("classes.toml:1: ", 0),
        0u);
    EXPECT_EQ(error_of(Kind::Jobs, "class = 3\n", "classes.toml"),
              "classes.toml:1: class must be written as [[class]] entries");
    EXPECT_EQ(error_of(Kind::Jobs, "klass = 3\n", "classes.toml"),
              "classes.toml:1: unknown key \"klass\" in the classes table");

    EXPECT_EQ(error_of(Kind::Skills, "[[family]]\nid = 26\n", "skills.toml"),
              "skills.toml:2: family id 26 is outside 1..25");
    EXPECT_EQ(error_of(
                  Kind::Skills,
                  "[[family]]\n" +
                      [] {
                          std::string s;
                          for (int i = 0; i < 5; ++i) s += "[[family.skill]]\nname = \"s\"\n";
                          return s;
                      }(),
                  "skills.toml"),
              "skills.toml:10: family 1 has more than 4 skills");

    std::string names = "names = [\n";
    for (int i = 0; i < 102; ++i) names += "\"x\",\n";
    names += "]\n";
    EXPECT_EQ(error_of(Kind::Aiko, names, "aiko.toml"), "aiko.toml:103: more than 101 aiko names");
    EXPECT_EQ(error_of(Kind::Oaths, "oaths = [\"夢\", 3]\n", "oaths.toml"),
              "oaths.toml:1: entry 1 of oaths must be a string");
    EXPECT_EQ(error_of(Kind::Places, "[[place]]\nid = 256\n", "places.toml"),
              "places.toml:2: place id 256 is outside 0..255");

    EXPECT_EQ(error_of(Kind::Items, "[[item]]\nid = 513\n", "items.toml"),
              "items.toml:2: item id 513 is outside 0..512");
    EXPECT_EQ(error_of(Kind::Items, "[[item]]\nkind = 30\n", "items.toml"),
              "items.toml:2: kind 30 is not an item kind (0..24, 100..111)");
    EXPECT_EQ(
        error_of(
            Kind::Items,
            "[[item]]\nid = 300\nkind = 111\n[[item_range]]\nfirst = 256\nlast = 512\nkind = 23\n",
            "items.toml"),
        "items.toml:4: item 300 is defined twice");

    EXPECT_EQ(error_of(Kind::Save, "[[chara]]\nid = 28\n", "my.toml"),
              "my.toml:2: chara id 28 is outside 0..27");
    EXPECT_EQ(error_of(Kind::Save, "[[chara]]\njob = 51\n", "my.toml"),
              "my.toml:2: job is 51; it must be 0..50");
    EXPECT_EQ(error_of(Kind::Save, "item_owned = [1, 513]\n", "my.toml"),
              "my.toml:1: item numbers in item_owned must be 0..512");
    EXPECT_EQ(error_of(Kind::Save, "place_flags = [4, 4]\n", "my.toml"),
              "my.toml:1: place 4 is listed twice");
    EXPECT_EQ(error_of(Kind::Save, "skill_flags_values = [[3, 256]]\n", "my.toml"),
              "my.toml:1: the value of skill family 3 is out of range");
}

TEST(DatcTables, RefusesEveryCountAndRangeTheReadersHold) {
    auto many = [](const char* key, int n) {
        std::string s = std::string(key) + " = [\n";
        for (int i = 0; i < n; ++i) s += "\"x\",\n";
        return s + "]\n";
    };
    EXPECT_EQ(error_of(Kind::Names, many("names", 226), "names.toml"), "");
    EXPECT_EQ(error_of(Kind::Names, many("names", 227), "names.toml"),
              "names.toml:228: more than 226 enemy names");
    EXPECT_EQ(error_of(Kind::Oaths, many("oaths", 256), "oaths.toml"), "");
    EXPECT_EQ(error_of(Kind::Oaths, many("oaths", 257), "oaths.toml"),
              "oaths.toml:258: more than 256 oaths");
    EXPECT_EQ(error_of(Kind::Aiko, many("names", 101), "aiko.toml"), "");

    auto entries = [](const char* key, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "[[" + std::string(key) + "]]\nname = \"e\"\n";
        return s;
    };
    EXPECT_EQ(error_of(Kind::Places, entries("place", 256), "places.toml"), "");
    EXPECT_EQ(error_of(Kind::Places, entries("place", 257), "places.toml"),
              "places.toml:513: more than 256 places");
    EXPECT_EQ(error_of(Kind::Items, entries("item", 513), "items.toml"), "");
    EXPECT_EQ(error_of(Kind::Items, entries("item", 514), "items.toml"),
              "items.toml:1027: more than 513 items");
    EXPECT_EQ(error_of(Kind::Jobs, entries("class", 51), "classes.toml"), "");
    std::string families;
    for (int i = 0; i < 26; ++i) families += "[[family]]\n";
    EXPECT_EQ(error_of(Kind::Skills, families, "skills.toml"),
              "skills.toml:26: more than 25 skill families");

    // Item kinds: 0..24 and 100..111 only.
    for (int kind : {0, 24, 100, 111})
        EXPECT_EQ(error_of(Kind::Items, "[[item]]\nkind = " + std::to_string(kind) + "\n", "i"), "")
            << kind;
    for (int kind : {-1, 25, 99, 112})
        EXPECT_NE(error_of(Kind::Items, "[[item]]\nkind = " + std::to_string(kind) + "\n", "i"), "")
            << kind;
    EXPECT_EQ(error_of(Kind::Items, "[[item_range]]\nfirst = 300\nkind = 23\n", "items.toml"),
              "items.toml:1: an item_range needs first and last");
    EXPECT_EQ(error_of(Kind::Items, "[[item_range]]\nfirst = 300\nlast = 299\n", "items.toml"),
              "items.toml:3: last is 299; it must be 300..512");
    EXPECT_EQ(error_of(Kind::Items, "[[item_range]]\nfirst = 300\nlast = 513\n", "items.toml"),
              "items.toml:3: last is 513; it must be 300..512");

    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nreq_level = -1\n", "classes.toml"),
              "classes.toml:2: req_level is -1; it must be 0..9999");
    EXPECT_EQ(error_of(Kind::Jobs, "[[class]]\nark_cost = -5\n", "classes.toml"),
              "classes.toml:2: ark_cost is -5; it must be 0..2147483647");

    // The save: the stage, and the byte-sized fields of a character.
    EXPECT_EQ(error_of(Kind::Save, "stage_no = 62\n", "my.toml"),
              "my.toml:1: stage_no is 62; it must be 0..61");
    EXPECT_EQ(error_of(Kind::Save, "stage_no = -1\n", "my.toml"),
              "my.toml:1: stage_no is -1; it must be 0..61");
    EXPECT_EQ(error_of(Kind::Save, "[[chara]]\nstate = 5\n", "my.toml"),
              "my.toml:2: state is 5; it must be 0..4");
    EXPECT_EQ(error_of(Kind::Save, "[[chara]]\nsex = 4\n", "my.toml"),
              "my.toml:2: sex is 4; it must be 0..3");
    EXPECT_EQ(error_of(Kind::Save, "[[chara]]\noath = 256\n", "my.toml"),
              "my.toml:2: oath is 256; it must be 0..255");
    EXPECT_EQ(error_of(Kind::Save, "[[chara]]\nx = 256\n", "my.toml"),
              "my.toml:2: x is 256; it must be 0..255");
    EXPECT_EQ(error_of(Kind::Save, "place_flags_values = [[3, 256]]\n", "my.toml"),
              "my.toml:1: the value of place 3 is out of range");
    EXPECT_EQ(error_of(Kind::Save, "place_flags_values = [[3, -1]]\n", "my.toml"),
              "my.toml:1: the value of place 3 is out of range");
    EXPECT_EQ(error_of(Kind::Save, "place_flags = [256]\n", "my.toml"),
              "my.toml:1: place numbers in place_flags must be 0..255");
    EXPECT_EQ(error_of(Kind::Save, "skill_flags = [51]\n", "my.toml"),
              "my.toml:1: skill family numbers in skill_flags must be 0..50");
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datc.h"
#include "state/cp932.h"
#include "state/data_files.h"

using namespace lum;
using lum::datc::Kind;

namespace {

struct Loaded {
    std::array<TEnemyEntry, kStageEnemies> enemies{};
    std::array<TScriptLine, kScriptLines> script{};
};

Loaded load(const std::string& dat) {
    Loaded l;
    DatReader r(dat, "test.dat");
    read_enemies_and_script(r, l.enemies, l.script);
    return l;
}

std::string stage(const std::string& src) {
    return datc::compile(Kind::Stage, src, "story5.txt");
}
std::string people(const std::string& src) {
    return datc::compile(Kind::People, src, "people3.txt");
}

// The formatted message of the compile error, or "" when the source compiled.
std::string error_of(Kind kind, const std::string& src, const std::string& name = "story5.txt") {
    try {
        datc::compile(kind, src, name);
    } catch (const DataError& e) {
        return datc::format_error(e);
    }
    return "";
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(DatcScript, CompilesEnemiesAndCommandsIntoThe240LineLayout) {
    const std::string dat = stage(
        "# a comment\n"
        "enemy 2\n"
        "  name      闇の使い\n"
        "  profile   黒い外套の男。\n"
        "  sex       1\n"
        "  job       4\n"
        "  state     1\n"
        "  speech    行かせない！\n"
        "\n"
        "bg bg_church.bmp\r\n"
        "text 鐘が鳴る。\n"
        "money -30\n"
        "next_stage\n");

    // Every value a line, CR LF, CP932; 40 enemy lines then 100 code/arg pairs.
    std::string expected;
    auto line = [&](const std::string& s) { expected += *utf8_to_cp932(s) + "\r\n"; };
    for (int k = 0; k < 5; ++k) {
        if (k == 1) {
            for (const char* s :
                 {"闇の使い", "黒い外套の男。", "", "", "1", "4", "1", "行かせない！"})
                line(s);
        } else {
            for (const char* s : {"", "", "", "", "0", "0", "0", ""}) line(s);
        }
    }
    const std::vector<std::pair<std::string, std::string>> cmds = {
        {"1", "bg_church.bmp"}, {"0", "鐘が鳴る。"}, {"5", "-30"}, {"3", ""}};
    for (const auto& [c, a] : cmds) {
        line(c);
        line(a);
    }
    for (int i = 4; i < 100; ++i) {
        line("0");
        line("");
    }
    EXPECT_EQ(dat, expected);
}

TEST(DatcScript, EveryNamedCommandMapsToItsCode) {
    const char* names[] = {"text",
                           "bg",
                           "music",
                           "next_stage",
                           "choice",
                           "money",
                           "quit",
                           "ark",
                           "pause",
                           "join",
                           "open",
                           "close",
                           "give_item",
                           "spacer",
                           "portrait",
                           "join_reserve",
                           "learn",
                           "back_to_travel",
                           "leave",
                           "plain_choice",
                           "title",
                           "zoom",
                           "zoom_close",
                           "title_now",
                           "next_stage_here",
                           "credits"};
    const char* args[] = {"あ",     "a.bmp", "b.mid", "",   "", "5",     "",       "7",  "",
                          "ルクサ", "10",    "11",    "12", "", "c.bmp", "ザビナ", "16", "",
                          "18",     "",      "題",    "",   "", "題",    "",       "end"};
    std::string src;
    for (int i = 0; i < 26; ++i) src += std::string(names[i]) + " " + args[i] + "\n";
    src += "next_stage\n";
    Loaded l = load(stage(src));
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(l.script[i].code, i) << names[i];
        EXPECT_EQ(l.script[i].arg, args[i]) << names[i];
    }
    EXPECT_EQ(l.script[26].code, 3);
}

TEST(DatcScript, ArgumentsKeepInnerBlanksAndQuotedEnds) {
    Loaded l =
        load(stage("credits   ＳＴＡＦＦ  roll  \n"
                   "credits \"  indented \"\n"
                   "credits \"\"quoted\"\"\n"
                   "text 　全角の空白で始まる\n"
                   "code 200 raw  arg\n"
                   "quit\n"));
    EXPECT_EQ(l.script[0].arg, "ＳＴＡＦＦ  roll");
    EXPECT_EQ(l.script[1].arg, "  indented ");
    EXPECT_EQ(l.script[2].arg, "\"quoted\"");
    EXPECT_EQ(l.script[3].arg, "　全角の空白で始まる");
    EXPECT_EQ(l.script[4].code, 200);
    EXPECT_EQ(l.script[4].arg, "raw  arg");
}

TEST(DatcScript, AtPlacesEntriesAndDecompilesBackToTheSameBytes) {
    const std::string src =
        "title_now 終わり\n"
        "back_to_travel\n"
        "at 96\n"
        "text もうひとつ。\n"
        "text \n"
        "spacer x\n"
        "back_to_travel\n";
    const std::string dat = stage(src);
    Loaded l = load(dat);
    EXPECT_EQ(l.script[1].code, 17);
    EXPECT_EQ(l.script[2], TScriptLine{});
    EXPECT_EQ(l.script[95], TScriptLine{});
    EXPECT_EQ(l.script[96].arg, "もうひとつ。");
    EXPECT_EQ(l.script[97], TScriptLine{});
    EXPECT_EQ(l.script[99].code, 17);

    const std::string back = datc::decompile(Kind::Stage, dat, "story61.dat");
    EXPECT_NE(back.find("at 96\n"), std::string::npos);
    EXPECT_EQ(stage(back), dat);
}

TEST(DatcScript, DecompilesOddDatFilesIntoSourcesThatCompileToTheSameBytes) {
    // Hand-made file: an enemy with only a speech, an unknown code, blanks and a quote at the ends
    // of arguments, and a short file that reads the rest as empty.
    std::string raw;
    auto line = [&](const std::string& s) { raw += *utf8_to_cp932(s) + "\r\n"; };
    for (int k = 0; k < 5; ++k)
        for (const char* s : {"", "", "", "", "0", "0", k == 4 ? "2" : "0", k == 4 ? "ふふ" : ""})
            line(s);
    for (const char* s : {"2", " 左に空白", "200", "\"引用\"", "13", "", "17", ""}) line(s);

    const std::string src = datc::decompile(Kind::People, raw, "people1.dat");
    const std::string dat = people(src);
    Loaded a = load(raw), b = load(dat);
    EXPECT_EQ(a.enemies, b.enemies);
    EXPECT_EQ(a.script, b.script);
    EXPECT_EQ(datc::decompile(Kind::People, dat, "people1.dat"), src);
}

TEST(DatcScript, RefusesFaultsWithFileLineAndReason) {
    const std::string end = "next_stage\n";
    EXPECT_EQ(error_of(Kind::Stage, "text よし\njump 3\n" + end),
              "story5.txt:2: unknown command \"jump\"");
    EXPECT_EQ(error_of(Kind::Stage, "money 12a\n" + end),
              "story5.txt:1: money needs a number, not \"12a\"");
    EXPECT_EQ(error_of(Kind::Stage, "ark\n" + end), "story5.txt:1: ark needs a number");
    EXPECT_EQ(
        error_of(Kind::Stage, "\n\ntext ＯＫ、でもAはだめ\n" + end),
        "story5.txt:3: text holds the one-byte character \"A\"; the story text box takes only "
        "two-byte characters");
    EXPECT_EQ(
        error_of(Kind::Stage, "text ﾊﾙﾃｨｱ\n" + end),
        "story5.txt:1: text holds the one-byte character \"ﾊ\"; the story text box takes only "
        "two-byte characters");
    EXPECT_EQ(error_of(Kind::Stage, "text " + repeat("あ", 103) + "\n" + end),
              "story5.txt:1: text is 103 characters long; the text box holds 6 rows of 17 (102 "
              "characters)");
    EXPECT_EQ(error_of(Kind::Stage, "text " + repeat("あ", 102) + "\n" + end), "");
    EXPECT_EQ(error_of(Kind::Stage, "title 虹🌈\n" + end),
              "story5.txt:1: \"🌈\" cannot be written in Shift-JIS (CP932)");
    EXPECT_EQ(error_of(Kind::Stage, repeat("spacer\n", 100) + end),
              "story5.txt:101: more than 100 script entries (the script holds entries 0..99)");
    EXPECT_EQ(error_of(Kind::Stage, repeat("spacer\n", 99) + end), "");
    EXPECT_EQ(error_of(Kind::Stage, "text いち\nchoice\n"),
              "story5.txt:2: a stage script must end with next_stage, quit, back_to_travel or "
              "next_stage_here");
    EXPECT_EQ(error_of(Kind::Stage, "# nothing\n"),
              "story5.txt: a stage script must end with next_stage, quit, back_to_travel or "
              "next_stage_here");
    for (const char* ending : {"quit", "back_to_travel", "next_stage_here"})
        EXPECT_EQ(error_of(Kind::Stage, std::string(ending) + "\n"), "") << ending;
    EXPECT_EQ(
        error_of(Kind::People, "text やあ\nnext_stage\n", "people3.txt"),
        "people3.txt:2: next_stage works only in stage scripts (a conversation would stop on it)");
    EXPECT_EQ(error_of(Kind::People, "text やあ\nspacer\n", "people3.txt"),
              "people3.txt:2: a conversation must end with back_to_travel");
    EXPECT_EQ(error_of(Kind::Stage, "open 256\n" + end),
              "story5.txt:1: open needs a place number 0..255, not 256");
    EXPECT_EQ(error_of(Kind::Stage, "give_item 513\n" + end),
              "story5.txt:1: give_item needs an item number 0..512, not 513");
    EXPECT_EQ(error_of(Kind::Stage, "leave 0\n" + end),
              "story5.txt:1: leave needs a character number 1..30, not 0");
    EXPECT_EQ(
        error_of(Kind::Stage, "learn 3\n" + end),
        "story5.txt:1: learn 3 teaches nothing (1 teaches families 2..5, 6..50 one family each)");
    EXPECT_EQ(error_of(Kind::Stage, "bg\n" + end), "story5.txt:1: bg needs a picture file name");
    EXPECT_EQ(error_of(Kind::Stage, "join\n" + end),
              "story5.txt:1: join needs the new member's name");
    EXPECT_EQ(error_of(Kind::Stage, "code 256 x\n" + end),
              "story5.txt:1: code needs a number 0..255, not \"256\"");
    EXPECT_EQ(error_of(Kind::Stage, "spacer\nspacer\nat 1\n" + end),
              "story5.txt:3: at 1 goes back: entries up to 1 are already written");
    EXPECT_EQ(error_of(Kind::Stage, "at 100\n" + end),
              "story5.txt:1: at needs an entry number 0..99, not \"100\"");
}

TEST(DatcScript, RefusesBrokenEnemyBlocks) {
    const std::string end = "next_stage\n";
    EXPECT_EQ(error_of(Kind::Stage, "enemy 6\n" + end),
              "story5.txt:1: enemy needs a number 1..5, not \"6\"");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 1\nenemy 1\n" + end),
              "story5.txt:2: enemy 1 is given twice");
    EXPECT_EQ(error_of(Kind::Stage, "  name ぽつん\n" + end),
              "story5.txt:1: an indented line belongs to an enemy block (enemy 1..5)");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 1\n  name a\ntext あ\n  job 3\n" + end),
              "story5.txt:4: an indented line belongs to an enemy block (enemy 1..5)");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 3\n  job 51\n" + end),
              "story5.txt:2: job needs a class number 0..50, not \"51\"");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 3\n  state x\n" + end),
              "story5.txt:2: state needs a state number 0..4, not \"x\"");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 3\n  sex 1\n  sex 0\n" + end),
              "story5.txt:3: sex is given twice for enemy 3");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 3\n  hp 10\n" + end),
              "story5.txt:2: unknown enemy field \"hp\" (name, profile, sprite, portrait, sex, "
              "job, state, speech)");
    EXPECT_EQ(error_of(Kind::Stage, "enemy 3\n  name 🐉\n" + end),
              "story5.txt:2: \"🐉\" cannot be written in Shift-JIS (CP932)");
}

TEST(DatcScript, WarnsAboutATextRowThatWouldBeginWithAClosingMark) {
    auto warnings_of = [](Kind kind, const std::string& src, const std::string& name) {
        std::vector<std::string> w;
        datc::compile(kind, src, name, &w);
        return w;
    };
    const std::string row = repeat("あ", 17);
    // 」 as the 18th character opens row 2; 。 as the 35th opens row 3. The line still compiles.
    EXPECT_EQ(warnings_of(Kind::Stage, "text " + row + "」\ntext " + row + row + "。\nnext_stage\n",
                          "story5.txt"),
              (std::vector<std::string>{
                  "story5.txt:1: warning: text row 2 begins with \"」\" (the text box breaks "
                  "every 17 characters); reword the line",
                  "story5.txt:2: warning: text row 3 begins with \"。\" (the text box breaks "
                  "every 17 characters); reword the line"}));
    // Every closing mark counts, in conversations too, and through the raw code form.
    for (const char* mark : {"』", "）", "】", "、", "！", "？"}) {
        SCOPED_TRACE(mark);
        EXPECT_EQ(
            warnings_of(Kind::People, "code 0 " + row + mark + "\nback_to_travel\n", "people3.txt")
                .size(),
            1u);
    }
    // A mark that ends row 1, one inside a row, an opening mark at a row head, and the same
    // characters in arguments that are not text-box lines say nothing.
    EXPECT_TRUE(warnings_of(Kind::Stage,
                            "text " + repeat("あ", 16) +
                                "」\n"
                                "text " +
                                row +
                                "あ」\n"
                                "text " +
                                row +
                                "「あ」\n"
                                "title " +
                                row +
                                "」\n"
                                "next_stage\n",
                            "story5.txt")
                    .empty());
}

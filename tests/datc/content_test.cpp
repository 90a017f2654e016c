// The authored tables checked against the rules that read them: a class's texts must say what
// the battle lets that class do, every item kind and card outcome must be reachable, every
// fighting place must have its own battle map.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "battle/techniques.h"
#include "datc.h"
#include "manifest.h"
#include "state/data_files.h"

using namespace lum;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<GameState> tables() {
    auto gs = std::make_unique<GameState>();
    const fs::path data = fs::path(LUM_SOURCE_DIR) / "data" / "tables";
    auto read = [&](const char* source, datc::Kind kind, void (*reader)(DatReader&, GameState&)) {
        const fs::path p = data / source;
        DatReader r(datc::compile(kind, read_file_bytes(p), p.string()), source);
        reader(r, *gs);
    };
    read("classes.toml", datc::Kind::Jobs, read_job);
    read("skills.toml", datc::Kind::Skills, read_magic);
    read("places.toml", datc::Kind::Places, read_place);
    read("items.toml", datc::Kind::Items, read_item);
    read("oaths.toml", datc::Kind::Oaths, read_tikai);
    return gs;
}

const char* const kAttrNames[kAttrCount] = {"体力", "魔力", "秩序", "冷静", "機工",
                                            "正義", "闇",   "獣",   "過去", "速さ"};

std::string full_width(int n) {
    static const char* const digits[] = {"０", "１", "２", "３", "４",
                                         "５", "６", "７", "８", "９"};
    std::string s;
    for (char c : std::to_string(n)) s += digits[c - '0'];
    return s;
}

}  // namespace

TEST(Content, ClassTextsSayWhatTheClassMayUseAndHowItGrows) {
    auto gs = tables();
    for (int job = 0; job < kJobCount; ++job) {
        SCOPED_TRACE("class " + std::to_string(job));
        const TJob& j = gs->job_table[job];
        // Families 1..14 the battle leaves enabled, then the two no class loses (万古の技
        // does nothing, so it is not offered as a skill).
        const auto enabled = families_enabled_for_class(job);
        std::string skills;
        for (int f = 1; f <= 14; ++f)
            if (enabled[f]) skills += (skills.empty() ? "" : "・") + family_caption(f);
        skills += "・ダンス・カード";
        EXPECT_EQ(j.skills_text, skills);

        std::string growth;
        for (int a = 0; a < kAttrCount; ++a)
            if (j.growth[a] != 0)
                growth += (growth.empty() ? "" : "・") + std::string(kAttrNames[a]) + "＋" +
                          full_width(j.growth[a]);
        EXPECT_EQ(j.growth_text, growth.empty() ? "なし" : growth);
        EXPECT_FALSE(j.about.empty());
        EXPECT_FALSE(j.name.empty());
    }
    // The party box enables アーチャー only for women and ガンマン only for the others.
    EXPECT_EQ(gs->job_table[2].sex_rule, 1);
    EXPECT_EQ(gs->job_table[3].sex_rule, 0);
    // Classes 1..25 grow harder to reach: level and Ark never fall back.
    for (int job = 2; job <= 25; ++job) {
        EXPECT_GE(gs->job_table[job].req_level, gs->job_table[job - 1].req_level) << job;
        EXPECT_GE(gs->job_table[job].ark_cost, gs->job_table[job - 1].ark_cost) << job;
    }
    EXPECT_EQ(gs->job_table[25].req_level, 50);
}

TEST(Content, EveryItemKindAndCardOutcomeCanBeMet) {
    auto gs = tables();
    std::set<int> kinds, cards, swords, scores;
    for (int i = 0; i < kFirstCardSlot; ++i) {
        const TItem& it = gs->item_table[i];
        if (it.name.empty()) continue;
        SCOPED_TRACE(it.name);
        kinds.insert(it.kind);
        if (it.kind == kCardKind) {
            cards.insert(it.value);
            EXPECT_EQ(it.name.rfind("card･", 0), 0u) << "a card is named like a captured one";
        }
        if (it.kind == 100) swords.insert(it.value);
        if (it.kind == 24) {
            scores.insert(it.value);
            EXPECT_FALSE(datc::score_piece(it.value).empty());
        }
    }
    for (int k = 0; k <= 24; ++k) EXPECT_TRUE(kinds.count(k)) << "no item of kind " << k;
    for (int k = 100; k <= 105; ++k) EXPECT_TRUE(kinds.count(k)) << "no sword of kind " << k;
    for (int v = 0; v <= 27; ++v) EXPECT_TRUE(cards.count(v)) << "no card of value " << v;
    for (int v = 1; v <= 23; ++v) EXPECT_TRUE(scores.count(v)) << "no 楽譜 plays piece " << v;
    EXPECT_EQ(swords, (std::set<int>{1, 2, 3, 4, 5})) << "the five 封印剣 releases";

    // What the new game and the story hand out.
    EXPECT_EQ(gs->item_table[47].kind, 24);
    EXPECT_EQ(gs->item_table[1].kind, 0);
    EXPECT_EQ(gs->item_table[252].kind, 100);
    EXPECT_EQ(gs->item_table[252].value, 5);
    // Inheritance names the giver: a party slot or a slot the story keeps members in (21..30).
    for (const TItem& it : gs->item_table) {
        if (it.kind == 22) {
            EXPECT_TRUE((it.value >= 1 && it.value <= 5) || (it.value >= 21 && it.value <= 30))
                << it.name;
        }
    }
}

TEST(Content, EveryFightingPlaceHasItsOwnBattleMap) {
    auto gs = tables();
    const std::set<int> fighting = {0,   1,   2,   3,   4,   6,   7,   8,   9,   10,  11, 13,  14,
                                    15,  16,  20,  21,  28,  29,  30,  34,  35,  37,  38, 101, 17,
                                    102, 103, 105, 107, 108, 109, 110, 111, 112, 113, 114};
    for (int p = 0; p < kPlaceCount; ++p) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "map%03d.bmp", p);
        EXPECT_EQ(gs->place_table[p].map_file, fighting.count(p) ? expected : "") << p;
        EXPECT_FALSE(gs->place_table[p].name.empty()) << p;
    }
}

TEST(Content, SkillTextsNameTheirFamilysStrength) {
    auto gs = tables();
    // The 哀古力 line of each technique is the share of 哀古 its damage adds.
    const std::pair<int, std::array<const char*, 4>> shares[] = {
        {1, {"1/3", "1/2", "100%", "200%"}}, {2, {"1/8", "1/8", "1/8", "1/8"}},
        {3, {"1/4", "1/4", "1/4", "1/4"}},   {4, {"1/5", "1/5", "1/5", "1/5"}},
        {5, {"1/4", "1/4", "1/4", "1/4"}},   {6, {"1/8", "1/8", "1/8", "1/8"}},
        {8, {"1/7", "1/7", "1/7", "1/7"}},   {10, {"1/3", "1/3", "1/3", "1/3"}},
        {11, {"2/3", "3/4", "4/5", "100%"}}, {12, {"1/5", "1/5", "1/5", "100%"}},
        {16, {"1/3", "1/2", "100%", "200%"}}};
    for (const auto& [family, lines] : shares)
        for (int s = 1; s <= 4; ++s)
            EXPECT_EQ(gs->skill_table[family][s].text1, lines[s - 1]) << family << "/" << s;
    // Families that add no 哀古 say so.
    for (int family : {9, 13, 14, 18})
        for (int s = 1; s <= 4; ++s) EXPECT_EQ(gs->skill_table[family][s].text1, "なし");
}

// Plays the story's road through the authored scripts the way the travel screen and the story
// player would: at every stage the place that plays it must be on the map, the party must be
// able to fight, recruits must be people the game knows, and every chapter opens with a card.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "forms.h"
#include "state/dat_text.h"

using namespace lum;
namespace fs = std::filesystem;

namespace {

constexpr int kJoin = 9, kOpen = 10, kClose = 11, kLeave = 18, kTitle = 20, kTitleNow = 23;
constexpr int kNextStage = 3, kBackToTravel = 17, kNextStageHere = 24;

datc::ParsedScript script_of(const std::string& dir, const std::string& prefix, int n) {
    const fs::path p =
        fs::path(LUM_SOURCE_DIR) / "data" / dir / (prefix + std::to_string(n) + ".txt");
    return datc::parse_script(read_file_bytes(p), p.string(), dir == "people");
}

// The region box each place button sits in; the button shows while both flags are set.
int region_of(int place) {
    static const std::map<int, std::vector<int>> regions = {
        {100, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 30, 101, 115, 116, 117, 120}},
        {12, {10, 11, 13, 14, 15, 16, 17, 18, 102, 125}},
        {19, {20, 21, 22, 23, 24, 103, 118, 119, 121, 126, 127}},
        {25, {26,  27,  28,  29,  35,  36,  37,  38,  99,  104, 105,
              106, 107, 108, 109, 110, 111, 112, 113, 114, 128, 129}},
        {31, {32, 33, 34, 122, 123, 124}},
        {39, {40, 42, 43, 44, 45, 46}},
    };
    for (const auto& [region, places] : regions)
        for (int p : places)
            if (p == place) return region;
    return -1;
}

struct Stage {
    int place;
    bool battle;
};

// Which place plays which stage (stage 45's scene plays at m99 after the lost battle at m29).
const std::map<int, Stage>& stages() {
    static const std::map<int, Stage> r = {
        {0, {0, true}},    {1, {0, false}},   {2, {1, true}},    {3, {2, true}},
        {4, {4, false}},   {5, {3, true}},    {6, {6, true}},    {7, {4, false}},
        {8, {2, true}},    {9, {0, false}},   {10, {4, true}},   {11, {0, true}},
        {12, {1, true}},   {13, {4, true}},   {14, {7, true}},   {15, {3, false}},
        {16, {8, true}},   {17, {0, false}},  {18, {9, true}},   {19, {9, false}},
        {20, {10, true}},  {21, {10, false}}, {22, {11, true}},  {23, {11, true}},
        {24, {14, false}}, {25, {15, true}},  {26, {15, false}}, {27, {15, true}},
        {28, {18, false}}, {29, {16, true}},  {30, {14, true}},  {31, {14, false}},
        {32, {21, false}}, {33, {21, false}}, {34, {21, true}},  {35, {20, false}},
        {36, {20, true}},  {37, {23, false}}, {38, {20, true}},  {39, {22, false}},
        {40, {26, false}}, {41, {27, false}}, {42, {28, false}}, {43, {28, false}},
        {44, {29, false}}, {45, {29, true}},  {46, {30, false}}, {47, {32, false}},
        {48, {33, false}}, {49, {34, true}},  {50, {32, false}}, {51, {32, false}},
        {52, {34, true}},  {53, {29, false}}, {54, {29, true}},  {55, {26, false}},
        {56, {35, false}}, {57, {37, true}},  {58, {38, true}},  {59, {36, false}},
        {60, {28, true}},  {61, {40, false}},
    };
    return r;
}

const std::set<std::string>& cast() {
    static const std::set<std::string> c = {"ルミナリア", "トゥルネア", "ルクサ",
                                            "ハルティア", "ﾊﾙﾃｨｱ",      "メルヴィ",
                                            "ザビナ",     "月影院楓",   "月影院睦月"};
    return c;
}

class Road {
  public:
    Road() {
        flags_[0] = flags_[100] = 1;
        state_[1] = 1;
        name_[1] = "ルミナリア";
    }

    bool visible(int place) const {
        const int region = region_of(place);
        return region >= 0 && flags_[region] && (flags_[place] || place == 34);
    }
    void open(int p) { flags_[p] = 1; }
    void close(int p) { flags_[p] = 0; }
    int open_regions() const {
        int n = 0;
        for (int r : {100, 12, 19, 25, 31, 39}) n += flags_[r] != 0;
        return n;
    }

    void copy(int from, int to) {
        state_[to] = state_[from];
        name_[to] = name_[from];
    }
    void empty(int slot) { state_[slot] = 0; }
    void set_state(int slot) { state_[slot] = 1; }
    int party_size() const {
        int n = 0;
        for (int i = 1; i <= 5; ++i) n += state_[i] != 0;
        return n;
    }
    // The party box puts a newcomer after the highest occupied slot.
    int join(const std::string& name) {
        int slot = 1;
        for (int i = 1; i <= 5; ++i)
            if (state_[i]) slot = i + 1;
        if (slot <= 5) {
            state_[slot] = 1;
            name_[slot] = name;
        }
        return slot;
    }
    bool in_party(const std::string& name) const {
        for (int i = 1; i <= 5; ++i)
            if (state_[i] && name_[i] == name) return true;
        return false;
    }
    const std::string& name(int slot) const { return name_[slot]; }

    // The travel events of the place that plays `stage`, before its scene or battle.
    void travel_event(int stage) {
        switch (stage) {
            case 1:
                open(122), open(125);
                break;
            case 19:
                copy(1, 26), copy(2, 21), copy(3, 22);
                for (int i = 1; i <= 5; ++i) empty(i);
                open(12), open(13), open(10), close(100);
                break;
            case 31:
                close(12), open(19), open(20), open(21), open(24);
                copy(1, 23), copy(2, 24), copy(3, 25), copy(22, 1), copy(21, 2), empty(3);
                break;
            case 36:
                copy(21, 2);
                break;
            case 39:
                copy(1, 22), copy(23, 1), copy(24, 2), copy(25, 3);
                set_state(1), set_state(2), set_state(3);
                open(25), open(26);
                break;
            case 46:
                copy(1, 23), copy(2, 24), copy(3, 25), copy(26, 1);
                for (int i = 2; i <= 5; ++i) empty(i);
                open(31), open(32), open(33), open(34);
                break;
            case 52:
                close(31), open(25);
                break;
            case 55:
                copy(2, 27), copy(3, 28), copy(23, 2), copy(24, 3), copy(25, 4);
                for (int i = 1; i <= 4; ++i) set_state(i);
                break;
            case 60:
                close(25), open(39), open(40);
                break;
            default:
                break;
        }
    }

  private:
    std::array<int, 256> flags_{};
    std::array<int, 31> state_{};
    std::array<std::string, 31> name_{};
};

}  // namespace

TEST(StoryFlow, EveryStageIsReachableWithAPartyThatCanPlayIt) {
    Road road;
    std::set<int> opened;
    for (int stage = 0; stage <= 61; ++stage) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        const Stage& at = stages().at(stage);
        const datc::ParsedScript s = script_of("stages", "story", stage);

        int fighting = 0;
        for (const TEnemyEntry& e : s.enemies) {
            fighting += e.state != 0;
            // Classes above 20 have no enemy behaviour: such an enemy never acts.
            if (e.state != 0) {
                EXPECT_LE(e.job, 20) << e.name;
            }
        }
        if (at.battle) {
            EXPECT_GT(fighting, 0) << "a battle stage needs an enemy that takes part";
            if (stage == 0) {
                EXPECT_LE(fighting, 2) << "the hero fights alone with 5 HP";
            }
        } else {
            EXPECT_EQ(fighting, 0) << "a scene's enemies are never fought";
        }

        // Stage 0's victory goes straight on into stage 1's scene: no click in between.
        if (stage != 1) {
            if (stage == 45) {
                EXPECT_TRUE(road.visible(29)) << "m29 is not on the map";
                road.open(99);  // the battle cannot be won; m99 then plays the scene
                EXPECT_TRUE(road.visible(99)) << "m99 is not on the map";
                road.close(99), road.close(25), road.close(9), road.open(100), road.open(30);
            } else {
                EXPECT_TRUE(road.visible(at.place))
                    << "place " << at.place << " that plays the stage is not on the map";
                road.travel_event(stage);
            }
        }
        if (at.battle && stage != 0) {
            EXPECT_GT(road.party_size(), 0) << "nobody to fight with";
        }
        if (stage == 0) continue;  // its scene is never played

        bool title = false;
        int ending = -1;
        for (int i = 0; i < kScriptLines; ++i) {
            const TScriptLine& l = s.script[i];
            if (s.lines[i] == 0) continue;
            const std::string where = "line " + std::to_string(s.lines[i]);
            if (l.code == kOpen) road.open(std::stoi(l.arg)), opened.insert(std::stoi(l.arg));
            if (l.code == kClose) road.close(std::stoi(l.arg));
            if (l.code == kLeave) road.empty(std::stoi(l.arg));
            if (l.code == kTitle || l.code == kTitleNow) title = true;
            if (l.code == kJoin) {
                EXPECT_TRUE(cast().count(l.arg)) << where << ": " << l.arg << " is not in the cast";
                EXPECT_FALSE(road.in_party(l.arg)) << where << ": " << l.arg << " joins twice";
                EXPECT_LE(road.join(l.arg), 5) << where << ": a sixth member";
            }
            if (l.code == kNextStage || l.code == kNextStageHere || l.code == kBackToTravel) {
                ending = l.code;
                if (stage != 61) break;  // the second ending at 96.. is played from the title
            }
        }
        const bool chapter = stage == 1 || stage == 11 || stage == 20 || stage == 32 ||
                             stage == 40 || stage == 46 || stage == 53 || stage == 60;
        if (chapter) {
            EXPECT_TRUE(title) << "a chapter opens with a title card";
        }
        if (stage < 61) {
            EXPECT_TRUE(ending == kNextStage || ending == kNextStageHere)
                << "the scene must move the story on";
            EXPECT_GT(road.party_size(), 0) << "the scene leaves the party empty";
            EXPECT_EQ(road.open_regions(), 1) << "exactly one region shows on the travel map";
        }
    }

    // Every people place is opened by some stage.
    for (int p : {101, 17, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114})
        EXPECT_TRUE(opened.count(p)) << "people place " << p << " is never opened";
}

TEST(StoryFlow, PeopleFilesFightOrTalkAsTheirPlacesExpect) {
    for (int n = 0; n <= 29; ++n) {
        SCOPED_TRACE("people" + std::to_string(n));
        const datc::ParsedScript s = script_of("people", "people", n);
        int fighting = 0;
        for (const TEnemyEntry& e : s.enemies) {
            fighting += e.state != 0;
            if (e.state != 0) {
                EXPECT_LE(e.job, 20) << e.name;
            }
        }
        const bool battle = n <= 14 && n != 4 && n != 6;
        if (battle)
            EXPECT_GT(fighting, 0) << "a region battle needs an enemy";
        else
            EXPECT_EQ(fighting, 0) << "a conversation's enemies are never fought";
        for (int i = 0; i < kScriptLines; ++i) {
            if (s.script[i].code == kJoin) {
                EXPECT_TRUE(cast().count(s.script[i].arg)) << s.script[i].arg;
            }
        }
    }
}

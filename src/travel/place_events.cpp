#include "travel/place_events.h"

#include <algorithm>

namespace lum {

namespace {

using Act = std::function<void(PlaceActions&)>;

TChara& ch(PlaceActions& a, int i) {
    return a.state().chara_at(i);
}
void copy(PlaceActions& a, int from, int to) {
    ch(a, to) = ch(a, from);
}
void flags(PlaceActions& a, std::initializer_list<int> ns, byte v) {
    for (int n : ns) a.state().place_flags[n] = v;
}

const Act story = [](PlaceActions& a) { a.story(); };
const Act story_battle = [](PlaceActions& a) { a.story_battle(); };
const Act random_battle = [](PlaceActions& a) { a.random_battle(); };
Act say(const char* text) {
    return [text](PlaceActions& a) { a.message(text); };
}

// The default of the places the story has not reached yet.
const char* const kSealedDoor = "扉は堅く閉ざされている";

// The hero's first 哀古, given twice in the opening.
void white_hole(PlaceActions& a) {
    ch(a, 1).aiko_power = 60;
    ch(a, 1).aiko_name = "ﾎﾜｲﾄﾎｰﾙ";
}

// Region battles and conversations: the file is read first; a file that cannot be read starts
// nothing.
Act region_battle_of(int file) {
    return [file](PlaceActions& a) {
        if (a.load_people(file)) a.region_battle();
    };
}
Act talk_of(int file) {
    return [file](PlaceActions& a) {
        if (!a.load_people(file)) return;
        a.state().people_mode = true;
        a.story();
    };
}
// The far places of the sky land stay shut until the story opens the way at stage 49.
Act guarded_region_battle_of(int file) {
    return [file](PlaceActions& a) {
        if (a.state().stage_no <= 48) {
            a.message("強い力によって入る事ができない。");
            return;
        }
        if (a.load_people(file)) a.region_battle();
    };
}

std::vector<PlaceEvent> build() {
    std::vector<PlaceEvent> t = {
        // --- the home region
        {"m0",
         0,
         {{{0},
           [](PlaceActions& a) {
               ch(a, 1).max_hp = 5;
               a.story_battle();
               a.state().stage_no = 1;
               a.load_stage();
           }},
          {{1},
           [](PlaceActions& a) {
               a.story();
               white_hole(a);
               flags(a, {122, 125}, 1);
           }},
          {{9, 17}, story},
          {{11}, story_battle}},
         say("今は用はないだろう。")},
        {"m1",
         1,
         {{{2},
           [](PlaceActions& a) {
               ch(a, 1).max_hp = 45;
               white_hole(a);
               a.story_battle();
           }},
          {{12}, story_battle}},
         say("閉館中です。")},
        {"m2", 2, {{{3, 8}, story_battle}}, random_battle},
        {"m3", 3, {{{5}, story_battle}, {{15}, story}}, random_battle},
        {"m4",
         4,
         {{{4, 7},
           [](PlaceActions& a) {
               a.story();
               ch(a, 3).sex = 1;
           }},
          {{10, 13}, story_battle}},
         say("教会は閉館中です。")},
        {"m6", 6, {{{6}, story_battle}}, random_battle},
        {"m7", 7, {{{14}, story_battle}}, nullptr},
        {"m8", 8, {{{16}, story_battle}}, nullptr},
        {"m9",
         9,
         {{{18}, story_battle},
          {{19},
           [](PlaceActions& a) {
               a.story();
               copy(a, 1, 26);
               copy(a, 2, 21);
               copy(a, 3, 22);
               for (int i = 1; i <= 5; ++i) ch(a, i).state = kStateEmpty;
               ch(a, 1).sex = 0;
               ch(a, 2).sex = 1;
               ch(a, 3).sex = 1;
               flags(a, {12, 13, 10}, 1);
               flags(a, {100}, 0);
           }}},
         nullptr},
        {"m30",
         30,
         {{{46},
           [](PlaceActions& a) {
               copy(a, 1, 23);
               copy(a, 2, 24);
               copy(a, 3, 25);
               copy(a, 26, 1);
               for (int i = 2; i <= 5; ++i) ch(a, i).state = kStateEmpty;
               flags(a, {31, 32, 33, 34}, 1);
               a.story();
           }}},
         random_battle},

        // --- the desert land
        {"m10", 10, {{{20}, story_battle}, {{21}, story}}, say("研究所には入れません")},
        {"m11", 11, {{{22, 23}, story_battle}}, random_battle},
        {"m13", 13, {}, random_battle},
        {"m14",
         14,
         {{{24}, story},
          {{30}, story_battle},
          {{31},
           [](PlaceActions& a) {
               a.story();
               flags(a, {12}, 0);
               flags(a, {19, 20, 21, 24}, 1);
               copy(a, 1, 23);
               copy(a, 2, 24);
               copy(a, 3, 25);
               copy(a, 22, 1);
               copy(a, 21, 2);
               ch(a, 3).state = kStateEmpty;
           }}},
         say("寺院の門は閉ざされています")},
        {"m15",
         15,
         {{{25, 27}, story_battle},
          {{26},
           [](PlaceActions& a) {
               a.story();
               ch(a, 2).sex = 0;
           }}},
         say("天空城の門は閉ざされています。")},
        {"m16",
         16,
         {{{29}, story_battle}},
         [](PlaceActions& a) {
             a.random_battle();
             for (int i = 1; i <= 5; ++i)
                 if (a.state().random(3) == 0) ch(a, i).lifespan += 1;
         }},
        {"m18", 18, {{{28}, story}}, nullptr},

        // --- the northern land
        {"m20",
         20,
         {{{35}, story},
          {{36},
           [](PlaceActions& a) {
               copy(a, 21, 2);
               a.story_battle();
           }},
          {{38}, story_battle}},
         say("ヴェスカ城の門は閉ざされています")},
        {"m21", 21, {{{32, 33}, story}, {{34}, story_battle}}, say("奴隷街の門は閉ざされています")},
        {"m22",
         22,
         {{{39},
           [](PlaceActions& a) {
               copy(a, 1, 22);
               for (int i = 1; i <= 3; ++i) {
                   copy(a, 22 + i, i);
                   ch(a, i).state = kStateNormal;
               }
               flags(a, {25, 26}, 1);
               a.state().item_owned[252] = 1;
               a.story();
           }}},
         nullptr},
        {"m23", 23, {{{37}, story}}, nullptr},
        {"m24", kNoArea, {}, say("行くことはかないません")},

        // --- the sky land
        {"m26",
         26,
         {{{40}, story},
          {{55},
           [](PlaceActions& a) {
               a.story();
               copy(a, 2, 27);
               copy(a, 3, 28);
               copy(a, 23, 2);
               copy(a, 24, 3);
               copy(a, 25, 4);
               for (int i = 1; i <= 4; ++i) ch(a, i).state = kStateNormal;
           }}},
         say(kSealedDoor)},
        {"m27", 27, {{{41}, story}}, say(kSealedDoor)},
        {"m28",
         28,
         {{{42, 43}, story},
          {{60},
           [](PlaceActions& a) {
               a.story_battle();
               a.once_won([](GameState& gs) {
                   gs.place_flags[25] = 0;
                   gs.place_flags[39] = gs.place_flags[40] = 1;
               });
           }}},
         say(kSealedDoor)},
        {"m29",
         29,
         {{{44, 53}, story},
          {{45},
           [](PlaceActions& a) {
               // Written after the setup, so they act on the first enemy it placed.
               a.story_battle();
               TChara& boss = ch(a, 11);
               boss.hp = boss.max_hp = boss.aiko_power = 99999;
               flags(a, {99}, 1);
           }},
          {{54}, story_battle}},
         say(kSealedDoor)},
        {"m99",
         kNoArea,
         {{{45},
           [](PlaceActions& a) {
               flags(a, {99, 25, 9}, 0);
               flags(a, {100, 30}, 1);
               a.story();
           }}},
         say("門が閉じられている。")},
        {"m35", 35, {{{56}, story}}, random_battle},
        {"m36", 36, {{{59}, story}}, say("閉店しているようだ")},
        {"M37", 37, {{{57}, story_battle}}, random_battle},
        {"m38", 38, {{{58}, story_battle}}, random_battle},

        // --- the sea land
        {"m32", 32, {{{47, 50, 51}, story}}, say("門は堅く閉じられている。")},
        {"m33", 33, {{{48}, story}}, say("今は用はないだろう。")},
        {"m34",
         34,
         {{{49}, story_battle},
          {{52},
           [](PlaceActions& a) {
               a.story_battle();
               a.once_won([](GameState& gs) {
                   gs.place_flags[31] = 0;
                   gs.place_flags[25] = 1;
               });
           }}},
         random_battle},

        // --- space (m40 asks first: see the travel model)
        {"m40",
         40,
         {{{61},
           [](PlaceActions& a) {
               a.story();
               a.state().clear_mark = 100;
           }}},
         say("行くことはかなわない。")},

        // --- buttons that share another's event
        {"BitBtn2",
         kNoArea,
         {},
         [](PlaceActions& a) {
             flags(a, {41, 42, 43, 44, 45, 46}, 1);
             a.state().battle_area = 13;
             a.random_battle();
         }},
        {"BitBtn10", 16, {}, random_battle},
    };

    // The plains buttons all run the m13 event, the transport ships the m34 event.
    const PlaceEvent m13 =
        *std::find_if(t.begin(), t.end(), [](auto& e) { return e.button == "m13"; });
    const PlaceEvent m34 =
        *std::find_if(t.begin(), t.end(), [](auto& e) { return e.button == "m34"; });
    for (const char* b : {"BitBtn22", "BitBtn25", "BitBtn27"}) {
        t.push_back(m13);
        t.back().button = b;
    }
    for (const char* b : {"BitBtn24", "BitBtn26", "BitBtn29", "BitBtn30", "BitBtn31", "BitBtn33"}) {
        t.push_back(m34);
        t.back().button = b;
    }

    // People places: the file is the button's number (m17 is file 1), read before the action.
    const std::pair<int, int> fights[] = {{101, 0}, {17, 1},  {102, 2}, {103, 3},
                                          {105, 5}, {107, 7}, {108, 8}};
    for (auto [place, file] : fights)
        t.push_back({"m" + std::to_string(place), place, {}, region_battle_of(file)});
    for (int file = 9; file <= 14; ++file)
        t.push_back(
            {"m" + std::to_string(100 + file), 100 + file, {}, guarded_region_battle_of(file)});
    for (int file : {4, 6})
        t.push_back({"m" + std::to_string(100 + file), 100 + file, {}, talk_of(file)});
    for (int file = 15; file <= 29; ++file)
        t.push_back({"m" + std::to_string(100 + file), 100 + file, {}, talk_of(file)});
    return t;
}

}  // namespace

const std::vector<PlaceEvent>& place_events() {
    static const std::vector<PlaceEvent> kEvents = build();
    return kEvents;
}

const PlaceEvent* find_place_event(const std::string& button) {
    for (const PlaceEvent& e : place_events())
        if (e.button == button) return &e;
    return nullptr;
}

void run_place_event(const PlaceEvent& ev, PlaceActions& a) {
    if (ev.area != kNoArea) a.state().battle_area = static_cast<byte>(ev.area);
    const int s = a.state().stage_no;
    for (const StageCase& c : ev.cases)
        if (std::find(c.stages.begin(), c.stages.end(), s) != c.stages.end()) {
            c.act(a);
            return;
        }
    if (ev.otherwise) ev.otherwise(a);
}

}  // namespace lum

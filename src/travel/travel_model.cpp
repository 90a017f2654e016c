#include "travel/travel_model.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "battle/battle_context.h"
#include "state/data_files.h"
#include "state/item_use.h"

namespace lum {

namespace {

const char* const kWhereTo = "どこへ行きますか？";
const char* const kSaved = "セーブしました";
inline constexpr int kToastTicks = 40;  // two seconds of 50 ms ticks

const std::vector<std::string> kClassShops = {"m5",       "BitBtn13", "BitBtn14",
                                              "BitBtn15", "BitBtn21", "BitBtn23"};
const std::vector<std::string> kCardShops = {"card_b",   "BitBtn9",  "BitBtn11",
                                             "BitBtn20", "BitBtn34", "BitBtn36"};
const std::vector<std::string> kSwordShops = {"BitBtn1", "BitBtn16", "BitBtn32", "BitBtn35",
                                              "BitBtn37"};
const std::vector<std::string> kShips = {"m34",      "BitBtn24", "BitBtn26", "BitBtn29",
                                         "BitBtn30", "BitBtn31", "BitBtn33"};

bool among(const std::vector<std::string>& set, const std::string& b) {
    return std::find(set.begin(), set.end(), b) != set.end();
}

std::vector<std::string> numbered(const char* prefix, std::initializer_list<int> ns) {
    std::vector<std::string> v;
    for (int n : ns) v.push_back(prefix + std::to_string(n));
    return v;
}

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

// The region boxes and their buttons, as the map shows them.
const std::vector<std::pair<int, std::vector<std::string>>>& region_table() {
    static const std::vector<std::pair<int, std::vector<std::string>>> kRegions = {
        {100, join({numbered("m", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 30, 101, 115, 116, 117, 120}),
                    {"m41a", "card_b"}})},
        {12, join({numbered("m", {10, 11, 13, 14, 15, 16, 17, 18, 102, 125}),
                   {"m41c", "BitBtn13", "BitBtn9", "BitBtn1", "BitBtn10"}})},
        {19, join({numbered("m", {20, 21, 22, 23, 24, 103, 118, 119, 121, 126, 127}),
                   {"m41e", "BitBtn14", "BitBtn16", "BitBtn11", "BitBtn25"}})},
        {25, join({numbered("m", {26, 27, 28, 29, 35, 36}),
                   {"M37"},
                   numbered("m", {38, 99, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114,
                                  128, 129}),
                   {"m41b", "BitBtn15", "BitBtn27", "BitBtn20", "BitBtn32"}})},
        {31, join({numbered("m", {32, 33, 34, 122, 123, 124}),
                   {"m41d", "BitBtn21", "BitBtn22", "BitBtn24", "BitBtn26", "BitBtn29", "BitBtn30",
                    "BitBtn31", "BitBtn33", "BitBtn35", "BitBtn34"}})},
        {39, join({numbered("m", {40, 42, 43, 44, 45, 46}),
                   {"BitBtn23", "BitBtn36", "BitBtn37", "BitBtn2"}})},
    };
    return kRegions;
}

// What the pointer over a button describes: a place entry or a fixed text, and whether only a
// press shows it.
struct Description {
    Description(int place, std::string text, bool on_press = false)
        : place(place), text(std::move(text)), on_press(on_press) {}
    int place;  // -1: the fixed text
    std::string text;
    bool on_press;
};

std::optional<Description> describe(const std::string& b) {
    static const char* const kDoor = "<時空の扉>\r\r時空を越えて旅をします。";
    static const char* const kSword =
        "<ソードショップ>"
        "\r\r【剣】タイプのアイテムから、霊力を解放してくれる。【剣】を見つけたら持って行こう"
        "。";
    static const char* const kCard =
        "<カードショップ>"
        "\r\r【card】を、品物や能力と交換してくれる。レアなカードな程、いい物と交換してくれる"
        "よ。";
    static const char* const kPreacher =
        "<謎の伝道師>"
        "\r\r世界を渡り歩く奇怪な科学者。旅で出会う者たちに自分の知識を分け与えていると言う。";
    static const char* const kMaster = "<マスター>\r\r世界に７人いるマスター達の１人。";

    if (b.rfind("m41", 0) == 0 || (b.size() == 3 && b >= "m42" && b <= "m46"))
        return Description{-1, kDoor};
    if (among(kSwordShops, b)) return Description{-1, kSword};
    if (among(kCardShops, b)) return Description{-1, kCard};
    if (among(kClassShops, b)) return Description{5, ""};
    if (among(kShips, b)) return Description{34, ""};
    if (b == "BitBtn22" || b == "BitBtn25" || b == "BitBtn27" || b == "BitBtn2")
        return Description{13, ""};
    if (b == "BitBtn10") return Description{16, "", true};
    const int n = button_number(b);
    switch (n) {
        case 115:
        case 116:
        case 117:
        case 119:
        case 120:
            return Description{-1, kPreacher};
        case 118:
        case 121:
        case 124:
            return Description{-1, kMaster};
        case 99:
            return Description{29, ""};
        case 122:
        case 123:
            return Description{122, ""};
        case 125:
        case 127:
        case 129:
            return Description{25, ""};
        case 126:
        case 128:
            return Description{26, ""};
        default:
            break;
    }
    if (n >= 14 && n <= 18) return Description{n, "", true};
    if ((n >= 0 && n <= 40) || (n >= 101 && n <= 114)) return Description{n, ""};
    return std::nullopt;
}

}  // namespace

int button_number(const std::string& b) {
    if (b.size() < 2 || (b[0] != 'm' && b[0] != 'M')) return -1;
    if (b.rfind("m41", 0) == 0 && b.size() == 4) return 41;
    int n = 0;
    for (size_t i = 1; i < b.size(); ++i) {
        if (b[i] < '0' || b[i] > '9') return -1;
        n = n * 10 + (b[i] - '0');
        if (n > 255) return -1;
    }
    return n;
}

int button_region(const std::string& button) {
    for (const auto& [box, buttons] : region_table())
        if (among(buttons, button)) return box;
    return -1;
}

const std::vector<std::string>& region_buttons(int box) {
    static const std::vector<std::string> kNone;
    for (const auto& [b, buttons] : region_table())
        if (b == box) return buttons;
    return kNone;
}

bool button_flag_shown(const std::string& button, const std::array<byte, kPlaceCount>& flags) {
    if (button == "m34") return true;
    const int n = button_number(button);
    return n < 0 || flags[n] != 0;
}

bool button_on_map(const std::string& button, const std::array<byte, kPlaceCount>& flags) {
    const int box = button_region(button);
    return box >= 0 && flags[box] != 0 && button_flag_shown(button, flags);
}

// The place events' view of the world.
class TravelModel::Actions : public PlaceActions {
  public:
    explicit Actions(TravelModel& m) : m_(m) {}
    GameState& state() override { return m_.gs_; }
    void story() override {
        m_.screens_.hide(ScreenId::travel);
        m_.screens_.show(ScreenId::story);
        m_.gs_.script_pos = 0;
        m_.gs_.char_pos = 0;
    }
    void story_battle() override { start(m_.starts_.story); }
    void region_battle() override { start(m_.starts_.region); }
    void random_battle() override { start(m_.starts_.random); }
    void message(const std::string& text) override { m_.set_message(text); }
    bool load_people(int n) override {
        return guarded_data_step(m_.dialogs_, [&] { lum::load_people(m_.gs_, n); });
    }
    bool load_stage() override {
        return guarded_data_step(m_.dialogs_, [&] { lum::load_stage(m_.gs_); });
    }
    void once_won(std::function<void(GameState&)> step) override {
        m_.once_won_ = std::move(step);
        m_.once_won_stage_ = m_.gs_.stage_no;
    }

  private:
    static void start(const std::function<void()>& f) {
        if (f) f();
    }
    TravelModel& m_;
};

TravelModel::TravelModel(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens,
                         BattleStarts starts)
    : gs_(gs), dialogs_(dialogs), sound_(sound), screens_(screens), starts_(std::move(starts)) {
    my_cg = "my0.bmp";
    kao.fill("my0.bmp");
}

void TravelModel::set_message(const std::string& text, bool yellow) {
    moji_l = text;
    moji_l_yellow = yellow;
}

void TravelModel::FormShow() {
    // Back from the battle that was to move the map on: won (and the story went on), or not.
    if (once_won_) {
        if (gs_.stage_no > once_won_stage_) once_won_(gs_);
        once_won_ = nullptr;
    }
    gs_.sel_unit = 1;
    refresh_party_list();
    refresh_portraits();
    refresh_item_list();
    set_message(kWhereTo);
    gs_.people_mode = false;
    static const char* const kMusic[10] = {"ro_mer1.mid", "ro_mer5.mid", "ro_mer7.mid", "ame.mid",
                                           "ame.mid",     "ame.mid",     "ame.mid",     "ame.mid",
                                           "cl_15.mid",   "cl_12.mid"};
    // Two draws in twelve leave whatever plays running.
    const int r = gs_.random(12);
    if (r < 10) sound_.play_music(kMusic[r]);
    hyoji_box = false;
    Timer3Timer();
    Timer2Timer();
}

void TravelModel::refresh_party_list() {
    party_list.clear();
    party_chars.clear();
    for (int i = kFirstParty; i <= kLastReserve; ++i)
        if (gs_.chara[i].state != kStateEmpty) {
            party_list.push_back(gs_.chara[i].name);
            party_chars.push_back(i);
        }
    party_row = party_list.empty() ? -1 : 0;
}

void TravelModel::refresh_portraits() {
    for (int i = kFirstParty; i <= kLastParty; ++i)
        kao[i] = portrait_file(gs_.chara[i].name, gs_.stage_no);
}

void TravelModel::refresh_item_list() {
    item_list = owned_item_entries(gs_);
    item_row = -1;
    item_about.clear();
}

void TravelModel::Timer1Timer() {
    show_class_details(class_shop, gs_);
}

void TravelModel::Timer2Timer() {
    const int u = gs_.sel_unit;
    status = status_panel_texts(gs_, u, PanelScreen::travel);
    // Reserve members have no portrait holder: the previous picture stays.
    if (u >= kFirstParty && u <= kLastParty) my_cg = kao[u];
    if (toast_ticks_ > 0 && --toast_ticks_ == 0) toast.clear();
}

void TravelModel::Timer3Timer() {
    if (gs_.stage_no > 5) card_b = true;
    shown_flags_ = gs_.place_flags;
}

bool TravelModel::visible(const std::string& button) const {
    if (button == "card_b") return card_b;
    return button_flag_shown(button, shown_flags_);
}

void TravelModel::hover(const std::string& button) {
    auto d = describe(button);
    if (!d || d->on_press) return;
    map_about_l = d->place < 0
                      ? d->text
                      : "<" + gs_.place_at(d->place).name + ">\r" + gs_.place_at(d->place).text;
}

void TravelModel::press(const std::string& button) {
    auto d = describe(button);
    if (!d || !d->on_press) return;
    map_about_l = "<" + gs_.place_at(d->place).name + ">\r" + gs_.place_at(d->place).text;
}

std::string TravelModel::place_name(const std::string& button) const {
    auto d = describe(button);
    if (!d) return {};
    if (d->place >= 0) return gs_.place_at(d->place).name;
    const size_t close = d->text.find('>');
    return d->text.rfind('<', 0) == 0 && close != std::string::npos ? d->text.substr(1, close - 1)
                                                                    : std::string();
}

void TravelModel::map_hover(int box) {
    if (box == 100) {
        map_about_l = kHomeRegionText;
        return;
    }
    map_about_l = "<" + gs_.place_at(box).name + ">\r" + gs_.place_at(box).text;
}

void TravelModel::space_door(const std::string& b) {
    auto& f = gs_.place_flags;
    static const std::pair<const char*, int> kDoors[] = {
        {"m41a", 100}, {"m41c", 12}, {"m41e", 19}, {"m41b", 25}, {"m41d", 31}};
    for (auto [door, region] : kDoors)
        if (b == door) {
            f[39] = 1;
            f[region] = 0;
            return;
        }
    static const std::pair<const char*, int> kPlanets[] = {
        {"m43", 25}, {"m44", 12}, {"m45", 31}, {"m46", 19}};
    if (b == "m42") {
        f[39] = 0;
        f[31] = 0;
        f[100] = 1;
        return;
    }
    for (auto [planet, region] : kPlanets)
        if (b == planet) {
            f[39] = 0;
            f[region] = 1;
        }
}

void TravelModel::click(const std::string& button) {
    if (among(kClassShops, button)) {
        card_box = ken_box = false;
        open_class_shop(class_shop, gs_, sound_, moji_l);
        moji_l_yellow = false;
        return;
    }
    if (among(kCardShops, button)) return open_shop(true);
    if (among(kSwordShops, button)) return open_shop(false);
    if (button.rfind("m41", 0) == 0 || (button.size() == 3 && button >= "m42" && button <= "m46"))
        return space_door(button);
    if (button == "m40" && !dialogs_.ask_yes_no("もう戻れなくなります。よろしいですか？")) return;
    const PlaceEvent* ev = find_place_event(button);
    if (!ev) return;
    Actions a(*this);
    run_place_event(*ev, a);
}

void TravelModel::BitBtn18Click() {
    if (starts_.random) starts_.random();
}

void TravelModel::party_listMouseDown(int row) {
    // A row names its own character, so a gap in the roster never selects the wrong one.
    if (row < 0 || row >= static_cast<int>(party_chars.size())) {
        gs_.sel_unit = 0;
        party_row = -1;
        return;
    }
    party_row = row;
    gs_.sel_unit = static_cast<byte>(party_chars[row]);
}

void TravelModel::item_listMouseDown(int row) {
    gs_.sel_item = 0;
    if (row < 0 || row >= static_cast<int>(item_list.size())) {
        item_row = -1;
        return;
    }
    item_row = row;
    gs_.sel_item = pick_item(gs_, item_list[row].second);
    const TItem& it = gs_.item_at(gs_.sel_item);
    item_about = it.text;
    if (is_sword_kind(it.kind)) {
        ken_l = it.name;
        ken_l2 = sword_fee_text(gs_, gs_.sel_item);
    } else {
        ken_l.clear();
        ken_l2 = "解放料金 0円";
    }
    if (it.kind == kKindCard) {
        card_l = it.name;
        card_l2 = card_fee_text(gs_, gs_.sel_item);
        item_about = item_about_text(gs_, gs_.sel_item);
    } else {
        card_l.clear();
        card_l2 = "交換料金 0円";
    }
}

void TravelModel::item_useClick() {
    moji_l_yellow = false;
    auto refuse = [&](const char* text) {
        set_message(text);
        sound_.play_effect("off1.wav");
    };
    if (item_row < 0) return refuse("アイテムが選択されていません");
    if (gs_.sel_unit == 0) return refuse("キャラクターが選択されていません。");
    const TItem& it = gs_.item_at(gs_.sel_item);
    const bool card = it.kind == kKindCard, sword = is_sword_kind(it.kind);
    if (card && !card_box) return refuse("【カード】は【カードショップ】へ持っていこう。");
    if (!card && card_box) return refuse("それは【カード】じゃないよ。");
    if (sword && !ken_box)
        return refuse("【剣タイプ】のアイテムは【ソードショップ】に持っていかないと使えません。");
    if (!sword && ken_box) return refuse("それは【剣タイプ】のアイテムじゃないよ。");

    gs_.cur_unit = gs_.sel_unit;
    ItemUseResult r = use_item(gs_, dialogs_, sound_, gs_.sel_item, false);
    if (!r.applied) {
        // A refusal for money speaks; a "No" leaves the line as it was.
        if (!r.message.empty()) set_message(r.message);
        return;
    }
    if (r.consumed && sword) {
        ken_l.clear();
        ken_l2 = "解放料金 0円";
    }
    if (card && (r.consumed || it.value == 27)) {
        card_l.clear();
        card_l2 = "交換料金 0円";
    }
    set_message(r.message, r.yellow);
    refresh_item_list();
}

void TravelModel::job_listMouseDown(int row) {
    if (row < 0 || row >= static_cast<int>(class_shop.job_list.size())) return;
    class_shop.job_row = row;
    gs_.sel_job = static_cast<byte>(row);
}

void TravelModel::BitBtn17Click() {
    moji_l_yellow = false;
    change_class(gs_, dialogs_, sound_, moji_l);
}

// The card and the sword shop reuse the item box; a visit lengthens lives by chance.
void TravelModel::open_shop(bool cards) {
    sound_.play_ok_sound();
    class_shop.mara_box = false;
    card_box = cards;
    ken_box = !cards;
    if (cards) {
        item_use_caption = "【カード】の交換";
        card_l.clear();
        card_l2 = "交換料金 0円";
        set_message(
            "ｶｰﾄﾞﾏｽﾀｰ「何かカードもってる？持っているカードを選択して、【カードの交換】ボタンを押し"
            "てよ。」");
    } else {
        item_use_caption = "【剣】の解放";
        ken_l.clear();
        ken_l2 = "解放料金 0円";
        set_message(
            "ｿｰﾄﾞﾏｽﾀｰ「さぁ、あんたの持ってるアイテムの中から使いたい【剣】を選びな。選んだら【剣の"
            "解放】ボタンを押せ。」");
    }
    item_row = -1;
    item_about.clear();
    item_mark = true;
    for (int i = kFirstParty; i <= kLastParty; ++i)
        if (gs_.random(2) == 0) add_sat(gs_.chara[i].lifespan, cards ? 1 : 2);
}

void TravelModel::back_click() {
    class_shop.mara_box = false;
    set_message("「また来てね」");
    ken_box = card_box = false;
    item_use_caption = "アイテム使用";
    item_mark = false;
    item_row = -1;
    sound_.play_ok_sound();
}

bool TravelModel::escape() {
    if (class_shop.mara_box || card_box || ken_box) {
        back_click();
        return true;
    }
    if (hyoji_box) {
        hyoji_box = false;
        return true;
    }
    return false;
}

void TravelModel::TrackBar1Change(int position) {
    track_position = std::clamp(position, 1, 9);
    gs_.char_delay_ms = track_position * 10;
}

void TravelModel::BitBtn4Click() {
    sound_.play_effect("mowa.wav");
    if (guarded_data_step(dialogs_, [&] { save_game(gs_); })) {
        toast = kSaved;
        toast_ticks_ = kToastTicks;
    }
}

void TravelModel::BitBtn5Click() {
    sound_.play_step_sound();
    if (!dialogs_.ask_yes_no("セーブしてゲームを終了します。よろしいですか？")) return;
    sound_.play_effect("mowa.wav");
    screens_.close(ScreenId::battle);
}

void TravelModel::BitBtn12Click() {
    sound_.play_step_sound();
    if (!dialogs_.ask_yes_no("※「セーブせずに」ゲームを終了します。よろしいですか？")) return;
    gs_.save_on_close = false;
    screens_.close(ScreenId::battle);
}

void TravelModel::step_stage(int delta) {
    const int next = gs_.stage_no + delta;
    if (next < 0 || next > kEndingStage) {
        set_message("stage " + num(next) + " はありません。");
        return;
    }
    const std::string file = stage_file_name(next);
    if (!std::filesystem::exists(gs_.dat_path(file))) {
        set_message(file + " が見つかりません。");
        return;
    }
    // A stage file that fails part-way leaves the stage as it was.
    const int before = gs_.stage_no;
    const auto enemies = gs_.stage_enemies;
    const auto script = gs_.script;
    gs_.stage_no = next;
    if (!guarded_data_step(dialogs_, [&] { load_stage(gs_); })) {
        gs_.stage_no = before;
        gs_.stage_enemies = enemies;
        gs_.script = script;
    }
}

void TravelModel::Button15Click() {
    step_stage(+1);
}
void TravelModel::Button16Click() {
    step_stage(-1);
}

}  // namespace lum

#include "story/party_box.h"

namespace lum {

std::string recruit_portrait(const std::string& name, int stage_no) {
    if (name == "トゥルネア") return "my2.bmp";
    if (name == "ルクサ") return "my15.bmp";
    if (name == "ﾊﾙﾃｨｱ" || name == "ハルティア") return "my3.bmp";
    // Two recruits come back older after stage 29.
    if (name == "メルヴィ") return stage_no < 29 ? "my17.bmp" : "my18.bmp";
    if (name == "ザビナ") return stage_no < 29 ? "my14.bmp" : "my16.bmp";
    if (name == "月影院楓") return "my43.bmp";
    if (name == "月影院睦月") return "my42.bmp";
    return "my0.bmp";
}

std::string attribute_summary(const TChara& c) {
    // 闇 and 獣 are padded with an ideographic space to line up with the two-letter names.
    static constexpr const char* kLabels[kAttrCount] = {
        "体力 ", "魔力 ", "秩序 ", "冷静 ", "機工 ", "正義 ", "闇　 ", "獣　 ", "過去 ", "速さ "};
    std::string s;
    for (int k = 0; k < kAttrCount; ++k) {
        if (k) s += '\r';
        s += kLabels[k] + std::to_string(c.attr(k));
    }
    return s;
}

void PartyBox::open_box() {
    x = 0;
    visible = true;
    state_l1_visible = state_l2_visible = state_l3_visible = false;
    state_box1_visible = true;
    state_box2_visible = state_box3_visible = false;
    party_ok_b_enabled = false;
}

// What both kinds of newcomer get, drawn in this order after their own first draws.
void PartyBox::fill_common(TChara& c, const std::string& name) {
    c.name = name;
    c.state = kStateNormal;
    c.body = 5;
    c.magic = gs_.random(3);
    c.order = gs_.random(5);
    c.calm = gs_.random(5);
    c.mech = gs_.random(3);
    c.exp = 0;
    c.aiko_power = 10 + gs_.random(2);
    c.aiko_name = gs_.aiko_name_at(c.aiko_power / 5);
    c.lifespan = 30 + gs_.random(30);
    caption = name;
}

bool PartyBox::open_party_member(const std::string& name, bool story_player) {
    int last = 0;
    for (int i = kFirstParty; i <= kLastParty; ++i)
        if (gs_.chara[i].state != kStateEmpty) last = i;
    if (last == kLastParty) return false;  // a sixth member would land on the first reserve
    open_box();
    gs_.edit_slot = static_cast<byte>(last + 1);
    TChara& c = edited();

    if (story_player) {
        // A missing portrait leaves the last one showing.
        canvas_.load_picture(kPartyPortraitPicture,
                             gs_.cg_path(recruit_portrait(name, gs_.stage_no)));
        j_a1_enabled = c.sex == 1;
        j_a2_enabled = c.sex != 1;
        job_about_l2.clear();
        job_about_l3.clear();
    }

    c.level = 1;
    c.max_hp = gs_.random(5) + gs_.stage_no + 29;
    c.max_mp = gs_.random(5) + 10;
    c.justice = c.dark = c.beast = c.past = c.speed = 0;
    fill_common(c, name);
    state_box_l = "▼" + name + "のｸﾗｽを選択して下さい";
    return true;
}

bool PartyBox::open_reserve_member(const std::string& name) {
    int last = kFirstReserve - 1;
    for (int i = kFirstReserve; i <= kLastReserve; ++i)
        if (gs_.chara[i].state != kStateEmpty) last = i;
    if (last == kLastReserve) return false;  // slot 11 is the first enemy's
    open_box();
    gs_.edit_slot = static_cast<byte>(last + 1);
    TChara& c = edited();

    c.level = gs_.chara[1].level - (1 + gs_.random(2));
    if (c.level < 0) c.level = 1;
    c.max_hp = 4 * c.level + 25;
    c.max_mp = 3 * c.level + 10;
    fill_common(c, name);  // 正義 to 速さ keep their values
    return true;
}

void PartyBox::class_click(int i) {
    if (!visible || !state_box1_visible || i < 0 || i >= int(kClassButtons.size())) return;
    const ClassButton& b = kClassButtons[i];
    if ((i == 2 && !j_a1_enabled) || (i == 3 && !j_a2_enabled)) return;
    TChara& c = edited();
    c.job = b.job;
    c.attr(b.attr) += b.base + gs_.random(5);
    state_l1 = gs_.job_at(c.job).name;
    state_l1_visible = true;
    state_box1_visible = false;
    state_box2_visible = true;
}

void PartyBox::class_hover(int i) {
    if (i < 0 || i >= int(kClassButtons.size())) return;
    const TJob& j = gs_.job_at(kClassButtons[i].job);
    job_about_l = "◆LVUP時の成長要素:\r" + j.growth_text;
    job_about_l2 = "◆使用可能な技:\r" + j.skills_text;
    job_about_l3 = j.about;
}

void PartyBox::state_box1MouseMove() {
    job_about_l.clear();
    job_about_l2.clear();
    job_about_l3.clear();
}

void PartyBox::attr_click(int k) {
    if (!visible || !state_box2_visible || k < 0 || k >= kAttrCount) return;
    TChara& c = edited();
    c.attr(k) += 4 + gs_.random(gs_.stage_no);
    state_l2 = attribute_summary(c);
    state_l2_visible = true;
    state_box2_visible = false;
    state_box3_visible = true;
}

void PartyBox::oath_click(int value) {
    if (!visible || !state_box3_visible || value < 1 || value > int(kOathButtons.size())) return;
    edited().oath = value;
    state_l3 = gs_.oath_at(value);
    state_l3_visible = true;
    party_ok_b_enabled = true;
    state_box1_visible = state_box2_visible = state_box3_visible = false;
}

bool PartyBox::finish() {
    if (!visible || !party_ok_b_enabled) return false;
    visible = false;
    return true;
}

}  // namespace lum

#include "travel/class_change.h"

#include "battle/battle_context.h"

namespace lum {

namespace {

const char* class_sex_mark(int rule) {
    switch (rule) {
        case 0:
            return "♂";
        case 1:
            return "♀";
        case 2:
            return "♂♀";
        default:
            return "？";
    }
}

std::string lines(const char* const (&words)[5], const std::array<int, kAttrCount>& req, int from) {
    std::string s;
    for (int k = 0; k < 5; ++k) {
        if (k) s += "\r";
        s += std::string(words[k]) + " " + num(req[from + k]);
    }
    return s;
}

}  // namespace

int class_list_length(int s) {
    if (s >= 60) return 26;
    if (s >= 55) return 23;
    if (s >= 53) return 22;
    if (s >= 46) return 21;
    if (s >= 32) return 16;
    if (s >= 12) return 11;
    return 6;
}

void open_class_shop(ClassShop& shop, GameState& gs, Sound& sound, std::string& moji_l) {
    moji_l = "ﾃﾞｨﾙﾊ「いらっしゃい。誰をどのクラスにチェンジしたい？」";
    gs.sel_job = 0;
    sound.play_ok_sound();
    shop.mara_box = true;
    shop.job_list.clear();
    for (int a = 0; a < class_list_length(gs.stage_no); ++a)
        shop.job_list.push_back(gs.job_at(a).name);
    shop.job_row = 0;
    for (int i = kFirstParty; i <= kLastParty; ++i)
        if (gs.random(2) == 0) add_sat(gs.chara[i].lifespan, 2);
}

void show_class_details(ClassShop& shop, const GameState& gs) {
    if (!shop.mara_box) return;
    const TJob& j = gs.job_at(gs.sel_job);
    const TChara& u = gs.chara[gs.sel_unit < kCharaCount ? gs.sel_unit : 0];
    shop.job_about_l = "◆LVUP時の成長要素:\r" + j.growth_text;
    shop.job_about_l2 = "◆使用可能な技:\r" + j.skills_text;
    shop.job_about_l3 = j.about;
    shop.job_name1 = gs.job_at(u.job).name;
    shop.job_name2 = j.name;
    shop.job_name0 = u.name;
    shop.job_state1 = "Ｌｖ " + num(j.req_level) + "\rsex " + class_sex_mark(j.sex_rule);
    static const char* const kFirst[5] = {"体力", "魔力", "秩序", "冷静", "機工"};
    static const char* const kSecond[5] = {"正義", "闇　", "獣　", "過去", "速さ"};
    shop.job_state2 = lines(kFirst, j.req, 0);
    shop.job_state3 = lines(kSecond, j.req, 5);
    shop.job_state4 = "必要Ａｒｋ " + num(j.ark_cost);
}

void change_class(GameState& gs, Dialogs& dialogs, Sound& sound, std::string& moji_l) {
    const int a = gs.sel_job;
    const TJob& j = gs.job_at(a);
    TChara& u = gs.chara_at(gs.sel_unit);
    auto refuse = [&](const std::string& text) {
        sound.play_effect("off1.wav");
        moji_l = text;
    };
    if (gs.sel_unit >= kFirstReserve && gs.sel_unit <= kLastReserve)
        return refuse("ﾃﾞｨﾙﾊ「その人はクラス・チェンジはできないの」");
    if (j.sex_rule == 0 && u.sex != 0)
        return refuse("ﾃﾞｨﾙﾊ「そのクラスは男の子じゃないとなれないわよ。」");
    if (j.sex_rule == 1 && u.sex != 1)
        return refuse("ﾃﾞｨﾙﾊ「そのクラスは女の子じゃないとなれないわよ。」");
    if (u.level < j.req_level)
        return refuse("ﾃﾞｨﾙﾊ「そのクラスになるにはレベル" + num(j.req_level) + "必要なのよ？」");
    for (int k = 0; k < kAttrCount; ++k)
        if (u.attr(k) < j.req[k])
            return refuse(
                "ﾃﾞｨﾙﾊ「そのクラスになるには、まだステータスが足りないよ、もっと修行しなきゃね。"
                "」");
    if (gs.ark < j.ark_cost) return refuse("ﾃﾞｨﾙﾊ「Ａｒｋが足りないよ？」");

    sound.play_step_sound();
    const std::string from = gs.job_at(u.job).name;
    if (!dialogs.ask_yes_no(u.name + "のクラスを\r【" + from + "】→【" + j.name +
                            "】\rへとチェンジします。\rよろしいですか？"))
        return;
    gs.ark -= j.ark_cost;
    u.job = static_cast<byte>(a);
    sound.play_ok_sound();
    moji_l = u.name + "のクラスが【" + j.name + "】になった！";
}

}  // namespace lum

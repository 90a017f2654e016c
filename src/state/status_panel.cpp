#include "state/status_panel.h"

#include <array>

#include "state/numbers.h"

namespace lum {

namespace {

struct EnemyClass {
    std::string name;
    std::string about;
};

const std::array<EnemyClass, 22>& enemy_classes() {
    static const std::array<EnemyClass, 22> kClasses = {{
        {"武道家", "武道家クラス。前方１マスしか攻撃できない。"},
        {"格闘家", "格闘家クラス。後方以外の１マスに攻撃できるため、うかつに近寄れない。"},
        {"双剣士", "双剣士クラス。前方斜めのみ攻撃できる。真正面からの攻撃に対処できない。"},
        {"夜剣士",
         "夜剣士クラス。前方斜め、前方１マスを攻撃できる鉄壁の戦士。目の前から突っ込むのは無謀だろ"
         "う"
         "。"},
        {"アーチャー",
         "アーチャークラス。前方３～５マスにいるユニットを遠距離攻撃できるが、接近戦は対処不能。"},
        {"ガンマン",
         "ガンマンクラス。前方２マス目の上・中・下３マスにいるユニットを中距離攻撃できる。接近戦は"
         "対"
         "処不能だが、射線を忘れると危険。"},
        {"僧侶",
         "僧侶クラス。自分をはじめ、自分の北・南に位置するユニットを回復させれる。更に正面攻撃にも"
         "対"
         "応しているが、回復を優先。一気に倒さないとすぐ回復されてしまうだろう。"},
        {"セイレーン",
         "セイレーンクラス。どこにいようとも１ユニットに魔法攻撃をしかけてくる。早めに倒さないと始"
         "末"
         "におえない。"},
        {"ウィッチ",
         "ウィッチクラス。仲間の哀古の力を引き出す能力を持ち、前方の攻撃にも対応。後で哀古奪取を考"
         "慮"
         "すればほっとくのも手だが、強くなりすぎた哀古を持つユニットを倒すのも一苦労。"},
        {"野武士",
         "野武士クラス。前方１マス目の上・中・下を一度に攻撃可能な豪腕クラス。その上、横、後ろの攻"
         "撃"
         "も素早く対応してくるため、遠距離からの攻撃で倒すのがベスト。"},
        {"魔剣士",
         "魔剣士クラス。魔法と剣を使い分けてくるため、かなり厄介。早めに倒しておこう。双剣士と同じ"
         "く"
         "正面に対処できないので、そこが狙い目だ。"},
        {"ﾎﾜｲﾄﾅｲﾄ",
         "ﾎﾜｲﾄﾅｲﾄクラス。回復能力を持ち、且つ双剣士としての能力も備えるナイト。弱点である正面から一"
         "気"
         "に叩け！"},
        {"ﾀﾞｰｸﾅｲﾄ",
         "ﾀﾞｰｸﾅｲﾄクラス。前方上・中・下３マスを攻撃できる上に、魔法まで使ってくる。早めに遠距離攻撃"
         "か"
         "、真横から体術で倒そう。"},
        {"ｼｭﾃｨﾝｸﾞ･ﾌﾗﾜｰ",
         "ｼｭﾃｨﾝｸﾞ･ﾌﾗﾜｰクラス。銃と弓矢の両方を使いこなす。伝説のスペシャリスト・フロリアーナになぞ"
         "ら"
         "えたクラス名はだてに付けられていない。接近戦に持ち込むのがベスト。"},
        {"踊り子",
         "踊り子クラス。前方・横１マスずつへの攻撃が可能な上、ウィッチの能力も備えているが、さほど"
         "強"
         "くはない。遠距離攻撃で叩け。"},
        {"ｽﾍﾟｼｬﾘｽﾄ",
         "ｽﾍﾟｼｬﾘｽﾄクラス。あらゆる技を修得している上に、伝説の暗黒騎士ヴォルガンを召喚できる力を持"
         "つ"
         "。早めに倒さないと苦戦を強いるだろう。"},
        {"ホークマン",
         "ホークマンクラス。敵・味方ユニットを乗り越えて２マスずつ移動する空飛ぶ剣士。周囲全１マス"
         "を"
         "攻撃可能。"},
        {"天使",
         "天使クラス。前方１マスの攻撃が可能な上、回復能力を持つ。ホークマンと同様、２マスずつ移動"
         "し"
         "てくる。逃がさず確実に倒そう。"},
        {"ﾍﾟｶﾞｻｽﾅｲﾄ",
         "ﾍﾟｶﾞｻｽﾅｲﾄクラス。ホークマンと同様に２マス移動し、周囲全１マスを攻撃可能。更に前方１マス目"
         "の"
         "上・中・下を一度に攻撃できるため、かなり厄介。"},
        {"光士",
         "光士クラス。ワープ能力を持つ弓矢使い。アーチャー同様に接近戦には弱いため、そこを狙え。"},
        {"テレパス",
         "テレパスクラス。ワープ能力を持つ上、回復術・魔術にも精通。早めになんとかしないと、たいへ"
         "ん"
         "だ。"},
        {"？？？", "？？？？？"},
    }};
    return kClasses;
}

const char* battle_state_text(int state) {
    switch (state) {
        case kStateEmpty:
            return "居ない";
        case kStateNormal:
            return "通常";
        case kStateDown:
            return "戦闘不能";
        case kStateSpirit:
            return "霊";
        case kStatePetrified:
            return "石化";
        default:
            return "";
    }
}

bool is_party(int slot) {
    return slot >= kFirstParty && slot <= kLastParty;
}
bool is_enemy(int slot) {
    return slot >= kFirstEnemy && slot <= kLastEnemy;
}

}  // namespace

const std::string& enemy_class_name(int job) {
    const auto& t = enemy_classes();
    return job >= 0 && job < static_cast<int>(t.size()) ? t[job].name : t.back().name;
}

// Classes from 22 on have no description of their own: their name "？？？" stands in.
const std::string& enemy_class_about(int job) {
    const auto& t = enemy_classes();
    return job >= 0 && job < static_cast<int>(t.size()) ? t[job].about : t.back().name;
}

const char* sex_mark(int sex) {
    switch (sex) {
        case 0:
            return "♂";
        case 1:
            return "♀";
        case 2:
            return "×";
        case 3:
            return "§";
        default:
            return "";
    }
}

std::string portrait_file(const std::string& name, int stage_no) {
    if (name == "ルミナリア") return stage_no <= 50 ? "my1.bmp" : "my41.bmp";
    if (name == "トゥルネア") return "my2.bmp";
    if (name == "ルクサ") return "my15.bmp";
    if (name == "ハルティア" || name == "ﾊﾙﾃｨｱ") return "my3.bmp";
    if (name == "メルヴィ") return stage_no < 29 ? "my17.bmp" : "my18.bmp";
    if (name == "ザビナ") return stage_no < 29 ? "my14.bmp" : "my16.bmp";
    if (name == "月影院楓") return "my43.bmp";
    if (name == "月影院睦月") return "my42.bmp";
    return "my0.bmp";
}

StatusPanelTexts status_panel_texts(const GameState& gs, int sel_unit, PanelScreen screen) {
    static const TChara kNobody{};
    const TChara& u = sel_unit >= 0 && sel_unit < kCharaCount ? gs.chara[sel_unit] : kNobody;
    const bool battle = screen == PanelScreen::battle;
    StatusPanelTexts t;
    t.state_l1 = u.name;
    t.state_l2 = "Lv  " + num(u.level) + " sex " + sex_mark(u.sex) + "\r" +  //
                 "Hp  " + num(u.hp) + "/" + num(u.max_hp) + "\r" +           //
                 "Mp  " + num(u.mp) + "/" + num(u.max_mp) + "\r" +           //
                 "Exp " + num(u.exp) + "/100\r" +                            //
                 "寿命 " + num(u.lifespan) + "\r" +                          //
                 "状態 " + (battle ? battle_state_text(u.state) : "通常") + "\r" + "哀古 " +
                 u.aiko_name + "\r" +  //
                 "　　 △" + num(u.aiko_power);
    t.state_l3 = "体力 " + num(u.body) + "\r魔力 " + num(u.magic) + "\r秩序 " + num(u.order) +
                 "\r冷静 " + num(u.calm) + "\r機工 " + num(u.mech);
    t.state_l4 = "正義 " + num(u.justice) + "\r闇　 " + num(u.dark) + "\r獣　 " + num(u.beast) +
                 "\r過去 " + num(u.past) + "\r速さ " + num(u.speed);
    t.state_l5 =
        "お金 " + num(gs.money) + "円\rArk  " + num(gs.ark) + "　stage " + num(gs.stage_no);
    const std::string oath = gs.oath_text(u.oath);
    t.tikai_l = "誓い\r【" + oath + "】\r＞ " + num(u.oath_count);

    const bool listed =
        battle ? is_party(sel_unit) : sel_unit >= kFirstParty && sel_unit <= kLastReserve;
    if (listed)
        t.state_l6 = gs.job_at(u.job).name;
    else if (battle && is_enemy(sel_unit))
        t.state_l6 = enemy_class_name(u.job);
    else
        t.state_l6 = oath;

    if (battle) {
        if (!u.profile.empty() && u.profile != "詳細不明。") {
            t.party_about_l = u.profile;
        } else if (is_party(sel_unit)) {
            const TJob& j = gs.job_at(u.job);
            t.party_about_l = "◆" + j.name + "クラス。" + j.about;
        } else if (is_enemy(sel_unit)) {
            t.party_about_l = "-経歴不詳-\r◆" + enemy_class_about(u.job);
        } else {
            t.party_about_l = t.state_l6;
        }
    }
    return t;
}

}  // namespace lum

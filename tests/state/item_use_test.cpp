// Use item: every kind with its message byte for byte, the shop fees, what is kept, and the
// order of the draws.

#include <gtest/gtest.h>

#include "state/item_use.h"
#include "support/port_fakes.h"

namespace lum {
namespace {

struct Bag {
    GameState gs;
    test::FakeDialogs dialogs;
    test::FakeSound sound;

    Bag() {
        for (int i = 1; i <= 5; ++i) {
            TChara& c = gs.chara[i];
            c.name = "P" + std::to_string(i);
            c.state = kStateNormal;
            c.hp = 10;
            c.max_hp = 40;
            c.mp = 3;
            c.max_mp = 20;
            c.lifespan = 30;
            c.aiko_power = 5;
        }
        gs.chara[1].name = "ルミナリア";
        gs.cur_unit = 1;
        gs.money = 5000;
        gs.ark = 100;
    }
    // Item 60 of the given kind and value, owned.
    ItemUseResult use(int kind, int value, bool battle = false, const char* name = "品") {
        gs.item_table[60] = {name, "説明", kind, value};
        gs.item_owned[60] = 1;
        return use_item(gs, dialogs, sound, 60, battle);
    }
    TChara& hero() { return gs.chara[1]; }
};

TEST(UseItem, OrdinaryKindsAndTheirMessages) {
    struct Case {
        int kind, value;
        const char* message;
    };
    const Case cases[] = {
        {0, 3, "ルミナリアのＨｐが30回復した。"},   {1, 2, "ルミナリア達全員のＨｐが20回復した。"},
        {2, 2, "ルミナリアのＭｐが10回復した。"},   {3, 1, "ルミナリア達全員のＭｐが5回復した。"},
        {4, 2, "ルミナリアの哀古を10引き出した。"}, {5, 1, "ルミナリア達全員の哀古を5引き出した。"},
        {6, 4, "お金を400円手に入れた。"},          {7, 3, "Ａｒｋを30Ａ手に入れた。"},
    };
    for (const Case& c : cases) {
        Bag b;
        b.gs.rng.script({1});
        ItemUseResult r = b.use(c.kind, c.value);
        EXPECT_EQ(r.message, c.message) << c.kind;
        EXPECT_TRUE(r.applied && r.consumed && r.yellow) << c.kind;
        EXPECT_EQ(b.gs.item_owned[60], 0) << c.kind;
        EXPECT_EQ(b.sound.log, std::vector<std::string>{"effect:item.wav"}) << c.kind;
    }
    Bag b;
    b.use(0, 10);
    EXPECT_EQ(b.hero().hp, 110);  // no cap at the maximum
    Bag all;
    all.use(1, 2);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(all.gs.chara[i].hp, 30);
    Bag money;
    money.use(6, 4);
    EXPECT_EQ(money.gs.money, 5400);
}

TEST(UseItem, AttributeKindsRaiseByTheFirstDraw) {
    const std::pair<int, const char*> kinds[] = {
        {8, "体力"},  {9, "魔力"},  {10, "秩序"}, {11, "冷静"}, {12, "闇"},
        {13, "正義"}, {14, "機工"}, {15, "過去"}, {16, "速さ"}, {17, "獣"}};
    for (auto [kind, word] : kinds) {
        Bag b;
        b.gs.rng.script({2});  // r = 3
        b.gs.rng.record_draws(true);
        ItemUseResult r = b.use(kind, 0);
        EXPECT_EQ(r.message, std::string("ルミナリアの【") + word + "】が3上がった!!");
        int sum = 0;
        for (int k = 0; k < kAttrCount; ++k) sum += b.hero().attr(k);
        EXPECT_EQ(sum, 3) << kind;
        EXPECT_EQ(b.gs.rng.draws(), (std::deque<int>{3}));
    }
    Bag dark;
    dark.gs.rng.script({0});
    dark.use(12, 0);
    EXPECT_EQ(dark.hero().dark, 1);
    Bag life;
    life.gs.rng.script({1});
    EXPECT_EQ(life.use(18, 0).message, "ルミナリアの【寿命】が20増えた!!");
    EXPECT_EQ(life.hero().lifespan, 50);
    Bag hp;
    hp.gs.rng.script({2});
    EXPECT_EQ(hp.use(20, 0).message, "ルミナリアの【最大Ｈｐ】が3上がった!!");
    EXPECT_EQ(hp.hero().max_hp, 43);
    Bag mp;
    mp.gs.rng.script({0});
    EXPECT_EQ(mp.use(21, 0).message, "ルミナリアの【最大Ｍｐ】が1上がった!!");
}

TEST(UseItem, InheritanceNothingAndTheMusicBox) {
    Bag b;
    b.gs.chara[7].name = "先代";
    b.gs.chara[7].body = 9;
    b.gs.chara[7].speed = -5;
    b.hero().body = 1;
    EXPECT_EQ(b.use(22, 7).message, "ルミナリアは先代の能力を引き継ぎ、大幅にパワーアップした！");
    EXPECT_EQ(b.hero().body, 5);
    EXPECT_EQ(b.hero().speed, -2);  // halves round toward zero

    Bag nothing;
    ItemUseResult r = nothing.use(23, 0);
    EXPECT_EQ(r.message, "何も起きなかった････");
    EXPECT_FALSE(r.consumed);
    EXPECT_EQ(nothing.gs.item_owned[60], 1);

    Bag score;
    r = score.use(24, 14, false, "きらきら星");
    EXPECT_EQ(r.message,
              "ﾋﾟｱﾆｽﾄ･ﾅｲﾄ･ﾐﾛﾈの演奏がどこからともなく聞こえる････\rきらきら星の曲だ････");
    EXPECT_EQ(score.gs.item_owned[60], 1);
    EXPECT_EQ(score.sound.log, (std::vector<std::string>{"effect:item.wav", "music:twincle.mid"}));
    const std::pair<int, const char*> pieces[] = {{1, "cl_01.mid"},
                                                  {9, "cl_09.mid"},
                                                  {10, "cl_10.mid"},
                                                  {12, "cl_12.mid"},
                                                  {13, "your.mid"},
                                                  {15, "cl_s2.mid"},
                                                  {16, "cl_s3.mid"},
                                                  {17, "cl_s5.mid"},
                                                  {18, "cl_s7.mid"},
                                                  {21, "cl_s10.mid"},
                                                  {22, "cl_s12.mid"},
                                                  {23, "spacial.mid"},
                                                  {0, ""},
                                                  {24, ""}};
    for (auto [v, piece] : pieces) EXPECT_EQ(music_box_piece(v), piece) << v;
}

TEST(UseItem, RevivalOnlyInBattle) {
    Bag travel;
    ItemUseResult r = travel.use(19, 0, false);
    EXPECT_EQ(r.message, "これは戦闘時のみ使用可能なアイテムです");
    EXPECT_FALSE(r.yellow);
    EXPECT_EQ(travel.gs.item_owned[60], 1);

    Bag nobody;
    r = nobody.use(19, 0, true);
    EXPECT_EQ(r.message, "戦闘不能の者が復活した。");
    EXPECT_TRUE(r.revived.empty());
    EXPECT_EQ(nobody.gs.item_owned[60], 0);  // used up all the same

    Bag fallen;
    fallen.gs.chara[2].state = kStateDown;
    fallen.gs.chara[2].max_hp = 41;
    fallen.gs.chara[4].state = kStateDown;
    fallen.gs.chara[4].lifespan = 0;  // no life left: stays down
    r = fallen.use(19, 0, true);
    EXPECT_EQ(r.revived, std::vector<int>{2});
    EXPECT_EQ(fallen.gs.chara[2].state, kStateNormal);
    EXPECT_EQ(fallen.gs.chara[2].hp, 20);
    EXPECT_EQ(fallen.gs.chara[4].state, kStateDown);
}

TEST(UseItem, SwordsAskFirstAndPayAfter) {
    Bag poor;
    poor.gs.money = 2999;
    ItemUseResult r = poor.use(104, 3);
    EXPECT_FALSE(r.applied);
    EXPECT_EQ(r.message, "ｿｰﾄﾞﾏｽﾀｰ｢お金が足りないよ？」");
    EXPECT_EQ(poor.sound.log, std::vector<std::string>{"effect:off1.wav"});
    EXPECT_EQ(poor.gs.item_owned[60], 1);
    EXPECT_TRUE(poor.dialogs.log.empty());

    Bag no;
    no.gs.money = 3000;
    no.dialogs.answers = {false};
    r = no.use(104, 3);
    EXPECT_FALSE(r.applied);
    EXPECT_EQ(no.dialogs.log,
              std::vector<std::string>{
                  "ask:この剣を解放してもらいますか？\r解放してもらう人：ルミナリア"});
    EXPECT_EQ(no.gs.money, 3000);
    EXPECT_EQ(no.hero().aiko_power, 5);

    Bag yes;
    yes.gs.money = 3000;
    r = yes.use(104, 3);
    EXPECT_EQ(r.message, "ルミナリアの哀古力が１．５倍になった!");
    EXPECT_EQ(yes.hero().aiko_power, 7);
    EXPECT_EQ(yes.gs.money, 0);
    EXPECT_EQ(yes.gs.item_owned[60], 0);
    EXPECT_EQ(yes.sound.log, (std::vector<std::string>{"step", "effect:item.wav"}));

    const char* const names[] = {"笑う", "祈る", "誘う", "食べる", "哀古解放"};
    for (int v = 1; v <= 5; ++v) {
        Bag b;
        r = b.use(100, v);
        EXPECT_EQ(r.message, std::string("【封印剣】の技の１つが解放された！\r封印剣「") +
                                 names[v - 1] + "」が使えるようになった！");
        EXPECT_EQ(b.gs.skill_flags[19 + v], 1);
        EXPECT_EQ(b.gs.money, 5000 - v * 1000);
    }
    Bag odd;
    odd.gs.money = 7000;
    EXPECT_EQ(odd.use(100, 6).message, "");
    EXPECT_EQ(odd.gs.money, 1000);  // paid for nothing, as the shop does

    Bag broken;
    EXPECT_EQ(broken.use(101, 1, false, "錆びた剣").message,
              "錆びた剣は音も無く崩れ去った････\rｿｰﾄﾞﾏｽﾀｰ｢ご、ごめん、壊れちゃったみたい････｣");
    Bag knight;
    EXPECT_EQ(knight.use(102, 2).message, "ルミナリアの【秩序】が3上がった!");
    EXPECT_EQ(knight.hero().order, 3);
    Bag blunt;
    EXPECT_EQ(blunt.use(103, 1).message, "何も起きなかった････");
    Bag jewel;
    jewel.gs.rng.script({0, 1234});
    EXPECT_EQ(jewel.use(105, 1).message,
              "ｿｰﾄﾞﾏｽﾀｰ｢この剣は貴重品だよ。1234円で買い取らせもらうね。");
    EXPECT_EQ(jewel.gs.money, 5000 + 1234 - 1000);
    Bag unknown;
    r = unknown.use(108, 2);
    EXPECT_EQ(r.message, "");
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(unknown.gs.money, 3000);
}

TEST(UseItem, CardsCostTwoHundredAndDrawTheirOwnRaise) {
    Bag exact;
    exact.gs.money = 200;
    ItemUseResult r = exact.use(111, 4);
    EXPECT_EQ(r.message, "ははは。ヘボカードだよ、これ。お金1円だけあげる。くすくす。");
    EXPECT_EQ(exact.gs.money, 1);  // 200 + 1 - 200
    EXPECT_EQ(exact.dialogs.log,
              std::vector<std::string>{
                  "ask:このカードを交換してもらいますか？\r交換してもらう人：ルミナリア"});

    Bag short_;
    short_.gs.money = 199;
    r = short_.use(111, 4);
    EXPECT_EQ(r.message, "ｶｰﾄﾞﾏｽﾀｰ｢お金が足りないよ？」");
    EXPECT_EQ(short_.gs.money, 199);
    EXPECT_EQ(short_.gs.item_owned[60], 1);

    Bag plain;
    plain.gs.money = 200;
    EXPECT_EQ(plain.use(111, 0).message, "まあまあのカードかな。寿命を10増やしてあげるよ");
    EXPECT_EQ(plain.gs.money, 0);
    EXPECT_EQ(plain.hero().lifespan, 40);

    Bag attr;
    attr.gs.rng.script({0, 1});  // r, then c = 2
    EXPECT_EQ(attr.use(111, 13).message, "いいカードだよ♪ルミナリア君の【獣】を2上げてあげよう");
    EXPECT_EQ(attr.hero().beast, 2);
    Bag hp;
    hp.gs.rng.script({0, 1});
    EXPECT_EQ(hp.use(111, 18).message,
              "こういうカード好きだな。ルミナリア君の【最大ＨＰ】を4上げてあげよう");
    Bag curse;
    EXPECT_EQ(curse.use(111, 5).message,
              "なんて恐ろしい！こ､これは呪いのカードだ････､ルミナリア君の寿命が1になり【闇】が10も"
              "上がってしまった!");
    EXPECT_EQ(curse.hero().lifespan, 1);
    Bag down;
    down.hero().level = 0;
    down.use(111, 17);
    EXPECT_EQ(down.hero().level, -1);  // no floor
    Bag rare;
    EXPECT_EQ(
        rare.use(111, 25).message,
        "まさしく幻のレアカード！ルミナリア君の【体力、魔力、秩序、冷静、機工】を1ずつ上げよう!");
    for (int k = 0; k < 5; ++k) EXPECT_EQ(rare.hero().attr(k), 1);
    for (int k = 5; k < 10; ++k) EXPECT_EQ(rare.hero().attr(k), 0);
}

TEST(UseItem, RareTradesAndTheUnknownCard) {
    Bag owned;
    owned.gs.item_owned[55] = 1;
    owned.gs.rng.script({0, 0, 4});  // r, c, k = 51 + 4
    ItemUseResult r = owned.use(111, 20);
    EXPECT_EQ(r.message, "珍しいカードだ。ルミナリア君の【秩序】を3上げてあげよう");
    EXPECT_EQ(owned.hero().order, 3);
    EXPECT_EQ(owned.gs.item_owned[60], 0);

    Bag fresh;
    fresh.gs.item_table[55].name = "月の雫";
    fresh.gs.rng.script({0, 0, 4});
    EXPECT_EQ(fresh.use(111, 20).message, "珍しいカードだ！「月の雫」と交換してあげるよ。");
    EXPECT_EQ(fresh.gs.item_owned[55], 1);
    EXPECT_EQ(fresh.gs.item_owned[60], 0);

    Bag past;
    past.gs.item_table[7].name = "古い鍵";
    past.gs.rng.script({0, 0, 7});
    EXPECT_EQ(past.use(111, 21).message, "希なカードだね。「古い鍵」と交換しよう。");

    Bag unknown;
    unknown.gs.money = 200;
    r = unknown.use(111, 27);
    EXPECT_EQ(
        r.message,
        "うーん？？････どうしてだろう、僕も知らないカードだ････。これは君がもっていた方がいい。");
    EXPECT_FALSE(r.consumed);
    EXPECT_EQ(unknown.gs.item_owned[60], 1);
    EXPECT_EQ(unknown.gs.money, 200);

    Bag blank;
    r = blank.use(111, 40);
    EXPECT_EQ(r.message, "");
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(blank.gs.money, 4800);

    Bag beyond;
    r = beyond.use(150, 1);
    EXPECT_FALSE(r.consumed);
    EXPECT_EQ(beyond.gs.item_owned[60], 1);
    Bag between;
    EXPECT_TRUE(between.use(60, 1).consumed);
}

TEST(ItemList, EntriesPicksAndDescriptions) {
    GameState gs;
    gs.item_table[3] = {"薬草", "ちょっと効く", 0, 1};
    gs.item_table[9] = {"薬草", "よく効く", 0, 3};
    gs.item_table[300] = {"card･流れ星", "", 111, 21};
    gs.item_owned[3] = gs.item_owned[300] = 1;
    gs.item_owned[4] = 2;  // only 1 means owned
    auto e = owned_item_entries(gs);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0], (std::pair<int, std::string>{3, "薬草"}));
    EXPECT_EQ(pick_item(gs, "薬草"), 9);  // the higher number, owned or not
    EXPECT_EQ(pick_item(gs, "無い物"), 0);
    EXPECT_EQ(item_about_text(gs, 9), "よく効く");
    EXPECT_EQ(item_about_text(gs, 300), "ヴェルモラカード number 300");
    gs.item_table[70] = {"剣", "", 100, 3};
    EXPECT_EQ(sword_fee_text(gs, 70), "解放料金 3000円");
    EXPECT_EQ(sword_fee_text(gs, 9), "解放料金 0円");
    EXPECT_EQ(card_fee_text(gs, 300), "交換料金 200円");
    EXPECT_EQ(card_fee_text(gs, 70), "交換料金 0円");
}

}  // namespace
}  // namespace lum

#include "state/item_use.h"

#include "state/numbers.h"

namespace lum {

namespace {

inline constexpr int kCardFee = 200;
inline constexpr int kSwordFeePerPoint = 1000;

const char* const kSealedSwordTechniques[5] = {"笑う", "祈る", "誘う", "食べる", "哀古解放"};

// The attribute words of the item messages, by the kinds 8..17 that raise them.
struct AttrKind {
    int kind;
    int attr;  // index into TChara::attr
    const char* word;
};
const AttrKind kAttrKinds[] = {
    {8, 0, "体力"},  {9, 1, "魔力"},  {10, 2, "秩序"}, {11, 3, "冷静"}, {12, 6, "闇"},
    {13, 5, "正義"}, {14, 4, "機工"}, {15, 8, "過去"}, {16, 9, "速さ"}, {17, 7, "獣"},
};

// Card values 6..15 raise one attribute each, in the fixed attribute order.
const char* const kAttrWords[kAttrCount] = {"体力", "魔力", "秩序", "冷静", "機工",
                                            "正義", "闇",   "獣",   "過去", "速さ"};

void add_each(GameState& gs, int TChara::*field, long long amount) {
    for (int i = kFirstParty; i <= kLastParty; ++i) add_sat(gs.chara[i].*field, amount);
}

// Kinds 0..5 add value × step to one field, of the target or of characters 1 to 5.
struct PointKind {
    int kind;
    int TChara::*field;
    long long step;
    bool whole_party;
    const char* what;  // between the name and the amount
    const char* done;  // after the amount
};
const PointKind kPointKinds[] = {
    {0, &TChara::hp, 10, false, "のＨｐが", "回復した。"},
    {1, &TChara::hp, 10, true, "達全員のＨｐが", "回復した。"},
    {2, &TChara::mp, 5, false, "のＭｐが", "回復した。"},
    {3, &TChara::mp, 5, true, "達全員のＭｐが", "回復した。"},
    {4, &TChara::aiko_power, 5, false, "の哀古を", "引き出した。"},
    {5, &TChara::aiko_power, 5, true, "達全員の哀古を", "引き出した。"},
};

struct Effect {
    std::string message;
    bool kept = false;
    bool white = false;  // kind 19 away from battle leaves the line white
};

Effect ordinary_effect(GameState& gs, TChara& t, const TItem& it, int r, bool battle_shown,
                       std::vector<int>& revived) {
    const std::string& n = t.name;
    const long long v = it.value;
    Effect e;
    for (const AttrKind& a : kAttrKinds)
        if (a.kind == it.kind) {
            add_sat(t.attr(a.attr), r);
            e.message = n + "の【" + a.word + "】が" + num(r) + "上がった!!";
            return e;
        }
    for (const PointKind& p : kPointKinds)
        if (p.kind == it.kind) {
            const long long amount = v * p.step;
            if (p.whole_party)
                add_each(gs, p.field, amount);
            else
                add_sat(t.*p.field, amount);
            e.message = n + p.what + num(amount) + p.done;
            return e;
        }
    switch (it.kind) {
        case 6:
            add_sat(gs.money, v * 100);
            e.message = "お金を" + num(v * 100) + "円手に入れた。";
            break;
        case 7:
            add_sat(gs.ark, v * 10);
            e.message = "Ａｒｋを" + num(v * 10) + "Ａ手に入れた。";
            break;
        case 18:
            add_sat(t.lifespan, r * 10);
            e.message = n + "の【寿命】が" + num(r * 10) + "増えた!!";
            break;
        case 19:
            if (!battle_shown) {
                e.message = "これは戦闘時のみ使用可能なアイテムです";
                e.kept = true;
                e.white = true;
                break;
            }
            for (int i = kFirstParty; i <= kLastParty; ++i) {
                TChara& c = gs.chara[i];
                if (c.state != kStateDown || c.lifespan <= 0) continue;
                c.state = kStateNormal;
                c.hp = c.max_hp / 2;
                revived.push_back(i);
            }
            e.message = "戦闘不能の者が復活した。";
            break;
        case 20:
            add_sat(t.max_hp, r);
            e.message = n + "の【最大Ｈｐ】が" + num(r) + "上がった!!";
            break;
        case 21:
            add_sat(t.max_mp, r);
            e.message = n + "の【最大Ｍｐ】が" + num(r) + "上がった!!";
            break;
        case 22: {
            // Read the giver first: the target may be the giver itself.
            const TChara giver = gs.chara_at(it.value);
            for (int k = 0; k < kAttrCount; ++k) add_sat(t.attr(k), giver.attr(k) / 2);
            e.message = n + "は" + giver.name + "の能力を引き継ぎ、大幅にパワーアップした！";
            break;
        }
        case 23:
            e.message = "何も起きなかった････";
            e.kept = true;
            break;
        case kKindScore:
            e.message =
                "ﾋﾟｱﾆｽﾄ･ﾅｲﾄ･ﾐﾛﾈの演奏がどこからともなく聞こえる････\r" + it.name + "の曲だ････";
            e.kept = true;
            break;
        default:
            break;
    }
    return e;
}

Effect sword_effect(GameState& gs, TChara& t, const TItem& it) {
    const std::string& n = t.name;
    Effect e;
    switch (it.kind) {
        case 100:
            if (it.value >= 1 && it.value <= 5) {
                gs.skill_flags[19 + it.value] = 1;
                e.message = std::string("【封印剣】の技の１つが解放された！\r封印剣「") +
                            kSealedSwordTechniques[it.value - 1] + "」が使えるようになった！";
            }
            break;
        case 101:
            e.message =
                it.name + "は音も無く崩れ去った････\rｿｰﾄﾞﾏｽﾀｰ｢ご、ごめん、壊れちゃったみたい････｣";
            break;
        case 102:
            add_sat(t.order, 3);
            e.message = n + "の【秩序】が3上がった!";
            break;
        case 103:
            e.message = "何も起きなかった････";
            break;
        case 104:
            t.aiko_power = saturate(static_cast<long long>(t.aiko_power) * 3 / 2);
            e.message = n + "の哀古力が１．５倍になった!";
            break;
        case 105: {
            const int amount = gs.random(10000);
            add_sat(gs.money, amount);
            e.message = "ｿｰﾄﾞﾏｽﾀｰ｢この剣は貴重品だよ。" + num(amount) + "円で買い取らせもらうね。";
            break;
        }
        default:
            break;
    }
    return e;
}

// A rare item for cards 20 and 21: a new one is handed over, one already owned becomes points.
std::string trade_for_item(GameState& gs, TChara& t, int k, int& attr, const char* owned_text,
                           const char* attr_word, const char* new_text, const char* new_tail) {
    if (gs.item_owned[k] == 1) {
        add_sat(attr, 3);
        return std::string(owned_text) + t.name + "君の【" + attr_word + "】を3上げてあげよう";
    }
    gs.item_owned[k] = 1;
    return std::string(new_text) + gs.item_table[k].name + new_tail;
}

Effect card_effect(GameState& gs, TChara& t, const TItem& it) {
    const std::string& n = t.name;
    const int c = 1 + gs.random(2);
    Effect e;
    const int v = it.value;
    if (v >= 6 && v <= 15) {
        add_sat(t.attr(v - 6), c);
        e.message = "いいカードだよ♪" + n + "君の【" + kAttrWords[v - 6] + "】を" + num(c) +
                    "上げてあげよう";
        return e;
    }
    switch (v) {
        case 0:
            add_sat(t.lifespan, 10);
            e.message = "まあまあのカードかな。寿命を10増やしてあげるよ";
            break;
        case 1:
            add_each(gs, &TChara::lifespan, 10);
            e.message = "結構いいカードかな。全員の寿命を10増やしてあげるよ";
            break;
        case 2:
            add_sat(gs.money, 2000);
            e.message = "結構マニア受けするカードだね。お金2000円上げるよ";
            break;
        case 3:
            add_sat(gs.ark, 500);
            e.message =
                "うーん。マニア受けするけど、大したことはないカードかな。Ａｒｋを500A上げるよ。";
            break;
        case 4:
            add_sat(gs.money, 1);
            e.message = "ははは。ヘボカードだよ、これ。お金1円だけあげる。くすくす。";
            break;
        case 5:
            add_sat(t.dark, 10);
            t.lifespan = 1;
            e.message = "なんて恐ろしい！こ､これは呪いのカードだ････､" + n +
                        "君の寿命が1になり【闇】が10も上がってしまった!";
            break;
        case 16:
            add_sat(t.level, 1);
            e.message = "なかなかいいカードだね。" + n + "君の【レベル】を1上げてあげよう";
            break;
        case 17:
            add_sat(t.level, -1);
            e.message = "なんて汚いカードだっ。" + n + "君の【レベル】を1下げさせてもらうよ";
            break;
        case 18:
            add_sat(t.max_hp, 2 * c);
            e.message = "こういうカード好きだな。" + n + "君の【最大ＨＰ】を" + num(2 * c) +
                        "上げてあげよう";
            break;
        case 19:
            add_sat(t.max_mp, c);
            e.message =
                "うん、このカード好きだな。" + n + "君の【最大ＭＰ】を" + num(c) + "上げてあげよう";
            break;
        case 20:
            e.message = trade_for_item(gs, t, 51 + gs.random(18), t.order, "珍しいカードだ。",
                                       "秩序", "珍しいカードだ！「", "」と交換してあげるよ。");
            break;
        case 21:
            e.message = trade_for_item(gs, t, gs.random(51), t.past, "希なカードだね。", "過去",
                                       "希なカードだね。「", "」と交換しよう。");
            break;
        case 22:
            add_sat(gs.ark, 10);
            e.message = "・・・・よくあるカードだな。Ａｒｋ10Aで交換だな。";
            break;
        case 23:
            add_sat(t.lifespan, 50);
            add_sat(t.justice, 10);
            e.message = "これこそ幸運のカードだ！" + n + "君の【寿命】を50、【正義】を10上げよう！";
            break;
        case 24:
            add_sat(gs.money, 100);
            e.message = "・・・・普通のカードだね。お金100円で交換だな。";
            break;
        case 25:
            for (int k = 0; k < 5; ++k) add_sat(t.attr(k), 1);
            e.message = "まさしく幻のレアカード！" + n +
                        "君の【体力、魔力、秩序、冷静、機工】を1ずつ上げよう!";
            break;
        case 26:
            for (int k = 5; k < kAttrCount; ++k) add_sat(t.attr(k), 1);
            e.message =
                "まさしくレアカード！" + n + "君の【闇、正義、獣、過去、速さ】を1ずつ上げよう!";
            break;
        case 27:
            e.message =
                "うーん？？････どうしてだろう、僕も知らないカードだ････。これは君がもっていた方がい"
                "い。";
            e.kept = true;
            break;
        default:
            break;
    }
    return e;
}

long long sword_fee(const TItem& it) {
    return static_cast<long long>(it.value) * kSwordFeePerPoint;
}

}  // namespace

ItemUseResult use_item(GameState& gs, Dialogs& dialogs, Sound& sound, int item, bool battle_shown) {
    ItemUseResult res;
    if (item < 0 || item >= kItemCount) return res;
    TChara& t = gs.chara_at(gs.cur_unit);
    const TItem& it = gs.item_table[item];
    const int r = 1 + gs.random(3);

    if (is_sword_kind(it.kind)) {
        if (gs.money < sword_fee(it)) {
            sound.play_effect("off1.wav");
            res.message = "ｿｰﾄﾞﾏｽﾀｰ｢お金が足りないよ？」";
            return res;
        }
        sound.play_step_sound();
        if (!dialogs.ask_yes_no("この剣を解放してもらいますか？\r解放してもらう人：" + t.name))
            return res;
    } else if (it.kind == kKindCard) {
        if (gs.money < kCardFee) {
            sound.play_effect("off1.wav");
            res.message = "ｶｰﾄﾞﾏｽﾀｰ｢お金が足りないよ？」";
            return res;
        }
        sound.play_step_sound();
        if (!dialogs.ask_yes_no("このカードを交換してもらいますか？\r交換してもらう人：" + t.name))
            return res;
    }

    sound.play_effect("item.wav");
    res.applied = true;
    Effect e;
    if (is_sword_kind(it.kind))
        e = sword_effect(gs, t, it);
    else if (it.kind == kKindCard)
        e = card_effect(gs, t, it);
    else
        e = ordinary_effect(gs, t, it, r, battle_shown, res.revived);
    if (it.kind == kKindScore) sound.play_music(music_box_piece(it.value));

    // Kinds past the card are unknown: neither used up nor charged.
    if (!e.kept && it.kind <= kKindCard) {
        gs.item_owned[item] = 0;
        res.consumed = true;
        if (is_sword_kind(it.kind)) add_sat(gs.money, -sword_fee(it));
        if (it.kind == kKindCard) add_sat(gs.money, -kCardFee);
    }
    res.message = e.message;
    res.yellow = !e.white;
    return res;
}

std::vector<std::pair<int, std::string>> owned_item_entries(const GameState& gs) {
    std::vector<std::pair<int, std::string>> out;
    for (int i = 0; i < kItemCount; ++i)
        if (gs.item_owned[i] == 1) out.emplace_back(i, gs.item_table[i].name);
    return out;
}

int pick_item(const GameState& gs, const std::string& entry_text) {
    int picked = 0;
    for (int i = 0; i < kItemCount; ++i)
        if (gs.item_table[i].name == entry_text) picked = i;
    return picked;
}

std::string item_about_text(const GameState& gs, int item) {
    const TItem& it = gs.item_at(item);
    if (it.kind == kKindCard) return "ヴェルモラカード number " + num(item);
    return it.text;
}

std::string music_box_piece(int v) {
    if (v >= 1 && v <= 9) return "cl_0" + num(v) + ".mid";
    if (v >= 10 && v <= 12) return "cl_" + num(v) + ".mid";
    switch (v) {
        case 13:
            return "your.mid";
        case 14:
            return "twincle.mid";
        case 15:
            return "cl_s2.mid";
        case 16:
            return "cl_s3.mid";
        case 17:
            return "cl_s5.mid";
        case 22:
            return "cl_s12.mid";
        case 23:
            return "spacial.mid";
        default:
            break;
    }
    if (v >= 18 && v <= 21) return "cl_s" + num(v - 11) + ".mid";
    return "";
}

std::string sword_fee_text(const GameState& gs, int item) {
    const TItem& it = gs.item_at(item);
    return "解放料金 " + num(is_sword_kind(it.kind) ? sword_fee(it) : 0) + "円";
}

std::string card_fee_text(const GameState& gs, int item) {
    return gs.item_at(item).kind == kKindCard ? "交換料金 200円" : "交換料金 0円";
}

}  // namespace lum

#include "ui/guide_model.h"

namespace lum {

namespace {

enum Page { kKeys, kBattle, kAiko, kLifespan, kOath, kClasses, kShops, kSaving };

}  // namespace

const std::vector<GuidePage>& guide_pages() {
    static const std::vector<GuidePage> kPages = {
        {"画面とキー",
         {"旅の地図で場所を選ぶと、物語や会話、戦いが始まります。まだ行けない場所は影の下にあります"
          "。",
          "マウスでもキーだけでも遊べます。矢印キーでボタンを選び、Enter で押します。Tab "
          "で次の枠へ移ります。",
          "F1 このヘルプ　F2 設定　F11 全画面",
          "旅の地図：S でセーブ、Esc で店を閉じる。物語：クリックか Enter で次へ、A で自動、Ctrl "
          "で読んだ文を飛ばす。"},
         "b_map1.bmp",
         {}},
        {"戦いの流れ",
         {"盤は横７マス、縦５マス。仲間は右から、敵は左から始まります。",
          "仲間は一人ずつ順に命令を待ちます。1〜6 のキーが "
          "移動・通常技・特殊技・封印剣・アイテム・待機 です。",
          "迷ったら「通常技」から「体術」へ。光ったマスの敵に当たります。届かなければ「移動」で近づ"
          "きましょう。",
          "敵がみないなくなれば勝ち、仲間がみな倒れれば負けです。スペースを押している間は早送りにな"
          "ります。"},
         "map001.bmp",
         {{"char0.bmp", 4, 2}, {"unit20.bmp", 3, 2}, {"unit1.bmp", 1, 1}}},
        {"能力と哀古",
         {"体力・魔力・秩序・冷静・機工・正義・闇・獣・過去・速さ。技ごとに効く能力が違います（体術"
          "は体力、剣法は体力と秩序、弓矢は体力と冷静、銃器は機工、魔術は魔力と闇）。",
          "けれど、いちばん大きく効くのは哀古（△の数）です。敵の強さも、ほとんど哀古で決まります。",
          "倒した敵の哀古は奪えます。奪うと、その仲間の哀古は敵のものに入れ替わり、もう元には戻りま"
          "せん。△の数を見比べてから決めましょう。",
          "戦いで倒れると、哀古は壊れて「ぬけがら」になります。"},
         "my1.bmp",
         {}},
        {"寿命",
         {"寿命は戦うたびに減ります。勝った戦いのあとはみな１、倒れた者はさらに１、全滅するとみな２"
          "。",
          "寿命が０になった者は、戦いの始めから倒れたまま動けません。",
          "クラスの館や剣の店、カード屋に入ると、寿命が延びることがあります。寿命を延ばす品もありま"
          "す。"},
         "char-1.bmp",
         {}},
        {"誓いと封印剣",
         {"仲間はそれぞれ一つの誓いを立てています。盤の上を一歩進むたびに、誓いの数（＞の数字）が１"
          "か２増えます。",
          "誓いの数が９９に届くとリミットに達し、ＨＰとＭＰがすっかり戻ります。",
          "封印剣は誓いの数を２０使う技です。手に入れた剣は、剣の店で解放すると使えるようになります"
          "。"},
         "my_sword.bmp",
         {}},
        {"クラスとクラスチェンジ",
         {"クラスで、使える技の系統と、レベルが上がったときに伸びる能力が決まります。",
          "ディルハの館でクラスを変えられます。レベルと能力が足りていれば、Ａｒｋを払って変わります"
          "。選べるクラスは物語が進むと増えます。",
          "訓練生のままでもどの技も使えますが、伸びは穏やかです。"},
         "s_mara.bmp",
         {}},
        {"店とお金",
         {"戦いに勝つと、お金（円）とＡｒｋ（Ａ）、品が手に入ります。",
          "カード屋では手持ちのカードを交換します。剣の店ではお金を払って剣を解放し、封印剣の技を覚"
          "えます。",
          "品は旅の地図で、使う仲間を選んでから「アイテム」で使います。"},
         "my_card.bmp",
         {}},
        {"セーブ",
         {"旅の地図の「セーブ」ボタンか S "
          "キーでセーブします。セーブは一つだけで、毎回上書きされます。",
          "ゲームの途中でウィンドウを閉じると、閉じる前にセーブします。「ノンセーブ中断」はセーブし"
          "ません。",
          "「最初からする」で始めても、次にセーブするまでは前のセーブが残ります。"},
         "my5.bmp",
         {}},
    };
    return kPages;
}

int GuideModel::page_for(ScreenId screen, bool title_box_shown) {
    switch (screen) {
        case ScreenId::battle:
            return title_box_shown ? kKeys : kBattle;
        case ScreenId::result:
            return kBattle;
        case ScreenId::travel:
        case ScreenId::story:
            return kKeys;
    }
    return kKeys;
}

void GuideModel::open(int p) {
    page = p >= 0 && p < page_count() ? p : 0;
    visible = true;
}

void GuideModel::back_bClick() {
    if (back_enabled()) --page;
}

void GuideModel::next_bClick() {
    if (next_enabled()) ++page;
}

void GuideModel::contents_click(int p) {
    if (p >= 0 && p < page_count()) page = p;
}

std::string GuideModel::page_caption() const {
    return std::to_string(page + 1) + " / " + std::to_string(page_count());
}

}  // namespace lum

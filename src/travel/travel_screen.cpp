#include "travel/travel_screen.h"

#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QTextStream>

#include "ui/game_text.h"
#include "ui/key_nav.h"
#include "ui/pick_list.h"
#include "ui/picture_filter.h"
#include "ui/status_panel_view.h"

namespace lum {

namespace {

template <class Label = QLabel>
QLabel* label(const QString& text, const char* name, QRect at, QWidget* parent, bool wrap = false) {
    auto* l = new Label(text, parent);
    if (name) l->setObjectName(name);
    l->setGeometry(at);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton* button(const QString& caption, const char* name, QRect at, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(at);
    return b;
}

QGroupBox* group(const QString& title, const char* name, QRect at, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    g->setGeometry(at);
    // The boxes lie on top of one another: each paints its own background.
    g->setAutoFillBackground(true);
    return g;
}

QLabel* picture(const QString& file, const char* name, QRect at, QWidget* parent) {
    auto* l = label<PictureLabel>(QString(), name, at, parent);
    l->setScaledContents(true);
    l->setPixmap(QPixmap(file));
    return l;
}

void set_list(QListWidget* list, const QStringList& rows, int current) {
    QStringList now;
    for (int i = 0; i < list->count(); ++i) now << list->item(i)->text();
    if (now != rows) {
        list->clear();
        list->addItems(rows);
    }
    if (current < 0) {
        if (!list->selectedItems().isEmpty() || list->currentRow() >= 0) {
            list->clearSelection();
            list->setCurrentRow(-1);
        }
    } else if (list->currentRow() != current) {
        list->setCurrentRow(current);
    }
}

// The rectangles of the map buttons, in pixels of the region's map picture.
struct Placement {
    QString region_picture;
    QRect rect;
};

std::map<QString, Placement> read_button_table(const QString& file) {
    std::map<QString, Placement> out;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return out;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QStringList p = line.split(' ', Qt::SkipEmptyParts);
        if (p.size() < 7) continue;
        out[p[0]] = {p[2], QRect(p[3].toInt(), p[4].toInt(), p[5].toInt(), p[6].toInt())};
    }
    return out;
}

const char* region_map_file(int box) {
    switch (box) {
        case 100:
            return "b_map1.bmp";
        case 12:
            return "b_map5.bmp";
        case 19:
            return "b_map4.bmp";
        case 25:
            return "b_map2.bmp";
        case 31:
            return "b_map3.bmp";
        default:
            return "b_map0.bmp";
    }
}

}  // namespace

// The map picture of one region: places that are not open yet lie under a veil, so the map
// never invites the player to a door that is shut to them.
class RegionMap : public QWidget {
  public:
    RegionMap(const QString& file, QWidget* parent) : QWidget(parent), map_(file) {
        setMouseTracking(true);
        if (map_.isNull()) {
            map_ = QPixmap(433, 297);
            map_.fill(QColor(40, 48, 40));
        }
    }
    std::vector<PlaceButton*> buttons;
    std::function<void()> on_hover;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        set_picture_filter(p);
        p.drawPixmap(rect(), map_);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(10, 12, 24, 140));
        for (PlaceButton* b : buttons)
            if (!b->isVisibleTo(parentWidget()))
                p.drawRoundedRect(b->geometry().translated(-pos()).adjusted(-1, -1, 1, 1), 6, 6);
    }
    void mouseMoveEvent(QMouseEvent*) override {
        if (on_hover) on_hover();
    }

  private:
    QPixmap map_;
};

PlaceButton::PlaceButton(const QString& name, QWidget* parent) : QAbstractButton(parent) {
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void PlaceButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool lit = underMouse() || hasFocus() || isDown();
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (lit) {
        p.fillRect(r, QColor(255, 250, 200, isDown() ? 110 : 70));
        p.setPen(QPen(QColor(255, 214, 64), 2));
        p.drawRect(r.adjusted(1, 1, 0, 0));
    } else {
        // An open place wears a gold ring so it reads at a glance against the map.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(255, 214, 96, 230), 2));
        p.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 5, 5);
    }
}

void PlaceButton::enterEvent(QEnterEvent* e) {
    if (on_hover) on_hover();
    QAbstractButton::enterEvent(e);
}

void PlaceButton::mousePressEvent(QMouseEvent* e) {
    if (on_press) on_press();
    QAbstractButton::mousePressEvent(e);
}

void PlaceButton::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A held key presses nothing: each repeat would put the click off again.
            if (!e->isAutoRepeat()) animateClick();
            return;
        // The arrows (and a pad's D-pad) walk the open places in Tab's order, and only them.
        case Qt::Key_Right:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Up: {
            const bool next = e->key() == Qt::Key_Right || e->key() == Qt::Key_Down;
            for (QWidget* w = next ? nextInFocusChain() : previousInFocusChain(); w != this;
                 w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
                if (qobject_cast<PlaceButton*>(w) && w->isVisible() && w->isEnabled()) {
                    w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                    break;
                }
            }
            return;
        }
        default:
            break;
    }
    QAbstractButton::keyPressEvent(e);
}

void PlaceButton::focusInEvent(QFocusEvent* e) {
    // The keyboard reads the same description the pointer would.
    if (on_hover) on_hover();
    if (on_press) on_press();
    QAbstractButton::focusInEvent(e);
}

TravelScreen::TravelScreen(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens,
                           BattleStarts starts, QWidget* parent)
    : ScreenPage(QStringLiteral("ＴＲＡＶＥＬ ＭＯＤＥ"), QSize(722, 493), parent),
      dialogs_(dialogs),
      model_(gs, dialogs, sound, screens, std::move(starts)) {
    setObjectName("Form3");
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(30, 34, 51));
    pal.setColor(QPalette::WindowText, QColor(236, 239, 248));
    pal.setColor(QPalette::Base, QColor(248, 248, 252));
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Button, QColor(216, 220, 232));
    pal.setColor(QPalette::ButtonText, Qt::black);
    pal.setColor(QPalette::Highlight, QColor(58, 106, 208));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);

    build_regions();

    map_about_l = label({}, "map_about_l", {455, 4, 265, 80}, this, true);
    map_about_l->setFrameShape(QFrame::StyledPanel);

    item_box = group(QStringLiteral("アイテム"), "item_box", {452, 88, 270, 234}, this);
    auto* item_list_picks = new PickList(item_box);
    item_list = item_list_picks;
    item_list->setObjectName("item_list");
    item_list->setGeometry(8, 18, 254, 112);
    item_about = label({}, "item_about", {8, 134, 254, 56}, item_box, true);
    item_mark = label(QStringLiteral("▼"), "item_mark", {8, 200, 16, 20}, item_box);
    item_use = button(QStringLiteral("アイテム使用"), "item_use", {26, 196, 160, 28}, item_box);
    connect(item_list_picks, &PickList::picked, this,
            [this](int row) { handle([&] { model_.item_listMouseDown(row); }); });
    connect(item_use, &QPushButton::clicked, this,
            [this] { handle([this] { model_.item_useClick(); }); });

    moji_l = label({}, "moji_l", {0, 325, 449, 33}, this, true);
    moji_l->setAutoFillBackground(true);
    moji_l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    moji_l->setMargin(3);
    toast_l = label({}, "toast_l", {150, 290, 150, 24}, this);
    toast_l->setAlignment(Qt::AlignCenter);
    toast_l->setStyleSheet(
        "background: rgba(20,20,40,200); color: #fff6c0; border: 1px solid #e0c060;");
    toast_l->hide();

    status_panel = new StatusPanelView(this);
    status_panel->move(0, 361);

    Label1 = label(QStringLiteral("▼選択中のキャラ  (アイテム等の使用対象)"), "Label1",
                   {455, 326, 265, 16}, this);
    auto* party_list_picks = new PickList(this);
    party_list = party_list_picks;
    party_list->setObjectName("party_list");
    party_list->setGeometry(455, 343, 148, 146);
    connect(party_list_picks, &PickList::picked, this,
            [this](int row) { handle([&] { model_.party_listMouseDown(row); }); });

    BitBtn4 = button(QStringLiteral("セーブ"), "BitBtn4", {610, 343, 108, 30}, this);
    BitBtn5 = button(QStringLiteral("中断"), "BitBtn5", {610, 377, 108, 30}, this);
    BitBtn12 = button(QStringLiteral("ノンセーブ中断"), "BitBtn12", {610, 411, 108, 30}, this);
    Button1 = button(QStringLiteral("config"), "Button1", {610, 455, 108, 30}, this);
    connect(BitBtn4, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn4Click(); }); });
    connect(BitBtn5, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn5Click(); }); });
    connect(BitBtn12, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn12Click(); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { handle([this] { model_.Button1Click(); }); });

    hyoji_box = group(QStringLiteral("config"), "hyoji_box", {452, 0, 270, 116}, this);
    label(QStringLiteral("▼ｽﾄｰﾘｰMODE中の文字表示速度変更"), nullptr, {8, 20, 254, 16}, hyoji_box);
    label(QStringLiteral("ｆａｓｔ"), "Label_fast", {8, 60, 60, 16}, hyoji_box);
    label(QStringLiteral("ｓｌｏｗ"), "Label_slow", {132, 60, 60, 16}, hyoji_box)
        ->setAlignment(Qt::AlignRight | Qt::AlignTop);
    TrackBar1 = new QSlider(Qt::Horizontal, hyoji_box);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setGeometry(8, 37, 184, 22);
    TrackBar1->setRange(1, 9);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setValue(2);
    auto* Button3 = button(QStringLiteral("OK"), "Button3", {200, 24, 60, 26}, hyoji_box);
    auto* settings = button(QStringLiteral("設定…"), "settings_b", {200, 54, 60, 26}, hyoji_box);
    connect(settings, &QPushButton::clicked, this, [this] {
        if (open_settings) open_settings();
    });
    auto* help = button(QStringLiteral("ヘルプ"), "help_b", {200, 84, 60, 26}, hyoji_box);
    connect(help, &QPushButton::clicked, this, [this] {
        if (open_help) open_help();
    });
    connect(TrackBar1, &QSlider::valueChanged, this,
            [this](int v) { handle([&] { model_.TrackBar1Change(v); }); });
    connect(Button3, &QPushButton::clicked, this,
            [this] { handle([this] { model_.Button3Click(); }); });

    build_class_shop();
    build_card_shop();
    build_sword_shop();

    // Developer buttons past the right edge of the client area: the page clips them.
    auto* BitBtn18 = button(QStringLiteral("通常戦闘"), "BitBtn18", {732, 0, 80, 24}, this);
    auto* Button15 = button(QStringLiteral("stage+"), "Button15", {733, 26, 80, 24}, this);
    auto* Button16 = button(QStringLiteral("stage-"), "Button16", {733, 52, 80, 24}, this);
    connect(BitBtn18, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn18Click(); }); });
    connect(Button15, &QPushButton::clicked, this,
            [this] { handle([this] { model_.Button15Click(); }); });
    connect(Button16, &QPushButton::clicked, this,
            [this] { handle([this] { model_.Button16Click(); }); });

    for (QPushButton* b : {BitBtn18, Button15, Button16}) b->setFocusPolicy(Qt::NoFocus);
    // Enter presses the button with the keys, the arrows step through a panel's buttons; Tab
    // keeps walking the places and the rest in the screen's own order.
    auto* nav = new KeyNav(this);
    nav->keep_tab();
    for (std::vector<QWidget*> g :
         std::initializer_list<std::vector<QWidget*>>{{BitBtn4, BitBtn5, BitBtn12, Button1},
                                                      {Button3, settings, help},
                                                      {item_use},
                                                      {BitBtn17, BitBtn19},
                                                      {BitBtn8},
                                                      {BitBtn6}}) {
        for (QWidget* w : g) w->setStyleSheet(KeyNav::kFocusStyle);
        nav->add_group(g);
    }

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, [this] { handle([this] { model_.escape(); }); });
    // The Menu key (a pad's X) goes to the item list.
    auto* items = new QShortcut(QKeySequence(Qt::Key_Menu), this);
    items->setContext(Qt::WidgetWithChildrenShortcut);
    connect(items, &QShortcut::activated, this, [this] {
        if (item_list->isVisible() && item_list->isEnabled())
            item_list->setFocus(Qt::TabFocusReason);
    });
    auto* save = new QShortcut(QKeySequence(Qt::Key_S), this);
    save->setContext(Qt::WidgetWithChildrenShortcut);
    connect(save, &QShortcut::activated, this,
            [this] { handle([this] { model_.BitBtn4Click(); }); });

    // One refresh a tick for the three timers, and none while another screen shows.
    ticker_ = new QTimer(this);
    ticker_->setInterval(50);
    connect(ticker_, &QTimer::timeout, this, [this] {
        handle([this] {
            model_.Timer1Timer();
            model_.Timer2Timer();
            model_.Timer3Timer();
        });
    });

    refresh();
}

void TravelScreen::build_regions() {
    GameState& gs = model_.state();
    const auto table =
        read_button_table(QString::fromStdString(gs.dat_path("buttons.txt").string()));
    for (int box : kRegionBoxes) {
        const TPlace& place = gs.place_at(box);
        auto* g = group(QString::fromStdString(place.name), ("m" + std::to_string(box)).c_str(),
                        {0, 0, 450, 322}, this);
        auto* map =
            new RegionMap(QString::fromStdString(gs.cg_path(region_map_file(box)).string()), g);
        map->setObjectName(("map_cg" + std::to_string(maps_.size() + 1)).c_str());
        map->setGeometry(8, 18, 433, 297);
        map->on_hover = [this, box] { handle([&] { model_.map_hover(box); }); };
        int spare = 0;
        for (const std::string& name : region_buttons(box)) {
            const QString qname = QString::fromStdString(name);
            auto* b = new PlaceButton(qname, g);
            auto it = table.find(qname);
            // A button the table does not place still works, lined up along the top edge.
            const QRect r =
                it != table.end() ? it->second.rect : QRect(4 + 30 * spare++, 4, 28, 24);
            b->setGeometry(r.translated(8, 18));
            // The player reads the place's name, never the widget's.
            b->setToolTip(QString::fromStdString(model_.place_name(name)));
            b->setAccessibleName(b->toolTip());
            b->on_hover = [this, name] { handle([&] { model_.hover(name); }); };
            b->on_press = [this, name] { handle([&] { model_.press(name); }); };
            connect(b, &QAbstractButton::clicked, this,
                    [this, name] { handle([&] { model_.click(name); }); });
            map->buttons.push_back(b);
            buttons_[qname] = b;
        }
        // The map lies under its buttons.
        map->lower();
        regions_[box] = g;
        maps_[box] = map;
    }
}

void TravelScreen::build_class_shop() {
    GameState& gs = model_.state();
    const auto cg = [&gs](const char* file) {
        return QString::fromStdString(gs.cg_path(file).string());
    };
    mara_box =
        group(QStringLiteral("クラス･チェンジの館　ﾃﾞｨﾙﾊ"), "mara_box", {0, 0, 722, 322}, this);
    picture(cg("s_mara.bmp"), "mara_cg", {8, 20, 128, 128}, mara_box);
    label(QStringLiteral("ﾃﾞｨﾙﾊ"), nullptr, {8, 150, 128, 16}, mara_box);
    auto* hello =
        label(QStringLiteral("＜？＞右下のキャラ・リストからｸﾗｽ･ﾁｪﾝｼﾞさせたい人を選択して、右のクラ"
                             "ス・リストでｸﾗｽを選んでね。"
                             "ｸﾗｽ･ﾁｪﾝｼﾞにはｸﾗｽによって、それぞれ一定以上のステータスが必要よ。"),
              nullptr, {8, 168, 128, 148}, mara_box, true);
    QFont small = hello->font();
    small.setPixelSize(11);
    QFont tiny = small;
    tiny.setPixelSize(10);
    hello->setFont(tiny);

    label(QStringLiteral("▼クラス・リスト"), nullptr, {144, 18, 150, 16}, mara_box);
    auto* job_list_picks = new PickList(mara_box);
    job_list = job_list_picks;
    job_list->setObjectName("job_list");
    job_list->setGeometry(144, 36, 150, 278);
    connect(job_list_picks, &PickList::picked, this,
            [this](int row) { handle([&] { model_.job_listMouseDown(row); }); });

    label(QStringLiteral("▼選択中のキャラ"), nullptr, {302, 18, 200, 16}, mara_box);
    job_cg = picture(QString(), "job_cg", {302, 36, 96, 96}, mara_box);
    job_name0 = label({}, "job_name0", {404, 36, 120, 18}, mara_box);
    job_name1 = label({}, "job_name1", {404, 62, 120, 18}, mara_box);
    label(QStringLiteral("→"), "Label10", {404, 84, 20, 18}, mara_box);
    job_name2 = label({}, "job_name2", {404, 106, 120, 18}, mara_box);
    QFont bold = job_name2->font();
    bold.setBold(true);
    job_name2->setFont(bold);

    label(QStringLiteral("▼クラス・チェンジに必要なステータス"), nullptr, {302, 138, 226, 16},
          mara_box);
    job_state[1] = label({}, "job_state1", {302, 156, 70, 32}, mara_box);
    job_state[2] = label({}, "job_state2", {376, 156, 70, 80}, mara_box);
    job_state[3] = label({}, "job_state3", {450, 156, 70, 80}, mara_box);
    // "必要Ａｒｋ 9999" on one line, under the two columns of attributes.
    job_state[4] = label({}, "job_state4", {302, 240, 218, 18}, mara_box);
    BitBtn17 = button(QStringLiteral("クラス･チェンジ"), "BitBtn17", {302, 278, 140, 32}, mara_box);
    BitBtn19 = button(QStringLiteral("戻る"), "BitBtn19", {450, 278, 70, 32}, mara_box);
    connect(BitBtn17, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn17Click(); }); });
    connect(BitBtn19, &QPushButton::clicked, this,
            [this] { handle([this] { model_.back_click(); }); });

    job_about_l3 = label({}, "job_about_l3", {530, 18, 184, 84}, mara_box, true);
    job_about_l = label({}, "job_about_l", {530, 106, 184, 96}, mara_box, true);
    job_about_l2 = label({}, "job_about_l2", {530, 206, 184, 108}, mara_box, true);
    for (QLabel* l : {job_about_l, job_about_l2, job_about_l3}) l->setFont(small);
    mara_box->hide();
}

void TravelScreen::build_card_shop() {
    GameState& gs = model_.state();
    card_box =
        group(QStringLiteral("カードショップ　カードマスター"), "card_box", {0, 0, 450, 322}, this);
    picture(QString::fromStdString(gs.cg_path("my_card.bmp").string()), "cg_card",
            {8, 20, 128, 128}, card_box);
    label(QStringLiteral("カードマスター"), nullptr, {8, 150, 128, 16}, card_box);
    label(QStringLiteral("＜？＞世界中の珍しいカードを集めているんだ。もしｃａｒｄを手に入れたら、"
                         "是非ぼくの所に持ってきておくれよ。"
                         "もしレアカードだったら、お礼に君の潜在能力を引き出してあげるね。"),
          nullptr, {144, 20, 298, 84}, card_box, true);
    label(QStringLiteral("▼選択中のカード"), nullptr, {144, 110, 200, 16}, card_box);
    card_l = label({}, "card_l", {156, 128, 280, 18}, card_box);
    card_l2 = label({}, "card_l2", {156, 148, 280, 18}, card_box);
    label(QStringLiteral("▼幻のレアカード一覧表"), nullptr, {8, 172, 300, 16}, card_box);
    label(QStringLiteral("card･幸運の女神\ncard･幻の竜\ncard･闇の王\ncard･珍獣ペルル\ncard･流れ星"),
          "rare_cards", {20, 190, 260, 84}, card_box);
    label(QStringLiteral("※以上のカードを見つけた人はすぐにお知らせください。"), nullptr,
          {8, 290, 340, 16}, card_box);
    BitBtn8 = button(QStringLiteral("戻る"), "BitBtn8", {370, 284, 70, 30}, card_box);
    connect(BitBtn8, &QPushButton::clicked, this,
            [this] { handle([this] { model_.back_click(); }); });
    card_box->hide();
}

void TravelScreen::build_sword_shop() {
    GameState& gs = model_.state();
    ken_box =
        group(QStringLiteral("ソードショップ　ソードマスター"), "ken_box", {0, 0, 450, 322}, this);
    picture(QString::fromStdString(gs.cg_path("my_sword.bmp").string()), "cg_sword",
            {8, 20, 128, 128}, ken_box);
    label(QStringLiteral("ソードマスター"), nullptr, {8, 150, 128, 16}, ken_box);
    label(
        QStringLiteral("＜？＞剣にはそれぞれ霊が宿っていて、あたいはそれを解放してやるのが仕事さ。"
                       "【剣】を手に入れたら、"
                       "いつでもおいで。剣の霊を解放してやるから。中にはすごい剣もあるからなっ。"),
        nullptr, {144, 20, 298, 84}, ken_box, true);
    label(QStringLiteral("▼選択中の剣"), nullptr, {144, 110, 200, 16}, ken_box);
    ken_l = label({}, "ken_l", {156, 128, 280, 18}, ken_box);
    ken_l2 = label({}, "ken_l2", {156, 148, 280, 18}, ken_box);
    label(QStringLiteral("▼幻の剣一覧表"), nullptr, {8, 172, 300, 16}, ken_box);
    label(QStringLiteral("聖剣ルミナリア\n微笑みの剣\n祈りの剣\n誘いの剣\n飢えた剣"), "rare_swords",
          {20, 190, 260, 84}, ken_box);
    BitBtn6 = button(QStringLiteral("戻る"), "BitBtn6", {370, 284, 70, 30}, ken_box);
    connect(BitBtn6, &QPushButton::clicked, this,
            [this] { handle([this] { model_.back_click(); }); });
    ken_box->hide();
}

template <typename F>
void TravelScreen::handle(F f) {
    // Data faults are told by the model itself; anything else still must not leave a handler.
    try {
        f();
    } catch (const std::exception& e) {
        dialogs_.inform(std::string("旅の途中でエラーが発生しました。\r") + e.what());
    }
    refresh();
}

void TravelScreen::FormHide() {
    ticker_->stop();
}

void TravelScreen::FormShow() {
    handle([this] {
        model_.FormShow();
        // The timers' work at once, so the map is right before the first tick.
        model_.Timer1Timer();
        model_.Timer2Timer();
        model_.Timer3Timer();
    });
    ticker_->start();
    // Keyboard players start on the first open place of the map.
    focus_first_place();
}

void TravelScreen::focus_first_place() {
    for (int box : kRegionBoxes)
        if (model_.region_visible(box))
            for (const std::string& name : region_buttons(box))
                if (PlaceButton* b = place_button(QString::fromStdString(name));
                    b && b->isVisibleTo(this)) {
                    b->setFocus(Qt::OtherFocusReason);
                    return;
                }
}

PlaceButton* TravelScreen::place_button(const QString& name) const {
    auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
}

QGroupBox* TravelScreen::region_box(int box) const {
    auto it = regions_.find(box);
    return it == regions_.end() ? nullptr : it->second;
}

void TravelScreen::mouseMoveEvent(QMouseEvent* e) {
    handle([this] { model_.map_hover(100); });
    ScreenPage::mouseMoveEvent(e);
}

void TravelScreen::refresh() {
    const TravelModel& m = model_;
    GameState& gs = model_.state();
    const auto cg = [&gs](const std::string& file) {
        return QString::fromStdString(gs.cg_path(file).string());
    };

    // A place that closes under the keyboard (a space door taking the map away) hands the
    // focus to the first place of the map now shown, not to whatever widget Qt picks next.
    auto* focused_place = qobject_cast<PlaceButton*>(focusWidget());

    // A shop panel lies over the maps: their places must not take Tab and Enter under it.
    const bool covered = m.class_shop.mara_box || m.card_box || m.ken_box;
    for (auto& [box, g] : regions_) {
        const bool show = m.region_visible(box);
        if (g->isVisibleTo(this) != show) g->setVisible(show);
        if (g->isEnabled() == covered) g->setEnabled(!covered);
    }
    if (covered && !hasFocus() && (!focusWidget() || !focusWidget()->isEnabled()))
        setFocus(Qt::OtherFocusReason);  // keeps Esc working once the focused place is shut off
    for (auto& [name, b] : buttons_) {
        const bool show = m.visible(name.toStdString());
        if (b->isVisibleTo(b->parentWidget()) != show) {
            b->setVisible(show);
            if (RegionMap* map = maps_[button_region(name.toStdString())]) map->update();
        }
    }
    if (focused_place && !focused_place->isVisibleTo(this) && isVisible() && !covered)
        focus_first_place();
    if (mara_box->isVisibleTo(this) != m.class_shop.mara_box)
        mara_box->setVisible(m.class_shop.mara_box);
    if (card_box->isVisibleTo(this) != m.card_box) card_box->setVisible(m.card_box);
    if (ken_box->isVisibleTo(this) != m.ken_box) ken_box->setVisible(m.ken_box);
    for (QWidget* w : {static_cast<QWidget*>(mara_box), static_cast<QWidget*>(card_box),
                       static_cast<QWidget*>(ken_box)})
        if (w->isVisibleTo(this)) w->raise();
    if (hyoji_box->isVisibleTo(this) != m.hyoji_box) hyoji_box->setVisible(m.hyoji_box);
    if (m.hyoji_box) hyoji_box->raise();

    set_game_text(moji_l, m.moji_l);
    QPalette pal = moji_l->palette();
    const QColor bg = m.moji_l_yellow ? QColor(255, 255, 160) : QColor(Qt::white);
    if (pal.color(QPalette::Window) != bg) {
        pal.setColor(QPalette::Window, bg);
        pal.setColor(QPalette::WindowText, Qt::black);
        moji_l->setPalette(pal);
    }
    set_game_text(map_about_l, m.map_about_l);
    set_game_text(toast_l, m.toast);
    if (toast_l->isVisibleTo(this) == m.toast.empty()) {
        toast_l->setVisible(!m.toast.empty());
        toast_l->raise();
    }

    status_panel->show_texts(m.status);
    status_panel->set_portrait(cg(m.my_cg));
    if (m.class_shop.mara_box && job_cg->property("file").toString() != cg(m.my_cg)) {
        job_cg->setProperty("file", cg(m.my_cg));
        job_cg->setPixmap(QPixmap(cg(m.my_cg)));
    }

    QStringList rows;
    for (const auto& n : m.party_list) rows << QString::fromStdString(n);
    set_list(party_list, rows, m.party_row);
    rows.clear();
    for (const auto& e : m.item_list) rows << QString::fromStdString(e.second);
    set_list(item_list, rows, m.item_row);
    set_game_text(item_about, m.item_about);
    if (item_use->text() != QString::fromStdString(m.item_use_caption))
        item_use->setText(QString::fromStdString(m.item_use_caption));
    if (item_mark->isVisibleTo(this) != m.item_mark) item_mark->setVisible(m.item_mark);

    const ClassShop& shop = m.class_shop;
    if (shop.mara_box) {
        rows.clear();
        for (const auto& n : shop.job_list) rows << QString::fromStdString(n);
        set_list(job_list, rows, shop.job_row);
        set_game_text(job_name0, shop.job_name0);
        set_game_text(job_name1, shop.job_name1);
        set_game_text(job_name2, shop.job_name2);
        set_game_text(job_state[1], shop.job_state1);
        set_game_text(job_state[2], shop.job_state2);
        set_game_text(job_state[3], shop.job_state3);
        set_game_text(job_state[4], shop.job_state4);
        set_game_text(job_about_l, shop.job_about_l);
        set_game_text(job_about_l2, shop.job_about_l2);
        set_game_text(job_about_l3, shop.job_about_l3);
    }
    set_game_text(card_l, m.card_l);
    set_game_text(card_l2, m.card_l2);
    set_game_text(ken_l, m.ken_l);
    set_game_text(ken_l2, m.ken_l2);
}

}  // namespace lum

#include "battle/battle_screen.h"

#include <QEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>

#include "battle/techniques.h"
#include "ui/game_text.h"
#include "ui/key_nav.h"
#include "ui/pick_list.h"

namespace lum {

namespace {

constexpr int kRightColumn = 452;  // menus, item box, texts and the slider
constexpr int kFamilyBoxLeft = 531, kFamilyBoxWidth = 82;
constexpr int kTechniqueLeft = 614, kTechniqueWidth = 110;
constexpr int kMenuHeight = 213;
constexpr int kAnimTickMs = 25;

const char* const kBoxStyle =
    "QGroupBox { color: #f0e6c8; background: #12142c; border: 1px solid #8c7a4c;"
    " margin-top: 0px; font-size: 12px; }"
    "QGroupBox::title { subcontrol-origin: padding; subcontrol-position: top left; left: 4px;"
    " top: 1px; }";
const char* const kButtonStyle =
    "QPushButton { color: #f4ecd8; background: #2a2f5c; border: 1px solid #6f6a9c;"
    " border-radius: 2px; font-size: 12px; }"
    "QPushButton:hover { background: #46508c; }"
    "QPushButton:pressed { background: #786440; }"
    "QPushButton:disabled { color: #6c6c7c; background: #1e2036; border-color: #3a3a50; }";

const char* const kMessageStyle = "color: #f4f4f8; background: #202438; padding: 2px 4px;";
const char* const kItemMessageStyle = "color: #101010; background: #f8e45c; padding: 2px 4px;";

QPushButton* button(const QString& caption, const char* name, QRect at, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(at);
    // Only the panels' buttons take the keyboard (KeyNav); the developer buttons never do.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QGroupBox* box(const QString& title, const char* name, QRect at, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    g->setGeometry(at);
    g->setStyleSheet(QString::fromLatin1(kBoxStyle) + QString::fromLatin1(kButtonStyle) +
                     QString::fromLatin1(KeyNav::kFocusStyle));
    g->setMouseTracking(true);
    return g;
}

QLabel* label(const char* name, QRect at, QWidget* parent, const char* style) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    l->setStyleSheet(style);
    return l;
}

void set_text(QAbstractButton* b, const std::string& s) {
    const QString t = QString::fromStdString(s);
    if (b->text() != t) b->setText(t);
}

// Buttons of a family box, stacked in their order; a hidden one leaves no gap.
void stack(QGroupBox* g, const std::vector<QPushButton*>& buttons) {
    int y = 18;
    const int step = std::min(22, (kMenuHeight - 22) / std::max<int>(1, buttons.size()));
    for (QPushButton* b : buttons) {
        if (b->isHidden()) continue;
        b->setGeometry(4, y, g->width() - 8, step - 2);
        y += step;
    }
}

struct StepPlace {
    StepButton id;
    const char* name;
    const char* caption;
    int column, row;  // the cross of `menu1`
};
const StepPlace kSteps[] = {
    {StepButton::mae3, "mae3_b", "北西", 1, 0},     {StepButton::ue, "ue_b", "↑", 2, 0},
    {StepButton::usiro3, "usiro3_b", "北東", 3, 0}, {StepButton::mae2, "mae2_b", "←", 0, 1},
    {StepButton::mae, "mae_b", "←", 1, 1},          {StepButton::usiro, "usiro_b", "→", 3, 1},
    {StepButton::usiro2, "usiro2_b", "→", 4, 1},    {StepButton::mae4, "mae4_b", "南西", 1, 2},
    {StepButton::sita, "sita_b", "↓", 2, 2},        {StepButton::usiro4, "usiro4_b", "南東", 3, 2},
};

QRect cross_cell(int column, int row) {
    return {4 + column * 34, 62 + row * 36, 33, 34};
}

}  // namespace

BattleScreen::BattleScreen(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens,
                           QWidget* parent)
    : ScreenPage(QString::fromUtf8(kCaption), QSize(725, 493), parent),
      gs_(gs),
      dialogs_(dialogs),
      pictures_(gs.game_dir / "cg"),
      model_(gs, dialogs, sound, *this, screens) {
    setObjectName("Form1");
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(16, 16, 24));
    pal.setColor(QPalette::WindowText, QColor(232, 232, 240));
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    map_cg = new BoardView(model_, pictures_, this);
    map_cg->move(kMapLeft, kMapTop);
    map_cg->on_hover = [this](int slot) {
        handle([this, slot] {
            if (slot == 0)
                model_.map_cgMouseMove();
            else
                model_.unit_hover(slot);
        });
    };
    map_cg->on_click = [this](int x, int y) {
        handle([=, this] { model_.map_cgMouseDown(x, y); });
    };
    map_cg->on_leave = [this] { handle([this] { model_.map_cgMouseLeave(); }); };

    moji_l2 = new QLabel(this);
    moji_l2->setObjectName("moji_l2");
    moji_l2->setGeometry(1, 270, 448, 44);
    moji_l2->setAlignment(Qt::AlignCenter);
    moji_l2->setWordWrap(true);
    moji_l2->setStyleSheet(
        "color: #fff4d0; background: rgba(0, 0, 0, 200); font-size: 16px; font-weight: bold;");

    // Two rows between the board and the status panel; the log button at their right.
    moji_l = new MessageLine(this);
    moji_l->setObjectName("moji_l");
    moji_l->setGeometry(1, 322, 410, 39);
    moji_l->setStyleSheet(kMessageStyle);
    log_b = button(QStringLiteral("ログ"), "log_b", {413, 331, 36, 22}, this);
    log_b->setToolTip(QStringLiteral("この戦闘のメッセージ（L）"));
    log_b->setStyleSheet(kButtonStyle);
    connect(log_b, &QPushButton::clicked, this,
            [this] { handle([this] { model_.log_bClick(); }); });

    build_menus();
    build_item_box_and_slider();
    build_key_groups();

    magic_about_l = label("magic_about_l", {kRightColumn, 216, 272, 18}, this,
                          "color: #ffe49a; font-size: 12px;");
    magic_about_l2 = label("magic_about_l2", {kRightColumn, 234, 272, 62}, this,
                           "color: #e8e8f0; font-size: 11px;");

    status_panel = new StatusPanelView(this);
    status_panel->setObjectName("status_panel");
    status_panel->move(1, 493 - StatusPanelView::kHeight);
    // An enemy's portrait may be its 64 x 64 battle picture: it fills the frame all the same.
    status_panel->portrait()->setScaledContents(true);

    build_developer_buttons();

    // Over everything else, the board's place for its panel.
    log_view = new BattleLogView(
        {kMapLeft, kMapTop, kBoardColumns * kSquarePx, kBoardRows * kSquarePx}, this);
    log_view->on_close = [this] { handle([this] { model_.close_log(); }); };

    auto timer = [this](const char* name, int ms, void (BattleModel::*handler)()) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        connect(t, &QTimer::timeout, this,
                [this, handler] { handle([this, handler] { (model_.*handler)(); }); });
        return t;
    };
    Timer1 = timer("Timer1", kBattleTickMs, &BattleModel::Timer1Timer);
    Timer2 = timer("Timer2", kBattleTickMs, &BattleModel::Timer2Timer);
    Timer3 = timer("Timer3", kFirstTimer3Ms, &BattleModel::Timer3Timer);
    Timer4 = timer("Timer4", kFirstTimer4Ms, &BattleModel::Timer4Timer);
    SpeechTimer = timer("SpeechTimer", 1500, &BattleModel::SpeechTimer);
    Timer1->start();
    Timer2->start();
    AnimTimer = new QTimer(this);
    AnimTimer->setObjectName("AnimTimer");
    AnimTimer->setInterval(kAnimTickMs);
    connect(AnimTimer, &QTimer::timeout, this, [this] { animate(); });
    AnimTimer->start();
    anim_clock_.start();

    refresh();
}

void BattleScreen::build_menus() {
    menu0 = box(QString(), "menu0", {kRightColumn, 0, 78, kMenuHeight}, this);
    struct Cmd {
        QPushButton** widget;
        const char* name;
        const char* caption;
        Command c;
    };
    const Cmd cmds[] = {{&idou_b, "idou_b", "移動", Command::idou},
                        {&usu_b, "usu_b", "通常技", Command::usu},
                        {&spa_b, "spa_b", "特殊技", Command::spa},
                        {&Button23, "Button23", "封印剣", Command::ken},
                        {&Button18, "Button18", "アイテム", Command::item},
                        {&Button3, "Button3", "待機", Command::wait}};
    int y = 20;
    for (const Cmd& c : cmds) {
        *c.widget = button(QString::fromUtf8(c.caption), c.name, {4, y, 70, 28}, menu0);
        connect(*c.widget, &QPushButton::clicked, this,
                [this, cmd = c.c] { handle([this, cmd] { model_.command(cmd); }); });
        y += 32;
    }

    menu1 = box(QStringLiteral("移動先"), "menu1", {kRightColumn, 0, 177, kMenuHeight}, this);
    for (const StepPlace& s : kSteps) {
        QPushButton* b =
            button(QString::fromUtf8(s.caption), s.name, cross_cell(s.column, s.row), menu1);
        connect(b, &QPushButton::clicked, this,
                [this, id = s.id] { handle([this, id] { model_.step_click(id); }); });
        step_buttons[static_cast<int>(s.id)] = b;
    }
    for (int outer : {static_cast<int>(StepButton::mae2), static_cast<int>(StepButton::usiro2)})
        step_buttons[outer]->setStyleSheet("font-weight: bold;");
    warp_b = button(QStringLiteral("ワープ"), "warp_b", cross_cell(2, 1), menu1);
    warp_b->setStyleSheet("font-size: 10px;");
    connect(warp_b, &QPushButton::clicked, this,
            [this] { handle([this] { model_.warp_bClick(); }); });
    Button4 = button(QStringLiteral("cancel"), "Button4", {4, 20, 56, 24}, menu1);
    connect(Button4, &QPushButton::clicked, this,
            [this] { handle([this] { model_.Button4Click(); }); });
    nigeru_b = button(QStringLiteral("逃亡"), "nigeru_b", {115, 181, 58, 26}, menu1);
    connect(nigeru_b, &QPushButton::clicked, this,
            [this] { handle([this] { model_.nigeru_bClick(); }); });

    const QRect family_place{kFamilyBoxLeft, 0, kFamilyBoxWidth, kMenuHeight};
    menu2 = box(QStringLiteral("通常技"), "menu2", family_place, this);
    menu3 = box(QStringLiteral("特殊技"), "menu3", family_place, this);
    Label3 = label("Label3", {6, 24, 72, 40}, menu3, "color: #b8b8c8; font-size: 11px;");
    Label3->setText(QStringLiteral("技を修得していません"));
    for (int f : {1, 2, 3, 4, 5, 6, 7, 16, 8, 9, 10, 11, 12, 13, 14, 18, 15}) {
        const bool normal = f <= 7 || f == 16;
        const std::string name = "w" + std::to_string(f);
        QPushButton* b = button(QString::fromStdString(family_caption(f)), name.c_str(), {},
                                normal ? menu2 : menu3);
        connect(b, &QPushButton::clicked, this,
                [this, f] { handle([this, f] { model_.family_click(f); }); });
        family_buttons[f] = b;
    }
    ken_box = box(QStringLiteral("封印剣"), "ken_box", family_place, this);
    for (int f : {20, 21, 22, 23, 26, 24, 25}) {
        const std::string name = "w" + std::to_string(f);
        QPushButton* b =
            button(QString::fromStdString(family_caption(f)), name.c_str(), {}, ken_box);
        connect(b, &QPushButton::clicked, this,
                [this, b, f] { press_by_pointing(b, [this, f] { model_.sealed_click(f); }); });
        b->setMouseTracking(true);
        b->installEventFilter(this);
        hovers_[b] = [this, f] { model_.sealed_hover(f); };
        sealed_buttons[f] = b;
    }

    menu4 = box(QString(), "menu4", {kTechniqueLeft, 0, kTechniqueWidth, 124}, this);
    for (int s = 1; s <= 4; ++s) {
        const std::string name = "b" + std::to_string(s);
        QPushButton* b = button(QString(), name.c_str(), {4, 20 + 25 * (s - 1), 102, 23}, menu4);
        b->setStyleSheet("font-size: 11px;");
        connect(b, &QPushButton::clicked, this,
                [this, b, s] { press_by_pointing(b, [this, s] { model_.technique_click(s); }); });
        b->setMouseTracking(true);
        b->installEventFilter(this);
        hovers_[b] = [this, s] { model_.technique_hover(s); };
        technique_buttons[s] = b;
    }
    for (QGroupBox* g : {menu0, menu1, menu2, menu3, ken_box, menu4}) g->installEventFilter(this);
}

void BattleScreen::build_key_groups() {
    nav_ = new KeyNav(this);
    // Space stays the fast-forward: held through the enemies' half, its repeats would
    // otherwise press the first command the moment the menu comes back.
    nav_->keep_space();
    commands_ = nav_->add_group({idou_b, usu_b, spa_b, Button23, Button18, Button3});
    std::vector<QWidget*> steps{Button4};
    for (const StepPlace& p : kSteps) steps.push_back(step_buttons[static_cast<int>(p.id)]);
    steps.insert(steps.begin() + 6, warp_b);  // the middle of the cross, after the left steps
    steps.push_back(nigeru_b);
    // The arrows step the unit, so Tab walks the panel (to 逃亡 and ワープ); past its last
    // button it would reach the commands beneath.
    movement_ = nav_->add_group(steps, false, true);
    auto members = [](auto& buttons, std::initializer_list<int> order) {
        std::vector<QWidget*> out;
        for (int f : order) out.push_back(buttons[static_cast<size_t>(f)]);
        return out;
    };
    normal_ = nav_->add_group(members(family_buttons, {1, 2, 3, 4, 5, 6, 7, 16}));
    special_ = nav_->add_group(members(family_buttons, {8, 9, 10, 11, 12, 13, 14, 18, 15}));
    sealed_ = nav_->add_group(members(sealed_buttons, {20, 21, 22, 23, 26, 24, 25}));
    techniques_ = nav_->add_group(members(technique_buttons, {1, 2, 3, 4}));
    // The list walks its rows with the arrows; Tab leads on to its buttons.
    items_ = nav_->add_group({item_list});
    nav_->add_group({item_use, Button22});
}

void BattleScreen::settle_focus() {
    const BattleModel& m = model_;
    const BattleWidgets& w = m.widgets();
    if (!w.battle_shown) return;
    int top = -1;
    QWidget* start = nullptr;
    if (m.item_box.visible) {
        top = items_;
    } else if (w.menu4) {
        top = techniques_;
    } else if (w.menu2 || w.menu3 || w.ken_box) {
        top = w.ken_box ? sealed_ : w.menu2 ? normal_ : special_;
        // Back from the techniques: on the family that opened them.
        const int f = gs_.skill_family;
        if (last_top_ == techniques_ && f > 0 && f < static_cast<int>(family_buttons.size()))
            start = family_buttons[static_cast<size_t>(f)];
    } else if (w.menu1) {
        top = movement_;
        start = Button4;  // Enter on opening only cancels
    } else if (w.menu0) {
        top = commands_;
        // Back from a panel: on the command that opened it.
        start = last_top_ == normal_       ? usu_b
                : last_top_ == special_    ? spa_b
                : last_top_ == techniques_ ? (gs_.skill_family >= 8 ? spa_b : usu_b)
                : last_top_ == sealed_     ? Button23
                : last_top_ == movement_   ? idou_b
                : last_top_ == items_      ? Button18
                                           : nullptr;
    }
    if (m.log_open()) return;  // the log keeps the keyboard
    const bool keyed = by_key_ || nav_->pressing();
    nav_->settle(top, start, keyed ? Qt::TabFocusReason : Qt::OtherFocusReason);
    last_top_ = top;
}

void BattleScreen::build_item_box_and_slider() {
    item_box =
        box(QStringLiteral("アイテム"), "item_box", {kRightColumn, 0, 272, kMenuHeight}, this);
    auto* picks = new PickList(item_box);
    item_list = picks;
    item_list->setObjectName("item_list");
    // The list, its description and the buttons one under another: each gets the box's width
    // for the longest item name and description.
    item_list->setGeometry(4, 20, 264, 104);
    item_list->setStyleSheet(
        "QListWidget { color: #f0f0f8; background: #101428; font-size: 12px; }"
        "QListWidget::item:selected { background: #5a5090; }");
    connect(picks, &PickList::picked, this,
            [this](int row) { handle([this, row] { model_.item_listMouseDown(row); }); });
    item_about =
        label("item_about", {4, 128, 264, 46}, item_box, "color: #e8e8f0; font-size: 11px;");
    item_use = button(QStringLiteral("アイテム使用"), "item_use", {4, 178, 100, 28}, item_box);
    connect(item_use, &QPushButton::clicked, this,
            [this] { handle([this] { model_.item_useClick(); }); });
    Button22 = button(QStringLiteral("Cancel"), "Button22", {108, 178, 52, 28}, item_box);
    connect(Button22, &QPushButton::clicked, this,
            [this] { handle([this] { model_.Button22Click(); }); });
    item_box->installEventFilter(this);

    auto* caption = label("Label_speed", {kRightColumn, 298, 150, 16}, this,
                          "color: #d8d8e8; font-size: 11px;");
    caption->setText(QStringLiteral("▼戦闘スピード"));
    auto* fast =
        label("Label_fast", {kRightColumn, 318, 56, 16}, this, "color: #d8d8e8; font-size: 11px;");
    fast->setText(QStringLiteral("ｆａｓｔ"));
    auto* slow = label("Label_slow", {670, 318, 55, 16}, this, "color: #d8d8e8; font-size: 11px;");
    slow->setText(QStringLiteral("ｓｌｏｗ"));
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setGeometry(508, 314, 160, 24);
    TrackBar1->setRange(kSliderMin, kSliderMax);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setFocusPolicy(Qt::NoFocus);
    TrackBar1->setValue(kSliderStart);
    connect(TrackBar1, &QSlider::valueChanged, this, [this](int v) {
        if (v == model_.slider_position()) return;
        handle([this, v] { model_.TrackBar1Change(v); });
    });

    // The coming turns, between the slider and the status texts.
    turn_strip = new TurnStripView(model_, this);
    turn_strip->setGeometry(kRightColumn, 341, 272, 22);

    auto* about_caption = label("Label_about", {kRightColumn, 366, 272, 16}, this,
                                "color: #c8c0a0; font-size: 11px;");
    about_caption->setText(QStringLiteral("▼ｽﾃｰﾀｽ表示→MAP上ｷｬﾗにﾏｳｽを合わす"));
    party_about_l = label("party_about_l", {kRightColumn, 383, 270, 108}, this,
                          "color: #e8e8f0; font-size: 11px;");
}

void BattleScreen::build_developer_buttons() {
    auto act = [this](void (BattleModel::*f)()) {
        return [this, f] { handle([this, f] { (model_.*f)(); }); };
    };
    BitBtn1 = developer_button("BitBtn1", "通常戦闘", 0, act(&BattleModel::BitBtn1Click));
    BitBtn3 = developer_button("BitBtn3", "ボス戦", 1, act(&BattleModel::BitBtn3Click));
    Button21 = developer_button("Button21", "敵全滅", 4, act(&BattleModel::Button21Click));
}

QPushButton* BattleScreen::developer_button(const char* name, const char* caption, int row,
                                            std::function<void()> act) {
    QPushButton* b = button(QString::fromUtf8(caption), name, {728, row * 26, 80, 24}, this);
    connect(b, &QPushButton::clicked, this, std::move(act));
    return b;
}

template <typename F>
void BattleScreen::handle(F f) {
    // The rules report data faults themselves; anything else still must not leave a handler.
    try {
        f();
    } catch (const std::exception& e) {
        dialogs_.inform(std::string("戦闘中にエラーが発生しました。\r") + e.what());
    }
    refresh();
}

template <typename F>
void BattleScreen::press_by_pointing(QObject* b, F press) {
    // The mouse always points before it clicks; a key pressing a button the keys have not
    // pointed at (its panel opened by a click) points first, so the target is drawn as then.
    if (nav_->pressing() && pointed_ != b) handle(hovers_[b]);
    handle(press);
}

void BattleScreen::sync_driver(QTimer* t, bool on, int ms) {
    if (t->interval() != ms) t->setInterval(ms);
    if (on && !t->isActive()) t->start();
    if (!on && t->isActive()) t->stop();
}

void BattleScreen::animate() {
    const int ms = static_cast<int>(std::min<qint64>(anim_clock_.restart(), 1000));
    if (!model_.widgets().battle_shown) return;
    try {
        model_.overlay_tick(ms);
    } catch (const std::exception&) {
        return;  // a picture of the battle, never worth a box
    }
    // Paint while something moves, and once more when it has gone.
    const bool moving = model_.overlay().animating();
    if (moving || animated_) map_cg->update();
    animated_ = moving;
}

void BattleScreen::refresh() {
    const BattleModel& m = model_;
    const BattleWidgets& w = m.widgets();

    moji_l->show_text(w.moji_l);
    const char* moji_style = m.moji_l_yellow ? kItemMessageStyle : kMessageStyle;
    if (moji_l->styleSheet() != moji_style) moji_l->setStyleSheet(moji_style);
    log_b->setEnabled(w.battle_shown);
    if (m.log_open() != log_view->isVisible()) {
        if (m.log_open()) {
            log_view->open(w.log);
        } else {
            log_view->hide();
            nav_->reset();  // the panel on top takes the keyboard back
        }
    }
    set_game_text(moji_l2, w.moji_l2);
    moji_l2->setVisible(w.moji_l2_visible && !w.moji_l2.empty());

    menu0->setTitle(QString::fromStdString(w.menu0_caption));
    menu0->setVisible(w.menu0);
    menu1->setVisible(w.menu1);
    for (int i = 0; i < 10; ++i) {
        const StepButtons& s = w.steps;
        const bool on[] = {s.mae,  s.mae2, s.usiro, s.usiro2, s.ue,
                           s.sita, s.mae3, s.mae4,  s.usiro3, s.usiro4};
        step_buttons[i]->setEnabled(on[i]);
    }
    warp_b->setEnabled(w.steps.warp);

    bool relayout = false;
    for (int f = 1; f <= 18; ++f) {
        QPushButton* b = family_buttons[f];
        if (!b) continue;
        if (b->isHidden() == m.family_visible[f]) {
            b->setVisible(m.family_visible[f]);
            relayout = true;
        }
        b->setEnabled(f > 15 || w.family_enabled[f]);
    }
    for (int f = kFirstSealed; f <= kLastSealed; ++f) {
        QPushButton* b = sealed_buttons[f];
        const bool shown = f != 25 || m.sealed.jet_visible;
        if (b->isHidden() == shown) {
            b->setVisible(shown);
            relayout = true;
        }
        b->setEnabled(m.sealed.enabled[f]);
    }
    if (relayout || family_buttons[1]->height() == 0) {
        stack(menu2, {family_buttons[1], family_buttons[2], family_buttons[3], family_buttons[4],
                      family_buttons[5], family_buttons[6], family_buttons[7], family_buttons[16]});
        stack(menu3, {family_buttons[8], family_buttons[9], family_buttons[10], family_buttons[11],
                      family_buttons[12], family_buttons[13], family_buttons[14],
                      family_buttons[18], family_buttons[15]});
        stack(ken_box,
              {sealed_buttons[20], sealed_buttons[21], sealed_buttons[22], sealed_buttons[23],
               sealed_buttons[26], sealed_buttons[24], sealed_buttons[25]});
    }
    Label3->setVisible(m.Label3_visible);
    menu2->setVisible(w.menu2);
    menu3->setVisible(w.menu3);
    ken_box->setVisible(w.ken_box);
    menu4->setVisible(w.menu4);
    menu4->setTitle(QString::fromStdString(w.menu4_caption));
    for (int s = 1; s <= 4; ++s) set_text(technique_buttons[s], w.technique_captions[s]);
    set_game_text(magic_about_l, w.magic_about_l);
    set_game_text(magic_about_l2, w.magic_about_l2);

    item_box->setVisible(m.item_box.visible);
    if (item_list->count() != static_cast<int>(m.item_box.entries.size()) || [&] {
            for (int i = 0; i < item_list->count(); ++i)
                if (item_list->item(i)->text() !=
                    QString::fromStdString(m.item_box.entries[i].second))
                    return true;
            return false;
        }()) {
        item_list->clear();
        for (const auto& [number, name] : m.item_box.entries)
            item_list->addItem(QString::fromStdString(name));
    }
    if (item_list->currentRow() != m.item_box.selected)
        item_list->setCurrentRow(m.item_box.selected);
    set_game_text(item_about, m.item_box.item_about);

    if (TrackBar1->value() != m.slider_position()) TrackBar1->setValue(m.slider_position());

    status_panel->show_texts(m.panel);
    set_game_text(party_about_l, m.panel.party_about_l);
    if (!m.portrait.empty())
        status_panel->set_portrait(
            QString::fromStdString((gs_.game_dir / "cg" / m.portrait).string()));

    sync_driver(Timer4, m.timer4_on(), m.timer4_ms());
    sync_driver(Timer3, m.timer3_on(), m.timer3_ms());
    sync_driver(SpeechTimer, m.speech_on(), m.speech_ms());

    settle_focus();
    map_cg->update();
    turn_strip->update();
}

void BattleScreen::FormShow() {
    handle([this] { model_.FormShow(); });
    setFocus();
}

void BattleScreen::FormHide() {
    handle([this] { model_.FormHide(); });
}

void BattleScreen::repaint_now() {
    refresh();
    repaint();
}

void BattleScreen::pause_ms(int ms) {
    // A wait of the rules: the event loop keeps running (painting, sound, the display timers)
    // while the player's input waits, and the drivers stay out (the model is busy).
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void BattleScreen::keyPressEvent(QKeyEvent* e) {
    // A panel a key opens gets its focus by keys: the technique under it is previewed.
    by_key_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{by_key_};
    const bool plain =
        !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && e->key() >= Qt::Key_1 && e->key() <= Qt::Key_6) {
        const int n = e->key() - Qt::Key_0;
        handle([this, n] { model_.command_key(n); });
        return;
    }
    switch (e->key()) {
        case Qt::Key_Escape:
            handle([this] { model_.escape(); });
            return;
        case Qt::Key_L:
            if (!plain) break;
            if (!e->isAutoRepeat()) handle([this] { model_.log_key(); });
            return;
        case Qt::Key_H: {
            if (!plain) break;
            const bool back = e->modifiers() & Qt::ShiftModifier;
            handle([this, back] { model_.status_key(back); });
            return;
        }
        case Qt::Key_Left:
            handle([this] { model_.arrow(Arrow::left); });
            return;
        case Qt::Key_Right:
            handle([this] { model_.arrow(Arrow::right); });
            return;
        case Qt::Key_Up:
            handle([this] { model_.arrow(Arrow::up); });
            return;
        case Qt::Key_Down:
            handle([this] { model_.arrow(Arrow::down); });
            return;
        case Qt::Key_Space:
        case Qt::Key_Control:  // as in the stories (and a pad's right trigger)
            if (!e->isAutoRepeat()) handle([this] { model_.set_fast_forward(true); });
            return;
        case Qt::Key_Menu:
            handle([this] { model_.back_to_commands(); });
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!plain) break;  // Alt+Enter is the window's full screen
            if (!e->isAutoRepeat()) handle([this] { model_.warp_enter(); });
            return;
        default:
            break;
    }
    ScreenPage::keyPressEvent(e);
}

void BattleScreen::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Control) {
        if (!e->isAutoRepeat()) handle([this] { model_.set_fast_forward(false); });
        return;
    }
    ScreenPage::keyReleaseEvent(e);
}

void BattleScreen::mouseMoveEvent(QMouseEvent* e) {
    handle([this] { model_.FormMouseMove(); });
    ScreenPage::mouseMoveEvent(e);
}

bool BattleScreen::eventFilter(QObject* obj, QEvent* e) {
    // The keyboard points as the mouse does: a technique or sealed sword reached by keys shows
    // its texts and squares, and they go when the keys move on to another panel.
    if ((e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) && hovers_.count(obj)) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        if (e->type() == QEvent::FocusOut) pointed_ = nullptr;
        if (why == Qt::TabFocusReason || why == Qt::BacktabFocusReason) {
            if (e->type() == QEvent::FocusIn) {
                handle(hovers_[obj]);
                pointed_ = obj;
            } else {
                handle([this] { model_.technique_leave(); });
            }
        }
    }
    if (e->type() == QEvent::Leave && hovers_.count(obj))
        handle([this] { model_.technique_leave(); });
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter) {
        auto it = hovers_.find(obj);
        if (it != hovers_.end()) {
            handle(it->second);
            // A button ignores the move, which would reach its box and clear the texts.
            return e->type() == QEvent::MouseMove;
        }
        if (e->type() == QEvent::MouseMove) handle([this] { model_.FormMouseMove(); });
    }
    return ScreenPage::eventFilter(obj, e);
}

}  // namespace lum

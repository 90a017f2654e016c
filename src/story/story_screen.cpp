#include "story/story_screen.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBrowser>
#include <QWheelEvent>
#include <iostream>

#include "ui/key_nav.h"

namespace lum {

namespace {

constexpr int kAutoBeatMs = 100;

QString qs(const std::string& s) {
    // A CR is the line break inside the game's labels.
    return QString::fromStdString(s).replace(QChar('\r'), QChar('\n'));
}

QPushButton* button(const QString& caption, const char* name, QRect at, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(at);
    // Clicking must not take the keys that go on with the story away from the screen; the
    // choices and the party box take the keyboard through KeyNav.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* label(const char* name, QRect at, QWidget* parent, bool wrap = false) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QGroupBox* group(const QString& title, const char* name, QRect at, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    g->setGeometry(at);
    return g;
}

}  // namespace

StoryScreen::StoryScreen(GameState& gs, Sound& sound, Screens& screens, Dialogs& dialogs,
                         QWidget* parent)
    : ScreenPage(QStringLiteral("ＳＴＯＲＹ ＭＯＤＥ"), QSize(451, 453), parent),
      dialogs_(dialogs),
      model_(gs, sound, screens, dialogs, canvas_) {
    setObjectName("Form4");
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);

    model_.FormCreate();

    map_cg = new PictureView(canvas_, kMapPicture, false, this);
    map_cg->setObjectName("map_cg");
    map_cg->setGeometry(1, 1, kMapWidth, kMapHeight);
    map_cg->on_click = [this] {
        if (model_.text_box_hidden) handle([this] { model_.proceed(); });
    };
    my_cg = new PictureView(canvas_, kPortraitPicture, true, this);
    my_cg->setObjectName("my_cg");
    my_cg->setGeometry(0, 325, 128, 128);
    edit_box = new PictureView(canvas_, kTextBoxPicture, false, this);
    edit_box->setObjectName("edit_box");
    edit_box->setGeometry(132, 328, kTextBoxWidth, kTextBoxHeight);
    edit_box->on_click = [this] { handle([this] { model_.proceed(); }); };

    ok_bb = button(QStringLiteral("→OK"), "ok_bb", {368, 424, 81, 29}, this);
    ok_bb->setFocusPolicy(Qt::NoFocus);
    connect(ok_bb, &QPushButton::clicked, this, [this] { handle([this] { model_.proceed(); }); });

    sel_box = group(QStringLiteral("選択肢"), "sel_box", {132, 328, 121, 81}, this);
    BitBtn6 = button(QStringLiteral("はい"), "BitBtn6", {8, 20, 105, 25}, sel_box);
    BitBtn7 = button(QStringLiteral("いいえ(&N)"), "BitBtn7", {8, 50, 105, 25}, sel_box);
    connect(BitBtn6, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn6Click(); }); });
    connect(BitBtn7, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn7Click(); }); });
    sel_box2 = group(QStringLiteral("選択肢"), "sel_box2", {132, 328, 121, 81}, this);
    BitBtn2 = button(QStringLiteral("はい"), "BitBtn2", {8, 20, 105, 25}, sel_box2);
    BitBtn3 = button(QStringLiteral("いいえ(&N)"), "BitBtn3", {8, 50, 105, 25}, sel_box2);
    connect(BitBtn2, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn3Click(); }); });

    // Outside the 451-pixel client area: a developer's way out.
    BitBtn1 = button(QStringLiteral("中断"), "BitBtn1", {464, 57, 75, 25}, this);
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { handle([this] { model_.BitBtn1Click(); }); });

    build_party_box();
    build_comforts();
    build_key_groups();

    auto timer = [this](const char* name, int ms, auto handler) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        connect(t, &QTimer::timeout, this,
                [this, handler] { handle([this, handler] { (model_.*handler)(); }); });
        return t;
    };
    Timer5 = timer("Timer5", 100, &StoryModel::Timer5Timer);
    Timer1 = timer("Timer1", 100, &StoryModel::Timer1Timer);
    Timer3 = timer("Timer3", 100, &StoryModel::Timer3Timer);
    AutoTimer = new QTimer(this);
    AutoTimer->setObjectName("AutoTimer");
    AutoTimer->setInterval(kAutoBeatMs);
    connect(AutoTimer, &QTimer::timeout, this,
            [this] { handle([this] { model_.auto_tick(kAutoBeatMs); }); });
    anim_timer_ = new QTimer(this);
    anim_timer_->setSingleShot(true);
    connect(anim_timer_, &QTimer::timeout, this,
            [this] { handle([this] { model_.step_animation(); }); });

    refresh();
}

void StoryScreen::build_key_groups() {
    nav_ = new KeyNav(this);
    choice_ = nav_->add_group({BitBtn6, BitBtn7});
    choice2_ = nav_->add_group({BitBtn2, BitBtn3});
    classes_ = nav_->add_group({class_buttons.begin(), class_buttons.end()});
    attrs_ = nav_->add_group({attr_buttons.begin(), attr_buttons.end()});
    oaths_ = nav_->add_group({oath_buttons.begin(), oath_buttons.end()});
    ok_ = nav_->add_group({party_ok_b});
    // On the buttons themselves: a sheet on their boxes would restyle the labels too.
    for (QPushButton* b : sel_box->findChildren<QPushButton*>() +
                              sel_box2->findChildren<QPushButton*>() +
                              party_box->findChildren<QPushButton*>())
        b->setStyleSheet(KeyNav::kFocusStyle);
}

void StoryScreen::settle_focus() {
    const StoryModel& m = model_;
    const PartyBox& p = m.party;
    // The backlog keeps the keys while it is open.
    if (m.backlog_open()) return;
    int top = -1;
    if (m.sel_box_visible)
        top = choice_;
    else if (m.sel_box2_visible)
        top = choice2_;
    else if (p.visible)
        top = p.party_ok_b_enabled   ? ok_
              : p.state_box1_visible ? classes_
              : p.state_box2_visible ? attrs_
              : p.state_box3_visible ? oaths_
                                     : -1;
    nav_->settle(top);
}

StoryScreen::~StoryScreen() {
    // At exit the message boxes may be gone already: a fault goes to stderr.
    if (std::string fault = model_.write_read_record(); !fault.empty())
        std::cerr << "luminaria: the read lines cannot be kept: " << fault << std::endl;
}

void StoryScreen::build_comforts() {
    quick_menu = new QWidget(this);
    quick_menu->setObjectName("quick_menu");
    quick_menu->setGeometry(1, 302, kMapWidth, 19);
    quick_menu->setStyleSheet(
        "QPushButton { font-size: 11px; padding: 0; color: #e8e8f0;"
        " background: rgba(16, 16, 32, 200); border: 1px solid #70708c; }"
        "QPushButton:checked { background: #3c4c8c; color: #ffffff; }"
        "QLabel { font-size: 11px; font-weight: bold; color: #ffe49a; }");
    mode_l = new QLabel(quick_menu);
    mode_l->setObjectName("mode_l");
    mode_l->setGeometry(4, 1, 60, 17);
    struct Quick {
        QPushButton** widget;
        const char* name;
        const char* caption;
        bool checkable;
        std::function<void()> act;
    };
    const Quick quick[] = {
        {&log_b, "log_b", "ログ", false, [this] { open_backlog(); }},
        {&auto_b, "auto_b", "オート", true, [this] { handle([this] { model_.toggle_auto(); }); }},
        {&skip_b, "skip_b", "スキップ", true, [this] { handle([this] { model_.toggle_skip(); }); }},
        {&config_b, "config_b", "設定", false,
         [this] {
             if (open_settings) open_settings();
             setFocus();
         }},
    };
    int x = kMapWidth - 4 * 50;
    for (const Quick& q : quick) {
        *q.widget = button(QString::fromUtf8(q.caption), q.name, {x, 1, 48, 17}, quick_menu);
        (*q.widget)->setCheckable(q.checkable);
        (*q.widget)->setFocusPolicy(Qt::NoFocus);
        connect(*q.widget, &QPushButton::clicked, this, q.act);
        x += 50;
    }

    backlog_box = new QFrame(this);
    backlog_box->setObjectName("backlog_box");
    backlog_box->setGeometry(0, 0, 451, 453);
    backlog_box->setStyleSheet(
        "QFrame#backlog_box { background: rgba(8, 8, 20, 235); }"
        "QLabel { color: #ffe49a; font-size: 14px; font-weight: bold; }"
        "QTextBrowser { background: transparent; color: #f4f4f8; border: 1px solid #50506c;"
        " font-size: 14px; }");
    auto* title = new QLabel(QStringLiteral("バックログ"), backlog_box);
    title->setGeometry(10, 6, 200, 20);
    backlog_text = new QTextBrowser(backlog_box);
    backlog_text->setObjectName("backlog_text");
    backlog_text->setGeometry(8, 30, 435, 386);
    backlog_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    backlog_text->viewport()->installEventFilter(this);
    backlog_text->installEventFilter(this);
    backlog_close_b =
        button(QStringLiteral("閉じる"), "backlog_close_b", {362, 422, 81, 25}, backlog_box);
    backlog_close_b->setFocusPolicy(Qt::TabFocus);  // Tab from the text reaches it
    connect(backlog_close_b, &QPushButton::clicked, this, [this] {
        handle([this] { model_.close_backlog(); });
        setFocus();
    });
    backlog_box->hide();
}

void StoryScreen::open_backlog() {
    handle([this] { model_.open_backlog(); });
    QString html;
    for (const BacklogLine& l : model_.backlog.lines()) {
        html += QStringLiteral("<p style=\"margin: 0 0 8px 0\">");
        if (!l.speaker.empty())
            html += QStringLiteral("<span style=\"color: #ffe49a; font-weight: bold\">") +
                    QString::fromStdString(l.speaker).toHtmlEscaped() +
                    QStringLiteral("</span><br>");
        html += QString::fromStdString(l.text).toHtmlEscaped() + QStringLiteral("</p>");
    }
    backlog_text->setHtml(html);
    backlog_box->raise();
    backlog_box->show();
    backlog_text->verticalScrollBar()->setValue(backlog_text->verticalScrollBar()->maximum());
    backlog_text->setFocus();
}

void StoryScreen::build_party_box() {
    party_box = group(QString(), "party_box", {540, 0, 450, 453}, this);
    party_box->setAutoFillBackground(true);
    QPalette pal = party_box->palette();
    pal.setColor(QPalette::Window, QColor(24, 24, 40));
    party_box->setPalette(pal);

    party_cg = new PictureView(canvas_, kPartyPortraitPicture, true, party_box);
    party_cg->setObjectName("party_cg");
    party_cg->setGeometry(8, 22, 128, 128);
    state_l1 = label("state_l1", {8, 156, 129, 17}, party_box);
    state_l2 = label("state_l2", {8, 176, 129, 134}, party_box, true);
    state_l3 = label("state_l3", {8, 316, 129, 73}, party_box, true);

    // Shown alone in its step, so it takes the height the class texts need.
    state_box1 = group(QStringLiteral("クラス"), "state_box1", {148, 20, 293, 393}, party_box);
    state_box1->setMouseTracking(true);
    state_box1->installEventFilter(this);
    state_box_l = label("state_box_l", {12, 22, 270, 20}, state_box1);
    for (int i = 0; i < int(kClassButtons.size()); ++i) {
        const ClassButton& c = kClassButtons[i];
        QPushButton* b =
            button(QString::fromUtf8(c.caption), c.widget, {12, 48 + 20 * i, 92, 20}, state_box1);
        b->setMouseTracking(true);
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this,
                [this, i] { handle([this, i] { model_.party.class_click(i); }); });
        class_buttons[i] = b;
    }
    job_about_l = label("job_about_l", {112, 48, 173, 90}, state_box1, true);
    job_about_l2 = label("job_about_l2", {112, 142, 173, 120}, state_box1, true);
    job_about_l3 = label("job_about_l3", {112, 266, 173, 120}, state_box1, true);

    state_box2 = group(QStringLiteral("ステータス"), "state_box2", {148, 128, 293, 157}, party_box);
    label("state_box2_l", {12, 22, 270, 20}, state_box2)
        ->setText(QStringLiteral("▼高めたい要素を１つ選択して下さい"));
    for (int k = 0; k < kAttrCount; ++k) {
        QPushButton* b = button(QString::fromUtf8(kAttrButtons[k].caption), kAttrButtons[k].widget,
                                {k < 5 ? 12 : 150, 46 + 21 * (k % 5), 130, 20}, state_box2);
        connect(b, &QPushButton::clicked, this,
                [this, k] { handle([this, k] { model_.party.attr_click(k); }); });
        attr_buttons[k] = b;
    }

    state_box3 = group(QStringLiteral("誓い"), "state_box3", {148, 256, 293, 157}, party_box);
    label("state_box3_l", {12, 22, 270, 20}, state_box3)
        ->setText(QStringLiteral("▼何を誓いますか？"));
    for (int v = 1; v <= int(kOathButtons.size()); ++v) {
        const int col = (v - 1) / 5, row = (v - 1) % 5;
        QPushButton* b =
            button(QString::fromUtf8(kOathButtons[v - 1].caption), kOathButtons[v - 1].widget,
                   {12 + 68 * col, 46 + 21 * row, 64, 20}, state_box3);
        connect(b, &QPushButton::clicked, this,
                [this, v] { handle([this, v] { model_.party.oath_click(v); }); });
        oath_buttons[v - 1] = b;
    }

    party_ok_b = button(QStringLiteral("→OK"), "party_ok_b", {336, 420, 105, 29}, party_box);
    connect(party_ok_b, &QPushButton::clicked, this,
            [this] { handle([this] { model_.party_ok_bClick(); }); });
}

template <typename F>
void StoryScreen::handle(F f) {
    // The model reports the faults of scripts and files itself; anything else still must not
    // leave an event handler.
    try {
        f();
    } catch (const std::exception& e) {
        dialogs_.inform(std::string("ストーリーの再生中にエラーが発生しました。\r") + e.what());
    }
    refresh();
}

void StoryScreen::sync_timer(QTimer* t, const TimerState& s) {
    const bool run = model_.shown() && s.enabled;
    if (t->interval() != s.interval_ms) t->setInterval(s.interval_ms);
    if (run && !t->isActive()) t->start();
    if (!run && t->isActive()) t->stop();
}

void StoryScreen::refresh() {
    const StoryModel& m = model_;
    const PartyBox& p = m.party;
    edit_box->setVisible(!m.text_box_hidden);
    ok_bb->setVisible(m.ok_bb_visible && !m.text_box_hidden);
    sel_box->setVisible(m.sel_box_visible);
    sel_box2->setVisible(m.sel_box2_visible);

    party_box->move(p.x, 0);
    party_box->setVisible(p.visible);
    party_box->setTitle(QString::fromStdString(p.caption));
    state_l1->setText(qs(p.state_l1));
    state_l1->setVisible(p.state_l1_visible);
    state_l2->setText(qs(p.state_l2));
    state_l2->setVisible(p.state_l2_visible);
    state_l3->setText(qs(p.state_l3));
    state_l3->setVisible(p.state_l3_visible);
    state_box1->setVisible(p.state_box1_visible);
    state_box2->setVisible(p.state_box2_visible);
    state_box3->setVisible(p.state_box3_visible);
    state_box_l->setText(qs(p.state_box_l));
    class_buttons[2]->setEnabled(p.j_a1_enabled);
    class_buttons[3]->setEnabled(p.j_a2_enabled);
    job_about_l->setText(qs(p.job_about_l));
    job_about_l2->setText(qs(p.job_about_l2));
    job_about_l3->setText(qs(p.job_about_l3));
    party_ok_b->setEnabled(p.party_ok_b_enabled);

    sync_timer(Timer5, m.timer5);
    sync_timer(Timer1, m.timer1);
    sync_timer(Timer3, m.timer3);
    // Behind the backlog nothing moves: the effect in progress waits where it is.
    const bool animate = m.animating() && !m.backlog_open();
    if (animate && !anim_timer_->isActive()) anim_timer_->start(m.next_pause_ms());
    if (!animate) anim_timer_->stop();
    sync_timer(AutoTimer, {m.auto_mode(), kAutoBeatMs});

    quick_menu->setVisible(!m.text_box_hidden && !m.backlog_open() && !p.visible);
    auto_b->setChecked(m.auto_mode());
    skip_b->setChecked(m.skip_mode());
    mode_l->setText(m.auto_mode()   ? QStringLiteral("AUTO")
                    : m.skip_mode() ? QStringLiteral("SKIP")
                                    : QString());
    if (!m.backlog_open() && backlog_box->isVisible()) backlog_box->hide();

    settle_focus();
    map_cg->update();
    my_cg->update();
    edit_box->update();
    party_cg->update();
}

void StoryScreen::FormShow() {
    handle([this] { model_.FormShow(); });
    setFocus();
}

void StoryScreen::FormHide() {
    handle([this] { model_.FormHide(); });
    // A scene over: what was read is kept.
    model_.save_read_record();
}

bool StoryScreen::open_scene(const std::string& name) {
    bool ok = false;
    handle([&] { ok = model_.open_scene(name); });
    return ok;
}

void StoryScreen::keyPressEvent(QKeyEvent* e) {
    const bool plain = !(e->modifiers() & (Qt::AltModifier | Qt::MetaModifier));
    if (model_.backlog_open()) {
        if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_L) {
            handle([this] { model_.close_backlog(); });
            setFocus();
        }
        return;
    }
    switch (e->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_L:
            open_backlog();
            return;
        case Qt::Key_A:
            if (!plain || e->modifiers() & Qt::ControlModifier) break;
            handle([this] { model_.toggle_auto(); });
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (!plain) break;
            handle([this] { model_.proceed(); });
            return;
        case Qt::Key_H:
            if (!plain) break;
            handle([this] { model_.toggle_text_box(); });
            return;
        case Qt::Key_Control:
            handle([this] { model_.set_fast_forward(true); });
            return;
        default:
            break;
    }
    ScreenPage::keyPressEvent(e);
}

void StoryScreen::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Control) {
        handle([this] { model_.set_fast_forward(false); });
        return;
    }
    ScreenPage::keyReleaseEvent(e);
}

void StoryScreen::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        handle([this] { model_.right_click(); });
        return;
    }
    ScreenPage::mousePressEvent(e);
}

void StoryScreen::wheelEvent(QWheelEvent* e) {
    if (e->angleDelta().y() > 0 && !model_.backlog_open()) {
        open_backlog();
        return;
    }
    ScreenPage::wheelEvent(e);
}

bool StoryScreen::eventFilter(QObject* obj, QEvent* e) {
    if (backlog_text && (obj == backlog_text->viewport() || obj == backlog_text)) {
        auto close = [this] {
            handle([this] { model_.close_backlog(); });
            setFocus();
            return true;
        };
        const QScrollBar* bar = backlog_text->verticalScrollBar();
        if (e->type() == QEvent::Wheel && static_cast<QWheelEvent*>(e)->angleDelta().y() < 0 &&
            bar->value() >= bar->maximum())
            return close();  // past the newest line
        if (e->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(e)->button() == Qt::RightButton)
            return close();
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
            return close();
        return ScreenPage::eventFilter(obj, e);
    }
    // A class reached by keys shows its texts, as pointing at it does.
    const bool keyed_in = e->type() == QEvent::FocusIn &&
                          (static_cast<QFocusEvent*>(e)->reason() == Qt::TabFocusReason ||
                           static_cast<QFocusEvent*>(e)->reason() == Qt::BacktabFocusReason);
    if (keyed_in)
        for (int i = 0; i < int(class_buttons.size()); ++i)
            if (obj == class_buttons[i]) handle([this, i] { model_.party.class_hover(i); });
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter) {
        for (int i = 0; i < int(class_buttons.size()); ++i)
            if (obj == class_buttons[i]) {
                handle([this, i] { model_.party.class_hover(i); });
                // A button ignores the move, which would reach the box and clear the texts.
                return e->type() == QEvent::MouseMove;
            }
        if (obj == state_box1 && e->type() == QEvent::MouseMove)
            handle([this] { model_.party.state_box1MouseMove(); });
    }
    return ScreenPage::eventFilter(obj, e);
}

}  // namespace lum

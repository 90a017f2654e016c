#include "shell/title_box.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>

#include "shell/shell_model.h"
#include "ui/key_nav.h"

namespace lum {

namespace {

QPushButton* make_button(const QString& caption, QRect r, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(r);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

// Night blue at the top, violet at 55 %, dusk red at the bottom.
QColor sky_at(double t) {
    struct Stop {
        double at;
        int r, g, b;
    };
    static constexpr Stop stops[] = {{0.0, 6, 8, 28}, {0.55, 28, 24, 72}, {1.0, 90, 52, 78}};
    const Stop& a = t < stops[1].at ? stops[0] : stops[1];
    const Stop& b = t < stops[1].at ? stops[1] : stops[2];
    const double f = (t - a.at) / (b.at - a.at);
    auto mix = [f](int x, int y) { return int(x + (y - x) * f + 0.5); };
    return QColor(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

}  // namespace

TitleBox::TitleBox(ShellModel& model, QWidget* parent) : QFrame(parent), model_(model) {
    setObjectName("start_box");
    setGeometry(0, 0, 725, 493);
    // One style sheet for the box, parsed once, rather than one a widget: polishing them was
    // much of the time between showing the window and its first paint.
    setStyleSheet(
        "QLabel { background: transparent; }"
        "#title_l { color: #fff6dc; }"
        "#version_l { color: #c9b27c; font-size: 14px; }"
        "#note_l { color: #b8bedc; font-size: 12px; }"
        "QPushButton { color: #f4ecd8; background: rgba(20, 24, 60, 200);"
        " border: 1px solid #c9b27c; border-radius: 3px; font-size: 15px; }"
        "QPushButton:hover, QPushButton:focus { background: rgba(70, 62, 120, 230);"
        " color: white; }"
        "QPushButton:focus { border: 2px solid #f4d890; }"
        "QPushButton:pressed { background: rgba(120, 100, 60, 230); }");

    auto* title = new QLabel(QStringLiteral("ルミナリア"), this);
    title->setObjectName("title_l");
    QFont tf(QStringLiteral("IPAMincho"));
    tf.setPixelSize(58);
    title->setFont(tf);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 88, 725, 80);

    auto* version = new QLabel(QStringLiteral("ｖｅｒｓｉｏｎ１．２"), this);
    version->setObjectName("version_l");
    version->setAlignment(Qt::AlignCenter);
    version->setGeometry(0, 172, 725, 22);

    auto* note = new QLabel(
        QStringLiteral(
            "「最初からする」を選択すると、セーブデータは新しいものなり、以前のデータは消えます。"),
        this);
    note->setObjectName("note_l");
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->setGeometry(40, 430, 645, 40);

    Button2 = make_button(QStringLiteral("コンティニュー"), QRect(262, 250, 200, 36), this);
    Button2->setObjectName("Button2");
    Button1 = make_button(QStringLiteral("最初からする"), QRect(262, 298, 200, 36), this);
    Button1->setObjectName("Button1");
    ed_b1 = make_button(QStringLiteral("エンディング１"), QRect(232, 346, 126, 30), this);
    ed_b1->setObjectName("ed_b1");
    ed_b2 = make_button(QStringLiteral("エンディング２"), QRect(366, 346, 126, 30), this);
    ed_b2->setObjectName("ed_b2");

    config_b = make_button(QStringLiteral("設定"), QRect(633, 12, 80, 26), this);
    config_b->setObjectName("config_b");
    config_b->setToolTip(QStringLiteral("設定 (F2)"));
    connect(config_b, &QPushButton::clicked, this, [this] {
        if (on_settings) on_settings();
    });
    // Arrows step through the visible buttons, Enter or Space presses the one chosen.
    (new KeyNav(this))->add_group({Button2, Button1, ed_b1, ed_b2, config_b});

    // Each click may switch screens; the view copies the new state right after.
    connect(Button1, &QPushButton::clicked, this, [this] {
        model_.Button1Click();
        refresh();
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        model_.Button2Click();
        refresh();
    });
    connect(ed_b1, &QPushButton::clicked, this, [this] {
        model_.ed_b1Click();
        refresh();
    });
    connect(ed_b2, &QPushButton::clicked, this, [this] {
        model_.ed_b2Click();
        refresh();
    });
    refresh();
}

void TitleBox::name_for_assistive_technology() {
    setAccessibleName(QStringLiteral("スターター"));
}

void TitleBox::refresh() {
    setVisible(model_.start_box_visible);
    ed_b1->setVisible(model_.ed_b1_visible);
    ed_b2->setVisible(model_.ed_b2_visible);
    if (model_.start_box_visible && !focusWidget()) Button2->setFocus();
}

void TitleBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The sky's vertical gradient a row at a time: solid rows fill several times faster than a
    // gradient brush, and this is the first paint the player waits for.
    const int h = height();
    for (int y = 0; y < h; ++y) p.fillRect(0, y, width(), 1, sky_at((y + 0.5) / h));

    // A fixed field of stars: the same sky every start.
    QRandomGenerator stars(1200);
    for (int i = 0; i < 160; ++i) {
        int x = int(stars.bounded(725));
        int y = int(stars.bounded(330));
        int a = 90 + int(stars.bounded(165));
        p.setPen(QColor(255, 250, 230, a));
        p.drawPoint(x, y);
        if (i % 17 == 0) {
            p.drawPoint(x + 1, y);
            p.drawPoint(x - 1, y);
            p.drawPoint(x, y + 1);
            p.drawPoint(x, y - 1);
        }
    }
    // A low ridge of hills under the sky.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(14, 12, 30));
    QPolygon hills;
    hills << QPoint(0, 493) << QPoint(0, 400);
    for (int x = 0; x <= 725; x += 25)
        hills << QPoint(x, 400 - int(18 * std::sin(x / 70.0)) - (x % 75 == 0 ? 6 : 0));
    hills << QPoint(725, 493);
    p.drawPolygon(hills);
    // A thin frame around the title.
    p.setPen(QPen(QColor(201, 178, 124, 160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(180, 82, 545, 82);
    p.drawLine(180, 200, 545, 200);
}

}  // namespace lum

#include "battle/battle_screen.h"

#include <QPushButton>

#include "shell/shell_model.h"
#include "shell/title_box.h"

namespace lum {

BattleScreen::BattleScreen(ShellModel& shell, QWidget* parent)
    : ScreenPage(QStringLiteral("【ルミナリア】 ver1.2"), QSize(725, 493), parent), shell_(shell) {
    setObjectName("Form1");
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(16, 16, 24));
    setPalette(pal);

    start_box = new TitleBox(shell_, this);

    // The developer buttons sit past the right edge of the client area, so the page clips
    // them away from players.
    struct Dev {
        const char* name;
        const char* caption;
        std::function<void()> act;
    };
    const Dev devs[] = {
        {"BitBtn2", "ＴＲＡＶＥＬ", [this] { shell_.BitBtn2Click(); }},
        {"BitBtn4", "初期化", [this] { shell_.BitBtn4Click(); }},
        {"Button17", "exp+", [this] { shell_.Button17Click(); }},
        {"Button15", "job+", [this] { shell_.Button15Click(); }},
        {"Button16", "job-", [this] { shell_.Button16Click(); }},
        {"Button5", "体力+", [this] { shell_.raise_attr(0); }},
        {"Button6", "魔力+", [this] { shell_.raise_attr(1); }},
        {"Button7", "秩序+", [this] { shell_.raise_attr(2); }},
        {"Button8", "冷静+", [this] { shell_.raise_attr(3); }},
        {"Button9", "機工+", [this] { shell_.raise_attr(4); }},
        {"Button10", "天法+", [this] { shell_.raise_attr(5); }},
        {"Button11", "闇+", [this] { shell_.raise_attr(6); }},
        {"Button12", "獣+", [this] { shell_.raise_attr(7); }},
        {"Button13", "過去+", [this] { shell_.raise_attr(8); }},
        {"Button14", "速さ+", [this] { shell_.raise_attr(9); }},
    };
    int y = 0;
    for (const Dev& d : devs) {
        auto* b = new QPushButton(QString::fromUtf8(d.caption), this);
        b->setObjectName(d.name);
        b->setGeometry(728, y, 80, 24);
        y += 26;
        connect(b, &QPushButton::clicked, this, d.act);
    }
    BitBtn2 = findChild<QPushButton*>("BitBtn2");
    BitBtn4 = findChild<QPushButton*>("BitBtn4");
}

}  // namespace lum

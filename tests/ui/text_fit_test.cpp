// Every text of every screen and dialog shows whole at zoom 1 with the game's IPA font: a walk
// over the widgets measures each label, button, box title and list row against the room its
// widget gives it, on the real tables, with their longest names and texts put in place.

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QtTest>
#include <set>

#include "battle/battle_clock.h"
#include "battle/battle_screen.h"
#include "battle/enemy_turn.h"
#include "battle/movement.h"
#include "battle/result_dialog.h"
#include "battle/sealed_sword.h"
#include "battle/techniques.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "state/data_files.h"
#include "story/story_screen.h"
#include "travel/travel_screen.h"
#include "ui/settings_dialog.h"
#include "ui/status_panel_view.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

constexpr int kUnbounded = 1 << 20;

QString where(const QWidget* w) {
    QStringList path;
    for (const QWidget* p = w; p; p = p->parentWidget())
        if (!p->objectName().isEmpty()) path.prepend(p->objectName());
    return path.join('/');
}

QString report(const QWidget* w, const QString& text, QSize need, QSize room) {
    return QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
        .arg(where(w), QString(text).replace('\n', "\\n"))
        .arg(need.width())
        .arg(need.height())
        .arg(room.width())
        .arg(room.height());
}

bool fits(QSize need, QRect room) {
    return need.width() <= room.width() && need.height() <= room.height();
}

// What `w` (not its children) cannot show whole; empty when everything fits.
QStringList cut_in(QWidget* w) {
    QStringList out;
    // A hidden button that its box lays out only when it shows.
    if (w->isHidden() && w->size().isEmpty()) return out;
    w->ensurePolished();
    if (auto* l = qobject_cast<QLabel*>(w)) {
        const QString text = l->text();
        const bool rich = l->textFormat() == Qt::RichText ||
                          (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        if (text.isEmpty() || rich) return out;
        const int m = l->margin();
        const QRect room = l->contentsRect().adjusted(m, m, -m, -m);
        const QFontMetrics fm = l->fontMetrics();
        const QRect need = l->wordWrap() ? fm.boundingRect(QRect(0, 0, room.width(), kUnbounded),
                                                           Qt::AlignLeft | Qt::TextWordWrap, text)
                                         : fm.boundingRect(QRect(0, 0, kUnbounded, kUnbounded),
                                                           Qt::AlignLeft, text);
        if (!fits(need.size(), room)) out << report(l, text, need.size(), room.size());
        // Japanese wraps anywhere; a line with a space is a caption and its value ("必要Ａｒｋ
        // 10"), which must not be split over two lines.
        if (l->wordWrap())
            for (const QString& line : text.split('\n'))
                if (line.contains(' ') && fm.horizontalAdvance(line) > room.width())
                    out << report(l, line, {fm.horizontalAdvance(line), 0}, room.size());
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
        if (b->text().isEmpty()) return out;
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
        const QRect need = b->fontMetrics().boundingRect(QRect(0, 0, kUnbounded, kUnbounded),
                                                         Qt::TextShowMnemonic, b->text());
        if (!fits(need.size(), room)) out << report(b, b->text(), need.size(), room.size());
    } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
        if (c->width() < c->sizeHint().width())
            out << report(c, c->text(), c->sizeHint(), c->size());
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        // The title starts a few pixels in from the left edge.
        const QSize need(g->fontMetrics().horizontalAdvance(g->title()) + 8, 0);
        if (!g->title().isEmpty() && need.width() > g->width())
            out << report(g, g->title(), need, g->size());
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        if (list->count() == 0) return out;
        int room = list->viewport()->width();
        if (list->count() * list->sizeHintForRow(0) > list->viewport()->height())
            room -= list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
        const QFontMetrics fm = list->fontMetrics();
        for (int i = 0; i < list->count(); ++i) {
            const QString text = list->item(i)->text();
            // The row's text sits inside the focus frame's margin on both sides.
            const QSize need(fm.horizontalAdvance(text) + 6, 0);
            if (need.width() > room) out << report(list, text, need, {room, 0});
        }
    }
    return out;
}

// Everything cut in `root` and its children.
QStringList cut_texts(QWidget* root) {
    QStringList out = cut_in(root);
    for (QWidget* w : root->findChildren<QWidget*>()) out << cut_in(w);
    return out;
}

// Collects what a sequence of walks found, once each.
struct Findings {
    std::set<QString> seen;
    void add(const QStringList& cut) { seen.insert(cut.begin(), cut.end()); }
    QString text() const {
        QStringList l(seen.begin(), seen.end());
        return l.join('\n');
    }
};

struct Harness {
    explicit Harness(const std::string& name) : dir(copy_built_game("fit_" + name)) {
        // The program's own font (main.cpp); the tests otherwise run on Qt's default.
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(12);
        QApplication::setFont(font);
        app = std::make_unique<App>(fake_port_options(dir, sounds, dialogs));
        dialogs->default_answer = false;
    }
    ~Harness() {
        app.reset();
        fs::remove_all(dir);
    }
    void new_game() { start_new_game(*app, *dialogs); }
    GameState& gs() { return app->state(); }

    fs::path dir;
    std::vector<std::string> sounds;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<App> app;
};

}  // namespace

class TextFitTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY2(
            QFontInfo(QFont(QStringLiteral("IPAGothic"))).family() == QStringLiteral("IPAGothic"),
            "the IPA fonts are not installed");
    }
    void cleanupTestCase() { remove_game_dirs(); }

    void titleAndSettings() {
        Harness h("title");
        QVERIFY(h.app->start());
        Findings f;
        f.add(cut_texts(&h.app->battle_screen()));
        SettingsDialog dlg(PlayerSettings{}, {"既定の出力先"}, {}, nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        f.add(cut_texts(&dlg));
        QVERIFY2(f.seen.empty(), qPrintable(f.text()));
    }

    void travelWithTheLongestNames() {
        Harness h("travel");
        h.new_game();
        GameState& gs = h.gs();
        TravelScreen& t = h.app->travel_screen();
        TravelModel& m = t.model();
        gs.stage_no = 60;  // every class in the class list, card_b on the map
        gs.money = 9999999;
        gs.ark = 999999;
        for (int i = 0; i < kItemCount; ++i) gs.item_owned[i] = !gs.item_table[i].name.empty();
        auto tick = [&] {
            m.Timer1Timer();
            m.Timer2Timer();
            m.Timer3Timer();
            t.refresh();
        };
        Findings f;

        // The map: every place's description and every region's.
        for (auto& flag : gs.place_flags) flag = 1;
        t.FormShow();
        tick();
        f.add(cut_texts(&t));
        for (PlaceButton* b : t.findChildren<PlaceButton*>()) {
            for (const QString& shown : {b->toolTip(), b->accessibleName()})
                QVERIFY2(!shown.isEmpty() && !shown.startsWith('m') && !shown.startsWith('M') &&
                             !shown.startsWith("BitBtn") && !shown.startsWith("card_b"),
                         qPrintable(b->objectName() + ": " + shown));
            b->on_hover();
            b->on_press();
            f.add(cut_texts(t.map_about_l));
        }
        for (int box : kRegionBoxes) {
            m.map_hover(box);
            t.refresh();
            f.add(cut_texts(t.map_about_l));
        }

        // Every item in the item box and on the shops' counters.
        for (bool cards : {true, false}) {
            m.click(cards ? "card_b" : "BitBtn1");
            tick();
            f.add(cut_texts(&t));
            for (int row = 0; row < int(m.item_list.size()); ++row) {
                m.item_listMouseDown(row);
                t.refresh();
                f.add(cut_texts(t.item_box));
                f.add(cut_texts(cards ? t.card_box : t.ken_box));
            }
            m.back_click();
        }

        // Every class in the class shop and the status panel; every 哀古 and oath name.
        m.click("m5");
        for (int j = 0; j < kJobCount; ++j) {
            gs.sel_job = static_cast<byte>(j);
            gs.chara[1].job = static_cast<byte>(j);
            tick();
            f.add(cut_texts(t.mara_box));
            f.add(cut_texts(t.status_panel));
        }
        m.back_click();
        for (int a = 0; a < kAikoCount; ++a) {
            gs.chara[1].aiko_name = gs.aiko_names[a];
            gs.chara[1].oath = static_cast<byte>(a);
            tick();
            f.add(cut_texts(t.status_panel));
        }
        m.Button1Click();  // the config box
        tick();
        f.add(cut_texts(t.hyoji_box));
        QVERIFY2(f.seen.empty(), qPrintable(f.text()));
    }

    void battleAndResultWithTheLongestNames() {
        Harness h("battle");
        h.new_game();
        GameState& gs = h.gs();
        BattleScreen& s = h.app->battle_screen();
        BattleModel& m = s.model();
        TChara& hero = gs.chara[1];
        hero.body = hero.magic = hero.order = hero.calm = hero.mech = 999;
        hero.justice = hero.dark = hero.beast = hero.past = hero.speed = 999;
        hero.mp = hero.max_mp = 999;
        gs.skill_flags.fill(1);
        for (int i = 0; i < kItemCount; ++i) gs.item_owned[i] = !gs.item_table[i].name.empty();
        gs.rng.seed(3);
        m.start(BattleKind::random);
        QVERIFY(h.app->router().visible(ScreenId::battle));
        QVERIFY(m.awaiting_command());
        Findings f;
        f.add(cut_texts(&s));

        // Every technique's caption and description, and the sealed sword's.
        for (int family = 1; family <= 18; ++family) {
            if (!m.family_visible[family]) continue;
            m.escape();
            m.escape();
            family <= 7 || family == 16 ? m.usu_bClick() : m.spa_bClick();
            m.family_click(family);
            for (int slot = 1; slot <= 4; ++slot) {
                m.technique_hover(slot);
                s.refresh();
                f.add(cut_texts(&s));
            }
        }
        m.escape();
        m.escape();
        m.Button23Click();
        for (int family = kFirstSealed; family <= kLastSealed; ++family) {
            m.sealed_hover(family);
            s.refresh();
            f.add(cut_texts(&s));
        }
        m.escape();

        // Every item in the battle's item box.
        m.Button18Click();
        for (int row = 0; row < int(m.item_box.entries.size()); ++row) {
            m.item_listMouseDown(row);
            s.refresh();
            f.add(cut_texts(s.item_box));
        }
        m.Button22Click();

        // The status panel for every class of enemy and party member.
        gs.chara[11].profile.clear();
        for (int j = 0; j < kJobCount; ++j) {
            gs.chara[11].job = gs.chara[1].job = static_cast<byte>(j);
            for (int unit : {1, 11}) {
                gs.sel_unit = static_cast<byte>(unit);
                m.Timer2Timer();
                s.refresh();
                f.add(cut_texts(s.status_panel));
                f.add(cut_texts(s.party_about_l));
            }
        }

        // Every enemy's opening line.
        for (int stage = 0; stage <= 61; ++stage) {
            gs.stage_no = stage;
            load_stage(gs);
            for (const TEnemyEntry& e : gs.stage_enemies) {
                m.widgets().moji_l2 = e.speech;
                s.refresh();
                f.add(cut_texts(s.moji_l2));
            }
        }

        // The result dialog, every line out; its one reward the item with the longest name.
        m.widgets().moji_l2.clear();
        int longest = 0;
        for (int i = 0; i <= 252; ++i) {
            if (QString::fromStdString(gs.item_table[i].name).size() >
                QString::fromStdString(gs.item_table[longest].name).size())
                longest = i;
            gs.item_owned[i] = 1;
        }
        gs.item_owned[longest] = 0;
        s.Button21->click();  // 敵全滅
        QVERIFY(h.app->router().visible(ScreenId::result));
        auto& r = static_cast<ResultDialog&>(*h.app->router().page(ScreenId::result));
        QTest::mouseClick(&r, Qt::LeftButton);
        QTRY_VERIFY(r.next_b->isEnabled());
        QCOMPARE(r.clear_l5->text(),
                 "GetItem " + QString::fromStdString(gs.item_table[longest].name));
        f.add(cut_texts(&r));
        QVERIFY2(f.seen.empty(), qPrintable(f.text()));
    }

    // Every text the battle puts on its message line, from every technique, sealed sword,
    // enemy action, step, item and refusal, with the tables' longest names and large values,
    // shows whole on the message line.
    void everyBattleMessageFitsTheMessageLine() {
        Harness h("messages");
        h.new_game();
        GameState& gs = h.gs();
        BattleScreen& s = h.app->battle_screen();
        BattleModel& m = s.model();
        BattleContext& ctx = m.context();
        const QFontMetrics fm(s.moji_l->font());
        auto widest = [&](const std::vector<std::string>& names) {
            std::string best;
            for (const std::string& n : names)
                if (fm.horizontalAdvance(QString::fromStdString(n)) >
                    fm.horizontalAdvance(QString::fromStdString(best)))
                    best = n;
            return best;
        };
        std::vector<std::string> names(gs.name_table.begin(), gs.name_table.end());
        for (int i = 1; i <= 10; ++i) names.push_back(gs.chara[i].name);
        for (int stage = 0; stage <= 61; ++stage) {
            gs.stage_no = stage;
            load_stage(gs);
            for (const TEnemyEntry& e : gs.stage_enemies) names.push_back(e.name);
        }
        const std::string name = widest(names);
        const std::string aiko =
            widest(std::vector<std::string>(gs.aiko_names.begin(), gs.aiko_names.end()));
        std::vector<std::string> oaths(gs.oath_table.begin(), gs.oath_table.end());
        const std::string oath = widest(oaths);
        QVERIFY(fm.horizontalAdvance(QString::fromStdString(name)) >= 5 * 12);

        gs.skill_flags.fill(1);
        for (int i = 0; i < kItemCount; ++i) gs.item_owned[i] = !gs.item_table[i].name.empty();
        gs.money = gs.ark = 9999999;
        gs.rng.seed(5);
        m.start(BattleKind::random);
        m.SpeechTimer();
        // The board full around the middle: the actor at (3, 2), party members and enemies on
        // every square a technique or an enemy's class reaches first.
        const int party_at[5][2] = {{3, 2}, {4, 2}, {3, 1}, {3, 3}, {2, 0}};
        const int enemy_at[5][2] = {{2, 2}, {1, 2}, {2, 1}, {2, 3}, {4, 1}};
        gs.grid = {};
        for (int k = 0; k < 5; ++k) {
            for (int side = 0; side < 2; ++side) {
                const int slot = side == 0 ? k + 1 : k + 11;
                const int* at = side == 0 ? party_at[k] : enemy_at[k];
                TChara& c = gs.chara[slot];
                c.name = name;
                c.state = kStateNormal;
                c.level = 99;
                c.hp = c.max_hp = 99999;
                c.mp = c.max_mp = 9999;
                for (int a = 0; a < kAttrCount; ++a) c.attr(a) = 999;
                c.aiko_name = aiko;
                c.aiko_power = 99999;
                c.oath =
                    static_cast<byte>(std::find(oaths.begin(), oaths.end(), oath) - oaths.begin());
                c.oath_count = 98;
                c.lifespan = 99;
                c.x = static_cast<byte>(at[0]);
                c.y = static_cast<byte>(at[1]);
                gs.grid.set(at[0], at[1], static_cast<byte>(slot));
            }
        }
        const GameState start = gs;
        const BattleWidgets start_w = ctx.w;
        std::set<std::string> texts;
        auto collect = [&] {
            for (const std::string* t : {&ctx.w.moji_l, &gs.player_act_msg, &gs.player_result_msg,
                                         &gs.enemy_act_msg, &gs.enemy_result_msg})
                if (!t->empty()) texts.insert(*t);
        };
        // Each action from the same board; `rich` false leaves nothing to pay with.
        auto from_start = [&](int actor, std::uint64_t seed, bool rich, auto act) {
            gs = start;
            ctx.w = start_w;
            gs.rng.seed(seed);
            gs.cur_unit = static_cast<byte>(actor);
            if (!rich) {
                TChara& a = gs.chara[actor];
                a.mp = a.oath_count = 0;
                gs.ark = 0;
                for (int i = 0; i < kItemCount; ++i) gs.item_owned[i] = 0;
            }
            act();
            collect();
        };
        for (std::uint64_t seed = 1; seed <= 12; ++seed) {
            for (int family = 1; family <= 18; ++family)
                for (int slot = 1; slot <= 4; ++slot)
                    for (bool rich : {true, false})
                        from_start(1, seed, rich, [&] { resolve_technique(ctx, family, slot); });
            for (int family = kFirstSealed; family <= kLastSealed; ++family)
                for (bool rich : {true, false})
                    from_start(1, seed, rich, [&] { resolve_technique(ctx, family, 1); });
            for (int job = 0; job <= 21; ++job)
                from_start(11, seed, true, [&] {
                    gs.chara[11].job = static_cast<byte>(job);
                    gs.enemy_phase = 2;
                    enemy_act(ctx);
                });
            from_start(1, seed, true, [&] {
                wait_command(ctx);
                collect();
                party_half_tick(ctx);
            });
            from_start(1, seed, true, [&] { random_warp(ctx); });
        }
        from_start(1, 1, true, [&] {
            gs.cur_unit = 0;
            open_next_party_turn(ctx);
        });
        from_start(1, 1, true, [&] { step(ctx, StepButton::usiro); });
        from_start(1, 1, true, [&] {
            gs.skill_family = 14;
            gs.skill_slot = 4;
            ctx.w.warp_click_armed = true;
            warp_to_clicked_square(ctx, 6 * kSquarePx + 2, 4 * kSquarePx + 2);
        });
        // Every item the battle's item box holds, used or refused.
        from_start(1, 1, true, [] {});
        const auto entries = owned_item_entries(gs);
        for (int row = 0; row < int(entries.size()); ++row)
            from_start(1, 1, true, [&] {
                m.Button18Click();
                m.item_listMouseDown(row);
                m.item_useClick();
            });
        from_start(1, 1, true, [&] {
            m.Button18Click();
            m.item_useClick();
        });
        QVERIFY2(texts.size() >= 150, qPrintable(QString::number(texts.size())));

        // Whole, and not so small that it cannot be read.
        constexpr int kReadablePx = 11;
        Findings f;
        int two_rows = 0;
        for (const std::string& t : texts) {
            s.moji_l->show_text(t);
            f.add(cut_in(s.moji_l));
            if (s.moji_l->font().pixelSize() < kReadablePx)
                f.add({QStringLiteral("%1px: ").arg(s.moji_l->font().pixelSize()) +
                       QString::fromStdString(t)});
            if (t.find('\r') != std::string::npos) ++two_rows;
        }
        QVERIFY(two_rows > 0);
        QVERIFY2(f.seen.empty(), qPrintable(f.text()));
    }

    void storyPartyBox() {
        Harness h("story");
        h.new_game();
        StoryScreen& story = h.app->story_screen();
        PartyBox& p = story.model().party;
        Findings f;
        QVERIFY(p.open_party_member("月影院睦月", true));
        for (int i = 0; i < int(kClassButtons.size()); ++i) {
            p.class_hover(i);
            story.refresh();
            f.add(cut_texts(&story));
        }
        p.class_click(0);
        story.refresh();
        f.add(cut_texts(&story));
        p.attr_click(0);
        story.refresh();
        f.add(cut_texts(&story));
        QVERIFY2(f.seen.empty(), qPrintable(f.text()));
    }
};

QTEST_MAIN(TextFitTest)
#include "text_fit_test.moc"

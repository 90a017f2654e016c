// A save whose values are out of every range starts, continues and plays a battle: what the
// game cannot use is brought into range with a notice naming each field, and the next save
// holds the repaired values.

#include <QPushButton>
#include <QtTest>

#include "battle/battle_screen.h"
#include "battle/battle_sim.h"
#include "battle/movement.h"
#include "battle/setup.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

void damage(GameState& gs) {
    gs.player_name = "";
    gs.stage_no = 999;
    TChara& hero = gs.chara[1];
    hero.name = "";
    hero.state = 1;
    hero.hp = -5;
    hero.max_hp = 2000000000;
    hero.job = 255;
    hero.x = 200;
    hero.y = 200;
    hero.oath = 255;
    hero.level = -7;
    hero.speed = 2000000000;
    hero.lifespan = 30;  // so that the hero fights
    TChara& second = gs.chara[2];
    second.name = "";
    second.state = 200;
    second.hp = 2000000000;
    second.max_hp = -1;
    second.exp = -5000;
    second.oath_count = -9;
    second.aiko_power = -2000000000;
}

}  // namespace

class DamagedSaveTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanupTestCase() { remove_game_dirs(); }

    void startsContinuesAndPlaysABattle() {
        const fs::path dir = make_game_dir("damaged", damage);
        auto start = [&](FakeDialogs*& dialogs) {
            App::Options o;
            o.game_dir = dir;
            auto d = std::make_unique<FakeDialogs>();
            dialogs = d.get();
            o.dialogs = std::move(d);
            o.sound = std::make_unique<FakeSound>();
            return std::make_unique<App>(std::move(o));
        };
        FakeDialogs* dialogs = nullptr;
        auto app = start(dialogs);
        QVERIFY(app->start());
        QCOMPARE(dialogs->log.size(), size_t(1));
        const std::string& notice = dialogs->log[0];
        QVERIFY(notice.rfind("inform:セーブデータの使えない値を直しました。\r", 0) == 0);
        for (const char* field : {"my.dat: stage_no 999 is outside 0..61; 61 is used",
                                  "my.dat: chara[1].job 255 is outside 0..50; 50 is used",
                                  "my.dat: chara[1].x 200 is outside 0..20; 20 is used",
                                  "my.dat: chara[1].level -7 is outside 0..9999; 0 is used"})
            QVERIFY2(notice.find(field) != std::string::npos, field);

        app->start_box().Button2->click();  // コンティニュー
        QVERIFY(app->router().visible(ScreenId::travel));
        GameState& gs = app->state();
        QCOMPARE(gs.stage_no, 61);
        QCOMPARE(gs.chara[1].max_hp, 999999);
        QCOMPARE(gs.chara[2].state, byte(kStatePetrified));

        // A battle through the real rules: the clock's two halves and the stand-in player, who
        // (as class 50, with nothing to strike with) flees once it has gone on long enough.
        // Seeded: the start seeded the generator from the clock, and the checks below hold for
        // the outcome this seed gives (a flight back to travel, the hero standing).
        gs.rng.seed(20261209);
        FakePacing pacing;
        FakeScreens screens;
        BattleContext ctx{gs, app->dialogs(), app->sound(), pacing, screens, {}};
        start_random_battle(ctx);
        QVERIFY(ctx.w.battle_shown);
        int ticks = 0;
        for (; ticks < 40000 && ctx.w.battle_shown; ++ticks) {
            sim::step_battle(ctx, [&](BattleContext& c) {
                ticks < 20000 ? sim::stand_in_command(c) : void(flee(c));
            });
        }
        QVERIFY2(!ctx.w.battle_shown, "the battle did not end");
        QCOMPARE(screens.log.back(), std::string("show:travel"));
        QVERIFY(gs.chara[1].hp > 0 && gs.chara[1].hp <= 999999);

        // Closing saves the repaired values: the next start has nothing to repair.
        QVERIFY(app->window().close());
        app.reset();
        auto again = start(dialogs);
        QVERIFY(again->start());
        QCOMPARE(dialogs->log.size(), size_t(0));
        QCOMPARE(again->state().stage_no, 61);
    }
};

QTEST_MAIN(DamagedSaveTest)
#include "damaged_save_test.moc"

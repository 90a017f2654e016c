#include <QApplication>
#include <QEvent>
#include <QFont>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "battle/battle_model.h"
#include "battle/battle_screen.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/shell_model.h"
#include "shell/title_box.h"
#include "story/story_screen.h"

namespace {

// For the start-up measurement: says "shown" on stdout at the window's first paint and ends.
class ShownReporter : public QObject {
  public:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(obj, e);
    }

  private:
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::string scene, battle;
    // Options that must act before Qt starts.
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--zoom" && i + 1 < argc) || a.rfind("--zoom=", 0) == 0) {
            std::string v = a == "--zoom" ? argv[++i] : a.substr(7);
            int zoom = std::atoi(v.c_str());
            if (zoom < 1 || zoom > 8) {
                std::fprintf(stderr, "luminaria: --zoom takes a whole number from 1 to 8\n");
                return 2;
            }
            // Whole-number scaling keeps the pixel art sharp.
            qputenv("QT_SCALE_FACTOR", QByteArray::number(zoom));
            qputenv("QT_SCALE_FACTOR_ROUNDING_POLICY", "Round");
        } else if ((a == "--scene" && i + 1 < argc) || a.rfind("--scene=", 0) == 0) {
            scene = a == "--scene" ? argv[++i] : a.substr(8);
        } else if ((a == "--battle" && i + 1 < argc) || a.rfind("--battle=", 0) == 0) {
            battle = a == "--battle" ? argv[++i] : a.substr(9);
            if (battle != "story" && battle != "region" && battle != "random") {
                std::fprintf(stderr, "luminaria: --battle takes story, region or random\n");
                return 2;
            }
        } else if (a == "--help" || a == "-h") {
            std::printf(
                "usage: luminaria [--zoom N] [--scene NAME]\n"
                "  --zoom N       show the window N times larger (1..8)\n"
                "  --scene NAME   play one scene straight away, for authors: story12 plays\n"
                "                 dat/story12.dat, people15 dat/people15.dat (nothing is saved)\n"
                "  --battle KIND  continue the save and fight a story, region or random battle\n"
                "                 of its stage on the map of place 0 (nothing is saved)\n"
                "  F11 or Alt+Enter toggles full screen.\n");
            return 0;
        }
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ルミナリア"));
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    lum::App::Options options;
    options.game_dir = lum::program_folder();
    lum::App app(std::move(options));

    ShownReporter reporter;
    if (qEnvironmentVariableIsSet("LUM_REPORT_SHOWN")) qapp.installEventFilter(&reporter);

    if (!app.start()) return 1;
    if (!scene.empty() && !app.story_screen().open_scene(scene)) return 1;
    if (!battle.empty()) {
        app.shell().Button2Click();
        app.battle_screen().start_box->refresh();
        app.state().save_on_close = false;
        const auto kind = battle == "story"    ? lum::BattleKind::story
                          : battle == "region" ? lum::BattleKind::region
                                               : lum::BattleKind::random;
        app.battle_model().start(kind);
        app.battle_screen().refresh();
    }
    return QApplication::exec();
}

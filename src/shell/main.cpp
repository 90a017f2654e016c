#include <QApplication>
#include <QEvent>
#include <QFont>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "battle/battle_model.h"
#include "battle/battle_screen.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/qt_settings_store.h"
#include "shell/shell_model.h"
#include "shell/start_trace.h"
#include "shell/title_box.h"
#include "state/save_location.h"
#include "state/window_scale.h"
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
    // A write past the file-size limit must fail as an error the save can report, not end the
    // game with the progress since the last save.
    std::signal(SIGXFSZ, SIG_IGN);
    lum::trace_start("main");
    std::string scene, battle;
    int zoom = 0;  // from the command line; 0: the settings' own
    bool print_save_dir = false;
    // Options that must act before Qt starts.
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--zoom" && i + 1 < argc) || a.rfind("--zoom=", 0) == 0) {
            std::string v = a == "--zoom" ? argv[++i] : a.substr(7);
            zoom = std::atoi(v.c_str());
            if (zoom < 1 || zoom > lum::kMaxZoom) {
                std::fprintf(stderr, "luminaria: --zoom takes a whole number from 1 to 8\n");
                return 2;
            }
        } else if (a == "--save-dir") {
            print_save_dir = true;
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
                "usage: luminaria [--zoom N] [--scene NAME] [--battle KIND] [--save-dir]\n"
                "  --zoom N       show the window N times larger (1..8) this time\n"
                "  --save-dir     print the folder that holds the save and end\n"
                "  --scene NAME   play one scene straight away, for authors: story12 plays\n"
                "                 dat/story12.dat, people15 dat/people15.dat (nothing is saved)\n"
                "  --battle KIND  continue the save and fight a story, region or random battle\n"
                "                 of its stage on the map of place 0 (nothing is saved)\n"
                "  F2 opens the settings; F11 or Alt+Enter toggles full screen.\n");
            return 0;
        }
    }

    const std::filesystem::path exe_dir = lum::executable_folder();
    const std::filesystem::path game_dir = lum::find_game_folder(exe_dir);
    if (game_dir.empty()) {
        std::fprintf(stderr, "luminaria: no game folder: neither %s nor %s holds dat/\n",
                     exe_dir.c_str(), (exe_dir.parent_path() / "share/luminaria").c_str());
        return 1;
    }
    const bool installed = game_dir != exe_dir;
    lum::SaveLocation where =
        lum::choose_save_location({game_dir, installed, lum::user_save_folder(), nullptr});
    if (print_save_dir) {
        std::printf("%s\n", where.folder.c_str());
        return 0;
    }
    std::vector<std::string> notices;
    std::string why;
    bool copied = false;
    if (!lum::prepare_save_folder(where, game_dir, &why, &copied)) {
        std::fprintf(stderr, "luminaria: %s; the save stays in %s\n", why.c_str(),
                     (game_dir / "dat").c_str());
        where = {game_dir / "dat", true, {}};
    } else if (copied && !where.notice.empty()) {
        // Said once, on the run that moves the save; --save-dir tells it again any time.
        std::fprintf(stderr, "luminaria: %s\n", where.notice.c_str());
        notices.push_back("ゲームのフォルダー（" + (game_dir / "dat").string() +
                          "）に書き込めないため、セーブデータは\r" + where.folder.string() +
                          "\rに保存します。");
    }

    lum::trace_start("save folder");
    // The settings come first: a fault in them is told before the window shows.
    auto store = std::make_unique<lum::QtSettingsStore>(lum::default_settings_file());
    lum::LoadedSettings loaded = lum::load_settings(*store, [](const std::string& f) {
        std::error_code ec;
        return std::filesystem::is_regular_file(f, ec);
    });
    if (!loaded.complaint.empty())
        std::fprintf(stderr, "luminaria: settings: %s\n", loaded.complaint.c_str());

    lum::trace_start("settings");
    QApplication qapp(argc, argv);
    lum::trace_start("QApplication");
    QApplication::setApplicationName(QStringLiteral("ルミナリア"));
    QGuiApplication::setDesktopFileName(QStringLiteral(LUM_APP_ID));
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    lum::App::Options options;
    options.game_dir = game_dir;
    options.installed = installed;
    options.icon_name = LUM_APP_ID;
    if (!where.portable) options.save_dir = where.folder;
    options.settings = loaded.values;
    options.zoom_once = zoom;
    options.settings_store = std::move(store);
    lum::App app(std::move(options));
    lum::trace_start("screens made");

    ShownReporter reporter;
    if (qEnvironmentVariableIsSet("LUM_REPORT_SHOWN")) qapp.installEventFilter(&reporter);

    // A plain start paints the title before the save is read; a scene or battle straight away
    // needs the save first.
    const bool plain = scene.empty() && battle.empty();
    app.after_load = [&app, notices] {
        for (const auto& n : notices) app.dialogs().inform(n);
    };
    app.load_failed = [] { QCoreApplication::exit(1); };
    if (!app.start(plain ? lum::App::Load::after_first_paint : lum::App::Load::before_title))
        return 1;
    lum::trace_start("shown");
    if (!scene.empty() && !app.story_screen().open_scene(scene)) return 1;
    if (!battle.empty()) {
        app.shell().Button2Click();
        app.start_box().refresh();
        app.state().save_on_close = false;
        const auto kind = battle == "story"    ? lum::BattleKind::story
                          : battle == "region" ? lum::BattleKind::region
                                               : lum::BattleKind::random;
        app.battle_model().start(kind);
        app.battle_screen().refresh();
    }
    return QApplication::exec();
}

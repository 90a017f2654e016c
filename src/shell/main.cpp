#include <QApplication>
#include <QEvent>
#include <QFont>
#include <cstdio>

#include "shell/app.h"
#include "shell/main_window.h"

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
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ルミナリア"));
    QApplication::setApplicationDisplayName(QStringLiteral("ルミナリア"));
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    lum::App::Options options;
    options.game_dir = lum::program_folder();
    lum::App app(std::move(options));

    ShownReporter reporter;
    if (qEnvironmentVariableIsSet("LUM_REPORT_SHOWN")) app.window().installEventFilter(&reporter);

    if (!app.start()) return 1;
    return QApplication::exec();
}

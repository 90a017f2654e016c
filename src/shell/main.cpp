#include <QApplication>
#include <QFont>

#include "shell/app.h"

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
    if (!app.start()) return 1;
    return QApplication::exec();
}

// assetgen: makes the game's pictures, sound effects and music from the recipes in data/.
//
//   assetgen --data DIR --out GAME_DIR          fills GAME_DIR/cg, GAME_DIR/mid and
//                                               GAME_DIR/dat/buttons.txt
//   assetgen --data DIR --contact-sheet F.png   every picture on one sheet
//   assetgen --data DIR --icons DIR --app-id ID the desktop icons, DIR/hicolor/<n>x<n>/apps/ID.png

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "assets.h"
#include "contact_sheet.h"
#include "icons.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: assetgen --data DIR [--out GAME_DIR] [--contact-sheet FILE.png]"
                 " [--icons DIR --app-id ID]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string data, out, sheet, icons, app_id;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& dst) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "assetgen: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            dst = argv[++i];
        };
        if (a == "--data")
            value(data);
        else if (a == "--out")
            value(out);
        else if (a == "--contact-sheet")
            value(sheet);
        else if (a == "--icons")
            value(icons);
        else if (a == "--app-id")
            value(app_id);
        else
            return usage();
    }
    if (data.empty() || (out.empty() && sheet.empty() && icons.empty()) ||
        icons.empty() != app_id.empty())
        return usage();
    try {
        if (!out.empty()) {
            auto bundle = lum::assets::build_all(data);
            int n = lum::assets::write_bundle(bundle, out);
            std::printf("assetgen: %zu files checked, %d written to %s\n", bundle.files.size(), n,
                        out.c_str());
        }
        if (!icons.empty()) {
            lum::assets::Bundle b;
            b.files = lum::assets::build_icons(lum::assets::build_pictures(data, nullptr), app_id);
            int n = lum::assets::write_bundle(b, icons);
            std::printf("assetgen: %zu icons checked, %d written to %s\n", b.files.size(), n,
                        icons.c_str());
        }
        if (!sheet.empty()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            auto pictures = lum::assets::build_pictures(data, nullptr);
            if (!lum::assets::write_contact_sheet(pictures, sheet)) {
                std::fprintf(stderr, "assetgen: %s: cannot be written\n", sheet.c_str());
                return 1;
            }
            std::printf("assetgen: %zu pictures on %s\n", pictures.size(), sheet.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}

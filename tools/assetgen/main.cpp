// assetgen: makes the game's pictures, sound effects and music from the recipes in data/.
//
//   assetgen --data DIR --out GAME_DIR          fills GAME_DIR/cg, GAME_DIR/mid and
//                                               GAME_DIR/dat/buttons.txt
//   assetgen --data DIR --contact-sheet F.png   every picture on one sheet

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "assets.h"
#include "contact_sheet.h"

int main(int argc, char** argv) {
    std::string data, out, sheet;
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
        else {
            std::fprintf(
                stderr, "usage: assetgen --data DIR [--out GAME_DIR] [--contact-sheet FILE.png]\n");
            return 2;
        }
    }
    if (data.empty() || (out.empty() && sheet.empty())) {
        std::fprintf(stderr,
                     "usage: assetgen --data DIR [--out GAME_DIR] [--contact-sheet FILE.png]\n");
        return 2;
    }
    try {
        if (!out.empty()) {
            auto bundle = lum::assets::build_all(data);
            int n = lum::assets::write_bundle(bundle, out);
            std::printf("assetgen: %zu files checked, %d written to %s\n", bundle.files.size(), n,
                        out.c_str());
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

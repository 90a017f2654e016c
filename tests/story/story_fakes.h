#pragma once

// Fakes for the story tests: a canvas with real pixels (text drawn as solid blocks of its
// measured size), and screens, dialogs and sound that log what they are asked.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "state/canvas.h"
#include "state/cp932.h"
#include "state/ports.h"
#include "support/port_fakes.h"

namespace lum::test {

class PixelCanvas : public Canvas {
  public:
    struct Picture {
        Size size;
        std::vector<Color> px;
        Color at(int x, int y) const {
            if (x < 0 || y < 0 || x >= size.width || y >= size.height) return kBlack;
            return px[y * size.width + x];
        }
        void set(int x, int y, Color c) {
            if (x < 0 || y < 0 || x >= size.width || y >= size.height) return;
            px[y * size.width + x] = c;
        }
    };
    struct TextOp {
        std::string picture;
        int x, y;
        std::string text;
        Font font;
    };
    struct FileArt {
        Size size;
        Color color;
    };

    // Files that load: every pixel of the picture is the given colour.
    std::map<std::filesystem::path, FileArt> files;
    std::map<std::string, Picture> pictures;
    std::vector<TextOp> texts;
    std::vector<std::string> loads;  // file names asked for, found or not

    void create_picture(const std::string& name, Size size, Color fill = kBlack) override {
        pictures[name] = {size, std::vector<Color>(size_t(size.width) * size.height, fill)};
    }
    bool has_picture(const std::string& name) const override { return pictures.count(name); }
    Size picture_size(const std::string& name) const override {
        auto it = pictures.find(name);
        return it == pictures.end() ? Size{} : it->second.size;
    }
    bool load_picture(const std::string& name, const std::filesystem::path& file,
                      bool keep_size = false) override {
        loads.push_back(file.filename().string());
        auto it = files.find(file);
        if (it == files.end()) return false;
        if (keep_size && pictures.count(name)) {
            Picture& p = pictures[name];
            std::fill(p.px.begin(), p.px.end(), kBlack);
            for (int y = 0; y < it->second.size.height; ++y)
                for (int x = 0; x < it->second.size.width; ++x) p.set(x, y, it->second.color);
        } else {
            create_picture(name, it->second.size, it->second.color);
        }
        return true;
    }
    void fill(const std::string& name, Rect r, Color c) override {
        auto it = pictures.find(name);
        if (it == pictures.end()) return;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) it->second.set(x, y, c);
    }
    void copy(const std::string& dst, Rect d, const std::string& src, Rect s) override {
        auto di = pictures.find(dst);
        auto si = pictures.find(src);
        if (di == pictures.end() || si == pictures.end() || d.width() <= 0 || d.height() <= 0)
            return;
        const Picture from = si->second;  // source and destination may be one picture
        for (int y = 0; y < d.height(); ++y)
            for (int x = 0; x < d.width(); ++x) {
                int sx = s.left + x * s.width() / d.width();
                int sy = s.top + y * s.height() / d.height();
                di->second.set(d.left + x, d.top + y, from.at(sx, sy));
            }
    }
    void line(const std::string& name, int x1, int y1, int x2, int y2, Color c) override {
        if (y1 == y2)
            fill(name, {std::min(x1, x2), y1, std::max(x1, x2), y1 + 1}, c);
        else if (x1 == x2)
            fill(name, {x1, std::min(y1, y2), x1 + 1, std::max(y1, y2)}, c);
    }
    void text(const std::string& name, int x, int y, const std::string& utf8,
              const Font& font) override {
        texts.push_back({name, x, y, utf8, font});
        Size s = text_size(utf8, font);
        fill(name, {x, y, x + s.width, y + s.height}, font.color);
    }
    // Half the pixel height per byte; the cell is 5/4 of the pixel height.
    Size text_size(const std::string& utf8, const Font& font) override {
        return {cp932_length(utf8) * font.pixel_height / 2, font.pixel_height * 5 / 4};
    }

    Color at(const std::string& name, int x, int y) const { return pictures.at(name).at(x, y); }
    // Number of pixels of the picture with this colour.
    int count(const std::string& name, Color c) const {
        int n = 0;
        for (Color p : pictures.at(name).px) n += p == c;
        return n;
    }
};

using LogScreens = FakeScreens;

class LogDialogs : public Dialogs {
  public:
    void inform(const std::string& text) override { log.push_back(text); }
    bool ask_yes_no(const std::string& text) override {
        log.push_back("ask:" + text);
        return true;
    }
    std::vector<std::string> log;
};

using LogSound = FakeSound;

}  // namespace lum::test

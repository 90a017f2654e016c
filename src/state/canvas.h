#pragma once

// Pictures and drawing for the rules, without a window system: named pictures (a screen's
// map, its off-screen buffers, a portrait) that the rules load from cg/, copy between, fill
// and write on. The real one paints QImages; tests use a recording one.
//
// Rectangles are given as (left, top)-(right, bottom) with right and bottom excluded, the way
// the game's drawing steps are written. Any operation on a picture that does not exist does
// nothing, so a screen whose pictures are missing still plays.

#include <cstdint>
#include <filesystem>
#include <string>

namespace lum {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Color&) const = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// Faces every screen uses; the canvas maps them onto installed fonts.
inline constexpr const char* kFaceGothicFixed = "IPAGothic";
inline constexpr const char* kFaceMinchoProportional = "IPAPMincho";

struct Font {
    std::string face = kFaceGothicFixed;
    int pixel_height = 16;  // the em height in pixels
    bool bold = false;
    bool italic = false;
    Color color = kWhite;
    bool operator==(const Font&) const = default;
};

// Points to pixels at the 96 dpi the game's layouts were made for, rounded (32 pt = 43 px).
inline int points_to_pixels(int points) {
    return (points * 96 + 36) / 72;
}

class Canvas {
  public:
    virtual ~Canvas() = default;

    // A new picture of the given size, filled with `fill`; replaces one of the same name.
    virtual void create_picture(const std::string& picture, Size size, Color fill = kBlack) = 0;
    virtual bool has_picture(const std::string& picture) const = 0;
    // {0, 0} for a missing picture.
    virtual Size picture_size(const std::string& picture) const = 0;

    // Loads a bitmap file. The picture takes the file's size, or with `keep_size` keeps its own
    // (the file is drawn at the top left over black). False, and the picture unchanged, when
    // the file is missing or unreadable.
    virtual bool load_picture(const std::string& picture, const std::filesystem::path& file,
                              bool keep_size = false) = 0;

    virtual void fill(const std::string& picture, Rect r, Color c) = 0;
    // Copies `src_rect` of `src` onto `dst_rect` of `dst`, stretching when the sizes differ.
    // Source and destination may be the same picture and may overlap; source pixels outside
    // the picture read as black.
    virtual void copy(const std::string& dst, Rect dst_rect, const std::string& src,
                      Rect src_rect) = 0;
    // A one-pixel line from (x1, y1) towards (x2, y2), the end point excluded.
    virtual void line(const std::string& picture, int x1, int y1, int x2, int y2, Color c) = 0;
    // Text with its cell's top left at (x, y), on a transparent background.
    virtual void text(const std::string& picture, int x, int y, const std::string& utf8,
                      const Font& font) = 0;
    // Width of the text and height of the font's cell, in pixels.
    virtual Size text_size(const std::string& utf8, const Font& font) = 0;
};

}  // namespace lum

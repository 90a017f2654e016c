#pragma once

// The guide: a few short illustrated pages on the screens and their keys and the game's own
// ideas (how a battle turns, the attributes and 哀古, 寿命, 誓い, classes, the shops, saving).
// F1 opens it over any screen at the page about that screen, and the travel screen's config box
// has a button for it. The pages and which one shows live here, free of widgets; the guide view
// paints them and holds the screen beneath while they show.

#include <string>
#include <vector>

#include "state/ports.h"

namespace lum {

// A unit picture on the little board of a page: a file under cg/ on a square (column, row).
struct GuideUnit {
    std::string picture;
    int col = 0, row = 0;
};

struct GuidePage {
    std::string title;               // also the page's button in the contents
    std::vector<std::string> lines;  // paragraphs
    std::string picture;             // under cg/: a portrait, or the board's map
    std::vector<GuideUnit> units;    // with a map: the units standing on it
};

const std::vector<GuidePage>& guide_pages();

class GuideModel {
  public:
    // The page about a screen: the keys for the title, travel and story; the battle's turn for
    // a battle and its result.
    static int page_for(ScreenId screen, bool title_box_shown);

    void open(int page);  // a page out of range opens the first
    void close() { visible = false; }

    void back_bClick();  // 「前へ」, also ← and Page Up
    void next_bClick();  // 「次へ」, also → and Page Down
    void contents_click(int page);

    const GuidePage& current() const { return guide_pages()[page]; }
    bool back_enabled() const { return page > 0; }
    bool next_enabled() const { return page + 1 < page_count(); }
    std::string page_caption() const;  // "2 / 8"
    static int page_count() { return static_cast<int>(guide_pages().size()); }

    bool visible = false;
    int page = 0;
};

}  // namespace lum

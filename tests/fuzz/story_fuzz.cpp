// The story and talk players running arbitrary scripts over the real game state: any code,
// any argument, any starting entry, with the player's clicks, the party box and the effects'
// frames in any order. Whatever the script says, the players must not crash, hang or write
// outside the state; a bad argument is reported and skipped.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "fuzz_input.h"
#include "story/story_model.h"
#include "support/port_fakes.h"

namespace {

using namespace lum;

// Keeps the sizes of the pictures and draws nothing: the players' rules are under test here.
class NullCanvas : public Canvas {
  public:
    void create_picture(const std::string& name, Size size, Color) override { sizes_[name] = size; }
    bool has_picture(const std::string& name) const override { return sizes_.count(name); }
    Size picture_size(const std::string& name) const override {
        auto it = sizes_.find(name);
        return it == sizes_.end() ? Size{} : it->second;
    }
    bool load_picture(const std::string&, const std::filesystem::path&, bool) override {
        return false;
    }
    void fill(const std::string&, Rect, Color) override {}
    void copy(const std::string&, Rect, const std::string&, Rect) override {}
    void line(const std::string&, int, int, int, int, Color) override {}
    void text(const std::string&, int, int, const std::string&, const Font&) override {}
    Size text_size(const std::string& utf8, const Font& font) override {
        return {cp932_length(utf8) * font.pixel_height / 2, font.pixel_height};
    }

  private:
    std::map<std::string, Size> sizes_;
};

// Arguments scripts really use, and numbers at the edges of every range.
const char* const kArgs[] = {"end",         "0",           "1",       "5",       "-1",
                             "99",          "100",         "255",     "256",     "512",
                             "513",         "30",          "31",      "-100",    "2147483647",
                             "-2147483648", "99999999999", "bg1.bmp", "my2.bmp", "トゥルネア",
                             "ルクサ",      "第一章",      ""};

void fill_script(fuzz::Input& in, std::array<TScriptLine, kScriptLines>& script) {
    for (TScriptLine& l : script) {
        // Mostly the codes the players know (0..25), now and then any byte.
        const std::uint8_t c = in.byte();
        l.code = c < 208 ? c % 26 : c;
        l.arg = in.pick(kArgs);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    auto gs = std::make_unique<GameState>(fuzz::game_tables());
    gs->rng.seed(in.byte());
    gs->stage_no = in.below(64) - 1;  // -1..62: beyond the last stage file too
    gs->people_mode = in.flag();
    fill_script(in, gs->script);
    fill_script(in, gs->people_script);
    for (int i = 1; i <= 10; ++i) gs->chara[i].state = in.below(6);
    gs->script_pos = in.byte();   // any entry, past the last one too
    gs->char_pos = in.below(64);  // the players only ever set 0 or a place in the text
    gs->scroll_row = in.below(4) == 0 ? in.number() : -1;

    test::FakeSound sound;
    test::FakeScreens screens;
    test::FakeDialogs dialogs;
    dialogs.default_answer = in.flag();
    NullCanvas canvas;
    StoryModel m(*gs, sound, screens, dialogs, canvas);
    m.FormCreate();
    m.FormShow();

    // Each byte is one event of the screen; 400 of them at most.
    for (int event = 0; event < 400 && !in.empty(); ++event) {
        switch (in.below(18)) {
            case 0:
            case 1:
            case 2:
                m.Timer5Timer();
                break;
            case 3:
            case 4:
                m.Timer1Timer();
                break;
            case 5:
                m.Timer3Timer();
                break;
            case 6:
                m.ok_bbClick();
                break;
            case 7:
                (in.flag() ? m.BitBtn6Click() : m.BitBtn7Click());
                break;
            case 8:
                (in.flag() ? m.BitBtn2Click() : m.BitBtn3Click());
                break;
            case 9:
                m.party.class_click(in.below(7) - 1);
                break;
            case 10:
                m.party.attr_click(in.below(12) - 1);
                break;
            case 11:
                m.party.oath_click(in.below(23) - 1);
                break;
            case 12:
                m.party_ok_bClick();
                break;
            case 13:
                m.proceed();
                break;
            case 14:
                m.step_animation();
                break;
            case 15:
                m.finish_animation();
                break;
            case 16:
                m.set_fast_forward(in.flag());
                break;
            default:
                // The screen shown again, as travel does for the next scene.
                if (!m.shown()) m.FormShow();
                break;
        }
    }
    m.finish_animation();
    return 0;
}

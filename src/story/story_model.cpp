#include "story/story_model.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <memory>

#include "state/cp932.h"
#include "state/dat_text.h"
#include "state/data_files.h"

namespace lum {

namespace {

// The order in which one tick tests the current entry. A command that advances lets the later
// tests of the same tick act on the next entry.
constexpr int kStoryOrder[] = {0,  1, 14, 20, 23, 21, 22, 2,  3,  17, 4,  19, 5,
                               25, 6, 7,  8,  24, 9,  15, 10, 11, 12, 13, 16, 18};
constexpr int kTalkOrder[] = {0, 1, 14, 20, 21, 22, 2,  17, 4,  19, 5,
                              6, 7, 8,  9,  15, 10, 11, 12, 13, 16, 18};

// The backlog's lines for a choice and its answer.
constexpr const char* kChoiceLine = "【選択肢】はい／いいえ";
constexpr const char* kYesLine = "→はい";
constexpr const char* kNoLine = "→いいえ";

constexpr int kCreditsEnd = 100;   // scroll_row once "end" has been met
constexpr int kCreditsStop = 160;  // scroll_row at which the roll stops

const Font kTextFont{kFaceGothicFixed, 16, true, false, kWhite};

// Sets a flag for the length of a handler, so that timers firing inside a modal message box
// do not run the players again.
class Busy {
  public:
    explicit Busy(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Busy() { flag_ = old_; }

  private:
    bool& flag_;
    bool old_;
};

int saturating_add(int a, int b) {
    long long s = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(s, INT_MIN, INT_MAX));
}

// The text as the game's two-byte cells: character k of the reveal is cell k. One-byte
// characters (which scripts should not hold) are paired so the grid never shifts by half.
std::vector<std::string> text_cells(const std::string& text) {
    std::vector<std::string> cells;
    std::string pending;
    for (const Cp932Char& c : cp932_chars(text)) {
        if (c.width == 2) {
            if (!pending.empty()) cells.push_back(std::move(pending)), pending.clear();
            cells.push_back(c.utf8);
        } else if (pending.empty()) {
            pending = c.utf8;
        } else {
            cells.push_back(pending + c.utf8);
            pending.clear();
        }
    }
    if (!pending.empty()) cells.push_back(pending);
    return cells;
}

// Line of the argument of entry i in a stage or people file.
int argument_line(int i) {
    return 42 + 2 * i;
}

// The reveal goes on while 2 x char_pos + 1 <= length + 2: the step after the last character
// draws nothing, then "→OK" shows.
bool reveal_goes_on(int char_pos, int length) {
    return 2 * char_pos + 1 <= length + 2;
}

bool parse_int(const std::string& s, int& out) {
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    const char* first = s.data() + b;
    const char* last = s.data() + e + 1;
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && ptr == last;
}

}  // namespace

std::string chapter_subtitle(int stage_no) {
    switch (stage_no) {
        case 1:
            return "Velmora Ⅰ";
        case 11:
            return "Velmora Ⅱ";
        case 20:
            return "Velmora Ⅲ";
        case 32:
            return "Velmora Ⅳ";
        case 40:
            return "Velmora Ⅴ";
        case 46:
            return "Velmora Ⅵ";
        case 53:
            return "Velmora Ⅶ";
        case 60:
            return "Last Velmora";
        default:
            return "";
    }
}

StoryModel::StoryModel(GameState& gs, Sound& sound, Screens& screens, Dialogs& dialogs,
                       Canvas& canvas)
    : party(gs, canvas),
      gs_(gs),
      sound_(sound),
      screens_(screens),
      dialogs_(dialogs),
      canvas_(canvas) {}

// ---------------------------------------------------------------- screen life

void StoryModel::FormCreate() {
    canvas_.create_picture(kMapPicture, {kMapWidth, kMapHeight});
    canvas_.create_picture(kBufferPicture, {kMapWidth, kMapHeight});
    canvas_.create_picture(kBackPicture, {112, 80});
    canvas_.create_picture(kPortraitPicture, {128, 128});
    canvas_.create_picture(kPartyPortraitPicture, {128, 128});
    canvas_.create_picture(kTextBoxPicture, {kTextBoxWidth, kTextBoxHeight});
    canvas_.load_picture(kMapPicture, gs_.cg_path("map_bak.bmp"), true);
    canvas_.load_picture(kBufferPicture, gs_.cg_path("map_bak.bmp"), true);
    canvas_.load_picture(kBackPicture, gs_.cg_path("map00.bmp"));
    canvas_.load_picture(kPortraitPicture, gs_.cg_path("my0.bmp"));
    std::string notice;
    read_ = ReadRecord::load(read_record_file(), notice);
    if (!notice.empty()) dialogs_.inform(notice);
}

void StoryModel::FormShow() {
    shown_ = true;
    // Whatever a previous scene left in progress is over.
    frames_.clear();
    revealing_ = false;
    tick_.active = false;
    text_box_hidden = false;
    backlog_open_ = false;
    skip_mode_ = false;
    auto_elapsed_ms_ = 0;
    clear_edit_box();

    party.job_about_l.clear();
    ok_bb_visible = false;
    canvas_.fill(kMapPicture, {0, 0, kMapWidth, kMapHeight}, kBlack);
    sound_.play_music("not");
    canvas_.load_picture(kPortraitPicture, gs_.cg_path("my0.bmp"));
}

void StoryModel::FormHide() {
    shown_ = false;
    frames_.clear();
    revealing_ = false;
    tick_.active = false;
}

// ---------------------------------------------------------------- players

void StoryModel::Timer5Timer() {
    run_tick(Player::story);
}

void StoryModel::Timer1Timer() {
    run_tick(Player::talk);
}

void StoryModel::run_tick(Player p) {
    if (busy_ || !shown_ || party.visible || backlog_open_) return;
    if ((p == Player::talk) != gs_.people_mode) return;
    if (animating()) {
        if (skip_now() && revealing_) finish_animation();
        return;
    }
    Busy busy(busy_);
    if (skip_now() && ok_bb_visible) ok_bbClick();
    if (!shown_) return;
    tick_ = {p, 0, true};
    resume_tick();
}

void StoryModel::resume_tick() {
    const Player p = tick_.player;
    const int* order = p == Player::story ? kStoryOrder : kTalkOrder;
    const size_t count = p == Player::story ? std::size(kStoryOrder) : std::size(kTalkOrder);
    while (tick_.active && shown_ && tick_.next < count) {
        const int code = order[tick_.next++];
        if (gs_.script_pos >= kScriptLines) {
            end_scene_after_overrun();
            break;
        }
        if (entry(p).code != code) continue;
        if (run_command(p, code)) break;
        if (skip_now() && revealing_) run_all_frames();
        run_ready_frames();
        if (animating()) return;  // step_animation resumes here when the frames are done
    }
    tick_.active = false;
    run_ready_frames();
}

TScriptLine& StoryModel::entry(Player p) {
    auto& s = p == Player::story ? gs_.script : gs_.people_script;
    return s[std::min<int>(gs_.script_pos, kScriptLines - 1)];
}

void StoryModel::advance() {
    if (gs_.script_pos >= kScriptLines - 1) {
        end_scene_after_overrun();
        return;
    }
    ++gs_.script_pos;
    gs_.char_pos = 0;
}

void StoryModel::return_to_travel() {
    screens_.hide(ScreenId::story);
    screens_.close(ScreenId::story);
    FormHide();
    screens_.show(ScreenId::travel);
}

void StoryModel::end_scene_after_overrun() {
    const Player p = active_player();
    timer3.enabled = false;
    gs_.people_mode = false;
    return_to_travel();
    report(p, -1,
           "the script runs past its last entry without an ending command; the scene ends "
           "here");
}

void StoryModel::report(Player p, int entry_index, const std::string& reason) {
    std::string file =
        p == Player::story ? gs_.dat_path(stage_file_name(gs_.stage_no)).string() : people_file;
    int line = entry_index < 0 ? 0 : argument_line(entry_index);
    dialogs_.inform("台本に誤りがあります。\r" + std::string(DataError(file, line, reason).what()));
}

bool StoryModel::number_arg(Player p, int& out) {
    const std::string& arg = entry(p).arg;
    if (parse_int(arg, out)) return true;
    int at = gs_.script_pos;
    advance();
    report(p, at, "\"" + arg + "\" is not a number; the command is skipped");
    return false;
}

bool StoryModel::in_range(Player p, int n, int lo, int hi, const char* what) {
    if (n >= lo && n <= hi) return true;
    report(p, gs_.script_pos,
           std::string(what) + " " + std::to_string(n) + " is outside " + std::to_string(lo) +
               ".." + std::to_string(hi) + "; the command is ignored");
    return false;
}

bool StoryModel::run_command(Player p, int code) {
    const bool story = p == Player::story;
    TScriptLine& e = entry(p);
    const std::string arg = e.arg;  // commands may reload the script
    int n = 0;
    switch (code) {
        case 0:
            if (story && timer3.enabled) {
                // Text between credits lines shows whole and once.
                clear_edit_box();
                draw_whole_text(arg);
                backlog.add_text(arg);
                e.code = 255;
            } else {
                start_reveal(arg);
            }
            return false;
        case 1:
            ok_bb_visible = false;
            canvas_.load_picture(kBackPicture, gs_.cg_path(arg));
            canvas_.copy(kBufferPicture, {0, 0, kMapWidth, kMapHeight}, kBackPicture,
                         {0, 0, 112, 80});
            queue_wipe();
            advance();
            return false;
        case 2:
            sound_.play_music(arg);
            advance();
            if (!story) clear_edit_box();
            return false;
        case 3: {
            queue_text_box_closing();
            queue(50, [this] {
                ++gs_.stage_no;
                screens_.hide(ScreenId::story);
                FormHide();
                std::string error;
                try {
                    load_stage(gs_);
                } catch (const DataError& err) {
                    error = err.what();
                }
                screens_.close(ScreenId::story);
                screens_.show(ScreenId::travel);
                if (!error.empty())
                    dialogs_.inform("次のステージを読み込めませんでした。\r" + error);
            });
            return true;
        }
        case 4:
            if (!sel_box_visible) backlog.add_plain(kChoiceLine);
            sel_box_visible = true;
            stop_auto();
            return false;
        case 5:
            if (number_arg(p, n)) {
                gs_.money = saturating_add(gs_.money, n);
                advance();
                clear_edit_box();
            }
            return false;
        case 6:
            if (!story) return true;
            timer5.enabled = false;
            gs_.save_on_close = false;
            screens_.close(ScreenId::battle);
            return false;
        case 7:
            if (number_arg(p, n)) {
                gs_.ark = saturating_add(gs_.ark, n);
                advance();
                clear_edit_box();
            }
            return false;
        case 8: {
            TimerState& t = story ? timer5 : timer1;
            t.interval_ms = t.interval_ms == 100 ? (story ? 4000 : 2000) : 100;
            advance();
            return false;
        }
        case 9:
            stop_auto();
            if (!party.open_party_member(arg, story)) {
                advance();
                dialogs_.inform("仲間がいっぱいのため、" + arg + "は加わることができません。");
            }
            return false;
        case 10:
        case 11:
            if (number_arg(p, n)) {
                if (in_range(p, n, 0, kPlaceCount - 1, "place flag"))
                    gs_.place_flags[n] = code == 10 ? 1 : 0;
                advance();
                if (!story) clear_edit_box();
            }
            return false;
        case 12:
            if (number_arg(p, n)) {
                if (in_range(p, n, 0, kItemCount - 1, "item")) gs_.item_owned[n] = 1;
                advance();
            }
            return false;
        case 13:
            advance();
            if (!story) clear_edit_box();
            return false;
        case 14:
            canvas_.load_picture(kPortraitPicture, gs_.cg_path(arg));
            advance();
            if (!story) clear_edit_box();
            return false;
        case 15:
            stop_auto();
            if (!party.open_reserve_member(arg)) {
                advance();
                dialogs_.inform("控えがいっぱいのため、" + arg + "は加わることができません。");
            }
            return false;
        case 16:
            if (number_arg(p, n)) {
                if (n == 1) {
                    for (int f = 2; f <= 5; ++f) gs_.skill_flags[f] = 1;
                } else if (n >= 6 && n < kSkillFamilies) {
                    gs_.skill_flags[n] = 1;
                }
                advance();
                if (!story) clear_edit_box();
            }
            return false;
        case 17:
            if (story) {
                return_to_travel();
            } else {
                queue_text_box_closing();
                queue(50, [this] {
                    gs_.people_mode = false;
                    return_to_travel();
                });
            }
            return true;
        case 18:
            if (number_arg(p, n)) {
                if (in_range(p, n, 0, kCharaCount - 1, "character")) gs_.chara[n].state = 0;
                advance();
                if (!story) clear_edit_box();
            }
            return false;
        case 19:
            if (!sel_box2_visible) backlog.add_plain(kChoiceLine);
            sel_box2_visible = true;
            stop_auto();
            return false;
        case 20:
            if (story) canvas_.fill(kPortraitPicture, {0, 0, 128, 128}, kBlack);
            ok_bb_visible = false;
            draw_title_card(arg, p);
            backlog.add_plain(arg);
            queue_wipe();
            advance();
            return false;
        case 21:
            if (clear_battle_map) clear_battle_map();
            queue_zoom();
            advance();
            return false;
        case 22:
            canvas_.fill(kBufferPicture, {0, 0, kMapWidth, kMapHeight}, kBlack);
            queue_zoom();
            queue_closing_box();
            advance();
            return false;
        case 23:
            canvas_.fill(kPortraitPicture, {0, 0, 128, 128}, kBlack);
            ok_bb_visible = false;
            draw_title_card(arg, p);
            backlog.add_plain(arg);
            canvas_.copy(kMapPicture, {0, 0, kMapWidth, kMapHeight}, kBufferPicture,
                         {0, 0, kMapWidth, kMapHeight});
            advance();
            return false;
        case 24:
            ++gs_.stage_no;
            try {
                load_stage(gs_);
            } catch (const DataError& err) {
                return_to_travel();
                dialogs_.inform("次のステージを読み込めませんでした。\r" + std::string(err.what()));
                return true;
            }
            gs_.script_pos = 0;
            gs_.char_pos = 0;
            return false;
        case 25:
            if (arg == "end" && gs_.scroll_row < kCreditsEnd) {
                gs_.scroll_row = kCreditsEnd;
                canvas_.fill(kPortraitPicture, {0, 0, 128, 128}, kBlack);
                clear_edit_box();
                return true;
            }
            timer3.enabled = true;
            stop_auto();
            if (gs_.scroll_row == -1) {
                gs_.scroll_row = 0;
                // The next line must be drawn before the next scroll tick.
                timer5.interval_ms = 10;
                canvas_.fill(kBufferPicture, {0, 0, kMapWidth, kMapHeight}, kBlack);
                canvas_.text(kBufferPicture, 130, 0, arg,
                             {kFaceMinchoProportional, points_to_pixels(16), true, false, kWhite});
            }
            return false;
        default:
            return false;
    }
}

// ---------------------------------------------------------------- credits roll

void StoryModel::Timer3Timer() {
    if (busy_ || !shown_ || !timer3.enabled || animating() || backlog_open_) return;
    Busy busy(busy_);
    canvas_.copy(kMapPicture, {0, 0, kMapWidth, kMapHeight - 1}, kMapPicture,
                 {0, 1, kMapWidth, kMapHeight});
    const int row = gs_.scroll_row;
    if (row >= 0 && row <= 20) {
        canvas_.copy(kMapPicture, {0, kMapHeight - 1, kMapWidth, kMapHeight}, kBufferPicture,
                     {0, row, kMapWidth, row + 1});
        ++gs_.scroll_row;
    } else if (row == 21) {
        canvas_.fill(kBufferPicture, {0, 0, kMapWidth, kMapHeight}, kBlack);
        gs_.scroll_row = -1;
        advance();
    } else if (row == kCreditsStop) {
        timer3.enabled = false;
        gs_.scroll_row = 0;
        advance();
    } else {
        ++gs_.scroll_row;
    }
}

// ---------------------------------------------------------------- buttons

void StoryModel::ok_bbClick() {
    Busy busy(busy_);
    const Player p = active_player();
    const auto& s = p == Player::story ? gs_.script : gs_.people_script;
    const int next = gs_.script_pos + 1;
    const bool next_ends = next < kScriptLines && s[next].code == (p == Player::story ? 3 : 17);
    // The last words stay for the closing effect to slide away.
    if (!next_ends) clear_edit_box();
    advance();
    ok_bb_visible = false;
    sound_.play_step_sound();
}

void StoryModel::BitBtn6Click() {
    Busy busy(busy_);
    if (sel_box_visible) backlog.add_plain(kYesLine);
    sound_.play_ok_sound();
    sel_box_visible = false;
    advance();
    clear_edit_box();
}

void StoryModel::BitBtn7Click() {
    ++gs_.stage_no;
    gs_.ark = saturating_add(gs_.ark, 50);
    if (sel_box_visible) backlog.add_plain(kNoLine);
    sel_box_visible = false;  // the answer is in the backlog once
    BitBtn6Click();
}

void StoryModel::BitBtn2Click() {
    if (sel_box2_visible) backlog.add_plain(kYesLine);
    BitBtn2Answer();
}

void StoryModel::BitBtn2Answer() {
    Busy busy(busy_);
    sound_.play_ok_sound();
    sel_box2_visible = false;
    advance();
    clear_edit_box();
}

void StoryModel::BitBtn3Click() {
    if (sel_box2_visible) backlog.add_plain(kNoLine);
    BitBtn2Answer();
}

void StoryModel::BitBtn1Click() {
    gs_.save_on_close = false;
    screens_.close(ScreenId::battle);
}

void StoryModel::party_ok_bClick() {
    Busy busy(busy_);
    if (!party.finish()) return;
    advance();
    clear_edit_box();
    sound_.play_ok_sound();
}

void StoryModel::proceed() {
    stop_auto();
    if (backlog_open_) return;
    if (text_box_hidden) {
        text_box_hidden = false;
        return;
    }
    if (revealing_) {
        finish_animation();
        return;
    }
    if (ok_bb_visible && !party.visible && shown_) ok_bbClick();
}

// ---------------------------------------------------------------- comforts

bool StoryModel::skip_now() const {
    return (fast_forward_ || skip_mode_) && (gs_.skip_unread || line_was_read_);
}

std::string StoryModel::script_key() const {
    return gs_.people_mode ? "people" + std::to_string(gs_.people_no)
                           : "story" + std::to_string(gs_.stage_no);
}

void StoryModel::right_click() {
    if (backlog_open_)
        close_backlog();
    else
        toggle_text_box();
}

void StoryModel::open_backlog() {
    stop_auto();
    backlog_open_ = true;
}

void StoryModel::toggle_auto() {
    const bool on = !auto_mode_;
    stop_auto();
    auto_mode_ = on;
}

void StoryModel::auto_tick(int elapsed_ms) {
    if (!auto_mode_ || !shown_ || backlog_open_ || busy_) return;
    // The count runs only while a line waits whole for "→OK" and nothing else is going on.
    if (!ok_bb_visible || animating() || party.visible || sel_box_visible || sel_box2_visible ||
        timer3.enabled) {
        auto_elapsed_ms_ = 0;
        return;
    }
    auto_elapsed_ms_ += elapsed_ms;
    const int chars = cp932_length(entry(active_player()).arg) / 2;
    if (auto_elapsed_ms_ < auto_pause_ms(chars, gs_.auto_speed)) return;
    auto_elapsed_ms_ = 0;
    ok_bbClick();
}

std::filesystem::path StoryModel::read_record_file() const {
    return gs_.dat_path("my.dat").parent_path() / ReadRecord::kFileName;
}

std::string StoryModel::write_read_record() {
    if (!read_.changed()) return {};
    try {
        read_.save(read_record_file());
    } catch (const DataError& e) {
        return e.what();
    }
    return {};
}

void StoryModel::save_read_record() {
    if (std::string fault = write_read_record(); !fault.empty())
        dialogs_.inform("既読の記録を保存できませんでした。\r" + fault);
}

// ---------------------------------------------------------------- scenes for authors

bool StoryModel::open_scene(const std::string& name) {
    std::string stem = name;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".dat") == 0)
        stem.resize(stem.size() - 4);
    bool people = stem.rfind("people", 0) == 0;
    bool story = stem.rfind("story", 0) == 0;
    std::string digits = stem.substr(people ? 6 : story ? 5 : 0);
    int n = -1;
    if ((!people && !story) || digits.empty() ||
        digits.find_first_not_of("0123456789") != std::string::npos || !parse_int(digits, n)) {
        dialogs_.inform("場面の名前が正しくありません: " + name +
                        "\r(story12 や people15 のように指定します)");
        return false;
    }
    try {
        if (story) {
            gs_.stage_no = n;
            load_stage(gs_);
            gs_.people_mode = false;
        } else {
            load_people(gs_, n);
            people_file = gs_.dat_path(people_file_name(n)).string();
        }
    } catch (const DataError& e) {
        dialogs_.inform("場面を開けませんでした。\r" + std::string(e.what()));
        return false;
    }
    gs_.script_pos = 0;
    gs_.char_pos = 0;
    clear_edit_box();
    screens_.show(ScreenId::story);
    return true;
}

// ---------------------------------------------------------------- drawing

void StoryModel::clear_edit_box() {
    canvas_.fill(kTextBoxPicture, {0, 0, kTextBoxWidth, kTextBoxHeight}, kBlack);
}

void StoryModel::start_reveal(const std::string& text) {
    const int len = cp932_length(text);
    if (!reveal_goes_on(gs_.char_pos, len)) {
        ok_bb_visible = true;
        return;
    }
    const int first = gs_.char_pos;
    if (first == 0) {
        backlog.add_text(text);
        line_was_read_ = read_.seen(script_key(), gs_.script_pos);
        // スキップ ends at the first line not read yet; Ctrl merely lets it appear.
        if (!line_was_read_ && !gs_.skip_unread) skip_mode_ = false;
        auto_elapsed_ms_ = 0;
    }
    auto cells = std::make_shared<std::vector<std::string>>(text_cells(text));
    revealing_ = true;
    for (int k = first; reveal_goes_on(k, len); ++k) {
        queue(k == first ? 0 : gs_.char_delay_ms, [this, cells, k] { draw_cell(*cells, k); });
    }
    queue(gs_.char_delay_ms, [this, key = script_key(), at = int(gs_.script_pos)] {
        revealing_ = false;
        ok_bb_visible = true;
        read_.mark(key, at);
    });
}

void StoryModel::draw_whole_text(const std::string& text) {
    const int len = cp932_length(text);
    const auto cells = text_cells(text);
    for (int k = gs_.char_pos; reveal_goes_on(k, len); ++k) draw_cell(cells, k);
}

// Character k on the 17-column grid (nothing past the end), then char_pos moves past it.
void StoryModel::draw_cell(const std::vector<std::string>& cells, int k) {
    if (k < int(cells.size()))
        canvas_.text(kTextBoxPicture, (k % kCharsPerRow) * 18, (k / kCharsPerRow) * 20, cells[k],
                     kTextFont);
    gs_.char_pos = k + 1;
}

void StoryModel::draw_title_card(const std::string& title, Player p) {
    const bool story = p == Player::story;
    auto font = [story](int points) {
        return Font{kFaceMinchoProportional, points_to_pixels(points), story, true, kWhite};
    };
    const std::string subtitle = story ? chapter_subtitle(gs_.stage_no) : "";
    canvas_.fill(kBufferPicture, {0, 0, kMapWidth, kMapHeight}, kBlack);
    int x = 0, y = 0;
    if (cp932_length(title) <= 20) {
        const Font f = font(32);
        const Size s = canvas_.text_size(title, f);
        x = (kMapWidth - s.width) / 2;
        y = (kMapHeight - s.height) / 2;
        canvas_.text(kBufferPicture, x, y, title, f);
    } else {
        const Font f = font(24);
        const std::string line1 = cp932_prefix(title, 20);
        const std::string line2 = cp932_suffix(title, 20);
        const int h = canvas_.text_size(title, f).height;
        x = (kMapWidth - canvas_.text_size(line1, f).width) / 2;
        y = (kMapHeight - 2 * h) / 2;
        canvas_.text(kBufferPicture, x, y, line1, f);
        canvas_.text(kBufferPicture, x, y + h, line2, f);
    }
    if (!subtitle.empty()) canvas_.text(kBufferPicture, x, y - 14, subtitle, font(10));
}

// ---------------------------------------------------------------- effects

void StoryModel::queue(int pause_ms, std::function<void()> run) {
    frames_.push_back({pause_ms, std::move(run)});
}

void StoryModel::run_front_frame() {
    Frame f = std::move(frames_.front());
    frames_.pop_front();
    f.run();
}

void StoryModel::run_ready_frames() {
    while (!frames_.empty() && frames_.front().pause_ms <= 0) run_front_frame();
}

void StoryModel::run_all_frames() {
    while (!frames_.empty()) run_front_frame();
}

void StoryModel::step_animation() {
    if (busy_ || frames_.empty() || backlog_open_) return;
    Busy busy(busy_);
    run_front_frame();
    run_ready_frames();
    if (frames_.empty() && tick_.active) resume_tick();
}

void StoryModel::finish_animation() {
    if (busy_) return;
    Busy busy(busy_);
    while (!frames_.empty()) {
        run_all_frames();
        if (tick_.active) resume_tick();
    }
}

int StoryModel::pending_ms() const {
    int sum = 0;
    for (const Frame& f : frames_) sum += f.pause_ms;
    return sum;
}

// An effect's first frame runs at once unless another effect is still playing.
void StoryModel::queue_wipe() {
    for (int i = 0; i <= 56; ++i)
        queue(i == 0 && frames_.empty() ? 0 : kRepaintFrameMs, [this, i] {
            canvas_.copy(kMapPicture, {8 * i, 0, 8 * i + 8, kMapHeight}, kBufferPicture,
                         {8 * i, 0, 8 * i + 8, kMapHeight});
        });
}

void StoryModel::queue_zoom() {
    for (int i = 0; i <= 15; ++i)
        queue(i == 0 && frames_.empty() ? 0 : kRepaintFrameMs, [this, i] {
            canvas_.copy(kMapPicture, {0, 0, kMapWidth, kMapHeight}, kMapPicture,
                         {4 * i, 3 * i, kMapWidth - 4 * i, kMapHeight - 3 * i});
        });
}

void StoryModel::queue_closing_box() {
    for (int n = 28; n >= 0; --n)
        queue(n == 28 && frames_.empty() ? 0 : kRepaintFrameMs, [this, n] {
            canvas_.fill(kMapPicture, {8 * n, 6 * n, kMapWidth - 8 * n, kMapHeight - 6 * n},
                         kBlack);
        });
}

void StoryModel::queue_text_box_closing() {
    for (int i = 0; i <= 15; ++i)
        queue(i == 0 && frames_.empty() ? 0 : 50, [this, i] {
            // The text slides down by i + 1 pixels behind a blind of black lines.
            canvas_.copy(kTextBoxPicture, {0, i, kTextBoxWidth, i + 122}, kTextBoxPicture,
                         {0, -1, kTextBoxWidth, 121});
            for (int y = 60; y <= 120; y += 4)
                canvas_.line(kTextBoxPicture, 0, y, kTextBoxWidth, y, kBlack);
            for (int y = 92; y <= 124; y += 4)
                canvas_.line(kTextBoxPicture, 0, y, kTextBoxWidth, y, kBlack);
        });
}

}  // namespace lum

#pragma once

// The story screen without widgets: the story player (stage scripts, `Timer5`), the talk
// player (people scripts, `Timer1`), the credits roll (`Timer3`) and the party box.
//
// Drawing goes to named pictures of a Canvas. The effects that take time (the text reveal,
// wipes, zooms, the closing box and the text-box closing effect) are queued as frames that
// the view plays on a timer, so the window stays responsive; while frames are pending the
// players wait, and the tick that started them resumes its remaining tests when they are done.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "state/canvas.h"
#include "state/game_state.h"
#include "state/ports.h"
#include "story/party_box.h"
#include "story/story_comforts.h"

namespace lum {

// The pictures of the story screen's canvas.
inline constexpr const char* kMapPicture = "map_cg";        // 448 x 320 scene picture
inline constexpr const char* kBackPicture = "map_bak";      // loaded background, 112 x 80
inline constexpr const char* kBufferPicture = "map_bak2";   // 448 x 320 composition buffer
inline constexpr const char* kPortraitPicture = "my_cg";    // 128 x 128 speaker portrait
inline constexpr const char* kTextBoxPicture = "edit_box";  // 317 x 121 text box

inline constexpr int kMapWidth = 448, kMapHeight = 320;
inline constexpr int kTextBoxWidth = 317, kTextBoxHeight = 121;
inline constexpr int kCharsPerRow = 17;

// Pause between two frames of an effect that the game drew "as fast as it could": one
// repaint, long enough for the window to show it.
inline constexpr int kRepaintFrameMs = 10;

// The subtitle of a chapter's title card; empty on other stages.
std::string chapter_subtitle(int stage_no);

struct TimerState {
    bool enabled = true;
    int interval_ms = 100;
};

class StoryModel {
  public:
    enum class Player { story, talk };

    StoryModel(GameState& gs, Sound& sound, Screens& screens, Dialogs& dialogs, Canvas& canvas);

    // Creates the pictures and loads their first bitmaps (missing files leave them black).
    void FormCreate();
    void FormShow();
    void FormHide();

    void Timer5Timer();  // story player
    void Timer1Timer();  // talk player
    void Timer3Timer();  // credits roll

    void ok_bbClick();
    void BitBtn6Click();  // はい of sel_box
    void BitBtn7Click();  // いいえ of sel_box: skips a stage
    void BitBtn2Click();  // はい of sel_box2
    void BitBtn3Click();  // いいえ of sel_box2
    void BitBtn1Click();  // 中断
    void party_ok_bClick();

    // For players of story games: a click on the text box, Enter or Space. Completes a line
    // that is still appearing, otherwise presses "→OK" when it shows.
    void proceed();
    // While set (Ctrl held) every text line read before completes at once and "→OK" is
    // pressed on the next tick (every line, read or not, with the setting `skip_unread`);
    // choices and the party box still wait for the player.
    void set_fast_forward(bool on) { fast_forward_ = on; }
    bool fast_forward() const { return fast_forward_; }
    // H and a right-click: hide the text box to look at the picture; any proceed shows it
    // again. A right-click closes the backlog instead while it is open.
    void toggle_text_box() { text_box_hidden = !text_box_hidden; }
    void right_click();

    // The backlog: the lines shown, to read again. While it is open nothing of the scene moves.
    Backlog backlog;
    bool backlog_open() const { return backlog_open_; }
    void open_backlog();
    void close_backlog() { backlog_open_ = false; }
    // Auto mode: a line completely shown goes on by itself after auto_pause_ms. It stops at a
    // choice, the party box, the credits, the backlog and a click of the player's.
    bool auto_mode() const { return auto_mode_; }
    void toggle_auto();
    // The view's 100 ms beat while auto mode is on: presses "→OK" once the pause has passed.
    void auto_tick(int elapsed_ms);
    // The quick menu's スキップ: Ctrl held, toggled; it ends at the first line not read yet
    // (unless `skip_unread`).
    bool skip_mode() const { return skip_mode_; }
    void toggle_skip() { skip_mode_ = !skip_mode_; }
    // The record of the lines read, beside the save. Writing it (when it changed) returns the
    // fault, file and reason, or nothing; saving tells the player of a fault in a message box.
    std::filesystem::path read_record_file() const;
    std::string write_read_record();
    void save_read_record();

    // Opens the story screen on one script, for authors: "story12" or "people15" (".dat" may
    // follow). False, after a message naming the file and the reason, when it cannot.
    bool open_scene(const std::string& name);

    // Effects in progress. The view waits next_pause_ms() and calls step_animation().
    bool animating() const { return !frames_.empty(); }
    bool revealing() const { return revealing_; }
    int next_pause_ms() const { return frames_.empty() ? 0 : frames_.front().pause_ms; }
    void step_animation();
    // Plays every pending frame at once (and whatever the waiting tick does next).
    void finish_animation();
    // Sum of the pauses of the frames still queued.
    int pending_ms() const;

    // The title card of codes 20 and 23, drawn into map_bak2.
    void draw_title_card(const std::string& title, Player p);

    // Called by code 21 to black out the battle screen's map picture; unset, nothing happens.
    std::function<void()> clear_battle_map;
    // What messages call the people file being played (set by open_scene).
    std::string people_file = "people?.dat";

    // What the screen shows.
    bool shown() const { return shown_; }
    bool ok_bb_visible = false;
    bool sel_box_visible = false;
    bool sel_box2_visible = false;
    bool text_box_hidden = false;
    TimerState timer5{true, 100};
    TimerState timer1{true, 100};
    TimerState timer3{false, 100};
    PartyBox party;

  private:
    struct Frame {
        int pause_ms;  // wait before this frame
        std::function<void()> run;
    };
    struct Tick {
        Player player = Player::story;
        size_t next = 0;
        bool active = false;
    };

    void run_tick(Player p);
    void BitBtn2Answer();  // either answer of sel_box2
    // The fast-forward of Ctrl or スキップ applies to the current line.
    bool skip_now() const;
    std::string script_key() const;
    // Auto mode ends, and its count starts again with the next line.
    void stop_auto() {
        auto_mode_ = false;
        auto_elapsed_ms_ = 0;
    }
    void resume_tick();
    // Runs the command of the current entry; true when it ends the tick.
    bool run_command(Player p, int code);

    TScriptLine& entry(Player p);
    Player active_player() const { return gs_.people_mode ? Player::talk : Player::story; }
    void advance();
    void end_scene_after_overrun();
    void return_to_travel();
    void report(Player p, int entry_index, const std::string& reason);
    // The argument of the current entry as a decimal number; reports and skips the entry
    // when it is not one.
    bool number_arg(Player p, int& out);
    bool in_range(Player p, int n, int lo, int hi, const char* what);

    void clear_edit_box();
    void start_reveal(const std::string& text);
    void draw_whole_text(const std::string& text);
    void draw_cell(const std::vector<std::string>& cells, int k);
    void queue(int pause_ms, std::function<void()> run);
    void run_front_frame();
    void run_ready_frames();
    void run_all_frames();
    void queue_wipe();
    void queue_zoom();
    void queue_closing_box();
    void queue_text_box_closing();

    GameState& gs_;
    Sound& sound_;
    Screens& screens_;
    Dialogs& dialogs_;
    Canvas& canvas_;

    bool shown_ = false;
    bool busy_ = false;  // a modal message box must not let the timers re-enter
    bool fast_forward_ = false;
    bool revealing_ = false;
    bool backlog_open_ = false;
    bool auto_mode_ = false;
    int auto_elapsed_ms_ = 0;
    bool skip_mode_ = false;
    bool line_was_read_ = false;  // the line now shown had been read before
    ReadRecord read_;
    Tick tick_;
    std::deque<Frame> frames_;
};

}  // namespace lum

#include "harness.h"

#include <climits>

#include "party_policy.h"
#include "state/cp932.h"
#include "state/data_files.h"

namespace lum::play {

Size NullCanvas::picture_size(const std::string& picture) const {
    auto it = sizes_.find(picture);
    return it == sizes_.end() ? Size{} : it->second;
}

Size NullCanvas::text_size(const std::string& utf8, const Font& font) {
    // Half the em for each byte of the game's encoding, as a fixed face would measure.
    return {cp932_length(utf8) * font.pixel_height / 2, font.pixel_height};
}

void ModelRouter::show(ScreenId id) {
    if (current_ && *current_ != id) hide(*current_);
    if (current_ == id) return;
    current_ = id;
    ++shown_[id];
    auto it = pages_.find(id);
    if (it != pages_.end() && it->second.show) it->second.show();
}

void ModelRouter::hide(ScreenId id) {
    if (current_ != id) return;
    current_.reset();
    auto it = pages_.find(id);
    if (it != pages_.end() && it->second.hide) it->second.hide();
}

void ModelRouter::close(ScreenId id) {
    if (id != ScreenId::battle) return hide(id);
    if (program_closed) return;
    program_closed = true;
    if (on_program_close) on_program_close();
}

void VirtualTimer::sync(const Clock& c, bool on, int ms) {
    if (!on) {
        due = -1;
        return;
    }
    // A view restarts a running timer whose interval changed.
    if (due < 0 || ms != interval) due = c.now_ms + (ms > 0 ? ms : 0);
    interval = ms;
}

namespace {

struct Due {
    VirtualTimer* timer;
    std::function<void()> fire;
    bool one_shot = false;
};

// Runs the earliest due timer; ties go to the one listed first.
bool run_earliest(Clock& clock, std::initializer_list<Due> timers) {
    const Due* next = nullptr;
    for (const Due& d : timers)
        if (d.timer->running() && (!next || d.timer->due < next->timer->due)) next = &d;
    if (!next) return false;
    if (next->timer->due > clock.now_ms) clock.now_ms = next->timer->due;
    next->timer->due = next->one_shot ? -1 : clock.now_ms + next->timer->interval;
    next->fire();
    return true;
}

}  // namespace

Harness::Harness(const std::filesystem::path& game_dir)
    : travel(gs, dialogs, sound, router,
             BattleStarts{[this] { battle.start(BattleKind::story); },
                          [this] { battle.start(BattleKind::region); },
                          [this] { battle.start(BattleKind::random); }}) {
    gs.game_dir = game_dir;
    router.add(ScreenId::battle, {[this] { battle.FormShow(); }, [this] { battle.FormHide(); }});
    router.add(ScreenId::result, {[this] { result.FormShow(); }, [this] { result.FormHide(); }});
    router.add(ScreenId::travel, {[this] { travel.FormShow(); }, nullptr});
    router.add(ScreenId::story, {[this] { story.FormShow(); }, [this] { story.FormHide(); }});
    // Saving on close, as the battle screen's close step does.
    router.on_program_close = [this] {
        if (gs.save_on_close) guarded_data_step(dialogs, [&] { save_game(gs); });
    };
    story.FormCreate();
}

void Harness::new_game(std::uint64_t seed) {
    // Battle screen creation, then the title box's "最初からする" answered Yes.
    gs.rng.seed(seed);
    gs.clear_mark = 0;
    router.show(ScreenId::battle);
    gs.save_on_close = false;
    guarded_data_step(dialogs, [&] {
        for (const auto& n : lum::new_game(gs)) dialogs.inform(n);
        gs.item_owned[1] = 1;
        router.hide(ScreenId::battle);
        router.show(ScreenId::travel);
        gs.save_on_close = true;
    });
}

bool Harness::step_battle() {
    BattleModel& m = battle;
    // Timer1 and Timer2 always run; the drivers follow the model.
    b_timer1_.sync(clock, true, kBattleTickMs);
    b_timer2_.sync(clock, true, kBattleTickMs);
    b_timer4_.sync(clock, m.timer4_on(), m.timer4_ms());
    b_timer3_.sync(clock, m.timer3_on(), m.timer3_ms());
    b_speech_.sync(clock, m.speech_on(), m.speech_ms());
    return run_earliest(clock, {{&b_speech_, [&] { m.SpeechTimer(); }},
                                {&b_timer4_, [&] { m.Timer4Timer(); }},
                                {&b_timer3_, [&] { m.Timer3Timer(); }},
                                {&b_timer1_, [&] { m.Timer1Timer(); }},
                                {&b_timer2_, [&] { m.Timer2Timer(); }}});
}

bool Harness::step_result() {
    r_timer1_.sync(clock, result.timer1_on(), result.timer1_ms());
    return run_earliest(clock, {{&r_timer1_, [&] { result.Timer1Timer(); }}});
}

bool Harness::step_story() {
    StoryModel& m = story;
    s_timer5_.sync(clock, m.timer5.enabled, m.timer5.interval_ms);
    s_timer1_.sync(clock, m.timer1.enabled, m.timer1.interval_ms);
    s_timer3_.sync(clock, m.timer3.enabled, m.timer3.interval_ms);
    // The view's single-shot effect timer, started for the next frame's pause.
    if (!m.animating())
        s_anim_.due = -1;
    else if (!s_anim_.running())
        s_anim_.sync(clock, true, m.next_pause_ms());
    return run_earliest(clock, {{&s_anim_, [&] { m.step_animation(); }, true},
                                {&s_timer5_, [&] { m.Timer5Timer(); }},
                                {&s_timer1_, [&] { m.Timer1Timer(); }},
                                {&s_timer3_, [&] { m.Timer3Timer(); }}});
}

void play_story_screen(Harness& h, const std::function<void()>& each) {
    StoryModel& m = h.story;
    while (h.router.showing(ScreenId::story)) {
        if (m.party.visible) {
            if (!m.party.party_ok_b_enabled) fill_party_box(m.party, h.gs.edit_slot);
            m.party_ok_bClick();
        } else if (m.sel_box_visible) {
            m.BitBtn6Click();  // はい
        } else if (m.sel_box2_visible) {
            m.BitBtn2Click();
        } else if (m.ok_bb_visible && !m.animating()) {
            m.ok_bbClick();
        } else if (!h.step_story()) {
            break;
        }
        each();
    }
}

}  // namespace lum::play

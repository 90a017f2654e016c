#include "battle/battle_model.h"

#include "state/player_settings.h"

#include <algorithm>

#include "battle/battle_clock.h"
#include "battle/battle_end.h"
#include "battle/clamping.h"
#include "battle/setup.h"
#include "battle/techniques.h"

namespace lum {

// Marks a handler that may open a message box: timer ticks arriving from inside that box's
// event loop must not step the battle underneath it.
// It also brackets what the board overlay reports: whatever changed inside the handler.
struct BattleModel::Busy {
    explicit Busy(BattleModel& m) : m_(m), was_(m.busy_) {
        if (!was_) m.overlay_.resync(m.ctx_);
        m.busy_ = true;
    }
    ~Busy() {
        m_.busy_ = was_;
        m_.after_message_change();
        if (!was_) m_.overlay_.observe(m_.ctx_);
    }
    BattleModel& m_;
    bool was_;
};

int speed_for_slider(int position) {
    return battle_speed_ms(std::clamp(position, kSliderMin, kSliderMax));
}

int enemy_interval(int speed_ms) {
    return saturate(static_cast<long long>(speed_ms) * 3 / 2);
}

BattleModel::BattleModel(GameState& gs, Dialogs& dialogs, Sound& sound, Pacing& pacing,
                         Screens& screens)
    : ctx_{gs, dialogs, sound, pacing, screens, {}} {
    refresh_skill_buttons();
}

void BattleModel::start(BattleKind kind) {
    if (busy_) return;
    Busy b(*this);
    log_open_ = false;
    item_box.visible = false;
    hover_slot = 0;
    moji_l_yellow = false;
    refresh_skill_buttons();
    switch (kind) {
        case BattleKind::story:
            start_story_battle(ctx_);
            break;
        case BattleKind::region:
            start_region_battle(ctx_);
            break;
        case BattleKind::random:
            start_random_battle(ctx_);
            break;
    }
    if (ctx_.w.speech_running) portrait = kOpeningPortrait;
    // A new battle: nothing of the last one floats on, and setting the units up is no hit.
    overlay_.clear();
    overlay_.resync(ctx_);
}

void BattleModel::FormShow() {
    refresh_skill_buttons();
}

void BattleModel::FormHide() {
    // The drivers act only while the screen shows; the next setup shows it again.
    ctx_.w.battle_shown = false;
    item_box.visible = false;
    log_open_ = false;
    fast_forward_ = false;
    overlay_.clear();
}

void BattleModel::refresh_skill_buttons() {
    const GameState& gs = ctx_.gs;
    bool any_special = false;
    for (int f = 1; f <= 18; ++f) {
        family_visible[f] = f != 17 && gs.skill_flags[f] == 1;
        const bool special = (f >= 8 && f <= 15) || f == 18;
        if (special && family_visible[f]) any_special = true;
    }
    Label3_visible = !any_special;
    sealed = sealed_sword_buttons(gs);
}

// ---------------------------------------------------------------- command menu

bool BattleModel::turn_open() const {
    const GameState& gs = ctx_.gs;
    // The enemies' opening speech is a wait: nothing of the party's turn answers during it.
    return ctx_.w.battle_shown && !ctx_.w.speech_running && gs.cur_unit >= kFirstParty &&
           gs.cur_unit <= kLastParty && gs.player_phase == 0 && !busy_ && !log_open_;
}

bool BattleModel::awaiting_command() const {
    return turn_open() && !ctx_.w.warp_click_armed;
}

void BattleModel::idou_bClick() {
    if (!turn_open()) return;
    Busy b(*this);
    open_movement_panel(ctx_);
}

void BattleModel::usu_bClick() {
    if (!turn_open()) return;
    Busy b(*this);
    open_normal_families(ctx_);
}

void BattleModel::spa_bClick() {
    if (!turn_open()) return;
    Busy b(*this);
    open_special_families(ctx_);
}

void BattleModel::Button23Click() {
    if (!turn_open()) return;
    Busy b(*this);
    open_sealed_sword_box(ctx_);
}

void BattleModel::Button18Click() {
    if (!turn_open()) return;
    Busy b(*this);
    BattleWidgets& w = ctx_.w;
    w.menu0 = w.ken_box = w.menu2 = w.menu3 = w.menu4 = false;
    ctx_.sound.play_step_sound();
    item_box.visible = true;
    refresh_item_list();
}

void BattleModel::Button3Click() {
    if (!turn_open()) return;
    Busy b(*this);
    wait_command(ctx_);
}

void BattleModel::command(Command c) {
    switch (c) {
        case Command::idou:
            return idou_bClick();
        case Command::usu:
            return usu_bClick();
        case Command::spa:
            return spa_bClick();
        case Command::ken:
            return Button23Click();
        case Command::item:
            return Button18Click();
        case Command::wait:
            return Button3Click();
    }
}

// ---------------------------------------------------------------- movement panel

void BattleModel::step_click(StepButton s) {
    if (!turn_open() || !ctx_.w.menu1) return;
    const StepButtons& e = ctx_.w.steps;
    const bool enabled[] = {e.mae,  e.mae2, e.usiro, e.usiro2, e.ue,
                            e.sita, e.mae3, e.mae4,  e.usiro3, e.usiro4};
    if (!enabled[static_cast<int>(s)]) return;
    Busy b(*this);
    step(ctx_, s);
}

void BattleModel::warp_bClick() {
    if (!turn_open() || !ctx_.w.menu1 || !ctx_.w.steps.warp) return;
    Busy b(*this);
    random_warp(ctx_);
}

void BattleModel::Button4Click() {
    if (!turn_open()) return;
    Busy b(*this);
    cancel_movement(ctx_);
}

void BattleModel::nigeru_bClick() {
    if (!turn_open()) return;
    Busy b(*this);
    flee(ctx_);
}

// ---------------------------------------------------------------- techniques

void BattleModel::family_click(int family) {
    if (!turn_open() || family < 1 || family > 18 || !family_visible[family]) return;
    if (family <= 15 && !ctx_.w.family_enabled[family]) return;
    Busy b(*this);
    open_technique_panel(ctx_, family);
}

void BattleModel::technique_click(int slot) {
    if (!turn_open() || !ctx_.w.menu4) return;
    Busy b(*this);
    choose_technique(ctx_, slot);
    if (!ctx_.gs.battle_effects || ctx_.gs.player_phase != 2) return;
    const std::string& result = ctx_.gs.player_result_msg;
    if (result == kTechniqueMissText)
        overlay_.note_failure("miss", failure_squares(ctx_.gs, ctx_.w));
    if (result == kCaptureFailedText)
        overlay_.note_failure("失敗", failure_squares(ctx_.gs, ctx_.w));
}

void BattleModel::technique_hover(int slot) {
    if (!ctx_.w.menu4 || busy_) return;
    point_at_technique(ctx_, slot);
}

void BattleModel::technique_leave() {
    // Only a preview goes: a chosen technique's own markers and an armed warp stay.
    const BattleWidgets& w = ctx_.w;
    if (!turn_open() || !(w.menu4 || w.ken_box) || w.warp_click_armed) return;
    clear_preview();
}

void BattleModel::clear_preview() {
    BattleWidgets& w = ctx_.w;
    ctx_.hide_markers();
    w.s_l_visible = w.s_l2_visible = false;
    w.magic_about_l.clear();
    w.magic_about_l2.clear();
}

void BattleModel::sealed_click(int family) {
    if (!turn_open() || !ctx_.w.ken_box || family < kFirstSealed || family > kLastSealed) return;
    if (!sealed.enabled[family]) return;
    Busy b(*this);
    choose_sealed_sword(ctx_, family);
}

void BattleModel::sealed_hover(int family) {
    if (!ctx_.w.ken_box || busy_) return;
    point_at_sealed_sword(ctx_, family);
}

// ---------------------------------------------------------------- board and pointer

void BattleModel::map_cgMouseDown(int x, int y) {
    if (busy_ || !ctx_.w.battle_shown) return;
    Busy b(*this);
    warp_to_clicked_square(ctx_, x, y);
}

void BattleModel::map_cgMouseMove() {
    if (ctx_.w.speech_running) return;
    ctx_.gs.sel_unit = ctx_.gs.cur_unit;
    hover_slot = 0;
}

void BattleModel::map_cgMouseLeave() {
    hover_slot = 0;
}

void BattleModel::unit_hover(int slot) {
    const bool party = slot >= kFirstParty && slot <= kLastParty;
    const bool enemy = slot >= kFirstEnemy && slot <= kLastEnemy;
    if (!party && !enemy) return map_cgMouseMove();
    if (ctx_.w.speech_running) return;
    ctx_.gs.sel_unit = static_cast<byte>(slot);
    hover_slot = slot;
    hover_at_ = {sprite_of(slot).left, sprite_of(slot).top};
}

void BattleModel::status_key(bool back) {
    if (ctx_.w.speech_running) return;
    std::vector<int> shown;
    for (int slot = kFirstParty; slot <= kLastEnemy; ++slot) {
        if (slot > kLastParty && slot < kFirstEnemy) continue;
        if (ctx_.gs.chara_at(slot).state != kStateEmpty && sprite_of(slot).visible)
            shown.push_back(slot);
    }
    const auto at = std::find(shown.begin(), shown.end(), hover_slot);
    const int n = static_cast<int>(shown.size());
    // Off the list (nothing pointed at) counts as the place just past either end.
    int i = at == shown.end() ? n : static_cast<int>(at - shown.begin());
    i = back ? (i == 0 ? n : (i == n ? n - 1 : i - 1)) : (i >= n ? 0 : i + 1);
    if (i >= n || i < 0) return map_cgMouseMove();
    unit_hover(shown[i]);
}

void BattleModel::FormMouseMove() {
    hover_slot = 0;
    if (ctx_.w.speech_running) return;
    pointer_over_background(ctx_);
}

// ---------------------------------------------------------------- item box

void BattleModel::refresh_item_list() {
    item_box.entries = owned_item_entries(ctx_.gs);
    item_box.selected = -1;
    item_box.item_about.clear();
}

void BattleModel::item_listMouseDown(int row) {
    if (!item_box.visible) return;
    GameState& gs = ctx_.gs;
    const int count = static_cast<int>(item_box.entries.size());
    item_box.selected = row >= 0 && row < count ? row : -1;
    gs.sel_item = 0;
    if (item_box.selected >= 0) gs.sel_item = pick_item(gs, item_box.entries[row].second);
    item_box.item_about = item_about_text(gs, gs.sel_item);
}

void BattleModel::refuse(const std::string& text) {
    ctx_.sound.play_effect("off1.wav");
    ctx_.say(text);
}

void BattleModel::item_useClick() {
    if (!item_box.visible || !turn_open()) return;
    Busy b(*this);
    GameState& gs = ctx_.gs;
    if (item_box.selected < 0) return refuse("アイテムが選択されていません");
    const int kind = gs.item_at(gs.sel_item).kind;
    if (kind == kKindCard) return refuse("【カード】はここでは使用できません。");
    if (is_sword_kind(kind))
        return refuse("【剣タイプ】のアイテムは【ソードショップ】に持っていかないと使えません。");
    if (kind == kKindScore) return refuse("【楽譜】はここでは使用できません。");

    const ItemUseResult r = use_item(gs, ctx_.dialogs, ctx_.sound, gs.sel_item, true);
    ctx_.say(r.message);
    moji_l_yellow = r.yellow;
    yellow_text_ = r.message;
    for (int p : r.revived)
        if (p >= kFirstParty && p <= kLastParty)
            ctx_.w.party[p].picture = party_picture_file(gs.chara[p], gs.stage_no);
    refresh_item_list();
    item_box.visible = false;
    gs.player_result_msg = ctx_.w.moji_l;
    gs.player_phase = 3;
}

void BattleModel::Button22Click() {
    if (!item_box.visible) return;
    Busy b(*this);
    item_box.visible = false;
    ctx_.w.menu0 = true;
    ctx_.sound.play_effect("off1.wav");
}

// ---------------------------------------------------------------- slider and timers

void BattleModel::TrackBar1Change(int position) {
    ctx_.gs.speed_ms = speed_for_slider(position);
}

int BattleModel::slider_position() const {
    return battle_speed_position(ctx_.gs.speed_ms);
}

int BattleModel::timer4_ms() const {
    return fast_forward_ ? speed_for_slider(kSliderMin) : timer4_ms_;
}

int BattleModel::timer3_ms() const {
    return fast_forward_ ? enemy_interval(speed_for_slider(kSliderMin)) : timer3_ms_;
}

int BattleModel::speech_ms() const {
    return speech_interval_ms(ctx_.gs);
}

void BattleModel::Timer1Timer() {
    redraw_tick(ctx_);
    // The frame marks the unit under the pointer: once that unit moves on or leaves the
    // board, the pointer is no longer over it.
    if (hover_slot != 0) {
        const UnitSprite& s = sprite_of(hover_slot);
        if (ctx_.gs.chara_at(hover_slot).state == kStateEmpty || !s.visible ||
            s.left != hover_at_.left || s.top != hover_at_.top)
            hover_slot = 0;
    }
}

void BattleModel::Timer2Timer() {
    GameState& gs = ctx_.gs;
    if (ctx_.w.speech_running) portrait = kOpeningPortrait;
    if (!clamp_values(gs)) return;
    const int u = gs.sel_unit;
    panel = status_panel_texts(gs, u, PanelScreen::battle);
    if (ctx_.w.speech_running) return;  // my_cg keeps the opening picture until the first turn
    if (u >= kFirstEnemy && u <= kLastEnemy)
        portrait = ctx_.w.enemy_portrait[u - 10];
    else if (u >= kFirstParty && u <= kLastParty)
        portrait = portrait_file(gs.chara[u].name, gs.stage_no);
}

void BattleModel::Timer4Timer() {
    if (!ctx_.w.timer4 || busy_ || log_open_) return;
    Busy b(*this);
    timer4_ms_ = party_half_tick(ctx_);
}

void BattleModel::Timer3Timer() {
    if (!ctx_.w.timer3 || busy_ || log_open_) return;
    Busy b(*this);
    timer3_ms_ = enemy_half_tick(ctx_);
}

void BattleModel::SpeechTimer() {
    if (busy_ || log_open_) return;
    Busy b(*this);
    speech_tick(ctx_);
}

void BattleModel::overlay_tick(int ms) {
    // Inside a handler (a message box's own loop) the rules may have struck already; between
    // handlers only the screen's clamping moves a value, which is no hit.
    if (busy_)
        overlay_.observe(ctx_);
    else
        overlay_.resync(ctx_);
    overlay_.advance(ms, fast_forward_ ? speed_for_slider(kSliderMin) : ctx_.gs.speed_ms);
}

std::vector<SquareTint> BattleModel::tints() const {
    return square_tints(ctx_.gs, ctx_.w);
}

std::optional<BoardSquare> BattleModel::acting() const {
    return acting_square(ctx_.gs, ctx_.w);
}

std::vector<TurnEntry> BattleModel::turn_order(int count) const {
    return turn_strip(ctx_.gs, ctx_.w, count);
}

void BattleModel::after_message_change() {
    // The yellow background belongs to the item's message only.
    if (moji_l_yellow && ctx_.w.moji_l != yellow_text_) moji_l_yellow = false;
}

// ---------------------------------------------------------------- keys

void BattleModel::command_key(int n) {
    // Only what the mouse could reach: the menu must show and not lie under another panel.
    if (n < 1 || n > 6 || !ctx_.w.menu0 || ctx_.w.menu1 || item_box.visible) return;
    command(static_cast<Command>(n - 1));
}

void BattleModel::escape() {
    BattleWidgets& w = ctx_.w;
    if (log_open_) return close_log();
    if (item_box.visible) return Button22Click();
    if (w.menu1) return Button4Click();
    if (!turn_open()) return;
    if (w.menu4) {
        w.menu4 = false;
    } else if (w.menu2 || w.menu3 || w.ken_box) {
        w.menu2 = w.menu3 = w.ken_box = false;
    } else {
        return;
    }
    clear_preview();
    ctx_.sound.play_effect("off1.wav");
}

void BattleModel::back_to_commands() {
    const BattleWidgets& w = ctx_.w;
    // At most the items or moves, or the techniques over their family: two closes.
    for (int i = 0;
         i < 2 && (item_box.visible || w.menu1 || w.menu2 || w.menu3 || w.menu4 || w.ken_box); ++i)
        escape();
}

void BattleModel::arrow(Arrow a) {
    if (ctx_.w.warp_click_armed) {
        if (busy_ || !ctx_.w.battle_shown) return;
        if (!warp_cursor_shown()) {
            warp_cursor_x_ = ctx_.actor().x;
            warp_cursor_y_ = ctx_.actor().y;
            warp_cursor_on_ = true;
        }
        const int dx = a == Arrow::left ? -1 : a == Arrow::right ? 1 : 0;
        const int dy = a == Arrow::up ? -1 : a == Arrow::down ? 1 : 0;
        if (on_board(warp_cursor_x_ + dx, warp_cursor_y_ + dy)) {
            warp_cursor_x_ += dx;
            warp_cursor_y_ += dy;
        }
        return;
    }
    switch (a) {
        case Arrow::left:
            return step_click(StepButton::mae);
        case Arrow::right:
            return step_click(StepButton::usiro);
        case Arrow::up:
            return step_click(StepButton::ue);
        case Arrow::down:
            return step_click(StepButton::sita);
    }
}

void BattleModel::warp_enter() {
    if (!warp_cursor_shown()) return;
    // As a click in the middle of the cursor's square.
    map_cgMouseDown(kMapLeft + warp_cursor_x_ * kSquarePx + kSquarePx / 2,
                    kMapTop + warp_cursor_y_ * kSquarePx + kSquarePx / 2);
    if (!ctx_.w.warp_click_armed) warp_cursor_on_ = false;
}

void BattleModel::log_key() {
    if (log_open_)
        close_log();
    else
        log_bClick();
}

void BattleModel::log_bClick() {
    // Read between the battle's boxes, never under one.
    if (busy_ || !ctx_.w.battle_shown) return;
    log_open_ = true;
}

void BattleModel::close_log() {
    log_open_ = false;
}

void BattleModel::Button21Click() {
    if (busy_ || !ctx_.w.battle_shown) return;
    Busy b(*this);
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e) ctx_.gs.chara[e].hp = 0;
    check_battle_end(ctx_);
}

}  // namespace lum

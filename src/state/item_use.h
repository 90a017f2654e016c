#pragma once

// Every item is used through one routine whose effect is chosen by the item's kind and value.
// The travel screen's item box and the battle screen's item command both call it.

#include <string>
#include <utility>
#include <vector>

#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

inline constexpr int kKindScore = 24;  // 楽譜
inline constexpr int kKindCard = 111;
inline bool is_sword_kind(int kind) {
    return kind >= 100 && kind <= 110;
}

struct ItemUseResult {
    bool applied = false;      // the effect ran ("item.wav" played)
    bool consumed = false;     // the item left the bag (and a sword or card paid its fee)
    std::string message;       // for the message line of both screens; may be empty
    bool yellow = false;       // the message line's background turns yellow
    std::vector<int> revived;  // party slots 1..5 brought back by kind 19
};

// Applies item `item` to character `cur_unit` (the caller sets it). `battle_shown` decides
// whether kind 19 revives. The money checks, the questions, the fee and the consumption are all
// here; a refusal or a "No" leaves the game state as it was.
ItemUseResult use_item(GameState& gs, Dialogs& dialogs, Sound& sound, int item, bool battle_shown);

// The entries of the item lists: every owned item in number order, with its name.
std::vector<std::pair<int, std::string>> owned_item_entries(const GameState& gs);

// Picking an entry: the highest item number whose name equals the entry's text, compared over
// all 513 items, owned or not; 0 when none matches.
int pick_item(const GameState& gs, const std::string& entry_text);

// The description shown for a picked item: cards show their number instead of a text.
std::string item_about_text(const GameState& gs, int item);

// The piece a music box (楽譜) of value v plays; empty for a value without one.
std::string music_box_piece(int v);

// The shops' fee texts for a picked item.
std::string sword_fee_text(const GameState& gs, int item);  // "解放料金 N円"
std::string card_fee_text(const GameState& gs, int item);  // "交換料金 200円" / "交換料金 0円"

}  // namespace lum

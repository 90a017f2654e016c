#pragma once

// The stand-in player of the playthrough: what a party member does on its turn, pressed
// through the battle model's own buttons, and the choices of the party box and the questions
// a battle asks. Simple on purpose: revive the fallen, heal when low, use the technique whose
// preview hits most, else walk towards the nearest enemy. The newcomer is simpler still: it
// strikes the nearest enemy with the first normal technique that reaches it, else walks
// towards it; nothing else.

#include <cstdint>
#include <random>
#include <string>

#include "battle/battle_model.h"
#include "story/party_box.h"

namespace lum::play {

enum class PolicyStyle { patient, newcomer };

class PartyPolicy {
  public:
    PartyPolicy(BattleModel& battle, std::uint64_t seed, PolicyStyle style = PolicyStyle::patient)
        : m_(battle), rng_(seed), style_(style) {}

    // Before a battle's first command: the counts start again.
    void start_battle();

    // One command for the member whose turn is open (the model awaits a command).
    void act();

    // An enemy the party cannot wear down (the story's unwinnable battle): the policy flees.
    bool hopeless() const;

    // The questions of a battle: take an enemy's 哀古 only when it is stronger than one's own.
    bool answer(const std::string& question) const;

    // Flees from a battle that goes nowhere.
    void give_up() { flee(); }

    int turns = 0;   // commands given in the current battle
    int rounds = 0;  // the party's turns in it: every standing member acts once a round
    bool fled = false;

  private:
    bool revive();
    bool heal();
    bool attack();
    bool strike_nearest();
    int nearest_enemy();
    bool advance();
    bool use_item_of_kind(std::initializer_list<int> kinds);
    void flee();

    BattleModel& m_;
    std::mt19937_64 rng_;  // the policy's own choices leave the game's draws alone
    PolicyStyle style_;
    int last_unit_ = 0;  // the member that had the previous command
};

// The party box: a class by the slot the newcomer takes, the attribute that class trains, one
// oath. Clicks the box's buttons in order and presses "→OK".
void fill_party_box(PartyBox& box, int slot);

}  // namespace lum::play

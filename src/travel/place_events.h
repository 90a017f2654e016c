#pragma once

// The place events of the travel map: which place plays what at which stage. One table, read
// side by side with the design's: the button, the battle area it sets, the stages it reacts to
// with their action, and what it does at every other stage.

#include <functional>
#include <string>
#include <vector>

#include "state/game_state.h"

namespace lum {

// What an action may do. The travel model implements it over the real screens and battles.
class PlaceActions {
  public:
    virtual ~PlaceActions() = default;
    virtual GameState& state() = 0;
    virtual void story() = 0;         // switch to story mode
    virtual void story_battle() = 0;  // start_story_battle
    virtual void region_battle() = 0;
    virtual void random_battle() = 0;
    virtual void message(const std::string& text) = 0;  // moji_l
    // Reads dat/people<n>.dat (people_mode := 1); false when it could not, after telling why.
    virtual bool load_people(int n) = 0;
    // Reads the stage file of stage_no; false when it could not, after telling why.
    virtual bool load_stage() = 0;
    // A change of the map that belongs to winning the story battle just started: it is made
    // when the travel map shows again with the story moved on, and dropped when the battle was
    // lost or fled (the place must still show, or the stage could never be played again).
    virtual void once_won(std::function<void(GameState&)> step) = 0;
};

inline constexpr int kNoArea = -1;

struct StageCase {
    std::vector<int> stages;
    std::function<void(PlaceActions&)> act;
};

struct PlaceEvent {
    std::string button;
    int area = kNoArea;  // battle_area set first; kNoArea leaves it
    std::vector<StageCase> cases;
    std::function<void(PlaceActions&)> otherwise;  // may be empty: nothing happens
};

// Every place button with an event of its own (shops and region doors are not here).
const std::vector<PlaceEvent>& place_events();
const PlaceEvent* find_place_event(const std::string& button);

// Runs the event: battle_area first, then the action listed for stage_no or the default.
void run_place_event(const PlaceEvent& ev, PlaceActions& a);

}  // namespace lum

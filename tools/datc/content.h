#pragma once

// The story's content checked against the travel map: the road from a new game through every
// stage, played the way the travel screen and the story player would play it. At every stage
// the place that plays it must be on the map; a recruit must be one of the cast the code knows
// by name; an enemy's name and the weapon of its picture must not promise a way of fighting its
// class lacks, nor a random battle's name any (name_words.h); a stage script must be more than a
// placeholder.

#include <filesystem>
#include <string>
#include <vector>

#include "travel/place_events.h"

namespace lum::datc {

struct ContentFault {
    std::string where;  // "file:line", or "file" when the fault is not on one line
    std::string reason;
    // A fault of the road (a place not on the map, a script that is still a placeholder).
    // While the stages are being written these may be reported as warnings; everything else
    // always fails.
    bool road = false;
};

struct ContentRules {
    // The place events that play the stages; the game's own table unless a test brings one.
    const std::vector<PlaceEvent>* events = &place_events();
    int last_stage = kEndingStage;
    int min_entries = 20;  // a stage script 1..last_stage with fewer is a placeholder
};

// Reads data_dir/save/my.toml, data_dir/stages/story<N>.txt and data_dir/people/people<N>.txt
// and walks the road: from the save's place flags, stage by stage, it runs the place event of
// the button that plays the stage (through a recording PlaceActions, so the event's own flag
// changes count), then that stage's script up to its end — opens (code 10), closes (code 11),
// and both answers of a choice that skips a stage (code 4). Faults come in the order found,
// each once.
std::vector<ContentFault> check_content(const std::filesystem::path& data_dir,
                                        const ContentRules& rules = {});

// "where: reason", or "where: warning: reason" for a road fault when not strict.
std::string format_fault(const ContentFault& f, bool strict);

}  // namespace lum::datc

#pragma once

// What an enemy's name promises. A player reads 弓 in a name and keeps out of the row three
// squares ahead; when the class number makes the enemy cut diagonally instead, the name lies.
// The table lists the words that promise a way of fighting and the enemy classes (by what their
// turns do, see the enemy class table of the status panel) that keep the promise.

#include <string>
#include <vector>

namespace lum::datc {

struct NameWord {
    std::string word;          // as written in a name: "弓", "射手", "魔獣"
    std::string promise;       // what the word promises, for the message: "a bow"
    std::vector<int> classes;  // the enemy classes that keep it; empty = promises nothing
};

// Longer words come first where they hold a shorter one: 魔獣 is a beast, not a caster.
const std::vector<NameWord>& name_words();

// The first word of `name` whose promise class `job` does not keep; nullptr when none. With a
// job of no class (-1) that is the first word that promises anything.
// Words are matched longest first at each character, so a word inside a longer one is not
// read on its own.
const NameWord* broken_promise(const std::string& name, int job,
                               const std::vector<NameWord>& words = name_words());

// "\"name\" has 弓 in its name, which promises a bow (classes 4, 13, 15, 19), but class 2
// (双剣士) does not fight that way".
std::string broken_promise_reason(const std::string& name, int job, const NameWord& w);

// What a picture's weapon promises, by the weapon of its recipe (data/art/people.txt): a bow the
// arrows, a sword the blades, fists and claws the blows, a staff spells or healing; nullptr for
// a weapon that promises nothing (a fan, a harp, none).
const NameWord* weapon_promise(const std::string& weapon);

}  // namespace lum::datc

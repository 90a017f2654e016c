#pragma once

// Portraits (128 x 128) and battle sprites (64 x 64) drawn from one description of a person,
// so that a recruit looks like the same person in both.

#include <string>

#include "canvas.h"
#include "recipes.h"

namespace lum::art {

struct Look {
    Rgb skin = rgb(0xF4D2B4), hair = rgb(0x6A4A3A), eyes = rgb(0x3A6AC8);
    Rgb outfit = rgb(0x4A5A9A), accent = rgb(0xE0B040), bg = rgb(0x3A4A6A);
    std::string hair_style = "short";   // short long twin pony bob spiky bald hood wild swept
    std::string eye_shape = "round";    // round sharp sleepy closed
    std::string mouth = "neutral";      // smile neutral frown grin open
    std::string outfit_kind = "tunic";  // tunic robe armour dress coat uniform cloak rags
    std::string extra = "none";         // see the recipe words
    std::string age = "young";          // child young adult old
    std::string weapon = "none";        // sprites: what the unit holds
    std::string body = "normal";        // normal big small beast slime ghost
    bool female = false;
};

// The words a recipe may use for a look; unknown words are refused.
Look read_look(const assets::Recipe& r);
extern const std::vector<std::string> kLookKeys;

// The colour every sprite leaves around its figure; the battle view draws sprites with it
// transparent (it is also each sprite's bottom-left pixel).
Rgb sprite_key();

Canvas draw_portrait(const Look& look, uint64_t seed);
Canvas draw_sprite(const Look& look, bool face_left, uint64_t seed);
Canvas draw_fallen_sprite();

}  // namespace lum::art

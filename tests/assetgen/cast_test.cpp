#include <gtest/gtest.h>

#include <map>

#include "art_people.h"
#include "recipes.h"

using namespace lum::art;

namespace {

const std::string kPeople = std::string(LUM_SOURCE_DIR) + "/data/art/people.txt";

// Who the party pictures are, by the names the battle setup and the party box pick them by, and
// the sex the game gives each: a new game makes the hero ♂; a recruit takes its party slot's sex
// (トゥルネア slot 2 ♂; ルクサ slot 3, made ♀ at the church; after the wreck ハルティア slot 1 ♂,
// メルヴィ slot 2 ♀ until the sky castle makes it ♂, ザビナ slot 3 ♀; back home 楓 takes
// メルヴィ's slot ♂ and 睦月 ザビナ's ♀).
struct CastPicture {
    const char* who;
    const char* portrait;
    const char* sprite;
    bool female;
};
const CastPicture kCast[] = {
    {"ルミナリア", "my1", "char0", false},        {"ルミナリア from 51", "my41", "char10", false},
    {"トゥルネア", "my2", "char1", false},        {"ルクサ", "my15", "char3", true},
    {"ハルティア", "my3", "char2", false},        {"メルヴィ before 29", "my17", "char4", true},
    {"メルヴィ from 29", "my18", "char6", false}, {"ザビナ before 29", "my14", "char5", true},
    {"ザビナ from 29", "my16", "char7", true},    {"月影院楓", "my43", "char8", false},
    {"月影院睦月", "my42", "char9", true},
};

std::map<std::string, lum::assets::Recipe> recipes(const std::string& kind) {
    std::map<std::string, lum::assets::Recipe> m;
    for (auto& r : lum::assets::load_recipes(kPeople))
        if (r.kind == kind) m.emplace(r.name, r);
    return m;
}

TEST(CastPictures, EachPortraitIsDrawnAsTheSexTheGameGivesAndItsSpriteWearsIt) {
    auto portraits = recipes("portrait"), sprites = recipes("sprite");
    for (const auto& c : kCast) {
        ASSERT_TRUE(portraits.count(c.portrait)) << c.who;
        EXPECT_EQ(read_look(portraits.at(c.portrait)).female, c.female)
            << c.who << " " << c.portrait;
        ASSERT_TRUE(sprites.count(c.sprite)) << c.who;
        const auto& s = sprites.at(c.sprite);
        // The sprite borrows the portrait's look whole; a sex of its own could only disagree.
        EXPECT_EQ(s.str("look", ""), c.portrait) << c.who << " " << c.sprite;
        EXPECT_FALSE(s.has("sex")) << c.who << " " << c.sprite;
    }
}

// Counts pixels of one exact colour inside a rectangle.
int count(const Canvas& c, Rgb colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += c.get(x, y) == colour ? 1 : 0;
    return n;
}

TEST(CastPictures, GirlsBlushAndMenDoNotInPortraitsAndSprites) {
    Look l;
    l.skin = rgb(0xF0D0B0);
    Rgb portrait_blush = mix(l.skin, rgb(0xF07080), 0.5),
        sprite_blush = mix(l.skin, rgb(0xF07080), 0.45);
    for (bool female : {false, true}) {
        l.female = female;
        Canvas p = draw_portrait(l, 3);
        // Both cheeks, under the eyes.
        int left = count(p, portrait_blush, 40, 70, 64, 82),
            right = count(p, portrait_blush, 64, 70, 88, 82);
        EXPECT_EQ(left > 0, female) << left;
        EXPECT_EQ(right > 0, female) << right;
        // The party sprite faces left, so its cheek is on the left of the head.
        Canvas s = draw_sprite(l, true, 3);
        EXPECT_EQ(count(s, sprite_blush, 14, 18, 32, 30), female ? 3 : 0);
        EXPECT_EQ(count(s, sprite_blush, 32, 0, 64, 64), 0) << "blush on the back of the head";
    }
    // An old woman is past blushing.
    l.age = "old";
    EXPECT_EQ(count(draw_sprite(l, true, 3), sprite_blush, 0, 0, 64, 64), 0);
}

TEST(CastPictures, ASweptCutStopsAboveTheJawWhereLongHairFallsToTheShoulders) {
    Look l;
    l.hair = rgb(0x20C040);  // a colour nothing else in the picture uses
    l.bg = rgb(0x202020);
    l.outfit = rgb(0x303060);
    Ramp h = ramp(l.hair);
    auto hair_below = [&](const Canvas& c, int y0) {
        int n = 0;
        for (Rgb tone : {h.shadow, h.base, h.light, h.shine}) n += count(c, tone, 0, y0, 128, 128);
        return n;
    };
    l.hair_style = "swept";
    Canvas swept = draw_portrait(l, 5);
    EXPECT_EQ(hair_below(swept, 82), 0);
    EXPECT_GT(hair_below(swept, 40), 400);  // it is still a head of hair
    l.hair_style = "long";
    EXPECT_GT(hair_below(draw_portrait(l, 5), 82), 200);
    // The sprite's nape stays short too: nothing of the hair below the chin line.
    l.hair_style = "swept";
    Canvas s = draw_sprite(l, false, 5);
    for (int y = 35; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (Rgb tone : {h.shadow, h.base, h.light, h.shine})
                ASSERT_FALSE(s.get(x, y) == tone) << x << "," << y;
}

}  // namespace

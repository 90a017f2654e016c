#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "art_people.h"
#include "assets.h"
#include "bmp_file.h"
#include "mml.h"
#include "recipes.h"
#include "wav_file.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(LUM_SOURCE_DIR) + "/data";

std::vector<uint8_t> read_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// One generation into a fresh folder, shared by the tests that only read it.
const fs::path& game_dir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("assetgen_test_" + std::to_string(::getpid()));
        fs::remove_all(d);
        std::string cmd = std::string(ASSETGEN_EXE) + " --data " + kData + " --out " + d.string() +
                          " > /dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() /
                           ("assetgen_test_" + std::to_string(::getpid())));
        });
        return d;
    }();
    return dir;
}

std::map<std::string, std::vector<uint8_t>> all_files(const fs::path& root) {
    std::map<std::string, std::vector<uint8_t>> out;
    for (auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out[fs::relative(e.path(), root).string()] = read_bytes(e.path());
    return out;
}

// Every picture the game loads by name, with its size.
std::map<std::string, std::pair<int, int>> pictures_the_game_names() {
    std::map<std::string, std::pair<int, int>> m;
    for (int i = 0; i <= 43; ++i) m["my" + std::to_string(i) + ".bmp"] = {128, 128};
    for (int i = -1; i <= 10; ++i) m["char" + std::to_string(i) + ".bmp"] = {64, 64};
    for (int i = 0; i <= 25; ++i) m["unit" + std::to_string(i) + ".bmp"] = {64, 64};
    for (int i = 0; i <= 5; ++i) m["b_map" + std::to_string(i) + ".bmp"] = {433, 297};
    m["map00.bmp"] = {112, 80};
    m["map_bak.bmp"] = {448, 320};
    for (auto s : {"s_mara.bmp", "my_card.bmp", "my_sword.bmp"}) m[s] = {128, 128};
    // A map for every place that fights.
    for (int p :
         {0,  1,  2,  3,  4,  6,   7,  8,   9,   10,  11,  13,  14,  15,  16,  20,  21,  28, 29,
          30, 34, 35, 37, 38, 101, 17, 102, 103, 105, 107, 108, 109, 110, 111, 112, 113, 114}) {
        char name[16];
        std::snprintf(name, sizeof name, "map%03d.bmp", p);
        m[name] = {112, 80};
    }
    return m;
}

const std::vector<std::string> kWaves = {
    "on1",   "foot", "walk",   "warp",   "punch", "ken",    "lezer", "gun",  "awa",
    "magic", "gii",  "ankoku", "binta",  "dance", "dragon", "fier",  "fire", "hihou",
    "hosi",  "miss", "sander", "taberu", "warau", "woon",   "at1",   "die",  "lvup",
    "item",  "mowa", "next",   "off1",   "pi",    "hakai"};

std::vector<std::string> pieces_the_game_names() {
    std::vector<std::string> v = {"spacial", "fukai57a", "ame",   "ro_mer1", "ro_mer5", "ro_mer7",
                                  "your",    "twincle",  "cl_15", "cl_s2",   "cl_s3",   "cl_s5",
                                  "cl_s7",   "cl_s8",    "cl_s9", "cl_s10",  "cl_s12"};
    for (int i = 1; i <= 12; ++i) v.push_back((i < 10 ? "cl_0" : "cl_") + std::to_string(i));
    return v;
}

TEST(AssetgenRun, TwoRunsGiveIdenticalBytes) {
    fs::path second = game_dir().string() + "_again";
    fs::remove_all(second);
    std::string cmd = std::string(ASSETGEN_EXE) + " --data " + kData + " --out " + second.string() +
                      " > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    auto a = all_files(game_dir()), b = all_files(second);
    ASSERT_GT(a.size(), 150u);
    ASSERT_EQ(a.size(), b.size());
    for (auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b[name]) << name << " differs between runs";
    }
    // A run over an up-to-date folder rewrites nothing.
    auto bundle = lum::assets::build_all(kData);
    EXPECT_EQ(lum::assets::write_bundle(bundle, second.string()), 0);
    fs::remove_all(second);
}

TEST(AssetgenPictures, EveryNamedPictureExistsAtItsSizeAsA24BitBitmap) {
    for (auto& [name, size] : pictures_the_game_names()) {
        auto b = read_bytes(game_dir() / "cg" / name);
        ASSERT_GE(b.size(), 54u) << name;
        const uint32_t w = static_cast<uint32_t>(size.first),
                       h = static_cast<uint32_t>(size.second);
        const uint32_t row = (w * 3 + 3) & ~3u;
        EXPECT_EQ(b[0], 'B') << name;
        EXPECT_EQ(b[1], 'M') << name;
        EXPECT_EQ(le32(b, 2), b.size()) << name;
        EXPECT_EQ(le32(b, 10), 54u) << name;
        EXPECT_EQ(le32(b, 14), 40u) << name;
        EXPECT_EQ(le32(b, 18), w) << name;
        EXPECT_EQ(le32(b, 22), h) << name;  // positive: bottom-up rows
        EXPECT_EQ(le16(b, 26), 1) << name;
        EXPECT_EQ(le16(b, 28), 24) << name;
        EXPECT_EQ(le32(b, 30), 0u) << name;
        EXPECT_EQ(b.size(), 54 + row * h) << name;
    }
}

TEST(AssetgenPictures, SpritesKeepTheKeyColourInTheBottomLeftCorner) {
    // The battle view draws sprites with their bottom-left colour transparent.
    auto key = lum::art::sprite_key();
    for (auto& [name, size] : pictures_the_game_names()) {
        if (size.first != 64) continue;
        auto b = read_bytes(game_dir() / "cg" / name);
        ASSERT_GE(b.size(), 57u);
        EXPECT_EQ(b[54], key.b) << name;  // the first stored row is the bottom one
        EXPECT_EQ(b[55], key.g) << name;
        EXPECT_EQ(b[56], key.r) << name;
    }
}

TEST(AssetgenPictures, NoTwoPortraitsOrSpritesAreTheSame) {
    std::map<std::vector<uint8_t>, std::string> seen;
    for (auto& [name, size] : pictures_the_game_names()) {
        auto b = read_bytes(game_dir() / "cg" / name);
        auto [it, fresh] = seen.emplace(b, name);
        EXPECT_TRUE(fresh) << name << " is identical to " << it->second;
    }
}

TEST(AssetgenPictures, BitmapEncodingPadsRowsAndStoresBottomUp) {
    lum::art::Canvas c(2, 2);
    c.set(0, 0, {1, 2, 3});
    c.set(1, 0, {4, 5, 6});
    c.set(0, 1, {7, 8, 9});
    c.set(1, 1, {10, 11, 12});
    auto b = lum::art::encode_bmp24(c);
    ASSERT_EQ(b.size(), 54u + 16u);
    const std::vector<uint8_t> pixels = {9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()), pixels);
}

TEST(AssetgenSounds, EveryNamedWaveIsPcmInAMixOfFormats) {
    std::set<int> rates, bits, channels;
    for (auto& w : kWaves) {
        auto b = read_bytes(game_dir() / "mid" / (w + ".wav"));
        ASSERT_GE(b.size(), 44u) << w;
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF") << w;
        EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ") << w;
        EXPECT_EQ(le32(b, 4), b.size() - 8) << w;
        EXPECT_EQ(le16(b, 20), 1) << w;  // PCM
        int ch = le16(b, 22), rate = static_cast<int>(le32(b, 24)), depth = le16(b, 34);
        EXPECT_EQ(le32(b, 28), static_cast<uint32_t>(rate * ch * depth / 8)) << w;
        EXPECT_EQ(le16(b, 32), ch * depth / 8) << w;
        EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data") << w;
        uint32_t data = le32(b, 40);
        EXPECT_GE(b.size(), 44 + data) << w;
        rates.insert(rate);
        bits.insert(depth);
        channels.insert(ch);
        // Not silent: the loudest sample is well away from the centre line.
        int peak = 0;
        for (uint32_t i = 0; i + (depth / 8) <= data; i += depth / 8) {
            int v = depth == 8 ? b[44 + i] - 128 : static_cast<int16_t>(le16(b, 44 + i)) / 256;
            peak = std::max(peak, std::abs(v));
        }
        EXPECT_GT(peak, 40) << w;
        double seconds = static_cast<double>(data) / le32(b, 28);
        EXPECT_GT(seconds, 0.04) << w;
        EXPECT_LT(seconds, 2.0) << w;
    }
    EXPECT_EQ(rates, (std::set<int>{11025, 22050, 44100}));
    EXPECT_EQ(bits, (std::set<int>{8, 16}));
    EXPECT_EQ(channels, (std::set<int>{1, 2}));
}

TEST(AssetgenSounds, WaveEncodingClipsAndRounds) {
    auto b = lum::sfx::encode_wav({11025, 8, 1}, {0.0f, 1.0f, -1.0f, 2.0f, 0.5f});
    ASSERT_EQ(b.size(), 44u + 6u);  // five samples, padded to an even chunk
    EXPECT_EQ(le32(b, 40), 5u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 44, b.end()),
              (std::vector<uint8_t>{128, 255, 1, 255, 192, 0}));
    auto s =
        lum::sfx::encode_wav({44100, 16, 2}, {1.0f, -0.5f, 0.25f});  // the half frame is dropped
    EXPECT_EQ(le32(s, 40), 4u);
    EXPECT_EQ(static_cast<int16_t>(le16(s, 44)), 32767);
    EXPECT_EQ(static_cast<int16_t>(le16(s, 46)), -16384);
}

TEST(AssetgenMusic, EveryNamedPieceCompilesLoopsOnABarAndLastsFortyToTwoMinutes) {
    for (auto& name : pieces_the_game_names()) {
        auto smf = read_bytes(game_dir() / "mid" / (name + ".mid"));
        ASSERT_GE(smf.size(), 14u) << name;
        EXPECT_EQ(std::string(smf.begin(), smf.begin() + 4), "MThd") << name;
        auto song =
            lum::mml::parse(lum::assets::read_text_file(kData + "/music/" + name + ".mml"), name);
        EXPECT_EQ(lum::mml::to_smf(song), smf) << name;
        EXPECT_GE(song.seconds(), 40.0) << name;
        EXPECT_LE(song.seconds(), 120.0) << name;
        int bar = lum::mml::kWhole * song.meter_num / song.meter_den;
        EXPECT_EQ(song.end_tick % bar, 0) << name << " does not end on a bar line";
        std::set<int> channels;
        for (auto& t : song.tracks) channels.insert(t.channel);
        EXPECT_GE(channels.size(), 4u) << name << ": melody, harmony, bass and drums";
        EXPECT_TRUE(channels.count(9)) << name << " has no drums";
    }
}

TEST(AssetgenTravel, EveryPlaceButtonSitsOnItsRegionMapOnce) {
    const std::map<std::string, std::vector<std::string>> regions = {
        {"m100",
         {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m30", "m101", "m115", "m116",
          "m117", "m120", "m41a", "card_b"}},
        {"m12",
         {"m10", "m11", "m13", "m14", "m15", "m16", "m17", "m18", "m102", "m125", "m41c",
          "BitBtn13", "BitBtn9", "BitBtn1", "BitBtn10"}},
        {"m19",
         {"m20", "m21", "m22", "m23", "m24", "m103", "m118", "m119", "m121", "m126", "m127", "m41e",
          "BitBtn14", "BitBtn16", "BitBtn11", "BitBtn25"}},
        {"m25",
         {"m26",  "m27",  "m28",  "m29",  "m35",  "m36",      "M37",      "m38",      "m99",
          "m104", "m105", "m106", "m107", "m108", "m109",     "m110",     "m111",     "m112",
          "m113", "m114", "m128", "m129", "m41b", "BitBtn15", "BitBtn27", "BitBtn20", "BitBtn32"}},
        {"m31",
         {"m32", "m33", "m122", "m123", "m124", "m41d", "m34", "BitBtn21", "BitBtn22", "BitBtn24",
          "BitBtn26", "BitBtn29", "BitBtn30", "BitBtn31", "BitBtn33", "BitBtn35", "BitBtn34"}},
        {"m39",
         {"m40", "m42", "m43", "m44", "m45", "m46", "BitBtn23", "BitBtn36", "BitBtn37", "BitBtn2"}},
    };
    const std::map<std::string, std::string> pictures = {
        {"m100", "b_map1.bmp"}, {"m12", "b_map5.bmp"}, {"m19", "b_map4.bmp"},
        {"m25", "b_map2.bmp"},  {"m31", "b_map3.bmp"}, {"m39", "b_map0.bmp"}};
    struct Row {
        std::string box, picture;
        int l, t, w, h;
    };
    std::map<std::string, Row> rows;
    std::istringstream in(
        lum::assets::read_text_file((game_dir() / "dat" / "buttons.txt").string()));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream f(line);
        std::string button, kind;
        Row r;
        ASSERT_TRUE(f >> button >> r.box >> r.picture >> r.l >> r.t >> r.w >> r.h >> kind) << line;
        EXPECT_TRUE(rows.emplace(button, r).second) << button << " is listed twice";
        EXPECT_GE(r.l, 0) << button;
        EXPECT_GE(r.t, 0) << button;
        EXPECT_LE(r.l + r.w, 433) << button;
        EXPECT_LE(r.t + r.h, 297) << button;
    }
    size_t total = 0;
    for (auto& [box, buttons] : regions) {
        total += buttons.size();
        for (auto& b : buttons) {
            ASSERT_TRUE(rows.count(b)) << b << " has no place on its map";
            EXPECT_EQ(rows[b].box, box) << b;
            EXPECT_EQ(rows[b].picture, pictures.at(box)) << b;
        }
    }
    EXPECT_EQ(rows.size(), total);
}

TEST(AssetgenRecipes, FaultsNameTheFileAndTheLine) {
    auto fault = [](const std::string& text) -> std::string {
        try {
            auto rs = lum::assets::parse_recipes(text, "art/people.txt");
            for (auto& r : rs) {
                r.only(lum::art::kLookKeys);
                lum::art::read_look(r);
            }
        } catch (const lum::assets::RecipeError& e) {
            return e.what();
        }
        return "no fault";
    };
    EXPECT_EQ(fault("# fine\nportrait my1 hair=12345g\n"),
              "art/people.txt:2: hair=12345g is not a colour (six hex digits, like 3a5fcd)");
    EXPECT_EQ(fault("portrait my1 hair_style=mohawk\n"),
              "art/people.txt:1: hair_style=mohawk is not one of: short, long, twin, pony, bob, "
              "spiky, bald, hood, wild, swept");
    EXPECT_EQ(fault("portrait my1 hiar=ffffff\n"),
              "art/people.txt:1: unknown key 'hiar' for portrait");
    EXPECT_EQ(fault("portrait\n"), "art/people.txt:1: 'portrait' has no name");
    EXPECT_EQ(fault("portrait my1 sex=f sex=m\n"), "art/people.txt:1: key 'sex' is given twice");
    EXPECT_EQ(fault("portrait my1 =f\n"), "art/people.txt:1: '=f' is not key=value");
    EXPECT_EQ(fault("portrait my1 sex=f\n"), "no fault");
}

TEST(AssetgenRecipes, ABrokenRecipeFolderIsRefusedWithTheFileName) {
    fs::path d = fs::temp_directory_path() / ("assetgen_bad_" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d / "art");
    fs::create_directories(d / "music");
    for (auto f : {"people.txt", "places.txt", "regions.txt"})
        fs::copy_file(kData + "/art/" + f, d / "art" / f);
    fs::copy_file(kData + "/music/effects.txt", d / "music" / "effects.txt");
    std::ofstream(d / "music" / "broken.mml") << "A c d\nB c d e ]\n";
    std::string cmd = std::string(ASSETGEN_EXE) + " --data " + d.string() + " --out " +
                      (d / "game").string() + " > " + (d / "out.txt").string() + " 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    EXPECT_EQ(lum::assets::read_text_file((d / "out.txt").string()),
              "assetgen: music/broken.mml:2:9: ']' without '['\n");
    { std::ofstream(d / "art" / "places.txt", std::ios::app) << "battlemap mapX terrain=lava\n"; }
    fs::remove(d / "music" / "broken.mml");
    EXPECT_NE(std::system(cmd.c_str()), 0);
    std::string out = lum::assets::read_text_file((d / "out.txt").string());
    EXPECT_NE(out.find("assetgen: places.txt:"), std::string::npos) << out;
    EXPECT_NE(out.find("terrain=lava is not one of"), std::string::npos) << out;
    fs::remove_all(d);
}

}  // namespace

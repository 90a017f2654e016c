#include "assets.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "art_people.h"
#include "art_places.h"
#include "bmp_file.h"
#include "mml.h"
#include "recipes.h"
#include "sfx.h"

namespace lum::assets {

namespace fs = std::filesystem;

namespace {

void check_name(const Recipe& r, const std::string& prefix_hint) {
    const std::string& n = r.name;
    bool ok = !n.empty() && n.size() <= 32 && std::all_of(n.begin(), n.end(), [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '-';
    });
    if (!ok) r.fail("'" + n + "' is not a usable file name (" + prefix_hint + ")");
}

// A recipe that takes its look from another ("look=my2") and overrides some of it.
Recipe merged(const Recipe& r, const std::map<std::string, Recipe>& looks) {
    if (!r.has("look")) return r;
    auto it = looks.find(r.str("look", ""));
    if (it == looks.end()) r.fail("look=" + r.str("look", "") + " names no portrait written above");
    Recipe m = it->second;
    m.file = r.file;
    m.line = r.line;
    m.kind = r.kind;
    m.name = r.name;
    for (auto& k : r.order) {
        if (k == "look") continue;
        if (!m.values.count(k)) m.order.push_back(k);
        m.values[k] = r.values.at(k);
    }
    return m;
}

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

std::vector<Picture> build_pictures(const std::string& data_dir, std::vector<OutputFile>* extra) {
    std::vector<Picture> out;
    std::set<std::string> seen;
    auto add = [&](const Recipe& r, const std::string& group, art::Canvas c) {
        std::string file = r.name + ".bmp";
        if (!seen.insert(file).second) r.fail(file + " is made twice");
        out.push_back({file, group, std::move(c)});
    };

    // People: portraits, shop masters, party sprites and class sprites.
    std::map<std::string, Recipe> looks;
    for (const Recipe& raw : load_recipes(data_dir + "/art/people.txt")) {
        check_name(raw, "a picture name");
        uint64_t seed = art::hash_name(raw.name);
        if (raw.kind == "portrait") {
            raw.only(with(art::kLookKeys, {"seed"}));
            looks[raw.name] = raw;
            add(raw, "portrait",
                art::draw_portrait(art::read_look(raw), seed + raw.integer("seed", 0, 9999, 0)));
        } else if (raw.kind == "sprite" || raw.kind == "class") {
            raw.only(with(art::kLookKeys, {"look", "seed"}));
            Recipe r = merged(raw, looks);
            add(raw, raw.kind == "sprite" ? "party sprite" : "class sprite",
                art::draw_sprite(art::read_look(r), raw.kind == "sprite",
                                 seed + raw.integer("seed", 0, 9999, 0)));
        } else if (raw.kind == "fallen") {
            raw.only({});
            add(raw, "party sprite", art::draw_fallen_sprite());
        } else {
            raw.fail("unknown kind '" + raw.kind + "' (portrait, sprite, class, fallen)");
        }
    }

    // Places: battle maps, story backgrounds, the title picture.
    for (const Recipe& r : load_recipes(data_dir + "/art/places.txt")) {
        check_name(r, "a picture name");
        uint64_t seed =
            art::hash_name(r.name) + static_cast<uint64_t>(r.integer("seed", 0, 9999, 0));
        if (r.kind == "battlemap") {
            r.only({"terrain", "seed"});
            add(r, "battle map",
                art::draw_battle_map(r.word("terrain", art::kTerrains, "plains"), seed));
        } else if (r.kind == "scene") {
            r.only({"scene", "seed"});
            add(r, "background", art::draw_scene(r.word("scene", art::kScenes, "field"), seed));
        } else if (r.kind == "title") {
            r.only({"seed"});
            add(r, "title", art::draw_title(seed));
        } else {
            r.fail("unknown kind '" + r.kind + "' (battlemap, scene, title)");
        }
    }

    // Region maps: every place button sits on a landmark; the positions go to the travel
    // screen through dat/buttons.txt.
    struct Region {
        Recipe recipe;
        std::vector<art::Landmark> marks;
        std::vector<art::Road> roads;
    };
    std::vector<Region> regions;
    std::map<std::string, size_t> region_index;
    std::set<std::string> buttons;
    for (const Recipe& r : load_recipes(data_dir + "/art/regions.txt")) {
        if (r.kind == "region") {
            check_name(r, "a picture name");
            r.only({"box", "style", "seed"});
            r.word("style", art::kRegionStyles, "green");
            if (!r.has("box")) r.fail("a region names its box (box=m100)");
            region_index[r.name] = regions.size();
            regions.push_back({r, {}, {}});
        } else if (r.kind == "place") {
            r.only({"map", "kind", "x", "y"});
            auto it = region_index.find(r.str("map", ""));
            if (it == region_index.end())
                r.fail("map=" + r.str("map", "") + " names no region written above");
            if (!buttons.insert(r.name).second) r.fail("button " + r.name + " is placed twice");
            if (!r.has("x") || !r.has("y")) r.fail("a place needs x= and y=");
            art::Landmark m{r.name, r.word("kind", art::kLandmarks, "village"),
                            r.integer("x", 16, 433 - 16, 0), r.integer("y", 24, 297 - 14, 0)};
            // Buttons must not cover each other.
            for (auto& o : regions[it->second].marks) {
                auto a = art::button_rect(m), b = art::button_rect(o);
                if (a.left < b.left + b.width && b.left < a.left + a.width &&
                    a.top < b.top + b.height && b.top < a.top + a.height)
                    r.fail("button " + m.button + " overlaps " + o.button);
            }
            regions[it->second].marks.push_back(m);
        } else if (r.kind == "road") {
            r.only({"from", "to"});
            auto it = region_index.find(r.name);
            if (it == region_index.end())
                r.fail("road " + r.name + " names no region written above");
            auto find = [&](const std::string& b) -> const art::Landmark& {
                for (auto& m : regions[it->second].marks)
                    if (m.button == b) return m;
                r.fail("road end " + b + " is no place of " + r.name);
            };
            const auto &a = find(r.str("from", "")), &b = find(r.str("to", ""));
            regions[it->second].roads.push_back({a.x, a.y + 6, b.x, b.y + 6});
        } else {
            r.fail("unknown kind '" + r.kind + "' (region, place, road)");
        }
    }
    std::string table =
        "# Place buttons of the travel screen's region maps.\n"
        "# button  region-box  map-picture  left top width height  landmark\n"
        "# The rectangle is in pixels of the 433 x 297 map picture; the landmark is drawn inside "
        "it.\n";
    for (auto& reg : regions) {
        uint64_t seed = art::hash_name(reg.recipe.name) +
                        static_cast<uint64_t>(reg.recipe.integer("seed", 0, 9999, 0));
        add(reg.recipe, "region map",
            art::draw_region(reg.recipe.str("style", "green"), reg.marks, reg.roads, seed));
        for (auto& m : reg.marks) {
            auto rc = art::button_rect(m);
            table += m.button + " " + reg.recipe.str("box", "") + " " + reg.recipe.name + ".bmp " +
                     std::to_string(rc.left) + " " + std::to_string(rc.top) + " " +
                     std::to_string(rc.width) + " " + std::to_string(rc.height) + " " + m.kind +
                     "\n";
        }
    }
    if (extra)
        extra->push_back({"dat/buttons.txt", std::vector<uint8_t>(table.begin(), table.end())});
    return out;
}

std::vector<OutputFile> build_sounds(const std::string& data_dir) {
    std::vector<OutputFile> out;
    std::set<std::string> seen;
    for (const Recipe& r : load_recipes(data_dir + "/music/effects.txt")) {
        if (r.kind != "wave") r.fail("unknown kind '" + r.kind + "' (wave)");
        check_name(r, "a wave name");
        r.only({"voice", "rate", "bits", "channels", "seed"});
        sfx::WaveFormat f;
        f.rate = std::stoi(r.word("rate", {"11025", "22050", "44100"}, "22050"));
        f.bits = std::stoi(r.word("bits", {"8", "16"}, "16"));
        f.channels = std::stoi(r.word("channels", {"1", "2"}, "1"));
        std::string voice = r.word("voice", sfx::voices(), r.name);
        if (!seen.insert(r.name).second) r.fail(r.name + ".wav is made twice");
        auto samples = sfx::render(
            voice, f,
            art::hash_name(r.name) + static_cast<uint64_t>(r.integer("seed", 0, 9999, 0)));
        out.push_back({"mid/" + r.name + ".wav", sfx::encode_wav(f, samples)});
    }
    return out;
}

std::vector<OutputFile> build_music(const std::string& data_dir) {
    std::vector<OutputFile> out;
    std::vector<fs::path> files;
    for (auto& e : fs::directory_iterator(data_dir + "/music"))
        if (e.path().extension() == ".mml") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (auto& p : files) {
        std::string text = read_text_file(p.string());
        out.push_back({"mid/" + p.stem().string() + ".mid",
                       mml::compile(text, "music/" + p.filename().string())});
    }
    return out;
}

Bundle build_all(const std::string& data_dir) {
    Bundle b;
    b.pictures = build_pictures(data_dir, &b.files);
    for (auto& p : b.pictures) b.files.push_back({"cg/" + p.file, art::encode_bmp24(p.canvas)});
    for (auto& f : build_sounds(data_dir)) b.files.push_back(std::move(f));
    for (auto& f : build_music(data_dir)) b.files.push_back(std::move(f));
    return b;
}

int write_bundle(const Bundle& b, const std::string& game_dir) {
    int written = 0;
    for (const OutputFile& f : b.files) {
        fs::path p = fs::path(game_dir) / f.path;
        fs::create_directories(p.parent_path());
        {
            std::ifstream in(p, std::ios::binary);
            if (in) {
                std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
                if (old == f.bytes) continue;
            }
        }
        fs::path tmp = p;
        tmp += ".tmp";
        {
            std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
            o.write(reinterpret_cast<const char*>(f.bytes.data()),
                    static_cast<std::streamsize>(f.bytes.size()));
            if (!o) throw RecipeError(p.string() + ": cannot be written");
        }
        fs::rename(tmp, p);
        ++written;
    }
    return written;
}

}  // namespace lum::assets

#include "manifest.h"

#include <toml++/toml.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <tuple>

#include "forms.h"
#include "script_commands.h"
#include "state/dat_text.h"

namespace lum::datc {

namespace fs = std::filesystem;

namespace {

constexpr int kItemKindScore = 24;

int line_of(const toml::node& n) {
    return static_cast<int>(n.source().begin.line);
}

// The numbered files of one script folder (story<N>.txt, people<N>.txt), in number order.
std::vector<fs::path> script_files(const fs::path& dir, const std::string& prefix) {
    std::vector<std::pair<int, fs::path>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0 || entry.path().extension() != ".txt") continue;
        if (!kind_of_source(name)) continue;  // compile reports the odd names
        found.emplace_back(std::stoi(name.substr(prefix.size())), entry.path());
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> out;
    for (auto& f : found) out.push_back(f.second);
    return out;
}

void script_refs(const fs::path& path, bool people, std::vector<AssetRef>& refs,
                 std::vector<std::string>& errors) {
    const std::string file = path.string();
    ParsedScript p;
    try {
        p = parse_script(read_file_bytes(path), file, people);
    } catch (const DataError& e) {
        errors.push_back(format_error(e));
        return;
    }
    for (int k = 0; k < kStageEnemies; ++k) {
        const auto& at = p.enemy_lines[k];
        if (at.block == 0) continue;
        const TEnemyEntry& e = p.enemies[k];
        const std::string who = "enemy " + std::to_string(k + 1);
        if (!e.sprite_file.empty())
            refs.push_back({"cg", e.sprite_file, file_line(file, at.sprite), who + "'s picture"});
        else
            refs.push_back({"cg", "unit" + std::to_string(e.job) + ".bmp",
                            file_line(file, at.job ? at.job : at.block), who + "'s class picture"});
        if (!e.portrait_file.empty())
            refs.push_back(
                {"cg", e.portrait_file, file_line(file, at.portrait), who + "'s portrait"});
    }
    for (int i = 0; i < kScriptLines; ++i) {
        const TScriptLine& l = p.script[i];
        const std::string at = file_line(file, p.lines[i]);
        if (l.code == kCodeBackground)
            refs.push_back({"cg", l.arg, at, "background"});
        else if (l.code == kCodePortrait)
            refs.push_back({"cg", l.arg, at, "portrait"});
        else if (l.code == kCodeMusic && l.arg != "not")
            refs.push_back({"mid", l.arg, at, "music"});
    }
}

// Walks [[key]] entries with their ids as the compiler numbers them (an entry without an id
// follows the previous one).
template <class Fn>
void for_each_entry(const toml::table& root, const char* key, int first, Fn&& fn) {
    const toml::array* arr = root[key].as_array();
    if (!arr) return;
    int next = first;
    for (const toml::node& n : *arr) {
        const toml::table* t = n.as_table();
        if (!t) continue;
        int id = static_cast<int>((*t)["id"].value_or<int64_t>(next));
        fn(*t, id);
        next = id + 1;
    }
}

bool parse_table(const fs::path& path, toml::table& out, std::vector<std::string>& errors) {
    try {
        out = toml::parse(read_file_bytes(path), path.string());
        return true;
    } catch (const toml::parse_error& e) {
        errors.push_back(file_line(path.string(), static_cast<int>(e.source().begin.line)) + ": " +
                         std::string(e.description()));
    } catch (const DataError& e) {
        errors.push_back(format_error(e));
    }
    return false;
}

void place_refs(const fs::path& path, std::vector<AssetRef>& refs,
                std::vector<std::string>& errors) {
    toml::table root;
    if (!parse_table(path, root, errors)) return;
    for_each_entry(root, "place", 0, [&](const toml::table& t, int id) {
        const toml::node* map = t.get("map");
        if (!map || !map->is_string() || map->as_string()->get().empty()) return;
        refs.push_back({"cg", map->as_string()->get(), file_line(path.string(), line_of(*map)),
                        "battle map of place " + std::to_string(id)});
    });
}

void item_refs(const fs::path& path, std::vector<AssetRef>& refs,
               std::vector<std::string>& errors) {
    toml::table root;
    if (!parse_table(path, root, errors)) return;
    auto score = [&](const toml::table& t, const std::string& what) {
        if (t["kind"].value_or<int64_t>(-1) != kItemKindScore) return;
        const toml::node* v = t.get("value");
        const int value = static_cast<int>(t["value"].value_or<int64_t>(0));
        const std::string at =
            file_line(path.string(), line_of(v ? *v : static_cast<const toml::node&>(t)));
        const std::string piece = score_piece(value);
        if (piece.empty())
            errors.push_back(at + ": the 楽譜 " + what + " has value " + std::to_string(value) +
                             ", which picks no piece (1..23)");
        else
            refs.push_back({"mid", piece, at, "piece of the 楽譜 " + what});
    };
    for_each_entry(root, "item", 0,
                   [&](const toml::table& t, int id) { score(t, "item " + std::to_string(id)); });
    if (const toml::array* ranges = root["item_range"].as_array())
        for (const toml::node& n : *ranges)
            if (const toml::table* t = n.as_table())
                score(*t, "items " + std::to_string((*t)["first"].value_or<int64_t>(0)) + ".." +
                              std::to_string((*t)["last"].value_or<int64_t>(0)));
}

}  // namespace

std::string score_piece(int v) {
    if (v >= 1 && v <= 9) return "cl_0" + std::to_string(v) + ".mid";
    if (v >= 10 && v <= 12) return "cl_" + std::to_string(v) + ".mid";
    if (v == 13) return "your.mid";
    if (v == 14) return "twincle.mid";
    if (v == 15) return "cl_s2.mid";
    if (v == 16) return "cl_s3.mid";
    if (v == 17) return "cl_s5.mid";
    if (v >= 18 && v <= 21) return "cl_s" + std::to_string(v - 11) + ".mid";
    if (v == 22) return "cl_s12.mid";
    if (v == 23) return "spacial.mid";
    return {};
}

std::vector<AssetRef> game_refs() {
    std::vector<AssetRef> refs;
    auto add = [&](const char* folder, std::string name, const char* origin, const char* why) {
        refs.push_back({folder, std::move(name), origin, why});
    };
    for (int n = -1; n <= 10; ++n)
        add("cg", "char" + std::to_string(n) + ".bmp", "the battle screen", "party battle picture");
    // Random enemies draw their class from 0..20; their picture is the class picture.
    for (int job = 0; job <= 20; ++job)
        add("cg", "unit" + std::to_string(job) + ".bmp", "random battles",
            "class picture of a random enemy");
    for (const char* p : {"my0", "my1", "my41", "my2", "my15", "my3", "my17", "my18", "my14",
                          "my16", "my43", "my42"})
        add("cg", std::string(p) + ".bmp", "the portrait table", "portrait picked by name");
    for (int r = 0; r <= 5; ++r)
        add("cg", "b_map" + std::to_string(r) + ".bmp", "the travel screen", "region map");
    for (const char* p : {"s_mara", "my_card", "my_sword"})
        add("cg", std::string(p) + ".bmp", "the travel screen", "shop master's picture");
    add("cg", "map00.bmp", "the battle screen", "fallback battle map");
    add("cg", "map_bak.bmp", "the story screen", "picture buffer");
    for (const char* w :
         {"on1",   "foot", "walk",   "warp",   "punch", "ken",    "lezer", "gun",  "awa",
          "magic", "gii",  "ankoku", "binta",  "dance", "dragon", "fier",  "fire", "hihou",
          "hosi",  "miss", "sander", "taberu", "warau", "woon",   "at1",   "die",  "lvup",
          "item",  "mowa", "next",   "off1",   "pi",    "hakai"})
        add("mid", std::string(w) + ".wav", "the sound front", "sound effect");
    for (const char* m : {"cl_s10", "cl_10", "cl_s8", "cl_s9", "cl_s7", "cl_02"})
        add("mid", std::string(m) + ".mid", "battle set-up", "battle music");
    for (const char* m : {"ro_mer1", "ro_mer5", "ro_mer7", "ame", "cl_15", "cl_12"})
        add("mid", std::string(m) + ".mid", "the travel screen", "travel music");
    add("mid", "spacial.mid", "the title box", "title and ending music");
    add("mid", "fukai57a.mid", "the credits roll", "ending music");
    add("mid", "cl_s3.mid", "the result dialog", "victory music");
    return refs;
}

std::vector<AssetRef> source_refs(const fs::path& src_dir) {
    static const std::regex literal(R"re("([A-Za-z0-9_\-]+\.(bmp|wav|mid))")re");
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(src_dir, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const fs::path& p = it->path();
        if (it->is_regular_file() && (p.extension() == ".cpp" || p.extension() == ".h"))
            files.push_back(p);
    }
    std::sort(files.begin(), files.end());

    std::vector<AssetRef> refs;
    for (const fs::path& p : files) {
        std::ifstream in(p, std::ios::binary);
        std::string line;
        int n = 0;
        while (std::getline(in, line)) {
            ++n;
            // A name inside a line comment is prose, not a file the code opens.
            size_t comment = std::string::npos;
            bool in_string = false;
            for (size_t i = 0; i + 1 < line.size(); ++i) {
                if (line[i] == '\\' && in_string) {
                    ++i;
                } else if (line[i] == '\'' && !in_string) {
                    // A character literal such as '"' opens no string.
                    const size_t close = line.find('\'', i + (line[i + 1] == '\\' ? 3 : 2));
                    if (close != std::string::npos) i = close;
                } else if (line[i] == '"') {
                    in_string = !in_string;
                } else if (!in_string && line[i] == '/' && line[i + 1] == '/') {
                    comment = i;
                    break;
                }
            }
            const std::string code = line.substr(0, comment);
            for (std::sregex_iterator m(code.begin(), code.end(), literal), end; m != end; ++m) {
                const std::string name = (*m)[1];
                const bool picture = (*m)[2] == "bmp";
                refs.push_back({picture ? "cg" : "mid", name, file_line(p.string(), n),
                                picture ? "picture" : ((*m)[2] == "wav" ? "sound" : "music")});
            }
        }
    }
    return refs;
}

std::vector<AssetRef> data_refs(const fs::path& data_dir, std::vector<std::string>& errors) {
    std::vector<AssetRef> refs;
    place_refs(data_dir / "tables" / "places.toml", refs, errors);
    item_refs(data_dir / "tables" / "items.toml", refs, errors);
    for (const fs::path& p : script_files(data_dir / "stages", "story"))
        script_refs(p, false, refs, errors);
    for (const fs::path& p : script_files(data_dir / "people", "people"))
        script_refs(p, true, refs, errors);
    return refs;
}

std::vector<std::string> missing_assets(const std::vector<AssetRef>& refs,
                                        const fs::path& game_dir) {
    std::vector<std::string> out;
    std::set<std::tuple<std::string, std::string, std::string>> told;
    for (const AssetRef& r : refs) {
        std::error_code ec;
        if (fs::is_regular_file(game_dir / r.folder / r.name, ec)) continue;
        if (!told.insert({r.origin, r.folder, r.name}).second) continue;
        out.push_back(r.origin + ": " + r.why + " \"" + r.folder + "/" + r.name + "\" is not in " +
                      game_dir.string());
    }
    return out;
}

std::vector<std::string> check_manifest(const fs::path& data_dir, const fs::path& game_dir,
                                        const fs::path& src_dir, size_t* checked) {
    std::vector<std::string> errors;
    std::vector<AssetRef> refs = game_refs();
    if (!src_dir.empty()) {
        std::error_code ec;
        if (!fs::is_directory(src_dir, ec)) {
            errors.push_back(src_dir.string() + ": the source folder is missing");
        } else {
            auto more = source_refs(src_dir);
            refs.insert(refs.end(), more.begin(), more.end());
        }
    }
    auto more = data_refs(data_dir, errors);
    refs.insert(refs.end(), more.begin(), more.end());
    auto missing = missing_assets(refs, game_dir);
    errors.insert(errors.end(), missing.begin(), missing.end());
    if (checked) {
        std::set<std::string> files;
        for (const AssetRef& r : refs) files.insert(r.folder + "/" + r.name);
        *checked = files.size();
    }
    return errors;
}

}  // namespace lum::datc

#include "content.h"

#include <toml++/toml.h>
#include <algorithm>
#include <array>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "forms.h"
#include "name_words.h"
#include "script_commands.h"
#include "state/data_files.h"
#include "state/status_panel.h"
#include "travel/travel_model.h"

namespace lum::datc {

namespace fs = std::filesystem;

namespace {

using Flags = std::array<byte, kPlaceCount>;

// The portrait the code picks by name is the one test of a name it knows: the battle sprites
// and the revival pictures are chosen from the same names, and anyone else gets my0.bmp.
bool known_cast(const std::string& name) {
    return portrait_file(name, 0) != "my0.bmp";
}

// What an event did, as far as the road is concerned: the flags change in the state itself.
class Recorder : public PlaceActions {
  public:
    explicit Recorder(GameState& gs) : gs_(gs) {}
    GameState& state() override { return gs_; }
    void story() override {}
    void story_battle() override { battle = true; }
    void region_battle() override { battle = true; }
    void random_battle() override { battle = true; }
    void message(const std::string&) override {}
    bool load_people(int) override { return true; }
    bool load_stage() override { return true; }
    // The road is the one on which every story battle is won.
    void once_won(std::function<void(GameState&)> step) override { step(gs_); }

    bool battle = false;

  private:
    GameState& gs_;
};

// How the road reached its stage: a click on the map, a place event that moved the stage on
// (stage 0's battle), or code 24 going straight on in the same scene.
enum class Arrival { click, by_event, next_stage_here };

struct Road {
    Flags flags{};
    std::array<std::string, kPlaceCount> changed_by{};  // where each flag was last set or cleared
    int stage_no = 0;
    Arrival arrival = Arrival::click;
    std::string came_from;  // the command (or file) that led to this stage
    std::string note;       // which answers of the choices this road took
    // While a script plays: its stage and the entry to go on from; -1 = arrive at stage_no.
    int script_stage = -1;
    int resume = -1;
};

class Checker {
  public:
    Checker(const fs::path& data_dir, const ContentRules& rules)
        : data_(data_dir), rules_(rules), gs_(std::make_unique<GameState>()) {}

    std::vector<ContentFault> run() {
        read_weapons();
        check_scripts();
        check_random_names();
        walk();
        return std::move(faults_);
    }

  private:
    void fault(const std::string& where, const std::string& reason, bool road) {
        if (seen_.insert(where + "\n" + reason).second) faults_.push_back({where, reason, road});
    }

    fs::path stage_path(int n) const {
        return data_ / "stages" / ("story" + std::to_string(n) + ".txt");
    }

    // The parsed script of a stage, read once; nullopt (after a fault) when it cannot be read.
    const ParsedScript* stage(int n) {
        auto it = stages_.find(n);
        if (it != stages_.end()) return it->second ? &*it->second : nullptr;
        const fs::path p = stage_path(n);
        std::optional<ParsedScript> parsed;
        std::error_code ec;
        if (!fs::exists(p, ec)) {
            fault(p.string(), "missing: stage " + std::to_string(n) + " has no script", false);
        } else {
            try {
                parsed = parse_script(read_file_bytes(p), p.string(), false);
            } catch (const DataError& e) {
                fault(file_line(e.file(), e.line()), e.reason(), false);
            }
        }
        auto& slot = stages_[n] = std::move(parsed);
        return slot ? &*slot : nullptr;
    }

    void check_recruits(const ParsedScript& s, const std::string& file) {
        for (int i = 0; i < kScriptLines; ++i) {
            const TScriptLine& l = s.script[i];
            if (s.lines[i] == 0 || (l.code != kCodeJoin && l.code != kCodeJoinReserve)) continue;
            if (!known_cast(l.arg))
                fault(file_line(file, s.lines[i]),
                      "\"" + l.arg +
                          "\" is not one of the cast the code knows by name (it would fight with "
                          "the hero's picture and have no portrait)",
                      false);
        }
    }

    // An enemy whose name promises a way of fighting its class does not have.
    void check_enemy_names(const ParsedScript& s, const std::string& file) {
        for (int k = 0; k < kStageEnemies; ++k) {
            const TEnemyEntry& e = s.enemies[k];
            if (const NameWord* w = broken_promise(e.name, e.job))
                fault(file_line(file, s.enemy_lines[k].name),
                      broken_promise_reason(e.name, e.job, *w), false);
        }
    }

    // The weapon each enemy picture of data/art/people.txt holds ("class NAME ... weapon=W"),
    // by picture file; a body other than a person's (a slime, a ghost, a beast, a robot) holds
    // nothing.
    void read_weapons() {
        std::ifstream in(data_ / "art" / "people.txt", std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            line = line.substr(0, line.find('#'));
            std::istringstream words(line);
            std::string kind, name, w;
            if (!(words >> kind >> name) || kind != "class") continue;
            std::string weapon = "none";
            while (words >> w) {
                if (w.rfind("weapon=", 0) == 0) weapon = w.substr(7);
                if (w.rfind("body=", 0) == 0 && w != "body=normal" && w != "body=big" &&
                    w != "body=small")
                    weapon = "none";
            }
            weapons_[name + ".bmp"] = weapon;
        }
    }

    // An enemy drawn with a weapon its class does not fight with.
    void check_enemy_looks(const ParsedScript& s, const std::string& file) {
        for (int k = 0; k < kStageEnemies; ++k) {
            const TEnemyEntry& e = s.enemies[k];
            if (e.name.empty()) continue;
            const std::string picture =
                e.sprite_file.empty() ? "unit" + std::to_string(e.job) + ".bmp" : e.sprite_file;
            auto it = weapons_.find(picture);
            if (it == weapons_.end()) continue;
            const NameWord* w = weapon_promise(it->second);
            if (!w || std::find(w->classes.begin(), w->classes.end(), e.job) != w->classes.end())
                continue;
            const ParsedScript::EnemyLines& at = s.enemy_lines[k];
            fault(file_line(file, at.sprite ? at.sprite
                                  : at.job  ? at.job
                                            : at.block),
                  "\"" + e.name + "\" is drawn with a " + it->second + " (" + picture +
                      "), which promises " + w->promise + ", but class " + std::to_string(e.job) +
                      " (" + enemy_class_name(e.job) + ") does not fight that way",
                  false);
        }
    }

    // A random battle gives its enemies a name from the names table and a class drawn apart:
    // a name there may promise no way of fighting at all. (The compiler reports a table it
    // cannot read; a data set without one has nothing to check.)
    void check_random_names() {
        const fs::path p = data_ / "tables" / "names.toml";
        std::error_code ec;
        if (!fs::exists(p, ec)) return;
        toml::table root;
        try {
            root = toml::parse(read_file_bytes(p), p.string());
        } catch (const toml::parse_error&) {
            return;
        }
        const toml::array* names = root["names"].as_array();
        if (!names) return;
        for (const toml::node& n : *names) {
            const auto* name = n.as_string();
            if (!name) continue;
            // No class is -1: the first word that promises anything is returned.
            if (const NameWord* w = broken_promise(name->get(), -1))
                fault(file_line(p.string(), static_cast<int>(n.source().begin.line)),
                      "\"" + name->get() + "\" has " + w->word + " in its name, which promises " +
                          w->promise + ", but a random battle gives its names any class",
                      false);
        }
    }

    // Every stage script: long enough, recruiting known names, enemies named for what they do;
    // every people file: known names, enemies named for what they do; the names of random
    // battles promising nothing.
    void check_scripts() {
        for (int n = 0; n <= rules_.last_stage; ++n) {
            const ParsedScript* s = stage(n);
            if (!s) continue;
            const std::string file = stage_path(n).string();
            check_recruits(*s, file);
            check_enemy_names(*s, file);
            check_enemy_looks(*s, file);
            if (n == 0) continue;  // stage 0's scene is never played
            int entries = 0, last_line = 0;
            for (int i = 0; i < kScriptLines; ++i)
                if (s->lines[i]) ++entries, last_line = std::max(last_line, s->lines[i]);
            if (entries < rules_.min_entries)
                fault(file_line(file, last_line),
                      "only " + std::to_string(entries) +
                          " entries: a stage script holds at least " +
                          std::to_string(rules_.min_entries) + " (a placeholder left behind?)",
                      true);
        }
        std::error_code ec;
        std::vector<fs::path> people;
        for (const auto& e : fs::directory_iterator(data_ / "people", ec))
            if (kind_of_source(e.path().filename().string()) == Kind::People)
                people.push_back(e.path());
        std::sort(people.begin(), people.end());
        for (const fs::path& p : people) {
            try {
                const ParsedScript s = parse_script(read_file_bytes(p), p.string(), true);
                check_recruits(s, p.string());
                check_enemy_names(s, p.string());
                check_enemy_looks(s, p.string());
            } catch (const DataError& e) {
                fault(file_line(e.file(), e.line()), e.reason(), false);
            }
        }
    }

    // --- the road

    std::vector<const PlaceEvent*> players_of(int stage_no) const {
        std::vector<const PlaceEvent*> out;
        for (const PlaceEvent& ev : *rules_.events)
            for (const StageCase& c : ev.cases)
                if (std::find(c.stages.begin(), c.stages.end(), stage_no) != c.stages.end()) {
                    out.push_back(&ev);
                    break;
                }
        return out;
    }

    static std::string names_of(const std::vector<const PlaceEvent*>& players) {
        std::string s = players.front()->button;
        for (size_t i = 1; i < players.size(); ++i)
            s += (i == 1 ? " (or " : ", ") + players[i]->button;
        return players.size() > 1 ? s + ")" : s;
    }

    static std::string closed_how(const Road& r, int flag) {
        return r.changed_by[flag].empty() ? "never opened" : "closed at " + r.changed_by[flag];
    }

    // Why a button is not on the map.
    static std::string why_hidden(const std::string& button, const Road& r) {
        const int box = button_region(button);
        if (box < 0) return "the travel map has no such button";
        std::vector<std::string> why;
        if (!button_flag_shown(button, r.flags)) {
            const int n = button_number(button);
            why.push_back("place " + std::to_string(n) + " is not open (" + closed_how(r, n) + ")");
        }
        if (!r.flags[box])
            why.push_back("its region box " + std::to_string(box) + " is not shown (" +
                          closed_how(r, box) + ")");
        std::string s;
        for (const auto& w : why) s += (s.empty() ? "" : "; ") + w;
        return s;
    }

    // Runs one button's event for the road's stage; returns the flags it opened.
    std::set<int> run_event(const PlaceEvent& ev, Road& r) {
        gs_->place_flags = r.flags;
        gs_->stage_no = r.stage_no;
        Recorder rec(*gs_);
        run_place_event(ev, rec);
        std::set<int> opened;
        const std::string who = ev.button + "'s event at stage " + std::to_string(r.stage_no);
        for (int n = 0; n < kPlaceCount; ++n)
            if (gs_->place_flags[n] != r.flags[n]) {
                if (gs_->place_flags[n]) opened.insert(n);
                r.flags[n] = gs_->place_flags[n];
                r.changed_by[n] = who;
            }
        r.stage_no = gs_->stage_no;
        return opened;
    }

    // What an event would do beyond showing the scene: a battle or a change of place flags.
    std::string would_do(const PlaceEvent& ev, const Road& r) {
        gs_->place_flags = r.flags;
        gs_->stage_no = r.stage_no;
        Recorder rec(*gs_);
        run_place_event(ev, rec);
        if (rec.battle) return "starts a battle";
        if (gs_->place_flags != r.flags) return "changes place flags";
        return {};
    }

    // The travel side of a stage: the click on its place and the events that follow it.
    // False when the road cannot go on.
    bool arrive(Road& r) {
        const std::string s = std::to_string(r.stage_no);
        const auto players = players_of(r.stage_no);
        if (players.empty()) {
            fault(r.came_from, "no place plays stage " + s + r.note, true);
            return false;
        }
        if (r.arrival == Arrival::next_stage_here) {
            for (const PlaceEvent* p : players)
                if (auto what = would_do(*p, r); !what.empty())
                    fault(r.came_from,
                          "stage " + s + " begins with next_stage_here, so " + p->button +
                              "'s event at stage " + s + " (which " + what + ") never runs" +
                              r.note,
                          true);
            return true;
        }
        auto shown = std::find_if(players.begin(), players.end(), [&](const PlaceEvent* p) {
            return button_on_map(p->button, r.flags);
        });
        if (r.arrival == Arrival::by_event) {
            // The scene already plays; after a lost battle the player retries from the map.
            if (shown == players.end())
                fault(r.came_from,
                      "stage " + s + " is retried at " + names_of(players) +
                          " after a lost battle, which is not on the map: " +
                          why_hidden(players.front()->button, r) + r.note,
                      true);
            return true;
        }
        if (shown == players.end()) {
            fault(r.came_from,
                  "stage " + s + " is played at " + names_of(players) +
                      ", which is not on the map: " + why_hidden(players.front()->button, r) +
                      r.note,
                  true);
            shown = players.begin();  // go on as if it were there, to find the faults after it
        }
        const int at_stage = r.stage_no;
        std::set<const PlaceEvent*> ran = {*shown};
        std::set<int> opened = run_event(**shown, r);
        // A button that an event of this stage opened and that lists the stage too is played
        // next (the lost battle of stage 45 leads to the gate's back door).
        for (bool more = true; more && r.stage_no == at_stage;) {
            more = false;
            for (const PlaceEvent* p : players) {
                const int n = button_number(p->button);
                if (ran.count(p) || n < 0 || !opened.count(n)) continue;
                if (!button_on_map(p->button, r.flags))
                    fault(r.came_from,
                          "stage " + s + " goes on at " + p->button +
                              ", which is not on the map: " + why_hidden(p->button, r) + r.note,
                          true);
                ran.insert(p);
                auto more_opened = run_event(*p, r);
                opened.insert(more_opened.begin(), more_opened.end());
                more = true;
            }
        }
        if (r.stage_no != at_stage) {
            // The event moved the stage on (stage 0): the scene after its battle is the new
            // stage's, and a lost battle leaves the player on the map at that stage.
            r.arrival = Arrival::by_event;
            r.came_from = (*shown)->button + "'s event at stage " + s;
            return arrive(r);
        }
        return true;
    }

    // Plays the road's script from its resume entry; new roads go to `out`.
    void play(Road r, std::deque<Road>& out) {
        const ParsedScript* s = stage(r.script_stage);
        if (!s) return;
        const std::string file = stage_path(r.script_stage).string();
        const std::string here = std::to_string(r.script_stage);
        for (int i = r.resume; i < kScriptLines; ++i) {
            if (s->lines[i] == 0) continue;
            const TScriptLine& l = s->script[i];
            const std::string at = file_line(file, s->lines[i]);
            switch (l.code) {
                case kCodeOpen:
                case kCodeClose: {
                    const int n = std::stoi(l.arg);  // the compiler checked the range
                    r.flags[n] = l.code == kCodeOpen;
                    r.changed_by[n] = at;
                    break;
                }
                case kCodeChoice: {
                    // "いいえ" skips a stage and goes on with the same script.
                    Road no = r;
                    no.stage_no += 1;
                    no.resume = i + 1;
                    no.note += " (on the road that answers いいえ at " + at + ")";
                    out.push_back(std::move(no));
                    break;
                }
                case kCodeNextStage:
                case kCodeNextStageHere:
                    if (r.script_stage >= rules_.last_stage) return;
                    r.stage_no += 1;
                    r.arrival =
                        l.code == kCodeNextStage ? Arrival::click : Arrival::next_stage_here;
                    r.came_from = at;
                    r.script_stage = -1;
                    r.resume = -1;
                    out.push_back(std::move(r));
                    return;
                case kCodeBackToTravel:
                    if (r.script_stage < rules_.last_stage)
                        fault(at,
                              "stage " + here +
                                  " ends with back_to_travel: the story never moves past it" +
                                  r.note,
                              true);
                    return;
                case kCodeQuit:
                    return;
                default:
                    break;
            }
        }
        fault(file, "stage " + here + "'s scene never ends", false);
    }

    std::string key(const Road& r) const {
        std::string k(reinterpret_cast<const char*>(r.flags.data()), r.flags.size());
        return k + "|" + std::to_string(r.stage_no) + "|" +
               std::to_string(static_cast<int>(r.arrival)) + "|" + std::to_string(r.script_stage) +
               "|" + std::to_string(r.resume);
    }

    void walk() {
        const fs::path save = data_ / "save" / "my.toml";
        Road start;
        try {
            DatReader reader(compile(Kind::Save, read_file_bytes(save), save.string()),
                             save.string());
            read_save(reader, *gs_);
        } catch (const DataError& e) {
            fault(file_line(e.file(), e.line()), e.reason(), false);
            return;
        }
        start.flags = gs_->place_flags;
        start.stage_no = 0;
        start.came_from = save.string();

        std::deque<Road> roads = {std::move(start)};
        std::set<std::string> visited;
        while (!roads.empty()) {
            Road r = std::move(roads.front());
            roads.pop_front();
            if (r.stage_no > rules_.last_stage && r.script_stage < 0) continue;
            if (!visited.insert(key(r)).second) continue;
            if (r.script_stage < 0) {
                if (!arrive(r)) continue;
                r.script_stage = r.stage_no;
                r.resume = 0;
            }
            play(std::move(r), roads);
        }
    }

    fs::path data_;
    ContentRules rules_;
    std::unique_ptr<GameState> gs_;
    std::map<int, std::optional<ParsedScript>> stages_;
    std::map<std::string, std::string> weapons_;  // picture file -> the weapon it holds
    std::vector<ContentFault> faults_;
    std::set<std::string> seen_;
};

}  // namespace

std::vector<ContentFault> check_content(const fs::path& data_dir, const ContentRules& rules) {
    return Checker(data_dir, rules).run();
}

std::string format_fault(const ContentFault& f, bool strict) {
    return f.where + (f.road && !strict ? ": warning: " : ": ") + f.reason;
}

}  // namespace lum::datc

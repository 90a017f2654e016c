#include <toml++/toml.h>

#include <memory>
#include <set>

#include "battle/techniques.h"
#include "forms.h"
#include "source_text.h"
#include "state/data_files.h"

namespace lum::datc {

namespace {

// The attribute keys of class requirements and growth, in the fixed order of the game.
constexpr const char* kAttrKeys[kAttrCount] = {"body",    "magic", "order", "calm", "mech",
                                               "justice", "dark",  "beast", "past", "speed"};
constexpr const char* kAttrNames[kAttrCount] = {"体力", "魔力", "秩序", "冷静", "機工",
                                                "正義", "闇",   "獣",   "過去", "速さ"};
int line_of(const toml::node& n) {
    return static_cast<int>(n.source().begin.line);
}

std::string in_quotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

// One TOML table of a source: typed access by key, with the line of each key for messages,
// and a check that no unknown key was given (a misspelt key would silently lose data).
class Fields {
  public:
    Fields(const toml::table& t, const std::string& file, std::string what)
        : t_(t), file_(file), what_(std::move(what)) {}

    int line() const { return line_of(t_); }
    int line_of_key(std::string_view key) const {
        const toml::node* n = t_.get(key);
        return n ? line_of(*n) : line();
    }
    [[noreturn]] void fail(std::string_view key, const std::string& reason) const {
        throw DataError(file_, line_of_key(key), reason);
    }

    const toml::node* get(std::string_view key) {
        used_.insert(std::string(key));
        return t_.get(key);
    }

    std::string str(std::string_view key) {
        const toml::node* n = get(key);
        if (!n) return {};
        auto v = n->value<std::string>();
        if (!n->is_string() || !v) fail(key, std::string(key) + " must be a string");
        check_line_text(*v, file_, line_of(*n));
        return *v;
    }

    std::optional<int> opt_int(std::string_view key, long long lo = INT32_MIN,
                               long long hi = INT32_MAX) {
        const toml::node* n = get(key);
        if (!n) return std::nullopt;
        if (!n->is_integer()) fail(key, std::string(key) + " must be a whole number");
        long long v = n->as_integer()->get();
        if (v < lo || v > hi)
            fail(key, std::string(key) + " is " + std::to_string(v) + "; it must be " +
                          std::to_string(lo) + ".." + std::to_string(hi));
        return static_cast<int>(v);
    }
    int integer(std::string_view key, long long lo = INT32_MIN, long long hi = INT32_MAX) {
        return opt_int(key, lo, hi).value_or(0);
    }

    // The ten attributes as a table of named values; a missing one is 0.
    std::array<int, kAttrCount> attrs(std::string_view key) {
        std::array<int, kAttrCount> out{};
        const toml::node* n = get(key);
        if (!n) return out;
        const toml::table* t = n->as_table();
        if (!t)
            fail(key,
                 std::string(key) + " must be a table of attributes, e.g. { body = 2, magic = 1 }");
        Fields f(*t, file_, std::string(key));
        for (auto&& [k, v] : *t) {
            bool known = false;
            for (const char* a : kAttrKeys) known = known || k.str() == a;
            if (!known)
                throw DataError(
                    file_, line_of(v),
                    "unknown attribute " + in_quotes(k.str()) +
                        " (body, magic, order, calm, mech, justice, dark, beast, past, speed)");
        }
        for (int i = 0; i < kAttrCount; ++i) out[i] = f.integer(kAttrKeys[i]);
        return out;
    }

    void done() const {
        for (auto&& [k, v] : t_)
            if (!used_.count(std::string(k.str())))
                throw DataError(file_, line_of(v),
                                "unknown key " + in_quotes(k.str()) + " in " + what_);
    }

  private:
    const toml::table& t_;
    const std::string& file_;
    std::string what_;
    std::set<std::string> used_;
};

// Walks the entries of an array of tables ([[class]], [[place]] ...), each with an optional
// `id` that otherwise follows the previous entry's.
template <class Fn>
void for_entries(Fields& root, const std::string& file, const char* key, const char* noun,
                 int first, int count, const char* plural, Fn&& fn,
                 std::set<int>* taken = nullptr) {
    const toml::node* n = root.get(key);
    if (!n) return;
    const toml::array* arr = n->as_array();
    if (!arr || !arr->is_array_of_tables())
        throw DataError(file, line_of(*n),
                        std::string(key) + " must be written as [[" + key + "]] entries");
    std::set<int> local;
    std::set<int>& seen = taken ? *taken : local;
    int next = first;
    for (const toml::node& e : *arr) {
        const toml::table& t = *e.as_table();
        Fields f(t, file, std::string("[[") + key + "]]");
        int id = next;
        if (auto given = f.opt_int("id")) {
            id = *given;
            if (id < first || id >= first + count)
                f.fail("id", std::string(noun) + " id " + std::to_string(id) + " is outside " +
                                 std::to_string(first) + ".." + std::to_string(first + count - 1));
        } else if (id >= first + count) {
            throw DataError(file, f.line(), "more than " + std::to_string(count) + " " + plural);
        }
        if (!seen.insert(id).second)
            throw DataError(file, f.line(),
                            std::string(noun) + " " + std::to_string(id) + " is defined twice");
        fn(f, id);
        f.done();
        next = id + 1;
    }
}

// A plain list of strings (aiko, names, oaths); entries after the list are empty.
template <size_t N>
void read_list(Fields& root, const std::string& file, const char* key, const char* plural,
               std::array<std::string, N>& out) {
    const toml::node* n = root.get(key);
    if (!n) return;
    const toml::array* arr = n->as_array();
    if (!arr) throw DataError(file, line_of(*n), std::string(key) + " must be a list of strings");
    size_t i = 0;
    for (const toml::node& e : *arr) {
        if (i >= N)
            throw DataError(file, line_of(e), "more than " + std::to_string(N) + " " + plural);
        if (!e.is_string())
            throw DataError(file, line_of(e),
                            "entry " + std::to_string(i) + " of " + key + " must be a string");
        std::string s = e.as_string()->get();
        check_line_text(s, file, line_of(e));
        out[i++] = std::move(s);
    }
}

// Lists of flag indices set to 1, plus [index, value] pairs for any other value.
template <class T, size_t N>
void read_flags(Fields& root, const std::string& file, const std::string& key, int max_value,
                const char* noun, std::array<T, N>& out) {
    std::set<int> seen;
    auto index_of = [&](const toml::node& e) {
        if (!e.is_integer() || e.as_integer()->get() < 0 ||
            e.as_integer()->get() >= static_cast<long long>(N))
            throw DataError(
                file, line_of(e),
                std::string(noun) + " numbers in " + key + " must be 0.." + std::to_string(N - 1));
        int i = static_cast<int>(e.as_integer()->get());
        if (!seen.insert(i).second)
            throw DataError(file, line_of(e),
                            std::string(noun) + " " + std::to_string(i) + " is listed twice");
        return i;
    };
    if (const toml::node* n = root.get(key)) {
        const toml::array* arr = n->as_array();
        if (!arr) throw DataError(file, line_of(*n), key + " must be a list of numbers");
        for (const toml::node& e : *arr) out[index_of(e)] = 1;
    }
    const std::string vkey = key + "_values";
    if (const toml::node* n = root.get(vkey)) {
        const toml::array* arr = n->as_array();
        if (!arr)
            throw DataError(file, line_of(*n), vkey + " must be a list of [number, value] pairs");
        for (const toml::node& e : *arr) {
            const toml::array* pair = e.as_array();
            if (!pair || pair->size() != 2 || !(*pair)[1].is_integer())
                throw DataError(file, line_of(e),
                                vkey + " must be a list of [number, value] pairs");
            int i = index_of((*pair)[0]);
            long long v = (*pair)[1].as_integer()->get();
            if (v < (max_value == 255 ? 0 : INT32_MIN) || v > max_value)
                throw DataError(file, line_of(e),
                                "the value of " + std::string(noun) + " " + std::to_string(i) +
                                    " is out of range");
            out[i] = static_cast<T>(v);
        }
    }
}

void compile_into(Kind kind, Fields& root, const std::string& file, GameState& gs) {
    switch (kind) {
        case Kind::Jobs:
            for_entries(root, file, "class", "class", 0, kJobCount, "classes",
                        [&](Fields& f, int id) {
                            TJob& j = gs.job_table[id];
                            j.name = f.str("name");
                            j.about = f.str("about");
                            j.growth_text = f.str("growth_text");
                            j.skills_text = f.str("skills_text");
                            j.req_level = f.integer("req_level", 0, 9999);
                            j.req = f.attrs("req");
                            if (const toml::node* s = f.get("sex")) {
                                auto v = s->value<std::string>();
                                if (s->is_string() && *v == "male")
                                    j.sex_rule = 0;
                                else if (s->is_string() && *v == "female")
                                    j.sex_rule = 1;
                                else if (s->is_string() && *v == "both")
                                    j.sex_rule = 2;
                                else
                                    f.fail("sex", "sex must be \"male\", \"female\" or \"both\"");
                            } else {
                                j.sex_rule = 2;
                            }
                            j.ark_cost = f.integer("ark_cost", 0, INT32_MAX);
                            j.growth = f.attrs("growth");
                        });
            break;
        case Kind::Skills:
            for_entries(root, file, "family", "family", 1, kFilledFamilies, "skill families",
                        [&](Fields& f, int id) {
                            f.str("label");  // for the reader only
                            const toml::node* n = f.get("skill");
                            if (!n) return;
                            const toml::array* arr = n->as_array();
                            if (!arr || !arr->is_array_of_tables())
                                f.fail("skill",
                                       "skill must be written as [[family.skill]] entries");
                            int slot = 1;
                            for (const toml::node& e : *arr) {
                                if (slot > 4)
                                    throw DataError(
                                        file, line_of(e),
                                        "family " + std::to_string(id) + " has more than 4 skills");
                                Fields s(*e.as_table(), file, "[[family.skill]]");
                                TSkill& k = gs.skill_table[id][slot++];
                                k.name = s.str("name");
                                k.text1 = s.str("power");
                                k.text2 = s.str("about");
                                s.done();
                            }
                        });
            break;
        case Kind::Aiko:
            read_list(root, file, "names", "aiko names", gs.aiko_names);
            break;
        case Kind::Names:
            read_list(root, file, "names", "enemy names", gs.name_table);
            break;
        case Kind::Oaths:
            read_list(root, file, "oaths", "oaths", gs.oath_table);
            break;
        case Kind::Places:
            for_entries(root, file, "place", "place", 0, kPlaceCount, "places",
                        [&](Fields& f, int id) {
                            TPlace& p = gs.place_table[id];
                            p.name = f.str("name");
                            p.text = f.str("text");
                            p.map_file = f.str("map");
                            p.spare = f.str("spare");
                        });
            break;
        case Kind::Items: {
            std::set<int> taken;
            auto fill = [&](Fields& f, TItem& it) {
                it.name = f.str("name");
                it.text = f.str("text");
                int k = f.integer("kind", 0, 255);
                if (!((k >= 0 && k <= 24) || (k >= 100 && k <= 111)))
                    f.fail("kind",
                           "kind " + std::to_string(k) + " is not an item kind (0..24, 100..111)");
                it.kind = k;
                it.value = f.integer("value");
            };
            for_entries(
                root, file, "item", "item", 0, kItemCount, "items",
                [&](Fields& f, int id) { fill(f, gs.item_table[id]); }, &taken);
            if (const toml::node* n = root.get("item_range")) {
                const toml::array* arr = n->as_array();
                if (!arr || !arr->is_array_of_tables())
                    throw DataError(file, line_of(*n),
                                    "item_range must be written as [[item_range]] entries");
                for (const toml::node& e : *arr) {
                    Fields f(*e.as_table(), file, "[[item_range]]");
                    if (!f.get("first") || !f.get("last"))
                        throw DataError(file, f.line(), "an item_range needs first and last");
                    int first = f.integer("first", 0, kItemCount - 1);
                    int last = f.integer("last", first, kItemCount - 1);
                    TItem it;
                    fill(f, it);
                    f.done();
                    for (int i = first; i <= last; ++i) {
                        if (!taken.insert(i).second)
                            throw DataError(file, f.line(),
                                            "item " + std::to_string(i) + " is defined twice");
                        gs.item_table[i] = it;
                    }
                }
            }
            break;
        }
        case Kind::Save: {
            gs.player_name = root.str("player_name");
            gs.clear_mark = root.integer("clear_mark");
            gs.money = root.integer("money");
            gs.ark = root.integer("ark");
            gs.stage_no = root.integer("stage_no", 0, 61);
            gs.spare_text1 = root.str("spare_text1");
            gs.spare_text2 = root.str("spare_text2");
            gs.spare_text3 = root.str("spare_text3");
            read_flags(root, file, "item_owned", INT32_MAX, "item", gs.item_owned);
            read_flags(root, file, "place_flags", 255, "place", gs.place_flags);
            read_flags(root, file, "skill_flags", 255, "skill family", gs.skill_flags);
            for_entries(root, file, "chara", "chara", 0, kSavedCharas, "characters",
                        [&](Fields& f, int id) {
                            TChara& c = gs.chara[id];
                            c.name = f.str("name");
                            c.profile = f.str("profile");
                            c.aiko_name = f.str("aiko_name");
                            c.state = static_cast<byte>(f.integer("state", 0, 4));
                            c.job = static_cast<byte>(f.integer("job", 0, kJobCount - 1));
                            c.x = static_cast<byte>(f.integer("x", 0, 255));
                            c.y = static_cast<byte>(f.integer("y", 0, 255));
                            c.level = f.integer("level");
                            c.hp = f.integer("hp");
                            c.mp = f.integer("mp");
                            c.max_hp = f.integer("max_hp");
                            c.max_mp = f.integer("max_mp");
                            for (int a = 0; a < kAttrCount; ++a)
                                c.attr(a) = f.integer(kAttrKeys[a]);
                            c.lifespan = f.integer("lifespan");
                            c.sex = f.integer("sex", 0, 3);
                            c.exp = f.integer("exp");
                            c.aiko_power = f.integer("aiko_power");
                            c.oath = f.integer("oath", 0, kOathCount - 1);
                            c.oath_count = f.integer("oath_count");
                        });
            break;
        }
        case Kind::Stage:
        case Kind::People:
            break;
    }
}

void write_dat(Kind kind, DatWriter& w, const GameState& gs) {
    switch (kind) {
        case Kind::Save:
            write_save(w, gs);
            break;
        case Kind::Skills:
            write_magic(w, gs);
            break;
        case Kind::Jobs:
            write_job(w, gs);
            break;
        case Kind::Aiko:
            write_aiko(w, gs);
            break;
        case Kind::Names:
            write_name(w, gs);
            break;
        case Kind::Places:
            write_place(w, gs);
            break;
        case Kind::Oaths:
            write_tikai(w, gs);
            break;
        case Kind::Items:
            write_item(w, gs);
            break;
        case Kind::Stage:
        case Kind::People:
            break;
    }
}

void read_dat(Kind kind, DatReader& r, GameState& gs) {
    switch (kind) {
        case Kind::Save:
            read_save(r, gs);
            break;
        case Kind::Skills:
            read_magic(r, gs);
            break;
        case Kind::Jobs:
            read_job(r, gs);
            break;
        case Kind::Aiko:
            read_aiko(r, gs);
            break;
        case Kind::Names:
            read_name(r, gs);
            break;
        case Kind::Places:
            read_place(r, gs);
            break;
        case Kind::Oaths:
            read_tikai(r, gs);
            break;
        case Kind::Items:
            read_item(r, gs);
            break;
        case Kind::Stage:
        case Kind::People:
            break;
    }
}

// ------------------------------------------------------------------ emitting sources

class Emitter {
  public:
    void comment(std::string_view s) { out_ += "# " + std::string(s) + "\n"; }
    void blank() { out_ += "\n"; }
    void header(std::string_view h) { out_ += "\n[[" + std::string(h) + "]]\n"; }
    void str(std::string_view key, std::string_view v, bool always = false) {
        if (always || !v.empty()) out_ += std::string(key) + " = " + toml_string(v) + "\n";
    }
    void num(std::string_view key, long long v, bool always = false) {
        if (always || v != 0) out_ += std::string(key) + " = " + std::to_string(v) + "\n";
    }
    void raw(std::string_view key, std::string_view v) {
        out_ += std::string(key) + " = " + std::string(v) + "\n";
    }
    void attrs(std::string_view key, const std::array<int, kAttrCount>& a) {
        std::string s;
        for (int i = 0; i < kAttrCount; ++i)
            if (a[i] != 0)
                s += std::string(s.empty() ? "" : ", ") + kAttrKeys[i] + " = " +
                     std::to_string(a[i]);
        if (!s.empty()) raw(key, "{ " + s + " }");
    }
    template <size_t N>
    void list(std::string_view key, const std::array<std::string, N>& a) {
        size_t n = N;
        while (n > 0 && a[n - 1].empty()) --n;
        out_ += std::string(key) + " = [\n";
        for (size_t i = 0; i < n; ++i)
            out_ += "  " + toml_string(a[i]) + ",  # " + std::to_string(i) + "\n";
        out_ += "]\n";
    }
    template <class T, size_t N>
    void flags(const std::string& key, const std::array<T, N>& a) {
        std::string ones, others;
        for (size_t i = 0; i < N; ++i) {
            if (a[i] == 1)
                ones += std::string(ones.empty() ? "" : ", ") + std::to_string(i);
            else if (a[i] != 0)
                others += std::string(others.empty() ? "" : ", ") + "[" + std::to_string(i) + ", " +
                          std::to_string(static_cast<long long>(a[i])) + "]";
        }
        raw(key, "[" + ones + "]");
        if (!others.empty()) raw(key + "_values", "[" + others + "]");
    }
    const std::string& text() const { return out_; }

  private:
    std::string out_;
};

const char* sex_rule_name(int v) {
    switch (v) {
        case 0:
            return "male";
        case 1:
            return "female";
        case 2:
            return "both";
        default:
            return nullptr;
    }
}

std::string attr_order_comment() {
    std::string s = "attributes: ";
    for (int i = 0; i < kAttrCount; ++i)
        s += std::string(i ? ", " : "") + kAttrKeys[i] + " " + kAttrNames[i];
    return s;
}

void emit(Kind kind, const GameState& gs, Emitter& e) {
    switch (kind) {
        case Kind::Jobs:
            e.comment("Classes (job.dat), ids 0..50. " + attr_order_comment());
            for (int id = 0; id < kJobCount; ++id) {
                const TJob& j = gs.job_table[id];
                if (j == TJob{}) continue;
                e.header("class");
                e.num("id", id, true);
                e.str("name", j.name);
                e.str("about", j.about);
                e.str("growth_text", j.growth_text);
                e.str("skills_text", j.skills_text);
                e.num("req_level", j.req_level);
                e.attrs("req", j.req);
                if (const char* s = sex_rule_name(j.sex_rule))
                    e.raw("sex", toml_string(s));
                else
                    e.num("sex", j.sex_rule, true);
                e.num("ark_cost", j.ark_cost);
                e.attrs("growth", j.growth);
            }
            break;
        case Kind::Skills:
            e.comment("Skill families (magic.dat), ids 1..25, up to four skills each.");
            e.comment("power is the 哀古力 line, about the description.");
            for (int f = 1; f <= kFilledFamilies; ++f) {
                bool any = false;
                for (int s = 1; s <= 4; ++s) any = any || !(gs.skill_table[f][s] == TSkill{});
                if (!any) continue;
                e.header("family");
                e.num("id", f, true);
                e.str("label", family_caption(f));
                int last = 4;
                while (last > 0 && gs.skill_table[f][last] == TSkill{}) --last;
                for (int s = 1; s <= last; ++s) {
                    const TSkill& k = gs.skill_table[f][s];
                    e.raw("[[family.skill]]\nname", toml_string(k.name));
                    e.str("power", k.text1);
                    e.str("about", k.text2);
                }
            }
            break;
        case Kind::Aiko:
            e.comment(
                "哀古 names (aiko.dat), entries 0..100: a character with 哀古 value p carries "
                "entry p / 5.");
            e.list("names", gs.aiko_names);
            break;
        case Kind::Names:
            e.comment("Enemy names of random battles (name.dat), entries 0..225.");
            e.list("names", gs.name_table);
            break;
        case Kind::Oaths:
            e.comment("Oaths (tikai.dat), entries 0..255; an empty entry shows as 不明.");
            e.list("oaths", gs.oath_table);
            break;
        case Kind::Places:
            e.comment("Places (place.dat), ids 0..255. map is the battle map under cg/.");
            for (int id = 0; id < kPlaceCount; ++id) {
                const TPlace& p = gs.place_table[id];
                if (p == TPlace{}) continue;
                e.header("place");
                e.num("id", id, true);
                e.str("name", p.name);
                e.str("text", p.text);
                e.str("map", p.map_file);
                e.str("spare", p.spare);
            }
            break;
        case Kind::Items: {
            e.comment("Items (item.dat), ids 0..512; 256..512 are the card slots.");
            auto body = [&](const TItem& it) {
                e.str("name", it.name);
                e.str("text", it.text);
                e.num("kind", it.kind, true);
                e.num("value", it.value);
            };
            for (int id = 0; id < kItemCount;) {
                const TItem& it = gs.item_table[id];
                int run = id;
                while (run + 1 < kItemCount && gs.item_table[run + 1] == it) ++run;
                if (it == TItem{}) {
                    id = run + 1;
                } else if (run - id + 1 >= 3) {
                    e.header("item_range");
                    e.num("first", id, true);
                    e.num("last", run, true);
                    body(it);
                    id = run + 1;
                } else {
                    e.header("item");
                    e.num("id", id, true);
                    body(it);
                    ++id;
                }
            }
            break;
        }
        case Kind::Save: {
            e.comment("The save (my.dat). Flag lists name the entries set to 1.");
            e.str("player_name", gs.player_name, true);
            e.num("clear_mark", gs.clear_mark, true);
            e.num("money", gs.money, true);
            e.num("ark", gs.ark, true);
            e.num("stage_no", gs.stage_no, true);
            e.str("spare_text1", gs.spare_text1);
            e.str("spare_text2", gs.spare_text2);
            e.str("spare_text3", gs.spare_text3);
            e.flags("item_owned", gs.item_owned);
            e.flags("place_flags", gs.place_flags);
            e.flags("skill_flags", gs.skill_flags);
            for (int id = 0; id < kSavedCharas; ++id) {
                const TChara& c = gs.chara[id];
                if (c == TChara{}) continue;
                e.header("chara");
                e.num("id", id, true);
                e.str("name", c.name);
                e.str("profile", c.profile);
                e.str("aiko_name", c.aiko_name);
                e.num("state", c.state);
                e.num("job", c.job);
                e.num("x", c.x);
                e.num("y", c.y);
                e.num("level", c.level);
                e.num("hp", c.hp);
                e.num("mp", c.mp);
                e.num("max_hp", c.max_hp);
                e.num("max_mp", c.max_mp);
                for (int a = 0; a < kAttrCount; ++a) e.num(kAttrKeys[a], c.attr(a));
                e.num("lifespan", c.lifespan);
                e.num("sex", c.sex);
                e.num("exp", c.exp);
                e.num("aiko_power", c.aiko_power);
                e.num("oath", c.oath);
                e.num("oath_count", c.oath_count);
            }
            break;
        }
        case Kind::Stage:
        case Kind::People:
            break;
    }
}

const char* root_keys_what(Kind kind) {
    switch (kind) {
        case Kind::Save:
            return "the save";
        case Kind::Skills:
            return "the skills table";
        case Kind::Jobs:
            return "the classes table";
        case Kind::Aiko:
            return "the aiko table";
        case Kind::Names:
            return "the names table";
        case Kind::Places:
            return "the places table";
        case Kind::Oaths:
            return "the oaths table";
        case Kind::Items:
            return "the items table";
        default:
            return "the table";
    }
}

}  // namespace

std::string compile_table(Kind kind, std::string_view source, const std::string& name) {
    toml::table root;
    try {
        root = toml::parse(source, name);
    } catch (const toml::parse_error& err) {
        throw DataError(name, static_cast<int>(err.source().begin.line),
                        std::string(err.description()));
    }
    auto gs = std::make_unique<GameState>();
    Fields f(root, name, root_keys_what(kind));
    compile_into(kind, f, name, *gs);
    f.done();
    DatWriter w(name);
    write_dat(kind, w, *gs);
    return w.bytes();
}

std::string decompile_table(Kind kind, std::string_view dat, const std::string& name) {
    auto gs = std::make_unique<GameState>();
    DatReader r{std::string(dat), name};
    read_dat(kind, r, *gs);
    Emitter e;
    emit(kind, *gs, e);
    return e.text();
}

}  // namespace lum::datc

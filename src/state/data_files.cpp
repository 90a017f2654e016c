#include "state/data_files.h"

#include <filesystem>
#include <memory>
#include <optional>

#include "state/save_commit.h"
#include "state/save_values.h"

namespace lum {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- single files

namespace {

void read_chara(DatReader& r, TChara& c) {
    c.name = r.read_string();
    c.profile = r.read_string();
    c.aiko_name = r.read_string();
    c.state = r.read_byte();
    c.job = r.read_byte();
    c.x = r.read_byte();
    c.y = r.read_byte();
    for (int* f :
         {&c.level, &c.hp,       &c.mp,   &c.max_hp,  &c.max_mp,     &c.body,  &c.magic,
          &c.order, &c.calm,     &c.mech, &c.justice, &c.dark,       &c.beast, &c.past,
          &c.speed, &c.lifespan, &c.sex,  &c.exp,     &c.aiko_power, &c.oath,  &c.oath_count})
        *f = r.read_int();
}

void write_chara(DatWriter& w, const TChara& c) {
    w.write_string(c.name);
    w.write_string(c.profile);
    w.write_string(c.aiko_name);
    for (int v : {int(c.state), int(c.job), int(c.x), int(c.y)}) w.write_int(v);
    for (int v : {c.level, c.hp,       c.mp,   c.max_hp,  c.max_mp,     c.body,  c.magic,
                  c.order, c.calm,     c.mech, c.justice, c.dark,       c.beast, c.past,
                  c.speed, c.lifespan, c.sex,  c.exp,     c.aiko_power, c.oath,  c.oath_count})
        w.write_int(v);
}

}  // namespace

void read_save(DatReader& r, GameState& gs) {
    gs.player_name = r.read_string();
    gs.clear_mark = r.read_int();
    gs.money = r.read_int();
    gs.ark = r.read_int();
    gs.stage_no = r.read_int();
    gs.spare_text1 = r.read_string();
    gs.spare_text2 = r.read_string();
    gs.spare_text3 = r.read_string();
    for (int& v : gs.item_owned) v = r.read_int();
    for (byte& v : gs.place_flags) v = r.read_byte();
    for (byte& v : gs.skill_flags) v = r.read_byte();
    // All 31 records are read; a file written by the game holds 28, so 28..30 come out empty.
    for (TChara& c : gs.chara) read_chara(r, c);
}

void write_save(DatWriter& w, const GameState& gs) {
    w.write_string(gs.player_name);
    w.write_int(gs.clear_mark);
    w.write_int(gs.money);
    w.write_int(gs.ark);
    w.write_int(gs.stage_no);
    w.write_string(gs.spare_text1);
    w.write_string(gs.spare_text2);
    w.write_string(gs.spare_text3);
    for (int v : gs.item_owned) w.write_int(v);
    for (byte v : gs.place_flags) w.write_int(v);
    for (byte v : gs.skill_flags) w.write_int(v);
    for (int i = 0; i < kSavedCharas; ++i) write_chara(w, gs.chara[i]);
}

void read_magic(DatReader& r, GameState& gs) {
    for (int f = 1; f <= kFilledFamilies; ++f)
        for (int s = 1; s <= 4; ++s) {
            TSkill& k = gs.skill_table[f][s];
            k.name = r.read_string();
            k.text1 = r.read_string();
            k.text2 = r.read_string();
        }
}

void write_magic(DatWriter& w, const GameState& gs) {
    for (int f = 1; f <= kFilledFamilies; ++f)
        for (int s = 1; s <= 4; ++s) {
            const TSkill& k = gs.skill_table[f][s];
            w.write_string(k.name);
            w.write_string(k.text1);
            w.write_string(k.text2);
        }
}

void read_job(DatReader& r, GameState& gs) {
    for (TJob& j : gs.job_table) {
        j.name = r.read_string();
        j.about = r.read_string();
        j.growth_text = r.read_string();
        j.skills_text = r.read_string();
        j.req_level = r.read_int();
        for (int& v : j.req) v = r.read_int();
        j.sex_rule = r.read_int();
        j.ark_cost = r.read_int();
        for (int& v : j.growth) v = r.read_int();
    }
}

void write_job(DatWriter& w, const GameState& gs) {
    for (const TJob& j : gs.job_table) {
        w.write_string(j.name);
        w.write_string(j.about);
        w.write_string(j.growth_text);
        w.write_string(j.skills_text);
        w.write_int(j.req_level);
        for (int v : j.req) w.write_int(v);
        w.write_int(j.sex_rule);
        w.write_int(j.ark_cost);
        for (int v : j.growth) w.write_int(v);
    }
}

void read_aiko(DatReader& r, GameState& gs) {
    for (auto& s : gs.aiko_names) s = r.read_string();
}
void write_aiko(DatWriter& w, const GameState& gs) {
    for (const auto& s : gs.aiko_names) w.write_string(s);
}
void read_name(DatReader& r, GameState& gs) {
    for (auto& s : gs.name_table) s = r.read_string();
}
void write_name(DatWriter& w, const GameState& gs) {
    for (const auto& s : gs.name_table) w.write_string(s);
}
void read_tikai(DatReader& r, GameState& gs) {
    for (auto& s : gs.oath_table) s = r.read_string();
}
void write_tikai(DatWriter& w, const GameState& gs) {
    for (const auto& s : gs.oath_table) w.write_string(s);
}

void read_place(DatReader& r, GameState& gs) {
    for (TPlace& p : gs.place_table) {
        p.name = r.read_string();
        p.text = r.read_string();
        p.map_file = r.read_string();
        p.spare = r.read_string();
    }
}

void write_place(DatWriter& w, const GameState& gs) {
    for (const TPlace& p : gs.place_table) {
        w.write_string(p.name);
        w.write_string(p.text);
        w.write_string(p.map_file);
        w.write_string(p.spare);
    }
}

void read_item(DatReader& r, GameState& gs) {
    for (TItem& it : gs.item_table) {
        it.name = r.read_string();
        it.text = r.read_string();
        it.kind = r.read_int();
        it.value = r.read_int();
    }
}

void write_item(DatWriter& w, const GameState& gs) {
    for (const TItem& it : gs.item_table) {
        w.write_string(it.name);
        w.write_string(it.text);
        w.write_int(it.kind);
        w.write_int(it.value);
    }
}

void read_enemies_and_script(DatReader& r, std::array<TEnemyEntry, kStageEnemies>& enemies,
                             std::array<TScriptLine, kScriptLines>& script) {
    for (TEnemyEntry& e : enemies) {
        e.name = r.read_string();
        e.profile = r.read_string();
        e.sprite_file = r.read_string();
        e.portrait_file = r.read_string();
        e.sex = r.read_byte();
        e.job = r.read_byte();
        e.state = r.read_byte();
        e.speech = r.read_string();
    }
    for (TScriptLine& l : script) {
        l.code = r.read_byte();
        l.arg = r.read_string();
    }
}

void write_enemies_and_script(DatWriter& w, const std::array<TEnemyEntry, kStageEnemies>& enemies,
                              const std::array<TScriptLine, kScriptLines>& script) {
    for (const TEnemyEntry& e : enemies) {
        w.write_string(e.name);
        w.write_string(e.profile);
        w.write_string(e.sprite_file);
        w.write_string(e.portrait_file);
        w.write_int(e.sex);
        w.write_int(e.job);
        w.write_int(e.state);
        w.write_string(e.speech);
    }
    for (const TScriptLine& l : script) {
        w.write_int(l.code);
        w.write_string(l.arg);
    }
}

// ---------------------------------------------------------------- the save and the tables

namespace {

fs::path with_suffix(fs::path p, const char* suffix) {
    p += suffix;
    return p;
}

// The saved groups (header, flags, characters) of `from`, copied into `to`.
void copy_saved_groups(const GameState& from, GameState& to) {
    to.player_name = from.player_name;
    to.clear_mark = from.clear_mark;
    to.money = from.money;
    to.ark = from.ark;
    to.stage_no = from.stage_no;
    to.spare_text1 = from.spare_text1;
    to.spare_text2 = from.spare_text2;
    to.spare_text3 = from.spare_text3;
    to.item_owned = from.item_owned;
    to.place_flags = from.place_flags;
    to.skill_flags = from.skill_flags;
    to.chara = from.chara;
}

}  // namespace

namespace {

// One save pair read into a scratch state: its saved groups and its item table.
struct PairRead {
    std::unique_ptr<GameState> state = std::make_unique<GameState>();
    fs::path my_file;
    bool item_failed = false;  // the fault is in item.dat (else in my.dat)
    std::optional<DataError> error;
    // The pair read without error but a file of it ends before the game's own layout does:
    // a save cut short, whose missing values read as 0.
    std::optional<DataError> cut;
    bool whole() const { return !error && !cut; }
};

// The values my.dat asks for that the game never writes: records 28..30.
int unsaved_values() {
    static const int n = [] {
        DatWriter w("my.dat");
        write_chara(w, TChara{});
        return (kCharaCount - kSavedCharas) * w.lines();
    }();
    return n;
}

// The line count of a whole file as the game writes it.
int whole_lines(void (*writer)(DatWriter&, const GameState&)) {
    static const GameState empty;
    DatWriter w("");
    writer(w, empty);
    return w.lines();
}

// The item table starts as `items`, so a broken item.dat keeps what it read over them.
PairRead read_pair(const fs::path& my, const fs::path& item,
                   const std::array<TItem, kItemCount>& items) {
    PairRead p;
    p.my_file = my;
    p.state->item_table = items;
    struct File {
        const fs::path* path;
        void (*reader)(DatReader&, GameState&);
        void (*writer)(DatWriter&, const GameState&);
        int values_never_written;
    };
    const File files[] = {{&my, read_save, write_save, unsaved_values()},
                          {&item, read_item, write_item, 0}};
    for (const File& f : files) {
        try {
            DatReader r = DatReader::open(*f.path);
            f.reader(r, *p.state);
            if (!p.cut && r.values_past_end() > f.values_never_written)
                p.cut = DataError(f.path->string(), r.first_line_past_end(),
                                  "the file ends early (a whole one has " +
                                      std::to_string(whole_lines(f.writer)) + " lines)");
        } catch (const DataError& e) {
            p.item_failed = f.path == &item;
            p.error = e;
            break;
        }
    }
    return p;
}

// "セーブデータ" or "アイテムデータ": the file of the pair a fault is in.
std::string pair_file_word(const PairRead& p) {
    if (p.error) return p.item_failed ? "アイテムデータ" : "セーブデータ";
    return p.cut->file() == p.my_file.string() ? "セーブデータ" : "アイテムデータ";
}

const DataError& pair_fault(const PairRead& p) {
    return p.error ? *p.error : *p.cut;
}

// One notice for all the values brought into range, the first few of them named.
std::string repair_notice(const std::vector<std::string>& warnings) {
    constexpr size_t kShown = 8;
    std::string text = "セーブデータの使えない値を直しました。";
    for (size_t i = 0; i < warnings.size() && i < kShown; ++i) text += "\r" + warnings[i];
    if (warnings.size() > kShown)
        text += "\r(ほかに " + std::to_string(warnings.size() - kShown) + " 件)";
    return text;
}

}  // namespace

std::vector<std::string> load_game(GameState& gs) {
    std::vector<std::string> notices;
    // The folder of the save pair: dat/, or the player's own folder of an installed game.
    const fs::path dat = gs.dat_path("my.dat").parent_path();
    if (recover_save_pair(dat) == SaveRecovery::rolled_back)
        notices.push_back(kInterruptedSaveNotice);

    // The save is two files taken as one: when either file of the pair cannot be read or ends
    // early, the backup pair kept by the last save is taken whole, never one file of each.
    // A pair that is not whole never becomes the backup: the next save keeps the one there.
    const fs::path my = dat / "my.dat";
    const fs::path item = dat / "item.dat";
    PairRead pair = read_pair(my, item, gs.item_table);
    gs.keep_backup_pair = !pair.whole();
    if (!pair.whole()) {
        std::error_code ec;
        const fs::path my_bak = with_suffix(my, ".bak");
        const fs::path item_bak = with_suffix(item, ".bak");
        std::optional<PairRead> backup;
        if (fs::exists(my_bak, ec) && fs::exists(item_bak, ec))
            backup = read_pair(my_bak, item_bak, gs.item_table);
        const std::string fault = std::string("\r(") + pair_fault(pair).what() + ")";
        if (backup && (backup->whole() || (pair.error && !backup->error))) {
            std::string text = pair_file_word(pair) +
                               "を読めなかったため、前回のセーブデータを読み込みました。" + fault;
            if (backup->cut)
                text +=
                    "\r前回のセーブデータも途中で切れているため、読めたところまでを使います。"
                    "\r(" +
                    std::string(backup->cut->what()) + ")";
            notices.push_back(text);
            pair = std::move(*backup);
        } else if (!pair.error) {
            notices.push_back(pair_file_word(pair) +
                              "が途中で切れていて、前回のセーブデータも使えないため、"
                              "読めたところまでを読み込みました。" +
                              fault);
        }
    }
    // With no usable backup the load fails where the first read failed, as any load does:
    // at my.dat before anything changes, at item.dat after the other tables.
    if (pair.error && !pair.item_failed) throw *pair.error;
    copy_saved_groups(*pair.state, gs);
    if (auto w = repair_save_values(gs, pair.my_file.filename().string()); !w.empty())
        notices.push_back(repair_notice(w));

    auto read_table = [&](const char* file, void (*reader)(DatReader&, GameState&)) {
        DatReader r = DatReader::open(gs.dat_path(file));
        reader(r, gs);
    };
    read_table("magic.dat", read_magic);
    read_table("job.dat", read_job);
    read_table("aiko.dat", read_aiko);
    read_table("name.dat", read_name);
    read_table("place.dat", read_place);
    read_table("tikai.dat", read_tikai);
    gs.item_table = pair.state->item_table;
    if (pair.error) throw *pair.error;  // item.dat's fault, with what it read kept
    return notices;
}

void save_game(GameState& gs) {
    // Both files are built in memory first: a text CP932 cannot hold fails before any write.
    DatWriter wm(gs.dat_path("my.dat").string());
    write_save(wm, gs);
    DatWriter wi(gs.dat_path("item.dat").string());
    write_item(wi, gs);
    commit_save_pair(gs.dat_path("my.dat").parent_path(), wm.bytes(), wi.bytes(), {},
                     gs.keep_backup_pair);
    gs.keep_backup_pair = false;
}

std::vector<std::string> new_game(GameState& gs) {
    std::vector<std::string> notices = load_game(gs);
    gs.money = 1000;
    gs.ark = 10;
    gs.player_name = "ルミナリア";
    gs.stage_no = 0;
    gs.item_owned.fill(0);
    gs.place_flags.fill(0);
    for (int i = kFirstCardSlot; i < kItemCount; ++i) {
        gs.item_table[i].name.clear();
        gs.item_table[i].kind = 23;
    }
    gs.skill_flags.fill(0);
    gs.skill_flags[1] = 1;

    for (TChara& c : gs.chara) {
        c.level = 1;
        c.hp = 45 + gs.random(4);
        c.mp = 10 + gs.random(4);
        c.state = kStateEmpty;
        c.oath_count = gs.random(5);
        c.job = 0;
        c.body = 5;
        c.magic = c.order = c.calm = c.mech = c.justice = c.dark = c.beast = c.past = c.speed = 0;
        c.sex = 0;
        c.exp = 0;
        c.oath = gs.random(21);
        c.max_hp = c.hp;
        c.max_mp = c.mp;
        c.aiko_power = 10 + gs.random(2);
        c.aiko_name = gs.aiko_name_at(c.aiko_power / 5);
        c.lifespan = 40 + gs.random(30);
    }

    TChara& hero = gs.chara[1];
    hero.name = gs.player_name;
    hero.state = kStateNormal;
    hero.sex = 0;
    hero.job = 0;
    hero.aiko_power = 0;
    hero.aiko_name = "なし";
    hero.oath = gs.random(21);

    gs.place_flags[0] = 1;
    gs.place_flags[100] = 1;
    gs.item_owned[47] = 1;
    load_stage(gs);
    return notices;
}

std::string stage_file_name(int stage_no) {
    return "story" + std::to_string(stage_no) + ".dat";
}
std::string people_file_name(int n) {
    return "people" + std::to_string(n) + ".dat";
}

void load_stage(GameState& gs) {
    DatReader r = DatReader::open(gs.dat_path(stage_file_name(gs.stage_no)));
    read_enemies_and_script(r, gs.stage_enemies, gs.script);
}

void load_people(GameState& gs, int n) {
    DatReader r = DatReader::open(gs.dat_path(people_file_name(n)));
    read_enemies_and_script(r, gs.people_enemies, gs.people_script);
    gs.people_mode = true;
    gs.people_no = n;
}

}  // namespace lum

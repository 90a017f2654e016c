// The save loader with its recovery over arbitrary folders: any mix of the pair, the backup
// pair, staged files of an interrupted commit, its marker and leftovers of older versions,
// each whole, damaged, cut short or made of the input's own bytes. The load either refuses
// with a DataError or gives a state that saves and loads back unchanged, and never leaves a
// staged file behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "fuzz_input.h"

namespace {

using namespace lum;
namespace fs = std::filesystem;

struct Templates {
    std::string my_a, item_a, my_b, item_b;
};

const Templates& templates() {
    static const Templates t = [] {
        GameState gs = fuzz::game_tables();
        Templates t;
        auto bytes = [&](void (*w)(DatWriter&, const GameState&)) {
            DatWriter d("t");
            w(d, gs);
            return d.bytes();
        };
        t.my_a = bytes(write_save);
        t.item_a = bytes(write_item);
        gs.money += 1234;
        gs.chara[1].hp = 1;
        gs.item_table[300] = {"札", "説明", 111, 7};
        t.my_b = bytes(write_save);
        t.item_b = bytes(write_item);
        return t;
    }();
    return t;
}

// A folder with the master tables of the game.
const fs::path& folder() {
    static const fs::path dir = fuzz::scratch_game_dir(false);
    return dir;
}

std::string contents(fuzz::Input& in, bool item) {
    const Templates& t = templates();
    const std::string& a = item ? t.item_a : t.my_a;
    const std::string& b = item ? t.item_b : t.my_b;
    switch (in.below(6)) {
        case 0:
            return a;
        case 1:
            return b;
        case 2: {
            std::string s = in.flag() ? a : b;
            for (int k = in.below(4) + 1; k > 0; --k) s[in.int32() % s.size()] = char(in.byte());
            return s;
        }
        case 3:
            return (in.flag() ? a : b).substr(0, static_cast<std::uint32_t>(in.int32()) % a.size());
        case 4: {
            std::string s;
            for (int n = in.byte(); n > 0 && !in.empty(); --n) s += char(in.byte());
            return s;
        }
        default:
            return {};
    }
}

bool same_save(const GameState& x, const GameState& y) {
    return x.player_name == y.player_name && x.money == y.money && x.ark == y.ark &&
           x.stage_no == y.stage_no && x.clear_mark == y.clear_mark &&
           x.item_owned == y.item_owned && x.place_flags == y.place_flags &&
           x.skill_flags == y.skill_flags &&
           std::equal(x.chara.begin(), x.chara.begin() + kSavedCharas, y.chara.begin()) &&
           x.item_table == y.item_table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const fs::path dat = folder() / "dat";
    static const char* const kFiles[] = {"my.dat",          "item.dat",         "my.dat.bak",
                                         "item.dat.bak",    "my.dat.new",       "item.dat.new",
                                         "my.dat.bak.new",  "item.dat.bak.new", "save.commit",
                                         "save.commit.new", "my.dat.tmp",       "item.dat.restore"};
    for (const char* f : kFiles) {
        std::error_code ec;
        fs::remove(dat / f, ec);
        if (!in.flag()) continue;
        const std::string name = f;
        std::ofstream(dat / f, std::ios::binary)
            << contents(in, name.find("item") != std::string::npos);
    }

    auto gs = std::make_unique<GameState>();
    gs->game_dir = folder();
    try {
        load_game(*gs);
    } catch (const DataError&) {
        return 0;
    }
    for (const char* f : {"my.dat.new", "item.dat.new", "my.dat.bak.new", "item.dat.bak.new",
                          "save.commit", "save.commit.new"})
        if (fs::exists(dat / f)) std::abort();  // recovery left a staged file

    // What loaded saves and loads back unchanged.
    try {
        save_game(*gs);
    } catch (const DataError&) {
        return 0;  // a text CP932 cannot hold; nothing was written
    }
    auto again = std::make_unique<GameState>();
    again->game_dir = folder();
    if (!load_game(*again).empty() || !same_save(*gs, *again)) std::abort();
    return 0;
}

#include "name_words.h"

#include <algorithm>

#include "state/status_panel.h"

namespace lum::datc {

namespace {

// The enemy classes by what their turns can do (the decision table of the enemy routine).
const std::vector<int> kFists = {0, 1, 3, 8, 9, 12, 14, 15, 16, 17, 18};  // 突き 掌覇 陰剄 裏拳
const std::vector<int> kBlades = {2, 3, 9, 10, 11, 12, 15, 18};  // あずみ刀, 閻魔の杓
const std::vector<int> kArrows = {4, 13, 15, 19};             // 白い矢 ... ｲﾝﾄﾞﾗの矢
const std::vector<int> kGuns = {5, 13, 15};                   // トロッコ銃, 羊使いの銃
const std::vector<int> kSpells = {7, 8, 10, 12, 14, 15, 20};  // ネクロマンス, 哀古の技
const std::vector<int> kHeals = {6, 11, 15, 17, 20};          // 数珠

std::vector<int> either(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    a.erase(std::unique(a.begin(), a.end()), a.end());
    return a;
}

size_t char_length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

}  // namespace

const std::vector<NameWord>& name_words() {
    static const std::vector<NameWord> kWords = {
        {"魔獣", "nothing", {}},  // a beast, whatever it does
        {"魔物", "nothing", {}},
        {"射手", "a bow", kArrows},
        {"弓", "a bow", kArrows},
        {"矢", "a bow", kArrows},
        {"狙撃", "a shot from afar", either(kArrows, kGuns)},
        {"銃", "a gun", kGuns},
        {"砲", "a gun", kGuns},
        {"剣", "a blade", kBlades},
        {"刀", "a blade", kBlades},
        {"斬", "a blade", kBlades},
        {"術", "spells or healing", either(kSpells, kHeals)},
        {"魔", "spells", kSpells},
        {"癒", "healing", kHeals},
        {"僧", "healing", kHeals},
        {"神官", "healing", kHeals},
        {"巫女", "healing", kHeals},
        {"聖女", "healing", kHeals},
        {"拳", "fists", kFists},
        {"格闘", "fists", kFists},
        {"武道", "fists", kFists},
    };
    return kWords;
}

const NameWord* weapon_promise(const std::string& weapon) {
    static const std::vector<NameWord> kWeapons = {
        {"bow", "arrows", kArrows},
        {"gun", "a gun", kGuns},
        {"sword", "a blade", kBlades},
        {"dagger", "a blade", kBlades},
        {"greatsword", "a blade", kBlades},
        {"axe", "a blade", kBlades},
        {"scythe", "a blade", kBlades},
        {"claw", "blows or a blade", either(kFists, kBlades)},
        {"fists", "blows", kFists},
        {"lance", "thrusts or a blade", either(kFists, kBlades)},
        {"mace", "blows or healing", either(kFists, kHeals)},
        {"staff", "spells or healing", either(kSpells, kHeals)},
        {"orb", "spells or healing", either(kSpells, kHeals)},
        {"book", "spells or healing", either(kSpells, kHeals)},
    };
    for (const NameWord& w : kWeapons)
        if (w.word == weapon) return &w;
    return nullptr;
}

const NameWord* broken_promise(const std::string& name, int job,
                               const std::vector<NameWord>& words) {
    for (size_t at = 0; at < name.size();) {
        const NameWord* found = nullptr;
        for (const NameWord& w : words)
            if (name.compare(at, w.word.size(), w.word) == 0 &&
                (!found || w.word.size() > found->word.size()))
                found = &w;
        if (!found) {
            at += char_length(static_cast<unsigned char>(name[at]));
            continue;
        }
        const auto& keep = found->classes;
        if (!keep.empty() && std::find(keep.begin(), keep.end(), job) == keep.end()) return found;
        at += found->word.size();
    }
    return nullptr;
}

std::string broken_promise_reason(const std::string& name, int job, const NameWord& w) {
    std::string classes;
    for (int c : w.classes) classes += (classes.empty() ? "" : ", ") + std::to_string(c);
    return "\"" + name + "\" has " + w.word + " in its name, which promises " + w.promise +
           " (classes " + classes + "), but class " + std::to_string(job) + " (" +
           enemy_class_name(job) + ") does not fight that way";
}

}  // namespace lum::datc

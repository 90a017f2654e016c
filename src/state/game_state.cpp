#include "state/game_state.h"

namespace lum {

namespace {
int dummy_attr = 0;
}

int& TChara::attr(int k) {
    switch (k) {
        case 0:
            return body;
        case 1:
            return magic;
        case 2:
            return order;
        case 3:
            return calm;
        case 4:
            return mech;
        case 5:
            return justice;
        case 6:
            return dark;
        case 7:
            return beast;
        case 8:
            return past;
        case 9:
            return speed;
        default:
            dummy_attr = 0;
            return dummy_attr;
    }
}

int TChara::attr(int k) const {
    return const_cast<TChara*>(this)->attr(k);
}

byte Grid::at(int x, int y) const {
    if (x < kGridMin || x > kGridMax || y < kGridMin || y > kGridMax) return 0;
    return cells_[(x - kGridMin) * kSide + (y - kGridMin)];
}

void Grid::set(int x, int y, byte v) {
    if (x < kGridMin || x > kGridMax || y < kGridMin || y > kGridMax) return;
    cells_[(x - kGridMin) * kSide + (y - kGridMin)] = v;
}

namespace {
template <typename T, std::size_t N>
const T& bounded(const std::array<T, N>& a, int i) {
    static const T empty{};
    if (i < 0 || static_cast<std::size_t>(i) >= N) return empty;
    return a[static_cast<std::size_t>(i)];
}
}  // namespace

const TJob& GameState::job_at(int i) const {
    return bounded(job_table, i);
}
const std::string& GameState::aiko_name_at(int i) const {
    return bounded(aiko_names, i);
}
const std::string& GameState::oath_at(int i) const {
    return bounded(oath_table, i);
}
std::string GameState::oath_text(int i) const {
    const std::string& s = oath_at(i);
    return s.empty() ? std::string("不明") : s;
}
const TItem& GameState::item_at(int i) const {
    return bounded(item_table, i);
}
const TPlace& GameState::place_at(int i) const {
    return bounded(place_table, i);
}
const TSkill& GameState::skill_at(int family, int slot) const {
    static const TSkill empty{};
    if (family < 0 || family >= kSkillFamilies || slot < 0 || slot >= kSkillSlots) return empty;
    return skill_table[family][slot];
}

TChara& GameState::chara_at(int i) {
    static TChara dummy;
    if (i < 0 || i >= kCharaCount) {
        dummy = TChara{};
        return dummy;
    }
    return chara[i];
}

void restore_roster(GameState& gs) {
    for (int i = kFirstParty; i <= kLastReserve; ++i) {
        TChara& c = gs.chara[i];
        c.hp = c.max_hp;
        c.mp = c.max_mp;
        if (c.state != kStateEmpty) c.state = kStateNormal;
    }
}

}  // namespace lum

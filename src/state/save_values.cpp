#include "state/save_values.h"

#include <algorithm>

namespace lum {

namespace {

class Repair {
  public:
    Repair(std::vector<std::string>& warnings, const std::string& file)
        : warnings_(warnings), file_(file) {}

    template <typename T>
    void range(T& v, int lo, int hi, const std::string& field) {
        const int old = v;
        const int fixed = std::clamp(old, lo, hi);
        if (fixed == old) return;
        v = static_cast<T>(fixed);
        warnings_.push_back(file_ + ": " + field + " " + std::to_string(old) + " is outside " +
                            std::to_string(lo) + ".." + std::to_string(hi) + "; " +
                            std::to_string(fixed) + " is used");
    }

  private:
    std::vector<std::string>& warnings_;
    const std::string& file_;
};

const char* const kAttrNames[kAttrCount] = {"body",    "magic", "order", "calm", "mech",
                                            "justice", "dark",  "beast", "past", "speed"};

}  // namespace

std::vector<std::string> repair_save_values(GameState& gs, const std::string& file) {
    std::vector<std::string> warnings;
    Repair r(warnings, file);
    r.range(gs.stage_no, 0, kEndingStage, "stage_no");
    for (int i = 0; i < kCharaCount; ++i) {
        TChara& c = gs.chara[i];
        const std::string at = "chara[" + std::to_string(i) + "].";
        r.range(c.state, kStateEmpty, kLastState, at + "state");
        r.range(c.job, 0, kJobCount - 1, at + "job");
        // Off the board is a place too (the reserve stands at 9, 9): the grid's margin.
        r.range(c.x, 0, kGridMax, at + "x");
        r.range(c.y, 0, kGridMax, at + "y");
        r.range(c.level, 0, kMaxLevel, at + "level");
        r.range(c.max_hp, 0, kMaxPoints, at + "max_hp");
        r.range(c.max_mp, 0, kMaxPoints, at + "max_mp");
        r.range(c.hp, 0, c.max_hp, at + "hp");
        r.range(c.mp, 0, c.max_mp, at + "mp");
        for (int k = 0; k < kAttrCount; ++k)
            r.range(c.attr(k), 0, kMaxAttribute, at + kAttrNames[k]);
        r.range(c.lifespan, -kMaxLifespan, kMaxLifespan, at + "lifespan");
        r.range(c.sex, 0, kMaxSex, at + "sex");
        r.range(c.exp, 0, kMaxExp, at + "exp");
        r.range(c.aiko_power, 0, kMaxPoints, at + "aiko_power");
        r.range(c.oath, 0, kOathCount - 1, at + "oath");
        r.range(c.oath_count, 0, kMaxOathCount, at + "oath_count");
    }
    return warnings;
}

}  // namespace lum

#include "recipes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace lum::assets {

void Recipe::fail(const std::string& why) const {
    throw RecipeError(file + ":" + std::to_string(line) + ": " + why);
}

std::string Recipe::str(const std::string& key, const std::string& fallback) const {
    auto it = values.find(key);
    return it == values.end() ? fallback : it->second;
}

std::string Recipe::word(const std::string& key, const std::vector<std::string>& allowed,
                         const std::string& fallback) const {
    std::string v = str(key, fallback);
    if (std::find(allowed.begin(), allowed.end(), v) != allowed.end()) return v;
    std::string list;
    for (auto& a : allowed) list += (list.empty() ? "" : ", ") + a;
    fail(key + "=" + v + " is not one of: " + list);
}

int Recipe::integer(const std::string& key, int lo, int hi, int fallback) const {
    auto it = values.find(key);
    if (it == values.end()) return fallback;
    const std::string& s = it->second;
    size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
    if (i == s.size() || s.size() > 9 ||
        !std::all_of(s.begin() + static_cast<long>(i), s.end(),
                     [](unsigned char ch) { return std::isdigit(ch) != 0; }))
        fail(key + "=" + s + " is not a whole number");
    int v = std::stoi(s);
    if (v < lo || v > hi)
        fail(key + "=" + s + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

art::Rgb Recipe::colour(const std::string& key, art::Rgb fallback) const {
    auto it = values.find(key);
    if (it == values.end()) return fallback;
    const std::string& s = it->second;
    if (s.size() != 6 ||
        !std::all_of(s.begin(), s.end(), [](unsigned char ch) { return std::isxdigit(ch) != 0; }))
        fail(key + "=" + s + " is not a colour (six hex digits, like 3a5fcd)");
    return art::rgb(static_cast<uint32_t>(std::stoul(s, nullptr, 16)));
}

void Recipe::only(const std::vector<std::string>& keys) const {
    for (auto& k : order)
        if (std::find(keys.begin(), keys.end(), k) == keys.end())
            fail("unknown key '" + k + "' for " + kind);
}

std::vector<Recipe> parse_recipes(const std::string& text, const std::string& file) {
    std::vector<Recipe> out;
    std::istringstream in(text);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        size_t hash = line.find('#');
        if (hash != std::string::npos) line = line.substr(0, hash);
        std::istringstream words(line);
        std::string w;
        Recipe r;
        r.file = file;
        r.line = n;
        while (words >> w) {
            if (r.kind.empty()) {
                r.kind = w;
            } else if (r.name.empty() && w.find('=') == std::string::npos) {
                r.name = w;
            } else {
                size_t eq = w.find('=');
                if (eq == std::string::npos || eq == 0 || eq + 1 == w.size())
                    r.fail("'" + w + "' is not key=value");
                std::string k = w.substr(0, eq);
                if (r.values.count(k)) r.fail("key '" + k + "' is given twice");
                r.values[k] = w.substr(eq + 1);
                r.order.push_back(k);
            }
        }
        if (r.kind.empty()) continue;
        if (r.name.empty()) r.fail("'" + r.kind + "' has no name");
        out.push_back(std::move(r));
    }
    return out;
}

std::string read_text_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw RecipeError(path + ": cannot be read");
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<Recipe> load_recipes(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    return parse_recipes(read_text_file(path), name);
}

}  // namespace lum::assets

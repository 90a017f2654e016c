#include "sound/mixer/mixer_settings.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace lum::mix {

namespace {

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string make_key(std::string_view section, std::string_view key) {
    return fold(trim(section)) + '\n' + fold(trim(key));
}

// Leading sign and digits, as the profile reader takes them; clamped to int.
bool leading_int(std::string_view v, int& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    long long value = 0;
    std::size_t digits = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
        if (value <= INT_MAX) value = value * 10 + (v[i] - '0');
        ++i;
        ++digits;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    out = static_cast<int>(value);
    return digits > 0;
}

}  // namespace

ProfileFile ProfileFile::parse(std::string_view text, const std::string& file_name) {
    ProfileFile p;
    p.file_name_ = file_name;
    std::string section;
    bool in_section = false;
    int line_no = 0;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view raw = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++line_no;
        std::string_view line = trim(raw);
        if (line.empty() || line.front() == ';') continue;
        auto warn = [&](const std::string& why) {
            p.warnings_.push_back(file_name + ":" + std::to_string(line_no) + ": " + why);
        };
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            if (close == std::string_view::npos) {
                warn("section heading without ']'");
                in_section = false;
                continue;
            }
            section = std::string(trim(line.substr(1, close - 1)));
            in_section = true;
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            warn("expected key=value");
            continue;
        }
        if (!in_section) {
            warn("key outside any [section]");
            continue;
        }
        std::string_view key = trim(line.substr(0, eq));
        if (key.empty()) {
            warn("empty key");
            continue;
        }
        std::string_view value = trim(line.substr(eq + 1));
        int dummy = 0;
        if (!leading_int(value, dummy)) {
            warn("value of " + std::string(key) + " is not a number; read as 0");
        }
        p.values_.emplace(make_key(section, key), std::string(value));
    }
    return p;
}

std::optional<ProfileFile> ProfileFile::load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream buf;
    buf << in.rdbuf();
    return parse(buf.str(), path.string());
}

bool ProfileFile::has(std::string_view section, std::string_view key) const {
    return values_.count(make_key(section, key)) != 0;
}

int ProfileFile::get_int(std::string_view section, std::string_view key, int fallback) const {
    auto it = values_.find(make_key(section, key));
    if (it == values_.end()) return fallback;
    int v = 0;
    leading_int(it->second, v);
    return v;
}

std::filesystem::path find_mixer_ini(const std::filesystem::path& game_dir, bool user_first) {
    std::filesystem::path beside, user;
    if (!game_dir.empty()) beside = game_dir / kMixerIniName;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        user = std::filesystem::path(xdg) / "luminaria" / kMixerIniName;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        user = std::filesystem::path(home) / ".config" / "luminaria" / kMixerIniName;
    }
    if (user_first) std::swap(beside, user);
    std::error_code ec;
    for (const auto& p : {beside, user})
        if (!p.empty() && std::filesystem::is_regular_file(p, ec)) return p;
    return {};
}

ProfileFile load_mixer_settings(const std::filesystem::path& game_dir, bool user_first) {
    auto path = find_mixer_ini(game_dir, user_first);
    if (path.empty()) return {};
    auto p = ProfileFile::load(path);
    return p ? *p : ProfileFile{};
}

}  // namespace lum::mix

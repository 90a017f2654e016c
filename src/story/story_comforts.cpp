#include "story/story_comforts.h"

#include <algorithm>
#include <sstream>

#include "state/cp932.h"
#include "state/dat_text.h"

namespace lum {

namespace {

constexpr const char* kHeader = "luminaria read lines 1";
constexpr const char* kOpenQuote = "「";
constexpr int kLongestName = 12;  // characters; a longer prefix is narration, not a name

bool script_name(const std::string& s) {
    const std::string digits = s.rfind("story", 0) == 0    ? s.substr(5)
                               : s.rfind("people", 0) == 0 ? s.substr(6)
                                                           : std::string();
    return !digits.empty() && digits.size() <= 3 &&
           digits.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

void Backlog::add_text(const std::string& text) {
    const size_t q = text.find(kOpenQuote);
    const std::string name = q == std::string::npos ? std::string() : text.substr(0, q);
    if (!name.empty() && cp932_length(name) <= 2 * kLongestName &&
        name.find("。") == std::string::npos && name.find(' ') == std::string::npos)
        lines_.push_back({name, text.substr(q)});
    else
        lines_.push_back({{}, text});
    if (lines_.size() > kMaxLines) lines_.pop_front();
}

void Backlog::add_plain(const std::string& text) {
    lines_.push_back({{}, text});
    if (lines_.size() > kMaxLines) lines_.pop_front();
}

int auto_pause_ms(int characters, int auto_speed) {
    const int speed = std::clamp(auto_speed, 1, kAutoSpeeds);
    return 1000 + std::max(characters, 0) * 20 * speed;
}

bool ReadRecord::seen(const std::string& script, int entry) const {
    auto it = read_.find(script);
    return it != read_.end() && entry >= 0 && entry < kScriptLines && it->second[entry];
}

void ReadRecord::mark(const std::string& script, int entry) {
    if (entry < 0 || entry >= kScriptLines || seen(script, entry)) return;
    read_[script][entry] = true;
    changed_ = true;
}

ReadRecord ReadRecord::load(const std::filesystem::path& file, std::string& notice) {
    notice.clear();
    ReadRecord r;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return r;
    std::string bytes;
    std::string fault;
    try {
        bytes = read_file_bytes(file);
    } catch (const DataError& e) {
        fault = e.reason();
    }
    std::istringstream in(bytes);
    std::string line;
    int n = 0;
    while (fault.empty() && std::getline(in, line)) {
        ++n;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (n == 1) {
            if (line != kHeader) fault = "line 1: not a record of read lines";
            continue;
        }
        if (line.empty()) continue;
        const size_t blank = line.find(' ');
        const std::string name = line.substr(0, blank);
        const std::string bits = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (!script_name(name) || bits.size() != size_t(kScriptLines) ||
            bits.find_first_not_of("01") != std::string::npos || r.read_.count(name)) {
            fault = "line " + std::to_string(n) + ": not \"story<N>\" or \"people<N>\" and " +
                    std::to_string(kScriptLines) + " marks of 0 or 1";
            continue;
        }
        for (int i = 0; i < kScriptLines; ++i) r.read_[name][i] = bits[i] == '1';
    }
    if (fault.empty() && n == 0) fault = "the file is empty";
    if (fault.empty()) return r;

    std::filesystem::path aside = file;
    aside += ".bad";
    std::filesystem::rename(file, aside, ec);
    notice = "既読の記録（" + file.string() + "）が壊れていたため、" +
             (ec ? std::string("新しく作り直します。")
                 : "「" + aside.filename().string() + "」として残し、新しく作り直します。") +
             "\r(" + fault + ")";
    return {};
}

void ReadRecord::save(const std::filesystem::path& file) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [name, bits] : read_) {
        text += name + " ";
        for (int i = 0; i < kScriptLines; ++i) text += bits[i] ? '1' : '0';
        text += "\n";
    }
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    write_file_atomic(file, text);
    changed_ = false;
}

}  // namespace lum

#include <array>
#include <vector>

#include "forms.h"
#include "script_commands.h"
#include "source_text.h"
#include "state/cp932.h"
#include "state/data_files.h"

namespace lum::datc {

namespace {

// The story text box: 17 two-byte characters a row, six rows.
constexpr int kTextColumns = 17;
constexpr int kTextRows = 6;
constexpr int kTextMax = kTextColumns * kTextRows;

// A gap of at least this many empty entries is written as "at N" when decompiling.
constexpr int kGapForAt = 4;

// Marks that close a phrase. The text box breaks every 17 characters whatever the words, so
// such a mark at the head of a row stands alone, cut off from what it closes.
bool is_closing_mark(const std::string& c) {
    static const char* const marks[] = {"」", "』", "）", "】", "、", "。", "！", "？"};
    for (const char* m : marks)
        if (c == m) return true;
    return false;
}

std::string in_quotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

// Commands the talk player does not run: it would stop on them for good.
bool story_player_only(int code) {
    return code == 3 || code == 6 || code == 23 || code == 24 || code == 25;
}

class ScriptCompiler {
  public:
    ScriptCompiler(const std::string& name, bool people) : name_(name), people_(people) {}

    ParsedScript run(std::string_view source) {
        if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
        int line_no = 0;
        size_t start = 0;
        while (start <= source.size()) {
            size_t end = source.find('\n', start);
            if (end == std::string_view::npos) end = source.size();
            std::string_view line = source.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++line_no;
            handle_line(line, line_no);
            if (end == source.size()) break;
            start = end + 1;
        }
        check_ending();
        return std::move(parsed_);
    }

  private:
    [[noreturn]] void fail(int line, const std::string& reason) const {
        throw DataError(name_, line, reason);
    }

    void handle_line(std::string_view line, int n) {
        std::string_view t = trim_blanks(line);
        if (t.empty() || t.front() == '#') return;
        if (is_blank(line.front())) {
            enemy_field(t, n);
            return;
        }
        enemy_ = -1;  // a command line closes an enemy block
        size_t sp = 0;
        while (sp < t.size() && !is_blank(t[sp])) ++sp;
        std::string word(t.substr(0, sp));
        std::string_view rest = t.substr(sp);

        if (word == "enemy") {
            std::string arg = unquote_arg(rest);
            auto k = parse_number(arg);
            if (!k || *k < 1 || *k > kStageEnemies)
                fail(n, "enemy needs a number 1..5, not " + in_quotes(arg));
            if (enemy_seen_[*k - 1]) fail(n, "enemy " + std::to_string(*k) + " is given twice");
            enemy_seen_[*k - 1] = true;
            enemy_ = *k - 1;
            parsed_.enemy_lines[enemy_].block = n;
            fields_seen_.clear();
            return;
        }
        if (word == "at") {
            std::string arg = unquote_arg(rest);
            auto k = parse_number(arg);
            if (!k || *k < 0 || *k >= kScriptLines)
                fail(n, "at needs an entry number 0..99, not " + in_quotes(arg));
            if (*k < pos_)
                fail(n, "at " + std::to_string(*k) + " goes back: entries up to " +
                            std::to_string(pos_ - 1) + " are already written");
            pos_ = *k;
            return;
        }
        if (word == "code") {
            std::string_view r = trim_blanks(rest);
            size_t e = 0;
            while (e < r.size() && !is_blank(r[e])) ++e;
            std::string num(r.substr(0, e));
            auto code = parse_number(num);
            if (!code || *code < 0 || *code > 255)
                fail(n, "code needs a number 0..255, not " + in_quotes(num));
            add_entry(*code, unquote_arg(r.substr(e)), n);
            return;
        }
        const CommandInfo* cmd = command_by_name(word);
        if (!cmd) fail(n, "unknown command " + in_quotes(word));
        add_entry(cmd->code, unquote_arg(rest), n);
    }

    void add_entry(int code, std::string arg, int n) {
        if (pos_ >= kScriptLines)
            fail(n, "more than 100 script entries (the script holds entries 0..99)");
        check_line_text(arg, name_, n);
        if (const CommandInfo* cmd = command_by_code(code)) {
            if (people_ && story_player_only(code))
                fail(n, std::string(cmd->name) +
                            " works only in stage scripts (a conversation would stop on it)");
            check_arg(*cmd, arg, n);
        }
        parsed_.script[pos_].code = static_cast<byte>(code);
        parsed_.script[pos_].arg = std::move(arg);
        parsed_.lines[pos_] = n;
        ++pos_;
    }

    void check_arg(const CommandInfo& cmd, const std::string& arg, int n) {
        const std::string name = cmd.name;
        switch (cmd.arg) {
            case ArgKind::Text:
                check_text(arg, n);
                if (cmd.code == 0) warn_row_heads(arg, n);
                break;
            case ArgKind::Picture:
                if (arg.empty()) fail(n, name + " needs a picture file name");
                break;
            case ArgKind::Music:
                if (arg.empty()) fail(n, "music needs a piece name (or not to stop the music)");
                break;
            case ArgKind::Name:
                if (arg.empty()) fail(n, name + " needs the new member's name");
                break;
            case ArgKind::Number:
                check_number(cmd, arg, n);
                break;
            case ArgKind::None:
            case ArgKind::Title:
            case ArgKind::Credits:
                break;
        }
    }

    void check_text(const std::string& arg, int n) const {
        int count = 0;
        for (const Cp932Char& c : cp932_chars(arg)) {
            if (c.width == 1)
                fail(n, "text holds the one-byte character " + in_quotes(c.utf8) +
                            "; the story text box takes only two-byte characters");
            ++count;
        }
        if (count > kTextMax)
            fail(n, "text is " + std::to_string(count) +
                        " characters long; the text box holds 6 rows of 17 (102 characters)");
    }

    void warn_row_heads(const std::string& arg, int n) {
        const std::vector<Cp932Char> chars = cp932_chars(arg);
        for (size_t k = kTextColumns; k < chars.size(); k += kTextColumns)
            if (is_closing_mark(chars[k].utf8))
                parsed_.warnings.push_back(
                    name_ + ":" + std::to_string(n) + ": warning: text row " +
                    std::to_string(k / kTextColumns + 1) + " begins with " +
                    in_quotes(chars[k].utf8) +
                    " (the text box breaks every 17 characters); reword the line");
    }

    void check_number(const CommandInfo& cmd, const std::string& arg, int n) const {
        const std::string name = cmd.name;
        auto v = parse_number(arg);
        if (!v)
            fail(n, arg.empty() ? name + " needs a number"
                                : name + " needs a number, not " + in_quotes(arg));
        auto range = [&](int lo, int hi, const char* what) {
            if (*v < lo || *v > hi)
                fail(n, name + " needs " + what + " " + std::to_string(lo) + ".." +
                            std::to_string(hi) + ", not " + std::to_string(*v));
        };
        switch (cmd.code) {
            case 10:
            case 11:
                range(0, kPlaceCount - 1, "a place number");
                break;
            case 12:
                range(0, kItemCount - 1, "an item number");
                break;
            case 18:
                range(1, kCharaCount - 1, "a character number");
                break;
            case 16:
                if (*v != 1 && (*v < 6 || *v > 50))
                    fail(n,
                         "learn " + std::to_string(*v) +
                             " teaches nothing (1 teaches families 2..5, 6..50 one family each)");
                break;
            default:
                break;  // money and Ark may be given or taken in any amount
        }
    }

    void enemy_field(std::string_view t, int n) {
        if (enemy_ < 0) fail(n, "an indented line belongs to an enemy block (enemy 1..5)");
        size_t sp = 0;
        while (sp < t.size() && !is_blank(t[sp])) ++sp;
        std::string key(t.substr(0, sp));
        std::string value = unquote_arg(t.substr(sp));
        for (const std::string& seen : fields_seen_)
            if (seen == key)
                fail(n, key + " is given twice for enemy " + std::to_string(enemy_ + 1));
        TEnemyEntry& e = parsed_.enemies[enemy_];
        ParsedScript::EnemyLines& at = parsed_.enemy_lines[enemy_];
        if (key == "name") at.name = n;
        if (key == "sprite") at.sprite = n;
        if (key == "portrait") at.portrait = n;
        if (key == "job") at.job = n;
        auto small = [&](int hi, const char* what) -> byte {
            auto v = parse_number(value);
            if (!v || *v < 0 || *v > hi)
                fail(n, key + " needs " + what + " 0.." + std::to_string(hi) + ", not " +
                            in_quotes(value));
            return static_cast<byte>(*v);
        };
        if (key == "name" || key == "profile" || key == "sprite" || key == "portrait" ||
            key == "speech") {
            check_line_text(value, name_, n);
            std::string& f = key == "name"       ? e.name
                             : key == "profile"  ? e.profile
                             : key == "sprite"   ? e.sprite_file
                             : key == "portrait" ? e.portrait_file
                                                 : e.speech;
            f = value;
        } else if (key == "sex") {
            e.sex = small(3, "a sex number");
        } else if (key == "job") {
            e.job = small(kJobCount - 1, "a class number");
        } else if (key == "state") {
            e.state = small(4, "a state number");
        } else {
            fail(n, "unknown enemy field " + in_quotes(key) +
                        " (name, profile, sprite, portrait, sex, job, state, speech)");
        }
        fields_seen_.push_back(key);
    }

    void check_ending() const {
        int last = -1;
        for (int i = 0; i < kScriptLines; ++i)
            if (!(parsed_.script[i] == TScriptLine{})) last = i;
        const int line = last >= 0 ? parsed_.lines[last] : 0;
        if (people_) {
            if (last < 0 || parsed_.script[last].code != kEndConversation)
                fail(line, "a conversation must end with back_to_travel");
        } else if (last < 0 || !ends_stage(parsed_.script[last].code)) {
            fail(
                line,
                "a stage script must end with next_stage, quit, back_to_travel or next_stage_here");
        }
    }

    std::string name_;
    bool people_;
    ParsedScript parsed_;
    std::array<bool, kStageEnemies> enemy_seen_{};
    std::vector<std::string> fields_seen_;
    int enemy_ = -1;
    int pos_ = 0;
};

void emit_field(std::string& out, const char* key, const std::string& value) {
    std::string k = key;
    k.resize(10, ' ');
    out += "  " + k + quote_arg(value) + "\n";
}

}  // namespace

ParsedScript parse_script(std::string_view source, const std::string& name, bool people) {
    return ScriptCompiler(name, people).run(source);
}

std::string compile_script(std::string_view source, const std::string& name, bool people,
                           std::vector<std::string>* warnings) {
    const ParsedScript p = parse_script(source, name, people);
    if (warnings) warnings->insert(warnings->end(), p.warnings.begin(), p.warnings.end());
    DatWriter w(name);
    write_enemies_and_script(w, p.enemies, p.script);
    return w.bytes();
}

std::string decompile_script(std::string_view dat, const std::string& name, bool /*people*/) {
    std::array<TEnemyEntry, kStageEnemies> enemies{};
    std::array<TScriptLine, kScriptLines> script{};
    DatReader r{std::string(dat), name};
    read_enemies_and_script(r, enemies, script);

    std::string out;
    for (int k = 0; k < kStageEnemies; ++k) {
        const TEnemyEntry& e = enemies[k];
        if (e == TEnemyEntry{}) continue;
        out += "enemy " + std::to_string(k + 1) + "\n";
        if (!e.name.empty()) emit_field(out, "name", e.name);
        if (!e.profile.empty()) emit_field(out, "profile", e.profile);
        if (!e.sprite_file.empty()) emit_field(out, "sprite", e.sprite_file);
        if (!e.portrait_file.empty()) emit_field(out, "portrait", e.portrait_file);
        emit_field(out, "sex", std::to_string(e.sex));
        emit_field(out, "job", std::to_string(e.job));
        emit_field(out, "state", std::to_string(e.state));
        if (!e.speech.empty()) emit_field(out, "speech", e.speech);
        out += "\n";
    }

    int last = -1;
    for (int i = 0; i < kScriptLines; ++i)
        if (!(script[i] == TScriptLine{})) last = i;
    for (int i = 0; i <= last; ++i) {
        int j = i;
        while (j <= last && script[j] == TScriptLine{}) ++j;
        if (j - i >= kGapForAt) {
            out += "at " + std::to_string(j) + "\n";
            i = j - 1;
            continue;
        }
        const TScriptLine& l = script[i];
        const CommandInfo* cmd = command_by_code(l.code);
        std::string line = cmd ? std::string(cmd->name) : "code " + std::to_string(l.code);
        if (!l.arg.empty()) line += " " + quote_arg(l.arg);
        out += line + "\n";
    }
    return out;
}

}  // namespace lum::datc

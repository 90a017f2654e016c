#include "source_text.h"

#include <charconv>
#include <climits>
#include <cstdio>

#include "state/cp932.h"
#include "state/dat_text.h"

namespace lum::datc {

void check_line_text(std::string_view text, const std::string& file, int line) {
    if (utf8_to_cp932(text)) {
        if (text.find_first_of("\r\n") != std::string_view::npos)
            throw DataError(file, line, "a line break cannot be stored in a data line");
        return;
    }
    // Name the first character that fails, so the author can find it.
    for (const Cp932Char& c : cp932_chars(text)) {
        if (!utf8_to_cp932(c.utf8))
            throw DataError(file, line,
                            "\"" + c.utf8 + "\" cannot be written in Shift-JIS (CP932)");
    }
    throw DataError(file, line, "the text is not valid UTF-8");
}

std::optional<int> parse_number(std::string_view s) {
    if (s.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i == s.size()) return std::nullopt;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return std::nullopt;
    return static_cast<int>(v);
}

std::string toml_string(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04X", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string unquote_arg(std::string_view rest) {
    std::string_view t = trim_blanks(rest);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        return std::string(t.substr(1, t.size() - 2));
    return std::string(t);
}

std::string quote_arg(std::string_view arg) {
    bool needs =
        !arg.empty() && (is_blank(arg.front()) || is_blank(arg.back()) || arg.front() == '"');
    if (needs) return "\"" + std::string(arg) + "\"";
    return std::string(arg);
}

}  // namespace lum::datc

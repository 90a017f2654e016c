#pragma once

// Small pieces shared by the table and script forms: checks that a text can live in a CP932
// data line, strict decimal numbers, and the quoting rules of the two source languages.

#include <optional>
#include <string>
#include <string_view>

namespace lum::datc {

// Throws DataError(file, line, ...) when `text` cannot be one line of a CP932 data file:
// a character Shift-JIS cannot hold, or a line break.
void check_line_text(std::string_view text, const std::string& file, int line);

// A whole decimal number with an optional sign that fits 32 bits; nullopt otherwise.
std::optional<int> parse_number(std::string_view s);

// A TOML basic string literal, escaped where TOML needs it.
std::string toml_string(std::string_view s);

// Script arguments are the rest of the line with surrounding blanks dropped; an argument
// wrapped in double quotes is taken verbatim between them, which keeps blanks at its ends.
std::string unquote_arg(std::string_view rest);
// The form of `arg` that unquote_arg gives back unchanged.
std::string quote_arg(std::string_view arg);

// Blanks of the source languages: ASCII space and tab only (the full-width space is text).
inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
std::string_view trim_blanks(std::string_view s);

}  // namespace lum::datc

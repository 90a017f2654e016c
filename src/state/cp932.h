#pragma once

// The boundary between the program's UTF-8 strings and the CP932 (Shift-JIS) bytes of the
// game's files. Rules that count bytes or two-byte characters measure the CP932 form here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

// nullopt when the bytes are not valid CP932.
std::optional<std::string> cp932_to_utf8(std::string_view cp932);
// nullopt when the text holds a character CP932 cannot encode (or is not valid UTF-8).
std::optional<std::string> utf8_to_cp932(std::string_view utf8);

// Length of the CP932 form in bytes; characters CP932 cannot hold count as 2.
int cp932_length(std::string_view utf8);

// True when the byte starts a two-byte CP932 character.
inline bool cp932_lead_byte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The text split into characters as CP932 sees them: each element is one character in UTF-8
// with its CP932 width (1 or 2 bytes).
struct Cp932Char {
    std::string utf8;
    int width = 1;
};
std::vector<Cp932Char> cp932_chars(std::string_view utf8);

// The first n bytes of the CP932 form, never splitting a two-byte character (a character that
// would straddle byte n is left out), returned in UTF-8.
std::string cp932_prefix(std::string_view utf8, int n);
// What follows cp932_prefix(utf8, n).
std::string cp932_suffix(std::string_view utf8, int n);

}  // namespace lum

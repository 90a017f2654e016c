#include "state/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace lum {

namespace {

// iconv descriptors are costly to open; keep one per direction (the game is single-threaded,
// the lock only guards tools and tests that are not).
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    std::optional<std::string> run(std::string_view in) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(in.size() * 3 + 16);
        char* src = const_cast<char*>(in.data());
        size_t src_left = in.size();
        char* dst = out.data();
        size_t dst_left = out.size();
        while (src_left > 0) {
            size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) {
                    size_t used = out.size() - dst_left;
                    out.resize(out.size() * 2);
                    dst = out.data() + used;
                    dst_left = out.size() - used;
                    continue;
                }
                return std::nullopt;  // EILSEQ or EINVAL: not convertible
            }
        }
        out.resize(out.size() - dst_left);
        return out;
    }

  private:
    iconv_t cd_;
    std::mutex mutex_;
};

Converter& to_utf8() {
    static Converter c("UTF-8", "CP932");
    return c;
}
Converter& from_utf8() {
    static Converter c("CP932", "UTF-8");
    return c;
}

// Length in bytes of the UTF-8 sequence starting with b (1 for a stray byte).
int utf8_seq_len(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

std::optional<std::string> cp932_to_utf8(std::string_view cp932) {
    bool ascii = true;
    for (unsigned char c : cp932) ascii = ascii && c < 0x80;
    if (ascii) return std::string(cp932);
    return to_utf8().run(cp932);
}

std::optional<std::string> utf8_to_cp932(std::string_view utf8) {
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 0x80;
    if (ascii) return std::string(utf8);
    return from_utf8().run(utf8);
}

std::vector<Cp932Char> cp932_chars(std::string_view utf8) {
    std::vector<Cp932Char> out;
    size_t i = 0;
    while (i < utf8.size()) {
        int n = utf8_seq_len(static_cast<unsigned char>(utf8[i]));
        if (i + n > utf8.size()) n = static_cast<int>(utf8.size() - i);
        std::string ch(utf8.substr(i, n));
        int width = 1;
        if (n == 3) {
            // Half-width katakana U+FF61..U+FF9F are the only one-byte non-ASCII characters.
            unsigned cp = ((ch[0] & 0x0F) << 12) | ((ch[1] & 0x3F) << 6) | (ch[2] & 0x3F);
            width = (cp >= 0xFF61 && cp <= 0xFF9F) ? 1 : 2;
        } else if (n > 1) {
            width = 2;
        }
        out.push_back({std::move(ch), width});
        i += n;
    }
    return out;
}

int cp932_length(std::string_view utf8) {
    int len = 0;
    for (const auto& c : cp932_chars(utf8)) len += c.width;
    return len;
}

std::string cp932_prefix(std::string_view utf8, int n) {
    std::string out;
    int used = 0;
    for (const auto& c : cp932_chars(utf8)) {
        if (used + c.width > n) break;
        used += c.width;
        out += c.utf8;
    }
    return out;
}

std::string cp932_suffix(std::string_view utf8, int n) {
    std::string prefix = cp932_prefix(utf8, n);
    return std::string(utf8.substr(prefix.size()));
}

}  // namespace lum

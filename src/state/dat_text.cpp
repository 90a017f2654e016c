#include "state/dat_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>

#include "state/cp932.h"

namespace lum {

namespace {

std::string describe(const std::string& file, int line, const std::string& reason) {
    if (line > 0) return file + ": line " + std::to_string(line) + ": " + reason;
    return file + ": " + reason;
}

bool is_blank_or_break(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A number token runs up to the next blank or control character, at most 32 characters.
constexpr size_t kMaxToken = 32;
bool ends_token(unsigned char c) {
    return c == ' ' || c < 0x20 || c == 0x7F;
}

}  // namespace

DataError::DataError(std::string file, int line, std::string reason)
    : std::runtime_error(describe(file, line, reason)),
      file_(std::move(file)),
      line_(line),
      reason_(std::move(reason)) {}

DatReader::DatReader(std::string bytes, std::string name)
    : bytes_(std::move(bytes)), name_(std::move(name)) {}

DatReader DatReader::open(const std::filesystem::path& path) {
    return DatReader(read_file_bytes(path), path.string());
}

void DatReader::fail(int line, const std::string& reason) const {
    throw DataError(name_, line, reason);
}

// A line ends with LF, CR LF or a lone CR.
void DatReader::skip_line_end() {
    while (pos_ < bytes_.size()) {
        char c = bytes_[pos_++];
        if (c == '\n') break;
        if (c == '\r') {
            if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
            break;
        }
    }
    ++line_;
}

void DatReader::count_past_end() {
    if (values_past_end_++ == 0) first_line_past_end_ = line_;
}

std::string DatReader::read_string() {
    if (at_end()) {
        count_past_end();
        return {};
    }
    size_t start = pos_;
    size_t end = start;
    while (end < bytes_.size() && bytes_[end] != '\n' && bytes_[end] != '\r') ++end;
    int line = line_;
    std::string raw = bytes_.substr(start, end - start);
    pos_ = end;
    skip_line_end();
    auto text = cp932_to_utf8(raw);
    if (!text) fail(line, "not valid Shift-JIS (CP932) text");
    return *text;
}

int DatReader::read_int() {
    while (pos_ < bytes_.size() && is_blank_or_break(static_cast<unsigned char>(bytes_[pos_]))) {
        unsigned char c = static_cast<unsigned char>(bytes_[pos_]);
        ++pos_;
        if (c == '\n') {
            ++line_;
        } else if (c == '\r') {
            if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
            ++line_;
        }
    }
    if (at_end()) {
        count_past_end();
        return 0;
    }

    int line = line_;
    std::string token;
    while (pos_ < bytes_.size() && !ends_token(static_cast<unsigned char>(bytes_[pos_])))
        token += bytes_[pos_++];
    // Whatever follows the number on its line is ignored.
    while (pos_ < bytes_.size() && bytes_[pos_] != '\n' && bytes_[pos_] != '\r') ++pos_;
    skip_line_end();

    const size_t digits = token.size() > 0 && (token[0] == '+' || token[0] == '-') ? 1 : 0;
    if (token.empty()) fail(line, "a number was expected");
    if (digits == token.size() ||
        token.find_first_not_of("0123456789", digits) != std::string::npos) {
        fail(line, "\"" + cp932_to_utf8(token).value_or("?") + "\" is not a number");
    }
    // Only 32 characters make the token; a longer one would be read as a different number.
    if (token.size() > kMaxToken) fail(line, "a number longer than 32 characters");
    long long v = 0;
    for (size_t i = digits; i < token.size(); ++i) {
        v = v * 10 + (token[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) fail(line, "number out of range");
    }
    if (token[0] == '-') v = -v;
    if (v > INT_MAX || v < INT_MIN) fail(line, "number out of range");
    return static_cast<int>(v);
}

std::uint8_t DatReader::read_byte() {
    const int v = read_int();
    // read_int has moved past the line the number stood on.
    if (v < 0 || v > 255) fail(line_ - 1, std::to_string(v) + " does not fit in a byte (0..255)");
    return static_cast<std::uint8_t>(v);
}

void DatWriter::write_string(std::string_view utf8) {
    std::string clean(utf8);
    for (char& c : clean)
        if (c == '\r' || c == '\n') c = ' ';
    auto bytes = utf8_to_cp932(clean);
    if (!bytes)
        throw DataError(name_, lines_ + 1,
                        "\"" + clean + "\" holds a character Shift-JIS (CP932) cannot store");
    out_ += *bytes;
    out_ += "\r\n";
    ++lines_;
}

void DatWriter::write_int(int v) {
    out_ += std::to_string(v);
    out_ += "\r\n";
    ++lines_;
}

std::string read_file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataError(path.string(), 0, "cannot open the file");
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) throw DataError(path.string(), 0, "cannot read the file");
    return ss.str();
}

namespace {
WriteFault& write_fault() {
    static WriteFault fault;
    return fault;
}
}  // namespace

WriteFault set_write_fault(WriteFault fault) {
    std::swap(fault, write_fault());
    return fault;
}

int injected_write_fault(WriteStep step, const std::filesystem::path& file) {
    return write_fault() ? write_fault()(step, file) : 0;
}

void write_synced_file(const std::filesystem::path& path, std::string_view bytes,
                       const std::string& name) {
    auto failed = [&](int err) {
        return DataError(name, 0, std::string("cannot write the file: ") + std::strerror(err));
    };
    if (int err = injected_write_fault(WriteStep::open, path)) throw failed(err);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw failed(errno);
    // What was written of a failed file goes: it must never be taken for a whole one.
    auto give_up = [&](int err, bool close_it) {
        if (close_it) ::close(fd);
        ::unlink(path.c_str());
        return failed(err);
    };
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        if (int err = injected_write_fault(WriteStep::write, path)) throw give_up(err, true);
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw give_up(errno, true);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (int err = injected_write_fault(WriteStep::sync, path)) throw give_up(err, true);
    if (::fsync(fd) != 0) throw give_up(errno, true);
    if (int err = injected_write_fault(WriteStep::close, path)) throw give_up(err, true);
    if (::close(fd) != 0) throw give_up(errno, false);
}

void sync_folder(const std::filesystem::path& folder) {
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

void write_file_atomic(const std::filesystem::path& path, std::string_view bytes) {
    const std::string name = path.string();
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    write_synced_file(tmp, bytes, name);
    int err = injected_write_fault(WriteStep::rename, path);
    if (err || ::rename(tmp.c_str(), path.c_str()) != 0) {
        if (!err) err = errno;
        ::unlink(tmp.c_str());
        throw DataError(name, 0, std::string("cannot replace the file: ") + std::strerror(err));
    }
    // Make the rename itself durable.
    sync_folder(path.parent_path());
}

}  // namespace lum

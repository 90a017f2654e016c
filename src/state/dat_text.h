#pragma once

// Line-oriented CP932 text files: every value on its own line, in a fixed order, with no keys.
// Strings are whole lines; integers are read leniently the way the game always has.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lum {

// A fault in a data file, naming the file, the line (0 when the file as a whole is at fault)
// and the reason.
class DataError : public std::runtime_error {
  public:
    DataError(std::string file, int line, std::string reason);
    const std::string& file() const { return file_; }
    int line() const { return line_; }
    const std::string& reason() const { return reason_; }

  private:
    std::string file_;
    int line_;
    std::string reason_;
};

class DatReader {
  public:
    // `name` is what messages call the file (usually its path).
    DatReader(std::string bytes, std::string name);

    static DatReader open(const std::filesystem::path& path);

    // The rest of the current line, converted to UTF-8; empty past the end of the file.
    std::string read_string();
    // Skips blanks, tabs and line ends, takes the characters up to the next blank or control
    // character as a signed decimal number, and moves to the next line. 0 past the end of the
    // file. Anything that would not read back exactly as written is a DataError: a token that
    // is not a number, one longer than 32 characters, one outside 32 bits.
    int read_int();
    // read_int() for a byte field; a number outside 0..255 is a DataError rather than its low
    // 8 bits, which would be a different value.
    std::uint8_t read_byte();

    bool at_end() const { return pos_ >= bytes_.size(); }
    // How many values were asked for past the end of the file (and read as empty or 0), and
    // the line the first of them would have stood on (0 while none was).
    int values_past_end() const { return values_past_end_; }
    int first_line_past_end() const { return first_line_past_end_; }
    // 1-based number of the line the next value starts on.
    int line() const { return line_; }
    const std::string& name() const { return name_; }

  private:
    void skip_line_end();
    void count_past_end();
    [[noreturn]] void fail(int line, const std::string& reason) const;

    std::string bytes_;
    std::string name_;
    size_t pos_ = 0;
    int line_ = 1;
    int values_past_end_ = 0;
    int first_line_past_end_ = 0;
};

class DatWriter {
  public:
    explicit DatWriter(std::string name) : name_(std::move(name)) {}

    // Writes the string in CP932 followed by CR LF. Line breaks inside the string cannot be
    // stored in a line and become blanks. A character CP932 cannot hold is a DataError.
    void write_string(std::string_view utf8);
    void write_int(int v);

    const std::string& bytes() const { return out_; }
    int lines() const { return lines_; }

  private:
    std::string name_;
    std::string out_;
    int lines_ = 0;
};

// The steps of a file write, for tests that make one fail as a full disk, the file-size limit
// or a read-only folder would.
enum class WriteStep { open, write, sync, close, rename };
// Asked before each step with the file it acts on: 0 lets the step run, an errno value makes
// it fail with that error. Empty: no faults (the game's own setting).
using WriteFault = std::function<int(WriteStep, const std::filesystem::path&)>;
// Installs `fault` and returns the one it replaces.
WriteFault set_write_fault(WriteFault fault);
// The errno the installed fault gives for this step (0 when none).
int injected_write_fault(WriteStep step, const std::filesystem::path& file);

// Reads a whole file; a file that cannot be opened or read is a DataError.
std::string read_file_bytes(const std::filesystem::path& path);

// Writes `bytes` to `path` (created or truncated) and syncs it to the disk. A failure is a
// DataError that calls the file `name` and removes what was written.
void write_synced_file(const std::filesystem::path& path, std::string_view bytes,
                       const std::string& name);
// Makes the renames and removals in `folder` durable.
void sync_folder(const std::filesystem::path& folder);

// Replaces `path` so that it holds either its old bytes or the new ones, never a mixture:
// writes a temporary file in the same folder, syncs it, then renames it over the old one.
// A failure is a DataError and leaves the old file in place.
void write_file_atomic(const std::filesystem::path& path, std::string_view bytes);

}  // namespace lum

#pragma once

// Makes one step of the game's file writes fail as a full disk, the file-size limit or a
// read-only folder would: the n-th step from now (0-based, counting every step of every write).

#include <cerrno>
#include <filesystem>
#include <string>

#include "state/dat_text.h"

namespace lum::test {

inline constexpr int kWriteErrors[] = {ENOSPC, EFBIG, EROFS};

class WriteFaultAt {
  public:
    WriteFaultAt(int n, int err) : left_(n), err_(err) {
        old_ = set_write_fault([this](WriteStep, const std::filesystem::path& file) {
            if (left_-- != 0) return 0;
            file_ = file;
            return err_;
        });
    }
    ~WriteFaultAt() { set_write_fault(old_); }
    WriteFaultAt(const WriteFaultAt&) = delete;
    WriteFaultAt& operator=(const WriteFaultAt&) = delete;

    // Whether the step was reached, and the file it acted on.
    bool fired() const { return left_ < 0; }
    const std::filesystem::path& file() const { return file_; }

  private:
    int left_;
    int err_;
    std::filesystem::path file_;
    WriteFault old_;
};

}  // namespace lum::test

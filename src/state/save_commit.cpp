#include "state/save_commit.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "state/dat_text.h"

namespace lum {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMy = "my.dat";
constexpr const char* kItem = "item.dat";
constexpr const char* kMarker = "save.commit";

// The renames that put a recorded save in place, in their order: the backups first, so a
// backup pair is never made of two saves either.
struct Move {
    const char* from;
    const char* to;
    bool reports;  // a commit hook hears of the step after this move
    CommitStep after;
};
constexpr Move kMoves[] = {
    {"my.dat.bak.new", "my.dat.bak", false, {}},
    {"item.dat.bak.new", "item.dat.bak", true, CommitStep::backup_renamed},
    {"my.dat.new", "my.dat", true, CommitStep::my_renamed},
    {"item.dat.new", "item.dat", true, CommitStep::item_renamed},
};

// Files of an unrecorded commit, and leftovers of the single-file saves of earlier versions.
constexpr const char* kStaleFiles[] = {
    "my.dat.new",       "item.dat.new",   "my.dat.bak.new",   "item.dat.bak.new",
    "save.commit.new",  "my.dat.tmp",     "item.dat.tmp",     "my.dat.bak.tmp",
    "item.dat.bak.tmp", "my.dat.restore", "item.dat.restore",
};

bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

void remove_file(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

void rename_file(const fs::path& from, const fs::path& to) {
    int err = injected_write_fault(WriteStep::rename, to);
    if (err || ::rename(from.c_str(), to.c_str()) != 0) {
        throw DataError(
            to.string(), 0,
            std::string("cannot put the save in place: ") + std::strerror(err ? err : errno));
    }
}

// Keeps `from` under the name `to`: a hard link where the file system has them, else a
// synced copy.
void keep_copy(const fs::path& from, const fs::path& to) {
    remove_file(to);
    if (::link(from.c_str(), to.c_str()) == 0) return;
    write_synced_file(to, read_file_bytes(from), to.string());
}

// Renames whatever of a recorded commit is still staged, in order, then drops the marker.
void put_in_place(const fs::path& dat_dir, const CommitHook& hook) {
    for (const Move& m : kMoves) {
        if (present(dat_dir / m.from)) rename_file(dat_dir / m.from, dat_dir / m.to);
        if (hook && m.reports) hook(m.after);
    }
    sync_folder(dat_dir);
    remove_file(dat_dir / kMarker);
    sync_folder(dat_dir);
}

}  // namespace

void commit_save_pair(const fs::path& dat_dir, std::string_view my_bytes,
                      std::string_view item_bytes, const CommitHook& hook, bool keep_backup) {
    auto at = [&](const char* name) { return dat_dir / name; };
    // A marker left by an earlier commit must not adopt the files staged below.
    recover_save_pair(dat_dir);
    try {
        write_synced_file(at("my.dat.new"), my_bytes, at(kMy).string());
        write_synced_file(at("item.dat.new"), item_bytes, at(kItem).string());
        // Only a whole pair becomes the backup pair.
        if (!keep_backup && present(at(kMy)) && present(at(kItem))) {
            keep_copy(at(kMy), at("my.dat.bak.new"));
            keep_copy(at(kItem), at("item.dat.bak.new"));
        }
        sync_folder(dat_dir);
        if (hook) hook(CommitStep::staged);
        write_synced_file(at("save.commit.new"), "luminaria save\r\n", at(kMarker).string());
        rename_file(at("save.commit.new"), at(kMarker));
        sync_folder(dat_dir);
    } catch (const DataError&) {
        for (const char* f : kStaleFiles) remove_file(at(f));
        throw;
    }
    if (hook) hook(CommitStep::recorded);
    put_in_place(dat_dir, hook);
}

SaveRecovery recover_save_pair(const fs::path& dat_dir) {
    auto at = [&](const char* name) { return dat_dir / name; };
    SaveRecovery result = SaveRecovery::clean;
    if (present(at(kMarker))) {
        put_in_place(dat_dir, {});
        result = SaveRecovery::rolled_forward;
    } else {
        for (const char* f : {"my.dat.new", "item.dat.new", "save.commit.new"})
            if (present(at(f))) result = SaveRecovery::rolled_back;
    }
    for (const char* f : kStaleFiles) remove_file(at(f));
    sync_folder(dat_dir);
    return result;
}

}  // namespace lum

#pragma once

// The save's two files, dat/my.dat and dat/item.dat, replaced as one unit: a crash at any
// moment leaves the previous pair or the new one, never one file of each.
//
// A commit writes and syncs my.dat.new and item.dat.new, keeps the current pair as
// my.dat.bak.new and item.dat.bak.new, then records itself by renaming the marker
// save.commit into place. From then on the save counts: the staged files are renamed over
// their targets (the backups first) and the marker is removed. At start-up a marker found
// means "finish the renames" (roll forward); staged files without a marker are discarded
// (roll back) and the previous pair stays.

#include <filesystem>
#include <functional>
#include <string_view>

namespace lum {

enum class SaveRecovery {
    clean,           // no save was interrupted
    rolled_forward,  // an interrupted save had been recorded and is now in place
    rolled_back,     // an interrupted save had not been recorded; its files are gone
};

// The moments of a commit, in order. A test hook may stop a commit at any of them.
enum class CommitStep {
    staged,          // the new pair and the backup pair are written and synced
    recorded,        // the marker is in place: the save counts
    backup_renamed,  // my.dat.bak and item.dat.bak hold the previous pair
    my_renamed,      // my.dat is the new one, item.dat still the previous one
    item_renamed,    // both are the new ones; the marker is still there
};
using CommitHook = std::function<void(CommitStep)>;

// Replaces the pair in `dat_dir` by the bytes given, the previous pair becoming the .bak
// pair by the same rule (unless `keep_backup`: the .bak pair is left as it is). A failure
// before the commit is recorded removes what was staged and throws DataError; a failure after
// it throws DataError too, and the next recovery finishes the save.
void commit_save_pair(const std::filesystem::path& dat_dir, std::string_view my_bytes,
                      std::string_view item_bytes, const CommitHook& hook = {},
                      bool keep_backup = false);

// Finishes or discards an interrupted commit and removes stale temporary files. A rename that
// fails is a DataError (the folder is left for the next try).
SaveRecovery recover_save_pair(const std::filesystem::path& dat_dir);

}  // namespace lum

#include "state/save_location.h"

#include <unistd.h>

#include <cstdlib>

#include "state/dat_text.h"

namespace lum {

namespace fs = std::filesystem;

fs::path find_game_folder(const fs::path& exe_dir) {
    std::error_code ec;
    if (fs::is_directory(exe_dir / "dat", ec)) return exe_dir;
    fs::path installed = exe_dir.parent_path() / "share" / "luminaria";
    if (fs::is_directory(installed / "dat", ec)) return installed.lexically_normal();
    return {};
}

fs::path executable_folder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : exe.parent_path();
}

fs::path user_save_folder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) return fs::path(xdg) / "luminaria";
    const char* home = std::getenv("HOME");
    if (home && *home) return fs::path(home) / ".local" / "share" / "luminaria";
    return {};
}

bool folder_writable(const fs::path& dir) {
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

SaveLocation choose_save_location(const SaveRuleInputs& in) {
    const fs::path own = in.game_dir / "dat";
    auto writable = in.writable ? in.writable : folder_writable;
    SaveLocation at;
    if (in.user_folder.empty()) {
        // Nowhere else to go: the game folder it is, and a failed save says so at close.
        at.folder = own;
        if (in.installed || !writable(own))
            at.notice = own.string() +
                        " cannot be written and no home folder is set "
                        "(HOME); the game cannot be saved";
        return at;
    }
    if (in.installed) {
        at.folder = in.user_folder;
        at.portable = false;
        return at;
    }
    if (writable(own)) {
        at.folder = own;
        return at;
    }
    at.folder = in.user_folder;
    at.portable = false;
    at.notice = own.string() + " cannot be written; the save is kept in " + in.user_folder.string();
    return at;
}

bool prepare_save_folder(const SaveLocation& where, const fs::path& game_dir, std::string* why,
                         bool* copied) {
    if (copied) *copied = false;
    auto fail = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    std::error_code ec;
    if (where.folder == game_dir / "dat") return true;
    if (fs::exists(where.folder / "my.dat", ec) || fs::exists(where.folder / "my.dat.bak", ec))
        return true;
    fs::create_directories(where.folder, ec);
    if (ec) return fail(where.folder.string() + ": cannot be made: " + ec.message());
    try {
        // my.dat last: its presence says the first copy is complete.
        for (const char* file : {"item.dat", "my.dat"}) {
            std::string bytes = read_file_bytes(game_dir / "dat" / file);
            write_file_atomic(where.folder / file, bytes);
        }
    } catch (const DataError& e) {
        return fail(e.what());
    }
    if (copied) *copied = true;
    return true;
}

}  // namespace lum

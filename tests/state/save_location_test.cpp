#include "state/save_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "state/dat_text.h"
#include "state/data_files.h"
#include "support/write_faults.h"

using namespace lum;
namespace fs = std::filesystem;

namespace {

class SaveFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("lum_saveloc_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        game_ = root_ / "share" / "luminaria";
        fs::create_directories(game_);
        // The shipped game folder: its tables and its initial save.
        fs::copy(fs::path(LUM_GAME_DIR) / "dat", game_ / "dat", fs::copy_options::recursive);
        user_ = root_ / "data" / "luminaria";
    }
    void TearDown() override {
        fs::permissions(game_ / "dat", fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }

    SaveRuleInputs inputs(bool installed, bool dat_writable) {
        return {game_, installed, user_, [dat_writable](const fs::path&) { return dat_writable; }};
    }

    fs::path root_, game_, user_;
};

TEST_F(SaveFolder, TheRule) {
    // A writable portable folder keeps its save beside the program, as it always has.
    SaveLocation at = choose_save_location(inputs(false, true));
    EXPECT_EQ(at.folder, game_ / "dat");
    EXPECT_TRUE(at.portable);
    EXPECT_EQ(at.notice, "");

    // One that cannot be written saves in the user's folder, and says where.
    at = choose_save_location(inputs(false, false));
    EXPECT_EQ(at.folder, user_);
    EXPECT_FALSE(at.portable);
    EXPECT_EQ(at.notice, (game_ / "dat").string() + " cannot be written; the save is kept in " +
                             user_.string());

    // An installed game always saves in the user's folder, without a word.
    for (bool w : {true, false}) {
        at = choose_save_location(inputs(true, w));
        EXPECT_EQ(at.folder, user_);
        EXPECT_FALSE(at.portable);
        EXPECT_EQ(at.notice, "");
    }

    // Without a home there is nowhere else: the game folder, and the reason it fails.
    SaveRuleInputs nowhere = inputs(true, false);
    nowhere.user_folder.clear();
    at = choose_save_location(nowhere);
    EXPECT_EQ(at.folder, game_ / "dat");
    EXPECT_NE(at.notice.find("cannot be saved"), std::string::npos);
}

TEST_F(SaveFolder, RealWritableCheck) {
    EXPECT_TRUE(folder_writable(game_ / "dat"));
    EXPECT_FALSE(folder_writable(root_ / "no such folder"));
    if (::geteuid() != 0) {  // root writes anywhere
        fs::permissions(game_ / "dat", fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(folder_writable(game_ / "dat"));
        EXPECT_EQ(choose_save_location({game_, false, user_, nullptr}).folder, user_);
    }
}

TEST_F(SaveFolder, FirstRunCopiesTheShippedSaveAndLaterRunsKeepTheirOwn) {
    SaveLocation at = choose_save_location(inputs(true, false));
    std::string why;
    bool copied = false;
    ASSERT_TRUE(prepare_save_folder(at, game_, &why, &copied)) << why;
    EXPECT_TRUE(copied);
    for (const char* f : {"my.dat", "item.dat"})
        EXPECT_EQ(read_file_bytes(user_ / f), read_file_bytes(game_ / "dat" / f)) << f;
    EXPECT_FALSE(fs::exists(user_ / "magic.dat"));  // the tables stay in the game folder

    // The game plays from there: a save lands in the user's folder, with its backup pair,
    // and the game folder is never written.
    const std::string shipped_my = read_file_bytes(game_ / "dat" / "my.dat");
    fs::permissions(game_ / "dat", fs::perms::owner_write, fs::perm_options::remove);
    GameState gs;
    gs.game_dir = game_;
    gs.save_dir = at.folder;
    new_game(gs);
    gs.money = 4242;
    save_game(gs);
    gs.money = 4343;
    save_game(gs);
    EXPECT_TRUE(fs::exists(user_ / "my.dat.bak"));
    EXPECT_TRUE(fs::exists(user_ / "item.dat.bak"));
    GameState again;
    again.game_dir = game_;
    again.save_dir = at.folder;
    load_game(again);
    EXPECT_EQ(again.money, 4343);
    EXPECT_EQ(read_file_bytes(game_ / "dat" / "my.dat"), shipped_my);
    EXPECT_FALSE(fs::exists(game_ / "dat" / "my.dat.bak"));

    // The next start finds the save and copies nothing over it.
    ASSERT_TRUE(prepare_save_folder(at, game_, &why, &copied));
    EXPECT_FALSE(copied);
    load_game(again);
    EXPECT_EQ(again.money, 4343);
}

TEST_F(SaveFolder, InterruptedFirstCopyIsDoneAgainButABackupIsASave) {
    SaveLocation at = choose_save_location(inputs(true, false));
    // Killed after item.dat: no my.dat yet, so the copy runs again.
    fs::create_directories(user_);
    std::ofstream(user_ / "item.dat") << "half";
    bool copied = false;
    ASSERT_TRUE(prepare_save_folder(at, game_, nullptr, &copied));
    EXPECT_TRUE(copied);
    EXPECT_EQ(read_file_bytes(user_ / "item.dat"), read_file_bytes(game_ / "dat" / "item.dat"));

    // Only a backup left (the player's own save, its current file lost): never overwritten.
    fs::remove(user_ / "my.dat");
    std::ofstream(user_ / "my.dat.bak") << "the player's";
    ASSERT_TRUE(prepare_save_folder(at, game_, nullptr, &copied));
    EXPECT_FALSE(copied);
    EXPECT_FALSE(fs::exists(user_ / "my.dat"));
}

TEST_F(SaveFolder, CopyFailuresSayWhy) {
    SaveLocation at = choose_save_location(inputs(true, false));
    std::string why;
    // A file where the folder should be.
    fs::create_directories(user_.parent_path());
    std::ofstream(user_) << "x";
    EXPECT_FALSE(prepare_save_folder(at, game_, &why));
    EXPECT_EQ(why.rfind(user_.string() + ": cannot be made: ", 0), 0u) << why;
    fs::remove(user_);

    // A game folder without its save.
    fs::remove(game_ / "dat" / "my.dat");
    EXPECT_FALSE(prepare_save_folder(at, game_, &why));
    EXPECT_EQ(why, (game_ / "dat" / "my.dat").string() + ": cannot open the file");
    EXPECT_FALSE(fs::exists(user_ / "my.dat"));

    // The portable folder needs nothing.
    EXPECT_TRUE(prepare_save_folder(choose_save_location(inputs(false, true)), game_, &why));
}

// A write of the first copy failing at any step: the reason and the file are told, and no
// my.dat stands in the folder, so the next run copies again.
TEST_F(SaveFolder, EachFailingWriteOfTheFirstCopyIsToldAndCopiedAgainNextRun) {
    SaveLocation at = choose_save_location(inputs(true, false));
    for (int err : test::kWriteErrors)
        for (int n = 0;; ++n) {
            SCOPED_TRACE(std::string(std::strerror(err)) + " at step " + std::to_string(n));
            fs::remove_all(user_);
            std::string why;
            bool fired = false, ok = false;
            {
                test::WriteFaultAt fault(n, err);
                ok = prepare_save_folder(at, game_, &why);
                fired = fault.fired();
            }
            if (!fired) {
                EXPECT_TRUE(ok);
                EXPECT_GT(n, 5);  // two files, each written then renamed
                break;
            }
            EXPECT_FALSE(ok);
            EXPECT_EQ(why.rfind(user_.string() + "/", 0), 0u) << why;
            EXPECT_NE(why.find(std::strerror(err)), std::string::npos) << why;
            EXPECT_FALSE(fs::exists(user_ / "my.dat"));
            EXPECT_FALSE(fs::exists(user_ / "my.dat.tmp"));
            bool copied = false;
            ASSERT_TRUE(prepare_save_folder(at, game_, nullptr, &copied));
            EXPECT_TRUE(copied);
        }
}

TEST_F(SaveFolder, GameFolderOfBothLayouts) {
    // Installed: bin/luminaria with share/luminaria/dat beside bin.
    fs::create_directories(root_ / "bin");
    EXPECT_EQ(find_game_folder(root_ / "bin"), game_);
    // Portable: dat/ beside the program wins.
    EXPECT_EQ(find_game_folder(game_), game_);
    fs::create_directories(root_ / "elsewhere" / "bin");
    EXPECT_EQ(find_game_folder(root_ / "elsewhere" / "bin"), fs::path());
}

TEST(SaveFolderEnv, UserFolderFollowsXdgDataHome) {
    const char* old_xdg = std::getenv("XDG_DATA_HOME");
    const char* old_home = std::getenv("HOME");
    std::string keep_xdg = old_xdg ? old_xdg : "", keep_home = old_home ? old_home : "";
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(user_save_folder(), fs::path("/tmp/xdg/luminaria"));
    ::setenv("XDG_DATA_HOME", "relative/path", 1);  // not absolute: ignored
    EXPECT_EQ(user_save_folder(), fs::path("/home/someone/.local/share/luminaria"));
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(user_save_folder(), fs::path("/home/someone/.local/share/luminaria"));
    ::unsetenv("HOME");
    EXPECT_EQ(user_save_folder(), fs::path());
    if (old_xdg) ::setenv("XDG_DATA_HOME", keep_xdg.c_str(), 1);
    if (old_home) ::setenv("HOME", keep_home.c_str(), 1);
}

}  // namespace

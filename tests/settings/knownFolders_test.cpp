// Known folders from the XDG variables, user-dirs.dirs and the defaults.
#include <gtest/gtest.h>

#include <filesystem>

#include "knownFolders.h"
#include "report.h"
#include "testsupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::string lookup(knownFolder which, bool create = true) {
    std::string path;
    EXPECT_EQ(knownFolderPath(which, create, path), 0);
    return path;
}

TEST(knownFolders, DefaultsUnderHome) {
    TempHome t;
    const std::string h = t.home();
    ScopedEnv data("XDG_DATA_HOME", std::nullopt), config("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(lookup(knownFolder::Documents), h + "/Documents");
    EXPECT_EQ(lookup(knownFolder::Music), h + "/Music");
    EXPECT_EQ(lookup(knownFolder::LocalAppData), h + "/.local/share");
    EXPECT_EQ(lookup(knownFolder::RoamingAppData), h + "/.config");
    for (const char* sub : {"/Documents", "/Music", "/.local/share"})
        EXPECT_TRUE(fs::is_directory(h + sub)) << sub;
}

TEST(knownFolders, VariablesAndUserDirs) {
    TempHome t;
    const std::string h = t.home();
    writeText(h + "/.config/user-dirs.dirs",
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
              "  XDG_DOCUMENTS_DIR=\"$HOME/Docs old\"\n"
              "XDG_DOCUMENTS_DIR=\"$HOME/Docs new\"\n"  // the later line wins
              "#XDG_MUSIC_DIR=\"$HOME/commented\"\n"
              "XDG_MUSIC_DIR=\"relative/skipped\"\n");
    EXPECT_EQ(lookup(knownFolder::Documents), h + "/Docs new");
    EXPECT_EQ(lookup(knownFolder::Music), h + "/Music");
    {
        ScopedEnv docs("XDG_DOCUMENTS_DIR", h + "/from-env/");
        EXPECT_EQ(lookup(knownFolder::Documents), h + "/from-env");
    }
    ScopedEnv data("XDG_DATA_HOME", h + "/data");
    EXPECT_EQ(lookup(knownFolder::LocalAppData), h + "/data");
    EXPECT_TRUE(fs::is_directory(h + "/data"));
}

TEST(knownFolders, CommonAppDataIsLookedUpNeverCreated) {
    TempHome t;
    const std::string h = t.home();
    fs::create_directories(h + "/second");
    ScopedEnv dirs("XDG_DATA_DIRS", h + "/first:relative:" + h + "/second/:" + h + "/usr/share");
    EXPECT_EQ(lookup(knownFolder::CommonAppData), h + "/second");
    EXPECT_FALSE(fs::exists(h + "/first"));

    ReportRecorder reports;
    ScopedEnv none("XDG_DATA_DIRS", h + "/first");
    std::string path;
    EXPECT_EQ(knownFolderPath(knownFolder::CommonAppData, true, path), 1);
    EXPECT_FALSE(fs::exists(h + "/first"));
    // Without creation, a missing folder is a failure too.
    EXPECT_EQ(knownFolderPath(knownFolder::Music, false, path), 1);
    EXPECT_EQ(reports.count(), 3u);  // the second failure reports its own line and its caller's
    EXPECT_TRUE(reports.reported("Platform/folders/knownFolders"));
}

}  // namespace

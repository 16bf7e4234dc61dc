// Folder lookup by identifier and the default save folder on a scratch
// profile whose known folders come from the XDG variables and user-dirs.dirs.
#include <gtest/gtest.h>

#include <filesystem>

#include "recorderPaths.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "settingsProfile.h"
#include "testsupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

struct Installed : SettingsProfile {
    Installed() {
        regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\top_folder",
                               home.home() + "/install/");
    }
};

TEST(recorderPaths, EveryIdentifier) {
    Installed p;
    const std::string h = p.home.home();
    writeText(h + "/.config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_MUSIC_DIR=\"" +
                  h + "/Musik/\"\n");
    struct Case {
        int id;
        std::string path;
    };
    const Case cases[] = {
        {1101, h + "/install/Skins"},
        {1104, h + "/.local/share/Tobrel/500/Announcements"},
        {1105, h + "/Dokumente/Tobrel"},
        {1106, h + "/.local/share/Tobrel/500/Temp"},
        {1110, h + "/.local/share/Tobrel/500/Cache"},
        {1112, h + "/Musik"},
        {1113, h + "/.local/share/Tobrel/500/Autocomplete"},
    };
    ReportRecorder reports;
    for (const auto& c : cases) {
        std::string path;
        ASSERT_EQ(recorderPaths(c.id, path), OKAY) << c.id;
        EXPECT_EQ(path, c.path) << c.id;
    }
    EXPECT_EQ(reports.count(), 0u);
    // The known folders are created on the way; the program's own are not.
    EXPECT_TRUE(fs::is_directory(h + "/Dokumente"));
    EXPECT_TRUE(fs::is_directory(h + "/.local/share"));
    EXPECT_FALSE(fs::exists(h + "/.local/share/Tobrel"));

    for (int bad : {1107, 1100, 1114, 0}) {
        std::string path = "untouched";
        EXPECT_EQ(recorderPaths(bad, path), NOT_OKAY) << bad;
        EXPECT_EQ(path, "untouched");
    }
    EXPECT_TRUE(reports.reported("./recorderPaths"));
}

TEST(recorderPaths, FailuresOfTheLookupsBefore) {
    ReportRecorder reports;
    std::string path;
    {
        SettingsProfile p;  // no top_folder installed
        EXPECT_EQ(recorderPaths(1110, path), NOT_OKAY);
    }
    {
        Installed p;
        writeText(p.home.home() + "/Documents", "a file where the folder should be");
        EXPECT_EQ(recorderPaths(1110, path), NOT_OKAY);
    }
    EXPECT_GE(reports.count(), 3u);
}

TEST(recorderPaths, NoFolderOfXdgDataDirsIsNoFailure) {
    // A sandbox may hide every machine-wide data folder; nothing lies there.
    ReportRecorder reports;
    Installed p;
    ScopedEnv none("XDG_DATA_DIRS", p.home.home() + "/nowhere:" + p.home.home() + "/neither");
    std::string path;
    EXPECT_EQ(recorderPaths(1110, path), OKAY);
    EXPECT_EQ(path, p.home.home() + "/.local/share/Tobrel/500/Cache");
    EXPECT_EQ(reports.count(), 0u);
}

TEST(recorderPaths, DefaultSaveFolder) {
    Installed p;
    std::string path;
    ASSERT_EQ(recorderPathsDefaultSaveFolder(path), OKAY);
    EXPECT_EQ(path, p.home.home() + "/Music/Tobrel");
    ASSERT_EQ(recorderSessionSetDefaultMp3SaveFolder("/srv/mp3/"), OKAY);
    ASSERT_EQ(recorderPathsDefaultSaveFolder(path), OKAY);
    EXPECT_EQ(path, "/srv/mp3");
}

}  // namespace

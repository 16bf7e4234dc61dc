// Saving end to end: the real `tobrel` under Xvfb, recording from a private
// PulseAudio server, driven by real X pointer and key events (XTEST).
//
// Three songs are played and recorded. The first two tracks are selected
// (click, then Shift+Down), saved through the Save button's menu ("Selected
// Tracks...") and the multiple-tracks dialog into a fresh folder: two MP3s
// appear there with the tracks' lengths and the tracks leave the list. The
// third track is renamed through the Rename button and saved through the
// single-track dialog with subfolders: Artist/Album/Title.mp3 with those
// tags. Screenshots of every step are left in the build tree under
// test-artifacts/recorderSaveE2E.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "programProfile.h"
#include "pulseFixture.h"
#include "recorderMainSkin.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "report.h"
#include "skinLayout.h"
#include "testsupport.h"
#include "toolOutput.h"
#include "xSession.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::decodedMs;
using testsupport::shellQuoted;
using testsupport::toolOutput;

namespace {

std::string artifactsFolder() {
    const fs::path folder = fs::path(testsupport::binaryDir()) / "test-artifacts" / "recorderSaveE2E";
    fs::create_directories(folder);
    return folder.string();
}

// What is on the screen, as xwininfo tells it.
class Screen {
  public:
    explicit Screen(std::string display) : display_(std::move(display)) {}

    // A window of this title is on the screen.
    bool shown(const std::string& title) const { return xWindowShown(display_, title); }
    // A pop-up menu (an override-redirect window) is on the screen with its
    // corner at (x, y).
    bool popupAt(int x, int y) const {
        std::istringstream lines(xCommandOutput("xwininfo -display " + display_ + " -root -children"));
        std::string line;
        static const std::regex id(R"(^\s+(0x[0-9a-f]+) )");
        while (std::getline(lines, line)) {
            std::smatch m;
            if (!std::regex_search(line, m, id)) continue;
            const std::string info = xCommandOutput("xwininfo -display " + display_ + " -id " + m[1].str());
            if (info.find("IsViewable") != std::string::npos &&
                info.find("Override Redirect State: yes") != std::string::npos &&
                info.find("Absolute upper-left X:  " + std::to_string(x) + "\n") != std::string::npos &&
                info.find("Absolute upper-left Y:  " + std::to_string(y) + "\n") != std::string::npos)
                return true;
        }
        return false;
    }

  private:
    std::string display_;
};

std::string sqlite(const std::string& db, const std::string& query) {
    return xCommandOutput("sqlite3 " + shellQuoted(db) + " " + shellQuoted(query));
}

int rows(const std::string& db) { return std::atoi(sqlite(db, "SELECT count(*) FROM caches;").c_str()); }

std::vector<fs::path> mp3sIn(const std::string& folder) {
    std::vector<fs::path> found;
    if (!fs::exists(folder)) return found;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file() && e.path().extension() == ".mp3") found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
}

TEST(recorderSaveE2E, RecordThreeSaveTwoThenRenameAndSaveTheThird) {
    for (const char* tool : {"Xvfb", "import", "xwininfo", "paplay", "pulseaudio", "sqlite3", "ffmpeg"})
        if (pulsefixture::runProgram({"sh", "-c", std::string("command -v ") + tool + " >/dev/null"}) != 0)
            GTEST_SKIP() << tool << " is missing";
    ProgramProfile profile;
    ASSERT_TRUE(profile.ok);
    testsupport::TempDir out;
    const std::string saveFolder = out.file("fresh");
    ASSERT_EQ(recorderSessionSetDefaultMp3SaveFolder(saveFolder), OKAY);
    const std::string db = profile.cache + "/cache.db";

    // Where the skin puts things.
    const SkinLayout layout;
    ASSERT_TRUE(layout.loaded());
    const auto [saveX, saveY] = layout.centre(kSkinHotSave);
    const auto [renameX, renameY] = layout.centre(kSkinHotRename);
    // Below the header (about 28 pixels), in the middle of the first row.
    const int firstRowX = layout.list.left + layout.list.width() / 2, firstRowY = layout.list.top + 40;

    // Three songs of 4, 5 and 6 seconds.
    testsupport::TempDir songs;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(pulsefixture::writeSignal(songs.file("song" + std::to_string(i) + ".wav"), 48000,
                                              {{440.0 + 110 * i, 4000 + 1000 * i}}));

    pulsefixture::PulseServer server;
    ASSERT_TRUE(server.started());
    XvfbDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    Screen screen(display.name());
    const std::string artifacts = artifactsFolder();
    auto shot = [&](const std::string& name) {
        return xScreenshot(display.name(), artifacts + "/" + name + ".png");
    };

    testsupport::ScopedEnv displayEnv("DISPLAY", display.name());
    testsupport::ScopedEnv platformEnv("QT_QPA_PLATFORM", "xcb");
    const ScopedProcess app{
        pulsefixture::spawnProgram({testsupport::binaryDir() + "/Mains/recorder/tobrel"})};
    ASSERT_GT(app.pid, 0);
    ASSERT_TRUE(xWaitFor([&] { return screen.shown("Tobrel"); }, 60000)) << "no main window";
    XTest x;
    ASSERT_TRUE(x.open(display.name()));
    ASSERT_TRUE(xWaitFor([&] { return fs::exists(db); }, 30000));
    std::this_thread::sleep_for(1s);  // armed 250 ms after start

    // Record the three songs, with silences between them.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(pulsefixture::play(songs.file("song" + std::to_string(i) + ".wav")), 0);
        std::this_thread::sleep_for(1500ms);
    }
    ASSERT_TRUE(xWaitFor([&] { return rows(db) == 3; }, 30000)) << rows(db) << " tracks";
    const std::string durations = sqlite(db, "SELECT duration FROM caches ORDER BY creation_timestamp;");
    std::vector<double> recorded;
    std::istringstream durationLines(durations);
    for (std::string line; std::getline(durationLines, line);) recorded.push_back(std::stod(line));
    ASSERT_EQ(recorded.size(), 3u);
    x.move(5, 5);
    ASSERT_TRUE(shot("1-three-tracks"));

    // The first two tracks: a click and Shift+Down. Save, "Selected Tracks...", OK.
    x.click(firstRowX, firstRowY);
    x.key("Down", true);
    ASSERT_TRUE(shot("2-two-selected"));
    x.click(saveX, saveY);
    ASSERT_TRUE(xWaitFor([&] { return screen.popupAt(saveX, saveY); }, 30000))
        << "no menu at the Save button";
    ASSERT_TRUE(shot("3-save-menu"));
    x.key("Down");
    x.key("Return");
    ASSERT_TRUE(xWaitFor([&] { return screen.shown("Tobrel : Save Tracks"); }, 30000));
    ASSERT_TRUE(shot("4-save-tracks"));
    x.key("Return");
    ASSERT_TRUE(xWaitFor([&] { return screen.shown("Tobrel : Message"); }, 30000))
        << "no count of saved tracks";
    ASSERT_TRUE(shot("5-saved-count"));
    x.key("Return");
    ASSERT_TRUE(xWaitFor([&] { return !screen.shown("Tobrel : Message"); }, 30000));

    const std::vector<fs::path> saved = mp3sIn(saveFolder);
    ASSERT_EQ(saved.size(), 2u);
    std::vector<double> lengths;
    for (const fs::path& p : saved) lengths.push_back(decodedMs(p));
    std::sort(lengths.begin(), lengths.end());
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(lengths[i], recorded[i], 50.0) << saved[i];
        std::fprintf(stderr, "track %d: recorded %.0f ms, decoded %.1f ms\n", i + 1, recorded[i], lengths[i]);
        EXPECT_EQ(
            toolOutput("ffmpeg -nostdin -v error -i " + shellQuoted(saved[i].string()) + " -f null - 2>&1"),
            "");
    }
    EXPECT_TRUE(xWaitFor([&] { return rows(db) == 1; }, 30000)) << "the saved tracks are still in the list";
    x.move(5, 5);
    ASSERT_TRUE(shot("6-one-left"));

    // Rename the third track, then save it with subfolders.
    x.click(firstRowX, firstRowY);
    x.click(renameX, renameY);
    ASSERT_TRUE(xWaitFor([&] { return screen.shown("Tobrel : Rename"); }, 30000));
    x.type("Third Song");
    x.key("Tab");
    x.type("The Band");
    x.key("Tab");
    x.type("Live Set");
    ASSERT_TRUE(shot("7-rename"));
    x.key("Return");
    ASSERT_TRUE(xWaitFor(
        [&] {
            return sqlite(db, "SELECT song, artist, album FROM caches;") == "Third Song|The Band|Live Set\n";
        },
        30000))
        << sqlite(db, "SELECT song, artist, album FROM caches;");

    x.click(saveX, saveY);
    ASSERT_TRUE(xWaitFor([&] { return screen.shown("Tobrel : Save Track"); }, 30000));
    ASSERT_TRUE(shot("8-save-track"));
    x.key("Return");
    const std::string third = saveFolder + "/The Band/Live Set/Third Song.mp3";
    ASSERT_TRUE(xWaitFor([&] { return fs::exists(third) && !screen.shown("Tobrel : Save Track"); }, 30000));
    EXPECT_EQ(testsupport::mutagenTitleArtistAlbum(third), "2.3|Third Song|The Band|Live Set\n");
    EXPECT_NEAR(decodedMs(third), recorded[2], 50.0);
    EXPECT_TRUE(xWaitFor([&] { return rows(db) == 0; }, 30000));
    x.move(5, 5);
    ASSERT_TRUE(shot("9-all-saved"));
    ASSERT_EQ(::waitpid(app.pid, nullptr, WNOHANG), 0) << "the recorder ended";
}

}  // namespace

// Saving a track into iTunes from the running recorder (offscreen): through
// the drop folder (a tagged MP3 that mutagen reads), through a scripted
// iTunes (the full import), and on this platform where iTunes cannot be
// started (messages 1047 then 1020, nothing left in the Temp folder).
#include <gtest/gtest.h>

#include <QEvent>
#include <QObject>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "itunesAutomation.h"
#include "itunesSdk.h"
#include "mp3TestSupport.h"
#include "pstr.h"
#include "recorderApp.h"
#include "recorderItunes.h"
#include "recorderItunesState.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "recorderTestApp.h"
#include "report.h"
#include "scriptedItunes.h"
#include "sndDevicesContext.h"

using namespace mp3test;
using testsupport::shellQuoted;
using testsupport::toolOutput;
namespace fs = std::filesystem;

namespace {

const char* const kBase = "1700000000_2000_777";

// Percent-escapes a path for a file URL.
std::string fileUrl(const std::string& path) {
    std::string url = "file://localhost";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-') {
            url += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            url += buf;
        }
    }
    return url + "/";
}

std::string base64Utf16(const std::string& text) {
    std::u16string units;
    EXPECT_EQ(pstrToUtf16(text, units), OKAY);
    std::string bytes;
    for (char16_t u : units) bytes += std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
        for (size_t k = 0; k < 4; ++k) out += k <= n ? alphabet[(v >> (18 - 6 * k)) & 63] : '=';
        if (i % 45 == 42) out += "\n\t\t";
    }
    return out;
}

// Keeps the types of the events the main window receives.
class EventLog : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() >= QEvent::User) types.push_back(static_cast<unsigned>(event->type()));
        return false;
    }
    std::vector<unsigned> types;
};

class RecorderItunes : public ::testing::Test {
  protected:
    RecorderItunes() {
        EXPECT_EQ(h.start(), OKAY);
        app().services.itunesAutomation = &itunes;
        recorderPaths(RECORDER_PATH_TEMP, temp);
        media = h.home.home() + "/Music/iTunes/iTunes Media ü";
        library = h.home.home() + "/Music/iTunes/iTunes Library.xml";
        itunes.mediaFolder = h.home.home() + "/itunes-converted";
        fs::create_directories(itunes.mediaFolder);
    }
    RecorderApp& app() { return h.app; }
    void writeTrack() {
        track = tones(44100, 2, 2.0, 8000);
        const auto settings = sndDevicesSettingsNow(*app().owned.engine);
        writeCacheWav(settings->cacheFolder + "/" + kBase + ".tmp", 44100, 2, track, settings->scrambleKey);
    }
    // iTunes' preferences and library pointing at `media`; the drop folder when asked.
    void installItunesFiles(bool withDropFolder) {
        const std::string prefs = h.home.home() + "/.config/Apple Computer/iTunes";
        fs::create_directories(prefs);
        testsupport::writeText(prefs + "/iTunesPrefs.xml",
                               "<plist><dict>\n\t<key>iTunes Library XML Location:1</key>\n\t<data>\n\t\t" +
                                   base64Utf16(library) + "\n\t</data>\n</dict></plist>\n");
        fs::create_directories(media);
        testsupport::writeText(library, "<plist>\n<dict>\n\t<key>Music Folder</key><string>" +
                                            fileUrl(media) + "</string>\n</dict>\n</plist>\n");
        if (withDropFolder) fs::create_directories(dropFolder());
    }
    std::string dropFolder() const { return media + "/" + kRecorderItunesDropFolder; }
    int save(bool& saved) {
        return recorderItunes(app(), "Title é", "Artist", "Album", "Genre", "Comment", kBase, saved);
    }
    bool tempEmpty() const { return fs::is_empty(temp); }

    RecorderHarness h;
    ScriptedItunes itunes;
    Samples track;
    std::string temp, media, library;
};

// iTunes is offered where a save into it can work: its drop folder is there,
// or its automation server is installed. Asking starts nothing.
TEST_F(RecorderItunes, OfferedWhereADropFolderOrTheAutomationServerIsThere) {
    struct Case {
        const char* what;
        bool files, dropFolder, installed, offered;
    } cases[] = {
        {"nothing of iTunes", false, false, false, false},
        {"its files without a drop folder", true, false, false, false},
        {"a drop folder", true, true, false, true},
        {"the automation server", false, false, true, true},
    };
    for (const Case& c : cases) {
        fs::remove_all(h.home.home() + "/.config/Apple Computer");
        fs::remove_all(h.home.home() + "/Music/iTunes");
        if (c.files) installItunesFiles(c.dropFolder);
        itunes.installed = c.installed;
        app().itunes = RecorderItunesState{};
        bool offered = !c.offered;
        ASSERT_EQ(recorderItunesOffered(app(), offered), OKAY);
        EXPECT_EQ(offered, c.offered) << c.what;
        EXPECT_TRUE(itunes.calls.empty()) << c.what;
        EXPECT_FALSE(itunes.running) << c.what;
    }
}

TEST_F(RecorderItunes, DropFolderGetsATaggedMp3AndItunesIsNotCalled) {
    writeTrack();
    installItunesFiles(true);
    bool saved = false;
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(itunes.calls.empty());
    EXPECT_TRUE(h.dialog.texts.empty());
    const std::string mp3 = dropFolder() + "/" + kBase + ".mp3";
    ASSERT_TRUE(fs::exists(mp3));
    const std::string script =
        "import sys, mutagen.id3 as m\n"
        "t = m.ID3(sys.argv[1])\n"
        "print(t.version, *(t[k].text[0] for k in ('TIT2', 'TPE1', 'TALB', 'TCON')), "
        "t.getall('COMM')[0].text[0],"
        " sep='|')\n";
    testsupport::writeText(h.home.home() + "/read.py", script);
    int rc = -1;
    const std::string tags = toolOutput(
        "/usr/bin/python3 " + shellQuoted(h.home.home() + "/read.py") + " " + shellQuoted(mp3), &rc);
    ASSERT_EQ(rc, 0) << tags;
    EXPECT_EQ(tags, "(2, 3, 0)|Title é|Artist|Album|Genre|Comment\n");
    std::string errors;
    EXPECT_GT(bestMatch(track, decode(mp3, 44100, 2, &errors), 2).correlation, 0.9);
    EXPECT_EQ(errors, "");

    // The lookup was made once: without iTunes' files the drop folder is still used.
    fs::remove_all(h.home.home() + "/.config/Apple Computer");
    fs::remove(library);
    fs::remove(mp3);
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(fs::exists(mp3));
    EXPECT_TRUE(itunes.calls.empty());
}

TEST_F(RecorderItunes, ADropFolderMissingAtTheFirstExportIsNotLookedForAgain) {
    writeTrack();
    installItunesFiles(false);
    bool saved = false;
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_TRUE(saved);
    EXPECT_EQ(itunes.count("IiTunes.ConvertFile2"), 1);
    fs::create_directories(dropFolder());
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_TRUE(saved);
    EXPECT_EQ(itunes.count("IiTunes.ConvertFile2"), 2);
    EXPECT_TRUE(fs::is_empty(dropFolder()));
}

TEST_F(RecorderItunes, WithoutItunesTheUserIsToldAndNothingIsLeft) {
    writeTrack();
    ItunesUnavailable platform;
    app().services.itunesAutomation = &platform;
    bool saved = true;
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_FALSE(saved);
    EXPECT_EQ(h.dialog.texts, (std::vector<std::string>{"Unable to start iTunes.  Please reinstall iTunes.",
                                                        "Unable to save track into iTunes."}));
    EXPECT_TRUE(tempEmpty());

    // The program's own platform when none is given is the same.
    app().services.itunesAutomation = nullptr;
    h.dialog.texts.clear();
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_FALSE(saved);
    EXPECT_EQ(h.dialog.texts.size(), 2u);
}

TEST_F(RecorderItunes, ATrackThatCannotBeConvertedIsNotSaved) {
    // No cache file: the WAV cannot be made; iTunes is not started.
    bool saved = true;
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_FALSE(saved);
    EXPECT_EQ(h.dialog.texts, std::vector<std::string>{"Unable to save track into iTunes."});
    EXPECT_TRUE(itunes.calls.empty());
    EXPECT_TRUE(tempEmpty());
}

TEST_F(RecorderItunes, FullImportThroughItunes) {
    writeTrack();
    ASSERT_EQ(recorderSessionSetNumChannels(1), OKAY);
    ScriptedTrack details;
    for (const char* k : {"Name", "Artist", "Album", "Comment", "Composer", "Genre", "Grouping", "Category",
                          "Description", "LongDescription", "AlbumArtist", "Show", "SortAlbum",
                          "SortAlbumArtist", "SortArtist", "SortComposer", "SortName", "SortShow", "Lyrics"})
        details.texts[k] = std::string("iTunes ") + k;
    int n = 1;
    for (const char* k : {"BPM", "DiscCount", "DiscNumber", "Rating", "TrackCount", "TrackNumber", "Year"})
        details.numbers[k] = n++;
    details.numbers["Compilation"] = 1;
    details.artwork.push_back({kItArtworkJpeg, "jpeg bytes"});
    itunes.importDetails = details;

    // iTunes' events in the middle of the import reach the main window; the
    // WAV it is handed is the mono one of the channel setting.
    EventLog log;
    app().window.mainWindow->installEventFilter(&log);
    std::string channels, blockAlign;
    itunes.onCall = [&](const std::string& member) {
        if (member != "IiTunes.ConvertFile2") return;
        const std::string wav = temp + "/" + kRecorderItunesWavName;
        channels = toolOutput("soxi -c " + shellQuoted(wav));
        const Bytes header = testsupport::readBytes(wav);
        blockAlign = std::to_string(header.size() > 33 ? header[32] | (header[33] << 8) : -1);
        itunes.fireApplicationEvent(kItEventPlayerPlay);
        itunes.fireApplicationEvent(kItEventAboutToPromptQuit);
    };

    bool saved = false;
    ASSERT_EQ(save(saved), OKAY);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(h.dialog.texts.empty());
    EXPECT_EQ(channels, "1\n");
    EXPECT_EQ(blockAlign, "2");
    unsigned play = 0, quit = 0;
    ASSERT_EQ(recorderItunesRegisterMessage(kItunesSdkMsgStartsToPlay, play), OKAY);
    ASSERT_EQ(recorderItunesRegisterMessage(kItunesSdkMsgAboutToQuit, quit), OKAY);
    EXPECT_EQ(log.types, (std::vector<unsigned>{play, quit}));

    // One track is left: the final one, with the recorder's five texts and
    // every other detail iTunes gave the intermediate track.
    ASSERT_EQ(itunes.library().size(), 1u);
    const ScriptedTrack& finalTrack = itunes.library().front();
    EXPECT_EQ(finalTrack.texts.at("Name"), "Title é");
    EXPECT_EQ(finalTrack.texts.at("Artist"), "Artist");
    EXPECT_EQ(finalTrack.texts.at("Album"), "Album");
    EXPECT_EQ(finalTrack.texts.at("Genre"), "Genre");
    EXPECT_EQ(finalTrack.texts.at("Comment"), "Comment");
    for (const char* k :
         {"Composer", "Grouping", "Category", "Description", "LongDescription", "AlbumArtist", "Show",
          "SortAlbum", "SortAlbumArtist", "SortArtist", "SortComposer", "SortName", "SortShow", "Lyrics"})
        EXPECT_EQ(finalTrack.texts.at(k), details.texts.at(k)) << k;
    for (const auto& [k, v] : details.numbers) EXPECT_EQ(finalTrack.numbers.at(k), v) << k;
    EXPECT_EQ(finalTrack.artwork.size(), 1u);
    EXPECT_TRUE(fs::exists(finalTrack.location));
    // The intermediate track's file is gone with it; only the final file remains.
    EXPECT_EQ(std::distance(fs::directory_iterator(itunes.mediaFolder), fs::directory_iterator()), 1);
    EXPECT_EQ(itunes.count("IiTunes.ConvertTrack2"), 1);
    EXPECT_EQ(itunes.count("IITTrack.Delete"), 1);
    EXPECT_TRUE(tempEmpty());
    // iTunes is left running, and no sink stays connected.
    EXPECT_TRUE(itunes.running);
    EXPECT_EQ(itunes.count("IiTunes.Quit"), 0);
    EXPECT_EQ(itunes.applicationSinks(), 0);
    app().window.mainWindow->removeEventFilter(&log);
}

TEST_F(RecorderItunes, AFailedConversionIsAnInternalErrorAndCleansUp) {
    writeTrack();
    itunes.conversionTracks = 0;
    ReportRecorder reports;
    bool saved = true;
    EXPECT_EQ(save(saved), NOT_OKAY);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(reports.reported("./itunes/recorderItunes"));
    EXPECT_TRUE(reports.reported("UTIL/itunesSdk/itunesSdkUtils"));
    EXPECT_TRUE(tempEmpty());
    EXPECT_EQ(itunes.applicationSinks(), 0);
}

}  // namespace

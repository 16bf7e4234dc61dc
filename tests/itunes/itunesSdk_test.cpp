// The automation side of the export on a scripted iTunes: bringing iTunes up
// (and failing to), its events, conversions and their time-outs, reading and
// writing a track's details, and deleting a track.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "itunesSdkCOMInterfaceCalls.h"
#include "itunesSdkGet.h"
#include "itunesSdkSet.h"
#include "itunesSdkUtils.h"
#include "itunesTestSupport.h"
#include "report.h"
#include "songDetails.h"
#include "testsupport.h"

using namespace itunestest;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kTrackTexts = {"Name",         "Artist",      "Album",           "Comment",
                                              "Composer",     "Genre",       "Grouping",        "Time",
                                              "Category",     "Description", "LongDescription", "AlbumArtist",
                                              "Show",         "SortAlbum",   "SortAlbumArtist", "SortArtist",
                                              "SortComposer", "SortName",    "SortShow",        "Lyrics"};
const std::vector<std::string> kTrackNumbers = {"BPM",     "Compilation", "DiscCount",   "DiscNumber",
                                                "Rating",  "TrackCount",  "TrackNumber", "Year",
                                                "BitRate", "Duration",    "SampleRate"};

// A track with every detail set to a value of its own (Compilation 1).
ScriptedTrack fullTrack(const std::string& location) {
    ScriptedTrack t;
    t.location = location;
    int n = 1;
    for (const std::string& k : kTrackTexts) t.texts[k] = k + " text é";
    for (const std::string& k : kTrackNumbers) t.numbers[k] = k == "Compilation" ? 1 : 10 * n++;
    t.artwork.push_back({kItArtworkPng, "picture bytes"});
    return t;
}

itunesSdkTrackIds idsOf(const ScriptedItunes& itunes, int32_t trackId) {
    const ScriptedTrack* t = itunes.track(trackId);
    return t ? itunesSdkTrackIds{t->sourceId, t->playlistId, t->trackId, t->databaseId} : itunesSdkTrackIds{};
}

class ItunesSdk : public ::testing::Test {
  protected:
    ItunesSdk() {
        itunes.mediaFolder = dir.file("media");
        fs::create_directories(itunes.mediaFolder);
    }
    std::string file(const std::string& name, const std::string& bytes = "RIFF audio") {
        std::ofstream(dir.file(name), std::ios::binary) << bytes;
        return dir.file(name);
    }
    int init(bool& ok, itunesSdkWindow* window = nullptr) {
        return itunesSdkInit(context, window, ok, 1, &trace, &itunes);
    }

    testsupport::TempDir dir;
    ScriptedItunes itunes;
    TraceLines trace;
    std::unique_ptr<itunesSdkContext> context;
};

TEST_F(ItunesSdk, BringsItunesUpAndLetsItRunOnRelease) {
    RecordingWindow window;
    bool ok = false;
    ASSERT_EQ(init(ok, &window), OKAY);
    EXPECT_TRUE(ok);
    EXPECT_EQ(itunes.applicationSinks(), 1);
    EXPECT_TRUE(trace.has("\t\t\titunesSdkBringUpItunes: iTunes version " + itunes.version));
    EXPECT_TRUE(trace.has("\t\t\titunesSdkBringUpItunes: Advise() returns 0x00"));
    EXPECT_TRUE(trace.has("      itunesSdkInit: Done"));
    EXPECT_EQ(context->playMessage, 902u);
    ASSERT_EQ(itunesSdkRelease(context, false), OKAY);
    EXPECT_EQ(context, nullptr);
    EXPECT_EQ(itunes.applicationSinks(), 0);
    EXPECT_TRUE(itunes.running);
    EXPECT_EQ(itunes.count("IiTunes.Quit"), 0);
    EXPECT_EQ(itunesSdkRelease(context, false), OKAY);  // a second release does nothing
}

struct StartCase {
    const char* name;
    bool installed;
    std::vector<ItHresult> createFailures;
    bool compatible;
    bool ok;
    int attempts;
    int64_t sleptMs;
    bool running;
};

const ItHresult kExecFailure = static_cast<ItHresult>(0x80080005u);

TEST_F(ItunesSdk, StartAttempts) {
    const StartCase cases[] = {
        {"not installed: given up at once", false, {}, true, false, 1, 0, false},
        {"slow to start", true, {kExecFailure, kExecFailure, kExecFailure}, true, true, 4, 750, true},
        {"never starts", true, std::vector<ItHresult>(25, kExecFailure), true, false, 20, 19 * 250, false},
        {"incompatible: closed again", true, {}, false, false, 1, 0, false},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedItunes scripted;
        scripted.installed = c.installed;
        scripted.createFailures.assign(c.createFailures.begin(), c.createFailures.end());
        scripted.compatible = c.compatible;
        TraceLines lines;
        std::unique_ptr<itunesSdkContext> started;
        bool ok = !c.ok;
        ASSERT_EQ(itunesSdkInit(started, nullptr, ok, 1, &lines, &scripted), OKAY);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(scripted.count("CoCreateInstance"), c.attempts);
        EXPECT_EQ(scripted.sleptMs, c.sleptMs);
        EXPECT_EQ(scripted.running, c.running);
        if (!c.compatible) {
            EXPECT_EQ(scripted.count("IiTunes.Quit"), 1);
            EXPECT_TRUE(
                lines.has("\t\t\titunesSdkBringUpItunes: Incompatible type library found (asked for 1.5). "
                          "Shutting down iTunes..."));
        }
        if (!c.installed) {
            EXPECT_EQ(lines.count("      itunesSdkInit: Failed to load iTunes: 0x80040154"), 2);
        }
        EXPECT_EQ(itunesSdkRelease(started, false), OKAY);
    }
}

TEST_F(ItunesSdk, TheLinuxPlatformHasNoItunes) {
    ItunesUnavailable platform;
    TraceLines lines;
    std::unique_ptr<itunesSdkContext> started;
    bool ok = true;
    ASSERT_EQ(itunesSdkInit(started, nullptr, ok, 1, &lines, &platform), OKAY);
    EXPECT_FALSE(ok);
    // One attempt, not twenty: a server that is not installed will not appear.
    EXPECT_EQ(lines.count("Callling CoCreateInstance()"), 1);
    EXPECT_FALSE(platform.mainWindowExists());
    EXPECT_EQ(itunesSdkRelease(started, true), OKAY);
}

TEST_F(ItunesSdk, EventsReachTheWindowAndAboutToQuitKeepsItunesRunning) {
    RecordingWindow window;
    bool ok = false;
    ASSERT_EQ(init(ok, &window), OKAY);
    itunes.fireApplicationEvent(kItEventPlayerPlay);
    itunes.fireApplicationEvent(5);  // any other event is ignored
    EXPECT_EQ(window.messages, std::vector<unsigned>{902});
    EXPECT_EQ(context->aboutToQuit, 0);
    itunes.fireApplicationEvent(kItEventAboutToPromptQuit);
    EXPECT_EQ(window.messages, (std::vector<unsigned>{902, 901}));
    EXPECT_EQ(context->aboutToQuit, 1);
    ASSERT_EQ(itunesSdkRelease(context, true), OKAY);
    EXPECT_TRUE(itunes.running);
    EXPECT_EQ(itunes.count("IiTunes.Quit"), 0);
    // Disconnected: an event after the release reaches nobody.
    itunes.fireApplicationEvent(kItEventPlayerPlay);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(ItunesSdk, ReleaseWithQuitClosesItunesAndWaitsForIt) {
    bool ok = false;
    ASSERT_EQ(init(ok), OKAY);
    ASSERT_EQ(itunesSdkRelease(context, true), OKAY);
    EXPECT_EQ(itunes.count("IiTunes.Quit"), 1);
    EXPECT_FALSE(itunes.running);

    // An iTunes that ignores the request is waited for 10 s, no longer.
    ScriptedItunes stubborn;
    stubborn.closesWhenAsked = false;
    ASSERT_EQ(itunesSdkInit(context, nullptr, ok, 0, nullptr, &stubborn), OKAY);
    bool timedOut = false;
    ASSERT_EQ(itunesSdkCloseItunes(context.get(), timedOut), OKAY);
    EXPECT_TRUE(timedOut);
    EXPECT_EQ(stubborn.sleptMs, kItunesSdkCloseTimeoutMs);
    // Without the application object the close request goes to iTunes' window.
    context->application.reset();
    ASSERT_EQ(itunesSdkCloseItunes(context.get(), timedOut), OKAY);
    EXPECT_EQ(stubborn.count("WM_CLOSE"), 1);
    ASSERT_EQ(itunesSdkRelease(context, false), OKAY);
}

TEST_F(ItunesSdk, ConversionMakesOneNewTrack) {
    bool ok = false;
    ASSERT_EQ(init(ok), OKAY);
    itunes.conversionMs = 90000;
    const std::string wav = file("in.wav");
    itunesSdkTrackIds made;
    ASSERT_EQ(itunesSdkUtilsConvertAndImportFile(context.get(), wav, 180000, made), OKAY);
    const ScriptedTrack* t = itunes.track(made.trackId);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(made, idsOf(itunes, made.trackId));
    EXPECT_TRUE(fs::exists(t->location));
    EXPECT_EQ(fs::path(t->location).extension(), ".mp3");
    EXPECT_GE(itunes.sleptMs, 90000);
    EXPECT_LT(itunes.sleptMs, 90000 + 100);
    EXPECT_TRUE(trace.has("         itunesSdkUtilsConvertAndImportFile: Entered with " + wav));
    EXPECT_TRUE(trace.has("         itunesSdkUtilsConvertAndImportFile: Success"));
    // The status sink was advised for the conversion and let go after it.
    EXPECT_EQ(itunes.count("IConnectionPoint.Advise"), 2);
    EXPECT_EQ(itunes.conversionSinks(), 0);

    itunesSdkTrackIds again;
    ASSERT_EQ(itunesSdkUtilsConvertAndImportTrack(context.get(), made, 180000, again), OKAY);
    EXPECT_NE(again.trackId, made.trackId);
    EXPECT_NE(itunes.track(again.trackId), nullptr);
    EXPECT_EQ(itunes.count("IiTunes.ConvertTrack2"), 1);
}

TEST_F(ItunesSdk, ConversionTimeOutsFollowTheTrackLength) {
    const struct {
        int32_t durationMs;
        int32_t timeoutSeconds;
    } cases[] = {{0, 360}, {179000, 360}, {180000, 360}, {600000, 1200}, {3600000, 7200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.durationMs);
        EXPECT_EQ(itunesSdkUtilsConversionTimeout(c.durationMs), c.timeoutSeconds);
        if (c.durationMs != 179000 && c.durationMs != 600000) continue;

        ReportRecorder reports;
        ScriptedItunes slow;
        slow.mediaFolder = itunes.mediaFolder;
        slow.conversionsNeverEnd = true;
        TraceLines lines;
        std::unique_ptr<itunesSdkContext> started;
        bool ok = false;
        ASSERT_EQ(itunesSdkInit(started, nullptr, ok, 1, &lines, &slow), OKAY);
        itunesSdkTrackIds made;
        EXPECT_NE(itunesSdkUtilsConvertAndImportFile(started.get(), file("long.wav"), c.durationMs, made),
                  OKAY);
        // Waited whole seconds of the clock, polling every 50 ms.
        EXPECT_GT(slow.sleptMs, (c.timeoutSeconds - 1) * 1000);
        EXPECT_LE(slow.sleptMs, c.timeoutSeconds * 1000 + 50);
        EXPECT_TRUE(lines.has("            itunesSdkUtils_WaitForAsynchronousTaskToComplete: Timed out!"));
        EXPECT_TRUE(
            lines.has("            itunesSdkGet_TrackUsingIstatus: Istatus indicates convert operation is "
                      "still in progress"));
        EXPECT_TRUE(lines.has(
            "         itunesSdkUtilsConvertAndImportFile: itunesSdkUtils_GetTrackUsingIstatus failed"));
        EXPECT_TRUE(reports.reported("UTIL/itunesSdk/itunesSdkUtils"));
        itunesSdkRelease(started, false);
    }
}

TEST_F(ItunesSdk, FailedConversions) {
    const struct {
        const char* name;
        std::function<void(ScriptedItunes&)> script;
        std::string line;
    } cases[] = {
        {"ConvertFile2 refused", [](ScriptedItunes& s) { s.failAlways("IiTunes.ConvertFile2", kItEFail); },
         "         itunesSdkUtilsConvertAndImportFile: ConvertFile2 failed"},
        {"no track made", [](ScriptedItunes& s) { s.conversionTracks = 0; },
         "            itunesSdkGet_TrackUsingIstatus: l_track_count != 1"},
        {"two tracks made", [](ScriptedItunes& s) { s.conversionTracks = 2; },
         "            itunesSdkGet_TrackUsingIstatus: l_track_count != 1"},
        {"tracks unreadable",
         [](ScriptedItunes& s) { s.failAlways("IITOperationStatus.get_Tracks", kItEFail); },
         "            itunesSdkGet_TrackUsingIstatus: Istatus->get_Tracks() failed and returned -2147467259"},
        {"status unreadable",
         [](ScriptedItunes& s) { s.failAlways("IITOperationStatus.get_InProgress", kItEFail); },
         "            itunesSdkUtils_WaitForAsynchronousTaskToComplete: "
         "itunesSdk_IITOperationStatus_get_InProgress() fails"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportRecorder reports;
        ScriptedItunes scripted;
        scripted.mediaFolder = itunes.mediaFolder;
        c.script(scripted);
        TraceLines lines;
        std::unique_ptr<itunesSdkContext> started;
        bool ok = false;
        ASSERT_EQ(itunesSdkInit(started, nullptr, ok, 1, &lines, &scripted), OKAY);
        itunesSdkTrackIds made;
        EXPECT_EQ(itunesSdkUtilsConvertAndImportFile(started.get(), file("a.wav"), 1000, made), NOT_OKAY);
        EXPECT_TRUE(lines.has(c.line));
        EXPECT_GE(reports.count(), 1u);
        itunesSdkRelease(started, false);
    }
}

// Reading a track's details and writing them back onto another track: every
// field arrives, the computed numbers are never written, and the file-track
// texts follow the extension rules.
TEST_F(ItunesSdk, DetailsRoundTripAndExtensionRules) {
    const struct {
        const char* extension;
        bool lyricsRead;
        bool fileTextsWritten;
    } cases[] = {{"mp3", true, true},
                 {"m4a", true, true},
                 {"wav", false, false},
                 {"WAV", false, false},
                 {"cda", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        ScriptedItunes scripted;
        TraceLines lines;
        std::unique_ptr<itunesSdkContext> started;
        bool ok = false;
        ASSERT_EQ(itunesSdkInit(started, nullptr, ok, 1, &lines, &scripted), OKAY);
        ScriptedTrack source = fullTrack(dir.file(std::string("track.") + c.extension));
        source.texts["SortComposer"] = "Composer, The";
        const int32_t from = scripted.addTrack(source);
        ScriptedTrack blankTarget;
        blankTarget.location = dir.file(std::string("target.") + c.extension);
        const int32_t to = scripted.addTrack(blankTarget);

        std::unique_ptr<songDetails> record;
        ASSERT_EQ(songDetailsInit(record, 0, nullptr), OKAY);
        ASSERT_EQ(itunesSdkGetSongDetails(started.get(), idsOf(scripted, from), dir.str(), record.get()),
                  OKAY);
        EXPECT_EQ(record->location, source.location);
        EXPECT_EQ(record->composer.value_or("?"), "Composer text é");
        EXPECT_EQ(record->sortComposer, "Composer, The");
        EXPECT_EQ(record->showName, "Show text é");
        EXPECT_EQ(record->lyrics.value_or("?"), c.lyricsRead ? "Lyrics text é" : "");
        EXPECT_EQ(scripted.count("IITFileOrCDTrack.get_Lyrics"), c.lyricsRead ? 1 : 0);
        EXPECT_EQ(record->artworkFile, dir.file("izentic_album_art.png"));
        EXPECT_EQ(testsupport::readText(record->artworkFile), "picture bytes");
        EXPECT_EQ(record->isCompilation, 1);
        EXPECT_EQ(record->durationInSeconds, source.numbers["Duration"]);

        ASSERT_EQ(itunesSdkSetTrackInfoFromSongDetails(started.get(), idsOf(scripted, to), record.get()),
                  OKAY);
        const ScriptedTrack& written = *scripted.track(to);
        for (const char* k : {"Name", "Artist", "Album", "Comment", "Composer", "Genre", "Grouping"})
            EXPECT_EQ(written.texts.at(k), source.texts.at(k)) << k;
        for (const char* k :
             {"BPM", "Compilation", "DiscCount", "DiscNumber", "Rating", "TrackCount", "TrackNumber", "Year"})
            EXPECT_EQ(written.numbers.at(k), source.numbers.at(k)) << k;
        for (const char* k : {"BitRate", "Duration", "SampleRate"})
            EXPECT_EQ(written.numbers.count(k), 0u) << k;
        EXPECT_EQ(written.texts.count("Time"), 0u);
        EXPECT_EQ(scripted.count("IITFileOrCDTrack.put_SortShow"), c.fileTextsWritten ? 1 : 0);
        if (c.fileTextsWritten) {
            for (const char* k : {"Category", "Description", "LongDescription", "AlbumArtist", "Show",
                                  "SortAlbum", "SortAlbumArtist", "SortArtist", "SortName", "SortShow"})
                EXPECT_EQ(written.texts.at(k), source.texts.at(k)) << k;
            EXPECT_EQ(written.texts.at("SortComposer"), "Composer, The");
            EXPECT_EQ(written.texts.at("Lyrics"), c.lyricsRead ? "Lyrics text é" : "");
        }
        itunesSdkRelease(started, false);
    }
}

TEST_F(ItunesSdk, WritingDetailsOntoAMissingTrackFails) {
    ReportRecorder reports;
    bool ok = false;
    ASSERT_EQ(init(ok), OKAY);
    std::unique_ptr<songDetails> record;
    ASSERT_EQ(songDetailsInit(record, 0, nullptr), OKAY);
    EXPECT_EQ(itunesSdkSetTrackInfoFromSongDetails(context.get(), {1, 1, 4242, 9242}, record.get()),
              NOT_OKAY);
    EXPECT_TRUE(trace.has("      itunesSdkSetTrackInfoFromSongDetails: Itrack is NULL"));

    ScriptedTrack t;
    t.location = dir.file("x.mp3");
    const int32_t id = itunes.addTrack(t);
    itunes.failAlways("IITTrack.put_Genre", kItEFail);
    EXPECT_EQ(itunesSdkSetTrackInfoFromSongDetails(context.get(), idsOf(itunes, id), record.get()), NOT_OKAY);
    EXPECT_TRUE(
        trace.has("      itunesSdkSetTrackInfoFromSongDetails: itunesSdk_IITTrack_put_Genre() failed"));
}

TEST_F(ItunesSdk, TrackLookupAndDeletion) {
    bool ok = false;
    ASSERT_EQ(init(ok), OKAY);
    ScriptedTrack t;
    t.location = file("t.mp3");
    const int32_t id = itunes.addTrack(t);
    std::shared_ptr<IITTrack> found;
    ASSERT_EQ(itunesSdkGet_ITrackByIDs(context.get(), idsOf(itunes, id), found), OKAY);
    EXPECT_TRUE(found);

    // Locked for a while: the delete is tried again until it goes through.
    itunes.failNext("IITTrack.Delete", std::vector<ItHresult>(150, kItObjectLocked));
    ASSERT_EQ(itunesSdkUtilsDeleteTrack(context.get(), idsOf(itunes, id)), OKAY);
    EXPECT_EQ(itunes.track(id), nullptr);
    EXPECT_TRUE(fs::exists(t.location));  // the library entry goes, the file stays
    ASSERT_EQ(itunesSdkGet_ITrackByIDs(context.get(), {1, 1, id, id + 5000}, found), OKAY);
    EXPECT_FALSE(found);

    ReportRecorder reports;
    EXPECT_EQ(itunesSdkUtilsDeleteTrack(context.get(), {1, 1, id, id + 5000}), NOT_OKAY);

    // A track that never lets go is given up after 180 s.
    const int32_t stuck = itunes.addTrack(t);
    itunes.failAlways("IITTrack.Delete", kItEFail);
    const int64_t before = itunes.sleptMs;
    EXPECT_EQ(itunesSdkUtilsDeleteTrack(context.get(), idsOf(itunes, stuck)), NOT_OKAY);
    EXPECT_EQ(itunes.sleptMs - before, kItunesSdkDeleteTimeoutMs);
    EXPECT_NE(itunes.track(stuck), nullptr);
}

}  // namespace

// The save flow through its dialogs (offscreen), driven by the controls'
// identifiers: which tracks a save means, the Save button's rule and menu,
// the naming rules, the single-track and multiple-tracks dialogs with their
// messages, removal after saving, the progress dialog and its Cancel, the
// folder picker, and the saved files checked with mutagen, ffprobe and ffmpeg.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <filesystem>

#include "dialogDriver.h"
#include "ptListView.h"
#include "recorderDlgSaveMultipleTracks.h"
#include "recorderDlgSaveSingleTrack.h"
#include "recorderItunes.h"
#include "recorderItunesState.h"
#include "recorderMP3.h"
#include "recorderSave.h"
#include "recorderSaveTarget.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTagFields.h"
#include "report.h"
#include "saveFixture.h"
#include "scriptedItunes.h"
#include "sndDevicesEngine.h"
#include "sndDevicesNames.h"
#include "testsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kArtifacts = "recorderSave";

recCacheTags tagsOf(const std::string& title, const std::string& artist = "", const std::string& album = "") {
    recCacheTags t;
    t.song = title;
    t.artist = artist;
    t.album = album;
    return t;
}

// ---------------------------------------------------------------- which tracks

TEST(recorderSave, SaveButtonOpensTheDialogOrTheMenuByTheTracksInTheList) {
    struct Case {
        const char* what;
        int tracks;
        std::vector<int> selected;
        std::string window;                // what opens
        std::vector<std::string> entries;  // of the menu
    } cases[] = {
        {"one track, nothing selected", 1, {}, kDlgSaveSingleCaption, {}},
        {"two tracks, both selected", 2, {0, 1}, kSaveMenuName, {"Selected Tracks...", "All Tracks..."}},
        {"five tracks, one selected", 5, {3}, kSaveMenuName, {"Selected Track...", "All Tracks..."}},
        {"five tracks, two selected", 5, {1, 2}, kSaveMenuName, {"Selected Tracks...", "All Tracks..."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFixture f;
        for (int i = 0; i < c.tracks; ++i) f.addTrack(tagsOf("Song " + std::to_string(i)));
        f.selectRows(c.selected);
        std::vector<std::string> menuEntries;
        DialogDriver driver;
        driver.then(c.window, [&](QWidget& w) {
            menuEntries = entries(w);
            if (c.window == kSaveMenuName) {
                w.close();
            } else {
                EXPECT_EQ(child<QLineEdit>(w, kSaveSingleTitle)->text(), "Song 0");
                clickChild(w, kSaveSingleCancel);
            }
        });
        ASSERT_EQ(recorderSaveButton(f.h.app, 40, 40), OKAY);
        EXPECT_TRUE(driver.pending().empty());
        EXPECT_EQ(menuEntries, c.entries);
        if (c.tracks == 1) {
            std::vector<int> rows;
            ptListViewGetSelected(f.h.app.owned.listCtrl.get(), 10, rows);
            EXPECT_EQ(rows, std::vector<int>{0});  // selected for the save
        }
    }
}

TEST(recorderSave, MenuChoicesSaveTheSelectionOrEverything) {
    SaveFixture f;
    for (int i = 0; i < 3; ++i) f.addTrack(tagsOf("Song " + std::to_string(i)));
    f.selectRows({1});
    DialogDriver driver;
    driver.then(kSaveMenuName, [](QWidget& m) { chooseEntry(m, kSaveMenuSelectedTrack); })
        .then(kDlgSaveSingleCaption,
              [](QWidget& w) {
                  EXPECT_EQ(child<QLineEdit>(w, kSaveSingleTitle)->text(), "Song 1");
                  clickChild(w, kSaveSingleCancel);
              })
        .then(kSaveMenuName, [](QWidget& m) { chooseEntry(m, kSaveMenuAllTracks); })
        .then(kDlgSaveMultipleCaption, [](QWidget& w) { pressEscape(w); });
    ASSERT_EQ(recorderSaveButton(f.h.app, 40, 40), OKAY);
    ASSERT_EQ(recorderSaveButton(f.h.app, 40, 40), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(f.trackIds().size(), 3u);  // nothing saved, nothing removed
}

TEST(recorderSave, KindsWithoutTracksSayWhy) {
    SaveFixture f;
    struct Case {
        int kind;
        std::string message;
    } cases[] = {{kSaveSelected, kMsgSelectTracksToSave},
                 {kSaveAll, kMsgNoTracksToSave},
                 {kSaveWizard, kMsgNoWizardTracksToSave}};
    for (const Case& c : cases) {
        f.h.dialog.texts.clear();
        ASSERT_EQ(recorderSave(f.h.app, c.kind), OKAY);
        EXPECT_EQ(f.messages(), std::vector<std::string>{c.message});
    }
    // A track not named by the wizard is no wizard track; once marked it is.
    const int plain = f.addTrack(tagsOf("Plain"));
    const int named = f.addTrack(tagsOf("Named", "Wizard"));
    ASSERT_EQ(recorderSaveMarkWizardTrack(f.h.app, named), OKAY);
    bool wizard = true;
    ASSERT_EQ(recorderSaveIsWizardTrack(f.h.app, plain, wizard), OKAY);
    EXPECT_FALSE(wizard);
    ASSERT_EQ(recorderSaveIsWizardTrack(f.h.app, named, wizard), OKAY);
    EXPECT_TRUE(wizard);
    std::vector<long> ids;
    ASSERT_EQ(recorderSaveCollectIds(f.h.app, kSaveWizard, ids), OKAY);
    EXPECT_EQ(ids, std::vector<long>{named});

    // The recording row alone: it is never saved.
    f.h.dialog.texts.clear();
    ptListViewAppendRow(f.h.app.owned.listCtrl.get(), {"Recording in Progress", "..."}, -1,
                        kRecorderRecordingRow);
    int count = 0;
    ptListViewGetCount(f.h.app.owned.listCtrl.get(), count);
    f.selectRows({count - 1});
    ASSERT_EQ(recorderSave(f.h.app, kSaveSelected), OKAY);
    EXPECT_EQ(f.messages(), std::vector<std::string>{kMsgCannotSaveRecording});
}

TEST(recorderSave, AllTracksLeavesOutShortTracksWhileTheyAreHidden) {
    SaveFixture f;
    ASSERT_EQ(recorderSessionSetMaxShortFileDuration(30), OKAY);
    const int shortOne = f.addTrack(tagsOf("Short"), 30900);
    const int longOne = f.addTrack(tagsOf("Long"), 31000);
    f.h.app.modes.hideShort = true;
    std::vector<long> ids;
    ASSERT_EQ(recorderSaveCollectIds(f.h.app, kSaveAll, ids), OKAY);
    EXPECT_EQ(ids, std::vector<long>{longOne});
    f.h.app.modes.hideShort = false;
    ASSERT_EQ(recorderSaveCollectIds(f.h.app, kSaveAll, ids), OKAY);
    EXPECT_EQ(ids, (std::vector<long>{shortOne, longOne}));

    // Saved through the dialog: only the 31-second track.
    f.h.app.modes.hideShort = true;
    ASSERT_EQ(recorderSongListFill(f.h.app), OKAY);
    DialogDriver driver;
    driver.then(kDlgSaveSingleCaption, [](QWidget& w) { clickChild(w, kSaveSingleOk); });
    ASSERT_EQ(recorderSave(f.h.app, kSaveAll), OKAY);
    EXPECT_TRUE(fs::exists(f.out.file("Long.mp3")));
    EXPECT_FALSE(fs::exists(f.out.file("Short.mp3")));
    EXPECT_EQ(f.trackIds(), std::vector<int>{shortOne});
}

// ---------------------------------------------------------------- names

TEST(recorderSave, BuildMp3PathNamingRules) {
    SaveFixture f;
    const std::string root = f.out.str();
    struct Case {
        std::string folder, artist, album, title;
        bool subfolders;
        std::string path;  // below root
        std::string artistAfter, albumAfter, titleAfter;
    } cases[] = {
        {root, "AC/DC", "Live. 1991", "T.N.T.", true, "/AC_DC/Live_ 1991/T_N_T_.mp3", "AC_DC", "Live_ 1991",
         "T_N_T_"},
        {root, "A", "", "B", false, "/A - B.mp3", "A", "", "B"},
        {root, "", "C", "B", false, "/C - B.mp3", "", "C", "B"},
        {root, "A", "C", "B", false, "/A - C - B.mp3", "A", "C", "B"},
        {root, "", "", "B", false, "/B.mp3", "", "", "B"},
        {root, "", "C", "B", true, "/B.mp3", "", "C", "B"},
        {root, "A", "", "B", true, "/A/B.mp3", "A", "", "B"},
        {root + "/", "A", "C", "B", true, "/A/C/B.mp3", "A", "C", "B"},
        {root + "\\", "A", "C", "B", true, "/A/C/B.mp3", "A", "C", "B"},
        {root, "a:b*c?d\"e<f>g|h\\i", "", "x\ty", false, "/a_b_c_d_e_f_g_h_i - x_y.mp3", "a_b_c_d_e_f_g_h_i",
         "", "x_y"},
        {root, "..", "", ".hidden", true, "/__/_hidden.mp3", "__", "", "_hidden"},
        {root, "Björk", "ホモジェニック", "Jóga 🎵", true, "/Björk/ホモジェニック/Jóga 🎵.mp3", "Björk",
         "ホモジェニック", "Jóga 🎵"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.artist + " / " + c.album + " / " + c.title);
        std::string artist = c.artist, album = c.album, title = c.title, path;
        bool ok = false;
        ASSERT_EQ(recorderSaveBuildMp3Path(f.h.app, ok, c.folder, artist, album, title, c.subfolders, path),
                  OKAY);
        EXPECT_TRUE(ok);
        EXPECT_EQ(path, root + c.path);
        EXPECT_TRUE(fs::is_directory(fs::path(path).parent_path()));
        EXPECT_EQ(artist, c.artistAfter);
        EXPECT_EQ(album, c.albumAfter);
        EXPECT_EQ(title, c.titleAfter);
    }
    // A folder that cannot be made: a file stands where it should be.
    testsupport::writeText(f.out.file("taken"), "not a folder");
    std::string artist = "A", album, title = "B", path;
    bool ok = true;
    ASSERT_EQ(recorderSaveBuildMp3Path(f.h.app, ok, f.out.file("taken"), artist, album, title, true, path),
              OKAY);
    EXPECT_FALSE(ok);
    ASSERT_FALSE(f.messages().empty());
    EXPECT_NE(f.messages().back().find("Unable to create folder"), std::string::npos);
}

// ---------------------------------------------------------------- one track

TEST(recorderSave, SingleTrackDialogSavesATaggedFileAndRemovesTheTrack) {
    SaveFixture f;
    recCacheTags tags = tagsOf("T.N.T.", "AC/DC", "Live. 1991");
    tags.genre = "Hard Rock";
    const int id = f.addTrack(tags, 60000, 1.0);
    const int other = f.addTrack(tagsOf("Other"));
    f.selectRows({0, 1});
    DialogDriver driver;
    driver.then(kDlgSaveSingleCaption, [&](QWidget& w) {
        // Opened with the track's details, the settings and the default folder.
        EXPECT_EQ(child<QLineEdit>(w, kSaveSingleArtist)->text(), "AC/DC");
        EXPECT_EQ(child<QLineEdit>(w, kSaveSingleAlbum)->text(), "Live. 1991");
        EXPECT_EQ(child<QLineEdit>(w, kSaveSingleGenre)->text(), "Hard Rock");
        EXPECT_TRUE(child<QLineEdit>(w, kSaveSingleComment)->text().isEmpty());
        EXPECT_TRUE(child<QRadioButton>(w, kSaveSingleMp3)->isChecked());
        EXPECT_TRUE(child<QGroupBox>(w, kSaveSingleFrame)->isVisible());
        EXPECT_TRUE(child<QCheckBox>(w, kSaveSingleSubfolders)->isChecked());
        EXPECT_EQ(child<QLineEdit>(w, kSaveSingleFolder)->text().toStdString(), f.out.str());
        EXPECT_EQ(child<QLabel>(w, kSaveSingleHint)->text(), "(ex. /Folder/Artist/Album)");
        typeInto(w, kSaveSingleComment,
                 "He said \"hi\" \xe2\x80\x94 \xe6\xbc\xa2\xe5\xad\x97 \xf0\x9f\x8e\xb6");
        screenshot(w, kArtifacts, "save-track");
        clickChild(w, kSaveSingleOk);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    const std::string mp3 = f.out.str() + "/AC_DC/Live_ 1991/T_N_T_.mp3";
    ASSERT_TRUE(fs::exists(mp3));
    const auto t = mutagenTags(mp3);
    EXPECT_EQ(t.at("version"), "2.3");
    EXPECT_EQ(t.at("TIT2"), "T_N_T_");
    EXPECT_EQ(t.at("TPE1"), "AC_DC");
    EXPECT_EQ(t.at("TALB"), "Live_ 1991");
    EXPECT_EQ(t.at("TCON"), "Hard Rock");
    EXPECT_EQ(t.at("COMM"), "eng||He said \"hi\" \xe2\x80\x94 \xe6\xbc\xa2\xe5\xad\x97 \xf0\x9f\x8e\xb6");
    EXPECT_EQ(decodeErrors(mp3), "");
    // Removed after saving (the default), the cache unchanged in its texts.
    EXPECT_EQ(f.trackIds(), std::vector<int>{other});
    EXPECT_TRUE(f.messages().empty());
    // The choices stand as they were (a value that did not change is not written again).
    bool subfolders = false;
    int type = 0;
    ASSERT_EQ(recorderSessionGetUseSubfolders(subfolders), OKAY);
    ASSERT_EQ(recorderSessionGetSaveAsType(type), OKAY);
    EXPECT_TRUE(subfolders);
    EXPECT_EQ(type, 1);
}

TEST(recorderSave, SavedFilesHaveTheChosenBitRateAndChannelsAndTheirTextsIntact) {
    struct Case {
        int kbps, channels;
        std::string title, artist, genre;
    } cases[] = {
        {320, 2, "Don't Stop \xe6\xbc\xa2\xe5\xad\x97 \xf0\x9f\x8e\xb5", "Guns N' Roses",
         "J-Pop \xe2\x9c\xa8"},
        {128, 1, "Mono Song", "", ""},
        {64, 2, "Low", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kbps);
        SaveFixture f;
        ASSERT_EQ(sndDevicesSetMp3Settings(*f.h.app.owned.engine, c.kbps, c.channels == 1 ? 1 : 0, 0), OKAY);
        recCacheTags tags = tagsOf(c.title, c.artist);
        tags.genre = c.genre;
        const int id = f.addTrack(tags, 60000, 1.0);
        DialogDriver driver;
        driver.then(kDlgSaveSingleCaption, [](QWidget& w) {
            clickChild(w, kSaveSingleSubfolders);  // off
            clickChild(w, kSaveSingleOk);
        });
        ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
        const std::string mp3 =
            f.out.str() + "/" + (c.artist.empty() ? c.title : c.artist + " - " + c.title) + ".mp3";
        ASSERT_TRUE(fs::exists(mp3));
        const auto stream = probeStream(mp3);
        EXPECT_EQ(stream.at("codec_name"), "mp3");
        EXPECT_EQ(stream.at("channels"), std::to_string(c.channels));
        EXPECT_EQ(stream.at("bit_rate"), std::to_string(c.kbps * 1000));
        EXPECT_EQ(decodeErrors(mp3), "");
        const auto t = mutagenTags(mp3);
        EXPECT_EQ(t.at("TIT2"), c.title);
        EXPECT_EQ(t.count("TPE1") ? t.at("TPE1") : "", c.artist);
        EXPECT_EQ(t.count("TCON") ? t.at("TCON") : "", c.genre);
        EXPECT_EQ(recorderTestSessionValue("use_subfolders"), "0");
    }
}

TEST(recorderSave, TitleOfSpacesOrAMissingFolderKeepTheDialogOpen) {
    SaveFixture f;
    const int id = f.addTrack(tagsOf("Song"));
    DialogDriver driver;
    driver
        .then(kDlgSaveSingleCaption,
              [](QWidget& w) {
                  typeInto(w, kSaveSingleTitle, "   ");
                  typeInto(w, kSaveSingleArtist, "Kept For Later");
                  clickChild(w, kSaveSingleOk);
              })
        .then(kDlgSaveSingleCaption,
              [](QWidget& w) {
                  typeInto(w, kSaveSingleTitle, "  Song");  // leading spaces go
                  typeInto(w, kSaveSingleFolder, "");
                  clickChild(w, kSaveSingleOk);
              })
        .then(kDlgSaveSingleCaption,
              [](QWidget& w) {
                  typeInto(w, kSaveSingleFolder, "relative/folder");
                  clickChild(w, kSaveSingleOk);
              })
        .then(kDlgSaveSingleCaption, [](QWidget& w) { clickChild(w, kSaveSingleCancel); });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(f.messages(),
              (std::vector<std::string>{kMsgTitleRequired, kMsgFolderRequired, kMsgFolderRequired}));
    EXPECT_TRUE(fs::is_empty(f.out.path()));
    EXPECT_EQ(f.trackIds(), std::vector<int>{id});
    EXPECT_FALSE(f.h.app.save.singleTrackOpen);
}

TEST(recorderSave, SavingOverAFileReplacesItWholeAndAFailedSaveLeavesItAlone) {
    SaveFixture f;
    ASSERT_EQ(recorderSessionSetRemoveAfterSave(false), OKAY);
    const int id = f.addTrack(tagsOf("Song"), 60000, 1.0);
    const std::string mp3 = f.out.file("Song.mp3");
    // Longer than the new file, so a file merely written over would keep a tail.
    const std::string old(2'000'000, 'x');
    testsupport::writeText(mp3, old);
    DialogDriver driver;
    driver.then(kDlgSaveSingleCaption, [](QWidget& w) { clickChild(w, kSaveSingleOk); });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    const std::vector<unsigned char> saved = testsupport::readBytes(mp3);
    ASSERT_GT(saved.size(), 10u);
    EXPECT_LT(saved.size(), old.size());
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 3), "ID3");
    EXPECT_EQ(decodeErrors(mp3), "");

    // The track's audio is gone: the save fails, the file stays as it was.
    fs::remove(sndDevicesAudioPath(f.cacheFolder(), f.baseName(id), kSndScrambleKey));
    testsupport::writeText(mp3, old);
    DialogDriver again;
    again.then(kDlgSaveSingleCaption, [](QWidget& w) { clickChild(w, kSaveSingleOk); })
        .then(kDlgSaveSingleCaption, [](QWidget& w) { clickChild(w, kSaveSingleCancel); });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(again.pending().empty());
    EXPECT_EQ(f.messages(), std::vector<std::string>{kMsgUnableToSaveMp3});
    EXPECT_EQ(testsupport::readText(mp3), old);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(f.out.path())) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"Song.mp3"});  // no temporary left behind
}

TEST(recorderSave, BrowseUsesThePickerAndTheStoredFolder) {
    SaveFixture f;
    const int id = f.addTrack(tagsOf("Song"));
    testsupport::TempDir chosen;
    f.picker.answers = {chosen.str(), ""};
    DialogDriver driver;
    driver.then(kDlgSaveSingleCaption, [&](QWidget& w) {
        clickChild(w, kSaveSingleBrowse);
        EXPECT_EQ(child<QLineEdit>(w, kSaveSingleFolder)->text().toStdString(), chosen.str());
        // Cancelled: the field shows the stored folder again, not what was typed.
        typeInto(w, kSaveSingleFolder, "/typed/over");
        clickChild(w, kSaveSingleBrowse);
        EXPECT_EQ(child<QLineEdit>(w, kSaveSingleFolder)->text().toStdString(), chosen.str());
        clickChild(w, kSaveSingleCancel);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_EQ(f.picker.titles, (std::vector<std::string>{kSelectFolderTitle, kSelectFolderTitle}));
    EXPECT_EQ(f.picker.starts, (std::vector<std::string>{f.out.str(), chosen.str()}));
    EXPECT_EQ(recorderTestSessionValue("default_mp3_save_folder"), chosen.str());
}

// Where iTunes cannot be saved into (no drop folder, no automation server:
// this computer), neither dialog offers it: the MP3 file is the target, and a
// stored iTunes choice waits for a start where iTunes is there.
TEST(recorderSave, ItunesIsNotOfferedWhereItCannotBeSavedInto) {
    SaveFixture f;
    ASSERT_EQ(recorderSessionSetRemoveAfterSave(false), OKAY);
    const int id = f.addTrack(tagsOf("Song"));
    f.addTrack(tagsOf("Other"));
    ASSERT_EQ(recorderSessionSetSaveAsType(2), OKAY);
    auto onlyMp3 = [](QWidget& w, const char* mp3, const char* itunes, const char* frame) {
        EXPECT_FALSE(child<QRadioButton>(w, itunes)->isVisible());
        EXPECT_FALSE(child<QRadioButton>(w, mp3)->isVisible());
        EXPECT_TRUE(child<QRadioButton>(w, mp3)->isChecked());
        EXPECT_TRUE(child<QGroupBox>(w, frame)->isVisible());
    };
    DialogDriver driver;
    driver.then(kDlgSaveSingleCaption, [&](QWidget& w) {
        onlyMp3(w, kSaveSingleMp3, kSaveSingleItunes, kSaveSingleFrame);
        screenshot(w, kArtifacts, "save-track-without-itunes");
        clickChild(w, kSaveSingleOk);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_TRUE(fs::exists(f.out.file("Song.mp3")));
    EXPECT_TRUE(f.messages().empty());
    EXPECT_EQ(recorderTestSessionValue("save_as_type"), "2");  // kept

    DialogDriver batch;
    batch.then(kDlgSaveMultipleCaption, [&](QWidget& w) {
        onlyMp3(w, kSaveMultipleMp3, kSaveMultipleItunes, kSaveMultipleFrame);
        clickChild(w, kSaveMultipleOk);
    });
    ASSERT_EQ(recorderDlgSaveMultipleTracks(f.h.app, kSaveAll), OKAY);
    EXPECT_TRUE(batch.pending().empty());
    EXPECT_TRUE(fs::exists(f.out.file("Other.mp3")));
    EXPECT_EQ(recorderTestSessionValue("save_as_type"), "2");
}

// Where iTunes is there, both dialogs offer it; the folder group hides with
// the choice but keeps its room, so neither dialog changes its size (OK stays
// under the pointer). An iTunes that does not start: the user is told.
TEST(recorderSave, ItunesChoiceKeepsTheDialogsSizeAndTellsWhenItunesDoesNotStart) {
    SaveFixture f;
    ScriptedItunes itunes;
    itunes.createFailures.assign(100, kItEFail);
    f.h.app.services.itunesAutomation = &itunes;
    const int id = f.addTrack(tagsOf("Song"));
    f.addTrack(tagsOf("Other"));
    auto toggles = [](QWidget& w, const char* mp3, const char* itunesId, const char* frame, const char* ok) {
        EXPECT_TRUE(child<QRadioButton>(w, itunesId)->isVisible());
        const QSize size = w.size();
        const QPoint okAt = child<QWidget>(w, ok)->mapTo(&w, QPoint(0, 0));
        for (const char* choice : {itunesId, mp3, itunesId}) {
            clickChild(w, choice);
            QCoreApplication::processEvents();
            EXPECT_EQ(child<QGroupBox>(w, frame)->isHidden(), choice != mp3) << choice;
            EXPECT_EQ(w.size(), size) << choice;
            EXPECT_EQ(child<QWidget>(w, ok)->mapTo(&w, QPoint(0, 0)), okAt) << choice;
        }
    };
    DialogDriver driver;
    driver
        .then(kDlgSaveSingleCaption,
              [&](QWidget& w) {
                  toggles(w, kSaveSingleMp3, kSaveSingleItunes, kSaveSingleFrame, kSaveSingleOk);
                  screenshot(w, kArtifacts, "save-track-itunes");
                  clickChild(w, kSaveSingleOk);
              })
        .then(kDlgSaveSingleCaption, [](QWidget& w) { pressEscape(w); });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(f.messages(), (std::vector<std::string>{kMsgUnableToStartItunes, kMsgUnableToSaveIntoItunes}));
    EXPECT_EQ(recorderTestSessionValue("save_as_type"), "2");
    EXPECT_EQ(f.trackIds().size(), 2u);

    DialogDriver batch;
    batch.then(kDlgSaveMultipleCaption, [&](QWidget& w) {
        EXPECT_TRUE(child<QRadioButton>(w, kSaveMultipleItunes)->isChecked());  // the stored choice
        toggles(w, kSaveMultipleMp3, kSaveMultipleItunes, kSaveMultipleFrame, kSaveMultipleOk);
        clickChild(w, kSaveMultipleCancel);
    });
    ASSERT_EQ(recorderDlgSaveMultipleTracks(f.h.app, kSaveAll), OKAY);
    EXPECT_TRUE(batch.pending().empty());
}

// An untitled track opens with the title a batch would give it, selected:
// OK saves it under that name, typing replaces it.
TEST(recorderSave, AnUntitledTrackStartsWithTheBatchsTitleSelected) {
    SaveFixture f;
    ASSERT_EQ(recorderSessionSetRemoveAfterSave(false), OKAY);
    const int id = f.addTrack(recCacheTags{});
    std::string expected;
    ASSERT_EQ(recorderSaveDefaultTitle(f.nextStart - 100, expected), OKAY);
    // Its start as time and date, in a form a file name can hold.
    ASSERT_NE(expected.find(" - "), std::string::npos);
    ASSERT_EQ(expected.find_first_of("/:"), std::string::npos);
    DialogDriver driver;
    driver.then(kDlgSaveSingleCaption, [&](QWidget& w) {
        auto* title = child<QLineEdit>(w, kSaveSingleTitle);
        EXPECT_EQ(title->text().toStdString(), expected);
        EXPECT_EQ(title->selectedText().toStdString(), expected);
        EXPECT_TRUE(title->hasFocus() || !w.isActiveWindow());
        clickChild(w, kSaveSingleOk);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_TRUE(f.messages().empty());
    const std::string mp3 = f.out.file(expected + ".mp3");
    ASSERT_TRUE(fs::exists(mp3));
    EXPECT_EQ(mutagenTags(mp3).at("TIT2"), expected);
    EXPECT_EQ(f.messages(), std::vector<std::string>{});
    // Typing replaces the offered title.
    DialogDriver typed;
    typed.then(kDlgSaveSingleCaption, [&](QWidget& w) {
        auto* title = child<QLineEdit>(w, kSaveSingleTitle);
        title->insert("Mine");  // as typing does, over the selection
        EXPECT_EQ(title->text(), "Mine");
        clickChild(w, kSaveSingleCancel);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(typed.pending().empty());
}

TEST(recorderSave, ItunesChoiceRunsTheExportFromBothDialogs) {
    SaveFixture f;
    ScriptedItunes itunes;
    itunes.mediaFolder = f.out.file("itunes-media");
    fs::create_directories(itunes.mediaFolder);
    f.h.app.services.itunesAutomation = &itunes;
    const int one = f.addTrack(tagsOf("One", "Band", "Live"));
    const int two = f.addTrack(tagsOf("Two", "Band"));
    const int three = f.addTrack(tagsOf("Three", "Band"));

    // One track: iTunes and OK hand it to the export, which imports it; the
    // track leaves the list and the dialog closes.
    DialogDriver single;
    single.then(kDlgSaveSingleCaption, [](QWidget& w) {
        clickChild(w, kSaveSingleItunes);
        typeInto(w, kSaveSingleGenre, "Rock");
        clickChild(w, kSaveSingleOk);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, one), OKAY);
    EXPECT_TRUE(single.pending().empty());
    EXPECT_EQ(f.messages(), std::vector<std::string>{});
    EXPECT_EQ(itunes.count("IiTunes.ConvertFile2"), 1);
    ASSERT_EQ(itunes.library().size(), 1u);
    const ScriptedTrack& imported = itunes.library().front();
    EXPECT_EQ(imported.texts.at("Name"), "One");
    EXPECT_EQ(imported.texts.at("Artist"), "Band");
    EXPECT_EQ(imported.texts.at("Album"), "Live");
    EXPECT_EQ(imported.texts.at("Genre"), "Rock");
    EXPECT_EQ(f.trackIds(), (std::vector<int>{two, three}));
    EXPECT_EQ(recorderTestSessionValue("save_as_type"), "2");

    // Several: the multiple-tracks dialog opens with iTunes chosen; OK
    // exports each track in turn and tells the count.
    f.selectRows({0, 1});
    DialogDriver several;
    several.then(kDlgSaveMultipleCaption, [](QWidget& w) {
        EXPECT_TRUE(child<QRadioButton>(w, kSaveMultipleItunes)->isChecked());
        EXPECT_FALSE(child<QGroupBox>(w, kSaveMultipleFrame)->isVisible());
        clickChild(w, kSaveMultipleOk);
    });
    ASSERT_EQ(recorderSave(f.h.app, kSaveSelected), OKAY);
    EXPECT_TRUE(several.pending().empty());
    EXPECT_EQ(f.messages(), std::vector<std::string>{"2 tracks were successfully saved."});
    EXPECT_EQ(itunes.count("IiTunes.ConvertFile2"), 3);
    std::vector<std::string> names;
    for (const ScriptedTrack& t : itunes.library()) names.push_back(t.texts.at("Name"));
    EXPECT_EQ(names, (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_TRUE(f.trackIds().empty());
    // Nothing was written where MP3s go.
    int mp3s = 0;
    for (const auto& e : fs::recursive_directory_iterator(f.out.path()))
        mp3s += e.is_regular_file() && e.path().parent_path() != itunes.mediaFolder;
    EXPECT_EQ(mp3s, 0);
}

TEST(recorderSave, ArtistAlbumAndGenreOfferEarlierEntries) {
    SaveFixture f;
    const int id = f.addTrack(tagsOf("Song"));
    // Entries typed into an earlier save.
    DialogDriver first;
    first
        .then(kDlgSaveSingleCaption,
              [](QWidget& w) {
                  typeInto(w, kSaveSingleArtist, "Abba");
                  typeInto(w, kSaveSingleAlbum, "Arrival");
                  typeInto(w, kSaveSingleGenre, "Pop");
                  typeInto(w, kSaveSingleFolder, "");
                  clickChild(w, kSaveSingleOk);  // not saved (no folder), but the entries are kept
              })
        .then(kDlgSaveSingleCaption, [](QWidget& w) { clickChild(w, kSaveSingleCancel); });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    DialogDriver second;
    second.then(kDlgSaveSingleCaption, [](QWidget& w) {
        struct Case {
            const char* field;
            QString typed;
            int offered;
        } cases[] = {{kSaveSingleArtist, "a", 1},  {kSaveSingleArtist, "AB", 1}, {kSaveSingleArtist, "b", 0},
                     {kSaveSingleAlbum, "ARR", 1}, {kSaveSingleGenre, "p", 1},   {kSaveSingleGenre, "x", 0}};
        for (const Case& c : cases) {
            QCompleter* completer = child<QLineEdit>(w, c.field)->completer();
            ASSERT_NE(completer, nullptr);
            completer->setCompletionPrefix(c.typed);
            EXPECT_EQ(completer->completionCount(), c.offered) << c.field << " " << c.typed.toStdString();
        }
        clickChild(w, kSaveSingleCancel);
    });
    ASSERT_EQ(recorderDlgSaveSingleTrack(f.h.app, id), OKAY);
    EXPECT_TRUE(second.pending().empty());
}

// ---------------------------------------------------------------- several tracks

TEST(recorderSave, FailingThirdTrackStopsTheBatchKeepingTheFirstTwo) {
    for (bool removeAfterSave : {true, false}) {
        SCOPED_TRACE(removeAfterSave);
        SaveFixture f;
        ASSERT_EQ(recorderSessionSetRemoveAfterSave(removeAfterSave), OKAY);
        std::vector<int> ids;
        for (int i = 1; i <= 5; ++i) ids.push_back(f.addTrack(tagsOf("t" + std::to_string(i))));
        fs::create_directory(f.out.file("t3.mp3"));  // the third target is a folder
        DialogDriver driver;
        driver
            .then(kDlgSaveMultipleCaption,
                  [](QWidget& w) {
                      clickChild(w, kSaveMultipleSubfolders);  // off
                      screenshot(w, kArtifacts, "save-tracks");
                      clickChild(w, kSaveMultipleOk);
                  })
            .then(kDlgSaveMultipleCaption, [](QWidget& w) { clickChild(w, kSaveMultipleCancel); });
        ASSERT_EQ(recorderSave(f.h.app, kSaveAll), OKAY);
        EXPECT_TRUE(driver.pending().empty());
        EXPECT_TRUE(fs::exists(f.out.file("t1.mp3")));
        EXPECT_TRUE(fs::exists(f.out.file("t2.mp3")));
        EXPECT_FALSE(fs::exists(f.out.file("t4.mp3")));
        EXPECT_FALSE(fs::exists(f.out.file("t5.mp3")));
        const std::string path = f.out.file("t3.mp3");
        EXPECT_EQ(f.messages(),
                  (std::vector<std::string>{
                      std::string(kMsgUnableToSaveFile) + "\n   " + path + "\n\n" + kMsgFileInUse,
                      std::string(kMsgUnableToSaveFile) + "\n   " + path}));
        EXPECT_EQ(f.trackIds(), removeAfterSave ? std::vector<int>(ids.begin() + 2, ids.end()) : ids);
        // The list already shows what is left.
        int rows = 0;
        ptListViewGetCount(f.h.app.owned.listCtrl.get(), rows);
        EXPECT_EQ(rows, removeAfterSave ? 3 : 5);
    }
}

TEST(recorderSave, BatchShowsProgressAndItsCancelStopsTheBatch) {
    SaveFixture f;
    for (int i = 1; i <= 5; ++i) f.addTrack(tagsOf("t" + std::to_string(i), "Band"));
    f.selectRows({0, 1, 2, 3, 4});
    std::vector<std::string> labels;
    DialogDriver driver;
    driver.then(kDlgSaveMultipleCaption, [](QWidget& w) { clickChild(w, kSaveMultipleOk); })
        .then(kSaveProgressCaption,
              [&](QWidget& w) {
                  auto* progress = qobject_cast<QProgressDialog*>(&w);
                  ASSERT_NE(progress, nullptr);
                  labels.push_back(progress->labelText().toStdString());
                  screenshot(w, kArtifacts, "save-progress");
                  progress->cancel();  // as the first track comes up
              })
        .then(kDlgSaveMultipleCaption, [](QWidget& w) { clickChild(w, kSaveMultipleOk); });
    ASSERT_EQ(recorderSave(f.h.app, kSaveSelected), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(labels, std::vector<std::string>{"Saving 1 of 5\nt1 - Band"});
    // Cancelled: nothing saved, no count, the dialog stayed open; OK again
    // then saved all five.
    EXPECT_EQ(f.messages(), std::vector<std::string>{"5 tracks were successfully saved."});
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(f.out.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 5);
    EXPECT_TRUE(f.trackIds().empty());
}

TEST(recorderSave, FinishedBatchTellsTheCountAndKeepsSameNamedTracksApart) {
    SaveFixture f;
    ASSERT_EQ(recorderSessionSetRemoveAfterSave(true), OKAY);
    f.addTrack(tagsOf("Same", "Band", "Album"));
    f.addTrack(tagsOf("Same", "Band", "Album"));
    const int untitled = f.addTrack(tagsOf(""));
    DialogDriver driver;
    driver.then(kDlgSaveMultipleCaption, [](QWidget& w) {
        EXPECT_TRUE(child<QCheckBox>(w, kSaveMultipleSubfolders)->isChecked());
        clickChild(w, kSaveMultipleOk);
    });
    ASSERT_EQ(recorderSave(f.h.app, kSaveAll), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(f.messages(), std::vector<std::string>{"3 tracks were successfully saved."});
    EXPECT_TRUE(fs::exists(f.out.str() + "/Band/Album/Same.mp3"));
    EXPECT_TRUE(fs::exists(f.out.str() + "/Band/Album/Same (2).mp3"));
    // The untitled track is named after its start, with "-" for "/" and ":".
    std::string named;
    for (const auto& e : fs::directory_iterator(f.out.path()))
        if (e.is_regular_file()) named = e.path().filename().string();
    EXPECT_NE(named.find(" - "), std::string::npos) << named;
    EXPECT_EQ(named.find(':'), std::string::npos) << named;
    EXPECT_EQ(mutagenTags(f.out.file(named)).at("TIT2") + ".mp3", named);
    EXPECT_TRUE(f.trackIds().empty());
    (void)untitled;
}

}  // namespace

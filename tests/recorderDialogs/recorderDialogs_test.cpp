// The track dialogs around the list (offscreen), driven by their controls'
// identifiers: Rename and its auto-completion stores, Options, the Clear List
// Confirmation (also through the window's close request), the main menu at
// its button, About, and the look every dialog takes from the skin (the
// message windows and the e-mail dialog too).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCompleter>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <cmath>
#include <filesystem>

#include "dialogDriver.h"
#include "instanceLock.h"
#include "ptListView.h"
#include "recorderDialogLook.h"
#include "recorderDlgAbout.h"
#include "recorderDlgAskEmail.h"
#include "recorderDlgClearOnExit.h"
#include "recorderDlgMsgModal.h"
#include "recorderDlgMsgModeless.h"
#include "recorderDlgOptions.h"
#include "recorderDlgRename.h"
#include "recorderInit.h"
#include "recorderMainInput.h"
#include "recorderMainMenu.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderPlayerNaming.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTagFields.h"
#include "report.h"
#include "saveFixture.h"
#include "skin.h"
#include "sndDevicesContext.h"
#include "testsupport.h"
#include "toolOutput.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kArtifacts = "recorderDialogs";

recCacheTags tagsOf(const std::string& title, const std::string& artist = "") {
    recCacheTags t;
    t.song = title;
    t.artist = artist;
    return t;
}

std::string storeRows(int number, const std::string& query) {
    std::string folder;
    recorderPaths(RECORDER_PATH_AUTOCOMPLETE, folder);
    return testsupport::toolOutput("sqlite3 " +
                                   testsupport::shellQuoted(folder + "/" + std::to_string(number) + ".db") +
                                   " " + testsupport::shellQuoted(query));
}

std::vector<std::string> listTexts(RecorderApp& app) {
    std::vector<std::string> out;
    for (int i = 0; i < app.owned.listView->topLevelItemCount(); ++i)
        out.push_back(app.owned.listView->topLevelItem(i)->text(0).toStdString());
    return out;
}

// WCAG contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b) {
    auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    auto luminance = [&](const QColor& c) {
        return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The dialog wears the skin's colours, and its texts stay readable.
void expectSkinLook(QWidget& w) {
    const QPalette p = w.palette();
    EXPECT_EQ(p.color(QPalette::Window), QColor(27, 31, 38)) << DialogDriver::nameOf(w);
    EXPECT_GE(contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)), 7.0);
    EXPECT_GE(contrast(p.color(QPalette::Text), p.color(QPalette::Base)), 7.0);
    EXPECT_GE(contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)), 7.0);
    EXPECT_GE(contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)), 4.5);
    EXPECT_GE(contrast(p.color(QPalette::Disabled, QPalette::WindowText), p.color(QPalette::Window)), 3.0);
}

// ---------------------------------------------------------------- Rename

TEST(recorderDialogs, RenameRefusesWithoutATrackOrOnTheRecordingRow) {
    SaveFixture f;
    ASSERT_EQ(recorderDlgRename(f.h.app), OKAY);
    f.addTrack(tagsOf("Song"));
    ptListViewAppendRow(f.h.app.owned.listCtrl.get(), {"Recording in Progress", "..."}, -1,
                        kRecorderRecordingRow);
    f.selectRows({1});
    ASSERT_EQ(recorderDlgRename(f.h.app), OKAY);
    EXPECT_EQ(f.messages(), (std::vector<std::string>{kMsgSelectTrackToRename, kMsgCannotRenameRecording}));
}

TEST(recorderDialogs, RenameKeepsTheDialogOpenWithoutATitleAndStoresEntriesOnce) {
    SaveFixture f;
    recCacheTags old = tagsOf("Old Title", "Old Artist");
    old.comment = "kept";
    const int id = f.addTrack(old);
    f.selectRows({0});
    DialogDriver driver;
    driver
        .then(kDlgRenameCaption,
              [](QWidget& w) {
                  expectSkinLook(w);
                  EXPECT_EQ(child<QLineEdit>(w, kRenameTitle)->text(), "Old Title");
                  EXPECT_EQ(child<QLineEdit>(w, kRenameArtist)->text(), "Old Artist");
                  EXPECT_EQ(child<QLineEdit>(w, kRenameComment)->text(), "kept");
                  typeInto(w, kRenameTitle, "");
                  typeInto(w, kRenameArtist, "Abba");
                  typeInto(w, kRenameAlbum, "Arrival");
                  typeInto(w, kRenameGenre, "Pop");
                  screenshot(w, kArtifacts, "rename");
                  clickChild(w, kRenameOk);
              })
        .then(kDlgRenameCaption, [](QWidget& w) {
            // Still open, and the entries are already in their stores.
            EXPECT_EQ(storeRows(1, "SELECT string FROM strings;"), "Abba\n");
            EXPECT_EQ(storeRows(2, "SELECT string FROM strings;"), "Arrival\n");
            EXPECT_EQ(storeRows(3, "SELECT string FROM strings;"), "Pop\n");
            typeInto(w, kRenameTitle, "Dancing Queen");
            clickChild(w, kRenameOk);
        });
    ASSERT_EQ(recorderDlgRename(f.h.app), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(f.messages(), std::vector<std::string>{kMsgTitleRequired});
    recCacheTags now;
    ASSERT_EQ(recCacheGetTags(f.h.app.owned.cacheDb.get(), id, now), OKAY);
    EXPECT_EQ(now.song, "Dancing Queen");
    EXPECT_EQ(now.artist, "Abba");
    EXPECT_EQ(now.album, "Arrival");
    EXPECT_EQ(now.genre, "Pop");
    EXPECT_EQ(now.comment, "kept");
    EXPECT_EQ(listTexts(f.h.app), std::vector<std::string>{"Dancing Queen - Abba"});

    // The same artist again: still one row; it is offered while typing, in any case.
    DialogDriver again;
    again.then(kDlgRenameCaption, [](QWidget& w) {
        QCompleter* completer = child<QLineEdit>(w, kRenameArtist)->completer();
        ASSERT_NE(completer, nullptr);
        completer->setCompletionPrefix("aB");
        EXPECT_EQ(completer->completionCount(), 1);
        EXPECT_EQ(completer->currentCompletion(), "Abba");
        typeInto(w, kRenameArtist, "Abba");
        clickChild(w, kRenameOk);
    });
    ASSERT_EQ(recorderDlgRename(f.h.app), OKAY);
    EXPECT_EQ(storeRows(1, "SELECT count(*) FROM strings;"), "1\n");

    // Escape changes nothing.
    DialogDriver escape;
    escape.then(kDlgRenameCaption, [](QWidget& w) {
        typeInto(w, kRenameTitle, "Not This");
        pressEscape(w);
    });
    ASSERT_EQ(recorderDlgRename(f.h.app), OKAY);
    ASSERT_EQ(recCacheGetTags(f.h.app.owned.cacheDb.get(), id, now), OKAY);
    EXPECT_EQ(now.song, "Dancing Queen");
}

// ---------------------------------------------------------------- Options

TEST(recorderDialogs, OptionsOpensWithTheSettings) {
    SaveFixture f;
    ASSERT_EQ(recorderSessionSetNumKbps(128), OKAY);
    ASSERT_EQ(recorderSessionSetNumChannels(1), OKAY);
    ASSERT_EQ(recorderSessionSetRemoveAfterSave(false), OKAY);
    ASSERT_EQ(recorderSessionSetMaxShortFileDuration(12), OKAY);
    ASSERT_EQ(recorderSessionSetNameFromPlayers(false), OKAY);
    DialogDriver driver;
    driver.then(kDlgOptionsCaption, [](QWidget& w) {
        expectSkinLook(w);
        EXPECT_EQ(child<QCheckBox>(w, kOptionsNameFromPlayers)->text().toStdString(),
                  kPlayerNamingOptionLabel);
        EXPECT_FALSE(child<QCheckBox>(w, kOptionsNameFromPlayers)->isChecked());
        EXPECT_FALSE(child<QCheckBox>(w, kOptionsAlwaysOnTop)->isChecked());
        EXPECT_FALSE(child<QCheckBox>(w, kOptionsRemoveAfterSave)->isChecked());
        EXPECT_TRUE(child<QCheckBox>(w, kOptionsClearOnExit)->isChecked());
        EXPECT_FALSE(child<QCheckBox>(w, kOptionsClearOnExit)->isEnabled());
        EXPECT_EQ(child<QLineEdit>(w, kOptionsShortDuration)->text(), "12");
        EXPECT_TRUE(child<QRadioButton>(w, kOptionsMono)->isChecked());
        EXPECT_TRUE(child<QRadioButton>(w, kOptionsKbps128)->isChecked());
        screenshot(w, kArtifacts, "options-disabled");
        clickChild(w, kOptionsRemoveAfterSave);
        EXPECT_TRUE(child<QCheckBox>(w, kOptionsClearOnExit)->isEnabled());
        clickChild(w, kOptionsNameFromPlayers);
        screenshot(w, kArtifacts, "options");
        clickChild(w, kOptionsCancel);
    });
    ASSERT_EQ(recorderDlgOptions(f.h.app), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    // Cancel stored nothing.
    EXPECT_EQ(recorderTestSessionValue("remove_after_save"), "0");
    EXPECT_EQ(recorderTestSessionValue("name_from_players"), "0");
}

TEST(recorderDialogs, OptionsShortDurationTakesNumbersOnly) {
    struct Case {
        const char* typed;
        std::string stored;  // the setting afterwards (it starts at 30)
    } cases[] = {{"abc", "<missing>"},         {"0", "0"},        {"45", "45"},
                 {"-", "<missing>"},           {"", "<missing>"}, {"4x", "<missing>"},
                 {"99999999999", "<missing>"}, {"-5", "-5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SaveFixture f;
        DialogDriver driver;
        driver.then(kDlgOptionsCaption, [&](QWidget& w) {
            typeInto(w, kOptionsShortDuration, c.typed);
            clickChild(w, kOptionsOk);
        });
        ASSERT_EQ(recorderDlgOptions(f.h.app), OKAY);
        EXPECT_TRUE(driver.pending().empty());
        EXPECT_EQ(recorderTestSessionValue("max_short_file_duration"), c.stored);
    }
    int seconds = 0;
    EXPECT_TRUE(recorderDlgOptionsParseSeconds("-0", seconds));
    EXPECT_FALSE(recorderDlgOptionsParseSeconds("+3", seconds));
    EXPECT_FALSE(recorderDlgOptionsParseSeconds(" 3", seconds));
}

TEST(recorderDialogs, OptionsShortDurationRebuildsTheFilteredList) {
    SaveFixture f;
    f.addTrack(tagsOf("Forty Seconds"), 40000);
    f.h.app.modes.hideShort = true;
    ASSERT_EQ(recorderSongListFill(f.h.app), OKAY);
    ASSERT_EQ(listTexts(f.h.app).size(), 1u);
    for (auto [typed, rows] : {std::pair{"45", 0u}, std::pair{"0", 1u}}) {
        DialogDriver driver;
        driver.then(kDlgOptionsCaption, [typed](QWidget& w) {
            typeInto(w, kOptionsShortDuration, typed);
            clickChild(w, kOptionsOk);
        });
        ASSERT_EQ(recorderDlgOptions(f.h.app), OKAY);
        EXPECT_EQ(listTexts(f.h.app).size(), rows) << typed;
    }
}

TEST(recorderDialogs, OptionsEncoderChangesDropThePreEncodedFilesOnlyThen) {
    struct Case {
        const char* what;
        std::function<void(QWidget&)> change;
        int companionsLeft;
        std::string kbps, channels;
        int engineKbps, engineMono;
        std::string nameFromPlayers = "<missing>";
    } cases[] = {
        {"remove after save only", [](QWidget& w) { clickChild(w, kOptionsRemoveAfterSave); }, 2, "<missing>",
         "<missing>", 256, 0},
        {"320 Kbps", [](QWidget& w) { clickChild(w, kOptionsKbps320); }, 0, "320", "<missing>", 320, 0},
        {"mono and 64 Kbps",
         [](QWidget& w) {
             clickChild(w, kOptionsMono);
             clickChild(w, kOptionsKbps64);
         },
         0, "64", "1", 64, 1},
        {"naming from media players off", [](QWidget& w) { clickChild(w, kOptionsNameFromPlayers); }, 2,
         "<missing>", "<missing>", 256, 0, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFixture g;
        const std::string folder = g.cacheFolder();
        testsupport::writeText(folder + "/1_2000_3.dat", "x");
        testsupport::writeText(folder + "/4_2000_5.mp3", "x");
        DialogDriver driver;
        driver.then(kDlgOptionsCaption, [&](QWidget& w) {
            c.change(w);
            clickChild(w, kOptionsOk);
        });
        ASSERT_EQ(recorderDlgOptions(g.h.app), OKAY);
        EXPECT_EQ(fs::exists(folder + "/1_2000_3.dat") + fs::exists(folder + "/4_2000_5.mp3"),
                  c.companionsLeft);
        EXPECT_EQ(recorderTestSessionValue("num_kbps"), c.kbps);
        EXPECT_EQ(recorderTestSessionValue("num_channels"), c.channels);
        EXPECT_EQ(sndDevicesSettingsNow(*g.h.app.owned.engine)->mp3.bitRate, c.engineKbps);
        EXPECT_EQ(sndDevicesSettingsNow(*g.h.app.owned.engine)->mp3.mono, c.engineMono);
        EXPECT_EQ(recorderTestSessionValue("name_from_players"), c.nameFromPlayers);
    }
}

TEST(recorderDialogs, OptionsAlwaysOnTopAppliesAtOnce) {
    SaveFixture f;
    for (bool on : {true, false}) {
        DialogDriver driver;
        driver.then(kDlgOptionsCaption, [](QWidget& w) {
            clickChild(w, kOptionsAlwaysOnTop);
            clickChild(w, kOptionsOk);
        });
        const QPoint before = f.h.app.window.mainWindow->pos();
        ASSERT_EQ(recorderDlgOptions(f.h.app), OKAY);
        EXPECT_EQ(recorderTestSessionValue("always_on_top"), on ? "1" : "0");
        EXPECT_EQ(f.h.app.window.mainWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        EXPECT_TRUE(f.h.app.window.mainWindow->isVisible());
        EXPECT_EQ(f.h.app.window.mainWindow->pos(), before);
    }
}

// ---------------------------------------------------------------- Clear List

TEST(recorderDialogs, ClearListQuestionOnlyWithTracksAndRemoveAfterSave) {
    struct Case {
        const char* what;
        int tracks;
        bool removeAfterSave;
    } cases[] = {{"no tracks", 0, true}, {"remove after save off", 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFixture f;
        ASSERT_EQ(recorderSessionSetRemoveAfterSave(c.removeAfterSave), OKAY);
        for (int i = 0; i < c.tracks; ++i) f.addTrack(tagsOf("Song"));
        DialogDriver driver;
        ASSERT_EQ(recorderAskClearOnExit(f.h.app), OKAY);
        f.h.pump(30);
        EXPECT_TRUE(driver.seen.empty());
        EXPECT_EQ(f.trackIds().size(), static_cast<size_t>(c.tracks));
    }
    EXPECT_EQ(recorderDlgClearOnExitText(1),
              "You have 1 unsaved track in your list.\n\nWould you like to clear your list?");
    EXPECT_EQ(recorderDlgClearOnExitText(3),
              "You have 3 unsaved tracks in your list.\n\nWould you like to clear your list?");
}

TEST(recorderDialogs, ClearListAnswers) {
    struct Case {
        const char* what;
        bool dontShow;
        std::function<void(QWidget&)> answer;
        bool cleared;
    } cases[] = {
        {"no", false, [](QWidget& w) { clickChild(w, kClearNo); }, false},
        {"escape", false, [](QWidget& w) { pressEscape(w); }, false},
        {"yes", false, [](QWidget& w) { clickChild(w, kClearYes); }, true},
        {"don't show again, no", true, [](QWidget& w) { clickChild(w, kClearNo); }, false},
        {"don't show again, yes", true, [](QWidget& w) { clickChild(w, kClearYes); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFixture f;
        std::vector<std::string> bases;
        for (int i = 0; i < 3; ++i) bases.push_back(f.baseName(f.addTrack(tagsOf("Song"))));
        DialogDriver driver;
        driver.then(kDlgClearOnExitCaption, [&](QWidget& w) {
            expectSkinLook(w);
            EXPECT_EQ(child<QLabel>(w, kClearText)->text().toStdString(), recorderDlgClearOnExitText(3));
            EXPECT_FALSE(child<QCheckBox>(w, kClearDontShow)->isChecked());
            if (c.dontShow) clickChild(w, kClearDontShow);
            screenshot(w, kArtifacts, "clear-list");
            c.answer(w);
        });
        ASSERT_EQ(recorderDlgClearOnExit(f.h.app), OKAY);
        EXPECT_TRUE(driver.pending().empty());
        EXPECT_EQ(f.trackIds().size(), c.cleared ? 0u : 3u);
        for (const std::string& base : bases)
            EXPECT_EQ(fs::exists(f.cacheFolder() + "/" + base + ".tmp"), !c.cleared);
        EXPECT_EQ(recorderTestSessionValue("clear_on_exit"), c.dontShow ? "0" : "<missing>");
        EXPECT_EQ(f.messages(),
                  c.dontShow ? std::vector<std::string>{kMsgClearNotShownAgain} : std::vector<std::string>{});
    }
    EXPECT_EQ(
        std::string(kMsgClearNotShownAgain),
        "This dialog will not be show again.\n\nIf you would like to show this dialog again, please do the "
        "following:\n1. Select Menu->Options.\n2. Check the 'Ask to clear on exit' option.");
}

TEST(recorderDialogs, ClosingTheWindowAsksAndClears) {
    SaveFixture f;
    f.addTrack(tagsOf("One"));
    f.addTrack(tagsOf("Two"));
    DialogDriver driver;
    driver.then(kDlgClearOnExitCaption, [](QWidget& w) { clickChild(w, kClearYes); });
    f.h.app.window.mainWindow->close();
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_FALSE(f.h.app.window.mainWindow->isVisible());  // shut down after the answer
    EXPECT_FALSE(f.h.app.owned.cacheDb);
    std::string cache;
    recorderPaths(RECORDER_PATH_CACHE, cache);
    EXPECT_EQ(testsupport::toolOutput("sqlite3 " + testsupport::shellQuoted(cache + "/cache.db") +
                                      " 'SELECT count(*) FROM caches;'"),
              "0\n");
}

// ---------------------------------------------------------------- menu, About

TEST(recorderDialogs, MainMenuDropsFromItsButtonAndRunsTheChosenEntry) {
    SaveFixture f;
    int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(skinHotspotGet(f.h.app.owned.skin.get(), kSkinHotMenu, enabled, left, top, right, bottom),
              OKAY);
    const QPoint origin = f.h.app.window.mainWindow->pos();
    struct Case {
        const char* entry;
        std::string opens;  // a dialog's caption, or "" for a page
        std::string directive;
        bool quits;
    } cases[] = {{kMainMenuWebsite, "", "directive=logo", false},
                 {kMainMenuManual, "", "directive=manual", false},
                 {kMainMenuOptions, kDlgOptionsCaption, "", false},
                 {kMainMenuAbout, kDlgAboutCaption, "", false},
                 {kMainMenuWizard, "", "", false},
                 // Last: Exit is the close request, the clear-list question first.
                 {kMainMenuExit, kDlgClearOnExitCaption, "", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        f.h.browser.addresses.clear();
        if (c.quits) f.addTrack(tagsOf("Unsaved"));
        // The wizard moves the window aside for its own: back where it was.
        f.h.app.window.mainWindow->move(origin);
        const QPoint corner = f.h.app.window.mainWindow->mapToGlobal(QPoint(left, bottom));
        std::vector<std::string> topEntries, sub;
        QPoint at;
        DialogDriver driver;
        driver.then(kMainMenuName, [&](QWidget& m) {
            topEntries = entries(m);
            at = m.pos();
            for (QAction* a : qobject_cast<QMenu*>(&m)->actions())
                if (a->menu()) sub = entries(*a->menu());
            expectSkinLook(m);
            screenshot(m, kArtifacts, "main-menu");
            chooseEntry(m, c.entry);
        });
        if (!c.opens.empty()) driver.then(c.opens, [](QWidget& w) { pressEscape(w); });
        // A click on the menu button, as the window passes it on.
        ASSERT_EQ(recorderMainLButtonDown(f.h.app, (left + right) / 2, (top + bottom) / 2), OKAY);
        EXPECT_TRUE(driver.pending().empty());
        EXPECT_EQ(topEntries, (std::vector<std::string>{"YouTube Wizard...", "Website...", "Options...",
                                                        "Help", "", "Exit"}));
        EXPECT_EQ(sub, (std::vector<std::string>{"Manual...", "About..."}));
        EXPECT_EQ(at, corner);
        EXPECT_EQ(f.h.app.window.mainWindow->isVisible(), !c.quits);
        EXPECT_EQ(f.h.app.owned.cacheDb == nullptr, c.quits);  // shut down
        if (c.directive.empty()) {
            EXPECT_TRUE(f.h.browser.addresses.empty());
        } else {
            ASSERT_EQ(f.h.browser.addresses.size(), 1u);
            EXPECT_NE(f.h.browser.addresses[0].find("/fromPlayer/redirect/?" + c.directive +
                                                    "&vendor=500&subvendor=0&plus=1&product_version=2.005"),
                      std::string::npos)
                << f.h.browser.addresses[0];
        }
    }
}

TEST(recorderDialogs, AboutTellsTheVersionAndLeadsToTheWebsite) {
    SaveFixture f;
    EXPECT_EQ(recorderDlgAboutText(), std::string("Tobrel - Version 2.005\n\n") + kAboutDescription);
    struct Case {
        const char* button;  // nullptr: Escape
        size_t pages;
    } cases[] = {{kAboutOk, 0}, {nullptr, 0}, {kAboutWebsite, 1}};
    for (const Case& c : cases) {
        f.h.browser.addresses.clear();
        DialogDriver driver;
        driver.then(kDlgAboutCaption, [&](QWidget& w) {
            expectSkinLook(w);
            auto* text = child<QLabel>(w, kAboutText);
            EXPECT_EQ(text->text().toStdString(), recorderDlgAboutText());
            // Laid out with room: the skin's logo above the text, margins
            // around both, and a gap before the buttons.
            auto* logo = child<QLabel>(w, kAboutLogo);
            ASSERT_NE(logo, nullptr);
            EXPECT_FALSE(logo->pixmap().isNull());
            const QRect t = text->geometry(), l = logo->geometry();
            const QRect ok = child<QWidget>(w, kAboutOk)->geometry();
            EXPECT_GE(l.top(), 20);
            EXPECT_GE(t.left(), 20);
            EXPECT_GE(w.width() - t.right(), 20);
            EXPECT_GE(t.top() - l.bottom(), 12);
            EXPECT_GE(ok.top() - t.bottom(), 16);
            EXPECT_GE(w.height() - ok.bottom(), 14);
            EXPECT_GE(t.height(), text->heightForWidth(t.width()));  // every line shows
            screenshot(w, kArtifacts, "about");
            if (c.button)
                clickChild(w, c.button);
            else
                pressEscape(w);
        });
        ASSERT_EQ(recorderDlgAbout(f.h.app), OKAY);
        EXPECT_TRUE(driver.pending().empty());
        EXPECT_EQ(f.h.browser.addresses.size(), c.pages);
    }
}

// Check boxes and radio buttons show their state at 3:1 or better: the
// accent of the palette stands out from the fields and the surface, and the
// mark of a checked indicator, as drawn, from an unchecked one.
TEST(recorderDialogs, ChecksAndRadioButtonsShowTheirStateClearly) {
    SaveFixture f;
    const QPalette p = [&] {
        QDialog probe;
        recorderDialogLook(f.h.app, probe);
        return probe.palette();
    }();
    EXPECT_GE(contrast(p.color(QPalette::Highlight), p.color(QPalette::Base)), 3.0);
    EXPECT_GE(contrast(p.color(QPalette::Highlight), p.color(QPalette::Window)), 3.0);
    EXPECT_GE(contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)), 4.5);
    // The centre of an indicator as the button paints it.
    auto centre = [](QAbstractButton& b) {
        const QImage image = b.grab().toImage();
        QStyleOptionButton option;
        option.initFrom(&b);
        const bool radio = qobject_cast<QRadioButton*>(&b) != nullptr;
        const QRect r = b.style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, &b);
        return image.pixelColor(r.center());
    };
    int looked = 0;
    DialogDriver driver;
    driver.then(kDlgOptionsCaption, [&](QWidget& w) {
        screenshot(w, kArtifacts, "options");
        // Each button of the dialog against one of its kind in the other state
        // (a radio button of a group cannot be unchecked by itself).
        QRadioButton radioProbe("probe", &w);
        QCheckBox checkProbe("probe", &w);
        for (QAbstractButton* b : w.findChildren<QAbstractButton*>()) {
            const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
            if ((!radio && !qobject_cast<QCheckBox*>(b)) || b == &radioProbe || b == &checkProbe) continue;
            if (!b->isEnabled()) continue;  // a disabled control need not stand out
            QAbstractButton& probe = radio ? static_cast<QAbstractButton&>(radioProbe) : checkProbe;
            probe.resize(b->size());
            probe.setChecked(!b->isChecked());
            const QColor mine = centre(*b), other = centre(probe);
            EXPECT_GE(contrast(mine, other), 3.0) << DialogDriver::nameOf(*b) << " " << mine.name().toStdString()
                                                  << " against " << other.name().toStdString();
            ++looked;
        }
        pressEscape(w);
    });
    ASSERT_EQ(recorderDlgOptions(f.h.app), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_GE(looked, 11);  // the check boxes and the 2 + 6 radio buttons
}

// The box of a second start is shown before any main window exists, and
// looks like every other box: the main skin's colours, read from its
// definition file.
TEST(recorderDialogs, TheAlreadyRunningBoxTakesTheSkinsLook) {
    RecorderHarness h;
    InstanceLock first;
    bool running = true;
    ASSERT_EQ(instanceLockAcquire(instanceLockFolder(), first, running), OKAY);
    ASSERT_FALSE(running);
    const RecorderMessageBoxHook recorded = recorderSetMessageBoxHook(nullptr);  // the real box
    std::string text;
    DialogDriver driver;
    driver.then(kMsgCaption, [&](QWidget& w) {
        expectSkinLook(w);
        if (auto* label = w.findChild<QLabel*>("qt_msgbox_label")) text = label->text().toStdString();
        screenshot(w, kArtifacts, "already-running");
        pressEscape(w);
    });
    InstanceLock second, secondCache;
    bool refused = false;
    ASSERT_EQ(recorderProcessStart(h.app, second, secondCache, refused), OKAY);
    recorderSetMessageBoxHook(recorded);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(h.app.window.mainWindow);
    EXPECT_TRUE(driver.pending().empty());
    EXPECT_EQ(text, kMsgAlreadyRunning);
}

TEST(recorderDialogs, MessagesAndTheWebDialogsWearTheDialogLook) {
    SaveFixture f;
    RecorderApp& app = f.h.app;
    // The modal message dialog, given the look as the main window gives it.
    RecorderMessageDialog dialog(app.window.mainWindow);
    recorderSetMessageLook([&](QWidget& w) { recorderDialogLook(app, w); });
    DialogDriver driver;
    driver.then(kMsgDlgCaption, [](QWidget& w) {
        expectSkinLook(w);
        screenshot(w, kArtifacts, "message");
        clickChild(w, kMsgDlgOk);
    });
    bool confirmed = false;
    ASSERT_EQ(dialog.show("You must select one or more tracks to save.", true, confirmed), OKAY);
    recorderSetMessageLook({});
    EXPECT_TRUE(confirmed);

    // The modeless message window of the announcements.
    ASSERT_EQ(recorderDlgMsgModeless(app, "News of the week.", "", false), OKAY);
    ASSERT_NE(app.web.modelessMsg, nullptr);
    expectSkinLook(*app.web.modelessMsg);
    screenshot(*app.web.modelessMsg, kArtifacts, "message-modeless");
    ASSERT_EQ(recorderDlgMsgModelessClose(app), OKAY);

    // The e-mail dialog.
    DialogDriver email;
    email.then(kAskEmailCaption, [](QWidget& w) {
        expectSkinLook(w);
        typeInto(w, kAskEmailAddress, "someone@example.org");
        screenshot(w, kArtifacts, "ask-email");
        clickChild(w, kAskEmailOk);
    });
    std::string address;
    ASSERT_EQ(recorderDlgAskEmail(app, address), OKAY);
    EXPECT_TRUE(email.pending().empty());
    EXPECT_EQ(address, "someone@example.org");
}

}  // namespace

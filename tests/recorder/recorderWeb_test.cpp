// The web features of the running recorder against a local HTTP server: the
// announcement step (shown once, same number, minimum version, link only,
// unsafe links), the modeless message window and its stacking, the dynamic
// update's download (due or not, broken off, not connected), the
// installation e-mail (sent once, only marked sent once the service
// answered, the address intact, the dialog that asks for one), and a service
// that never answers, which must delay neither start-up nor shutdown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "announce.h"
#include "httpTestServer.h"
#include "recorderApp.h"
#include "recorderDlgAskEmail.h"
#include "recorderDlgMsgModal.h"
#include "recorderDlgMsgModeless.h"
#include "recorderInit.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "recorderTestApp.h"
#include "recorderWeb.h"
#include "regWithoutKeyname.h"
#include "report.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kDownloadPath = "/fromPlayer/announcements/500/0/new_retail.txt";
constexpr const char* kEmailPath = "/proxy/install_email.php";

void setService(const std::string& base) {
    ASSERT_EQ(
        regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address", base),
        OKAY);
}

// Not the first start after an installation.
void notFirstRun() {
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\date_installed", "1000"),
              OKAY);
    ASSERT_EQ(recorderSessionSetDateLastUsed(2000), OKAY);
}

void noUpdateDue() {
    ASSERT_EQ(recorderSessionSetLastDynamicUpdate(static_cast<long>(std::time(nullptr))), OKAY);
}

// Nothing left to send or to ask.
void emailDone() {
    recorderAskEmail done;
    done.emailAddress = "done@example.org";
    done.emailSent = 1;
    done.dialogShown = 1;
    ASSERT_EQ(recorderSessionSetAskEmail(done), OKAY);
}

std::string folder() {
    std::string path;
    recorderPaths(RECORDER_PATH_ANNOUNCEMENTS, path);
    fs::create_directories(path);
    return path;
}
std::string freshFile() { return folder() + "/new_retail.txt"; }
std::string currentFile() { return folder() + "/current_retail.txt"; }

std::string announcement(int number, const char* minVersion, const std::string& link,
                         const std::string& text) {
    return "Tobrel\n1\n" + std::to_string(number) + "\n" + minVersion + "\n" + link + "\n" + text;
}

RecorderMessageWindow* modeless(RecorderHarness& h) {
    return h.app.web.modelessMsgOpen ? dynamic_cast<RecorderMessageWindow*>(h.app.web.modelessMsg.data())
                                     : nullptr;
}

QPushButton* button(QWidget* w, const char* name) { return w->findChild<QPushButton*>(name); }

recorderAskEmail askEmail() {
    recorderAskEmail values;
    recorderSessionGetAskEmail(values);
    return values;
}

TEST(recorderWeb, ANewAnnouncementIsShownOnceThenNeverAgain) {
    RecorderHarness h;
    emailDone();
    noUpdateDue();
    const std::string file =
        announcement(5, "2.005", "https://example.org/news", "Big news\nsecond line\n\n");
    testsupport::writeText(freshFile(), file);

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    RecorderMessageWindow* window = modeless(h);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Tobrel : Message");
    EXPECT_EQ(window->text(), "Big news\nsecond line\n");
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(button(window, kMsgDlgOk)->isVisible());
    EXPECT_TRUE(button(window, kMsgDlgCancel)->isVisible());
    EXPECT_FALSE(button(window, kMsgDlgOkCentred)->isVisible());
    EXPECT_EQ(testsupport::readText(currentFile()), file);

    // OK opens the link and closes the window.
    button(window, kMsgDlgOk)->click();
    EXPECT_TRUE(h.pumpUntil([&] { return !h.app.web.modelessMsg; }, 5000));
    EXPECT_EQ(h.browser.addresses, std::vector<std::string>{"https://example.org/news"});

    // The next start shows nothing.
    ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);
    EXPECT_EQ(modeless(h), nullptr);
    EXPECT_EQ(h.browser.addresses.size(), 1u);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(h.boxes.empty());
}

TEST(recorderWeb, WhatTheAnnouncementStepDoesWithEachFile) {
    RecorderHarness h;
    emailDone();
    noUpdateDue();
    ASSERT_EQ(h.start(), OKAY);
    struct Case {
        const char* name;
        std::string current, fresh;
        bool shown;
        std::vector<std::string> opened;
        bool madeCurrent;
    } cases[] = {
        {"same number",
         announcement(7, "2.005", "http://a/", "old"),
         announcement(7, "2.005", "http://b/", "new"),
         false,
         {},
         false},
        {"minimum version 2.0",
         announcement(7, "2.005", "http://a/", "old"),
         announcement(8, "2.0", "http://b/", "new"),
         false,
         {},
         true},
        {"no text: the link opens",
         "",
         announcement(9, "2.005", "https://example.org/x", ""),
         false,
         {"https://example.org/x"},
         true},
        {"no text, no web link",
         "",
         announcement(10, "2.005", "file:///etc/passwd", "\n\n"),
         false,
         {},
         true},
        {"broken current file", "garbage", announcement(11, "3", "", "hello"), true, {}, true},
        {"broken new file",
         announcement(7, "2.005", "http://a/", "old"),
         "Tobrel\n1\nseven\n",
         false,
         {},
         false},
    };
    ReportRecorder reports;
    for (const Case& c : cases) {
        fs::remove(currentFile());
        if (!c.current.empty()) testsupport::writeText(currentFile(), c.current);
        testsupport::writeText(freshFile(), c.fresh);
        h.browser.addresses.clear();
        ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY) << c.name;
        EXPECT_EQ(modeless(h) != nullptr, c.shown) << c.name;
        EXPECT_EQ(h.browser.addresses, c.opened) << c.name;
        EXPECT_EQ(testsupport::readText(currentFile()), c.madeCurrent ? c.fresh : c.current) << c.name;
        ASSERT_EQ(recorderDlgMsgModelessClose(h.app), OKAY);
    }
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(h.boxes.empty());
}

TEST(recorderWeb, ModelessMessagesStackAndOneThatWouldReachTheRoomReplaces) {
    RecorderHarness h;
    emailDone();
    noUpdateDue();
    ASSERT_EQ(h.start(), OKAY);
    RecorderApp& app = h.app;

    ASSERT_EQ(recorderDlgMsgModeless(app, "first", "https://example.org/first", true), OKAY);
    RecorderMessageWindow* window = modeless(h);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(recorderDlgMsgModeless(app, "second", "", false), OKAY);
    EXPECT_EQ(modeless(h), window);  // the same window
    EXPECT_EQ(window->text(), "second\nfirst\n");
    EXPECT_TRUE(button(window, kMsgDlgCancel)->isVisible());  // it keeps its buttons

    // 2 041 + 13 units would reach 2 048: the new message replaces the old text.
    const std::string longText(2040, 'x');
    ASSERT_EQ(recorderDlgMsgModeless(app, longText, "", false), OKAY);
    EXPECT_EQ(window->text().toStdString(), longText + "\n");
    // 6 + 2 041 = 2 047 units stay below the room and stack; 2 more would reach it.
    ASSERT_EQ(recorderDlgMsgModeless(app, "12345", "", false), OKAY);
    EXPECT_EQ(window->text().toStdString(), "12345\n" + longText + "\n");
    ASSERT_EQ(recorderDlgMsgModeless(app, "1", "", false), OKAY);
    EXPECT_EQ(window->text().toStdString(), "1\n");
    // A message that alone would reach the room is cut between whole characters.
    std::string accents;
    for (int i = 0; i < 3000; ++i) accents += "\xC3\xA9";
    ASSERT_EQ(recorderDlgMsgModeless(app, accents, "", false), OKAY);
    EXPECT_EQ(window->text().size(), static_cast<qsizetype>(kModelessMsgRoom - 1));
    EXPECT_TRUE(window->text().endsWith(QString::fromUtf8("\xC3\xA9\n")));

    // OK still opens the first message's link.
    button(window, kMsgDlgOk)->click();
    EXPECT_TRUE(h.pumpUntil([&] { return !app.web.modelessMsg; }, 5000));
    EXPECT_EQ(h.browser.addresses, std::vector<std::string>{"https://example.org/first"});

    // Escape is Cancel with Cancel (nothing opens) and OK without it.
    for (const bool withCancel : {true, false}) {
        h.browser.addresses.clear();
        ASSERT_EQ(recorderDlgMsgModeless(app, "news", "https://example.org/n", withCancel), OKAY);
        window = modeless(h);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(button(window, kMsgDlgOkCentred)->isVisible(), !withCancel);
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_TRUE(h.pumpUntil([&] { return !app.web.modelessMsg; }, 5000));
        EXPECT_EQ(h.browser.addresses.size(), withCancel ? 0u : 1u);
    }

    // Shutdown closes an open one.
    ASSERT_EQ(recorderDlgMsgModeless(app, "left open", "", false), OKAY);
    ASSERT_EQ(recorderShutdown(app), OKAY);
    EXPECT_FALSE(app.web.modelessMsg);
    EXPECT_FALSE(app.web.modelessMsgOpen);
}

TEST(recorderWeb, TheDynamicUpdateDownloadsTheNextAnnouncementWhenDue) {
    RecorderHarness h;
    emailDone();
    httptest::Server server;
    const std::string next = announcement(12, "2.005", "https://example.org/12", "Next week's news");
    server.serve(kDownloadPath, {200, next});
    setService(server.base());

    // last_dynamic_update is missing: due. The download is used at the next start.
    const long before = static_cast<long>(std::time(nullptr));
    ASSERT_EQ(h.start(), OKAY);
    EXPECT_TRUE(h.app.modes.updateDue);
    EXPECT_EQ(modeless(h), nullptr);
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.downloadFinished.load(); }, 20000));
    EXPECT_EQ(testsupport::readText(freshFile()), next);
    EXPECT_EQ(server.targets(), std::vector<std::string>{kDownloadPath});
    bool present = false;
    long last = 0;
    ASSERT_EQ(recorderSessionGetLastDynamicUpdate(present, last), OKAY);
    EXPECT_TRUE(present);
    EXPECT_GE(last, before);

    // A day later it is not due; the downloaded announcement shows now.
    ASSERT_EQ(recorderSessionSetLastDynamicUpdate(before - 86400), OKAY);
    ASSERT_EQ(recorderWebDynamicUpdateCheck(h.app), OKAY);
    EXPECT_FALSE(h.app.modes.updateDue);
    ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);
    ASSERT_NE(modeless(h), nullptr);
    EXPECT_EQ(modeless(h)->text(), "Next week's news\n");
    EXPECT_EQ(server.targets().size(), 1u);

    // Eight days later it is due again, but without a network nothing is asked for.
    ASSERT_EQ(recorderSessionSetLastDynamicUpdate(before - 8 * 86400), OKAY);
    ASSERT_EQ(recorderWebDynamicUpdateCheck(h.app), OKAY);
    EXPECT_TRUE(h.app.modes.updateDue);
    h.network.up = false;
    ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.downloadFinished.load(); }, 20000));
    EXPECT_EQ(server.targets().size(), 1u);
    EXPECT_FALSE(fs::exists(freshFile()));  // a download that failed leaves no file
}

TEST(recorderWeb, ADownloadBrokenOffMidFileLeavesNoNewFile) {
    RecorderHarness h;
    emailDone();
    httptest::Server server;
    server.serve(kDownloadPath, {200, announcement(13, "2.005", "", std::string(20000, 'n'))});
    server.setBehaviour(httptest::Behaviour::DropMidBody);
    setService(server.base());
    // The announcement of an earlier download, already shown.
    const std::string earlier = announcement(4, "2.005", "", "earlier");
    testsupport::writeText(freshFile(), earlier);
    testsupport::writeText(currentFile(), earlier);

    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.downloadFinished.load(); }, 20000));
    EXPECT_EQ(server.targets().size(), 1u);
    EXPECT_FALSE(fs::exists(freshFile()));
    EXPECT_FALSE(fs::exists(freshFile() + ".part"));
    EXPECT_EQ(testsupport::readText(currentFile()), earlier);
}

TEST(recorderWeb, TheEmailIsMarkedSentOnlyOnceTheServiceAnsweredAndArrivesIntact) {
    RecorderHarness h;
    notFirstRun();
    httptest::Server server;
    server.serve(kEmailPath, {200, "thanks"});
    server.serve(kDownloadPath, {200, announcement(1, "2.005", "", "news")});
    server.setBehaviour(httptest::Behaviour::Hold);
    setService(server.base());
    recorderAskEmail stored;
    stored.emailAddress = "a&b#c+d e@x.org";
    stored.dialogShown = 1;
    ASSERT_EQ(recorderSessionSetAskEmail(stored), OKAY);

    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(server.waitForRequests(1, 20000));
    EXPECT_EQ(askEmail().emailSent, 0);  // asked, but not yet answered
    server.release();
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.sendingFinished.load(); }, 20000));
    const recorderAskEmail after = askEmail();
    EXPECT_EQ(after.emailSent, 1);
    EXPECT_EQ(after.emailAddress, stored.emailAddress);
    EXPECT_EQ(after.dialogShown, 1);

    // One request: the e-mail. Sending took this start's turn from the announcements.
    const std::vector<std::string> targets = server.targets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].substr(0, targets[0].find('?')), kEmailPath);
    EXPECT_EQ(httptest::queryValue(targets[0], "email_address"), "a&b#c+d e@x.org");
    EXPECT_EQ(httptest::queryValue(targets[0], "product_version"), "2.01");
    EXPECT_EQ(httptest::queryValue(targets[0], "vendor_code"), "500");
    EXPECT_EQ(httptest::queryValue(targets[0], "subvendor_code"), "0");
}

TEST(recorderWeb, AnEmailTheServiceRefusesOrCannotBeSentIsTriedAgainAtTheNextStart) {
    RecorderHarness h;
    notFirstRun();
    httptest::Server server;
    server.serve(kEmailPath, {500, "broken"});
    setService(server.base());
    recorderAskEmail stored;
    stored.emailAddress = "me@example.org";
    ASSERT_EQ(recorderSessionSetAskEmail(stored), OKAY);

    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.sendingFinished.load(); }, 20000));
    EXPECT_EQ(server.targets().size(), 1u);
    EXPECT_EQ(askEmail().emailSent, 0);

    // Not connected: not even asked.
    h.network.up = false;
    ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.sendingFinished.load(); }, 20000));
    EXPECT_EQ(server.targets().size(), 1u);
    EXPECT_EQ(askEmail().emailSent, 0);
}

TEST(recorderWeb, TheInstallersAddressIsSentOnceAtTheFirstStart) {
    RecorderHarness h;
    httptest::Server server;
    server.serve(kEmailPath, {200, "thanks"});
    server.setBehaviour(httptest::Behaviour::Hold);  // the first sending is still at work at step 19
    setService(server.base());
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\email_address",
                                     "installer@example.org"),
              OKAY);

    ASSERT_EQ(h.start(), OKAY);
    EXPECT_TRUE(h.app.modes.firstRun);
    ASSERT_TRUE(server.waitForRequests(1, 20000));
    server.release();
    ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.sendingFinished.load(); }, 20000));
    ASSERT_EQ(recorderShutdown(h.app), OKAY);
    const std::vector<std::string> targets = server.targets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(httptest::queryValue(targets[0], "email_address"), "installer@example.org");
    const recorderAskEmail after = askEmail();
    EXPECT_EQ(after.emailAddress, "installer@example.org");
    EXPECT_EQ(after.emailSent, 1);
    EXPECT_EQ(after.dialogShown, 0);
}

// OK sends what was typed; the close box keeps it as OK does; "No thanks"
// answers with an empty address whatever was typed. Each answer is final.
TEST(recorderWeb, TheEmailDialogAsksOnceAndOkTheCloseBoxAndNoThanksAllAnswer) {
    enum class Answer { Ok, CloseBox, NoThanks };
    for (const Answer answer : {Answer::Ok, Answer::CloseBox, Answer::NoThanks}) {
        const int way = static_cast<int>(answer);
        RecorderHarness h;
        notFirstRun();
        httptest::Server server;
        server.serve(kEmailPath, {200, "thanks"});
        setService(server.base());

        bool seen = false;
        QString caption, text;
        QTimer::singleShot(50, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            seen = true;
            caption = dialog->windowTitle();
            text = dialog->findChild<QLabel*>(kAskEmailText)->text();
            auto* edit = dialog->findChild<QLineEdit*>(kAskEmailAddress);
            if (answer != Answer::CloseBox) QTest::keyClicks(edit, "  me+news@example.org ");
            if (answer == Answer::Ok) dialog->findChild<QPushButton*>(kAskEmailOk)->click();
            if (answer == Answer::CloseBox) dialog->close();
            if (answer == Answer::NoThanks) {
                auto* decline = dialog->findChild<QPushButton*>(kAskEmailNoThanks);
                ASSERT_NE(decline, nullptr);
                EXPECT_EQ(decline->text(), "No thanks");
                decline->click();
            }
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        watchdog.start(10000);

        ASSERT_EQ(h.start(), OKAY);
        ASSERT_TRUE(seen) << way;
        EXPECT_EQ(caption, "Keep Informed of Tobrel Updates");
        EXPECT_EQ(text,
                  "If you would like to receive occasional information about new Tobrel features and free "
                  "upgrades, please enter your email address.");
        ASSERT_TRUE(h.pumpUntil([&] { return h.app.web.sendingFinished.load(); }, 20000));
        const std::string expected = answer == Answer::Ok ? "me+news@example.org" : "";
        const recorderAskEmail after = askEmail();
        EXPECT_EQ(after.emailAddress, expected) << way;
        EXPECT_EQ(after.dialogShown, 1);
        EXPECT_EQ(after.emailSent, 1);
        ASSERT_EQ(server.targets().size(), 1u);  // an empty address is sent like any other
        EXPECT_EQ(httptest::queryValue(server.targets()[0], "email_address"), expected);

        // Asked once: the next start asks nothing (and shows announcements again).
        seen = false;
        QTimer::singleShot(50, [&] { seen = QApplication::activeModalWidget() != nullptr; });
        ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);
        h.pump(100);
        EXPECT_FALSE(seen);
    }
}

TEST(recorderWeb, AServiceThatNeverAnswersDelaysNeitherStartUpNorShutdown) {
    RecorderHarness h;
    notFirstRun();
    httptest::Server server;
    server.setBehaviour(httptest::Behaviour::BlackHole);
    setService(server.base());
    recorderAskEmail stored;  // the e-mail first, then the download, both into the black hole
    stored.emailAddress = "me@example.org";
    stored.dialogShown = 1;
    ASSERT_EQ(recorderSessionSetAskEmail(stored), OKAY);

    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(server.waitForRequests(1, 20000));
    // The sending has no answer, yet start-up is over and the window is up.
    EXPECT_FALSE(h.app.web.sendingFinished);
    EXPECT_TRUE(h.app.window.mainWindow->isVisible());
    EXPECT_NE(h.app.window.timerId, 0);
    ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);  // still sending: no second one
    stored.emailSent = 1;
    ASSERT_EQ(recorderSessionSetAskEmail(stored), OKAY);
    ASSERT_EQ(recorderWebStartupMessages(h.app), OKAY);  // now the announcement download
    ASSERT_TRUE(server.waitForRequests(2, 20000));
    EXPECT_FALSE(h.app.web.downloadFinished);

    // Shutdown ends both transfers at once instead of waiting for their limits.
    ASSERT_GE(h.app.web.limits.totalMs, 10000);
    const auto start = Clock::now();
    ASSERT_EQ(recorderShutdown(h.app), OKAY);
    EXPECT_LT(testsupport::msSince(start), 3000);
    EXPECT_FALSE(h.app.web.sendingThread.joinable());
    EXPECT_FALSE(h.app.web.downloadThread.joinable());
    EXPECT_FALSE(recorderWebOpen(h.app));
    EXPECT_EQ(server.targets().size(), 2u);
}

}  // namespace

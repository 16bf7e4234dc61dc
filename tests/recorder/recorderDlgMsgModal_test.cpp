// The modal message dialog (layouts, OK / Cancel / Escape) and the hand-over
// of messages and internal-error boxes from other threads to the UI thread.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

#include "CSlout.h"
#include "recorderDlgMsgModal.h"
#include "recorderTestApp.h"
#include "report.h"

namespace {

enum class Answer { Ok, Cancel, Escape };

struct Seen {
    bool shown = false;
    QString text, caption;
    bool okCentred = false, ok = false, cancel = false;
};

// Answers the next modal dialog once it is up; a watchdog closes any dialog
// left open so that a failing test cannot hang.
void answerNextDialog(Answer answer, Seen& seen) {
    QTimer::singleShot(50, [answer, &seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        seen.shown = true;
        seen.caption = modal->windowTitle();
        seen.text = modal->findChild<QLabel*>(kMsgDlgText)->text();
        auto* okCentred = modal->findChild<QPushButton*>(kMsgDlgOkCentred);
        auto* ok = modal->findChild<QPushButton*>(kMsgDlgOk);
        auto* cancel = modal->findChild<QPushButton*>(kMsgDlgCancel);
        seen.okCentred = okCentred->isVisible();
        seen.ok = ok->isVisible();
        seen.cancel = cancel->isVisible();
        switch (answer) {
            case Answer::Ok:
                (seen.okCentred ? okCentred : ok)->click();
                break;
            case Answer::Cancel:
                cancel->click();
                break;
            case Answer::Escape:
                QTest::keyClick(modal, Qt::Key_Escape);
                break;
        }
    });
    QTimer::singleShot(5000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
}

TEST(recorderDlgMsgModal, LayoutsAndAnswers) {
    recorderTestEnsureApplication();
    struct Case {
        bool withCancel;
        Answer answer;
        bool confirmed;
    } cases[] = {
        {false, Answer::Ok, true},     {false, Answer::Escape, true},  // Escape is OK without Cancel
        {true, Answer::Ok, true},      {true, Answer::Cancel, false},
        {true, Answer::Escape, false},  // and Cancel with it
    };
    RecorderMessageDialog dialog;
    for (const Case& c : cases) {
        Seen seen;
        answerNextDialog(c.answer, seen);
        bool confirmed = !c.confirmed;
        ASSERT_EQ(dialog.show("Delete the track?", c.withCancel, confirmed), OKAY);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.caption, "Tobrel : Message");
        EXPECT_EQ(seen.text, "Delete the track?\n");
        EXPECT_EQ(seen.okCentred, !c.withCancel);
        EXPECT_EQ(seen.ok, c.withCancel);
        EXPECT_EQ(seen.cancel, c.withCancel);
        EXPECT_EQ(confirmed, c.confirmed) << c.withCancel << " " << static_cast<int>(c.answer);
    }
}

// The dialog, the question box and the internal-error box take the look they
// are given, and no button carries an icon.
TEST(recorderDlgMsgModal, BoxesTakeTheGivenLookAndNoButtonIcons) {
    recorderTestEnsureApplication();
    const QColor surface(27, 31, 38);
    recorderSetMessageLook([surface](QWidget& box) {
        QPalette p = box.palette();
        p.setColor(QPalette::Window, surface);
        box.setPalette(p);
    });
    auto inspect = [surface] {
        QTimer::singleShot(50, [surface] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal);
            EXPECT_EQ(modal->palette().color(QPalette::Window), surface);
            for (QAbstractButton* b : modal->findChildren<QAbstractButton*>())
                EXPECT_TRUE(b->icon().isNull()) << b->text().toStdString();
            modal->close();
        });
    };
    RecorderMessageDialog dialog;
    bool answer = false;
    inspect();
    ASSERT_EQ(dialog.show("A message.", true, answer), OKAY);
    inspect();
    ASSERT_EQ(dialog.ask("A question?", answer), OKAY);
    recorderSetMessageBoxHook({});
    inspect();
    recorderMessageBox("./recorderInit", "42");
    recorderSetMessageLook({});
}

TEST(recorderDlgMsgModal, MessagesFromAnotherThreadAreShownOnTheUiThreadWithoutWaiting) {
    recorderTestEnsureApplication();
    RecorderMessageDialog dialog;
    bool confirmed = true;
    int result = NOT_OKAY;
    std::thread engine([&] { result = dialog.show("Capture device lost.", true, confirmed); });
    engine.join();  // returned without anyone answering
    EXPECT_EQ(result, OKAY);
    EXPECT_FALSE(confirmed);

    Seen seen;
    answerNextDialog(Answer::Ok, seen);
    QTimer::singleShot(0, [] {});  // the queued dialog runs from the event loop
    for (int i = 0; i < 50 && !seen.shown; ++i) QTest::qWait(20);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "Capture device lost.\n");
    EXPECT_FALSE(seen.cancel);  // an error from a thread only informs
}

TEST(recorderDlgMsgModal, InternalErrorsBecomeBoxesNamingModuleAndLineFromAnyThread) {
    recorderTestEnsureApplication();
    std::vector<std::pair<std::string, std::string>> boxes;
    recorderSetMessageBoxHook(
        [&](const std::string& text, const std::string& caption) { boxes.emplace_back(text, caption); });
    recorderInstallInternalErrorBoxes();
    reportInternalError("./recorderInit", 120);
    std::thread engine([] { reportInternalError("../../UTIL/sndDevices/sndDevicesInit", 77); });
    engine.join();
    EXPECT_EQ(boxes.size(), 1u);  // the thread's box waits for the UI thread
    for (int i = 0; i < 50 && boxes.size() < 2; ++i) QTest::qWait(10);
    reportSetSink(nullptr);
    recorderSetMessageBoxHook(nullptr);
    using B = std::pair<std::string, std::string>;
    EXPECT_EQ(boxes,
              (std::vector<B>{{"./recorderInit", "120"}, {"../../UTIL/sndDevices/sndDevicesInit", "77"}}));
}

TEST(recorderDlgMsgModal, AReportThatRepeatsWhileItsBoxIsOpenShowsOnceAndTheTraceCountsIt) {
    recorderTestEnsureApplication();
    testsupport::TempDir dir;
    CDerivedSlout1 trace(true, dir.file("trace.txt"), nullptr);
    recorderReportToTrace(&trace);
    std::vector<std::pair<std::string, std::string>> boxes;
    std::thread engine;
    recorderSetMessageBoxHook([&](const std::string& text, const std::string& caption) {
        boxes.emplace_back(text, caption);
        if (boxes.size() > 1) return;
        // While the first box is open: the same failure five times more, from
        // the user-interface thread and from an engine thread, and another one.
        for (int i = 0; i < 3; ++i) reportInternalError("../../UTIL/sndDevices/sndDevicesPlay", 90);
        engine = std::thread([] {
            for (int i = 0; i < 2; ++i) reportInternalError("../../UTIL/sndDevices/sndDevicesPlay", 90);
        });
        engine.join();
        reportInternalError("./recorderTransport", 180);
    });
    recorderInstallInternalErrorBoxes();
    reportInternalError("../../UTIL/sndDevices/sndDevicesPlay", 90);
    QTest::qWait(50);
    // Once its box is closed, the same failure shows again.
    reportInternalError("../../UTIL/sndDevices/sndDevicesPlay", 90);
    reportSetSink(nullptr);
    recorderSetMessageBoxHook(nullptr);
    recorderReportToTrace(nullptr);
    using B = std::pair<std::string, std::string>;
    EXPECT_EQ(boxes, (std::vector<B>{{"../../UTIL/sndDevices/sndDevicesPlay", "90"},
                                     {"./recorderTransport", "180"},
                                     {"../../UTIL/sndDevices/sndDevicesPlay", "90"}}));
    EXPECT_NE(
        testsupport::readText(dir.file("trace.txt"))
            .find("Internal error: ../../UTIL/sndDevices/sndDevicesPlay line 90: came 5 more times while "
                  "its box was open"),
        std::string::npos)
        << testsupport::readText(dir.file("trace.txt"));
}

}  // namespace

TEST(recorderDlgMsgModal, QuestionsAreAskedWithYesAndNo) {
    recorderTestEnsureApplication();
    RecorderMessageDialog dialog;
    for (const auto& [button, expected] :
         {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
        QString caption, text;
        bool hasYesAndNo = false;
        QTimer::singleShot(50, [&, button = button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            caption = box->windowTitle();
            text = box->text();
            hasYesAndNo = box->button(QMessageBox::Yes) && box->button(QMessageBox::No) &&
                          !box->button(QMessageBox::Ok) && !box->button(QMessageBox::Cancel);
            box->button(button)->click();
        });
        QTimer::singleShot(5000, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        bool yes = !expected;
        ASSERT_EQ(dialog.ask("A recording is currently in progress.", yes), OKAY);
        EXPECT_EQ(yes, expected);
        EXPECT_TRUE(hasYesAndNo);
        EXPECT_EQ(caption, "Tobrel Message");
        EXPECT_EQ(text, "A recording is currently in progress.");
    }
    bool yes = true;
    std::thread engine([&] { dialog.ask("From a thread", yes); });
    engine.join();
    EXPECT_FALSE(yes);  // nobody is kept waiting off the user-interface thread
}

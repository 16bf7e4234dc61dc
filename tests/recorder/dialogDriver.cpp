// The dialog driver of the window tests (see dialogDriver.h).
#include "dialogDriver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "testsupport.h"

DialogDriver::DialogDriver(int deadlineMs) {
    connect(&timer_, &QTimer::timeout, this, [this] { poll(false); });
    QApplication::instance()->installEventFilter(this);
    timer_.start(5);
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        timedOut = true;
        timer_.stop();
        for (int i = 0; i < 20; ++i) {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            else if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            else
                break;
        }
    });
    watchdog_.start(deadlineMs);
}

bool DialogDriver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow())
        QMetaObject::invokeMethod(
            this, [this] { poll(true); }, Qt::QueuedConnection);
    return false;
}

DialogDriver::~DialogDriver() { EXPECT_FALSE(timedOut) << "a window stayed open until the deadline"; }

DialogDriver& DialogDriver::then(const std::string& name, Action action) {
    steps_.push_back({name, std::move(action)});
    return *this;
}

std::vector<std::string> DialogDriver::pending() const {
    std::vector<std::string> names;
    for (const Step& s : steps_) names.push_back(s.name);
    return names;
}

std::string DialogDriver::nameOf(QWidget& window) {
    if (qobject_cast<QMenu*>(&window)) return window.objectName().toStdString();
    return window.windowTitle().toStdString();
}

void DialogDriver::poll(bool direct) {
    QWidget* top = QApplication::activePopupWidget();
    if (!top) top = QApplication::activeModalWidget();
    if (!top || !top->isVisible()) return;
    const std::string name = nameOf(*top);
    if (top != last_) {
        seen.push_back(name);
        last_ = top;
    }
    if (steps_.empty() || steps_.front().name != name) return;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (direct) {
        step.action(*top);
        return;
    }
    // From the timer, the action runs from the event loop, not inside this
    // timer's handler: an action may wait in a nested loop (a save with its
    // progress dialog) in which this timer must go on polling.
    QPointer<QWidget> target = top;
    QMetaObject::invokeMethod(
        this,
        [target, action = std::move(step.action)] {
            if (target) action(*target);
        },
        Qt::QueuedConnection);
}

void clickChild(QWidget& window, const char* name) {
    auto* button = child<QAbstractButton>(window, name);
    ASSERT_NE(button, nullptr) << "no button " << name << " in " << DialogDriver::nameOf(window);
    button->click();
}

void typeInto(QWidget& window, const char* name, const std::string& text) {
    auto* edit = child<QLineEdit>(window, name);
    ASSERT_NE(edit, nullptr) << "no edit field " << name << " in " << DialogDriver::nameOf(window);
    edit->setText(QString::fromStdString(text));
}

void chooseEntry(QWidget& menu, const std::string& text) {
    auto* m = qobject_cast<QMenu*>(&menu);
    ASSERT_NE(m, nullptr);
    // Through the keyboard, as a user would: the menu then reports the entry
    // as its choice.
    for (QAction* action : m->actions()) {
        if (action->text().toStdString() == text) {
            m->setActiveAction(action);
            QTest::keyClick(m, Qt::Key_Return);
            return;
        }
        QMenu* sub = action->menu();
        if (!sub) continue;
        for (QAction* inner : sub->actions()) {
            if (inner->text().toStdString() != text) continue;
            m->setActiveAction(action);
            QTest::keyClick(m, Qt::Key_Right);
            sub->setActiveAction(inner);
            QTest::keyClick(sub, Qt::Key_Return);
            return;
        }
    }
    ADD_FAILURE() << "no entry " << text;
    m->close();
}

std::vector<std::string> entries(QWidget& menu) {
    std::vector<std::string> texts;
    if (auto* m = qobject_cast<QMenu*>(&menu))
        for (QAction* action : m->actions()) texts.push_back(action->text().toStdString());
    return texts;
}

void pressEscape(QWidget& window) { QTest::keyClick(&window, Qt::Key_Escape); }

void screenshot(QWidget& window, const std::string& folder, const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::path(testsupport::binaryDir()) / "test-artifacts" / folder;
    std::filesystem::create_directories(dir);
    window.grab().save(QString::fromStdString((dir / (name + ".png")).string()));
}

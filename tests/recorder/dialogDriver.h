// Drives the program's modal dialogs and pop-up menus in window tests, the way
// a user answers them: a script of steps, each naming the window it expects
// (a dialog's caption or a menu's object name) and what to do with it. The
// driver looks at the topmost modal dialog or pop-up menu as soon as a window
// is shown (at the program's next look at its events) and every few
// milliseconds while the code under test waits in it, so nested windows (a
// progress dialog over a save dialog) are reached too. A watchdog closes
// whatever is left open after the deadline, so a failing test cannot hang.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

class DialogDriver : public QObject {
  public:
    using Action = std::function<void(QWidget& window)>;

    explicit DialogDriver(int deadlineMs = 30000);
    ~DialogDriver() override;

    // When the window `name` is on top, run `action` on it (once).
    DialogDriver& then(const std::string& name, Action action);

    // Steps not run yet (their names), and every window name seen on top.
    std::vector<std::string> pending() const;
    std::vector<std::string> seen;
    bool timedOut = false;

    // The window's name as the script uses it: a menu's object name, a
    // dialog's caption.
    static std::string nameOf(QWidget& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // direct: run the step's action at once (the look that follows a window
    // being shown); otherwise from the event loop.
    void poll(bool direct);
    struct Step {
        std::string name;
        Action action;
    };
    std::deque<Step> steps_;
    QTimer timer_;
    QTimer watchdog_;
    QPointer<QWidget> last_;
};

// Helpers for actions.
template <class T>
T* child(QWidget& window, const char* name);
// Clicks a button (or check box, radio button) by object name.
void clickChild(QWidget& window, const char* name);
// Replaces an edit field's text by object name.
void typeInto(QWidget& window, const char* name, const std::string& text);
// Chooses the menu entry with this text (in the menu itself or its submenus).
void chooseEntry(QWidget& menu, const std::string& text);
// The texts of a menu's entries (a submenu shows as its title).
std::vector<std::string> entries(QWidget& menu);
// Closes the window as Escape does.
void pressEscape(QWidget& window);
// Saves a picture of the window under the build tree's test-artifacts/<folder>.
void screenshot(QWidget& window, const std::string& folder, const std::string& name);

#include <QWidget>
template <class T>
T* child(QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromUtf8(name));
}

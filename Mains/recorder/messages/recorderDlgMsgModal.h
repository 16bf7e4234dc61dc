// The modal message dialog "Tobrel : Message" and the plain message boxes.
//
// Every message meant for the user goes through the modal message dialog:
// a text with OK, or with OK and Cancel and a confirmed flag. Internal errors
// are shown apart from it, as plain message boxes without owner whose text is
// the reporting module's path and whose caption is the line number.
//
// Both are shown on the user-interface thread. A report or message that comes
// from another thread (the engine's record, playback or encoder threads) is
// queued to the user-interface thread and shown there; the reporting thread
// does not wait for it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "CSlout.h"

struct RecorderApp;

// Object names of the dialog's controls (for the window tests).
inline constexpr const char* kMsgDlgText = "msgText";            // static text 5901
inline constexpr const char* kMsgDlgOkCentred = "msgOkCentred";  // OK 5902, alone
inline constexpr const char* kMsgDlgOk = "msgOk";                // OK 5903, beside Cancel
inline constexpr const char* kMsgDlgCancel = "msgCancel";        // Cancel 5904
inline constexpr const char* kMsgDlgCaption = "Tobrel : Message";

class QLabel;
class QScrollArea;

// The message window: a text with the centred OK, or with OK and Cancel. OK
// confirms; Escape answers OK when there is no Cancel and Cancel otherwise.
// The modal message dialog and the modeless one both show it.
class RecorderMessageWindow : public QDialog {
  public:
    RecorderMessageWindow(QWidget* owner, const std::string& text, bool withCancel);
    bool confirmed() const { return confirmed_; }
    bool withCancel() const { return withCancel_; }
    QString text() const;
    void setText(const QString& text);
    void reject() override;

  private:
    void confirm();
    QScrollArea* scroll_ = nullptr;
    QLabel* label_ = nullptr;
    bool withCancel_;
    bool confirmed_ = false;
};

// The application's modal message dialog, shown over `owner` when it is visible.
class RecorderMessageDialog : public ModalMessageDialog {
  public:
    explicit RecorderMessageDialog(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    // On the user-interface thread: shows the dialog and waits for it to close.
    // From any other thread: queues the text (OK only) and returns at once with
    // confirmed = false.
    int show(std::string_view text, bool withCancel, bool& confirmed) override;
    // A Yes/No question box over the owner. Off the user-interface thread the
    // answer is No at once (nobody may be kept waiting there).
    int ask(std::string_view text, bool& yes) override;

  private:
    QPointer<QWidget> owner_;
};

// Shows text in the application's modal message dialog; confirmed tells
// whether OK closed it.
int recorderDlgMsgModal(RecorderApp& app, std::string_view text, bool withCancel, bool& confirmed);

// Asks a Yes/No question; yes tells whether Yes closed it.
int recorderDlgAskYesNo(RecorderApp& app, std::string_view text, bool& yes);

// A plain message box with an OK button only and no owner. Queued when called
// off the user-interface thread.
void recorderMessageBox(const std::string& text, const std::string& caption);

// The look the message dialog, the question box and the message boxes take
// (an empty one: the desktop's). User-interface thread only.
using RecorderMessageLook = std::function<void(QWidget& box)>;
void recorderSetMessageLook(RecorderMessageLook look);

// Replaces what recorderMessageBox does (tests record the boxes instead of
// showing them); returns the previous hook. An empty hook restores the box.
using RecorderMessageBoxHook = std::function<void(const std::string& text, const std::string& caption)>;
RecorderMessageBoxHook recorderSetMessageBoxHook(RecorderMessageBoxHook hook);

// Makes internal-error reports show as message boxes (text = module path,
// caption = line), from whatever thread they come, and go to the trace with
// their detail (see recorderReportToTrace). A report whose module and line
// already have a box queued or open is not shown again: the trace gets how
// often it came once that box closes.
void recorderInstallInternalErrorBoxes();

// The trace internal errors are written to, as "Internal error: <module> line
// <line>: <detail>", and settings that cannot be read (once a key; null: none). Start-up sets it once the
// trace sink exists; shutdown clears it before the sink goes.
void recorderReportToTrace(CSlout* trace);

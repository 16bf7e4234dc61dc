// itunesSdk: starting or attaching to iTunes through its automation server,
// listening to its events, and letting it go again.
//
// One itunesSdkContext lives for one export: itunesSdkInit creates it and
// brings iTunes up, itunesSdkRelease disconnects the event sink, drops the
// application and frees the context. Every automation call goes through the
// retrying wrappers of itunesSdkCOMInterfaceCalls.h, which read the context's
// trace switch and retry flag. All of it runs on the user-interface thread;
// every wait (start attempts, retries, conversions) blocks it and is measured
// on the platform's clock.
//
// iTunes' application events reach the program through the window given to
// itunesSdkInit: "iTunes starts to play" and "iTunes is about to ask the user
// to quit" become the registered messages below, sent to that window. The
// second also marks the context so that iTunes is never told to quit by us.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "itunesAutomation.h"

class CSlout;
class CITunesEventSink;

// Names of the window messages the application event sink sends.
inline constexpr const char* kItunesSdkMsgAboutToQuit = "itunes_sdk_user_msg_itunes_is_about_to_quit";
inline constexpr const char* kItunesSdkMsgStartsToPlay = "itunes_sdk_user_msg_itunes_starts_to_play";

// The window that hears of iTunes' events (the main window). Message ids are
// registered by name once per process, as window messages are.
class itunesSdkWindow {
  public:
    virtual ~itunesSdkWindow() = default;
    // The process-wide id of the message `name` (the same name gives the same id).
    virtual int registerMessage(std::string_view name, unsigned& id) = 0;
    // Delivers the message to the window and returns when it has been handled.
    virtual void sendMessage(unsigned id) = 0;
};

// The four ids that name one track of iTunes (GetITObjectIDs / GetITObjectByID).
struct itunesSdkTrackIds {
    int32_t sourceId = 0, playlistId = 0, trackId = 0, databaseId = 0;
    bool operator==(const itunesSdkTrackIds&) const = default;
};

struct itunesSdkContext {
    CSlout* trace = nullptr;
    int verbose = 0;
    int retryWhenBusy = 1;  // retry iTunes' busy refusals (set at creation, never cleared)
    int aboutToQuit = 0;    // iTunes announced it is about to ask the user to quit

    ItunesAutomation* automation = nullptr;
    std::shared_ptr<IiTunes> application;
    ItHresult lastCreateResult = kItSOk;  // of the last start attempt

    // the application event sink's connection
    std::shared_ptr<ItConnectionPoint> connectionPoint;
    uint32_t adviseCookie = 0;
    std::shared_ptr<CITunesEventSink> eventSink;
    std::shared_ptr<ItUnknown> eventSinkUnknown;

    unsigned quitMessage = 0;
    unsigned playMessage = 0;
    itunesSdkWindow* window = nullptr;
};

// Start attempts: this many, this far apart.
constexpr int kItunesSdkStartAttempts = 20;
constexpr int kItunesSdkStartRetryMs = 250;
// Closing iTunes: checks this far apart, for at most this long.
constexpr int kItunesSdkCloseStepMs = 100;
constexpr int kItunesSdkCloseTimeoutMs = 10000;

// Creates the context on `automation`, registers the two messages on
// `window` (may be null: events are then only noted) and brings iTunes up;
// ok is set when iTunes runs and its automation interface is compatible.
int itunesSdkInit(std::unique_ptr<itunesSdkContext>& out, itunesSdkWindow* window, bool& ok, int verbose,
                  CSlout* trace, ItunesAutomation* automation);
// Creates the application object (up to 20 attempts 250 ms apart; a server
// that is not installed at all ends the attempts at once), checks its version
// and connects the event sink. ok stays clear when iTunes cannot be used.
int itunesSdkBringUpItunes(itunesSdkContext* context, bool& ok);
// Quits iTunes (or asks its window to close) and waits up to 10 s for it to go.
int itunesSdkCloseItunes(itunesSdkContext* context, bool& timedOut);
// Disconnects the sink, releases iTunes and frees the context (out is
// cleared; a second release does nothing). With quit set, and unless iTunes
// announced it is about to quit, closes iTunes first.
int itunesSdkRelease(std::unique_ptr<itunesSdkContext>& context, bool quit);

// A trace line "<indent><text>" when the context's trace is on.
void itunesSdkTrace(const itunesSdkContext* context, std::string_view indent, std::string_view text);
// "0x%02x" of a result: lower-case hexadecimal, eight digits for every failure.
std::string itunesSdkHex(ItHresult result);

// Indents of the trace lines, by operation.
inline constexpr std::string_view kItunesSdkIndent6 = "      ";
inline constexpr std::string_view kItunesSdkIndent9 = "         ";
inline constexpr std::string_view kItunesSdkIndent12 = "            ";
inline constexpr std::string_view kItunesSdkIndentTabs = "\t\t\t";

// The sink of iTunes' application events: "starts to play" sends the play
// message; "about to prompt the user to quit" marks the context and sends the
// quit message; every other event is ignored. Disconnecting it (before the
// context goes) makes later events do nothing.
class CITunesEventSink : public ItDispatch, public std::enable_shared_from_this<CITunesEventSink> {
  public:
    explicit CITunesEventSink(itunesSdkContext* context);
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override;
    ItHresult Invoke(int32_t dispId) override;
    void disconnect() { context_ = nullptr; }

  private:
    itunesSdkContext* context_;
};

// The sink of a conversion's status events: it accepts the status event and
// nothing else; the conversion is followed by polling its status instead.
class CITunesConvertOperationStatusEventSink
    : public ItDispatch,
      public std::enable_shared_from_this<CITunesConvertOperationStatusEventSink> {
  public:
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override;
    ItHresult Invoke(int32_t dispId) override;
};

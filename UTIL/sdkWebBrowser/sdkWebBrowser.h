// sdkWebBrowser: the embedded browser host. It places a web page view inside
// a window of the application, loads pages into it, calls the page's global
// script functions by name, and turns what happens in the page into messages
// for one target object (the application's main window), following the page
// protocol:
//
// - After each document load the body's "app_width" and "app_height" ask for
//   a page size (320 x 669 when absent): the page-size message, posted.
// - Elements whose class contains "app_command" and whose id is
//   "app_command_1" to "app_command_7" are bound, the first of each number
//   only; a top-level navigation drops every binding.
// - A click on a bound element whose class is "app_command" posts the
//   element-clicked message with the id's number; one whose class is
//   "message^<id>^<text>" sends the data message with that id and text.
// - A navigation that fails because the address is bad, there is no
//   connection, the server cannot be reached or found, the file does not
//   exist or the connection timed out shows no error page and sends the data
//   message 526619 with the address. A server's answer with an error status
//   (404, 500, ...) is shown as the server sent it.
//
// Posted messages arrive through the target's event queue; the data message is
// delivered at once (sent), so the application sees the page's messages in
// the order the page clicked them. The host knows nothing of its user.
//
// The web engine itself lives in a library loaded when the first host is
// initialised (sdkWebBrowserView.h), found where the program's private
// libraries are (beside it in a build tree, in its library folder when
// installed), then by the system's library search.
// Loaded into a running application, the engine gets the application-wide
// shared graphics context it needs only then (see sdkWebBrowserView.cpp),
// and it warns once on stderr that it was loaded late.
#pragma once

#include <QEvent>
#include <QPointer>
#include <memory>
#include <string>

#include "sdkWebBrowserProtocol.h"

class CSlout;
class QWidget;
struct sdkWebBrowser;

// Frees a browser handle that is still open (as sdkWebBrowserFree).
struct sdkWebBrowserDeleter {
    void operator()(sdkWebBrowser* handle) const;
};
using sdkWebBrowserHandle = std::unique_ptr<sdkWebBrowser, sdkWebBrowserDeleter>;

// The three messages, as events. The two registered ones get their type when
// first asked for; every host of the process uses the same types.
int sdkWebBrowserPageSizeMessage();        // "sdk_web_browser_user_msg_page_size"
int sdkWebBrowserElementClickedMessage();  // "sdk_web_browser_user_msg_element_clicked"
int sdkWebBrowserDataMessage();            // the data message

struct sdkWebBrowserEvent : QEvent {
    sdkWebBrowserEvent(int type, int host) : QEvent(static_cast<QEvent::Type>(type)), hostValue(host) {}
    int hostValue;  // the value the host was initialised with
};
// Page size: width and height, each 16 bits, as lParam = (height << 16) | width.
struct sdkWebBrowserPageSizeEvent : sdkWebBrowserEvent {
    sdkWebBrowserPageSizeEvent(int host, long param)
        : sdkWebBrowserEvent(sdkWebBrowserPageSizeMessage(), host), lParam(param) {}
    long lParam;
};
struct sdkWebBrowserElementClickedEvent : sdkWebBrowserEvent {
    sdkWebBrowserElementClickedEvent(int host, long n)
        : sdkWebBrowserEvent(sdkWebBrowserElementClickedMessage(), host), command(n) {}
    long command;
};
struct sdkWebBrowserDataEvent : sdkWebBrowserEvent {
    sdkWebBrowserDataEvent(int host, long id, std::string t)
        : sdkWebBrowserEvent(sdkWebBrowserDataMessage(), host), dataId(id), text(std::move(t)) {}
    long dataId;
    std::string text;  // at most 511 UTF-16 units
};

// Allocates the handle, loads the web engine's library (the first time) and
// prepares the host: `parent` will hold the view, `target` receives the
// messages with `hostValue`. As root the engine's sandbox cannot start, so it
// is switched off there (QTWEBENGINE_DISABLE_SANDBOX) unless already set.
// `library` names the view library: empty for the program's own.
int sdkWebBrowserInit(sdkWebBrowserHandle& handle, QWidget* parent, QObject* target, int hostValue,
                      bool verbose, CSlout* trace, const std::string& library = {});
// Creates the page view in the parent at (x, y) with the size given.
int sdkWebBrowserCreate(sdkWebBrowser* handle, int x, int y, int width, int height);
// Starts loading an address; ok is false when the load could not start.
int sdkWebBrowserNavigate(sdkWebBrowser* handle, const std::string& address, bool& ok);
// Calls a global script function of the current page without arguments. The
// page answers later; a name it does not define is reported then as an
// internal error of this module.
int sdkWebBrowserRunScript(sdkWebBrowser* handle, const std::string& name);
// Sets the view's height, then its width.
int sdkWebBrowserSetSize(sdkWebBrowser* handle, int width, int height);
// Tears the view down and clears the handle; an empty handle is left alone.
int sdkWebBrowserFree(sdkWebBrowserHandle& handle);

// The text the current page shows (for diagnostics and tests), handed to
// `done` once the page answers.
int sdkWebBrowserPageText(sdkWebBrowser* handle, std::function<void(const std::string&)> done);

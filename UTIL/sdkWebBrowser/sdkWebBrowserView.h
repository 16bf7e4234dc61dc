// The part of the browser host that needs the web engine, behind a small
// interface. It is built as its own library (libsdkWebBrowserView.so) and
// loaded at run time when the first browser is initialised, so that a program
// that never shows a page never maps the web engine (well over 100 MiB).
//
// The view only shows pages and reports what happens in them; the host
// (sdkWebBrowser) turns those reports into the messages of the page protocol.
// Everything here runs on the user-interface thread.
#pragma once

#include <functional>
#include <string>

#include "sdkWebBrowserProtocol.h"

class QWidget;

// What the view tells the host. The view never calls into a host it has been
// detached from.
class sdkWebBrowserViewEvents {
  public:
    virtual ~sdkWebBrowserViewEvents() = default;
    // The top-level document finished loading (never for an error page). The
    // view has bound the page's command elements; these are the body's size
    // attributes (has = false when absent).
    virtual void viewDocumentComplete(bool hasWidth, const std::string& width, bool hasHeight,
                                      const std::string& height) = 0;
    // A top-level navigation failed; no error page is shown.
    virtual void viewNavigationFailed(sdkWebBrowserErrorDomain domain, int code,
                                      const std::string& address) = 0;
    // A bound element was clicked: the clicked element's id and class attribute.
    virtual void viewElementClicked(const std::string& id, const std::string& className) = 0;
    // A page function called by name is not defined (or failed).
    virtual void viewScriptFailed(const std::string& name) = 0;
};

class sdkWebBrowserView {
  public:
    // Creates the page view as a child of `parent` at (x, y) with the size given.
    virtual int create(QWidget* parent, int x, int y, int width, int height) = 0;
    // Starts loading an address in the top-level frame, without a history entry.
    virtual int navigate(const std::string& address) = 0;
    // Calls a global function of the current page without arguments; a missing
    // function is reported later through viewScriptFailed.
    virtual int runScript(const std::string& name) = 0;
    virtual int setSize(int width, int height) = 0;
    // The text the page shows now, handed to `done` once the page answers.
    virtual int pageText(std::function<void(const std::string&)> done) = 0;
    // Ends the view: no report reaches the host from now on, and the view
    // deletes itself, at once or, when called from inside one of its own
    // reports, once control is back in the event loop.
    virtual void dispose() = 0;

  protected:
    // Only dispose() ends a view.
    virtual ~sdkWebBrowserView() = default;
};

// The library's one export. `version` must equal kSdkWebBrowserViewVersion.
inline constexpr int kSdkWebBrowserViewVersion = 1;
inline constexpr const char* kSdkWebBrowserViewLibrary = "libsdkWebBrowserView.so";
inline constexpr const char* kSdkWebBrowserViewFactory = "sdkWebBrowserViewCreate";
using sdkWebBrowserViewCreateFn = sdkWebBrowserView* (*)(int version, sdkWebBrowserViewEvents* events);

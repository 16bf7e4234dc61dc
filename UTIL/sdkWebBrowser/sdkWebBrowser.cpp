// The browser host: loading the web engine's library, and turning the view's
// reports into the page protocol's messages. See sdkWebBrowser.h.
#include "sdkWebBrowser.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QLibrary>
#include <QWidget>
#include <vector>

#include "CSlout.h"
#include "programFolders.h"
#include "report.h"
#include "sdkWebBrowserView.h"

static constexpr const char* kReportModule = "../../UTIL/sdkWebBrowser/sdkWebBrowser";

struct sdkWebBrowser final : sdkWebBrowserViewEvents {
    CSlout* trace = nullptr;
    bool verbose = false;
    int hostValue = 0;
    QPointer<QWidget> parent;
    QPointer<QObject> target;
    sdkWebBrowserView* view = nullptr;  // ended with dispose()

    void traceLine(const std::string& text) const {
        if (verbose && trace) trace->messageW(1, text);
    }

    void viewDocumentComplete(bool hasWidth, const std::string& width, bool hasHeight,
                              const std::string& height) override {
        int w = 0, h = 0;
        sdkWebBrowserPageSize(hasWidth, width, hasHeight, height, w, h);
        const long param = (static_cast<long>(h & 0xFFFF) << 16) | (w & 0xFFFF);
        if (target) QCoreApplication::postEvent(target, new sdkWebBrowserPageSizeEvent(hostValue, param));
    }

    void viewNavigationFailed(sdkWebBrowserErrorDomain domain, int code,
                              const std::string& address) override {
        if (!sdkWebBrowserCancelsFailure(sdkWebBrowserClassifyFailure(domain, code))) return;
        send(kSdkWebBrowserDataIdUrlOnError, address);
    }

    void viewElementClicked(const std::string& id, const std::string& className) override {
        const sdkWebBrowserClick click = sdkWebBrowserParseClick(id, className);
        switch (click.kind) {
            case sdkWebBrowserClick::Command:
                if (target)
                    QCoreApplication::postEvent(
                        target, new sdkWebBrowserElementClickedEvent(hostValue, click.command));
                return;
            case sdkWebBrowserClick::Data:
                send(click.dataId, click.text);
                return;
            case sdkWebBrowserClick::BadId:
                REPORT_ERR();
                return;
            case sdkWebBrowserClick::None:
                return;
        }
    }

    void viewScriptFailed(const std::string& name) override {
        traceLine("sdkWebBrowserRunScript: the page has no function \"" + name + "\"");
        REPORT_ERR();
    }

    void send(long id, const std::string& text) {
        if (!target) return;
        sdkWebBrowserDataEvent event(hostValue, id, text);
        QCoreApplication::sendEvent(target, &event);
    }
};

namespace {

// The view library's factory, loaded once; the library stays loaded (a web
// engine cannot be taken out of a running process).
int loadFactory(const std::string& library, sdkWebBrowserViewCreateFn& factory, std::string& why) {
    static std::unique_ptr<QLibrary> loaded;
    static sdkWebBrowserViewCreateFn found = nullptr;
    if (found) {
        factory = found;
        return OKAY;
    }
    // Filled apart rather than from a conditional with a braced list, which GCC 12
    // at -O3 misreads as freeing a non-heap pointer.
    std::vector<std::string> candidates;
    if (library.empty())
        candidates = programLibraryCandidates(kSdkWebBrowserViewLibrary);
    else
        candidates.push_back(library);
    for (const std::string& name : candidates) {
        auto lib = std::make_unique<QLibrary>(QString::fromStdString(name));
        if (!lib->load()) {
            why += lib->errorString().toStdString() + "; ";
            continue;
        }
        auto create = reinterpret_cast<sdkWebBrowserViewCreateFn>(lib->resolve(kSdkWebBrowserViewFactory));
        if (!create) {
            why += lib->errorString().toStdString() + "; ";
            continue;
        }
        loaded = std::move(lib);
        found = create;
        factory = found;
        return OKAY;
    }
    return NOT_OKAY;
}

}  // namespace

void sdkWebBrowserDeleter::operator()(sdkWebBrowser* handle) const {
    if (!handle) return;
    if (handle->view) handle->view->dispose();
    delete handle;
}

int sdkWebBrowserPageSizeMessage() {
    static const int type = QEvent::registerEventType();
    return type;
}

int sdkWebBrowserElementClickedMessage() {
    static const int type = QEvent::registerEventType();
    return type;
}

int sdkWebBrowserDataMessage() {
    static const int type = QEvent::registerEventType();
    return type;
}

int sdkWebBrowserInit(sdkWebBrowserHandle& handle, QWidget* parent, QObject* target, int hostValue,
                      bool verbose, CSlout* trace, const std::string& library) {
    handle.reset();
    if (!parent || !target) return REPORT_ERR();
    auto host = sdkWebBrowserHandle(new sdkWebBrowser);
    host->trace = trace;
    host->verbose = verbose;
    host->hostValue = hostValue;
    host->parent = parent;
    host->target = target;
    host->traceLine("      sdkWebBrowserInit: Entered");
    host->traceLine("Entered CSKIE() constructor");

    // The engine's sandbox refuses to start as root; anywhere else it stays on.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        host->traceLine("      sdkWebBrowserInit: running as root, the page sandbox is off");
    }
    sdkWebBrowserViewCreateFn factory = nullptr;
    std::string why;
    if (loadFactory(library, factory, why) != OKAY) {
        const std::string line = "sdkWebBrowserInit: cannot load the web view library: " + why;
        if (trace) trace->errorW(1, line);
        return REPORT_ERR();
    }
    host->view = factory(kSdkWebBrowserViewVersion, host.get());
    if (!host->view) return REPORT_ERR();
    handle = std::move(host);
    return OKAY;
}

int sdkWebBrowserCreate(sdkWebBrowser* handle, int x, int y, int width, int height) {
    if (!handle || !handle->view || !handle->parent) return REPORT_ERR();
    REPORT_CHECK(handle->view->create(handle->parent, x, y, width, height));
    return OKAY;
}

int sdkWebBrowserNavigate(sdkWebBrowser* handle, const std::string& address, bool& ok) {
    ok = false;
    if (!handle || !handle->view) return OKAY;
    ok = handle->view->navigate(address) == OKAY;
    return OKAY;
}

int sdkWebBrowserRunScript(sdkWebBrowser* handle, const std::string& name) {
    if (!handle || !handle->view) return REPORT_ERR();
    REPORT_CHECK(handle->view->runScript(name));
    return OKAY;
}

int sdkWebBrowserSetSize(sdkWebBrowser* handle, int width, int height) {
    if (!handle || !handle->view) return REPORT_ERR();
    REPORT_CHECK(handle->view->setSize(width, height));
    return OKAY;
}

int sdkWebBrowserFree(sdkWebBrowserHandle& handle) {
    handle.reset();
    return OKAY;
}

int sdkWebBrowserPageText(sdkWebBrowser* handle, std::function<void(const std::string&)> done) {
    if (!handle || !handle->view || !done) return REPORT_ERR();
    REPORT_CHECK(handle->view->pageText(std::move(done)));
    return OKAY;
}

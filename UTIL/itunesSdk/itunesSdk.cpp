// Bringing iTunes up and letting it go (itunesSdkInit, itunesSdkBringUpItunes,
// itunesSdkCloseItunes, itunesSdkRelease) and the two event sinks.
#include "itunesSdk.h"

#include <cstdio>

#include "CSlout.h"
#include "itunesSdkCOMInterfaceCalls.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/itunesSdk/itunesSdk";

void itunesSdkTrace(const itunesSdkContext* context, std::string_view indent, std::string_view text) {
    if (context == nullptr || context->verbose == 0 || context->trace == nullptr) return;
    std::string line(indent);
    line += text;
    context->trace->outputW(1, line);
}

std::string itunesSdkHex(ItHresult result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(result));
    return text;
}

namespace {

void traceInit(const itunesSdkContext* context, std::string_view text) {
    itunesSdkTrace(context, kItunesSdkIndent6, std::string("itunesSdkInit: ") + std::string(text));
}

void traceBringUp(const itunesSdkContext* context, std::string_view text) {
    itunesSdkTrace(context, kItunesSdkIndentTabs,
                   std::string("itunesSdkBringUpItunes: ") + std::string(text));
}

// Connects a new application event sink. A sink that cannot be connected only
// means that iTunes' events go unheard; the export works without them.
void installSink(itunesSdkContext* context) {
    traceBringUp(context, "Installing sink");
    std::shared_ptr<ItUnknown> unknown;
    ItHresult r = context->application->QueryInterface(kItIidIConnectionPointContainer, unknown);
    traceBringUp(context, "QueryInterface() returns " + itunesSdkHex(r));
    auto container = std::dynamic_pointer_cast<ItConnectionPointContainer>(unknown);
    if (r != kItSOk || !container) return;
    std::shared_ptr<ItConnectionPoint> point;
    r = container->FindConnectionPoint(kItIidIiTunesEvents, point);
    traceBringUp(context, "FindConnectionPoint() returns " + itunesSdkHex(r));
    container.reset();
    unknown.reset();
    traceBringUp(context, "pCPC->Release()");
    if (r != kItSOk || !point) return;
    auto sink = std::make_shared<CITunesEventSink>(context);
    traceBringUp(context, "Initiated Sink Class");
    std::shared_ptr<ItUnknown> sinkUnknown;
    r = sink->QueryInterface(kItIidIUnknown, sinkUnknown);
    traceBringUp(context, "QueryInterface() returns " + itunesSdkHex(r));
    if (r != kItSOk) return;
    uint32_t cookie = 0;
    r = point->Advise(sink, cookie);
    traceBringUp(context, "Advise() returns " + itunesSdkHex(r));
    if (r != kItSOk) {
        sink->disconnect();
        return;
    }
    context->connectionPoint = std::move(point);
    context->adviseCookie = cookie;
    context->eventSink = std::move(sink);
    context->eventSinkUnknown = std::move(sinkUnknown);
}

}  // namespace

int itunesSdkBringUpItunes(itunesSdkContext* context, bool& ok) {
    ok = false;
    if (context == nullptr || context->automation == nullptr) return REPORT_ERR();
    for (int attempt = 1; attempt <= kItunesSdkStartAttempts; ++attempt) {
        traceBringUp(context, "Callling CoCreateInstance()");
        context->lastCreateResult =
            context->automation->createInstance(kItClsidITunesApp, kItIidIiTunes, context->application);
        if (context->lastCreateResult == kItSOk && context->application) break;
        context->application.reset();
        traceInit(context, "Failed to load iTunes: " + itunesSdkHex(context->lastCreateResult));
        // A server that is not installed will not appear by waiting for it.
        if (context->lastCreateResult == kItClassNotRegistered) break;
        if (attempt < kItunesSdkStartAttempts) context->automation->sleepMs(kItunesSdkStartRetryMs);
    }
    if (!context->application) return OKAY;

    std::string version;
    if (itunesSdk_IiTunes_get_Version(context, version) == kItSOk)
        traceBringUp(context, "iTunes version " + version);
    traceBringUp(context, "Check iTunes type library version...");
    bool compatible = false;
    const ItHresult checked =
        itunesSdk_IiTunes_CheckVersion(context, kItTypeLibraryMajor, kItTypeLibraryMinor, compatible);
    if (checked != kItSOk || !compatible) {
        traceBringUp(context, "Incompatible type library found (asked for " +
                                  std::to_string(kItTypeLibraryMajor) + "." +
                                  std::to_string(kItTypeLibraryMinor) + "). Shutting down iTunes...");
        bool timedOut = false;
        REPORT_CHECK(itunesSdkCloseItunes(context, timedOut));
        context->application.reset();
        return OKAY;
    }
    installSink(context);
    traceBringUp(context, "Done");
    ok = true;
    return OKAY;
}

int itunesSdkInit(std::unique_ptr<itunesSdkContext>& out, itunesSdkWindow* window, bool& ok, int verbose,
                  CSlout* trace, ItunesAutomation* automation) {
    ok = false;
    out.reset();
    if (automation == nullptr) return REPORT_ERR();
    auto context = std::make_unique<itunesSdkContext>();
    context->trace = trace;
    context->verbose = verbose;
    context->retryWhenBusy = 1;
    context->automation = automation;
    traceInit(context.get(), "Entered");
    // The messages are registered before iTunes can send its first event.
    if (window != nullptr) {
        REPORT_CHECK(window->registerMessage(kItunesSdkMsgAboutToQuit, context->quitMessage));
        REPORT_CHECK(window->registerMessage(kItunesSdkMsgStartsToPlay, context->playMessage));
        context->window = window;
    }
    traceInit(context.get(), "Calling CoCreateInstance() to bring up iTunes");
    if (itunesSdkBringUpItunes(context.get(), ok) != OKAY) {
        itunesSdkRelease(context, false);
        return REPORT_ERR();
    }
    if (!ok && context->lastCreateResult != kItSOk)
        traceInit(context.get(), "Failed to load iTunes: " + itunesSdkHex(context->lastCreateResult));
    traceInit(context.get(), "Done");
    out = std::move(context);
    return OKAY;
}

int itunesSdkCloseItunes(itunesSdkContext* context, bool& timedOut) {
    timedOut = false;
    if (context == nullptr || context->automation == nullptr) return REPORT_ERR();
    ItunesAutomation& automation = *context->automation;
    if (!automation.mainWindowExists()) return OKAY;
    if (context->application)
        itunesSdk_IiTunes_Quit(context);
    else
        automation.postCloseToMainWindow();
    for (int waitedMs = 0; automation.mainWindowExists(); waitedMs += kItunesSdkCloseStepMs) {
        if (waitedMs >= kItunesSdkCloseTimeoutMs) {
            timedOut = true;
            break;
        }
        automation.sleepMs(kItunesSdkCloseStepMs);
    }
    return OKAY;
}

int itunesSdkRelease(std::unique_ptr<itunesSdkContext>& context, bool quit) {
    if (!context) return OKAY;
    int result = OKAY;
    if (quit && context->aboutToQuit == 0) {
        bool timedOut = false;
        if (itunesSdkCloseItunes(context.get(), timedOut) != OKAY) result = REPORT_ERR();
    }
    if (context->eventSink) {
        // Cut the sink off first: iTunes may still hold it after Unadvise.
        context->eventSink->disconnect();
        if (context->connectionPoint) context->connectionPoint->Unadvise(context->adviseCookie);
        context->connectionPoint.reset();
        context->eventSinkUnknown.reset();
        context->eventSink.reset();
    }
    context->application.reset();
    context.reset();
    return result;
}

// --- sinks

namespace {

// A sink answers for IUnknown, IDispatch and its events interface.
ItHresult offerSink(std::shared_ptr<ItUnknown> sink, ItGuid iid, ItGuid events,
                    std::shared_ptr<ItUnknown>& out) {
    const bool offered = iid == kItIidIUnknown || iid == kItIidIDispatch || iid == events;
    out = offered ? std::move(sink) : nullptr;
    return offered ? kItSOk : kItENoInterface;
}

}  // namespace

CITunesEventSink::CITunesEventSink(itunesSdkContext* context) : context_(context) {}

ItHresult CITunesEventSink::QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) {
    return offerSink(shared_from_this(), iid, kItIidIiTunesEvents, out);
}

ItHresult CITunesEventSink::Invoke(int32_t dispId) {
    itunesSdkContext* context = context_;
    if (context == nullptr) return kItSOk;
    if (dispId == kItEventPlayerPlay) {
        if (context->window != nullptr) context->window->sendMessage(context->playMessage);
    } else if (dispId == kItEventAboutToPromptQuit) {
        context->aboutToQuit = 1;
        if (context->window != nullptr) context->window->sendMessage(context->quitMessage);
    }
    return kItSOk;
}

ItHresult CITunesConvertOperationStatusEventSink::QueryInterface(ItGuid iid,
                                                                 std::shared_ptr<ItUnknown>& out) {
    return offerSink(shared_from_this(), iid, kItIidIITConvertOperationStatusEvents, out);
}

ItHresult CITunesConvertOperationStatusEventSink::Invoke(int32_t dispId) {
    return dispId == kItEventConversionStatus ? kItSOk : kItENotImpl;
}

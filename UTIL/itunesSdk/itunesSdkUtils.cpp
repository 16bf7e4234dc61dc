// Conversions through iTunes, waiting for them, and deleting a track.
#include "itunesSdkUtils.h"

#include <algorithm>

#include "itunesSdkCOMInterfaceCalls.h"
#include "itunesSdkGet.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/itunesSdk/itunesSdkUtils";

namespace {

void traceConvert(const itunesSdkContext* context, const std::string& text) {
    itunesSdkTrace(context, kItunesSdkIndent9, "itunesSdkUtilsConvertAndImportFile: " + text);
}

void traceWait(const itunesSdkContext* context, const std::string& text) {
    itunesSdkTrace(context, kItunesSdkIndent12, "itunesSdkUtils_WaitForAsynchronousTaskToComplete: " + text);
}

// A conversion-status sink advised on an operation for as long as this lives.
// Its events carry nothing the export needs (it polls the status), so a sink
// that cannot be advised is no failure.
class ConversionSink {
  public:
    explicit ConversionSink(IITOperationStatus& status) {
        std::shared_ptr<ItUnknown> unknown;
        if (status.QueryInterface(kItIidIConnectionPointContainer, unknown) != kItSOk) return;
        auto container = std::dynamic_pointer_cast<ItConnectionPointContainer>(unknown);
        if (!container ||
            container->FindConnectionPoint(kItIidIITConvertOperationStatusEvents, point_) != kItSOk)
            return;
        if (point_ &&
            point_->Advise(std::make_shared<CITunesConvertOperationStatusEventSink>(), cookie_) != kItSOk)
            point_.reset();
    }
    ~ConversionSink() {
        if (point_) point_->Unadvise(cookie_);
    }
    ConversionSink(const ConversionSink&) = delete;
    ConversionSink& operator=(const ConversionSink&) = delete;

  private:
    std::shared_ptr<ItConnectionPoint> point_;
    uint32_t cookie_ = 0;
};

// Steps shared by both conversions once iTunes has accepted the job.
int finishConversion(itunesSdkContext* context, IITOperationStatus& status, int32_t durationMs,
                     itunesSdkTrackIds& newTrack) {
    ConversionSink sink(status);
    traceConvert(context, "Calling itunesSdkUtils_WaitForAsynchronousTaskToComplete()");
    bool timedOut = false;
    if (itunesSdkUtils_WaitForAsynchronousTaskToComplete(
            context, &status, itunesSdkUtilsConversionTimeout(durationMs), timedOut) != OKAY) {
        traceConvert(context, "itunesSdkUtils_WaitForAsynchronousTaskToComplete failed");
        return REPORT_ERR();
    }
    // After a time-out the next step finds the conversion still running and fails.
    traceConvert(context, "Calling itunesSdkGet_TrackUsingIstatus()");
    std::shared_ptr<IITTrack> track;
    if (itunesSdkGet_TrackUsingIstatus(context, &status, track) != OKAY) {
        traceConvert(context, "itunesSdkUtils_GetTrackUsingIstatus failed");
        return REPORT_ERR();
    }
    traceConvert(context, "Calling itunesSdkUtils_GetTrackNameAndPath()");
    itunesSdkTrackIds ids;
    if (itunesSdk_IITTrack_GetITObjectIDs(context, track.get(), ids.sourceId, ids.playlistId, ids.trackId,
                                          ids.databaseId) != kItSOk)
        return REPORT_ERR();
    newTrack = ids;
    traceConvert(context, "Success");
    return OKAY;
}

}  // namespace

int32_t itunesSdkUtilsConversionTimeout(int32_t durationMs) {
    return std::max(durationMs / 500, kItunesSdkConversionMinimumSeconds);
}

int itunesSdkUtilsConvertAndImportFile(itunesSdkContext* context, const std::string& path, int32_t durationMs,
                                       itunesSdkTrackIds& newTrack) {
    if (context == nullptr) return REPORT_ERR();
    traceConvert(context, "Entered with " + path);
    traceConvert(context, "Calling ConvertFile2(" + path + ")");
    std::shared_ptr<IITOperationStatus> status;
    if (itunesSdk_IiTunes_ConvertFile2(context, path, status) != kItSOk || !status) {
        traceConvert(context, "ConvertFile2 failed");
        return REPORT_ERR();
    }
    REPORT_CHECK(finishConversion(context, *status, durationMs, newTrack));
    return OKAY;
}

int itunesSdkUtilsConvertAndImportTrack(itunesSdkContext* context, const itunesSdkTrackIds& track,
                                        int32_t durationMs, itunesSdkTrackIds& newTrack) {
    if (context == nullptr) return REPORT_ERR();
    traceConvert(context, "Entered");
    std::shared_ptr<IITTrack> source;
    REPORT_CHECK(itunesSdkGet_ITrackByIDs(context, track, source));
    if (!source) return REPORT_ERR();
    traceConvert(context, "Calling ConvertTrack2()");
    ItVariant variant;
    variant.vt = kItVtDispatch;
    variant.dispatch = source;
    std::shared_ptr<IITOperationStatus> status;
    if (itunesSdk_IiTunes_ConvertTrack2(context, variant, status) != kItSOk || !status) return REPORT_ERR();
    REPORT_CHECK(finishConversion(context, *status, durationMs, newTrack));
    return OKAY;
}

int itunesSdkUtils_WaitForAsynchronousTaskToComplete(itunesSdkContext* context, IITOperationStatus* status,
                                                     int32_t timeoutSeconds, bool& timedOut) {
    timedOut = false;
    if (context == nullptr || context->automation == nullptr) return REPORT_ERR();
    if (status == nullptr) {
        traceWait(context, "Istatus is NULL");
        return REPORT_ERR();
    }
    ItunesAutomation& clock = *context->automation;
    const int64_t startSeconds = clock.nowMs() / 1000;
    for (;;) {
        bool inProgress = false;
        if (itunesSdk_IITOperationStatus_get_InProgress(context, status, inProgress) != kItSOk) {
            traceWait(context, "itunesSdk_IITOperationStatus_get_InProgress() fails");
            return REPORT_ERR();
        }
        if (!inProgress) return OKAY;
        if (clock.nowMs() / 1000 - startSeconds >= timeoutSeconds) {
            timedOut = true;
            traceWait(context, "Timed out!");
            return OKAY;
        }
        clock.sleepMs(kItunesSdkConversionPollMs);
    }
}

int itunesSdkUtilsDeleteTrack(itunesSdkContext* context, const itunesSdkTrackIds& track) {
    if (context == nullptr || context->automation == nullptr) return REPORT_ERR();
    std::shared_ptr<IITTrack> found;
    REPORT_CHECK(itunesSdkGet_ITrackByIDs(context, track, found));
    if (!found) return REPORT_ERR();
    // The time limit counts the wrapper's own retries too.
    ItunesAutomation& clock = *context->automation;
    const int64_t startMs = clock.nowMs();
    for (;;) {
        if (itunesSdk_IITTrack_Delete(context, found.get()) == kItSOk) return OKAY;
        clock.sleepMs(kItunesSdkDeleteStepMs);
        if (clock.nowMs() - startMs >= kItunesSdkDeleteTimeoutMs) return REPORT_ERR();
    }
}

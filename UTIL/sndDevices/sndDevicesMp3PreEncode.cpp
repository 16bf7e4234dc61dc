// Pre-encoding: each kept recording is encoded on a thread of its own, at low
// priority, into its MP3 companion in the cache folder, so that saving it later
// is usually a copy.
//
// The starter counts a run in context.preEncodingRunning before the thread
// exists (at most four at once), so the engine's teardown, which waits for
// that count to reach zero, never misses a thread that is about to start. The
// thread writes "<base>.dax" and renames it to the companion's name only when
// the run succeeded; readers at save time only ever look at the complete name.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <system_error>
#include <thread>

#include "CSlout.h"
#include "File.h"
#include "report.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNames.h"
#include "sndDevicesPreEncode.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesMp3PreEncode";

namespace {

// Linux nice values for the Windows-style priorities of a job: the lowest
// priority keeps encoding well behind capture and the user interface.
int niceValue(int32_t priority) {
    if (priority <= kMp3PriorityLowest) return 10;
    if (priority < kMp3PriorityNormal) return 5;
    return 0;
}

// Takes one of the four pre-encoding places; false when all are taken.
bool claimPlace(sndDevicesContext& context) {
    int running = context.preEncodingRunning.load();
    do {
        if (running >= kMp3MaxPreEncodings) return false;
    } while (!context.preEncodingRunning.compare_exchange_weak(running, running + 1));
    return true;
}

// Gives the place back when the thread ends, whichever way it ends. Nothing
// may touch the context after this: teardown may be waiting for it.
struct PlaceRelease {
    sndDevicesContext& context;
    ~PlaceRelease() { context.preEncodingRunning.fetch_sub(1); }
};

void runPreEncoding(sndDevicesContext& context, sndDevicesMp3Job& job) {
    const std::string basePath = job.mp3Path;
    const std::string partialPath = basePath + "." + kSndPartialCompanionExtension;
    const std::string finalPath = basePath + "." + sndDevicesCompanionExtension(job.key);
    job.mp3Path = partialPath;

    if (sndDevicesWavToMP3(context, job) != OKAY) {
        REPORT_ERR();
        return;
    }
    if (job.status != kMp3StatusOk) return;  // the track is encoded when saved
    // The track may have been deleted while it was read (Linux lets a file go
    // while it is open): a companion without its track would be an orphan.
    if (!FileExists(job.sourcePath)) {
        std::remove(partialPath.c_str());
        return;
    }
    if (std::rename(partialPath.c_str(), finalPath.c_str()) != 0) {
        REPORT_ERR();
        return;
    }
    // Deleted between the check and the rename: the deleter looked for the
    // companion before it existed, so remove it here.
    if (!FileExists(job.sourcePath)) std::remove(finalPath.c_str());
}

}  // namespace

void sndDevicesWavToMP3Thread(sndDevicesContext& context, sndDevicesMp3Job job) {
    PlaceRelease release{context};
    context.lastPreEncodingTid.store(static_cast<int>(gettid()));
    // Best effort: a failure leaves the thread at the normal priority.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceValue(job.threadPriority));
    try {
        runPreEncoding(context, job);
    } catch (...) {
        REPORT_ERR();
    }
}

int sndDevicesStartPreEncoding(sndDevicesContext& context, const std::string& sourcePath,
                               const std::string& outputBasePath) {
    if (!claimPlace(context)) return OKAY;  // not pre-encoded: encoded when saved

    // A job of the thread's own, so a later track never changes a run in progress.
    sndDevicesMp3Job job;
    sndDevicesMp3JobFromEngine(context, job);
    job.scrambleOutput = 1;  // five empty texts: a companion has no tag
    job.sourcePath = sourcePath;
    job.mp3Path = outputBasePath;
    job.threadPriority = kMp3PriorityLowest;
    job.cancel = &context.encoderCancel;
    job.status = 0;
    try {
        std::thread(sndDevicesWavToMP3Thread, std::ref(context), std::move(job)).detach();
    } catch (const std::system_error&) {
        context.preEncodingRunning.fetch_sub(1);
        return REPORT_ERR();
    }
    return OKAY;
}

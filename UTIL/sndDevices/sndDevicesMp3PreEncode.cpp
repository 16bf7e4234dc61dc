// Pre-encoding: each kept recording is encoded on a thread of its own, at low
// priority, into its MP3 companion in the cache folder, so that saving it later
// is usually a copy.
//
// The engine owns every run (context.preEncoding.runs): a run is counted in
// `running` before its thread exists (at most four at once), marks itself done
// under the group's mutex as its last act and wakes whoever waits, and is
// joined by the next start, by a save that waited for it, or at shutdown. A
// run writes "<base>.dax" and renames it to the companion's name only when it
// succeeded; readers at save time only ever look at the complete name.
#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>
#include <thread>

#include "CSlout.h"
#include "File.h"
#include "fileIo.h"
#include "pstr.h"
#include "report.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNames.h"
#include "sndDevicesPreEncode.h"
#include "threadPriority.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesMp3PreEncode";

namespace {

using RunPtr = std::shared_ptr<sndDevicesPreEncodingRun>;

// Takes one of the four pre-encoding places; false when all are taken.
bool claimPlace(sndDevicesPreEncoding& pre) {
    int running = pre.running.load();
    do {
        if (running >= kMp3MaxPreEncodings) return false;
    } while (!pre.running.compare_exchange_weak(running, running + 1));
    return true;
}

// Joins the runs that have ended. Their threads are past their last use of
// the context, so the join only waits for them to return.
void joinFinished(sndDevicesPreEncoding& pre) {
    std::list<RunPtr> finished;
    {
        std::lock_guard lock(pre.mutex);
        for (auto it = pre.runs.begin(); it != pre.runs.end();) {
            if ((*it)->done)
                finished.splice(finished.end(), pre.runs, it++);
            else
                ++it;
        }
    }
    for (const RunPtr& run : finished)
        if (run->thread.joinable()) run->thread.join();
}

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
        REPORT_ERRNO();
        return;
    }
    // The companion's name on the disk too (the file was synced before).
    std::string folder;
    if (pstrFolderPart(finalPath, folder)) fileIoSyncFolder(folder);
    // Deleted between the check and the rename: the deleter looked for the
    // companion before it existed, so remove it here.
    if (!FileExists(job.sourcePath)) std::remove(finalPath.c_str());
}

// Marks the run done and counts it off, whichever way the thread ends, and
// wakes a save waiting for it.
struct RunEnd {
    sndDevicesPreEncoding& pre;
    sndDevicesPreEncodingRun& run;
    ~RunEnd() {
        {
            std::lock_guard lock(pre.mutex);
            run.done = true;
            pre.running.fetch_sub(1);
        }
        pre.finished.notify_all();
    }
};

}  // namespace

void sndDevicesWavToMP3Thread(sndDevicesContext& context, sndDevicesMp3Job job,
                              sndDevicesPreEncodingRun* run) {
    const int self = threadPriorityCurrentId();
    // Best effort: a refusal leaves the thread at the normal priority. Set
    // before the id is known, so a save that raises it is never undone here.
    threadPrioritySet(self, job.threadPriority);
    if (run) run->threadId.store(self);
    try {
        runPreEncoding(context, job);
    } catch (...) {
        REPORT_ERR();
    }
}

int sndDevicesStartPreEncoding(sndDevicesContext& context, const std::string& sourcePath,
                               const std::string& outputBasePath) {
    sndDevicesPreEncoding& pre = context.preEncoding;
    joinFinished(pre);
    if (!claimPlace(pre)) return OKAY;  // not pre-encoded: encoded when saved

    // A job of the thread's own, so a later track never changes a run in progress.
    sndDevicesMp3Job job;
    sndDevicesMp3JobFromEngine(context, job);
    job.scrambleOutput = 1;  // five empty texts: a companion has no tag
    job.sourcePath = sourcePath;
    job.mp3Path = outputBasePath;
    job.threadPriority = kThreadPriorityLowest;
    job.cancel = &pre.cancel;
    job.status = 0;

    auto run = std::make_shared<sndDevicesPreEncodingRun>();
    run->sourcePath = sourcePath;
    std::lock_guard lock(pre.mutex);
    // Shutdown has taken the runs it joins: nothing new may start behind it.
    if (context.stopRequested.load() != 0) {
        pre.running.fetch_sub(1);
        return OKAY;
    }
    sndDevicesPreEncodingRun& started = *run;
    try {
        run->thread = std::thread([&context, &pre, &started, job = std::move(job)]() mutable {
            RunEnd end{pre, started};
            sndDevicesWavToMP3Thread(context, std::move(job), &started);
        });
    } catch (const std::system_error& e) {
        pre.running.fetch_sub(1);
        return REPORT_ERR_WHY(e.what());
    }
    pre.runs.push_back(std::move(run));
    return OKAY;
}

int sndDevicesPreEncodingWait(sndDevicesContext& context, const std::string& sourcePath, int limitMs) {
    sndDevicesPreEncoding& pre = context.preEncoding;
    std::unique_lock lock(pre.mutex);
    RunPtr run;
    for (const RunPtr& r : pre.runs)
        if (!r->done && r->sourcePath == sourcePath) run = r;
    if (!run) return OKAY;  // none under way (a failed one may have left its partial file)
    // The user waits for this track: let its encoding run at the normal priority.
    if (const int id = run->threadId.load(); id > 0) threadPrioritySet(id, kThreadPriorityNormal);
    pre.finished.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return run->done; });
    lock.unlock();
    joinFinished(pre);
    return OKAY;
}

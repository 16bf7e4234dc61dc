// Deletes one track's audio file and MP3 companion (see sndDevicesDeleteCacheFiles.h).
// Runs on the user-interface thread while pre-encoding threads may be reading
// the same files; they share only the cancel flag and the running count.
#include "sndDevicesDeleteCacheFiles.h"

#include <chrono>
#include <cstdio>

#include "File.h"
#include "sndDevicesContext.h"
#include "sndDevicesNames.h"

namespace {

// How long the pre-encodings get to stop before one more try.
constexpr auto kStopWait = std::chrono::milliseconds(1100);

// One file: delete it if present; when that fails, stop the pre-encodings
// (up to 1.1 s) and try once more.
void deleteOne(sndDevicesContext& context, const std::string& path, int& result) {
    if (!FileExists(path)) return;
    if (std::remove(path.c_str()) == 0) return;
    sndDevicesPreEncoding& pre = context.preEncoding;
    pre.cancel.store(1);
    {
        std::unique_lock lock(pre.mutex);
        if (!pre.finished.wait_for(lock, kStopWait, [&] { return pre.running.load() == 0; }))
            result = kSndDeletePreEncodingRunning;
    }
    pre.cancel.store(0);
    if (std::remove(path.c_str()) != 0) result = kSndDeleteCouldNotDelete;
}

}  // namespace

int sndDevicesDeleteCacheFiles(sndDevicesContext& context, const std::string& baseName, int& result) {
    result = 0;
    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(context);
    deleteOne(context, sndDevicesAudioPath(settings->cacheFolder, baseName, settings->scrambleKey), result);
    deleteOne(context, sndDevicesCompanionPath(settings->cacheFolder, baseName, settings->scrambleKey),
              result);
    return OKAY;
}

// Deletes one track's audio file and MP3 companion (see sndDevicesDeleteCacheFiles.h).
// Runs on the user-interface thread while pre-encoding threads may be reading
// the same files; they share only the cancel flag and the running count.
#include "sndDevicesDeleteCacheFiles.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "File.h"
#include "sndDevicesContext.h"
#include "sndDevicesNames.h"

namespace {

// One file: delete it if present; when that fails, stop the pre-encodings
// (100 ms steps, 11 at most) and try once more.
void deleteOne(sndDevicesContext& context, const std::string& path, int& result) {
    if (!FileExists(path)) return;
    if (::unlink(path.c_str()) == 0) return;
    context.encoderCancel.store(1);
    for (int step = 0; step < 11 && context.preEncodingRunning.load() > 0; ++step)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (context.preEncodingRunning.load() > 0) result = kSndDeletePreEncodingRunning;
    context.encoderCancel.store(0);
    if (::unlink(path.c_str()) != 0) result = kSndDeleteCouldNotDelete;
}

}  // namespace

int sndDevicesDeleteCacheFiles(sndDevicesContext& context, const std::string& baseName, int& result) {
    result = 0;
    const uint16_t key = context.scrambleKey.load();
    deleteOne(context, sndDevicesAudioPath(context.cacheFolder, baseName, key), result);
    deleteOne(context, sndDevicesCompanionPath(context.cacheFolder, baseName, key), result);
    return OKAY;
}

// Deletes one track's audio file and MP3 companion (see sndDevicesDeleteCacheFiles.h).
// Runs on the user-interface thread while pre-encoding threads may be reading
// the same files; they share only the cancel flag and the running count.
#include "sndDevicesDeleteCacheFiles.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "CSlout.h"
#include "File.h"
#include "pstr.h"
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

namespace {

namespace fs = std::filesystem;

// The holding place, made when missing; false when it is not a folder of its
// own (a file, or a symbolic link that could lead the files anywhere).
bool holdingPlace(const std::string& folder) {
    std::error_code ec;
    fs::create_directory(folder, ec);
    const fs::file_status status = fs::symlink_status(folder, ec);
    return !ec && fs::is_directory(status);
}

bool move(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
}

struct TrackFiles {
    std::string cached, held;
};

std::vector<TrackFiles> trackFiles(const sndDevicesContext& context, const std::string& baseName) {
    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(context);
    const std::string held = sndDevicesHeldFolder(context);
    const uint16_t key = settings->scrambleKey;
    return {
        {sndDevicesAudioPath(settings->cacheFolder, baseName, key), sndDevicesAudioPath(held, baseName, key)},
        {sndDevicesCompanionPath(settings->cacheFolder, baseName, key),
         sndDevicesCompanionPath(held, baseName, key)}};
}

}  // namespace

std::string sndDevicesHeldFolder(const sndDevicesContext& context) {
    return sndDevicesSettingsNow(context)->cacheFolder + "/" + kSndHeldFolderName;
}

int sndDevicesHoldCacheFiles(sndDevicesContext& context, const std::string& baseName, int& result) {
    result = 0;
    if (!holdingPlace(sndDevicesHeldFolder(context))) {
        result = kSndDeleteCouldNotDelete;
        return OKAY;
    }
    const std::vector<TrackFiles> files = trackFiles(context, baseName);
    std::vector<const TrackFiles*> moved;
    for (const TrackFiles& f : files) {
        if (!FileExists(f.cached)) continue;
        if (!move(f.cached, f.held)) {
            // All or nothing: what moved already goes back.
            for (const TrackFiles* m : moved) move(m->held, m->cached);
            result = kSndDeleteCouldNotDelete;
            return OKAY;
        }
        moved.push_back(&f);
    }
    return OKAY;
}

int sndDevicesRestoreHeldFiles(sndDevicesContext& context, const std::string& baseName, int& result) {
    result = 0;
    const std::vector<TrackFiles> files = trackFiles(context, baseName);
    for (const TrackFiles& f : files)
        if (FileExists(f.held) && FileExists(f.cached)) {
            result = kSndRestoreNameTaken;
            return OKAY;
        }
    for (const TrackFiles& f : files)
        if (FileExists(f.held) && !move(f.held, f.cached)) result = kSndDeleteCouldNotDelete;
    return OKAY;
}

int sndDevicesEmptyHeldFiles(sndDevicesContext& context) {
    const std::string folder = sndDevicesHeldFolder(context);
    if (!FileIsFolder(folder)) return OKAY;
    std::vector<std::string> names;
    if (FileListFiles(folder, 4096, names) != OKAY) return OKAY;  // reported; tried again next time
    std::vector<std::string> endings;
    for (uint16_t key : {kSndScrambleKey, uint16_t(0)})
        for (const char* extension : {sndDevicesAudioExtension(key), sndDevicesCompanionExtension(key)})
            endings.push_back(std::string(".") + extension);
    for (const std::string& name : names) {
        bool ours = false;
        for (const std::string& ending : endings) ours = ours || pstrEndsWith(name, ending);
        int result = 0;
        // A pre-encoding may still read a held file: deleted as a track's file is.
        if (ours) deleteOne(context, folder + "/" + name, result);
        if (result != 0 && context.trace)
            context.trace->messageW(1,
                                    "sndDevicesEmptyHeldFiles():: Could not delete " + folder + "/" + name);
    }
    std::error_code ec;
    fs::remove(folder, ec);  // only when empty: whatever else is there stays
    return OKAY;
}

// The final MP3 of a saved track (sndDevicesManageFinalMP3Creation): from the
// pre-encoded companion when there is one, otherwise encoded on the spot.
//
// Both paths write into a hidden temporary file beside the target and rename
// it over the target only once it is complete, so a failed or interrupted save
// never leaves a half-written MP3 and never damages a file the user already
// had. The companion is only read, never moved: saving the same track again
// copies it again.
#include <cstdio>
#include <memory>
#include <vector>

#include "CSlout.h"
#include "File.h"
#include "Tags.h"
#include "fileIo.h"
#include "pstr.h"
#include "report.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNames.h"
#include "sndDevicesPreEncode.h"
#include "sndDevicesScramble.h"
#include "threadPriority.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesMp3Final";

namespace {

// The copy from a companion goes in blocks of 1 MiB: every write() to a file
// costs the file system an update of the file's times and a journal entry,
// so small blocks (16 KiB) made a save of many tracks several times slower
// than copying the same files.
constexpr size_t kCopyWords = 512 * 1024;
constexpr const char* kTracePrefix = "sndDevicesManageFinalMP3Creation(): ";

void trace(const sndDevicesContext& context, const std::string& text) {
    if (context.verbose && context.trace != nullptr) context.trace->outputW(1, kTracePrefix + text);
}

// The target can be replaced: absent, or a regular file we may write. A folder
// or a write-protected file in its place fails like creating it would.
bool targetWritable(const std::string& mp3Path) {
    if (!FileExists(mp3Path)) return true;
    if (FileIsFolder(mp3Path)) return false;
    // Opened for update, which neither creates nor changes it.
    return FileHandle(std::fopen(mp3Path.c_str(), "r+b")) != nullptr;
}

// Moves a complete temporary file over the target; status -5 when it cannot.
int commitTemporary(const std::string& temporary, const std::string& mp3Path) {
    if (std::rename(temporary.c_str(), mp3Path.c_str()) == 0) {
        // The new name on the disk too; the file is complete whatever this says.
        std::string folder;
        if (pstrFolderPart(mp3Path, folder)) fileIoSyncFolder(folder);
        return kMp3StatusOk;
    }
    std::remove(temporary.c_str());
    return kMp3StatusCreateFailed;
}

int fromScratch(sndDevicesContext& context, std::string_view title, std::string_view artist,
                std::string_view album, std::string_view genre, std::string_view comment,
                const std::string& audioPath, const std::string& mp3Path, int& status) {
    trace(context, "Arrived at CreateMp3FromScratch");
    if (!targetWritable(mp3Path)) {
        status = kMp3StatusCreateFailed;
        return OKAY;
    }
    // Nothing sets this flag: a save cannot be cancelled.
    static std::atomic<int> neverCancelled{0};
    sndDevicesMp3Job& job = context.saveJob;
    sndDevicesMp3JobFromEngine(context, job);
    job.scrambleOutput = 0;
    job.title = title;
    job.artist = artist;
    job.album = album;
    job.genre = genre;
    job.comment = comment;
    job.sourcePath = audioPath;
    job.mp3Path = sndDevicesMp3TemporaryPath(mp3Path);
    job.threadPriority = kThreadPriorityNormal;
    job.cancel = &neverCancelled;
    job.status = 0;
    trace(context, "Calling sndDevicesWavToMP3()");
    if (sndDevicesWavToMP3(context, job) != OKAY) {
        std::remove(job.mp3Path.c_str());
        return REPORT_ERR();
    }
    if (job.status == kMp3StatusOk)
        job.status = commitTemporary(job.mp3Path, mp3Path);
    else
        std::remove(job.mp3Path.c_str());
    status = job.status;
    trace(context, "return(OKAY)");
    return OKAY;
}

int usePreEncoded(sndDevicesContext& context, std::string_view title, std::string_view artist,
                  std::string_view album, std::string_view genre, std::string_view comment,
                  const std::string& finalPath, const std::string& mp3Path, int& status) {
    trace(context, "Arrived at UsePreEncodedFile");
    REPORT_CHECK(sndDevicesPreEncodedMp3ToFinalMp3(context, sndDevicesSettingsNow(context)->scrambleKey,
                                                   title, artist, album, genre, comment, finalPath, mp3Path,
                                                   status));
    trace(context, "Returning OKAY from UsePreEncodedFile");
    return OKAY;
}

}  // namespace

std::string sndDevicesMp3TemporaryPath(const std::string& mp3Path) {
    const size_t slash = mp3Path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return mp3Path.substr(0, nameStart) + "." + mp3Path.substr(nameStart) + ".partial";
}

int pstrUserLibraryFilename(const std::string& path, std::string& folder, bool& found) {
    found = false;
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) return OKAY;
    folder = path.substr(0, separator);
    found = true;
    return OKAY;
}

int sndDevicesPreEncodedMp3ToFinalMp3(sndDevicesContext& context, uint16_t key, std::string_view title,
                                      std::string_view artist, std::string_view album, std::string_view genre,
                                      std::string_view comment, const std::string& preEncodedPath,
                                      const std::string& mp3Path, int& status) {
    (void)context;
    status = kMp3StatusOk;
    FileHandle in(std::fopen(preEncodedPath.c_str(), "rb"));
    if (!in) return REPORT_ERR();
    if (!targetWritable(mp3Path)) {
        status = kMp3StatusCreateFailed;
        return OKAY;
    }
    const std::string temporary = sndDevicesMp3TemporaryPath(mp3Path);
    FileHandle out(std::fopen(temporary.c_str(), "wb"));
    if (!out) {
        status = kMp3StatusCreateFailed;
        return OKAY;
    }
    // Any failure from here on removes the temporary file.
    auto fail = [&](int line) {
        out.reset();
        std::remove(temporary.c_str());
        return reportInternalError(kReportModule, line);
    };
    if (TagsMp3WriteID3v2_3(out.get(), title, artist, album, genre, comment) != OKAY) return fail(__LINE__);

    // The file's whole length is claimed at once: the file system then
    // places it in one go instead of page by page while the copy runs, which
    // makes a save as quick as a plain copy. Where it cannot (no space, a file
    // system without it), the writes below meet the problem themselves.
    const FileIoHandle outHandle = fileIoStreamHandle(out.get());
    uint64_t sourceBytes = 0;
    const long tagBytes = std::ftell(out.get());
    if (fileIoSize(fileIoStreamHandle(in.get()), sourceBytes) == OKAY && tagBytes >= 0 &&
        std::fflush(out.get()) == 0)
        (void)fileIoReserve(outHandle, static_cast<uint64_t>(tagBytes) + sourceBytes);
    // Not zero-filled: every byte written is read first.
    const size_t blockBytes = kCopyWords * 2;
    const auto block = std::make_unique_for_overwrite<unsigned char[]>(blockBytes);
    for (;;) {
        const size_t got = std::fread(block.get(), 1, blockBytes, in.get());
        if (got == 0) {
            if (std::ferror(in.get())) return fail(__LINE__);
            break;
        }
        // Whole words only; an odd last byte (never in a companion) is copied as it is.
        sndDevicesUnscrambleBytes(block.get(), got, key);
        if (std::fwrite(block.get(), 1, got, out.get()) != got) return fail(__LINE__);
    }
    // A companion that shrank since it was measured must not leave the
    // claimed length's zeros at the end of the MP3.
    const long written = std::ftell(out.get());
    if (written < 0 || std::fflush(out.get()) != 0 ||
        fileIoTruncate(outHandle, static_cast<uint64_t>(written)) != OKAY)
        return fail(__LINE__);
    if (std::fclose(in.release()) != 0) return fail(__LINE__);
    // On the disk before it takes the target's name.
    if (fileIoSyncStream(out.get()) != OKAY) return fail(__LINE__);
    if (std::fclose(out.release()) != 0) return fail(__LINE__);
    status = commitTemporary(temporary, mp3Path);
    return OKAY;
}

int sndDevicesManageFinalMP3CreationWaiting(sndDevicesContext& context, std::string_view title,
                                            std::string_view artist, std::string_view album,
                                            std::string_view genre, std::string_view comment,
                                            const std::string& baseName, const std::string& mp3Path,
                                            int waitLimitMs, int& status) {
    status = kMp3StatusOk;
    trace(context, "entered");
    trace(context, "wcp_SongTitle = " + std::string(title));
    trace(context, "wcp_ArtistName = " + std::string(artist));
    trace(context, "wcp_AlbumName = " + std::string(album));
    trace(context, "wcp_Genre = " + std::string(genre));
    trace(context, "wcp_Comment = " + std::string(comment));
    trace(context, "wcp_wavFileName = " + baseName);
    trace(context, "wcp_MP3FilePath = " + mp3Path);

    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(context);
    const uint16_t key = settings->scrambleKey;
    const std::string audioPath = sndDevicesAudioPath(settings->cacheFolder, baseName, key);
    const std::string partialPath = sndDevicesPartialCompanionPath(settings->cacheFolder, baseName);
    const std::string finalPath = sndDevicesCompanionPath(settings->cacheFolder, baseName, key);
    trace(context, "WavFilePathAndNameWithExtension = " + audioPath);
    trace(context, "PreEncodedPartialFilePathAndName = " + partialPath);
    trace(context, "PreEncodedFinalFilePathAndName = " + finalPath);

    bool preEncoded = FileExists(finalPath);
    if (preEncoded) {
        trace(context, "Completed pre-encoded file exists, use it to create the final .mp3 file.");
    } else {
        trace(context, "findPreFinalHandle == INVALID_HANDLE_VALUE");
        if (!FileExists(partialPath)) {
            trace(context, "findPrePartialHandle == INVALID_HANDLE_VALUE");
        } else {
            // A pre-encoding of this track is under way: let it finish at
            // normal priority rather than encode the same track twice.
            trace(context, "Waiting for pre-encoding thread to complete");
            REPORT_CHECK(sndDevicesPreEncodingWait(context, audioPath, waitLimitMs));
            trace(context, "Done waiting for pre-encoding thread to complete");
            preEncoded = FileExists(finalPath);
            trace(context, preEncoded ? "findPreFinalHandle != INVALID_HANDLE_VALUE"
                                      : "findPreFinalHandle == INVALID_HANDLE_VALUE");
        }
    }
    if (preEncoded)
        REPORT_CHECK(
            usePreEncoded(context, title, artist, album, genre, comment, finalPath, mp3Path, status));
    else
        REPORT_CHECK(fromScratch(context, title, artist, album, genre, comment, audioPath, mp3Path, status));
    return OKAY;
}

int sndDevicesManageFinalMP3Creation(sndDevicesContext& context, std::string_view title,
                                     std::string_view artist, std::string_view album, std::string_view genre,
                                     std::string_view comment, const std::string& baseName,
                                     const std::string& mp3Path, int& status) {
    REPORT_CHECK(sndDevicesManageFinalMP3CreationWaiting(context, title, artist, album, genre, comment,
                                                         baseName, mp3Path, kMp3PreEncodingWaitMs, status));
    return OKAY;
}

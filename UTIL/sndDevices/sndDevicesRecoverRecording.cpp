// Recovering a recording cut short by a crash or a power loss. The capture
// step writes the recording in progress to one temporary file whose sizes are
// only patched when it is closed; a program that dies meanwhile leaves the
// file with sizes 0 and its audio on disk, and the next recording would simply
// overwrite it. So before the first arming of each engine start the file is
// turned into a track the way a finished recording is: its whole frames on
// disk give its length, the header is repaired, its start is the moment it
// was last written minus that length, and it takes the usual path from there
// (length rule, final name, lastRecording for the track list, pre-encoding).
#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "fileIo.h"
#include "report.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"
#include "sndDevicesNames.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesRecoverRecording";

namespace {

constexpr size_t kHeaderBytes = 56;  // RIFF, fmt, fact and data headers of a cache file
constexpr uint32_t kFrameBytes = 4;  // 16-bit stereo

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void putLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// A header the capture step wrote: our layout, 16-bit stereo PCM.
bool isCacheHeader(const std::array<unsigned char, kHeaderBytes>& h) {
    return std::memcmp(h.data(), "RIFF", 4) == 0 && std::memcmp(h.data() + 8, "WAVEfmt ", 8) == 0 &&
           le32(h.data() + 16) == 16 && le16(h.data() + 20) == kWaveFormatPcm && le16(h.data() + 22) == 2 &&
           le32(h.data() + 24) > 0 && le16(h.data() + 32) == kFrameBytes && le16(h.data() + 34) == 16 &&
           std::memcmp(h.data() + 36, "fact", 4) == 0 && std::memcmp(h.data() + 48, "data", 4) == 0;
}

struct File {
    FileIoHandle handle = kFileIoClosed;
    ~File() { fileIoClose(handle); }
};

// Cuts the data to whole frames and writes the sizes and the closed sample
// count. dataBytes and rate receive what the file holds.
int repair(const std::string& path, uint64_t& dataBytes, uint32_t& rate, bool& ours) {
    ours = false;
    File file;
    if (fileIoOpen(path, FileIoMode::ReadWrite, file.handle) != OKAY) return REPORT_ERRNO();
    uint64_t size = 0;
    if (fileIoSize(file.handle, size) != OKAY) return REPORT_ERRNO();
    std::array<unsigned char, kHeaderBytes> header{};
    if (size < kHeaderBytes || fileIoReadAt(file.handle, header.data(), header.size(), 0) != OKAY ||
        !isCacheHeader(header))
        return OKAY;  // not a recording we can read: left for the next one to overwrite
    ours = true;
    rate = le32(header.data() + 24);
    dataBytes = (size - kHeaderBytes) / kFrameBytes * kFrameBytes;
    // The sizes are 32-bit.
    dataBytes = std::min<uint64_t>(dataBytes, (0xFFFFFFFFull - 48) / kFrameBytes * kFrameBytes);
    if (fileIoTruncate(file.handle, kHeaderBytes + dataBytes) != OKAY) return REPORT_ERRNO();
    putLe32(header.data() + 4, static_cast<uint32_t>(dataBytes + kHeaderBytes - 8));
    putLe32(header.data() + 44, 0);
    putLe32(header.data() + 52, static_cast<uint32_t>(dataBytes));
    if (fileIoWriteAt(file.handle, header.data(), header.size(), 0) != OKAY) return REPORT_ERRNO();
    if (fileIoSync(file.handle) != OKAY) return REPORT_ERRNO();
    return OKAY;
}

// When the file was last written, in seconds since 1970; false when unknown.
bool lastWritten(const std::string& path, int64_t& seconds) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_time_type written = fs::last_write_time(path, ec);
    if (ec) return false;
    const auto system = std::chrono::file_clock::to_sys(written);
    seconds = std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
    return true;
}

}  // namespace

int sndDevicesRecoverInterruptedRecording(sndDevicesContext& context) {
    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(context);
    if (settings->cacheFolder.empty() || context.record.recording.load()) return OKAY;
    const std::string path = sndDevicesTempPath(settings->cacheFolder, settings->scrambleKey);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return OKAY;
    // Read before the repair below touches the file.
    int64_t written = 0;
    if (!lastWritten(path, written)) return OKAY;

    uint64_t dataBytes = 0;
    uint32_t rate = 0;
    bool ours = false;
    REPORT_CHECK(repair(path, dataBytes, rate, ours));
    if (!ours) return OKAY;
    const long double lengthMs = static_cast<long double>(dataBytes / kFrameBytes) * 1000.0L / rate;

    // Finished like a recording that just ended: the length rule, the final
    // name, lastRecording and the pre-encoding.
    sndDevicesRecord& record = context.record;
    context.capture.tempPath = path;
    record.recordStartTime.store(static_cast<uint32_t>(written - static_cast<int64_t>(lengthMs / 1000.0L)));
    record.recordDurationMs.store(static_cast<float>(lengthMs));
    const int finished = sndDevicesFinishClosedRecording(context);
    record.recordDurationMs.store(0.0f);
    record.recordStartTime.store(0);
    REPORT_CHECK(finished);
    return OKAY;
}

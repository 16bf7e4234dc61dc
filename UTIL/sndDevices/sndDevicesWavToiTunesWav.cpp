// Cache track -> plain WAV for iTunes (sndDevicesWavToiTunesWav). The copy
// follows the encoder's reading exactly: the same peak scan and gain, the same
// mix-down (L + R) / 2 and the same 8-hour cap, so the WAV iTunes converts
// holds the very samples the MP3 path would have encoded. The length is
// counted in frames, so the duration handed out is exact to the millisecond.
#include "sndDevicesWavToiTunesWav.h"

#include <cstdio>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "report.h"
#include "sndDevicesContext.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNames.h"
#include "sndDevicesNormalise.h"
#include "sndDevicesScramble.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesWavToiTunesWav";

namespace {

constexpr uint32_t kCopyBytes = 8192;

// Steps of the conversion; returns a status, or NOT_OKAY through `failed`.
int convert(const std::string& sourcePath, const std::string& outputPath, bool mono, bool normalise,
            uint16_t key, int64_t& elapsedMs, bool& failed) {
    CsndDevicesWaveFile reader;
    if (reader.open(sourcePath, nullptr, kWaveModeRead) != kWaveSOk) return kMp3StatusOpenSourceFailed;
    const AudioFormat* source = reader.format();
    if (source == nullptr) return kMp3StatusOpenSourceFailed;
    const uint32_t rate = source->sampleRate;
    const int channels = source->channels;
    if ((rate != 44100 && rate != 48000) || (channels != 1 && channels != 2) ||
        source->formatTag != kWaveFormatPcm || source->bitsPerSample != 16)
        return kMp3StatusUnsupportedSource;
    const bool mixDown = mono && channels == 2;

    double gain = 1.0;
    bool raise = false;
    if (normalise) {
        int32_t peak = 0;
        const int status = sndDevicesScanPeak(reader, key, mixDown, nullptr, peak);
        if (status != kMp3StatusOk) return status;
        raise = sndDevicesNormaliseGain(peak, gain);
        if (reader.resetToData() != kWaveSOk) return kMp3StatusReadFailed;
    }

    const AudioFormat format = audioPcm16Format(static_cast<uint16_t>(mixDown ? 1 : channels), rate);
    CsndDevicesWaveFile writer;
    if (writer.open(outputPath, &format, kWaveModeWrite) != kWaveSOk) return kMp3StatusOpenSourceFailed;

    std::vector<unsigned char> bytes(kCopyBytes);
    std::vector<int16_t> values(kCopyBytes / 2);
    std::vector<unsigned char> out(kCopyBytes);
    const uint32_t frameBytes = static_cast<uint32_t>(channels) * 2;
    int64_t frames = 0;
    for (;;) {
        uint32_t got = 0;
        if (reader.read(bytes.data(), kCopyBytes, &got) != kWaveSOk) return kMp3StatusReadFailed;
        // Whole frames only: a cut last frame has no place in the output.
        got -= got % frameBytes;
        if (got == 0) break;
        sndDevicesUnscrambleBytes(bytes.data(), got, key);
        uint32_t count = got / 2;
        if (mixDown) {
            count /= 2;
            for (uint32_t i = 0; i < count; ++i)
                values[i] = static_cast<int16_t>(
                    (sndDevicesSampleAt(bytes.data(), 2 * i) + sndDevicesSampleAt(bytes.data(), 2 * i + 1)) /
                    2);
        } else {
            for (uint32_t i = 0; i < count; ++i) values[i] = sndDevicesSampleAt(bytes.data(), i);
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint16_t v =
                static_cast<uint16_t>(raise ? sndDevicesApplyGain(values[i], gain) : values[i]);
            out[2 * i] = static_cast<unsigned char>(v & 0xFF);
            out[2 * i + 1] = static_cast<unsigned char>(v >> 8);
        }
        uint32_t written = 0;
        if (writer.write(count * 2, out.data(), &written) != kWaveSOk || written != count * 2) {
            failed = true;
            return REPORT_ERR();
        }
        frames += got / frameBytes;
        elapsedMs = frames * 1000 / rate;
        if (elapsedMs >= kMp3DefaultDurationCapMs) break;
    }
    if (writer.close() != kWaveSOk) {
        writer.abandon();
        failed = true;
        return REPORT_ERR();
    }
    return kMp3StatusOk;
}

}  // namespace

int sndDevicesWavToiTunesWav(sndDevicesContext& context, bool mono, bool normalise, uint16_t key,
                             const std::string& baseName, const std::string& outputPath, int32_t& durationMs,
                             int& status) {
    durationMs = 0;
    status = kMp3StatusOk;
    if (baseName.empty() || outputPath.empty()) return REPORT_ERR();
    const std::string sourcePath =
        sndDevicesAudioPath(sndDevicesSettingsNow(context)->cacheFolder, baseName, key);
    int64_t elapsedMs = 0;
    bool failed = false;
    const int result = convert(sourcePath, outputPath, mono, normalise, key, elapsedMs, failed);
    if (failed || result != kMp3StatusOk) std::remove(outputPath.c_str());
    if (failed) return REPORT_ERR();
    status = result;
    durationMs = static_cast<int32_t>(elapsedMs);
    return OKAY;
}

// The capture step (see sndDevicesDoRecording.h). It keeps no state of its
// own: the silence counters, the recording switch and the cache file live in
// the engine record, where re-initialisation resets the counters.
//
// Decimation keeps every D-th captured frame of the call, counted across the
// call's packets, so a packet whose frame count is not a multiple of D neither
// leaves a stale frame nor shifts the stereo pairs of the packets after it.
// When every packet size is a multiple of D this is simply frames 0, D, 2D...
// of each packet.
//
// Runs on the time-critical record thread: nothing here allocates except
// starting and finishing a recording, and a call's block goes to the cache
// file in one buffered write.
#include "sndDevicesDoRecording.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "CsndDevicesWaveFile.h"
#include "report.h"
#include "sndDevicesContext.h"
#include "sndDevicesNames.h"
#include "sndDevicesScramble.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesDoRecording";

namespace {

// A sample counts as sound when its magnitude is above 0.00061035 (about 20
// on the 16-bit scale), the float magnitude compared with that double
// constant. The nearest float lies just below the constant, so the test is
// "magnitude > kQuietFloat" in floats, and on the bits of the magnitude (which
// order like the magnitudes themselves) it vectorises with plain integer ops.
constexpr double kQuietThreshold = 0.00061035;
constexpr float kQuietFloat =
    static_cast<double>(static_cast<float>(kQuietThreshold)) > kQuietThreshold
        ? std::bit_cast<float>(std::bit_cast<uint32_t>(static_cast<float>(kQuietThreshold)) - 1)
        : static_cast<float>(kQuietThreshold);
static_assert(static_cast<double>(kQuietFloat) <= kQuietThreshold);
constexpr int32_t kQuietBits = std::bit_cast<int32_t>(kQuietFloat);
// Silence ends a track after more than this many empty calls, or packets.
constexpr int kEmptyPollLimit = 100;
constexpr int kSilentPacketLimit = 8;

// Whether any of `count` samples is louder than the quiet threshold, and
// whether any differs from 0.0 (no early exit, so the loop vectorises).
void examine(const float* samples, size_t count, bool& loud, bool& nonZero) {
    int32_t anyLoud = 0;
    uint32_t anyBits = 0;
    for (size_t i = 0; i < count; ++i) {
        const int32_t magnitude = std::bit_cast<int32_t>(samples[i]) & 0x7FFFFFFF;
        anyLoud |= magnitude > kQuietBits ? 1 : 0;
        anyBits |= static_cast<uint32_t>(magnitude);
    }
    loud = anyLoud != 0;
    nonZero = anyBits != 0;
}

// The level the window shows: the loudest of the call's 16-bit samples (a
// min and a max, which vectorise), raised into the published peak.
void publishLevel(sndDevicesRecord& record, const int16_t* pcm, size_t count) {
    int16_t low = 0, high = 0;
    for (size_t i = 0; i < count; ++i) {
        low = pcm[i] < low ? pcm[i] : low;
        high = pcm[i] > high ? pcm[i] : high;
    }
    const int loudest = std::max(int(high), -int(low));
    if (loudest > 0)
        sndDevicesRaisePeak(record.capturePeak, std::bit_cast<uint32_t>(float(loudest) / 32768.0f));
}

// The serial word the window reads (see sndDevicesContext::recordSerial).
// Opening numbers the recording; the length is reset before, so that a
// reader never pairs a new serial with the old recording's length.
void markOpen(sndDevicesRecord& record) {
    const uint32_t next = (record.recordSerial.load() >> 1) + 1;
    record.recordSerial.store(next << 1 | 1u);
}
void markClosed(sndDevicesRecord& record) { sndDevicesMarkRecordingClosed(record); }

}  // namespace

void sndDevicesMarkRecordingClosed(sndDevicesRecord& record) { record.recordSerial.fetch_and(~1u); }

int sndDevicesDoRecording(sndDevicesContext& context, int& code) {
    sndDevicesCaptureOutput output;
    const int status = sndDevicesDoRecording(context, output);
    code = output.code;
    return status;
}

int sndDevicesDoRecording(sndDevicesContext& context, sndDevicesCaptureOutput& output) {
    sndDevicesStreams& streams = context.streams;
    sndDevicesCapture& state = context.capture;
    sndDevicesSilence& silence = state.silence;
    sndDevicesRecord& record = context.record;
    output.code = 0;
    output.frames = 0;
    output.pcm = streams.pcmBuffer.data();
    output.captureFormat = streams.captureFormat;

    // The capture objects, and a format the conversion can work with.
    AudioCaptureService* const capture = streams.captureClient;
    const uint32_t channels = streams.captureFormat.channels;
    const uint32_t decimation = streams.decimation;
    const uint64_t capacity = streams.pcmBuffer.size() / 2;  // stereo output frames
    if (!streams.captureAudioClient || capture == nullptr) return REPORT_ERR();
    if (channels < 2 || decimation == 0 || capacity == 0 || streams.cacheFormat.sampleRate == 0 ||
        !state.recordFile)
        return REPORT_ERR();
    const uint64_t captureCapacity = capacity * decimation;  // capture frames one call may take

    // Per-call state.
    state.callFrames = 0;
    bool allFlagged = true, allQuiet = true, allZero = true;
    if (context.stopRequested.load() != 0) {
        output.code = kSndCodeStopRequested;
        return OKAY;
    }

    // Is the stream alive, and is anything ready?
    uint32_t frames = 0;
    if (capture->padding(frames) != OKAY) {
        output.code = kSndCodeDeviceLost;
        return OKAY;
    }
    uint32_t next = 0;
    if (capture->nextPacketSize(next) != OKAY) {
        output.code = kSndCodeDeviceLost;
        return OKAY;
    }
    if (next == 0) ++silence.emptyPolls;

    // Take packets while they come and fit; a packet that does not fit stays
    // queued for the next call (a first packet larger than the whole block is
    // taken and cut to it).
    int16_t* const pcm = streams.pcmBuffer.data();
    uint64_t taken = 0;  // capture frames of this call
    while (next != 0) {
        if (taken > 0 && taken + next > captureCapacity) break;
        silence.emptyPolls = 0;
        const float* data = nullptr;
        uint32_t n = 0, flags = 0;
        if (capture->fetchPacket(data, n, flags) != OKAY) {
            output.code = kSndCodeDeviceLost;
            return OKAY;
        }
        const uint64_t counted = n < captureCapacity - taken ? n : captureCapacity - taken;
        // Output frames o with o * D inside this packet's share of the call.
        const uint64_t first = (taken + decimation - 1) / decimation;
        const uint64_t end = (taken + counted + decimation - 1) / decimation;
        if ((flags & kAudioPacketSilent) != 0) {
            ++silence.silentFlagRun;
            allQuiet = allZero = false;
            silence.quietRun = 0;
            silence.zeroRun = 0;
            for (uint64_t o = first; o < end; ++o) pcm[2 * o] = pcm[2 * o + 1] = 0;
        } else {
            silence.silentFlagRun = 0;
            allFlagged = false;
            for (uint64_t o = first; o < end; ++o) {
                const float* frame = data + (o * decimation - taken) * channels;
                pcm[2 * o] = sndDevicesFloatToPcm16(frame[0]);
                pcm[2 * o + 1] = sndDevicesFloatToPcm16(frame[1]);
            }
            // Silence is judged on every sample of the packet, all channels, undecimated.
            bool loud = false, nonZero = false;
            examine(data, static_cast<size_t>(n) * channels, loud, nonZero);
            if (loud) {
                allQuiet = false;
                silence.quietRun = 0;
            } else {
                ++silence.quietRun;
            }
            if (nonZero) {
                allZero = false;
                silence.zeroRun = 0;
            } else {
                ++silence.zeroRun;
            }
        }
        if (capture->releasePacket(n) != OKAY) {
            output.code = kSndCodeDeviceLost;
            return OKAY;
        }
        taken += counted;
        state.callFrames = static_cast<uint32_t>(taken);
        if (capture->nextPacketSize(next) != OKAY) return REPORT_ERR();
    }

    // Silence decision.
    if (silence.emptyPolls > kEmptyPollLimit || silence.silentFlagRun > kSilentPacketLimit ||
        silence.zeroRun > kSilentPacketLimit || silence.quietRun > kSilentPacketLimit)
        ++silence.silenceSteps;
    else
        silence.silenceSteps = 0;

    const uint32_t outFrames = state.callFrames / decimation;
    output.frames = outFrames;
    publishLevel(record, pcm, size_t(outFrames) * 2);

    // Disarmed: finish what is open.
    if (record.recordArmed.load() == 0) {
        record.recordIndicator.store(0);
        if (record.recording.load() != 0) {
            record.recording.store(0);
            markClosed(record);
            REPORT_CHECK(sndDevicesFinishRecording(context));
        }
        return OKAY;
    }

    // A cut the window asked for (a song change): the open recording ends
    // before this call's block, which begins the next one below when it is
    // sound, so the two meet without a lost frame.
    const uint32_t cut = record.cutSerial.exchange(0);
    if (cut != 0 && record.recording.load() != 0 && record.recordSerial.load() == (cut << 1 | 1u)) {
        record.recording.store(0);
        record.recordIndicator.store(0);
        markClosed(record);
        REPORT_CHECK(sndDevicesFinishRecording(context));
    }

    // Start on sound.
    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(context);
    const uint16_t key = settings->scrambleKey;
    // After a cache-file failure the next try comes at the next sound after a
    // silence, or a second later while the sound goes on, so that a full disk
    // is not asked again at every step.
    if (silence.silenceSteps > 0) state.cacheRetryAt = {};
    if (record.recording.load() == 0 && silence.silenceSteps == 0 && outFrames > 0 && !allQuiet &&
        !allFlagged && std::chrono::steady_clock::now() >= state.cacheRetryAt) {
        record.recordDurationMs.store(0.0f);
        state.tempPath = sndDevicesTempPath(settings->cacheFolder, key);
        const std::time_t now = std::time(nullptr);
        if (now == static_cast<std::time_t>(-1)) return REPORT_ERR();
        bool opened = false;
        REPORT_CHECK(sndDevicesOpenRecordingFile(context, opened));
        if (!opened) {
            output.code = kSndCodeCacheFileFailed;
            return OKAY;
        }
        record.recordStartTime.store(static_cast<uint32_t>(now));
        record.recordDurationMs.store(0.0f);
        record.recording.store(1);
        record.recordIndicator.store(1);
        markOpen(record);
    }

    // End on silence (auto-segment), or only dim the indicator.
    if (record.autoSegment.load() != 0) {
        if (silence.silenceSteps > 0) {
            const bool open = record.recording.load() != 0;
            record.recording.store(0);
            record.recordIndicator.store(0);
            if (open) {
                markClosed(record);
                REPORT_CHECK(sndDevicesFinishRecording(context));
            }
        }
    } else if (record.recording.load() != 0) {
        const bool dim = silence.zeroRun > kSilentPacketLimit || silence.silentFlagRun > kSilentPacketLimit;
        record.recordIndicator.store(dim ? 0 : 1);
    }

    // Write the call's block.
    if (state.callFrames > 0 && record.recording.load() != 0 && !allFlagged && !allZero) {
        const long double rate = streams.cacheFormat.sampleRate;
        const long double duration =
            static_cast<long double>(record.recordDurationMs.load()) + outFrames * 1000.0L / rate;
        record.recordDurationMs.store(static_cast<float>(duration));
        if (static_cast<long>(record.recordDurationMs.load()) > state.minimumLengthMs)
            record.recordIndicator.store(1);
        sndDevicesScrambleSamples(pcm, static_cast<size_t>(outFrames) * 2, key);
        uint32_t written = 0;
        if (state.recordFile->write(outFrames * 4, pcm, &written) != kWaveSOk) {
            // What reached the disk is kept as a recording of that length.
            sndDevicesNoteCacheFault(context, state.tempPath + ": " + reportErrnoText(errno));
            record.recording.store(0);
            record.recordIndicator.store(0);
            markClosed(record);
            REPORT_CHECK(sndDevicesFinishRecording(context));
            output.code = kSndCodeCacheFileFailed;
            return OKAY;
        }
    }
    return OKAY;
}

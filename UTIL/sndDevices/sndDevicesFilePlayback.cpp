// The playback thread and its step. Every 10 ms, while a track plays, the step
// reads as much of the cache file as the render stream has room for, restores
// the scrambled samples, converts them to the stream's float layout with the
// gain applied, repeats each frame to reach the render rate (the stream runs at
// `decimation` times the file's rate), and hands the frames over.
//
// The step takes the playback mutex for its whole run: it allocates nothing
// and copies at most one render buffer, so the controls of sndDevicesPlay.cpp
// wait microseconds, and the reader, flags, position and render stream are
// never seen half-changed.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <numeric>
#include <thread>

#include "CsndDevicesWaveFile.h"
#include "sndDevicesPlay.h"
#include "sndDevicesScramble.h"
#include "threadPriority.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesFilePlayback";

namespace {

// Frames of a file read in one step are rounded down to a whole number of
// milliseconds of the file, so that adding each read's milliseconds to the
// position never loses a fraction (44100 Hz: 441 frames, 48000 Hz: 48).
// Where that granule would be longer than 20 ms (odd rates), frames are read
// one by one and the position may lag by up to a millisecond a step.
uint32_t wholeMillisecondFrames(const AudioFormat& file) {
    const uint64_t perMsBytes = file.avgBytesPerSec / std::gcd<uint64_t, uint64_t>(file.avgBytesPerSec, 1000);
    const uint64_t granuleBytes = std::lcm<uint64_t, uint64_t>(perMsBytes, file.blockAlign);
    const uint64_t granuleFrames = granuleBytes / file.blockAlign;
    return granuleFrames * 1000 <= uint64_t(file.sampleRate) * 20 ? uint32_t(granuleFrames) : 1;
}

// Converts n file frames of fc channels into n render frames of rc channels,
// each sample s becoming gain * s / 32768, and gives the largest magnitude
// of the file's samples (before the gain). Equal counts copy sample for sample;
// otherwise the file frame's stereo pair (a mono file gives the same sample to
// both) is laid out for the speakers: 4 channels L R L R; 5.1 L R 0 0 L R;
// 7.1 L R 0 0 L R L R; mono (L + R) / 2; any other count L R and silence.
void convertFrames(const int16_t* in, uint32_t n, uint32_t fc, float* out, uint32_t rc, float gain,
                   int& peak) {
    const float scale = gain / 32768.0f;
    int loudest = 0;
    if (fc == rc) {
        for (size_t i = 0; i < size_t(n) * fc; ++i) {
            out[i] = float(in[i]) * scale;
            const int magnitude = in[i] < 0 ? -int(in[i]) : int(in[i]);
            loudest = magnitude > loudest ? magnitude : loudest;
        }
        peak = loudest;
        return;
    }
    for (uint32_t f = 0; f < n; ++f, in += fc, out += rc) {
        for (uint32_t c = 0; c < std::min<uint32_t>(fc, 2); ++c)
            loudest = std::max(loudest, std::abs(int(in[c])));
        const float l = float(in[0]) * scale;
        const float r = fc > 1 ? float(in[1]) * scale : l;
        switch (rc) {
            case 1:
                out[0] = (l + r) * 0.5f;
                break;
            case 4:
                out[0] = l, out[1] = r, out[2] = l, out[3] = r;
                break;
            case 6:
                out[0] = l, out[1] = r, out[2] = 0, out[3] = 0, out[4] = l, out[5] = r;
                break;
            case 8:
                out[0] = l, out[1] = r, out[2] = 0, out[3] = 0;
                out[4] = l, out[5] = r, out[6] = l, out[7] = r;
                break;
            default:
                out[0] = l, out[1] = r;
                std::fill(out + 2, out + rc, 0.0f);
                break;
        }
    }
    peak = loudest;
}

}  // namespace

int sndDevicesDoFilePlayback(sndDevicesContext& ctx, int& code) {
    code = 0;
    std::unique_lock<std::recursive_timed_mutex> lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    const sndDevicesStreams& streams = ctx.streams;
    sndDevicesPlayback& p = ctx.playback;
    if (!streams.renderAudioClient || !streams.renderClient) return REPORT_ERR();
    if (p.paused) return OKAY;
    CsndDevicesWaveFile* reader = p.reader.get();
    if (!reader || !reader->isOpen() || !reader->format()) return REPORT_ERR();
    const AudioFormat& file = *reader->format();

    uint32_t padding = 0;
    REPORT_CHECK(streams.renderClient->padding(padding));
    const uint32_t freeFrames =
        streams.renderBufferFrames > padding ? streams.renderBufferFrames - padding : 0;
    // A rate ratio of 0 (render slower than the file) would divide by zero; play at 1.
    const uint32_t d = std::max<uint32_t>(streams.decimation, 1);
    const uint32_t fc = file.channels;
    const uint32_t rc = streams.renderFormat.channels;
    if (rc == 0) return REPORT_ERR();
    uint32_t frames = freeFrames / d;
    // Never more than the two render buffers hold, whatever size the stream reports.
    frames = uint32_t(
        std::min<size_t>({frames, streams.renderBufferA.size() / fc, streams.renderBufferB.size() / rc}));
    const uint32_t granule = wholeMillisecondFrames(file);
    frames -= frames % granule;
    if (frames == 0) return OKAY;

    uint32_t bytes = 0;
    int16_t* const samples = ctx.streams.renderBufferA.data();
    if (reader->read(samples, frames * fc * 2, &bytes) != kWaveSOk) return REPORT_ERR();
    if (bytes == 0) {
        code = kSndCodeEndOfFile;
        if (reader->resetToData() != kWaveSOk) return REPORT_ERR();
        return OKAY;
    }
    const uint32_t n = bytes / (fc * 2);
    sndDevicesUnscrambleBytes(reinterpret_cast<unsigned char*>(samples), bytes,
                              sndDevicesSettingsNow(ctx)->scrambleKey);
    p.positionMs += int(int64_t(bytes) * 1000 / file.avgBytesPerSec);
    if (n == 0) return OKAY;  // a trailing partial frame: nothing to sound

    float* out = nullptr;
    REPORT_CHECK(streams.renderClient->getBuffer(n * d, out));
    float* converted = ctx.streams.renderBufferB.data();
    const float gain = p.gain.load();
    int peak = 0;
    convertFrames(samples, n, fc, converted, rc, gain, peak);
    if (peak > 0)
        sndDevicesRaisePeak(p.playPeak,
                            std::bit_cast<uint32_t>(std::min(1.0f, gain * float(peak) / 32768.0f)));
    if (d == 1) {
        std::copy(converted, converted + size_t(n) * rc, out);
    } else {
        for (uint32_t f = 0; f < n; ++f, converted += rc)
            for (uint32_t k = 0; k < d; ++k, out += rc) std::copy(converted, converted + rc, out);
    }
    REPORT_CHECK(streams.renderClient->releaseBuffer(n * d));
    return OKAY;
}

namespace {

// One turn of the playback thread, with the playback mutex held.
void playStep(sndDevicesContext& ctx) {
    if (!ctx.playback.playing) return;
    int code = 0;
    if (sndDevicesDoFilePlayback(ctx, code) != OKAY) {
        // The track stops so the transport sees it end; the thread stays, so
        // a later play (on a rebuilt stream) works again.
        REPORT_ERR();
        ctx.playback.playing = 0;
    } else if (code == kSndCodeEndOfFile) {
        ctx.playback.playing = 0;
        ctx.playback.positionMs = 0;
    }
}

}  // namespace

void sndDevicesFilePlaybackThread(sndDevicesContext& ctx) {
    threadPrioritySet(threadPriorityCurrentId(), kThreadPriorityTimeCritical);
    // A mutex that stays taken (the record thread waiting on a sound server
    // that does not answer) is reported once, not every 200 ms, until the
    // thread gets the mutex again.
    bool lockFailureReported = false;
    while (!ctx.stopRequested.load()) {
        {
            std::unique_lock<std::recursive_timed_mutex> lock;
            if (sndDevicesLockPlayback(ctx, lock) != OKAY) {
                if (!lockFailureReported) REPORT_ERR();
                lockFailureReported = true;
            } else {
                lockFailureReported = false;
                playStep(ctx);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

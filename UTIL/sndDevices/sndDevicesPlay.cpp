// The transport's controls over the loaded track. They run on the user-interface
// thread and change the file-playback group of the context under the playback
// mutex; the playback thread (sndDevicesFilePlayback.cpp) reads the same group
// under the same mutex. Besides the flags, they steer the render stream: play
// uncorks it, pause corks it (queued audio waits and resumes seamlessly), and
// stop, close and seek flush it so nothing from the old position plays.
#include "sndDevicesPlay.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>

#include "CsndDevicesWaveFile.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesPlay";

namespace {

using PlaybackLock = std::unique_lock<std::recursive_timed_mutex>;

constexpr uint32_t kSeekBlockBytes = 1024;

bool trackLoaded(const sndDevicesContext& ctx) {
    return ctx.playLength > 0 && ctx.playbackReader && ctx.playbackReader->isOpen();
}

// Drops what the render stream still queues. Corked first, so that the server
// does not count the empty stream as an underrun until the next play.
int flushRender(sndDevicesContext& ctx) {
    if (!ctx.renderAudioClient) return OKAY;
    REPORT_CHECK(ctx.renderAudioClient->stop());
    REPORT_CHECK(ctx.renderAudioClient->reset());
    return OKAY;
}

// Only 16-bit PCM with a usable rate can be played; anything else would turn
// into noise or divide by zero.
bool playableFormat(const AudioFormat* f) {
    return f && f->formatTag == kWaveFormatPcm && f->bitsPerSample == 16 && f->channels > 0 &&
           f->avgBytesPerSec > 0 && f->blockAlign == f->channels * 2;
}

// Stops a playing track and puts the reader back at its first data byte.
int rewindLocked(sndDevicesContext& ctx) {
    if (ctx.playing) REPORT_CHECK(flushRender(ctx));
    ctx.playing = 0;
    if (ctx.playbackReader->resetToData() != kWaveSOk) return REPORT_ERR();
    ctx.playPosition = 0;
    return OKAY;
}

int closeLocked(sndDevicesContext& ctx) {
    if (trackLoaded(ctx) && ctx.playing) REPORT_CHECK(rewindLocked(ctx));
    if (ctx.playbackReader && ctx.playbackReader->isOpen()) ctx.playbackReader->close();
    ctx.playLength = 0;
    ctx.playPosition = 0;
    ctx.playing = 0;
    ctx.paused = 0;
    return OKAY;
}

}  // namespace

int sndDevicesLockPlayback(sndDevicesContext& ctx, std::unique_lock<std::recursive_timed_mutex>& lock) {
    lock = PlaybackLock(ctx.playbackMutex, std::defer_lock);
    return lock.try_lock_for(std::chrono::milliseconds(200)) ? OKAY : NOT_OKAY;
}

int sndDevicesPlayLoad(sndDevicesContext& ctx, const std::string& baseName, int& lengthMs) {
    lengthMs = 0;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    // A track still loaded is stopped and unloaded first, so the new one starts clean.
    REPORT_CHECK(closeLocked(ctx));
    if (!ctx.playbackReader) ctx.playbackReader = std::make_unique<CsndDevicesWaveFile>();

    const std::string path =
        ctx.cacheFolder + "/" + baseName + "." + (ctx.scrambleKey.load() ? "tmp" : "wav");
    CsndDevicesWaveFile& reader = *ctx.playbackReader;
    if (reader.open(path, nullptr, kWaveModeRead) != kWaveSOk || !playableFormat(reader.format())) {
        if (reader.isOpen()) reader.close();
        return OKAY;
    }
    const int64_t ms = int64_t(reader.dataSize()) * 1000 / reader.format()->avgBytesPerSec;
    ctx.playLength = int(std::min<int64_t>(ms, INT_MAX));
    ctx.playPosition = 0;
    if (ctx.playLength == 0) reader.close();
    lengthMs = ctx.playLength;
    return OKAY;
}

int sndDevicesPlayPlay(sndDevicesContext& ctx, int& code) {
    code = 0;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!ctx.renderAudioClient || !ctx.renderClient) {
        code = kSndCodeNoRenderStream;
        ctx.playing = 0;
        ctx.paused = 0;
        return OKAY;
    }
    if (!trackLoaded(ctx)) return OKAY;
    const bool wasRunning = ctx.playing && !ctx.paused;
    ctx.paused = 0;
    if (!ctx.playbackThread.joinable())
        ctx.playbackThread = std::thread(sndDevicesFilePlaybackThread, std::ref(ctx));
    if (!wasRunning) {
        ctx.playing = 1;
        REPORT_CHECK(ctx.renderAudioClient->start());
    }
    return OKAY;
}

int sndDevicesPlayPause(sndDevicesContext& ctx) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!trackLoaded(ctx)) return OKAY;
    if (ctx.playing && !ctx.paused && ctx.renderAudioClient) REPORT_CHECK(ctx.renderAudioClient->stop());
    ctx.paused = 1;
    return OKAY;
}

int sndDevicesPlaySeek(sndDevicesContext& ctx, int ms) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!trackLoaded(ctx)) return OKAY;
    ms = std::clamp(ms, 0, ctx.playLength);
    // The playback step cannot run while the mutex is held, so no pause is
    // needed; flushing keeps audio of the old position from playing after it.
    if (ctx.playing) {
        const bool paused = ctx.paused;
        REPORT_CHECK(flushRender(ctx));
        if (!paused) REPORT_CHECK(ctx.renderAudioClient->start());
    }
    ctx.playPosition = ms;
    CsndDevicesWaveFile& reader = *ctx.playbackReader;
    if (reader.resetToData() != kWaveSOk) return REPORT_ERR();
    const int64_t blocks = int64_t(reader.format()->avgBytesPerSec) * ms / 1000 / kSeekBlockBytes;
    std::array<unsigned char, kSeekBlockBytes> skipped;
    for (int64_t i = 0; i < blocks; ++i) {
        uint32_t got = 0;
        if (reader.read(skipped.data(), kSeekBlockBytes, &got) != kWaveSOk) return REPORT_ERR();
        if (got < kSeekBlockBytes) break;
    }
    return OKAY;
}

int sndDevicesPlayRewind(sndDevicesContext& ctx) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!trackLoaded(ctx)) return OKAY;
    REPORT_CHECK(rewindLocked(ctx));
    return OKAY;
}

int sndDevicesPlayClose(sndDevicesContext& ctx) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    REPORT_CHECK(closeLocked(ctx));
    return OKAY;
}

int sndDevicesPlayStatus(sndDevicesContext& ctx, int& playing, int& positionMs, int& lengthMs) {
    playing = positionMs = lengthMs = 0;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!trackLoaded(ctx)) return OKAY;
    playing = ctx.playing && !ctx.paused;
    positionMs = ctx.playPosition;
    lengthMs = ctx.playLength;
    return OKAY;
}

int sndDevicesPlaySetGain(sndDevicesContext& ctx, float gain) {
    // Written with `!(gain >= 0)` so that a NaN lands on 0 too.
    if (!(gain >= 0.0f)) gain = 0.0f;
    ctx.gain = std::min(gain, 1.0f);
    return OKAY;
}

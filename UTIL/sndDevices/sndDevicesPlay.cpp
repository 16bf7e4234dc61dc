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
#include <system_error>

#include "CsndDevicesWaveFile.h"
#include "File.h"
#include "sndDevicesNames.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesPlay";

namespace {

using PlaybackLock = std::unique_lock<std::recursive_timed_mutex>;

constexpr uint32_t kSeekBlockBytes = 1024;

bool trackLoaded(const sndDevicesContext& ctx) {
    return ctx.playback.lengthMs > 0 && ctx.playback.reader && ctx.playback.reader->isOpen();
}

// Drops what the render stream still queues. Corked first, so that the server
// does not count the empty stream as an underrun until the next play.
int flushRender(sndDevicesContext& ctx) {
    AudioStream* render = ctx.streams.renderAudioClient.get();
    if (!render) return OKAY;
    REPORT_CHECK_WHY(render->stop(), render->lastError());
    REPORT_CHECK_WHY(render->reset(), render->lastError());
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
    sndDevicesPlayback& p = ctx.playback;
    if (p.playing) REPORT_CHECK(flushRender(ctx));
    p.playing = 0;
    if (p.reader->resetToData() != kWaveSOk) return REPORT_ERR();
    p.positionMs = 0;
    return OKAY;
}

int closeLocked(sndDevicesContext& ctx) {
    sndDevicesPlayback& p = ctx.playback;
    if (trackLoaded(ctx) && p.playing) REPORT_CHECK(rewindLocked(ctx));
    if (p.reader && p.reader->isOpen()) p.reader->close();
    p.lengthMs = 0;
    p.positionMs = 0;
    p.playing = 0;
    p.paused = 0;
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
    sndDevicesPlayback& p = ctx.playback;
    if (!p.reader) p.reader = std::make_unique<CsndDevicesWaveFile>();

    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(ctx);
    const std::string path = sndDevicesAudioPath(settings->cacheFolder, baseName, settings->scrambleKey);
    CsndDevicesWaveFile& reader = *p.reader;
    if (reader.open(path, nullptr, kWaveModeRead) != kWaveSOk || !playableFormat(reader.format())) {
        if (reader.isOpen()) reader.close();
        return OKAY;
    }
    const int64_t ms = int64_t(reader.dataSize()) * 1000 / reader.format()->avgBytesPerSec;
    p.lengthMs = int(std::min<int64_t>(ms, INT_MAX));
    p.positionMs = 0;
    if (p.lengthMs == 0) reader.close();
    lengthMs = p.lengthMs;
    return OKAY;
}

int sndDevicesPlayTrackPresent(sndDevicesContext& ctx, const std::string& baseName, bool& present) {
    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(ctx);
    present = FileExists(sndDevicesAudioPath(settings->cacheFolder, baseName, settings->scrambleKey));
    return OKAY;
}

int sndDevicesPlayPlay(sndDevicesContext& ctx, int& code) {
    code = 0;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    sndDevicesPlayback& p = ctx.playback;
    if (!ctx.streams.renderAudioClient || !ctx.streams.renderClient) {
        code = kSndCodeNoRenderStream;
        p.playing = 0;
        p.paused = 0;
        return OKAY;
    }
    if (!trackLoaded(ctx)) return OKAY;
    const bool wasRunning = p.playing && !p.paused;
    p.paused = 0;
    if (!ctx.playbackThread.joinable()) {
        try {
            ctx.playbackThread = std::thread(sndDevicesFilePlaybackThread, std::ref(ctx));
        } catch (const std::system_error& e) {
            return REPORT_ERR_WHY(e.what());
        }
    }
    if (!wasRunning) {
        p.playing = 1;
        REPORT_CHECK_WHY(ctx.streams.renderAudioClient->start(), ctx.streams.renderAudioClient->lastError());
    }
    return OKAY;
}

int sndDevicesPlayPause(sndDevicesContext& ctx) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!trackLoaded(ctx)) return OKAY;
    sndDevicesPlayback& p = ctx.playback;
    if (p.playing && !p.paused && ctx.streams.renderAudioClient)
        REPORT_CHECK_WHY(ctx.streams.renderAudioClient->stop(), ctx.streams.renderAudioClient->lastError());
    p.paused = 1;
    return OKAY;
}

int sndDevicesPlaySeek(sndDevicesContext& ctx, int ms) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(ctx, lock));
    if (!trackLoaded(ctx)) return OKAY;
    sndDevicesPlayback& p = ctx.playback;
    ms = std::clamp(ms, 0, p.lengthMs);
    // The playback step cannot run while the mutex is held, so no pause is
    // needed; flushing keeps audio of the old position from playing after it.
    if (p.playing) {
        const bool paused = p.paused;
        REPORT_CHECK(flushRender(ctx));
        AudioStream* render = ctx.streams.renderAudioClient.get();
        if (!paused) REPORT_CHECK_WHY(render->start(), render->lastError());
    }
    p.positionMs = ms;
    CsndDevicesWaveFile& reader = *p.reader;
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
    playing = ctx.playback.playing && !ctx.playback.paused;
    positionMs = ctx.playback.positionMs;
    lengthMs = ctx.playback.lengthMs;
    return OKAY;
}

int sndDevicesPlaySetGain(sndDevicesContext& ctx, float gain) {
    // Written with `!(gain >= 0)` so that a NaN lands on 0 too.
    if (!(gain >= 0.0f)) gain = 0.0f;
    ctx.playback.gain = std::min(gain, 1.0f);
    return OKAY;
}

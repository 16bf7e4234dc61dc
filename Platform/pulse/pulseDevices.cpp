// AudioDevices and AudioStream on the sound server: the mapping described in
// pulseDevices.h, built on the blocking calls of pulseWrapper.h. Every stream
// operation takes the connection's lock for its whole duration, so the
// engine's threads may call a stream without further locking of their own.
// The padding probes run the connection's loop for what has arrived (and
// releasing a render buffer runs it to send), so the 10 ms steps of the record
// and playback threads are what moves the audio. Capture packets are whole
// periods that CapturePeriods assembles from the record stream's fragments.
#include "pulseDevices.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "capturePeriods.h"
#include "pulseWrapper.h"

namespace {

constexpr size_t kNameUnits = 511;          // endpoint texts hold 511 UTF-16 units
constexpr pa_usec_t kFragmentUsec = 10000;  // 10 ms capture fragments
constexpr uint32_t kMinimumRate = 44100;
constexpr uint32_t kFallbackRate = 48000;

// Cuts a UTF-8 text after `units` UTF-16 code units, on a character boundary.
std::string cutUtf16(const std::string& text, size_t units) {
    size_t used = 0;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t len = c < 0x80           ? 1
                           : (c >> 5) == 0x6  ? 2
                           : (c >> 4) == 0xE  ? 3
                           : (c >> 3) == 0x1E ? 4
                                              : 1;
        const size_t cost = len == 4 ? 2 : 1;
        if (used + cost > units || i + len > text.size()) break;
        used += cost;
        i += len;
    }
    return text.substr(0, i);
}

// A record stream's queue as CapturePeriods reads it. Lock: held.
class PulseRecordQueue final : public CaptureFragmentSource {
  public:
    PulseRecordQueue(PulseConnection& connection, pa_stream* stream)
        : connection_(connection), stream_(stream) {}

    bool refresh(size_t& queuedBytes) override {
        connection_.pump();
        if (!ready()) return false;
        queuedBytes = pa_stream_readable_size(stream_);
        return queuedBytes != static_cast<size_t>(-1);
    }
    bool peek(const void*& data, size_t& bytes) override {
        return ready() && pa_stream_peek(stream_, &data, &bytes) >= 0;
    }
    bool drop() override { return pa_stream_drop(stream_) >= 0; }

  private:
    bool ready() const { return pa_stream_get_state(stream_) == PA_STREAM_READY; }

    PulseConnection& connection_;
    pa_stream* stream_;
};

class PulseStream final : public AudioStream, public AudioCaptureService, public AudioRenderService {
  public:
    PulseStream(std::shared_ptr<PulseConnection> connection, std::string sinkName)
        : connection_(std::move(connection)), sinkName_(std::move(sinkName)) {}
    ~PulseStream() override;

    int mixFormat(AudioFormat& format) override;
    int initialize(AudioDirection direction, int64_t bufferDuration) override;
    int bufferFrames(uint32_t& frames) override;
    int start() override { return cork(false); }
    int stop() override { return cork(true); }
    int reset() override;
    AudioCaptureService* captureService() override {
        return stream_ && direction_ == AudioDirection::Capture ? this : nullptr;
    }
    AudioRenderService* renderService() override {
        return stream_ && direction_ == AudioDirection::Render ? this : nullptr;
    }
    std::string lastError() const override {
        PulseLock lock(*connection_);
        return why_;
    }

    // Capture service.
    int padding(uint32_t& frames) override {
        return direction_ == AudioDirection::Capture ? capturePadding(frames) : renderPadding(frames);
    }
    int nextPacketSize(uint32_t& frames) override;
    int fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) override;
    int releasePacket(uint32_t frames) override;

    // Render service.
    int getBuffer(uint32_t frames, float*& data) override;
    int releaseBuffer(uint32_t frames) override;

  private:
    // All of these run with the loop lock held.
    bool ready() const { return stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY; }
    int capturePadding(uint32_t& frames);
    int renderPadding(uint32_t& frames);
    int cork(bool paused);
    // Keeps why a set-up call failed ("<what>: <the server's word>"). Lock: held.
    int fail(const char* what) {
        why_ = std::string(what) + ": " + connection_->error();
        return NOT_OKAY;
    }

    // Declared first so it is released last: the stream needs the loop.
    std::shared_ptr<PulseConnection> connection_;
    std::string sinkName_;
    std::string monitorSource_;
    bool haveFormat_ = false;
    pa_sample_spec spec_{};
    pa_channel_map channelMap_{};
    AudioFormat format_;
    size_t frameBytes_ = 0;
    pa_stream* stream_ = nullptr;
    AudioDirection direction_ = AudioDirection::Capture;
    uint32_t bufferFrames_ = 0;

    // Capture: the stream's queue, and the periods assembled from it.
    std::unique_ptr<PulseRecordQueue> recordQueue_;
    std::unique_ptr<CapturePeriods> periods_;

    // Render: where the pending buffer lives until releaseBuffer.
    float* writeData_ = nullptr;
    bool writeDirect_ = false;  // writeData_ came from begin-write
    uint32_t writeFrames_ = 0;
    std::vector<float> staging_;  // when the server's buffer is too small

    std::string why_;  // the last set-up failure
};

PulseStream::~PulseStream() {
    if (!stream_) return;
    PulseLock lock(*connection_);
    if (writeDirect_) pa_stream_cancel_write(stream_);
    if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    connection_->pump();  // sends the disconnect
}

int PulseStream::mixFormat(AudioFormat& format) {
    PulseSink sink;
    if (!connection_->sink(sinkName_, sink)) {
        PulseLock lock(*connection_);
        return fail("reading the output's format");
    }
    const uint8_t channels = std::max<uint8_t>(2, sink.spec.channels);
    const uint32_t rate = sink.spec.rate >= kMinimumRate ? sink.spec.rate : kFallbackRate;
    spec_ = pa_sample_spec{PA_SAMPLE_FLOAT32LE, rate, channels};
    if (channels == sink.spec.channels)
        channelMap_ = sink.channelMap;
    else
        pa_channel_map_init_extend(&channelMap_, channels, PA_CHANNEL_MAP_DEFAULT);
    monitorSource_ = sink.monitorSource;
    frameBytes_ = pa_frame_size(&spec_);
    format_ = audioFloatFormat(channels, rate);
    haveFormat_ = true;
    format = format_;
    return OKAY;
}

int PulseStream::initialize(AudioDirection direction, int64_t bufferDuration) {
    if (stream_ || bufferDuration <= 0) return NOT_OKAY;
    AudioFormat ignored;
    if (!haveFormat_ && mixFormat(ignored) != OKAY) return NOT_OKAY;
    const auto frames = static_cast<uint32_t>(bufferDuration * spec_.rate / 10000000);
    if (frames == 0) return NOT_OKAY;

    PulseLock lock(*connection_);
    if (!connection_->check()) return fail("the sound server is gone");
    const bool capture = direction == AudioDirection::Capture;
    stream_ = pa_stream_new(connection_->context(), capture ? "Tobrel loopback" : "Tobrel playback", &spec_,
                            &channelMap_);
    if (!stream_) return fail("making a stream");

    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);  // the server's default: a stall loses nothing
    attr.tlength = static_cast<uint32_t>(-1);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    // DONT_MOVE: when the sink goes away the stream fails, and the engine
    // re-initialises on the new default instead of following a moved stream.
    int rc;
    if (capture) {
        attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kFragmentUsec, &spec_));
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY |
                                                          PA_STREAM_DONT_MOVE);
        rc = pa_stream_connect_record(stream_, monitorSource_.c_str(), &attr, flags);
    } else {
        attr.tlength = static_cast<uint32_t>(frames * frameBytes_);
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_DONT_MOVE);
        rc = pa_stream_connect_playback(stream_, sinkName_.c_str(), &attr, flags, nullptr, nullptr);
    }
    pa_stream* s = stream_;
    if (rc < 0 || !connection_->waitFor([s] {
            const pa_stream_state_t st = pa_stream_get_state(s);
            return st == PA_STREAM_READY || st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED;
        }) ||
        pa_stream_get_state(s) != PA_STREAM_READY) {
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
        return fail(capture ? "connecting the loopback stream" : "connecting the playback stream");
    }
    direction_ = direction;
    if (capture) {
        bufferFrames_ = frames;
        recordQueue_ = std::make_unique<PulseRecordQueue>(*connection_, stream_);
        periods_ = std::make_unique<CapturePeriods>(*recordQueue_, spec_.channels,
                                                    audioCapturePeriodFrames(spec_.rate), frames);
    } else {
        const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
        bufferFrames_ = granted ? static_cast<uint32_t>(granted->tlength / frameBytes_) : frames;
        staging_.assign(static_cast<size_t>(bufferFrames_) * spec_.channels, 0.0f);
    }
    return OKAY;
}

int PulseStream::bufferFrames(uint32_t& frames) {
    if (!stream_) return NOT_OKAY;
    frames = bufferFrames_;
    return OKAY;
}

int PulseStream::cork(bool paused) {
    PulseLock lock(*connection_);
    if (!ready()) return fail("the stream is gone");
    int success = 0;
    if (!connection_->await(pa_stream_cork(stream_, paused ? 1 : 0, pulseStreamSuccessCallback, &success)) ||
        !success)
        return fail(paused ? "pausing the stream" : "starting the stream");
    return OKAY;
}

int PulseStream::reset() {
    PulseLock lock(*connection_);
    if (!ready()) return fail("the stream is gone");
    if (periods_ && periods_->discard() != OKAY) return fail("dropping what was captured");
    int success = 0;
    if (!connection_->await(pa_stream_flush(stream_, pulseStreamSuccessCallback, &success)) || !success)
        return fail("dropping what the stream queues");
    return OKAY;
}

// --- capture

int PulseStream::capturePadding(uint32_t& frames) {
    PulseLock lock(*connection_);
    if (!ready()) return NOT_OKAY;
    return periods_->padding(frames);
}

int PulseStream::nextPacketSize(uint32_t& frames) {
    PulseLock lock(*connection_);
    if (!ready()) return NOT_OKAY;
    return periods_->nextPacketSize(frames);
}

int PulseStream::fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) {
    PulseLock lock(*connection_);
    if (!ready()) return NOT_OKAY;
    return periods_->fetchPacket(data, frames, flags);
}

int PulseStream::releasePacket(uint32_t frames) {
    PulseLock lock(*connection_);
    if (!ready()) return NOT_OKAY;
    return periods_->releasePacket(frames);
}

// --- render

int PulseStream::renderPadding(uint32_t& frames) {
    PulseLock lock(*connection_);
    connection_->pump();
    if (!ready()) return NOT_OKAY;
    const size_t writable = pa_stream_writable_size(stream_);
    if (writable == static_cast<size_t>(-1)) return NOT_OKAY;
    const auto free = static_cast<uint32_t>(std::min<size_t>(writable / frameBytes_, bufferFrames_));
    frames = bufferFrames_ - free;
    return OKAY;
}

int PulseStream::getBuffer(uint32_t frames, float*& data) {
    PulseLock lock(*connection_);
    if (!ready() || writeData_ || frames > bufferFrames_) return NOT_OKAY;
    const size_t bytes = static_cast<size_t>(frames) * frameBytes_;
    void* direct = nullptr;
    size_t granted = bytes;
    if (bytes > 0 && pa_stream_begin_write(stream_, &direct, &granted) == 0 && direct && granted >= bytes) {
        writeData_ = static_cast<float*>(direct);
        writeDirect_ = true;
    } else {
        if (direct) pa_stream_cancel_write(stream_);
        writeData_ = staging_.data();
        writeDirect_ = false;
    }
    writeFrames_ = frames;
    data = writeData_;
    return OKAY;
}

int PulseStream::releaseBuffer(uint32_t frames) {
    PulseLock lock(*connection_);
    if (!writeData_ || frames > writeFrames_) return NOT_OKAY;
    const void* data = writeData_;
    const bool direct = writeDirect_;
    writeData_ = nullptr;
    writeDirect_ = false;
    writeFrames_ = 0;
    if (!ready()) return NOT_OKAY;
    if (frames == 0) {
        if (direct) pa_stream_cancel_write(stream_);
        return OKAY;
    }
    const size_t bytes = static_cast<size_t>(frames) * frameBytes_;
    if (pa_stream_write(stream_, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) return NOT_OKAY;
    connection_->pump();  // sends it
    return OKAY;
}

class PulseDevices final : public AudioDevices {
  public:
    explicit PulseDevices(std::string clientName) : clientName_(std::move(clientName)) {}

    int renderEndpoints(std::vector<AudioEndpoint>& endpoints) override;
    int defaultRenderEndpoint(std::string& id, bool& found) override;
    int activate(const std::string& id, std::unique_ptr<AudioStream>& stream) override;
    std::string lastError() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return why_;
    }

  private:
    // With mutex_ held: the live connection, opening a new one when the last
    // one is gone; null when the server cannot be reached.
    std::shared_ptr<PulseConnection> connection();
    int enumerate(std::vector<AudioEndpoint>& endpoints);

    mutable std::mutex mutex_;
    std::string why_;  // why the last connection failed
    std::string clientName_;
    std::shared_ptr<PulseConnection> connection_;
    bool enumerated_ = false;
    std::string defaultSink_;  // the default as of the last enumeration
};

std::shared_ptr<PulseConnection> PulseDevices::connection() {
    if (connection_ && !connection_->check()) connection_.reset();
    if (!connection_ && !PulseConnection::open(clientName_, connection_, why_))
        why_ = "connecting to the sound server: " + why_;
    return connection_;
}

int PulseDevices::enumerate(std::vector<AudioEndpoint>& endpoints) {
    endpoints.clear();
    defaultSink_.clear();
    enumerated_ = true;
    std::shared_ptr<PulseConnection> c = connection();
    std::vector<PulseSink> sinks;
    std::string defaultSink;
    // A server that is not there, or that goes away while asked, has no outputs.
    if (!c || !c->sinks(sinks) || !c->defaultSinkName(defaultSink)) {
        connection_.reset();
        return OKAY;
    }
    for (const PulseSink& s : sinks)
        endpoints.push_back(AudioEndpoint{s.name, cutUtf16(s.description, kNameUnits),
                                          cutUtf16(s.deviceDescription, kNameUnits)});
    defaultSink_ = defaultSink;
    return OKAY;
}

int PulseDevices::renderEndpoints(std::vector<AudioEndpoint>& endpoints) {
    std::lock_guard<std::mutex> lock(mutex_);
    return enumerate(endpoints);
}

int PulseDevices::defaultRenderEndpoint(std::string& id, bool& found) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!enumerated_) {
        std::vector<AudioEndpoint> ignored;
        enumerate(ignored);
    }
    id = defaultSink_;
    found = !defaultSink_.empty();
    return OKAY;
}

int PulseDevices::activate(const std::string& id, std::unique_ptr<AudioStream>& stream) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<PulseConnection> c = connection();
    if (!c) return NOT_OKAY;
    stream = std::make_unique<PulseStream>(std::move(c), id);
    return OKAY;
}

}  // namespace

std::unique_ptr<AudioDevices> pulseDevicesCreate(const std::string& clientName) {
    return std::make_unique<PulseDevices>(clientName);
}

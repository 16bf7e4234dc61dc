// sndDevicesContext: the audio engine's single state record, one instance owned
// by the application and passed to every sndDevices function.
//
// The record is made of named groups, one for each piece of the engine and the
// thread that owns it; each group's defaults are its member initialisers and
// nowhere else, and (re-)initialisation resets a group by assigning a fresh one.
//
//   group        owner                                     who else looks
//   endpoints    whoever holds playbackMutex: the window's  -
//                thread at bring-up, the record thread
//                when it re-initialises
//   streams      as endpoints (replaced under the mutex)    the record thread reads the capture side
//                                                           without the mutex (it alone replaces it once
//                                                           it runs); the playback step reads the render
//                                                           side under the mutex
//   capture      the record thread (the window's thread     -
//                before the thread exists)
//   record       words: the window's thread writes the     the record thread, and back
//                switches, the record thread the status
//   playback     playbackMutex (gain: a word)              the playback thread
//   settings     the window's thread publishes a new        every engine thread reads the current one
//                immutable snapshot; nobody changes one
//   preEncoding  its own mutex (the runs); words           the window's thread waits on it
//
// The engine's threads (record, playback, pre-encoding runs) are owned here and
// joined by sndDevicesShutdown and by the destructor, before anything they use
// goes away.
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "audioPlatform.h"
#include "sndDevicesMp3BitRates.h"

class CSlout;

constexpr int kSndMaxEndpoints = 16;
// Interface name of the companion enhancer's virtual output, left out of the user's outputs.
constexpr const char* kSndEnhancerName = "Zentic Audio Enhancer 11.1";
// Base name of the recording in progress.
constexpr const char* kSndTempBaseName = "sdrtfn";
// The scramble key the application sets for its cache files.
constexpr uint16_t kSndScrambleKey = 14940;

// Result codes beside OKAY/NOT_OKAY.
constexpr int kSndCodeDeviceLost = 201;       // a capture-stream operation failed
constexpr int kSndCodeCacheFileFailed = 202;  // the cache file could not be created or written
constexpr int kSndCodeRenderNotPlain = 203;   // last render call returned a non-plain success
constexpr int kSndCodeStopRequested = 204;
constexpr int kSndCodeEndOfFile = 206;
constexpr int kSndCodeNoCaptureStream = 207;
constexpr int kSndCodeNoRenderStream = 208;

constexpr int kSndRecordArm = 6;
constexpr int kSndRecordDisarm = 7;

// A kept recording as the record thread publishes it: its file name with the
// extension, and its serial (see recordSerial; 0 for a recording recovered
// after a crash).
struct sndDevicesKeptRecording {
    std::string fileName;
    uint32_t serial = 0;
};

// A word one thread writes and another reads. Copying copies the value (each
// word on its own), so that a group of words is reset by assigning it a fresh one.
template <class T>
struct sndDevicesWord : std::atomic<T> {
    using std::atomic<T>::operator=;
    constexpr sndDevicesWord(T value = T()) noexcept : std::atomic<T>(value) {}
    sndDevicesWord(const sndDevicesWord& other) noexcept : std::atomic<T>(other.load()) {}
    sndDevicesWord& operator=(const sndDevicesWord& other) noexcept {
        this->store(other.load());
        return *this;
    }
};

// A peak word (the bits of a non-negative float, which order like the
// values): an engine thread raises it, the window takes it and starts it over.
inline void sndDevicesRaisePeak(sndDevicesWord<uint32_t>& word, uint32_t bits) {
    uint32_t seen = word.load(std::memory_order_relaxed);
    while (seen < bits && !word.compare_exchange_weak(seen, bits, std::memory_order_relaxed)) {
    }
}
inline float sndDevicesTakePeak(sndDevicesWord<uint32_t>& word) {
    return std::bit_cast<float>(word.exchange(0, std::memory_order_relaxed));
}

// The encoder settings of the pre-encodings and the save-time runs.
struct sndDevicesMp3Settings {
    int bitRate = kSndMp3DefaultBitRate;  // kbit/s, one of kSndMp3BitRates
    int mono = 0;
    int preset = 2;
    int normalise = 1;
    int limit = 0;
    int limitLength = 0;  // ms
};

// The settings the window's thread gives the engine. Published whole as an
// immutable snapshot (sndDevicesSettingsNow / sndDevicesSettingsChange): a
// thread that took one keeps a consistent view for as long as it holds it.
struct sndDevicesSettings {
    std::string cacheFolder;  // without a trailing "/"; empty until set
    uint16_t scrambleKey = 0;
    sndDevicesMp3Settings mp3;
};

// Parameters of one MP3 encoder run.
struct sndDevicesMp3Job {
    int32_t bitRate = 256;  // 64, 96, 128, 192, 256 or 320 kbit/s
    int32_t mono = 0;
    int32_t preset = 2;
    int32_t normalise = 1;
    int32_t limit = 0;
    int32_t limitLength = 0;  // ms
    uint16_t key = 0;         // cache scramble key of the source
    int32_t scrambleOutput = 0;
    std::string title, artist, album, genre, comment;  // all empty: no tag
    std::string encoderLibrary;
    std::string sourcePath;
    std::string mp3Path;
    int32_t threadPriority = 0;  // -2 = lowest
    std::atomic<int>* cancel = nullptr;
    int32_t status = 0;
};

// The outputs, as sndDevices_GetAll took stock of them.
struct sndDevicesEndpoints {
    std::array<std::string, kSndMaxEndpoints> endpointIds;
    std::array<std::string, kSndMaxEndpoints> interfaceNames;
    std::array<std::string, kSndMaxEndpoints> descriptions;
    std::array<int, kSndMaxEndpoints> userEndpoints = filledWith(-1);  // indexes into the tables above
    int deviceCount = -1;                                              // -1: no stock taken yet
    int userDeviceCount = 0;
    int defaultDeviceIndex = -1;
    int enhancerDeviceIndex = -1;
    int captureEndpoint = -1;  // index of the endpoint captured by loopback
    int renderEndpoint = -1;   // index of the endpoint played to

    static std::array<int, kSndMaxEndpoints> filledWith(int value) {
        std::array<int, kSndMaxEndpoints> a;
        a.fill(value);
        return a;
    }
};

// The capture and render streams, their formats and the conversion buffers.
struct sndDevicesStreams {
    std::unique_ptr<AudioStream> captureAudioClient;
    std::unique_ptr<AudioStream> renderAudioClient;
    AudioCaptureService* captureClient = nullptr;
    AudioRenderService* renderClient = nullptr;
    int64_t captureRequestedDuration = 0;  // 100-ns units
    int64_t renderRequestedDuration = 0;
    int64_t captureActualDuration = 0;
    int64_t renderActualDuration = 0;
    uint32_t captureBufferFrames = 0;
    uint32_t renderBufferFrames = 0;

    AudioFormat captureFormat;
    AudioFormat renderFormat;
    AudioFormat cacheFormat = audioPcm16Format(2, 44100);

    uint32_t decimation = 1;
    int bufferLength = 100;
    std::vector<int16_t> pcmBuffer;      // 16-bit stereo output of one capture call
    size_t pcmBufferElements = 0;        // in 4-byte elements (one stereo frame each)
    std::vector<int16_t> renderBufferA;  // 16-bit samples read from the file
    std::vector<float> renderBufferB;    // the same audio as floats in the render layout
    size_t renderBufferElements = 0;     // 4-byte elements of each render buffer
};

// Runs of silence the capture step counts (re-initialisation resets them).
struct sndDevicesSilence {
    int emptyPolls = 0;     // calls in a row that found nothing
    int silentFlagRun = 0;  // packets in a row flagged silent
    int quietRun = 0;       // packets in a row below the quiet threshold
    int zeroRun = 0;        // packets in a row of exact zeros
    int silenceSteps = 0;   // calls in a row that judged silence
};

// What the capture step keeps between its calls.
struct sndDevicesCapture {
    int minimumLengthMs = 2000;  // shorter recordings are discarded
    uint32_t callFrames = 0;     // capture frames taken by the last call
    sndDevicesSilence silence;
    std::string tempPath;       // the recording in progress
    int32_t nameSeed = 286492;  // state of the name generator
    // After a cache-file failure no recording starts before this moment or the
    // next silence, so a full disk is not tried again at every step.
    std::chrono::steady_clock::time_point cacheRetryAt{};
    // A recording that could not be finished left its temporary file: it is
    // recovered (made a track) before the next recording starts over it.
    bool tempLeftOver = false;
    std::unique_ptr<CsndDevicesWaveFile> recordFile = std::make_unique<CsndDevicesWaveFile>();
};

// The record switches the window sets and the status the record thread keeps.
struct sndDevicesRecord {
    sndDevicesWord<int> recordArmed{0};
    sndDevicesWord<int> autoSegment{1};
    sndDevicesWord<int> recording{0};
    sndDevicesWord<int> recordIndicator{0};
    sndDevicesWord<uint32_t> recordStartTime{0};  // seconds since 1970, low 32 bits
    sndDevicesWord<float> recordDurationMs{0.0f};
    // The last kept recording; replaced whole by the record thread.
    sndDevicesWord<std::shared_ptr<const sndDevicesKeptRecording>> lastRecording;
    // The window's handle on recordings: the serial of the recording open now
    // or opened last (numbered from 1 as they open), shifted left by one, with
    // bit 0 set while it is open. One word, so that a reader sees a serial and
    // its open state together.
    sndDevicesWord<uint32_t> recordSerial{0};
    // A cut the window asked for: the serial of the recording the next capture
    // step ends (0: none).
    sndDevicesWord<uint32_t> cutSerial{0};
    sndDevicesWord<int> threadRunning{0};
    sndDevicesWord<int> threadExitCode{0};  // 204 or NOT_OKAY once the thread ended
    // The faults the record thread rides out, for the window to tell the user:
    // no output to capture from (it keeps reconnecting), and the last attempt
    // to write the cache failed (why: the system's words). Each is cleared as
    // soon as its cause is gone.
    sndDevicesWord<int> noOutput{0};
    sndDevicesWord<int> cacheFault{0};
    sndDevicesWord<std::shared_ptr<const std::string>> cacheFaultWhy;
    // The loudest sample the capture step kept for the recording since the
    // window last looked (its magnitude as float bits, which order like the
    // magnitudes): the capture step raises it, the window's read takes it and
    // starts it over at 0.
    sndDevicesWord<uint32_t> capturePeak{0};
};

// The loaded track (guarded by playbackMutex, except the gain).
struct sndDevicesPlayback {
    std::unique_ptr<CsndDevicesWaveFile> reader = std::make_unique<CsndDevicesWaveFile>();
    int lengthMs = 0;  // 0 = nothing loaded
    int positionMs = 0;
    int playing = 0;
    int paused = 0;
    sndDevicesWord<float> gain{1.0f};  // read by the playback step without the lock
    // The loudest sample played since the window last looked, gain applied
    // (float bits, as record.capturePeak).
    sndDevicesWord<uint32_t> playPeak{0};
};

// One pre-encoding thread, from its start until the engine joins it.
struct sndDevicesPreEncodingRun {
    std::string sourcePath;        // the track's cache audio file
    std::atomic<int> threadId{0};  // the platform's id of the thread, once it runs
    bool done = false;             // guarded by sndDevicesPreEncoding::mutex
    std::thread thread;
};

// The running pre-encodings (at most four).
struct sndDevicesPreEncoding {
    std::mutex mutex;                                           // guards runs and each run's done
    std::condition_variable finished;                           // a run has ended
    std::list<std::shared_ptr<sndDevicesPreEncodingRun>> runs;  // started and not yet joined
    std::atomic<int> running{0};  // counted before a thread starts, counted off as it ends
    std::atomic<int> cancel{0};   // asks every run to stop at its next chunk
};

struct sndDevicesContext {
    sndDevicesContext() = default;
    ~sndDevicesContext();  // stops and joins the engine's threads first
    sndDevicesContext(const sndDevicesContext&) = delete;
    sndDevicesContext& operator=(const sndDevicesContext&) = delete;

    // --- given before sndDevicesInit and fixed while the engine runs
    AudioDevices* devices = nullptr;                // where endpoints and streams come from
    std::string encoderLibrary = "liblame_enc.so";  // the encoder library every run loads

    // --- diagnostics (set by sndDevicesInit)
    CSlout* trace = nullptr;
    int verbose = 0;

    sndDevicesEndpoints endpoints;
    sndDevicesStreams streams;
    sndDevicesCapture capture;
    sndDevicesRecord record;
    std::recursive_timed_mutex playbackMutex;  // waited on for 200 ms at most
    sndDevicesPlayback playback;
    std::atomic<std::shared_ptr<const sndDevicesSettings>> settings{
        std::make_shared<const sndDevicesSettings>()};
    sndDevicesPreEncoding preEncoding;
    sndDevicesMp3Job saveJob;  // the save-time encoder run (window's thread)

    // --- control
    int engineMode = 3;
    std::atomic<int> stopRequested{0};
    // The record thread's back-off waits on this; the stop request wakes it.
    std::mutex wakeMutex;
    std::condition_variable wake;

    // --- the engine's threads
    std::thread recordThread;    // from the first arming until shutdown
    std::thread playbackThread;  // from the first play until shutdown
};

// The settings in force: a snapshot nobody changes.
std::shared_ptr<const sndDevicesSettings> sndDevicesSettingsNow(const sndDevicesContext& context);

// Publishes a changed copy of the settings. Window's thread (the one writer).
template <class Change>
void sndDevicesSettingsChange(sndDevicesContext& context, Change&& change) {
    auto next = std::make_shared<sndDevicesSettings>(*sndDevicesSettingsNow(context));
    change(*next);
    context.settings.store(std::move(next));
}

// Waits up to `ms` unless the stop request comes; false when it came.
bool sndDevicesWaitUnlessStopped(sndDevicesContext& context, int ms);

// Stops and joins every engine thread: the record thread, the playback thread
// and the pre-encoding runs (cancelled first). Safe to call more than once.
void sndDevicesJoinThreads(sndDevicesContext& context);

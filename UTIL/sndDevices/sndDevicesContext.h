// sndDevicesContext: the audio engine's single state record, one instance owned
// by the application and passed to every sndDevices function. Fields are grouped
// by the piece of the engine that owns them: endpoints and streams, formats and
// conversion buffers, recording, file playback, pre-encoding and control.
//
// Threads: the user-interface thread configures the engine and polls it; the
// record thread runs the capture step; the playback thread renders the loaded
// track; pre-encoding threads encode finished tracks. Words one thread writes and
// another reads are std::atomic. The file-playback group is guarded by
// playbackMutex (waited on for 200 ms at most). Everything else belongs to one
// thread at a time (the record thread owns the capture state while it runs).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audioPlatform.h"

class CSlout;
class CsndDevicesWaveFile;

constexpr int kSndMaxEndpoints = 16;
// Interface name of the companion enhancer's virtual output, left out of the user's outputs.
constexpr const char* kSndEnhancerName = "Zentic Audio Enhancer 11.1";
// Base name of the recording in progress.
constexpr const char* kSndTempBaseName = "sdrtfn";
// The scramble key the application sets for its cache files.
constexpr uint16_t kSndScrambleKey = 14940;
// Recording-name id of the row of the recording in progress, and "no track".
constexpr int kSndRecordingRowId = 2147483647;
constexpr int kSndNoTrack = -100;

// Result codes beside OKAY/NOT_OKAY.
constexpr int kSndCodeDeviceLost = 201;       // a capture-stream operation failed
constexpr int kSndCodeCacheFileFailed = 202;  // the cache file could not be created or written
constexpr int kSndCodeRenderNotPlain = 203;   // last render call returned a non-plain success
constexpr int kSndCodeStopRequested = 204;
constexpr int kSndCodeEndOfFile = 206;
constexpr int kSndCodeNoCaptureStream = 207;
constexpr int kSndCodeNoRenderStream = 208;
constexpr int kSndCodeGaveUp = 209;  // record thread: no output after 21 re-initialisations

constexpr int kSndRecordArm = 6;
constexpr int kSndRecordDisarm = 7;

// A kept recording as the record thread publishes it: its file name with the
// extension, and its serial (see recordSerial; 0 for a recording recovered
// after a crash).
struct sndDevicesKeptRecording {
    std::string fileName;
    uint32_t serial = 0;
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

struct sndDevicesContext {
    sndDevicesContext();
    ~sndDevicesContext();
    sndDevicesContext(const sndDevicesContext&) = delete;
    sndDevicesContext& operator=(const sndDevicesContext&) = delete;

    // --- diagnostics
    CSlout* trace = nullptr;
    int verbose = 0;

    // --- platform: where endpoints and streams come from (set before sndDevicesInit)
    AudioDevices* devices = nullptr;

    // --- endpoints
    std::array<std::string, kSndMaxEndpoints> endpointIds;
    std::array<std::string, kSndMaxEndpoints> interfaceNames;
    std::array<std::string, kSndMaxEndpoints> descriptions;
    std::array<int, kSndMaxEndpoints> userEndpoints{};  // indexes into the tables above
    int deviceCount = -1;
    int userDeviceCount = 0;
    int defaultDeviceIndex = -1;
    int enhancerDeviceIndex = -1;
    int captureEndpoint = -1;  // index of the endpoint captured by loopback
    int renderEndpoint = -1;   // index of the endpoint played to

    // --- streams
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

    // --- formats
    AudioFormat captureFormat;
    AudioFormat renderFormat;
    AudioFormat cacheFormat;

    // --- conversion
    uint32_t decimation = 1;
    int bufferLength = 100;
    std::vector<int16_t> pcmBuffer;      // 16-bit stereo output of one capture call
    size_t pcmBufferElements = 0;        // in 4-byte elements (one stereo frame each)
    std::vector<int16_t> renderBufferA;  // 16-bit samples read from the file
    std::vector<float> renderBufferB;    // the same audio as floats in the render layout
    size_t renderBufferElements = 0;     // 4-byte elements of each render buffer

    // --- recording (capture step and record control)
    std::atomic<int> recordArmed{0};
    std::atomic<int> recording{0};
    std::atomic<int> recordIndicator{0};
    std::atomic<int> autoSegment{1};
    std::atomic<uint16_t> scrambleKey{0};
    std::atomic<uint32_t> recordStartTime{0};  // seconds since 1970, low 32 bits
    std::atomic<float> recordDurationMs{0.0f};
    int minimumLengthMs = 2000;
    uint32_t callFrames = 0;
    int emptyPolls = 0;
    int silentFlagRun = 0;
    int quietRun = 0;
    int zeroRun = 0;
    int silenceSteps = 0;
    std::string cacheFolder;
    std::string tempPath;
    // The last kept recording; replaced whole by the record thread.
    std::atomic<std::shared_ptr<const sndDevicesKeptRecording>> lastRecording;
    // The window's handle on recordings: the serial of the recording open now
    // or opened last (numbered from 1 as they open), shifted left by one, with
    // bit 0 set while it is open. One word, so that a reader sees a serial and
    // its open state together.
    std::atomic<uint32_t> recordSerial{0};
    // A cut the window asked for: the serial of the recording the next capture
    // step ends (0: none).
    std::atomic<uint32_t> cutSerial{0};
    int32_t nameSeed = 286492;
    std::unique_ptr<CsndDevicesWaveFile> recordFile;
    std::thread recordThread;
    std::atomic<int> recordThreadExitCode{0};
    std::atomic<int> recordThreadRunning{0};

    // --- file playback (guarded by playbackMutex unless atomic)
    std::recursive_timed_mutex playbackMutex;
    std::unique_ptr<CsndDevicesWaveFile> playbackReader;
    int playLength = 0;    // ms, 0 = nothing loaded
    int playPosition = 0;  // ms
    int playing = 0;
    int paused = 0;
    std::atomic<float> gain{1.0f};
    std::thread playbackThread;

    // --- pre-encoding
    // Set by the window's thread (options), read when a recording is finished.
    std::atomic<int> mp3BitRate{256};
    std::atomic<int> mp3Mono{0};
    int mp3Preset = 2;
    int mp3Normalise = 1;
    int mp3Limit = 0;
    int mp3LimitLength = 0;
    std::string encoderLibrary = "liblame_enc.so";
    sndDevicesMp3Job saveJob;                // the save-time encoder run
    std::atomic<int> preEncodingRunning{0};  // running pre-encoding threads, at most 4
    std::atomic<int> encoderCancel{0};
    std::atomic<int> lastPreEncodingTid{0};  // kernel thread id of the last one started

    // --- control
    int engineMode = 3;
    std::atomic<int> stopRequested{0};
};

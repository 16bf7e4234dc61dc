// One encoder run: cache audio file in, MP3 stream out (sndDevicesWavToMP3).
//
// The run reads the whole source twice when normalising: once for the peak,
// once to encode. Samples are unscrambled as they are read, optionally mixed
// down to mono and raised by the gain, then handed to the encoder library
// chunk by chunk. Output is written as whole 16-bit words so that a scrambled
// companion can be unscrambled word by word; an odd byte the encoder produced
// waits at the front of the output buffer for the next chunk, and a last odd
// byte after the flush is dropped (an MPEG stream's final padding byte).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "File.h"
#include "Tags.h"
#include "fileIo.h"
#include "report.h"
#include "sndDevicesEncoderLibrary.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNormalise.h"
#include "sndDevicesScramble.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesMp3Encode";

namespace {

bool cancelled(const sndDevicesMp3Job& job) { return job.cancel != nullptr && job.cancel->load() != 0; }

// Writes the whole words of bytes[0, count), scrambled when asked; moves an odd
// last byte to bytes[0] and reports it pending. False on a short write.
bool writeWords(std::FILE* out, unsigned char* bytes, size_t count, uint16_t scrambleKey, bool& pending) {
    const size_t wordBytes = count & ~size_t{1};
    if (scrambleKey != 0) {
        for (size_t i = 0; i < wordBytes; i += 2) {
            const uint16_t w =
                sndDevicesScramble(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8)), scrambleKey);
            bytes[i] = static_cast<unsigned char>(w & 0xFF);
            bytes[i + 1] = static_cast<unsigned char>(w >> 8);
        }
    }
    if (wordBytes > 0 && std::fwrite(bytes, 1, wordBytes, out) != wordBytes) return false;
    pending = (count & 1) != 0;
    if (pending) bytes[0] = bytes[count - 1];
    return true;
}

// The open resources of a run, released on every way out.
struct Run {
    CsndDevicesWaveFile reader;
    FileHandle mp3;
    const sndDevicesEncoderExports* exports = nullptr;
    HBE_STREAM stream = 0;

    void closeStream() {
        if (stream != 0) exports->beCloseStream(stream);
        stream = 0;
    }
    ~Run() {
        closeStream();
        reader.close();
    }
};

// Steps 3 to 11 of the run; returns the status, or NOT_OKAY through `failed`
// for an internal error.
int encode(sndDevicesMp3Job& job, const sndDevicesEncoderExports& exports, int32_t durationCapMs,
           bool& failed) {
    Run run;
    run.exports = &exports;
    if (run.reader.open(job.sourcePath, nullptr, kWaveModeRead) != kWaveSOk)
        return kMp3StatusOpenSourceFailed;
    const AudioFormat* format = run.reader.format();
    if (format == nullptr) return kMp3StatusOpenSourceFailed;
    const uint32_t rate = format->sampleRate;
    const int channels = format->channels;
    // Only 16-bit PCM can be fed to the encoder as it is.
    if ((rate != 44100 && rate != 48000) || (channels != 1 && channels != 2) || format->formatTag != 1 ||
        format->bitsPerSample != 16)
        return kMp3StatusUnsupportedSource;
    const bool mixDown = channels == 2 && job.mono != 0;

    bool normalise = job.normalise != 0;
    double gain = 1.0;
    if (normalise) {
        int32_t peak = 0;
        const int status = sndDevicesScanPeak(run.reader, job.key, mixDown, job.cancel, peak);
        if (status != kMp3StatusOk) return status;
        normalise = sndDevicesNormaliseGain(peak, gain);
        if (run.reader.resetToData() != kWaveSOk) return kMp3StatusReadFailed;
    }

    std::FILE* created = std::fopen(job.mp3Path.c_str(), "wb");
    if (created == nullptr) return kMp3StatusCreateFailed;
    run.mp3.reset(created);
    if (TagsMp3WriteID3v2_3(run.mp3.get(), job.title, job.artist, job.album, job.genre, job.comment) !=
        OKAY) {
        failed = true;
        return REPORT_ERR();
    }

    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    config.format.LHV1.dwStructVersion = BE_CONFIG_CURRENT_VERSION;
    config.format.LHV1.dwStructSize = BE_CONFIG_SIZE;
    config.format.LHV1.dwSampleRate = rate;
    config.format.LHV1.dwReSampleRate = rate == 44100 ? 0 : 44100;
    config.format.LHV1.nMode = (channels == 1 || job.mono != 0) ? BE_MP3_MODE_MONO : BE_MP3_MODE_JSTEREO;
    config.format.LHV1.dwBitrate = static_cast<BE_DWORD>(job.bitRate);
    config.format.LHV1.nPreset = job.preset;
    config.format.LHV1.bOriginal = 1;
    config.format.LHV1.bNoRes = 1;
    BE_DWORD samplesPerChunk = 0;
    BE_DWORD minOutputBytes = 0;
    if (exports.beInitStream(&config, &samplesPerChunk, &minOutputBytes, &run.stream) != BE_ERR_SUCCESSFUL) {
        run.stream = 0;
        return kMp3StatusEncoderFailed;
    }
    std::vector<unsigned char> output;
    std::vector<int16_t> input;  // samplesPerChunk x 4 bytes
    try {
        output.resize(size_t{minOutputBytes} + 4);
        input.resize(size_t{samplesPerChunk} * 2);
    } catch (const std::bad_alloc&) {
        return kMp3StatusEncoderFailed;
    }
    const uint32_t readBytes = samplesPerChunk * (mixDown ? 4 : 2);
    const uint16_t outputKey = job.scrambleOutput != 0 ? job.key : 0;
    float elapsedMs = 0.0f;
    bool pending = false;

    for (;;) {
        if (cancelled(job)) {
            run.closeStream();
            run.reader.close();
            run.mp3.reset();
            std::remove(job.mp3Path.c_str());
            return kMp3StatusCancelled;
        }
        uint32_t got = 0;
        if (run.reader.read(input.data(), readBytes, &got) != kWaveSOk) return kMp3StatusReadFailed;
        auto* bytes = reinterpret_cast<unsigned char*>(input.data());
        const uint32_t w = got / 2;
        elapsedMs +=
            static_cast<float>(w / static_cast<uint32_t>(channels)) * 1000.0f / static_cast<float>(rate);
        if (w == 0) break;
        sndDevicesUnscrambleBytes(bytes, got, job.key);

        // Values to encode, in place at the front of `input` as host int16
        // (the file's bytes are little-endian whatever the host is).
        int16_t* values = input.data();
        uint32_t count = w;
        if (mixDown) {
            count = w / 2;
            for (uint32_t i = 0; i < count; ++i)
                values[i] = static_cast<int16_t>(
                    (sndDevicesSampleAt(bytes, 2 * i) + sndDevicesSampleAt(bytes, 2 * i + 1)) / 2);
        } else {
            for (uint32_t i = 0; i < count; ++i) values[i] = sndDevicesSampleAt(bytes, i);
        }
        if (normalise) {
            for (uint32_t i = 0; i < count; ++i) values[i] = sndDevicesApplyGain(values[i], gain);
        }

        const size_t offset = pending ? 1 : 0;
        BE_DWORD produced = 0;
        if (exports.beEncodeChunk(run.stream, count, values, output.data() + offset, &produced) !=
            BE_ERR_SUCCESSFUL)
            return kMp3StatusEncoderFailed;
        if (!writeWords(run.mp3.get(), output.data(), offset + produced, outputKey, pending))
            return kMp3StatusWriteFailed;
        if (static_cast<int64_t>(elapsedMs) >= durationCapMs) break;
    }

    const size_t offset = pending ? 1 : 0;
    BE_DWORD produced = 0;
    if (exports.beDeinitStream(run.stream, output.data() + offset, &produced) != BE_ERR_SUCCESSFUL)
        return kMp3StatusEncoderFailed;
    if (!writeWords(run.mp3.get(), output.data(), offset + produced, outputKey, pending))
        return kMp3StatusWriteFailed;
    run.closeStream();
    // On the disk before the caller renames it (a companion, a saved MP3), so
    // a power loss never leaves the final name on an empty file. Closing
    // flushes the last buffered bytes: a failure there is a failed write.
    const bool synced = fileIoSyncStream(run.mp3.get()) == OKAY;
    if (std::fclose(run.mp3.release()) != 0 || !synced) return kMp3StatusWriteFailed;
    return kMp3StatusOk;
}

}  // namespace

void sndDevicesMp3JobFromEngine(const sndDevicesContext& context, sndDevicesMp3Job& job) {
    const std::shared_ptr<const sndDevicesSettings> settings = sndDevicesSettingsNow(context);
    const sndDevicesMp3Settings& mp3 = settings->mp3;
    job.bitRate = mp3.bitRate;
    job.mono = mp3.mono;
    job.preset = mp3.preset;
    job.normalise = mp3.normalise;
    job.limit = mp3.limit;
    job.limitLength = mp3.limitLength;
    job.key = settings->scrambleKey;
    job.encoderLibrary = context.encoderLibrary;
}

int sndDevicesWavToMP3(sndDevicesContext& context, sndDevicesMp3Job& job) {
    (void)context;
    if (!sndDevicesIsMp3BitRate(job.bitRate)) return REPORT_ERR();
    job.status = kMp3StatusOk;
    const int32_t durationCapMs = job.limit != 0 ? job.limitLength : kMp3DefaultDurationCapMs;

    void* library = nullptr;
    std::string why;
    if (sndDevicesEncoderLibraryOpen(job.encoderLibrary, library, why) != OKAY) {
        job.status = kMp3StatusLibraryMissing;
        return OKAY;
    }
    sndDevicesEncoderExports exports;
    if (sndDevicesEncoderLibraryExports(library, exports) != OKAY) {
        job.status = kMp3StatusEncoderFailed;
        return OKAY;
    }
    bool failed = false;
    const int status = encode(job, exports, durationCapMs, failed);
    if (failed) return REPORT_ERR();
    job.status = status;
    return OKAY;
}

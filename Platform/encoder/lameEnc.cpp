// liblame_enc.so: LAME's Windows DLL encoder interface (lame_enc.dll) on
// Linux, over the system's libmp3lame.
//
// The MP3 pipeline loads this library by name at run time, hands beInitStream
// the version-1 configuration record and then feeds 16-bit chunks through
// beEncodeChunk, flushes with beDeinitStream and releases with beCloseStream.
// Only constant-bit-rate encoding is offered, which is all the pipeline asks
// for; VBR requests and the old Blade form of the record are refused. The
// stream handle is the libmp3lame state itself.
#include <lame/lame.h>

#include <cstdio>
#include <cstring>

#include "lameEncInterface.h"

#define LAME_ENC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

lame_global_flags* streamFlags(HBE_STREAM stream) { return reinterpret_cast<lame_global_flags*>(stream); }

// Applies nPreset as LAME's DLL does for the quality presets; presets that
// need other machinery are ignored (the encoder defaults stay).
void applyPreset(lame_global_flags* gfp, BE_LONG preset) {
    switch (preset) {
        case LQP_NORMAL_QUALITY:
            lame_set_quality(gfp, 5);
            break;
        case LQP_LOW_QUALITY:
            lame_set_quality(gfp, 9);
            break;
        case LQP_HIGH_QUALITY:
            lame_set_quality(gfp, 2);
            break;
        case LQP_VOICE_QUALITY:
            lame_set_quality(gfp, 5);
            break;
        case LQP_VERYHIGH_QUALITY:
            lame_set_quality(gfp, 0);
            break;
        default:
            break;
    }
}

bool applyMode(lame_global_flags* gfp, BE_LONG mode) {
    switch (mode) {
        case BE_MP3_MODE_STEREO:
            lame_set_mode(gfp, STEREO);
            lame_set_num_channels(gfp, 2);
            return true;
        case BE_MP3_MODE_JSTEREO:
            lame_set_mode(gfp, JOINT_STEREO);
            lame_set_num_channels(gfp, 2);
            return true;
        case BE_MP3_MODE_DUALCHANNEL:
            lame_set_mode(gfp, DUAL_CHANNEL);
            lame_set_num_channels(gfp, 2);
            return true;
        case BE_MP3_MODE_MONO:
            lame_set_mode(gfp, MONO);
            lame_set_num_channels(gfp, 1);
            return true;
        default:
            return false;
    }
}

BE_ERR configure(lame_global_flags* gfp, const BE_CONFIG& config) {
    const auto& c = config.format.LHV1;
    if (c.bEnableVBR) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    lame_set_in_samplerate(gfp, static_cast<int>(c.dwSampleRate));
    // No Xing/Info frame and no automatic ID3 tags: the caller writes its own tag.
    lame_set_bWriteVbrTag(gfp, 0);
    lame_set_write_id3tag_automatic(gfp, 0);
    applyPreset(gfp, c.nPreset);
    if (!applyMode(gfp, c.nMode)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    lame_set_VBR(gfp, vbr_off);
    lame_set_brate(gfp, static_cast<int>(c.dwBitrate));
    if (c.dwReSampleRate > 0) lame_set_out_samplerate(gfp, static_cast<int>(c.dwReSampleRate));
    lame_set_original(gfp, c.bOriginal ? 1 : 0);
    lame_set_error_protection(gfp, c.bCRC ? 1 : 0);
    lame_set_copyright(gfp, c.bCopyright ? 1 : 0);
    lame_set_extension(gfp, c.bPrivate ? 1 : 0);
    lame_set_strict_ISO(gfp, c.bStrictIso ? 1 : 0);
    lame_set_disable_reservoir(gfp, c.bNoRes ? 1 : 0);
    // An explicit quality counts only when its high byte is the complement of
    // its low byte, which guards against stray values in old records.
    int quality = c.nQuality & 0xFF;
    if (c.nQuality != 0 && (c.nQuality >> 8) == (~quality & 0xFF)) lame_set_quality(gfp, quality);
    return lame_init_params(gfp) == 0 ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

}  // namespace

LAME_ENC_EXPORT BE_ERR beInitStream(BE_CONFIG* config, BE_DWORD* samplesPerChunk, BE_DWORD* minOutputBytes,
                                    HBE_STREAM* stream) {
    if (config == nullptr || samplesPerChunk == nullptr || minOutputBytes == nullptr || stream == nullptr)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *stream = 0;
    if (config->dwConfig != BE_CONFIG_LAME) return BE_ERR_INVALID_FORMAT;
    if (config->format.LHV1.dwStructVersion != BE_CONFIG_CURRENT_VERSION ||
        config->format.LHV1.dwStructSize != BE_CONFIG_SIZE)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    lame_global_flags* gfp = lame_init();
    if (gfp == nullptr) return BE_ERR_NO_MORE_HANDLES;
    BE_ERR result = configure(gfp, *config);
    if (result != BE_ERR_SUCCESSFUL) {
        lame_close(gfp);
        return result;
    }
    int channels = lame_get_num_channels(gfp);
    // One MPEG frame's worth of input: 1152 frames for MPEG-1, 576 for MPEG-2/2.5.
    BE_DWORD frames = lame_get_version(gfp) == 1 ? 1152 : 576;
    *samplesPerChunk = frames * static_cast<BE_DWORD>(channels);
    // libmp3lame's own worst case for one call: 1.25 x frames + 7200 bytes.
    *minOutputBytes = static_cast<BE_DWORD>(1.25 * frames + 7200);
    *stream = reinterpret_cast<HBE_STREAM>(gfp);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BE_ERR beEncodeChunk(HBE_STREAM stream, BE_DWORD samples, int16_t* data, BE_BYTE* output,
                                     BE_DWORD* outputBytes) {
    lame_global_flags* gfp = streamFlags(stream);
    if (outputBytes != nullptr) *outputBytes = 0;
    if (gfp == nullptr || outputBytes == nullptr || output == nullptr || (samples > 0 && data == nullptr))
        return BE_ERR_INVALID_HANDLE;
    int channels = lame_get_num_channels(gfp);
    int frames = static_cast<int>(samples) / channels;
    int produced = channels == 1 ? lame_encode_buffer(gfp, data, data, frames, output, 0)
                                 : lame_encode_buffer_interleaved(gfp, data, frames, output, 0);
    if (produced < 0) return BE_ERR_BUFFER_TOO_SMALL;
    *outputBytes = static_cast<BE_DWORD>(produced);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BE_ERR beDeinitStream(HBE_STREAM stream, BE_BYTE* output, BE_DWORD* outputBytes) {
    lame_global_flags* gfp = streamFlags(stream);
    if (outputBytes != nullptr) *outputBytes = 0;
    if (gfp == nullptr || output == nullptr || outputBytes == nullptr) return BE_ERR_INVALID_HANDLE;
    int produced = lame_encode_flush(gfp, output, 0);
    if (produced < 0) return BE_ERR_BUFFER_TOO_SMALL;
    *outputBytes = static_cast<BE_DWORD>(produced);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BE_ERR beCloseStream(HBE_STREAM stream) {
    lame_global_flags* gfp = streamFlags(stream);
    if (gfp == nullptr) return BE_ERR_INVALID_HANDLE;
    lame_close(gfp);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT void beVersion(BE_VERSION* version) {
    if (version == nullptr) return;
    std::memset(version, 0, sizeof *version);
    // Interface version 1.32 is the one that introduced the version-1 record with
    // beWriteInfoTag; the engine version is libmp3lame's.
    version->byDLLMajorVersion = 1;
    version->byDLLMinorVersion = 32;
    int major = 0, minor = 0;
    std::sscanf(get_lame_short_version(), "%d.%d", &major, &minor);
    version->byMajorVersion = static_cast<BE_BYTE>(major);
    version->byMinorVersion = static_cast<BE_BYTE>(minor);
    std::snprintf(version->zHomepage, sizeof version->zHomepage, "%s", get_lame_url());
}

// Streams of this library never carry a Xing/VBR header, so there is nothing
// to write back into the file.
LAME_ENC_EXPORT BE_ERR beWriteVBRHeader(const char* mp3Path) {
    return mp3Path != nullptr ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

// As in LAME's DLL: writes the Info tag when the stream has one, then releases
// the stream (it replaces beCloseStream for callers that use it).
LAME_ENC_EXPORT BE_ERR beWriteInfoTag(HBE_STREAM stream, const char* mp3Path) {
    lame_global_flags* gfp = streamFlags(stream);
    if (gfp == nullptr) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    BE_ERR result = BE_ERR_SUCCESSFUL;
    if (lame_get_bWriteVbrTag(gfp) && mp3Path != nullptr) {
        std::FILE* file = std::fopen(mp3Path, "rb+");
        if (file == nullptr) {
            result = BE_ERR_INVALID_FORMAT_PARAMETERS;
        } else {
            lame_mp3_tags_fid(gfp, file);
            std::fclose(file);
        }
    }
    lame_close(gfp);
    return result;
}

// The encoder library's calling interface: LAME's Windows DLL interface
// ("lame_enc.dll"), carried over to Linux as liblame_enc.so.
//
// The MP3 pipeline loads the library by name at run time and calls it through
// these seven exports. The records keep the DLL's byte layout: packed, with
// Windows' 32-bit DWORD, LONG and BOOL (Linux's `long` is 64 bits, so the
// fixed-width types below stand in for them). A stream handle is an opaque
// pointer-sized value (the DLL's 32-bit handle would truncate a pointer).
#pragma once

#include <cstdint>

extern "C" {

using BE_DWORD = uint32_t;
using BE_LONG = int32_t;
using BE_BOOL = int32_t;
using BE_WORD = uint16_t;
using BE_BYTE = uint8_t;
using BE_ERR = uint32_t;
using HBE_STREAM = uintptr_t;

constexpr BE_ERR BE_ERR_SUCCESSFUL = 0x00000000;
constexpr BE_ERR BE_ERR_INVALID_FORMAT = 0x00000001;
constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 0x00000002;
constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 0x00000003;
constexpr BE_ERR BE_ERR_INVALID_HANDLE = 0x00000004;
constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 0x00000005;

constexpr BE_DWORD BE_CONFIG_MP3 = 0;
constexpr BE_DWORD BE_CONFIG_LAME = 256;
constexpr BE_DWORD BE_CONFIG_CURRENT_VERSION = 1;
constexpr BE_DWORD BE_CONFIG_SIZE = 331;

constexpr BE_LONG BE_MP3_MODE_STEREO = 0;
constexpr BE_LONG BE_MP3_MODE_JSTEREO = 1;
constexpr BE_LONG BE_MP3_MODE_DUALCHANNEL = 2;
constexpr BE_LONG BE_MP3_MODE_MONO = 3;

// nPreset values the library understands (others are refused).
constexpr BE_LONG LQP_NOPRESET = -1;
constexpr BE_LONG LQP_NORMAL_QUALITY = 0;
constexpr BE_LONG LQP_LOW_QUALITY = 1;
constexpr BE_LONG LQP_HIGH_QUALITY = 2;
constexpr BE_LONG LQP_VOICE_QUALITY = 3;
constexpr BE_LONG LQP_VERYHIGH_QUALITY = 5;

#pragma pack(push, 1)
// The configuration record in its LAME version-1 form (dwConfig = BE_CONFIG_LAME,
// dwStructVersion = 1, dwStructSize = 331). The older Blade form of the union
// is not offered: every caller of this library uses the version-1 record.
struct BE_CONFIG {
    BE_DWORD dwConfig;
    union {
        struct {
            BE_DWORD dwStructVersion;
            BE_DWORD dwStructSize;
            BE_DWORD dwSampleRate;    // of the input
            BE_DWORD dwReSampleRate;  // output rate; 0 lets the encoder choose
            BE_LONG nMode;            // BE_MP3_MODE_*
            BE_DWORD dwBitrate;       // kbit/s (CBR)
            BE_DWORD dwMaxBitrate;
            BE_LONG nPreset;  // LQP_*
            BE_DWORD dwMpegVersion;
            BE_DWORD dwPsyModel;
            BE_DWORD dwEmphasis;
            BE_BOOL bPrivate;
            BE_BOOL bCRC;
            BE_BOOL bCopyright;
            BE_BOOL bOriginal;
            BE_BOOL bWriteVBRHeader;
            BE_BOOL bEnableVBR;
            int32_t nVBRQuality;
            BE_DWORD dwVbrAbr_bps;
            int32_t nVbrMethod;
            BE_BOOL bNoRes;  // bit reservoir off
            BE_BOOL bStrictIso;
            BE_WORD nQuality;
            BE_BYTE btReserved[255 - 4 * sizeof(BE_DWORD) - sizeof(BE_WORD)];
        } LHV1;
    } format;
};

constexpr int BE_MAX_HOMEPAGE = 128;
struct BE_VERSION {
    BE_BYTE byDLLMajorVersion;
    BE_BYTE byDLLMinorVersion;
    BE_BYTE byMajorVersion;
    BE_BYTE byMinorVersion;
    BE_BYTE byDay;
    BE_BYTE byMonth;
    BE_WORD wYear;
    char zHomepage[BE_MAX_HOMEPAGE + 1];
    BE_BYTE byAlphaLevel;
    BE_BYTE byBetaLevel;
    BE_BYTE byMMXEnabled;
    BE_BYTE btReserved[125];
};
#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == 331, "the version-1 configuration record is 331 bytes");

// The seven exports. Sample counts count 16-bit values (for stereo, twice
// the frames); byte counts come back through the last argument.
using BEINITSTREAM = BE_ERR (*)(BE_CONFIG* config, BE_DWORD* samplesPerChunk, BE_DWORD* minOutputBytes,
                                HBE_STREAM* stream);
using BEENCODECHUNK = BE_ERR (*)(HBE_STREAM stream, BE_DWORD samples, int16_t* data, BE_BYTE* output,
                                 BE_DWORD* outputBytes);
using BEDEINITSTREAM = BE_ERR (*)(HBE_STREAM stream, BE_BYTE* output, BE_DWORD* outputBytes);
using BECLOSESTREAM = BE_ERR (*)(HBE_STREAM stream);
using BEVERSION = void (*)(BE_VERSION* version);
using BEWRITEVBRHEADER = BE_ERR (*)(const char* mp3Path);
using BEWRITEINFOTAG = BE_ERR (*)(HBE_STREAM stream, const char* mp3Path);

}  // extern "C"

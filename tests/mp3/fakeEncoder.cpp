// A scripted stand-in for the encoder library, loaded by the MP3 pipeline in
// place of liblame_enc.so so tests can see exactly what the pipeline hands the
// encoder and control what it gets back.
//
// Set through the environment before a run (read by beInitStream):
//   FAKE_ENC_LOG        file that receives the 331-byte configuration record,
//                       then every chunk's 16-bit values as they were given
//   FAKE_ENC_SIZES      comma-separated byte counts returned by successive
//                       chunks (cycled); default 417
//   FAKE_ENC_FLUSH      byte count returned by the flush; default 5
//   FAKE_ENC_DELAY_MS   sleep per chunk, to keep a run busy
//   FAKE_ENC_FAIL       "init", "encode" or "flush": that call fails
// Output bytes are a running counter (n * 7 + 3) mod 256 over the whole
// stream, so a lost or repeated byte shows. Built with FAKE_ENC_NO_INFO_TAG,
// beWriteInfoTag is left out (a library missing an export).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "lameEncInterface.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Stream {
    std::FILE* log = nullptr;
    std::vector<BE_DWORD> sizes;
    size_t next = 0;
    BE_DWORD flushBytes = 5;
    int delayMs = 0;
    std::string fail;
    uint32_t counter = 0;
};

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

void produce(Stream& s, BE_BYTE* out, BE_DWORD n) {
    for (BE_DWORD i = 0; i < n; ++i) out[i] = static_cast<BE_BYTE>((s.counter++ * 7 + 3) & 0xFF);
}

Stream* asStream(HBE_STREAM h) { return reinterpret_cast<Stream*>(h); }

}  // namespace

FAKE_EXPORT BE_ERR beInitStream(BE_CONFIG* config, BE_DWORD* samples, BE_DWORD* minOut, HBE_STREAM* stream) {
    auto* s = new Stream;
    s->fail = env("FAKE_ENC_FAIL");
    if (s->fail == "init") {
        delete s;
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    if (!env("FAKE_ENC_LOG").empty()) {
        s->log = std::fopen(env("FAKE_ENC_LOG").c_str(), "wb");
        if (s->log) std::fwrite(config, 1, sizeof *config, s->log);
    }
    std::string sizes = env("FAKE_ENC_SIZES");
    if (sizes.empty()) sizes = "417";
    for (size_t pos = 0; pos < sizes.size();) {
        size_t comma = sizes.find(',', pos);
        if (comma == std::string::npos) comma = sizes.size();
        s->sizes.push_back(static_cast<BE_DWORD>(std::stoul(sizes.substr(pos, comma - pos))));
        pos = comma + 1;
    }
    if (!env("FAKE_ENC_FLUSH").empty())
        s->flushBytes = static_cast<BE_DWORD>(std::stoul(env("FAKE_ENC_FLUSH")));
    if (!env("FAKE_ENC_DELAY_MS").empty()) s->delayMs = std::stoi(env("FAKE_ENC_DELAY_MS"));
    const bool mono = config->format.LHV1.nMode == BE_MP3_MODE_MONO;
    *samples = mono ? 1152 : 2304;
    *minOut = 2000;
    *stream = reinterpret_cast<HBE_STREAM>(s);
    return BE_ERR_SUCCESSFUL;
}

FAKE_EXPORT BE_ERR beEncodeChunk(HBE_STREAM h, BE_DWORD n, int16_t* data, BE_BYTE* out, BE_DWORD* outBytes) {
    Stream& s = *asStream(h);
    if (s.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(s.delayMs));
    if (s.fail == "encode") return BE_ERR_BUFFER_TOO_SMALL;
    if (s.log) std::fwrite(data, sizeof(int16_t), n, s.log);
    *outBytes = s.sizes[s.next++ % s.sizes.size()];
    produce(s, out, *outBytes);
    return BE_ERR_SUCCESSFUL;
}

FAKE_EXPORT BE_ERR beDeinitStream(HBE_STREAM h, BE_BYTE* out, BE_DWORD* outBytes) {
    Stream& s = *asStream(h);
    if (s.fail == "flush") return BE_ERR_BUFFER_TOO_SMALL;
    *outBytes = s.flushBytes;
    produce(s, out, *outBytes);
    return BE_ERR_SUCCESSFUL;
}

FAKE_EXPORT BE_ERR beCloseStream(HBE_STREAM h) {
    Stream* s = asStream(h);
    if (s->log) std::fclose(s->log);
    delete s;
    return BE_ERR_SUCCESSFUL;
}

FAKE_EXPORT void beVersion(BE_VERSION* v) { std::memset(v, 0, sizeof *v); }
FAKE_EXPORT BE_ERR beWriteVBRHeader(const char*) { return BE_ERR_SUCCESSFUL; }
#ifndef FAKE_ENC_NO_INFO_TAG
FAKE_EXPORT BE_ERR beWriteInfoTag(HBE_STREAM h, const char*) { return beCloseStream(h); }
#endif

// Fuzz target: a cache audio file as the reader meets it in the cache folder.
// The input is written to a private file, opened for reading, and its samples
// are read in uneven pieces to the end, then once more after a rewind; the
// reader must never read past what the file and its data chunk hold.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "fuzzSupport.h"
#include "report.h"

namespace {

// Reads the data chunk to its end in pieces whose sizes cycle through a few
// odd values; returns the bytes read.
uint64_t readAll(CsndDevicesWaveFile& wave) {
    static constexpr uint32_t kPieces[] = {1, 3, 4096, 70001, 2};
    std::vector<unsigned char> piece(70001);
    uint64_t total = 0;
    for (size_t k = 0;; ++k) {
        const uint32_t want = kPieces[k % std::size(kPieces)];
        uint32_t got = 0;
        if (wave.read(piece.data(), want, &got) != kWaveSOk) break;  // the file holds less than claimed
        FUZZ_CHECK(got <= want);
        total += got;
        if (got == 0) break;
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Failures are expected answers here, not findings: keep stderr quiet.
    reportSetSink([](const InternalError&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzScratchFolder() + "/input.wav";
    fuzzWriteFile(path, data, size);
    CsndDevicesWaveFile wave;
    if (wave.open(path, nullptr, kWaveModeRead) != kWaveSOk) {
        FUZZ_CHECK(!wave.isOpen());
        return 0;
    }
    FUZZ_CHECK(wave.format() != nullptr);
    FUZZ_CHECK(wave.formatExtra().size() == wave.format()->extraSize);
    const uint64_t first = readAll(wave);
    FUZZ_CHECK(first <= wave.dataSize());
    FUZZ_CHECK(first <= size);
    FUZZ_CHECK(wave.resetToData() == kWaveSOk);
    FUZZ_CHECK(readAll(wave) == first);
    FUZZ_CHECK(wave.close() == kWaveSOk);
    return 0;
}

// Fuzz target: a whole skin definition file, read group by group in the order
// the main skin's loader reads it (header, points, slider, hotspot and list
// rectangles, colours, the text groups, the optional window buttons). Every
// value that comes out must keep the reader's promises: lines without their
// line end or trailing spaces and within the read limit, coordinates within a
// screen coordinate's range, colours within 0..255.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "fuzzSupport.h"
#include "hwnd.h"
#include "report.h"
#include "skinRead.h"

namespace {

// Group counts of the main skin's definition file.
constexpr int kHeaderLines = 3;
constexpr int kPointGroups = 15;
constexpr int kRectGroups = 2 + 13 + 1;  // sliders, hotspots, the track list
constexpr int kListColours = 2;
constexpr int kTextGroups = 3;
constexpr int kOptionalRects = 2;  // the window buttons

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void checkLine(const std::string& line) {
    FUZZ_CHECK(line.size() <= static_cast<size_t>(kSkinReadMaxLine));
    // Line ends, then spaces, are stripped in that order: "x\r " keeps its CR.
    if (!line.empty()) FUZZ_CHECK(line.back() != '\n' && line.back() != ' ');
}

// A coordinate the definition gave, or the caller's "not given" (-1) left as it was.
void checkCoord(int v) { FUZZ_CHECK(v == -1 || (v >= kHwndCoordMin && v <= kHwndCoordMax)); }

bool readRect(std::FILE* f) {
    int r[4] = {-1, -1, -1, -1};
    if (skinReadRect(f, r[0], r[1], r[2], r[3]) != OKAY) return false;
    for (int v : r) checkCoord(v);
    return true;
}

bool readColour(std::FILE* f) {
    int a = 0, b = 0, c = 0;
    if (skinReadColour(f, a, b, c) != OKAY) return false;
    for (int v : {a, b, c}) FUZZ_CHECK(v >= 0 && v <= 255);
    return true;
}

// The definition as the loader reads it; false where the file ends or a value
// is refused (the loader's internal error).
bool readDefinition(std::FILE* f) {
    std::string line;
    for (int k = 0; k < kHeaderLines; ++k) {
        if (skinReadLine(f, line) != OKAY) return false;
        checkLine(line);
    }
    int unused = 0;
    if (skinReadInt(f, unused) != OKAY) return false;
    for (int k = 0; k < kPointGroups; ++k) {
        int x = -1, y = -1;
        if (skinReadPoint(f, x, y) != OKAY) return false;
        checkCoord(x);
        checkCoord(y);
    }
    for (int k = 0; k < kRectGroups; ++k)
        if (!readRect(f)) return false;
    for (int k = 0; k < kListColours; ++k)
        if (!readColour(f)) return false;
    for (int k = 0; k < kTextGroups; ++k) {
        int size = -1;
        if (!readRect(f) || skinReadInt(f, size) != OKAY || !readColour(f)) return false;
    }
    for (int k = 0; k < kOptionalRects; ++k) {
        int r[4] = {-1, -1, -1, -1};
        bool found = false;
        if (skinReadRectOptional(f, r[0], r[1], r[2], r[3], found) != OKAY) return false;
        if (!found) break;
        for (int v : r) checkCoord(v);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    reportSetSink([](const InternalError&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The loader reads the file with stdio, so the input goes through a stdio stream too.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<std::FILE, FileCloser> file(size > 0 ? fmemopen(bytes.data(), bytes.size(), "rb")
                                                         : std::fopen("/dev/null", "rb"));
    FUZZ_CHECK(file != nullptr);
    readDefinition(file.get());

    // The number parser on its own, from every position of the first line.
    const std::string text = bytes.substr(0, bytes.find('\n'));
    for (size_t start = 0; start <= text.size() && start < 64; ++start) {
        size_t pos = start;
        int value = 12345;
        if (skinReadParseInt(text, pos, value))
            FUZZ_CHECK(pos > start && pos <= text.size());
        else
            FUZZ_CHECK(pos == start && value == 12345);
    }
    return 0;
}

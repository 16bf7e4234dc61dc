// What the fuzz targets share: a private scratch folder for the files an input
// is written to, and the check that turns a broken promise into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// Aborts (a finding for libFuzzer, with the input saved) when cond is false.
#define FUZZ_CHECK(cond)                                                                        \
    do {                                                                                        \
        if (!(cond)) {                                                                          \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// A folder of this process alone below TOBREL_TEST_TMP (the test's scratch
// folder) or /tmp, removed when the run ends normally.
inline const std::string& fuzzScratchFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TOBREL_TEST_TMP");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/fuzz-XXXXXX";
        std::filesystem::create_directories(std::filesystem::path(pattern).parent_path());
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static const std::string removeAtExit = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        return pattern;
    }();
    return folder;
}

// Writes a whole file as a new file: truncating or renaming over a file with
// data makes ext4 flush it to the disk at close, which would slow every run
// down to the disk's pace.
inline void fuzzWriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::remove(path.c_str());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

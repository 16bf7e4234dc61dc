// Shared pieces of the engine tests: an engine over a given platform with the
// real encoder library, a trace sink that keeps its lines, and small waits.
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CSlout.h"
#include "sndDevicesContext.h"
#include "sndDevicesEngine.h"

namespace enginetest {

// Keeps every trace and error line it is given.
class KeepingSlout : public CSlout {
  public:
    int outputW(int, std::string_view text) override {
        lines.emplace_back(text);
        return 0;
    }
    int errorW(int, std::string_view text) override {
        errors.emplace_back(text);
        return 0;
    }
    std::vector<std::string> lines;
    std::vector<std::string> errors;
};

// The encoder library the build made (ctest names it in TOBREL_LAME_ENC).
inline std::string encoderLibraryPath() {
    const char* p = std::getenv("TOBREL_LAME_ENC");
    return p ? p : "liblame_enc.so";
}

// An engine record over `devices`, shut down when the test ends.
struct Engine {
    explicit Engine(AudioDevices& devices) {
        context.devices = &devices;
        context.encoderLibrary = encoderLibraryPath();
    }
    ~Engine() { sndDevicesShutdown(context); }
    sndDevicesContext context;
};

// Polls `done` every 5 ms for at most `ms`.
inline bool waitUntil(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::string lastName(sndDevicesContext& c) {
    std::string name;
    sndDevicesGetLastRecordingName(c, name);
    return name;
}

}  // namespace enginetest

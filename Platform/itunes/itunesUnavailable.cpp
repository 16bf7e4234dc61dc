// The iTunes automation platform on Linux, where iTunes does not run: every
// attempt to start it fails at once with "class not registered", so the
// export tells the user straight away instead of waiting out its start
// attempts for a server that cannot appear.
#include <chrono>
#include <thread>

#include "itunesAutomation.h"

ItHresult ItunesUnavailable::createInstance(ItGuid, ItGuid, std::shared_ptr<IiTunes>& out) {
    out.reset();
    return kItClassNotRegistered;
}

bool ItunesUnavailable::serverInstalled(ItGuid) { return false; }

bool ItunesUnavailable::mainWindowExists() { return false; }

void ItunesUnavailable::postCloseToMainWindow() {}

int64_t ItunesUnavailable::nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ItunesUnavailable::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

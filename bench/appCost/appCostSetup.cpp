// Set-up steps of the whole-program benchmarks (bench/app-idle.sh,
// bench/app-recording.sh, bench/startup-5000.sh), run inside a scratch HOME:
//   profile SOURCE_DIR   machine settings as the installer leaves them (the
//                        skins of the checkout, a web service that is not
//                        there), the window at (0, 0), tracing on; prints the
//                        cache and documents folders
//   fill N               N tracks in the cache: files and database rows, tags set
//   hotspot SKINS        the centre of the record-mode button, as "x y"
//   startup TRACE PROGRAM  starts PROGRAM and waits for the trace file TRACE to
//                        say the window was painted; prints the wall time and
//                        the program's CPU time to then, in milliseconds, and
//                        ends the program
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "recCache.h"
#include "recorderMainSkin.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesContext.h"
#include "sndDevicesNames.h"

extern char** environ;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "appcost_setup: %s\n", what);
    std::exit(1);
}

int profile(const std::string& sourceDir) {
    std::string documents, cache;
    // A web service at a closed local port: the program stays off the network.
    if (regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\top_folder", sourceDir) !=
            OKAY ||
        regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address",
                               "http://127.0.0.1:1") != OKAY ||
        recorderSessionSetWindowPosition(0, 0) != OKAY ||
        recorderPaths(RECORDER_PATH_DOCUMENTS, documents) != OKAY ||
        recorderPaths(RECORDER_PATH_CACHE, cache) != OKAY)
        fail("cannot write the profile");
    std::filesystem::create_directories(documents);
    std::filesystem::create_directories(cache);
    std::ofstream(documents + "/trace_on.txt") << "";
    std::printf("%s\n%s\n", cache.c_str(), documents.c_str());
    return 0;
}

// Tracks as the program keeps them: a scrambled audio file per track (a few
// bytes: start-up never reads them) and its row with tags in cache.db.
int fill(int tracks) {
    std::string cache;
    if (recorderPaths(RECORDER_PATH_CACHE, cache) != OKAY) fail("no cache folder");
    std::filesystem::create_directories(cache);
    std::unique_ptr<recCache> db;
    if (recCacheInit(cache, kSndTempBaseName, "tmp", false, nullptr, db) != OKAY)
        fail("cannot create cache.db");
    std::mt19937 random(12345);
    if (recCache_sqlite_exec(db.get(), "BEGIN", sqliteExecMode::SingleColumn) != OKAY) fail("BEGIN");
    for (int i = 0; i < tracks; ++i) {
        const long start = 1700000000L + i * 240L;
        const long length = 60000 + static_cast<long>(random() % 300000);
        const std::string base = sndDevicesFinishedBaseName(static_cast<uint32_t>(start), length, i);
        std::ofstream(cache + "/" + base + ".tmp") << "RIFF";
        if (recCacheInsert(db.get(), base, start, length) != OKAY) fail("insert");
        const recCacheTags tags{"Artist " + std::to_string(i % 97), "Song number " + std::to_string(i),
                                "Album " + std::to_string(i % 31), i % 3 == 0 ? "Rock" : "", ""};
        if (recCacheSetTags(db.get(), i + 1, tags) != OKAY) fail("tags");
    }
    if (recCache_sqlite_exec(db.get(), "COMMIT", sqliteExecMode::SingleColumn) != OKAY) fail("COMMIT");
    if (recCacheClose(db) != OKAY) fail("close");
    return 0;
}

int hotspot(const std::string& skins) {
    std::unique_ptr<Skin> skin;
    if (recorderInitMainSkin(skins, nullptr, nullptr, {}, skin) != OKAY || !skin)
        fail("cannot load the skin");
    int enabled = 0, l = 0, t = 0, r = 0, b = 0;
    if (skinHotspotGet(skin.get(), kSkinHotRecordMode, enabled, l, t, r, b) != OKAY || !enabled)
        fail("no record-mode button");
    std::printf("%d %d\n", (l + r) / 2, (t + b) / 2);
    return 0;
}

// CPU time of every thread of a running process, in milliseconds.
double cpuMsOf(pid_t pid) {
    double ns = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream in(task.path() / "schedstat");
        double run = 0;
        if (in >> run) ns += run;
    }
    return ns / 1e6;
}

bool fileHolds(const std::string& path, const std::string& text) {
    std::ifstream in(path);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.find(text) != std::string::npos;
}

int startup(const std::string& trace, const std::string& program) {
    static const std::string kPainted = "recorderMainWndProc: First paint";
    const std::string folder = std::filesystem::path(trace).parent_path().string();
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, folder.c_str(), IN_CLOSE_WRITE | IN_MODIFY) < 0)
        fail("cannot watch the trace folder");
    std::filesystem::remove(trace);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    pid_t pid = 0;
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) fail("cannot start");
    bool painted = false;
    double cpuMs = 0;
    const auto deadline = start + std::chrono::seconds(120);
    char events[4096];
    while (!painted && Clock::now() < deadline) {
        if (fileHolds(trace, kPainted)) {
            cpuMs = cpuMsOf(pid);
            painted = true;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) fail("the program ended before its window was painted");
        // Wakes on every trace line; the timeout only notices a program that died.
        pollfd wait{watch, POLLIN, 0};
        if (poll(&wait, 1, 200) > 0 && read(watch, events, sizeof events) < 0) fail("cannot read events");
    }
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(watch);
    if (!painted) fail("the window was not painted within two minutes");
    std::printf("%.1f %.1f\n", wallMs, cpuMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "profile" && argc == 3) return profile(argv[2]);
    if (command == "fill" && argc == 3) return fill(std::atoi(argv[2]));
    if (command == "hotspot" && argc == 3) return hotspot(argv[2]);
    if (command == "startup" && argc == 4) return startup(argv[2], argv[3]);
    fail("usage: appcost_setup profile SOURCE_DIR | fill N | hotspot SKINS | startup TRACE PROGRAM");
}

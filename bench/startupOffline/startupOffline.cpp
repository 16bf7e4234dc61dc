// The startup-offline benchmark: how long the recorder takes from process
// start to its first painted window when the web service cannot be reached,
// against a start with a local service that answers at once.
//
// Usage: startup_offline TOBREL SOURCE_DIR SCRATCH ROUNDS
//
// The real `tobrel` runs under Xvfb with a private PulseAudio server, in a
// scratch profile that is not a first start and has nothing left to send, so
// that every start runs the announcement step with the dynamic update due:
// the download starts at every start. Three services take turns, one start
// each per round: a local server that answers at once, a closed local port,
// and a local server that accepts connections and never answers. A start is
// timed until the trace says the window was first painted; the program is
// then ended. The figure is the worse of the two ratios of medians
// (unreachable / answering).
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "httpTestServer.h"
#include "pulseFixture.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kFirstPaint = "recorderMainWndProc: First paint";

bool writeMachine(const std::string& name, const std::string& value) {
    return regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\" + name, value) == OKAY;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Starts Xvfb on a free display; returns its pid and the display name.
pid_t startX(std::string& display) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = pulsefixture::spawnProgram(
        {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (pid > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    display = ":" + number;
    return number.empty() ? -1 : pid;
}

// One start: milliseconds from the spawn to the first paint, or -1.
double timeOneStart(const std::string& program, const std::string& traceFile) {
    fs::remove(traceFile);
    const auto start = Clock::now();
    const pid_t pid = pulsefixture::spawnProgram({program});
    if (pid <= 0) return -1;
    double ms = -1;
    while (Clock::now() - start < std::chrono::seconds(60)) {
        if (readText(traceFile).find(kFirstPaint) != std::string::npos) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return -1;  // it ended by itself
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ::kill(pid, SIGKILL);
    pulsefixture::waitProgram(pid);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s TOBREL SOURCE_DIR SCRATCH ROUNDS\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1], source = argv[2], scratch = argv[3];
    const int rounds = std::max(1, std::atoi(argv[4]));

    // Other work on the machine moves start times by tens of milliseconds;
    // where allowed, the starts (children inherit it) run ahead of it.
    if (::setpriority(PRIO_PROCESS, 0, -10) != 0) std::printf("(running at normal priority)\n");

    // The scratch profile.
    const std::string home = scratch + "/home";
    fs::create_directories(home);
    fs::create_directories(scratch + "/run");
    fs::permissions(scratch + "/run", fs::perms::owner_all);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (scratch + "/run").c_str(), 1);
    setenv("TOBREL_MACHINE_REGISTRY", (scratch + "/machine").c_str(), 1);
    setenv("TOBREL_INSTANCE_LOCK_DIR", scratch.c_str(), 1);
    setenv("TOBREL_TEST_TMP", scratch.c_str(), 1);
    setenv("no_proxy", "*", 1);
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("WAYLAND_DISPLAY");

    std::string display;
    const pid_t xvfb = startX(display);
    if (xvfb <= 0) {
        std::fprintf(stderr, "startup-offline: Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    int status = 0;
    {
        pulsefixture::PulseServer sound;
        httptest::Server answering, blackHole;
        blackHole.setBehaviour(httptest::Behaviour::BlackHole);
        answering.serve("/fromPlayer/announcements/500/0/new_retail.txt",
                        {200, "Tobrel\n1\n1\n2.005\nhttps://example.org/\nNews\n"});
        std::string documents, announcements;
        bool ready = sound.started() && answering.listening() && blackHole.listening() &&
                     writeMachine("top_folder", source) && writeMachine("date_installed", "1000") &&
                     recorderSessionSetDateLastUsed(2000) == OKAY &&
                     recorderPaths(RECORDER_PATH_DOCUMENTS, documents) == OKAY &&
                     recorderPaths(RECORDER_PATH_ANNOUNCEMENTS, announcements) == OKAY;
        recorderAskEmail done;
        done.emailAddress = "done@example.org";
        done.emailSent = 1;
        done.dialogShown = 1;
        ready =
            ready && recorderSessionSetAskEmail(done) == OKAY && recorderSessionSetClearOnExit(false) == OKAY;
        if (!ready) {
            std::fprintf(stderr,
                         "startup-offline: the profile, the sound server or the local servers failed\n");
            status = 1;
        } else {
            fs::create_directories(documents);
            std::ofstream(documents + "/trace_on.txt") << "";
            const std::string traceFile = documents + "/trace_messages.txt";
            struct Service {
                const char* name;
                std::string base;
                std::vector<double> ms;
            } services[] = {
                {"answering", answering.base(), {}},
                {"closed port", "http://127.0.0.1:" + std::to_string(httptest::closedPort()), {}},
                {"never answering", blackHole.base(), {}},
            };
            // The download is due at every start, and no announcement is left to show.
            auto prepare = [&](const Service& s) {
                writeMachine("web_service_address", s.base);
                std::error_code ec;
                fs::remove_all(home + "/.config/Tobrel/registry/SOFTWARE/Tobrel/2/500/last_dynamic_update",
                               ec);
                fs::remove_all(announcements, ec);
            };
            prepare(services[0]);
            timeOneStart(program, traceFile);  // warms the caches
            for (int r = 0; r < rounds && status == 0; ++r) {
                for (int k = 0; k < 3; ++k) {
                    Service& s = services[(r + k) % 3];
                    prepare(s);
                    const double ms = timeOneStart(program, traceFile);
                    if (ms < 0) {
                        std::fprintf(stderr, "startup-offline: the recorder did not paint its window (%s)\n",
                                     s.name);
                        status = 1;
                        break;
                    }
                    s.ms.push_back(ms);
                }
            }
            if (status == 0) {
                const double base = median(services[0].ms);
                double worst = 0.0;
                for (const Service& s : services) {
                    std::printf("%-16s median %7.1f ms, fastest %7.1f ms, over %zu starts\n", s.name,
                                median(s.ms), *std::min_element(s.ms.begin(), s.ms.end()), s.ms.size());
                    if (&s != &services[0]) worst = std::max(worst, median(s.ms) / base);
                }
                std::printf("requests seen: answering %zu, never answering %zu\n", answering.targets().size(),
                            blackHole.targets().size());
                std::printf("startup-offline ratio=%.3f target=1.05\n", worst);
            }
        }
    }
    ::kill(xvfb, SIGTERM);
    pulsefixture::waitProgram(xvfb);
    return status;
}

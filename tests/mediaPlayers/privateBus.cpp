// The private session bus and the test player. See privateBus.h.
#include "privateBus.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>

#include "pulseFixture.h"

using namespace std::chrono_literals;

namespace {

// Runs a program with its standard output to a pipe; returns what it wrote.
std::string output(const std::vector<std::string>& argv) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fds[0]);
    if (pid > 0) pulsefixture::waitProgram(pid);
    return text;
}

template <class F>
bool waitUntil(F done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

}  // namespace

PrivateBus::PrivateBus() {
    // The launcher forks the daemon and ends once it printed the address
    // and the pid, which is when the bus is ready.
    std::istringstream lines(
        output({"dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"}));
    std::string pid;
    std::getline(lines, address_);
    std::getline(lines, pid);
    pid_ = pid.empty() ? -1 : static_cast<pid_t>(std::stol(pid));
    if (started()) env_ = std::make_unique<testsupport::ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", address_);
}

PrivateBus::~PrivateBus() {
    env_.reset();
    if (pid_ <= 0) return;
    // Not our child (it was forked away): it is gone when signals no longer reach it.
    ::kill(pid_, SIGTERM);
    if (!waitUntil([this] { return ::kill(pid_, 0) != 0; }, 10s)) ::kill(pid_, SIGKILL);
}

TestPlayer::TestPlayer(const TestPlayerOptions& options, const std::vector<TestSong>& songs)
    : options_(options), log_(dir_.file("player.log")) {
    std::vector<std::string> argv = {TOBREL_TEST_PLAYER,
                                     "--name",
                                     options.name,
                                     "--log",
                                     log_,
                                     "--latency-ms",
                                     std::to_string(options.latencyMs)};
    if (!options.audio) argv.push_back("--no-audio");
    if (options.oddTypes) argv.push_back("--odd-types");
    if (options.invalidateMetadata) argv.push_back("--invalidate-metadata");
    if (options.play) argv.push_back("--play");
    for (const TestSong& s : songs) {
        for (const std::string& a :
             {std::string("--song"), s.title, s.artist, s.album, std::to_string(s.hz), std::to_string(s.ms)})
            argv.push_back(a);
    }
    pid_ = pulsefixture::spawnProgram(argv);
    if (pid_ <= 0) return;
    ready_ = waitUntil(
        [this] {
            const auto l = lines();
            return !l.empty() && l.front() == "ready";
        },
        20s);
}

TestPlayer::~TestPlayer() {
    if (pid_ > 0) kill(SIGTERM);
}

bool TestPlayer::call(const std::string& method) {
    const std::string interface =
        method == "Quit" ? "org.mpris.MediaPlayer2" : "org.mpris.MediaPlayer2.Player";
    return pulsefixture::runProgram({"dbus-send", "--session", "--print-reply", "--reply-timeout=20000",
                                     "--dest=" + busName(), "/org/mpris/MediaPlayer2",
                                     interface + "." + method}) == 0;
}

void TestPlayer::kill(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    pulsefixture::waitProgram(pid_);
    pid_ = -1;
}

int TestPlayer::wait() {
    const int status = pulsefixture::waitProgram(pid_);
    pid_ = -1;
    return status;
}

std::vector<std::string> TestPlayer::lines() const {
    std::istringstream text(testsupport::readText(log_));
    std::vector<std::string> out;
    for (std::string line; std::getline(text, line);) out.push_back(line);
    return out;
}

std::vector<TestPlayer::Song> TestPlayer::songs() const {
    std::vector<Song> out;
    for (const std::string& line : lines()) {
        std::istringstream words(line);
        std::string word;
        Song s;
        if (words >> word && word == "song" && words >> s.index >> s.audibleNs >> s.signalNs)
            out.push_back(s);
    }
    return out;
}

std::vector<std::string> TestPlayer::statuses() const {
    std::vector<std::string> out;
    for (const std::string& line : lines()) {
        std::istringstream words(line);
        std::string word, status;
        if (words >> word && word == "status" && words >> status) out.push_back(status);
    }
    return out;
}

int64_t testPlayerNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

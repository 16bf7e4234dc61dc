// The private sound server of pulseFixture.h: its script, start, kill and
// restart, and the helpers that play test signals through it.
#include "pulseFixture.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace pulsefixture {

namespace {

std::string scratchRoot() {
    const char* base = std::getenv("TOBREL_TEST_TMP");
    fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path() / "tobrel-tests";
    fs::create_directories(root);
    return root.string();
}

// A short folder name: the socket path must fit a sockaddr_un.
std::string makeFolder() {
    std::random_device rd;
    for (;;) {
        fs::path candidate = fs::path(scratchRoot()) /
                             ("pa" + std::to_string(::getpid()) + "_" + std::to_string(rd() % 100000));
        if (fs::create_directory(candidate)) return candidate.string();
    }
}

// A description as a sink property in a .pa script: quoted for the property
// list, with its spaces escaped for the module-argument parser.
std::string quotedDescription(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == ' ') out += '\\';
        out += c;
    }
    return out + "\"";
}

pid_t spawnWithEnv(const std::vector<std::string>& argv, char** envp) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp) != 0) return -1;
    return pid;
}

void putLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

PulseServer::PulseServer(PulseServerOptions options) : options_(options), folder_(makeFolder()) {
    if (const char* old = std::getenv("PULSE_SERVER")) {
        hadPreviousServer_ = true;
        previousServer_ = old;
    }
    const std::string runtime = folder_ + "/run";
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    fs::create_directories(folder_ + "/.config/pulse");

    std::ofstream pa(folder_ + "/tobrel.pa");
    pa << "load-module module-native-protocol-unix auth-anonymous=1\n";
    pa << "load-module module-null-sink sink_name=" << kSpeakersSink
       << " format=float32le rate=" << options_.speakersRate << " channels=" << options_.speakersChannels
       << " sink_properties=device.description=" << quotedDescription(kSpeakersDescription)
       << " norewinds=1\n";
    if (options_.withEnhancer)
        pa << "load-module module-null-sink sink_name=" << kEnhancerSink << " format=float32le rate=48000"
           << " sink_properties=device.description=" << quotedDescription(kEnhancerDescription)
           << " norewinds=1\n";
    pa << "set-default-sink " << kSpeakersSink << "\n";
    pa.close();

    // An empty client configuration: no cookie file, no autospawn.
    std::ofstream(folder_ + "/client.conf") << "autospawn = no\n";
    ::setenv("PULSE_SERVER", server().c_str(), 1);
    ::setenv("PULSE_CLIENTCONFIG", (folder_ + "/client.conf").c_str(), 1);
    start();
}

PulseServer::~PulseServer() {
    kill(SIGKILL);
    if (hadPreviousServer_)
        ::setenv("PULSE_SERVER", previousServer_.c_str(), 1);
    else
        ::unsetenv("PULSE_SERVER");
    ::unsetenv("PULSE_CLIENTCONFIG");
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

std::string PulseServer::server() const { return "unix:" + folder_ + "/run/pulse/native"; }

bool PulseServer::start() {
    if (pid_ > 0) return true;
    // The daemon gets its own HOME and runtime folder; everything else is ours.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("HOME=", 0) == 0 || v.rfind("XDG_RUNTIME_DIR=", 0) == 0 || v.rfind("PULSE_", 0) == 0)
            continue;
        env.push_back(v);
    }
    env.push_back("HOME=" + folder_);
    env.push_back("XDG_RUNTIME_DIR=" + folder_ + "/run");
    std::vector<char*> envp;
    for (std::string& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);

    // The server runs as our own child rather than daemonized, so that we reap
    // it: a killed daemon left to an init that does not reap stays a zombie and
    // its pid file then blocks the restart.
    pid_ = spawnWithEnv(
        {"pulseaudio", "-n", "-F", folder_ + "/tobrel.pa", "--daemonize=no", "--exit-idle-time=-1",
         "--disallow-exit", "--log-level=error", "--log-target=file:" + folder_ + "/pulse.log"},
        envp.data());
    if (pid_ < 0) return false;
    // Ready in tens of milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // it gave up
            pid_ = -1;
            return false;
        }
        if (runProgram({"pactl", "info"}) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(SIGKILL);
    return false;
}

void PulseServer::kill(int sig) {
    if (pid_ <= 0) return;
    ::kill(pid_, sig);
    waitProgram(pid_);
    pid_ = -1;
}

pid_t spawnProgram(const std::vector<std::string>& argv) { return spawnWithEnv(argv, environ); }

int waitProgram(pid_t pid) {
    if (pid <= 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runProgram(const std::vector<std::string>& argv) {
    // Quiet: the tools' chatter is not part of a test's output.
    std::vector<std::string> quiet = {"sh", "-c", "exec \"$@\" >/dev/null 2>&1", "sh"};
    quiet.insert(quiet.end(), argv.begin(), argv.end());
    return waitProgram(spawnProgram(quiet));
}

pid_t playAsync(const std::string& wavPath, const std::string& sink) {
    std::vector<std::string> argv = {"paplay"};
    if (!sink.empty()) argv.push_back("--device=" + sink);
    argv.push_back(wavPath);
    return spawnProgram(argv);
}

int play(const std::string& wavPath, const std::string& sink) {
    return waitProgram(playAsync(wavPath, sink));
}

bool writeSignal(const std::string& path, uint32_t rate, const std::vector<Segment>& segments) {
    std::vector<float> samples;
    for (const Segment& s : segments) {
        const size_t frames = static_cast<size_t>(rate) * static_cast<size_t>(s.ms) / 1000;
        for (size_t i = 0; i < frames; ++i) {
            const float v =
                s.hz > 0.0
                    ? static_cast<float>(0.5 * std::sin(2.0 * M_PI * s.hz * static_cast<double>(i) / rate))
                    : 0.0f;
            samples.push_back(v);
            samples.push_back(v);
        }
    }
    return writeFloatWav(path, rate, 2, samples);
}

bool writeFloatWav(const std::string& path, uint32_t rate, uint16_t channels,
                   const std::vector<float>& samples) {
    const auto dataBytes = static_cast<uint32_t>(samples.size() * sizeof(float));
    const uint32_t frameBytes = channels * 4u;
    std::string out = "RIFF";
    putLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 3, 2);  // IEEE float
    putLe(out, channels, 2);
    putLe(out, rate, 4);
    putLe(out, rate * frameBytes, 4);
    putLe(out, frameBytes, 2);
    putLe(out, 32, 2);
    out += "data";
    putLe(out, dataBytes, 4);
    for (const float v : samples) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putLe(out, bits, 4);
    }
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(f);
}

}  // namespace pulsefixture

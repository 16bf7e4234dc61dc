// A private sound server for audio tests: a PulseAudio daemon with no hardware,
// started from its own script in a scratch folder, with a default null sink
// ("Speakers") and a second null sink named like the companion enhancer's
// virtual output. The fixture exports PULSE_SERVER so that everything the test
// starts (the engine, paplay, parec) talks to this server only.
//
// The sinks are in the script, so a restarted server has them again. Both run
// with norewinds=1: without it the monitor misses the start of every new
// playback stream.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pulsefixture {

constexpr const char* kSpeakersSink = "tobrel_speakers";
constexpr const char* kSpeakersDescription = "Speakers";
constexpr const char* kEnhancerSink = "tobrel_enhancer";
constexpr const char* kEnhancerDescription = "Zentic Audio Enhancer 11.1 Virtual Output";

struct PulseServerOptions {
    uint32_t speakersRate = 48000;  // the default sink runs native float at this rate
    uint16_t speakersChannels = 2;
    bool withEnhancer = true;
};

class PulseServer {
  public:
    // Writes the script and starts the server; check started().
    explicit PulseServer(PulseServerOptions options = {});
    // Kills the server and restores PULSE_SERVER.
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool started() const { return pid_ > 0; }
    // Starts the server (again) and waits until it answers; false on failure.
    bool start();
    // Sends `sig` to the daemon and waits until it is gone.
    void kill(int sig = SIGKILL);
    // "unix:<runtime folder>/pulse/native"
    std::string server() const;
    const std::string& folder() const { return folder_; }
    pid_t pid() const { return pid_; }
    const PulseServerOptions& options() const { return options_; }

  private:
    PulseServerOptions options_;
    std::string folder_;  // HOME of the daemon; the runtime folder is below it
    std::string previousServer_;
    bool hadPreviousServer_ = false;
    pid_t pid_ = -1;
};

// Runs a program (argument vector, no shell) with the current environment.
// spawn returns the child's pid (or -1); wait returns its exit status (or -1).
pid_t spawnProgram(const std::vector<std::string>& argv);
int waitProgram(pid_t pid);
int runProgram(const std::vector<std::string>& argv);

// Plays a WAV file through paplay to `sink` (the default sink when empty).
// play blocks until the file has been played; playAsync returns paplay's pid.
int play(const std::string& wavPath, const std::string& sink = "");
pid_t playAsync(const std::string& wavPath, const std::string& sink = "");

// One piece of a test signal: a sine of `hz` (0 = digital silence) for `ms`.
struct Segment {
    double hz = 0.0;
    int ms = 0;
};
// Writes a 32-bit float stereo WAV of the segments (amplitude 0.5; silence is
// samples of exactly 0.0).
bool writeSignal(const std::string& path, uint32_t rate, const std::vector<Segment>& segments);
// Writes a 32-bit float WAV of interleaved samples.
bool writeFloatWav(const std::string& path, uint32_t rate, uint16_t channels,
                   const std::vector<float>& samples);

}  // namespace pulsefixture

// A private session bus for tests: `dbus-daemon --session` started by the
// test, its address exported as DBUS_SESSION_BUS_ADDRESS for the test and
// everything it starts, ended by its pid. And the test player of this folder
// (tobrel_testplayer), started as a program of its own and driven through its
// MPRIS methods.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testsupport.h"

class PrivateBus {
  public:
    PrivateBus();   // starts the bus; check started()
    ~PrivateBus();  // ends it (SIGTERM to its pid, waited for) and restores the variable
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool started() const { return pid_ > 0 && !address_.empty(); }
    const std::string& address() const { return address_; }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::string address_;
    std::unique_ptr<testsupport::ScopedEnv> env_;
};

struct TestSong {
    std::string title, artist, album;
    double hz = 440;
    int ms = 3000;
};

struct TestPlayerOptions {
    std::string name = "testplayer";  // owns org.mpris.MediaPlayer2.<name>
    bool audio = true;                // plays through PULSE_SERVER's server
    int latencyMs = 50;               // its stream's buffer
    bool oddTypes = false;
    bool invalidateMetadata = false;
    bool play = false;  // plays at once
};

// The test player, running on the session bus DBUS_SESSION_BUS_ADDRESS names.
class TestPlayer {
  public:
    // Starts it and waits (generously) until it owns its name; check ready().
    TestPlayer(const TestPlayerOptions& options, const std::vector<TestSong>& songs);
    ~TestPlayer();  // ends it (SIGTERM, waited for) if it still runs
    TestPlayer(const TestPlayer&) = delete;
    TestPlayer& operator=(const TestPlayer&) = delete;

    bool ready() const { return ready_; }
    std::string busName() const { return "org.mpris.MediaPlayer2." + options_.name; }
    // Calls a method of org.mpris.MediaPlayer2.Player ("Play", "Pause",
    // "Next", "Stop") or, for "Quit", of org.mpris.MediaPlayer2, and waits for
    // the reply. False when the call failed.
    bool call(const std::string& method);
    // Ends the process by a signal and waits for it.
    void kill(int signal);
    // Waits for the process to end by itself; its exit status.
    int wait();

    // What it logged: each song it started, with when its first frame was
    // heard and when it announced it (steady-clock ns), and the statuses.
    struct Song {
        int index = 0;
        int64_t audibleNs = 0;
        int64_t signalNs = 0;
    };
    std::vector<Song> songs() const;
    std::vector<std::string> statuses() const;

  private:
    std::vector<std::string> lines() const;
    TestPlayerOptions options_;
    testsupport::TempDir dir_;
    std::string log_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A steady-clock reading in ns, on the clock the test player logs with.
int64_t testPlayerNowNs();

// A connection to the sound server on libpulse's threaded main loop, with the
// loop's locking and callbacks hidden behind a handful of blocking calls (in the
// manner of OBS's pulse-wrapper). Only Platform/pulse includes this header: it
// is the one place where libpulse types appear.
//
// Locking contract: every libpulse call on the connection's context or on one
// of its streams is made with the loop's lock held (PulseLock). The blocking
// queries below take the lock themselves and must be called WITHOUT it; the
// waiting helpers (waitFor, await) must be called WITH it, and release it while
// they sleep so that the loop thread can run the callbacks that wake them.
// Callbacks only record results and signal; they never call back into Tobrel.
//
// A connection is good until the server goes away (context FAILED or
// TERMINATED). libpulse cannot reconnect a context, so the owner drops a dead
// connection and opens a new one; streams keep their connection alive through
// a shared_ptr, so a stream never outlives its loop.
#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the engine needs to know of one sink.
struct PulseSink {
    uint32_t index = 0;
    std::string name;
    std::string description;        // the sink's description, as shown to users
    std::string deviceDescription;  // the device's product name, else the driver
    std::string monitorSource;      // name of the sink's monitor source
    pa_sample_spec spec{};
    pa_channel_map channelMap{};
};

class PulseConnection {
public:
    // How long a blocking call waits for the server before giving up; a server
    // that hangs must not hang the record thread for ever.
    static constexpr int kTimeoutMs = 3000;

    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Connects to the server the environment names (PULSE_SERVER or the user's
    // default), never spawning one. Returns false, with `out` empty, when the
    // server cannot be reached within kTimeoutMs. Lock: not held (there is none yet).
    static bool open(const std::string& clientName, std::shared_ptr<PulseConnection>& out);

    // True while the context is READY. Lock: either.
    bool alive() const;

    // Lock: not held. The server's default sink ("" when it has none), and every
    // sink ordered by index (the order the server created them in, so stable).
    // Return false when the server does not answer.
    bool defaultSinkName(std::string& name);
    bool sinks(std::vector<PulseSink>& out);
    // One sink by name; false when missing or the server does not answer.
    bool sink(const std::string& name, PulseSink& out);

    // Lock: held. Sleeps until `done` is true, the context dies or kTimeoutMs
    // pass; returns done(). The loop is woken by signal(), which every callback
    // installed through this class calls.
    bool waitFor(const std::function<bool()>& done);
    // Lock: held. Waits for an operation to finish and unrefs it; false when it
    // was cancelled (the context died) or timed out (then it is cancelled).
    // A null operation (the call was refused) is false.
    bool await(pa_operation* op);

    void lock();
    void unlock();
    // Wakes waitFor; for callbacks (run on the loop thread with the lock held).
    void signal();

    pa_context* context() const { return context_; }

private:
    PulseConnection() = default;
    static void contextStateCallback(pa_context* c, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
};

// Holds a connection's loop lock for a scope.
class PulseLock {
public:
    explicit PulseLock(PulseConnection& connection) : connection_(connection) { connection_.lock(); }
    ~PulseLock() { connection_.unlock(); }
    PulseLock(const PulseLock&) = delete;
    PulseLock& operator=(const PulseLock&) = delete;

private:
    PulseConnection& connection_;
};

// Stream callback that only wakes waiters; its userdata is the PulseConnection.
void pulseSignalStreamCallback(pa_stream* stream, void* connection);
// Success callback of stream operations (cork, flush); userdata is a
// PulseSuccess whose `connection` is woken.
struct PulseSuccess {
    PulseConnection* connection = nullptr;
    int success = 0;
};
void pulseStreamSuccessCallback(pa_stream* stream, int success, void* pulseSuccess);

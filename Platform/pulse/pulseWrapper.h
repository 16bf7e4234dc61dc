// A connection to the sound server on libpulse's asynchronous API, with the
// main loop and its locking hidden behind a handful of blocking calls (in the
// manner of OBS's pulse-wrapper). Only Platform/pulse includes this header: it
// is the one place where libpulse types appear.
//
// The main loop has no thread of its own: the callers run it. A blocking call
// runs it until its answer has arrived; a packet operation first runs it for
// whatever has already arrived (pump). While recording, the record thread's
// 10 ms step is then the only wakeup, where a loop thread would wake once more
// for every fragment the server sends: that halves the context switches of
// the recorder, which dominate its CPU time.
//
// Locking contract: every libpulse call on the connection's context or on one
// of its streams is made with the connection's lock held (PulseLock); the lock
// is recursive. The blocking queries below take the lock themselves and may
// be called with or without it; the loop helpers (pump, waitFor, await) must
// be called WITH it. Callbacks run inside those helpers, on the calling
// thread; they only record results and never call back into Tobrel.
//
// A connection is good until the server goes away (context FAILED or
// TERMINATED), which the next pump notices. libpulse cannot reconnect a
// context, so the owner drops a dead connection and opens a new one; streams
// keep their connection alive through a shared_ptr, so a stream never
// outlives its loop.
#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
    // default), never spawning one. Returns false, with `out` empty and the
    // server's reason in `why`, when the server cannot be reached within kTimeoutMs.
    static bool open(const std::string& clientName, std::shared_ptr<PulseConnection>& out, std::string& why);

    // The server's word on the last failed call on the context. Lock: held.
    std::string error() const;

    // True while the context is READY, as of the last time the loop ran. Lock: held.
    bool alive() const;
    // Runs the loop for what has arrived, then tells whether the context is
    // READY. Lock: either.
    bool check();

    // Lock: either. The server's default sink ("" when it has none), and every
    // sink ordered by index (the order the server created them in, so stable).
    // Return false when the server does not answer.
    bool defaultSinkName(std::string& name);
    bool sinks(std::vector<PulseSink>& out);
    // One sink by name; false when missing or the server does not answer.
    bool sink(const std::string& name, PulseSink& out);

    // Lock: held. Dispatches what has arrived from the server, without waiting.
    void pump();
    // Lock: held. Runs the loop until `done` is true, the context dies or
    // kTimeoutMs pass; returns done().
    bool waitFor(const std::function<bool()>& done);
    // Lock: held. Waits for an operation to finish and unrefs it; false when it
    // was cancelled (the context died) or timed out (then it is cancelled).
    // A null operation (the call was refused) is false.
    bool await(pa_operation* op);

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

    pa_context* context() const { return context_; }

  private:
    PulseConnection() = default;

    std::recursive_mutex mutex_;
    pa_mainloop* loop_ = nullptr;
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

// Success callback of stream operations (cork, flush); userdata is an int
// that receives the success flag.
void pulseStreamSuccessCallback(pa_stream* stream, int success, void* result);

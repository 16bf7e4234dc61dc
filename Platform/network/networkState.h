// Whether the computer is connected to a network: the check the web layer
// makes before a download when it is asked to. The application uses
// SystemNetworkState; tests script the answer with ScriptedNetworkState.
#pragma once

#include <atomic>

class NetworkState {
  public:
    virtual ~NetworkState() = default;
    // True when some network connection is up. May be called from any thread.
    virtual bool connected() = 0;
};

// Connected when an interface other than loopback is up and running with an
// IPv4 or IPv6 address: a LAN, a wireless or a tunnel connection.
class SystemNetworkState : public NetworkState {
  public:
    bool connected() override;
};

// Answers what the test set (connected unless told otherwise).
class ScriptedNetworkState : public NetworkState {
  public:
    bool connected() override { return up.load(); }
    std::atomic<bool> up{true};
};

// The system's state, for callers that are given no other.
NetworkState& networkStateSystem();

// The network state from the system's interface list (getifaddrs).
#include "networkState.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

bool SystemNetworkState::connected() {
    ifaddrs* list = nullptr;
    // Without the list nothing can be known; assume a connection, so that a
    // request is tried and fails on its own rather than never being made.
    if (::getifaddrs(&list) != 0) return true;
    bool up = false;
    for (const ifaddrs* a = list; a && !up; a = a->ifa_next) {
        if (!a->ifa_addr) continue;
        const int family = a->ifa_addr->sa_family;
        const unsigned flags = a->ifa_flags;
        up = (family == AF_INET || family == AF_INET6) && (flags & IFF_UP) && (flags & IFF_RUNNING) &&
             !(flags & IFF_LOOPBACK);
    }
    ::freeifaddrs(list);
    return up;
}

NetworkState& networkStateSystem() {
    static SystemNetworkState state;
    return state;
}

// Best-effort thread priorities (see sndDevicesThreadPriority.h).
#include "sndDevicesThreadPriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

void sndDevicesRaiseThreadPriority() {
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;
    // Nice values are per thread on Linux: the thread id names this thread only.
    const auto self = static_cast<id_t>(gettid());
    for (int nice = -20; nice < 0; ++nice)
        if (setpriority(PRIO_PROCESS, self, nice) == 0) return;
}

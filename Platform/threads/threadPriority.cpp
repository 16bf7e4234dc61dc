// Thread priorities on Linux (see threadPriority.h): scheduling policies and
// nice values are per thread here, addressed by the kernel's thread id.
#include "threadPriority.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

int niceFor(int priority) {
    if (priority <= kThreadPriorityLowest) return 10;
    if (priority < kThreadPriorityNormal) return 5;
    return 0;
}

}  // namespace

int threadPriorityCurrentId() { return static_cast<int>(gettid()); }

void threadPrioritySet(int threadId, int priority) {
    const auto id = static_cast<id_t>(threadId);
    if (priority >= kThreadPriorityTimeCritical) {
        sched_param param{};
        param.sched_priority = sched_get_priority_max(SCHED_FIFO);
        if (sched_setscheduler(static_cast<pid_t>(threadId), SCHED_FIFO, &param) == 0) return;
        for (int nice = -20; nice < 0; ++nice)
            if (setpriority(PRIO_PROCESS, id, nice) == 0) return;
        return;
    }
    setpriority(PRIO_PROCESS, id, niceFor(priority));
}

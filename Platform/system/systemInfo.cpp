// System queries on POSIX (see systemInfo.h): uname's machine, localtime_r.
#include "systemInfo.h"

#include <sys/utsname.h>

#include "report.h"

int systemMachineName(std::string& machine) {
    utsname u{};
    if (::uname(&u) != 0) return NOT_OKAY;
    machine = u.machine;
    return OKAY;
}

int systemLocalTime(std::time_t time, std::tm& local) { return localtime_r(&time, &local) ? OKAY : NOT_OKAY; }

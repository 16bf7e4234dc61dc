// Operating-system queries (see operatingSystem.h), from the system's machine
// name and the processor count the standard library knows.
#include "operatingSystem.h"

#include <string>
#include <string_view>
#include <thread>

#include "report.h"
#include "systemInfo.h"

static constexpr const char* kReportModule = "../../UTIL/operatingSystem/operatingSystem";

namespace {

bool machineIs64(std::string_view m) {
    return m == "x86_64" || m == "aarch64" || m == "arm64" || m == "ppc64" || m == "ppc64le" ||
           m == "s390x" || m == "riscv64" || m == "mips64" || m == "loongarch64" || m == "sparc64";
}

// The x86 processor generation of the machine name (386, 486, 586, 686), or
// 686 for machines beyond that line and for other architectures.
int processorType(std::string_view m) {
    if (m.size() == 4 && m[0] == 'i' && m.substr(2) == "86" && m[1] >= '3' && m[1] <= '6')
        return (m[1] - '0') * 100 + 86;
    return 686;
}

}  // namespace

int operatingSystemFlagsFor(int major, int minor, bool processor64, int processorType) {
    int flags = 0;
    if (major < 6) {
        flags = OS_FLAG_BEFORE_6;
    } else if (major == 6) {
        switch (minor) {
            case 0:
                flags = processor64 ? OS_FLAG_6_0_64 : OS_FLAG_6_0_32;
                break;
            case 1:
                flags = processor64 ? OS_FLAG_6_1_64 : OS_FLAG_6_1_32;
                break;
            case 2:
                flags = processor64 ? OS_FLAG_6_2_64 : OS_FLAG_6_0_32;
                break;
            default:
                break;
        }
    }
    flags |= processorType > 586 ? OS_FLAG_PROCESSOR_ABOVE_586 : OS_FLAG_PROCESSOR_UP_TO_586;
    return flags;
}

int operatingSystemVersionFlags(int& flags, int& processors) {
    std::string machine;
    if (systemMachineName(machine) != OKAY) return REPORT_ERR();
    const unsigned n = std::thread::hardware_concurrency();
    if (n < 1) return REPORT_ERR_WHY("the processor count is unknown");
    flags = operatingSystemFlagsFor(6, 2, machineIs64(machine), processorType(machine));
    processors = static_cast<int>(n);
    return OKAY;
}

int operatingSystemIs32BitOn64Bit(bool& result) {
    result = false;
    if constexpr (sizeof(void*) == 4) {
        std::string machine;
        if (systemMachineName(machine) != OKAY) return REPORT_ERR();
        result = machineIs64(machine);
    }
    return OKAY;
}

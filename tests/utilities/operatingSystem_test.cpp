// Version flags by version and processor, and the queries on this machine.
#include <gtest/gtest.h>

#include "operatingSystem.h"

namespace {

TEST(operatingSystem, FlagsTable) {
    struct Case {
        int major, minor;
        bool is64;
        int type;
        int flags;
    };
    const Case cases[] = {
        {6, 0, true, 8664, 4 | 256}, {6, 1, true, 8664, 16 | 256}, {6, 2, true, 8664, 64 | 256},
        {6, 0, false, 586, 2 | 128}, {6, 1, false, 686, 8 | 256},  {6, 2, false, 686, 2 | 256},
        {5, 1, false, 586, 1 | 128}, {5, 2, true, 8664, 1 | 256},
    };
    for (const auto& c : cases)
        EXPECT_EQ(operatingSystemFlagsFor(c.major, c.minor, c.is64, c.type), c.flags)
            << c.major << "." << c.minor;
}

TEST(operatingSystem, ThisMachinePassesTheLaterThanFiveCheck) {
    int flags = 0, processors = 0;
    ASSERT_EQ(operatingSystemVersionFlags(flags, processors), 0);
    EXPECT_EQ(flags & OS_FLAG_BEFORE_6, 0);
    EXPECT_NE(flags & (OS_FLAG_6_0_64 | OS_FLAG_6_1_64 | OS_FLAG_6_2_64 | OS_FLAG_6_0_32 | OS_FLAG_6_1_32),
              0);
    if constexpr (sizeof(void*) == 8) {
        EXPECT_EQ(flags, OS_FLAG_6_2_64 | OS_FLAG_PROCESSOR_ABOVE_586);
    }
    EXPECT_GE(processors, 1);
    bool wow = true;
    ASSERT_EQ(operatingSystemIs32BitOn64Bit(wow), 0);
    if constexpr (sizeof(void*) == 8) {
        EXPECT_FALSE(wow);
    }
}

}  // namespace

// Numeric checks and the random step of the name generator.
#include <gtest/gtest.h>

#include "Mth.h"
#include "report.h"

namespace {

TEST(Mth, NumericAndHexadecimal) {
    struct Case {
        const char* text;
        bool numeric;
        bool hex;
    };
    const Case cases[] = {
        {"0", true, true},         {"-12", true, false},  {"12a", false, true}, {"", false, false},
        {"-", true, false},        {"1-2", false, false}, {" 1", false, false}, {"+1", false, false},
        {"deadBEEF", false, true}, {"0x1", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MthIsNumeric(c.text), c.numeric) << "[" << c.text << "]";
        EXPECT_EQ(MthIsHexadecimal(c.text), c.hex) << "[" << c.text << "]";
    }
}

TEST(Mth, RandomStepMatchesWideArithmetic) {
    for (int32_t seed : {1, 2, 12345, 51924, 2147483646, 1103515245}) {
        int32_t x = seed;
        for (int i = 0; i < 1000; ++i) {
            const int64_t expected = (static_cast<int64_t>(x) * 41358) % 2147483647;
            ASSERT_EQ(MthRandomStep(x), OKAY);
            ASSERT_EQ(x, expected) << "seed " << seed << " step " << i;
        }
    }
}

TEST(Mth, RandomStepRejectsStatesOutsideTheCycle) {
    ReportRecorder reports;
    for (int32_t bad : {0, -5, 2147483647}) {
        int32_t x = bad;
        EXPECT_EQ(MthRandomStep(x), NOT_OKAY);
        EXPECT_EQ(x, bad);
    }
    EXPECT_EQ(reports.count(), 3u);
}

}  // namespace

// Time texts in fixed time zones: the clock and date parts, the today word,
// the file-name-safe form, day boundaries and the refusal of negative times.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "Ptime.h"
#include "report.h"
#include "testsupport.h"

namespace {

// Sets TZ for the test and makes the C library take it up.
class Zone {
  public:
    explicit Zone(const char* tz) : env_("TZ", tz) { tzset(); }
    ~Zone() { tzset(); }

  private:
    testsupport::ScopedEnv env_;
};

TEST(Ptime, TimeText) {
    Zone zone("UTC0");
    const long t = 1700000000;  // 2023-11-14 22:13:20 UTC
    const long nextDay = t + 3 * 3600;
    struct Case {
        long now;
        const char* word;
        bool safe;
        const char* text;
    };
    const Case cases[] = {
        {nextDay, "", false, "22:13:20 - 11/14/2023"}, {nextDay, "Today", false, "22:13:20 - 11/14/2023"},
        {t + 60, "Today", false, "22:13:20 - Today"},  {t + 60, "", true, "22-13-20 - 11-14-2023"},
        {t + 60, "Today", true, "22-13-20 - Today"},
    };
    for (const auto& c : cases) {
        std::string out;
        ASSERT_EQ(PtimeTextAt(t, c.now, c.word, c.safe, out), OKAY);
        EXPECT_EQ(out, c.text);
    }
}

TEST(Ptime, TodayFollowsTheLocalDate) {
    Zone zone("EST5");                    // five hours behind UTC, no daylight saving
    const long midnightUtc = 1700006400;  // 2023-11-15 00:00:00 UTC = 11/14 19:00 local
    struct Case {
        long t;
        long now;
        bool today;
    };
    const Case cases[] = {
        {midnightUtc, midnightUtc - 3600, true},       // same local day though UTC days differ
        {midnightUtc, midnightUtc + 5 * 3600, false},  // local midnight has passed
        {midnightUtc + 5 * 3600, midnightUtc + 5 * 3600 + 86399, true},
    };
    for (const auto& c : cases) {
        bool today = !c.today;
        ASSERT_EQ(PtimeIsTodayAt(c.t, c.now, today), OKAY);
        EXPECT_EQ(today, c.today) << c.t << " at " << c.now;
    }
    std::tm local{};
    ASSERT_EQ(PtimeToLocal(midnightUtc, local), OKAY);
    EXPECT_EQ(local.tm_hour, 19);
    EXPECT_EQ(local.tm_mday, 14);
}

TEST(Ptime, NowAndNegativeTimes) {
    std::string clock;
    ASSERT_EQ(PtimeNowClockText(clock), OKAY);
    EXPECT_TRUE(std::regex_match(clock, std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]"))) << clock;
    bool today = false;
    ASSERT_EQ(PtimeIsToday(static_cast<long>(std::time(nullptr)), today), OKAY);
    EXPECT_TRUE(today);

    ReportRecorder reports;
    std::string out = "unchanged";
    EXPECT_EQ(PtimeText(-1, "Today", false, out), NOT_OKAY);
    EXPECT_EQ(out, "unchanged");
    std::tm local{};
    EXPECT_EQ(PtimeToLocal(-5, local), NOT_OKAY);
    EXPECT_TRUE(reports.reported("UTIL/ptime/Ptime"));
}

}  // namespace

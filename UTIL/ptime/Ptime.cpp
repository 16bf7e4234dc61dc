// Time texts for traces, the track list and save file names (see Ptime.h).
// Local time comes from the system layer, which is safe on any thread.
#include "Ptime.h"

#include <algorithm>

#include "report.h"
#include "systemInfo.h"

static constexpr const char* kReportModule = "../../UTIL/ptime/Ptime";

namespace {

constexpr const char* kClockFormat = "%H:%M:%S";
constexpr const char* kShortDateFormat = "%m/%d/%Y";

int format(const std::tm& t, const char* fmt, std::string& out) {
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, fmt, &t);
    if (n == 0) return REPORT_ERR();
    out.assign(buf, n);
    return OKAY;
}

int shortDate(long seconds, std::string& out) {
    std::tm t{};
    REPORT_CHECK(PtimeToLocal(seconds, t));
    REPORT_CHECK(format(t, kShortDateFormat, out));
    return OKAY;
}

}  // namespace

int PtimeNowClockText(std::string& out) {
    std::tm t{};
    REPORT_CHECK(PtimeToLocal(static_cast<long>(std::time(nullptr)), t));
    REPORT_CHECK(format(t, kClockFormat, out));
    return OKAY;
}

int PtimeToLocal(long seconds, std::tm& local) {
    if (seconds < 0) return REPORT_ERR();
    const std::time_t t = static_cast<std::time_t>(seconds);
    if (systemLocalTime(t, local) != OKAY) return REPORT_ERR();
    return OKAY;
}

int PtimeIsTodayAt(long seconds, long now, bool& today) {
    today = false;
    std::string a, b;
    REPORT_CHECK(shortDate(seconds, a));
    REPORT_CHECK(shortDate(now, b));
    today = a == b;
    return OKAY;
}

int PtimeIsToday(long seconds, bool& today) {
    REPORT_CHECK(PtimeIsTodayAt(seconds, static_cast<long>(std::time(nullptr)), today));
    return OKAY;
}

int PtimeTextAt(long seconds, long now, std::string_view todayWord, bool fileNameSafe, std::string& out) {
    std::tm t{};
    REPORT_CHECK(PtimeToLocal(seconds, t));
    std::string clock, date;
    REPORT_CHECK(format(t, kClockFormat, clock));
    REPORT_CHECK(format(t, kShortDateFormat, date));
    if (!todayWord.empty()) {
        bool today = false;
        REPORT_CHECK(PtimeIsTodayAt(seconds, now, today));
        if (today) date = todayWord;
    }
    if (fileNameSafe) {
        std::replace(clock.begin(), clock.end(), ':', '-');
        std::replace(date.begin(), date.end(), '/', '-');
    }
    out = clock + " - " + date;
    return OKAY;
}

int PtimeText(long seconds, std::string_view todayWord, bool fileNameSafe, std::string& out) {
    REPORT_CHECK(PtimeTextAt(seconds, static_cast<long>(std::time(nullptr)), todayWord, fileNameSafe, out));
    return OKAY;
}

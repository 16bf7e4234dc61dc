// Internal-error reports: a report carries why when the failing call gave a
// reason, and the recorder and the default sink keep it.
#include <gtest/gtest.h>

#include <cerrno>

#include "report.h"

namespace {

constexpr const char* kReportModule = "../../tests/utilities/report_test";

int failWithErrno(int errnum) {
    errno = errnum;
    return REPORT_ERRNO();
}

TEST(report, ErrnoText) {
    EXPECT_EQ(reportErrnoText(ENOENT), "No such file or directory");
    EXPECT_EQ(reportErrnoText(EISDIR), "Is a directory");
    EXPECT_FALSE(reportErrnoText(123456).empty());
}

TEST(report, ADetailTravelsWithTheReport) {
    ReportRecorder reports;
    EXPECT_EQ(REPORT_ERR(), NOT_OKAY);
    EXPECT_EQ(REPORT_ERR_WHY("database is locked"), NOT_OKAY);
    EXPECT_EQ(failWithErrno(EACCES), NOT_OKAY);
    const std::vector<InternalError> all = reports.reports();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].detail, "");
    EXPECT_EQ(all[1].detail, "database is locked");
    EXPECT_EQ(all[2].detail, "Permission denied");
    EXPECT_EQ(all[2].module, kReportModule);
    EXPECT_EQ(reports.details(), (std::vector<std::string>{"database is locked", "Permission denied"}));
}

TEST(report, TheDefaultSinkPrintsTheDetail) {
    testing::internal::CaptureStderr();
    REPORT_ERR_WHY("Connection refused");
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("report_test line"), std::string::npos) << printed;
    EXPECT_NE(printed.find(": Connection refused"), std::string::npos) << printed;
}

}  // namespace

// The trace sink: slot behaviour of the silent base and of the file-and-dialog sink.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <thread>

#include "CSlout.h"
#include "report.h"
#include "testsupport.h"

using testsupport::RecordingDialog;
using testsupport::TempDir;

namespace {

// Captures what reaches the two output slots of the base class.
class CapturingSlout : public CSlout {
  public:
    int outputA(int line, std::string_view text) override {
        narrow.emplace_back(line, std::string(text));
        return OKAY;
    }
    int outputW(int line, std::string_view text) override {
        wide.emplace_back(line, std::string(text));
        return OKAY;
    }
    std::vector<std::pair<int, std::string>> narrow, wide;
};

}  // namespace

TEST(CSlout, BaseFormatsErrorsWarningsAndContinuationLines) {
    CapturingSlout s;
    s.errorW(1, "disk full");
    s.errorW(2, "second line");
    s.warningW(1, "careful");
    s.messageW(1, "plain");
    s.messageW(7, "more");
    s.errorA(1, "narrow");
    s.warningA(3, "narrow more");
    using P = std::pair<int, std::string>;
    EXPECT_EQ(s.wide, (std::vector<P>{{1, "Error: disk full"},
                                      {2, "   second line"},
                                      {1, "Warning: careful"},
                                      {1, "plain"},
                                      {2, "more"}}));
    EXPECT_EQ(s.narrow, (std::vector<P>{{1, "Error: narrow"}, {2, "   narrow more"}}));
}

TEST(CDerivedSlout1, ErrorsReachTheDialogEvenWithTracingOff) {
    TempDir dir;
    RecordingDialog dialog;
    CDerivedSlout1 sink(false, dir.file("trace_messages.txt"), &dialog);
    sink.errorW(1, "first");
    sink.errorW(2, "continued");
    sink.errorA(1, "narrow error");
    sink.messageW(1, "only a trace");
    EXPECT_EQ(dialog.texts, (std::vector<std::string>{"first", "continued", "narrow error"}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("trace_messages.txt")));
}

TEST(CDerivedSlout1, TraceLinesAreTimeStampedAndAppended) {
    TempDir dir;
    CDerivedSlout1 sink(true, dir.file("trace_messages.txt"), nullptr);
    sink.messageW(1, "recorderInit: Initializing");
    sink.messageA(1, "narrow line");
    const std::string text = testsupport::readText(dir.file("trace_messages.txt"));
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\[\d\d:\d\d:\d\d\] recorderInit: Initializing\n)"
                                                  R"(\[\d\d:\d\d:\d\d\] narrow line\n)")))
        << text;
}

TEST(CDerivedSlout1, InvalidNarrowTextIsAnInternalError) {
    ReportRecorder reports;
    CDerivedSlout1 sink(false, "/nonexistent/trace.txt", nullptr);
    EXPECT_EQ(sink.outputA(1, "\xff\xfe"), NOT_OKAY);
    EXPECT_TRUE(reports.reported("UTIL/slout/CSlout"));
}

TEST(CDerivedSlout1, LineWaitsWhileTheTraceFileCannotBeOpened) {
    TempDir dir;
    const std::string path = dir.file("trace_messages.txt");
    std::filesystem::create_directory(path);  // a folder where the file should be: opens fail
    CDerivedSlout1 sink(true, path, nullptr);
    std::thread unblock([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(350));
        std::filesystem::remove(path);
    });
    ReportRecorder reports;
    EXPECT_EQ(sink.messageW(1, "not lost"), OKAY);
    unblock.join();
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_NE(testsupport::readText(path).find("] not lost\n"), std::string::npos);
}

TEST(sloutCreate, DeletesAnEarlierTraceFile) {
    TempDir dir;
    testsupport::writeText(dir.file("trace_messages.txt"), "old run\n");
    std::unique_ptr<CDerivedSlout1> sink;
    ASSERT_EQ(sloutCreate(true, dir.str(), nullptr, sink), OKAY);
    ASSERT_TRUE(sink);
    EXPECT_FALSE(std::filesystem::exists(dir.file("trace_messages.txt")));
    EXPECT_EQ(sink->traceFile(), dir.file("trace_messages.txt"));
}

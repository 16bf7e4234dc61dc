// The retrying wrappers: which refusals are retried, for how long, and the
// trace lines a retry leaves, on a scripted iTunes with a virtual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "itunesSdkCOMInterfaceCalls.h"
#include "itunesTestSupport.h"
#include "report.h"
#include "testsupport.h"

using namespace itunestest;

namespace {

struct RetryCase {
    const char* name;
    const char* member;  // scripted member that refuses
    std::vector<ItHresult> refusals;
    bool forGood;  // refuses on every call
    int retryWhenBusy;
    int verbose;
    // which wrapper is called: put_Name, ConvertFile2 or ConvertTrack2
    enum Call { PutName, ConvertFile, ConvertTrack } call;
    ItHresult expected;
    int attempts;
    int retryLines;
    bool timedOutLine;
    std::string returnsLine;  // empty: none
    int64_t sleptMs;
};

const ItHresult kBusy = kItServerBusy;
const ItHresult kLocked = kItObjectLocked;
const ItHresult kConverting = kItConversionInProgress;

// clang-format off
const RetryCase kCases[] = {
    // name, refusing member, refusals, for good, retry flag, verbose, wrapper called,
    // result, attempts, "Retrying" lines, "Retry timedout" line, "returns" line, ms slept
    {"busy once, then done", "IITTrack.put_Name", {kBusy}, false, 1, 1, RetryCase::PutName,
     kItSOk, 2, 1, false, "", 100},
    {"locked for good", "IITTrack.put_Name", {kLocked}, true, 1, 1, RetryCase::PutName,
     kLocked, 100, 100, true, "      itunesSdk_IITTrack_put_Name: returns 0xa0040203", 10000},
    {"a conversion in progress holds ConvertFile2 back", "IiTunes.ConvertFile2", {kConverting, kConverting},
     false, 1, 1, RetryCase::ConvertFile,
     kItSOk, 3, 2, false, "", 200},
    {"a conversion in progress holds ConvertTrack2 back", "IiTunes.ConvertTrack2", {kConverting},
     false, 1, 1, RetryCase::ConvertTrack,
     kItSOk, 2, 1, false, "", 100},
    {"put_Name does not wait for a conversion", "IITTrack.put_Name", {kConverting}, false, 1, 1, RetryCase::PutName,
     kConverting, 1, 0, false, "      itunesSdk_IITTrack_put_Name: returns 0xa0040204", 0},
    {"retry flag off", "IITTrack.put_Name", {kBusy}, false, 0, 1, RetryCase::PutName,
     kBusy, 1, 0, false, "      itunesSdk_IITTrack_put_Name: returns 0x8001010a", 0},
    {"any other failure is returned at once", "IITTrack.put_Name", {kItEFail}, false, 1, 1, RetryCase::PutName,
     kItEFail, 1, 0, false, "      itunesSdk_IITTrack_put_Name: returns 0x80004005", 0},
    {"verbose off writes nothing", "IITTrack.put_Name", {kLocked}, true, 1, 0, RetryCase::PutName,
     kLocked, 100, 0, false, "", 10000},
};
// clang-format on

TEST(itunesSdkCalls, RetryRule) {
    testsupport::TempDir dir;
    for (const RetryCase& c : kCases) {
        SCOPED_TRACE(c.name);
        ScriptedItunes itunes;
        itunes.mediaFolder = dir.str();
        TraceLines trace;
        itunesSdkContext context;
        attach(context, itunes, trace);
        context.retryWhenBusy = c.retryWhenBusy;
        context.verbose = c.verbose;
        ScriptedTrack details;
        details.location = dir.file("source.mp3");
        std::ofstream(details.location) << "audio";
        const int32_t id = itunes.addTrack(details);
        std::shared_ptr<IITObject> object;
        ASSERT_EQ(context.application->GetITObjectByID(1, 1, id, id + 5000, object), kItSOk);
        auto track = std::dynamic_pointer_cast<IITTrack>(object);
        ASSERT_TRUE(track);

        if (c.forGood)
            itunes.failAlways(c.member, c.refusals.front());
        else
            itunes.failNext(c.member, c.refusals);
        const int64_t before = itunes.sleptMs;
        std::shared_ptr<IITOperationStatus> status;
        ItHresult result = kItSOk;
        switch (c.call) {
            case RetryCase::PutName:
                result = itunesSdk_IITTrack_put_Name(&context, track.get(), "New name");
                break;
            case RetryCase::ConvertFile:
                result = itunesSdk_IiTunes_ConvertFile2(&context, details.location, status);
                break;
            case RetryCase::ConvertTrack: {
                ItVariant variant;
                variant.vt = kItVtDispatch;
                variant.dispatch = track;
                result = itunesSdk_IiTunes_ConvertTrack2(&context, variant, status);
                break;
            }
        }
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(itunes.count(c.member), c.attempts);
        EXPECT_EQ(itunes.sleptMs - before, c.sleptMs);
        EXPECT_EQ(trace.count(": Retrying for "), c.retryLines);
        if (c.retryLines > 0) {
            EXPECT_EQ(trace.lines.front().substr(0, 16), "      itunesSdk_");
        }
        EXPECT_EQ(trace.count(": Retry timedout"), c.timedOutLine ? 1 : 0);
        EXPECT_EQ(trace.count(": returns "), c.returnsLine.empty() ? 0 : 1);
        if (!c.returnsLine.empty()) {
            EXPECT_EQ(trace.lines.back(), c.returnsLine);
        }
        if (c.verbose == 0) {
            EXPECT_TRUE(trace.lines.empty());
        }
        if (c.expected == kItSOk && c.call == RetryCase::PutName) {
            std::string name;
            EXPECT_EQ(track->get_Name(name), kItSOk);
            EXPECT_EQ(name, "New name");
        }
    }
}

TEST(itunesSdkCalls, RetryLinesNameTheWrapperAndTheRefusal) {
    ScriptedItunes itunes;
    TraceLines trace;
    itunesSdkContext context;
    attach(context, itunes, trace);
    itunes.failNext("IiTunes.get_Version", {kItServerBusy, kItObjectLocked});
    std::string version;
    EXPECT_EQ(itunesSdk_IiTunes_get_Version(&context, version), kItSOk);
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{"      itunesSdk_IiTunes_get_Version: Retrying for 0x8001010a",
                                        "      itunesSdk_IiTunes_get_Version: Retrying for 0xa0040203"}));
    EXPECT_EQ(version, itunes.version);
}

TEST(itunesSdkCalls, NullContextOrInterfaceIsAnInternalError) {
    ReportRecorder reports;
    ScriptedItunes itunes;
    TraceLines trace;
    itunesSdkContext context;
    attach(context, itunes, trace);
    EXPECT_NE(itunesSdk_IiTunes_Quit(nullptr), kItSOk);
    EXPECT_NE(itunesSdk_IITTrack_put_Name(&context, nullptr, "x"), kItSOk);
    EXPECT_EQ(reports.count(), 2u);
    EXPECT_TRUE(reports.reported("UTIL/itunesSdk/itunesSdkCOMInterfaceCalls"));
    EXPECT_EQ(itunes.count("IiTunes.Quit"), 0);
}

}  // namespace

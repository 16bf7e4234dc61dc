// Result codes and the internal-error report shared by every module.
//
// Every named operation returns OKAY or NOT_OKAY and hands its results out
// through out-parameters. When a call fails where the program does not expect
// it, the failing function reports an internal error naming its module's
// relative source path and the line, then returns NOT_OKAY; each caller on the
// way up reports its own line, so one failure shows as a chain of reports from
// the deepest module to the application.
//
// A report may carry a detail that says why: errno's text, the sound server's
// or SQLite's message. The detail is for the trace and for tests; what the
// user is shown stays the module path and the line.
//
// Where a report goes is replaceable: the application shows a message box
// (text = module path, caption = line) and traces the detail, tests install a
// recorder. The sink may be called from any thread; reportSetSink is meant for
// start-up and tests.
#pragma once

#include <cerrno>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

constexpr int OKAY = 0;
constexpr int NOT_OKAY = 1;

// One internal-error report: the module path (for example
// "../../UTIL/recCache/recCacheInit" or "./recorderInit"), the line, and why
// (empty when the failing call gave no reason).
struct InternalError {
    std::string module;
    int line = 0;
    std::string detail;
    bool operator==(const InternalError&) const = default;
};

using InternalErrorSink = std::function<void(const InternalError&)>;

// Reports one internal error to the current sink and returns NOT_OKAY.
int reportInternalError(const char* module, int line, std::string_view detail = {});

// The system's text for an error number (errno), as "No such file or directory".
std::string reportErrnoText(int errnum);

// Replaces the sink; returns the previous one. An empty sink restores the
// default, which writes "internal error: <module> line <line>" to stderr.
InternalErrorSink reportSetSink(InternalErrorSink sink);

// Each source file names itself once:
//     static constexpr const char* kReportModule = "../../UTIL/pstr/pstr";
// and reports with `return REPORT_ERR();` or `if (f() != OKAY) return REPORT_ERR();`,
// or with a reason: `return REPORT_ERR_WHY(sqlite3_errmsg(db));`, and after a
// failed system call `return REPORT_ERRNO();` (errno's text).
#define REPORT_ERR() reportInternalError(kReportModule, __LINE__)
#define REPORT_ERR_WHY(detail) reportInternalError(kReportModule, __LINE__, (detail))
#define REPORT_ERRNO() reportInternalError(kReportModule, __LINE__, reportErrnoText(errno))

// Runs `call`; when it does not return OKAY, reports this line and returns NOT_OKAY
// from the enclosing function.
#define REPORT_CHECK(call)                       \
    do {                                         \
        if ((call) != OKAY) return REPORT_ERR(); \
    } while (0)

// The same, with the detail (evaluated only when the call failed): for a
// platform call whose object keeps its reason, as
//     REPORT_CHECK_WHY(stream->start(), stream->lastError());
#define REPORT_CHECK_WHY(call, detail)                     \
    do {                                                   \
        if ((call) != OKAY) return REPORT_ERR_WHY(detail); \
    } while (0)

// Collects reports while alive and restores the previous sink afterwards.
// Thread-safe, so reports from engine threads are caught too.
class ReportRecorder {
  public:
    ReportRecorder();
    ~ReportRecorder();
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    std::vector<InternalError> reports() const;
    size_t count() const;
    bool reported(const std::string& moduleSuffix) const;  // any report whose module ends so
    std::vector<std::string> details() const;              // the non-empty details, in order
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<InternalError> reports_;
    InternalErrorSink previous_;
};

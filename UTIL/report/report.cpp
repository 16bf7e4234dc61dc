// Internal-error reporting: the replaceable sink and the test recorder.
#include "report.h"

#include <cstdio>
#include <system_error>

namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

InternalErrorSink& currentSink() {
    static InternalErrorSink sink;
    return sink;
}

void defaultSink(const InternalError& e) {
    if (e.detail.empty())
        std::fprintf(stderr, "internal error: %s line %d\n", e.module.c_str(), e.line);
    else
        std::fprintf(stderr, "internal error: %s line %d: %s\n", e.module.c_str(), e.line, e.detail.c_str());
}

}  // namespace

int reportInternalError(const char* module, int line, std::string_view detail) {
    InternalError e{module ? module : "", line, std::string(detail)};
    InternalErrorSink sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink)
        sink(e);
    else
        defaultSink(e);
    return NOT_OKAY;
}

std::string reportErrnoText(int errnum) { return std::generic_category().message(errnum); }

InternalErrorSink reportSetSink(InternalErrorSink sink) {
    std::lock_guard lock(sinkMutex());
    InternalErrorSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

ReportRecorder::ReportRecorder() {
    previous_ = reportSetSink([this](const InternalError& e) {
        std::lock_guard lock(mutex_);
        reports_.push_back(e);
    });
}

ReportRecorder::~ReportRecorder() { reportSetSink(std::move(previous_)); }

std::vector<InternalError> ReportRecorder::reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
}

size_t ReportRecorder::count() const {
    std::lock_guard lock(mutex_);
    return reports_.size();
}

bool ReportRecorder::reported(const std::string& moduleSuffix) const {
    std::lock_guard lock(mutex_);
    for (const auto& r : reports_)
        if (r.module.size() >= moduleSuffix.size() &&
            r.module.compare(r.module.size() - moduleSuffix.size(), moduleSuffix.size(), moduleSuffix) == 0)
            return true;
    return false;
}

std::vector<std::string> ReportRecorder::details() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& r : reports_)
        if (!r.detail.empty()) out.push_back(r.detail);
    return out;
}

void ReportRecorder::clear() {
    std::lock_guard lock(mutex_);
    reports_.clear();
}

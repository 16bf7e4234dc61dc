// Trace sink: the silent base and the application's file-and-dialog sink.
#include "CSlout.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "Ptime.h"
#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/slout/CSlout";

int CSlout::lineCount() const {
    std::lock_guard lock(mutex_);
    return lineCount_;
}

int CSlout::nextLine(int line) {
    std::lock_guard lock(mutex_);
    lineCount_ = (line == 1) ? 1 : lineCount_ + 1;
    return lineCount_;
}

std::string CSlout::decorate(std::string_view prefix, int line, std::string_view text) {
    std::string out;
    if (line == 1) {
        out.append(prefix).append(": ");
    } else {
        out.append("   ");
    }
    out.append(text);
    return out;
}

int CSlout::outputA(int, std::string_view) { return OKAY; }
int CSlout::outputW(int, std::string_view) { return OKAY; }

int CSlout::messageA(int line, std::string_view text) { return outputA(nextLine(line), text); }
int CSlout::messageW(int line, std::string_view text) { return outputW(nextLine(line), text); }

int CSlout::errorA(int line, std::string_view text) {
    return outputA(nextLine(line), decorate("Error", line, text));
}
int CSlout::warningA(int line, std::string_view text) {
    return outputA(nextLine(line), decorate("Warning", line, text));
}
int CSlout::errorW(int line, std::string_view text) {
    return outputW(nextLine(line), decorate("Error", line, text));
}
int CSlout::warningW(int line, std::string_view text) {
    return outputW(nextLine(line), decorate("Warning", line, text));
}

CDerivedSlout1::CDerivedSlout1(bool verbose, std::string traceFile, ModalMessageDialog* dialog)
    : verbose_(verbose), traceFile_(std::move(traceFile)), dialog_(dialog) {}

int CDerivedSlout1::outputA(int line, std::string_view text) {
    if (!pstrIsUtf8(text)) return REPORT_ERR();
    return outputW(line, text);
}

int CDerivedSlout1::errorA(int line, std::string_view text) {
    if (!pstrIsUtf8(text)) return REPORT_ERR();
    return errorW(line, text);
}

int CDerivedSlout1::errorW(int line, std::string_view text) {
    if (dialog_) {
        bool confirmed = false;
        dialog_->show(text, false, confirmed);
    }
    return outputW(line, text);
}

int CDerivedSlout1::outputW(int, std::string_view text) {
    if (!verbose_) return OKAY;

    std::string clock;
    if (PtimeNowClockText(clock) != OKAY) return REPORT_ERR();

    // Open, append and close for every line, so that a crash leaves nothing
    // buffered and other programs can read the file while we run.
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        f = std::fopen(traceFile_.c_str(), "a");
        if (f) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
    }
    if (!f) return REPORT_ERR_WHY(traceFile_ + ": " + reportErrnoText(errno));
    std::string lineText = "[";
    lineText.append(clock).append("] ").append(text).append("\n");
    const bool written = std::fwrite(lineText.data(), 1, lineText.size(), f) == lineText.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) return REPORT_ERR();
    return OKAY;
}

int sloutCreate(bool verbose, const std::string& folder, ModalMessageDialog* dialog,
                std::unique_ptr<CDerivedSlout1>& out) {
    std::string path = folder;
    if (!path.empty() && path.back() == '/') path.pop_back();
    path += "/trace_messages.txt";
    auto sink = std::make_unique<CDerivedSlout1>(verbose, path, dialog);
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::remove(path, ec)) {
        const std::string why = ec ? ec.message() : reportErrnoText(errno);
        sink->errorW(1, path + ": " + why);
        return REPORT_ERR_WHY(why);
    }
    out = std::move(sink);
    return OKAY;
}

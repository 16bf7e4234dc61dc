// Trace sink: the silent base and the application's file-and-dialog sink.
#include "CSlout.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>

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

bool sloutIsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            n = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            cp = c & 0x07;
        } else
            return false;
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

CDerivedSlout1::CDerivedSlout1(bool verbose, std::string traceFile, ModalMessageDialog* dialog)
    : verbose_(verbose), traceFile_(std::move(traceFile)), dialog_(dialog) {}

int CDerivedSlout1::outputA(int line, std::string_view text) {
    if (!sloutIsUtf8(text)) return REPORT_ERR();
    return outputW(line, text);
}

int CDerivedSlout1::errorA(int line, std::string_view text) {
    if (!sloutIsUtf8(text)) return REPORT_ERR();
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

    char clock[16];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);

    // Open, append and close for every line, so that a crash leaves nothing
    // buffered and other programs can read the file while we run.
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        f = std::fopen(traceFile_.c_str(), "a");
        if (f) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
    }
    if (!f) return REPORT_ERR();
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
        sink->errorW(1, path + ": " + std::strerror(ec ? ec.value() : errno));
        return REPORT_ERR();
    }
    out = std::move(sink);
    return OKAY;
}

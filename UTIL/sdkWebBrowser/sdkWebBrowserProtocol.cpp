// The page protocol of the browser host. See sdkWebBrowserProtocol.h.
#include "sdkWebBrowserProtocol.h"

#include <climits>

#include "pstr.h"

namespace {

constexpr std::string_view kCommandPrefix = "app_command_";
constexpr std::string_view kCommandClass = "app_command";
constexpr std::string_view kMessageWord = "message";

}  // namespace

long sdkWebBrowserIntegerValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\f' || text[i] == '\v'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<long>(value);
}

int sdkWebBrowserCommandNumber(std::string_view id) {
    if (id.size() != kCommandPrefix.size() + 1 || id.substr(0, kCommandPrefix.size()) != kCommandPrefix)
        return 0;
    const char digit = id.back();
    return digit >= '1' && digit <= '0' + kSdkWebBrowserCommandCount ? digit - '0' : 0;
}

bool sdkWebBrowserIsCommandClass(std::string_view className) {
    return className.find(kCommandClass) != std::string_view::npos;
}

void sdkWebBrowserPageSize(bool hasWidth, std::string_view width, bool hasHeight, std::string_view height,
                           int& pageWidth, int& pageHeight) {
    pageWidth = hasWidth ? static_cast<int>(sdkWebBrowserIntegerValue(width)) : kSdkWebBrowserDefaultWidth;
    pageHeight =
        hasHeight ? static_cast<int>(sdkWebBrowserIntegerValue(height)) : kSdkWebBrowserDefaultHeight;
}

sdkWebBrowserClick sdkWebBrowserParseClick(std::string_view id, std::string_view className) {
    sdkWebBrowserClick click;
    if (className == kCommandClass) {
        if (id.size() <= kCommandPrefix.size()) {
            click.kind = sdkWebBrowserClick::BadId;
            return click;
        }
        click.kind = sdkWebBrowserClick::Command;
        click.command = sdkWebBrowserIntegerValue(id.substr(kCommandPrefix.size()));
        return click;
    }
    // "message" '^' id ['^' text]: without the second separator the text is empty.
    const size_t first = className.find('^');
    if (first == std::string_view::npos || className.substr(0, first) != kMessageWord) return click;
    const size_t second = className.find('^', first + 1);
    const std::string_view idText = className.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    std::string_view text =
        second == std::string_view::npos ? std::string_view() : className.substr(second + 1);
    const size_t lineEnd = text.find_first_of("\r\n");
    if (lineEnd != std::string_view::npos) text = text.substr(0, lineEnd);
    click.kind = sdkWebBrowserClick::Data;
    click.dataId = sdkWebBrowserIntegerValue(idText);
    click.text = pstrCutToUnits(text, kSdkWebBrowserDataTextMax);
    return click;
}

sdkWebBrowserFailure sdkWebBrowserClassifyFailure(sdkWebBrowserErrorDomain domain, int code) {
    using F = sdkWebBrowserFailure;
    // A server's answer with an error status is a page of its own, shown as it came.
    if (domain == sdkWebBrowserErrorDomain::HttpStatus) return F::Other;
    // The network layer's error numbers.
    switch (code) {
        case -300:  // invalid address
        case -301:  // scheme not allowed
        case -302:  // unknown scheme
            return F::InvalidAddress;
        case -106:  // internet disconnected
            return F::NoConnection;
        case -100:  // connection closed
        case -101:  // connection reset
        case -102:  // connection refused
        case -103:  // connection aborted
        case -104:  // connection failed
        case -108:  // address invalid
        case -109:  // address unreachable
            return F::CannotConnect;
        case -105:  // name not resolved
        case -137:  // name resolution failed
            return F::ServerNotFound;
        case -6:  // no such file
            return F::NotFound;
        case -7:    // timed out
        case -118:  // connection timed out
            return F::TimedOut;
        default:
            return F::Other;
    }
}

bool sdkWebBrowserCancelsFailure(sdkWebBrowserFailure failure) {
    return failure != sdkWebBrowserFailure::Other;
}

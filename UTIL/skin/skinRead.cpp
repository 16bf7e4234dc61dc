// Reader of skin definition files (see skinRead.h).
#include "skinRead.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "hwnd.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/skin/skinRead";

int skinReadLineOptional(std::FILE* file, std::string& line, bool& found) {
    found = false;
    if (!file) return REPORT_ERR();
    char buffer[kSkinReadMaxLine + 1];
    for (;;) {
        if (!std::fgets(buffer, sizeof buffer, file)) {
            if (std::ferror(file)) return REPORT_ERRNO();
            return OKAY;
        }
        // A NUL byte ends what fgets hands back; such a read counts as empty.
        const size_t length = std::strlen(buffer);
        if (length == 0 || buffer[0] == '\r' || buffer[0] == '\n') continue;
        line.assign(buffer, length);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        while (!line.empty() && line.back() == ' ') line.pop_back();
        found = true;
        return OKAY;
    }
}

int skinReadLine(std::FILE* file, std::string& line) {
    bool found = false;
    REPORT_CHECK(skinReadLineOptional(file, line, found));
    if (!found) return REPORT_ERR_WHY("the definition ends before a needed line");
    return OKAY;
}

bool skinReadParseInt(const std::string& text, size_t& pos, int& value) {
    size_t i = pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    long long number = 0;
    bool overflow = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (!overflow) number = number * 10 + (text[i] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1) overflow = true;
    }
    if (negative) number = -number;
    if (overflow || number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    pos = i;
    return true;
}

int skinReadInt(std::FILE* file, int& value) {
    std::string line;
    REPORT_CHECK(skinReadLine(file, line));
    size_t pos = 0;
    skinReadParseInt(line, pos, value);
    return OKAY;
}

// A coordinate of the definition, kept to a screen coordinate's range: the
// skin's arithmetic (a knob's travel, a hover's rectangle) then cannot overflow.
static int readCoordinate(std::FILE* file, int& value) {
    REPORT_CHECK(skinReadInt(file, value));
    value = hwndClampCoord(value);
    return OKAY;
}

int skinReadPoint(std::FILE* file, int& x, int& y) {
    REPORT_CHECK(readCoordinate(file, x));
    REPORT_CHECK(readCoordinate(file, y));
    return OKAY;
}

int skinReadRect(std::FILE* file, int& left, int& top, int& right, int& bottom) {
    REPORT_CHECK(readCoordinate(file, left));
    REPORT_CHECK(readCoordinate(file, top));
    REPORT_CHECK(readCoordinate(file, right));
    REPORT_CHECK(readCoordinate(file, bottom));
    return OKAY;
}

int skinReadRectOptional(std::FILE* file, int& left, int& top, int& right, int& bottom, bool& found) {
    std::string line;
    REPORT_CHECK(skinReadLineOptional(file, line, found));
    if (!found) return OKAY;
    size_t pos = 0;
    // Free text where the group would begin is not the group.
    found = skinReadParseInt(line, pos, left);
    if (!found) return OKAY;
    left = hwndClampCoord(left);
    REPORT_CHECK(readCoordinate(file, top));
    REPORT_CHECK(readCoordinate(file, right));
    REPORT_CHECK(readCoordinate(file, bottom));
    return OKAY;
}

int skinReadColour(std::FILE* file, int& a, int& b, int& c) {
    std::string line;
    REPORT_CHECK(skinReadLine(file, line));
    int values[3] = {-1, -1, -1};
    size_t pos = 0;
    // Like sscanf "%d,%d,%d": a number, then a comma right after it, and so on.
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (pos >= line.size() || line[pos] != ',') break;
            ++pos;
        }
        if (!skinReadParseInt(line, pos, values[k])) break;
    }
    for (int v : values)
        if (v < 0 || v > 255) return REPORT_ERR();
    a = values[0];
    b = values[1];
    c = values[2];
    return OKAY;
}

// Numeric checks used on stored settings and edited fields, and the step of
// the pseudo-random generator that gives cache files their unique names.
#include "Mth.h"

#include <algorithm>

#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/Mth/Mth";

bool MthIsNumeric(std::string_view text) {
    if (text.empty()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') continue;
        if (c == '-' && i == 0) continue;
        return false;
    }
    return true;
}

bool MthIsHexadecimal(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

int MthRandomStep(int32_t& x) {
    constexpr int32_t a = 41358, m = 2147483647, q = m / a, r = m % a;  // q = 51924, r = 10855
    static_assert(q == 51924 && r == 10855);
    // Schrage's method is exact only for states inside the cycle; any other
    // state (0, negative, m) has no valid successor.
    if (x < 1 || x > m - 1) return REPORT_ERR();
    const int32_t hi = x / q, lo = x % q;
    int32_t t = a * lo - r * hi;
    if (t <= 0) t += m;
    if (t < 1 || t > m - 1) return REPORT_ERR();
    x = t;
    return OKAY;
}

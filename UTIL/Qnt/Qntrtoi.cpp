// Real-to-integer quantizer (see Qnt.h).
#include "Qnt.h"

#include <cmath>

#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/Qnt/Qntrtoi";

int QntRealToIntInit(QntRealToInt& q, double r0, double r1, int i0, int i1) {
    if (r1 == r0) return REPORT_ERR();
    q.r0 = r0;
    q.r1 = r1;
    q.i0 = i0;
    q.i1 = i1;
    q.scale = (static_cast<double>(i1) - static_cast<double>(i0)) / (r1 - r0);
    return OKAY;
}

int QntRealToIntConvert(const QntRealToInt& q, double value, int& out) {
    const double x = (value - q.r0) * q.scale + q.i0 + 0.5;
    // A NaN or a value far outside the range must not become undefined behaviour.
    if (!std::isfinite(x) || x < -2147483648.0 || x > 2147483647.0) return REPORT_ERR();
    out = static_cast<int>(x);
    return OKAY;
}

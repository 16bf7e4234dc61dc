// Integer-to-real quantizer: the linear lookup table (see Qnt.h).
#include "Qnt.h"

#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/Qnt/Qntitor";

int QntIntToRealInit(QntIntToReal& q, int i0, int i1, float r0, float r1) {
    q.i0 = i0;
    q.i1 = i1;
    q.table.clear();
    const long long n = static_cast<long long>(i1) - i0 + 1;
    if (n <= 0) return OKAY;
    if (n > 1 << 24) return REPORT_ERR();  // no slider is sixteen million pixels wide
    q.table.resize(static_cast<size_t>(n));
    const float step = n > 1 ? (r1 - r0) / static_cast<float>(i1 - i0) : 0.0f;
    for (long long k = 0; k < n; ++k) q.table[static_cast<size_t>(k)] = r0 + step * static_cast<float>(k);
    q.table.back() = r1;
    return OKAY;
}

int QntIntToRealLookup(const QntIntToReal& q, int i, float& out) {
    const long long k = static_cast<long long>(i) - q.i0;
    if (k < 0 || k >= static_cast<long long>(q.table.size())) return REPORT_ERR();
    out = q.table[static_cast<size_t>(k)];
    return OKAY;
}

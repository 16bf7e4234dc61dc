// Quantizers: conversions between a real range and a range of integers.
//
// The skin's sliders use them to turn a value in 0.0..1.0 into the pixel of
// the knob's centre and back. Real-to-integer is arithmetic; integer-to-real
// is a table with one entry per integer, built once, so that the many
// conversions while a knob is dragged cost only an index.
#pragma once

#include <vector>

// Linear converter from [r0, r1] to [i0, i1]: v -> (int)((v - r0) * scale + i0 + 0.5).
struct QntRealToInt {
    double r0 = 0.0;
    double r1 = 1.0;
    int i0 = 0;
    int i1 = 0;
    double scale = 0.0;  // (i1 - i0) / (r1 - r0)
};

// An empty real range (r1 == r0) is an internal error.
int QntRealToIntInit(QntRealToInt& q, double r0, double r1, int i0, int i1);
int QntRealToIntConvert(const QntRealToInt& q, double value, int& out);

// Lookup table from every integer of [i0, i1] to a float: entry k is
// r0 + step * k with step = (r1 - r0) / (i1 - i0) in float, except that the
// last entry is exactly r1. A range of one integer holds just r1; a reversed
// range (i1 < i0) gives an empty table in which every lookup fails.
struct QntIntToReal {
    int i0 = 0;
    int i1 = 0;
    std::vector<float> table;
};

int QntIntToRealInit(QntIntToReal& q, int i0, int i1, float r0, float r1);
// An integer outside [i0, i1] is an internal error (out untouched).
int QntIntToRealLookup(const QntIntToReal& q, int i, float& out);

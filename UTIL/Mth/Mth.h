// Numeric checks and the random step of the track-name generator.
#pragma once

#include <cstdint>
#include <string_view>

// At least one character, each a decimal digit except a "-" allowed in the first place.
bool MthIsNumeric(std::string_view text);
// Every character 0-9, a-f or A-F (and at least one character).
bool MthIsHexadecimal(std::string_view text);
// x <- 41358 * x mod 2147483647, computed without overflow by Schrage's method
// (quotient 51924, remainder 10855). A result outside 1..2147483646 is an
// internal error (NOT_OKAY, x unchanged).
int MthRandomStep(int32_t& x);

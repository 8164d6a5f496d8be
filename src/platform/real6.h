#pragma once
#include <array>
#include <cstdint>

namespace qv {

// The 6-byte real of the program's files: exponent byte biased by 129 (0 means zero), then a
// 39-bit mantissa with a hidden leading bit, least significant byte first; the sign is the top
// bit of the last byte.
using Real6 = std::array<uint8_t, 6>;

// Rounds to the nearest representable value; values too small give zero, values beyond the
// format's range (about 1.7e38) and non-finite values are saturated to the largest magnitude.
// The same rounding on an extended value, for computations that keep every intermediate as the
// files would hold it: 40 significant bits, halves away from zero.
long double Real6Round(long double value);
Real6 EncodeReal6(double value);
void EncodeReal6(double value, uint8_t* out);
double DecodeReal6(const uint8_t* in);
inline double DecodeReal6(const Real6& r) {
    return DecodeReal6(r.data());
}

}  // namespace qv

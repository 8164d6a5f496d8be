#include "platform/real6.h"

#include <cmath>
#include <cstring>

namespace qv {

namespace {
constexpr uint64_t kMantissaBits = 39;
constexpr uint64_t kMantissaMask = (uint64_t(1) << kMantissaBits) - 1;
}  // namespace

long double Real6Round(long double value) {
    if (value == 0 || std::isnan(value)) return 0;
    const long double largest = std::ldexp(std::ldexp(1.0L, int(kMantissaBits) + 1) - 1, 255 - 129 + 1 - 40);
    if (std::isinf(value)) return value < 0 ? -largest : largest;
    // |value| = f * 2^e with f in [0.5, 1); the format keeps 40 bits of f (the hidden one too).
    int e = 0;
    const long double f = std::frexp(std::fabs(value), &e);
    const long double m = std::round(std::ldexp(f, int(kMantissaBits) + 1));  // in [2^39, 2^40]
    const int biased = e - 1 + 129 + (m >= std::ldexp(1.0L, int(kMantissaBits) + 1) ? 1 : 0);
    if (biased <= 0) return 0;  // underflow: zero
    const long double r = biased > 255 ? largest : std::ldexp(m, e - int(kMantissaBits) - 1);
    return value < 0 ? -r : r;
}

void EncodeReal6(double value, uint8_t* out) {
    std::memset(out, 0, 6);
    const long double r = Real6Round(value);
    if (r == 0) return;
    // r is exact in the format: 1.m * 2^(e-1) with f = r / 2^e in [0.5, 1).
    int e = 0;
    const long double f = std::frexp(std::fabs(r), &e);
    const uint64_t full = uint64_t(std::ldexp(f, int(kMantissaBits) + 1));  // in [2^39, 2^40)
    out[0] = uint8_t(e - 1 + 129);
    const uint64_t mant = full & kMantissaMask;
    for (int i = 0; i < 5; ++i) out[1 + i] = uint8_t(mant >> (8 * i));
    if (r < 0) out[5] |= 0x80;
}

Real6 EncodeReal6(double value) {
    Real6 r{};
    EncodeReal6(value, r.data());
    return r;
}

double DecodeReal6(const uint8_t* in) {
    if (in[0] == 0) return 0.0;
    uint64_t mant = 0;
    for (int i = 0; i < 5; ++i) mant |= uint64_t(in[1 + i]) << (8 * i);
    const bool negative = (mant >> kMantissaBits) & 1;
    mant &= kMantissaMask;
    const double f = 1.0 + std::ldexp(double(mant), -int(kMantissaBits));
    const double v = std::ldexp(f, int(in[0]) - 129);
    return negative ? -v : v;
}

}  // namespace qv

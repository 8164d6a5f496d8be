#include "platform/real6.h"

#include <cmath>
#include <cstring>

namespace qv {

namespace {
constexpr uint64_t kMantissaBits = 39;
constexpr uint64_t kMantissaMask = (uint64_t(1) << kMantissaBits) - 1;
}  // namespace

void EncodeReal6(double value, uint8_t* out) {
    std::memset(out, 0, 6);
    if (value == 0.0 || std::isnan(value)) return;
    const bool negative = value < 0;
    double mag = std::fabs(value);
    int exp2 = 0;
    uint64_t mant = 0;
    if (std::isinf(mag)) {
        exp2 = 255 - 129 + 1;
        mant = kMantissaMask;
    } else {
        // mag = f * 2^e with f in [0.5, 1); the format wants 1.m * 2^(e-1).
        double f = std::frexp(mag, &exp2);
        double scaled = std::ldexp(f, int(kMantissaBits) + 1);  // in [2^39, 2^40)
        uint64_t full = uint64_t(std::llround(scaled));
        if (full >> (kMantissaBits + 1)) {  // rounding carried into a new bit
            full >>= 1;
            ++exp2;
        }
        mant = full & kMantissaMask;
    }
    int biased = exp2 - 1 + 129;
    if (biased <= 0) return;  // underflow: zero
    if (biased > 255) {
        biased = 255;
        mant = kMantissaMask;
    }
    out[0] = uint8_t(biased);
    for (int i = 0; i < 5; ++i) out[1 + i] = uint8_t(mant >> (8 * i));
    if (negative) out[5] |= 0x80;
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

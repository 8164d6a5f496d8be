#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/real6.h"

namespace qv::test {

// The bytes of a factor loadings file: each factor's loadings as 6-byte reals, factor after
// factor (a factor may be given short, to make a file cut inside a factor).
inline std::string LoadingsBytes(const std::vector<std::vector<double>>& factors) {
    std::string bytes;
    for (const auto& factor : factors)
        for (double l : factor) {
            const Real6 r = EncodeReal6(l);
            bytes.append(reinterpret_cast<const char*>(r.data()), r.size());
        }
    return bytes;
}

// The loadings a file holds, in file order.
inline std::vector<double> LoadingsOf(const std::string& bytes) {
    std::vector<double> out;
    for (size_t at = 0; at + 6 <= bytes.size(); at += 6)
        out.push_back(DecodeReal6(reinterpret_cast<const uint8_t*>(bytes.data()) + at));
    return out;
}

}  // namespace qv::test

#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace qv::test {

// The bytes of a file of 16-bit numbers (grid-line lists, orders), little-endian.
inline std::string Int16Bytes(const std::vector<int>& values) {
    std::string bytes;
    for (int v : values) AppendI16(bytes, int16_t(v));
    return bytes;
}

}  // namespace qv::test

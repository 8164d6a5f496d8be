#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "support/temp_dir.h"

namespace qv::test {

// One record of the count table: the grid line's counts per column and its total.
using CountRecord = std::array<int32_t, 12>;

// The count table "tab-sch.dat" of the archive in `dir` (ending with '/'), as the counting pass
// leaves it.
inline void WriteCountTable(const std::string& dir, const std::vector<CountRecord>& records) {
    std::string bytes;
    for (const CountRecord& r : records)
        for (int32_t v : r) AppendI32(bytes, v);
    WriteBytes(dir + "tab-sch.dat", bytes);
}

}  // namespace qv::test

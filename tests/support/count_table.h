#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/core_state.h"
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

// A report test over reset program state whose archive and program directory are both its own
// temporary directory: the pass files, the grid and the report "tabella.txt" side by side.
class CountReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
    }
    void WriteCounts(const std::vector<CountRecord>& records) const { WriteCountTable(dir.Path(), records); }
    std::string Report() const { return ReadBytes(dir / "tabella.txt"); }

    TempDir dir;
};

}  // namespace qv::test

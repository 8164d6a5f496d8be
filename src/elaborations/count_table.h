#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The count table "tab-sch.dat" as the reports read it, and the checks that keep a report from
// printing counts under labels they were not counted on.

constexpr int kCountTableFields = 12;  // field 0 reserved (record 0: grid fingerprint), 1..10, all
constexpr int kCountTableAllCards = 11;
// Field 11 of record N + 1, which holds no count: 1 when the cells are sums of the unit variable.
constexpr int kCountedByUnitField = 11;
constexpr int kMaxCountedColumns = 10;

using CountRecord = std::array<int32_t, kCountTableFields>;

// Text asking to count again, shown when a report refuses counts of another grid or columns.
constexpr int kStaleCountsText = 1691;

enum class CountTableState {
    Ready,    // counted on the grid and the columns chosen now
    Missing,  // no count table
    Stale,    // counted on another grid or other columns: count again
};

struct CountTable {
    CountTableState State = CountTableState::Missing;
    std::vector<CountRecord> Records;  // 0 .. N + 1 when Ready
    std::vector<int> ColumnLines;      // column k (1-based) at k - 1: its grid line
    int Columns() const { return int(ColumnLines.size()); }
    int32_t At(int line, int field) const { return Records[size_t(line)][size_t(field)]; }
    int32_t GrandTotal() const { return At(0, kCountTableAllCards); }
    bool CountedByUnit() const { return Records.back()[kCountedByUnitField] == 1; }
};

// The first lines flagged in StandardColumnFlags among `gridLines`, at most ten, in line order.
std::vector<int32_t> FlaggedColumnLines(int gridLines);
// The columns of the category count: the flagged lines, or line 1 when none is flagged.
std::vector<int32_t> CountedColumns(int gridLines);

// A fingerprint of the bytes of "grl-sch.txt" as it is now, never 0 (0 in a table means it
// was written without one).
int32_t GridFingerprint();

// Reads the count table for a grid of `gridLines` lines read now. Stale unless it has exactly
// the records that grid gives, names the columns chosen now in record N + 1, and carries this
// grid's fingerprint in record 0 (a fingerprint of 0 is not checked).
CountTable ReadCountTable(int gridLines);

}  // namespace qv

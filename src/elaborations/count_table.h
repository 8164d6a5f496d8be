#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The count table "tab-sch.dat" as the reports read it, and the checks that keep a report from
// printing counts under labels they were not counted on.

// Field 0 holds no count: the grid fingerprint in record 0, 1 in record r when category r was
// counted, and in record N + 1 the unit the count was made in (CountedUnitMark; 0 in a table
// written without these records, which keeps only the grid and column checks).
constexpr int kCountTableFields = 12;  // field 0 as above, columns 1..10, all cards
constexpr int kCountTableAllCards = 11;
constexpr int kCountedRowField = 0;
constexpr int kCountedUnitField = 0;
// Field 11 of record N + 1, which holds no count: 1 when the cells are sums of the unit variable.
constexpr int kCountedByUnitField = 11;
constexpr int kMaxCountedColumns = 10;
// A cell whose weighted count does not fit 32 bits; the reports print it as too large.
constexpr int32_t kCountTooLarge = 2147483647;
// The line a report ends with when it printed such a cell.
constexpr int kCountTooLargeText = 2171;

// The unit mark of record N + 1: 1 for cards counted one each, 2 + the unit variable's line
// when the unit option is on.
constexpr int32_t CountedUnitMark(bool byUnit, int unitVar) {
    return byUnit ? 2 + unitVar : 1;
}

using CountRecord = std::array<int32_t, kCountTableFields>;

// Texts asking to count again, shown when a report refuses counts of another grid or columns,
// or counts that leave out a row chosen now or were made in another unit.
constexpr int kStaleCountsText = 1691;
constexpr int kUncountedRowsText = 2170;

enum class CountTableState {
    Ready,      // counted on the grid and the columns chosen now
    Missing,    // no count table
    Stale,      // counted on another grid or other columns: count again
    Uncounted,  // a row chosen now was not counted, or the unit differs: count again
};

struct CountTable {
    CountTableState State = CountTableState::Missing;
    std::vector<CountRecord> Records;  // 0 .. N + 1 when Ready
    std::vector<int> ColumnLines;      // column k (1-based) at k - 1: its grid line
    int Columns() const { return int(ColumnLines.size()); }
    int32_t At(int line, int field) const { return Records[size_t(line)][size_t(field)]; }
    int32_t GrandTotal() const { return At(0, kCountTableAllCards); }
    bool CountedByUnit() const { return Records.back()[kCountedByUnitField] == 1; }
    // A cell whose count did not fit its record.
    static bool TooLarge(int32_t cell) { return cell == kCountTooLarge; }
};

// The first lines flagged in StandardColumnFlags among `gridLines`, at most ten, in line order.
std::vector<int32_t> FlaggedColumnLines(int gridLines);
// The columns of the category count: the flagged lines, or line 1 when none is flagged.
std::vector<int32_t> CountedColumns(int gridLines);

// The fingerprint (FileFingerprint) of "grl-sch.txt", and of "grq-sch.txt", whose lines name
// the quantitative figures.
int32_t GridFingerprint();
int32_t QuantGridFingerprint();

// Reads the count table for a grid of `gridLines` lines read now. Stale unless it has exactly
// the records that grid gives, names the columns chosen now in record N + 1, and carries this
// grid's fingerprint in record 0 (a fingerprint of 0 is not checked). A table that records its
// unit is Uncounted when a line flagged in StandardRowFlags was not counted or the unit option
// and variable differ from CoreState's.
CountTable ReadCountTable(int gridLines);

}  // namespace qv

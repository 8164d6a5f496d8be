#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "elaborations/count_table.h"
#include "elaborations/grid_files.h"

namespace qv {

// Cross tables: the count table "tab-sch.dat" of the last counting pass turned into text in
// "tabella.txt" (program directory), either as one table per row variable against the columns,
// with percentages and chi-square, or as the synoptic table of the marked variables.

// The per-line tables a cross report keeps, index = 1-based grid line (entry 0 unused).
struct CrossTableLines {
    int Count = 0;                            // grid lines read, at most 4000
    std::vector<std::string> Labels;          // text before the first '*', 30 characters
    std::vector<int> Variable;                // lines so far whose code begins with 'G'
    std::vector<int> Parent;                  // parent line, 0 = none
    std::vector<int> Synoptic;                // synoptic group of a variable's first line, 0 = none
    std::vector<uint8_t> MultiAnswer;         // the line's variable tests several fields together
    std::vector<std::string> ColumnHeadings;  // of the first 11 column lines, 7 characters
};

// Reads "grl-sch.txt" into the per-line tables and rewrites the label file "tx2-sch.dat"
// (31-byte records: a length byte and the 30-character label). In the synoptic form the lines
// not chosen as rows have variable and synoptic number 0. Raises the input/output error when
// the grid does not open.
CrossTableLines RebuildCrossTableLines(bool synoptic);

// Critical chi-square values of "chi2.imp": row df - 1 (df 1..30), the three levels in the
// order of the stars; a field that does not read as a number is absent.
struct ChiSquareTable {
    int Rows = 0;
    std::array<std::array<std::optional<double>, 3>, 30> Critical{};
};
// nullopt when the file does not open. Lines past the thirtieth are not read.
std::optional<ChiSquareTable> LoadChiSquareTable(const std::string& path);
// One '*' per level whose critical value for df the chi-square exceeds; none past df 30 or for
// a df the table does not have.
std::string ChiSquareStars(const ChiSquareTable& table, double chiSquare, int df);

// Pearson's chi-square of the cells a table shows (rows x columns). The expected count of a
// cell is (its row's shown sum) x (its column's shown sum) / (all shown cells), so cards the
// table does not show (missing answers, rows left out) never enter it; rows and columns whose
// shown cells sum to 0 do not count in the degrees of freedom. Df 0: no test.
struct PearsonTest {
    double ChiSquare = 0;
    int Df = 0;
};
PearsonTest PearsonChiSquare(const std::vector<std::vector<int64_t>>& cells);

// The class a grid line tests, for the overlap check of the stars (Field 0: never true).
struct ClassBounds {
    int32_t Field = 0, Low = 0, High = 0;
};
ClassBounds ClassOfLine(const CategoryGrid& grid, int line);
// Whether two of `classes` test the same field with intersecting Low..High ranges, so that a
// card may fall in both.
bool ClassesOverlap(const std::vector<ClassBounds>& classes);

// Whether the stars of the critical-value table mean anything for a table: not when a card may
// fall in several columns or rows (columns of different variables, a multi-answer column or row
// variable, overlapping classes among the shown rows or among the columns) nor when the cells
// are sums of a unit variable rather than cards.
bool StarsApply(bool columnsOfOneVariable, bool multiAnswer, bool classesOverlap, bool byQuantityUnit);

// The cross-table report with the options of CoreState (percentages, borders, wide cells, tabs,
// headings, chi-square, empty rows, column heading texts). Anything but Ready (no count table,
// or a stale one) stores CoreState.ProceedFlag 0 and leaves "tabella.txt" untouched.
// Turns CoreState.ChiSquare off when "chi2.imp" does not open and CoreState.TableHeadings off
// when "tin-sch.txt" does not.
CountTableState WriteCrossTableReport();

// The synoptic table: per column, the counts and percentages of each marked variable on one
// line. Answers as WriteCrossTableReport does.
CountTableState WriteSynopticTable();

}  // namespace qv

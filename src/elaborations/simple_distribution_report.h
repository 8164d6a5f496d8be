#pragma once

#include "elaborations/count_table.h"

namespace qv {

// Grid lines a standard elaboration can run on.
constexpr int kMaxUsableGridLines = 3999;

// Lines of the category grid "grl-sch.txt", at most kMaxGridLines; a missing grid has none.
int CountGridLines();

struct GridCategoryCount {
    int Lines = 0;  // as CountGridLines
    int Rows = 0;   // set StandardRowFlags among the grid's lines
};

// Fits the row and column lists to the grid: counts the chosen rows, keeps only the first
// `maxColumns` chosen columns, and clears both lists past the grid's last line.
GridCategoryCount CountGridCategories(int maxColumns = 10);

// The simple distributions report: rewrites the label scratch "tx2-sch.dat" from the grid and
// "tabella.txt" from the count table "tab-sch.dat", with the chosen rows (StandardRowFlags) and
// the options CoreState.DistributionHeadings, SkipEmptyRows, Cumulate and TabSeparators.
// Anything but Ready (no count table, or one counted on another grid or other columns) stores
// CoreState.ProceedFlag 0 and writes nothing.
// A heading file "tin-sch.txt" that does not open turns DistributionHeadings off. Any other
// failure raises the input/output error.
CountTableState WriteSimpleDistributionReport();

}  // namespace qv

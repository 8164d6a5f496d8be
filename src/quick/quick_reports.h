#pragma once

#include "platform/progress.h"

// The quick reports: simple distributions, cross tables and connections counted on the
// prepared quick files over the cards of CardSelectionMask, written to "tabella.txt" of the
// program directory. They rebuild the quick label list "txt-tab2.imp" first. A missing
// "grl-dat.txt", "dli-dat.dat" or "dat-dat.dat", or a matrix that ends before a variable it
// needs, raises the input/output error and leaves "tabella.txt" as it was. The progress runs
// over the quick lines.

namespace qv {

// The chosen rows of QuickRowFlags with CoreState.DistributionHeadings, Cumulate,
// SkipEmptyRows, CountByQuantUnit, TabSeparators and ShowFrequencies. A heading file
// "tin-dat.txt" that does not open turns DistributionHeadings off, a value file "num-dat.dat"
// that does not open CountByQuantUnit.
void WriteQuickDistributionReport(Progress& progress);

// One table per row variable against the first ten columns of QuickColumnFlags, with
// CoreState.ShowFrequencies, PercentColumn, PercentRow, PercentTotal, TableHeadings,
// SkipEmptyRows, CountByQuantUnit, TabSeparators, WideCells and ChiSquare. PercentRow needs the
// frequencies and is turned off without them; a missing "chi2.imp", "tin-dat.txt" or
// "num-dat.dat" turns its option off.
void WriteQuickCrossTableReport(Progress& progress);

// For each column, the rows whose 2x2 chi-square over the selected cards passes
// CoreState.MinChiSquare (strictly), the positive associations strongest first, then the
// negative ones weakest first. Always by cards. Rewrites the label scratch "tx2-sch.dat" in
// 201-byte records.
void WriteQuickConnectionsReport(Progress& progress);

}  // namespace qv

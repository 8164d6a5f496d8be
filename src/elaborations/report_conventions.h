#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "elaborations/count_table.h"
#include "elaborations/grid_files.h"

// What every standard report shares: the report is rewritten whole in "tabella.txt" of the
// program directory; numbers are right-aligned in fixed widths (a point, no thousands
// separator); labels come from the label scratch "tx2-sch.dat", rebuilt from the grid just
// before writing; the tab option puts one tab before each number column instead of the width.

namespace qv {

// Width of a category label in the reports and in the label scratch.
constexpr int kReportLabelWidth = 60;

// "tabella.txt" of the program directory.
std::string ReportFilePath();

// `text` with blanks before it up to `width` characters; a longer text is kept whole.
std::string RightAligned(std::string_view text, int width);
// An integer in at least `width` characters.
std::string FormatInteger(int64_t value, int width = 0);
// A real with `decimals` decimals, in at least `width` characters, rounded on the double's exact
// decimal expansion with halves away from zero (0.125 gives 0.13; 0.075, stored a little below,
// gives 0.07). For figures that are not ratios of integers: chi-square, phi, loadings, legends.
std::string FormatFixed(double value, int width, int decimals);
// numerator x scale / denominator rounded on the exact ratio, halves away from zero; a
// denominator of 0 or less gives 0. Percentages and means of counts go through here, so 3 of 4000
// prints 0.08 however the quotient would land in binary.
std::string FormatRatio(int64_t numerator, int64_t denominator, int width, int decimals, int64_t scale = 1);
// part as a percentage of base (0 when base is 0).
std::string FormatPercent(int64_t part, int64_t base, int width, int decimals);
// A real in at most `width` characters: decimals are dropped as needed, and a figure that does
// not fit even without them prints as `width` '*', so the columns after it never move.
std::string FormatFixedFitting(double value, int width, int decimals);
// A cell of the count table in at least `width` characters, and a percentage of two such
// cells: a cell too large for its record (kCountTooLarge) prints as a blank and `width` - 1 '*'
// (one '*' in a width below 2), so that it never runs into the figure before it.
std::string FormatCount(int64_t count, int width);
std::string FormatCountPercent(int64_t part, int64_t base, int width, int decimals);
// Whether any of the cells is too large for its record.
bool AnyCountTooLarge(std::initializer_list<int64_t> cells);

// A number column: with tabs a tab and the text as it is, else the text right-aligned in `width`.
std::string NumberColumn(std::string_view text, int width, bool tabs);

// A grid line as the reports see it.
struct ReportCategory {
    std::string Label;  // exactly kReportLabelWidth characters, padded with blanks
    int Variable = 0;   // number of "G" lines up to and including this one; 0 before the first
    int32_t Parent = 0;
};

// The label of a grid line cut or padded to kReportLabelWidth characters.
std::string ReportLabel(std::string_view label);

// The report view of every line of a grid (index = category, entry 0 unused).
std::vector<ReportCategory> ReportCategories(const CategoryGrid& grid);

// The label scratch "tx2-sch.dat" of the archive directory: one short-string record per grid
// line (record line-1), a length byte and the label in a field of the writer's width. Each
// report rebuilds it in its own width just before it prints, and prints the labels it built,
// never the records another report may have left there since.
constexpr int kNarrowScratchWidth = 30;       // cross tables, quantitative columns, MaxSim
constexpr int kConnectionsScratchWidth = 99;  // connections
constexpr int kQuickScratchWidth = 200;       // quick connections
// (The simple distributions write kReportLabelWidth: their labels padded with blanks.)

// Rewrites the label scratch with one record per label, each cut to `width` characters.
void WriteCategoryLabelScratch(std::span<const std::string> labels, int width);

}  // namespace qv

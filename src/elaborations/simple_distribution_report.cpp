#include "elaborations/simple_distribution_report.h"

#include <string>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kTotalTextId = 1394;
constexpr int kCountWidth = 7, kPercentWidth = 7, kPercentDecimals = 2;

}  // namespace

int CountGridLines() {
    TextReader reader;
    if (!reader.Open(DataFilePath(data_file::kGrid))) return 0;
    int lines = 0;
    while (!reader.Eof() && lines < kMaxGridLines) {
        reader.SkipLine();
        ++lines;
    }
    return lines;
}

GridCategoryCount CountGridCategories(int maxColumns) {
    GridCategoryCount result;
    result.Lines = CountGridLines();
    int columns = 0;
    for (int line = 0; line < kFlagListSize; ++line) {
        const size_t i = size_t(line);
        if (line >= result.Lines) {
            StandardRowFlags[i] = 0;
            StandardColumnFlags[i] = 0;
            continue;
        }
        if (StandardRowFlags[i]) ++result.Rows;
        if (StandardColumnFlags[i]) {
            if (columns < maxColumns)
                ++columns;
            else
                StandardColumnFlags[i] = 0;
        }
    }
    return result;
}

CountTableState WriteSimpleDistributionReport() {
    const CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    const int n = grid.Count;
    const CountTable table = ReadCountTable(n);
    if (table.State != CountTableState::Ready) {
        CoreState.ProceedFlag = 0;
        return table.State;
    }
    const std::vector<ReportCategory> categories = ReportCategories(grid);
    std::vector<std::string> labels;
    for (size_t i = 1; i < categories.size(); ++i) labels.push_back(categories[i].Label);
    WriteCategoryLabelScratch(labels, kReportLabelWidth);
    auto countOf = [&](int32_t record) -> int32_t {
        return record < 0 || record > n ? 0 : table.At(record, kCountTableAllCards);
    };
    const int32_t grandTotal = countOf(0);

    const bool tabs = CoreState.TabSeparators != 0;
    const bool cumulate = CoreState.Cumulate != 0;
    const bool skipEmpty = CoreState.SkipEmptyRows != 0;
    TableHeadingsReader headings;
    if (CoreState.DistributionHeadings && !headings.Open(DataFilePath(data_file::kHeadings)))
        CoreState.DistributionHeadings = 0;
    const bool withHeadings = CoreState.DistributionHeadings != 0;
    const std::string totalText = LoadText(kTotalTextId);

    TextBuilder out;
    bool printed = false;
    int lastVariable = 0;
    int32_t lastParent = 0;
    int64_t runningCount = 0;

    bool tooLarge = false;  // a count printed as too large: the report says so at its end
    auto footer = [&] {
        const int32_t total = (printed && lastParent > 0) ? countOf(lastParent) : grandTotal;
        tooLarge |= AnyCountTooLarge({total});
        out.Line();
        out.Line(totalText + (tabs ? "" : std::string(5 + 40, ' ')) +
                 NumberColumn(FormatCount(total, tabs ? 0 : kCountWidth), kCountWidth, tabs));
        out.Line().Line();
    };

    for (int r = 1; r <= n; ++r) {
        const ReportCategory& category = categories[size_t(r)];
        const int32_t count = countOf(r);
        if (!StandardRowFlags[size_t(r - 1)] || category.Variable == 0 || (skipEmpty && count == 0)) continue;

        if (!printed || category.Variable != lastVariable) {
            if (printed) footer();
            runningCount = 0;
            if (withHeadings) headings.AppendHeading(category.Variable, out);
            out.Line(tabs ? std::string("\tn.\t%") : std::string(66, ' ') + "n      %");
            out.Line();
        }

        const int32_t base = category.Parent > 0 ? countOf(category.Parent) : grandTotal;
        // A running count past a count too large is unknown too.
        runningCount = AnyCountTooLarge({runningCount, count}) ? kCountTooLarge : runningCount + count;
        tooLarge |= AnyCountTooLarge({count, base});
        std::string line = category.Label;
        line += NumberColumn(count < 1 ? std::string("-") : FormatCount(count, tabs ? 0 : kCountWidth),
                             kCountWidth, tabs);
        if (base > 0 && count > 0)
            line += NumberColumn(
                FormatCountPercent(cumulate ? runningCount : count, base, kPercentWidth, kPercentDecimals),
                kPercentWidth, tabs);
        out.Line(line);

        printed = true;
        lastVariable = category.Variable;
        lastParent = category.Parent;
    }
    footer();
    if (tooLarge) out.Line(LoadText(kCountTooLargeText));
    out.Save(ReportFilePath());
    return CountTableState::Ready;
}

}  // namespace qv

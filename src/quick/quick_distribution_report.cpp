#include <algorithm>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "elaborations/report_conventions.h"
#include "platform/text_file.h"
#include "quick/quick_counts.h"
#include "quick/quick_reports.h"

namespace qv {

namespace {
constexpr int kFooterTextId = 823, kLastFooterTextId = 824;
constexpr size_t kLabelWidth = 60;
constexpr int kCountWidth = 10, kValueWidth = 8, kDecimals = 2;
}  // namespace

void WriteQuickDistributionReport(Progress& progress) {
    const std::vector<QuickLine> lines = RebuildQuickLines();
    QuickCardCounter counter;
    const bool tabs = CoreState.TabSeparators != 0;
    const bool frequencies = CoreState.ShowFrequencies != 0;
    const bool cumulate = CoreState.Cumulate != 0;
    const bool skipEmpty = CoreState.SkipEmptyRows != 0;
    const std::string separator = tabs ? "\t" : " ";
    const int labelWidth = tabs ? 1 : int(kLabelWidth);

    if (CoreState.CountByQuantUnit && !counter.UseQuantityValues()) CoreState.CountByQuantUnit = 0;
    const QuickCardCounter::Bitmap& selection = counter.Selection();
    const int64_t total = counter.Count(selection);
    const int lineCount = int(lines.size());
    auto frequency = [&](int line) { return counter.Count(counter.Area(line), selection); };

    QuickHeadingBlocks headings;
    if (CoreState.DistributionHeadings && !headings.Open(DataFilePath(data_file::kQuickHeadings)))
        CoreState.DistributionHeadings = 0;
    const bool withHeadings = CoreState.DistributionHeadings != 0;

    TextBuilder out;
    StartWithSnapshotNotice(out);
    bool tableOpen = false, anyTable = false, newVariable = false;
    std::vector<std::string> block;
    int32_t parent = 0;
    int32_t parentUsed = -1;  // no base computed yet
    int64_t base = total;
    int64_t cumulated = 0;

    RunTexts texts;
    auto footer = [&](int text) {
        out.Line();
        out.Line(texts(text) + std::string(size_t(std::max(labelWidth - 6, 0)), ' ') + separator +
                 FormatInteger(total, kCountWidth));
        out.Line().Line();
    };

    progress.SetMaximum(lineCount);
    for (int i = 0; i < lineCount; ++i) {
        const QuickLine& line = lines[size_t(i)];
        if (line.OpensVariable) {
            parent = line.Parent;
            if (withHeadings) block = headings.Next();
            if (tableOpen) footer(kFooterTextId);
            tableOpen = false;
            newVariable = true;
            cumulated = 0;
        }
        if (QuickRowFlags[size_t(i)]) {
            if (newVariable) {
                if (withHeadings)
                    for (const std::string& l : block) out.Line(l);
                out.Line(std::string(size_t(labelWidth), ' ') + separator +
                         (frequencies ? RightAligned("n", kCountWidth) : std::string(" ")) + separator +
                         RightAligned("%", kValueWidth));
                out.Line();
                newVariable = false;
                tableOpen = anyTable = true;
            }
            if (parent != parentUsed) {
                base = parent <= 0 ? total : frequency(parent - 1);
                parentUsed = parent;
            }
            const int64_t f = frequency(i);
            cumulated += f;
            if (!(skipEmpty && f <= 0)) {
                std::string row = line.Label.substr(0, kLabelWidth);
                if (!tabs) row.resize(kLabelWidth, ' ');
                row += frequencies ? separator + FormatInteger(f, kCountWidth) : std::string("  ");
                row += separator + FormatPercent(cumulate ? cumulated : f, base, kValueWidth, kDecimals);
                out.Line(row);
            }
        }
        progress.SetPosition(i + 1);
    }
    // The total of the selection is shown even when no row was written.
    if (tableOpen || !anyTable) footer(kLastFooterTextId);
    out.Save(ReportFilePath());
    progress.SetPosition(0);
}

}  // namespace qv

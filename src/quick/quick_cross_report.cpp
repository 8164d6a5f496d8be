#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "elaborations/connections_report.h"
#include "elaborations/count_table.h"
#include "elaborations/cross_table_report.h"
#include "elaborations/report_conventions.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "quick/quick_counts.h"
#include "quick/quick_reports.h"

namespace qv {

namespace {

constexpr size_t kCrossLabelWidth = 40;
constexpr int kDecimals = 2;

using Bitmap = QuickCardCounter::Bitmap;

// The first ten lines chosen as columns, in line order.
std::vector<int> ColumnLines(int lineCount) {
    std::vector<int> columns;
    for (int i = 0; i < lineCount && int(columns.size()) < kMaxCountedColumns; ++i)
        if (QuickColumnFlags[size_t(i)]) columns.push_back(i);
    return columns;
}

// Counts of a table, one per column and the all-cards figure last.
using Figures = std::vector<int64_t>;

class QuickCrossWriter {
  public:
    QuickCrossWriter(const std::vector<QuickLine>& lines, const CategoryGrid& grid, QuickCardCounter& counter,
                     const std::optional<ChiSquareTable>& chi)
        : lines_(lines), grid_(grid), counter_(counter), chi_(chi) {
        tabs_ = CoreState.TabSeparators != 0;
        separator_ = tabs_ ? "\t" : " ";
        width_ = CoreState.WideCells ? 10 : 7;
        labelWidth_ = tabs_ ? 1 : int(kCrossLabelWidth);
        std::vector<ClassBounds> columnClasses;
        for (int line : ColumnLines(int(lines.size()))) {
            columnLines_.push_back(line);
            columns_.push_back(counter_.Area(line));
            columnsMultiAnswer_ |= lines[size_t(line)].MultiAnswer;
            columnsOfOneVariable_ &= lines[size_t(line)].Variable == lines[size_t(columnLines_[0])].Variable;
            columnClasses.push_back(ClassOfLine(grid_, line + 1));
        }
        columnsOverlap_ = ClassesOverlap(columnClasses);
    }

    void Write(Progress& progress) {
        StartWithSnapshotNotice(out_);
        const Bitmap& selection = counter_.Selection();
        totals_ = FiguresOf(selection);
        for (size_t k = 0; k < columnLines_.size(); ++k)
            out_.Line("col. " + FormatInteger(int64_t(k) + 1, 2) + ": " +
                      lines_[size_t(columnLines_[k])].Label);
        out_.Line().Line();
        QuickHeadingBlocks headings;
        if (CoreState.TableHeadings && !headings.Open(DataFilePath(data_file::kQuickHeadings)))
            CoreState.TableHeadings = 0;
        const bool withHeadings = CoreState.TableHeadings != 0;

        const int lineCount = int(lines_.size());
        std::vector<std::string> block;
        int32_t parent = 0, parentUsed = 0;
        bool newVariable = false;
        progress.SetMaximum(lineCount);
        for (int i = 0; i < lineCount; ++i) {
            const QuickLine& line = lines_[size_t(i)];
            if (line.OpensVariable) {
                parent = line.Parent;
                if (withHeadings) block = headings.Next();
                EndTable();
                newVariable = true;
            }
            if (QuickRowFlags[size_t(i)]) {
                if (newVariable) {
                    if (withHeadings)
                        for (const std::string& l : block) out_.Line(l);
                    Header();
                    rowsMultiAnswer_ = line.MultiAnswer;
                    newVariable = false;
                }
                if (parent != parentUsed && parent > 0) {
                    parentFigures_ = counter_.CountRow(parent - 1, columns_);
                    parentUsed = parent;
                }
                // The footer shows the base of the table's own rows.
                base_ = parent > 0 ? parentFigures_ : totals_;
                Row(i, counter_.CountRow(i, columns_));
            }
            progress.SetPosition(i + 1);
        }
        EndTable();
        out_.Save(ReportFilePath());
        progress.SetPosition(0);
    }

  private:
    // Per column the cards (or values) of `cards` in the column, then those of `cards`.
    Figures FiguresOf(const Bitmap& cards) const {
        Figures f;
        for (const Bitmap& column : columns_) f.push_back(counter_.Count(column, cards));
        f.push_back(counter_.Count(cards));
        return f;
    }

    std::string Blanks(int n) const { return std::string(size_t(std::max(n, 0)), ' '); }
    std::string NumberCell(int64_t v) const { return separator_ + FormatInteger(v, width_); }
    std::string PercentCell(int64_t part, int64_t base) const {
        return separator_ + FormatPercent(part, base, width_, kDecimals);
    }

    void Header() {
        std::string line = Blanks(labelWidth_);
        for (size_t k = 1; k <= columns_.size(); ++k) line += NumberCell(int64_t(k));
        out_.Line();
        out_.Line(line + separator_ + Blanks(width_ - 6) + texts_(582));
        tableOpen_ = true;
        shown_.clear();
        shownClasses_.clear();
    }

    void Row(int i, const Figures& row) {
        const size_t columns = columns_.size();
        const int64_t rowTotal = row[columns];
        const int64_t all = base_[columns];
        if (CoreState.SkipEmptyRows && rowTotal < 1) return;

        // The label starts the first line written; each later line starts with its own text.
        std::string label = lines_[size_t(i)].Label.substr(0, kCrossLabelWidth);
        if (!tabs_) label.resize(kCrossLabelWidth, ' ');
        std::string current = label;
        bool first = true;
        auto next = [&](int text) {
            if (!first) {
                out_.Line(current);
                current = Blanks(labelWidth_ - 6) + texts_(text);
            }
            first = false;
        };
        if (CoreState.ShowFrequencies) {
            next(0);
            for (size_t c = 0; c < columns; ++c) current += NumberCell(row[c]);
            current += NumberCell(rowTotal);
        }
        if (CoreState.PercentColumn) {
            next(583);
            for (size_t c = 0; c < columns; ++c) current += PercentCell(row[c], base_[c]);
            current += PercentCell(rowTotal, all);
        }
        if (CoreState.PercentRow) {
            next(584);
            for (size_t c = 0; c < columns; ++c) current += PercentCell(row[c], rowTotal);
        }
        if (CoreState.PercentTotal) {
            // Always on a line of its own, after the label alone when nothing came before.
            first = false;
            next(585);
            for (size_t c = 0; c < columns; ++c) current += PercentCell(row[c], all);
            current += PercentCell(rowTotal, all);
        }
        out_.Line(current);

        shown_.emplace_back(row.begin(), row.begin() + std::ptrdiff_t(columns));
        shownClasses_.push_back(ClassOfLine(grid_, i + 1));
    }

    void EndTable() {
        if (!tableOpen_) return;
        tableOpen_ = false;
        const size_t columns = columns_.size();
        const int64_t all = base_[columns];
        std::string line = texts_(586) + Blanks(labelWidth_ - 6);
        for (size_t c = 0; c < columns; ++c) line += NumberCell(base_[c]);
        out_.Line(line + NumberCell(all));
        if (CoreState.PercentRow || CoreState.PercentTotal) {
            std::string l = Blanks(labelWidth_ - 6) + texts_(587);
            for (size_t c = 0; c < columns; ++c) l += PercentCell(base_[c], all);
            out_.Line(l);
        }
        const PearsonTest test = PearsonChiSquare(shown_);
        if (CoreState.ChiSquare && chi_ && test.Df > 0) {
            const bool stars =
                StarsApply(columnsOfOneVariable_, columnsMultiAnswer_ || rowsMultiAnswer_,
                           columnsOverlap_ || ClassesOverlap(shownClasses_), CoreState.CountByQuantUnit != 0);
            out_.Line();
            out_.Line(texts_(588) + " " + FormatFixed(test.ChiSquare, 7, 3) + texts_(589) + " " +
                      std::to_string(test.Df) + " " +
                      (stars ? ChiSquareStars(*chi_, test.ChiSquare, test.Df) : ""));
        }
        out_.Line().Line();
    }

    const std::vector<QuickLine>& lines_;
    const CategoryGrid& grid_;  // the lines after it are additional variables: no class
    QuickCardCounter& counter_;
    const std::optional<ChiSquareTable>& chi_;
    std::vector<int> columnLines_;
    std::vector<Bitmap> columns_;
    Figures totals_, parentFigures_, base_;
    TextBuilder out_;
    RunTexts texts_;
    bool tabs_ = false;
    std::string separator_;
    int width_ = 7, labelWidth_ = 40;
    bool tableOpen_ = false;
    std::vector<std::vector<int64_t>> shown_;  // the cells of the open table
    std::vector<ClassBounds> shownClasses_;    // and the classes of its rows
    bool columnsOfOneVariable_ = true, columnsMultiAnswer_ = false, rowsMultiAnswer_ = false;
    bool columnsOverlap_ = false;
};

}  // namespace

void WriteQuickCrossTableReport(Progress& progress) {
    const std::vector<QuickLine> lines = RebuildQuickLines();
    QuickCardCounter counter;
    std::optional<ChiSquareTable> chi;
    if (CoreState.ChiSquare) {
        chi = LoadChiSquareTable(DataFilePath(data_file::kChiSquareTable));
        if (!chi) CoreState.ChiSquare = 0;
    }
    // Row percentages stand under the frequencies they are taken on.
    if (!CoreState.ShowFrequencies) CoreState.PercentRow = 0;
    if (CoreState.CountByQuantUnit && !counter.UseQuantityValues()) CoreState.CountByQuantUnit = 0;
    // The classes of the grid lines, for the stars; without the grid no class is known.
    const std::string gridPath = DataFilePath(data_file::kQuickGrid);
    const CategoryGrid grid = FileIsThere(gridPath) ? LoadCategoryGrid(gridPath) : CategoryGrid{};
    QuickCrossWriter(lines, grid, counter, chi).Write(progress);
}

void WriteQuickConnectionsReport(Progress& progress) {
    const std::vector<QuickLine> lines = RebuildQuickLines();
    // A negative minimum would pass a row both as positive and as negative.
    const double minimum = std::max(0.0, CoreState.MinChiSquare);
    QuickCardCounter counter;
    const Bitmap& selection = counter.Selection();
    const int lineCount = int(lines.size());

    const std::vector<int> columnLines = ColumnLines(lineCount);
    std::vector<Bitmap> columns;
    std::vector<int64_t> columnTotals;
    for (int line : columnLines) {
        columns.push_back(counter.Area(line));
        columnTotals.push_back(counter.Count(columns.back(), selection));
    }
    int64_t cards = counter.Count(selection);
    if (cards == 0) cards = 1;

    // Per row line: its cards, and per column those in the column.
    std::vector<int> rows;
    std::vector<int64_t> rowTotals(size_t(lineCount), 0);
    std::vector<std::vector<int64_t>> inColumn(columns.size(), std::vector<int64_t>(size_t(lineCount), 0));
    progress.SetMaximum(lineCount);
    for (int i = 0; i < lineCount; ++i) {
        if (QuickRowFlags[size_t(i)]) {
            rows.push_back(i);
            const std::vector<int64_t> figures = counter.CountRow(i, columns);
            rowTotals[size_t(i)] = figures.back();
            for (size_t k = 0; k < columns.size(); ++k) inColumn[k][size_t(i)] = figures[k];
        }
        progress.SetPosition(i + 1);
    }

    std::vector<std::string> labels;
    for (const QuickLine& line : lines) labels.push_back(line.Label.substr(0, kQuickScratchWidth));
    WriteCategoryLabelScratch(labels, kQuickScratchWidth);

    TextBuilder out;
    StartWithSnapshotNotice(out);
    std::vector<Connection> found(static_cast<size_t>(lineCount));
    for (size_t k = 0; k < columns.size(); ++k) {
        out.Line(std::string(49, '-')).Line();
        out.Line(" " + labels[size_t(columnLines[k])]).Line();
        out.Line(LoadText(590)).Line();
        std::vector<int> positive, negative;
        for (int i : rows) {
            found[size_t(i)] =
                ComputeConnection(inColumn[k][size_t(i)], columnTotals[k], rowTotals[size_t(i)], cards);
            const double chi = found[size_t(i)].ChiSquare;
            if (chi > minimum) positive.push_back(i);
            if (chi < -minimum) negative.push_back(i);
        }
        // Greatest signed chi-square first; the lower line wins a tie.
        auto list = [&](std::vector<int>& listed) {
            std::stable_sort(listed.begin(), listed.end(), [&](int x, int y) {
                return found[size_t(x)].ChiSquare > found[size_t(y)].ChiSquare;
            });
            for (int i : listed) out.Line(ConnectionLine(found[size_t(i)], i + 1, labels[size_t(i)]));
        };
        list(positive);
        out.Line(std::string(16, ' ') + "- - - - - - - - -");
        list(negative);
        out.Line().Line();
    }
    out.Save(ReportFilePath());
    progress.SetPosition(0);
}

}  // namespace qv

#include "elaborations/cross_table_report.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kHeadingWidth = 7;
constexpr int kPageLines = 45;
constexpr int kMaxChiRows = 30;

// Forward-only copy of heading blocks: a block passed over or missing is not found again.
class HeadingBlocks {
  public:
    bool Open(const std::string& path) { return reader_.Open(path); }
    // Appends variable v's block and two empty lines; answers the lines written (0 when the
    // block is not found before the end of the file).
    int Append(int variable, TextBuilder& out) {
        bool found = false;
        while (!found && !reader_.Eof()) {
            std::string line = reader_.ReadLine();
            found = line.size() == 3 && PaddedInteger(line) == variable;
        }
        if (!found) return 0;
        int written = 0;
        while (!reader_.Eof()) {
            std::string line = reader_.ReadLine();
            if (line.compare(0, 3, "///") == 0) break;
            out.Line(line);
            ++written;
        }
        out.Line().Line();
        return written + 2;
    }

  private:
    TextReader reader_;
};

// The cross-table report: one table per row variable, split into pages of 45 lines.
class CrossTableWriter {
  public:
    CrossTableWriter(const CrossTableLines& lines, const CategoryGrid& grid, const CountTable& table,
                     const std::optional<ChiSquareTable>& chi)
        : lines_(lines), grid_(grid), table_(table), chi_(chi) {
        tabs_ = CoreState.TabSeparators != 0;
        width_ = CoreState.WideCells ? 10 : 7;
        borders_ = CoreState.CellBorders && !CoreState.WideCells && !tabs_;
        prefix_ = borders_ ? " |" : "  ";
        bool multiAnswer = false;
        for (int line : table_.ColumnLines) {
            multiAnswer |= lines_.MultiAnswer[size_t(line)] != 0;
            columnsOfOneVariable_ &=
                lines_.Variable[size_t(line)] == lines_.Variable[size_t(table_.ColumnLines[0])];
        }
        columnsMultiAnswer_ = multiAnswer;
        std::vector<ClassBounds> columnClasses;
        for (int line : table_.ColumnLines) columnClasses.push_back(ClassOfLine(grid_, line));
        columnsOverlap_ = ClassesOverlap(columnClasses);
    }

    void Write() {
        const int columns = table_.Columns();
        for (int k = 1; k <= columns; ++k)
            out_.Line(texts_(395) + " " + std::to_string(k) + " = " +
                      lines_.Labels[size_t(table_.ColumnLines[size_t(k) - 1])]);
        out_.Line();
        if (CoreState.TableHeadings && !headings_.Open(DataFilePath(data_file::kHeadings)))
            CoreState.TableHeadings = 0;

        int previousVariable = -1;
        for (int i = 1; i <= lines_.Count; ++i) {
            if (!StandardRowFlags[size_t(i) - 1]) continue;
            if (CoreState.SkipEmptyRows && table_.At(i, kCountTableAllCards) == 0) continue;
            if (lines_.Variable[size_t(i)] != previousVariable) Header(false, i);
            previousVariable = lines_.Variable[size_t(i)];
            if (pageLines_ > kPageLines) {
                Footer(true);
                Header(true, i);
            }
            Row(i);
            lastRow_ = i;
        }
        Footer(false);
        if (tooLarge_) out_.Line(LoadText(kCountTooLargeText));
        out_.Save(ReportFilePath());
    }

  private:
    int ParentOf(int line) const {
        const int p = line > 0 ? lines_.Parent[size_t(line)] : 0;
        return p >= 1 && p <= lines_.Count ? p : 0;
    }

    std::string RuleLine() const {
        if (!borders_) return {};
        std::string s(31, '-');
        for (int k = 0; k <= table_.Columns(); ++k) s += "+--------";
        return s;
    }

    // A cell whose count did not fit its record: '*' fill, and the report says why at its end.
    std::optional<std::string> TooLargeCell(int64_t a, int64_t b = 0) {
        if (!CountTable::TooLarge(int32_t(a)) && !CountTable::TooLarge(int32_t(b))) return std::nullopt;
        tooLarge_ = true;
        return prefix_ + std::string(size_t(tabs_ ? 1 : width_), '*') + (tabs_ ? "\t" : "");
    }
    // A count cell: '-' for nothing.
    std::string CountCell(int64_t v) {
        if (auto star = TooLargeCell(v)) return *star;
        if (tabs_) return prefix_ + (v > 0 ? std::to_string(v) : "-") + "\t";
        return prefix_ + (v > 0 ? FormatInteger(v, width_) : std::string(size_t(width_) - 1, ' ') + "-");
    }
    // A number cell that is always printed.
    std::string NumberCell(int64_t v) {
        if (auto star = TooLargeCell(v)) return tabs_ ? star->substr(0, star->size() - 1) : *star;
        return prefix_ + (tabs_ ? std::to_string(v) : FormatInteger(v, width_));
    }
    // A percentage cell: blanks for nothing.
    std::string PercentCell(int64_t part, int64_t base) {
        if (auto star = TooLargeCell(part, base)) return *star;
        const bool shown = part > 0 && base > 0;
        if (tabs_) return prefix_ + (shown ? FormatPercent(part, base, 0, 2) : "") + "\t";
        return prefix_ + (shown ? FormatPercent(part, base, width_, 2) : std::string(size_t(width_), ' '));
    }
    std::string PercentTotalCell(int64_t part, int64_t base) {
        if (auto star = TooLargeCell(part, base)) return tabs_ ? star->substr(0, star->size() - 1) : *star;
        return prefix_ + FormatPercent(part, base, tabs_ ? 0 : width_, 2);
    }

    void Header(bool pageBreak, int row) {
        pageLines_ = 0;
        if (tableOpen_ && !pageBreak) Footer(false);
        tableOpen_ = true;
        if (!pageBreak && CoreState.TableHeadings)
            pageLines_ += headings_.Append(lines_.Variable[size_t(row)], out_);
        std::string line = tabs_ ? "\t" : std::string(kNarrowScratchWidth, ' ');
        for (int k = 1; k <= table_.Columns(); ++k) {
            std::string cell;
            if (CoreState.ColumnHeadingTexts) {
                const std::string heading = size_t(k) <= lines_.ColumnHeadings.size()
                                                ? lines_.ColumnHeadings[size_t(k) - 1]
                                                : std::string(kHeadingWidth, ' ');
                cell = heading.substr(0, size_t(width_));
            } else {
                cell = tabs_ ? std::to_string(k) : FormatInteger(k, width_);
            }
            line += prefix_ + cell + (tabs_ ? "\t" : "");
        }
        line += prefix_ + (" " + texts_(394)).substr(0, size_t(width_));
        out_.Line(line);
        ++pageLines_;
        if (!pageBreak) {
            shown_.clear();
            shownClasses_.clear();
            rowsMultiAnswer_ = lines_.MultiAnswer[size_t(row)] != 0;
        }
    }

    void Row(int i) {
        const int columns = table_.Columns();
        const int64_t rowTotal = table_.At(i, kCountTableAllCards);
        const int64_t grand = table_.GrandTotal();
        out_.Line(RuleLine());
        ++pageLines_;

        std::string line = lines_.Labels[size_t(i)] + (tabs_ ? "\t" : "");
        for (int k = 1; k <= columns; ++k) line += CountCell(table_.At(i, k));
        out_.Line(line + NumberCell(rowTotal));
        ++pageLines_;

        std::vector<int64_t>& cells = shown_.emplace_back();
        for (int k = 1; k <= columns; ++k) cells.push_back(table_.At(i, k));
        shownClasses_.push_back(ClassOfLine(grid_, i));

        const int parent = ParentOf(i);
        const int64_t parentAll = parent ? table_.At(parent, kCountTableAllCards) : grand;
        auto percentLine = [&](int text, auto base, int64_t totalBase) {
            std::string l = std::string(24, ' ') + texts_(text) + (tabs_ ? "\t" : "");
            for (int k = 1; k <= columns; ++k) l += PercentCell(table_.At(i, k), base(k));
            out_.Line(l + PercentTotalCell(rowTotal, totalBase));
            ++pageLines_;
        };
        if (CoreState.PercentColumn)
            percentLine(
                396, [&](int k) { return parent ? table_.At(parent, k) : table_.At(0, k); }, parentAll);
        if (CoreState.PercentRow)
            percentLine(
                397, [&](int) { return rowTotal; }, rowTotal);
        if (CoreState.PercentTotal)
            percentLine(
                398, [&](int) { return parentAll; }, parentAll);
    }

    void Footer(bool pageBreak) {
        const int columns = table_.Columns();
        const int parent = ParentOf(lastRow_);
        out_.Line(RuleLine());
        std::string line = texts_(390) + (tabs_ ? "\t" : std::string(10, ' '));
        std::vector<int64_t> figures;
        for (int k = 1; k <= columns; ++k) {
            figures.push_back(parent ? table_.At(parent, k) : table_.At(0, k));
            line += NumberCell(figures.back()) + (tabs_ ? "\t" : "");
        }
        const int64_t total = parent ? table_.At(parent, kCountTableAllCards) : table_.GrandTotal();
        out_.Line(line + NumberCell(total));
        if (CoreState.PercentRow) {
            std::string l = std::string(24, ' ') + texts_(391) + (tabs_ ? "\t" : "");
            for (int64_t f : figures) l += PercentTotalCell(f, total) + (tabs_ ? "\t" : "");
            out_.Line(l + prefix_);
        }
        out_.Line().Line();
        // A cell too large for its record leaves the test without its figures.
        const bool whole = std::none_of(shown_.begin(), shown_.end(), [](const std::vector<int64_t>& row) {
            return std::any_of(row.begin(), row.end(),
                               [](int64_t v) { return CountTable::TooLarge(int32_t(v)); });
        });
        const PearsonTest test = pageBreak || !whole ? PearsonTest{} : PearsonChiSquare(shown_);
        if (test.Df > 0 && CoreState.ChiSquare && chi_) {
            const bool stars =
                StarsApply(columnsOfOneVariable_, columnsMultiAnswer_ || rowsMultiAnswer_,
                           columnsOverlap_ || ClassesOverlap(shownClasses_), table_.CountedByUnit());
            out_.Line(texts_(392) + " " + FormatFixed(test.ChiSquare, 7, 3) + texts_(393) + " = " +
                      std::to_string(test.Df) + " " +
                      (stars ? ChiSquareStars(*chi_, test.ChiSquare, test.Df) : ""));
        }
        out_.Line().Line();
    }

    const CrossTableLines& lines_;
    const CategoryGrid& grid_;
    const CountTable& table_;
    const std::optional<ChiSquareTable>& chi_;
    HeadingBlocks headings_;
    TextBuilder out_;
    RunTexts texts_;
    bool tabs_ = false, borders_ = false;
    int width_ = 7;
    std::string prefix_;
    int pageLines_ = 0;
    bool tableOpen_ = false;
    std::vector<std::vector<int64_t>> shown_;  // the table's cells over all its pages
    std::vector<ClassBounds> shownClasses_;    // and the classes of its rows
    bool columnsOfOneVariable_ = true, columnsMultiAnswer_ = false, rowsMultiAnswer_ = false;
    bool columnsOverlap_ = false, tooLarge_ = false;
    int lastRow_ = 0;
};

}  // namespace

CrossTableLines RebuildCrossTableLines(bool synoptic) {
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(data_file::kGrid));
    CrossTableLines t;
    t.Labels.emplace_back();
    t.Variable.push_back(0);
    t.Parent.push_back(0);
    t.Synoptic.push_back(0);
    t.MultiAnswer.push_back(0);
    uint8_t multiAnswer = 0;
    int variable = 0, parent = 0, synopticGroup = 0;
    GridLine previous;  // carries the parent of the variable read so far
    while (!reader.Eof() && t.Count < kMaxGridLines) {
        const std::string line = reader.ReadLine(kGridLineWidth);
        ++t.Count;
        std::string label(GridLineLabel(line, LeadingStar::Skipped));
        label.resize(kNarrowScratchWidth, ' ');
        const GridLine grid = ParseGridLine(line, &previous);
        int synopticNumber = 0;
        if (grid.OpensVariable) {
            const std::string& code = grid.Code;
            ++variable;
            multiAnswer = code.size() > 1 && code[1] > '1' && code[1] <= '9';
            previous.Parent = parent = grid.Parent;
            if (code.size() > 2 && code[2] == 'S')
                synopticNumber = ++synopticGroup;
            else if (code.size() > 2 && code[2] == 's')
                synopticNumber = synopticGroup;
        }
        int lineVariable = variable;
        if (synoptic && !StandardRowFlags[size_t(t.Count) - 1]) lineVariable = synopticNumber = 0;
        t.Labels.push_back(label);
        t.Variable.push_back(lineVariable);
        t.Parent.push_back(parent);
        t.Synoptic.push_back(synopticNumber);
        t.MultiAnswer.push_back(multiAnswer);
        if (StandardColumnFlags[size_t(t.Count) - 1] && t.ColumnHeadings.size() < 11) {
            const size_t hash = line.find('#');
            std::string heading =
                hash == std::string::npos ? std::string() : line.substr(hash + 1, kHeadingWidth);
            heading.resize(kHeadingWidth, ' ');
            t.ColumnHeadings.push_back(heading);
        }
    }
    WriteCategoryLabelScratch(std::span(t.Labels).subspan(1), kNarrowScratchWidth);
    return t;
}

std::optional<ChiSquareTable> LoadChiSquareTable(const std::string& path) {
    TextReader reader;
    if (!reader.Open(path)) return std::nullopt;
    ChiSquareTable table;
    while (!reader.Eof() && table.Rows < kMaxChiRows) {
        const std::string line = reader.ReadLine();
        for (size_t level = 0; level < 3; ++level) {
            const size_t at = level * 6;
            if (at >= line.size()) continue;
            std::string_view field = std::string_view(line).substr(at, 5);
            while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
            while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
            double v = 0;
            auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
            if (!field.empty() && ec == std::errc() && end == field.data() + field.size())
                table.Critical[size_t(table.Rows)][level] = v / 1000.0;
        }
        ++table.Rows;
    }
    return table;
}

PearsonTest PearsonChiSquare(const std::vector<std::vector<int64_t>>& cells) {
    const size_t columns = cells.empty() ? 0 : cells[0].size();
    std::vector<double> rowSum(cells.size(), 0), columnSum(columns, 0);
    double all = 0;
    for (size_t r = 0; r < cells.size(); ++r)
        for (size_t c = 0; c < columns; ++c) {
            rowSum[r] += double(cells[r][c]);
            columnSum[c] += double(cells[r][c]);
            all += double(cells[r][c]);
        }
    PearsonTest test;
    const auto filled = [](const std::vector<double>& sums) {
        return int(std::count_if(sums.begin(), sums.end(), [](double v) { return v > 0; }));
    };
    const int rows = filled(rowSum), cols = filled(columnSum);
    if (rows < 2 || cols < 2 || all <= 0) return test;
    test.Df = (rows - 1) * (cols - 1);
    for (size_t r = 0; r < cells.size(); ++r)
        for (size_t c = 0; c < columns; ++c) {
            const double expected = rowSum[r] * columnSum[c] / all;
            if (expected <= 0) continue;
            const double d = double(cells[r][c]) - expected;
            test.ChiSquare += d * d / expected;
        }
    return test;
}

ClassBounds ClassOfLine(const CategoryGrid& grid, int line) {
    if (line < 1 || line > grid.Count || !grid.HasStar[size_t(line)]) return {};
    return {grid.Field[size_t(line)], grid.Low[size_t(line)], grid.High[size_t(line)]};
}

bool ClassesOverlap(const std::vector<ClassBounds>& classes) {
    for (size_t i = 0; i < classes.size(); ++i)
        for (size_t j = i + 1; j < classes.size(); ++j) {
            const ClassBounds &a = classes[i], &b = classes[j];
            if (a.Field != 0 && a.Field == b.Field && a.Low <= b.High && b.Low <= a.High) return true;
        }
    return false;
}

bool StarsApply(bool columnsOfOneVariable, bool multiAnswer, bool classesOverlap, bool byQuantityUnit) {
    return columnsOfOneVariable && !multiAnswer && !classesOverlap && !byQuantityUnit;
}

std::string ChiSquareStars(const ChiSquareTable& table, double chiSquare, int df) {
    std::string stars;
    if (df < 1 || df > table.Rows) return stars;
    for (const std::optional<double>& critical : table.Critical[size_t(df) - 1])
        if (critical && chiSquare > *critical) stars += '*';
    return stars;
}

CountTableState WriteCrossTableReport() {
    const CrossTableLines lines = RebuildCrossTableLines(false);
    const CountTable read = ReadCountTable(lines.Count);
    if (read.State != CountTableState::Ready) {
        CoreState.ProceedFlag = 0;
        return read.State;
    }
    const CountTable* table = &read;
    std::optional<ChiSquareTable> chi;
    if (CoreState.ChiSquare) {
        chi = LoadChiSquareTable(DataFilePath(data_file::kChiSquareTable));
        if (!chi) CoreState.ChiSquare = 0;
    }
    const CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    CrossTableWriter(lines, grid, *table, chi).Write();
    return CountTableState::Ready;
}

CountTableState WriteSynopticTable() {
    const CrossTableLines lines = RebuildCrossTableLines(true);
    const CountTable read = ReadCountTable(lines.Count);
    if (read.State != CountTableState::Ready) {
        CoreState.ProceedFlag = 0;
        return read.State;
    }
    const CountTable* table = &read;
    TextBuilder out;
    RunTexts texts;
    bool tooLarge = false;
    for (int k = 1; k <= kCountTableAllCards; ++k) {
        if (k <= kMaxCountedColumns && k > table->Columns()) continue;
        out.Line().Line().Line(std::string(52, '-')).Line();
        out.Line(texts(386) + " " +
                 (k == kCountTableAllCards ? texts(387)
                                           : lines.Labels[size_t(table->ColumnLines[size_t(k) - 1])]));
        out.Line();
        const int64_t columnTotal = table->At(0, k);
        auto parentCount = [&](int line) {
            const int p = lines.Parent[size_t(line)];
            return p >= 1 && p <= lines.Count ? int64_t(table->At(p, k)) : columnTotal;
        };
        int previousGroup = 0;
        for (int i = 1; i <= lines.Count; ++i) {
            if (lines.Synoptic[size_t(i)] <= 0) continue;
            if (lines.Synoptic[size_t(i)] != previousGroup) out.Line().Line();
            previousGroup = lines.Synoptic[size_t(i)];
            int last = i;
            while (last < lines.Count && lines.Variable[size_t(last) + 1] == lines.Variable[size_t(last)])
                ++last;
            std::string counts = lines.Labels[size_t(i)] + " - ";
            std::string ofParent = texts(388) + " ", ofAll = texts(389) + " ";
            for (int j = i; j <= last; ++j) {
                const int64_t count = table->At(j, k);
                tooLarge |= AnyCountTooLarge({count, parentCount(j), table->At(j, kCountTableAllCards)});
                counts += FormatCount(count, 6);
                ofParent += FormatCountPercent(count, parentCount(j), 6, 2);
                if (k != kCountTableAllCards)
                    ofAll += FormatCountPercent(count, table->At(j, kCountTableAllCards), 6, 2);
            }
            out.Line(counts + FormatCount(parentCount(last), 7));
            out.Line(ofParent);
            out.Line(ofAll);
        }
    }
    if (tooLarge) out.Line(LoadText(kCountTooLargeText));
    out.Save(ReportFilePath());
    return CountTableState::Ready;
}

}  // namespace qv

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
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kGridId = 37, kHeadingsId = 60, kLabelsId = 67, kCountTableId = 68, kChiId = 69;
constexpr int kLabelWidth = 30;
constexpr int kHeadingWidth = 7;
constexpr int kMaxColumns = 10;
constexpr int kAllCards = 11;
constexpr int kRecordBytes = 48;
constexpr int kPageLines = 45;
constexpr int kMaxChiRows = 30;

using CountRecord = std::array<int32_t, 12>;

double Percent(double count, double base) {
    return base > 0 ? count / base * 100.0 : 0.0;
}

// A decimal number with blanks around it; nullopt for anything else.
std::optional<int64_t> Number(std::string_view s) {
    size_t i = 0, end = s.size();
    while (i < end && s[i] == ' ') ++i;
    while (end > i && s[end - 1] == ' ') --end;
    bool negative = false;
    if (i < end && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i == end || end - i > 15) return std::nullopt;
    int64_t v = 0;
    for (; i < end; ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return negative ? -v : v;
}

// The count table and its columns.
struct CountTable {
    std::vector<CountRecord> Records;  // 0 .. N + 1
    std::vector<int> ColumnLines;      // column k (1-based) at k - 1: its grid line
    int Columns() const { return int(ColumnLines.size()); }
    int32_t At(int line, int field) const { return Records[size_t(line)][size_t(field)]; }
    int32_t GrandTotal() const { return At(0, kAllCards); }
};

// Reads records 0 .. lines + 1; nullopt when the file does not open. Columns are the lines
// named in record N + 1, in ascending order; a name outside the grid is passed over.
std::optional<CountTable> ReadCountTable(int lines) {
    const std::string path = DataFilePath(kCountTableId);
    std::optional<std::string> bytes = TryReadFile(path);
    if (!bytes) return std::nullopt;
    const size_t records = size_t(lines) + 2;
    if (bytes->size() < records * kRecordBytes) ThrowIo(kReadPastEnd, path);
    CountTable table;
    table.Records.resize(records);
    for (size_t r = 0; r < records; ++r)
        for (size_t f = 0; f < 12; ++f)
            table.Records[r][f] = GetI32(Bytes(*bytes) + r * kRecordBytes + f * 4);
    std::vector<uint8_t> marked(size_t(lines) + 1, 0);
    for (int f = 1; f <= kMaxColumns; ++f) {
        const int32_t line = table.Records[records - 1][size_t(f)];
        if (line > 0 && line <= lines) marked[size_t(line)] = 1;
    }
    for (int line = 1; line <= lines; ++line)
        if (marked[size_t(line)]) table.ColumnLines.push_back(line);
    return table;
}

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
            found = line.size() == 3 && Number(line) == variable;
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
    CrossTableWriter(const CrossTableLines& lines, const CountTable& table,
                     const std::optional<ChiSquareTable>& chi)
        : lines_(lines), table_(table), chi_(chi) {
        tabs_ = CoreState.TabSeparators != 0;
        width_ = CoreState.WideCells ? 10 : 7;
        borders_ = CoreState.CellBorders && !CoreState.WideCells && !tabs_;
        prefix_ = borders_ ? " |" : "  ";
    }

    void Write() {
        const int columns = table_.Columns();
        for (int k = 1; k <= columns; ++k)
            out_.Line(LoadText(395) + " " + std::to_string(k) + " = " +
                      lines_.Labels[size_t(table_.ColumnLines[size_t(k) - 1])]);
        out_.Line();
        if (CoreState.TableHeadings && !headings_.Open(DataFilePath(kHeadingsId)))
            CoreState.TableHeadings = 0;

        int previousVariable = -1;
        for (int i = 1; i <= lines_.Count; ++i) {
            if (!StandardRowFlags[size_t(i) - 1]) continue;
            if (CoreState.SkipEmptyRows && table_.At(i, kAllCards) == 0) continue;
            if (lines_.Variable[size_t(i)] != previousVariable) Header(false, i);
            previousVariable = lines_.Variable[size_t(i)];
            ++tableRows_;
            if (pageLines_ > kPageLines) {
                Footer(true);
                Header(true, i);
            }
            Row(i);
            lastRow_ = i;
        }
        Footer(false);
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

    // A count cell: '-' for nothing.
    std::string CountCell(int64_t v) const {
        if (tabs_) return prefix_ + (v > 0 ? std::to_string(v) : "-") + "\t";
        return prefix_ + (v > 0 ? FormatInteger(v, width_) : std::string(size_t(width_) - 1, ' ') + "-");
    }
    // A number cell that is always printed.
    std::string NumberCell(int64_t v) const {
        return prefix_ + (tabs_ ? std::to_string(v) : FormatInteger(v, width_));
    }
    // A percentage cell: blanks for nothing.
    std::string PercentCell(double v) const {
        if (tabs_) return prefix_ + (v > 0 ? FormatFixed(v, 0, 2) : "") + "\t";
        return prefix_ + (v > 0 ? FormatFixed(v, width_, 2) : std::string(size_t(width_), ' '));
    }
    std::string PercentTotalCell(double v) const { return prefix_ + FormatFixed(v, tabs_ ? 0 : width_, 2); }

    void Header(bool pageBreak, int row) {
        pageLines_ = 0;
        if (tableOpen_ && !pageBreak) Footer(false);
        tableOpen_ = true;
        if (!pageBreak && CoreState.TableHeadings)
            pageLines_ += headings_.Append(lines_.Variable[size_t(row)], out_);
        std::string line = tabs_ ? "\t" : std::string(kLabelWidth, ' ');
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
        line += prefix_ + (" " + LoadText(394)).substr(0, size_t(width_));
        out_.Line(line);
        ++pageLines_;
        if (!pageBreak) {
            chiSquare_ = 0;
            tableRows_ = 0;
        }
    }

    void Row(int i) {
        const int columns = table_.Columns();
        const int64_t rowTotal = table_.At(i, kAllCards);
        const int64_t grand = table_.GrandTotal();
        out_.Line(RuleLine());
        ++pageLines_;

        std::string line = lines_.Labels[size_t(i)] + (tabs_ ? "\t" : "");
        for (int k = 1; k <= columns; ++k) line += CountCell(table_.At(i, k));
        out_.Line(line + NumberCell(rowTotal));
        ++pageLines_;

        for (int k = 1; k <= columns; ++k) {
            if (grand <= 0) break;
            const double expected = double(rowTotal) * double(table_.At(0, k)) / double(grand);
            if (expected > 0) {
                const double d = double(table_.At(i, k)) - expected;
                chiSquare_ += d * d / expected;
            }
        }

        const int parent = ParentOf(i);
        const int64_t parentAll = parent ? table_.At(parent, kAllCards) : grand;
        auto percentLine = [&](int text, auto base, double total) {
            std::string l = std::string(24, ' ') + LoadText(text) + (tabs_ ? "\t" : "");
            for (int k = 1; k <= columns; ++k) l += PercentCell(Percent(table_.At(i, k), double(base(k))));
            out_.Line(l + PercentTotalCell(total));
            ++pageLines_;
        };
        if (CoreState.PercentColumn)
            percentLine(
                396, [&](int k) { return parent ? table_.At(parent, k) : table_.At(0, k); },
                Percent(double(rowTotal), double(parentAll)));
        if (CoreState.PercentRow)
            percentLine(
                397, [&](int) { return rowTotal; }, Percent(double(rowTotal), double(rowTotal)));
        if (CoreState.PercentTotal)
            percentLine(
                398, [&](int) { return parentAll; }, Percent(double(rowTotal), double(parentAll)));
    }

    void Footer(bool pageBreak) {
        const int columns = table_.Columns();
        const int parent = ParentOf(lastRow_);
        out_.Line(RuleLine());
        std::string line = LoadText(390) + (tabs_ ? "\t" : std::string(10, ' '));
        std::vector<int64_t> figures;
        for (int k = 1; k <= columns; ++k) {
            figures.push_back(parent ? table_.At(parent, k) : table_.At(0, k));
            line += NumberCell(figures.back()) + (tabs_ ? "\t" : "");
        }
        const int64_t total = parent ? table_.At(parent, kAllCards) : table_.GrandTotal();
        out_.Line(line + NumberCell(total));
        if (CoreState.PercentRow) {
            std::string l = std::string(24, ' ') + LoadText(391) + (tabs_ ? "\t" : "");
            for (int64_t f : figures)
                l += PercentTotalCell(Percent(double(f), double(total))) + (tabs_ ? "\t" : "");
            out_.Line(l + prefix_);
        }
        out_.Line().Line();
        const int df = columns > 0 && tableRows_ > 0 ? (columns - 1) * (tableRows_ - 1) : 0;
        if (df > 0 && CoreState.ChiSquare && chi_ && !pageBreak)
            out_.Line(LoadText(392) + " " + FormatFixed(chiSquare_, 7, 3) + LoadText(393) + " = " +
                      std::to_string(df) + " " + ChiSquareStars(*chi_, chiSquare_, df));
        out_.Line().Line();
    }

    const CrossTableLines& lines_;
    const CountTable& table_;
    const std::optional<ChiSquareTable>& chi_;
    HeadingBlocks headings_;
    TextBuilder out_;
    bool tabs_ = false, borders_ = false;
    int width_ = 7;
    std::string prefix_;
    int pageLines_ = 0;
    bool tableOpen_ = false;
    double chiSquare_ = 0;
    int tableRows_ = 0;
    int lastRow_ = 0;
};

}  // namespace

CrossTableLines RebuildCrossTableLines(bool synoptic) {
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(kGridId));
    CrossTableLines t;
    t.Labels.emplace_back();
    t.Variable.push_back(0);
    t.Parent.push_back(0);
    t.Synoptic.push_back(0);
    std::string records;
    int variable = 0, parent = 0, synopticGroup = 0;
    while (!reader.Eof() && t.Count < kMaxGridLines) {
        const std::string line = reader.ReadLine(300);
        ++t.Count;
        // A '*' in the first position belongs to the label.
        const size_t start = !line.empty() && line[0] == '*' ? 1 : 0;
        const size_t star = line.find('*', start);
        std::string label =
            line.substr(start, std::min(star == std::string::npos ? line.size() : star, line.size()) - start);
        label.resize(kLabelWidth, ' ');
        std::string code;
        if (star != std::string::npos) {
            const size_t semicolon = line.find(';', star);
            if (semicolon != std::string::npos) code = line.substr(semicolon + 1);
        }
        int synopticNumber = 0;
        if (!code.empty() && code[0] == 'G') {
            ++variable;
            size_t d = 3;
            std::string digits;
            while (d < code.size() && code[d] >= '0' && code[d] <= '9' && digits.size() < 9)
                digits += code[d++];
            if (!digits.empty()) parent = std::atoi(digits.c_str());
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
        records += char(kLabelWidth);
        records += label;
        if (StandardColumnFlags[size_t(t.Count) - 1] && t.ColumnHeadings.size() < 11) {
            const size_t hash = line.find('#');
            std::string heading =
                hash == std::string::npos ? std::string() : line.substr(hash + 1, kHeadingWidth);
            heading.resize(kHeadingWidth, ' ');
            t.ColumnHeadings.push_back(heading);
        }
    }
    WriteFileAtomic(DataFilePath(kLabelsId), records);
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

std::string ChiSquareStars(const ChiSquareTable& table, double chiSquare, int df) {
    std::string stars;
    if (df < 1 || df > table.Rows) return stars;
    for (const std::optional<double>& critical : table.Critical[size_t(df) - 1])
        if (critical && chiSquare > *critical) stars += '*';
    return stars;
}

bool WriteCrossTableReport() {
    const CrossTableLines lines = RebuildCrossTableLines(false);
    const std::optional<CountTable> table = ReadCountTable(lines.Count);
    if (!table) {
        CoreState.ProceedFlag = 0;
        return false;
    }
    std::optional<ChiSquareTable> chi;
    if (CoreState.ChiSquare) {
        chi = LoadChiSquareTable(DataFilePath(kChiId));
        if (!chi) CoreState.ChiSquare = 0;
    }
    CrossTableWriter(lines, *table, chi).Write();
    return true;
}

bool WriteSynopticTable() {
    const CrossTableLines lines = RebuildCrossTableLines(true);
    const std::optional<CountTable> table = ReadCountTable(lines.Count);
    if (!table) {
        CoreState.ProceedFlag = 0;
        return false;
    }
    TextBuilder out;
    for (int k = 1; k <= kAllCards; ++k) {
        if (k <= kMaxColumns && k > table->Columns()) continue;
        out.Line().Line().Line(std::string(52, '-')).Line();
        out.Line(LoadText(386) + " " +
                 (k == kAllCards ? LoadText(387) : lines.Labels[size_t(table->ColumnLines[size_t(k) - 1])]));
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
            std::string ofParent = LoadText(388) + " ", ofAll = LoadText(389) + " ";
            for (int j = i; j <= last; ++j) {
                const int64_t count = table->At(j, k);
                counts += FormatInteger(count, 6);
                ofParent += FormatFixed(Percent(double(count), double(parentCount(j))), 6, 2);
                if (k != kAllCards)
                    ofAll += FormatFixed(Percent(double(count), double(table->At(j, kAllCards))), 6, 2);
            }
            out.Line(counts + FormatInteger(parentCount(last), 7));
            out.Line(ofParent);
            out.Line(ofAll);
        }
    }
    out.Save(ReportFilePath());
    return true;
}

}  // namespace qv

#include "elaborations/quantitative_report.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/count_table.h"
#include "elaborations/counting_engine.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "elaborations/simple_distribution_report.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kGridCharsRead = 50;
constexpr size_t kNameWidth = 24;
constexpr int kSlotWidth = 11;
constexpr int kFirstRowText = 1195;  // sum, count, mean, sum per card, standard deviation
constexpr int kTooLargeText = 1692;

int CountLines(TextReader& reader) {
    int lines = 0;
    while (!reader.Eof() && lines < kMaxGridLines) {
        reader.SkipLine();
        ++lines;
    }
    return lines;
}

// The labels of the grid's chosen column lines, in grid order, rebuilt in the label scratch;
// `lines` is the grid's line count. Nothing when the grid does not open.
std::optional<std::vector<std::string>> RebuildColumnLabels(int& lines) {
    lines = 0;
    TextReader grid;
    if (!grid.Open(DataFilePath(data_file::kGrid))) return std::nullopt;
    std::vector<std::string> labels;
    for (; !grid.Eof() && lines < kMaxGridLines; ++lines) {
        const std::string line = grid.ReadLine(kGridCharsRead);
        if (StandardColumnFlags[size_t(lines)])
            labels.emplace_back(GridLineLabel(line, LeadingStar::EndsLabel).substr(0, kNarrowScratchWidth));
    }
    WriteCategoryLabelScratch(labels, kNarrowScratchWidth);
    return labels;
}

// The name of a quantitative grid line: the text after its second '*', in exactly 24 characters.
std::string VariableName(const std::string& line) {
    std::string name(QuantGridLineName(line));
    name.resize(kNameWidth, ' ');
    return name;
}

// A figure in its slot with at least one blank before it: decimals are dropped first, then it
// prints as '*' fill, so that two figures never run together. `format(d)` gives the figure
// with d decimals, unpadded.
template <typename Format>
std::string SlotFigure(Format&& format, int decimals) {
    for (int d = decimals; d >= 0; --d) {
        const std::string text = format(d);
        if (int(text.size()) < kSlotWidth) return RightAligned(text, kSlotWidth);
    }
    return " " + std::string(size_t(kSlotWidth) - 1, '*');
}

}  // namespace

QuantitativeChoice PrepareQuantitativeColumns() {
    QuantitativeChoice choice;
    int lines = 0;
    if (!RebuildColumnLabels(lines)) return choice;

    TextReader quantGrid;
    const int variables = quantGrid.Open(DataFilePath(data_file::kQuantGrid)) ? CountLines(quantGrid) : 0;
    for (int q = 0; q < variables; ++q) choice.Rows += QuantVarFlags[size_t(q)] != 0;
    for (int line = 0; line < lines; ++line) {
        uint8_t& flag = StandardColumnFlags[size_t(line)];
        if (!flag) continue;
        if (choice.Columns < kMaxQuantitativeColumns)
            ++choice.Columns;
        else
            flag = 0;
    }
    return choice;
}

QuantitativeReportOutcome WriteQuantitativeReport() {
    auto stop = [](QuantitativeReportOutcome why) {
        CoreState.ProceedFlag = 0;
        return why;
    };
    TextReader columnFile;
    if (!columnFile.Open(DataFilePath(data_file::kQuantColumns)))
        return stop(QuantitativeReportOutcome::NoCounts);
    const std::vector<int32_t> counted = ReadQuantColumns(columnFile);
    const int columns = int(counted.size());
    bool anyVariable = false;
    for (int q = 0; q < kMaxGridLines; ++q) anyVariable |= QuantVarFlags[size_t(q)] != 0;
    if (!anyVariable) return stop(QuantitativeReportOutcome::NoVariable);

    const std::string sumsPath = DataFilePath(data_file::kQuantSums),
                      squaresPath = DataFilePath(data_file::kQuantSquares),
                      cardsPath = DataFilePath(data_file::kQuantCards);
    const std::optional<std::string> sums = TryReadFile(sumsPath);
    const std::optional<std::string> squares = TryReadFile(squaresPath);
    const std::optional<std::string> cards = TryReadFile(cardsPath);
    TextReader quantGrid;
    if (!sums || !squares || !cards || !quantGrid.Open(DataFilePath(data_file::kQuantGrid)))
        return stop(QuantitativeReportOutcome::NoCounts);

    // Every pass file is read in full grid order, whatever is chosen.
    const size_t slots = size_t(columns) + 1;
    if (sums->size() < 8) ThrowIo(kReadPastEnd, sumsPath);
    const int32_t variables = GetI32(Bytes(*sums));
    if (variables < 0 || variables > kMaxGridLines || sums->size() < 8 + size_t(variables) * slots * 8)
        ThrowIo(kReadPastEnd, sumsPath);
    if (squares->size() < size_t(variables) * slots * 8) ThrowIo(kReadPastEnd, squaresPath);
    if (cards->size() < slots * 4) ThrowIo(kReadPastEnd, cardsPath);
    // The legend names the columns chosen now: figures counted on others, or on a grid edited
    // since, would print under the wrong names.
    // Figures of a quantitative grid edited since would print under other names; a file
    // written without that record is checked as before.
    const int32_t fingerprint = GetI32(Bytes(*sums) + 4);
    const size_t quantAt = 8 + size_t(variables) * slots * 8;
    const int32_t quantFingerprint = sums->size() >= quantAt + 4 ? GetI32(Bytes(*sums) + quantAt) : 0;
    if (counted != FlaggedColumnLines(CountGridLines()) ||
        (fingerprint != 0 && fingerprint != GridFingerprint()) ||
        (quantFingerprint != 0 && quantFingerprint != QuantGridFingerprint()))
        return stop(QuantitativeReportOutcome::StaleCounts);
    // The legend's labels are rebuilt, not read back: any report run since the columns were
    // prepared rewrites the label scratch in its own width and lines.
    int lines = 0;
    const std::vector<std::string> labels = RebuildColumnLabels(lines).value_or(std::vector<std::string>());

    TextBuilder out;
    out.Line();
    if (columns > 0) {
        out.Line(LoadText(1193)).Line().Line(LoadText(1194));
        for (int n = 1; n <= columns; ++n)
            out.Line(FormatInteger(n + 1, 7) + " - " +
                     (size_t(n) <= labels.size() ? labels[size_t(n) - 1] : std::string()));
    }
    out.Line().Line();

    std::vector<int32_t> cardsIn(slots);
    for (size_t s = 0; s < slots; ++s) cardsIn[s] = GetI32(Bytes(*cards) + s * 4);
    std::vector<std::string> rowTexts;
    // Each row's text is padded so that the figures stand under the slot numbers that follow
    // the 24-character name.
    for (int t = 0; t < 5; ++t) {
        std::string text = LoadText(kFirstRowText + t);
        if (text.size() < kNameWidth - 1) text.resize(kNameWidth - 1, ' ');
        rowTexts.push_back(text + " ");
    }

    for (int q = 1; q <= variables; ++q) {
        const std::string name = VariableName(quantGrid.Eof() ? std::string() : quantGrid.ReadLine());
        if (!QuantVarFlags[size_t(q) - 1]) continue;
        std::string heading = name;
        if (columns > 0)
            for (size_t s = 1; s <= slots; ++s) heading += FormatInteger(int64_t(s), kSlotWidth);
        out.Line(heading).Line();
        const size_t first = (size_t(q) - 1) * slots;
        if (GetI32(Bytes(*sums) + 12 + first * 8) == kTooLargeForRecords) {
            out.Line(LoadText(kTooLargeText)).Line().Line();
            continue;
        }
        std::vector<std::string> rows(rowTexts);
        for (size_t s = 0; s < slots; ++s) {
            const size_t i = first + s;
            const int32_t sum = GetI32(Bytes(*sums) + 8 + i * 8);
            const int32_t count = GetI32(Bytes(*sums) + 12 + i * 8);
            const double squared = GetF64(Bytes(*squares) + i * 8);
            const double deviation = count > 0 ? std::sqrt(squared / count) : 0.0;
            rows[0] += SlotFigure([&](int) { return FormatInteger(sum); }, 0);
            rows[1] += SlotFigure([&](int) { return FormatInteger(count); }, 0);
            rows[2] += SlotFigure([&](int d) { return FormatRatio(sum, count, 0, d); }, 2);
            rows[3] += SlotFigure([&](int d) { return FormatRatio(sum, cardsIn[s], 0, d); }, 2);
            rows[4] += SlotFigure([&](int d) { return FormatFixed(deviation, 0, d); }, 2);
        }
        for (const std::string& row : rows) out.Line(row);
        out.Line().Line();
    }
    out.Save(ReportFilePath());
    return QuantitativeReportOutcome::Written;
}

}  // namespace qv

#include "quick/quick_selection.h"

#include <algorithm>
#include <array>
#include <functional>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/typed_values.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "quick/additional_variables.h"
#include "quick/preparation.h"

namespace qv {

namespace {

constexpr int kAllCardsText = 775, kActiveTerritoryText = 782;
constexpr int kMaxVariables = 4000;
constexpr size_t kGridWidth = 300;   // as the matrix build reads the grid
constexpr size_t kLogWidth = 65535;  // log lines are copied whole
constexpr size_t kDatePartWidth = 10;
constexpr int kMaxTranslations = 8250;
constexpr int64_t kMaskCards = int64_t(kSelectionMaskBytes) * 8;

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// An optional sign and digits, nothing else; nullopt otherwise.
std::optional<int64_t> Integer(const std::string& text) {
    const std::string t = Trim(text);
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (i == t.size() || t.size() - i > 12) return std::nullopt;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
    }
    return t[0] == '-' ? -value : value;
}

std::vector<std::string> ReadLogOrThrow() {
    TextReader reader;
    reader.OpenOrThrow(SelectionLogPath());
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine(kLogWidth));
    return lines;
}

void WriteLog(const std::vector<std::string>& lines) {
    TextBuilder out;
    for (const std::string& line : lines) out.Line(line);
    out.Save(SelectionLogPath());
}

// Map comune of each archive territory code (entry code; -1 = none).
std::vector<int> ReadComuneTranslation() {
    const std::string bytes = ReadFileOrThrow(DataFilePath(data_file::kTranslation));
    const size_t records = std::min(bytes.size() / 2, size_t(kMaxTranslations));
    std::vector<int> table(size_t(kMaxTranslations) + 1, -1);
    table[0] = 0;
    for (size_t j = 0; j < records; ++j)
        table[j + 1] = GetI16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * j);
    return table;
}

// The map shows the territory the cards were just selected by.
void TransferTerritoryToMap(const std::vector<int>& translation) {
    MapActiveComuni.fill(0);
    const int codes = std::min({TerritoryCount, kTerritoryTableSize, kMaxTranslations});
    for (int code = 1; code <= codes; ++code) {
        if (!TerritorySelection[size_t(code - 1)]) continue;
        const int comune = translation[size_t(code)];
        if (comune >= 1 && comune <= kMapComuniSize) MapActiveComuni[size_t(comune - 1)] = 1;
    }
}

// The range and territory steps: the cards 0..L whose value in `fileId` (records of 10240
// values of `valueBytes` bytes) passes `passes`, combined into the selection.
ValueStepOutcome ValueStep(SelectionOperation op, int fileId, int valueBytes,
                           const std::function<bool(int32_t)>& passes, const std::string& logLine,
                           const std::function<void()>& beforeChange = {}) {
    const int32_t last = ReadPreparedCardCount();
    std::vector<std::string> log = ReadLogOrThrow();
    CardBitmap bits(kSelectionMaskBytes);
    const int64_t cards = std::min<int64_t>(int64_t(last) + 1, kMaskCards);
    const std::optional<std::vector<int32_t>> values = ReadPerCardValues(fileId, valueBytes, cards);
    // Without the values nothing is known of any card: selection and log stay as they are.
    if (!values) return ValueStepOutcome::ValueFileMissing;
    // A value file prepared for fewer cards cannot say where the others stand.
    if (int64_t(values->size()) < cards) ThrowIo(kReadPastEnd, DataFilePath(fileId));
    for (int64_t c = 0; c < cards; ++c)
        if (passes((*values)[size_t(c)])) bits.Set(c);
    log.push_back(logLine);
    WriteLog(log);
    // The log is the last thing that can fail: selection and map change together after it.
    if (beforeChange) beforeChange();
    CombineIntoSelection(op, bits, size_t(std::max(last, 0) / 8 + 2));
    return ValueStepOutcome::Done;
}

std::function<bool(int32_t)> Between(std::optional<int64_t> low, std::optional<int64_t> high) {
    return [low, high](int32_t v) { return (!low || *low <= v) && (!high || v <= *high); };
}

std::string RangeLine(SelectionOperation op, const std::string& lower, const std::string& label,
                      const std::string& upper) {
    return OperatorWord(op) + lower + " < (" + label + ") < " + upper;
}

}  // namespace

std::string OperatorWord(SelectionOperation op) {
    switch (op) {
        case SelectionOperation::And:
            return "AND ";
        case SelectionOperation::Or:
            return "OR ";
        case SelectionOperation::AndNot:
            return "NOT ";
    }
    return {};
}

void CombineIntoSelection(SelectionOperation op, const CardBitmap& bits, size_t count) {
    CombineCards(op, CardSelectionMask.data(), bits.Bytes(),
                 std::min({count, bits.ByteCount(), CardSelectionMask.size()}));
}

std::string SelectionLogPath() {
    return CoreState.ArchiveDir + "Selezio." + CoreState.StationNumber;
}

std::optional<std::vector<std::string>> ReadSelectionLog() {
    return TextReader::ReadLines(SelectionLogPath(), kLogWidth);
}

void AppendSelectionLog(const std::string& line) {
    std::vector<std::string> log = ReadLogOrThrow();
    log.push_back(line);
    WriteLog(log);
}

void SelectAllCards() {
    WriteLog({LoadText(kAllCardsText)});
    CardSelectionMask.fill(0xFF);
    CoreState.ReportCondition = 0;
}

void SelectByVariable(SelectionOperation op, int variable, const std::string& label) {
    const int32_t last = ReadMatrixCardCount();
    const CardBitmap area = ReadMatrixArea(variable, last);
    AppendSelectionLog(OperatorWord(op) + "(" + label + ")");
    CombineIntoSelection(op, area);
}

ValueStepOutcome SelectByTerritory(SelectionOperation op, const std::string& territoryLabel) {
    // Read first: a missing translation leaves selection, log and map as they were.
    const std::vector<int> translation = ReadComuneTranslation();
    const auto active = [](int32_t code) {
        return code > 0 && code <= kTerritoryTableSize && TerritorySelection[size_t(code - 1)] != 0;
    };
    return ValueStep(op, data_file::kPreparedTerritory, 2, active,
                     OperatorWord(op) + LoadText(kActiveTerritoryText) + " (" + territoryLabel + ")",
                     [&translation] { TransferTerritoryToMap(translation); });
}

ValueStepOutcome SelectByDateRange(SelectionOperation op, const std::string& lower, const std::string& upper,
                                   const std::string& dateLabel) {
    return ValueStep(op, data_file::kDateValues, 4, Between(DateBound(lower), DateBound(upper)),
                     RangeLine(op, lower, dateLabel, upper));
}

ValueStepOutcome SelectByQuantityRange(SelectionOperation op, const std::string& lower,
                                       const std::string& upper, const std::string& quantityLabel) {
    return ValueStep(op, data_file::kQuantValues, 4, Between(QuantityBound(lower), QuantityBound(upper)),
                     RangeLine(op, lower, quantityLabel, upper));
}

std::optional<int64_t> DateBound(const std::string& typed) {
    // "gg/mm/aaaa": day, month and year, each read as a number (0 when it is not one).
    int64_t parts[3] = {0, 0, 0};
    size_t start = 0;
    for (int k = 0; k < 3 && start <= typed.size(); ++k) {
        const size_t slash = k < 2 ? typed.find('/', start) : std::string::npos;
        const size_t end = slash == std::string::npos ? typed.size() : slash;
        parts[k] = Integer(typed.substr(start, std::min(end - start, kDatePartWidth))).value_or(0);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    const int64_t day = parts[0], month = parts[1];
    if (parts[2] <= 0) return std::nullopt;  // no year: the bound stays open
    // One or two digits mean a year of this century or the last, as in every date typed.
    const int64_t year = parts[2] <= 99 ? FullYear(int(parts[2])) : parts[2];
    return year * 10000 + month * 100 + day;
}

std::optional<int64_t> QuantityBound(const std::string& typed) {
    return Integer(typed);
}

std::vector<std::string> QuickSelectionVariables() {
    std::vector<std::string> labels;
    if (const auto lines = TextReader::ReadLines(DataFilePath(data_file::kQuickGrid), kGridWidth)) {
        for (const std::string& line : *lines) {
            if (labels.size() == size_t(kMaxVariables)) break;
            labels.push_back(line.substr(0, line.find('*')));
        }
    }
    if (CoreState.ElaborationMode == 2) {
        if (const auto rules = ReadAdditionalRules()) {
            for (const AdditionalRule& r : *rules) {
                if (labels.size() == size_t(kMaxVariables)) break;
                labels.push_back(r.Label);
            }
        }
    }
    return labels;
}

std::vector<QuickVariableGroup> QuickSelectionGroups() {
    const bool quick = CoreState.ElaborationMode == 2;
    std::vector<QuickVariableGroup> groups;
    if (const auto lines =
            TextReader::ReadLines(DataFilePath(quick ? data_file::kQuickHeadings : data_file::kHeadings))) {
        int inBlock = 0;
        std::string title;
        for (const std::string& line : *lines) {
            if (line.compare(0, 3, "///") == 0) {
                groups.push_back(QuickVariableGroup{title, std::nullopt});
                inBlock = 0;
                title.clear();
                continue;
            }
            if (++inBlock == 4) title = line;
        }
    }
    TextReader probe;
    const std::string gridPath = DataFilePath(quick ? data_file::kQuickGrid : data_file::kGrid);
    if (probe.Open(gridPath)) {
        const CategoryGrid grid = LoadCategoryGrid(gridPath);
        size_t g = 0;
        for (int line = 1; line <= grid.Count && g < groups.size(); ++line)
            if (grid.OpensVariable[size_t(line)]) groups[g++].FirstLine = line - 1;
    }
    return groups;
}

}  // namespace qv

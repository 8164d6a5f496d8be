#include "quick/card_set_condition.h"

#include <algorithm>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/typed_values.h"
#include "platform/text_file.h"
#include "quick/additional_variables.h"
#include "quick/preparation.h"
#include "quick/quick_selection.h"

namespace qv {

namespace {

constexpr int kMaxVariables = 4000;
constexpr size_t kNameWidth = 10;

}  // namespace

std::vector<ConditionItem> ParseCardSetCondition(const std::string& text) {
    std::vector<ConditionItem> items;
    size_t start = 0;
    for (size_t end = text.find(';'); end != std::string::npos;
         start = end + 1, end = text.find(';', start)) {
        ConditionItem item;
        item.Text = text.substr(start, end - start);
        if (TrimBlanks(item.Text).empty()) continue;
        const size_t comma = item.Text.find(',');
        item.Name = std::string(TrimBlanks(item.Text.substr(0, comma)));
        if (comma != std::string::npos && comma + 1 < item.Text.size()) {
            item.Operator = item.Text[comma + 1];
            item.Category = RuleNumber(item.Text.substr(comma + 2));
        }
        items.push_back(std::move(item));
    }
    return items;
}

ReportVariables ReportVariables::Read() {
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(data_file::kQuickGrid));
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine());
    return FromLines(lines);
}

ReportVariables ReportVariables::FromLines(const std::vector<std::string>& gridLines) {
    ReportVariables result;
    std::optional<std::string> previous;  // no name equals the value before the first line
    Variable* current = nullptr;
    int count = 0;
    for (size_t i = 0; i < gridLines.size(); ++i) {
        const std::string& line = gridLines[i];
        const std::string name = line.substr(0, std::min(line.find(' '), kNameWidth));
        if (!previous || name != *previous) {
            previous = name;
            if (count == kMaxVariables) {
                current = nullptr;
                continue;
            }
            ++count;
            current = &(result.byName_[name] = Variable{int(i) + 1, 0});
        }
        if (current) ++current->Lines;
    }
    return result;
}

std::optional<int> ReportVariables::MatrixVariable(const std::string& name, int category) const {
    const auto it = byName_.find(name.substr(0, kNameWidth));
    if (it == byName_.end() || category < 1 || category > it->second.Lines) return std::nullopt;
    return it->second.FirstLine + category - 2;
}

void CombineConditionItems(const std::vector<ConditionItem>& items, const ReportVariables& variables,
                           int32_t lastPrepared, bool withinSelection, CardBitmap& set,
                           std::vector<std::string>& skipped) {
    for (const ConditionItem& item : items) {
        const std::optional<SelectionOperation> op = ItemOperation(item.Operator);
        if (!op && item.Category) continue;
        const std::optional<int> variable =
            item.Category ? variables.MatrixVariable(item.Name, *item.Category) : std::nullopt;
        if (!variable) {
            skipped.push_back(item.Text + ";");
            continue;
        }
        CardBitmap area = ReadMatrixArea(*variable, lastPrepared);
        if (withinSelection) {
            const size_t m = std::min(area.ByteCount(), CardSelectionMask.size());
            CombineCards(SelectionOperation::And, area.Bytes(), CardSelectionMask.data(), m);
            area.ClearFrom(int64_t(m) * 8);
        }
        set.Combine(*op, area);
    }
}

std::vector<std::string> ReadSavedConditionTitles() {
    std::vector<std::string> titles;
    if (const auto lines = TextReader::ReadLines(DataFilePath(data_file::kSavedConditions)))
        for (const std::string& line : *lines)
            if (!line.empty() && line[0] == '*') titles.push_back(line.substr(1));
    return titles;
}

std::vector<std::string> ApplySavedCondition(int k, const std::string& title) {
    CoreState.ReportCondition = k;
    std::vector<std::string> skipped;
    const std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(data_file::kSavedConditions));
    std::optional<CardBitmap> selection;
    if (lines) {
        const ReportVariables variables = ReportVariables::Read();
        const int32_t last = ReadMatrixCardCount();
        // A file shorter than the pair of k holds an empty condition: every card.
        const size_t line = 2 * size_t(std::max(k, 0)) + 1;
        const std::string condition = line < lines->size() ? (*lines)[line] : std::string();
        selection.emplace(kSelectionMaskBytes, uint8_t(0xFF));
        CombineConditionItems(ParseCardSetCondition(condition), variables, last, false, *selection, skipped);
    }
    TextBuilder log;
    log.Line(title);
    log.Save(SelectionLogPath());
    if (selection) std::copy_n(selection->Bytes(), selection->ByteCount(), CardSelectionMask.begin());
    return skipped;
}

}  // namespace qv

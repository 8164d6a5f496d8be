#include "quick/additional_variables.h"

#include <algorithm>

#include "core/data_files.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "core/typed_values.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/text_file.h"
#include "quick/card_bitmap.h"
#include "quick/preparation.h"

namespace qv {

namespace {

constexpr size_t kLabelWidth = 255;
// Rule lines are not cut at the label width: an at-least rule copied from a report easily runs
// longer, and a cut line would silently lose its last items.
constexpr size_t kRuleWidth = 65535;
constexpr size_t kWordsLabelWidth = 60;
constexpr int kReportNumberColumn = 18, kReportNumberWidth = 4, kReportBlankColumn = 10;

std::string GroupName(const std::string& label) {
    return label.substr(0, std::min(label.find(' '), size_t(kGroupNameWidth)));
}

}  // namespace

std::optional<int> RuleNumber(std::string_view text) {
    return PaddedDigits(text, 9);
}

namespace {

// The grid groups; a missing grid is an error only where the matrix is written.
QuickGridGroups LoadGroups(bool required) {
    QuickGridGroups groups;
    const std::string path = DataFilePath(data_file::kQuickGrid);
    TextReader probe;
    if (!required && !probe.Open(path)) return groups;
    const CategoryGrid grid = LoadCategoryGrid(path);
    for (int line = 1; line <= grid.Count; ++line) {
        const std::string& label = grid.Labels[size_t(line)];
        std::string name = GroupName(label);
        const bool sameGroup = !groups.Names.empty() && groups.Names.back() == name;
        groups.NumberInGroup.push_back(sameGroup ? groups.NumberInGroup.back() + 1 : 1);
        groups.Labels.push_back(label);
        groups.Names.push_back(std::move(name));
    }
    return groups;
}

const char* OperatorWord(char op) {
    switch (op) {
        case '-':
            return "AND ";
        case '+':
            return "OR  ";
        case '#':
            return "NOT ";
        default:
            return "";
    }
}

// The 0-based variables of a rule's items; the first item not found otherwise.
struct ResolvedRule {
    std::vector<int> Variables;
    std::optional<std::string> Fault;
};
ResolvedRule Resolve(const QuickGridGroups& groups, const AdditionalRule& pair, const ParsedRule& rule) {
    ResolvedRule r;
    if (!pair.HasRule || !rule.WellFormed || rule.Items.empty()) {
        r.Fault = pair.Rule;
        return r;
    }
    for (const RuleItem& item : rule.Items) {
        const std::optional<int> v = groups.Find(item.Name, item.Number);
        if (!v || (!rule.AtLeast && !ItemOperation(item.Operator))) {
            r.Fault = item.Text;
            return r;
        }
        r.Variables.push_back(*v);
    }
    return r;
}

}  // namespace

std::optional<int> QuickGridGroups::Find(const std::string& name, int number) const {
    // The last run of the name in the file.
    for (int line = LineCount() - 1; line >= 0; --line) {
        if (Names[size_t(line)] != name) continue;
        const int first = line - NumberInGroup[size_t(line)] + 1;
        const int size = NumberInGroup[size_t(line)];
        if (number < 1 || number > size) return std::nullopt;
        return first + number - 1;
    }
    return std::nullopt;
}

QuickGridGroups LoadQuickGridGroups() {
    return LoadGroups(true);
}

std::optional<std::vector<AdditionalRule>> ReadAdditionalRules() {
    std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(data_file::kAdditionalVariables), kRuleWidth);
    if (!lines) return std::nullopt;
    while (!lines->empty() && lines->back().empty()) lines->pop_back();
    std::vector<AdditionalRule> rules;
    for (size_t i = 0; i < lines->size(); i += 2) {
        AdditionalRule r;
        const std::string label = (*lines)[i].substr(0, kLabelWidth);
        r.Label = label.empty() ? label : label.substr(1);
        r.HasRule = i + 1 < lines->size();
        if (r.HasRule) r.Rule = (*lines)[i + 1];
        rules.push_back(std::move(r));
    }
    return rules;
}

ParsedRule ParseRule(const std::string& rule) {
    ParsedRule parsed;
    std::string items = rule;
    parsed.AtLeast = !rule.empty() && rule[0] == 'F';
    if (parsed.AtLeast) {
        const size_t open = rule.find('('), colon = rule.find(':');
        const size_t close = open == std::string::npos ? std::string::npos : rule.find(')', open);
        const std::optional<int> k =
            close == std::string::npos ? std::nullopt : RuleNumber(rule.substr(open + 1, close - open - 1));
        if (!k || colon == std::string::npos) {
            parsed.WellFormed = false;
            return parsed;
        }
        parsed.MinimumCount = *k;
        items = rule.substr(colon + 1);
    }
    size_t start = 0;
    for (size_t end = items.find(';'); end != std::string::npos;
         start = end + 1, end = items.find(';', start)) {
        RuleItem item;
        item.Text = items.substr(start, end - start + 1);
        const std::string body = items.substr(start, end - start);
        const size_t comma = body.find(',');
        item.Name = std::string(TrimBlanks(body.substr(0, comma)));
        if (comma != std::string::npos) {
            std::string number = body.substr(comma + 1);
            if (!parsed.AtLeast && !number.empty()) {
                item.Operator = number[0];
                number.erase(0, 1);
            }
            item.Number = RuleNumber(number).value_or(0);
        }
        parsed.Items.push_back(std::move(item));
    }
    return parsed;
}

std::vector<RuleFault> BuildAdditionalVariables(Progress& progress) {
    const QuickGridGroups groups = LoadGroups(true);
    const std::optional<std::vector<AdditionalRule>> rules = ReadAdditionalRules();
    std::vector<RuleFault> faults;
    if (!rules || rules->empty()) {
        RecordAdditionalVariables();
        return faults;
    }

    // The rules name lines of the grid as it is now: the areas must be those of this grid.
    const int32_t last = ReadMatrixCardCount(false);
    const int64_t areaRecords = MatrixAreaRecords(last);
    const size_t areaBytes = size_t(areaRecords) * kMatrixRecordBytes;
    const int64_t gridLines = groups.LineCount();
    RecordFile matrix(DataFilePath(data_file::kBitMatrix), kMatrixRecordBytes, RecordFile::Mode::ReadWrite);
    // Rules written after the areas of a different grid would stand for the wrong variables.
    if (matrix.RecordCount() < gridLines * areaRecords) ThrowIo(kReadPastEnd, matrix.Path());

    const int64_t cards = int64_t(last) + 1;
    CardBitmap result(areaBytes), area(areaBytes);
    std::vector<uint16_t> counters;
    progress.SetMaximum(int(rules->size()));
    for (size_t r = 0; r < rules->size(); ++r) {
        progress.SetPosition(int(r));
        const AdditionalRule& pair = (*rules)[r];
        const ParsedRule rule = ParseRule(pair.Rule);
        const ResolvedRule resolved = Resolve(groups, pair, rule);
        if (resolved.Fault) {
            faults.push_back(RuleFault{int(r), pair.Label, *resolved.Fault});
            result = CardBitmap(areaBytes);
        } else if (!rule.AtLeast) {
            result = CardBitmap(areaBytes, 0xFF);
            for (size_t i = 0; i < resolved.Variables.size(); ++i) {
                matrix.Read(int64_t(resolved.Variables[i]) * areaRecords, area.Bytes(), areaRecords);
                result.Combine(*ItemOperation(rule.Items[i].Operator), area);
            }
        } else {
            counters.assign(size_t(std::max<int64_t>(cards, 0)), 0);
            for (int v : resolved.Variables) {
                matrix.Read(int64_t(v) * areaRecords, area.Bytes(), areaRecords);
                for (int64_t c = 0; c < cards; ++c)
                    if (area.Has(c)) ++counters[size_t(c)];
            }
            result = CardBitmap(areaBytes);
            for (int64_t c = 0; c < cards; ++c)
                if (counters[size_t(c)] >= rule.MinimumCount) result.Set(c);
        }
        // A combination starts from every card: the bits past the last one are no cards.
        result.ClearFrom(cards);
        matrix.Write((gridLines + int64_t(r)) * areaRecords, result.Bytes(), areaRecords);
    }
    matrix.Truncate((gridLines + int64_t(rules->size())) * areaRecords);
    matrix.Sync();
    RecordAdditionalVariables();
    progress.SetPosition(0);
    return faults;
}

void WriteGridVariableList() {
    const QuickGridGroups groups = LoadGroups(false);
    TextBuilder out;
    out.Line(LoadText(541));
    out.Line("----------------------");
    for (int line = 0; line < groups.LineCount(); ++line)
        out.Line(RightAligned(groups.Names[size_t(line)], 5) +
                 RightAligned(std::to_string(groups.NumberInGroup[size_t(line)]), 3) + " = " +
                 groups.Labels[size_t(line)]);
    out.Save(ReportFilePath());
}

void WriteRulesInWords() {
    TextBuilder out;
    const std::optional<std::vector<AdditionalRule>> rules = ReadAdditionalRules();
    if (!rules) {
        out.Line(LoadText(545) + DataFilePath(data_file::kAdditionalVariables) + LoadText(544));
        out.Save(ReportFilePath());
        return;
    }
    const QuickGridGroups groups = LoadGroups(false);
    const std::string dashes(66, '-');
    RunTexts texts;
    auto quotedLabel = [&](const RuleItem& item, size_t width) {
        const std::optional<int> v = groups.Find(item.Name, item.Number);
        if (!v) return "\"\"" + texts(544);
        return "\"" + groups.Labels[size_t(*v)].substr(0, width) + "\"";
    };
    for (const AdditionalRule& pair : *rules) {
        out.Line(dashes).Line().Line("\"" + pair.Label + "\"").Line();
        const ParsedRule rule = ParseRule(pair.Rule);
        if (pair.HasRule && rule.AtLeast) {
            out.Line(texts(542) + " " + std::to_string(rule.MinimumCount) + texts(543)).Line();
            for (const RuleItem& item : rule.Items)
                out.Line(item.Name + std::to_string(item.Number) + " " +
                         quotedLabel(item, std::string::npos));
        } else if (pair.HasRule) {
            for (const RuleItem& item : rule.Items)
                out.Line(item.Name + std::to_string(item.Number) + " " + OperatorWord(item.Operator) +
                         quotedLabel(item, kWordsLabelWidth));
        }
        out.Line();
    }
    out.Line(dashes);
    out.Save(ReportFilePath());
}

void WriteItemsFromReport(const std::string& reportPath) {
    const QuickGridGroups groups = LoadGroups(false);
    TextReader report;
    report.OpenOrThrow(reportPath);
    if (!report.Eof()) report.SkipLine();
    TextBuilder out;
    out.Line("* 1");
    int group = 1;
    std::string items;
    while (!report.Eof()) {
        const std::string line = report.ReadLine();
        if (!line.empty() && line[0] == '-') {
            if (!items.empty()) out.Line(items);
            items.clear();
            out.Line("* " + std::to_string(++group));
            continue;
        }
        if (line.size() < size_t(kReportBlankColumn) || line[kReportBlankColumn - 1] != ' ') continue;
        const std::string column = line.size() >= size_t(kReportNumberColumn)
                                       ? line.substr(kReportNumberColumn - 1, kReportNumberWidth)
                                       : std::string();
        const std::optional<int> n = RuleNumber(column);
        if (!n || *n < 1 || *n > groups.LineCount()) continue;
        const size_t v = size_t(*n - 1);
        items += groups.Names[v] + "," + std::to_string(groups.NumberInGroup[v]) + ";";
    }
    if (!items.empty()) out.Line(items);
    out.Save(ReportFilePath());
}

void WriteRuleFaults(const std::vector<RuleFault>& faults) {
    TextBuilder out;
    RunTexts texts;
    for (const RuleFault& f : faults) out.Line("\"" + f.Label + "\": " + f.Item + texts(544));
    out.Save(ReportFilePath());
}

}  // namespace qv

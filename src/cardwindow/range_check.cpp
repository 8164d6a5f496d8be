#include "cardwindow/range_check.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cardwindow/card_pass.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

std::string_view Columns(std::string_view line, size_t first, size_t width) {
    if (line.size() < first) return {};
    return line.substr(first - 1, width);
}

// A field the municipality check can read: one of the archive's fields with a word on the card.
bool HasWordOnCard(int field) {
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields) || TypeOfField(field).IsText())
        return false;
    const int p = FieldPositions[field];
    return p >= 1 && p <= CurrentCardGeometry().wordCount;
}

std::string CardTag(int32_t card) {
    return "rec. " + RightAligned(int64_t(card) + 1, 6);
}

}  // namespace

int32_t LeadingCode(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first != std::string_view::npos && (text[first] == '-' || text[first] == '+')) return 0;
    return LeadingInteger(text);
}

void BuildProvinceRangeList() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kProvinceStarts));
    std::vector<std::string> lines;
    while (!in.Eof()) lines.push_back(in.ReadLine(255));

    std::vector<int32_t> first;
    for (const std::string& line : lines) first.push_back(LeadingCode(Columns(line, 1, 4)));
    first.push_back(TerritoryCount + 1);

    TextBuilder out;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string_view text = lines[n].size() > 4 ? std::string_view(lines[n]).substr(4) : "";
        out.Line(RightAligned(first[n], 5) + RightAligned(int64_t(first[n + 1]) - 1, 5) + std::string(text));
    }
    out.Save(DataFilePath(data_file::kProvinceRanges));
}

std::optional<ProvinceRanges> LoadProvinceRanges() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kProvinceRanges))) return std::nullopt;
    ProvinceRanges ranges;
    for (int n = 1; n <= kMaxProvinces && !in.Eof(); ++n) {
        const std::string line = in.ReadLine(255);
        ranges.low[size_t(n)] = LeadingCode(Columns(line, 1, 5));
        ranges.high[size_t(n)] = LeadingCode(Columns(line, 6, 5));
    }
    return ranges;
}

CardCount RunRangeCheck(Progress& progress) {
    const std::optional<ProvinceRanges> ranges = LoadProvinceRanges();
    const int communeField = CoreState.CommuneField;
    const int provinceField = CoreState.ProvinceField;
    const bool communeCheck = ranges && HasWordOnCard(communeField) && HasWordOnCard(provinceField);
    const std::string missingCommune = LoadText(837);
    const std::string missingProvince = LoadText(838);
    const std::string outsideProvince = LoadText(839);

    // The report is created before any card is touched, so that an unwritable report stops
    // the check before it changes the archive.
    const std::string reportPath = DataFilePath(data_file::kReport);
    WriteFileAtomic(reportPath, "");
    TextBuilder report;

    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    const int words = CurrentCardGeometry().wordCount;
    const CardCount cards = UpdateEveryCardValues(progress, [&](int32_t card) {
        for (int f = 1; f <= fields; ++f) {
            if (!TypeOfField(f).IsAnswer()) continue;
            const int p = FieldPositions[f];
            if (p < 1 || p > words) continue;
            const int v = int16_t(CurrentCardValues[p]);
            const int count = FieldCategoryCount(f);
            if (v >= 0 && v <= count) continue;
            report.Line(CardTag(card) + ", pos. " + RightAligned(f, 5) + ", val. " + std::to_string(v));
            CurrentCardValues[p] = 0;
        }
        if (!communeCheck) return;
        const int commune = int16_t(CurrentCardValues[FieldPositions[communeField]]);
        const int province = int16_t(CurrentCardValues[FieldPositions[provinceField]]);
        if (commune == 0) report.Line(CardTag(card) + missingCommune);
        if (province == 0) report.Line(CardTag(card) + missingProvince);
        if (commune > 0 && province >= 1 && province <= 999 &&
            (commune < ranges->low[size_t(province)] || commune > ranges->high[size_t(province)]))
            report.Line(CardTag(card) + outsideProvince);
    });
    report.Save(reportPath);
    return cards;
}

}  // namespace qv

#include "territory/territorial_filters.h"

#include <algorithm>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr int kWantedSlots = 2001;
constexpr int kCategoryOffset = 334;

// Comuni the filters walk: 1..ValueCount, within the map table.
int FilteredComuni() {
    QV_ASSERT(MapState.ValueCount >= 0 && MapState.ValueCount < kMapComuniSize);
    return std::clamp(MapState.ValueCount, 0, kMapComuniSize - 1);
}

void WriteLines(int fileId, const std::vector<std::string>& lines) {
    TextBuilder out;
    for (const std::string& line : lines) out.Line(line);
    out.Save(DataFilePath(fileId));
}

void Join(int comune, bool passes, FilterJoin join) {
    uint8_t& active = MapActiveComuni[size_t(comune - 1)];
    if (join == FilterJoin::And && !passes) active = 0;
    if (join == FilterJoin::Or && passes) active = 1;
}

}  // namespace

QualitativeLists BuildQualitativeLists() {
    QualitativeLists lists;
    TextReader in;
    if (in.Open(DataFilePath(data_file::kUnitNames))) {
        if (!in.Eof()) in.SkipLine();
        int variable = -1;
        while (!in.Eof()) {
            const std::string line = in.ReadLine(255);
            if (line.size() >= 4 && line[3] == 'q') {
                ++variable;
                lists.variables.push_back(line.size() > 5 ? line.substr(5, 200) : std::string());
            } else if (variable == MapState.QualitativeVariable) {
                lists.categories.push_back(line.size() > 6 ? line.substr(6, 200) : std::string());
            }
        }
    }
    WriteLines(data_file::kVariableList, lists.variables);
    WriteLines(data_file::kCategoryList, lists.categories);
    return lists;
}

void ApplyQualitativeFilter(const std::vector<bool>& wantedCategories, FilterJoin join) {
    std::vector<bool> wanted(kWantedSlots, false);
    for (size_t k = 0; k < wantedCategories.size() && k < wanted.size(); ++k) wanted[k] = wantedCategories[k];

    // Read the whole block first, so that a missing one leaves the map as it was.
    const std::vector<int32_t> values = ReadTerritorialVariable(MapState.QualitativeVariable + 1);
    for (int i = 1; i <= FilteredComuni(); ++i) {
        bool passes = false;
        if (size_t(i) <= values.size()) {
            const int64_t value = int64_t(values[size_t(i - 1)]) - kCategoryOffset;
            passes = value >= 0 && value < kWantedSlots - 1 && wanted[size_t(value)];
        }
        Join(i, passes, join);
    }
}

bool ApplyQuantitativeFilter(std::span<const int32_t> counts, int32_t low, int32_t high, FilterJoin join) {
    if (low == kEmptyNumber && high == kEmptyNumber) return false;
    for (int i = 1; i <= FilteredComuni(); ++i) {
        const int32_t count = size_t(i) < counts.size() ? counts[size_t(i)] : 0;
        const bool passes = !(low != kEmptyNumber && count < low) && !(high != kEmptyNumber && count > high);
        Join(i, passes, join);
    }
    return true;
}

int32_t BoundValue(const std::string& text) {
    return PaddedInteger(text).value_or(kEmptyNumber);
}

}  // namespace qv

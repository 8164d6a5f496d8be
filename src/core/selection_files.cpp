#include "core/selection_files.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "core/core_state.h"
#include "core/field_type.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

namespace {

constexpr int kReservedCriteriaRecords = 41;
// The most records a criteria file can hold: the reserved ones, a run per territory code, every
// field with its categories, the field lists, the date and number pairs, the weight field and
// the eight section marks. A larger file is none of ours and is refused before it is read.
constexpr int64_t kCriteriaFileLimit =
    4 * (kReservedCriteriaRecords + 2 * (kStatisticsTerritoryCodes + 1) + 3 * int64_t(kMaxFields) +
         kCategorySlots + 2 * kDateConditionSlots + 2 * kNumericConditionSlots + 1 + 8);

// Highest territory code the selection table can hold.
int TerritoryLimit() {
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kTerritoryTableSize);
    return std::clamp(TerritoryCount, 0, kTerritoryTableSize);
}

bool ValidField(int64_t field) {
    return field >= 1 && field <= kMaxFields;
}

int FieldLimit() {
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    return std::clamp(CoreState.FieldCount, 0, kMaxFields);
}

}  // namespace

bool NamesFile(const std::string& name) {
    // Byte order: the empty name, a leading blank or control character, and "!" itself name nothing.
    return std::string_view(name) > std::string_view("!");
}

bool TerritoriesChosen() {
    const int territories = TerritoryLimit();
    return std::any_of(TerritorySelection.begin(), TerritorySelection.begin() + territories,
                       [](uint8_t flag) { return flag != 0; });
}

bool TerritorialFieldInCondition() {
    const int fields = FieldLimit();
    for (int f = 1; f <= fields; ++f)
        if (FieldTypes[f] == FieldType::kMunicipality && FieldInCondition[f] != 0) return true;
    return false;
}

int TerritoryConditionField() {
    const int fields = FieldLimit();
    const int current = CoreState.CurrentField;
    if (current >= 1 && current <= fields && FieldTypes[size_t(current)] == FieldType::kMunicipality)
        return current;
    for (int f = 1; f <= fields; ++f)
        if (FieldTypes[f] == FieldType::kMunicipality) return f;
    return 0;
}

void MarkTerritoryCondition() {
    if (const int field = TerritoryConditionField(); field > 0)
        FieldInCondition[size_t(field)] = TerritoriesChosen() ? 1 : 0;
}

uint8_t* TerritoryFlag(int code) {
    if (code < 1 || code > TerritoryLimit()) return nullptr;
    return &TerritorySelection[size_t(code - 1)];
}

int YearTailSlot(int field) {
    if (field < 1 || field > kMaxFields || FieldTypes[size_t(field)] != FieldType::kDate ||
        FieldStatisticsIndex[size_t(field)] <= 0)
        return -1;
    int slot = 0;
    for (int f = 1; f < field; ++f)
        slot += FieldTypes[size_t(f)] == FieldType::kDate && FieldStatisticsIndex[size_t(f)] > 0;
    return slot < kYearTailSlots ? slot : -1;
}

int YearTailCounter(int yearWord) {
    if (yearWord == 0) return 0;
    if (yearWord <= kYearCountersShown) return -1;  // before 1900 too: no counter
    return std::min(yearWord - kYearCountersShown, kYearTailCountersPerField - 1);
}

void ClearStatistics(int level) {
    for (auto& table : StatisticsTables) table.fill(0);
    for (auto& table : StatisticsYearTail) table.fill(0);
    std::fill_n(NumericFieldSummary.begin(), 1000, kNoMaximum);
    std::fill_n(NumericFieldSummary.begin() + 1000, 1000, kNoMinimum);
    std::fill(NumericFieldSummary.begin() + 2000, NumericFieldSummary.end(), 0);
    if (level >= 2) CardSelectionMask.fill(0);
}

void SaveStatistics(const std::string& name) {
    if (!NamesFile(name)) return;
    std::string out;
    out.reserve(kStatisticsFileSize + kStatisticsYearTailBytes);
    for (const auto& table : StatisticsTables)
        for (int i = 0; i < kStatisticsCategoryCounters; ++i)
            AppendI32(out, table[kStatisticsCategoryBase + i]);
    for (const auto& table : StatisticsTables)
        for (int code = 0; code <= kStatisticsTerritoryCodes; ++code) AppendI32(out, table[size_t(code)]);
    for (int32_t v : NumericFieldSummary) AppendI32(out, v);
    out.append(reinterpret_cast<const char*>(CardSelectionMask.data()), CardSelectionMask.size());
    for (const auto& table : StatisticsYearTail)
        for (int32_t v : table) AppendI32(out, v);
    WriteFileAtomic(name, out);
}

void LoadStatistics(const std::string& name, bool required) {
    // A file the user chose must be read whole before the counters and the selection go.
    std::optional<std::string> bytes;
    if (NamesFile(name))
        bytes = required
                    ? std::optional(ReadFileOrThrow(name, kStatisticsFileSize + kStatisticsYearTailBytes))
                    : TryReadFile(name, kStatisticsFileSize + kStatisticsYearTailBytes);
    ClearStatistics(2);
    if (!bytes) return;
    // A short file fills the blocks it holds; the rest stays cleared.
    const uint8_t* p = Bytes(*bytes);
    size_t pos = 0;
    const size_t size = bytes->size();
    auto next = [&](int32_t& target) {
        if (pos + 4 > size) return;
        target = GetI32(p + pos);
        pos += 4;
    };
    for (auto& table : StatisticsTables)
        for (int i = 0; i < kStatisticsCategoryCounters; ++i) next(table[kStatisticsCategoryBase + i]);
    for (auto& table : StatisticsTables)
        for (int code = 0; code <= kStatisticsTerritoryCodes; ++code) next(table[size_t(code)]);
    for (int32_t& v : NumericFieldSummary) next(v);
    if (pos < size)
        std::memcpy(CardSelectionMask.data(), p + pos, std::min(size - pos, CardSelectionMask.size()));
    // A file written without the year tail keeps it cleared.
    pos += CardSelectionMask.size();
    for (auto& table : StatisticsYearTail)
        for (int32_t& v : table) next(v);
}

void ClearSearchCriteria() {
    TerritorySelection.fill(0);
    DateConditionFrom.fill(0);
    DateConditionTo.fill(0);
    FieldInCondition.fill(0);
    FieldConditionSense.fill(1);
    FieldConditionSense[0] = 0;
    CategoryWanted.fill(0);
    NumericConditionLow.fill(kEmptyNumber);
    NumericConditionHigh.fill(kEmptyNumber);
    CoreState.StatisticsField = 0;
}

void SaveSearchCriteria(const std::string& name) {
    if (!NamesFile(name)) return;
    std::string out;
    auto mark = [&] { AppendI32(out, kSectionMark); };

    for (int i = 0; i < kReservedCriteriaRecords; ++i) AppendI32(out, 0);
    mark();

    const int territories = TerritoryLimit();
    int first = 0;
    for (int code = 1; code <= territories + 1; ++code) {
        const bool set = code <= territories && TerritorySelection[size_t(code - 1)] != 0;
        if (set && first == 0) first = code;
        if (!set && first != 0) {
            AppendI32(out, first);
            AppendI32(out, code - 1);
            first = 0;
        }
    }
    mark();

    const int fields = FieldLimit();
    for (int f = 1; f <= fields; ++f) {
        if (!TypeOfField(f).IsAnswer()) continue;
        AppendI32(out, -f);
        const int firstSlot = FieldFirstCategory[f];
        for (int slot = std::max(firstSlot, 1); slot <= std::min<int>(FieldLastCategory[f], kCategorySlots);
             ++slot)
            if (CategoryWanted[size_t(slot)]) AppendI32(out, slot - firstSlot + 1);
    }
    mark();

    for (int f = 1; f <= fields; ++f)
        if (FieldInCondition[f]) AppendI32(out, f);
    mark();

    for (int d = 1; d <= kDateConditionSlots; ++d) {
        AppendI32(out, DateConditionFrom[size_t(d)]);
        AppendI32(out, DateConditionTo[size_t(d)]);
    }
    mark();

    for (int f = 1; f <= fields; ++f)
        if (FieldConditionSense[f] == 0) AppendI32(out, f);
    mark();

    for (int n = 1; n <= kNumericConditionSlots; ++n) {
        AppendI32(out, NumericConditionLow[size_t(n)]);
        AppendI32(out, NumericConditionHigh[size_t(n)]);
    }
    mark();

    AppendI32(out, CoreState.StatisticsField);
    mark();

    WriteFileAtomic(name, out);
}

void LoadSearchCriteria(const std::string& name, bool required) {
    // Read before clearing: a chosen file that cannot be read leaves the criteria as they were.
    std::optional<std::string> bytes;
    if (NamesFile(name))
        bytes = required ? std::optional(ReadFileOrThrow(name, kCriteriaFileLimit))
                         : TryReadFile(name, kCriteriaFileLimit);
    const std::string raw = bytes.value_or(std::string());
    const int64_t count = int64_t(raw.size() / 4);
    ClearSearchCriteria();

    int64_t i = 0;
    auto record = [&](int64_t k) { return GetI32(Bytes(raw) + k * 4); };
    int section = 1;
    int64_t field = 0;
    int dateOrdinal = 0;
    int numericOrdinal = 0;
    while (i < count) {
        const int32_t r = record(i++);
        if (r == kSectionMark) {
            ++section;
            continue;
        }
        switch (section) {
            case 2: {
                // A run: first code, then last code. Codes past the table are ignored.
                if (i >= count) break;
                const int64_t last = record(i++);
                const int64_t first = r;
                if (last < first) break;
                const int64_t lo = std::max<int64_t>(first, 1);
                const int64_t hi = std::min<int64_t>(last, TerritoryLimit());
                for (int64_t code = lo; code <= hi; ++code) TerritorySelection[size_t(code - 1)] = 1;
                break;
            }
            case 3:
                if (r < 0) {
                    field = -int64_t(r);
                } else if (ValidField(field)) {
                    const int64_t slot = int64_t(FieldFirstCategory[size_t(field)]) + r - 1;
                    if (slot >= 1 && slot <= kCategorySlots) CategoryWanted[size_t(slot)] = 1;
                }
                break;
            case 4:
                if (ValidField(r)) FieldInCondition[size_t(r)] = 1;
                break;
            case 5: {
                if (i >= count) break;
                const int32_t to = record(i++);
                if (dateOrdinal >= kDateConditionSlots) break;  // more pairs than date fields
                ++dateOrdinal;
                DateConditionFrom[size_t(dateOrdinal)] = r;
                DateConditionTo[size_t(dateOrdinal)] = to;
                break;
            }
            case 6:
                if (ValidField(r)) FieldConditionSense[size_t(r)] = 0;
                break;
            case 7: {
                if (i >= count) break;
                const int32_t high = record(i++);
                if (numericOrdinal < kNumericConditionSlots) ++numericOrdinal;
                NumericConditionLow[size_t(numericOrdinal)] = r;
                NumericConditionHigh[size_t(numericOrdinal)] = high;
                break;
            }
            case 8:
                CoreState.StatisticsField = r;
                break;
            default:
                break;
        }
    }
}

}  // namespace qv

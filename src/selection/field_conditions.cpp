#include "selection/field_conditions.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/typed_values.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kStatisticsMark = 32;
constexpr size_t kBoundTextChars = 100;
constexpr int32_t kTimeLimit = 2400;
// A part of typed digits never grows past this; larger numbers mean nothing here anyway.
constexpr int64_t kPartLimit = 999999999;

bool ValidField(int field) {
    return field >= 1 && field <= kMaxFields;
}

// The parts of a typed text: runs of digits, each ended by any other character. `present`
// tells whether a part held a digit at all.
struct Part {
    int64_t value = 0;
    bool present = false;
};

std::vector<Part> SplitParts(std::string_view text) {
    std::vector<Part> parts;
    Part current;
    for (char c : text) {
        if (IsDigit(c)) {
            current.value = std::min(current.value * 10 + (c - '0'), kPartLimit);
            current.present = true;
        } else {
            parts.push_back(current);
            current = Part{};
        }
    }
    return parts;  // a trailing run without its end is no part
}

int32_t ClampToInt32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

int DateFieldOrdinal(int field) {
    int ordinal = 0;
    for (int f = 1; f <= std::min(field, kMaxFields); ++f)
        if (FieldTypes[f] == FieldType::kDate) ++ordinal;
    return ordinal;
}

int NumericFieldOrdinal(int field) {
    int ordinal = 0;
    for (int f = 1; f <= std::min(field, kMaxFields); ++f)
        if (FieldTypes[f] > FieldType::kMunicipality) ++ordinal;
    return ordinal;
}

int32_t ParseDateBound(std::string_view text) {
    std::string typed(text.substr(0, kBoundTextChars));
    typed += "//";
    const std::vector<Part> parts = SplitParts(typed);
    auto part = [&](size_t i) { return i < parts.size() ? parts[i].value : 0; };
    const int64_t day = part(0);
    const int64_t month = part(1);
    int64_t year = part(2);
    // Two digits are read as on the card; "0/0/0" stays the open bound.
    const bool typedYear = parts.size() > 2 && parts[2].present && (day || month || year);
    if (typedYear && year <= 99) year = FullYear(int(year));
    year = year < 1901 ? 0 : year - 1900;
    return ClampToInt32(year * 10000 + month * 100 + day);
}

std::string FormatDateBound(int32_t key) {
    return FormatDateValue(key % 100, key / 100 % 100, std::max(key / 10000, 0));
}

int32_t ParseNumericBound(int type, std::string_view text) {
    switch (type) {
        case FieldType::kNumber:
        case FieldType::kNumber32:
            return PaddedInteger(text).value_or(kEmptyNumber);
        case FieldType::kTime: {
            std::string typed(text);
            typed += "////";
            const std::vector<Part> parts = SplitParts(typed);
            if (parts.size() < 2 || !parts[0].present || !parts[1].present) return kEmptyNumber;
            const int64_t minutes = std::clamp<int64_t>(parts[1].value, 0, 59);
            return int32_t(std::clamp<int64_t>(parts[0].value * 100 + minutes, 0, kTimeLimit));
        }
        case FieldType::kPercent: {
            const std::optional<int16_t> v = ReadPercentage(text);
            return v && *v != kEmptyShort ? int32_t(*v) : kEmptyNumber;
        }
        default:
            return kEmptyNumber;
    }
}

std::string FormatNumericBound(int type, int32_t value) {
    const bool open = value == kEmptyNumber;
    switch (type) {
        case FieldType::kNumber:
        case FieldType::kNumber32:
            return open ? std::string() : std::to_string(value);
        case FieldType::kTime:
            return FormatTimeValue(open ? kEmptyShort : value);
        case FieldType::kPercent:
            return FormatPercentageValue(open ? kEmptyShort : value);
        default:
            return {};
    }
}

bool StoreDateCondition(int field, int32_t from, int32_t to) {
    if (!ValidField(field) || FieldTypes[size_t(field)] != FieldType::kDate) return false;
    const int d = DateFieldOrdinal(field);
    if (d < 1 || d > kDateConditionSlots) return false;
    DateConditionFrom[size_t(d)] = from;
    DateConditionTo[size_t(d)] = to;
    FieldInCondition[size_t(field)] = (from >= 1 || to >= 1) ? 1 : 0;
    return true;
}

bool StoreNumericCondition(int field, int32_t low, int32_t high) {
    if (!ValidField(field) || !TypeOfField(field).IsNumeric()) return false;
    const int i = NumericFieldOrdinal(field);
    if (i < 1 || i > kNumericConditionSlots) return false;
    NumericConditionLow[size_t(i)] = low;
    NumericConditionHigh[size_t(i)] = high;
    FieldInCondition[size_t(field)] = (low != kEmptyNumber || high != kEmptyNumber) ? 1 : 0;
    return true;
}

uint8_t* CategoryWantedFlag(int field, int value) {
    if (value < 1 || value > FieldCategoryCount(field)) return nullptr;
    const int slot = FieldFirstCategory[size_t(field)] + value - 1;
    if (slot < 1 || slot > kCategorySlots) return nullptr;
    return &CategoryWanted[size_t(slot)];
}

int AnswerGroupHead(int field) {
    if (!ValidField(field)) return 0;
    if (FieldTypes[size_t(field)] != FieldType::kFurtherAnswer) return field;
    int f = field - 1;
    while (f >= 1 && FieldTypes[size_t(f)] == FieldType::kFurtherAnswer) --f;
    return f >= 1 && FieldTypes[size_t(f)] == FieldType::kCoded ? f : 0;
}

void UpdateCategoryGroupCondition(int field) {
    if (!ValidField(field)) return;
    bool wanted = false;
    for (int v = 1; v <= FieldCategoryCount(field) && !wanted; ++v) {
        const uint8_t* flag = CategoryWantedFlag(field, v);
        wanted = flag && *flag;
    }
    const uint8_t in = wanted ? 1 : 0;
    FieldInCondition[size_t(field)] = in;
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    const int last = std::clamp(CoreState.FieldCount, 0, kMaxFields);
    for (int f = field + 1; f <= last && FieldTypes[size_t(f)] == FieldType::kFurtherAnswer; ++f)
        FieldInCondition[size_t(f)] = in;
}

void ClearStatisticsMarks() {
    for (int f = 1; f <= kMaxFields; ++f)
        if (FieldAttributes[size_t(f)] & kStatisticsMark)
            FieldAttributes[size_t(f)] = int16_t(FieldAttributes[size_t(f)] & ~kStatisticsMark);
}

}  // namespace qv

#include "core/field_format.h"

#include <algorithm>
#include <cstdio>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "platform/file_io.h"
#include "platform/short_string.h"

namespace qv {

namespace {

// Two characters, a leading blank written as "0" (negative values keep their sign).
std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2d", v);
    std::string s = buf;
    if (s[0] == ' ') s[0] = '0';
    return s;
}

std::string TextFieldValue(int field) {
    const int length = TypeOfField(field).TextWidth();
    const int first = FieldTextOffsets[field];
    const int limit = CurrentCardGeometry().textBytes;
    std::string text;
    for (int i = first; i >= 1 && i < first + length && i <= limit; ++i) {
        if (CurrentCardText[i] == 0) break;
        text.push_back(char(CurrentCardText[i]));
    }
    return text;
}

}  // namespace

std::string FormatDateValue(int day, int month, int year) {
    if (year > 0) year += 1900;
    return std::to_string(day) + "/" + std::to_string(month) + "/" + std::to_string(year);
}

std::string FormatTimeValue(int32_t v) {
    if (v == kEmptyShort) return "__:__.";
    return TwoDigits(v / 100) + ":" + TwoDigits(v % 100) + ".";
}

std::string FormatPercentageValue(int32_t v) {
    if (v == kEmptyShort) return "___.__%";
    char whole[16];
    std::snprintf(whole, sizeof whole, "%3d", v / 100);
    return std::string(whole) + "." + TwoDigits(v % 100) + "%";
}

std::string FormatNumber16(int16_t v) {
    return v == kEmptyShort ? std::string() : std::to_string(v);
}

std::string FormatNumber32(int32_t v) {
    return v == kEmptyNumber ? std::string() : std::to_string(v);
}

int FieldCategoryCount(int field) {
    if (field < 1 || field > kMaxFields) return 0;
    return std::max(0, FieldLastLabel[size_t(field)] - FieldFirstLabel[size_t(field)] + 1);
}

std::string CategoryLabel(int field, int value, CategoryOutOfRange mode) {
    if (value == 0) return {};
    if (value < 0 || value > FieldCategoryCount(field))
        return mode == CategoryOutOfRange::Unknown ? "???" : "";
    return ReadNameRecords(DataFilePath(data_file::kLabel), int64_t(FieldFirstLabel[field]) + value - 1, 1)
        .front();
}

std::vector<std::string> ReadCategoryLabels(int32_t first, int count) {
    if (count < 1) return {};
    return ReadNameRecords(DataFilePath(data_file::kLabel), first, count);
}

std::string FormatFieldValue(int field, const FieldFormatOptions& options) {
    if (field < 1 || field > kMaxFields) return {};
    const FieldType type = FieldTypes[field];
    if (type.IsText()) return TextFieldValue(field);
    const int16_t v = GetCardWord(field);
    switch (type) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
            return CategoryLabel(field, v, options.categoryOutOfRange);
        case FieldType::kDate:
            return FormatDateValue(v, CoreState.DateMonth, CoreState.DateYear);
        case FieldType::kMunicipality:
            return v > 0 ? ComuneName(v) : " ";
        case FieldType::kNumber:
            return FormatNumber16(v);
        case FieldType::kTime:
            return FormatTimeValue(v);
        case FieldType::kPercent:
            return FormatPercentageValue(v);
        case FieldType::kNumber32:
            return FormatNumber32(GetCardNumber(field));
        default:
            return " ";
    }
}

}  // namespace qv

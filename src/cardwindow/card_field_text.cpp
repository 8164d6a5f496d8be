#include "cardwindow/card_field_text.h"

#include <algorithm>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_format.h"

namespace qv {

namespace {

constexpr int kEntryChars = 199;
constexpr char kDegree = char(176);

std::string ValueText(int field) {
    // Only texts live outside the numeric part; any other field needs its word.
    if (FieldTypes[field] >= 0 && FieldPositions[field] <= 0) return " ";
    return FormatFieldValue(field);
}

std::string SelectionMarks(int field) {
    std::string t = " ";
    if (FieldInCondition[field]) t = FieldConditionSense[field] == 1 ? "= " : "# ";
    if (IsStatisticsField(field)) t += "St.";
    if (field == CoreState.StatisticsField) t += "Q";
    return t;
}

std::string ListMarks(int field) {
    std::string t = " ";
    if (field == CoreState.ListGroupField1) t = std::string("1") + kDegree;
    if (field == CoreState.ListGroupField2) t = std::string("2") + kDegree;
    if (field == CoreState.ListOrderField) t += "ORD";
    return t;
}

std::string StorageText(int field) {
    const int type = FieldTypes[field];
    if (type < 0) return "A " + std::to_string(FieldTextOffsets[field]) + "+" + std::to_string(-type);
    if (FieldPositions[field] > 0) return "N " + std::to_string(FieldPositions[field]);
    return " ";
}

}  // namespace

std::string CardFieldText(int field, int mode) {
    if (field < 1 || field > kMaxFields) return " ";
    auto mark = [](bool on, const char* text) { return std::string(on ? text : " "); };
    switch (mode) {
        case 1:
        case 2:
        case 3:
            return ValueText(field);
        case 5:
            return mark(IsTabStopField(field), "TAB");
        case 6:
            return mark(IsQuickEntryField(field), "1");
        case 7:
            return mark(IsPlusOneField(field), "+1");
        case 8:
            return mark(IsCopyField(field), "Cop");
        case 9:
            return mark(IsClearField(field), "Canc");
        case 12:
            return SelectionMarks(field);
        case 13:
            return std::to_string(field);
        case 14:
            return ListMarks(field);
        case 15:
            return StorageText(field);
        case 16:
            return mark(IsReorderField(field), "ORD");
        default:
            return " ";
    }
}

int EntryTextLimit(int field) {
    if (field < 1 || field > kMaxFields || FieldTypes[field] >= 0) return kEntryChars;
    return std::max(kEntryChars, -int(FieldTypes[field]));
}

}  // namespace qv

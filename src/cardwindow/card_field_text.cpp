#include "cardwindow/card_field_text.h"

#include <algorithm>

#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "core/field_type.h"

namespace qv {

namespace {

constexpr int kEntryChars = 199;
constexpr char kDegree = char(176);

std::string ValueText(int field) {
    // Only texts live outside the numeric part; any other field needs its word.
    if (!TypeOfField(field).IsText() && FieldPositions[field] <= 0) return " ";
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
    const FieldType type = FieldTypes[field];
    if (type.IsText())
        return "A " + std::to_string(FieldTextOffsets[field]) + "+" + std::to_string(type.TextWidth());
    if (FieldPositions[field] > 0) return "N " + std::to_string(FieldPositions[field]);
    return " ";
}

}  // namespace

std::string CardFieldText(int field, int mode) {
    if (field < 1 || field > kMaxFields) return " ";
    auto mark = [](bool on, const char* text) { return std::string(on ? text : " "); };
    switch (mode) {
        case kEntryMode:
        case kSearchMode:
        case kAttributionMode:
            return ValueText(field);
        case kTabStopMarkMode:
            return mark(IsTabStopField(field), "TAB");
        case kQuickEntryMarkMode:
            return mark(IsQuickEntryField(field), "1");
        case kZeroIsOneMarkMode:
            return mark(IsPlusOneField(field), "+1");
        case kCopyMarkMode:
            return mark(IsCopyField(field), "Cop");
        case kClearMarkMode:
            return mark(IsClearField(field), "Canc");
        case kSelectionMode:
            return SelectionMarks(field);
        case kFieldNumberMode:
            return std::to_string(field);
        case kListMode:
            return ListMarks(field);
        case kRecordPositionMode:
            return StorageText(field);
        case kReorderMarkMode:
            return mark(IsReorderField(field), "ORD");
        default:
            return " ";
    }
}

int EntryTextLimit(int field) {
    if (field < 1 || field > kMaxFields || !TypeOfField(field).IsText()) return kEntryChars;
    return TypeOfField(field).TextWidth();
}

}  // namespace qv

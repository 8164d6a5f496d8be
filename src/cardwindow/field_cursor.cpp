#include "cardwindow/field_cursor.h"

#include <algorithm>

#include "cardwindow/card_field_text.h"
#include "cardwindow/jump_rules.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_type.h"
#include "platform/assertion.h"

namespace qv {

namespace {

constexpr char kMark = '>';

int FieldLimit() {
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    return std::clamp(CoreState.FieldCount, 0, kMaxFields);
}

bool ValidField(int f) {
    return f >= 1 && f <= FieldLimit();
}

int PageOf(int f) {
    return ValidField(f) ? LayoutPage[size_t(f)] : 0;
}

// previous := current, current := target, and the page of the target shown.
CursorMove MoveTo(int target) {
    CursorMove move{true, CoreState.CurrentField, false};
    CoreState.PreviousField = CoreState.CurrentField;
    CoreState.CurrentField = target;
    if (PageOf(target) != CoreState.CurrentPage) {
        CoreState.CurrentPage = PageOf(target);
        move.pageChanged = true;
    }
    return move;
}

CursorMove MoveToPage(int page) {
    CursorMove move{true, CoreState.CurrentField, true};
    CoreState.PreviousField = CoreState.CurrentField;
    CoreState.CurrentPage = page;
    // A page without fields leaves the cursor where it was.
    if (const int first = FirstFieldOnPage(page)) CoreState.CurrentField = first;
    return move;
}

}  // namespace

int EntryCutPosition(int fieldType) {
    switch (fieldType) {
        case FieldType::kDate:
            return 12;
        case FieldType::kNumber:
        case FieldType::kTime:
        case FieldType::kPercent:
            return 7;
        case FieldType::kNumber32:
            return 10;
        default:
            return 0;
    }
}

bool EntryMarkShown(const std::string& buffer, int cursor) {
    return cursor >= 0 && size_t(cursor) < buffer.size() && buffer[size_t(cursor)] == kMark;
}

bool TypeEntryCharacter(std::string& buffer, int& cursor, char c, int limit, int cutPosition) {
    if (!EntryMarkShown(buffer, cursor)) return true;
    // A full buffer refuses the key, wherever the mark stands: nothing typed is pushed out.
    const size_t before = buffer.size() - 1;
    if (before >= size_t(limit)) return true;
    std::string text = buffer;
    text.erase(size_t(cursor), 1);
    text.insert(size_t(cursor), 1, c);
    ++cursor;
    text.insert(size_t(cursor), 1, kMark);
    buffer = std::move(text);
    if (cutPosition > 0 && buffer.size() > size_t(cutPosition)) buffer.resize(size_t(cutPosition));
    const size_t after = buffer.size() - (EntryMarkShown(buffer, cursor) ? 1 : 0);
    return after < before + 1;
}

void TypeQuickEntryCharacter(std::string& buffer, int& cursor, char c) {
    if (buffer.empty())
        buffer.assign(1, c);
    else
        buffer[0] = c;
    ++cursor;
}

bool EntryCursorLeft(std::string& buffer, int& cursor) {
    if (cursor <= 0 || !EntryMarkShown(buffer, cursor)) return false;
    std::swap(buffer[size_t(cursor) - 1], buffer[size_t(cursor)]);
    --cursor;
    return true;
}

bool EntryCursorRight(std::string& buffer, int& cursor) {
    if (!EntryMarkShown(buffer, cursor) || size_t(cursor) + 1 >= buffer.size()) return false;
    std::swap(buffer[size_t(cursor)], buffer[size_t(cursor) + 1]);
    ++cursor;
    return true;
}

bool EntryBackspace(std::string& buffer, int& cursor) {
    if (!EntryMarkShown(buffer, cursor)) {
        // Typing ran past the cut: the last character goes and the mark comes back after the
        // text, where the next character would have gone.
        if (buffer.empty()) return false;
        buffer.back() = kMark;
        cursor = int(buffer.size()) - 1;
        return true;
    }
    if (cursor <= 0) return false;
    buffer.erase(size_t(cursor) - 1, 1);
    --cursor;
    return true;
}

bool EntryDelete(std::string& buffer, int& cursor) {
    if (!EntryMarkShown(buffer, cursor) || size_t(cursor) + 1 >= buffer.size()) return false;
    buffer.erase(size_t(cursor) + 1, 1);
    return true;
}

int EntryCharacterLimit(int field) {
    const int cut = EntryCutPosition(TypeOrNone(field));
    return cut > 0 ? std::min(cut, EntryTextLimit(field)) : EntryTextLimit(field);
}

bool TypeIntoCurrentField(char c) {
    const int f = CoreState.CurrentField;
    const FieldType type = TypeOrNone(f);
    // A value shown in a field is replaced, not extended: "5" typed on a field showing "4/4/1963"
    // or "laurea" means 5. Once the person has moved the mark or typed, characters go in front
    // of it.
    if (CoreState.EntryReplaces && ValidField(f) && !type.IsText() && !IsQuickEntryField(f)) {
        CoreState.EntryBuffer.assign(1, kMark);
        CoreState.EntryCursor = 0;
    }
    CoreState.EntryReplaces = 0;
    return TypeEntryCharacter(CoreState.EntryBuffer, CoreState.EntryCursor, c, EntryTextLimit(f),
                              EntryCutPosition(type));
}

bool FieldOnPage(int field, int page) {
    return ValidField(field) && LayoutPage[size_t(field)] == page;
}

int FirstFieldOnPage(int page) {
    for (int f = 1; f <= FieldLimit(); ++f)
        if (LayoutPage[size_t(f)] == page) return f;
    return 0;
}

int NextTabStop(int field) {
    for (int f = std::max(field, 0) + 1; f <= FieldLimit(); ++f)
        if (IsTabStopField(f)) return f;
    return 0;
}

int FieldAtPoint(int x, int y) {
    int found = 0;
    for (int f = 1; f <= FieldLimit(); ++f) {
        if (LayoutPage[size_t(f)] != CoreState.CurrentPage) continue;
        const int fx = LayoutX[size_t(f)], fy = LayoutY[size_t(f)], r = LayoutRight[size_t(f)];
        if (fx < x && x < r && fy - 15 < y && y < fy + 3) found = f;
    }
    return found;
}

int ConditionField(int field) {
    if (!ValidField(field) || FieldTypes[size_t(field)] != FieldType::kFurtherAnswer) return field;
    for (int f = field - 1; f >= 1; --f)
        if (FieldTypes[size_t(f)] == FieldType::kCoded) return f;
    return field;
}

CursorMove MoveCursorDown() {
    if (CoreState.CurrentField >= FieldLimit()) return {};
    return MoveTo(CoreState.CurrentField + 1);
}

CursorMove MoveCursorUp() {
    if (CoreState.CurrentField < 2) return {};
    return MoveTo(std::min(CoreState.CurrentField - 1, FieldLimit()));
}

CursorMove MovePageDown() {
    if (CoreState.CurrentPage >= CoreState.PageCount) return {};
    return MoveToPage(CoreState.CurrentPage + 1);
}

CursorMove MovePageUp() {
    if (CoreState.CurrentPage < 2) return {};
    return MoveToPage(CoreState.CurrentPage - 1);
}

CursorMove MoveCursorHome() {
    CursorMove move{true, CoreState.CurrentField, true};
    CoreState.CurrentPage = 1;
    CoreState.PreviousField = CoreState.CurrentField;
    CoreState.CurrentField = 1;
    return move;
}

CursorMove MoveCursorEnd() {
    CursorMove move{true, CoreState.CurrentField, true};
    CoreState.CurrentPage = CoreState.PageCount;
    CoreState.PreviousField = CoreState.CurrentField;
    CoreState.CurrentField = FieldLimit();
    return move;
}

CursorMove MoveToNextField() {
    const int left = CoreState.CurrentField;
    CoreState.PreviousField = left;
    if (left < FieldLimit()) CoreState.CurrentField = left + 1;
    if (ValidField(left) && JumpRuleFields[size_t(left)]) ApplyJumpRules();
    CursorMove move{true, left, false};
    if (PageOf(CoreState.CurrentField) != CoreState.CurrentPage) {
        CoreState.CurrentPage = PageOf(CoreState.CurrentField);
        move.pageChanged = true;
    }
    return move;
}

CursorMove MoveToNextTabStop() {
    const int target = NextTabStop(CoreState.CurrentField);
    if (!target) return {};
    return MoveTo(target);
}

CursorMove MoveCursorTo(int field) {
    if (!ValidField(field)) return {};
    return MoveTo(field);
}

void ToggleFieldAttribute(int field, int bit) {
    if (ValidField(field)) FieldAttributes[size_t(field)] = int16_t(FieldAttributes[size_t(field)] ^ bit);
}

bool ToggleStatisticsMark(int field) {
    if (!ValidField(field) || TypeOfField(field).IsText()) return false;
    ToggleFieldAttribute(field, 32);
    return true;
}

bool ToggleConditionSense(int field) {
    if (!ValidField(field) || !FieldInCondition[size_t(field)]) return false;
    FieldConditionSense[size_t(field)] = FieldConditionSense[size_t(field)] == 1 ? 0 : 1;
    return true;
}

void ToggleStatisticsField(int field) {
    const FieldType type = TypeOrNone(field);
    const bool weighs =
        type == FieldType::kCoded || type == FieldType::kNumber || type == FieldType::kNumber32;
    CoreState.StatisticsField = weighs && CoreState.StatisticsField != field ? field : 0;
}

void ToggleListOrderField(int field) {
    CoreState.ListOrderField = CoreState.ListOrderField == field ? 0 : field;
}

bool ToggleListGroupField(int field) {
    const FieldType type = TypeOrNone(field);
    if (type != FieldType::kCoded && type != FieldType::kMunicipality) return false;
    int& g1 = CoreState.ListGroupField1;
    int& g2 = CoreState.ListGroupField2;
    if (g1 == field || g2 == field) {
        if (g1 == field) g1 = 0;
        if (g2 == field) g2 = 0;
        return true;
    }
    if (g1 == 0) {
        g1 = field;
        return true;
    }
    if (g2 == 0) {
        g2 = field;
        return true;
    }
    return false;
}

}  // namespace qv

#include "cardwindow/field_cursor.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Typing: keys are characters, except '<' (Left), '}' (Right), '~' (Backspace) and '^' (Delete).
struct TypingCase {
    const char* what;
    int type;
    std::string shown;  // the field's text when the cursor came to it
    std::string keys;
    std::string buffer;  // expected, with the mark
    int cursor;
};

void Press(std::string& b, int& cursor, char k, int type) {
    const int limit = type < 0 ? -type : 199;
    switch (k) {
        case '<':
            EntryCursorLeft(b, cursor);
            break;
        case '}':
            EntryCursorRight(b, cursor);
            break;
        case '~':
            EntryBackspace(b, cursor);
            break;
        case '^':
            EntryDelete(b, cursor);
            break;
        default:
            TypeEntryCharacter(b, cursor, k, limit, EntryCutPosition(type));
    }
}

TEST(EntryBuffer, TypingAndEditingKeys) {
    const TypingCase cases[] = {
        {"digits go in front of the shown text", 4, "5", "12", "12>5", 2},
        {"a 16-bit field takes seven characters, the seventh cuts the mark", 4, "", "1234567", "1234567", 7},
        {"further characters are dropped", 4, "", "123456789", "1234567", 7},
        {"the cut takes the shown text first", 4, "88", "12345", "12345>8", 5},
        {"time-like and percentage fields cut like numbers", 5, "__:__.", "9:3", "9:3>__:", 3},
        {"", 6, "", "12.345", "12.345>", 6},
        {"a 32-bit field takes ten characters", 7, "", "12345678901", "1234567890", 10},
        {"a date typed over the empty date keeps its zeros in front", 2, "0/0/0", "3/11/85", "3/11/85>0/0/",
         7},
        {"a date typed after deleting the zeros", 2, "0/0/0", "^^^^^3/11/1985", "3/11/1985>", 9},
        {"a date cut at twelve", 2, "", "03/11/1985123", "03/11/198512", 12},
        {"texts and categories are not cut", -40, "", "abcdefghijklmnop", "abcdefghijklmnop>", 16},
        {"a text field takes no more than its width", -5, "", "abcdefg", "abcde>", 5},
        {"a full text field refuses the key wherever the mark stands", -5, "abc", "xyz", "xy>abc", 2},
        {"", 0, "mas", "chio", "chio>mas", 4},
        {"left and right move the mark over one character", 4, "123", "}}<", "1>23", 1},
        {"left at the start and right at the end do nothing", 4, "12", "<}}}", "12>", 2},
        {"backspace takes the character before the mark", 4, "", "123~~", "1>", 1},
        {"backspace at the start does nothing", 4, "12", "~", ">12", 0},
        {"delete takes the character after the mark", 4, "123", "}^", "1>3", 1},
        {"delete at the end does nothing", 4, "1", "}^", "1>", 1},
        {"backspace after the cut brings the mark back", 4, "", "1234567~8", "1234568", 7},
        {"", 4, "", "1234567~", "123456>", 6},
        {"left and delete do nothing once the mark is gone", 4, "", "1234567<^", "1234567", 7},
    };
    for (const TypingCase& c : cases) {
        std::string b = ">" + c.shown;
        int cursor = 0;
        for (char k : c.keys) Press(b, cursor, k, c.type);
        EXPECT_EQ(b, c.buffer) << c.what << " [" << c.keys << "]";
        EXPECT_EQ(cursor, c.cursor) << c.what << " [" << c.keys << "]";
    }
}

TEST(EntryBuffer, KeysLostToTheCutAreTold) {
    // The keys typed in turn from the empty field; a '!' under a key: that key lost a character.
    const struct {
        int type;
        const char* keys;
        const char* lost;
    } cases[] = {
        {7, "1234567890123", "          !!!"},  // a 32-bit field: the tenth fits, the rest do not
        {4, "12345678", "       !"},
        {2, "03/11/19851", "           "},
    };
    for (const auto& c : cases) {
        std::string b = ">", lost;
        int cursor = 0;
        for (const char* k = c.keys; *k; ++k)
            lost += TypeEntryCharacter(b, cursor, *k, 199, EntryCutPosition(c.type)) ? '!' : ' ';
        EXPECT_EQ(lost, c.lost) << c.keys;
    }
    // Typed in the middle of a full field, the last character falls off.
    std::string b = "12345>67";
    int cursor = 5;
    EXPECT_TRUE(TypeEntryCharacter(b, cursor, 'x', 199, 7));
    EXPECT_EQ(b, "12345x>");
    b = ">" + std::string(199, 'a');
    cursor = 0;
    EXPECT_TRUE(TypeEntryCharacter(b, cursor, 'x', 199, 0));
}

TEST(EntryBuffer, FullBufferRefusesTheKey) {
    // Nothing typed is pushed out: the key is dropped and the mark stays where it is.
    std::string b = ">" + std::string(198, 'a');
    int cursor = 0;
    EXPECT_FALSE(TypeEntryCharacter(b, cursor, 'x', 199, 0));
    EXPECT_TRUE(TypeEntryCharacter(b, cursor, 'y', 199, 0));
    EXPECT_EQ(b, "x>" + std::string(198, 'a'));
    EXPECT_EQ(cursor, 1);
    b = std::string(199, 'a') + ">";
    cursor = 199;
    EXPECT_TRUE(TypeEntryCharacter(b, cursor, 'z', 199, 0));
    EXPECT_EQ(b, std::string(199, 'a') + ">");
    EXPECT_EQ(cursor, 199);
}

TEST(EntryBuffer, QuickEntryWritesOverTheMark) {
    std::string b = ">3";
    int cursor = 0;
    TypeQuickEntryCharacter(b, cursor, 'B');
    EXPECT_EQ(b, "B3");
    EXPECT_EQ(cursor, 1);
    b.clear();
    cursor = 0;
    TypeQuickEntryCharacter(b, cursor, '7');
    EXPECT_EQ(b, "7");
}

// Eight fields over four pages (page 4 has none): 1 2 3 on page 1, 4 5 6 on page 2, 7 8 on 3.
class FieldCursor : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.FieldCount = 8;
        CoreState.PageCount = 4;
        CoreState.CardWordCount = 50;
        const int pages[] = {0, 1, 1, 1, 2, 2, 2, 3, 3};
        for (int f = 1; f <= 8; ++f) {
            LayoutPage[f] = int16_t(pages[f]);
            FieldTypes[f] = 4;
            FieldPositions[f] = int16_t(f);
        }
    }
    void At(int field, int page) {
        CoreState.CurrentField = field;
        CoreState.CurrentPage = page;
        CoreState.PreviousField = 0;
    }
    TempDir dir;
};

TEST_F(FieldCursor, Moves) {
    struct Case {
        const char* what;
        CursorMove (*move)();
        int field, page;  // before
        bool done;
        int toField, toPage;  // after
        bool pageChanged;
    } cases[] = {
        {"down within the page", MoveCursorDown, 1, 1, true, 2, 1, false},
        {"down onto the next page", MoveCursorDown, 3, 1, true, 4, 2, true},
        {"down at the last field", MoveCursorDown, 8, 3, false, 8, 3, false},
        {"up onto the page before", MoveCursorUp, 4, 2, true, 3, 1, true},
        {"up at the first field", MoveCursorUp, 1, 1, false, 1, 1, false},
        {"page down to the lowest field of the page", MovePageDown, 2, 1, true, 4, 2, true},
        {"page down to a page without fields keeps the field", MovePageDown, 8, 3, true, 8, 4, true},
        {"page down on the last page", MovePageDown, 8, 4, false, 8, 4, false},
        {"page up", MovePageUp, 8, 3, true, 4, 2, true},
        {"page up on the first page", MovePageUp, 2, 1, false, 2, 1, false},
        {"home", MoveCursorHome, 7, 3, true, 1, 1, true},
        {"end goes to the last page and the last field", MoveCursorEnd, 2, 1, true, 8, 4, true},
        {"next field", MoveToNextField, 5, 2, true, 6, 2, false},
        {"next field onto the next page", MoveToNextField, 6, 2, true, 7, 3, true},
        {"the last field stays the last", MoveToNextField, 8, 3, true, 8, 3, false},
    };
    for (const Case& c : cases) {
        At(c.field, c.page);
        const CursorMove m = c.move();
        EXPECT_EQ(m.done, c.done) << c.what;
        EXPECT_EQ(CoreState.CurrentField, c.toField) << c.what;
        EXPECT_EQ(CoreState.CurrentPage, c.toPage) << c.what;
        EXPECT_EQ(m.pageChanged, c.pageChanged) << c.what;
        if (c.done) {
            EXPECT_EQ(m.fieldLeft, c.field) << c.what;
            EXPECT_EQ(CoreState.PreviousField, c.field) << c.what;
        }
    }
}

TEST_F(FieldCursor, NextFieldFollowsTheJumpRulesOfTheFieldLeft) {
    WriteBytes(dir / "sal-sch.imp", "2=0=1,2>7\r\n");
    JumpRuleFields[2] = 1;
    CurrentCardValues[2] = 1;
    At(2, 1);
    CursorMove m = MoveToNextField();
    EXPECT_EQ(CoreState.CurrentField, 7);
    EXPECT_EQ(CoreState.CurrentPage, 3);
    EXPECT_TRUE(m.pageChanged);
    CurrentCardValues[2] = 3;
    At(2, 1);
    m = MoveToNextField();
    EXPECT_EQ(CoreState.CurrentField, 3);
    EXPECT_FALSE(m.pageChanged);
}

TEST_F(FieldCursor, TabStopsAndPoints) {
    FieldAttributes[3] = 1;
    FieldAttributes[6] = 1 | 2;
    FieldAttributes[7] = 2;  // quick entry only
    EXPECT_EQ(NextTabStop(0), 3);
    EXPECT_EQ(NextTabStop(3), 6);
    EXPECT_EQ(NextTabStop(6), 0);
    At(4, 2);
    CursorMove m = MoveToNextTabStop();
    EXPECT_EQ(CoreState.CurrentField, 6);
    EXPECT_FALSE(m.pageChanged);
    m = MoveToNextTabStop();
    EXPECT_FALSE(m.done);
    EXPECT_EQ(CoreState.CurrentField, 6);

    // Boxes: field 1 from x 10 to 100 at base line 50; field 2 overlaps it; field 4 on page 2.
    auto box = [](int f, int x, int y, int r) {
        LayoutX[f] = int16_t(x);
        LayoutY[f] = int16_t(y);
        LayoutRight[f] = int16_t(r);
    };
    box(1, 10, 50, 100);
    box(2, 80, 55, 200);
    box(4, 10, 50, 100);
    CoreState.CurrentPage = 1;
    const struct {
        int x, y, field;
    } points[] = {
        {11, 36, 1},  {79, 52, 1},  {10, 40, 0},  {100, 40, 0},
        {50, 35, 0},  {50, 53, 0},  {90, 52, 2},  // both boxes: the higher field
        {150, 41, 2}, {150, 57, 2}, {150, 58, 0},
    };
    for (const auto& p : points) EXPECT_EQ(FieldAtPoint(p.x, p.y), p.field) << p.x << "," << p.y;
    CoreState.CurrentPage = 2;
    EXPECT_EQ(FieldAtPoint(50, 45), 4);
}

TEST_F(FieldCursor, MarksByKey) {
    FieldTypes[1] = -10;
    FieldTypes[2] = 0;
    FieldTypes[3] = 1;
    FieldTypes[5] = 3;
    FieldTypes[6] = 0;
    FieldTypes[7] = 2;
    FieldTypes[8] = 7;

    FieldAttributes[2] = 1 | 4;
    ToggleFieldAttribute(2, 4);
    EXPECT_EQ(FieldAttributes[2], 1);
    ToggleFieldAttribute(2, 64);
    EXPECT_EQ(FieldAttributes[2], 65);

    EXPECT_FALSE(ToggleStatisticsMark(1));  // a text gathers no statistics
    EXPECT_EQ(FieldAttributes[1], 0);
    EXPECT_TRUE(ToggleStatisticsMark(8));
    EXPECT_EQ(FieldAttributes[8], 32);

    EXPECT_FALSE(ToggleConditionSense(4));  // not in the condition
    FieldInCondition[4] = 1;
    FieldConditionSense[4] = 1;
    EXPECT_TRUE(ToggleConditionSense(4));
    EXPECT_EQ(FieldConditionSense[4], 0);
    ToggleConditionSense(4);
    EXPECT_EQ(FieldConditionSense[4], 1);

    // The weight field: types 0, 4 and 7; any other field clears it.
    const struct {
        int field, before, after;
    } weights[] = {{2, 0, 2}, {2, 2, 0}, {8, 2, 8}, {4, 0, 4}, {7, 4, 0}, {3, 8, 0}};
    for (const auto& w : weights) {
        CoreState.StatisticsField = w.before;
        ToggleStatisticsField(w.field);
        EXPECT_EQ(CoreState.StatisticsField, w.after) << w.field;
    }

    ToggleListOrderField(4);
    EXPECT_EQ(CoreState.ListOrderField, 4);
    ToggleListOrderField(5);
    EXPECT_EQ(CoreState.ListOrderField, 5);
    ToggleListOrderField(5);
    EXPECT_EQ(CoreState.ListOrderField, 0);

    EXPECT_FALSE(ToggleListGroupField(4));  // a number groups nothing
    EXPECT_TRUE(ToggleListGroupField(2));
    EXPECT_TRUE(ToggleListGroupField(5));
    EXPECT_EQ(CoreState.ListGroupField1, 2);
    EXPECT_EQ(CoreState.ListGroupField2, 5);
    EXPECT_FALSE(ToggleListGroupField(6));  // a third one while both are set
    EXPECT_EQ(CoreState.ListGroupField1, 2);
    EXPECT_EQ(CoreState.ListGroupField2, 5);
    EXPECT_TRUE(ToggleListGroupField(2));
    EXPECT_EQ(CoreState.ListGroupField1, 0);
    EXPECT_TRUE(ToggleListGroupField(6));
    EXPECT_EQ(CoreState.ListGroupField1, 6);

    // A further answer's condition is the head of its group.
    EXPECT_EQ(ConditionField(3), 2);
    EXPECT_EQ(ConditionField(2), 2);
    EXPECT_EQ(ConditionField(4), 4);
}

}  // namespace
}  // namespace qv

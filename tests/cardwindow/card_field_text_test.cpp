#include "cardwindow/card_field_text.h"

#include <gtest/gtest.h>

#include "core/core_state.h"

namespace qv {
namespace {

// Fields: 1 text of 12 at offset 30, 2 category at word 4, 3 number without a word position,
// 4 municipality at word 9.
class CardFieldTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.CardTextBytes = 100;
        CoreState.CardWordCount = 50;
        FieldTypes[1] = -12;
        FieldTextOffsets[1] = 30;
        FieldTypes[2] = 0;
        FieldPositions[2] = 4;
        FieldTypes[3] = 4;
        FieldPositions[3] = 0;
        FieldTypes[4] = 3;
        FieldPositions[4] = 9;
    }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(CardFieldTextTest, AttributeMarksByMode) {
    struct Case {
        int mode;
        int bit;
        const char* mark;
    } cases[] = {{5, 1, "TAB"}, {6, 2, "1"}, {7, 4, "+1"}, {8, 8, "Cop"}, {9, 16, "Canc"}, {16, 64, "ORD"}};
    for (const Case& c : cases) {
        FieldAttributes[2] = 0x7F & ~c.bit;  // every other mark set
        EXPECT_EQ(CardFieldText(2, c.mode), " ") << c.mode;
        FieldAttributes[2] = int16_t(c.bit);
        EXPECT_EQ(CardFieldText(2, c.mode), c.mark) << c.mode;
    }
}

TEST_F(CardFieldTextTest, SelectionModeMarks) {
    struct Case {
        bool inCondition;
        int sense;
        bool statistics;
        bool weight;
        const char* want;
    } cases[] = {
        {false, 1, false, false, " "},   {true, 1, false, false, "= "},   {true, 0, false, false, "# "},
        {true, 0, true, true, "# St.Q"}, {false, 0, true, false, " St."}, {false, 1, false, true, " Q"},
    };
    for (const Case& c : cases) {
        FieldInCondition[2] = c.inCondition;
        FieldConditionSense[2] = uint8_t(c.sense);
        FieldAttributes[2] = c.statistics ? 32 : 0;
        CoreState.StatisticsField = c.weight ? 2 : 1;
        EXPECT_EQ(CardFieldText(2, 12), c.want);
    }
}

TEST_F(CardFieldTextTest, ListModeMarks) {
    struct Case {
        int group1, group2, order;
        const char* want;
    } cases[] = {
        {0, 0, 0, " "},        {2, 0, 0, "1\xB0"}, {0, 2, 0, "2\xB0"}, {2, 2, 0, "2\xB0"},
        {2, 0, 2, "1\xB0ORD"}, {1, 3, 2, " ORD"},  {2, 3, 4, "1\xB0"},
    };
    for (const Case& c : cases) {
        CoreState.ListGroupField1 = c.group1;
        CoreState.ListGroupField2 = c.group2;
        CoreState.ListOrderField = c.order;
        EXPECT_EQ(CardFieldText(2, 14), c.want) << c.group1 << c.group2 << c.order;
    }
}

TEST_F(CardFieldTextTest, NumbersAndStorage) {
    EXPECT_EQ(CardFieldText(2, 13), "2");
    EXPECT_EQ(CardFieldText(1, 15), "A 30+12");
    EXPECT_EQ(CardFieldText(2, 15), "N 4");
    EXPECT_EQ(CardFieldText(3, 15), " ");
}

TEST_F(CardFieldTextTest, ValueModesAndOthers) {
    CurrentCardText[30] = 'a';
    CurrentCardValues[4] = uint16_t(-32000);  // outside the list: nothing
    CurrentCardValues[9] = 0;
    for (int mode : {1, 2, 3}) {
        EXPECT_EQ(CardFieldText(1, mode), "a");
        EXPECT_EQ(CardFieldText(2, mode), "");
        EXPECT_EQ(CardFieldText(3, mode), " ");  // no word to show
        EXPECT_EQ(CardFieldText(4, mode), " ");
    }
    for (int mode : {0, 4, 10, 11, 17}) EXPECT_EQ(CardFieldText(1, mode), " ") << mode;
}

TEST_F(CardFieldTextTest, EntryLimitIsATextFieldsLength) {
    struct Case {
        int16_t type;
        int limit;
    } cases[] = {{-12, 12}, {-199, 199}, {-200, 200}, {-999, 999}, {-8000, 8000}, {0, 199}, {7, 199}};
    for (const Case& c : cases) {
        FieldTypes[5] = c.type;
        EXPECT_EQ(EntryTextLimit(5), c.limit) << c.type;
    }
}

}  // namespace
}  // namespace qv

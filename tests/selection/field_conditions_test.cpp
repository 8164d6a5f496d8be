#include "selection/field_conditions.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/category_lists.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "core/selection_files.h"
#include "core/typed_values.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(DateBoundTest, TypedTextToKey) {
    SetEntryClockForTests(EntryClock{7, 4, 2024});
    struct Case {
        const char* typed;
        int32_t key;
    };
    const Case cases[] = {
        {"15/6/1995", 950615},
        {"31/12/2010", 1101231},
        {"1/2/99", 990201},  // two-digit years as on the card
        {"1/2/24", 1240201},
        {"1/2/0", 1000201},
        {"1/1/1900", 101},
        {"1/1/1901", 10101},
        {"7.3.2000", 1000307},  // any non-digit ends a part
        {"1//2000", 1000001},   // an empty part counts 0
        {"12", 12},             // only the day
        {"", 0},
        {"0/0/0", 0},
        {"abc", 0},
        {"1/1/2000/5/5", 1000101},       // parts after the year are ignored
        {"1/1/99999999999", INT32_MAX},  // no wrap-around
        {" 1/2/2000", 1020100},          // a leading blank makes an empty first part
        {"1/2/2000xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 1000201},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDateBound(c.typed), c.key) << c.typed;
    // Only the first 100 characters are read.
    EXPECT_EQ(ParseDateBound("1/2/" + std::string(96, '0') + "2000"), 1000201);
    SetEntryClockForTests(std::nullopt);
}

TEST(DateBoundTest, KeyToText) {
    struct Case {
        int32_t key;
        const char* shown;
    };
    const Case cases[] = {{0, "0/0/0"},        {950615, "15/6/1995"}, {201, "1/2/0"}, {1101231, "31/12/2010"},
                          {10101, "1/1/1901"}, {-10000, "0/0/0"}};
    for (const Case& c : cases) EXPECT_EQ(FormatDateBound(c.key), c.shown) << c.key;
}

TEST(NumericBoundTest, TypedTextByType) {
    struct Case {
        int type;
        const char* typed;
        int32_t value;
    };
    const Case cases[] = {
        {4, "25", 25},
        {4, "-3", -3},
        {4, "+5", 5},
        {4, " 7 ", 7},
        {4, "", kEmptyNumber},
        {4, "12a", kEmptyNumber},
        {4, "1 2", kEmptyNumber},
        {4, "-", kEmptyNumber},
        {4, "3000000000", kEmptyNumber},
        {7, "-2147483648", INT32_MIN},
        {7, "1500000", 1500000},
        {5, "9:30", 930},
        {5, "09:30.", 930},
        {5, "7", kEmptyNumber},  // no minutes
        {5, ":30", kEmptyNumber},
        {5, "7:75", 759},
        {5, "25:00", 2400},
        {5, "0.0", 0},
        {5, "", kEmptyNumber},
        {6, "12%", 1200},
        {6, "12.5", 1250},  // one decimal is tenths, as on the card
        {6, "  5.50%", 550},
        {6, "200.00%", 20000},
        {6, "12.345", kEmptyNumber},
        {6, "%", kEmptyNumber},
        {2, "12", kEmptyNumber},
        {0, "12", kEmptyNumber},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseNumericBound(c.type, c.typed), c.value) << c.type << " " << c.typed;
}

TEST(NumericBoundTest, BoundToText) {
    struct Case {
        int type;
        int32_t value;
        const char* shown;
    };
    const Case cases[] = {
        {4, 25, "25"},       {4, kEmptyNumber, ""},        {7, -5, "-5"},       {5, 930, "09:30."},
        {5, 2400, "24:00."}, {5, kEmptyNumber, "__:__."},  {6, 550, "  5.50%"}, {6, 10000, "100.00%"},
        {6, 5, "  0.05%"},   {6, kEmptyNumber, "___.__%"}, {2, 5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumericBound(c.type, c.value), c.shown) << c.type << " " << c.value;
}

// 1 text, 2 date, 3 number, 4 date, 5 category with the further answers 6 and 7, 8 category,
// 9 time, 10 percentage, 11 32-bit number, 12 municipality.
class FieldConditionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ClearSearchCriteria();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
        CoreState.FieldCount = 12;
        const int types[] = {-20, 2, 4, 2, 0, 1, 1, 0, 5, 6, 7, 3};
        for (int f = 1; f <= 12; ++f) FieldTypes[f] = int16_t(types[f - 1]);
        // Field 5: labels 2..4 (three categories) at slots 10..12; field 8: labels 5..6 at
        // slots 13..14.
        FieldFirstLabel[5] = 2, FieldLastLabel[5] = 4, FieldFirstCategory[5] = 10, FieldLastCategory[5] = 12;
        FieldFirstLabel[8] = 5, FieldLastLabel[8] = 6, FieldFirstCategory[8] = 13, FieldLastCategory[8] = 14;
    }
    TempDir dir;
};

TEST_F(FieldConditionTest, OrdinalsCountFieldsUpToTheField) {
    EXPECT_EQ(DateFieldOrdinal(1), 0);
    EXPECT_EQ(DateFieldOrdinal(2), 1);
    EXPECT_EQ(DateFieldOrdinal(4), 2);
    EXPECT_EQ(DateFieldOrdinal(12), 2);
    EXPECT_EQ(NumericFieldOrdinal(3), 1);
    EXPECT_EQ(NumericFieldOrdinal(9), 2);
    EXPECT_EQ(NumericFieldOrdinal(10), 3);
    EXPECT_EQ(NumericFieldOrdinal(11), 4);
}

TEST_F(FieldConditionTest, DateConditionTakesPartUnlessBothBoundsAreOpen) {
    EXPECT_TRUE(StoreDateCondition(4, 900101, 0));
    EXPECT_EQ(DateConditionFrom[2], 900101);
    EXPECT_EQ(DateConditionTo[2], 0);
    EXPECT_EQ(FieldInCondition[4], 1);
    EXPECT_EQ(DateConditionFrom[1], 0);

    EXPECT_TRUE(StoreDateCondition(4, 0, 0));
    EXPECT_EQ(FieldInCondition[4], 0);
    EXPECT_TRUE(StoreDateCondition(2, -5, 201));
    EXPECT_EQ(FieldInCondition[2], 1);

    // The 31st date field has no place: nothing is stored for it.
    for (int f = 13; f <= 41; ++f) FieldTypes[f] = 2;
    CoreState.FieldCount = 41;
    EXPECT_EQ(DateFieldOrdinal(40), 30);
    EXPECT_TRUE(StoreDateCondition(40, 5, 6));
    EXPECT_EQ(DateConditionFrom[30], 5);
    EXPECT_FALSE(StoreDateCondition(41, 7, 8));
    EXPECT_EQ(FieldInCondition[41], 0);
    EXPECT_EQ(DateConditionFrom[30], 5);
    EXPECT_FALSE(StoreDateCondition(0, 7, 8));
    EXPECT_FALSE(StoreDateCondition(1, 7, 8));  // not a date field: no ordinal
}

TEST_F(FieldConditionTest, NumericConditionTakesPartWhenEitherBoundIsSet) {
    EXPECT_TRUE(StoreNumericCondition(10, kEmptyNumber, 1250));
    EXPECT_EQ(NumericConditionLow[3], kEmptyNumber);
    EXPECT_EQ(NumericConditionHigh[3], 1250);
    EXPECT_EQ(FieldInCondition[10], 1);
    EXPECT_TRUE(StoreNumericCondition(10, kEmptyNumber, kEmptyNumber));
    EXPECT_EQ(FieldInCondition[10], 0);
    EXPECT_TRUE(StoreNumericCondition(3, -9999998, kEmptyNumber));
    EXPECT_EQ(FieldInCondition[3], 1);
    EXPECT_EQ(NumericConditionLow[1], -9999998);
    EXPECT_TRUE(StoreNumericCondition(3, kEmptyNumber, -10000000));  // below the empty value
    EXPECT_EQ(FieldInCondition[3], 1);
    EXPECT_FALSE(StoreNumericCondition(1, 1, 2));  // no numeric field before it
    EXPECT_FALSE(StoreNumericCondition(kMaxFields + 1, 1, 2));
}

TEST_F(FieldConditionTest, CategoryFlagsStayInsideTheField) {
    EXPECT_EQ(FieldCategoryCount(5), 3);
    EXPECT_EQ(CategoryWantedFlag(5, 1), &CategoryWanted[10]);
    EXPECT_EQ(CategoryWantedFlag(5, 3), &CategoryWanted[12]);
    EXPECT_EQ(CategoryWantedFlag(5, 0), nullptr);
    EXPECT_EQ(CategoryWantedFlag(5, 4), nullptr);
    EXPECT_EQ(CategoryWantedFlag(0, 1), nullptr);
    // Slots past the flag table are refused.
    FieldFirstCategory[8] = 3999;
    EXPECT_EQ(CategoryWantedFlag(8, 2), &CategoryWanted[4000]);
    FieldFirstCategory[8] = 4000;
    EXPECT_EQ(CategoryWantedFlag(8, 2), nullptr);
    FieldFirstCategory[8] = -1;
    EXPECT_EQ(CategoryWantedFlag(8, 1), nullptr);

    EXPECT_EQ(AnswerGroupHead(7), 5);
    EXPECT_EQ(AnswerGroupHead(6), 5);
    EXPECT_EQ(AnswerGroupHead(5), 5);
    EXPECT_EQ(AnswerGroupHead(8), 8);
    FieldTypes[1] = 1;
    EXPECT_EQ(AnswerGroupHead(1), 0);
}

TEST_F(FieldConditionTest, GroupTakesPartWithItsFirstField) {
    FieldInCondition[8] = 1;
    *CategoryWantedFlag(5, 2) = 1;
    UpdateCategoryGroupCondition(5);
    EXPECT_EQ(FieldInCondition[5], 1);
    EXPECT_EQ(FieldInCondition[6], 1);
    EXPECT_EQ(FieldInCondition[7], 1);
    EXPECT_EQ(FieldInCondition[8], 1);  // the next group is its own

    *CategoryWantedFlag(5, 2) = 0;
    UpdateCategoryGroupCondition(5);
    EXPECT_EQ(FieldInCondition[5], 0);
    EXPECT_EQ(FieldInCondition[6], 0);
    EXPECT_EQ(FieldInCondition[7], 0);
    EXPECT_EQ(FieldInCondition[8], 1);

    // A group that closes the archive stops at its last field.
    FieldTypes[9] = 1, FieldTypes[10] = 1, FieldTypes[11] = 1, FieldTypes[12] = 1, FieldTypes[13] = 1;
    *CategoryWantedFlag(8, 1) = 1;
    UpdateCategoryGroupCondition(8);
    for (int f = 8; f <= 12; ++f) EXPECT_EQ(FieldInCondition[f], 1) << f;
    EXPECT_EQ(FieldInCondition[13], 0);

    // A field without categories is taken out with its group.
    FieldLastLabel[5] = 1;
    FieldInCondition[5] = FieldInCondition[6] = 1;
    UpdateCategoryGroupCondition(5);
    EXPECT_EQ(FieldInCondition[5], 0);
    EXPECT_EQ(FieldInCondition[6], 0);
}

TEST_F(FieldConditionTest, CategoryListLinesFromTheLabels) {
    // Records of 61 bytes; field 5 uses records 2..4. Record 4 fills all 61 bytes, which no label
    // does: it reads as 60 characters, like every label.
    WriteBytes(dir / "mod-sch.dat",
               test::LabelRecords({"", "", "maschio", "femmina", std::string(61, 'x'), "si\xE0", ""}));
    WriteCategoryList(5);
    EXPECT_EQ(ReadBytes(dir / "tresca.txt"),
              "   1. maschio\r\n   2. femmina\r\n   3. " + std::string(60, 'x') + "\r\n");

    FieldFirstLabel[8] = 5, FieldLastLabel[8] = 5;
    WriteCategoryList(8);
    EXPECT_EQ(ReadBytes(dir / "tresca.txt"), "   1. si\xE0\r\n");

    // A field with no categories leaves an empty list.
    FieldLastLabel[8] = 4;
    WriteCategoryList(8);
    EXPECT_EQ(ReadBytes(dir / "tresca.txt"), "");

    // A label record the file does not hold gives no line (record 6 is an empty label).
    FieldLastLabel[8] = 7;
    WriteCategoryList(8);
    EXPECT_EQ(ReadBytes(dir / "tresca.txt"), "   1. si\xE0\r\n   2. \r\n");
}

}  // namespace
}  // namespace qv

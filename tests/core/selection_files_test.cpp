#include "core/selection_files.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

const std::string kMark = Hex("02 1F 0A FA");

class SelectionFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        TerritoryCount = 8101;
    }
    TempDir dir;
};

TEST_F(SelectionFiles, CardBitsMostSignificantFirst) {
    CardSelectionMask[0] = 0x80;
    CardSelectionMask[1] = 0x40;
    CardSelectionMask[65500] = 0x01;
    struct Case {
        int32_t card;
        bool selected;
    } cases[] = {
        {0, true},   {1, false},     {9, true},       {8, false},
        {-1, false}, {524007, true}, {524008, false}, {INT32_MAX, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsCardSelected(c.card), c.selected) << c.card;
}

TEST_F(SelectionFiles, NamesAtOrBelowExclamationNameNoFile) {
    struct Case {
        std::string name;
        bool names;
    } cases[] = {{"", false},  {" x", false}, {"\tx", false},  {"!", false},
                 {"!a", true}, {"\"", true},  {"/tmp/a", true}};
    for (const Case& c : cases) EXPECT_EQ(NamesFile(c.name), c.names) << ToHex(c.name);
}

TEST_F(SelectionFiles, TerritoryFlagIsOneBasedAndBounded) {
    ASSERT_NE(TerritoryFlag(1), nullptr);
    *TerritoryFlag(1) = 1;
    *TerritoryFlag(8101) = 1;
    EXPECT_EQ(TerritorySelection[0], 1);
    EXPECT_EQ(TerritorySelection[8100], 1);
    EXPECT_EQ(TerritoryFlag(0), nullptr);
    EXPECT_EQ(TerritoryFlag(8102), nullptr);
    EXPECT_EQ(TerritoryFlag(-3), nullptr);
}

TEST_F(SelectionFiles, ClearedStatisticsFileGolden) {
    StatisticsTables[2][5] = 9;
    CardSelectionMask[3] = 0xFF;
    ClearStatistics(2);
    SaveStatistics(dir / "Statisti.000");
    const std::string got = ReadBytes(dir / "Statisti.000");
    ASSERT_EQ(got.size(), 226725u + 44064u);
    // Category and territory counters: 3 x 16000 + 3 x 8102 x 4 = 145224 zero bytes.
    EXPECT_EQ(got.substr(0, 145224), std::string(145224, '\0'));
    EXPECT_EQ(got.substr(145224, 4000), Repeat(Hex("81 69 67 FF"), 1000));  // maxima -9999999
    EXPECT_EQ(got.substr(149224, 4000), Repeat(Hex("7F 96 98 00"), 1000));  // minima 9999999
    EXPECT_EQ(got.substr(153224), std::string(8000 + 65501 + 44064, '\0'));
}

TEST_F(SelectionFiles, ClearLevelOneKeepsSelection) {
    CardSelectionMask[7] = 0x11;
    StatisticsTables[0][kStatisticsCategoryBase] = 4;
    ClearStatistics(1);
    EXPECT_EQ(StatisticsTables[0][kStatisticsCategoryBase], 0);
    EXPECT_EQ(CardSelectionMask[7], 0x11);
    EXPECT_EQ(NumericFieldSummary[999], -9999999);
    EXPECT_EQ(NumericFieldSummary[1000], 9999999);
    EXPECT_EQ(NumericFieldSummary[2000], 0);
}

TEST_F(SelectionFiles, StatisticsBlocksLandInFileOrder) {
    ClearStatistics(2);
    StatisticsTables[1][kStatisticsCategoryBase] = 7;  // total of table 1: byte 16000
    StatisticsTables[2][8101] = 5;                     // last territory code of table 2
    StatisticsTables[0][0] = -2;                       // territory code 0 of table 0: byte 48000
    NumericFieldSummary[3999] = 123;                   // last sum
    CardSelectionMask[0] = 0x80;
    CardSelectionMask[65500] = 0x01;
    StatisticsYearTail[2][YearTailEntry(35, 101)] = 9;  // the last counter of the year tail
    const std::string path = dir / "s.sta";
    SaveStatistics(path);
    const std::string got = ReadBytes(path);
    // The year tail (3 x 36 x 102 counters) after the parts every station reads.
    ASSERT_EQ(got.size(), 226725u + 44064u);
    EXPECT_EQ(ToHex(got.substr(got.size() - 4)), ToHex(Int32s({9})));
    EXPECT_EQ(ToHex(got.substr(16000, 4)), ToHex(Int32s({7})));
    EXPECT_EQ(ToHex(got.substr(48000 + 2 * 32408 + 8101 * 4, 4)), ToHex(Int32s({5})));
    EXPECT_EQ(ToHex(got.substr(48000, 4)), ToHex(Int32s({-2})));
    EXPECT_EQ(ToHex(got.substr(161220, 4)), ToHex(Int32s({123})));
    EXPECT_EQ(uint8_t(got[161224]), 0x80);
    EXPECT_EQ(uint8_t(got[226724]), 0x01);

    ResetProgramState();
    LoadStatistics(path);
    EXPECT_EQ(StatisticsTables[1][kStatisticsCategoryBase], 7);
    EXPECT_EQ(StatisticsTables[2][8101], 5);
    EXPECT_EQ(StatisticsTables[0][0], -2);
    EXPECT_EQ(NumericFieldSummary[3999], 123);
    EXPECT_EQ(NumericFieldSummary[0], -9999999);
    EXPECT_TRUE(IsCardSelected(0));
    EXPECT_TRUE(IsCardSelected(524007));
    EXPECT_EQ(StatisticsYearTail[2][YearTailEntry(35, 101)], 9);

    // A file written without the tail reads as ever, with the tail cleared.
    WriteBytes(path, got.substr(0, 226725));
    LoadStatistics(path);
    EXPECT_EQ(StatisticsTables[1][kStatisticsCategoryBase], 7);
    EXPECT_TRUE(IsCardSelected(524007));
    EXPECT_EQ(StatisticsYearTail[2][YearTailEntry(35, 101)], 0);
}

TEST_F(SelectionFiles, YearTailSlotsAndCounters) {
    // Year words: 0 is 1900, 1..109 have the field's counters, 110..209 are 2010-2109, later
    // years share the last counter; a year before 1900 has none.
    const int counters[][2] = {{0, 0},     {1, -1},    {109, -1},  {110, 1}, {115, 6},
                               {209, 100}, {210, 101}, {250, 101}, {-1, -1}};
    for (const auto& c : counters) EXPECT_EQ(YearTailCounter(c[0]), c[1]) << c[0];
    // Date fields with counters take the slots in field order.
    FieldTypes[2] = FieldTypes[5] = FieldTypes[7] = 2;
    FieldStatisticsIndex[2] = 1, FieldStatisticsIndex[7] = 111;  // field 5 has no counters
    EXPECT_EQ(YearTailSlot(2), 0);
    EXPECT_EQ(YearTailSlot(5), -1);
    EXPECT_EQ(YearTailSlot(7), 1);
    EXPECT_EQ(YearTailSlot(3), -1);
}

TEST_F(SelectionFiles, StatisticsCutBeforeTheSelectionLeavesItEmpty) {
    ClearStatistics(2);
    StatisticsTables[0][kStatisticsCategoryBase + 3] = 11;
    CardSelectionMask[2] = 0xFF;
    SaveStatistics(dir / "full");
    WriteBytes(dir / "cut", ReadBytes(dir / "full").substr(0, 161224));
    CardSelectionMask[9] = 0xFF;
    LoadStatistics(dir / "cut");
    EXPECT_EQ(StatisticsTables[0][kStatisticsCategoryBase + 3], 11);
    EXPECT_EQ(NumericFieldSummary[1000], 9999999);
    EXPECT_EQ(CardSelectionMask[2], 0);
    EXPECT_EQ(CardSelectionMask[9], 0);
}

TEST_F(SelectionFiles, NoNameOrMissingFileOnlyClearsUnlessTheUserChoseIt) {
    struct Case {
        std::string name;
        bool required;
        bool cleared;  // else IoError, and everything stays
    } cases[] = {{"", false, true},
                 {dir / "missing.sta", false, true},
                 {"", true, true},
                 {dir / "missing.sta", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + (c.required ? " required" : ""));
        StatisticsTables[0][1] = 3;
        CardSelectionMask[0] = 0xFF;
        TerritorySelection[0] = 1;
        NumericConditionLow[1] = 4;
        if (c.cleared) {
            LoadStatistics(c.name, c.required);
            LoadSearchCriteria(c.name, c.required);
        } else {
            EXPECT_THROW(LoadStatistics(c.name, c.required), IoError);
            EXPECT_THROW(LoadSearchCriteria(c.name, c.required), IoError);
        }
        EXPECT_EQ(StatisticsTables[0][1], c.cleared ? 0 : 3);
        EXPECT_EQ(CardSelectionMask[0], c.cleared ? 0 : 0xFF);
        EXPECT_EQ(TerritorySelection[0], c.cleared ? 0 : 1);
        EXPECT_EQ(NumericConditionLow[1], c.cleared ? -9999999 : 4);
    }
    // Saving to a name that names nothing creates nothing.
    SaveStatistics("");
    SaveSearchCriteria(" ");
    EXPECT_FALSE(FileExists(" "));
}

TEST_F(SelectionFiles, CriteriaGoldenTerritoryRuns) {
    ClearSearchCriteria();
    for (int code : {3, 4, 5, 9}) TerritorySelection[size_t(code - 1)] = 1;
    CoreState.FieldCount = 0;
    SaveSearchCriteria(dir / "Condizio.000");
    const std::string expected = std::string(41 * 4, '\0') + kMark + Int32s({3, 5, 9, 9}) + kMark + kMark +
                                 kMark + std::string(60 * 4, '\0') + kMark + kMark +
                                 Repeat(Int32s({-9999999}), 1998) + kMark + Int32s({0}) + kMark;
    EXPECT_EQ(ReadBytes(dir / "Condizio.000"), expected);
}

TEST_F(SelectionFiles, CriteriaRoundTripWithFieldSections) {
    ClearSearchCriteria();
    CoreState.FieldCount = 3;
    // Field 1 coded with slots 1..4, field 2 a number, field 3 coded with slots 5..6.
    FieldTypes[1] = 0, FieldFirstCategory[1] = 1, FieldLastCategory[1] = 4;
    FieldTypes[2] = 4;
    FieldTypes[3] = 0, FieldFirstCategory[3] = 5, FieldLastCategory[3] = 6;
    CategoryWanted[2] = 1;
    CategoryWanted[6] = 1;
    FieldInCondition[2] = 1;
    FieldConditionSense[3] = 0;
    DateConditionFrom[1] = 1000101;
    DateConditionTo[30] = 1241231;
    NumericConditionLow[1] = 5;
    NumericConditionHigh[999] = 77;
    TerritorySelection[8100] = 1;
    CoreState.StatisticsField = 2;
    const std::string path = dir / "c.con";
    SaveSearchCriteria(path);
    const std::string got = ReadBytes(path);
    // Section 3: -1, value 2 of field 1, -3, value 2 of field 3; section 4: field 2; section 6: field 3.
    const std::string head = std::string(164, '\0') + kMark + Int32s({8101, 8101}) + kMark +
                             Int32s({-1, 2, -3, 2}) + kMark + Int32s({2}) + kMark;
    EXPECT_EQ(ToHex(got.substr(0, head.size())), ToHex(head));

    ClearSearchCriteria();
    LoadSearchCriteria(path);
    EXPECT_EQ(CategoryWanted[2], 1);
    EXPECT_EQ(CategoryWanted[6], 1);
    EXPECT_EQ(CategoryWanted[1] + CategoryWanted[3] + CategoryWanted[4] + CategoryWanted[5], 0);
    EXPECT_EQ(FieldInCondition[2], 1);
    EXPECT_EQ(FieldInCondition[1], 0);
    EXPECT_EQ(FieldConditionSense[3], 0);
    EXPECT_EQ(FieldConditionSense[1], 1);
    EXPECT_EQ(DateConditionFrom[1], 1000101);
    EXPECT_EQ(DateConditionTo[30], 1241231);
    EXPECT_EQ(NumericConditionLow[1], 5);
    EXPECT_EQ(NumericConditionHigh[999], 77);
    EXPECT_EQ(NumericConditionHigh[998], -9999999);
    EXPECT_EQ(TerritorySelection[8100], 1);
    EXPECT_EQ(TerritorySelection[8099], 0);
    EXPECT_EQ(CoreState.StatisticsField, 2);
}

TEST_F(SelectionFiles, CriteriaOfOnlyMarksLoadsCleared) {
    WriteBytes(dir / "m.con", Repeat(kMark, 8));
    TerritorySelection[4] = 1;
    FieldConditionSense[7] = 0;
    CoreState.StatisticsField = 9;
    LoadSearchCriteria(dir / "m.con");
    EXPECT_EQ(TerritorySelection[4], 0);
    EXPECT_EQ(FieldConditionSense[7], 1);
    EXPECT_EQ(NumericConditionLow[999], -9999999);
    EXPECT_EQ(CoreState.StatisticsField, 0);
}

TEST_F(SelectionFiles, CriteriaEntriesOutsideTheTablesAreIgnored) {
    FieldFirstCategory[1] = 4000;
    FieldFirstCategory[2] = 1;
    std::string dates;
    for (int d = 1; d <= 31; ++d) dates += Int32s({d, 100 + d});
    const std::string file = Int32s({7}) + kMark +
                             // Runs: past the last code, through code 0, reversed.
                             Int32s({8100, 9000, -5, 2, 50, 40}) + kMark +
                             // Unknown field, a slot past 4000, a slot before 1, then a good one.
                             Int32s({-5000, 1, -1, 2, -2, 0, -2, 12}) + kMark + Int32s({0, 4001, -7, 12}) +
                             kMark + dates + kMark + Int32s({4001, 0, 13}) + kMark + Int32s({1, 2}) + kMark +
                             Int32s({6}) + kMark + Int32s({99, -1});  // past the last section
    WriteBytes(dir / "bad.con", file);
    LoadSearchCriteria(dir / "bad.con");
    EXPECT_EQ(TerritorySelection[8099], 1);
    EXPECT_EQ(TerritorySelection[8100], 1);
    EXPECT_EQ(TerritorySelection[0], 1);
    EXPECT_EQ(TerritorySelection[1], 1);
    EXPECT_EQ(TerritorySelection[2], 0);
    EXPECT_EQ(TerritorySelection[44], 0);
    EXPECT_EQ(CategoryWanted[4000], 0);
    EXPECT_EQ(CategoryWanted[0], 0);
    EXPECT_EQ(CategoryWanted[12], 1);
    int wanted = 0;
    for (uint8_t w : CategoryWanted) wanted += w;
    EXPECT_EQ(wanted, 1);
    EXPECT_EQ(FieldInCondition[12], 1);
    EXPECT_EQ(FieldInCondition[0], 0);
    EXPECT_EQ(DateConditionFrom[30], 30);
    EXPECT_EQ(DateConditionTo[30], 130);
    EXPECT_EQ(DateConditionFrom[0], 0);
    EXPECT_EQ(FieldConditionSense[13], 0);
    EXPECT_EQ(NumericConditionLow[1], 1);
    EXPECT_EQ(CoreState.StatisticsField, 6);
}

TEST_F(SelectionFiles, NumericOrdinalStopsAtTheLastCondition) {
    std::string pairs;
    for (int n = 1; n <= 1001; ++n) pairs += Int32s({n, -n});
    WriteBytes(dir / "n.con", Repeat(kMark, 6) + pairs + kMark);
    LoadSearchCriteria(dir / "n.con");
    EXPECT_EQ(NumericConditionLow[998], 998);
    EXPECT_EQ(NumericConditionLow[999], 1001);
    EXPECT_EQ(NumericConditionHigh[999], -1001);
}

TEST_F(SelectionFiles, SavingIntoAMissingDirectoryRaises) {
    const std::string path = dir / "no/such/Condizio.000";
    EXPECT_THROW(SaveSearchCriteria(path), IoError);
    EXPECT_THROW(SaveStatistics(dir / "no/such/Statisti.000"), IoError);
}

}  // namespace
}  // namespace qv

#include "selection/collective_selection.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/card_selection.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

constexpr uint16_t kEmpty = kEmptyWord;

// The small archive: 1 sex (code, word 1, 2 categories), 2 and 3 a two-answer group of means of
// transport (words 2 and 3, 3 categories), 4 a date (words 4..6), 5 municipality (word 7),
// 6 a number (8), 7 a percentage (9), 8 a 32-bit number (10, 11), 9 a time (12).
struct Card {
    uint16_t sex, transport1, transport2, day, month, year, comune, number, percent;
    int32_t big;
    uint16_t time;
};

// Hand-made cards; the comments give what the tests below count on.
const Card kCards[] = {
    {1, 1, 0, 15, 6, 95, 3, 25, 550, 1000, 930},                   // 1995, class 5
    {2, 2, 3, 1, 1, 100, 5, kEmpty, 10000, kEmptyNumber, kEmpty},  // 2000, class 100
    {2, 0, 0, 0, 0, 0, 0, 10, kEmpty, -5, 700},                    // no date, class 101
    {0, 3, 1, 31, 12, 109, 3, 40, 0, 7, 1200},                     // 2009, class 0
    {1, 1, 2, 10, 10, 115, 12, uint16_t(-3), 10250, 3, 800},       // 2015, 102.50 %
};
constexpr int kCardCount = 5;

std::set<int> Selected() {
    const std::vector<int32_t> cards = test::SelectedCards(63);
    return {cards.begin(), cards.end()};
}

class CollectiveSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ClearSearchCriteria();
        CoreState.ArchiveDir = dir.Path();
        TerritoryCount = 8101;
        test::LayOutFields({{0, 1}, {0, 2}, {1, 3}, {2, 4}, {3, 7}, {4, 8}, {6, 9}, {7, 10}, {5, 12}});
        // Labels, category slots and counters as the definition build lays them out.
        SetCoded(1, 0, 1, 1, 2, 1);
        SetCoded(2, 2, 4, 3, 5, 3);
        SetCoded(3, 2, 4, 3, 5, 3);
        FieldStatisticsIndex[4] = 6;
        FieldStatisticsIndex[7] = 116;
        FieldNumericIndex[6] = 1, FieldNumericIndex[7] = 2, FieldNumericIndex[8] = 3,
        FieldNumericIndex[9] = 4;

        std::string words;
        for (const Card& c : kCards) {
            std::array<uint16_t, 50> w{};
            w[0] = c.sex, w[1] = c.transport1, w[2] = c.transport2;
            w[3] = c.day, w[4] = c.month, w[5] = c.year, w[6] = c.comune;
            w[7] = c.number, w[8] = c.percent, w[11] = c.time;
            EncodeCardNumber(c.big, w[9], w[10]);
            for (uint16_t x : w) AppendU16(words, x);
        }
        WriteBytes(dir / "num-sch.dat", words);
        WriteBytes(dir / "alf-sch.dat", std::string(kCardCount * 50, '\0'));
        std::string last;
        AppendI32(last, kCardCount - 1);
        WriteBytes(dir / "dli-sch.dat", last);
        CoreState.LastCard = kCardCount - 1;
    }
    void TearDown() override { SelectionFileName.clear(); }

    static void SetCoded(int f, int firstLabel, int lastLabel, int firstSlot, int lastSlot, int counters) {
        FieldFirstLabel[f] = int16_t(firstLabel);
        FieldLastLabel[f] = int16_t(lastLabel);
        FieldFirstCategory[f] = int16_t(firstSlot);
        FieldLastCategory[f] = int16_t(lastSlot);
        FieldStatisticsIndex[f] = int16_t(counters);
    }
    static void Want(int f, std::initializer_list<int> codes) {
        FieldInCondition[f] = 1;
        for (int v : codes) CategoryWanted[size_t(FieldFirstCategory[f] + v - 1)] = 1;
    }
    static void Bounds(int f, int32_t low, int32_t high) {
        FieldInCondition[f] = 1;
        NumericConditionLow[size_t(FieldNumericIndex[f])] = low;
        NumericConditionHigh[size_t(FieldNumericIndex[f])] = high;
    }
    static void Run(int combination) {
        NoProgress none;
        RunCollectiveSelection(SelectionCombination(combination), none);
    }
    static int32_t Counter(int table, int entry) { return StatisticsTables[size_t(table)][size_t(entry)]; }

    TempDir dir;
};

TEST_F(CollectiveSelectionTest, ConditionsSelectCards) {
    struct Case {
        const char* name;
        std::function<void()> set;
        std::set<int> expected;
    };
    const Case cases[] = {
        {"no condition", [] {}, {0, 1, 2, 3, 4}},
        {"sex 2", [] { Want(1, {2}); }, {1, 2}},
        {"sex not 2", [] { Want(1, {2}), FieldConditionSense[1] = 0; }, {0, 3, 4}},
        {"either answer 3", [] { Want(2, {3}), FieldInCondition[3] = 1; }, {1, 3}},
        {"from 1/1/1990", [] { FieldInCondition[4] = 1, DateConditionFrom[1] = 900101; }, {0, 1, 3, 4}},
        {"up to 1/1/2000", [] { FieldInCondition[4] = 1, DateConditionTo[1] = 1000101; }, {0, 1, 2}},
        {"date open", [] { FieldInCondition[4] = 1; }, {}},
        {"date open, negated", [] { FieldInCondition[4] = 1, FieldConditionSense[4] = 0; }, {0, 1, 2, 3, 4}},
        {"number up to 20, empty below", [] { Bounds(6, kEmptyNumber, 20); }, {1, 2, 4}},
        {"number 10 to 25", [] { Bounds(6, 10, 25); }, {0, 2}},
        {"32-bit 0 to 999", [] { Bounds(8, 0, 999); }, {3, 4}},
        {"32-bit up to 5", [] { Bounds(8, kEmptyNumber, 5); }, {1, 2, 4}},
        // Bounds below the empty value are bounds all the same; an empty value is above none.
        {"32-bit from -10000000", [] { Bounds(8, -10000000, kEmptyNumber); }, {0, 2, 3, 4}},
        {"32-bit -20000000 to -1", [] { Bounds(8, -20000000, -1); }, {2}},
        {"number from -40000", [] { Bounds(6, -40000, kEmptyNumber); }, {0, 2, 3, 4}},
        {"percentage from 10%", [] { Bounds(7, 1000, kEmptyNumber); }, {1, 4}},
        {"time 8:00 to 12:00", [] { Bounds(9, 800, 1200); }, {0, 3, 4}},
        {"territory 3", [] { *TerritoryFlag(3) = 1, FieldInCondition[5] = 1; }, {0, 3}},
        // A choice of territories tests nothing without a territorial field in the conditions,
        // as after a rebuild, which chooses them all.
        {"territory without field", [] { *TerritoryFlag(3) = 1; }, {0, 1, 2, 3, 4}},
        {"sex 2 after a rebuild", [] { TerritorySelection.fill(1), Want(1, {2}); }, {1, 2}},
        {"a group's third answer after one not in the condition",
         [] {
             FieldTypes[4] = 1, FieldPositions[4] = 3;  // answers 2, 3, 4; 4 reads word 3
             Want(2, {3}), FieldInCondition[4] = 1;
         },
         {1, 3}},
        {"territory not 3",
         [] { *TerritoryFlag(3) = 1, FieldInCondition[5] = 1, FieldConditionSense[5] = 0; },
         {1, 2, 4}},
        {"sex 1 and number from 0", [] { Want(1, {1}), Bounds(6, 0, kEmptyNumber); }, {0}},
    };
    const auto types = FieldTypes;
    const auto positions = FieldPositions;
    for (const Case& c : cases) {
        ClearSearchCriteria();
        c.set();
        Run(kFirstSearch);
        EXPECT_EQ(Selected(), c.expected) << c.name;
        FieldTypes = types;
        FieldPositions = positions;
    }
}

TEST_F(CollectiveSelectionTest, StatisticsOfTheSelectedCards) {
    for (int f : {1, 2, 3, 4, 5, 6, 7, 8}) FieldAttributes[f] = 32;
    CoreState.SplitField = 1;
    CoreState.SplitCategoryCount = 2;
    Run(kFirstSearch);
    struct Expect {
        int entry;
        std::array<int32_t, 3> tables;  // all cards, sex 1, sex 2
    };
    const Expect expected[] = {
        {8151, {5, 2, 2}},  // totals (card 3 has no sex)
        {8152, {2, 2, 0}},
        {8153, {2, 0, 2}},  // sex
        {8154, {3, 2, 0}},
        {8155, {2, 1, 1}},  // transport, both answers
        {8156, {2, 0, 1}},
        {8157, {0, 0, 0}},            //
        {8151 + 6 + 95, {1, 1, 0}},   // 1995
        {8151 + 6 + 100, {1, 0, 1}},  // 2000
        {8151 + 6 + 109, {1, 0, 0}},  // 2009; 2015 is past the field's counters
        {8267, {2, 1, 0}},            // class 0: 0 % and 102.50 %
        {8267 + 5, {1, 1, 0}},
        {8267 + 100, {1, 0, 1}},  // 5.50 %, 100 %
        {8267 + 101, {1, 0, 1}},
        {8267 + 102, {0, 0, 0}},  // empty
        {3, {2, 1, 0}},
        {5, {1, 0, 1}},
        {12, {1, 1, 0}},
        {0, {0, 0, 0}},  // comuni
    };
    for (const Expect& e : expected)
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(Counter(t, e.entry), e.tables[size_t(t)]) << e.entry << " table " << t;
    // 2015 is kept in the date's year tail (slot 0, counter 2015 - 2009 = 6); the card without
    // a date is in no counter.
    ASSERT_EQ(YearTailSlot(4), 0);
    for (int t = 0; t < 3; ++t) {
        int32_t all = 0;
        for (int32_t v : StatisticsYearTail[size_t(t)]) all += v;
        EXPECT_EQ(StatisticsYearTail[size_t(t)][YearTailEntry(0, 6)], t == 2 ? 0 : 1) << t;
        EXPECT_EQ(all, t == 2 ? 0 : 1) << t;
    }

    // Maximum, minimum, count and sum; the percentage has none, a 32-bit number has its own.
    const std::array<int32_t, 4> number = {40, -3, 4, 72}, percent = {-9999999, 9999999, 0, 0},
                                 big = {1000, -5, 4, 1005};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(NumericFieldSummary[size_t(b * 1000 + 1)], number[size_t(b)]) << b;
        EXPECT_EQ(NumericFieldSummary[size_t(b * 1000 + 2)], percent[size_t(b)]) << b;
        EXPECT_EQ(NumericFieldSummary[size_t(b * 1000 + 3)], big[size_t(b)]) << b;
    }
}

TEST_F(CollectiveSelectionTest, WeightedCounters) {
    FieldAttributes[1] = FieldAttributes[6] = FieldAttributes[7] = 32;
    CoreState.StatisticsField = 6;  // an empty number weighs nothing
    Run(kFirstSearch);
    EXPECT_EQ(Counter(0, 8151), 25 + 0 + 10 + 40 - 3);
    EXPECT_EQ(Counter(0, 8152), 25 - 3);
    EXPECT_EQ(Counter(0, 8153), 0 + 10);
    EXPECT_EQ(Counter(0, 8267 + 5), 1);       // percentage classes are not weighted
    EXPECT_EQ(NumericFieldSummary[2001], 4);  // nor are counts
    const std::pair<int, int32_t> totals[] = {{8, 1000 + 0 - 5 + 7 + 3}, {4, 0}};  // 32-bit, date
    for (auto [field, total] : totals) {
        CoreState.StatisticsField = field;
        Run(kFirstSearch);
        EXPECT_EQ(Counter(0, 8151), total) << field;
    }
}

TEST_F(CollectiveSelectionTest, CombinationWithSavedSelection) {
    // The saved search: cards 1 and 3, a card past the last, and counters that must go.
    ClearStatistics(2);
    CardSelectionMask[0] = 0x50;
    CardSelectionMask[1] = 0x20;  // card 10
    StatisticsTables[0][8151] = 99;
    SaveStatistics(dir / "saved.sta");
    const uint8_t leftOver = CardSelectionMask[1];

    struct Case {
        int combination;
        std::string file;
        int sex;
        std::set<int> expected;
    };
    const Case cases[] = {
        {kOrSavedSearch, "saved", 1, {0, 1, 3, 4, 10}},
        {kAndSavedSearch, "saved", 2, {1, 10}},
        // A saved search that cannot be read stops the run: nothing changes.
        {kOrSavedSearch, "missing", 1, {1, 10}},
        {kAndSavedSearch, "missing", 1, {1, 10}},
        {0, "saved", 1, {10}},  // runs nothing: bits of the archive cleared, the rest kept
    };
    for (const Case& c : cases) {
        ClearSearchCriteria();
        Want(1, {c.sex});
        SelectionFileName = dir / c.file;
        CardSelectionMask[1] = leftOver;
        const int inArchive = int(c.expected.size()) - (c.expected.count(10) ? 1 : 0);
        if (c.file == "missing") {
            StatisticsTables[0][8151] = inArchive;
            EXPECT_THROW(Run(c.combination), IoError);
        } else {
            StatisticsTables[0][8151] = 0;
            Run(c.combination);
        }
        EXPECT_EQ(Selected(), c.expected) << c.combination << " " << c.file;
        EXPECT_EQ(Counter(0, 8151), inArchive) << c.combination << " " << c.file;
    }
}

TEST_F(CollectiveSelectionTest, SiblingSelectionFile) {
    // Cards 0 and 2..7 with the first card in the lowest bit; only 5 cards exist.
    WriteBytes(dir / "att.dat", std::string(1, '\xFD'));
    CardSelectionMask[1] = 0x55;
    ReadSiblingSelection(dir / "att.dat");
    EXPECT_EQ(CardSelectionMask[0], 0xB8);
    EXPECT_EQ(CardSelectionMask[1], 0x55);
    FieldAttributes[1] = 32;
    Run(kSiblingSelection);
    EXPECT_EQ(Selected(), (std::set<int>{0, 2, 3, 4, 9, 11, 13, 15}));
    EXPECT_EQ(Counter(0, 8151), 4);

    // A last byte that does not hold the archive's last card is taken whole.
    WriteBytes(dir / "two.dat", std::string("\x01\x03", 2));
    ReadSiblingSelection(dir / "two.dat");
    EXPECT_EQ(CardSelectionMask[0], 0x80);
    EXPECT_EQ(CardSelectionMask[1], 0xC0);
    EXPECT_THROW(ReadSiblingSelection(dir / "none.dat"), IoError);

    EXPECT_EQ(ReverseBitOrder(0xA0), 0x05);
    const std::array<int, 3> last[] = {{0xFF, 13, 0xF8}, {0xFF, 8, 0xFF}, {0xFF, 1, 0x80}};
    for (auto [in, count, out] : last) EXPECT_EQ(AdjustLastSelectionByte(uint8_t(in), count), out) << count;
}

TEST_F(CollectiveSelectionTest, ShortCardFileStopsTheRun) {
    CoreState.LastCard = 2000;
    EXPECT_THROW(Run(kFirstSearch), IoError);
    EXPECT_EQ(Selected(), (std::set<int>{0, 1, 2, 3, 4}));  // as far as it was built
}

}  // namespace
}  // namespace qv

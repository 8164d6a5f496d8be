#include "elaborations/counting_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/connections_report.h"
#include "elaborations/count_table.h"
#include "elaborations/cross_table_report.h"
#include "elaborations/grid_files.h"
#include "elaborations/simple_distribution_report.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/card_files.h"
#include "support/program_dir.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using Record = std::array<int32_t, 12>;

// One card of the small archive: sex (word 1), a group of two answers (2, 3), a 16-bit number
// (4), a 32-bit number (5, 6), a date (7..9); a text field has no words.
struct Card {
    uint16_t sex, answer1, answer2;
    int16_t number;
    int32_t big;
    uint16_t day, month, year;
};

constexpr int16_t kEmpty16 = -32000;

std::string CardBytes(const Card& c) {
    std::array<uint16_t, 50> w{};
    w[0] = c.sex;
    w[1] = c.answer1;
    w[2] = c.answer2;
    w[3] = uint16_t(c.number);
    test::CardNumberWords(c.big, w[4], w[5]);
    w[6] = c.day;
    w[7] = c.month;
    w[8] = c.year;
    std::string out;
    for (uint16_t x : w) AppendU16(out, x);
    return out;
}

// The grid of the small archive; lines 11 and 12 hang from "F" and from line 11.
const char* const kGrid =
    "M*1=1,1;G0S0\r\n"
    "F*=2,2;\r\n"
    "MR*=0,0;\r\n"
    "A*2=1,1;G2S0\r\n"
    "B*=2,2;\r\n"
    "Nessuna*=0,0;\r\n"
    "Giovani*4=0,30;G0S0\r\n"
    "Anziani*=31,999;\r\n"
    "Anni 90*6=900101,991231;G0S0\r\n"
    "Dal 2000*=1000101,1991231;\r\n"
    "F con A*2=1,1;G2S2\r\n"
    "F con A giovani*4=0,30;G0S11\r\n";

class CountingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.CardWordCount = 50;
        CoreState.CardTextBytes = 50;
        CoreState.FieldCount = 7;
        const int types[] = {0, 0, 1, 4, 7, 2, -5};
        const int positions[] = {1, 2, 3, 4, 5, 7, 0};
        for (int f = 1; f <= 7; ++f) {
            FieldTypes[f] = int16_t(types[f - 1]);
            FieldPositions[f] = int16_t(positions[f - 1]);
        }
        FieldTextOffsets[7] = 1;
        // Card 4 is not selected.
        cards = {
            {1, 1, 0, 25, 1000, 15, 6, 95}, {2, 2, 1, 40, kEmptyNumber, 0, 0, 0},
            {2, 0, 0, 10, -5, 1, 1, 100},   {0, 0, 0, kEmpty16, 7, 0, 0, 0},
            {2, 1, 2, 20, 3, 1, 1, 1},
        };
        WriteCards();
        CoreState.LastCard = 4;
        CardSelectionMask[0] = 0xF0;
        WriteBytes(dir / "grl-sch.txt", kGrid);
        WriteBytes(dir / "grq-sch.txt", "*4*Eta\r\n*5*Reddito\r\n*6*Data\r\n*7*Nome\r\n");
    }

    void WriteCards() {
        std::string bytes;
        for (const Card& c : cards) bytes += CardBytes(c);
        WriteCardFiles(bytes);
    }
    void WriteCardFiles(const std::string& values) { test::WriteCardFiles(dir.Path(), values); }

    static void Flag(FlagList& list, std::initializer_list<int> lines) {
        for (int l : lines) list[size_t(l)] = 1;
    }

    std::vector<Record> CountTable() {
        std::string bytes = ReadBytes(dir / "tab-sch.dat");
        EXPECT_EQ(bytes.size() % 48, 0u);
        std::vector<Record> out(bytes.size() / 48);
        for (size_t r = 0; r < out.size(); ++r)
            for (size_t c = 0; c < 12; ++c) out[r][c] = GetI32(Bytes(bytes) + r * 48 + c * 4);
        // Every table carries the fingerprint of the grid it was counted on; field 0 of the
        // other records (the rows counted, the unit) is taken apart into `marks`.
        marks.clear();
        if (!out.empty()) {
            EXPECT_EQ(std::exchange(out[0][0], 0), GridFingerprint());
            for (size_t r = 1; r < out.size(); ++r) marks.push_back(std::exchange(out[r][0], 0));
        }
        return out;
    }

    std::vector<int32_t> Ints(const char* name) {
        std::string bytes = ReadBytes(dir / name);
        std::vector<int32_t> out;
        for (size_t i = 0; i + 4 <= bytes.size(); i += 4) out.push_back(GetI32(Bytes(bytes) + i));
        return out;
    }

    TempDir dir;
    std::vector<Card> cards;
    NoProgress progress;
    std::vector<int32_t> marks;  // field 0 of records 1..N + 1 of the last table read
};

// Truth per selected card, worked out from the grid by hand:
//   card 0: M, A, Giovani, Anni 90 (F con A and its child fall with F)
//   card 1: F, A, B, Anziani, F con A
//   card 2: F, Nessuna, Giovani, Dal 2000 (F con A giovani matches but its parent is false)
//   card 3: MR, Nessuna (the empty number falls in no class)
TEST_F(CountingTest, CategoryCountsByColumn) {
    Flag(StandardRowFlags, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    Flag(StandardColumnFlags, {0, 1});
    CoreState.CurrentCard = 3;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(CoreState.CurrentCard, 3);
    const std::vector<Record> expected = {
        {0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 4},  //
        {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // M
        {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 2},  // F
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // MR
        {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2},  // A
        {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // B
        {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2},  // Nessuna
        {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2},  // Giovani
        {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // Anziani
        {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // Anni 90
        {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // Dal 2000
        {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // F con A
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // F con A giovani
        {0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // column categories
    };
    EXPECT_EQ(CountTable(), expected);
}

TEST_F(CountingTest, UnitFieldWeights) {
    Flag(StandardRowFlags, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    Flag(StandardColumnFlags, {0, 1});
    CoreState.CountByQuantUnit = 1;
    // Line 0 of the quantitative grid is field 4: weights 25, 40, 10 and 0 (empty).
    CoreState.QuantUnitVar = 0;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    std::vector<Record> t = CountTable();
    ASSERT_EQ(t.size(), 14u);
    const int32_t column1[] = {25, 25, 0, 0, 25, 0, 0, 25, 0, 25, 0, 0, 0, 1};
    const int32_t column2[] = {50, 0, 50, 0, 40, 40, 10, 10, 40, 0, 10, 40, 0, 2};
    // The record naming the columns also marks the cells as sums of the unit variable.
    const int32_t all[] = {75, 25, 50, 0, 65, 40, 10, 35, 40, 25, 10, 40, 0, 1};
    for (size_t r = 0; r < 14; ++r) {
        EXPECT_EQ(t[r][1], column1[r]) << r;
        EXPECT_EQ(t[r][2], column2[r]) << r;
        EXPECT_EQ(t[r][11], all[r]) << r;
    }

    // Field 5 (32-bit): weights 1000, 0 (empty), -5, 7. A text unit field counts each card 1.
    struct Case {
        int var;
        int32_t grand, mr, column2, byUnit;
    } cases[] = {{1, 1002, 7, -5, 1}, {3, 4, 1, 2, 0}};
    for (const Case& c : cases) {
        CoreState.QuantUnitVar = c.var;
        ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
        t = CountTable();
        EXPECT_EQ(t[0][11], c.grand) << c.var;
        EXPECT_EQ(t[3][11], c.mr) << c.var;
        EXPECT_EQ(t[0][2], c.column2) << c.var;
        EXPECT_EQ(t[13][11], c.byUnit) << c.var;
    }
}

TEST_F(CountingTest, OnlyRowsColumnsAndTheirAncestorsAreCounted) {
    // Row "F con A giovani" alone: its parent, grandparent and column M are evaluated too,
    // and marked as counted; the unit mark says cards were counted one each.
    Flag(StandardRowFlags, {11});
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    std::vector<Record> t = CountTable();
    ASSERT_EQ(t.size(), 14u);
    EXPECT_EQ(marks, (std::vector<int32_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
    std::vector<int32_t> all, column1;
    for (const Record& r : t) {
        all.push_back(r[11]);
        column1.push_back(r[1]);
    }
    // No column flagged: category 1 is column 1.
    EXPECT_EQ(all, (std::vector<int32_t>{4, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(column1, (std::vector<int32_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST_F(CountingTest, ReportsRefuseRowsAndUnitsNotCounted) {
    // The normal flow: count with rows M and F, then pick MR and show. MR was not evaluated
    // (its count would print "-"), so every report asks to count again; a row unpicked after
    // counting is simply left out, and the unit option switched on after counting is refused.
    CoreState.ProgramDir = dir.Path();
    std::filesystem::copy_file(test::ShippedProgramDir() + "sigle.imp", dir / "sigle.imp");
    BuildTextFile();
    Flag(StandardRowFlags, {0, 1});
    Flag(StandardColumnFlags, {6});
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    struct Case {
        const char* what;
        std::function<void()> change;
        CountTableState state;
    } cases[] = {
        {"the rows counted", [] {}, CountTableState::Ready},
        {"a row picked after counting", [] { StandardRowFlags[2] = 1; }, CountTableState::Uncounted},
        {"a row unpicked after counting", [] { StandardRowFlags[1] = 0; }, CountTableState::Ready},
        {"the column's line picked as a row", [] { StandardRowFlags[6] = 1; }, CountTableState::Ready},
        {"the unit option switched on", [] { CoreState.CountByQuantUnit = 1; }, CountTableState::Uncounted},
    };
    for (const Case& c : cases) {
        StandardRowFlags.fill(0);
        Flag(StandardRowFlags, {0, 1});
        CoreState.CountByQuantUnit = 0;
        c.change();
        EXPECT_EQ(ReadCountTable(12).State, c.state) << c.what;
        for (auto write : {&WriteSimpleDistributionReport, &WriteCrossTableReport, &WriteConnectionsReport})
            EXPECT_EQ(write(), c.state) << c.what;
    }
    // Counted with the unit option on variable 0: another unit variable is refused too.
    CoreState.CountByQuantUnit = 1;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(ReadCountTable(12).State, CountTableState::Ready);
    CoreState.QuantUnitVar = 1;
    EXPECT_EQ(ReadCountTable(12).State, CountTableState::Uncounted);
}

TEST_F(CountingTest, NoSelectedCardGivesZerosWithTheColumns) {
    CardSelectionMask[0] = 0;
    Flag(StandardRowFlags, {0, 1, 2});
    Flag(StandardColumnFlags, {2, 5, 8});
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    std::vector<Record> t = CountTable();
    ASSERT_EQ(t.size(), 14u);
    for (size_t r = 0; r < 13; ++r) EXPECT_EQ(t[r], Record{}) << r;
    EXPECT_EQ(t[13], (Record{0, 3, 6, 9, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(CountingTest, ParentRuleRunsTwiceInLineOrder) {
    // Line 1 hangs from line 2, which hangs from line 3 (false on every card): two sweeps clear
    // both. Line 4 names a parent the grid does not have: it has none.
    WriteBytes(dir / "grl-sch.txt",
               "Nipote*1=0,9;G0S2\r\n"
               "Figlio*1=0,9;G0S3\r\n"
               "Nonno*1=7,7;G0S0\r\n"
               "Orfano*1=0,9;G0S99\r\n"
               "Libero*1=0,9;G0S0\r\n");
    Flag(StandardRowFlags, {0, 3, 4});
    Flag(StandardColumnFlags, {4});
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    std::vector<Record> t = CountTable();
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0][11], 4);
    for (size_t r = 1; r <= 3; ++r) EXPECT_EQ(t[r][11], 0) << r;
    EXPECT_EQ(t[4][11], 4);
    EXPECT_EQ(t[5][11], 4);
    EXPECT_EQ(t[5][1], 4);
}

TEST_F(CountingTest, QuantitativeSumsAndSquaredDeviations) {
    Flag(StandardColumnFlags, {0, 1});
    CoreState.CurrentCard = 2;
    ASSERT_EQ(RunQuantitativePasses(progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(CoreState.CommandCode, kSquaredDeviationPass);
    EXPECT_EQ(CoreState.CurrentCard, 2);
    EXPECT_EQ(ReadBytes(dir / "qnc-sch.dat"), "1\r\n2\r\n");
    EXPECT_EQ(Ints("qnq-sch.dat"), (std::vector<int32_t>{4, 1, 2}));
    // Per variable, columns 0 (all), M, F: sum and count. The empty 16-bit value and the empty
    // 32-bit number give no value; the date gives its day word; the text field nothing.
    EXPECT_EQ(Ints("qnt-sch.dat"), (std::vector<int32_t>{4,
                                                         GridFingerprint(),  //
                                                         75,
                                                         3,
                                                         25,
                                                         1,
                                                         50,
                                                         2,  // Eta
                                                         1002,
                                                         3,
                                                         1000,
                                                         1,
                                                         -5,
                                                         1,  // Reddito
                                                         16,
                                                         4,
                                                         15,
                                                         1,
                                                         1,
                                                         2,  // Data
                                                         0,
                                                         0,
                                                         0,
                                                         0,
                                                         0,
                                                         0,  // Nome
                                                         QuantGridFingerprint()}));
    std::string bytes = ReadBytes(dir / "scr-sch.dat");
    ASSERT_EQ(bytes.size(), 12u * 8);
    // Means 25, 25, 25; 334, 1000, -5; 4, 15, 0.5.
    const double expected[] = {450, 0, 450, 443556 + 114921 + 106929, 0, 0, 162, 0, 0.5, 0, 0, 0};
    for (size_t i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(GetF64(Bytes(bytes) + i * 8), expected[i]) << i;
}

TEST_F(CountingTest, NoColumnsInTheQuantitativePasses) {
    ASSERT_EQ(RunQuantitativePasses(progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(ReadBytes(dir / "qnc-sch.dat"), "");
    EXPECT_EQ(Ints("qnq-sch.dat"), (std::vector<int32_t>{4}));
    EXPECT_EQ(Ints("qnt-sch.dat"), (std::vector<int32_t>{4, GridFingerprint(), 75, 3, 1002, 3, 16, 4, 0, 0,
                                                         QuantGridFingerprint()}));
    EXPECT_EQ(ReadBytes(dir / "scr-sch.dat").size(), 4u * 8);
}

TEST_F(CountingTest, TotalsThatDoNotFitTheirRecords) {
    cards[0].big = 2000000000;
    cards[3].big = 2000000000;
    WriteCards();
    // Sum of field 5 over column 0: 4000000002. That variable is marked in every slot; the
    // others are written as ever, and the squared deviations follow.
    Flag(StandardColumnFlags, {0});
    ASSERT_EQ(RunQuantitativePasses(progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(Ints("qnt-sch.dat"), (std::vector<int32_t>{4, GridFingerprint(),  //
                                                         75, 3, 25, 1,          // Eta
                                                         0, -1, 0, -1,          // Reddito
                                                         16, 4, 15, 1,          // Data
                                                         0, 0, 0, 0,            // Nome
                                                         QuantGridFingerprint()}));
    EXPECT_EQ(ReadBytes(dir / "scr-sch.dat").size(), 8u * 8);
    WriteBytes(dir / "tab-sch.dat", "old");

    // The same cards weighted by field 5 (2000000000, empty, -5, 2000000000), summed in 64
    // bits: a cell past 2147483647 is written as 2147483647, the others as counted.
    CoreState.CountByQuantUnit = 1;
    CoreState.QuantUnitVar = 1;
    Flag(StandardRowFlags, {0, 1, 5});
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    std::vector<Record> t = CountTable();
    EXPECT_EQ(marks.back(), 3);           // by the unit, variable 1
    EXPECT_EQ(t[0][11], kCountTooLarge);  // 3999999995
    EXPECT_EQ(t[1][11], 2000000000);      // M: card 0
    EXPECT_EQ(t[2][11], -5);              // F: cards 1 and 2
    EXPECT_EQ(t[6][11], 1999999995);      // Nessuna: cards 2 and 3
    EXPECT_EQ(t[1][1], 2000000000);       // M in column M

    // Weights just inside the record count.
    cards[3].big = 147483647;
    WriteCards();
    EXPECT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(CountTable()[0][11], 2147483642);
}

TEST_F(CountingTest, GridOf3999LinesRunsAnd4000DoNot) {
    for (int lines : {3999, 4000, 4001}) {
        std::string grid;
        for (int i = 0; i < lines; ++i) grid += "x*1=1,1;\r\n";
        WriteBytes(dir / "grl-sch.txt", grid);
        WriteBytes(dir / "tab-sch.dat", "old");
        CountingOutcome outcome = RunCountingPass(kCategoryCountPass, progress).Outcome;
        if (lines == 3999) {
            EXPECT_EQ(outcome, CountingOutcome::Done);
            EXPECT_EQ(ReadBytes(dir / "tab-sch.dat").size(), 4001u * 48);
        } else {
            EXPECT_EQ(outcome, CountingOutcome::GridTooLong) << lines;
            EXPECT_FALSE(FileExists(dir / "tab-sch.dat")) << lines;
        }
    }
}

TEST_F(CountingTest, OtherCodesAndMissingFiles) {
    EXPECT_EQ(RunCountingPass(30, progress).Outcome, CountingOutcome::NoPass);
    EXPECT_FALSE(FileExists(dir / "tab-sch.dat"));
    std::remove((dir / "grl-sch.txt").c_str());
    EXPECT_THROW(RunCountingPass(kCategoryCountPass, progress), IoError);
    WriteBytes(dir / "grl-sch.txt", kGrid);
    std::remove((dir / "grq-sch.txt").c_str());
    EXPECT_THROW(RunCountingPass(kQuantitySumPass, progress), IoError);
    // Without the quantitative grid the unit option is dropped and every card counts 1.
    CoreState.CountByQuantUnit = 1;
    EXPECT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    EXPECT_EQ(CoreState.CountByQuantUnit, 0);
    EXPECT_EQ(CountTable()[0][11], 4);
}

TEST_F(CountingTest, CardsTheIndexNamesPastTheFilesAreNotCounted) {
    // The index names cards 4 and 5; the numeric file is cut inside card 4. They are cards
    // another station is still writing, not blank ones: nothing is counted, and the count
    // tells how many are missing.
    std::string bytes = ReadBytes(dir / "num-sch.dat");
    WriteBytes(dir / "num-sch.dat", bytes.substr(0, 4 * 100 + 60));
    WriteBytes(dir / "dli-sch.dat", std::string("\x05\0\0\0", 4));
    CoreState.LastCard = 5;
    CardSelectionMask[0] = 0x0C;  // cards 4 and 5
    Flag(StandardRowFlags, {2, 5, 6, 7});
    const CountingResult result = RunCountingPass(kCategoryCountPass, progress);
    ASSERT_EQ(result.Outcome, CountingOutcome::Done);
    EXPECT_EQ(result.Cards.Missing(), 2);
    std::vector<Record> t = CountTable();
    for (int row : {0, 3, 6, 7, 8}) EXPECT_EQ(t[size_t(row)][11], 0) << row;
}

// The count table of the selected cards worked out card by card through the card store, from
// the rules alone: active categories (rows, columns, their ancestors), the truth of each, the
// parent rule, the unit weight.
std::vector<Record> ReferenceTable(const CategoryGrid& g, const std::vector<int>& rows,
                                   std::vector<int> columns, int unitField) {
    const size_t size = size_t(g.Count) + 2;
    if (columns.empty()) columns.push_back(1);
    std::vector<uint8_t> active(size, 0);
    for (int r : rows) active[size_t(r)] = 1;
    for (int c : columns) active[size_t(c)] = 1;
    for (int i = 1; i <= g.Count; ++i) {
        if (!active[size_t(i)]) continue;
        std::vector<uint8_t> seen(size, 0);  // a loop of parents ends the walk
        for (int p = g.Parent[size_t(i)]; p >= 1 && p <= g.Count && !seen[size_t(p)]; p = g.Parent[size_t(p)])
            active[size_t(p)] = seen[size_t(p)] = 1;
    }
    std::vector<Record> expected(size, Record{});
    for (int card = 0; card <= CoreState.LastCard; ++card) {
        if (!(CardSelectionMask[size_t(card / 8)] & (0x80 >> (card % 8)))) continue;
        CoreState.CurrentCard = card;
        ReadCardValues();
        std::vector<uint8_t> truth(size, 0);
        for (int i = 1; i <= g.Count; ++i) {
            const int f = g.Field[size_t(i)], n = g.FieldCount[size_t(i)];
            const int32_t lo = g.Low[size_t(i)], hi = g.High[size_t(i)];
            bool t = false;
            if (n > 0) {
                bool allZero = true, any = false;
                for (int h = f; h < f + n; ++h) {
                    int16_t w = GetCardWord(h);
                    allZero = allZero && w == 0;
                    any = any || (lo <= w && w <= hi);
                }
                t = lo == 0 || hi == 0 ? allZero : any;
            } else if (FieldTypes[f] >= 0) {  // text fields are never true
                int64_t v;
                if (FieldTypes[f] == 7) {
                    v = GetCardNumber(f);
                } else {
                    int16_t d = GetCardWord(f);
                    v = d;
                    if (FieldTypes[f] == 2)
                        v = int64_t(CoreState.DateYear > 0 ? CoreState.DateYear : d) * 10000 +
                            CoreState.DateMonth * 100 + d;
                }
                t = lo <= v && v <= hi;
            }
            truth[size_t(i)] = t && active[size_t(i)];
        }
        for (int sweep = 0; sweep < 2 && g.ParentRepetitions == 2; ++sweep)
            for (int i = 1; i <= g.Count; ++i) {
                const int p = g.Parent[size_t(i)];
                if (truth[size_t(i)] && p > 0 && (p > g.Count || !truth[size_t(p)])) truth[size_t(i)] = 0;
            }
        int64_t w = 1;
        if (unitField > 0 && FieldTypes[unitField] == 7) {
            w = GetCardNumber(unitField) == kEmptyNumber ? 0 : GetCardNumber(unitField);
        } else if (unitField > 0 && FieldTypes[unitField] >= 0) {
            w = GetCardWord(unitField) == kEmpty16 ? 0 : GetCardWord(unitField);
        }
        for (int r = 0; r <= g.Count; ++r) {
            if (r > 0 && !truth[size_t(r)]) continue;
            expected[size_t(r)][11] += int32_t(w);
            for (size_t c = 0; c < columns.size(); ++c)
                if (truth[size_t(columns[c])]) expected[size_t(r)][c + 1] += int32_t(w);
        }
    }
    for (size_t c = 0; c < columns.size(); ++c) expected[size_t(g.Count) + 1][c + 1] = columns[c];
    expected.back()[11] = unitField > 0 && FieldTypes[unitField] >= 0 && FieldTypes[unitField] <= 7;
    return expected;
}

// The pass reads the card file in blocks and counts by intervals of class bounds; its table
// must be the one worked out card by card through the card store. Random cards, random grids
// of overlapping classes on every kind of field with parents, random rows, columns, selections
// and unit fields.
TEST_F(CountingTest, BlockCountingAgreesWithTheCardStore) {
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int cardCount = 1500;
    std::string file;
    for (int i = 0; i < cardCount; ++i) {
        Card c{uint16_t(pick(0, 4)),
               uint16_t(pick(0, 3)),
               uint16_t(pick(0, 3)),
               int16_t(pick(0, 3) == 0 ? kEmpty16 : pick(-5, 60)),
               pick(0, 3) == 0 ? kEmptyNumber : pick(-100, 100),
               uint16_t(pick(0, 28)),
               uint16_t(pick(0, 12)),
               uint16_t(pick(-1, 110))};
        file += CardBytes(c);
    }
    WriteCardFiles(file);
    CoreState.LastCard = cardCount - 1;

    const char* fields[] = {"1", "2", "4", "5", "6", "7"};
    const int unitFields[] = {4, 5, 6, 7};  // the lines of grq-sch.txt
    for (int round = 0; round < 12; ++round) {
        std::string grid;
        for (const char* f : fields) {
            std::string field = f;
            std::string code = field == "2" ? "G2S" : "G0S";
            for (int k = 0; k < 8; ++k) {
                int lo = field == "6" ? pick(900000, 1100000) : pick(-20, 40);
                int hi = lo + (field == "6" ? pick(0, 100000) : pick(-1, 15));
                int parent = pick(0, 5) == 0 ? pick(1, 50) : 0;
                if (k == 7) lo = hi = 0;
                grid += "c*" + (k == 0 ? field : std::string()) + "=" + std::to_string(lo) + "," +
                        std::to_string(hi) + ";" + code + std::to_string(parent) + "\r\n";
            }
        }
        WriteBytes(dir / "grl-sch.txt", grid);
        const CategoryGrid g = LoadCategoryGrid(dir / "grl-sch.txt");
        ASSERT_EQ(g.Count, 48);
        StandardRowFlags.fill(0);
        StandardColumnFlags.fill(0);
        std::vector<int> rows, columns;
        for (int line = 0; line < g.Count; ++line) {
            if (pick(0, 3) != 0) StandardRowFlags[size_t(line)] = 1, rows.push_back(line + 1);
            if (pick(0, 4) == 0) {
                StandardColumnFlags[size_t(line)] = 1;
                if (columns.size() < 10) columns.push_back(line + 1);
            }
        }
        CardSelectionMask.fill(0);
        const int skip = round % 3 == 0 ? 9 : 2;  // dense selections hold whole mask bytes
        for (int i = 0; i < cardCount; ++i)
            if (pick(0, skip) != 0) CardSelectionMask[size_t(i / 8)] |= uint8_t(0x80 >> (i % 8));
        CoreState.CountByQuantUnit = uint8_t(round % 5 != 0);  // every unit field in turn
        CoreState.QuantUnitVar = std::max(0, round % 5 - 1);
        const int unitField = CoreState.CountByQuantUnit ? unitFields[CoreState.QuantUnitVar] : 0;

        ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
        const std::vector<Record> expected = ReferenceTable(g, rows, columns, unitField);
        const std::vector<Record> t = CountTable();
        ASSERT_EQ(t.size(), expected.size());
        for (size_t r = 0; r < t.size(); ++r)
            ASSERT_EQ(t[r], expected[r]) << "round " << round << " record " << r;
    }
}

using test::RecordingProgress;

TEST_F(CountingTest, ProgressIsThrottledAndAFileCutMidwayIsAnError) {
    const int n = 100000;
    std::string one = CardBytes(cards[0]), bytes;
    bytes.reserve(size_t(n) * 100);
    for (int i = 0; i < n; ++i) bytes += one;
    WriteCardFiles(bytes);
    CoreState.LastCard = n - 1;
    CardSelectionMask.fill(0xFF);
    Flag(StandardRowFlags, {0});
    RecordingProgress recording;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, recording).Outcome, CountingOutcome::Done);
    EXPECT_EQ(CountTable()[1][11], n);
    EXPECT_EQ(recording.maximum, n - 1);
    EXPECT_GE(recording.positions.size(), 10u);
    EXPECT_LE(recording.positions.size(), 300u);
    EXPECT_TRUE(std::is_sorted(recording.positions.begin(), recording.positions.end()));
    EXPECT_GE(recording.positions.front(), 0);
    EXPECT_LE(recording.positions.back(), n - 1);

    // A card file cut while the pass runs (as a merge empties it in place) stops the pass with
    // the input/output error; no count table is left.
    struct CutsTheFile : Progress {
        std::filesystem::path values;
        void SetMaximum(int) override {}
        void SetPosition(int) override { std::filesystem::resize_file(values, 100 * 10); }
    } cutting;
    cutting.values = dir / "num-sch.dat";
    EXPECT_THROW(RunCountingPass(kCategoryCountPass, cutting), IoError);
    EXPECT_FALSE(std::filesystem::exists(dir / "tab-sch.dat"));
}

}  // namespace
}  // namespace qv

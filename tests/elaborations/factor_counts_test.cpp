#include "elaborations/factor_counts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/factor_extraction.h"
#include "elaborations/factor_rotation.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/real6.h"
#include "support/card_files.h"
#include "support/field_layout.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using test::RecordingProgress;

// Expected coefficients worked out from the formula with the counts of each case; the cases
// marked * were found by tests/elaborations/factor_golden.py (6-byte rounding of the
// intermediates), the others by hand.
TEST(PhiCoefficient, Cases) {
    struct Case {
        int64_t cards, both, row, column;
        int16_t phi;
    } cases[] = {
        {10, 1, 4, 5, -4082},   // chi2 = 10 x 100 / 600, fewer joint cards than expected
        {12, 2, 4, 6, 0},       // a x d = b x c
        {20, 6, 8, 10, 4082},   // chi2 = 20 x 1600 / 9600
        {7, 3, 3, 4, 7500},     // chi2 = 7 x 144 / 256: sqrt(0.5625)
        {10, 4, 4, 4, 10000},   // the same cards
        {10, 0, 4, 6, -10000},  // complementary
        {0, 0, 0, 0, 0},        // no card counted: T taken as 1
        {5, 5, 5, 5, 0},        // present on every card: P = 0
        {5, 0, 0, 3, 0},        // present on no card
        {1000, 37, 120, 250, 497},
        {1000, 2, 120, 250, -1989},
        {114560, 55328, 55328, 55328, 9999},      // *
        {114560, 0, 55328, 59232, -9999},         // *
        {64381, 48703, 48703, 48703, 9999},       // *
        {524000, 262001, 262001, 262001, 10000},  // *
        // Counts that contradict each other never pass 10000.
        {10, 9, 4, 4, 10000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PhiCoefficient(c.cards, c.both, c.row, c.column), c.phi)
            << c.cards << " " << c.both << " " << c.row << " " << c.column;
}

// Sex (word 1), two answers of one question (2, 3), a date (4..6), a 32-bit number (7, 8); a
// text field has no words.
struct Card {
    uint16_t sex, answer1, answer2, day, month, year;
    int32_t big;
};

std::string CardBytes(const Card& c) {
    std::array<uint16_t, 50> w{};
    w[0] = c.sex;
    w[1] = c.answer1;
    w[2] = c.answer2;
    w[3] = c.day;
    w[4] = c.month;
    w[5] = c.year;
    test::CardNumberWords(c.big, w[6], w[7]);
    std::string out;
    for (uint16_t x : w) AppendU16(out, x);
    return out;
}

// Dates are keyed as the counting engine keys them, years since 1900: 1995 is 95xxxx, 1 January
// 2000 is 1000101, 2003 is 103xxxx.
const char* const kGrid =
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "Risposta A*2=1,1;G2S0\r\n"
    "Nessuna*=0,0;\r\n"
    "Anni 90*4=900101,991231;G0S0\r\n"
    "Dal 2000*=1000101,1991231;\r\n"
    "Grandi*5=1000,99999999;G0S0\r\n"
    "Nome*6=0,0;G0S0\r\n"
    "Fuori*9=0,0;G0S0\r\n"
    "Non scelta*1=0,0;G0S0\r\n";

class FactorCountsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
        LayOutFields({{0, 1}, {0, 2}, {1, 3}, {2, 4}, {7, 7}, {-5, 0, 1}});
        const Card cards[] = {
            {1, 1, 0, 15, 6, 95, 5000}, {2, 2, 1, 1, 1, 100, 500},     {2, 0, 0, 3, 3, 103, kEmptyNumber},
            {1, 2, 2, 0, 0, 0, 1000},   {0, 0, 0, 31, 12, 99, 123456}, {1, 1, 1, 1, 1, 95, 5000},
        };
        std::string bytes;
        for (const Card& c : cards) bytes += CardBytes(c);
        WriteCardFiles(dir.Path(), bytes);
        CoreState.LastCard = 5;
        CardSelectionMask[0] = 0xF8;  // card 5 is not selected
        WriteBytes(dir / "grl-sch.txt", kGrid);
        for (int line = 0; line < 9; ++line) StandardAfcCategoryFlags[size_t(line)] = 1;
    }

    std::vector<int32_t> Record(const std::string& bytes, int r) {
        std::vector<int32_t> out(401);
        for (int j = 0; j < 401; ++j)
            out[size_t(j)] = GetI32(Bytes(bytes) + size_t(r) * 1604 + size_t(j) * 4);
        return out;
    }

    TempDir dir;
};

// Presence worked out by hand from the grid:
//   card 0: Maschi, Risposta A, Anni 90, Grandi
//   card 1: Femmine, Risposta A, Dal 2000 (year word 100 gives 1000101), -
//   card 2: Femmine, Nessuna, Dal 2000 (1030303), -
//   card 3: Maschi, - (answers 2, 2), - (empty date is 0), Grandi
//   card 4: -, Nessuna, Anni 90, Grandi
// "Nome" is a text field and "Fuori" names a field the archive does not have: never present.
const int kFrequency[9] = {2, 2, 2, 2, 2, 2, 3, 0, 0};
int Both(int r, int c) {
    static const int upper[9][9] = {
        {2, 0, 1, 0, 1, 0, 2, 0, 0}, {0, 2, 1, 1, 0, 2, 0, 0, 0}, {0, 0, 2, 0, 1, 1, 1, 0, 0},
        {0, 0, 0, 2, 1, 1, 1, 0, 0}, {0, 0, 0, 0, 2, 0, 2, 0, 0}, {0, 0, 0, 0, 0, 2, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 3, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    return r <= c ? upper[r - 1][c - 1] : upper[c - 1][r - 1];
}

TEST_F(FactorCountsTest, CooccurrenceFile) {
    // Two selected cards the index names past the card files (a station still writing them,
    // numbered before this station's last new card) are no empty cards: they are not counted.
    WriteBytes(dir / "dli-sch.dat", Hex("07 00 00 00"));
    CoreState.LastCard = 7;
    CardSelectionMask[0] |= 0x03;
    CoreState.CurrentCard = 3;
    RecordingProgress progress;
    const CooccurrenceCounts counts = CountCooccurrences(progress);
    EXPECT_EQ(CoreState.CurrentCard, 3);
    EXPECT_EQ(progress.maximum, 5);
    ASSERT_EQ(counts.Categories, 9);
    EXPECT_EQ(counts.Cards, 5);
    EXPECT_EQ(counts.Files.Missing(), 2);  // for the closing message

    const std::string bytes = ReadBytes(dir / "brt-sch.dat");
    ASSERT_EQ(bytes.size(), 10u * 1604);
    std::vector<int32_t> expected(401, 0);
    for (int j = 1; j <= 9; ++j) expected[size_t(j)] = kFrequency[j - 1];
    expected[400] = 5;
    EXPECT_EQ(Record(bytes, 0), expected);
    for (int r = 1; r <= 9; ++r) {
        std::fill(expected.begin(), expected.end(), 0);
        for (int c = 1; c <= 9; ++c) expected[size_t(c)] = Both(r, c);
        expected[400] = kFrequency[r - 1];
        EXPECT_EQ(Record(bytes, r), expected) << "record " << r;
        for (int c = 1; c <= 9; ++c) EXPECT_EQ(counts.Both(r, c), Both(r, c));
    }
}

// The coefficients of the hand counts (tests/elaborations/factor_golden.py). By hand: Maschi
// and Grandi, T 5, a 2, n 2 and 3: chi2 = 5 x 16 / 36, phi = sqrt(0.4444) = 6666; Femmine and
// Dal 2000 are on the same cards: 10000; the two never-present categories give 0 throughout.
const int16_t kPhi[9][9] = {
    {10000, -6666, 1666, -6666, 1666, -6666, 6666, 0, 0},
    {-6666, 10000, 1666, 1666, -6666, 10000, -10000, 0, 0},
    {1666, 1666, 10000, -6666, 1666, 1666, -1666, 0, 0},
    {-6666, 1666, -6666, 10000, 1666, 1666, -1666, 0, 0},
    {1666, -6666, 1666, 1666, 10000, -6666, 6666, 0, 0},
    {-6666, 10000, 1666, 1666, -6666, 10000, -10000, 0, 0},
    {6666, -10000, -1666, -1666, 6666, -10000, 10000, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

TEST_F(FactorCountsTest, PhiMatrixFromTheCountFile) {
    NoProgress none;
    CountCooccurrences(none);
    RecordingProgress progress;
    BuildPhiMatrixFromCounts(9, progress);
    EXPECT_EQ(progress.maximum, 9);
    const std::string bytes = ReadBytes(dir / "cor-sch.dat");
    ASSERT_EQ(bytes.size(), 81u * 2);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            EXPECT_EQ(GetI16(Bytes(bytes) + size_t(r * 9 + c) * 2), kPhi[r][c]) << r + 1 << "," << c + 1;
    const std::vector<int16_t> loaded = LoadPhiMatrix(FactorRoad::Standard, 9);
    EXPECT_EQ(loaded[size_t(6 * 9 + 1)], -10000);
    EXPECT_THROW(LoadPhiMatrix(FactorRoad::Standard, 10), IoError);
}

TEST_F(FactorCountsTest, CategoryListFiles) {
    StandardAfcCategoryFlags[20] = 1;  // beyond the grid's last line: no category
    StandardAfcCategoryFlags[4000] = 1;
    EXPECT_EQ(WriteFactorCategoryLists(FactorRoad::Standard), 9);
    const std::string labels = ReadBytes(dir / "saf-sch.imp");
    ASSERT_EQ(labels.size(), 9u * 100);
    EXPECT_EQ(labels.substr(0, 100), std::string("\x06Maschi", 7) + std::string(93, '\0'));
    EXPECT_EQ(labels.substr(800, 6), std::string("\x05"
                                                 "Fuori",
                                                 6));
    EXPECT_EQ(ReadBytes(dir / "maf-sch.dat"),
              test::Hex("00 00 01 00 02 00 03 00 04 00 05 00 06 00 07 00 08 00"));
    EXPECT_EQ(FactorLines(FactorRoad::Standard), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // Labels are cut to 99 characters, a line without '*' is a label whole.
    WriteBytes(dir / "grl-sch.txt", std::string(120, 'x') + "*1=1,1;G0S0\r\nsenza asterisco\r\n");
    StandardAfcCategoryFlags.fill(0);
    StandardAfcCategoryFlags[0] = StandardAfcCategoryFlags[1] = 1;
    EXPECT_EQ(WriteFactorCategoryLists(FactorRoad::Standard), 2);
    EXPECT_EQ(ReadBytes(dir / "saf-sch.imp"),
              "\x63" + std::string(99, 'x') + "\x0fsenza asterisco" + std::string(84, '\0'));
}

TEST_F(FactorCountsTest, FlagsBeyondTheSlotsAreDropped) {
    // 450 flagged lines: the first 399 are the categories.
    std::string grid;
    for (int i = 1; i <= 450; ++i)
        grid +=
            "Classe " + std::to_string(i) + "*1=" + std::to_string(i) + "," + std::to_string(i) + ";G0S0\r\n";
    WriteBytes(dir / "grl-sch.txt", grid);
    for (int i = 0; i < 450; ++i) StandardAfcCategoryFlags[size_t(i)] = 1;
    const AfcGrid afc = LoadAfcGrid(StandardAfcCategoryFlags);
    ASSERT_EQ(afc.Slots.Count, 399);
    EXPECT_EQ(afc.GridLine.back(), 399);
    EXPECT_EQ(afc.Slots.Low[399], 399);
    NoProgress none;
    EXPECT_EQ(CountCooccurrences(none).Categories, 399);
    EXPECT_EQ(ReadBytes(dir / "brt-sch.dat").size(), 400u * 1604);
    // The lists hold the categories the counts keep: the factor length is 399.
    EXPECT_EQ(WriteFactorCategoryLists(FactorRoad::Standard), 450);
    EXPECT_EQ(ReadBytes(dir / "saf-sch.imp").size(), 399u * 100);
    EXPECT_EQ(FactorLength(FactorRoad::Standard), 399);
}

TEST_F(FactorCountsTest, NoCategoryWritesNoCountsAndAnEmptyMatrix) {
    StandardAfcCategoryFlags.fill(0);
    NoProgress none;
    EXPECT_EQ(CountCooccurrences(none).Categories, 0);
    EXPECT_FALSE(FileSize(dir / "brt-sch.dat").has_value());
    BuildPhiMatrixFromCounts(0, none);
    EXPECT_EQ(ReadBytes(dir / "cor-sch.dat"), "");
}

TEST_F(FactorCountsTest, CountsFromAFileAreKeptInRange) {
    // Two categories; category 1 claims more cards than were counted, the pair more than
    // category 2 has.
    std::string bytes(3 * 1604, '\0');
    auto put = [&bytes](int r, int j, int32_t v) {
        PutI32(reinterpret_cast<uint8_t*>(bytes.data()) + r * 1604 + j * 4, v);
    };
    put(0, 400, 10);
    put(0, 1, 25);
    put(0, 2, 4);
    put(1, 1, 25), put(1, 2, 9), put(1, 400, 25);
    put(2, 1, 9), put(2, 2, 4), put(2, 400, 4);
    WriteBytes(dir / "brt-sch.dat", bytes);
    const CooccurrenceCounts counts = ReadCooccurrenceFile(2);
    EXPECT_EQ(counts.Frequency[0], 10);
    EXPECT_EQ(counts.Both(1, 2), 4);
    NoProgress none;
    BuildPhiMatrixFromCounts(2, none);
    const std::string phi = ReadBytes(dir / "cor-sch.dat");
    ASSERT_EQ(phi.size(), 8u);
    for (int i = 0; i < 4; ++i) {
        const int16_t v = GetI16(Bytes(phi) + size_t(i) * 2);
        EXPECT_LE(v, 10000);
        EXPECT_GE(v, -10000);
    }
    EXPECT_THROW(ReadCooccurrenceFile(3), IoError);
}

TEST_F(FactorCountsTest, QuickLabelList) {
    WriteBytes(dir / "grl-dat.txt", "Maschi*1=1,1;G0S0\r\nFemmine*=2,2;\r\n");
    WriteBytes(dir / "agg-dat.txt", "#Tipo forte\r\n001 002\r\n#Tipo debole\r\n003\r\n");
    BuildQuickLabelList();
    EXPECT_EQ(ReadBytes(dir / "txt-tab2.imp"),
              "Maschi*1=1,1;G0S0\r\nFemmine*=2,2;\r\nTipo forte* ;G0S0\r\nTipo debole* ;\r\n");
    QuickAfcCategoryFlags[1] = QuickAfcCategoryFlags[3] = 1;
    EXPECT_EQ(WriteFactorCategoryLists(FactorRoad::Quick), 2);
    EXPECT_EQ(ReadBytes(dir / "saf-dat.dat"),
              "\x07"
              "Femmine" +
                  std::string(193, '\0') + "\x0bTipo debole" + std::string(189, '\0'));
    EXPECT_EQ(ReadBytes(dir / "maf-dat.dat"), test::Hex("01 00 03 00"));

    // Without additional variables the list is the grid.
    RemoveFile(dir / "agg-dat.txt");
    BuildQuickLabelList();
    EXPECT_EQ(ReadBytes(dir / "txt-tab2.imp"), "Maschi*1=1,1;G0S0\r\nFemmine*=2,2;\r\n");
    RemoveFile(dir / "grl-dat.txt");
    EXPECT_THROW(BuildQuickLabelList(), IoError);
}

// The whole computation on the cards, against tests/elaborations/factor_golden.py: the phi
// matrix above, three centroid steps, two sweeps of rotation and the ordering. The first
// unrotated factor is checked by hand: rows 3 and 5 sum to 8332, every other row to 0, so the
// total is sqrt(1.6664) and both load 0.8332 / 1.29089 = 0.64545.
TEST_F(FactorCountsTest, WholeComputationOnTheCards) {
    CardCountSource source;
    NoProgress none;
    CoreState.PlaneFactorX = 4;
    const FactorComputation result = ComputeUnrotatedFactors(source, none);
    EXPECT_EQ(result.Categories, 9);
    EXPECT_EQ(result.Cards, 5);
    EXPECT_EQ(result.Factors, 3);
    EXPECT_EQ(FactorComputationProblemText(result), 0);
    EXPECT_EQ(FactorLength(FactorRoad::Standard), 9);
    EXPECT_EQ(CoreState.PlaneFactorX, 1);
    EXPECT_EQ(CoreState.PlaneFactorY, 2);
    std::string fat = ReadBytes(dir / "fat-sch.dat");
    ASSERT_EQ(fat.size(), 27u * 6);
    EXPECT_NEAR(DecodeReal6(Bytes(fat) + 2 * 6), 0.645445582524, 1e-9);
    EXPECT_NEAR(DecodeReal6(Bytes(fat) + 4 * 6), 0.645445582524, 1e-9);
    EXPECT_EQ(DecodeReal6(Bytes(fat)), 0.0);

    EXPECT_EQ(ComputeFactors(source, none).Categories, 9);
    EXPECT_EQ(CoreState.FactorCount, 3);
    EXPECT_EQ(CoreState.FactorVariableCount, 9);
    const double rotated[3][9] = {
        {-0.396939653081, 0.929999208543, 0.394988113478, -0.205480329435, -0.740441948217, 0.929999208543,
         -0.929999208543, 0, 0},
        {0.873573114794, -0.359088102569, 0.545259954768, -0.937541882370, -0.033106151655, -0.359088102569,
         0.359088102569, 0, 0},
        {-0.065983361079, 0.037747841032, 0.614773248213, 0.062065484645, 0.639085507112, 0.037747841032,
         -0.037747841032, 0, 0},
    };
    fat = ReadBytes(dir / "fat-sch.dat");
    ASSERT_EQ(fat.size(), 27u * 6);
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 9; ++i)
            EXPECT_NEAR(DecodeReal6(Bytes(fat) + size_t(f * 9 + i) * 6), rotated[f][i], 1e-9)
                << f + 1 << "," << i + 1;
}

}  // namespace
}  // namespace qv

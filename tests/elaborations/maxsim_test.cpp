#include "elaborations/maxsim.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/card_files.h"
#include "support/field_layout.h"
#include "support/recording_progress.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using test::RecordingProgress;

TEST(SimilarityScore, EveryIndex) {
    struct Case {
        int a, b, c, d;
        int expected[kSimilarityIndexCount];
    };
    // By hand: (a + b) / n, (a + b) / (a + b + 2(c + d)), 2(a + b) / (2(a + b) + c + d),
    // a / (a + c + d), a / (a + 2(c + d)), 2a / (2a + c + d), times 10000, halves to the even
    // neighbour.
    const Case cases[] = {
        {2, 1, 1, 0, {7500, 6000, 8571, 6667, 5000, 8000}},
        {4, 4, 4, 4, {5000, 3333, 6667, 3333, 2000, 5000}},
        {0, 3, 0, 0, {10000, 10000, 10000, 0, 0, 0}},  // a = 0 and no c, d: 0 / 0 gives 0
        {0, 0, 0, 0, {0, 0, 0, 0, 0, 0}},              // nothing compared
        // 1/32 = 312.5 -> 312; 1/63 = 158.7; 2/33 = 606.06.
        {1, 0, 31, 0, {312, 159, 606, 312, 159, 606}},
        // 3/32 = 937.5 -> 938; 3/61 = 491.8; 6/35 = 1714.3.
        {3, 0, 29, 0, {938, 492, 1714, 938, 492, 1714}},
        // 1/160 = 62.5 -> 62 exactly, though 1/160 has no exact binary form.
        {1, 0, 159, 0, {62, 31, 124, 62, 31, 124}},
    };
    for (const Case& c : cases)
        for (int index = 0; index < kSimilarityIndexCount; ++index)
            EXPECT_EQ(SimilarityScore(index, c.a, c.b, c.c, c.d), c.expected[index])
                << "index " << index << " a " << c.a << " b " << c.b << " c " << c.c << " d " << c.d;
    EXPECT_EQ(SimilarityScore(6, 1, 1, 1, 1), 0);
}

// A symmetric matrix with the given off-diagonal entries (upper triangle, row by row) and
// 10000 on the diagonal.
std::vector<int> Matrix(int t, std::vector<int> upper) {
    std::vector<int> s(size_t(t) * size_t(t), 10000);
    size_t k = 0;
    for (int i = 0; i < t; ++i)
        for (int j = i + 1; j < t; ++j)
            s[size_t(i) * size_t(t) + size_t(j)] = s[size_t(j) * size_t(t) + size_t(i)] = upper[k++];
    return s;
}

TEST(MaxSimChainTest, StartGrowthAndAddedVariables) {
    struct Case {
        const char* name;
        int used, added;
        std::vector<int> upper;
        std::vector<int> order, decided;
    };
    const Case cases[] = {
        // Pair (1, 3) starts; 2 and 4 are equally similar to the end 3: the lower position is
        // taken; 4 is then equally similar to both ends and goes to the end.
        {"ties", 4, 0, {1000, 9000, 1000, 2000, 1000, 2000}, {1, 3, 2, 4}, {9000, 2000, 1000}},
        // The start wins when strictly nearer: 3 is nearer the start 1 than the end 2.
        {"start", 3, 0, {9000, 6000, 1000}, {3, 1, 2}, {9000, 6000}},
        // Chain 1 2 3. Added 4 is most like the first chained variable: before it, although
        // its other neighbour 2 is more similar than nothing. Added 5 is most like 2, whose
        // neighbour before (1, 2000) is nearer than the one after (3, 500): before 2.
        {"added",
         3,
         2,
         {8000, 1000, 7000, 2000, 6000, 6500, 5000, 100, 500, 0},
         {-4, 1, -5, 2, 3},
         {8000, 6000, 7000, 5000}},
        // No similarity above 0 between used variables: the chain starts with the first and
        // grows in order.
        {"no pair", 3, 0, {0, 0, 0}, {1, 2, 3}, {0, 0, 0}},
        // No used variable: the added ones follow in list order.
        {"none used", 0, 2, {4000}, {-1, -2}, {0, 0}},
    };
    for (const Case& c : cases) {
        const int t = c.used + c.added;
        const MaxSimChain chain = BuildChain(Matrix(t, c.upper), c.used, c.added);
        EXPECT_EQ(chain.order, c.order) << c.name;
        EXPECT_EQ(chain.decided, c.decided) << c.name;
        ASSERT_EQ(chain.steps.size(), chain.decided.size()) << c.name;
        if (!chain.steps.empty()) {
            EXPECT_EQ(chain.steps.back(), c.order) << c.name;
        }
    }
}

TEST(MaxSimChainTest, AddedVariableBetweenTwoNeighbours) {
    // Chain 1 2 3 (pair 1-2 at 9000, 3 at the end 8000). Added 4 is most like 2 and nearer to 3
    // than to 1: it goes after 2.
    const MaxSimChain chain = BuildChain(Matrix(4, {9000, 100, 3000, 8000, 6000, 4000}), 3, 1);
    EXPECT_EQ(chain.order, (std::vector<int>{1, 2, -4, 3}));
    EXPECT_EQ(chain.steps[1], (std::vector<int>{1, 2, 3}));
}

TEST(ConsistencyFigureTest, AdjacentPairs) {
    auto text = [](const std::vector<uint8_t>& cells, int rows, int columns) {
        return ConsistencyLine(ConsistencyFigure(cells, rows, columns));
    };
    EXPECT_EQ(text({1}, 1, 1), "SS:  0.00000");
    EXPECT_EQ(text({}, 0, 3), "SS:  0.00000");
    // 1 0 / 1 1: vertical pairs (1,1) (0,1), horizontal (1,0) (1,1): 2 of 4 equal.
    EXPECT_EQ(text({1, 0, 1, 1}, 2, 2), "SS:  0.50000");
    // One row 1 1 0: 1 of 2.
    EXPECT_EQ(text({1, 1, 0}, 1, 3), "SS:  0.50000");
    // A checkerboard of 9 x 57 (960 pairs, none equal) with three cells of the first row
    // flipped, each making 3 pairs equal: 9 / 960 = 0.009375 exactly, 0.00938 (the quotient
    // in binary lies just under the half).
    std::vector<uint8_t> board(9 * 57);
    for (size_t i = 0; i < board.size(); ++i) board[i] = uint8_t((i / 57 + i % 57) % 2);
    for (size_t c : {2, 10, 20}) board[c] ^= 1;
    const ConsistencyCount count = ConsistencyFigure(board, 9, 57);
    EXPECT_EQ(count.Equal, 9);
    EXPECT_EQ(count.Pairs, 960);
    EXPECT_EQ(ConsistencyLine(count), "SS:  0.00938");
}

// ---------------------------------------------------------------------------------------------
// The archive of tests/elaborations/maxsim_golden.py: sex (field 1, word 1), area (2, word 2),
// age (3, word 3), a date (4, words 4..6) and a 32-bit number (5, words 7..8).

struct Card {
    uint16_t sex, area, age, day, month, year;
    int32_t big;
};

const char* const kGrid =
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "Nord*2=1,1;G0S0\r\n"
    "Centro*=2,2;\r\n"
    "Sud*=3,3;\r\n"
    "Giovani*3=1,1;G0S0\r\n"
    "Anziani*=2,2;\r\n"
    "Anni 90*4=900101,991231;G0S0\r\n"
    "Grandi*5=1000,99999999;G0S0\r\n"
    "Mai*1=9,9;G0S0\r\n";

// Golden files printed by maxsim_golden.py.
const char* const kMatrix =
    "1010110110"
    "0101001000"
    "0010000000"
    "0101000000"
    "0000101000"
    "1011010110"
    "0100101000"
    "1010110110"
    "1010111110"
    "0000000000";
const char* const kPercentages =
    "Variabili 10\r\n"
    "   1   2   3   4   5   6   7   8   9  10\r\n"
    " 100      67      67  80      80  80    \r\n"
    "     100      67          75            \r\n"
    "         100                            \r\n"
    "      50     100                        \r\n"
    "                 100      50            \r\n"
    "  80      67  67     100      80  60    \r\n"
    "      75          67     100            \r\n"
    "  80      67      67  80     100  80    \r\n"
    "  80      67      67  60  50  80 100    \r\n"
    "                                        \r\n";
const char* const kRowTrace =
    "Matrice delle similarita'\r\n"
    "\r\n"
    "variabili totali 10\r\n"
    "colonne: 7 di cui indipendenti 5 e supplementari 2\r\n"
    "righe: 3\r\n"
    "\r\n"
    "               1       2       3       4       5       6       7\r\n"
    "    1 -    10000       0   10000   10000    3333   10000       0\r\n"
    "    2 -        0   10000       0       0    5000       0       0\r\n"
    "    3 -    10000       0   10000   10000    3333   10000       0\r\n"
    "    4 -    10000       0   10000   10000    3333   10000       0\r\n"
    "    5 -     3333    5000    3333    3333   10000    3333       0\r\n"
    "    6 -    10000       0   10000   10000    3333   10000       0\r\n"
    "    7 -        0       0       0       0       0       0   10000\r\n"
    "\r\n"
    "Riordino:\r\n"
    "\r\n"
    "     10000 -     1    3\r\n"
    "     10000 -     1    3    4\r\n"
    "      3333 -     1    3    4    5\r\n"
    "      5000 -     1    3    4    5    2\r\n"
    "     10000 -    -6    1    3    4    5    2\r\n"
    "         0 -    -6   -7    1    3    4    5    2\r\n";
const char* const kColumnTrace =
    "Matrice delle similarita'\r\n"
    "\r\n"
    "variabili totali 10\r\n"
    "colonne: 4 di cui indipendenti 3 e supplementari 1\r\n"
    "righe: 5\r\n"
    "\r\n"
    "               1       2       3       4\r\n"
    "    1 -    10000       0   10000   10000\r\n"
    "    2 -        0   10000       0       0\r\n"
    "    3 -    10000       0   10000   10000\r\n"
    "    4 -    10000       0   10000   10000\r\n"
    "\r\n"
    "Riordino:\r\n"
    "\r\n"
    "     10000 -     1    3\r\n"
    "         0 -     1    3    2\r\n"
    "     10000 -    -4    1    3    2\r\n";
const std::vector<int> kRowOrder = {-6, -7, 1, 3, 4, 5, 2}, kRowLines = {-8, -10, 3, 5, 6, 7, 4};
const std::vector<int> kColumnOrder = {-4, 1, 3, 2}, kColumnLines = {-6, 1, 9, 2};
const char* const kFinalTable =
    "MAXSIM, indice di similarita': 4) Jaccard a/(a+c+d) - soglia:  50.00%\r\n"
    "------\r\n"
    "\r\n"
    "Variabili in colonna: \r\n"
    "\r\n"
    "  1 -  Giovani\r\n"
    "  2 -  Maschi\r\n"
    "  3 -  Grandi\r\n"
    "  4 -  Femmine\r\n"
    "\r\n"
    "                                   \r\n"
    "                                   \r\n"
    "                               1234\r\n"
    "                       Anni 90 XXX  Anni 90\r\n"
    "                           Mai      Mai\r\n"
    "                          Nord      Nord\r\n"
    "                           Sud      Sud\r\n"
    "                       Giovani XXX  Giovani\r\n"
    "                       Anziani    X Anziani\r\n"
    "                        Centro    X Centro\r\n"
    "                               1234\r\n"
    "                                   \r\n"
    "                                   \r\n"
    "\r\n"
    "SS:  0.68889\r\n";

class MaxSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
        LayOutFields({{0, 1}, {0, 2}, {0, 3}, {2, 4}, {7, 7}});
        // Card 1 is of 2095 (year word 195): keyed as the counts key dates, 1950101, it is not
        // in "Anni 90"; its last two digits would put it there.
        const Card cards[] = {
            {1, 1, 1, 15, 6, 95, 5000}, {2, 1, 2, 1, 1, 195, 500},     {2, 2, 1, 3, 3, 103, kEmptyNumber},
            {1, 3, 2, 0, 0, 0, 1000},   {1, 1, 1, 31, 12, 99, 123456}, {2, 3, 2, 10, 10, 98, 2000},
            {2, 2, 2, 0, 0, 0, 0},      {1, 2, 1, 5, 5, 97, 1500},     {2, 1, 1, 1, 2, 96, 50},
            {1, 3, 1, 7, 7, 91, 999},
        };
        std::string bytes;
        for (const Card& c : cards) {
            std::array<uint16_t, 50> w{};
            w[0] = c.sex, w[1] = c.area, w[2] = c.age, w[3] = c.day, w[4] = c.month, w[5] = c.year;
            test::CardNumberWords(c.big, w[6], w[7]);
            for (uint16_t x : w) AppendU16(bytes, x);
        }
        WriteCardFiles(dir.Path(), bytes);
        CoreState.LastCard = 9;
        CardSelectionMask[0] = 0xFF;
        CardSelectionMask[1] = 0x40;  // cards 0..7 and 9
        WriteBytes(dir / "grl-sch.txt", kGrid);
        // Rows Nord..Anziani, columns Maschi, Femmine, Grandi; added rows Anni 90 and Mai, added
        // column Giovani.
        WriteBytes(dir / "ms-maxsm.1", Hex("02 00 06 00"));
        WriteBytes(dir / "ms-maxsm.2", Hex("00 00 01 00 08 00 08 00"));
        WriteBytes(dir / "ms-maxsm.3", Hex("07 00 07 00 09 00 09 00"));
        WriteBytes(dir / "ms-maxsm.4", Hex("05 00 05 00"));
        CoreState.SimilarityIndex = 3;
        CoreState.MaxSimThreshold = 50;
    }
    void TearDown() override { ResetProgramState(); }
    bool Exists(const char* name) const { return std::filesystem::exists(dir / name); }

    TempDir dir;
};

TEST_F(MaxSimTest, WholeRunMatchesTheWorkedValues) {
    CoreState.CurrentCard = 4;
    RecordingProgress progress;
    ASSERT_TRUE(RunMaxSim(progress));
    EXPECT_EQ(CoreState.CurrentCard, 4);
    EXPECT_EQ(progress.maximum, 9);

    EXPECT_EQ(ReadBytes(dir / "var-maxs.dat"), Words({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    std::string matrix;
    for (const char* p = kMatrix; *p; ++p) matrix.push_back(char(*p - '0'));
    EXPECT_EQ(ReadBytes(dir / "mat-maxs.dat"), matrix);
    EXPECT_EQ(ReadBytes(dir / "maxsim.txt"), kPercentages);
    EXPECT_EQ(ReadBytes(dir / "maxsim1.txt"), kRowTrace);
    EXPECT_EQ(ReadBytes(dir / "maxsim2.txt"), kColumnTrace);
    EXPECT_EQ(ReadBytes(dir / "sq1-max1.dat"), Words(kRowOrder));
    EXPECT_EQ(ReadBytes(dir / "sq2-max1.dat"), Words(kRowLines));
    EXPECT_EQ(ReadBytes(dir / "sq1-max2.dat"), Words(kColumnOrder));
    EXPECT_EQ(ReadBytes(dir / "sq2-max2.dat"), Words(kColumnLines));
    EXPECT_EQ(ReadBytes(dir / "maxsimff.txt"), kFinalTable);
    // Labels of the 31-byte scratch: "Anni 90" of line 8.
    const std::string labels = ReadBytes(dir / "tx2-sch.dat");
    ASSERT_EQ(labels.size(), 10u * 31);
    EXPECT_EQ(labels.substr(7 * 31, 31), std::string("\x07"
                                                     "Anni 90") +
                                             std::string(23, '\0'));

    CopyMaxSimTableToReport();
    EXPECT_EQ(ReadBytes(dir / "tabella.txt"), kFinalTable);
}

TEST_F(MaxSimTest, NothingChosenLeavesNoResult) {
    RecordingProgress progress;
    ASSERT_TRUE(RunMaxSim(progress));
    for (int l = 1; l <= 4; ++l) std::filesystem::remove(dir / ("ms-maxsm." + std::to_string(l)));
    EXPECT_FALSE(RunMaxSim(progress));
    for (const char* f : {"var-maxs.dat", "mat-maxs.dat", "maxsim.txt", "maxsim1.txt", "maxsim2.txt",
                          "sq1-max1.dat", "sq1-max2.dat", "sq2-max1.dat", "sq2-max2.dat", "maxsimff.txt"})
        EXPECT_FALSE(Exists(f)) << f;
    // The ordering has nothing to read.
    EXPECT_THROW(BuildMaxSimOrder(), IoError);
    CopyMaxSimTableToReport();
    EXPECT_EQ(ReadBytes(dir / "tabella.txt"), "");
}

TEST_F(MaxSimTest, MissingGridRaisesAndRemovesTheResults) {
    RecordingProgress progress;
    ASSERT_TRUE(RunMaxSim(progress));
    std::filesystem::remove(dir / "grl-sch.txt");
    EXPECT_THROW(RunMaxSim(progress), IoError);
    EXPECT_FALSE(Exists("var-maxs.dat"));
    EXPECT_FALSE(Exists("maxsimff.txt"));
}

TEST_F(MaxSimTest, ThresholdDecidesTheMatrix) {
    // Threshold 0: every pair reaches it, also the category on no card.
    CoreState.MaxSimThreshold = 0;
    RecordingProgress progress;
    ASSERT_EQ(CountMaxSimTable(progress).Categories, 10);
    EXPECT_EQ(ReadBytes(dir / "mat-maxs.dat"), std::string(100, '\1'));
    // Threshold 67: 2 of 3 cards (66.67 %) no longer reach it; 3 of 4 (75) and 4 of 5 do.
    CoreState.MaxSimThreshold = 67;
    ASSERT_EQ(CountMaxSimTable(progress).Categories, 10);
    const std::string m = ReadBytes(dir / "mat-maxs.dat");
    EXPECT_EQ(m[0 * 10 + 2], 0);  // Maschi among Nord: 2 of 3
    EXPECT_EQ(m[1 * 10 + 6], 1);  // Femmine among Anziani: 3 of 4
    EXPECT_EQ(m[0 * 10 + 5], 1);  // Maschi among Giovani: 4 of 5
}

TEST_F(MaxSimTest, FinalTableNumbersColumnsOnThreeLines) {
    // Twelve one-line variables; the row is variable 1, the columns all twelve.
    std::string grid = "*Prima*1=1,1;G0S0\r\n";  // a leading '*' is skipped in the label
    for (int k = 2; k <= 12; ++k) grid += "V" + std::to_string(k) + "*1=1,1;G0S0\r\n";
    WriteBytes(dir / "grl-sch.txt", grid);
    std::vector<int> lines;
    for (int k = 1; k <= 12; ++k) lines.push_back(k);
    WriteBytes(dir / "var-maxs.dat", Words(lines));
    std::string matrix(144, '\0');
    matrix[0 * 12 + 9] = 1;  // row 1 reaches column 10
    WriteBytes(dir / "mat-maxs.dat", matrix);
    WriteBytes(dir / "sq2-max1.dat", Words({1}));
    WriteBytes(dir / "sq2-max2.dat", Words(lines));
    CoreState.SimilarityIndex = 0;
    CoreState.MaxSimThreshold = 12.345;
    WriteMaxSimTable();
    std::string expected =
        "MAXSIM, indice di similarita': 1) Sokal e Michner (a+b)/t - soglia:  12.35%\r\n------\r\n\r\n"
        "Variabili in colonna: \r\n\r\n  1 -  Prima\r\n";
    for (int k = 2; k <= 12; ++k)
        expected += (k < 10 ? "  " : " ") + std::to_string(k) + " -  V" + std::to_string(k) + "\r\n";
    const std::string pad(31, ' ');
    expected +=
        "\r\n" + pad + std::string(12, ' ') + "\r\n" + pad + "         111\r\n" + pad + "123456789012\r\n";
    expected += std::string(25, ' ') + "Prima " + "         X  " + " Prima\r\n";
    expected += pad + "123456789111\r\n" + pad + "         012\r\n" + pad + std::string(12, ' ') + "\r\n";
    // Eleven pairs in the one row, 9 of them equal.
    expected += "\r\nSS:  0.81818\r\n";
    EXPECT_EQ(ReadBytes(dir / "maxsimff.txt"), expected);

    // Without the grid only the title is written.
    std::filesystem::remove(dir / "grl-sch.txt");
    CoreState.ProceedFlag = 1;
    WriteMaxSimTable();
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(
        ReadBytes(dir / "maxsimff.txt"),
        "MAXSIM, indice di similarita': 1) Sokal e Michner (a+b)/t - soglia:  12.35%\r\n------\r\n\r\n");
}

TEST_F(MaxSimTest, MissingOrderFilesRaise) {
    WriteBytes(dir / "var-maxs.dat", Words({1}));
    WriteBytes(dir / "mat-maxs.dat", std::string(1, '\1'));
    EXPECT_THROW(WriteMaxSimTable(), IoError);  // no order files
    WriteBytes(dir / "mat-maxs.dat", "");
    EXPECT_THROW(BuildMaxSimOrder(), IoError);  // matrix shorter than V x V
}

}  // namespace
}  // namespace qv

#include "quick/factor_matrix_counts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "elaborations/factor_rotation.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/real6.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class QuickFactorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
    }

    // The prepared files: the last card index, then one area of `areaBytes` a variable.
    void WriteMatrix(int32_t last, const std::vector<std::vector<uint8_t>>& areas, size_t areaBytes) {
        std::string index;
        AppendI32(index, last);
        WriteBytes(dir / "dli-dat.dat", index);
        std::string matrix;
        for (const auto& a : areas) {
            std::string area(areaBytes, '\0');
            for (size_t i = 0; i < a.size(); ++i) area[i] = char(a[i]);
            matrix += area;
        }
        WriteBytes(dir / "dat-dat.dat", matrix);
    }

    TempDir dir;
};

// Ten prepared cards; four grid lines and one additional variable:
//   line 0: cards 0-3   line 1: cards 4-9 (not chosen)   line 2: cards 0-3 and 9
//   line 3: cards 4-8   additional: cards 1 and 5, and a stray bit past the last card (12).
// Card 3 is not selected, and the selection's bits past card 9 do not count.
TEST_F(QuickFactorTest, CountsPhiAndFactorsFromTheBitMatrix) {
    WriteMatrix(9, {{0xF0}, {0x0F, 0xC0}, {0xF0, 0x40}, {0x0F, 0x80}, {0x44, 0x08}}, 1000);
    WriteBytes(dir / "grl-dat.txt", "A*1=1,1;G0S0\r\nB*=2,2;\r\nC*2=1,1;G0S0\r\nD*=2,2;\r\n");
    WriteBytes(dir / "agg-dat.txt", "#Aggiunta\r\n001\r\n");
    for (int v : {0, 2, 3, 4}) QuickAfcCategoryFlags[size_t(v)] = 1;
    CardSelectionMask[0] = 0xEF;
    CardSelectionMask[1] = 0xFF;
    EXPECT_EQ(CountSelectedCards(9), 9);
    EXPECT_EQ(CountSelectedCards(-1), 0);

    BitMatrixCountSource source(4);
    EXPECT_EQ(source.WriteCategoryLists(), 4);
    NoProgress none;
    const CooccurrenceCounts counts = source.Count(4, none);
    ASSERT_EQ(counts.Categories, 4);
    EXPECT_EQ(counts.Cards, 9);
    const int both[4][4] = {{3, 3, 0, 1}, {3, 4, 0, 1}, {0, 0, 5, 1}, {1, 1, 1, 2}};
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c) EXPECT_EQ(counts.Both(r, c), both[r - 1][c - 1]) << r << "," << c;
    EXPECT_EQ(counts.Frequency, (std::vector<int64_t>{3, 4, 5, 2}));

    // Only the first categories the list held are counted.
    EXPECT_EQ(source.Count(2, none).Categories, 2);

    // The whole computation. By hand, T = 9: (1,2) a 3, n 3 and 4: chi2 = 9 x 225 / 360, sqrt(0.625) = 7905;
    // (2,3) are complementary among the selected cards; (1,4) chi2 = 81 / 252: 1889; (2,4) chi2 = 9 / 280:
    // 597. One step for four categories: rows sum to 11889, 8502, -8502, 11889, the total is sqrt(2.3778)
    // = 1.542012, so the loadings are 0.77101, 0.55136, -0.55136, 0.77101.
    EXPECT_EQ(ComputeFactors(source, none).Categories, 4);
    const int16_t phi[16] = {10000, 7905,   -7905, 1889, 7905, 10000, -10000, 597,
                             -7905, -10000, 10000, -597, 1889, 597,   -597,   10000};
    const std::string cor = ReadBytes(dir / "cor-dat.dat");
    ASSERT_EQ(cor.size(), 32u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(GetI16(Bytes(cor) + size_t(i) * 2), phi[i]) << i;
    const std::string fat = ReadBytes(dir / "fat-dat.dat");
    ASSERT_EQ(fat.size(), 4u * 6);
    const double loadings[4] = {0.771005836554, 0.551357693867, -0.551357693867, 0.771005836554};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(DecodeReal6(Bytes(fat) + size_t(i) * 6), loadings[i], 1e-9);
    EXPECT_EQ(CoreState.FactorCount, 1);
    EXPECT_EQ(CoreState.FactorVariableCount, 4);
    EXPECT_EQ(ReadBytes(dir / "saf-dat.dat").substr(3 * 201, 9),
              "\x08"
              "Aggiunta");
    EXPECT_FALSE(FileSize(dir / "brt-sch.dat").has_value());
}

// 8001 cards take two records an area: card 8000 is the first bit of the second record.
TEST_F(QuickFactorTest, AreasOfTwoRecords) {
    std::vector<uint8_t> first(1001, 0), second(1001, 0);
    first[0] = 0x80;
    first[1000] = 0x80;
    second[1000] = 0x80;
    WriteMatrix(8000, {first, second}, 2000);
    QuickAfcCategoryFlags[0] = QuickAfcCategoryFlags[1] = 1;
    CardSelectionMask.fill(0xFF);
    BitMatrixCountSource source(1);
    NoProgress none;
    const CooccurrenceCounts counts = source.Count(2, none);
    EXPECT_EQ(counts.Cards, 8001);
    EXPECT_EQ(counts.Frequency, (std::vector<int64_t>{2, 1}));
    EXPECT_EQ(counts.Both(1, 2), 1);

    // A chosen variable past the end of the matrix, or no matrix at all, is an error.
    QuickAfcCategoryFlags[5] = 1;
    BitMatrixCountSource beyond(5);
    EXPECT_THROW(beyond.Count(3, none), IoError);
    // A damaged card count far past the selection's reach: an error once the matrix is found
    // shorter, without reading an area of that size.
    WriteBytes(dir / "dli-dat.dat", test::Hex("00 94 35 77"));
    EXPECT_THROW(source.Count(2, none), IoError);
    RemoveFile(dir / "dat-dat.dat");
    EXPECT_THROW(source.Count(2, none), IoError);
}

}  // namespace
}  // namespace qv

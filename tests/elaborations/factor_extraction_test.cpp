#include "elaborations/factor_extraction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/factor_rotation.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/loadings_file.h"
#include "support/program_dir.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

// Expected loadings come from tests/elaborations/factor_golden.py (exact fractions, every
// stored value rounded as a 6-byte real) or are worked out by hand where noted.

namespace qv {
namespace {

using namespace test;
using Matrix = std::vector<std::vector<int>>;
using Factors = std::vector<std::vector<double>>;

using test::RecordingProgress;

class FactorFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
    }

    void WritePhi(const Matrix& m, const char* name = "cor-sch.dat") {
        std::string bytes;
        for (const auto& row : m)
            for (int v : row) AppendI16(bytes, int16_t(v));
        WriteBytes(dir / name, bytes);
    }

    void WriteLoadings(const Factors& factors, const char* name = "fat-sch.dat") {
        WriteBytes(dir / name, test::LoadingsBytes(factors));
    }

    Factors ReadLoadings(size_t v, const char* name = "fat-sch.dat") {
        const std::vector<double> all = test::LoadingsOf(ReadBytes(dir / name));
        EXPECT_EQ(all.size() % v, 0u);
        Factors out;
        for (size_t at = 0; at + v <= all.size(); at += v)
            out.emplace_back(all.begin() + long(at), all.begin() + long(at + v));
        return out;
    }

    static void ExpectNear(const Factors& got, const Factors& want, double tolerance = 1e-9) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t f = 0; f < got.size(); ++f) {
            ASSERT_EQ(got[f].size(), want[f].size());
            for (size_t i = 0; i < got[f].size(); ++i)
                EXPECT_NEAR(got[f][i], want[f][i], tolerance) << "factor " << f + 1 << " category " << i + 1;
        }
    }

    TempDir dir;
};

Matrix Identity(int n) {
    Matrix m(size_t(n), std::vector<int>(size_t(n), 0));
    for (int i = 0; i < n; ++i) m[size_t(i)][size_t(i)] = 10000;
    return m;
}

TEST(FactorSteps, ByCategoryCount) {
    const int cases[][2] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {9, 3}, {59, 19}, {60, 20}, {399, 20}, {400, 20}};
    for (const auto& c : cases) EXPECT_EQ(FactorSteps(c[0]), c[1]) << c[0];
}

TEST_F(FactorFilesTest, OneCategoryLoadsOne) {
    WritePhi({{10000}});
    RecordingProgress progress;
    EXPECT_EQ(ExtractFactors(FactorRoad::Standard, 1, progress), 1);
    EXPECT_EQ(progress.maximum, 20);
    EXPECT_EQ(progress.positions, std::vector<int>{1});
    // 1.0: exponent 129, mantissa 0.
    EXPECT_EQ(ReadBytes(dir / "fat-sch.dat"), test::Hex("81 00 00 00 00 00"));
}

// By hand: every row sums to 10000, the total is 3, each loading 1/sqrt(3); the products
// 3333.33 come off: 6667 on the diagonal, -3333 elsewhere.
TEST_F(FactorFilesTest, UncorrelatedCategoriesShareTheFirstFactor) {
    CentroidExtraction e(std::vector<int16_t>{10000, 0, 0, 0, 10000, 0, 0, 0, 10000}, 3);
    ASSERT_TRUE(e.ExtractCentroidFactor(1));
    for (long double l : e.Loadings()) EXPECT_NEAR(double(l), 1 / std::sqrt(3.0), 1e-11);
    ASSERT_TRUE(e.GoOn());
    e.SubtractFactorProducts(1);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(e.Residual(r, c), r == c ? 6667 : -3333) << r << "," << c;

    // Nine such categories: three steps (tests/elaborations/factor_golden.py; the first factor
    // by hand is 1/3 throughout).
    WritePhi(Identity(9));
    NoProgress none;
    EXPECT_EQ(ExtractFactors(FactorRoad::Standard, 9, none), 3);
    const double r2 = -0.117883352995, r3 = -0.133626803102;
    ExpectNear(ReadLoadings(9), {
                                    std::vector<double>(9, 1.0 / 3),
                                    {0.942695621316, r2, r2, r2, r2, r2, r2, r2, r2},
                                    {-0.000106901442, 0.935387621715, r3, r3, r3, r3, r3, r3, r3},
                                });
}

// Step 2 reflects the second cluster against the first; the signs come back on the loadings.
TEST_F(FactorFilesTest, TwoClustersWithReflection) {
    WritePhi({{10000, 6000, 5000, -1000, 0, -2000},
              {6000, 10000, 4000, 0, -1500, -1000},
              {5000, 4000, 10000, -500, -1000, 0},
              {-1000, 0, -500, 10000, 5500, 4500},
              {0, -1500, -1000, 5500, 10000, 6500},
              {-2000, -1000, 0, 4500, 6500, 10000}});
    NoProgress none;
    EXPECT_EQ(ExtractFactors(FactorRoad::Standard, 6, none), 2);
    ExpectNear(ReadLoadings(6), {{0.545204279534, 0.530059716213, 0.530059716213, 0.560348842854,
                                  0.590637969495, 0.545204279534},
                                 {0.661990761178, 0.621074083799, 0.567022990826, -0.567266220744,
                                  -0.647613170448, -0.635235470157}});
}

TEST_F(FactorFilesTest, NothingToExtract) {
    // A matrix of zeros: no factor in any step. A missing or short matrix is an error and
    // leaves the old loadings alone.
    WritePhi(Matrix(6, std::vector<int>(6, 0)));
    WriteBytes(dir / "fat-sch.dat", "old");
    NoProgress none;
    EXPECT_EQ(ExtractFactors(FactorRoad::Standard, 6, none), 0);
    EXPECT_EQ(ReadBytes(dir / "fat-sch.dat"), "");
    EXPECT_EQ(ExtractFactors(FactorRoad::Standard, 0, none), 0);

    WriteBytes(dir / "fat-sch.dat", "old");
    EXPECT_THROW(ExtractFactors(FactorRoad::Standard, 7, none), IoError);
    RemoveFile(dir / "cor-sch.dat");
    EXPECT_THROW(ExtractFactors(FactorRoad::Standard, 1, none), IoError);
    EXPECT_EQ(ReadBytes(dir / "fat-sch.dat"), "old");
}

TEST_F(FactorFilesTest, ReflectionMarksAndUndo) {
    // The pivot is category 1 (largest absolute sum off the diagonal, 1.3); category 3 is
    // negative with it and is reflected; undoing restores every entry.
    const std::vector<int16_t> phi = {10000, 5000, -8000, 5000, 10000, -2000, -8000, -2000, 10000};
    CentroidExtraction e(phi, 3);
    e.ReflectVariables();
    EXPECT_TRUE(e.GoOn());
    EXPECT_FALSE(e.Reflected(1));
    EXPECT_FALSE(e.Reflected(2));
    EXPECT_TRUE(e.Reflected(3));
    const int reflected[3][3] = {{10000, 5000, 8000}, {5000, 10000, 2000}, {8000, 2000, 10000}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(e.Residual(r, c), reflected[r - 1][c - 1]);
    e.UndoReflection();
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(e.Residual(r, c), phi[size_t((r - 1) * 3 + c - 1)]);

    // Off-diagonal sums under 10: the products are no longer taken out.
    CentroidExtraction small(std::vector<int16_t>{10000, 4, 4, 10000}, 2);
    small.ReflectVariables();
    EXPECT_FALSE(small.GoOn());

    // Three near-identical categories: after the first factor the residual is a few units. The
    // second step reflects, finds nothing worth taking out and stops; its reflection is undone,
    // so a third step starts from the residual the second found, not from flipped signs.
    CentroidExtraction near(std::vector<int16_t>{10000, 9996, 9990, 9996, 10000, 9994, 9990, 9994, 10000}, 3);
    ASSERT_TRUE(near.ExtractCentroidFactor(1));
    near.FinishStep(1);
    std::vector<int16_t> before;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) before.push_back(near.Residual(r, c));
    near.SetGoOn();
    near.ExtractCentroidFactor(2);
    ASSERT_FALSE(near.GoOn());
    ASSERT_TRUE(near.Reflected(1) || near.Reflected(2) || near.Reflected(3));
    near.FinishStep(2);
    std::vector<int16_t> after;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) after.push_back(near.Residual(r, c));
    EXPECT_EQ(after, before);

    // Nine categories, three steps asked: 1-3 with phi 9990 among themselves, 4-9 on no card
    // (phi 0). Step 1: sums 29980 (0 for 4-9), total 8.994, loadings 2.998 / sqrt(8.994) =
    // 0.999667 and 0; the residual is 7 on the diagonal and -3 off it. Step 2 stops there
    // (off-diagonal sums 6, under 10) and is the last: two factors, not a third copy.
    Matrix nine(9, std::vector<int>(9, 0));
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c) nine[r][c] = r == c ? 10000 : 9990;
    WritePhi(nine);
    NoProgress none;
    EXPECT_EQ(ExtractFactors(FactorRoad::Standard, 9, none), 2);
    const Factors written = ReadLoadings(9);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_NEAR(written[0][0], 2.998 / std::sqrt(8.994), 1e-9);
    EXPECT_EQ(written[0][3], 0.0);
}

// By hand: c = 200 / sqrt(40025) = 0.9996877, s = 0.0249922. At the start the criterion is
// 1.62; after one step 2 x 0.89972^2 = 1.619 and lower after every later step, and the start is
// no candidate: the pair is written turned by one step.
TEST_F(FactorFilesTest, PairRotationKeepsTheBestStep) {
    WriteLoadings({{0.9, 0}, {0, 0.9}});
    FactorLoadingsFile file(FactorRoad::Standard, 2);
    EXPECT_EQ(file.CountFactors(), 2);
    RotateFactorPair(file, 1, 2, 0.1);
    ExpectNear(ReadLoadings(2), {{0.899718881768, 0.022492972044}, {-0.022492972044, 0.899718881768}});
    EXPECT_NEAR(FactorPairColumnA[0], 0.899718881768, 1e-9);

    // Loadings that never rise above the threshold in the turns reached stay as they were.
    WriteLoadings({{0.05, -0.05, 0.02}, {0.04, 0.01, -0.03}});
    FactorLoadingsFile small(FactorRoad::Standard, 3);
    RotateFactorPair(small, 1, 2, 0.1);
    ExpectNear(ReadLoadings(3), {{0.05, -0.05, 0.02}, {0.04, 0.01, -0.03}}, 1e-11);
}

TEST_F(FactorFilesTest, OrderingByVariance) {
    // Variances 2.0, 3.5 and 3.5: the second factor first, then the third, then the first.
    const Factors factors = {{1, 1, 0, 0}, {1.5, 1, 0.5, 0}, {0, 0.5, 1, 1.5}};
    WriteLoadings(factors);
    FactorLoadingsFile file(FactorRoad::Standard, 4);
    OrderFactorsByVariance(file, 3);
    EXPECT_EQ(ReadLoadings(4), (Factors{factors[1], factors[2], factors[0]}));
}

TEST_F(FactorFilesTest, RotationSweepsAndOrder) {
    WriteLoadings({{0.7, 0.6, 0.2, -0.1}, {0.3, -0.4, 0.6, 0.5}, {0.1, 0.2, -0.3, 0.4}}, "fat-dat.dat");
    RecordingProgress progress;
    RotateFactors(FactorRoad::Quick, 4, progress);
    EXPECT_EQ(CoreState.FactorCount, 3);
    EXPECT_EQ(CoreState.FactorVariableCount, 4);
    EXPECT_EQ(progress.maximum, 3);
    // Pairs (1,2), (1,3), (2,3), twice.
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 1, 2, 1, 1, 2}));
    ExpectNear(ReadLoadings(4, "fat-dat.dat"),
               {{0.758832316254, 0.502297530584, 0.305817211474, 0.071229923496},
                {0.102946290310, -0.549323907328, 0.621495815124, 0.313885171804},
                {0.059796129705, -0.077074221581, -0.101088006193, 0.562496575074}});
}

TEST_F(FactorFilesTest, RotationEdges) {
    NoProgress none;
    // One factor: rewritten unchanged.
    WriteLoadings({{0.5, -0.25, 0.125}});
    RotateFactors(FactorRoad::Standard, 3, none);
    EXPECT_EQ(CoreState.FactorCount, 1);
    ExpectNear(ReadLoadings(3), {{0.5, -0.25, 0.125}}, 0);
    // No category: no factor.
    RotateFactors(FactorRoad::Standard, 0, none);
    EXPECT_EQ(CoreState.FactorCount, 0);
    // More categories than the factor columns hold: nothing is turned.
    RotateFactors(FactorRoad::Standard, 401, none);
    EXPECT_EQ(CoreState.FactorCount, 0);
    // The loadings file is required.
    RemoveFile(dir / "fat-sch.dat");
    EXPECT_THROW(RotateFactors(FactorRoad::Standard, 3, none), IoError);
}

TEST_F(FactorFilesTest, FactorLengthIsStoredWithTheAnalysis) {
    // The line file of the analysis, not the flags, gives the length; no more than the road takes.
    StandardAfcCategoryFlags.fill(1);
    EXPECT_EQ(FactorLength(FactorRoad::Standard), 0);
    std::string lines;
    for (int16_t i = 0; i < 450; ++i) AppendI16(lines, int16_t(i * 2));
    WriteBytes(dir / "maf-sch.dat", lines);
    WriteBytes(dir / "maf-dat.dat", lines);
    EXPECT_EQ(FactorLength(FactorRoad::Standard), 399);
    EXPECT_EQ(FactorLength(FactorRoad::Quick), 400);
    StoreFactorLength(FactorRoad::Standard, 3);
    EXPECT_EQ(FactorLines(FactorRoad::Standard), (std::vector<int>{1, 3, 5}));
    StoreFactorLength(FactorRoad::Standard, 7);  // never lengthened
    EXPECT_EQ(FactorLength(FactorRoad::Standard), 3);
}

TEST_F(FactorFilesTest, ProblemAndStopTexts) {
    const struct {
        FactorComputation result;
        int text;
    } cases[] = {{{3, 1, 10, {}, 0}, 0},
                 {{3, 0, 0, {}, 0}, 1697},
                 {{0, 0, 0, {}, 0}, 1697},
                 {{3, 0, 10, {}, 0}, 1698}};
    for (const auto& c : cases) EXPECT_EQ(FactorComputationProblemText(c.result), c.text);
    // Stopped after two of three steps: the number written is told; all steps, nothing.
    CoreState.ProgramDir = dir.Path();
    test::InstallShippedTexts();
    EXPECT_EQ(FactorStopText({9, 2, 10, {}, 3}), LoadText(2176) + " 2");
    EXPECT_EQ(FactorStopText({9, 3, 10, {}, 3}), "");
    EXPECT_EQ(FactorStopText({9, 0, 10, {}, 3}), "");
}

}  // namespace
}  // namespace qv

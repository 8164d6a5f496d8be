#include "elaborations/factor_plane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/loadings_file.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(FactorPlane, PointOfLoadings) {
    struct Case {
        double a, b;
        PlanePoint p;
    } cases[] = {
        {0, 0, {315, 216}},       {1, 1, {630, 0}},
        {-1, -1, {0, 432}},       {0.5, -0.5, {472, 324}},  // 472.5; 432 - 108
        {-0.5, 0.25, {157, 162}},                           // 157.5; 432 - 270
        {-0.001, 0, {314, 216}},                            // 314.685
        {-1.5, 0, {-157, 216}},                             // -157.5 truncated toward zero
        {0, 0.999, {315, 0}},                               // 432 - 431.784 = 0.216
    };
    for (const Case& c : cases) EXPECT_EQ(PlanePointOf(c.a, c.b), c.p) << c.a << " " << c.b;
}

TEST(FactorPlane, MarginSteps) {
    struct Case {
        int x, y, factors, fx, fy;
        bool margin;
        int toX, toY;
    } cases[] = {
        {600, 216, 3, 1, 2, true, 2, 3},  // right: the next pair
        {600, 216, 3, 2, 3, true, 2, 3},  // already the last pair
        {630, 216, 5, 1, 4, true, 2, 3},  // the vertical factor follows the horizontal one
        {29, 216, 3, 2, 3, true, 1, 2},   // left
        {29, 216, 3, 1, 3, true, 1, 2},
        {10, 10, 3, 2, 3, true, 1, 3},    // left, then top: no rotation
        {315, 402, 3, 1, 3, true, 1, 2},  // bottom
        {315, 402, 3, 1, 1, true, 1, 1},
        {315, 31, 3, 1, 2, true, 1, 3},  // top
        {315, 31, 3, 1, 3, true, 1, 3},
        {599, 32, 3, 1, 2, false, 1, 2},  // inside
        {30, 401, 3, 1, 2, false, 1, 2},
        {600, 216, 0, 1, 2, true, 1, 2},  // no loadings file: right and top do nothing
        {315, 0, 0, 1, 2, true, 1, 2},
        {0, 216, 0, 3, 4, true, 2, 4},  // left still steps down
        {315, 432, 0, 3, 4, true, 3, 3},
    };
    for (const Case& c : cases) {
        int fx = c.fx, fy = c.fy;
        EXPECT_EQ(StepPlaneByMargins(c.x, c.y, c.factors, fx, fy), c.margin) << c.x << "," << c.y;
        EXPECT_EQ(fx, c.toX) << c.x << "," << c.y;
        EXPECT_EQ(fy, c.toY) << c.x << "," << c.y;
    }
}

class FactorPlaneFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ElaborationMode = 1;
        WriteLines("maf-sch.dat", {4, 9});  // the analysis took two categories: V = 2
        // Factors 1..3 of two categories.
        WriteLoadings("fat-sch.dat", {0.5, 0.25, -0.75, 0.125, 0.375, -0.5});
        CoreState.PlaneFactorX = 1;
        CoreState.PlaneFactorY = 2;
    }
    void WriteLines(const char* name, const std::vector<int>& indexes) {
        WriteBytes(dir / name, test::Words(indexes));
    }
    void WriteLoadings(const char* name, const std::vector<double>& loadings) {
        WriteBytes(dir / name, test::LoadingsBytes({loadings}));
    }
    std::vector<double> Loadings(const char* name) { return test::LoadingsOf(ReadBytes(dir / name)); }
    TempDir dir;
};

TEST_F(FactorPlaneFileTest, CountsFactorsWhenOpened) {
    CoreState.PlaneNumbers = 1;
    CoreState.CardWindowMode = 2;
    CountPlaneFactors(FactorRoad::Standard);
    EXPECT_EQ(CoreState.FactorVariableCount, 2);
    EXPECT_EQ(CoreState.FactorCount, 3);
    EXPECT_EQ(CoreState.PlaneNumbers, 0);
    EXPECT_EQ(CoreState.CardWindowMode, 1);

    // The length is the analysis's, whatever is flagged now.
    StandardAfcCategoryFlags.fill(1);
    CountPlaneFactors(FactorRoad::Standard);
    EXPECT_EQ(CoreState.FactorVariableCount, 2);

    // The quick road has its own files.
    WriteLoadings("fat-dat.dat", {0.1, 0.2, 0.3, 0.4});
    WriteLines("maf-dat.dat", {0, 1});
    CountPlaneFactors(FactorRoad::Quick);
    EXPECT_EQ(CoreState.FactorCount, 2);

    std::remove((dir / "fat-sch.dat").c_str());
    CountPlaneFactors(FactorRoad::Standard);
    EXPECT_EQ(CoreState.FactorCount, 0);
}

TEST_F(FactorPlaneFileTest, SceneOfTwoFactors) {
    CoreState.PlaneFactorX = 3;
    CoreState.PlaneFactorY = 2;
    CoreState.PlaneNumbers = 1;
    const PlaneScene s = BuildPlaneScene(FactorRoad::Standard);
    EXPECT_EQ(s.LabelX, " f. 3 ");
    EXPECT_EQ(s.LabelY, "f. 2");
    EXPECT_TRUE(s.Numbers);
    // Slot 1: (0.375, -0.75) -> (433.125, 432 - 54); slot 2: (-0.5, 0.125) -> (157.5, 432 - 243).
    EXPECT_EQ(s.Points, (std::vector<PlanePoint>{{433, 378}, {157, 189}}));

    // A factor the file does not hold reads 0 and is not named: a one-factor analysis names
    // factor 1 only.
    WriteLoadings("fat-sch.dat", {0.5, 0.25});
    CoreState.PlaneFactorX = 1;
    const PlaneScene one = BuildPlaneScene(FactorRoad::Standard);
    EXPECT_EQ(one.Points, (std::vector<PlanePoint>{{472, 216}, {393, 216}}));
    EXPECT_EQ(one.LabelX, " f. 1 ");
    EXPECT_EQ(one.LabelY, "");

    std::remove((dir / "fat-sch.dat").c_str());
    EXPECT_TRUE(BuildPlaneScene(FactorRoad::Standard).Points.empty());
}

TEST_F(FactorPlaneFileTest, ClicksTurnAndWriteBack) {
    CountPlaneFactors(FactorRoad::Standard);
    struct Case {
        int x, y;
        std::vector<double> after;
        int toX, toY;
    } cases[] = {
        // Straight up: the new horizontal loadings are the old vertical ones, the new vertical
        // ones the old horizontal ones with the sign changed.
        {315, 100, {-0.75, 0.125, -0.5, -0.25, 0.375, -0.5}, 1, 2},
        // Straight right: nothing changes.
        {500, 216, {-0.75, 0.125, -0.5, -0.25, 0.375, -0.5}, 1, 2},
        // The centre has no direction: nothing turns.
        {315, 216, {-0.75, 0.125, -0.5, -0.25, 0.375, -0.5}, 1, 2},
        // Right margin: factors 2 and 3, no turn; then straight left turns them half round.
        {600, 216, {-0.75, 0.125, -0.5, -0.25, 0.375, -0.5}, 2, 3},
        {100, 216, {-0.75, 0.125, 0.5, 0.25, -0.375, 0.5}, 2, 3},
    };
    for (const Case& c : cases) {
        PlaneClick(FactorRoad::Standard, c.x, c.y);
        EXPECT_EQ(Loadings("fat-sch.dat"), c.after) << c.x << "," << c.y;
        EXPECT_EQ(CoreState.PlaneFactorX, c.toX);
        EXPECT_EQ(CoreState.PlaneFactorY, c.toY);
    }

    // Both axes on one factor: clicks inside do not turn.
    CoreState.PlaneFactorX = CoreState.PlaneFactorY = 1;
    PlaneClick(FactorRoad::Standard, 315, 100);
    EXPECT_EQ(Loadings("fat-sch.dat")[0], -0.75);

    // More flags than the analysis took change nothing: the turn is written with its length.
    const std::vector<double> before = Loadings("fat-sch.dat");
    StandardAfcCategoryFlags.fill(1);
    CoreState.PlaneFactorX = 2;
    CoreState.PlaneFactorY = 3;
    PlaneClick(FactorRoad::Standard, 100, 216);
    const std::vector<double> after = Loadings("fat-sch.dat");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::vector<double>(after.begin(), after.begin() + 2),
              std::vector<double>(before.begin(), before.begin() + 2));

    // A one-factor analysis: the plane shows factors 1 and 2, and a click invents no factor 2.
    WriteLoadings("fat-sch.dat", {0.5, 0.25});
    CoreState.PlaneFactorX = 1;
    CoreState.PlaneFactorY = 2;
    PlaneClick(FactorRoad::Standard, 315, 100);
    EXPECT_EQ(Loadings("fat-sch.dat"), (std::vector<double>{0.5, 0.25}));

    // No loadings file: a margin click still steps, a turn cannot be written back.
    std::remove((dir / "fat-sch.dat").c_str());
    EXPECT_NO_THROW(PlaneClick(FactorRoad::Standard, 10, 216));
    CoreState.PlaneFactorY = 2;
    EXPECT_THROW(PlaneClick(FactorRoad::Standard, 315, 100), IoError);
}

TEST_F(FactorPlaneFileTest, DiagonalTurnKeepsEachCategorysLength) {
    PlaneClick(FactorRoad::Standard, 420, 144);  // 45 degrees: 105 / 630 = 72 / 432
    const std::vector<double> l = Loadings("fat-sch.dat");
    const double r = std::sqrt(0.5);
    EXPECT_NEAR(l[0], 0.5 * r - 0.75 * r, 1e-11);
    EXPECT_NEAR(l[1], 0.25 * r + 0.125 * r, 1e-11);
    EXPECT_NEAR(l[2], -0.75 * r - 0.5 * r, 1e-11);
    EXPECT_NEAR(l[3], 0.125 * r - 0.25 * r, 1e-11);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(l[size_t(i)] * l[size_t(i)] + l[size_t(i + 2)] * l[size_t(i + 2)],
                    i == 0 ? 0.5 * 0.5 + 0.75 * 0.75 : 0.25 * 0.25 + 0.125 * 0.125, 1e-11);
    EXPECT_EQ(l[4], 0.375);
}

}  // namespace
}  // namespace qv

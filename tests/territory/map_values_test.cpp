#include "territory/map_values.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"

namespace qv {
namespace {

using namespace test;

constexpr double U = kClassLimitUnset;

class MapValuesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.MakeDir("arch");
        MapState.TerritoryDir = dir.MakeDir("geo");
        MapState.ValueCount = MapState.ComuneCount = 8100;
        MapActiveComuni.fill(1);
        TerritoryCount = 8101;
        AllocateMapTables();
        AllocateDrawingTables();
    }
    void TearDown() override {
        ReleaseDrawingTables();
        ReleaseMapTables();
    }
    void Prepared(int32_t lastCard, const std::vector<int16_t>& codes) {
        std::string last;
        AppendI32(last, lastCard);
        WriteBytes(CoreState.ArchiveDir + "dli-dat.dat", last);
        std::string bytes;
        for (int16_t c : codes) AppendI16(bytes, c);
        WriteBytes(CoreState.ArchiveDir + "ter-dat.dat", bytes);
    }
    void Translation(const std::vector<int16_t>& comuni) {
        std::string bytes;
        for (int16_t c : comuni) AppendI16(bytes, c);
        WriteBytes(MapState.TerritoryDir + "kel-trad.dat", bytes);
    }
    void Select(std::initializer_list<int> cards) {
        for (int c : cards) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    }
    // Values of entries 1.. as the drawing sees them.
    void Values(std::initializer_list<double> values) {
        int i = 1;
        for (double v : values) MapValues[size_t(i++)] = v;
        MapState.ValueCount = int(values.size());
        MapState.ComuneCount = int(values.size());
        for (int k = 1; k <= MapState.ComuneCount; ++k) MapValueIndex[size_t(k)] = k;
    }
    TempDir dir;
};

TEST_F(MapValuesTest, CardsCountedPerCodeThenFoldedIntoComuni) {
    // Cards 0..5; card 5 is not selected. Code 9000 is beyond the tables; code 4 names no comune.
    Prepared(5, {3, 3, 0, 9000, 4, 3});
    Select({0, 1, 2, 3, 4});
    CountCardsPerComune();
    EXPECT_EQ(MapCardCounts[3], 2);
    EXPECT_EQ(MapCardCounts[0], 1);
    EXPECT_EQ(MapCardCounts[4], 1);

    Translation({1, 1, 7, -1});  // codes 1, 2 -> comune 1, 3 -> 7, 4 -> none
    AggregateByTranslation();
    EXPECT_EQ(MapCardCounts[7], 2);
    EXPECT_EQ(MapCardCounts[3], 0);
    EXPECT_EQ(MapCardCounts[4], 0);
    // The cards without comune and those whose code is not on the map.
    EXPECT_EQ(MapCardCounts[0], 2);
}

TEST_F(MapValuesTest, PreparedFilesMissingOrShort) {
    EXPECT_THROW(CountCardsPerComune(), IoError);  // "dli-dat.dat" is required

    Prepared(3, {});
    std::remove((CoreState.ArchiveDir + "ter-dat.dat").c_str());
    MapCardCounts[5] = 9;
    Select({0, 1, 2, 3});
    CountCardsPerComune();  // no codes prepared: nothing counted
    EXPECT_EQ(MapCardCounts[5], 0);

    // Codes for fewer cards than the index names: the cards there are counted.
    Prepared(20000, {5, 5});
    CountCardsPerComune();
    EXPECT_EQ(MapCardCounts[5], 2);

    EXPECT_THROW(AggregateByTranslation(), IoError);  // "kel-trad.dat" is required
}

TEST_F(MapValuesTest, ValuesSumActiveComuniPerUnit) {
    MapState.ValueCount = 5;
    MapCardCounts[0] = 4;
    const int cards[] = {0, 10, 20, 30, 40, 50};
    for (int i = 1; i <= 5; ++i) MapCardCounts[size_t(i)] = cards[i];
    // Units: 1 and 2 form unit 3, comune 3 has none, 4 and 5 are their own units.
    const int units[] = {0, 3, 3, 0, 4, 5};
    for (int i = 1; i <= 5; ++i) MapValueIndex[size_t(i)] = units[i];
    MapActiveComuni[4] = 0;  // comune 5
    MapValues[6] = 99;       // left over from an earlier drawing
    MapState.ValueDecimals = 2;

    ComputeMapValues();
    EXPECT_EQ(MapValues[3], 30);
    EXPECT_EQ(MapValues[0], 30);  // comune 3, without unit
    EXPECT_EQ(MapValues[4], 40);
    EXPECT_EQ(MapValues[5], 0);  // inactive
    EXPECT_EQ(MapValues[6], 0);
    EXPECT_EQ(MapState.ValueTotal, 10 + 20 + 30 + 40 + 4);
    EXPECT_EQ(MapState.ValueDecimals, 0);
}

struct OctileCase {
    const char* name;
    std::vector<double> values;
    std::array<double, 7> limits;
};

// target = nonzero values div 8 (at least 1); a limit each time the running count of the 10000
// bins passes the target, at bin x step + min truncated.
const OctileCase kOctileCases[] = {
    {"no selected card", {0, 0, 0}, {U, U, U, U, U, U, U}},
    {"a single nonzero value", {0, 5, 0}, {U, U, U, U, U, U, U}},
    // step 0 becomes 1; both in bin 1: 2 > 1 sets limit 1 = 1 x 1 + 5.
    {"equal values", {5, 0, 5}, {6, U, U, U, U, U, U}},
    // 1..17: step 0.0016, value v in bin (v - 1) x 625 + 1 (17 clamped to 10000); target 2; the
    // count passes 2 at values 3, 5, ..., 15 (bin x step + 1 truncated = the value), and once
    // more at 17, beyond the seventh limit.
    {"seventeen distinct values",
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
     {3, 5, 7, 9, 11, 13, 15}},
    // Negative values take part: -10 and 10, step 0.002, bins 1 and 10001 -> 10000; target 1;
    // the second bin passes it: 10000 x 0.002 - 10 = 10.
    {"negative values", {-10, 0, 10}, {10, U, U, U, U, U, U}},
};

TEST_F(MapValuesTest, OctileLimits) {
    for (const OctileCase& c : kOctileCases) {
        SCOPED_TRACE(c.name);
        MapClassThresholds.Limits.fill(123);
        std::fill(MapValues.begin(), MapValues.end(), 0.0);
        MapState.ValueCount = int(c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) MapValues[i + 1] = c.values[i];
        ComputeOctileLimits();
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(MapClassThresholds.Limits[size_t(k)], c.limits[size_t(k)]) << k + 1;
    }
}

TEST_F(MapValuesTest, MeanAndStandardDeviationLimits) {
    // Nonzero 2, 4, 4, 4, 5, 5, 7, 9: mean 5, population standard deviation 2.
    Values({2, 0, 4, 4, 4, 5, 5, 7, 9});
    ComputeMeanSdLimits();
    const std::array<double, 7> expected = {1, 3, 4, 5, 6, 7, 9};
    EXPECT_EQ(MapClassThresholds.Limits, expected);

    // A single value: every limit that value, and the value reaches the last class.
    Values({0, 7});
    MapState.ClassMode = 3;
    AssignMapClasses();
    EXPECT_EQ(MapClassThresholds.Limits, (std::array<double, 7>{7, 7, 7, 7, 7, 7, 7}));
    EXPECT_EQ(MapClassOf[2], 8);
    EXPECT_EQ(MapClassOf[1], 1);
}

TEST_F(MapValuesTest, ClassesByLimits) {
    struct Case {
        const char* name;
        std::array<double, 7> limits;
        bool zeroWhite;
        double value;
        int cls;
    };
    const Case cases[] = {
        {"below every limit", {10, 10, 20, U, U, U, U}, false, 9, 1},
        {"equal to a limit: the class above", {10, 10, 20, U, U, U, U}, false, 10, 3},
        {"between repeated and next", {10, 10, 20, U, U, U, U}, false, 19, 3},
        {"from the last set limit", {10, 10, 20, U, U, U, U}, false, 20, 4},
        {"limits out of order: the last reached wins", {20, 10, U, U, U, U, U}, false, 25, 3},
        {"no limit set", {U, U, U, U, U, U, U}, false, 1e9, 1},
        {"zero drawn white", {U, U, U, U, U, U, U}, true, 0, 0},
        {"zero coloured", {-5, U, U, U, U, U, U}, false, 0, 2},
        {"negative value", {-5, U, U, U, U, U, U}, true, -6, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Values({c.value});
        MapClassThresholds.Limits = c.limits;
        MapState.ZeroIsWhite = c.zeroWhite;
        MapState.ClassMode = 1;
        AssignMapClasses();
        EXPECT_EQ(MapClassOf[1], c.cls);
        EXPECT_EQ(MapClassThresholds.Limits, c.limits);  // manual limits stay
    }
}

TEST_F(MapValuesTest, ComuneWithoutUnitTakesEntryZero) {
    MapState.ValueCount = MapState.ComuneCount = 2;
    MapCardCounts[1] = 6;
    MapCardCounts[2] = 1;
    MapValueIndex[1] = 0;
    MapValueIndex[2] = 0;
    ComputeMapValues();
    MapClassThresholds.Limits = {7, U, U, U, U, U, U};
    AssignMapClasses();
    EXPECT_EQ(MapClassOf[1], 2);
    EXPECT_EQ(MapClassOf[2], 2);
}

}  // namespace
}  // namespace qv

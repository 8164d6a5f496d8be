// The shipped schematic territorial base read back through the map's own readers.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"
#include "territory/territorial_base.h"

namespace qv {
namespace {

using test::ReadBytes;

constexpr int kCodes = 8101;
constexpr int kUsed = 7904;
constexpr int kCap = 20;
constexpr int kRecord = 12 * kCap;

std::string Shipped(const char* name) {
    return std::string(QV_SOURCE_DIR) + "/data/territory/geolar/" + name;
}

class SchematicBase : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.MakeDir("prog");
        MapState.TerritoryDir = std::string(QV_SOURCE_DIR) + "/data/territory/geolar/";
        MapState.ValueCount = MapState.ComuneCount = MapState.VariableLength = 8100;
        AllocateMapTables();
    }
    void TearDown() override { ReleaseMapTables(); }
    test::TempDir dir;
};

TEST_F(SchematicBase, FilesHoldEveryCode) {
    EXPECT_EQ(ReadBytes(Shipped("cmn-zor2.dat")),
              ReadBytes(std::string(QV_SOURCE_DIR) + "/data/progdir/cmn-zor2.dat"));
    EXPECT_EQ(ReadBytes(Shipped("dov-zor.dat")), std::string(kCodes, '\1'));
    EXPECT_EQ(ReadBytes(Shipped("mmx-zor.dat")).size(), size_t(kCodes) * 20);
    EXPECT_EQ(ReadBytes(Shipped("1-zor.dat")).size(), size_t(kCodes) * kRecord);
    EXPECT_EQ(ReadBytes(Shipped("leg-colo.dat")).size(), 36u);
    EXPECT_EQ(ReadBytes(Shipped("car-tres.dat")).size(), 32u);
    const std::vector<int32_t> translation = ReadComuneTranslation();
    for (int j = 1; j <= kCodes; ++j) ASSERT_EQ(translation[size_t(j)], j);
}

// Every municipality is a closed square ring whose sides name the cell across them; the cell
// across names it back, and a side without a cell across is on the outer boundary (0).
TEST_F(SchematicBase, CellsAndNeighboursAgree) {
    const std::string outlines = ReadBytes(Shipped("1-zor.dat"));
    const std::string boxes = ReadBytes(Shipped("mmx-zor.dat"));
    auto at = [&](int code, int array, int j) {
        return GetI32(reinterpret_cast<const uint8_t*>(outlines.data()) + size_t(code - 1) * kRecord +
                      4 * (array * kCap + j - 1));
    };
    std::map<std::pair<int32_t, int32_t>, int> cellAt;  // top left corner -> code
    for (int code = 1; code <= kUsed; ++code) cellAt[{at(code, 0, 1), at(code, 1, 1)}] = code;
    ASSERT_EQ(cellAt.size(), size_t(kUsed));

    int boundary = 0;
    for (int code = 1; code <= kCodes; ++code) {
        SCOPED_TRACE(code);
        if (code > kUsed) {
            ASSERT_EQ(at(code, 0, 1), -30000);
            continue;
        }
        const int32_t x = at(code, 0, 1), y = at(code, 1, 1);
        const int32_t s = at(code, 0, 2) - x;
        ASSERT_GT(s, 0);
        const int32_t xs[] = {x, x + s, x + s, x, x}, ys[] = {y, y, y + s, y + s, y};
        for (int j = 1; j <= 5; ++j) {
            ASSERT_EQ(at(code, 0, j), xs[j - 1]);
            ASSERT_EQ(at(code, 1, j), ys[j - 1]);
        }
        ASSERT_EQ(at(code, 0, 6), -30000);
        // Label point in the middle; the box is the cell.
        ASSERT_EQ(at(code, 1, kCap - 3), x + s / 2);
        ASSERT_EQ(at(code, 1, kCap - 2), y + s / 2);
        const uint8_t* box = reinterpret_cast<const uint8_t*>(boxes.data()) + size_t(code - 1) * 20;
        ASSERT_EQ(GetI32(box + 4), x);
        ASSERT_EQ(GetI32(box + 8), x + s);
        ASSERT_EQ(GetI32(box + 12), y);
        ASSERT_EQ(GetI32(box + 16), y + s);
        // Sides top, right, bottom, left; the opposite side of the cell across is 2 further on.
        const std::pair<int32_t, int32_t> across[] = {{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}};
        for (int side = 0; side < 4; ++side) {
            const auto found = cellAt.find(across[side]);
            const int expected = found == cellAt.end() ? 0 : found->second;
            ASSERT_EQ(at(code, 2, side + 1), expected) << "side " << side;
            if (expected) ASSERT_EQ(at(expected, 2, (side + 2) % 4 + 1), code);
            boundary += expected == 0;
        }
    }
    EXPECT_GT(boundary, 0);
}

TEST_F(SchematicBase, ProvincesAsUnitsWithNamesAndSigle) {
    MapState.AggregationVariable = 1;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    EXPECT_EQ(MapValueIndex[1], 1);        // Torino's first comune
    EXPECT_EQ(MapValueIndex[kUsed], 103);  // the last province
    EXPECT_EQ(MapValueIndex[kUsed + 1], 0);

    BuildUnitNames();
    const std::string units = ReadBytes(CoreState.ProgramDir + "tresca.txt");
    ASSERT_EQ(units.size(), 103u * 101);
    EXPECT_EQ(units.substr(0, 30), "Torino" + std::string(24, ' '));

    // One sigla per province, on a comune of that province.
    const std::vector<SiglaEntry> sigle = LoadSigle();
    ASSERT_EQ(sigle.size(), 103u);
    for (size_t p = 0; p < sigle.size(); ++p) EXPECT_EQ(MapValueIndex[size_t(sigle[p].Comune)], int(p) + 1);
    EXPECT_EQ(sigle[0].Text, "TO");
    EXPECT_EQ(sigle[102].Text, "VB");

    MapState.AggregationVariable = 0;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    for (int k = 1; k <= kUsed; ++k) ASSERT_EQ(MapValueIndex[size_t(k)], k);
}

}  // namespace
}  // namespace qv

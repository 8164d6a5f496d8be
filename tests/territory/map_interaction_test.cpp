#include "territory/map_interaction.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"
#include "territory/tiny_base.h"

namespace qv {
namespace {

using namespace test;

class MapInteraction : public test::TinyBaseTest {
  protected:
    void SetUp() override {
        TinyBaseTest::SetUp();
        // Label points as the tiny base draws them; comune 4 off the bitmap.
        const int16_t xs[] = {0, 20, 40, 20, kNoLabelPoint};
        const int16_t ys[] = {0, 20, 20, 40, kNoLabelPoint};
        for (int k = 1; k <= 4; ++k) {
            MapCentroidX[size_t(k)] = xs[k];
            MapCentroidY[size_t(k)] = ys[k];
        }
    }
};

TEST_F(MapInteraction, ClickPicksTheNearestLabelPoint) {
    struct Case {
        const char* name;
        int32_t x, y;
        int32_t comune;
    };
    const Case cases[] = {
        {"on comune 1's point", 20, 20, 1},
        {"just beside comune 1", 22, 21, 1},
        {"halfway between 1 and 2: the lower number", 30, 20, 1},
        {"2 at 1 + 19, 3 at 21 + 1", 41, 39, 2},
        {"on comune 4's cell, which has no point: 2 and 3 tie at 20", 40, 40, 2},
        {"far outside the bitmap", -500, 900, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindNearestComune(c.x, c.y), c.comune);
    }
    for (int k = 1; k <= 4; ++k) MapCentroidX[size_t(k)] = kNoLabelPoint;
    EXPECT_EQ(FindNearestComune(20, 20), 0) << "no comune on the bitmap";
}

TEST_F(MapInteraction, CentroidFileWrittenOnlyWhenMissing) {
    FindNearestComune(0, 0);
    // x, y of comuni 1..4 as signed 16-bit; -30000 is 8AD0.
    const std::string expected = Hex("14 00 14 00 28 00 14 00 14 00 28 00 D0 8A D0 8A");
    EXPECT_EQ(ToHex(ReadBytes(geo + "dli-poli.dat")), ToHex(expected));
    MapCentroidX[1] = 99;
    SaveComuneCentroids();
    EXPECT_EQ(ToHex(ReadBytes(geo + "dli-poli.dat")), ToHex(expected)) << "an existing file is kept";
}

TEST_F(MapInteraction, CaptionOfTheChosenComune) {
    MapActiveComuni[1] = 0;
    EXPECT_EQ(ChosenComuneCaption(1), "+Uno");
    EXPECT_EQ(ChosenComuneCaption(2), "-Due");
    // A name of 37 characters loses its last one to the sign.
    WriteBytes(geo + "cmn-zor2.dat", test::NameRecord(std::string(37, 'L')));
    EXPECT_EQ(ChosenComuneCaption(1), "+" + std::string(36, 'L'));
    EXPECT_THROW(ChosenComuneCaption(3), IoError) << "a short name file";
    EXPECT_FALSE(ToggleMapComune(5)) << "beyond ComuneCount";
}

}  // namespace
}  // namespace qv

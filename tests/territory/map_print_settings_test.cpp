#include "territory/map_print_settings.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"
#include "territory/scratch_territory.h"

namespace qv {
namespace {

using namespace test;

class MapPrintSettings : public test::ScratchTerritory {
  protected:
    void SetUp() override {
        ScratchTerritory::SetUp();
        MapState.PrintScaleX = MapState.PrintScaleY = 100;
    }
};

TEST_F(MapPrintSettings, PrintScaleFile) {
    LoadPrintScale();
    EXPECT_EQ(MapState.PrintScaleX, 100);
    EXPECT_EQ(MapState.PrintScaleY, 100);
    MapState.PrintScaleX = 80;
    MapState.PrintScaleY = 120;
    SavePrintScale();
    EXPECT_EQ(ReadBytes(MapState.TerritoryDir + "inf-stam.txt"), "80\r\n120\r\n");

    struct Case {
        const char* file;
        int x, y;
    } cases[] = {{"75\r\nabc\r\n", 75, 0}, {"60\n", 60, 120}, {" 90 \r\n-5\r\n", 90, -5}};
    for (const Case& c : cases) {
        MapState.PrintScaleY = 120;
        WriteBytes(MapState.TerritoryDir + "inf-stam.txt", c.file);
        LoadPrintScale();
        EXPECT_EQ(MapState.PrintScaleX, c.x) << c.file;
        EXPECT_EQ(MapState.PrintScaleY, c.y) << c.file;
    }
}

// A 640 x 480 map on a page of 718 x 1047 printer pixels (A4 at 96 dots an inch), with room
// kept under it for the notes; the margin widens the drawn map by 3 pixels.
TEST_F(MapPrintSettings, MapLargerThanThePageIsReducedToFit) {
    MapState.MapWidth = 640;
    MapState.MapHeight = 480;
    struct Case {
        int scaleX, scaleY, notes, margin;
        double factor;
    } cases[] = {{100, 100, 0, 0, 1},
                 {50, 50, 0, 0, 1},
                 {112, 100, 0, 0, 1},
                 {500, 500, 0, 0, 718.0 / 3200},
                 {100, 300, 0, 0, 1047.0 / 1440},
                 {100, 600, 0, 0, 1047.0 / 2880},
                 {300, 100, 0, 0, 718.0 / 1920},
                 {0, 0, 0, 0, 1},
                 {100, 200, 87, 0, 1},
                 {100, 200, 88, 0, 959.0 / 960},
                 {100, 300, 47, 0, 1000.0 / 1440},
                 {100, 300, 47, 1, 1000.0 / 1449},
                 {500, 500, 0, 1, 718.0 / 3215},
                 {100, 100, 2000, 0, 0}};
    for (const Case& c : cases) {
        MapState.PrintScaleX = c.scaleX;
        MapState.PrintScaleY = c.scaleY;
        MapState.MapMargin = c.margin;
        EXPECT_DOUBLE_EQ(PrintFitFactor(718, 1047, c.notes), c.factor) << c.scaleX << " x " << c.scaleY;
    }
}

TEST_F(MapPrintSettings, FontHeightFiles) {
    PrintFontPositions p = LoadPrintFontPositions();
    for (int32_t v : p) EXPECT_EQ(v, 8);
    p = {0, 1, 2, 3, 9, 10, 11, 499};
    SavePrintFontPositions(p);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "car-cart.dat"),
              Hex("00 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 "
                  "09 00 00 00 0A 00 00 00 0B 00 00 00 F3 01 00 00"));
    // The map reads heights in pixels: position + 1.
    EXPECT_EQ(ReadBytes(MapState.TerritoryDir + "car-tres.dat"),
              Hex("01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 "
                  "0A 00 00 00 0B 00 00 00 0C 00 00 00 F4 01 00 00"));
    EXPECT_EQ(LoadPrintFontPositions(), p);
    // A short file gives what it holds whole.
    WriteBytes(CoreState.ProgramDir + "car-cart.dat", Hex("05 00 00 00 06 00"));
    EXPECT_EQ(LoadPrintFontPositions(), (PrintFontPositions{5, 8, 8, 8, 8, 8, 8, 8}));
}

TEST_F(MapPrintSettings, Comment) {
    EXPECT_TRUE(LoadPrintComment().empty());
    SavePrintComment({"Fonte: archivio", "", "anno 2020"});
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "commento.txt"), "Fonte: archivio\r\n\r\nanno 2020\r\n");
    EXPECT_EQ(LoadPrintComment(), (std::vector<std::string>{"Fonte: archivio", "", "anno 2020"}));

    // Printed under the map, 3 + (8 + 2) a line: cut to 255 characters, then the source of the
    // boundaries, which keeps its place on a page too short for the comment.
    InstallNumberedTexts(2499);
    MapFontHeights.fill(8);
    SavePrintComment({std::string(300, 'x'), "b", "c"});
    const std::string x255(255, 'x');
    struct Case {
        int32_t page;
        std::vector<std::string> lines;
    } cases[] = {{43, {x255, "b", "c", "Testo 2270"}}, {42, {x255, "b", "Testo 2270"}}, {5, {"Testo 2270"}}};
    for (const Case& c : cases) {
        const MapPageNotes notes = LoadMapPageNotes(c.page);
        EXPECT_EQ(notes.Lines, c.lines) << c.page;
        EXPECT_EQ(notes.Height(), 3 + 10 * int32_t(c.lines.size())) << c.page;
    }
}

}  // namespace
}  // namespace qv

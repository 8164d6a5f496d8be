#include "territory/map_options.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/records.h"
#include "support/temp_dir.h"
#include "territory/scratch_territory.h"

namespace qv {
namespace {

using namespace test;

const char* const kUnsetLimit = "9B 00 E0 1F BC BE";  // -99999999

class MapOptions : public test::ScratchTerritory {};

TEST_F(MapOptions, DefaultsWithoutAnyFile) {
    LoadMapOptions(0, "");
    const MapStateRecord& m = MapState;
    struct Case {
        const char* name;
        int64_t got, want;
    } cases[] = {
        {"ClassMode", m.ClassMode, 1},
        {"ColourByClass", m.ColourByClass, 1},
        {"ShowLegendTitle", m.ShowLegendTitle, 1},
        {"ShowLegend", m.ShowLegend, 1},
        {"ZeroIsWhite", m.ZeroIsWhite, 1},
        {"FrameLine", m.FrameLine, 1},
        {"Automatic", m.Automatic, 1},
        {"VariableBorderWidth", m.VariableBorderWidth, 2},
        {"ZoomLevel", m.ZoomLevel, 1},
        {"PixelWidth", m.PixelWidth, 640},
        {"PixelHeight", m.PixelHeight, 480},
        {"ViewCentreX", m.ViewCentreX, 10240},
        {"ViewCentreY", m.ViewCentreY, 7680},
        {"CentreTargetX", m.CentreTargetX, 320},
        {"CentreTargetY", m.CentreTargetY, 227},
        {"ChosenComune", m.ChosenComune, -1},
        {"ValueCount", m.ValueCount, 8100},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    for (double limit : MapClassThresholds.Limits) EXPECT_EQ(limit, -99999999);
    EXPECT_EQ(MapClassThresholds.Title, "");
}

TEST_F(MapOptions, CentreTargetTruncatesTowardZero) {
    struct Case {
        int height, centreY;
    } cases[] = {{480, 227}, {25, 0}, {27, 0}, {28, 1}, {0, -13}};
    for (const Case& c : cases) {
        MapState.PixelHeight = c.height;
        ApplyMapDefaults();
        EXPECT_EQ(MapState.CentreTargetY, c.centreY) << c.height;
    }
}

TEST_F(MapOptions, DefaultWorkingFilesGolden) {
    LoadMapOptions(0, "");
    SaveMapOptions(0, "");
    EXPECT_EQ(ToHex(ReadBytes(Prog("opz-glar.dat"))),
              ToHex(Hex("00 01 00 00 00 00 00 01 00 01 01 00 00 00 00 01 01 00 00 00 02 00 01")));
    EXPECT_EQ(ToHex(ReadBytes(Prog("tgl-glar.dat"))),
              ToHex(Repeat(Hex(kUnsetLimit), 7) + std::string(52, '\0')));
    EXPECT_EQ(ToHex(ReadBytes(Prog("sel-glar.dat"))),
              ToHex(Hex("80 02 00 00 E0 01 00 00") + std::string(8, '\0')));
}

TEST_F(MapOptions, WorkingAndBaseKindsRoundTrip) {
    for (int kind : {0, 1}) {
        LoadMapOptions(kind, "");
        MapState.ClassMode = 3;
        MapState.AggregationVariable = 200;
        MapState.BorderVariable = 4;
        MapState.SigleSet = 2;
        MapState.VariableBorderWidth = 50;
        MapState.ShowSigle = 1;
        MapState.ZeroIsWhite = 0;
        MapState.ShowVariableBorders = 1;
        MapState.PixelWidth = 1200;
        MapState.PixelHeight = 900;
        MapState.LegendX = 30;
        MapState.LegendY = -4;
        MapClassThresholds.Limits[0] = 2.5;
        MapClassThresholds.Limits[6] = 1000;
        MapClassThresholds.Title = "Abitanti";
        SaveMapOptions(kind, "");

        ResetProgramState();
        CoreState.ProgramDir = dir.Path() + "prog/";
        LoadMapOptions(kind, "");
        EXPECT_EQ(MapState.ClassMode, 3) << kind;
        EXPECT_EQ(MapState.AggregationVariable, 200);
        EXPECT_EQ(MapState.BorderVariable, 4);
        EXPECT_EQ(MapState.SigleSet, 2);
        EXPECT_EQ(MapState.VariableBorderWidth, 50);
        EXPECT_EQ(MapState.ShowSigle, 1);
        EXPECT_EQ(MapState.ZeroIsWhite, 0);
        EXPECT_EQ(MapState.ShowVariableBorders, 1);
        EXPECT_EQ(MapState.PixelWidth, 1200);
        EXPECT_EQ(MapState.MapHeight, 900);
        EXPECT_EQ(MapState.CentreTargetY, 437);
        EXPECT_EQ(MapState.LegendX, 30);
        EXPECT_EQ(MapState.LegendY, -4);
        EXPECT_DOUBLE_EQ(MapClassThresholds.Limits[0], 2.5);
        EXPECT_DOUBLE_EQ(MapClassThresholds.Limits[6], 1000);
        EXPECT_EQ(MapClassThresholds.Limits[3], -99999999);
        EXPECT_EQ(MapClassThresholds.Title, "Abitanti");
    }
    EXPECT_EQ(ReadBytes(Prog("tg1-glar.dat")).size(), 94u);
    EXPECT_EQ(ReadBytes(Prog("op1-glar.dat")).size(), 23u);
}

// A named option file holds no class limits: loading it keeps the user's limits and title, and
// the working set saved afterwards still has them.
TEST_F(MapOptions, NamedOptionFileKeepsTheLimits) {
    const std::string named = dir / "mia.opz";
    MapClassThresholds.Limits[0] = 5;
    MapClassThresholds.Title = "x";
    MapState.ClassMode = 2;
    SaveMapOptions(2, named);
    EXPECT_EQ(ReadBytes(named).size(), 23u);
    MapState.ClassMode = 1;
    LoadMapOptions(2, named);
    EXPECT_EQ(MapState.ClassMode, 2);
    EXPECT_EQ(MapClassThresholds.Limits[0], 5);
    EXPECT_EQ(MapClassThresholds.Title, "x");
    SaveMapOptions(0, "");
    MapClassThresholds = {};
    LoadMapOptions(0, "");
    EXPECT_EQ(MapClassThresholds.Limits[0], 5);
    EXPECT_EQ(MapClassThresholds.Title, "x");
}

TEST_F(MapOptions, ShortOptionFileLoadsWhatItHolds) {
    // 20 bytes: every flag set, class mode 3, then 7, 8, 9.
    WriteBytes(Prog("opz-glar.dat"), std::string(16, '\x01') + Hex("03 07 08 09"));
    LoadMapOptions(0, "");
    EXPECT_EQ(MapState.UnitBorders, 1);
    EXPECT_EQ(MapState.ZeroIsWhite, 1);
    EXPECT_EQ(MapState.ClassMode, 3);
    EXPECT_EQ(MapState.AggregationVariable, 7);
    EXPECT_EQ(MapState.BorderVariable, 8);
    EXPECT_EQ(MapState.SigleSet, 9);
    EXPECT_EQ(MapState.VariableBorderWidth, 2);
    EXPECT_EQ(MapState.ShowVariableBorders, 0);
    EXPECT_EQ(MapState.Automatic, 0);

    // 5 bytes: the missing flags read as false, the values keep their defaults.
    WriteBytes(Prog("opz-glar.dat"), Hex("00 02 00 00 01"));
    LoadMapOptions(0, "");
    EXPECT_EQ(MapState.ColourByClass, 1);
    EXPECT_EQ(MapState.ShowNames, 1);
    EXPECT_EQ(MapState.FrameLine, 0);
    EXPECT_EQ(MapState.ShowLegend, 0);
    EXPECT_EQ(MapState.ClassMode, 1);
}

TEST_F(MapOptions, ValuesTooLargeForTheirByteAreStoredAsNone) {
    LoadMapOptions(0, "");
    MapState.ClassMode = 3;
    MapState.AggregationVariable = 256;
    MapState.BorderVariable = -1;
    MapState.SigleSet = 255;
    MapState.VariableBorderWidth = 1000;
    SaveMapOptions(0, "");
    EXPECT_EQ(ToHex(ReadBytes(Prog("opz-glar.dat")).substr(16, 5)), ToHex(Hex("03 00 00 FF 00")));
    // The window values after the option file are still written.
    EXPECT_EQ(ReadBytes(Prog("sel-glar.dat")).size(), 16u);
}

TEST_F(MapOptions, ShortWindowFileCountsAsMissing) {
    WriteBytes(Prog("sel-glar.dat"), Hex("20 03 00 00 58 02 00 00 05 00 00 00"));
    LoadMapOptions(0, "");
    EXPECT_EQ(MapState.PixelWidth, 640);
    EXPECT_EQ(MapState.PixelHeight, 480);
    EXPECT_EQ(MapState.LegendX, 0);

    WriteBytes(Prog("sel-glar.dat"), Hex("20 03 00 00 58 02 00 00 05 00 00 00 06 00 00 00"));
    LoadMapOptions(0, "");
    EXPECT_EQ(MapState.PixelWidth, 800);
    EXPECT_EQ(MapState.PixelHeight, 600);
    EXPECT_EQ(MapState.ViewCentreX, 12800);
    EXPECT_EQ(MapState.LegendX, 5);
    EXPECT_EQ(MapState.LegendY, 6);
}

TEST_F(MapOptions, SaveIntoMissingDirectoryRaises) {
    CoreState.ProgramDir = dir / "absent/";
    EXPECT_THROW(SaveMapOptions(0, ""), IoError);
}

TEST_F(MapOptions, LegendColoursDefaultAndCreated) {
    const std::string path = MapState.TerritoryDir + "leg-colo.dat";
    LoadLegendColours(path);
    EXPECT_EQ(LegendColours[0], 0xFFFFFFu);
    EXPECT_EQ(LegendColours[1], 0xFFFF88u);
    EXPECT_EQ(LegendColours[8], 0u);
    EXPECT_EQ(ProgramColour, 0xFFFF00u);
    EXPECT_EQ(ToHex(ReadBytes(path)),
              ToHex(Hex("FF FF FF 00 88 FF FF 00 00 FF FF 00 00 FF 88 00 00 FF 00 00 00 88 88 00 "
                        "00 88 00 00 00 00 88 00 00 00 00 00")));

    LegendColours[3] = 0x123456;
    ProgramColour = 0x0000FF;
    SaveLegendColours(path);
    LegendColours.fill(0);
    ProgramColour = 0;
    LoadLegendColours(path);
    EXPECT_EQ(LegendColours[3], 0x123456u);
    EXPECT_EQ(LegendColours[0], 0xFFFFFFu);
    EXPECT_EQ(ProgramColour, 0x0000FFu);
    EXPECT_EQ(ToHex(ReadBytes(Prog("sfo-glar.dat"))), ToHex(Hex("FF 00 00 00")));

    // A user colour file: only the colours, the program colour stays.
    WriteLegendColourFile(dir / "LEG MIA.DAT");
    LegendColours.fill(7);
    EXPECT_TRUE(ReadLegendColourFile(dir / "LEG MIA.DAT"));
    EXPECT_EQ(LegendColours[3], 0x123456u);
    EXPECT_FALSE(ReadLegendColourFile(dir / "none.dat"));
    EXPECT_EQ(ProgramColour, 0x0000FFu);
}

}  // namespace
}  // namespace qv

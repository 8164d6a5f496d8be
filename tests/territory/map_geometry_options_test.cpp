#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "support/temp_dir.h"
#include "territory/map_options.h"
#include "territory/map_options_lists.h"
#include "territory/map_rescale.h"
#include "territory/outline_record.h"
#include "territory/scratch_territory.h"
#include "territory/territory_transfer.h"

namespace qv {
namespace {

using namespace test;

class MapGeometryOptions : public test::ScratchTerritory {
  protected:
    void SetUp() override {
        ScratchTerritory::SetUp();
        LoadMapOptions(0, "");
    }
};

// An outline record of capacity c: X, Y and E arrays of int32.
struct Outline {
    int c;
    std::vector<int32_t> x, y, e;
    explicit Outline(int cap, int32_t fill = 0)
        : c(cap), x(size_t(cap), fill), y(size_t(cap), fill), e(size_t(cap), 5) {}
    std::string Bytes() const {
        std::string out;
        for (const auto* a : {&x, &y, &e})
            for (int32_t v : *a) AppendI32(out, v);
        return out;
    }
};

TEST_F(MapGeometryOptions, ListsOfTheDialog) {
    EXPECT_TRUE(ReadSigleSetNames().empty());
    EXPECT_TRUE(ReadAggregationUnits().empty());
    EXPECT_EQ(ReadBorderVariables(), std::vector<std::string>{"Non Selezionato"});

    WriteBytes(Geo("lst-sigl.txt"), "Province;prov\r\nRegioni;reg;x\r\nSenza\r\n");
    EXPECT_EQ(ReadSigleSetNames(), (std::vector<std::string>{"Province", "Regioni", "Senza"}));
    WriteBytes(Geo("sig-zor2.txt"), "ZZZZZtitolo\r\nA0001Comuni\r\n 0001Torino\r\nB0002Province\r\n");
    EXPECT_EQ(ReadAggregationUnits(), (std::vector<std::string>{"Comuni", "Province"}));
    std::string mod(101 * 23, '\0');
    for (int r = 0; r < 23; ++r) {
        const std::string name = "V" + std::to_string(r + 1);
        mod[size_t(r) * 101] = char(name.size());
        mod.replace(size_t(r) * 101 + 1, name.size(), name);
    }
    WriteBytes(Geo("mod-zor.dat"), mod);
    std::vector<std::string> borders = ReadBorderVariables();
    ASSERT_EQ(borders.size(), 22u);
    EXPECT_EQ(borders[1], "V1");
    EXPECT_EQ(borders[21], "V21");
}

TEST_F(MapGeometryOptions, ClassLimitTexts) {
    struct Format {
        double limit;
        int decimals;
        const char* text;
    } formats[] = {
        {12.5, 1, "12.5"}, {-3, 2, "-3.00"}, {1234567.25, 2, "1234567.25"}, {kClassLimitUnset, 2, ""}};
    for (const Format& f : formats) EXPECT_EQ(FormatClassLimit(f.limit, f.decimals), f.text) << f.limit;
    struct Parse {
        const char* text;
        double limit;
    } parses[] = {{"12.50", 12.5},
                  {" 7", 7},
                  {"-0.5", -0.5},
                  {"1e3", 1000},
                  {"", kClassLimitUnset},
                  {"abc", kClassLimitUnset},
                  {"7 ", kClassLimitUnset},
                  {"inf", kClassLimitUnset},
                  {"123456789012345678901", 12345678901234567890.0}};
    for (const Parse& p : parses) EXPECT_EQ(ParseClassLimit(p.text), p.limit) << p.text;
}

TEST_F(MapGeometryOptions, BaseOptionsNeedTheirSize) {
    EXPECT_FALSE(RestoreBaseOptions());
    MapState.MapWidth = 800;
    MapState.MapHeight = 600;
    MapState.ShowNames = 1;
    SaveBaseMapSize();
    EXPECT_EQ(ReadBytes(Prog("dm1-glar.dat")), Hex("20 03 00 00 58 02 00 00"));
    SaveMapOptions(1, "");
    MapState.ShowNames = 0;
    MapState.MapWidth = 640;
    EXPECT_TRUE(RestoreBaseOptions());
    EXPECT_EQ(MapState.ShowNames, 1);
    EXPECT_EQ(MapState.MapWidth, 800);
    EXPECT_EQ(MapState.MapHeight, 600);

    WriteBytes(Prog("dm1-glar.dat"), Hex("20 03 00 00"));
    MapState.ShowNames = 0;
    EXPECT_THROW(RestoreBaseOptions(), IoError);
    EXPECT_EQ(MapState.ShowNames, 0);
}

TEST_F(MapGeometryOptions, TransferBetweenMapAndArchive) {
    TerritoryCount = 5;
    // Codes 1..4: map comuni 3, none, 1, 9000 (out of the map's range); code 5 past the file.
    WriteBytes(Geo("kel-trad.dat"), Hex("03 00 FF FF 01 00 28 23"));
    MapActiveComuni[2] = 1;  // comune 3
    MapActiveComuni[6] = 1;
    TerritorySelection.fill(1);
    TransferTerritorySelection(TerritoryTransfer::MapToArchive);
    EXPECT_EQ((std::vector<int>(TerritorySelection.begin(), TerritorySelection.begin() + 6)),
              (std::vector<int>{1, 0, 0, 0, 0, 1}));

    TerritorySelection[2] = 1;  // code 3, comune 1
    TransferTerritorySelection(TerritoryTransfer::ArchiveToMap);
    // Entries 0..TerritoryCount are cleared first; entry 6 lies past them.
    EXPECT_EQ((std::vector<int>(MapActiveComuni.begin(), MapActiveComuni.begin() + 7)),
              (std::vector<int>{1, 0, 1, 0, 0, 0, 1}));

    std::remove(Geo("kel-trad.dat").c_str());
    EXPECT_THROW(TransferTerritorySelection(TerritoryTransfer::ArchiveToMap), IoError);
    EXPECT_EQ(MapActiveComuni[0], 1);
}

TEST_F(MapGeometryOptions, RescaleHalvesTheGeometry) {
    MapState.ComuneCount = MapState.ValueCount = 3;
    // Comune 1: points (100, 200), (-7, 30), a ring end, (50, -29999), the outline end; label
    // point 320, 240 in Y[16], Y[17]; X[16], X[17] 64, 48; X[18] and Y[18] 999 stay.
    Outline a(20);
    a.x[0] = 100, a.y[0] = 200;
    a.x[1] = -7, a.y[1] = 30;
    a.x[2] = -10000, a.y[2] = -10000;
    a.x[3] = 50, a.y[3] = -29999;
    a.x[4] = -30000;
    a.x[16] = 64, a.x[17] = 48, a.y[16] = 320, a.y[17] = 240;
    a.x[18] = a.y[18] = 999;
    // Comune 2: no outline end; every point (10, 8).
    Outline b(20);
    for (int i = 0; i < 20; ++i) b.x[size_t(i)] = 10, b.y[size_t(i)] = 8;
    WriteBytes(Geo("1-zor.dat"), a.Bytes() + b.Bytes());
    // Comune 3 lies in class 3, whose file is missing.
    WriteBytes(Geo("dov-zor.dat"), Hex("01 01 03"));

    NoProgress progress;
    ASSERT_TRUE(RescaleMapGeometry(640, 320, 480, 240, progress));

    Outline ha(20);
    ha.x[0] = 50, ha.y[0] = 100;
    ha.x[1] = -3, ha.y[1] = 15;
    ha.x[2] = -10000, ha.y[2] = -10000;
    ha.x[3] = 25, ha.y[3] = -14999;
    ha.x[4] = -30000;
    ha.x[16] = 32, ha.x[17] = 24, ha.y[16] = 160, ha.y[17] = 120;
    ha.x[18] = ha.y[18] = 999;
    Outline hb(20);
    for (int i = 0; i < 20; ++i) hb.x[size_t(i)] = 5, hb.y[size_t(i)] = 4;
    hb.x[18] = hb.x[19] = 10, hb.y[18] = hb.y[19] = 8;
    EXPECT_EQ(ToHex(ReadBytes(Geo("1-zor.dat"))), ToHex(ha.Bytes() + hb.Bytes()));

    // Boxes: count, minX, maxX, minY, maxY. Comune 1 stops at its outline end (the fifth point;
    // its y of 0 is the lowest), comune 2 after point 15; comune 3 has none.
    EXPECT_EQ(ToHex(ReadBytes(Geo("mmx-zor.dat"))),
              ToHex(Hex("04 00 00 00 19 00 00 00 32 00 00 00 00 00 00 00 64 00 00 00 "
                        "0E 00 00 00 05 00 00 00 05 00 00 00 04 00 00 00 04 00 00 00 "
                        "00 00 00 00 7F 96 98 00 D0 8A FF FF 7F 96 98 00 D0 8A FF FF")));
    EXPECT_EQ(MapState.PixelWidth, 320);
    EXPECT_EQ(MapState.MapHeight, 240);
    EXPECT_EQ(MapState.CentreTargetY, 107);
    EXPECT_EQ(MapState.ViewCentreX, 5120);
    EXPECT_EQ(CoreState.ProceedFlag, 1);
    EXPECT_EQ(ReadBytes(Prog("sel-glar.dat")), Hex("40 01 00 00 F0 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST_F(MapGeometryOptions, RescaleRefusesBeforeChangingAnything) {
    const std::string outline = Outline(20, 40).Bytes();
    WriteBytes(Geo("1-zor.dat"), outline);
    NoProgress progress;
    struct Case {
        int x1, x2, y1, y2;
    } sizes[] = {{0, 320, 480, 240}, {640, 320, 480, 0}, {640, -1, 480, 240}};
    WriteBytes(Geo("dov-zor.dat"), Hex("01"));
    for (const Case& s : sizes) EXPECT_FALSE(RescaleMapGeometry(s.x1, s.x2, s.y1, s.y2, progress));
    // Without the class of each comune nothing is rescaled.
    std::remove(Geo("dov-zor.dat").c_str());
    EXPECT_THROW(RescaleMapGeometry(640, 320, 480, 240, progress), IoError);
    EXPECT_EQ(ReadBytes(Geo("1-zor.dat")), outline);
    EXPECT_EQ(MapState.PixelWidth, 640);

    // Nor does an input/output error part-way: every file of the base and of the options stays
    // byte for byte (a box file that was not there is not made), the size stays, and no temporary
    // is left beside them.
    WriteBytes(Geo("dov-zor.dat"), Hex("01 02 03 04 05 06 07 08"));
    for (int n = 1; n <= kOutlineFileCount; ++n)
        WriteBytes(OutlineFilePath(n), Outline(OutlineCapacity(n), 40 + n).Bytes());
    SaveMapOptions(0, "");
    auto files = [] {
        std::map<std::string, std::string> all;
        for (const std::string& d : {MapState.TerritoryDir, CoreState.ProgramDir})
            for (const auto& e : std::filesystem::directory_iterator(d)) all[e.path()] = ReadBytes(e.path());
        return all;
    };
    const auto before = files();
    struct Fault {
        IoCall call;
        int nth;
        const char* what;
    } faults[] = {{IoCall::Open, 7, "reading the 5th outline file"},
                  {IoCall::Write, 5, "writing the 5th"},
                  {IoCall::Sync, 5, "syncing the 5th"},
                  {IoCall::Rename, 5, "renaming the 5th over the old one"},
                  {IoCall::Rename, 12, "renaming the last options file"},
                  {IoCall::Sync, 13, "syncing the directory after every rename"}};
    for (const Fault& f : faults) {
        FailIoCallForTest(f.call, f.nth, EIO);
        EXPECT_THROW(RescaleMapGeometry(640, 320, 480, 240, progress), IoError) << f.what;
        ResetIoFaultsForTest();
        EXPECT_EQ(files(), before) << f.what;
        EXPECT_EQ(MapState.PixelWidth, 640) << f.what;
    }
}

}  // namespace
}  // namespace qv

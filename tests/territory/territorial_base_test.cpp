#include "territory/territorial_base.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/records.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"
#include "territory/scratch_territory.h"
#include "territory/tiny_base.h"

namespace qv {
namespace {

using namespace test;

class TerritorialBase : public test::ScratchTerritory {
  protected:
    void SetUp() override {
        ScratchTerritory::SetUp();
        AllocateMapTables();
        AllocateDrawingTables();
    }
    void TearDown() override {
        ReleaseDrawingTables();
        ReleaseMapTables();
    }
};

// Two variables of 100 values (two records each).
std::string Matrix(const std::string& first, const std::string& second) {
    auto run = [](std::string values) {
        values.resize(400, '\0');
        return values;
    };
    return run(first) + run(second);
}

TEST_F(TerritorialBase, AggregationVariableGivesUnits) {
    // Variable 1: stored values 0, -5, 1, 333, 8583, 8584, 340 for comuni 1..7; the first value
    // of variable 2 lies right after comune 100.
    WriteBytes(Geo("ter-zor.dat"), Matrix(Int32s({334, 335}), Int32s({0, -5, 1, 333, 8583, 8584, 340})) +
                                       Int32s({777}) + std::string(396, '\0'));
    MapState.VariableLength = 100;
    MapState.ValueCount = 8100;
    MapValueIndex[150] = 5;

    MapState.AggregationVariable = 0;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    EXPECT_EQ(MapValueIndex[1], 1);
    EXPECT_EQ(MapValueIndex[2], 2);
    EXPECT_EQ(MapValueIndex[3], 0);
    EXPECT_EQ(MapValueIndex[150], 0);  // cleared, beyond the variable

    MapState.AggregationVariable = 1;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    const int32_t expected[] = {0, 0, 0, 0, 0, 8250, 0, 7};
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(MapValueIndex[size_t(k)], expected[k]) << "comune " << k;
    // Comuni beyond the variable's 100 values take no unit, not the next variable's values.
    EXPECT_EQ(MapValueIndex[101], 0);

    MapState.ValueCount = 1;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    EXPECT_EQ(MapValueIndex[7], 0);  // only comuni 1..ValueCount take a value
}

TEST_F(TerritorialBase, BorderVariableKeepsLow16Bits) {
    WriteBytes(Geo("ter-zor.dat"), Matrix(Int32s({1}), Int32s({0x00010005, -1})));
    MapState.VariableLength = 100;
    MapState.BorderVariable = 0;
    LoadTerritorialVariable(TerritorialReading::Borders);
    EXPECT_EQ(MapBorderValues[1], 0);  // no border variable: nothing read

    MapState.BorderVariable = 2;
    LoadTerritorialVariable(TerritorialReading::Borders);
    EXPECT_EQ(MapBorderValues[1], 5);
    EXPECT_EQ(MapBorderValues[2], 0xFFFF);

    // A variable length beyond the tables reads, but fills only comuni 1..8250.
    WriteBytes(Geo("ter-zor.dat"), std::string(2 * 200 * 200, '\1'));
    MapState.VariableLength = 10000;
    MapState.BorderVariable = 1;
    LoadTerritorialVariable(TerritorialReading::Borders);
    EXPECT_EQ(MapBorderValues[kMaxMapComune], 0x0101);
}

TEST_F(TerritorialBase, RequiredFilesMissingOrShort) {
    MapState.VariableLength = 100;
    EXPECT_THROW(LoadTerritorialVariable(TerritorialReading::Aggregation), IoError);
    WriteBytes(Geo("ter-zor.dat"), std::string(399, '\0'));
    EXPECT_THROW(LoadTerritorialVariable(TerritorialReading::Aggregation), IoError);
    EXPECT_THROW(ReadComuneTranslation(), IoError);
    EXPECT_THROW(LoadSigle(), IoError);
    EXPECT_THROW(BuildUnitNames(), IoError);
}

TEST_F(TerritorialBase, TranslationTable) {
    std::string records;
    for (int16_t v : {5, -1, 8300}) AppendI16(records, v);
    WriteBytes(Geo("kel-trad.dat"), records);
    std::vector<int32_t> table = ReadComuneTranslation();
    ASSERT_EQ(table.size(), size_t(kMapTableSize));
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 5);
    EXPECT_EQ(table[2], -1);
    EXPECT_EQ(table[3], 8300);
    EXPECT_EQ(table[4], -1);  // beyond the file

    // More than 8250 records: only the first 8250 are taken.
    WriteBytes(Geo("kel-trad.dat"), std::string(2 * 9000, '\2'));
    table = ReadComuneTranslation();
    EXPECT_EQ(table[kMaxMapComune], 0x0202);
}

TEST_F(TerritorialBase, SigleOfTheChosenSet) {
    WriteBytes(Geo("lst-sigl.txt"), "Regioni;reg\r\nProvince;prov\r\nSenza punto e virgola\r\n");
    WriteBytes(Geo("prov.txt"),
               "  12 TO   \r\n0007 AO\r\n9999xLungaSiglaDiTrentaCaratteriEOltre\r\n  x  NO\r\n");
    WriteBytes(Geo("Senza punto e virgola.txt"), "   3 SV\r\n");
    CoreState.OtherArchiveDir = "/archivi/collegato/";
    MapState.SigleSet = 1;
    MapState.ComuneNumberOffset = 2;
    std::vector<SiglaEntry> sigle = LoadSigle();
    ASSERT_EQ(sigle.size(), 4u);
    EXPECT_EQ(sigle[0].Comune, 10);
    EXPECT_EQ(sigle[0].Text, "TO");
    EXPECT_EQ(sigle[1].Comune, 5);
    EXPECT_EQ(sigle[2].Comune, 9997);
    EXPECT_EQ(sigle[2].Text, "LungaSiglaDiTrentaCaratteriEOl");  // characters 6-35
    EXPECT_EQ(sigle[3].Comune, -2);                              // not a number: code 0
    // The other archive's directory is still the linked archive's.
    EXPECT_EQ(CoreState.OtherArchiveDir, "/archivi/collegato/");

    MapState.SigleSet = 2;  // no ';': the whole line names the set
    sigle = LoadSigle();
    ASSERT_EQ(sigle.size(), 1u);
    EXPECT_EQ(sigle[0].Text, "SV");

    MapState.SigleSet = 3;  // no such line
    EXPECT_THROW(LoadSigle(), IoError);

    // At most 1000 lines.
    std::string many;
    for (int i = 0; i < 1200; ++i) many += "   1 X\r\n";
    WriteBytes(Geo("reg.txt"), many);
    MapState.SigleSet = 0;
    EXPECT_EQ(LoadSigle().size(), 1000u);
}

TEST_F(TerritorialBase, UnitNamesOfTheAggregationVariable) {
    WriteBytes(
        Geo("sig-zor2.txt"),
        "Unita' territoriali\r\n000c Comuni\r\n 00001Alfa\r\n 00002Beta con un nome piu' lungo di trenta\r\n"
        "001q Province\r\n 00001Nord\r\n 00002Sud\r\n");
    auto record = [](const std::string& name) {
        std::string r = name;
        r.resize(30, ' ');
        r.resize(101, '\0');
        return r;
    };
    MapState.AggregationVariable = 1;
    BuildUnitNames();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt"), record("Nord") + record("Sud"));

    // The next header ends the list and is written as its last record.
    MapState.AggregationVariable = 0;
    BuildUnitNames();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt"),
              record("Alfa") + record("Beta con un nome piu' lungo di") + record("rovince"));

    MapState.AggregationVariable = 5;  // no such variable: nothing listed
    BuildUnitNames();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt"), "");
}

TEST_F(TerritorialBase, FontHeightsAndColours) {
    LoadMapFonts();
    for (int32_t h : MapFontHeights) EXPECT_EQ(h, 8);
    WriteBytes(Geo("car-tres.dat"), Int32s({11, 12, 13, 14, 110, 120, 130, 140}));
    LoadMapFonts();
    EXPECT_EQ(MapFontHeights, (std::array<int32_t, 8>{11, 12, 13, 14, 110, 120, 130, 140}));
    WriteBytes(Geo("car-tres.dat"), Int32s({20, 21, 22, 23}));  // the screen record only
    LoadMapFonts();
    EXPECT_EQ(MapFontHeights, (std::array<int32_t, 8>{20, 21, 22, 23, 8, 8, 8, 8}));

    // Without a colour file, or with a short one, the map is drawn in the default colours.
    MapColours.fill(7);
    LoadMapColours();
    EXPECT_EQ(MapColours, kDefaultLegendColours);
    WriteBytes(Geo("leg-colo.dat"), Int32s({0xFFFFFF, 1, 2, 3, 4, 5, 6, 7, 0x880000}));
    LoadMapColours();
    EXPECT_EQ(MapColours[0], 0xFFFFFFu);
    EXPECT_EQ(MapColours[8], 0x880000u);
    WriteBytes(Geo("leg-colo.dat"), std::string(35, '\0'));
    LoadMapColours();
    EXPECT_EQ(MapColours, kDefaultLegendColours);
}

TEST_F(TerritorialBase, ComuneNames) {
    WriteBytes(Geo("cmn-zor2.dat"),
               test::NameRecord("Abano Terme   ") + test::NameRecord(std::string(37, 'x')));
    RecordFile names;
    OpenMapComuneNames(names);
    EXPECT_EQ(ReadMapComuneName(names, 0), "Abano Terme");
    EXPECT_EQ(ReadMapComuneName(names, 1), std::string(37, 'x'));
    EXPECT_THROW(ReadMapComuneName(names, 2), IoError);
}

}  // namespace
}  // namespace qv

#include "territory/manual_selection.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/io_error.h"
#include "selection/saved_search_files.h"
#include "support/records.h"
#include "support/temp_dir.h"
#include "territory/scratch_territory.h"

namespace qv {
namespace {

using namespace test;

class ManualSelection : public test::ScratchTerritory {
  protected:
    void SetUp() override {
        ScratchTerritory::SetUp();
        TerritoryCount = 12;
        WriteBytes(Prog("ini-prov.imp"), "   1 Alfa\r\n   5 Beta\r\n  10 Gamma\r\n");
    }
    static std::vector<int> Selected() {
        std::vector<int> codes;
        for (int c = 1; c <= TerritoryCount; ++c)
            if (TerritorySelection[size_t(c - 1)]) codes.push_back(c);
        return codes;
    }
    // Centroids of codes 1.. as x, y pairs of 16-bit words.
    void WriteCentroids(const std::string& hex) { WriteBytes(Prog("dli-poli.dat"), Hex(hex)); }
};

TEST_F(ManualSelection, ProvinceTableAndMarks) {
    TerritorySelection[5] = 1;  // code 6, in Beta
    ProvinceTable t = ReadProvinceTable();
    EXPECT_EQ(t.firstValid, 0);
    // The end mark lets the last province run to the last code.
    EXPECT_EQ((std::vector<int>{ProvinceStartTable[0], ProvinceStartTable[1], ProvinceStartTable[2],
                                ProvinceStartTable[3]}),
              (std::vector<int>{1, 5, 10, 13}));
    EXPECT_EQ(ProvinceListItems(t), (std::vector<std::string>{"-  Alfa", "-> Beta", "-  Gamma"}));
    struct Case {
        int code, line;
    } cases[] = {{1, 0}, {4, 0}, {5, 1}, {9, 1}, {10, 2}, {12, 2}, {0, -1}, {13, -1}};
    for (const Case& c : cases) EXPECT_EQ(ProvinceContaining(t, c.code), c.line) << c.code;
    EXPECT_EQ(ProvinceCodes(2).first, 10);
    EXPECT_EQ(ProvinceCodes(2).last, 12);

    // A province whose comuni are all cleared loses its mark.
    TerritorySelection[5] = 0;
    MarkProvinces(t);
    EXPECT_EQ(ProvinceListItems(t)[1], "-  Beta");
}

TEST_F(ManualSelection, LinesWithoutAValidStartAreNotListed) {
    WriteBytes(Prog("ini-prov.imp"), "   0 Vuota\r\n   1 Alfa\r\n  99 Fuori\r\n   7 Beta\r\n");
    TerritorySelection[0] = 1;
    ProvinceTable t = ReadProvinceTable();
    EXPECT_EQ(t.firstValid, 1);
    EXPECT_EQ(t.listed, (std::vector<int>{1, 3}));
    EXPECT_EQ(ProvinceListItems(t), (std::vector<std::string>{"-> Alfa", "-  Beta"}));
    // Alfa runs to the next valid start; the damaged line holds nothing.
    EXPECT_EQ(ProvinceCodes(1).last, 6);
    EXPECT_EQ(ProvinceContaining(t, 7), 3);
    // The shown province counts from the first valid line; an index naming none shows the first.
    CoreState.ProvinceIndex = 2;
    EXPECT_EQ(ShownProvince(t), 3);
    EXPECT_EQ(ListPosition(t, 3), 1);
    CoreState.ProvinceIndex = 40;
    EXPECT_EQ(ShownProvince(t), 1);
}

TEST_F(ManualSelection, MissingProvinceFileIsAnError) {
    std::remove(Prog("ini-prov.imp").c_str());
    EXPECT_THROW(ReadProvinceTable(), IoError);
}

TEST_F(ManualSelection, ComuneNamesAndSearchList) {
    std::string names;
    for (const char* n : {"Ceva", "Alba", "", "Bra"}) names += NameRecord(n);
    WriteBytes(Prog("cmn-zor2.dat"), names);
    EXPECT_EQ(ComuneNames({2, 4}), (std::vector<std::string>{"Alba", "", "Bra"}));
    EXPECT_THROW(ComuneNames({4, 5}), IoError);

    // Alphabetical index: the nameless code 3 first, then 2, 4, a code out of range, 1.
    WriteBytes(Prog("di-alfac.dat"), Hex("03 00 02 00 04 00 63 00 01 00"));
    ComuneSearchList list = ReadComuneSearchList();
    EXPECT_EQ(list.names, (std::vector<std::string>{"Alba", "Bra", "Ceva"}));
    EXPECT_EQ(list.records, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(AlphabeticalCode(4), 1);
    EXPECT_THROW(AlphabeticalCode(5), IoError);

    // A list of its own is taken line by line.
    WriteBytes(Prog("zor3.txt"), "Uno\r\nDue\r\n");
    list = ReadComuneSearchList();
    EXPECT_EQ(list.names, (std::vector<std::string>{"Uno", "Due"}));
    EXPECT_EQ(list.records, (std::vector<int>{0, 1}));
}

TEST_F(ManualSelection, DistanceRadius) {
    // Code 1 (10, 10) chosen; 2 (13, 11) at 3 + 2 = 5; 3 (10, 10) at 0; 4 (9, 8) at 1 + 4 = 5;
    // 5 not placed on the map; 6 (10, 13) at 6.
    WriteCentroids("0A 00 0A 00 0D 00 0B 00 0A 00 0A 00 09 00 08 00 D0 8A 0A 00 0A 00 0D 00");
    struct Case {
        int radius;
        std::vector<int> codes;
    } cases[] = {{5, {1, 2, 3, 4}}, {4, {1, 3}}, {0, {1, 3}}, {6, {1, 2, 3, 4, 6}}, {-1, {}}};
    for (const Case& c : cases) {
        TerritorySelection[11] = 1;  // cleared by every run
        ApplyKmRadius(1, c.radius);
        EXPECT_EQ(Selected(), c.codes) << c.radius;
    }
    // Codes past the file's pairs have no centroid; a chosen one selects itself alone.
    ApplyKmRadius(8, 100);
    EXPECT_EQ(Selected(), std::vector<int>{8});
    ApplyKmRadius(5, 100);
    EXPECT_EQ(Selected(), std::vector<int>{5});
    // No territory code: nothing changes.
    ApplyKmRadius(0, 100);
    EXPECT_EQ(Selected(), std::vector<int>{5});
    // Without the program directory's copy nothing is measured, not even with the map window's
    // pixel positions beside the base, and the selection stays as it was.
    const std::string centroids = ReadBytes(Prog("dli-poli.dat"));
    std::remove(Prog("dli-poli.dat").c_str());
    MapState.TerritoryDir = dir.MakeDir("geolar");
    WriteBytes(MapState.TerritoryDir + "dli-poli.dat", centroids);
    EXPECT_THROW(ApplyKmRadius(1, 4), IoError);
    EXPECT_EQ(Selected(), std::vector<int>{5});
}

TEST_F(ManualSelection, SetCountAndCondition) {
    SetTerritoryCodes({10, 20}, true);
    EXPECT_EQ(Selected(), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(TerritorySelection[12], 0);
    EXPECT_EQ(CountSelectedCodes({1, 10}), 1);
    // The condition goes on the current field when territorial, else on the first territorial
    // one, never on a field of another type.
    CoreState.FieldCount = 9;
    FieldTypes[4] = FieldTypes[7] = 3;
    struct Case {
        int current;
        int marked;
    } cases[] = {{7, 7}, {4, 4}, {2, 4}, {0, 4}};
    for (const Case& c : cases) {
        FieldInCondition.fill(0);
        CoreState.CurrentField = c.current;
        MarkTerritoryCondition();
        for (int f = 1; f <= 9; ++f) EXPECT_EQ(FieldInCondition[f], f == c.marked ? 1 : 0) << c.current;
    }
    SetTerritoryCodes({1, 12}, false);
    MarkTerritoryCondition();
    EXPECT_EQ(FieldInCondition[4], 0);
    FieldTypes[4] = FieldTypes[7] = 0;
    FieldInCondition[2] = 1;
    MarkTerritoryCondition();  // no territorial field: nothing to mark
    EXPECT_EQ(FieldInCondition[2], 1);
}

TEST_F(ManualSelection, SavedRunsRestoreExactly) {
    for (int c : {3, 4, 5, 9}) TerritorySelection[size_t(c - 1)] = 1;
    SaveTerritorialSelection(Prog("a.tun"));
    EXPECT_EQ(ReadBytes(Prog("a.tun")), Hex("03 00 05 00 09 00 09 00"));
    SetTerritoryCodes({1, 12}, true);
    LoadTerritorialSelection(Prog("a.tun"));
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4, 5, 9}));
}

}  // namespace
}  // namespace qv

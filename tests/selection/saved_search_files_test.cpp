#include "selection/saved_search_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::Hex;
using test::ReadBytes;
using test::TempDir;
using test::ToHex;
using test::WriteBytes;

// Selected codes up to one past the archive's last (8101).
std::vector<int> SelectedCodes() {
    std::vector<int> codes;
    for (int c = 1; c <= 8102; ++c)
        if (TerritorySelection[size_t(c - 1)]) codes.push_back(c);
    return codes;
}

class SavedSearchFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        TerritoryCount = 8101;
    }
    static void Select(std::initializer_list<int> codes) {
        TerritorySelection.fill(0);
        for (int c : codes) TerritorySelection[size_t(c - 1)] = 1;
    }
    TempDir dir;
};

TEST(SavedSearchFileNameTest, ExtensionOfTheFileNameIsReplaced) {
    struct Case {
        const char* chosen;
        const char* extension;
        const char* saved;
    };
    const Case cases[] = {
        {"/d/x.sta", ".sta", "/d/x.sta"},
        {"/d/x", ".sta", "/d/x.sta"},
        {"/d/x.dat", ".sta", "/d/x.sta"},
        {"/d/x.sta", ".con", "/d/x.con"},
        {"/d/x.y.z", ".con", "/d/x.y.con"},
        {"/home/u/quorvanta.tv/ricerca", ".sta", "/home/u/quorvanta.tv/ricerca.sta"},
        {"/home/u/quorvanta.tv/r.1", ".STA", "/home/u/quorvanta.tv/r.STA"},
        {"x", ".sta", "x.sta"},
    };
    for (const Case& c : cases) EXPECT_EQ(SavedSearchFileName(c.chosen, c.extension), c.saved) << c.chosen;
    // Long paths are kept whole.
    const std::string deep = "/" + std::string(150, 'a') + "/b.dat";
    EXPECT_EQ(SavedSearchFileName(deep, ".sta"), "/" + std::string(150, 'a') + "/b.sta");
}

TEST_F(SavedSearchFilesTest, TerritorialSelectionRunsAsWords) {
    struct Case {
        std::vector<int> codes;
        const char* bytes;
    };
    const Case cases[] = {
        {{3, 4, 5, 9}, "03 00 05 00 09 00 09 00"},
        {{}, ""},
        {{1, 8101}, "01 00 01 00 A5 1F A5 1F"},
        {{255, 256, 257}, "FF 00 01 01"},
    };
    for (const Case& c : cases) {
        TerritorySelection.fill(0);
        for (int code : c.codes) TerritorySelection[size_t(code - 1)] = 1;
        // Flags past the archive's codes are not part of the selection.
        TerritorySelection[8101] = 1;
        SaveTerritorialSelection(dir / "t.tun");
        EXPECT_EQ(ToHex(ReadBytes(dir / "t.tun")), ToHex(Hex(c.bytes)));

        TerritorySelection.fill(1);
        LoadTerritorialSelection(dir / "t.tun");
        std::vector<int> expected = c.codes;
        expected.push_back(8102);  // beyond the archive's codes: left alone
        EXPECT_EQ(SelectedCodes(), expected);
    }
}

TEST_F(SavedSearchFilesTest, TerritorialSelectionSkipsPairsOutsideTheCodes) {
    // (5, 3) backwards, (0, 2) from code 0, (8100, 8102) past the last code, (-1, 4) negative,
    // then (7, 8) and (8101, 8101) valid.
    WriteBytes(dir / "t.tun", Hex("05 00 03 00 00 00 02 00 A4 1F A6 1F FF FF 04 00 07 00 08 00 A5 1F A5 1F"));
    Select({1, 2, 3, 4, 5});
    LoadTerritorialSelection(dir / "t.tun");
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{7, 8, 8101}));

    WriteBytes(dir / "empty.tun", "");
    LoadTerritorialSelection(dir / "empty.tun");
    EXPECT_TRUE(SelectedCodes().empty());
}

TEST_F(SavedSearchFilesTest, BrokenTerritorialSelectionChangesNothing) {
    Select({2, 6});
    WriteBytes(dir / "odd.tun", Hex("01 00 09 00 03"));
    EXPECT_THROW(LoadTerritorialSelection(dir / "odd.tun"), IoError);
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{2, 6}));
    EXPECT_THROW(LoadTerritorialSelection(dir / "missing.tun"), IoError);
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{2, 6}));
    // A first code without its last one.
    WriteBytes(dir / "half.tun", Hex("01 00 02 00 05 00"));
    EXPECT_THROW(LoadTerritorialSelection(dir / "half.tun"), IoError);
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{2, 6}));
}

TEST_F(SavedSearchFilesTest, DistributionOfTheChosenTable) {
    TerritoryCount = 3;
    StatisticsTables[0][1] = 9;
    StatisticsTables[1][0] = 77;  // code 0 is not written
    StatisticsTables[1][1] = 5;
    StatisticsTables[1][2] = -1;
    StatisticsTables[1][3] = 0x01020304;
    StatisticsTables[1][4] = 66;  // past the archive's codes
    StatisticsTables[2][2] = 2;
    struct Case {
        int table;
        const char* bytes;
    };
    const Case cases[] = {
        {1, "05 00 00 00 FF FF FF FF 04 03 02 01"},
        {0, "09 00 00 00 00 00 00 00 00 00 00 00"},
        {2, "00 00 00 00 02 00 00 00 00 00 00 00"},
        {3, "09 00 00 00 00 00 00 00 00 00 00 00"},  // no such table: all cards
        {-1, "09 00 00 00 00 00 00 00 00 00 00 00"},
    };
    for (const Case& c : cases) {
        CoreState.DistributionTable = c.table;
        SaveTerritorialDistribution(dir / "y");
        EXPECT_EQ(ToHex(ReadBytes(dir / "y")), ToHex(Hex(c.bytes))) << c.table;
    }
    TerritoryCount = 8101;
    SaveTerritorialDistribution(dir / "y");
    EXPECT_EQ(ReadBytes(dir / "y").size(), 32404u);
    EXPECT_THROW(SaveTerritorialDistribution(dir / "no/such/dir/y"), IoError);
}

}  // namespace
}  // namespace qv

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

using namespace test;

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

TEST_F(SavedSearchFilesTest, TerritorialSelectionIsReadWholeOrNotAtAll) {
    struct Case {
        const char* what;
        const char* bytes;  // nullptr: no file
        bool fails;         // then the selection stays as it was
        std::vector<int> selected;
    } cases[] = {
        // (5, 3) backwards, (0, 2) from code 0, (8100, 8102) past the last code, (-1, 4) negative,
        // then (7, 8) and (8101, 8101) valid.
        {"pairs outside the codes skipped",
         "05 00 03 00 00 00 02 00 A4 1F A6 1F FF FF 04 00 07 00 08 00 A5 1F A5 1F",
         false,
         {7, 8, 8101}},
        {"empty", "", false, {}},
        {"odd length", "01 00 09 00 03", true, {2, 6}},
        {"missing", nullptr, true, {2, 6}},
        {"a first code without its last one", "01 00 02 00 05 00", true, {2, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir / (c.bytes ? "t.tun" : "missing.tun");
        if (c.bytes) WriteBytes(path, Hex(c.bytes));
        Select({2, 6});
        if (c.fails) {
            EXPECT_THROW(LoadTerritorialSelection(path), IoError);
        } else {
            LoadTerritorialSelection(path);
        }
        EXPECT_EQ(SelectedCodes(), c.selected);
    }
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

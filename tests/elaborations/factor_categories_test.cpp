#include "elaborations/factor_categories.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

std::vector<int> SetFlags(const FlagList& flags) {
    std::vector<int> set;
    for (int i = 0; i < kFlagListSize; ++i)
        if (flags[size_t(i)]) set.push_back(i);
    return set;
}

std::string ManyLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "C*1=1,1;\r\n";
    return text;
}

class FactorCategoriesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
    }
    void TearDown() override { ResetProgramState(); }
    TempDir dir;
};

TEST_F(FactorCategoriesTest, ListEntriesByRoad) {
    struct Case {
        const char* grid;    // "grl-sch.txt" and "grl-dat.txt"
        const char* extras;  // "agg-dat.txt"; nullptr: none
        int standard, quick;
    } cases[] = {
        {nullptr, nullptr, 0, 0},
        {"A*1=1,1;G0S0\r\nB*=2,2;\r\n", nullptr, 2, 2},
        // Two lines per additional variable; a lone last line is one more.
        {"A*1=1,1;G0S0\r\nB*=2,2;\r\n", "#X\r\nregola\r\n#Y\r\nregola\r\n#Z\r\n", 2, 5},
        {nullptr, "#X\r\nregola\r\n", 0, 1},
    };
    for (const Case& c : cases) {
        for (const char* name : {"grl-sch.txt", "grl-dat.txt", "agg-dat.txt"})
            std::remove((dir / name).c_str());
        if (c.grid) {
            WriteBytes(dir / "grl-sch.txt", c.grid);
            WriteBytes(dir / "grl-dat.txt", c.grid);
        }
        if (c.extras) WriteBytes(dir / "agg-dat.txt", c.extras);
        EXPECT_EQ(CountAfcListEntries(FactorRoad::Standard), c.standard) << c.standard << c.quick;
        EXPECT_EQ(CountAfcListEntries(FactorRoad::Quick), c.quick) << c.standard << c.quick;
    }
    // No more than 4000 entries.
    WriteBytes(dir / "grl-sch.txt", ManyLines(4100));
    WriteBytes(dir / "grl-dat.txt", ManyLines(3999));
    WriteBytes(dir / "agg-dat.txt", "#X\r\nr\r\n#Y\r\nr\r\n");
    EXPECT_EQ(CountAfcListEntries(FactorRoad::Standard), 4000);
    EXPECT_EQ(CountAfcListEntries(FactorRoad::Quick), 4000);
}

TEST_F(FactorCategoriesTest, RunListsSaveAndRecallTheChoice) {
    FlagList& flags = StandardAfcCategoryFlags;
    for (int i : {0, 1, 2, 3, 4, 7, 12}) flags[size_t(i)] = 1;
    SaveAfcRunList(dir / "scelta.raf", flags, 9);  // line 13 is past the list
    EXPECT_EQ(ReadBytes(dir / "scelta.raf"), Hex("00 00 04 00 07 00 07 00"));
    flags.fill(0);
    SaveAfcRunList(dir / "vuota.raf", flags, 9);
    EXPECT_EQ(ReadBytes(dir / "vuota.raf"), "");

    // Recalled on another list: the list's flags are replaced; runs past its end are cut.
    FlagList& other = QuickAfcCategoryFlags;
    other[5] = other[20] = 1;
    LoadAfcRunList(dir / "scelta.raf", other, 10);
    EXPECT_EQ(SetFlags(other), (std::vector<int>{0, 1, 2, 3, 4, 7, 20}));
    WriteBytes(dir / "strana.raf", Hex("02 00 06 00 09 00 01 00 05 00 A0 0F FF FF FF FF 03"));
    LoadAfcRunList(dir / "strana.raf", other, 7);
    EXPECT_EQ(SetFlags(other), (std::vector<int>{2, 3, 4, 5, 6, 7, 20}));

    // A file that does not open leaves the list cleared.
    EXPECT_THROW(LoadAfcRunList(dir / "manca.raf", other, 7), IoError);
    EXPECT_EQ(SetFlags(other), std::vector<int>{20});
}

TEST_F(FactorCategoriesTest, ConnectionsReportNamesTheRowCategories) {
    const std::string report =
        "\r\n"
        "-------------------------------------------------\r\n"
        "\r\n"
        " Maschi\r\n"
        "\r\n"
        "chi quadro      phi\r\n"
        "\r\n"
        "   12.34  0.456 (   3) ( 50.00%/ 10.00%) Nord\r\n"
        "    9.10  0.301 (  17) ( 40.00%/ 12.00%) Sud\r\n"
        "                - - - - - - - - -\r\n"
        "    7.00 -0.250 (   3) ( 10.00%/ 30.00%) Nord\r\n"
        "    7.00 -0.250 (  -2) ( 10.00%/ 30.00%) sbagliata\r\n"
        "    7.00 -0.250 ( 1x2) ( 10.00%/ 30.00%) sbagliata\r\n"
        "    7.00 -0.250 (  40) ( 10.00%/ 30.00%) oltre la lista\r\n"
        "    7.00 -0.250 (   0) ( 10.00%/ 30.00%) nessuna\r\n"
        "    7.00 -0.250 ( 20";
    WriteBytes(dir / "conn.txt", report);
    FlagList& flags = StandardAfcCategoryFlags;
    flags[0] = flags[30] = 1;
    EXPECT_TRUE(ReadConnectionsFile(dir / "conn.txt", flags, 19));
    // Flags past the list are not the list's to clear.
    EXPECT_EQ(SetFlags(flags), (std::vector<int>{2, 16, 19, 30}));

    flags[5] = 1;
    EXPECT_FALSE(ReadConnectionsFile(dir / "manca.txt", flags, 19));
    EXPECT_EQ(SetFlags(flags), std::vector<int>{30});
}

}  // namespace
}  // namespace qv

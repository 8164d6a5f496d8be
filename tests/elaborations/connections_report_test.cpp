#include "elaborations/connections_report.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "support/count_table.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using Record = test::CountRecord;

// Sex (1-2), zone (3-4), age (5-7). Columns: the north (line 3) and the young (line 5).
const char* const kGrid =
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "Nord*2=1,1;G0S0\r\n"
    "Sud*=2,2;\r\n"
    "Giovani*3=0,30;G0S0\r\n"
    "Anziani*=60,99;\r\n"
    "Uomini*=31,59;\r\n";

// Twenty cards: 8 in the north, 5 young.
const std::vector<Record> kCounts = {
    {0, 8, 5, 0, 0, 0, 0, 0, 0, 0, 0, 20},  // column totals, grand total
    {0, 7, 1, 0, 0, 0, 0, 0, 0, 0, 0, 10},  // Maschi
    {0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 10},  // Femmine
    {0, 8, 2, 0, 0, 0, 0, 0, 0, 0, 0, 8},   // Nord
    {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 12},  // Sud
    {0, 2, 5, 0, 0, 0, 0, 0, 0, 0, 0, 5},   // Giovani
    {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},   // Anziani
    {0, 7, 2, 0, 0, 0, 0, 0, 0, 0, 0, 10},  // Uomini
    {0, 3, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0},   // the columns' lines
};

// Worked out from the 2x2 tables as the sum of (O - E)^2 / E over the four cells:
// a  = cards in row and column, b = column - a, c = row - a, d = 20 - row - b.
// North: Maschi a7 b1 c3 d9 -> 7.5; Femmine a1 b7 c9 d3 -> 7.5 (fewer than E 4); Nord 20;
// Sud 20 (negative); Giovani a2 = E 2 -> 0; Anziani a3 b5 c3 d9 -> 0.357; Uomini as Maschi.
// Young: Maschi a1 b4 c9 d6 -> 2.4 (negative); Femmine 2.4; Nord and Sud at E -> 0; Giovani 20;
// Anziani a0 b5 c6 d9 -> 2.857 (negative); Uomini a2 b3 c8 d7 -> 0.267 (negative, E 2.5).
// phi = sqrt(chi / 20); p1 = a / column; p2 = c / (20 - column).
const char* const kNorth[] = {
    "   20.00  1.000 (   3) (100.00%/  0.00%) Nord",     //
    "    7.50  0.612 (   1) ( 87.50%/ 25.00%) Maschi",   //
    "    7.50  0.612 (   7) ( 87.50%/ 25.00%) Uomini",   //
    "    0.36  0.134 (   6) ( 37.50%/ 25.00%) Anziani",  //
    "    0.00  0.000 (   5) ( 25.00%/ 25.00%) Giovani",  //
    "    7.50 -0.612 (   2) ( 12.50%/ 75.00%) Femmine",  //
    "   20.00 -1.000 (   4) (  0.00%/100.00%) Sud",
};
const char* const kYoung[] = {
    "   20.00  1.000 (   5) (100.00%/  0.00%) Giovani",  //
    "    2.40  0.346 (   2) ( 80.00%/ 40.00%) Femmine",  //
    "    0.00  0.000 (   3) ( 40.00%/ 40.00%) Nord",     //
    "    0.00  0.000 (   4) ( 60.00%/ 60.00%) Sud",      //
    "    0.27 -0.115 (   7) ( 40.00%/ 53.33%) Uomini",   //
    "    2.40 -0.346 (   1) ( 20.00%/ 60.00%) Maschi",   //
    "    2.86 -0.378 (   6) (  0.00%/ 40.00%) Anziani",
};
const std::string kSeparator = std::string(16, ' ') + "- - - - - - - - -";

class ConnectionsTest : public test::CountReportTest {
  protected:
    void SetUp() override {
        CountReportTest::SetUp();
        test::InstallShippedTexts();
        WriteBytes(dir / "grl-sch.txt", kGrid);
        WriteCounts(kCounts);
        StandardColumnFlags.fill(0);
        StandardColumnFlags[2] = StandardColumnFlags[4] = 1;
    }

    static void Rows(std::initializer_list<int> lines) {
        StandardRowFlags.fill(0);
        for (int l : lines) StandardRowFlags[size_t(l) - 1] = 1;
    }

    // The heading block of a column and the lines that follow it.
    static std::string Column(const std::string& label, const std::vector<std::string>& body) {
        std::string s = "\r\n\r\n" + std::string(49, '-') + "\r\n\r\n " + label + "\r\n\r\n" +
                        "  Chi quadro    Phi  (riga)  % col./% riga\r\n\r\n";
        for (const std::string& l : body) s += l + "\r\n";
        return s;
    }
};

TEST_F(ConnectionsTest, MinimumRowsAndTrivialRelations) {
    struct Case {
        const char* what;
        std::vector<int> rows;
        double minimum;
        uint8_t hide;
        std::vector<std::string> north, young;
    } cases[] = {
        // Equal chi-squares (Maschi, Uomini; Nord, Sud at 0) keep the line order; the separator
        // comes before the first negative connection.
        {"every row at minimum 0, strongest positive first",
         {1, 2, 3, 4, 5, 6, 7},
         0,
         0,
         {kNorth[0], kNorth[1], kNorth[2], kNorth[3], kNorth[4], kSeparator, kNorth[5], kNorth[6]},
         {kYoung[0], kYoung[1], kYoung[2], kYoung[3], kSeparator, kYoung[4], kYoung[5], kYoung[6]}},
        {"a chi-square equal to the minimum is listed; a column with none keeps its heading",
         {1, 2, 3, 4, 6, 7},
         7.5,
         0,
         {kNorth[0], kNorth[1], kNorth[2], kSeparator, kNorth[5], kNorth[6]},
         {}},
        {"same minimum, trivial relations hidden",
         {1, 2, 3, 4, 6, 7},
         7.5,
         1,
         {kNorth[1], kNorth[2], kSeparator, kNorth[5]},
         {}},
        // Hidden: Nord and Sud under the north, the age rows under the young. Uomini, hidden,
        // is the first negative of the young and still sets off the separator.
        {"every row, trivial relations hidden",
         {1, 2, 3, 4, 5, 6, 7},
         0,
         1,
         {kNorth[1], kNorth[2], kNorth[3], kNorth[4], kSeparator, kNorth[5]},
         {kYoung[1], kYoung[2], kYoung[3], kSeparator, kYoung[5]}},
        {"only positive or only negative rows: no separator",
         {1, 6, 7},
         2.5,
         0,
         {kNorth[1], kNorth[2]},
         {kYoung[6]}},
        {"a minimum just above the value leaves the row out", {2}, 2.4000001, 0, {kNorth[5]}, {}},
        {"a negative minimum lists every chosen row", {5}, -1, 0, {kNorth[4]}, {kYoung[0]}},
    };
    for (const Case& c : cases) {
        StandardRowFlags.fill(0);
        for (int l : c.rows) StandardRowFlags[size_t(l) - 1] = 1;
        CoreState.MinChiSquare = c.minimum;
        CoreState.HideTrivialConnections = c.hide;
        ASSERT_EQ(WriteConnectionsReport(), CountTableState::Ready) << c.what;
        EXPECT_EQ(Report(), Column("Nord", c.north) + Column("Giovani", c.young)) << c.what;
    }
}

TEST_F(ConnectionsTest, UnusualCountTables) {
    auto table = [](Record columns, Record zero, Record sud) {
        std::vector<Record> t(9, Record{});
        t[0] = zero;
        t[4] = sud;
        t[8] = columns;
        return t;
    };
    const Record north = {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    struct Case {
        const char* what;
        std::vector<Record> counts;
        std::vector<std::string> north;
    } cases[] = {
        {"no card counted: every figure 0",
         table(north, Record{}, Record{}),
         {"    0.00  0.000 (   4) (  0.00%/  0.00%) Sud"}},
        // Four million weighted cards, half in the column and half in the row, never together:
        // chi-square = total = 4000000, below any fixed starting bound of the ordering. Too wide
        // for its eight characters, it loses its decimals and the line number keeps its place.
        {"a strong negative connection of a weighted count",
         table(north, {0, 2000000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4000000},
               {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2000000}),
         {" 4000000 -1.000 (   4) (  0.00%/100.00%) Sud"}},
        {"a chi-square past eight digits",
         table(north, {0, 200000000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 400000000},
               {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200000000}),
         {"******** -1.000 (   4) (  0.00%/100.00%) Sud"}},
        // 3 of the 4000 cards in the column are in the row: 0.075 %, printed 0.08.
        {"exact halves of the percentages",
         table(north, {0, 4000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 24000}, {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}),
         {"    6.76  0.017 (   4) (  0.08%/  0.01%) Sud"}},
    };
    Rows({4});
    StandardColumnFlags.fill(0);
    StandardColumnFlags[2] = 1;
    for (const Case& c : cases) {
        WriteCounts(c.counts);
        ASSERT_EQ(WriteConnectionsReport(), CountTableState::Ready) << c.what;
        EXPECT_EQ(Report(), Column("Nord", c.north)) << c.what;
    }
}

TEST_F(ConnectionsTest, MissingOrShortCountTableWritesNothing) {
    WriteBytes(dir / "tabella.txt", "previous");
    Rows({1});
    const std::string full = ReadBytes(dir / "tab-sch.dat");
    for (const char* what : {"short", "missing"}) {
        if (std::string(what) == "short")
            WriteBytes(dir / "tab-sch.dat", full.substr(0, full.size() - 4));
        else
            std::filesystem::remove(dir / "tab-sch.dat");
        CoreState.ProceedFlag = 1;
        EXPECT_EQ(WriteConnectionsReport(),
                  std::string(what) == "short" ? CountTableState::Stale : CountTableState::Missing)
            << what;
        EXPECT_EQ(CoreState.ProceedFlag, 0) << what;
        EXPECT_EQ(Report(), "previous") << what;
    }
}

TEST_F(ConnectionsTest, LabelFileHasHundredByteRecords) {
    const std::string longLabel(120, 'x');
    WriteBytes(dir / "grl-sch.txt", "*Stella*1=1,1;G0S0\r\n" + longLabel + "*=2,2;\r\nsenza asterisco\r\n");
    const ConnectionLines lines = RebuildConnectionLines();
    ASSERT_EQ(lines.Count, 3);
    EXPECT_EQ(lines.Labels[1], "Stella");
    EXPECT_EQ(lines.Labels[2], std::string(99, 'x'));
    EXPECT_EQ(lines.Variable, (std::vector<int>{0, 1, 1, 1}));
    const std::string bytes = ReadBytes(dir / "tx2-sch.dat");
    ASSERT_EQ(bytes.size(), 300u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x06Stella\0", 8));
    EXPECT_EQ(bytes.substr(99, 1), std::string(1, '\0'));
    EXPECT_EQ(bytes.substr(100, 100), "\x63" + std::string(99, 'x'));
    EXPECT_EQ(bytes.substr(200, 16), "\x0fsenza asterisco");
}

TEST(ConnectionFigures, AgainstIndependentValues) {
    // Pearson's chi-square over the four cells, worked out by hand.
    struct Case {
        int64_t a, column, row, total;
        double chi, phi;
        const char *p1, *p2;
    } cases[] = {
        {7, 8, 10, 20, 7.5, 0.6123724357, "87.50", "25.00"},
        {1, 8, 10, 20, -7.5, -0.6123724357, "12.50", "75.00"},
        // a 30 b 20 c 10 d 40: E 20, 30, 20, 30 -> 5 + 3.333 + 5 + 3.333.
        {30, 50, 40, 100, 16.6666666667, 0.4082482905, "60.00", "20.00"},
        // An empty column: no table, nothing shown.
        {0, 0, 5, 10, 0, 0, "0.00", "50.00"},
        // A column of every card: the cards outside it are none.
        {5, 10, 5, 10, 0, 0, "50.00", "0.00"},
    };
    for (const Case& c : cases) {
        const Connection r = ComputeConnection(c.a, c.column, c.row, c.total);
        EXPECT_NEAR(r.ChiSquare, c.chi, 1e-9) << c.a << " " << c.column;
        EXPECT_NEAR(r.Phi, c.phi, 1e-9) << c.a << " " << c.column;
        EXPECT_EQ(FormatPercent(r.Both, r.ColumnTotal, 0, 2), c.p1);
        EXPECT_EQ(FormatPercent(r.RowOutside, r.Outside, 0, 2), c.p2);
    }
}

TEST(ConnectionFigures, MinimumAsShownAndTyped) {
    EXPECT_EQ(FormatMinChiSquare(6.635), "     6.635");
    EXPECT_EQ(FormatMinChiSquare(0), "     0.000");
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"6.635", true, 6.635}, {"  6,635 ", true, 6.635}, {"10", true, 10},
        {"+3.5", true, 3.5},    {"-1", true, -1},          {"", false, 0},
        {"abc", false, 0},      {"6.6.3", false, 0},       {"nan", false, 0},
        {"inf", false, 0},
    };
    for (const Case& c : cases) {
        double v = 42;
        EXPECT_EQ(ParseMinChiSquare(c.text, v), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(v, c.ok ? c.value : 42) << c.text;
    }
    // Only the first 50 characters are read.
    double v = 0;
    EXPECT_TRUE(ParseMinChiSquare(std::string(48, ' ') + "129", v));
    EXPECT_DOUBLE_EQ(v, 12);
}

}  // namespace
}  // namespace qv

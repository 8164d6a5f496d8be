#include "elaborations/cross_table_report.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "support/count_table.h"
#include "support/program_dir.h"
#include "support/report_text.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using Record = test::CountRecord;

// Sex (lines 1-2), zone (lines 3-4, the columns, with short headings after '#') and the young
// women (line 5, hanging from line 2).
const char* const kGrid =
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "Nord*2=1,1;G0S0#Nord\r\n"
    "Sud*=2,2;#Sud\r\n"
    "Giovani*3=0,30;G0s2\r\n";

// Ten cards: 4 men all in the north, 6 women 2 north and 4 south; 3 young women, 1 north.
const std::vector<Record> kCounts = {
    {0, 6, 4, 0, 0, 0, 0, 0, 0, 0, 0, 10},  // column totals, grand total
    {0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4},   // Maschi
    {0, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 6},   // Femmine
    {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},   // Nord
    {0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 4},   // Sud
    {0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 3},   // Giovani
    {0, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0},   // the columns' lines
};

class CrossTableTest : public test::CountReportTest {
  protected:
    void SetUp() override {
        CountReportTest::SetUp();
        for (const char* f : {"sigle.imp", "chi2.imp"})
            std::filesystem::copy_file(test::ShippedProgramDir() + f, dir / f);
        BuildTextFile();
        WriteBytes(dir / "grl-sch.txt", kGrid);
        WriteCounts(kCounts);
        StandardColumnFlags[2] = StandardColumnFlags[3] = 1;
    }

    static void Rows(std::initializer_list<int> lines) {
        for (int l : lines) StandardRowFlags[size_t(l) - 1] = 1;
    }
    static void Columns(std::initializer_list<int> lines) {
        StandardColumnFlags.fill(0);
        for (int l : lines) StandardColumnFlags[size_t(l) - 1] = 1;
    }
};

// The report by option, on the counts of kCounts.
TEST_F(CrossTableTest, LayoutByOption) {
    const std::string legend = CrLf({"Colonna 1 = " + Pad("Nord", 30), "Colonna 2 = " + Pad("Sud", 30), ""});
    const std::string heading = Blanks(30) + "        1        2   Totale";
    const std::string rule = std::string(31, '-') + "+--------+--------+--------";
    struct Options {
        uint8_t chiSquare = 0, borders = 0, wide = 0, tabs = 0, percentColumn = 0, percentRow = 0,
                percentTotal = 0, headingTexts = 0;
    };
    struct Case {
        const char* what;
        std::vector<int> rows;
        Options options;
        std::vector<std::string> body;  // after the legend
    } cases[] = {
        // Sex by zone: E = 2.4, 1.6, 3.6, 2.4; chi-square 1.0667 + 1.6 + 0.7111 + 1.0667 = 4.444
        // with df 1, above 3.841 only. The young women are one row: df 0, no chi-square line;
        // their footer shows the counts of their parent line.
        {"plain tables with chi-square",
         {1, 2, 5},
         {.chiSquare = 1},
         {
             heading,
             "",
             Pad("Maschi", 30) + "        4        -        4",
             "",
             Pad("Femmine", 30) + "        2        4        6",
             "",
             "Totale" + Blanks(24) + "        6        4       10",
             "",
             "",
             "Chi quadrato =   4.444 - gradi di liberta' = 1 *",
             "",
             "",
             heading,
             "",
             Pad("Giovani", 30) + "        1        2        3",
             "",
             "Totale" + Blanks(24) + "        2        4        6",
             "",
             "",
             "",
             "",
         }},
        // Column % over the parent line (2 and 4), total over the parent's 6; row % over 3;
        // total % over the parent's 6.
        {"borders, percentages and column heading texts",
         {5},
         {.borders = 1, .percentColumn = 1, .percentRow = 1, .percentTotal = 1, .headingTexts = 1},
         {
             Blanks(30) + " |Nord    |Sud     | Totale",
             rule,
             Pad("Giovani", 30) + " |      1 |      2 |      3",
             Blanks(24) + "% col. |  50.00 |  50.00 |  50.00",
             Blanks(24) + "% riga |  33.33 |  66.67 | 100.00",
             Blanks(24) + "% tot. |  16.67 |  33.33 |  50.00",
             rule,
             "Totale" + Blanks(24) + " |      2 |      4 |      6",
             Blanks(24) + "% riga |  33.33 |  66.67 |",
             "",
             "",
             "",
             "",
         }},
        // Tabs drop the widths and the borders. A zero percentage is an empty cell; the total
        // cell is always printed.
        {"tabs",
         {1, 2},
         {.borders = 1, .wide = 1, .tabs = 1, .percentColumn = 1},
         {
             "\t  1\t  2\t   Totale",
             "",
             Pad("Maschi", 30) + "\t  4\t  -\t  4",
             Blanks(24) + "% col.\t  66.67\t  \t  40.00",
             "",
             Pad("Femmine", 30) + "\t  2\t  4\t  6",
             Blanks(24) + "% col.\t  33.33\t  100.00\t  60.00",
             "",
             "Totale              \t  6\t  4\t  10",
             "",
             "",
             "",
             "",
         }},
        {"no row: the legend and one footer",
         {},
         {.chiSquare = 1},
         {"", "Totale" + Blanks(24) + "        6        4       10", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandardRowFlags.fill(0);
        for (int line : c.rows) StandardRowFlags[size_t(line) - 1] = 1;
        CoreState.ChiSquare = c.options.chiSquare;
        CoreState.CellBorders = c.options.borders;
        CoreState.WideCells = c.options.wide;
        CoreState.TabSeparators = c.options.tabs;
        CoreState.PercentColumn = c.options.percentColumn;
        CoreState.PercentRow = c.options.percentRow;
        CoreState.PercentTotal = c.options.percentTotal;
        CoreState.ColumnHeadingTexts = c.options.headingTexts;
        ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
        EXPECT_EQ(Report(), legend + CrLf(c.body));
    }
    // The label file: 31-byte records, a length byte and the padded label.
    const std::string labels = ReadBytes(dir / "tx2-sch.dat");
    ASSERT_EQ(labels.size(), 5u * 31);
    EXPECT_EQ(labels.substr(31, 31), std::string(1, char(30)) + Pad("Femmine", 30));
}

TEST_F(CrossTableTest, WideCellsTurnBordersOff) {
    Rows({1});
    CoreState.WideCells = CoreState.CellBorders = 1;
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    const std::string report = Report();
    EXPECT_NE(report.find(Pad("Maschi", 30) + "           4           -           4\r\n"), std::string::npos)
        << report;
    EXPECT_EQ(report.find('|'), std::string::npos);
}

TEST_F(CrossTableTest, ChiSquareOfALargerTableAgainstIndependentValues) {
    // Rows 10 20 30 / 20 20 10 / 5 15 25: chi-square 19.352 (computed apart) with df 4, above
    // all three critical values 9.488, 13.277, 18.467.
    WriteBytes(dir / "grl-sch.txt",
               "A*1=1,1;G0S0\r\nB*=2,2;\r\nC*=3,3;\r\nX*2=1,1;G0S0\r\nY*=2,2;\r\nZ*=3,3;\r\n");
    WriteCounts({
        {0, 35, 55, 65, 0, 0, 0, 0, 0, 0, 0, 155},
        {0, 10, 20, 30, 0, 0, 0, 0, 0, 0, 0, 60},
        {0, 20, 20, 10, 0, 0, 0, 0, 0, 0, 0, 50},
        {0, 5, 15, 25, 0, 0, 0, 0, 0, 0, 0, 45},
        {0, 35, 0, 0, 0, 0, 0, 0, 0, 0, 0, 35},
        {0, 0, 55, 0, 0, 0, 0, 0, 0, 0, 0, 55},
        {0, 0, 0, 65, 0, 0, 0, 0, 0, 0, 0, 65},
        {0, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0},
    });
    Rows({1, 2, 3});
    Columns({4, 5, 6});
    CoreState.ChiSquare = 1;
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    EXPECT_NE(Report().find("\r\nChi quadrato =  19.352 - gradi di liberta' = 4 ***\r\n"), std::string::npos)
        << Report();
}

TEST_F(CrossTableTest, ChiSquareOfTheShownCellsAndWhenStarsApply) {
    // Sex (with its missing answers) by marital status (Celibe, Sposato, Vedovo chosen; its
    // missing answers and a second variable not). One card has both answers missing, one man
    // has no status: the all-cards counts hold cards the table's cells do not show.
    // Shown cells 10 5 1 / 4 8 6 / 0 0 0: the empty row is no class, df (3-1)(2-1) = 2; from the
    // shown margins 16, 18 and 14, 13, 7 of 34 the chi-square is 7361/1092 = 6.741 (worked with
    // exact fractions), above 5.991 only.
    const std::string grid =
        "Maschi*1=1,1;G0S0\r\nFemmine*=2,2;\r\nMR*=0,0;\r\n"
        "Celibe*2=1,1;G0S0\r\nSposato*=2,2;\r\nVedovo*=3,3;\r\nMR*=0,0;\r\n"
        "Nord*3=1,1;G0S0\r\n";
    const std::vector<Record> counts = {
        {0, 14, 13, 7, 0, 0, 0, 0, 0, 0, 0, 36}, {0, 10, 5, 1, 0, 0, 0, 0, 0, 0, 0, 17},
        {0, 4, 8, 6, 0, 0, 0, 0, 0, 0, 0, 18},   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
        {0, 14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 14},  {0, 0, 13, 0, 0, 0, 0, 0, 0, 0, 0, 13},
        {0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 7},    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20},   {0, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    struct Case {
        const char* what;
        std::string grid;
        int lastColumn;  // 6: marital status only; 8: "Nord" as a fourth column (empty here)
        bool byUnit;     // the count table says its cells are sums of the unit variable
        const char* line;
    } cases[] = {
        {"one variable in the columns", grid, 6, false, "Chi quadrato =   6.741 - gradi di liberta' = 2 *"},
        {"counted by the unit variable", grid, 6, true, "Chi quadrato =   6.741 - gradi di liberta' = 2 "},
        {"a multi-answer row variable", "Maschi*1=1,1;G2S0" + grid.substr(grid.find("\r\n")), 6, false,
         "Chi quadrato =   6.741 - gradi di liberta' = 2 "},
        {"columns of two variables", grid, 8, false, "Chi quadrato =   6.741 - gradi di liberta' = 2 "},
        // Classes of one field whose bounds meet: a card may be in two rows or two columns.
        {"overlapping rows", std::string(grid).replace(grid.find("Femmine*=2,2"), 12, "Femmine*=1,2"), 6,
         false, "Chi quadrato =   6.741 - gradi di liberta' = 2 "},
        {"overlapping columns", std::string(grid).replace(grid.find("Vedovo*=3,3"), 11, "Vedovo*=2,3"), 6,
         false, "Chi quadrato =   6.741 - gradi di liberta' = 2 "},
        {"touching but apart", std::string(grid).replace(grid.find("Vedovo*=3,3"), 11, "Vedovo*=3,9"), 6,
         false, "Chi quadrato =   6.741 - gradi di liberta' = 2 *"},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / "grl-sch.txt", c.grid);
        std::vector<Record> table = counts;
        if (c.lastColumn == 8) table.back()[4] = 8;
        table.back()[11] = c.byUnit;
        WriteCounts(table);
        StandardRowFlags.fill(0);
        Rows({1, 2, 3});
        c.lastColumn == 8 ? Columns({4, 5, 6, 8}) : Columns({4, 5, 6});
        CoreState.ChiSquare = 1;
        ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready) << c.what;
        EXPECT_NE(Report().find("\r\n" + std::string(c.line) + "\r\n"), std::string::npos) << c.what << "\n"
                                                                                           << Report();
    }
    // A table whose shown cells fill one column only has no test.
    WriteBytes(dir / "grl-sch.txt", grid);
    std::vector<Record> one = counts;
    for (size_t r = 0; r < 3; ++r) one[r][2] = one[r][3] = 0;
    WriteCounts(one);
    Columns({4, 5, 6});
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    EXPECT_EQ(Report().find("Chi quadrato"), std::string::npos);
}

TEST_F(CrossTableTest, CountsOfAnotherGridOrOtherColumnsAreRefused) {
    Rows({1, 2});
    const std::string counted = ReadBytes(dir / "tab-sch.dat");
    auto fingerprinted = [&](int32_t fingerprint) {
        std::string t = counted;
        PutI32(reinterpret_cast<uint8_t*>(t.data()), fingerprint);
        return t;
    };
    struct Case {
        const char* what;
        std::function<void()> change;
        CountTableState state;
    } cases[] = {
        {"written without a fingerprint", [] {}, CountTableState::Ready},
        {"this grid's fingerprint",
         [&] { WriteBytes(dir / "tab-sch.dat", fingerprinted(GridFingerprint())); }, CountTableState::Ready},
        {"a grid that has lost a line",
         [&] {
             WriteBytes(dir / "grl-sch.txt",
                        std::string(kGrid).substr(0, std::string(kGrid).rfind("Giovani")));
         },
         CountTableState::Stale},
        {"a grid that has gained a line",
         [&] { WriteBytes(dir / "grl-sch.txt", std::string(kGrid) + "MR*3=0,0;\r\n"); },
         CountTableState::Stale},
        {"a label edited since the count",
         [&] {
             WriteBytes(dir / "tab-sch.dat", fingerprinted(GridFingerprint()));
             WriteBytes(dir / "grl-sch.txt", "Uomini" + std::string(kGrid).substr(6));
         },
         CountTableState::Stale},
        {"another column chosen",
         [] {
             Columns({3, 5});
         },
         CountTableState::Stale},
        {"one column fewer", [] { Columns({3}); }, CountTableState::Stale},
        {"no column chosen: line 1 would be counted", [] { Columns({}); }, CountTableState::Stale},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / "grl-sch.txt", kGrid);
        WriteCounts(kCounts);
        Columns({3, 4});
        WriteBytes(dir / "tabella.txt", "old");
        c.change();
        CoreState.ProceedFlag = 1;
        for (auto write : {&WriteCrossTableReport, &WriteSynopticTable}) {
            EXPECT_EQ(write(), c.state) << c.what;
            if (c.state == CountTableState::Ready) continue;
            EXPECT_EQ(CoreState.ProceedFlag, 0) << c.what;
            EXPECT_EQ(Report(), "old") << c.what;
        }
    }
}

TEST_F(CrossTableTest, LongTableBreaksThePageAndKeepsOneChiSquare) {
    // Twenty rows of three lines each under a heading block of four lines and the heading line:
    // after fourteen rows the page holds 47 lines and breaks.
    std::string grid;
    std::vector<Record> counts(24, Record{});
    for (int k = 1; k <= 20; ++k) {
        grid += "R" + std::to_string(k) + "*1=" + std::to_string(k) + "," + std::to_string(k) + ";" +
                (k == 1 ? "G0S0" : "") + "\r\n";
        counts[size_t(k)] = {0, k, 1, 0, 0, 0, 0, 0, 0, 0, 0, k + 1};
        counts[0][1] += k;
        counts[0][2] += 1;
    }
    grid += "X*2=1,1;G0S0\r\nY*=2,2;\r\n";
    counts[0][11] = counts[0][1] + counts[0][2];
    counts[23] = {0, 21, 22, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    WriteBytes(dir / "grl-sch.txt", grid);
    WriteBytes(dir / "tin-sch.txt", "001\r\n\r\nTitolo\r\n///\r\n");
    WriteCounts(counts);
    Columns({21, 22});
    for (int k = 1; k <= 20; ++k) StandardRowFlags[size_t(k) - 1] = 1;
    CoreState.ChiSquare = CoreState.PercentRow = CoreState.TableHeadings = 1;
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    const std::string report = Report();
    auto count = [&](const std::string& what) {
        int n = 0;
        for (size_t at = report.find(what); at != std::string::npos; at = report.find(what, at + 1)) ++n;
        return n;
    };
    const std::string heading = "\r\n" + Blanks(30) + "        1        2   Totale\r\n";
    EXPECT_EQ(count(heading), 2);
    EXPECT_EQ(count("\r\nTotale" + Blanks(10)), 2);
    EXPECT_EQ(count("Titolo"), 1);
    EXPECT_EQ(count("Chi quadrato"), 1);
    EXPECT_NE(report.find("gradi di liberta' = 19 "), std::string::npos);
    const size_t second = report.find(heading, report.find(heading) + 1);
    EXPECT_LT(report.rfind("R14 ", second), second);
    EXPECT_NE(report.find(Pad("R15", 30), second), std::string::npos);
}

TEST_F(CrossTableTest, MissingFilesTurnOptionsOffOrWriteNothing) {
    Rows({1, 2});
    CoreState.ChiSquare = CoreState.TableHeadings = 1;
    std::filesystem::remove(dir / "chi2.imp");
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    EXPECT_EQ(CoreState.ChiSquare, 0);
    EXPECT_EQ(CoreState.TableHeadings, 0);
    EXPECT_EQ(Report().find("Chi quadrato"), std::string::npos);

    WriteBytes(dir / "tabella.txt", "old");
    std::filesystem::remove(dir / "tab-sch.dat");
    CoreState.ProceedFlag = 1;
    EXPECT_EQ(WriteCrossTableReport(), CountTableState::Missing);
    EXPECT_EQ(WriteSynopticTable(), CountTableState::Missing);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(Report(), "old");
}

TEST_F(CrossTableTest, HeadingBlocksAreFoundForwardOnly) {
    Rows({1, 5});
    CoreState.TableHeadings = 1;
    // The block of variable 3 stands before that of variable 1: once variable 1's is read, 3's
    // is passed over and not found again.
    WriteBytes(dir / "tin-sch.txt", "003\r\n\r\nGiovani\r\n///\r\n001\r\n\r\nSesso\r\n///\r\n");
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    const std::string report = Report();
    EXPECT_NE(report.find("\r\n\r\n\r\nSesso\r\n\r\n\r\n" + Blanks(30)), std::string::npos) << report;
    EXPECT_EQ(report.find("Giovani\r\n"), std::string::npos);
}

TEST_F(CrossTableTest, SynopticTable) {
    Rows({1, 2, 5});
    ASSERT_EQ(WriteSynopticTable(), CountTableState::Ready);
    // Line 1 opens group 1; line 3 ("S") group 2, but it is not a row; line 5 ("s") joins group 2.
    auto slot = [](const std::string& column) {
        return std::vector<std::string>{"", "", std::string(52, '-'), "", "Colonna: " + column, ""};
    };
    std::vector<std::string> expected;
    auto add = [&](std::vector<std::string> lines) {
        expected.insert(expected.end(), lines.begin(), lines.end());
    };
    add(slot(Pad("Nord", 30)));
    add({"", "", Pad("Maschi", 30) + " -      4     2      6", "% col.  66.67 33.33", "% tot. 100.00 33.33"});
    add({"", "", Pad("Giovani", 30) + " -      1      2", "% col.  50.00", "% tot.  33.33"});
    add(slot(Pad("Sud", 30)));
    add({"", "", Pad("Maschi", 30) + " -      0     4      4", "% col.   0.00100.00", "% tot.   0.00 66.67"});
    add({"", "", Pad("Giovani", 30) + " -      2      4", "% col.  50.00", "% tot.  66.67"});
    add(slot("Totale"));
    add({"", "", Pad("Maschi", 30) + " -      4     6     10", "% col.  40.00 60.00", "% tot. "});
    add({"", "", Pad("Giovani", 30) + " -      3      6", "% col.  50.00", "% tot. "});
    std::string text;
    for (const std::string& l : expected) text += l + "\r\n";
    EXPECT_EQ(Report(), text);
}

// A count too large for its record keeps apart from its neighbours: every figure line of the
// table reads back as blank-separated figures.
TEST_F(CrossTableTest, SynopticStarFillsReadBackAsSeparateFigures) {
    std::vector<Record> counts = kCounts;
    counts[1][1] = 2147483647;  // the men of the north
    counts[0][1] = 2147483647;  // and so the north
    WriteCounts(counts);
    Rows({1, 2});
    ASSERT_EQ(WriteSynopticTable(), CountTableState::Ready);
    const std::string report = Report();
    const size_t at = report.find(Pad("Maschi", 30) + " - ");
    ASSERT_NE(at, std::string::npos) << report;
    std::vector<std::vector<std::string>> figures;
    std::istringstream lines(report.substr(at + 33));
    for (std::string line; figures.size() < 3 && std::getline(lines, line);) {
        std::istringstream words(line);
        figures.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
    }
    EXPECT_EQ(figures, (std::vector<std::vector<std::string>>{{"*****", "2", "******"},
                                                              {"%", "col.", "*****", "*****"},
                                                              {"%", "tot.", "*****", "33.33"}}));
}

TEST(ChiSquareTableFile, ShippedValuesAndStars) {
    auto table = LoadChiSquareTable(test::ShippedProgramDir() + "chi2.imp");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Rows, 30);
    EXPECT_DOUBLE_EQ(*table->Critical[0][0], 3.841);
    EXPECT_DOUBLE_EQ(*table->Critical[0][2], 10.828);
    EXPECT_DOUBLE_EQ(*table->Critical[29][1], 50.892);
    struct Case {
        double chi;
        int df;
        const char* stars;
    } cases[] = {
        {3.841, 1, ""},  // equal earns no star
        {3.842, 1, "*"},     {6.636, 1, "**"}, {10.829, 1, "***"},
        {59.704, 30, "***"}, {100.0, 31, ""},  // past the table
        {100.0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChiSquareStars(*table, c.chi, c.df), c.stars) << c.chi << " " << c.df;
}

TEST(ChiSquareTableFile, OnlyThirtyLinesAndOnlyNumbers) {
    TempDir dir;
    std::string text = " 3841  abc 10828\r\n";
    for (int i = 2; i <= 31; ++i) text += " 1000  2000  3000\r\n";
    WriteBytes(dir / "chi2.imp", text);
    auto table = LoadChiSquareTable(dir / "chi2.imp");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Rows, 30);
    EXPECT_FALSE(table->Critical[0][1]);
    EXPECT_EQ(ChiSquareStars(*table, 20.0, 1), "**");
    EXPECT_FALSE(LoadChiSquareTable(dir / "none.imp"));
}

}  // namespace
}  // namespace qv

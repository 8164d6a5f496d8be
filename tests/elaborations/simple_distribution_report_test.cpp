#include "elaborations/simple_distribution_report.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string Pad60(const std::string& label) {
    return label + std::string(60 - label.size(), ' ');
}
std::string Blanks(int n) {
    return std::string(size_t(n), ' ');
}

// Line 1 belongs to no variable; "Giovani" and "Anziani" are taken on "Femmine" (line 3).
const std::string kLongLabel(65, 'A');
const std::string kGrid = kLongLabel +
                          "*9=1,1;\r\n"
                          "Maschi*1=1,1;G0S0\r\n"
                          "Femmine*=2,2;\r\n"
                          "MR*=0,0;\r\n"
                          "Giovani*2=0,30;G0S3\r\n"
                          "Anziani*=31,99;\r\n"
                          "Auto*4=1,1;G0S0\r\n"
                          "Moto*=2,2;\r\n";
// Field 11 of records 0..8: the grand total, then each category.
const std::vector<int32_t> kCounts = {8, 4, 3, 5, 0, 2, 3, 0, 8};

// A count table with the given all-cards column; the column fields hold values the report
// must not take.
std::string CountTable(const std::vector<int32_t>& allCards) {
    std::string out;
    for (size_t r = 0; r <= allCards.size(); ++r) {
        AppendI32(out, 0);
        for (int c = 1; c <= 10; ++c) AppendI32(out, r < allCards.size() ? 77 : (c == 1 ? 1 : 0));
        AppendI32(out, r < allCards.size() ? allCards[r] : 0);
    }
    return out;
}

class SimpleDistributionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.MakeDir("prog");
        CoreState.ArchiveDir = dir.MakeDir("arch");
        std::string sigle;
        for (int n = 1; n <= 1400; ++n)
            sigle += (n == 1394 ? std::string("Totale") : "Testo " + std::to_string(n)) + "\r\n";
        WriteBytes(CoreState.ProgramDir + "sigle.imp", sigle);
        BuildTextFile();
        WriteBytes(CoreState.ArchiveDir + "grl-sch.txt", kGrid);
    }
    void TearDown() override { ResetProgramState(); }

    std::string Report() { return ReadBytes(CoreState.ProgramDir + "tabella.txt"); }

    TempDir dir;
};

// Blocks of the report, each line ending with CR LF.
std::string Head(bool tabs = false) {
    return (tabs ? std::string("\tn.\t%") : Blanks(66) + "n      %") + "\r\n\r\n";
}
std::string Row(const std::string& label, const std::string& rest) {
    return Pad60(label) + rest + "\r\n";
}
std::string Foot(const std::string& total) {
    return "\r\n" + ("Totale" + total) + "\r\n\r\n\r\n";
}
const std::string k8 = Blanks(45) + "      8";
const std::string k5 = Blanks(45) + "      5";
const std::string kTwoEmpty = "\r\n\r\n";

TEST_F(SimpleDistributionTest, ReportLayoutByOption) {
    struct Case {
        const char* name;
        bool headings, skip, cumulate, tabs;
        std::vector<int> rows;  // 0-based grid lines
        std::vector<int32_t> counts;
        std::string expected;
    };
    // clang-format off
    const Case cases[] = {
        {"plain", false, false, false, false, {0, 1, 2, 3, 4, 5, 6, 7}, kCounts,
         Head() + Row("Maschi", "      3  37.50") + Row("Femmine", "      5  62.50") + Row("MR", "      -") + Foot(k8) +
         Head() + Row("Giovani", "      2  40.00") + Row("Anziani", "      3  60.00") + Foot(k5) +
         Head() + Row("Auto", "      -") + Row("Moto", "      8 100.00") + Foot(k8)},
        {"cumulated percentages restart with each variable", false, false, true, false, {1, 2, 3, 4, 5}, kCounts,
         Head() + Row("Maschi", "      3  37.50") + Row("Femmine", "      5 100.00") + Row("MR", "      -") + Foot(k8) +
         Head() + Row("Giovani", "      2  40.00") + Row("Anziani", "      3 100.00") + Foot(k5)},
        {"empty rows skipped, only chosen rows", false, true, true, false, {2, 3, 6, 7}, kCounts,
         Head() + Row("Femmine", "      5  62.50") + Foot(k8) + Head() + Row("Moto", "      8 100.00") + Foot(k8)},
        {"tabs", false, false, false, true, {1, 3, 4}, kCounts,
         Head(true) + Row("Maschi", "\t3\t  37.50") + Row("MR", "\t-") + Foot("\t8") +
         Head(true) + Row("Giovani", "\t2\t  40.00") + Foot("\t5")},
        {"rows only before the first variable", false, false, false, false, {0}, kCounts, Foot(k8)},
        {"parent without cards gives no percentage", false, false, false, false, {4, 5}, {8, 4, 3, 0, 0, 2, 3, 0, 8},
         Head() + Row("Giovani", "      2") + Row("Anziani", "      3") + Foot(Blanks(45) + "      0")},
        {"headings read forward only", true, false, false, false, {1, 4, 7}, kCounts,
         "Titolo uno\r\nSeconda riga\r\n" + kTwoEmpty + Head() + Row("Maschi", "      3  37.50") + Foot(k8) +
         kTwoEmpty + Head() + Row("Giovani", "      2  40.00") + Foot(k5) +
         kTwoEmpty + Head() + Row("Moto", "      8 100.00") + Foot(k8)},
    };
    // clang-format on
    WriteBytes(CoreState.ArchiveDir + "tin-sch.txt",
               "001\r\nTitolo uno\r\nSeconda riga\r\n///\r\n003\r\nTitolo tre\r\n///\r\n");
    for (const Case& c : cases) {
        StandardRowFlags.fill(0);
        for (int line : c.rows) StandardRowFlags[size_t(line)] = 1;
        CoreState.DistributionHeadings = c.headings;
        CoreState.SkipEmptyRows = c.skip;
        CoreState.Cumulate = c.cumulate;
        CoreState.TabSeparators = c.tabs;
        WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable(c.counts));
        ASSERT_TRUE(WriteSimpleDistributionReport()) << c.name;
        EXPECT_EQ(Report(), c.expected) << c.name;
        EXPECT_EQ(CoreState.DistributionHeadings, c.headings) << c.name;
    }
}

TEST_F(SimpleDistributionTest, LabelScratchHoldsEveryGridLine) {
    StandardRowFlags[1] = 1;
    WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable(kCounts));
    ASSERT_TRUE(WriteSimpleDistributionReport());
    const std::string scratch = ReadBytes(CoreState.ArchiveDir + "tx2-sch.dat");
    ASSERT_EQ(scratch.size(), 8u * 61);
    EXPECT_EQ(scratch.substr(0, 61), "\x3C" + std::string(60, 'A'));
    EXPECT_EQ(scratch.substr(61, 61), "\x3C" + Pad60("Maschi"));
    EXPECT_EQ(scratch.substr(7 * 61), "\x3C" + Pad60("Moto"));
}

TEST_F(SimpleDistributionTest, MissingHeadingFileTurnsHeadingsOff) {
    StandardRowFlags[7] = 1;
    CoreState.DistributionHeadings = 1;
    WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable(kCounts));
    ASSERT_TRUE(WriteSimpleDistributionReport());
    EXPECT_EQ(CoreState.DistributionHeadings, 0);
    EXPECT_EQ(Report(), Head() + Row("Moto", "      8 100.00") + Foot(k8));
}

TEST_F(SimpleDistributionTest, NoCountTableWritesNothing) {
    WriteBytes(CoreState.ProgramDir + "tabella.txt", "vecchio\r\n");
    CoreState.ProceedFlag = 1;
    StandardRowFlags[1] = 1;
    EXPECT_FALSE(WriteSimpleDistributionReport());
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(Report(), "vecchio\r\n");
    EXPECT_FALSE(FileExists(CoreState.ArchiveDir + "tx2-sch.dat"));
}

TEST_F(SimpleDistributionTest, TableOfAShorterGridIsNotReadPastItsEnd) {
    WriteBytes(CoreState.ProgramDir + "tabella.txt", "vecchio\r\n");
    StandardRowFlags[7] = 1;
    WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable({8, 4, 3}));
    try {
        WriteSimpleDistributionReport();
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Code(), kReadPastEnd);
    }
    EXPECT_EQ(Report(), "vecchio\r\n");
}

TEST_F(SimpleDistributionTest, GridCategoriesFitTheListsToTheGrid) {
    std::string grid;
    for (int i = 0; i < 15; ++i) grid += "c*1=" + std::to_string(i) + "," + std::to_string(i) + ";\r\n";
    WriteBytes(CoreState.ArchiveDir + "grl-sch.txt", grid);
    for (int line : {0, 3, 14, 15, 4000}) StandardRowFlags[size_t(line)] = 1;
    for (int line = 1; line <= 13; ++line) StandardColumnFlags[size_t(line)] = 1;
    StandardColumnFlags[20] = 1;
    const GridCategoryCount count = CountGridCategories();
    EXPECT_EQ(count.Lines, 15);
    EXPECT_EQ(count.Rows, 3);
    for (int line = 0; line < kFlagListSize; ++line) {
        EXPECT_EQ(StandardRowFlags[size_t(line)], line == 0 || line == 3 || line == 14) << line;
        EXPECT_EQ(StandardColumnFlags[size_t(line)], line >= 1 && line <= 10) << line;
    }

    std::remove((CoreState.ArchiveDir + "grl-sch.txt").c_str());
    EXPECT_EQ(CountGridCategories().Rows, 0);
    EXPECT_EQ(StandardRowFlags[0], 0);
    EXPECT_EQ(StandardColumnFlags[1], 0);
}

TEST_F(SimpleDistributionTest, GridLinesAreCountedUpToTheLimit) {
    struct Case {
        int lines;
        int expected;
    } cases[] = {{0, 0}, {3999, 3999}, {4000, 4000}, {4100, 4000}};
    for (const Case& c : cases) {
        std::string grid;
        for (int i = 0; i < c.lines; ++i) grid += "c*1=1,1;\r\n";
        WriteBytes(CoreState.ArchiveDir + "grl-sch.txt", grid);
        EXPECT_EQ(CountGridLines(), c.expected) << c.lines;
    }
}

TEST(ReportConventions, NumberFormats) {
    struct Case {
        std::string got, expected;
    } cases[] = {
        {FormatInteger(8, 7), "      8"},
        {FormatInteger(-5, 7), "     -5"},
        {FormatInteger(12345678, 7), "12345678"},
        {FormatInteger(0), "0"},
        {FormatFixed(37.5, 7, 2), "  37.50"},
        {FormatFixed(100, 7, 2), " 100.00"},
        {FormatFixed(100.0 / 3, 7, 2), "  33.33"},
        {FormatFixed(200.0 / 3, 7, 2), "  66.67"},
        {FormatFixed(0.125, 0, 2), "0.13"},
        {FormatFixed(-2.5, 0, 0), "-3"},
        {FormatFixed(-0.001, 7, 2), "   0.00"},
        {FormatFixed(1234567.891, 7, 2), "1234567.89"},
        {NumberColumn("-", 7, false), "      -"},
        {NumberColumn("12", 7, true), "\t12"},
        {RightAligned("abcdefgh", 3), "abcdefgh"},
        {ReportLabel("ab"), Pad60("ab")},
        {ReportLabel(std::string(61, 'x')), std::string(60, 'x')},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

}  // namespace
}  // namespace qv

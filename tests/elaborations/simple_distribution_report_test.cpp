#include "elaborations/simple_distribution_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/connections_report.h"
#include "elaborations/counting_engine.h"
#include "elaborations/cross_table_report.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/card_files.h"
#include "support/program_dir.h"
#include "support/report_text.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

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

class SimpleDistributionTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        WriteBytes(CoreState.ProgramDir + "sigle.imp",
                   test::NumberedTexts(2200, {{1394, "Totale"}, {2171, "Troppo"}}));
        BuildTextFile();
        WriteBytes(CoreState.ArchiveDir + "grl-sch.txt", kGrid);
    }
    void TearDown() override { ResetProgramState(); }
};

// Blocks of the report, each line ending with CR LF.
std::string Head(bool tabs = false) {
    return (tabs ? std::string("\tn.\t%") : Blanks(66) + "n      %") + "\r\n\r\n";
}
std::string Row(const std::string& label, const std::string& rest) {
    return Pad(label, 60) + rest + "\r\n";
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
        {"a count too large for its record", false, false, false, false, {1, 2, 3}, {8, 4, 2147483647, 5, 0, 2, 3, 0, 8},
         Head() + Row("Maschi", " ****** ******") + Row("Femmine", "      5  62.50") + Row("MR", "      -") + Foot(k8) +
         "Troppo\r\n"},
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
        ASSERT_EQ(WriteSimpleDistributionReport(), CountTableState::Ready) << c.name;
        EXPECT_EQ(Report(), c.expected) << c.name;
        EXPECT_EQ(CoreState.DistributionHeadings, c.headings) << c.name;
    }
}

TEST_F(SimpleDistributionTest, LabelScratchHoldsEveryGridLine) {
    StandardRowFlags[1] = 1;
    WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable(kCounts));
    ASSERT_EQ(WriteSimpleDistributionReport(), CountTableState::Ready);
    const std::string scratch = ReadBytes(CoreState.ArchiveDir + "tx2-sch.dat");
    ASSERT_EQ(scratch.size(), 8u * 61);
    EXPECT_EQ(scratch.substr(0, 61), "\x3C" + std::string(60, 'A'));
    EXPECT_EQ(scratch.substr(61, 61), "\x3C" + Pad("Maschi", 60));
    EXPECT_EQ(scratch.substr(7 * 61), "\x3C" + Pad("Moto", 60));
}

TEST_F(SimpleDistributionTest, MissingHeadingFileTurnsHeadingsOff) {
    StandardRowFlags[7] = 1;
    CoreState.DistributionHeadings = 1;
    WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable(kCounts));
    ASSERT_EQ(WriteSimpleDistributionReport(), CountTableState::Ready);
    EXPECT_EQ(CoreState.DistributionHeadings, 0);
    EXPECT_EQ(Report(), Head() + Row("Moto", "      8 100.00") + Foot(k8));
}

TEST_F(SimpleDistributionTest, NoCountsOfThisGridWritesNothing) {
    // A grid that lost a line since the count would print each count under the next label.
    struct Case {
        const char* what;
        std::optional<std::vector<int32_t>> counts;
        CountTableState state;
    } cases[] = {
        {"no count table", std::nullopt, CountTableState::Missing},
        {"counted on a grid of three lines", std::vector<int32_t>{8, 4, 3, 1}, CountTableState::Stale},
        {"counted on a grid of nine lines", std::vector<int32_t>{8, 4, 3, 5, 0, 2, 3, 0, 8, 1},
         CountTableState::Stale},
    };
    for (const Case& c : cases) {
        WriteBytes(CoreState.ProgramDir + "tabella.txt", "vecchio\r\n");
        if (c.counts) WriteBytes(CoreState.ArchiveDir + "tab-sch.dat", CountTable(*c.counts));
        CoreState.ProceedFlag = 1;
        StandardRowFlags[1] = 1;
        EXPECT_EQ(WriteSimpleDistributionReport(), c.state) << c.what;
        EXPECT_EQ(CoreState.ProceedFlag, 0) << c.what;
        EXPECT_EQ(Report(), "vecchio\r\n") << c.what;
        EXPECT_FALSE(FileExists(CoreState.ArchiveDir + "tx2-sch.dat")) << c.what;
    }
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

// A percentage worked out apart from the reports: hundredths by integer division, up one when
// the remainder is half the base or more.
struct PercentChecker {
    int halves = 0;  // exact halves met
    std::string operator()(int64_t part, int64_t base, int width) {
        if (base <= 0) part = 0, base = 1;
        int64_t hundredths = part * 10000 / base;
        const int64_t rest = part * 10000 % base;
        halves += 2 * rest == base;
        if (2 * rest >= base) ++hundredths;
        const std::string cents = std::to_string(100 + hundredths % 100).substr(1);
        return RightAligned(std::to_string(hundredths / 100) + "." + cents, width);
    }
};

std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Every percentage of the simple distribution, cross table and connections reports of a
// generated archive, against the counts the test makes itself. 800 of the 4000 cards are in
// the first column and 3200 in the second, so many percentages are exact halves.
TEST_F(SimpleDistributionTest, EveryPercentageMatchesIntegerArithmetic) {
    constexpr int kCards = 4000, kWords = 50, kRowClasses = 40, kSmallClasses = 8;
    CoreState.CardWordCount = kWords;
    CoreState.FieldCount = 3;
    for (int f = 1; f <= 3; ++f) FieldTypes[f] = 0, FieldPositions[f] = int16_t(f);
    std::mt19937 random(16);
    std::vector<std::array<int, 3>> values(kCards);
    std::string cards;
    for (int c = 0; c < kCards; ++c) {
        values[size_t(c)] = {c < 800 ? 1 : 2, int(random() % kRowClasses) + 1,
                             int(random() % kSmallClasses) + 1};
        std::array<uint16_t, kWords> words{};
        for (int f = 0; f < 3; ++f) words[size_t(f)] = uint16_t(values[size_t(c)][size_t(f)]);
        for (uint16_t w : words) AppendU16(cards, w);
    }
    // Both card files and the index: every card is there.
    WriteCardFiles(CoreState.ArchiveDir, cards);
    CoreState.CardTextBytes = 50;
    CoreState.LastCard = kCards - 1;
    for (int c = 0; c < kCards; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));

    // Lines 1-2: the halves of the archive; 3-42 and 43-50 two random variables.
    std::string grid = "A1*1=1,1;G0S0\r\nA2*=2,2;\r\n";
    std::vector<std::pair<int, int>> classOf = {{0, 0}, {0, 1}, {0, 2}};  // line: field, value
    for (int k = 1; k <= kRowClasses; ++k) {
        grid += "R" + std::to_string(k) + "*2=" + std::to_string(k) + "," + std::to_string(k) + ";" +
                (k == 1 ? "G0S0" : "") + "\r\n";
        classOf.push_back({1, k});
    }
    for (int k = 1; k <= kSmallClasses; ++k) {
        grid += "S" + std::to_string(k) + "*3=" + std::to_string(k) + "," + std::to_string(k) + ";" +
                (k == 1 ? "G0S0" : "") + "\r\n";
        classOf.push_back({2, k});
    }
    WriteBytes(CoreState.ArchiveDir + "grl-sch.txt", grid);
    const int lines = int(classOf.size()) - 1;
    const std::vector<int> columns = {1, 2, 43, 44, 45, 46, 47, 48, 49, 50};
    StandardRowFlags.fill(0);
    StandardColumnFlags.fill(0);
    for (int l = 1; l <= lines; ++l) StandardRowFlags[size_t(l) - 1] = 1;
    for (int l : columns) StandardColumnFlags[size_t(l) - 1] = 1;
    NoProgress progress;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);

    auto in = [&](int card, int line) {
        return values[size_t(card)][size_t(classOf[size_t(line)].first)] == classOf[size_t(line)].second;
    };
    auto count = [&](int line, int column) {  // column 0: all cards
        int n = 0;
        for (int c = 0; c < kCards; ++c) n += in(c, line) && (column == 0 || in(c, column));
        return int64_t(n);
    };
    auto label = [&](int line) {
        return std::string(1, "ARS"[classOf[size_t(line)].first]) +
               std::to_string(classOf[size_t(line)].second);
    };
    PercentChecker percent;

    // Simple distribution: every category over the 4000 cards.
    ASSERT_EQ(WriteSimpleDistributionReport(), CountTableState::Ready);
    const std::string simple = Report();
    for (int l = 1; l <= lines; ++l)
        EXPECT_NE(simple.find(Row(label(l), FormatInteger(count(l, 0), 7) + percent(count(l, 0), kCards, 7))),
                  std::string::npos)
            << label(l);

    // Cross table: each row's lines of column, row and total percentages, whole.
    CoreState.PercentColumn = CoreState.PercentRow = CoreState.PercentTotal = 1;
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    const std::vector<std::string> cross = ReportLines(Report());
    for (int l = 1; l <= lines; ++l) {
        const auto at = std::find_if(cross.begin(), cross.end(), [&](const std::string& line) {
            return line.compare(0, 31, label(l) + std::string(30 - label(l).size(), ' ') + " ") == 0;
        });
        ASSERT_LE(at + 4, cross.end()) << label(l);
        const int64_t rowTotal = count(l, 0);
        std::string byColumn, byRow, byTotal;
        for (int c : columns) {
            const int64_t n = count(l, c);
            byColumn += "  " + (n > 0 ? percent(n, count(c, 0), 7) : Blanks(7));
            byRow += "  " + (n > 0 ? percent(n, rowTotal, 7) : Blanks(7));
            byTotal += "  " + (n > 0 ? percent(n, kCards, 7) : Blanks(7));
        }
        EXPECT_EQ(at[1], Blanks(24) + LoadText(396) + byColumn + "  " + percent(rowTotal, kCards, 7));
        EXPECT_EQ(at[2], Blanks(24) + LoadText(397) + byRow + "  " + percent(rowTotal, rowTotal, 7));
        EXPECT_EQ(at[3], Blanks(24) + LoadText(398) + byTotal + "  " + percent(rowTotal, kCards, 7));
    }

    // Connections: of the column's cards those in the row, of the others those in the row.
    CoreState.MinChiSquare = 0;
    ASSERT_EQ(WriteConnectionsReport(), CountTableState::Ready);
    int column = 0, listed = 0;
    for (const std::string& line : ReportLines(Report())) {
        for (int c : columns)
            if (line == " " + label(c)) column = c;
        if (line.size() < 40 || line.compare(15, 2, " (") != 0) continue;
        const int row = std::stoi(line.substr(17, 4));
        const int64_t a = count(row, column), inColumn = count(column, 0);
        EXPECT_EQ(line.substr(24, 6), percent(a, inColumn, 6)) << line;
        EXPECT_EQ(line.substr(32, 6), percent(count(row, 0) - a, kCards - inColumn, 6)) << line;
        ++listed;
    }
    EXPECT_EQ(listed, lines * int(columns.size()));
    EXPECT_GT(percent.halves, 200);
}

TEST(ReportConventions, NumberFormats) {
    struct Case {
        std::string got, expected;
    } cases[] = {
        {FormatInteger(8, 7), "      8"},
        {FormatInteger(-5, 7), "     -5"},
        {FormatInteger(12345678, 7), "12345678"},
        {FormatInteger(0), "0"},
        // Reals: rounded on the double's exact decimal expansion, halves away from zero.
        {FormatFixed(37.5, 7, 2), "  37.50"},
        {FormatFixed(100, 7, 2), " 100.00"},
        {FormatFixed(200.0 / 3, 7, 2), "  66.67"},
        {FormatFixed(0.125, 0, 2), "0.13"},
        {FormatFixed(2.5, 0, 0), "3"},
        {FormatFixed(-2.5, 0, 0), "-3"},
        {FormatFixed(0.0005, 0, 3), "0.001"},   // stored as 0.000500000000000000010...
        {FormatFixed(0.075, 0, 2), "0.07"},     // stored as 0.074999999999999997...
        {FormatFixed(9.995, 0, 2), "9.99"},     // stored as 9.994999999999999218...
        {FormatFixed(99.995, 0, 2), "100.00"},  // stored as 99.99500000000000454...
        {FormatFixed(11.932, 0, 3), "11.932"},
        {FormatFixed(-0.001, 7, 2), "   0.00"},
        {FormatFixed(1234567.891, 7, 2), "1234567.89"},
        {FormatFixed(1e20, 0, 1), "100000000000000000000.0"},
        {FormatFixed(5e-324, 0, 2), "0.00"},
        // Ratios of integers: rounded on the exact ratio. 3 of 4000 is 0.075 %, which a binary
        // quotient puts just below the half.
        {FormatPercent(3, 4000, 7, 2), "   0.08"},
        {FormatPercent(3, 20000, 0, 2), "0.02"},
        {FormatPercent(1, 3, 7, 2), "  33.33"},
        {FormatPercent(2, 3, 7, 2), "  66.67"},
        {FormatPercent(7, 7, 7, 2), " 100.00"},
        {FormatPercent(5, 0, 7, 2), "   0.00"},
        {FormatPercent(2147483647, 3, 0, 2), "71582788233.33"},
        {FormatRatio(-7, 2, 0, 0), "-4"},
        {FormatRatio(-1, 1000, 0, 2), "0.00"},
        {FormatRatio(1, 200, 0, 2), "0.01"},
        {FormatRatio(9999, 10000, 0, 3), "1.000"},
        // A real too wide for its columns loses decimals, then prints as stars.
        {FormatFixedFitting(4000000, 8, 2), " 4000000"},
        {FormatFixedFitting(123456.789, 8, 2), "123456.8"},
        {FormatFixedFitting(99999999.6, 8, 2), "********"},
        {FormatFixedFitting(7.5, 8, 2), "    7.50"},
        {NumberColumn("-", 7, false), "      -"},
        {NumberColumn("12", 7, true), "\t12"},
        {RightAligned("abcdefgh", 3), "abcdefgh"},
        {ReportLabel("ab"), Pad("ab", 60)},
        {ReportLabel(std::string(61, 'x')), std::string(60, 'x')},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

}  // namespace
}  // namespace qv

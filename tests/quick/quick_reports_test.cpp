#include "quick/quick_reports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "quick/quick_counts.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/report_text.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Sixteen prepared cards (last index 15) of a quick grid of three variables and one additional
// variable; "Auto" hangs from line 1. Cards of each line:
//   0 Sesso M 0-7        1 Sesso F 8-15
//   2 Giovane 0-5, 8     3 Anziano 6, 7, 9-15
//   4 Auto si 0, 1, 4    5 Auto no 2, 3, 5, 6
//   6 Extra uno 0-7 (additional variable)
const char* const kGrid =
    "Sesso M*1=1,1;G0S0\r\nSesso F*=2,2;\r\nGiovane*2=1,1;G0S0\r\nAnziano*=2,2;\r\n"
    "Auto si*3=1,1;G0S1\r\nAuto no*=2,2;\r\n";
const char* const kAreaHeads[] = {"FF 00", "00 FF", "FC 80", "03 7F", "C8 00", "36 00", "FF 00"};

class QuickReportsTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::InstallNumberedTexts(900);
        WriteBytes(Arch("grl-dat.txt"), kGrid);
        WriteBytes(Arch("agg-dat.txt"), "xExtra uno\r\nSesso,-1;\r\n");
        test::WritePreparedCards(15, kAreaHeads);
        // Cards 0-11, and bits past the prepared cards that must not count.
        CardSelectionMask.fill(0);
        CardSelectionMask[0] = 0xFF;
        CardSelectionMask[1] = 0xF0;
        CardSelectionMask[2] = 0xFF;
    }
    static void Choose(FlagList& flags, std::initializer_list<int> lines) {
        flags.fill(0);
        for (int l : lines) flags[size_t(l)] = 1;
    }

    NoProgress progress;
};

TEST_F(QuickReportsTest, CountsAreBitsOfTheAreaAndTheSelection) {
    QuickCardCounter counter;
    EXPECT_EQ(counter.LastCard(), 15);
    EXPECT_EQ(counter.Count(counter.Selection()), 12) << "bits past the last prepared card do not count";
    struct Case {
        int variable;
        int64_t all, selected;
    };
    for (const Case& c : {Case{0, 8, 8}, Case{1, 8, 4}, Case{2, 7, 7}, Case{3, 9, 5}, Case{5, 4, 4}}) {
        const QuickCardCounter::Bitmap area = counter.Area(c.variable);
        EXPECT_EQ(counter.Count(area), c.all) << c.variable;
        EXPECT_EQ(counter.Count(area, counter.Selection()), c.selected) << c.variable;
    }
    EXPECT_EQ(counter.Count(CardBitmap::Common(counter.Area(2), counter.Area(3))), 0);

    // With the quantitative unit each card counts its value (card c holds c + 1; cards past
    // the file hold 0).
    std::string values;
    for (int32_t c = 0; c < 10; ++c) AppendI32(values, c + 1);
    WriteBytes(Arch("num-dat.dat"), values);
    ASSERT_TRUE(counter.UseQuantityValues());
    EXPECT_EQ(counter.Count(counter.Selection()), 55);
    EXPECT_EQ(counter.Count(counter.Area(2), counter.Selection()), 1 + 2 + 3 + 4 + 5 + 6 + 9);
    EXPECT_EQ(counter.Count(counter.Area(3)), 7 + 8 + 10);
}

TEST_F(QuickReportsTest, CountsSpanWordsAndAreas) {
    // 1001 x 8 cards: two records per area; card 8007 is the last, in the second record.
    std::string last;
    AppendI32(last, 8007);
    WriteBytes(Arch("dli-dat.dat"), last);
    std::string matrix(size_t(7) * 2000, '\0');
    matrix[0] = char(0x80);            // variable 0: card 0
    matrix[1000] = char(0xFF);         // cards 8000-8007
    matrix[2000 + 8] = char(0x01);     // variable 1: card 71
    matrix[2000 + 1000] = char(0x80);  // card 8000
    matrix[2000 + 1001] = char(0xFF);  // past the last card: never counted
    WriteBytes(Arch("dat-dat.dat"), matrix);
    CardSelectionMask.fill(0xFF);
    QuickCardCounter counter;
    EXPECT_EQ(counter.Count(counter.Selection()), 8008);
    EXPECT_EQ(counter.Count(counter.Area(0)), 9);
    EXPECT_EQ(counter.Count(counter.Area(1)), 2);
    EXPECT_EQ(counter.Count(counter.Area(0), counter.Area(1)), 1);
}

TEST_F(QuickReportsTest, QuickLinesAndTheirCount) {
    QuickRowFlags.fill(1);
    QuickColumnFlags.fill(1);
    const QuickLineCount count = CountQuickLines(true);
    EXPECT_EQ(count.Lines, 7);
    EXPECT_EQ(count.Rows, 7);
    EXPECT_EQ(count.Columns, 7);
    EXPECT_EQ(QuickRowFlags[6], 1);
    EXPECT_EQ(QuickRowFlags[7], 0);
    EXPECT_EQ(QuickColumnFlags[7], 0);

    const std::vector<QuickLine> lines = RebuildQuickLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1].Label, "Sesso F");
    EXPECT_FALSE(lines[1].OpensVariable);
    EXPECT_TRUE(lines[4].OpensVariable);
    EXPECT_EQ(lines[5].Parent, 1) << "the variable's parent holds on its other lines";
    EXPECT_EQ(lines[6].Label, "Extra uno");
    EXPECT_TRUE(lines[6].OpensVariable);
    EXPECT_EQ(lines[6].Parent, 0) << "the additional variables hang from nothing";
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "txt-tab2.imp"), std::string(kGrid) + "Extra uno* ;G0S0\r\n");

    // A label long enough to push the written code past the scanned positions still opens the
    // additional variables, of one field and without a parent.
    WriteBytes(Arch("agg-dat.txt"), "x" + std::string(120, 'E') + "\r\nSesso,-1;\r\n");
    const std::vector<QuickLine> longer = RebuildQuickLines();
    ASSERT_EQ(longer.size(), 7u);
    EXPECT_TRUE(longer[6].OpensVariable);
    EXPECT_EQ(longer[6].Variable, 4);
    EXPECT_EQ(longer[6].Parent, 0);
    EXPECT_FALSE(longer[6].MultiAnswer);
}

TEST_F(QuickReportsTest, MoreThanTenColumnsKeepTheFirstTen) {
    std::string grid;
    for (int i = 0; i < 14; ++i) grid += "Riga " + std::to_string(i) + "*1=1,1;\r\n";
    WriteBytes(Arch("grl-dat.txt"), grid);
    QuickColumnFlags.fill(0);
    for (int i = 1; i <= 12; ++i) QuickColumnFlags[size_t(i)] = 1;
    QuickColumnFlags[20] = 1;
    QuickRowFlags[20] = 1;
    const QuickLineCount count = CountQuickLines(true);
    EXPECT_EQ(count.Lines, 15);
    EXPECT_EQ(count.Columns, 10);
    EXPECT_EQ(count.Rows, 0);
    EXPECT_EQ(QuickColumnFlags[10], 1);
    EXPECT_EQ(QuickColumnFlags[11], 0);
    EXPECT_EQ(QuickColumnFlags[12], 0);
    EXPECT_EQ(QuickColumnFlags[20], 0);
    EXPECT_EQ(QuickRowFlags[20], 0);
}

TEST_F(QuickReportsTest, SimpleDistributionLayouts) {
    const std::string n10 = Blanks(9) + "n", pct8 = Blanks(7) + "%";
    // One table per variable: the heading, its rows, the footer (the last variable's own), two
    // blank lines.
    auto tables = [](const std::string& head, const std::string& footer, const std::string& last,
                     const std::vector<std::vector<std::string>>& variables) {
        std::vector<std::string> lines;
        for (size_t v = 0; v < variables.size(); ++v) {
            lines.insert(lines.end(), {head, ""});
            lines.insert(lines.end(), variables[v].begin(), variables[v].end());
            lines.insert(lines.end(), {"", v + 1 < variables.size() ? footer : last, "", ""});
        }
        return CrLf(lines);
    };
    auto row = [&](const char* label, const char* f, const char* p) {
        return Pad(label, 60) + " " + Blanks(10 - std::string(f).size()) + f + " " + p;
    };
    auto cumulated = [&](const char* label, const char* p) { return Pad(label, 60) + "  " + p; };
    const std::string head = Blanks(60) + " " + n10 + " " + pct8;
    const std::string footer = "Testo 823" + Blanks(54) + " " + Blanks(8) + "12";
    const std::string last = "Testo 824" + Blanks(54) + " " + Blanks(8) + "12";
    struct Case {
        const char* name;
        uint8_t frequencies, cumulate, tabs;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", 1, 0, 0,
         tables(head, footer, last,
                {{row("Sesso M", "8", "   66.67"), row("Sesso F", "4", "   33.33")},
                 {row("Giovane", "7", "   58.33"), row("Anziano", "5", "   41.67")},
                 // Percentages of "Auto" are taken on its parent line, 8 cards.
                 {row("Auto si", "3", "   37.50"), row("Auto no", "4", "   50.00")},
                 {row("Extra uno", "8", "   66.67")}})},
        {"cumulated, no counts", 0, 1, 0,
         tables(Blanks(60) + "   " + pct8, footer, last,
                {{cumulated("Sesso M", "    66.67"), cumulated("Sesso F", "   100.00")},
                 {cumulated("Giovane", "    58.33"), cumulated("Anziano", "   100.00")},
                 {cumulated("Auto si", "    37.50"), cumulated("Auto no", "    87.50")},
                 {cumulated("Extra uno", "    66.67")}})},
        {"tabs", 1, 0, 1,
         tables(" \t" + n10 + "\t" + pct8, "Testo 823\t        12", "Testo 824\t        12",
                {{"Sesso M\t         8\t   66.67", "Sesso F\t         4\t   33.33"},
                 {"Giovane\t         7\t   58.33", "Anziano\t         5\t   41.67"},
                 {"Auto si\t         3\t   37.50", "Auto no\t         4\t   50.00"},
                 {"Extra uno\t         8\t   66.67"}})},
    };
    for (const Case& c : cases) {
        QuickRowFlags.fill(1);
        CoreState.ShowFrequencies = c.frequencies;
        CoreState.Cumulate = c.cumulate;
        CoreState.TabSeparators = c.tabs;
        WriteQuickDistributionReport(progress);
        EXPECT_EQ(Report(), c.expected) << c.name;
    }
}

TEST_F(QuickReportsTest, SimpleDistributionOptions) {
    CoreState.ShowFrequencies = 1;
    // Headings, rows of one variable only, an empty row skipped, an empty selection.
    WriteBytes(Arch("tin-dat.txt"),
               "001\r\n\r\n\r\nSesso\r\n///\r\n002\r\n\r\n\r\nEta\r\nin anni\r\n///\r\n");
    CoreState.DistributionHeadings = 1;
    Choose(QuickRowFlags, {2, 3});
    WriteQuickDistributionReport(progress);
    const std::string head = Blanks(60) + " " + Blanks(9) + "n" + " " + Blanks(7) + "%";
    EXPECT_EQ(Report(), CrLf({"Eta", "in anni", head, "", Pad("Giovane", 60) + "          7    58.33",
                              Pad("Anziano", 60) + "          5    41.67", "",
                              "Testo 823" + Blanks(54) + "         12", "", ""}));

    std::remove(Arch("tin-dat.txt").c_str());
    WriteQuickDistributionReport(progress);
    EXPECT_EQ(CoreState.DistributionHeadings, 0) << "a missing heading file turns the option off";

    // Cards 8-11 only: "Auto" has no card and its parent none either; skipped rows still
    // leave the footer.
    CardSelectionMask[0] = 0;
    CoreState.SkipEmptyRows = 1;
    Choose(QuickRowFlags, {4, 5});
    WriteQuickDistributionReport(progress);
    EXPECT_EQ(Report(), CrLf({head, "", "", "Testo 823" + Blanks(54) + "          4", "", ""}));

    CoreState.SkipEmptyRows = 0;
    CardSelectionMask.fill(0);
    Choose(QuickRowFlags, {0});
    WriteQuickDistributionReport(progress);
    EXPECT_EQ(Report(), CrLf({head, "", Pad("Sesso M", 60) + "          0     0.00", "",
                              "Testo 823" + Blanks(54) + "          0", "", ""}))
        << "the variable's table is closed at the next variable; nothing else follows";
}

TEST_F(QuickReportsTest, SimpleDistributionByQuantity) {
    CoreState.ShowFrequencies = 1;
    CoreState.CountByQuantUnit = 1;
    Choose(QuickRowFlags, {0});
    WriteQuickDistributionReport(progress);
    EXPECT_EQ(CoreState.CountByQuantUnit, 0) << "no value file: cards are counted";
    EXPECT_NE(Report().find("          8    66.67"), std::string::npos);

    std::string values;
    for (int32_t c = 0; c < 16; ++c) AppendI32(values, c + 1);
    WriteBytes(Arch("num-dat.dat"), values);
    CoreState.CountByQuantUnit = 1;
    WriteQuickDistributionReport(progress);
    // Sesso M: 1 + ... + 8 = 36 of 1 + ... + 12 = 78.
    EXPECT_NE(Report().find(Pad("Sesso M", 60) + "         36    46.15"), std::string::npos) << Report();
    EXPECT_NE(Report().find("Testo 823" + Blanks(54) + "         78"), std::string::npos);

    // Values that sum below zero leave no base: every percentage is 0.00, never the total.
    values.clear();
    for (int32_t c = 0; c < 16; ++c) AppendI32(values, -1);
    WriteBytes(Arch("num-dat.dat"), values);
    WriteQuickDistributionReport(progress);
    EXPECT_NE(Report().find(Pad("Sesso M", 60) + "         -8     0.00"), std::string::npos) << Report();
    EXPECT_NE(Report().find("Testo 823" + Blanks(54) + "        -12"), std::string::npos);
}

TEST_F(QuickReportsTest, CrossTableReport) {
    WriteBytes(CoreState.ProgramDir + "chi2.imp", " 2000  2743 10828\r\n");
    Choose(QuickColumnFlags, {0, 1});
    Choose(QuickRowFlags, {2, 3, 4, 5});
    CoreState.ShowFrequencies = 1;
    CoreState.PercentColumn = 1;
    CoreState.ChiSquare = 1;
    WriteQuickCrossTableReport(progress);
    const std::string head = Blanks(40) + "       1       2  Testo 582";
    const std::string b34 = Blanks(34);
    // Giovane x Sesso over cards 0-11: 6 1 / 2 3, chi-square 12 x 16^2 / (7 x 5 x 8 x 4).
    EXPECT_EQ(
        Report(),
        CrLf({"col.  1: Sesso M", "col.  2: Sesso F", "", "", "", head,
              Pad("Giovane", 40) + "       6       1       7", b34 + "Testo 583   75.00   25.00   58.33",
              Pad("Anziano", 40) + "       2       3       5", b34 + "Testo 583   25.00   75.00   41.67",
              "Testo 586" + b34 + "       8       4      12", "", "Testo 588   2.743Testo 589 1 *", "", "",
              "", head,
              // "Auto" against its parent: 8 cards, all in column 1. One column holds every shown
              // card: df 0, no test.
              Pad("Auto si", 40) + "       3       0       3", b34 + "Testo 583   37.50    0.00   37.50",
              Pad("Auto no", 40) + "       4       0       4", b34 + "Testo 583   50.00    0.00   50.00",
              "Testo 586" + b34 + "       8       0       8", "", ""}));

    // Columns of two variables: a card may stand in both, so the same chi-square has no stars.
    Choose(QuickColumnFlags, {0, 3});
    Choose(QuickRowFlags, {2, 3});
    CoreState.PercentColumn = 0;
    WriteQuickCrossTableReport(progress);
    const std::string report = Report();
    EXPECT_NE(report.find("\r\nTesto 588"), std::string::npos) << report;
    EXPECT_EQ(report.find("Testo 589 1 *"), std::string::npos) << report;
}

TEST_F(QuickReportsTest, CrossTableOptions) {
    Choose(QuickColumnFlags, {1, 0});
    Choose(QuickRowFlags, {2});
    // Row percentages need the frequencies; the chi-square needs its table.
    CoreState.ShowFrequencies = 0;
    CoreState.PercentRow = 1;
    CoreState.PercentTotal = 1;
    CoreState.ChiSquare = 1;
    CoreState.WideCells = 1;
    CoreState.TabSeparators = 1;
    WriteQuickCrossTableReport(progress);
    EXPECT_EQ(CoreState.PercentRow, 0);
    EXPECT_EQ(CoreState.ChiSquare, 0);
    const std::string w = "\t";
    EXPECT_EQ(Report(), CrLf({"col.  1: Sesso M", "col.  2: Sesso F", "", "", "",
                              " " + w + "         1" + w + "         2" + w + "    Testo 582",
                              // The label alone, then the share of the total on its own line.
                              "Giovane", "Testo 585" + w + "     50.00" + w + "      8.33" + w + "     58.33",
                              "Testo 586" + w + "         8" + w + "         4" + w + "        12",
                              "Testo 587" + w + "     66.67" + w + "     33.33", "", ""}));

    CoreState.TabSeparators = 0;
    CoreState.WideCells = 0;
    CoreState.PercentTotal = 0;
    CoreState.SkipEmptyRows = 1;
    CardSelectionMask.fill(0);
    WriteQuickCrossTableReport(progress);
    EXPECT_EQ(Report(), CrLf({"col.  1: Sesso M", "col.  2: Sesso F", "", "", "",
                              Blanks(40) + "       1       2  Testo 582",
                              "Testo 586" + Blanks(34) + "       0       0       0", "", ""}))
        << "an empty row is left out";
}

TEST_F(QuickReportsTest, ConnectionsReport) {
    Choose(QuickColumnFlags, {0});
    Choose(QuickRowFlags, {0, 1, 2, 3, 4, 6});
    // "Auto si" against "Sesso M" has chi-square exactly 2: not listed at a minimum of 2.
    CoreState.MinChiSquare = 2.0;
    CoreState.CountByQuantUnit = 1;
    WriteQuickConnectionsReport(progress);
    EXPECT_EQ(Report(),
              CrLf({std::string(49, '-'), "", " Sesso M", "", "Testo 590", "",
                    // Equal chi-squares in line order.
                    "   12.00  1.000 (   1) (100.00%/  0.00%) Sesso M",
                    "   12.00  1.000 (   7) (100.00%/  0.00%) Extra uno",
                    "    2.74  0.478 (   3) ( 75.00%/ 25.00%) Giovane", Blanks(16) + "- - - - - - - - -",
                    // The weakest negative association first.
                    "    2.74 -0.478 (   4) ( 25.00%/ 75.00%) Anziano",
                    "   12.00 -1.000 (   2) (  0.00%/100.00%) Sesso F", "", ""}));
    const std::string scratch = ReadBytes(Arch("tx2-sch.dat"));
    ASSERT_EQ(scratch.size(), size_t(7) * 201);
    EXPECT_EQ(scratch.substr(201, 8), "\x07Sesso F");
    EXPECT_EQ(scratch.substr(6 * 201, 10),
              "\x09"
              "Extra uno");

    // A negative minimum lists each row once, as a minimum of 0 does.
    CoreState.MinChiSquare = -1;
    WriteQuickConnectionsReport(progress);
    const std::string listed = Report();
    for (const char* row : {") Sesso M\r", ") Sesso F\r", ") Giovane\r", ") Anziano\r", ") Auto si\r"}) {
        const size_t at = listed.find(row);
        EXPECT_NE(at, std::string::npos) << row;
        EXPECT_EQ(listed.find(row, at + 1), std::string::npos) << row;
    }

    // No card selected: the total is taken as 1 and nothing is listed; the separator stays.
    CardSelectionMask.fill(0);
    CoreState.MinChiSquare = 0;
    WriteQuickConnectionsReport(progress);
    EXPECT_EQ(Report(), CrLf({std::string(49, '-'), "", " Sesso M", "", "Testo 590", "",
                              Blanks(16) + "- - - - - - - - -", "", ""}));
}

TEST_F(QuickReportsTest, ArchivePreparedWithNoCards) {
    std::string last;
    AppendI32(last, -1);
    WriteBytes(Arch("dli-sch.dat"), last);
    WriteBytes(Arch("dli-dat.dat"), last);
    Choose(QuickColumnFlags, {0});
    Choose(QuickRowFlags, {0, 1});
    CoreState.ShowFrequencies = 1;
    WriteQuickDistributionReport(progress);
    EXPECT_NE(Report().find(Pad("Sesso M", 40)), std::string::npos);
    WriteQuickCrossTableReport(progress);
    EXPECT_NE(Report().find("Testo 586" + Blanks(34) + "       0       0"), std::string::npos) << Report();
    WriteQuickConnectionsReport(progress);
    EXPECT_NE(Report().find(" Sesso M"), std::string::npos);
}

TEST_F(QuickReportsTest, MissingPreparedFilesRaiseAndKeepTheReport) {
    WriteBytes(CoreState.ProgramDir + "tabella.txt", "old");
    QuickRowFlags.fill(1);
    QuickColumnFlags.fill(0);
    Choose(QuickColumnFlags, {0});
    std::remove(Arch("dli-dat.dat").c_str());
    EXPECT_THROW(WriteQuickDistributionReport(progress), IoError);
    EXPECT_THROW(WriteQuickConnectionsReport(progress), IoError);
    std::string last;
    AppendI32(last, 15);
    WriteBytes(Arch("dli-dat.dat"), last);
    // A matrix short of the additional variable's area.
    WriteBytes(Arch("dat-dat.dat"), ReadBytes(Arch("dat-dat.dat")).substr(0, 6000));
    EXPECT_THROW(WriteQuickCrossTableReport(progress), IoError);
    EXPECT_EQ(Report(), "old");
}

}  // namespace
}  // namespace qv

#include "elaborations/quantitative_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/count_table.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/short_string.h"
#include "support/count_table.h"
#include "support/program_dir.h"
#include "support/report_text.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Six cards, two columns (the north: cards 1, 2, 4; the young: cards 2, 3, 6) and three
// variables; "-" is an empty value:
//   card  age  children  income
//     1    30     5       1000
//     2    45     -          -
//     3     -     -       1500
//     4    22     9       1200
//     5    60     1        800
//     6    35     -       2000
// Slots: 1 all cards, 2 the north, 3 the young. Sums, counts and squared deviations from the
// slot's mean, worked out by hand:
//   age       192/5 sq 861.2      97/3 sq 272.667   80/2 sq 50
//   children   15/3 sq 32         14/2 sq 8          0/0 sq 0
//   income   6500/5 sq 880000   2200/2 sq 20000   3500/2 sq 125000
struct Slot {
    int32_t sum, count;
    double squares;
};
const std::vector<std::vector<Slot>> kVariables = {
    {{192, 5, 861.2}, {97, 3, 818.0 / 3}, {80, 2, 50}},
    {{15, 3, 32}, {14, 2, 8}, {0, 0, 0}},
    {{6500, 5, 880000}, {2200, 2, 20000}, {3500, 2, 125000}},
};
const std::vector<int32_t> kCards = {6, 3, 3};

class QuantitativeReportTest : public test::CountReportTest {
  protected:
    void SetUp() override {
        CountReportTest::SetUp();
        test::InstallShippedTexts();
        Restore();
    }

    // The grid, the pass files, the column labels and the chosen variables of the tests.
    void Restore() {
        WriteBytes(dir / "grq-sch.txt", "*8*Eta\r\n*9*Figli\r\n*12*Reddito annuo\r\n");
        WritePassFiles(3);
        // The label scratch as the connections report leaves it (100-byte records of every grid
        // line): the legend names the chosen columns all the same.
        std::string labels;
        for (const char* label : {"Sud", "Centro", "Nord", "Vecchi", "Giovani"})
            labels += EncodeShortString(label, 99);
        WriteBytes(dir / "tx2-sch.dat", labels);
        QuantVarFlags.fill(0);
        QuantVarFlags[1] = QuantVarFlags[2] = 1;
    }

    // The files of the two counting passes with the first `slots` slots of every variable,
    // counted on grid lines 3 and 5, chosen as columns now; `fingerprint` is that of the grid
    // counted on (0: not recorded), and `quantFingerprint` that of the quantitative grid (0:
    // the file ends with the figures, as another station may write it).
    void WritePassFiles(size_t slots, int32_t fingerprint = 0, int32_t quantFingerprint = 0) {
        WriteBytes(dir / "grl-sch.txt",
                   "Sud*1=1,1;G0S0\r\nCentro*=2,2;\r\nNord*=3,3;\r\nVecchi*2=60,99;G0S0\r\n"
                   "Giovani*=0,30;\r\n");
        StandardColumnFlags.fill(0);
        std::string columns;
        for (size_t c = 1; c < slots; ++c) {
            columns += std::to_string(c * 2 + 1) + "\r\n";
            StandardColumnFlags[c * 2] = 1;
        }
        WriteBytes(dir / "qnc-sch.dat", columns);
        std::string sums, squares, cards;
        AppendI32(sums, int32_t(kVariables.size()));
        AppendI32(sums, fingerprint);
        for (const auto& v : kVariables)
            for (size_t s = 0; s < slots; ++s) {
                AppendI32(sums, v[s].sum);
                AppendI32(sums, v[s].count);
                AppendF64(squares, v[s].squares);
            }
        for (size_t s = 0; s < slots; ++s) AppendI32(cards, kCards[s]);
        if (quantFingerprint != 0) AppendI32(sums, quantFingerprint);
        WriteBytes(dir / "qnt-sch.dat", sums);
        WriteBytes(dir / "scr-sch.dat", squares);
        WriteBytes(dir / "qnq-sch.dat", cards);
    }
};

// Means, sums per card and standard deviations (population: sqrt(squares / count)):
//   children: 5.00 7.00 0.00 | 15/6 2.50, 14/3 4.67, 0.00 | sqrt(32/3) 3.27, sqrt(4) 2.00, 0.00
//   income: 1300.00 1100.00 1750.00 | 1083.33 733.33 1166.67 | 419.52 100.00 250.00
TEST_F(QuantitativeReportTest, ChosenVariablesByColumn) {
    ASSERT_EQ(WriteQuantitativeReport(), QuantitativeReportOutcome::Written);
    const std::string slots = "          1          2          3";
    EXPECT_EQ(Report(), CrLf({
                            "",
                            "Tabelle quantitative",
                            "",
                            "Colonne:",
                            "      2 - Nord",
                            "      3 - Giovani",
                            "",
                            "",
                            Pad("Figli", 24) + slots,
                            "",
                            Pad("Somma", 24) + "         15         14          0",
                            Pad("N. valori", 24) + "          3          2          0",
                            Pad("Media", 24) + "       5.00       7.00       0.00",
                            Pad("Media/sch.", 24) + "       2.50       4.67       0.00",
                            Pad("Scarto q.", 24) + "       3.27       2.00       0.00",
                            "",
                            "",
                            Pad("Reddito annuo", 24) + slots,
                            "",
                            Pad("Somma", 24) + "       6500       2200       3500",
                            Pad("N. valori", 24) + "          5          2          2",
                            Pad("Media", 24) + "    1300.00    1100.00    1750.00",
                            Pad("Media/sch.", 24) + "    1083.33     733.33    1166.67",
                            Pad("Scarto q.", 24) + "     419.52     100.00     250.00",
                            "",
                            "",
                        }));
}

TEST_F(QuantitativeReportTest, NoColumnGivesOneSlotAndNoLegend) {
    WritePassFiles(1);
    WriteBytes(dir / "grq-sch.txt", "*8*Eta dell'intervistato al 1 gennaio\r\n*9*Figli\r\n");
    QuantVarFlags.fill(0);
    QuantVarFlags[0] = 1;
    // Age over all cards: 192/5 = 38.40, 192/6 = 32.00, sqrt(861.2/5) = 13.12. The name is cut
    // to 24 characters; the grid's missing third line is read as empty.
    ASSERT_EQ(WriteQuantitativeReport(), QuantitativeReportOutcome::Written);
    EXPECT_EQ(Report(), CrLf({
                            "",
                            "",
                            "",
                            "Eta dell'intervistato al",
                            "",
                            Pad("Somma", 24) + "        192",
                            Pad("N. valori", 24) + "          5",
                            Pad("Media", 24) + "      38.40",
                            Pad("Media/sch.", 24) + "      32.00",
                            Pad("Scarto q.", 24) + "      13.12",
                            "",
                            "",
                        }));
}

// Without a chosen variable, without the pass files or with figures of other columns or of
// another grid, nothing is written and the previous report stays.
TEST_F(QuantitativeReportTest, FiguresOfOtherColumnsOrAnotherGridAreRefused) {
    auto removed = [this](const char* file) { return [this, file] { std::filesystem::remove(dir / file); }; };
    struct Case {
        const char* what;
        std::function<void()> change;
        QuantitativeReportOutcome outcome;
    } cases[] = {
        {"no variable", [] { QuantVarFlags.fill(0); }, QuantitativeReportOutcome::NoVariable},
        {"qnc-sch.dat", removed("qnc-sch.dat"), QuantitativeReportOutcome::NoCounts},
        {"qnt-sch.dat", removed("qnt-sch.dat"), QuantitativeReportOutcome::NoCounts},
        {"qnq-sch.dat", removed("qnq-sch.dat"), QuantitativeReportOutcome::NoCounts},
        {"scr-sch.dat", removed("scr-sch.dat"), QuantitativeReportOutcome::NoCounts},
        {"grq-sch.txt", removed("grq-sch.txt"), QuantitativeReportOutcome::NoCounts},
        {"the grid counted on", [this] { WritePassFiles(3, GridFingerprint()); },
         QuantitativeReportOutcome::Written},
        {"another column chosen since", [] { StandardColumnFlags[4] = 0, StandardColumnFlags[3] = 1; },
         QuantitativeReportOutcome::StaleCounts},
        {"a column dropped since", [] { StandardColumnFlags[4] = 0; },
         QuantitativeReportOutcome::StaleCounts},
        // 2^32 + 5 is no line 5, however a cast would wrap it.
        {"a column beyond 32 bits", [this] { WriteBytes(dir / "qnc-sch.dat", "3\r\n4294967301\r\n"); },
         QuantitativeReportOutcome::StaleCounts},
        {"a label edited since",
         [this] {
             WritePassFiles(3, GridFingerprint());
             WriteBytes(dir / "grl-sch.txt", ReadBytes(dir / "grl-sch.txt").replace(0, 3, "Sus"));
         },
         QuantitativeReportOutcome::StaleCounts},
        {"the quantitative grid counted on", [this] { WritePassFiles(3, 0, QuantGridFingerprint()); },
         QuantitativeReportOutcome::Written},
        // Lines swapped: the figures of "Figli" would print under "Eta".
        {"a quantitative grid edited since",
         [this] {
             WritePassFiles(3, 0, QuantGridFingerprint());
             WriteBytes(dir / "grq-sch.txt", "*9*Figli\r\n*8*Eta\r\n*12*Reddito annuo\r\n");
         },
         QuantitativeReportOutcome::StaleCounts},
    };
    for (const Case& c : cases) {
        Restore();
        WriteBytes(dir / "tabella.txt", "previous");
        c.change();
        CoreState.ProceedFlag = 1;
        EXPECT_EQ(WriteQuantitativeReport(), c.outcome) << c.what;
        if (c.outcome == QuantitativeReportOutcome::Written) continue;
        EXPECT_EQ(CoreState.ProceedFlag, 0) << c.what;
        EXPECT_EQ(Report(), "previous") << c.what;
    }
}

TEST_F(QuantitativeReportTest, VariableTooLargeForItsRecordsSaysSo) {
    // The counting marks such a variable with the count -1 in every slot.
    std::string sums = ReadBytes(dir / "qnt-sch.dat");
    for (size_t s = 0; s < 3; ++s) {
        PutI32(reinterpret_cast<uint8_t*>(sums.data()) + 8 + (3 + s) * 8, 0);
        PutI32(reinterpret_cast<uint8_t*>(sums.data()) + 12 + (3 + s) * 8, -1);
    }
    WriteBytes(dir / "qnt-sch.dat", sums);
    ASSERT_EQ(WriteQuantitativeReport(), QuantitativeReportOutcome::Written);
    const std::string report = Report();
    const std::string slots = "          1          2          3";
    EXPECT_NE(report.find(Pad("Figli", 24) + slots + "\r\n\r\n" + LoadText(1692) + "\r\n\r\n\r\n" +
                          Pad("Reddito annuo", 24)),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(Pad("Media", 24) + "    1300.00    1100.00    1750.00"), std::string::npos);
}

TEST_F(QuantitativeReportTest, WideFiguresKeepABlankBeforeThem) {
    // Income over all cards: sum -2147483000 of 3 values and 6 cards. The sum needs 11
    // characters: '*' fill; the mean -715827666.67 and the sum per card -357913833.33 lose
    // their decimals and fit in 10.
    std::string sums = ReadBytes(dir / "qnt-sch.dat");
    PutI32(reinterpret_cast<uint8_t*>(sums.data()) + 8 + 6 * 8, -2147483000);
    PutI32(reinterpret_cast<uint8_t*>(sums.data()) + 12 + 6 * 8, 3);
    WriteBytes(dir / "qnt-sch.dat", sums);
    ASSERT_EQ(WriteQuantitativeReport(), QuantitativeReportOutcome::Written);
    const std::string report = Report();
    for (const std::string& line : {Pad("Somma", 24) + " **********       2200       3500",
                                    Pad("N. valori", 24) + "          3          2          2",
                                    Pad("Media", 24) + " -715827667    1100.00    1750.00",
                                    Pad("Media/sch.", 24) + " -357913833     733.33    1166.67",
                                    Pad("Scarto q.", 24) + "     541.60     100.00     250.00"})
        EXPECT_NE(report.find(line + "\r\n"), std::string::npos) << line << "\n" << report;
}

TEST_F(QuantitativeReportTest, PassFilesShorterThanTheirHeaderAreReadErrors) {
    const std::string sums = ReadBytes(dir / "qnt-sch.dat");
    const std::string squares = ReadBytes(dir / "scr-sch.dat");
    std::string negative = sums, huge = sums;
    PutI32(reinterpret_cast<uint8_t*>(negative.data()), -1);
    PutI32(reinterpret_cast<uint8_t*>(huge.data()), 100000);
    struct Case {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"qnt-sch.dat", sums.substr(0, sums.size() - 4)},
        {"qnt-sch.dat", negative},
        {"qnt-sch.dat", huge},
        {"scr-sch.dat", squares.substr(0, squares.size() - 8)},
        {"qnq-sch.dat", std::string(8, '\0')},
    };
    for (const Case& c : cases) {
        WritePassFiles(3);
        WriteBytes(dir / c.file, c.bytes);
        try {
            WriteQuantitativeReport();
            ADD_FAILURE() << c.file << " " << c.bytes.size();
        } catch (const IoError& e) {
            EXPECT_EQ(e.Code(), kReadPastEnd);
            EXPECT_NE(e.Path().find(c.file), std::string::npos) << e.Path();
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "tabella.txt"));
    }
}

TEST_F(QuantitativeReportTest, PreparingTheColumnsWritesTheirLabelsAndKeepsNine) {
    std::string grid;
    for (int i = 1; i <= 12; ++i) grid += "Zona " + std::to_string(i) + "*4=" + std::to_string(i) + ",9;\r\n";
    // A label cut at 30 characters, and one read only within the first 50 of its line.
    grid += std::string(35, 'L') + "*4=1,1;\r\n";
    grid += std::string(60, 'M') + "*4=1,1;\r\n";
    WriteBytes(dir / "grl-sch.txt", grid);
    StandardColumnFlags.fill(0);
    for (int line : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10}) StandardColumnFlags[size_t(line)] = 1;
    QuantVarFlags[3] = 1;  // past the quantitative grid's three lines

    QuantitativeChoice choice = PrepareQuantitativeColumns();
    EXPECT_EQ(choice.Rows, 2);
    EXPECT_EQ(choice.Columns, 9);
    EXPECT_EQ(StandardColumnFlags[9], 1);
    EXPECT_EQ(StandardColumnFlags[10], 0);  // the tenth chosen
    const std::string labels = ReadBytes(dir / "tx2-sch.dat");
    ASSERT_EQ(labels.size(), 10u * 31);  // every chosen line at the time, the tenth too
    EXPECT_EQ(labels.substr(0, 31), std::string("\x06Zona 1", 7) + std::string(24, '\0'));
    EXPECT_EQ(labels.substr(31, 7), std::string("\x06Zona 3", 7));
    EXPECT_EQ(labels.substr(9 * 31, 8), std::string("\x07Zona 11", 8));

    StandardColumnFlags.fill(0);
    StandardColumnFlags[12] = StandardColumnFlags[13] = 1;
    choice = PrepareQuantitativeColumns();
    EXPECT_EQ(choice.Columns, 2);
    EXPECT_EQ(ReadBytes(dir / "tx2-sch.dat"), "\x1e" + std::string(30, 'L') + "\x1e" + std::string(30, 'M'));

    // Without a grid nothing is counted and the labels stay.
    std::filesystem::remove(dir / "grl-sch.txt");
    choice = PrepareQuantitativeColumns();
    EXPECT_EQ(choice.Rows, 0);
    EXPECT_EQ(choice.Columns, 0);
    EXPECT_EQ(ReadBytes(dir / "tx2-sch.dat").size(), 62u);
}

}  // namespace
}  // namespace qv

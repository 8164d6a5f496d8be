#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "quick/card_set_condition.h"
#include "quick/report_table.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Ten prepared cards (last index 9), one record per area:
// SESSO 1 (maschio): cards 0 2 4 6 8     SESSO 2 (femmina): 1 3 5 7 9
// ETA 1: cards 0-3     ETA 2: cards 4-7     ETA 3: cards 8 9
const char* const kGrid =
    "SESSO maschio*3=1,1;G0S0\r\n"
    "SESSO femmina*=2,2;\r\n"
    "ETA fino a 30*4=0,30;G0S0\r\n"
    "ETA 31-60*=31,60;\r\n"
    "ETA oltre 60*=61,200;\r\n";
const char* const kAreaHeads[] = {"AA 80", "55 40", "F0 00", "0F 00", "00 C0"};

class ReportTablesTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        CoreState.StationNumber = "004";
        CoreState.LastCard = 9;
        WriteBytes(Arch("grl-dat.txt"), kGrid);
        test::WritePreparedCards(9, kAreaHeads);
        WriteBytes(Arch("Selezio.004"), "Tutte le schede\r\nAND (qualcosa)\r\n");
        CardSelectionMask.fill(0xFF);
    }
    static void Select(const char* head) {
        CardSelectionMask.fill(0);
        const std::string bytes = Hex(head);
        std::copy(bytes.begin(), bytes.end(), CardSelectionMask.begin());
    }
    static std::string Head(size_t bytes = 3) {
        return ToHex(std::string(reinterpret_cast<const char*>(CardSelectionMask.data()), bytes));
    }
};

TEST(CardSetConditionTest, ItemsAreTheTextsClosedBySemicolons) {
    struct Case {
        const char* text;
        std::vector<std::string> names;
        std::string operators;
        std::vector<int> categories;  // -1: none
    };
    const Case cases[] = {
        {"SESSO,-1;ETA,+2;X,#3;", {"SESSO", "ETA", "X"}, "-+#", {1, 2, 3}},
        {"SESSO,-1;ETA,-2", {"SESSO"}, "-", {1}},  // the last item has no ";"
        {"SESSO,-2;*Femmine", {"SESSO"}, "-", {2}},
        {" ; ;A,*12;", {"A"}, "*", {12}},
        {"NOCOMMA;A,-x;B,-;", {"NOCOMMA", "A", "B"}, std::string("\0--", 3), {-1, -1, -1}},
        {"", {}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<ConditionItem> items = ParseCardSetCondition(c.text);
        ASSERT_EQ(items.size(), c.names.size());
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].Name, c.names[i]);
            EXPECT_EQ(items[i].Operator, c.operators[i]);
            EXPECT_EQ(items[i].Category.value_or(-1), c.categories[i]);
        }
    }
}

TEST(CardSetConditionTest, VariablesByNameAndTheirCategories) {
    const ReportVariables variables = ReportVariables::FromLines({
        "A uno*1=1,1;",           // 1: A
        "A due*=2,2;",            // 2
        "ABCDEFGHIJKL x*2=1,1;",  // 3: cut to ABCDEFGHIJ
        "ABCDEFGHIJZZ y*=2,2;",   // 4: the same name, the same variable
        "B*3=1,1;",               // 5: no blank: "B*3=1,1;"
        "A tre*4=1,1;",           // 6: A again, a new variable that replaces the first
    });
    struct Case {
        const char* name;
        int category;
        int variable;  // -1: none
    };
    const Case cases[] = {
        {"A", 1, 5},           {"A", 2, -1},           {"ABCDEFGHIJ", 1, 2}, {"ABCDEFGHIJ", 2, 3},
        {"ABCDEFGHIJ", 3, -1}, {"ABCDEFGHIJKL", 2, 3}, {"B*3=1,1;", 1, 4},   {"B", 1, -1},
        {"ABCDEFGHIJ", 0, -1}, {"C", 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.category));
        EXPECT_EQ(variables.MatrixVariable(c.name, c.category).value_or(-1), c.variable);
    }
}

TEST_F(ReportTablesTest, SavedConditionsReplaceTheSelection) {
    WriteBytes(Arch("cnd-dat.dat"),
               "*Maschi adulti\r\nSESSO,-1;ETA,-2;\r\n"
               "*Un piu\r\nSESSO,+1;\r\n"
               "*Femmine non giovani\r\nSESSO,-2;ETA,#1;\r\n"
               "*Senza punto e virgola\r\nSESSO,-2\r\n"
               "*Voci sbagliate\r\nSESSO,-3;NESSUNA,-1;ETA,-2;\r\n");
    EXPECT_EQ(ReadSavedConditionTitles(),
              (std::vector<std::string>{"Maschi adulti", "Un piu", "Femmine non giovani",
                                        "Senza punto e virgola", "Voci sbagliate"}));
    struct Case {
        int k;
        const char* head;
        std::vector<std::string> skipped;
    };
    const Case cases[] = {
        {0, "0A 00 00", {}},                       // cards 4 and 6, though the selection before was empty
        {1, "FF FF FF", {}}, {2, "05 40 00", {}},  // 5 7 9
        {3, "FF FF FF", {}}, {4, "0F 00 00", {"SESSO,-3;", "NESSUNA,-1;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        Select("00 00 00");
        CoreState.ReportCondition = 0;
        EXPECT_EQ(ApplySavedCondition(c.k, "titolo " + std::to_string(c.k)), c.skipped);
        EXPECT_EQ(Head(), ToHex(Hex(c.head)));
        EXPECT_EQ(CoreState.ReportCondition, c.k);
        EXPECT_EQ(ReadBytes(Arch("Selezio.004")), "titolo " + std::to_string(c.k) + "\r\n");
    }
}

TEST_F(ReportTablesTest, SavedConditionWithoutItsFilesOrTheMatrix) {
    // No condition file: the selection stays, the log names the condition all the same.
    Select("12 34");
    ApplySavedCondition(0, "nessuna");
    EXPECT_EQ(Head(2), ToHex(Hex("12 34")));
    EXPECT_EQ(ReadBytes(Arch("Selezio.004")), "nessuna\r\n");

    // No matrix: nothing changes.
    WriteBytes(Arch("cnd-dat.dat"), "*A\r\nSESSO,-1;\r\n");
    std::remove(Arch("dat-dat.dat").c_str());
    EXPECT_THROW(ApplySavedCondition(0, "A"), IoError);
    EXPECT_EQ(Head(2), ToHex(Hex("12 34")));
    EXPECT_EQ(ReadBytes(Arch("Selezio.004")), "nessuna\r\n");
}

const char* const kRows =
    "riga prima di ogni insieme\r\n"
    "#Per sesso\r\n"
    "SESSO,-1;*Maschi\r\n"
    "SESSO,-2;*Femmine\r\n"
    "#Non\r\n"
    "SESSO,#1;*Non maschi\r\n";
const char* const kColumns =
    "#Prima\r\n"
    "*\r\n"
    "ETA,-1;*Tutti\r\n"
    "*\r\n"
    "#Per eta\r\n"
    "\"2 Giovani & adulti\"\r\n"
    "*\r\n"
    "ETA,-1;*Giovani\\fino a 30\r\n"
    "ETA,-2;*Adulti\r\n"
    "ETA,-3;*Anziani\r\n"
    "0;\r\n"
    "*\r\n"
    "ETA,-1;*dopo la lista\r\n"
    "\"1 Anziani\r\n"
    "#Non\r\n"
    "*\r\n"
    "ETA,#3;*Non anziani\r\n"
    "ETA,+9;*Fuori\r\n";

TEST_F(ReportTablesTest, CountsOfRowSetAgainstColumnSet) {
    WriteBytes(Arch("ri2-dat.txt"), kRows);
    WriteBytes(Arch("tab-dat.txt"), kColumns);
    EXPECT_EQ(ReadRowSetTitles(), (std::vector<std::string>{"Per sesso", "Non"}));
    EXPECT_EQ(ReadColumnSetTitles(), (std::vector<std::string>{"Prima", "Per eta", "Non"}));
    Select("7F 80");  // cards 1 to 8
    const ReportTable t = ComputeReportTable(2, 1);
    EXPECT_EQ(t.RowSetTitle, "Per sesso");
    EXPECT_EQ(t.ColumnSetTitle, "Per eta");
    ASSERT_EQ(t.RowCount, 2);
    ASSERT_EQ(t.ColumnCount, 3);
    EXPECT_TRUE(t.TotalColumn);
    EXPECT_EQ(t.RowLabels, (std::vector<std::string>{"", "Maschi", "Femmine", "Totale"}));
    EXPECT_EQ(t.ColumnLabels,
              (std::vector<std::string>{"", "Giovani\\fino a 30", "Adulti", "Anziani", "TOTALE"}));
    EXPECT_EQ(t.GroupLabels, (std::vector<std::string>{"Giovani & adulti", "Anziani"}));
    EXPECT_EQ(t.GroupSpans, (std::vector<int32_t>{2, 1}));
    // Maschi 2 4 6 8, Femmine 1 3 5 7 among the selected.
    const int64_t expected[4][5] = {{8, 3, 4, 1, 0}, {4, 1, 2, 1, 4}, {4, 2, 2, 0, 4}, {0, 3, 4, 1, 8}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(t.Counts[size_t(r)][size_t(c)], expected[r][c]) << r << "," << c;
    EXPECT_EQ(t.HeadingLines, 2);
    EXPECT_EQ(t.PageWidth, 120 + 50 * 4 + 5);
    EXPECT_EQ(t.PageHeight, 10 + 100 + 23 * 3 + 23 * 2 + 10);
    EXPECT_EQ(t.TableTop(), 156);
    EXPECT_EQ(t.TableBottom(), 225);
    EXPECT_EQ(t.HeadingTop(), 111);
    EXPECT_EQ(t.GroupTop(), 83);
    EXPECT_EQ(CoreState.CurrentCard, 10);
    EXPECT_TRUE(t.LeftOut.empty());
}

TEST_F(ReportTablesTest, OnlyNotItemsHoldCardsOutsideTheSelection) {
    WriteBytes(Arch("ri2-dat.txt"), kRows);
    WriteBytes(Arch("tab-dat.txt"), kColumns);
    Select("7F 80");
    struct Case {
        int32_t lastCard;
        int64_t cell;
    };
    // Non maschi 0 1 3 5 7 9 with Non anziani (all but 8): six cards, 0 and 9 unselected. Cards
    // added after the preparation have no bits and count nowhere.
    for (const Case& c : {Case{9, 6}, Case{30, 6}, Case{5, 4}}) {
        CoreState.LastCard = c.lastCard;
        const ReportTable t = ComputeReportTable(3, 2);
        ASSERT_EQ(t.ColumnCount, 2);
        EXPECT_EQ(t.Counts[1][1], c.cell) << c.lastCard;
        EXPECT_FALSE(t.TotalColumn);
        EXPECT_EQ(t.PageWidth, 225);
        EXPECT_EQ(t.LeftOut, (std::vector<std::string>{"ETA,+9;"}));
    }
}

TEST_F(ReportTablesTest, SetsPastTheLimitsAreLeftOut) {
    std::string rows = "#Molte\r\n", columns = "#Molte\r\n*\r\n";
    for (int i = 0; i < 45; ++i) rows += "SESSO,-1;*r\r\n";
    for (int i = 0; i < 8; ++i) columns += "ETA,-1;*c\r\n";
    for (int i = 0; i < 12; ++i) columns += "\"1 g\"\r\n";
    WriteBytes(Arch("ri2-dat.txt"), rows);
    WriteBytes(Arch("tab-dat.txt"), columns);
    test::InstallShippedTexts();  // the texts naming what was left out
    const ReportTable t = ComputeReportTable(1, 1);
    EXPECT_EQ(t.RowCount, 45);
    EXPECT_EQ(t.ColumnCount, 5);  // 50 card sets in all; group lines in the list are columns too
    EXPECT_EQ(t.GroupCount, 10);
    EXPECT_EQ(t.LeftOut, (std::vector<std::string>{"15 colonne oltre il limite di 50 righe e colonne",
                                                   "2 gruppi di colonne oltre il 10o"}));
    EXPECT_EQ(t.Counts[46][1], 45 * 2);  // maschi among the young: cards 0 and 2
}

TEST_F(ReportTablesTest, ColumnSetFileFollowsTheConditionApplied) {
    WriteBytes(Arch("tab-dat.txt"), "#Generale\r\n");
    WriteBytes(Arch("tab-dat.03"), "#Per la condizione 3\r\n");
    WriteBytes(Arch("ri2-dat.txt"), "#R\r\n");
    struct Case {
        int condition;
        const char* title;
    };
    for (const Case& c : {Case{3, "Per la condizione 3"}, Case{0, "Generale"}, Case{13, "Generale"},
                          Case{103, "Generale"}, Case{-1, "Generale"}}) {
        CoreState.ReportCondition = c.condition;
        EXPECT_EQ(ComputeReportTable(1, 1).ColumnSetTitle, c.title) << c.condition;
    }
    std::remove(Arch("tab-dat.txt").c_str());
    EXPECT_THROW(ComputeReportTable(1, 1), IoError);
}

TEST_F(ReportTablesTest, TitlesFromTheLogAndTheUpdateDate) {
    ReportTable t;
    t.RowSetTitle = "Per sesso";
    test::InstallShippedTexts();  // the footer's text
    ReadReportTitles(t);
    EXPECT_EQ(t.LogLines[0], "Per sesso - Tutte le schede");
    EXPECT_EQ(t.LogLines[1], "AND (qualcosa)");
    EXPECT_EQ(t.LogLines[2], "");
    EXPECT_EQ(t.Footer, "");
    WriteBytes(Arch("gma-dat.dat"), "31 dicembre 2024, dati completi di tutte le sezioni\r\naltro\r\n");
    ReadReportTitles(t);
    EXPECT_EQ(t.Footer, "Aggiornato al: 31 dicembre 2024, dati completi di ");  // 50 characters
    std::remove(Arch("Selezio.004").c_str());
    EXPECT_THROW(ReadReportTitles(t), IoError);
}

TEST(ReportHtmlTest, PageOfTheTable) {
    ReportTable t;
    t.ColumnSetTitle = "Eta <anni>";
    t.RowSetTitle = "Sesso";
    t.LogLines = {"Sesso - Tutte", "", "terza"};
    t.RowCount = 1;
    t.ColumnCount = 2;
    t.TotalColumn = true;
    t.RowLabels = {"", "M & F", "Totale"};
    t.ColumnLabels = {"", "fino\\a 30", "\"oltre\"", "TOTALE"};
    t.GroupCount = 1;
    t.GroupLabels = {"Tutte"};
    t.GroupSpans = {2};
    t.Counts[1][1] = 3;
    t.Counts[1][2] = 12;
    t.Counts[1][3] = 15;
    t.Counts[2][1] = 3;
    t.Counts[2][2] = 12;
    t.Counts[2][3] = 15;
    const std::string expected =
        "<html>\r\n"
        "<head>\r\n"
        "<meta http-equiv=\"Content-Type\"\r\n"
        "content=\"text/html; charset=iso-8859-1\">\r\n"
        "<meta name=\"GENERATOR\" content=\"Geolar 1.0\">\r\n"
        "<title>Tabella</title>\r\n"
        "</head>\r\n"
        "<body bgcolor=\"#FFFFFF\">\r\n"
        "<p>Eta &lt;anni&gt;</p>\r\n"
        "<p>Sesso</p>\r\n"
        "<p>Sesso - Tutte</p>\r\n"
        "<div align=\"center\"><center>\r\n"
        "<table border=\"2\">\r\n"
        "<tr>\r\n"
        "<td>&nbsp;</td>\r\n"
        "<td colspan=\"2\"><p align=\"center\">Tutte</p></td>\r\n"
        "</tr>\r\n"
        "<tr>\r\n"
        "<td>&nbsp;</td>\r\n"
        "<td><p align=\"center\">fino a 30</p></td>\r\n"
        "<td><p align=\"center\">&quot;oltre&quot;</p></td>\r\n"
        "<td>TOTALE</td>\r\n"
        "</tr>\r\n"
        "<tr>\r\n"
        "<td><p align=\"left\">M &amp; F</p></td>\r\n"
        "<td><p align=\"center\">3</p></td>\r\n"
        "<td><p align=\"center\">12</p></td>\r\n"
        "<td><p align=\"center\">15</p></td>\r\n"
        "</tr>\r\n"
        "<tr>\r\n"
        "<td><p align=\"left\">Totale</p></td>\r\n"
        "<td><p align=\"center\">3</p></td>\r\n"
        "<td><p align=\"center\">12</p></td>\r\n"
        "<td><p align=\"center\">15</p></td>\r\n"
        "</tr>\r\n"
        "</center></div>\r\n"
        "</body>\r\n"
        "</html>\r\n";
    EXPECT_EQ(ReportTableHtml(t), expected);
}

TEST_F(ReportTablesTest, PrintEnlargementOfTheStation) {
    EXPECT_FALSE(ReadPrintEnlargement());
    WritePrintEnlargement(250);
    EXPECT_EQ(ReadBytes(Arch("Stampa.004")), "250\r\n");
    EXPECT_EQ(ReadPrintEnlargement(), 250);
    WriteBytes(Arch("Stampa.004"), "-5\r\n");
    EXPECT_FALSE(ReadPrintEnlargement());
}

}  // namespace
}  // namespace qv

#include "quick/additional_variables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Seven grid lines in three groups of names, one cut to ten characters.
const char* const kGrid =
    "Sesso maschio*3=1,1;G0S0\r\n"
    "Sesso femmina*3=2,2;\r\n"
    "Mezzi auto*20=1,1;G3S0\r\n"
    "Mezzi bus*20=2,2;\r\n"
    "Mezzi treno*20=3,3;\r\n"
    "Eta giovane*4=0,30;G0S0\r\n"
    "Abitazione_principale*7=1,1;G0S0\r\n";

// Ten cards (last index 9), one record per area. First two bytes of each grid variable:
// 0 Sesso 1: cards 0 2 4 6 8   1 Sesso 2: cards 1 3 5 7 9   2 Mezzi 1: cards 0-3
// 3 Mezzi 2: cards 2-5         4 Mezzi 3: cards 3 5 9       5, 6: none
const char* const kAreaHeads[] = {"AA 80", "55 40", "F0 00", "3C 00", "14 40", "00 00", "00 00"};

class AdditionalVariablesTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::InstallNumberedTexts(
            800,
            {{542, "Almeno"}, {543, " delle seguenti modalita':"}, {544, " non trovato"}, {545, "File "}});
        WriteBytes(Arch("grl-dat.txt"), kGrid);
        std::string last;
        AppendI32(last, 9);
        WriteBytes(Arch("dli-dat.dat"), last);
    }
    static std::string Area(const std::string& head) {
        std::string area = Hex(head);
        area.resize(1000, '\0');
        return area;
    }
    // The grid's areas followed by `stale` areas of an earlier build.
    void WriteMatrix(int stale) {
        std::string matrix;
        for (const char* head : kAreaHeads) matrix += Area(head);
        matrix += std::string(size_t(stale) * 1000, '\xEE');
        WriteBytes(Arch("dat-dat.dat"), matrix);
    }
    NoProgress progress;
};

TEST_F(AdditionalVariablesTest, GroupsOfTheQuickGrid) {
    const QuickGridGroups groups = LoadQuickGridGroups();
    ASSERT_EQ(groups.LineCount(), 7);
    EXPECT_EQ(groups.Names[6], "Abitazione");
    struct Case {
        const char* name;
        int number;
        std::optional<int> variable;
    };
    const Case cases[] = {
        {"Sesso", 1, 0},
        {"Sesso", 2, 1},
        {"Sesso", 3, std::nullopt},
        {"Mezzi", 3, 4},
        {"Mezzi", 0, std::nullopt},
        {"sesso", 1, std::nullopt},
        {"Abitazione", 1, 6},
        {"Abitazione_principale", 1, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(groups.Find(c.name, c.number), c.variable) << c.name << c.number;

    // A name found in two separate runs stands for the last one.
    WriteBytes(Arch("grl-dat.txt"), "A uno*1=1,1;\r\nA due*1=2,2;\r\nB*2=1,1;\r\nA tre*1=3,3;\r\n");
    const QuickGridGroups runs = LoadQuickGridGroups();
    EXPECT_EQ(runs.Find("A", 1), std::optional<int>(3));
    EXPECT_EQ(runs.Find("A", 2), std::nullopt);
}

TEST_F(AdditionalVariablesTest, ParsingRules) {
    struct Case {
        const char* rule;
        bool atLeast, wellFormed;
        int k;
        std::vector<std::string> names;
        std::string operators;
        std::vector<int> numbers;
    };
    const Case cases[] = {
        {"Sesso,-1;Mezzi,+3;Eta,#1;", false, true, 0, {"Sesso", "Mezzi", "Eta"}, "-+#", {1, 3, 1}},
        {"Sesso,-2;Mezzi,-1", false, true, 0, {"Sesso"}, "-", {2}},  // no ';': the item is dropped
        {"F(2):Mezzi,1;Mezzi,2; tail", true, true, 2, {"Mezzi", "Mezzi"}, "", {1, 2}},
        {"F(2) Mezzi,1;", true, false, 0, {}, "", {}},  // no ':'
        {"Fumo,-1;", true, false, 0, {}, "", {}},       // a name beginning with F reads as "at least"
        {"nessun punto e virgola", false, true, 0, {}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        const ParsedRule r = ParseRule(c.rule);
        EXPECT_EQ(r.AtLeast, c.atLeast);
        EXPECT_EQ(r.WellFormed, c.wellFormed);
        EXPECT_EQ(r.MinimumCount, c.k);
        ASSERT_EQ(r.Items.size(), c.names.size());
        for (size_t i = 0; i < r.Items.size(); ++i) {
            EXPECT_EQ(r.Items[i].Name, c.names[i]);
            EXPECT_EQ(r.Items[i].Operator, c.atLeast ? 0 : c.operators[i]);
            EXPECT_EQ(r.Items[i].Number, c.numbers[i]);
        }
    }
}

TEST_F(AdditionalVariablesTest, BuildAppendsOneAreaPerRule) {
    WriteMatrix(8);
    WriteBytes(Arch("agg-dat.txt"),
               "*Maschi con auto\r\nSesso,-1;Mezzi,-1;\r\n"
               "*Non maschi\r\nMezzi,+1;Mezzi,+3;Sesso,#1;\r\n"
               "*Almeno due mezzi\r\nF(2):Mezzi,1;Mezzi,2;Mezzi,3;\r\n"
               "*Sbagliata\r\nSesso,-3;\r\n"
               "*Senza punto e virgola finale\r\nSesso,-2;Mezzi,-1\r\n"
               "*Senza regola\r\n\r\n");
    const std::vector<RuleFault> faults = BuildAdditionalVariables(progress);

    // AND: AA & F0 = A0. All "+" start from every card and keep it; NOT Sesso 1 leaves the
    // females, never a card past the tenth. At least two means: cards 2, 3, 5. The faulty rules
    // leave an empty variable.
    const std::string matrix = ReadBytes(Arch("dat-dat.dat"));
    ASSERT_EQ(matrix.size(), 13u * 1000);
    const char* const expected[] = {"A0 00", "55 40", "34 00", "00 00", "55 40", "00 00"};
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(ToHex(matrix.substr(size_t(7 + r) * 1000, 1000)), ToHex(Area(expected[r]))) << "rule " << r;
    EXPECT_EQ(matrix.substr(0, 1000), Area("AA 80"));

    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].Rule, 3);
    EXPECT_EQ(faults[0].Label, "Sbagliata");
    EXPECT_EQ(faults[0].Item, "Sesso,-3;");
    EXPECT_EQ(faults[1].Rule, 5);
    EXPECT_EQ(faults[1].Label, "Senza regola");
    WriteRuleFaults(faults);
    EXPECT_EQ(Report(), "\"Sbagliata\": Sesso,-3; non trovato\r\n\"Senza regola\":  non trovato\r\n");
}

TEST_F(AdditionalVariablesTest, BuildWithoutRulesOrFiles) {
    WriteMatrix(2);
    const std::string before = ReadBytes(Arch("dat-dat.dat"));
    EXPECT_TRUE(BuildAdditionalVariables(progress).empty());  // no rule file: nothing happens
    WriteBytes(Arch("agg-dat.txt"), "");
    EXPECT_TRUE(BuildAdditionalVariables(progress).empty());
    EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), before);

    WriteBytes(Arch("agg-dat.txt"), "*A\r\nSesso,-1;\r\n");
    // A matrix shorter than the grid's areas was built from another grid.
    WriteBytes(Arch("dat-dat.dat"), before.substr(0, 6000));
    EXPECT_THROW(BuildAdditionalVariables(progress), IoError);
    RemoveFile(Arch("dat-dat.dat"));
    EXPECT_THROW(BuildAdditionalVariables(progress), IoError);
    WriteMatrix(0);
    RemoveFile(Arch("dli-dat.dat"));
    EXPECT_THROW(BuildAdditionalVariables(progress), IoError);
}

TEST_F(AdditionalVariablesTest, VariableListReport) {
    WriteGridVariableList();
    EXPECT_EQ(Report(),
              "Testo 541\r\n"
              "----------------------\r\n"
              "Sesso  1 = Sesso maschio\r\n"
              "Sesso  2 = Sesso femmina\r\n"
              "Mezzi  1 = Mezzi auto\r\n"
              "Mezzi  2 = Mezzi bus\r\n"
              "Mezzi  3 = Mezzi treno\r\n"
              "  Eta  1 = Eta giovane\r\n"
              "Abitazione  1 = Abitazione_principale\r\n");
}

TEST_F(AdditionalVariablesTest, RulesInWords) {
    WriteRulesInWords();
    EXPECT_EQ(Report(), "File " + Arch("agg-dat.txt") + " non trovato\r\n");

    WriteBytes(Arch("agg-dat.txt"),
               "*Non maschi\r\nMezzi,+1;Sesso,#1;\r\n"
               "*Almeno due mezzi\r\nF(2):Mezzi,1;Mezzi,3;\r\n"
               "*Sbagliata\r\nSesso,-3;\r\n");
    WriteRulesInWords();
    const std::string dashes(66, '-');
    EXPECT_EQ(Report(), dashes +
                            "\r\n\r\n\"Non maschi\"\r\n\r\n"
                            "Mezzi1 OR  \"Mezzi auto\"\r\n"
                            "Sesso1 NOT \"Sesso maschio\"\r\n\r\n" +
                            dashes +
                            "\r\n\r\n\"Almeno due mezzi\"\r\n\r\n"
                            "Almeno 2 delle seguenti modalita':\r\n\r\n"
                            "Mezzi1 \"Mezzi auto\"\r\n"
                            "Mezzi3 \"Mezzi treno\"\r\n\r\n" +
                            dashes +
                            "\r\n\r\n\"Sbagliata\"\r\n\r\n"
                            "Sesso3 AND \"\" non trovato\r\n\r\n" +
                            dashes + "\r\n");
}

TEST_F(AdditionalVariablesTest, ItemsFromAReport) {
    // Category lines: column 10 blank, the grid line in columns 18-21.
    const std::string report = CoreState.ProgramDir + "rapporto.txt";
    WriteBytes(report,
               "maschio   .......   1  riga di titolo, saltata\r\n"
               "Sesso\r\n"
               "maschio   .......   1   12\r\n"
               "femmina   .......   2    8\r\n"
               "--------------------------\r\n"
               "auto      .......   3   40\r\n"
               "treno     .......   5    2\r\n"
               "altro     .......9999    1\r\n"
               "nessuno   .......   x    1\r\n"
               "piedi    x.......   4    1\r\n");
    WriteItemsFromReport(report);
    EXPECT_EQ(Report(), "* 1\r\nSesso,1;Sesso,2;\r\n* 2\r\nMezzi,1;Mezzi,3;\r\n");
    EXPECT_THROW(WriteItemsFromReport(CoreState.ProgramDir + "manca.txt"), IoError);
}

}  // namespace
}  // namespace qv

#include "elaborations/grid_editor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/io_error.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// The shipped texts: 926 "Riga", 923 to 930 the findings, 931 the missing grid.
class GridEditorTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::InstallShippedTexts();
    }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(GridEditorTest, FindingsOfOneLine) {
    struct Case {
        const char* line;
        bool withPrevious;  // the previous starred line tested field 4
        std::vector<std::string> findings;
    };
    const std::string r7 = "Riga    7";
    const Case cases[] = {
        {"Sesso*3=1,1;G0S0", false, {}},
        {"Figli*=1,1;", true, {}},  // field inherited
        // Field 0 after "=": zero field and no field.
        {"Eta*0=1,2;G0S0",
         true,
         {r7 + " \"Eta*0=1,2;G0S0\" campo uguale a zero", r7 + " nessun campo nella riga"}},
        // Nothing between "=" and ",": the low bound is not a number.
        {"Vuoto*5=,2;", true, {r7 + " \"Vuoto*5=,2;\" limite inferiore non numerico"}},
        {"Misto*5=1,2-3;", true, {r7 + " \"Misto*5=1,2-3;\" limite superiore non numerico"}},
        {"senza asterisco", true, {r7 + " \"senza asterisco\" manca l'asterisco"}},
        // No "=" at all: the line tests field 0.
        {"Manca*5,6;", true, {r7 + " \"Manca*5,6;\" manca il segno =", r7 + " nessun campo nella riga"}},
        {"Aperta*=5,6", true, {r7 + " \"Aperta*=5,6\" manca il punto e virgola"}},
        // An empty "=" on the first line inherits nothing.
        {"Primo*=1,1;G0S0", false, {r7 + " nessun campo nella riga"}},
        // A field number that does not fit reads 0.
        {"Grande*99999999999=1,1;",
         true,
         {r7 + " \"Grande*99999999999=1,1;\" campo uguale a zero", r7 + " nessun campo nella riga"}},
        // Negative bounds and a dot between digits are valid.
        {"Neg*=-5,1.000;", true, {}},
        // After ';' a heading mark or nothing is fine; anything else is named.
        {"Sesso femmina*=2,2;#F", true, {}},
        {"Blank*=2,2; ", true, {}},
        {"Strano*=2,2;X1",
         true,
         {r7 + " \"Strano*=2,2;X1\" dopo il punto e virgola n\xe9 un codice G n\xe9 un'intestazione #"}},
        // The grid has 20 lines: parent 20 is in it, 21 is not.
        {"Figli*3=1,1;G0S20", false, {}},
        {"Figli*3=1,1;G0S21", false, {r7 + " classe madre fuori dalla griglia: la riga non ha madre"}},
    };
    GridLine previous;
    previous.HasStar = true;
    previous.Field = 4;
    for (const Case& c : cases) {
        GridLine parsed;
        EXPECT_EQ(CheckGridLine(7, c.line, c.withPrevious ? &previous : nullptr, 20, parsed), c.findings)
            << c.line;
    }
}

TEST_F(GridEditorTest, CheckReportFollowsTheReaderAcrossLines) {
    // Line 3 has no '*': line 4 inherits field 3 from line 2, as the grid reader does.
    WriteBytes(Arch("grl-sch.txt"),
               "Sesso*3=1,1;G0S0\r\n"
               "Altro*=,2;\r\n"
               "commento\r\n"
               "Terzo*=3,3;\r\n");
    WriteCategoryGridCheck();
    EXPECT_EQ(Report(),
              "Riga    2 \"Altro*=,2;\" limite inferiore non numerico\r\n"
              "Riga    3 \"commento\" manca l'asterisco\r\n");

    std::filesystem::remove(Arch("grl-sch.txt"));
    WriteCategoryGridCheck();
    EXPECT_EQ(Report(), "Manca la griglia grl-sch.txt\r\n");
}

TEST_F(GridEditorTest, NumberedGrid) {
    WriteBytes(Arch("grl-sch.txt"), "Sesso*3=1,1;G0S0\r\nFemmine*=2,2;\r\n");
    WriteNumberedCategoryGrid();
    EXPECT_EQ(Report(), "Riga     1 = Sesso*3=1,1;G0S0\r\nRiga     2 = Femmine*=2,2;\r\n");
    std::filesystem::remove(Arch("grl-sch.txt"));
    WriteNumberedCategoryGrid();
    EXPECT_EQ(Report(), "Manca la griglia grl-sch.txt\r\n");
}

TEST_F(GridEditorTest, RenumberingKeepsTheBlocks) {
    const std::string longLine(1000, 'x');  // a user-edited file: kept whole
    WriteBytes(Arch("tin-sch.txt"),
               "003\r\n\r\n\r\nSesso\r\n///\r\n"
               "\r\n"  // a blank line between blocks stays one
               "007\r\nriga\r\n" +
                   longLine +
                   "\r\n/// fine\r\n"
                   "9\r\nEta\r\n///\r\n");
    ASSERT_TRUE(RenumberTableHeadings());
    const std::string expected = "001\r\n\r\n\r\nSesso\r\n///\r\n\r\n002\r\nriga\r\n" + longLine +
                                 "\r\n/// fine\r\n003\r\nEta\r\n///\r\n";
    EXPECT_EQ(ReadBytes(Arch("tin-sch.txt")), expected);
    EXPECT_EQ(ReadBytes(Arch("ti0-sch.dat")), expected);

    std::filesystem::remove(Arch("tin-sch.txt"));
    std::filesystem::remove(Arch("ti0-sch.dat"));
    EXPECT_FALSE(RenumberTableHeadings());
    EXPECT_FALSE(std::filesystem::exists(Arch("ti0-sch.dat")));
    EXPECT_FALSE(std::filesystem::exists(Arch("tin-sch.txt")));
}

TEST_F(GridEditorTest, GridPairUnderAChosenName) {
    // A dot in a directory name is not the end of the chosen name.
    const std::string saved = dir.MakeDir("copie.vecchie");
    EXPECT_EQ(SavedGridPath(saved + "mia.grl"), saved + "mia.Grl");
    EXPECT_EQ(SavedHeadingsPath(saved + "mia.x.y"), saved + "mia.TIN");
    EXPECT_EQ(SavedGridPath(saved + "senza"), saved + "senza.Grl");

    WriteBytes(Arch("grl-sch.txt"), "A*1=1,1;G0S0\r\n");
    WriteBytes(Arch("tin-sch.txt"), "001\r\n///\r\n");
    SaveGridPair(saved + "mia.grl");
    EXPECT_EQ(ReadBytes(saved + "mia.Grl"), "A*1=1,1;G0S0\r\n");
    EXPECT_EQ(ReadBytes(saved + "mia.TIN"), "001\r\n///\r\n");

    WriteBytes(Arch("grl-sch.txt"), "B*2=1,1;G0S0\r\n");
    WriteBytes(Arch("tin-sch.txt"), "altro\r\n");
    RestoreGridPair(saved + "mia.grl");
    EXPECT_EQ(ReadBytes(Arch("grl-sch.txt")), "A*1=1,1;G0S0\r\n");
    EXPECT_EQ(ReadBytes(Arch("tin-sch.txt")), "001\r\n///\r\n");

    // Half a pair restores nothing.
    std::filesystem::remove(saved + "mia.TIN");
    WriteBytes(Arch("grl-sch.txt"), "B*2=1,1;G0S0\r\n");
    EXPECT_THROW(RestoreGridPair(saved + "mia.grl"), IoError);
    EXPECT_EQ(ReadBytes(Arch("grl-sch.txt")), "B*2=1,1;G0S0\r\n");
}

}  // namespace
}  // namespace qv

// The three passes of the card-definition compiler, with files worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler_fixture.h"
#include "core/compiler_fields.h"
#include "core/compiler_layout.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

const std::string B20(20, ' ');

class CompilerPasses : public test::CompilerFixture {
  protected:
    CompileRun Compile(const std::string& source) {
        WriteSource(source);
        CompileRun run;
        CompileFieldDeclarations(run);
        CompileCardLayout(run);
        return run;
    }
};

TEST_F(CompilerPasses, SmallDefinitionGivesTheFilesByteForByte) {
    CompileRun run = Compile(CrLf({
        "Prova",                 // 1
        "*T X10 G",              // 2
        "Nome",                  // 3
        "*C A30 X100",           // 4
        "*T Y=",                 // 5
        "#Sesso",                // 6
        "*C C2,2 #1",            // 7
        "maschio",               // 8
        "  2) femmina",          // 9
        "*P",                    // 10
        "*T I",                  // 11
        "Data",                  // 12
        "*C D Y200 Z300",        // 13
        "*C C2 #1",              // 14
        "*C L R",                // 15
        "*T",                    // 16
        "Fattore  1 punteggio",  // 17
        "*C Q M",                // 18
    }));
    EXPECT_FALSE(run.errorFlag) << run.errorList.Text();
    EXPECT_EQ(run.numericTotal, 11);
    EXPECT_EQ(run.textTotal, 30);
    EXPECT_EQ(Designed("sig-sch.dat"), CrLf({
                                           "Prova",
                                           "001A Nome",
                                           "     030",
                                           "0022 Sesso",
                                           "     001 maschio",
                                           "     002 femmina",
                                           "     ///",
                                           "004D Data",
                                           "0052 Data",
                                           "     001 002",
                                           "     ///",
                                           "007L Data",
                                           "008Q Fattore  1 punteggio",
                                       }));
    EXPECT_EQ(Designed("inf-sch.dat"), CrLf({
                                           "   1  25   1   0   0   0   0   0   0",
                                           "   1  15   1   0   0   0   0   0   0",
                                           "   1  25   1   1   0   0   0   0   0",
                                           "   1  15   1   0   0   0 255   0   0",
                                           "   1  15   3   0   0   0 255   0   0",
                                           "#Pag 1",
                                           "   1  10  45   1" + B20 + "Nome",
                                           "   2   5  35   1" + B20 + "-",
                                           "   2 205  35   1" + B20 + "-",
                                           "#Pag",
                                           "   3  10  45   1" + B20 + "Data",
                                           "   2   5 220   1" + B20 + "-",
                                           "   2   5 240   1" + B20 + "-",
                                           "   3  10 270   1" + B20 + "Fattore  1 punteggio",
                                       }));
    EXPECT_EQ(Designed("dat-sch.dat"), CrLf({
                                           "   2 100  45 400" + B20 + "Nome",
                                           "   2  25  35 195" + B20 + "-",
                                           "   2 225  35 395" + B20 + "-",
                                           "#Pag",
                                           "   2 100 200 300" + B20 + "Data",
                                           "   2  25 220 395" + B20 + "-",
                                           "   2  25 240 395" + B20 + "-",
                                           "   4 100 240 400" + B20 + "Data",
                                           "   5 100 270 400" + B20 + "Fattore  1 punteggio",
                                       }));

    WriteFactorList();
    EXPECT_EQ(Designed("lst-fatt.imp"), "8\r\n");
    WriteArchiveDescriptor(ReservedPositions(run.numericTotal, 4000), ReservedPositions(run.textTotal, 8000));
    EXPECT_EQ(Designed("morvidex.dat"), CrLf({
                                            "Nome Archivio....: ",
                                            "Nome indirizzario: " + CoreState.DesignerDir,
                                            "Scheda.NUM.......: 100 posizioni riservate",
                                            "Scheda.ALF.......: 100 posizioni riservate",
                                            "Var statistiche..: 0",
                                            "Modalita' \"\"\"\" ..: 0",
                                            "Inizio fattori...: 0",
                                        }));
    test::WriteBytes(CoreState.DesignerDir + "dli-sch.dat", test::Hex("05 00 00 00"));
    CreateEmptyCardFiles();
    EXPECT_EQ(Designed("num-sch.dat"), std::string(16000, '\0'));
    EXPECT_EQ(Designed("alf-sch.dat"), std::string(8000, '\0'));
    EXPECT_EQ(test::ToHex(Designed("dli-sch.dat")), test::ToHex(test::Hex("FF FF FF FF")));
}

TEST_F(CompilerPasses, ErrorLinesCarryTheirTextsAndLineNumbers) {
    struct Case {
        const char* name;
        std::vector<std::string> source;
        std::vector<std::string> errors;
    } cases[] = {
        {"more than 36 answers",
         {"T", "*T", "Voto", "*C C40", "uno", "*C Q"},
         {"    4T460 40 (1..36) -> *C C40"}},
        {"coordinate letters without digits",
         {"T", "*T X", "Nome", "*C A10 Y", "*C A10 Y=", "*C Q Z", "*C Q X0"},
         {"    2, coordianta X non inserita -> *T X", "    4, coordianta Y non inserita -> *C A10 Y",
          "    6T454 *C Q Z", "    7, coordianta X non inserita -> *C Q X0"}},
        {"unknown or missing type letter",
         {"T", "*T", "Campo", "*C B", "*C", "*C Q"},
         {"    4T461 *C B", "    5T461 *C"}},
        {"text without length", {"T", "*T", "Nome", "*C A X10"}, {"    4T459 *C A X10"}},
        {"list number outside 1..255",
         {"T", "*T", "Voto", "*C C2 #0", "a", "*C C2 #300", "b"},
         {"    4T455255) ->*C C2 #0", "    6T455255) ->*C C2 #300"}},
        {"caption beginning with a blank", {"T", "*T", " Nome", "*C Q"}, {"    4T462 Nome\"", "       T463"}},
        {"command after *T and unknown command",
         {"T", "*T", "*C Q", "*X", "*"},
         {"    3T457 *T", "    4T464 *X", "    5T464 *"}},
        {"coded fields without labels",
         {"T", "*T", "A", "*C C2", "*T", "B", "*C C2", "*C C3", "*T", "C", "*C C2"},
         {"    5T456 *T", "    8T458 *C C3", "    9T456 *T", "   11T467 *C C2"}},
        {"label without letter, and text after a single field",
         {"T", "*T", "A", "*C C2", "1) 2)", "*C Q", "x"},
         {"    5T465 1) 2)", "    7T466 x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CompileRun run = Compile(CrLf(c.source));
        EXPECT_EQ(run.errorList.Text(), CrLf(c.errors));
        EXPECT_EQ(run.errorFlag, !c.errors.empty());
    }
}

// "C 5" and "C40" once made the two passes count answers differently, so every later field
// was placed on another field's line.
TEST_F(CompilerPasses, BothPassesCountAnswersAlike) {
    Compile(
        CrLf({"T", "*T", "Colori", "*C C 5,2", "rosso", "verde", "blu", "giallo", "nero", "*C Q X100 Y300"}));
    EXPECT_EQ(Designed("dat-sch.dat"), CrLf({
                                           "   1  25  65 195" + B20 + "-",
                                           "   1 225  65 395" + B20 + "-",
                                           "   1  25  85 195" + B20 + "-",
                                           "   1 225  85 395" + B20 + "-",
                                           "   1  25 105 195" + B20 + "-",
                                           "   1 100 300 400" + B20 + "Colori",
                                       }));
    EXPECT_EQ(Designed("sig-sch.dat").substr(0, 14), "T\r\n0015 Colori");

    Compile(CrLf({"T", "*T", "Voto", "*C C40", "uno", "*C Q"}));
    EXPECT_EQ(Designed("sig-sch.dat"), CrLf({"T", "0011 Voto", "     001 uno", "     ///", "002Q Voto"}));
    EXPECT_EQ(Designed("dat-sch.dat"), CrLf({
                                           "   1  25  65 395" + B20 + "-",
                                           "   1 100  65 400" + B20 + "Voto",
                                       }));
}

TEST_F(CompilerPasses, FieldPassEdgeCases) {
    struct Case {
        const char* name;
        std::vector<std::string> source;
        std::vector<std::string> declarations;  // after the title line
        int numericTotal;
        int textTotal;
    } cases[] = {
        {"text field after a text block", {"T", "*T", "Nome", "*C A30"}, {"001A Nome", "     030"}, 1, 30},
        {"twelve answers",
         {"T", "*T", "Mese", "*C C12", "gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott",
          "nov", "dic", "*C Q"},
         {"001c Mese", "     001 gen", "     002 feb", "     003 mar", "     004 apr", "     005 mag",
          "     006 giu", "     007 lug", "     008 ago", "     009 set", "     010 ott", "     011 nov",
          "     012 dic", "     ///", "013Q Mese"},
         13,
         0},
        {"label from its first letter",
         {"T", "*T", "Voto", "*C C1", "  12) [a] buono"},
         {"0011 Voto", "     001 a] buono", "     ///"},
         1,
         0},
        {"hidden caption and shared caption",
         {"T", "*T", "#Peso", "*C Q", "*C F", "*C T", "*C O", "*C P"},
         {"001Q Peso", "002Q Peso", "003K Peso", "004O Peso", "005P Peso"},
         5,
         0},
        {"36 answers", {"T", "*T", "Tutte", "*C C36", "x"}, {"001{ Tutte", "     001 x", "     ///"}, 36, 0},
        {"blanks between C and the count",
         {"T", "*T", "V", "*C C 1 2 X5", "x"},
         {"001c V", "     001 x", "     ///"},
         12,
         0},
        {"empty caption after *T",
         {"T", "*T", "", "Vero", "*C D", "*T", "", "*C L"},
         {"001D Vero", "002L "},
         5,
         0},
        {"title line read as a command", {"", "*T titolo", "Cap", "*C Q"}, {"001Q Cap"}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CompileRun run = Compile(CrLf(c.source));
        const std::string title = c.source[0].empty() ? c.source[1] : c.source[0];
        EXPECT_EQ(Designed("sig-sch.dat"), title + "\r\n" + CrLf(c.declarations));
        EXPECT_EQ(run.numericTotal, c.numericTotal);
        EXPECT_EQ(run.textTotal, c.textTotal);
        EXPECT_FALSE(run.errorFlag) << run.errorList.Text();
    }
}

TEST_F(CompilerPasses, SharedListsAndTheCategoryIndexCap) {
    std::vector<std::string> src = {"T", "*T", "Voto"};
    for (int i = 0; i < 4; ++i) src.push_back("*C Q");
    src.push_back("*C C2 #3");  // field 5 defines list 3
    src.push_back("a");
    src.push_back("*C C2 #3");
    src.push_back("b");  // no labels after a reference
    CompileRun run = Compile(CrLf(src));
    EXPECT_NE(Designed("sig-sch.dat").find("0072 Voto\r\n     001 005\r\n     ///\r\n"), std::string::npos);
    EXPECT_EQ(run.errorList.Text(), "   11T466 b\r\n");

    std::string source = CrLf({"T", "*T", "Molte", "*C C1"});
    for (int i = 1; i <= 1000; ++i) source += "v" + std::to_string(i) + "\r\n";
    Compile(source);
    const std::string sig = Designed("sig-sch.dat");
    EXPECT_NE(sig.find("     997 v997\r\n     998 v998\r\n     998 v999\r\n     998 v1000\r\n     ///\r\n"),
              std::string::npos);
}

// A "#" on a field that is not coded would put reference lines where the definition builder
// expects the next declaration; it is ignored there.
TEST_F(CompilerPasses, ListNumberOnAFieldWithoutCategories) {
    Compile(CrLf({"T", "*T", "Voto", "*C C2 #1", "a", "b", "*C Q #1", "*C C2 #1"}));
    EXPECT_EQ(Designed("sig-sch.dat"), CrLf({"T", "0012 Voto", "     001 a", "     002 b", "     ///",
                                             "003Q Voto", "0042 Voto", "     001 001", "     ///"}));
}

TEST_F(CompilerPasses, CardThatCannotHoldItsFields) {
    struct Case {
        const char* name;
        std::vector<std::string> tail;
        std::string errors;
    } cases[] = {
        {"numeric part full to the notes head", {"*C O", "*C O"}, ""},
        {"one word too many",
         {"*C D"},
         "  226, campi numerici oltre la scheda: 3999 posizioni (massimo 3998)\r\n"},
        {"text part too long",
         {"*C A4001"},
         "  227, campi di testo oltre la scheda: 8001 caratteri (massimo 8000)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source = CrLf({"T", "*T", "X"});
        for (int i = 0; i < 111; ++i) source += "*C C36\r\nv\r\n";  // 3996 words
        if (c.tail[0] == "*C A4001") source += "*C A4000\r\n";      // 8001 bytes with the next
        source += CrLf(c.tail);
        CompileRun run = Compile(source);
        EXPECT_EQ(run.errorList.Text(), c.errors);
        EXPECT_EQ(run.cardOverflow, !c.errors.empty());
    }
}

TEST(CompilerReserve, ReservedPositionsKeepFiftyToHundredSpare) {
    EXPECT_EQ(ReservedPositions(0, 4000), 100);
    EXPECT_EQ(ReservedPositions(49, 4000), 100);
    EXPECT_EQ(ReservedPositions(50, 4000), 150);
    EXPECT_EQ(ReservedPositions(120, 4000), 200);
    EXPECT_EQ(ReservedPositions(3998, 4000), 4000);
    EXPECT_EQ(ReservedPositions(7999, 8000), 8000);
}

TEST(CompilerParse, FieldTypeAndAnswerLayout) {
    struct Case {
        const char* line;
        char letter;
        int number;
        int columns;
        int answers;
    } cases[] = {
        {"*C C12,3 X10", 'C', 12, 3, 12}, {"*C C 5, 2", 'C', 5, 0, 5}, {"*C C5,2#3", 'C', 5, 23, 5},
        {"*C C", 'C', 0, 0, 1},           {"*C C40", 'C', 40, 0, 1},   {"*C A 3x0#", 'A', 30, 0, 0},
        {"*CQ C5", 'Q', 0, 0, 0},         {"*C elvetico", 0, 0, 0, 0}, {"*C C3,1 2", 'C', 3, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        FieldTypeItem item = ParseFieldType(c.line);
        EXPECT_EQ(item.letter, c.letter);
        EXPECT_EQ(item.number, c.number);
        EXPECT_EQ(item.columns, c.columns);
        EXPECT_EQ(AnswerCount(item), c.answers);
    }
    EXPECT_EQ(AnswerCountCharacter(9), '9');
    EXPECT_EQ(AnswerCountCharacter(10), 'a');
    EXPECT_EQ(AnswerCountCharacter(35), 'z');
    EXPECT_EQ(AnswerCountCharacter(36), '{');
    for (int n = 1; n <= 36; ++n) EXPECT_EQ(FieldsOfTypeCharacter(AnswerCountCharacter(n)), n);
    EXPECT_EQ(FieldsOfTypeCharacter('A'), 1);
}

}  // namespace
}  // namespace qv

#include "elaborations/grid_files.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(GridLine, Grammar) {
    const GridLine first = ParseGridLine("Prima*5=1,3;G0S0", nullptr);
    const GridLine code3 = ParseGridLine("Gruppo*2=1,1;G3S4", nullptr);
    struct Case {
        const char* text;
        const GridLine* previous;
        int32_t field, low, high, fieldCount, parent;
        bool opens;
    } cases[] = {
        {"Prima*5=1,3;G0S0", nullptr, 5, 1, 3, 0, 0, true},
        // Delimiters present with empty buffers give 0; the field is inherited.
        {"Seconda*=4,;", &first, 5, 4, 0, 0, 0, false},
        // No ",": the lower bound stays open.
        {"x*7=5;", nullptr, 7, kOpenLowBound, 5, 0, 0, false},
        // No code: count and parent of the line before.
        {"b*=2,2;", &code3, 2, 2, 2, 3, 4, false},
        {"c*3=1,1;G0S12", nullptr, 3, 1, 1, 0, 12, true},
        // Count characters above '9' for groups of ten answers and more.
        {"d*3=1,1;G:S0", nullptr, 3, 1, 1, 10, 0, true},
        {"e*3=1,1;G;S0", nullptr, 3, 1, 1, 11, 0, true},
        {"f*3=1,1;G<S0", &code3, 3, 1, 1, 12, 0, true},
        // Dots, blanks and letters inside numbers are ignored.
        {"g*9=1.000, 2.0 00;", nullptr, 9, 1000, 2000, 0, 0, false},
        {"h*9=-999999999,-1;", nullptr, 9, -999999999, -1, 0, 0, false},
        // A number that does not parse gives 0.
        {"i*9=1-2,3;", nullptr, 9, 0, 3, 0, 0, false},
        // No "=", ",", ";": field 0, both bounds open, nothing inherited.
        {"j*12", &code3, 0, kOpenLowBound, kOpenHighBound, 0, 0, false},
        // Label up to the first "*" only; the rest is scanned.
        {"k*l*4=1,1;", nullptr, 4, 1, 1, 0, 0, false},
        // A line that does not open a variable but whose field is given.
        {"m*8=2,2;S", nullptr, 8, 2, 2, 0, 0, false},
        // Count and parent come only after a 'G' code: a heading keeps the variable's.
        {"Sesso femmina*=2,2;#F", &code3, 2, 2, 2, 3, 4, false},
        {"n*=1,1;#2015", &first, 5, 1, 1, 0, 0, false},
        // A leading '*' ends the label for the counts, so the ';' in the report's label ends
        // the scan there: the line opens no variable for any reader.
        {"*o;p*1=1,1;G0S0", nullptr, 0, kOpenLowBound, 0, 0, 0, false},
        {"*Totale*1=1,1;G2S3", nullptr, 1, 1, 1, 2, 3, true},
    };
    for (const Case& c : cases) {
        GridLine l = ParseGridLine(c.text, c.previous);
        EXPECT_TRUE(l.HasStar) << c.text;
        EXPECT_EQ(l.Field, c.field) << c.text;
        EXPECT_EQ(l.Low, c.low) << c.text;
        EXPECT_EQ(l.High, c.high) << c.text;
        EXPECT_EQ(l.FieldCount, c.fieldCount) << c.text;
        EXPECT_EQ(l.Parent, c.parent) << c.text;
        EXPECT_EQ(l.OpensVariable, c.opens) << c.text;
    }
    EXPECT_EQ(ParseGridLine("k*l*4=1,1;", nullptr).Label, "k");
    EXPECT_EQ(ParseGridLine("c*3=1,1;G0S12", nullptr).Code, "G0S12");
    EXPECT_EQ(ParseGridLine("b*=2,2;", &code3).Code, "");

    // The label each report takes: the cross tables, connections and MaxSim keep a label that
    // begins with '*'.
    struct LabelCase {
        const char* text;
        const char* ends;
        const char* skipped;
    } labels[] = {
        {"*Totale*1=1,1;G0S0", "", "Totale"},
        {"Sesso*1=1,1;", "Sesso", "Sesso"},
        {"*senza secondo", "", "senza secondo"},
        {"senza asterisco", "senza asterisco", "senza asterisco"},
        {"*", "", ""},
        {"", "", ""},
    };
    for (const LabelCase& c : labels) {
        EXPECT_EQ(GridLineLabel(c.text, LeadingStar::EndsLabel), c.ends) << c.text;
        EXPECT_EQ(GridLineLabel(c.text, LeadingStar::Skipped), c.skipped) << c.text;
    }
}

TEST(GridLine, OnlyTheFirstHundredPositionsAreScanned) {
    // Label of 95 characters: "*" at 96, "5=1," at 97..100, "2;" beyond the scan.
    std::string text = std::string(95, 'a') + "*5=1,2;G0S0";
    GridLine l = ParseGridLine(text, nullptr);
    EXPECT_EQ(l.Label.size(), 95u);
    EXPECT_EQ(l.Field, 5);
    EXPECT_EQ(l.Low, 1);
    EXPECT_EQ(l.High, kOpenHighBound);
    EXPECT_EQ(l.FieldCount, 0);
    // The code lies past the scan too: the line opens no variable, in the reports as in the counts.
    EXPECT_FALSE(l.OpensVariable);
}

TEST(CategoryGrid, LinesWithoutStarKeepTheirNumberAndPassInheritance) {
    TempDir dir;
    WriteBytes(dir / "g.txt",
               "A*4=1,1;G2S0\r\n"
               "senza asterisco\r\n"
               "B*=2,2;\r\n"
               "C*6=1,1;G0S1\r\n");
    CategoryGrid g = LoadCategoryGrid(dir / "g.txt");
    ASSERT_EQ(g.Count, 4);
    EXPECT_FALSE(g.HasStar[2]);
    EXPECT_EQ(g.Field[2], 0);
    EXPECT_EQ(g.Labels[2], "senza asterisco");
    EXPECT_EQ(g.Field[3], 4);
    EXPECT_EQ(g.FieldCount[3], 2);
    EXPECT_EQ(g.Parent[4], 1);
    EXPECT_EQ(g.ParentRepetitions, 2);
    EXPECT_TRUE(g.OpensVariable[1]);
    EXPECT_FALSE(g.OpensVariable[3]);
}

TEST(CategoryGrid, ReadsAtMostFourThousandLines) {
    TempDir dir;
    for (int lines : {3999, 4000, 4001}) {
        std::string text;
        for (int i = 0; i < lines; ++i) text += "x*1=1,1;\r\n";
        WriteBytes(dir / "g.txt", text);
        CategoryGrid g = LoadCategoryGrid(dir / "g.txt");
        EXPECT_EQ(g.Count, std::min(lines, 4000));
        EXPECT_EQ(g.MoreLines, lines > 4000);
        EXPECT_EQ(g.ParentRepetitions, 0);
    }
    EXPECT_THROW(LoadCategoryGrid(dir / "missing.txt"), IoError);

    // A parent outside the grid is no parent, for the line and those that inherit it.
    WriteBytes(dir / "g.txt", "A*1=1,1;G0S3\r\nB*=2,2;\r\n");
    CategoryGrid g = LoadCategoryGrid(dir / "g.txt");
    EXPECT_EQ(g.Parent[1], 0);
    EXPECT_EQ(g.Parent[2], 0);
    EXPECT_EQ(g.ParentRepetitions, 0);
}

TEST(QuantitativeGrid, FieldNumbersAndUnitField) {
    TempDir dir;
    ResetProgramState();
    WriteBytes(dir / "grq.txt", "*13*Eta\r\n*14*Reddito\r\n*x*Rotto\r\n");
    EXPECT_EQ(LoadQuantitativeGrid(dir / "grq.txt"), (std::vector<int32_t>{13, 14, 0}));

    struct Case {
        uint8_t option;
        int var;
        const char* file;
        int field;
        uint8_t optionAfter;
    } cases[] = {
        {1, 0, "grq.txt", 13, 1}, {1, 1, "grq.txt", 14, 1}, {1, 7, "grq.txt", 0, 1},
        {0, 1, "grq.txt", 0, 0},  {1, 1, "none.txt", 0, 0},
    };
    for (const Case& c : cases) {
        CoreState.CountByQuantUnit = c.option;
        CoreState.QuantUnitVar = c.var;
        EXPECT_EQ(LoadUnitField(dir / c.file), c.field) << c.var << c.file;
        EXPECT_EQ(CoreState.CountByQuantUnit, c.optionAfter) << c.var << c.file;
    }
}

// A small definition: a single-answer category field, a group of 11 answers, numbers, a time,
// a date, a percentage, a category field without labels, a text and a municipality.
void SmallDefinition(const TempDir& dir) {
    ResetProgramState();
    CoreState.ArchiveDir = dir.Path();
    CoreState.FieldCount = 20;
    auto set = [](int f, int type, int first, int last) {
        FieldTypes[f] = int16_t(type);
        FieldFirstLabel[f] = int16_t(first);
        FieldLastLabel[f] = int16_t(last);
    };
    set(1, 0, 0, 1);
    set(2, 0, 2, 4);
    for (int f = 3; f <= 12; ++f) set(f, 1, 2, 4);
    set(13, 4, 0, 0);
    set(14, 7, 0, 0);
    set(15, 5, 0, 0);
    set(16, 2, 0, 0);
    set(17, 6, 0, 0);
    set(18, 0, 5, 4);
    set(19, -10, 0, 0);
    set(20, 3, 0, 0);
    std::vector<std::string_view> names = {"Sesso"};
    for (int f = 2; f <= 12; ++f) names.push_back("Colori");
    for (std::string_view n : std::initializer_list<std::string_view>{
             "Eta", "Reddito", "Ora", std::string_view("Data\0di\0nascita", 15), "Quota", "Vuoto", "Nome",
             "Comune"})
        names.push_back(n);
    std::string md2;
    for (std::string_view n : names) md2 += LabelRecords({std::string(n)});
    WriteBytes(dir / "md2-sch.dat", md2);
    WriteBytes(dir / "mod-sch.dat", LabelRecords({"Maschio", "Femmina", "Rosso", "Verde chiaro", "Blu"}));
}

TEST(GridGenerators, DichotomousGridGolden) {
    TempDir dir;
    SmallDefinition(dir);
    GenerateDichotomousGrid();
    const std::string expected =
        "Sesso Maschio*1=1,1;G0S0\r\n"
        "Sesso Femmina*=2,2;\r\n"
        "Sesso MR*=0,0;\r\n"
        "Colori Rosso*2=1,1;G;S0\r\n"
        "Colori Verde chiaro*=2,2;\r\n"
        "Colori Blu*=3,3;\r\n"
        "Colori MR*=0,0;\r\n"
        "Eta   0 -   0*13=0,0;G0S0\r\n"
        "Eta   1 -  20*=1,20;\r\n"
        "Eta  21 -  50*=21,50;\r\n"
        "Eta  51 - 100*=51,100;\r\n"
        "Eta 101 -*=101,999999999;\r\n"
        "Eta MR*=-999999999,-1;\r\n"
        "Reddito   0 -   0*14=0,0;G0S0\r\n"
        "Reddito   1 -  20*=1,20;\r\n"
        "Reddito  21 -  50*=21,50;\r\n"
        "Reddito  51 - 100*=51,100;\r\n"
        "Reddito 101 -*=101,999999999;\r\n"
        "Reddito MR*=-999999999,-1;\r\n"
        "Ora 00.00 - 12.00*15=0,1200;G0S0\r\n"
        "Ora 12.01 - 18.00*=1201,1800;\r\n"
        "Ora 18.01 - 24.00*=1801,999999999;\r\n"
        "Ora MR*=-999999999,-1;\r\n"
        "Data          - 31/12/1995*16=1,951231;G0S0\r\n"
        "Data 1/1/1996 - 31/12/1996*=960101,961231;\r\n"
        "Data 1/1/1997 - 31/12/1997*=970101,971231;\r\n"
        "Data 1/1/1998 - 31/12/1998*=980101,981231;\r\n"
        "Data 1/1/1999 - 31/12/1999*=990101,991231;\r\n"
        "Data 1/1/2000 - 31/12/2000*=1000101,1001231;\r\n"
        "Data 1/1/2001 - *=1010101,999999999;\r\n"
        "Data MR*=-999999999,0;\r\n"
        "Quota   0%*17=0,0;G0S0\r\n"
        "Quota   1 -  25%*=1,2599;\r\n"
        "Quota  26 -  50%*=2600,5099;\r\n"
        "Quota  51 -  75%*=5100,7599;\r\n"
        "Quota  76 -  99%*=7600,9999;\r\n"
        "Quota 100%*=10000,999999999;\r\n"
        "Quota MR*=-32000,-1;\r\n";
    EXPECT_EQ(ReadBytes(dir / "grl-sch.txt"), expected);

    // Read back: the group of 11 answers is one variable testing 11 fields.
    CategoryGrid g = LoadCategoryGrid(dir / "grl-sch.txt");
    ASSERT_EQ(g.Count, 38);
    EXPECT_EQ(g.FieldCount[4], 11);
    EXPECT_EQ(g.FieldCount[7], 11);
    EXPECT_EQ(g.Field[7], 2);
    EXPECT_EQ(g.Field[30], 16);
    EXPECT_EQ(g.Low[30], 1010101);
    EXPECT_EQ(g.High[30], 999999999);
}

TEST(GridGenerators, QuantitativeGridAndHeadingsGolden) {
    TempDir dir;
    SmallDefinition(dir);
    GenerateQuantitativeGrid();
    EXPECT_EQ(ReadBytes(dir / "grq-sch.txt"), "*13*Eta\r\n*14*Reddito\r\n");

    WriteBytes(dir / "sig-sch.dat",
               "Scheda di prova\r\n"
               "001A Nome\r\n"
               "     010\r\n"
               "0021 Sesso\r\n"
               "     001 Maschio\r\n"
               "     002 Femmina\r\n"
               "     ///\r\n"
               "003b Colori preferiti\r\n"
               "     001 Rosso\r\n"
               "     ///\r\n"
               "014Q Eta\r\n"
               "015L Reddito\r\n"
               "016O Ora\r\n"
               "017D Data di nascita\r\n"
               "018P Quota\r\n"
               "019K Comune\r\n"
               "020{ Trentasei\r\n"
               "     001 Si\r\n"
               "     ///\r\n");
    GenerateTableHeadings();
    const char* captions[] = {"Sesso", "Colori preferiti", "Eta",   "Reddito",
                              "Ora",   "Data di nascita",  "Quota", "Trentasei"};
    std::string expected;
    int k = 0;
    for (const char* c : captions)
        expected += "00" + std::to_string(++k) + "\r\n\r\n\r\n" + c + "\r\n///\r\n";
    EXPECT_EQ(ReadBytes(dir / "tin-sch.txt"), expected);
}

TEST(GridGenerators, MissingNameRecordIsAnError) {
    TempDir dir;
    SmallDefinition(dir);
    WriteBytes(dir / "md2-sch.dat", LabelRecords({"Sesso"}));
    EXPECT_THROW(GenerateDichotomousGrid(), IoError);
}

TEST(TableHeadings, ForwardOnlyReader) {
    TempDir dir;
    WriteBytes(dir / "tin.txt",
               "001\r\nTitolo uno\r\nseconda riga\r\n///\r\n"
               "002\r\n\r\n///fine\r\n"
               "004\r\nQuattro\r\n///\r\n");
    TableHeadingsReader r;
    ASSERT_TRUE(r.Open(dir / "tin.txt"));
    TextBuilder out;
    r.AppendHeading(1, out);
    r.AppendHeading(2, out);
    EXPECT_EQ(out.Text(), "Titolo uno\r\nseconda riga\r\n\r\n\r\n\r\n\r\n\r\n");
    // A missing block runs to the end of the file: nothing more is found.
    TextBuilder rest;
    r.AppendHeading(3, rest);
    r.AppendHeading(4, rest);
    EXPECT_EQ(rest.Text(), "\r\n\r\n\r\n\r\n");
    EXPECT_FALSE(TableHeadingsReader().Open(dir / "none.txt"));
}

}  // namespace
}  // namespace qv

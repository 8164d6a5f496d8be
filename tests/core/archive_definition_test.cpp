#include "core/archive_definition.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

std::string Zeros(size_t n) {
    return std::string(n, '\0');
}

void PutWord(std::string& file, int table, int field, int16_t v) {
    const size_t at = size_t(table - 1) * 8000 + 2 * size_t(field - 1);
    file[at] = char(uint16_t(v) & 0xFF);
    file[at + 1] = char(uint16_t(v) >> 8);
}

class ArchiveDefinitionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
    }
    TempDir dir;
};

// The hand-made definition: a text of 1000 characters with a three-word caption, a date, a
// single-answer coded field, a three-answer coded field, a percentage, a field sharing the
// list of field 3, a 36-answer field ("{"), then a 16-bit number, a 32-bit number, a
// municipality with a 62-character caption, a time-like value and a text of 20 characters.
const std::string kDeclarations = CrLf({
    "Archivio di prova",
    "001A Nome del cliente",
    "     1000",
    "002D Data",
    "0031 Sesso",
    "     001 Maschio   ",
    "     002 Femmina",
    "     ///",
    "0043 Colori",
    "     001 Rosso",
    "     002 Verde scuro",
    "     003 Blu",
    "     004 Nero\t",
    "     ///",
    "007P Quota",
    "0081 Sesso madre",
    "     001 003",
    "     ///",
    "009{ Voti",
    "     001 Uno",
    "     002 Due",
    "     ///",
    "045Q Eta",
    "046L Reddito",
    "047K " + std::string(62, 'x'),
    "048O Ora",
    "049A Note",
    "     020",
});

const std::string kPlacement = CrLf({
    "   2 100  40 600                    Nome",
    "   0  10  60 300",
    "#Pag",
    "  12  25  80 195                    -",
    "   3   5 100 640",
});

struct Expected {
    int16_t type, textOffset, position, firstLabel, lastLabel, firstCategory, lastCategory, statistics,
        numeric;
};

// Worked out by hand. Words: the date takes 1-3, the coded answers one each, the 32-bit number two.
// Labels: field 3 has records 0-1, fields 4-6 records 2-5, field 8 borrows field 3's, fields
// 9-44 records 6-7. Slots: 1-2, 3-6, 7-8, 9-10. Counters: date 1 (+110), field 3 111 (+2),
// field 4 113 (+4), percentage 117 (+102), field 8 219 (+2), field 9 221.
Expected ExpectedField(int f) {
    switch (f) {
        case 1:
            return {-1000, 1, 0, 0, 1, 0, 0, 0, 0};
        case 2:
            return {2, 0, 1, 0, 1, 0, 0, 1, 0};
        case 3:
            return {0, 0, 4, 0, 1, 1, 2, 111, 0};
        case 4:
            return {0, 0, 5, 2, 5, 3, 6, 113, 0};
        case 5:
            return {1, 0, 6, 2, 5, 3, 6, 113, 0};
        case 6:
            return {1, 0, 7, 2, 5, 3, 6, 113, 0};
        case 7:
            return {6, 0, 8, 0, 1, 0, 0, 117, 1};
        case 8:
            return {0, 0, 9, 0, 1, 7, 8, 219, 0};
        case 45:
            return {4, 0, 46, 0, 1, 0, 0, 0, 2};
        case 46:
            return {7, 0, 47, 0, 1, 0, 0, 0, 3};
        case 47:
            return {3, 0, 49, 0, 1, 0, 0, 0, 0};
        case 48:
            return {5, 0, 50, 0, 1, 0, 0, 0, 4};
        case 49:
            return {-20, 1001, 0, 0, 1, 0, 0, 0, 0};
        default:  // the 36 answers, fields 9 to 44, at words 10 to 45
            return {int16_t(f == 9 ? 0 : 1), 0, int16_t(f + 1), 6, 7, 9, 10, 221, 0};
    }
}

// Tables 1-10 and 12-17 of the expected file, laid over `file`.
void PutExpectedTables(std::string& file) {
    for (int t : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17})
        for (int f = 1; f <= 4000; ++f) PutWord(file, t, f, 0);
    for (int f = 1; f <= 49; ++f) {
        const Expected e = ExpectedField(f);
        PutWord(file, 6, f, e.firstLabel);
        PutWord(file, 7, f, e.type);
        PutWord(file, 8, f, e.textOffset);
        PutWord(file, 9, f, e.position);
        PutWord(file, 10, f, e.lastLabel);
        PutWord(file, 12, f, e.firstCategory);
        PutWord(file, 13, f, e.lastCategory);
        PutWord(file, 14, f, e.statistics);
        PutWord(file, 15, f, e.numeric);
    }
    PutWord(file, 6, 50, 8);  // the label count after the last field
    // Placement: style (0 and 12 become 1), page, x, y, right.
    const int16_t layout[4][5] = {
        {2, 1, 100, 40, 600}, {1, 1, 10, 60, 300}, {1, 2, 25, 80, 195}, {3, 2, 5, 100, 640}};
    for (int f = 1; f <= 4; ++f)
        for (int t = 1; t <= 5; ++t) PutWord(file, t, f, layout[f - 1][t - 1]);
    for (int f = 1; f <= 4000; ++f) PutWord(file, 17, f, 1);  // every condition in force
}

std::string ExpectedNames() {
    std::string s = LabelRecords({std::string("Nome\0del\0cliente", 16), "Data", "Sesso"});
    for (int i = 0; i < 3; ++i) s += LabelRecords({"Colori"});
    s += LabelRecords({"Quota", std::string("Sesso\0madre", 11)});
    for (int i = 0; i < 36; ++i) s += LabelRecords({"Voti"});
    s += LabelRecords({"Eta", "Reddito", std::string(60, 'x'), "Ora", "Note"});
    return s;
}

std::string ExpectedLabels() {
    std::string s;
    for (const char* l : {"Maschio", "Femmina", "Rosso", "Verde scuro", "Blu", "Nero", "Uno", "Due"})
        s += LabelRecords({l});
    return s;
}

TEST_F(ArchiveDefinitionTest, BuildsTablesNamesAndLabelsFromHandMadeFiles) {
    WriteBytes(dir / "sig-sch.dat", kDeclarations);
    WriteBytes(dir / "dat-sch.dat", kPlacement);
    FieldAttributes[2] = 5;  // cleared: the file is created
    TerritoryCount = 8101;
    FieldInCondition[5] = 1;
    FieldConditionSense[9] = 0;
    CategoryWanted[3] = 1;
    NumericConditionLow[0] = 7;
    NumericConditionHigh[999] = 7;
    DateConditionTo[30] = 9;

    BuildArchiveDefinition();

    std::string expected = Zeros(160000);
    PutExpectedTables(expected);
    const std::string imp = ReadBytes(dir / "imp-sch.dat");
    ASSERT_EQ(imp.size(), 160000u);
    for (int t = 1; t <= 20; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(imp.substr(size_t(t - 1) * 8000, 8000) == expected.substr(size_t(t - 1) * 8000, 8000),
                  true);
    }
    EXPECT_EQ(ReadBytes(dir / "md2-sch.dat"), ExpectedNames());
    EXPECT_EQ(ReadBytes(dir / "mod-sch.dat"), ExpectedLabels());

    EXPECT_EQ(CoreState.FieldCount, 4);
    EXPECT_EQ(FieldAttributes[2], 0);
    EXPECT_EQ(FieldTypes[9], 0);
    EXPECT_EQ(FieldLastLabel[8], FieldLastLabel[3]);
    // Search conditions reset with every territory active.
    EXPECT_EQ(TerritorySelection[0], 1);
    EXPECT_EQ(TerritorySelection[8100], 1);
    EXPECT_EQ(TerritorySelection[8101], 0);
    EXPECT_EQ(FieldInCondition[5], 0);
    EXPECT_EQ(FieldConditionSense[9], 1);
    EXPECT_EQ(CategoryWanted[3], 0);
    EXPECT_EQ(NumericConditionLow[0], -9999999);
    EXPECT_EQ(NumericConditionHigh[999], -9999999);
    EXPECT_EQ(DateConditionTo[30], 0);
}

TEST_F(ArchiveDefinitionTest, RebuildKeepsTheMarksTableAndTheSpareTables) {
    WriteBytes(dir / "sig-sch.dat", kDeclarations);
    WriteBytes(dir / "dat-sch.dat", kPlacement);
    std::string old(160000, '\x55');
    PutWord(old, 11, 1, 0x21);
    PutWord(old, 11, 4000, 64);
    WriteBytes(dir / "imp-sch.dat", old);
    FieldAttributes[2] = 8;

    BuildArchiveDefinition();

    std::string expected = old;
    PutExpectedTables(expected);
    EXPECT_EQ(ReadBytes(dir / "imp-sch.dat") == expected, true);
    EXPECT_EQ(FieldAttributes[2], 8);  // the marks in memory stay too
    EXPECT_EQ(FieldAttributes[1], 0);
}

TEST_F(ArchiveDefinitionTest, FieldsWithoutAListAndLinesWithoutAType) {
    WriteBytes(dir / "sig-sch.dat", CrLf({
                                        "titolo",
                                        "0011 A",
                                        "     001 005",  // field 5 is not an earlier field
                                        "     ///",
                                        "002X Sconosciuto",
                                        "002 Senza tipo",
                                        "0022 B",
                                        "     001 Primo",
                                        "     ///",
                                    }));
    WriteBytes(dir / "dat-sch.dat", CrLf({"   1", "   1", "   1"}));
    BuildArchiveDefinition();

    // Field 1 has no category (last label before the first); fields 2-3 have label 0.
    EXPECT_EQ(FieldFirstLabel[1], 0);
    EXPECT_EQ(FieldLastLabel[1], -1);
    EXPECT_EQ(FieldFirstLabel[2], 0);
    EXPECT_EQ(FieldLastLabel[2], 0);
    EXPECT_EQ(FieldLastLabel[3], 0);
    EXPECT_EQ(FieldTypes[3], 1);
    EXPECT_EQ(FieldPositions[3], 3);
    EXPECT_EQ(FieldFirstCategory[1], 1);
    EXPECT_EQ(FieldLastCategory[1], 0);
    EXPECT_EQ(FieldFirstCategory[2], 1);
    EXPECT_EQ(FieldLastCategory[3], 1);
    EXPECT_EQ(ReadBytes(dir / "md2-sch.dat"), LabelRecords({"A", "B", "B"}));
    EXPECT_EQ(ReadBytes(dir / "mod-sch.dat"), LabelRecords({"Primo"}));
    // No "#" line: every field on page 1.
    EXPECT_EQ(CoreState.FieldCount, 3);
    for (int f = 1; f <= 3; ++f) EXPECT_EQ(LayoutPage[f], 1);
}

TEST_F(ArchiveDefinitionTest, WhatLiesBeyondTheTablesIsIgnored) {
    // 5 coded fields of 900 labels (4500 slots and counters), 1001 16-bit numbers, then 120
    // fields of 36 answers: 1006 + 4320 fields, of which 4000 exist.
    std::string sig = "titolo\r\n";
    for (int i = 0; i < 5; ++i) {
        sig += "0001 C\r\n";
        for (int l = 0; l < 900; ++l) sig += "     001 L" + std::to_string(l) + "\r\n";
        sig += "     ///\r\n";
    }
    for (int i = 0; i < 1001; ++i) sig += "000Q N\r\n";
    for (int i = 0; i < 120; ++i) sig += "000{ V\r\n     001 X\r\n     ///\r\n";
    WriteBytes(dir / "sig-sch.dat", sig);
    std::string dat;
    for (int i = 0; i < 4005; ++i) dat += "   1   1   1   1\r\n";
    WriteBytes(dir / "dat-sch.dat", dat);

    BuildArchiveDefinition();

    EXPECT_EQ(CoreState.FieldCount, 4000);
    EXPECT_EQ(ReadBytes(dir / "md2-sch.dat").size(), 4000u * 61);
    // 4500 labels of the first five fields and one for each of the 84 "{" fields that exist
    // (1007 + 83 * 36 = 3995 is the first answer of the 84th, cut at 4000).
    EXPECT_EQ(ReadBytes(dir / "mod-sch.dat").size(), (4500u + 84) * 61);
    EXPECT_EQ(FieldTypes[3995], 0);
    EXPECT_EQ(FieldTypes[4000], 1);
    EXPECT_EQ(FieldFirstCategory[4], 2701);
    EXPECT_EQ(FieldLastCategory[4], 3600);
    EXPECT_EQ(FieldFirstCategory[5], 0);  // 3601..4500 would pass slot 4000
    EXPECT_EQ(FieldLastCategory[5], 0);
    EXPECT_EQ(FieldFirstCategory[1007], 0);
    EXPECT_EQ(FieldStatisticsIndex[4], 2701);
    EXPECT_EQ(FieldStatisticsIndex[5], 0);  // counters end at 3999
    EXPECT_EQ(FieldNumericIndex[6], 1);
    EXPECT_EQ(FieldNumericIndex[1004], 999);
    EXPECT_EQ(FieldNumericIndex[1005], 0);
    EXPECT_EQ(FieldNumericIndex[1006], 0);
}

TEST_F(ArchiveDefinitionTest, MissingInputsChangeNothing) {
    WriteBytes(dir / "sig-sch.dat", kDeclarations);
    FieldTypes[1] = 4;
    EXPECT_THROW(BuildArchiveDefinition(), IoError);  // no "dat-sch.dat"
    EXPECT_EQ(FieldTypes[1], 4);
    EXPECT_FALSE(ReadBytes(dir / "md2-sch.dat").size() > 0);
}

TEST_F(ArchiveDefinitionTest, LoadsTheSeventeenTables) {
    std::string imp = Zeros(160000);
    PutWord(imp, 2, 1, 1);
    PutWord(imp, 2, 2, 1);
    PutWord(imp, 2, 3, 2);
    PutWord(imp, 2, 4000, 3);
    PutWord(imp, 2, 5, -1);  // not a page: not counted
    PutWord(imp, 7, 1, -30);
    PutWord(imp, 9, 2, 1);
    PutWord(imp, 11, 5, 0x41);
    PutWord(imp, 15, 3, 7);
    PutWord(imp, 16, 2, 1);
    PutWord(imp, 16, 3, 2);
    PutWord(imp, 16, 4, -1);
    PutWord(imp, 17, 2, 1);
    WriteBytes(dir / "imp-sch.dat", imp);
    FieldConditionSense[1] = 1;

    LoadArchiveDefinition();

    EXPECT_EQ(CoreState.FieldCount, 4);
    EXPECT_EQ(LayoutPage[4000], 3);
    EXPECT_EQ(FieldTypes[1], -30);
    EXPECT_EQ(FieldPositions[2], 1);
    EXPECT_EQ(FieldAttributes[5], 0x41);
    EXPECT_EQ(FieldNumericIndex[3], 7);
    EXPECT_EQ(FieldInCondition[2], 1);
    EXPECT_EQ(FieldInCondition[3], 1);
    EXPECT_EQ(FieldInCondition[4], 0);
    EXPECT_EQ(FieldConditionSense[1], 0);
    EXPECT_EQ(FieldConditionSense[2], 1);

    // A file cut before table 17 raises the error and leaves the tables alone.
    WriteBytes(dir / "imp-sch.dat", imp.substr(0, 17 * 8000 - 2));
    FieldTypes[1] = 9;
    EXPECT_THROW(LoadArchiveDefinition(), IoError);
    EXPECT_EQ(FieldTypes[1], 9);
}

TEST_F(ArchiveDefinitionTest, ConvertsTheLayoutText) {
    WriteBytes(dir / "inf-sch.dat", CrLf({
                                        "   1  15   1   0   0   0   0   0   0",
                                        "   3  25   3   1   1   1 255   0   0",
                                        "#Pag 1",
                                        "   1   5  45   1                    Titolo della scheda",
                                        "   2 100  65   2                    Centro",
                                        "#Pag",
                                        "   1   5  45   3                    -",
                                        "   1   5  65   1",
                                        "   1   5  85   1                    " + std::string(230, 'w'),
                                    }));
    ConvertInfoFile();

    auto styleRecord = [](std::initializer_list<int> v) {
        std::string s;
        for (int x : v) s += std::string{char(x & 0xFF), char((x >> 8) & 0xFF)};
        return s;
    };
    EXPECT_EQ(ToHex(ReadBytes(dir / "trc-tres.dat")),
              ToHex(styleRecord({1, 15, 1, 0, 0, 0, 0, 0, 0}) + styleRecord({3, 25, 3, 1, 1, 1, 255, 0, 0})));

    auto item = [&](int page, int style, int x, int y, int align, const std::string& text) {
        std::string r = styleRecord({page, style, x, y, align});
        r += char(text.size());
        r += text;
        r.resize(212, '\0');
        return r;
    };
    const std::string expected = item(1, 1, 5, 45, 1, "Titolo della scheda") +
                                 item(1, 2, 100, 65, 2, "Centro") + item(2, 1, 5, 45, 3, "-") +
                                 item(2, 1, 5, 65, 1, "") + item(2, 1, 5, 85, 1, std::string(200, 'w'));
    EXPECT_EQ(ToHex(ReadBytes(dir / "trd-tres.dat")), ToHex(expected));

    WriteBytes(dir / "inf-sch.dat", CrLf({"   1  15   1   0   0   0   0   0   0", "#Pag 1"}));
    ConvertInfoFile();
    EXPECT_EQ(ReadBytes(dir / "trd-tres.dat"), "");
}

TEST(ArchiveDefinitionReaders, CountCharactersAndColumnNumbers) {
    const std::pair<char, int> counts[] = {{'1', 1}, {'9', 9}, {'a', 10}, {'z', 35}, {'{', 36},
                                           {'0', 0}, {'A', 0}, {' ', 0},  {'|', 0}};
    for (auto [c, n] : counts) EXPECT_EQ(CodedFieldAnswers(c), n) << c;

    struct Case {
        const char* line;
        int first, last;
        int32_t value;
    } cases[] = {
        {"   2 100", 1, 4, 2}, {"   2 100", 5, 8, 100},   {"  -7", 1, 4, -7},
        {"  7x9", 1, 5, 7},    {"    ", 1, 4, 0},         {"abc", 1, 3, 0},
        {"12", 5, 8, 0},       {"     1000", 6, 0, 1000}, {"12345678", 1, 4, 1234},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadColumnNumber(c.line, c.first, c.last), c.value) << c.line;
}

}  // namespace
}  // namespace qv

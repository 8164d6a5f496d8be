#include "core/category_lists.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/startup.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/started_program.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// A program and an archive directory of their own, with the definition tables set by hand.
class CategoryFilesTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        CoreState.FieldCount = 3;
    }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(CategoryFilesTest, NumberedListAndBareLabels) {
    const char* names[] = {"uno",   "due",  "tre",  "quattro", "cinque", "sei",
                           "sette", "otto", "nove", "dieci",   "undici", "dodici"};
    std::string labels = test::LabelRecords({"altro", "altro", "altro"});
    for (const char* n : names) labels += test::LabelRecords({n});
    WriteBytes(CoreState.ArchiveDir + "mod-sch.dat", labels);
    FieldTypes[2] = 0;
    FieldFirstLabel[2] = 3;
    FieldLastLabel[2] = 14;

    WriteCategoryList(2);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt"),
              "   1. uno\r\n   2. due\r\n   3. tre\r\n   4. quattro\r\n   5. cinque\r\n   6. sei\r\n"
              "   7. sette\r\n   8. otto\r\n   9. nove\r\n  10. dieci\r\n  11. undici\r\n  12. dodici\r\n");
    ASSERT_EQ(StagedListItems().size(), 12u);
    EXPECT_EQ(StagedListItems()[11], "  12. dodici");

    // A label record past the end of the file gives no line; the bare list counts what it read.
    FieldLastLabel[2] = 15;
    WriteCategoryList(2);
    EXPECT_EQ(StagedListItems().size(), 12u);
    EXPECT_EQ(WriteCategoryLabels(2), 12);
    EXPECT_EQ(StagedListItems()[0], "uno");

    CopyCategoryListFile();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "mod-list.txt"),
              ReadBytes(CoreState.ProgramDir + "tresca.txt"));
    WriteBytes(CoreState.ProgramDir + "tresca.txt", std::string(120, 'x') + "\r\nb\r\n");
    CopyCategoryListFile();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "mod-list.txt"), std::string(100, 'x') + "\r\nb\r\n");

    RemoveFile(CoreState.ArchiveDir + "mod-sch.dat");
    EXPECT_THROW(WriteCategoryList(2), IoError);
}

TEST_F(CategoryFilesTest, CategoryHelpSections) {
    WriteBytes(CoreState.ArchiveDir + "aiuto.txt",
               "premessa\r\n*1\r\nriga uno\r\n*12\r\ndodici a\r\ndodici b\r\n* 1 2x\r\naltra dodici\r\n"
               "*120\r\ncentoventi\r\n*2\r\ndue\r\n");
    struct Case {
        bool names;
        int field, category;
        std::string expected;
    };
    const Case cases[] = {
        {true, 2, 12, "dodici a\r\ndodici b\r\naltra dodici\r\n"},
        {true, 2, 1, "riga uno\r\n"},
        {true, 2, 120, "centoventi\r\n"},
        {true, 2, 3, ""},
        {true, 1, 1, ""},  // the field's line is empty
        {true, 3, 1, ""},  // the file has no line for the field
        {false, 2, 1, ""},
    };
    for (const Case& c : cases) {
        RemoveFile(CoreState.ArchiveDir + "lst-help.txt");
        if (c.names) WriteBytes(CoreState.ArchiveDir + "lst-help.txt", "\r\naiuto.txt\r\n");
        WriteBytes(CoreState.ProgramDir + "tabella.txt", "old");
        WriteCategoryHelp(c.field, c.category);
        EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), c.expected)
            << c.field << " " << c.category;
    }
    // A missing help file gives an empty report as well.
    WriteBytes(CoreState.ArchiveDir + "lst-help.txt", "\r\nmanca.txt\r\n");
    WriteCategoryHelp(2, 1);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), "");
}

// Field 1 text; fields 2-4 one coded field of three answers with two labels; fields 5-13 a
// coded field of nine answers with nine labels; 14 a municipality; 15 a coded field sharing the
// list of field 5.
const std::string kDeclarations =
    "Prova\r\n001A Nome\r\n     030\r\n0023 Mezzi\r\n     001 auto\r\n     002 treno\r\n     ///\r\n"
    "0059 Titolo\r\n     001 a1\r\n     002 a2\r\n     003 a3\r\n     004 a4\r\n     005 a5\r\n"
    "     006 a6\r\n     007 a7\r\n     008 a8\r\n     009 a9\r\n     ///\r\n014K Comune\r\n"
    "0151 Coniuge\r\n     001 005\r\n     ///\r\n";

std::string ReplaceOnce(std::string s, const std::string& from, const std::string& to) {
    s.replace(s.find(from), from.size(), to);
    return s;
}

// An insertion after the list's `number`th category, or a replacement of its `number`th one.
TEST(DeclarationWalk, InsertsAfterTheListsLastCategoryOrReplacesOneLine) {
    const auto insert = &InsertCategoryLine;
    const auto replace = &ReplaceCategoryLine;
    struct Case {
        const char* what;
        decltype(insert) edit;
        int firstField, number;
        const char* label;
        bool done;
        std::string expected;
    };
    const Case cases[] = {
        {"insert after nine", insert, 5, 9, "nuova", true,
         ReplaceOnce(kDeclarations, "a9\r\n", "a9\r\n     010 nuova\r\n")},
        {"insert after two", insert, 2, 2, "bici", true,
         ReplaceOnce(kDeclarations, "treno\r\n", "treno\r\n     003 bici\r\n")},
        {"insert past the list's end: nothing below its end line", insert, 5, 10, "x", false, kDeclarations},
        {"insert on a field past the last", insert, 20, 1, "x", false, kDeclarations},
        {"insert on field -1", insert, -1, 1, "x", false, kDeclarations},
        {"insert after none", insert, 5, 0, "x", false, kDeclarations},
        {"replace the third", replace, 5, 3, "nuovo", true,
         ReplaceOnce(kDeclarations, "     003 a3", "     003 nuovo")},
        {"replace the last", replace, 5, 9, "ultimo", true,
         ReplaceOnce(kDeclarations, "     009 a9", "     009 ultimo")},
        {"replace the first", replace, 2, 1, "bus", true,
         ReplaceOnce(kDeclarations, "     001 auto", "     001 bus")},
        {"replace past the end: neither the end line nor another list", replace, 5, 10, "x", false,
         kDeclarations},
        {"replace category 0", replace, 5, 0, "x", false, kDeclarations},
        {"replace on field -1", replace, -1, 1, "x", false, kDeclarations},
    };
    for (const Case& c : cases) {
        const DeclarationEdit edit = c.edit(kDeclarations, c.firstField, c.number, c.label);
        EXPECT_EQ(edit.done, c.done) << c.what;
        EXPECT_EQ(edit.text, c.expected) << c.what;
    }
}

TEST(DeclarationWalk, LongLinesAndCodedCountsOfTwoDigitsAndMore) {
    // A label of 200 characters stays whole; "b" declares 11 answers and "{" 36.
    const std::string longLabel(200, 'L');
    const std::string text = "T\r\n001b Undici\r\n     001 " + longLabel +
                             "\r\n     ///\r\n012{ Tanti\r\n     001 x\r\n"
                             "     ///\r\n0481 Uno\r\n     001 y\r\n     ///\r\n";
    EXPECT_EQ(InsertCategoryLine(text, 48, 1, "z").text,
              ReplaceOnce(text, "001 y\r\n", "001 y\r\n     002 z\r\n"));
    EXPECT_EQ(InsertCategoryLine(text, 12, 1, "w").text,
              ReplaceOnce(text, "001 x\r\n", "001 x\r\n     002 w\r\n"));
    EXPECT_EQ(InsertCategoryLine(text, 1, 1, "v").text,
              ReplaceOnce(text, longLabel + "\r\n", longLabel + "\r\n     002 v\r\n"));
}

TEST(DeclarationWalk, LabelsTheListCanTake) {
    EXPECT_EQ(NewCategoryLabel(std::string(250, 'a')), std::string(200, 'a'));
    EXPECT_EQ(NewCategoryLabel("a\x1a"
                               "b\tc"),
              "a b c");
    struct Case {
        const char* label;
        bool storable;
    };
    const Case cases[] = {{"dottorato", true}, {"3 figli", true}, {"", true},   {"12", false},
                          {" 7", false},       {"-1", false},     {"12 ", true}};
    for (const Case& c : cases) EXPECT_EQ(IsStorableLabel(c.label), c.storable) << c.label;
}

class SampleCategoryTest : public test::SampleProgram {
  protected:
    static std::string Label(int field, int category) {
        const std::string labels = ReadBytes(CoreState.ArchiveDir + "mod-sch.dat");
        const size_t at = size_t(FieldFirstLabel[size_t(field)] + category - 1) * 61;
        return std::string(labels.c_str() + at, strnlen(labels.c_str() + at, 61));
    }
    static int Count(int field) { return FieldLastLabel[size_t(field)] - FieldFirstLabel[size_t(field)] + 1; }
};

TEST_F(SampleCategoryTest, FirstFieldOfAList) {
    // 7 declares the education list, 8 refers to it; 13 to 15 are one field of three answers.
    struct Case {
        int field, first;
    };
    for (const Case c :
         {Case{7, 7}, Case{8, 7}, Case{13, 13}, Case{14, 13}, Case{15, 13}, Case{3, 3}, Case{0, -1}})
        EXPECT_EQ(ListFirstField(c.field), c.first) << c.field;
}

TEST_F(SampleCategoryTest, AddAndReplaceRebuildTheDefinition) {
    const std::string before = ReadBytes(CoreState.ArchiveDir + "sig-sch.dat");
    ASSERT_EQ(Count(7), 5);
    const std::string occupation = Label(11, 1);

    ASSERT_TRUE(AddCategoryToDeclarations(7, 5, "dottorato"));
    const std::string added =
        ReplaceOnce(before, "     005 laurea\r\n", "     005 laurea\r\n     006 dottorato\r\n");
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "sig-sch.dat"), added);
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "bak-sch.dat"), added);
    // Both fields of the shared list see the category once; later lists keep their labels.
    EXPECT_EQ(Count(7), 6);
    EXPECT_EQ(Count(8), 6);
    EXPECT_EQ(Label(8, 6), "dottorato");
    EXPECT_EQ(Label(11, 1), occupation);

    ASSERT_TRUE(ReplaceCategoryInDeclarations(7, 3, "licenza media inferiore"));
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "sig-sch.dat"),
              ReplaceOnce(added, "     003 licenza media\r\n", "     003 licenza media inferiore\r\n"));
    EXPECT_EQ(Label(7, 3), "licenza media inferiore");
    EXPECT_EQ(Count(7), 6);

    // Refused: a label that would read as a reference, a list that is not there.
    const std::string now = ReadBytes(CoreState.ArchiveDir + "sig-sch.dat");
    EXPECT_FALSE(AddCategoryToDeclarations(7, 6, "12"));
    EXPECT_FALSE(ReplaceCategoryInDeclarations(7, 9, "x"));
    EXPECT_FALSE(AddCategoryToDeclarations(-1, 6, "x"));
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "sig-sch.dat"), now);
}

}  // namespace
}  // namespace qv

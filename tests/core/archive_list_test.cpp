// The list of archives: reading Windows lines, staging the names, choosing and switching.
#include "core/archive_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/startup.h"
#include "core/core_state.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class ArchiveListTest : public test::SampleProgram {
  protected:
    void SetUp() override {
        SampleProgram::SetUp();
        sample = CoreState.ArchiveDir;
        second = root.Root() + "archivi/Secondo/";
        MakeDirs(second);
        MakeDirs(root.Root() + "archivi/vuoto/");
        CopyTree(sample, second);
        WriteBytes(second + "dli-sch.dat", Hex("01 00 00 00"));  // two cards
        // A card definition without the archive made from it.
        CopyTree(sample, root.Root() + "archivi/vuoto/");
        std::remove((root.Root() + "archivi/vuoto/morvidex.dat").c_str());
    }
    void WriteList(const std::string& text) { WriteBytes(root / "lst-kel.txt", text); }

    std::string sample, second;
};

TEST_F(ArchiveListTest, NameAndDirectoryOfALine) {
    const std::string longDir(300, 'd');
    struct Case {
        std::string line, name, dir;
    } cases[] = {
        {"Pianalto      C:\\quorvanta.tv\\Pianalto\\", "Pianalto      ", "quorvanta.tv/Pianalto/"},
        {"Senza barra   c:\\archivi\\Secondo", "Senza barra   ", "archivi/Secondo/"},
        {"Radice        \\archivi\\x\\", "Radice        ", "archivi/x/"},
        {"Lungo         C:\\" + longDir + "\\", "Lungo         ", longDir + "/"},  // never cut
        {"Corto", "Corto", ""},
        {"Quattordici14", "Quattordici14", ""},
        {"Quattordici 14", "Quattordici 14", ""},  // exactly 14 columns: no directory
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ArchiveListName(c.line), c.name);
        EXPECT_EQ(ArchiveListDir(c.line), c.dir.empty() ? "" : root.Root() + c.dir);
    }
}

TEST_F(ArchiveListTest, NamesAreStagedOneALine) {
    EXPECT_FALSE(FillArchiveList());
    EXPECT_EQ(ReadBytes(root / "tresca.txt"), "");

    WriteList(
        "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\nCorto\r\n\r\nSecondo       "
        "C:\\archivi\\Secondo\\\r\n");
    const auto names = FillArchiveList();
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 4u);
    EXPECT_EQ(ReadBytes(root / "tresca.txt"), "Pianalto      \r\nCorto\r\n\r\nSecondo       \r\n");
}

TEST_F(ArchiveListTest, ChoosingAnEntry) {
    const std::string list =
        "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\n"
        "Corto\r\n"
        "Vuoto         C:\\archivi\\vuoto\\\r\n"
        "Secondo       C:\\archivi\\Secondo\r\n";  // no final backslash
    using A = ArchiveChoice;
    struct Case {
        const char* name;
        int index;
        A choice;
    } cases[] = {
        {"current archive", 0, A::Unchanged},        {"none highlighted is the first", -1, A::Unchanged},
        {"line without directory", 1, A::Unchanged}, {"no descriptor", 2, A::Missing},
        {"past the end", 9, A::Unchanged},           {"another archive", 3, A::Changed},
    };
    WriteList(list);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CurrentCardText[1] = 'x';
        EXPECT_EQ(ChooseArchive(c.index), c.choice);
        if (c.choice != A::Changed) {
            EXPECT_EQ(CoreState.ArchiveDir, sample);
            EXPECT_EQ(CurrentCardText[1], 'x');
            EXPECT_FALSE(FileExists(sample + "imposta.000"));  // nothing saved
        }
    }
    // The old archive's settings were stored, the new one is open with a blank new card.
    EXPECT_EQ(CoreState.ArchiveDir, second);
    EXPECT_TRUE(FileExists(sample + "imposta.000"));
    EXPECT_EQ(ReadBytes(root / "cartella.txt"), sample + "\r\n");
    EXPECT_EQ(CoreState.LastCard, 1);
    EXPECT_EQ(CoreState.CurrentCard, 2);
    EXPECT_EQ(CurrentCardText[1], 0);
    // The same entry again is now the current archive.
    EXPECT_EQ(ChooseArchive(3), A::Unchanged);
}

TEST_F(ArchiveListTest, SettingsThatCannotBeSavedDoNotKeepTheUserInTheArchive) {
    MakeDirs(root / "cartella.txt");  // the file cannot be written, as on a full disk
    WriteList("Secondo       C:\\archivi\\Secondo\\\r\n");
    CurrentCardText[1] = 'x';
    EXPECT_EQ(ChooseArchive(0), ArchiveChoice::Changed);
    EXPECT_EQ(CoreState.ArchiveDir, second);
    EXPECT_EQ(CurrentCardText[1], 0);
}

TEST_F(ArchiveListTest, AListThatCannotBeReadIsAnError) {
    EXPECT_THROW(ChooseArchive(0), IoError);
}

TEST_F(ArchiveListTest, AnArchiveThatFailsToOpenLeavesThePreviousOneOpen) {
    const int sampleFields = CoreState.FieldCount;
    const int sampleLast = CoreState.LastCard;
    const std::string broken = root.Root() + "archivi/rotto/";
    MakeDirs(broken);
    CopyTree(second, broken);
    std::remove((broken + "trc-tres.dat").c_str());  // required when opening
    WriteList("Rotto         C:\\archivi\\rotto\\\r\n");
    EXPECT_THROW(ChooseArchive(0), IoError);
    EXPECT_EQ(CoreState.ArchiveDir, sample);
    EXPECT_EQ(CoreState.FieldCount, sampleFields);
    EXPECT_EQ(CoreState.LastCard, sampleLast);
    EXPECT_EQ(CoreState.CurrentCard, sampleLast + 1);
}

}  // namespace
}  // namespace qv

// The compile run: write gate, erasing an archive's cards, card geometry, error list, rebuild.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "compiler_fixture.h"
#include "core/compile_run.h"
#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;
using Box = CompileRunHost::StatusBox;

struct RecordingHost : CompileRunHost {
    bool answer = true;
    int asked = 0;
    int askedCount = -1;
    int errorListsShown = 0;
    int commandCodeShown = 0;
    std::vector<std::pair<Box, int>> statuses;

    bool ConfirmEraseCards() override {
        ++asked;
        askedCount = CoreState.ExistingCardCount;
        return answer;
    }
    void ShowErrorList() override {
        ++errorListsShown;
        commandCodeShown = CoreState.CommandCode;
    }
    void ShowStatus(Box box, int text) override { statuses.emplace_back(box, text); }
};

// Text 1 and a text field of 30, a coded field of three answers with two labels, a date.
const std::string kSource = CrLf(
    {"Anagrafe", "*T", "Nome", "*C A30", "*T", "Fattore  1", "*C C3", "uno", "due", "*T", "Nato il", "*C D"});

class CompileRunTest : public test::CompilerFixture {
  protected:
    void SetUp() override {
        CompilerFixture::SetUp();
        folder = CoreState.DesignerDir;
        CoreState.WriteAccess = 1;
        WriteSource(kSource);
    }

    CompileRunResult Run(bool create) { return RunCompile(folder, create, host); }
    std::string File(const std::string& name) const { return ReadBytes(folder + name); }

    std::string folder;
    RecordingHost host;
};

TEST_F(CompileRunTest, CreatingANewArchiveWritesEveryFile) {
    const CompileRunResult result = Run(true);
    EXPECT_TRUE(result.ran);
    EXPECT_FALSE(result.errors);
    EXPECT_EQ(result.folder, folder);
    EXPECT_EQ(host.asked, 0);  // no cards yet: nothing to confirm
    EXPECT_EQ(host.errorListsShown, 0);
    const std::vector<std::pair<Box, int>> statuses = {
        {Box::Create, 0}, {Box::Compile, 0}, {Box::Erase, 0}, {Box::Erase, 468}};
    EXPECT_EQ(host.statuses, statuses);

    EXPECT_EQ(File("sig-sch.dat"), CrLf({"Anagrafe", "001A Nome", "     030", "0023 Fattore  1",
                                         "     001 uno", "     002 due", "     ///", "005D Nato il"}));
    EXPECT_EQ(
        File("morvidex.dat"),
        CrLf({"Nome Archivio....: ", "Nome indirizzario: " + folder,
              "Scheda.NUM.......: 100 posizioni riservate", "Scheda.ALF.......: 100 posizioni riservate",
              "Var statistiche..: 0", "Modalita' \"\"\"\" ..: 0", "Inizio fattori...: 0"}));
    EXPECT_EQ(File("num-sch.dat"), std::string(16000, '\0'));
    EXPECT_EQ(File("alf-sch.dat"), std::string(8000, '\0'));
    EXPECT_EQ(ToHex(File("dli-sch.dat")), ToHex(Hex("FF FF FF FF")));
    EXPECT_EQ(File("lst-fatt.imp"), "4\r\n");  // the last answer of the coded field
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), "");
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "dir-edit.imp"), folder + "\r\n");
    // The definition of the designed archive is built in its folder.
    EXPECT_EQ(ReadBytes(folder + "imp-sch.dat").size(), 160000u);
    EXPECT_FALSE(ReadBytes(folder + "trd-tres.dat").empty());

    // With no archive open the designed one is now the current archive, opened as designed.
    EXPECT_EQ(CoreState.ArchiveDir, folder);
    EXPECT_EQ(CoreState.DesignerDir, folder);
    EXPECT_EQ(CoreState.CardWordCount, 100);
    EXPECT_EQ(CoreState.CardTextBytes, 100);
    EXPECT_EQ(CoreState.FieldCount, 5);
    EXPECT_EQ(CoreState.LastCard, -1);
    EXPECT_EQ(CoreState.PageCount, 1);
    EXPECT_EQ(CoreState.LayoutItemCount, 6);  // three texts and a dash per answer
    const int16_t types[] = {-30, 0, 1, 1, 2};
    const int16_t positions[] = {0, 1, 2, 3, 4};
    for (int f = 1; f <= 5; ++f) {
        EXPECT_EQ(FieldTypes[f], types[f - 1]) << f;
        EXPECT_EQ(FieldPositions[f], positions[f - 1]) << f;
        EXPECT_EQ(LayoutPage[f], 1) << f;
    }
    EXPECT_EQ(FieldTextOffsets[1], 1);
    EXPECT_EQ(LayoutY[5], 145);  // "Nato il" below the three answers at 85, 105 and 125
    const std::array<int16_t, 9> plain = {1, 15, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(CardTextStyles[1], plain);
    EXPECT_EQ(CardTextStyles[2][0], 257);
}

// Compiling another folder reopens the current archive: what this session changed in it is
// saved first, and the archive stays the current one.
TEST_F(CompileRunTest, CurrentArchiveKeepsItsUnsavedSelection) {
    Run(true);
    const std::string current = folder;
    CardSelectionMask[0] = 0x80;
    StandardRowFlags[3] = 1;

    folder = tmp.MakeDir("other");
    WriteBytes(folder + "scheda.txt", CrLf({"Altro", "*T", "Codice", "*C Q", "*C Q"}));
    const CompileRunResult result = Run(true);
    EXPECT_FALSE(result.errors);
    EXPECT_EQ(CoreState.ArchiveDir, current);
    EXPECT_EQ(CoreState.DesignerDir, folder);
    EXPECT_EQ(CoreState.FieldCount, 5);  // the current archive's fields, not the designed one's
    EXPECT_EQ(CardSelectionMask[0], 0x80);
    EXPECT_EQ(StandardRowFlags[3], 1);
    EXPECT_EQ(ReadBytes(folder + "imp-sch.dat").size(), 160000u);
}

TEST_F(CompileRunTest, AFailedRebuildLeavesTheDirectoriesAsTheyWere) {
    Run(true);
    const std::string current = folder;
    std::remove((current + "inf-sch.dat").c_str());  // the current archive cannot be rebuilt
    folder = tmp.MakeDir("other");
    WriteBytes(folder + "scheda.txt", kSource);
    EXPECT_THROW(Run(false), IoError);
    EXPECT_EQ(CoreState.ArchiveDir, current);
    EXPECT_EQ(CoreState.DesignerDir, folder);
}

TEST_F(CompileRunTest, WithoutTheWritePasswordNothingIsCompiled) {
    CoreState.WriteAccess = 0;
    const CompileRunResult result = Run(true);
    EXPECT_FALSE(result.ran);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "dir-edit.imp"), folder + "\r\n");
    for (const char* name : {"sig-sch.dat", "inf-sch.dat", "dat-sch.dat", "morvidex.dat", "dli-sch.dat"}) {
        EXPECT_EQ(ReadBytes(folder + name), "") << name;
    }
    EXPECT_EQ(host.statuses.size(), 3u);
}

TEST_F(CompileRunTest, ExistingCardsAreErasedOnlyWhenConfirmed) {
    struct Case {
        const char* name;
        bool create;
        bool answer;
        int expectAsked;
        bool erased;
    } cases[] = {
        {"create, erase confirmed", true, true, 1, true},
        {"create, erase declined", true, false, 1, false},
        {"compile only", false, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string cards(200, 'x');  // one card of 100 words
        const std::string descriptor =
            CrLf({"Nome Archivio....: ", "Nome indirizzario: x", "Scheda.NUM.......: 100 posizioni riservate",
                  "Scheda.ALF.......: 200 posizioni riservate"});
        WriteBytes(folder + "dli-sch.dat", Hex("00 00 00 00"));  // one card
        WriteBytes(folder + "num-sch.dat", cards);
        WriteBytes(folder + "morvidex.dat", descriptor);
        host = RecordingHost();
        host.answer = c.answer;
        const CompileRunResult result = Run(c.create);
        EXPECT_FALSE(result.errors) << ReadBytes(CoreState.ProgramDir + "tabella.txt");
        EXPECT_EQ(host.asked, c.expectAsked);
        if (c.expectAsked) {
            EXPECT_EQ(host.askedCount, 1);
        }
        if (c.erased) {
            EXPECT_EQ(ToHex(File("dli-sch.dat")), ToHex(Hex("FF FF FF FF")));
            EXPECT_EQ(File("num-sch.dat"), std::string(16000, '\0'));
            EXPECT_NE(File("morvidex.dat"), descriptor);
        } else {
            EXPECT_EQ(ToHex(File("dli-sch.dat")), ToHex(Hex("00 00 00 00")));
            EXPECT_EQ(File("num-sch.dat"), cards);
            EXPECT_EQ(File("morvidex.dat"), descriptor);
        }
    }
}

// A definition that the archive's cards cannot hold is reported and never installed.
TEST_F(CompileRunTest, DefinitionLargerThanTheArchivesCardIsRefused) {
    struct Case {
        const char* name;
        const char* numeric;
        const char* text;
        const char* last;  // 48 words and 60 text bytes before it
        std::string error;
    } cases[] = {
        {"fits", "50", "100", "*C Q", ""},
        {"numeric part too small", "50", "100", "*C D",
         "   12, campi numerici oltre la scheda dell'archivio: 50 posizioni (massimo 48)\r\n"},
        {"text part too small", "100", "50", "*C D",
         "   12, campi di testo oltre la scheda dell'archivio: 60 caratteri (massimo 50)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSource(CrLf(
            {"T", "*T", "Nome", "*C A30", "*C A30", "*T", "Tanti", "*C C36", "v", "*C C9", "w", c.last}));
        WriteBytes(folder + "morvidex.dat",
                   CrLf({"Nome Archivio....: ", "Nome indirizzario: x",
                         std::string("Scheda.NUM.......: ") + c.numeric + " posizioni",
                         std::string("Scheda.ALF.......: ") + c.text + " posizioni"}));
        WriteBytes(folder + "md2-sch.dat", "old");
        std::remove((folder + "lst-fatt.imp").c_str());
        host = RecordingHost();
        const CompileRunResult result = Run(false);
        EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), c.error);
        EXPECT_EQ(result.errors, !c.error.empty());
        EXPECT_EQ(host.errorListsShown, c.error.empty() ? 0 : 1);
        if (!c.error.empty()) {
            EXPECT_EQ(host.commandCodeShown, -5);
            EXPECT_EQ(File("md2-sch.dat"), "old");  // not rebuilt
            EXPECT_EQ(File("lst-fatt.imp"), "");
        } else {
            EXPECT_NE(File("md2-sch.dat"), "old");
            EXPECT_EQ(File("lst-fatt.imp"), "0\r\n");
        }
    }
}

TEST_F(CompileRunTest, TooLargeForAnyCardWritesNoDescriptorAndErasesNothing) {
    std::string source = CrLf({"T", "*T", "X"});
    for (int i = 0; i < 112; ++i) source += "*C C36\r\nv\r\n";
    WriteSource(source);
    WriteBytes(folder + "dli-sch.dat", Hex("04 00 00 00"));
    const CompileRunResult result = Run(true);
    EXPECT_TRUE(result.errors);
    EXPECT_EQ(host.asked, 0);
    EXPECT_EQ(ToHex(File("dli-sch.dat")), ToHex(Hex("04 00 00 00")));
    EXPECT_EQ(File("morvidex.dat"), "");
    EXPECT_EQ(File("imp-sch.dat"), "");
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"),
              "  227, campi numerici oltre la scheda: 4032 posizioni (massimo 3998)\r\n");
}

TEST_F(CompileRunTest, OtherErrorsStillRebuildButWriteNoFactorStart) {
    WriteSource(CrLf({"T", "*T", "Voto", "*C C2", "*C Q X"}));
    const CompileRunResult result = Run(true);
    EXPECT_TRUE(result.errors);
    EXPECT_EQ(host.errorListsShown, 1);
    EXPECT_EQ(host.commandCodeShown, -5);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"),
              "    5T458 *C Q X\r\n    5, coordianta X non inserita -> *C Q X\r\n");
    EXPECT_EQ(File("imp-sch.dat").size(), 160000u);
    EXPECT_EQ(File("lst-fatt.imp"), "");
}

TEST_F(CompileRunTest, LongFolderNamesAreKeptWhole) {
    const std::string deep = tmp.MakeDir(std::string(60, 'd') + "/" + std::string(40, 'e'));
    WriteBytes(deep + "scheda.txt", kSource);
    folder = deep;
    const CompileRunResult result = Run(true);
    EXPECT_TRUE(result.ran);
    EXPECT_EQ(result.folder, deep);
    EXPECT_EQ(CoreState.DesignerDir, deep);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "dir-edit.imp"), deep + "\r\n");
    EXPECT_EQ(ReadBytes(deep + "sig-sch.dat").substr(0, 10), "Anagrafe\r\n");
}

TEST_F(CompileRunTest, MissingSourceEndsTheRunWithTheInputOutputError) {
    std::remove((folder + "scheda.txt").c_str());
    EXPECT_THROW(Run(true), IoError);
}

}  // namespace
}  // namespace qv

#include "quick/quick_lists.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/mask_archive.h"
#include "support/recording_progress.h"

namespace qv {
namespace {

using namespace test;

// Cards 0..4 (program and archive directory alike); 0, 2 and 3 selected.
//   card  name (field 1)  category (2)  percentage (7)  municipality (4)
//   0     "Rossi   "      2 sposato     1234            2 MILANO
//   1     Bianchi         1 celibe      5               1 ROMA
//   2     Verdi           4 (none)      -32000 (empty)  0
//   3     Neri            0             10000           3 ABANO TERME
//   4     Gialli          3 vedovo      0               1 ROMA
class QuickListsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        struct Row {
            const char* name;
            int category;
            int16_t percentage;
            int comune;
        } rows[] = {{"Rossi   ", 2, 1234, 2},
                    {"Bianchi", 1, 5, 1},
                    {"Verdi", 4, -32000, 0},
                    {"Neri", 0, 10000, 3},
                    {"Gialli", 3, 0, 1}};
        for (int c = 0; c < 5; ++c) {
            a.Blank();
            a.Name(rows[c].name);
            a.Category(rows[c].category);
            a.Percentage(rows[c].percentage);
            a.Comune(rows[c].comune);
            a.Store(c);
        }
        for (int c : {0, 2, 3}) MaskArchive::Select(c);
    }
    void Mask(const std::string& text) { WriteBytes(a / "mas-dat.txt", text); }
    void Index(int field, std::initializer_list<int32_t> cards) {
        std::string bytes;
        for (int32_t c : cards) AppendI32(bytes, c);
        char name[16];
        std::snprintf(name, sizeof name, "ALFA.%03d", field);
        WriteBytes(a / name, bytes);
    }
    std::string List() const { return ReadBytes(a / "lista.txt"); }
    MaskArchive a;
    RecordingProgress progress;
};

TEST_F(QuickListsTest, SequentialListsFormatEachSelectedCard) {
    struct Case {
        const char* mask;
        std::string list;
    } cases[] = {
        // Card numbers right-aligned in five characters, one a line.
        {"#0,5*\r\n", "    1\r\n    3\r\n    4\r\n"},
        // Trailing blanks go; a width pads them back.
        {"[#1*][#1,8*]\r\n", "[Rossi][Rossi   ]\r\n[Verdi][Verdi   ]\r\n[Neri][Neri    ]\r\n"},
        // A code beyond the list is "???", code 0 an empty label.
        {"#2*|#2,4*|\r\n", "sposato|spos|\r\n???|??? |\r\n|    |\r\n"},
        // The whole part of a percentage takes three characters.
        {"#7*\r\n", " 12.34%\r\n___.__%\r\n100.00%\r\n"},
        // A municipality name, a blank for code 0; a width pads on the right.
        {"#4,8*.\r\n", "MILANO  .\r\n        .\r\nABANO TE.\r\n"},
        // The title placeholder of a tabular mask writes nothing and no heading is made;
        // a field beyond the archive and a field part that is no number write nothing.
        {"#T,5,Nome*#1*#99*#X,3*#P,59*\r\n", "Rossi;\r\nVerdi;\r\nNeri;\r\n"},
    };
    for (const Case& c : cases) {
        Mask(c.mask);
        progress.positions.clear();
        EXPECT_EQ(RunQuickList(QuickListOrder::Sequential, progress), QuickListOutcome::Done);
        EXPECT_EQ(List(), c.list) << c.mask;
    }
    EXPECT_EQ(CoreState.CurrentCard, 3);
    EXPECT_EQ(progress.maximum, 4);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 0}));
    // A quick list keeps no row file.
    EXPECT_FALSE(FileSize(a / "dli-list.dat"));
}

TEST_F(QuickListsTest, AlphabeticalListFollowsTheIndex) {
    Mask("#1*\r\n");
    CoreState.ListOrderField = 1;
    WriteBytes(a / "lista.txt", "precedente");
    EXPECT_EQ(RunQuickList(QuickListOrder::Alphabetical, progress), QuickListOutcome::OrderIndexMissing);
    EXPECT_EQ(List(), "precedente");

    // "All cards" sets bits past the last card: index entries beyond it list nothing.
    CardSelectionMask.fill(0xFF);
    Index(1, {1, 4, 3, 7, 0, 2, -1});
    EXPECT_EQ(RunQuickList(QuickListOrder::Alphabetical, progress), QuickListOutcome::Done);
    EXPECT_EQ(List(), "Bianchi\r\nGialli\r\nNeri\r\nRossi\r\nVerdi\r\n");
    EXPECT_EQ(CoreState.CurrentCard, 2);
}

TEST_F(QuickListsTest, EmptyResultsAndMissingFiles) {
    // No mask: every card writes nothing. No selected card: an empty list.
    WriteBytes(a / "lista.txt", "precedente");
    EXPECT_EQ(RunQuickList(QuickListOrder::Sequential, progress), QuickListOutcome::Done);
    EXPECT_EQ(List(), "");
    Mask("#1*\r\n");
    CardSelectionMask.fill(0);
    WriteBytes(a / "lista.txt", "precedente");
    RunQuickList(QuickListOrder::Sequential, progress);
    EXPECT_EQ(List(), "");

    // Missing municipality names or card files stop the list before it is written.
    MaskArchive::Select(0);
    WriteBytes(a / "lista.txt", "precedente");
    for (const char* name : {"cmn-zor2.dat", "num-sch.dat"}) {
        const std::string keep = ReadBytes(a / name);
        RemoveFile(a / name);
        EXPECT_THROW(RunQuickList(QuickListOrder::Sequential, progress), IoError) << name;
        EXPECT_EQ(List(), "precedente") << name;
        WriteBytes(a / name, keep);
    }
}

TEST_F(QuickListsTest, MaskFilesAndTheDefaultMask) {
    struct Case {
        const char* chosen;
        const char* saved;
    } names[] = {
        {"/d/elenco", "/d/elenco.mas"},
        {"/d/elenco.txt", "/d/elenco.txt"},
        {"/d/v1.2/elenco", "/d/v1.2/elenco.mas"},
        {"/d/elenco.", "/d/elenco."},
    };
    for (const Case& c : names) EXPECT_EQ(QuickMaskFileName(c.chosen), c.saved);

    Mask("riga\n#1*");
    SaveQuickMask(a / "mia");
    EXPECT_EQ(ReadBytes(a / "mia.mas"), "riga\r\n#1*\r\n");
    WriteBytes(a / "altra.mas", "#0*");
    LoadQuickMask(a / "altra.mas");
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"), "#0*\r\n");
    EXPECT_THROW(LoadQuickMask(a / "manca.mas"), IoError);

    // Without a card definition nothing is made and the mask stays.
    EXPECT_THROW(CreateQuickMask(), IoError);
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"), "#0*\r\n");
    WriteBytes(a / "scheda.txt", "Prova\r\n*T\r\nCognome\r\n*C A20\r\n*T\r\nHobby\r\n*CC2\r\n");
    CreateQuickMask();
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"), "\r\nCognome #1*\r\nHobby #2* #3*\r\n");
}

}  // namespace
}  // namespace qv

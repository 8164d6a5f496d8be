#include "quick/quick_grids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class QuickGridsTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::InstallNumberedTexts(2200);
    }
    // A new empty archive directory for the next case of a table.
    void FreshArchive() { CoreState.ArchiveDir = dir.MakeDir("arch" + std::to_string(++archives)); }
    int archives = 0;
};

TEST_F(QuickGridsTest, CopyOfTheStandardGrids) {
    const std::string longLine(310, 'x');  // a grid reader keeps 300 characters
    struct Case {
        const char* name;
        bool quickGridExists, answer, grid, headings, quant;
        bool expectAsked, expectDone;
        const char* status;
    };
    const Case cases[] = {
        {"all sources, no quick grid", false, false, true, true, true, false, true, "Testo 631"},
        {"existing grid kept", true, false, true, true, true, true, false, nullptr},
        {"existing grid replaced", true, true, true, true, true, true, true, "Testo 631"},
        {"headings and quantities missing", false, false, true, false, false, false, true,
         "Testo 632 Testo 634 Testo 635"},
        {"grid missing", false, false, false, true, true, false, true, "Testo 632 Testo 633"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshArchive();
        // A Linux-written grid (LF ends) with a line longer than a copied line.
        if (c.grid) WriteBytes(Arch("grl-sch.txt"), "M*1=1,1;G0S0\nF*=2,2;\n" + longLine + "\n");
        if (c.headings) WriteBytes(Arch("tin-sch.txt"), "001\r\n\r\n\r\nSesso\r\n///\r\n");
        if (c.quant) WriteBytes(Arch("grq-sch.txt"), "*4*Eta\r\n");
        if (c.quickGridExists) WriteBytes(Arch("grl-dat.txt"), "vecchia\r\n");
        WriteBytes(Arch("tin-dat.txt"), "vecchie\r\n");
        WriteBytes(Arch("grq-dat.txt"), "vecchie\r\n");
        int asked = 0;
        const QuickGridCopy copy = CopyGridsToQuickSet([&] {
            ++asked;
            return c.answer;
        });
        EXPECT_EQ(asked, c.expectAsked ? 1 : 0);
        EXPECT_EQ(copy.Done, c.expectDone);
        if (!c.expectDone) {
            EXPECT_EQ(ReadBytes(Arch("grl-dat.txt")), "vecchia\r\n");
            EXPECT_EQ(ReadBytes(Arch("tin-dat.txt")), "vecchie\r\n");
            continue;
        }
        EXPECT_EQ(QuickGridCopyStatus(copy), c.status);
        if (c.grid) {
            EXPECT_EQ(ReadBytes(Arch("grl-dat.txt")),
                      "M*1=1,1;G0S0\r\nF*=2,2;\r\n" + longLine.substr(0, 300) + "\r\n");
        }
        EXPECT_EQ(ReadBytes(Arch("tin-dat.txt")),
                  c.headings ? "001\r\n\r\n\r\nSesso\r\n///\r\n" : "vecchie\r\n");
        EXPECT_EQ(ReadBytes(Arch("grq-dat.txt")), c.quant ? "*4*Eta\r\n" : "vecchie\r\n");
    }
}

// Field numbers follow the archive definition: a coded field of n answers takes n numbers, a
// text field's length line and the category lines take none.
const char* const kDeclarations =
    "Archivio di prova\r\n"
    "001A Nome\r\n"
    "     040\r\n"
    "0023 Mezzi di trasporto\r\n"
    "     001 auto\r\n"
    "     ///\r\n"
    "005D Data di nascita\r\n"
    "006K Comune di residenza\r\n"
    "007{ Trentasei risposte\r\n"
    "     001 una\r\n"
    "     ///\r\n"
    "043K Comune di lavoro\r\n"
    "044L Reddito\r\n"
    "045D Data di arrivo\r\n";

TEST_F(QuickGridsTest, TerritorialAndDateListsNumberFieldsLikeTheDefinition) {
    WriteBytes(Arch("sig-sch.dat"), kDeclarations);
    WriteTerritorialVariableList();
    WriteDateVariableList();
    EXPECT_EQ(ReadBytes(Arch("grt-dat.txt")), "*6*Comune di residenza\r\n*43*Comune di lavoro\r\n");
    EXPECT_EQ(ReadBytes(Arch("grd-dat.txt")), "*5*Data di nascita\r\n*45*Data di arrivo\r\n");

    // No territorial field: an empty list, rewritten whole.
    WriteBytes(Arch("sig-sch.dat"), "Archivio\r\n001D Data\r\n");
    WriteTerritorialVariableList();
    EXPECT_EQ(ReadBytes(Arch("grt-dat.txt")), "");

    test::TempDir other;
    CoreState.ArchiveDir = other.Path();
    EXPECT_THROW(WriteDateVariableList(), IoError);
}

TEST_F(QuickGridsTest, LinkTemplate) {
    // Definitions typed by someone are replaced only on a yes; without a file nothing is asked.
    WriteBytes(Arch("lnk-dat.imp"), "vecchio\r\n");
    int asked = 0;
    EXPECT_FALSE(WriteLinkTemplate([&] { return ++asked, false; }));
    EXPECT_EQ(ReadBytes(Arch("lnk-dat.imp")), "vecchio\r\n");
    EXPECT_TRUE(WriteLinkTemplate([&] { return ++asked, true; }));
    EXPECT_EQ(asked, 2);
    std::filesystem::remove(Arch("lnk-dat.imp"));
    EXPECT_TRUE(WriteLinkTemplate([&] { return ++asked, false; }));
    EXPECT_EQ(asked, 2);
    const std::string block =
        "Posizione del Campo Link nel Record: \r\n"
        "Nome dell'Archivio.................: \r\n"
        "Directory dell'Archivio............: \r\n"
        "Lunghezza del Record Numerico......: \r\n"
        "Lunghezza del Record Alfabetico....: \r\n"
        "Campo Alfabetico 1 Inizio-Fine.....: \r\n"
        "Campo Alfabetico 2 Inizio-Fine.....: \r\n"
        "******\r\n";
    EXPECT_EQ(ReadBytes(Arch("lnk-dat.imp")), block + block + block + block);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(std::string(kLinkLabels[i]).size(), size_t(kLinkLabelWidth));
}

TEST_F(QuickGridsTest, GridWithHeadings) {
    // A ";G" in a label opens no variable: the block goes with the line's code only.
    WriteBytes(Arch("grl-dat.txt"),
               "Sesso M*1=1,1;G0S0\r\nSesso F;G*=2,2;\r\nEta 0-30*4=0,30;G0S0\r\nEta 31-*=31,999;\r\n");
    WriteBytes(Arch("tin-dat.txt"), "001\r\n\r\nSESSO\r\n///\r\n002\r\nETA\r\nin anni\r\n///\r\n");
    WriteGridWithHeadings();
    EXPECT_EQ(Report(),
              "\r\nSESSO\r\n\r\nSesso M*1=1,1;G0S0\r\nSesso F;G*=2,2;\r\n"
              "ETA\r\nin anni\r\n\r\nEta 0-30*4=0,30;G0S0\r\nEta 31-*=31,999;\r\n");

    struct Case {
        bool grid, headings;
        const char* report;
    };
    for (const Case& c : {Case{false, true, "Testo 636\r\n"}, Case{true, false, "Testo 637\r\n"},
                          Case{false, false, "Testo 636\r\nTesto 637\r\n"}}) {
        FreshArchive();
        if (c.grid) WriteBytes(Arch("grl-dat.txt"), "M*1=1,1;G0S0\r\n");
        if (c.headings) WriteBytes(Arch("tin-dat.txt"), "001\r\n///\r\n");
        WriteGridWithHeadings();
        EXPECT_EQ(Report(), c.report);
    }
}

TEST_F(QuickGridsTest, NumberedGrid) {
    WriteNumberedGrid();
    EXPECT_EQ(Report(), "Testo 647\r\n");
    WriteBytes(Arch("grl-dat.txt"), "M*1=1,1;G0S0\r\nF*=2,2;\r\n");
    WriteNumberedGrid();
    EXPECT_EQ(Report(), "Testo 646    1 = M*1=1,1;G0S0\r\nTesto 646    2 = F*=2,2;\r\n");
}

TEST_F(QuickGridsTest, GridDiagnostics) {
    struct Case {
        const char* line;
        std::vector<std::string> faults;  // n stands for the line number
    };
    const std::vector<Case> cases = {
        {"Sesso M*3=1,1;G0S0", {}},
        {"Sesso F*=2,2;", {}},  // field inherited
        {"senza asterisco",
         {"Testo 641 n \"senza asterisco\": Testo 638", "Testo 641 n \"senza asterisco\": Testo 639",
          "Testo 641 n \"senza asterisco\": Testo 640"}},
        {"Nessun punto e virgola*=1,2", {"Testo 641 n \"Nessun punto e virgola*=1,2\": Testo 640"}},
        {"Numero con punti*1.000=1,2;", {}},
        {"Campo zero*0=1,1;", {"riga: n \"Campo zero*0=1,1;\": Testo 642", "riga: n: Testo 645"}},
        {"Basso*5=1-2,3;", {"riga: n \"Basso*5=1-2,3;\": Testo 643"}},
        {"Alto vuoto*5=1,;", {"riga: n \"Alto vuoto*5=1,;\": Testo 644"}},
        {"Senza uguale*5 1,2;", {"Testo 641 n \"Senza uguale*5 1,2;\": Testo 639", "riga: n: Testo 645"}},
        {"Eredita zero*=1,2;", {"riga: n: Testo 645"}},  // the line before gave no field
        {"Intestazione*5=1,1;#F", {}},
        {"Codice ignoto*5=1,1;X", {"riga: n \"Codice ignoto*5=1,1;X\": Testo 2174"}},
        {"Madre fuori*5=1,1;G0S14", {"riga: n: Testo 2175"}},  // 13 lines
    };
    std::string grid, expected;
    for (size_t i = 0; i < cases.size(); ++i) {
        grid += std::string(cases[i].line) + "\r\n";
        char n[24];
        std::snprintf(n, sizeof n, "%4zu", i + 1);
        for (std::string f : cases[i].faults) expected += f.replace(f.find(" n") + 1, 1, n) + "\r\n";
    }
    WriteBytes(Arch("grl-dat.txt"), grid);
    WriteGridDiagnostics();
    EXPECT_EQ(Report(), expected);

    RemoveFile(Arch("grl-dat.txt"));
    WriteGridDiagnostics();
    EXPECT_EQ(Report(), "Testo 647\r\n");
}

}  // namespace
}  // namespace qv

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "platform/file_io.h"
#include "platform/ui/dialogs.h"
#include "quick/preparation.h"
#include "quick/ui/quick_forms.h"
#include "quick/ui/telabvelocigriglia.h"
#include "quick/ui/telabvelociprepara.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class QuickDialogsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        RegisterAdditionalVariablesDialog([this](QWidget*) { ++additional; });
    }
    void TearDown() override {
        RegisterAdditionalVariablesDialog(nullptr);
        StartedProgram::TearDown();
    }

    int additional = 0;
};

TEST_F(QuickDialogsTest, GridSetTextsAndViewers) {
    TElabVelociGriglia d(nullptr);

    WriteBytes(Arch("grl-dat.txt"), "M*3=1,1;G0S0\r\n");
    const std::pair<QPushButton*, int> buttons[] = {
        {d.Modifica, -30},   {d.Diagnostica, -37},  {d.righe, 0},
        {d.Intesta, -31},    {d.Controlla, -32},    {d.ModificaGrigliaQuantitativa, -33},
        {d.Territorio, -34}, {d.ModificaData, -35}, {d.ModificaK, -36},
    };
    for (const auto& [button, selector] : buttons) {
        viewed.clear();
        button->click();
        ASSERT_EQ(viewed.size(), 1u) << selector;
        EXPECT_EQ(viewed[0], selector);
    }
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), "Testo 637\r\n");  // Controlla: no headings
    d.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{40});
    EXPECT_TRUE(messages.empty());
}

TEST_F(QuickDialogsTest, CopyAsksBeforeReplacing) {
    WriteBytes(Arch("grl-sch.txt"), "M*3=1,1;G0S0\r\n");
    TElabVelociGriglia d(nullptr);
    int asked = 0;
    bool replace = false;
    On<TGrigliaPresente>([&](TGrigliaPresente& g) {
        ++asked;
        EXPECT_EQ(g.Label1->text(), "Testo 899");
        (replace ? g.Si : g.Esci)->click();
    });
    d.Copia->click();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(d.status->text(), "Testo 632 Testo 634 Testo 635");
    EXPECT_EQ(ReadBytes(Arch("grl-dat.txt")), "M*3=1,1;G0S0\r\n");

    WriteBytes(Arch("grl-sch.txt"), "F*3=2,2;G0S0\r\n");
    WriteBytes(Arch("tin-sch.txt"), "001\r\n///\r\n");
    WriteBytes(Arch("grq-sch.txt"), "*9*Componenti\r\n");
    d.Copia->click();  // "Annulla"
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(d.status->text(), "Testo 632 Testo 634 Testo 635");
    EXPECT_EQ(ReadBytes(Arch("grl-dat.txt")), "M*3=1,1;G0S0\r\n");
    EXPECT_EQ(CoreState.CommandCode, 0);

    replace = true;
    d.Copia->click();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(d.status->text(), "Testo 631");
    EXPECT_EQ(ReadBytes(Arch("grl-dat.txt")), "F*3=2,2;G0S0\r\n");
    EXPECT_TRUE(unhandled.empty());
    EXPECT_EQ(CoreState.CommandCode, 0);
}

TEST_F(QuickDialogsTest, VariableListsAndLinkTemplate) {
    TElabVelociGriglia d(nullptr);
    d.CreaTerritorio->click();
    d.CreaData->click();
    d.CreaLink->click();
    EXPECT_EQ(d.StatusT->text(), "Ok");
    EXPECT_EQ(d.StatusD->text(), "Ok");
    EXPECT_EQ(d.StatusK->text(), "Ok");
    EXPECT_EQ(ReadBytes(Arch("grt-dat.txt")), "*5*Comune di residenza\r\n");
    EXPECT_EQ(ReadBytes(Arch("grd-dat.txt")), "*4*Data di nascita\r\n");
    EXPECT_EQ(FileSize(Arch("lnk-dat.imp")), std::optional<int64_t>(4 * (7 * 39 + 8)));

    // Without the declarations the list is not made: the standard message, no "Ok".
    TElabVelociGriglia again(nullptr);
    RemoveFile(Arch("sig-sch.dat"));
    again.CreaData->click();
    EXPECT_EQ(again.StatusD->text(), "");
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(QuickDialogsTest, PreparationWithoutLists) {
    CoreState.PreparedQuantVar = 2;
    CoreState.LinkChoice1 = 1;
    CoreState.LinkChoice2 = 2;
    TElabVelociPrepara d(nullptr);
    for (QComboBox* c : {d.vQuant, d.VarTerritoriale, d.VarData, d.varLink}) {
        ASSERT_EQ(c->count(), 1);
        EXPECT_EQ(c->itemText(0), "Testo 700");
    }
    for (QPushButton* b : {d.Quantitativa, d.Territorio, d.PreparaData, d.Link}) EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(d.Matrice->isEnabled());
    EXPECT_TRUE(d.VariabiliAggiunte->isEnabled());
    EXPECT_EQ(CoreState.PreparedQuantVar, 0);
    EXPECT_EQ(CoreState.LinkChoice1, 0);
    EXPECT_EQ(CoreState.LinkChoice2, 0);
    d.VariabiliAggiunte->click();
    d.Help2->click();
    EXPECT_EQ(additional, 1);
    EXPECT_EQ(helpPages, std::vector<int>{43});
}

TEST_F(QuickDialogsTest, PreparationBuildsTheFiles) {
    GenerateDichotomousGrid();
    WriteBytes(Arch("grl-dat.txt"), ReadBytes(Arch("grl-sch.txt")));
    WriteBytes(Arch("grq-dat.txt"), "*9*Componenti\r\n*10*Reddito\r\n");
    WriteBytes(Arch("grt-dat.txt"), "*5*Comune di residenza\r\n");
    WriteBytes(Arch("grd-dat.txt"), "*4*Data di nascita\r\n");
    // The archive linked to itself: its directory is its own sibling.
    WriteBytes(Arch("lnk-dat.imp"),
               "Posizione del Campo Link nel Record: 1\r\n"
               "Nome dell'Archivio.................: Pianalto\r\n"
               "Directory dell'Archivio............: Pianalto\r\n"
               "Lunghezza del Record Numerico......: \r\n"
               "Lunghezza del Record Alfabetico....: " +
                   std::to_string(CoreState.CardTextBytes) +
                   "\r\n"
                   "Campo Alfabetico 1 Inizio-Fine.....: 1-10\r\n"
                   "Campo Alfabetico 2 Inizio-Fine.....: \r\n"
                   "******\r\n");
    CoreState.PreparedQuantVar = 2;
    CoreState.PreparedDateVar = 1;
    TElabVelociPrepara d(nullptr);
    EXPECT_EQ(d.vQuant->count(), 3);
    EXPECT_EQ(d.vQuant->itemText(2), "Reddito");
    EXPECT_EQ(d.vQuant->currentIndex(), 2);
    EXPECT_EQ(d.VarData->currentIndex(), 1);
    ASSERT_EQ(d.varLink->count(), 1);
    EXPECT_EQ(d.varLink->itemText(0), "Pianalto");

    d.Matrice->click();
    const int32_t last = CoreState.LastCard;
    EXPECT_EQ(ReadBytes(Arch("dli-dat.dat")), ReadBytes(Arch("dli-sch.dat")));
    const std::string grid = ReadBytes(Arch("grl-dat.txt"));
    const int64_t lines = std::count(grid.begin(), grid.end(), '\n');
    EXPECT_EQ(FileSize(Arch("dat-dat.dat")), std::optional<int64_t>(lines * MatrixAreaRecords(last) * 1000));
    EXPECT_EQ(d.Barra->value(), 0);
    EXPECT_EQ(d.vQuant->currentIndex(), 0);
    EXPECT_EQ(d.VarData->currentIndex(), 0);
    EXPECT_EQ(CoreState.PreparedQuantVar, 0);

    d.vQuant->setCurrentIndex(2);
    d.Quantitativa->click();
    EXPECT_EQ(CoreState.PreparedQuantVar, 2);
    EXPECT_EQ(FileSize(Arch("num-dat.dat")), std::optional<int64_t>(40960));
    d.VarTerritoriale->setCurrentIndex(1);
    d.Territorio->click();
    EXPECT_EQ(CoreState.PreparedTerritoryVar, 1);
    EXPECT_EQ(FileSize(Arch("ter-dat.dat")), std::optional<int64_t>(20480));

    d.Link->click();
    const std::string names = ReadBytes(Arch("ll-dat.1"));
    EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), last + 1);
    EXPECT_EQ(CoreState.LinkChoice1, 1);
    EXPECT_EQ(CoreState.LinkChoice2, 0);
    EXPECT_TRUE(messages.empty());

    // A grid too long for the matrix: the files of before stay, and the user is told.
    const std::string matrix = ReadBytes(Arch("dat-dat.dat"));
    std::string tooLong;
    for (int i = 0; i < 4001; ++i) tooLong += "x*1=1,1;\r\n";
    WriteBytes(Arch("grl-dat.txt"), tooLong);
    d.Matrice->click();
    EXPECT_EQ(messages, std::vector<std::string>{"Testo 2351"});
    EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), matrix);
    EXPECT_EQ(d.vQuant->currentIndex(), 2);
}

}  // namespace
}  // namespace qv

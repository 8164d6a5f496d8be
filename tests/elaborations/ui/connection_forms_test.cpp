#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>
#include <cstdlib>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/counting_engine.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/quantitative_forms.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/elaboration_forms.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened in a fresh program directory; texts are "Testo N".
class ConnectionFormsTest : public test::ElaborationForms {
  protected:
    void SetUp() override {
        ElaborationForms::SetUp();
        RegisterConnectionDialogs();
    }
};

TEST_F(ConnectionFormsTest, ConnectionOptionsAndRefusals) {
    GenerateDichotomousGrid();
    for (int line = 0; line < 12; ++line) StandardColumnFlags[size_t(line)] = 1;
    StandardRowFlags[0] = StandardRowFlags[3999] = 1;
    CoreState.HideTrivialConnections = 1;
    CoreState.MinChiSquare = 3.841;
    On("TRighe", [](QDialog&) { StandardRowFlags[1] = StandardRowFlags[2] = 1; });
    On("TColonne", [](QDialog&) { StandardColumnFlags.fill(0); });

    TConnessioni c(nullptr);
    EXPECT_TRUE(c.banali->isChecked());
    // Nine columns stay chosen; the rows past the grid are cleared.
    EXPECT_EQ(c.ColX->text(), "9");
    EXPECT_EQ(StandardColumnFlags[8], 1);
    EXPECT_EQ(StandardColumnFlags[9], 0);
    EXPECT_EQ(c.RigX->text(), "1");
    EXPECT_EQ(StandardRowFlags[3999], 0);

    c.Righe->click();
    EXPECT_EQ(c.RigX->text(), "3");
    c.Colonne->click();
    EXPECT_EQ(c.ColX->text(), "0");
    c.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{28});

    // A minimum that is not a number keeps the one in force.
    c.ChiQ->setText("molto");
    c.banali->setChecked(false);
    c.Esci->click();
    EXPECT_EQ(CoreState.MinChiSquare, 3.841);
    EXPECT_EQ(c.ChiQ->text(), "     3.841");
    EXPECT_EQ(CoreState.HideTrivialConnections, 0);
    c.ChiQ->setText("6,635");
    c.EsciClick();
    EXPECT_EQ(CoreState.MinChiSquare, 6.635);

    // No count table yet: a message, no viewer, and no old report passed off as new.
    shown.clear();
    c.Visualizza->click();
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(FileExists(CoreState.ProgramDir + "tabella.txt"));

    // A grid of 4000 lines is neither counted nor reported, which is told; the options are stored.
    std::string grid;
    for (int i = 0; i < 4000; ++i) grid += "c*3=1,1;G0S0\r\n";
    WriteBytes(Archive("grl-sch.txt"), grid);
    c.ChiQ->setText("1");
    c.Elabora->click();
    c.Visualizza->click();
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1], LoadText(1951));
    EXPECT_EQ(messages[2], LoadText(1951));
    EXPECT_EQ(CoreState.MinChiSquare, 1);
}

TEST_F(ConnectionFormsTest, QuantitativeDialogWithoutFiguresSaysSo) {
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    TQuantitativeElab q(nullptr);
    EXPECT_FALSE(q.QuadriSinottici->isVisibleTo(&q));

    QuantVarFlags[0] = 1;
    q.Visualizza->click();  // nothing counted
    NoProgress progress;
    ASSERT_EQ(RunQuantitativePasses(progress).Outcome, CountingOutcome::Done);
    QuantVarFlags[0] = 0;
    q.Visualizza->click();  // nothing chosen
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0], messages[1]);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(FileExists(CoreState.ProgramDir + "tabella.txt"));

    q.QuadriSinotticiClick();
    q.Help2->click();
    EXPECT_EQ(shown, (std::vector<std::string>{"THelp", "THelpRTF"}));
    EXPECT_EQ(viewed, std::vector<int>{0});
    EXPECT_EQ(helpPages, std::vector<int>{72});
}

TEST_F(ConnectionFormsTest, QuantitativeVariablesSavedAndRestored) {
    WriteBytes(Archive("grq-sch.txt"), "*8*Eta\r\n*9*Figli\r\n*10*Reddito\r\n*11*Vani\r\n*12*Auto\r\n");
    QuantVarFlags[1] = 1;
    QuantVarFlags[7] = 1;  // past the list: neither shown nor saved
    TQuantModalita m(nullptr);
    ASSERT_EQ(m.modalita->count(), 5);
    EXPECT_EQ(m.modalita->item(4)->text(), "Auto");
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt"), "Eta\r\nFigli\r\nReddito\r\nVani\r\nAuto\r\n");
    EXPECT_EQ(m.nRighe->text(), "1");
    EXPECT_TRUE(m.modalita->item(1)->isSelected());

    m.modalitaClick(0);
    m.modalitaClick(2);
    m.modalitaClick(4);
    m.modalitaClick(5);  // no such item
    EXPECT_EQ(m.nRighe->text(), "4");
    EXPECT_TRUE(m.modalita->item(4)->isSelected());

    answer = CoreState.ProgramDir + "scelta.squ";
    m.Salva->click();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "scelta.squ"), test::Hex("00 00 02 00 04 00 04 00"));

    m.Disattiva->click();
    EXPECT_EQ(m.nRighe->text(), "0");
    m.Attiva->click();
    EXPECT_EQ(m.nRighe->text(), "5");
    EXPECT_EQ(QuantVarFlags[5], 0);

    // Restoring gives exactly the saved runs; runs past the list set nothing.
    WriteBytes(CoreState.ProgramDir + "scelta.squ", test::Hex("01 00 01 00 03 00 09 00 A0 0F FF FF"));
    m.Recupera->click();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests[1].kind, FileDialogKind::Open);
    for (const FileDialogRequest& r : requests) {
        EXPECT_EQ(r.filter, "*.squ");
        EXPECT_EQ(r.directory, CoreState.ProgramDir);
    }
    EXPECT_EQ(m.nRighe->text(), "3");
    std::string flags;
    for (int i = 0; i < 12; ++i) flags += char('0' + QuantVarFlags[size_t(i)]);
    EXPECT_EQ(flags, "010110010000");  // entry 7 was never part of the list
    EXPECT_FALSE(m.modalita->item(0)->isSelected());
    EXPECT_TRUE(m.modalita->item(3)->isSelected());

    m.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{74});
}

}  // namespace
}  // namespace qv

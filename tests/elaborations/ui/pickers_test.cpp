#include "elaborations/ui/pickers.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/weights_dialogs.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/elaboration_forms.h"

namespace qv {
namespace {

using namespace test;

// Two variables of three lines, a line before the first variable, and the heading blocks.
const char* const kGrid =
    "Libero*1=1,1;\r\n"
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "MR*=0,0;\r\n"
    "Nord*2=1,1;G0S0\r\n"
    "Sud*=2,2;\r\n"
    "MR*=0,0;\r\n";
const char* const kHeadings = "001\r\n\r\n\r\nSesso\r\n///\r\n002\r\n\r\n\r\nZona\r\n///\r\n";

// The sample archive opened in a fresh program directory; texts are "Testo N".
class PickerFormsTest : public test::ElaborationForms {
  protected:
    void SetUp() override {
        ElaborationForms::SetUp();
        WriteBytes(Archive("grl-sch.txt"), kGrid);
        WriteBytes(Archive("tin-sch.txt"), kHeadings);
    }
};

TEST_F(PickerFormsTest, RowPickerShowsTheGridAndEditsTheRowFlags) {
    StandardRowFlags[2] = StandardRowFlags[3000] = 1;
    TRighe d(nullptr);
    ASSERT_EQ(d.modalita->count(), 7);
    EXPECT_EQ(d.modalita->item(1)->text(), "Maschi");
    EXPECT_EQ(Qs(ReadBytes(CoreState.ProgramDir + "tresca.txt")),
              "Libero\r\nMaschi\r\nFemmine\r\nMR\r\nNord\r\nSud\r\nMR\r\n");
    ASSERT_EQ(d.Variabile->count(), 2);
    EXPECT_EQ(d.Variabile->itemText(1), "Zona");
    EXPECT_EQ(Selected(d.modalita), std::vector<int>{2});
    EXPECT_EQ(d.nRighe->text(), "1");
    EXPECT_EQ(d.modalita->currentRow(), 0);

    d.modalitaClick(4);
    d.modalitaClick(2);
    EXPECT_EQ(Selected(d.modalita), std::vector<int>{4});
    EXPECT_EQ(SetFlags(StandardRowFlags), (std::vector<int>{4, 3000}));

    struct Step {
        void (TRighe::*click)();
        int variable;
        std::vector<int> lines;
    } steps[] = {
        {&TRighe::AttivaVarClick, 0, {1, 2, 3, 4}},        // "Sesso": lines 1 to 3
        {&TRighe::DisattivaVarClick, 1, {1, 2, 3}},        // "Zona": lines 4 to the last
        {&TRighe::AttivaClick, 0, {0, 1, 2, 3, 4, 5, 6}},  // every line of the list
        {&TRighe::DisattivaClick, 0, {}},
    };
    for (const Step& s : steps) {
        d.Variabile->setCurrentIndex(s.variable);
        (d.*s.click)();
        EXPECT_EQ(Selected(d.modalita), s.lines);
        EXPECT_EQ(d.nRighe->text(), QString::number(s.lines.size()));
    }
    EXPECT_TRUE(SetFlags(StandardRowFlags).empty());

    d.Variabile->setCurrentIndex(1);
    d.VariabileClick();
    EXPECT_EQ(d.modalita->currentRow(), 4);

    // A mouse click toggles once.
    d.show();
    const QRect cell = d.modalita->visualItemRect(d.modalita->item(1));
    QTest::mouseClick(d.modalita->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Selected(d.modalita), std::vector<int>{1});
    QTest::mouseClick(d.modalita->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(Selected(d.modalita).empty());
}

// The grid labels its lines with the first word of the variable's caption: two variables that
// share that word must still be told apart, in full, in the list.
TEST_F(PickerFormsTest, VariablesWhoseCaptionsBeginAlikeAreToldApart) {
    WriteBytes(
        Archive("grl-sch.txt"),
        "Titolo laurea*7=5,5;G0S0\r\nTitolo MR*=0,0;\r\nTitolo laurea*8=5,5;G0S0\r\nTitolo MR*=0,0;\r\n"
        "Sesso maschio*3=1,1;G0S0\r\nMaschi*=1,1;\r\n");
    WriteBytes(Archive("tin-sch.txt"),
               "007\r\n\r\n\r\nTitolo di studio\r\n///\r\n008\r\n\r\n\r\nTitolo studio coniuge\r\n///\r\n"
               "003\r\n\r\n\r\nSesso\r\n///\r\n");
    TRighe d(nullptr);
    const std::vector<std::string> expected = {
        "Titolo di studio: laurea",
        "Titolo di studio: MR",
        "Titolo studio coniuge: laurea",
        "Titolo studio coniuge: MR",
        "Sesso maschio",  // the caption is the word itself
        "Maschi",         // a label of the user's own
    };
    ASSERT_EQ(d.modalita->count(), int(expected.size()));
    d.show();
    for (int row = 0; row < d.modalita->count(); ++row) {
        const QString shown = d.modalita->item(row)->text();
        EXPECT_EQ(Cp(shown), expected[size_t(row)]);
        EXPECT_LE(d.modalita->fontMetrics().horizontalAdvance(shown), d.modalita->viewport()->width()) << row;
    }
    // The file the other forms read keeps the grid's own labels.
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt").substr(0, 15), "Titolo laurea\r\n");
}

TEST_F(PickerFormsTest, RowSelectionIsSavedAndRestoredAsRunPairs) {
    TRighe d(nullptr);
    for (int line : {0, 1, 2, 5}) d.modalitaClick(line);
    answer = CoreState.ProgramDir + "righe.srg";
    d.SalvaClick();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests[0].filter, "*.srg");
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "righe.srg"), test::Hex("00 00 02 00 05 00 05 00"));

    d.AttivaClick();
    // A pair past the grid sets its flags; one past the list is ignored; a reversed one sets none.
    WriteBytes(CoreState.ProgramDir + "righe.srg",
               test::Hex("00 00 02 00 05 00 05 00 E8 03 E8 03 06 00 04 00"));
    d.RecuperaClick();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].kind, FileDialogKind::Open);
    EXPECT_EQ(requests[1].filter, "*.srg");
    EXPECT_EQ(Selected(d.modalita), (std::vector<int>{0, 1, 2, 5}));
    EXPECT_EQ(SetFlags(StandardRowFlags), (std::vector<int>{0, 1, 2, 5, 1000}));
    EXPECT_EQ(d.nRighe->text(), "4");
}

TEST_F(PickerFormsTest, ColumnPickerStopsAtTen) {
    std::string grid;
    for (int k = 0; k < 12; ++k)
        grid += "C" + std::to_string(k) + "*1=" + std::to_string(k) + "," + std::to_string(k) + ";\r\n";
    WriteBytes(Archive("grl-sch.txt"), grid);
    TColonne d(nullptr);
    EXPECT_EQ(d.Variabile->count(), 2);  // the heading file's blocks, even with no "G" line
    for (int k = 0; k < 11; ++k) d.modalitaClick(k);
    EXPECT_EQ(d.nRighe->text(), "10");
    EXPECT_FALSE(StandardColumnFlags[10]);
    EXPECT_FALSE(d.modalita->item(10)->isSelected());
    d.modalitaClick(3);  // one off, then another can come in
    d.modalitaClick(11);
    EXPECT_EQ(SetFlags(StandardColumnFlags), (std::vector<int>{0, 1, 2, 4, 5, 6, 7, 8, 9, 11}));
}

TEST_F(PickerFormsTest, QuickModeUsesTheQuickGridsAndListsWithAdditionalVariables) {
    CoreState.ElaborationMode = 2;
    WriteBytes(Archive("grl-dat.txt"), "Uno*1=1,1;G0S0\r\nDue*=2,2;\r\n");
    WriteBytes(Archive("agg-dat.txt"), "#Aggiunta A\r\nregola\r\n#Aggiunta B\r\nregola\r\n");
    WriteBytes(Archive("tin-dat.txt"), "001\r\n\r\n\r\nRapida\r\n///\r\n");
    TRighe rows(nullptr);
    ASSERT_EQ(rows.modalita->count(), 4);
    EXPECT_EQ(rows.modalita->item(3)->text(), "Aggiunta B");
    EXPECT_EQ(rows.Variabile->itemText(0), "Rapida");
    rows.modalitaClick(3);
    EXPECT_EQ(SetFlags(QuickRowFlags), std::vector<int>{3});
    EXPECT_TRUE(SetFlags(StandardRowFlags).empty());
    TColonne columns(nullptr);
    columns.modalitaClick(0);
    EXPECT_EQ(SetFlags(QuickColumnFlags), std::vector<int>{0});
}

TEST_F(PickerFormsTest, MaxSimListIsKeptInItsOwnFile) {
    WriteBytes(Archive("ms-maxsm.3"), test::Hex("01 00 02 00"));
    CoreState.CommandCode = 3;
    TColMaxSim d(nullptr);
    EXPECT_EQ(d.List(), 3);
    EXPECT_EQ(d.windowTitle(), "Testo 247");
    EXPECT_EQ(Selected(d.modalita), (std::vector<int>{1, 2}));
    d.modalitaClick(5);
    d.SalvaClick();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filter, "MS3 *.DAT");
    d.EsciClick();
    EXPECT_EQ(ReadBytes(Archive("ms-maxsm.3")), test::Hex("01 00 02 00 05 00 05 00"));
    EXPECT_TRUE(SetFlags(StandardRowFlags).empty());
}

// The dialog as the hub opens it: the chosen lines counted (the report itself is checked from
// the hub on in the elaborations walkthrough).
TEST_F(PickerFormsTest, CrossTablesDialogCountsTheChosenLines) {
    GenerateDichotomousGrid();
    for (int line = 0; line < 4; ++line) StandardRowFlags[size_t(line)] = 1;
    for (int line = 0; line < 12; ++line) StandardColumnFlags[size_t(line)] = 1;
    StandardRowFlags[4000] = 1;
    CoreState.ChiSquare = 1;
    TDoppie d(nullptr);
    EXPECT_EQ(d.RigX->text(), "4");
    EXPECT_EQ(d.ColX->text(), "10");  // the columns past the tenth are dropped
    EXPECT_TRUE(d.ChiQ->isChecked());
    EXPECT_EQ(StandardRowFlags[4000], 0);
}

TEST_F(PickerFormsTest, CrossTablesWithoutCountsShowNoOldReport) {
    WriteBytes(CoreState.ProgramDir + "tabella.txt", "old");
    TDoppie d(nullptr);
    d.Sinottico->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), "old");
}

TEST_F(PickerFormsTest, UnitVariableAndWeights) {
    GenerateQuantitativeGrid();
    const std::vector<std::string> names = QuantitativeVariableNames();
    ASSERT_GE(names.size(), 2u);
    CoreState.QuantUnitVar = 1;
    TQuantitativa unit(nullptr);
    EXPECT_EQ(unit.vQuant->count(), int(names.size()));
    EXPECT_EQ(unit.vQuant->currentIndex(), 1);
    unit.vQuant->setCurrentIndex(0);
    unit.EsciClick();
    EXPECT_EQ(CoreState.QuantUnitVar, 0);

    CoreState.WriteAccess = 0;
    TPesi weights(nullptr);
    EXPECT_FALSE(weights.Attribuisce->isEnabled());
    WriteBytes(Archive("grl-sch.txt"), "Maschi*1=1,1;G0S0\r\nFemmine*=2,2;\r\n");
    StandardRowFlags[0] = StandardRowFlags[1] = 1;
    weights.CreaFile->click();
    EXPECT_EQ(ReadBytes(Archive("universo.txt")),
              "1Testo 1137\r\nTesto 1138 1Testo 1139 2\r\nTesto 1140\r\n"
              "        1=    1: \"Maschi\"\r\n        1=    2: \"Femmine\"\r\n");
    weights.vQuant->setCurrentIndex(1);
    weights.EsciClick();
    EXPECT_EQ(CoreState.QuantUnitVar, 1);

    // With the write password the weights go into the variable shown in the dialog.
    CoreState.WriteAccess = 1;
    CoreState.QuantUnitVar = 0;
    TPesi attribution(nullptr);
    ASSERT_TRUE(attribution.Attribuisce->isEnabled());
    // Without weights the attribution says what it misses; with them, that it is done.
    std::remove(Archive("pesi.txt").c_str());
    attribution.Attribuisce->click();
    WriteBytes(Archive("pesi.txt"), "1 x\r\nV 1, m: 2\r\nPeso\r\n        7=    1\r\n        9=    2\r\n");
    attribution.vQuant->setCurrentIndex(1);
    attribution.Attribuisce->click();
    EXPECT_EQ(messages, (std::vector<std::string>{"Testo 1020 " + Archive("pesi.txt"), "Testo 2381"}));
    EXPECT_EQ(CoreState.QuantUnitVar, 1);
    const std::vector<int32_t> fields = LoadQuantitativeGrid(Archive("grq-sch.txt"));
    const std::string control = ReadBytes(CoreState.ProgramDir + "controll.txt");
    EXPECT_NE(control.find("\r\nTesto 1150 " + std::to_string(fields[1]) + "\r\n"), std::string::npos)
        << control;
}

}  // namespace
}  // namespace qv

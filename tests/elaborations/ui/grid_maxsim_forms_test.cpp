#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <filesystem>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "elaborations/ui/tgriglie.h"
#include "elaborations/ui/tmaxsim.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/elaboration_forms.h"
#include "support/records.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened in a fresh program directory with the shipped texts.
class GridMaxSimFormsTest : public test::ElaborationForms {
  protected:
    GridMaxSimFormsTest() : ElaborationForms(true) {}
    void SetUp() override {
        ElaborationForms::SetUp();
        RegisterElaborationDialog(ElaborationDialog::GridEditor, &OpenGridEditor);
        RegisterElaborationDialog(ElaborationDialog::MaxSim, &OpenMaxSimDialog);
    }
    bool Exists(const char* name) const { return std::filesystem::exists(Archive(name)); }
    // Every modal form shown: its name, the CommandCode it was opened with and its title.
    void RecordForms(std::function<void(QDialog&)> act = nullptr) {
        onShow = [this, act](QDialog& d) {
            opened.push_back({d.objectName().toStdString(), CoreState.CommandCode, Cp(d.windowTitle())});
            if (act) act(d);
        };
    }

    struct Opened {
        std::string form;
        int code;
        std::string title;
    };
    std::vector<Opened> opened;
};

TEST_F(GridMaxSimFormsTest, ReplacingAGridAsksFirst) {
    WriteBytes(Archive("grl-sch.txt"), "mia*3=1,1;G0S0\r\n");
    WriteBytes(Archive("tin-sch.txt"), "001\r\n///\r\n");
    WriteBytes(Archive("grq-sch.txt"), "*9*mia\r\n");
    bool yes = false;
    RecordForms([&yes](QDialog& d) {
        if (auto* ask = qobject_cast<TGrigliaPresente*>(&d); ask && yes) ask->Si->click();
    });
    TGriglie d(nullptr);
    // No: nothing changes and no "Ok".
    d.CreaGrl->click();
    d.CreaGRQ->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].form, "TGrigliaPresente");
    EXPECT_EQ(opened[0].code, 0);
    EXPECT_EQ(opened[1].code, 1);
    EXPECT_EQ(ReadBytes(Archive("grl-sch.txt")), "mia*3=1,1;G0S0\r\n");
    EXPECT_EQ(ReadBytes(Archive("tin-sch.txt")), "001\r\n///\r\n");
    EXPECT_EQ(ReadBytes(Archive("grq-sch.txt")), "*9*mia\r\n");
    EXPECT_TRUE(d.Status->text().isEmpty());
    EXPECT_TRUE(d.Status2->text().isEmpty());
    EXPECT_EQ(CoreState.CommandCode, 0);

    // Yes: both grids are generated from the definition.
    yes = true;
    d.CreaGrl->click();
    d.CreaGRQ->click();
    EXPECT_EQ(d.Status->text(), "Ok");
    EXPECT_EQ(d.Status2->text(), "Ok");
    EXPECT_EQ(CoreState.CommandCode, 0);
    const std::string grid = ReadBytes(Archive("grl-sch.txt"));
    EXPECT_EQ(grid.compare(0, 6, "Sesso "), 0) << grid.substr(0, 40);
    EXPECT_NE(ReadBytes(Archive("grq-sch.txt")), "*9*mia\r\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(GridMaxSimFormsTest, ViewersCheckAndRenumbering) {
    WriteBytes(Archive("grl-sch.txt"), "Sesso*3=1,1;G0S0\r\nsenza\r\nZero*0=1,1;G0S0\r\n");
    WriteBytes(Archive("tin-sch.txt"), "005\r\n\r\n\r\nSesso\r\n///\r\n");
    RecordForms();
    TGriglie d(nullptr);
    EXPECT_EQ(Cp(d.windowTitle()), "Griglie");
    EXPECT_FALSE(d.SalvaGrl->isVisibleTo(&d));
    EXPECT_FALSE(d.Recupera->isVisibleTo(&d));
    d.Status->setText("Ok");
    d.VisualizzaGrl->click();
    EXPECT_TRUE(d.Status->text().isEmpty());
    d.VisualizzaInt->click();
    d.Status2->setText("Ok");
    d.VisualizzaGRQ->click();
    EXPECT_TRUE(d.Status2->text().isEmpty());

    d.Diagnostica->click();
    EXPECT_EQ(ReadBytes(root / "tabella.txt"),
              "Riga    2 \"senza\" manca l'asterisco\r\n"
              "Riga    3 \"Zero*0=1,1;G0S0\" campo uguale a zero\r\n"
              "Riga    3 nessun campo nella riga\r\n");
    d.Button1->click();
    EXPECT_EQ(ReadBytes(root / "tabella.txt"),
              "Riga     1 = Sesso*3=1,1;G0S0\r\nRiga     2 = senza\r\nRiga     3 = Zero*0=1,1;G0S0\r\n");
    ASSERT_EQ(opened.size(), 5u);
    const int codes[] = {-18, -19, -20, -37, 0};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(opened[i].form, "THelp");
        EXPECT_EQ(opened[i].code, codes[i]);
    }
    EXPECT_NE(opened[3].title.find("Diagnostica della griglia"), std::string::npos) << opened[3].title;

    d.Rinumera->click();
    EXPECT_EQ(d.Status->text(), "Ok");
    EXPECT_EQ(ReadBytes(Archive("tin-sch.txt")), "001\r\n\r\n\r\nSesso\r\n///\r\n");
    // No heading file: nothing happens.
    std::filesystem::remove(Archive("tin-sch.txt"));
    d.Status->clear();
    d.Rinumera->click();
    EXPECT_TRUE(d.Status->text().isEmpty());
    EXPECT_FALSE(Exists("tin-sch.txt"));
}

// The grid opened from the editor and typed into: Esci asks, and Save (the answer given)
// stores the typed text.
TEST_F(GridMaxSimFormsTest, EsciAfterTypingInTheGridAsks) {
    WriteBytes(Archive("grl-sch.txt"), "Sesso*3=1,1;G0S0\r\n");
    CoreState.WriteAccess = 1;
    RecordForms([](QDialog& d) {
        auto* viewer = qobject_cast<THelp*>(&d);
        if (!viewer) return;
        viewer->Testo->moveCursor(QTextCursor::End);
        QTest::keyClicks(viewer->Testo, "X");
        viewer->Esci1->trigger();
    });
    TGriglie d(nullptr);
    d.VisualizzaGrl->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], LoadText(2241));
    EXPECT_EQ(ReadBytes(Archive("grl-sch.txt")), "Sesso*3=1,1;G0S0X\r\n");
}

// ---------------------------------------------------------------------------------------------
// MaxSim

TEST_F(GridMaxSimFormsTest, MaxSimDialogShowsTheOptions) {
    CoreState.SimilarityIndex = 4;
    CoreState.MaxSimThreshold = 7.5;
    TMaxSim d(nullptr);
    EXPECT_EQ(d.windowTitle(), "MaxSim");
    EXPECT_TRUE(d.Elabora->isEnabled());
    ASSERT_EQ(d.Indici->count(), 6);
    EXPECT_EQ(Cp(d.Indici->itemText(0)), "1) Sokal e Michner (a+b)/t");
    EXPECT_EQ(Cp(d.Indici->itemText(5)), "6) Dice 2a/(2a+c+d)");
    EXPECT_EQ(d.Indici->currentIndex(), 4);
    EXPECT_EQ(d.soglia->text(), "  7.50");
    EXPECT_EQ(ReadBytes(root / "tresca.txt").substr(0, 28), "1) Sokal e Michner (a+b)/t\r\n");

    // Esci stores them; a threshold that is not a number keeps the stored one.
    d.Indici->setCurrentIndex(1);
    d.soglia->setText("abc");
    d.Esci->click();
    EXPECT_EQ(CoreState.SimilarityIndex, 1);
    EXPECT_EQ(CoreState.MaxSimThreshold, 7.5);

    CoreState.LastCard = 0;
    TMaxSim one(nullptr);
    EXPECT_FALSE(one.Elabora->isEnabled());
}

TEST_F(GridMaxSimFormsTest, MaxSimButtonsOpenTheListsAndHelp) {
    RecordForms([](QDialog& d) {
        if (auto* picker = qobject_cast<TColMaxSim*>(&d)) {
            EXPECT_EQ(picker->List(), CoreState.CommandCode);
        }
    });
    GenerateDichotomousGrid();
    TMaxSim d(nullptr);
    for (QPushButton* b : {d.Righe, d.Colonne, d.Righe2, d.Colonne2, d.Help2}) b->click();
    ASSERT_EQ(opened.size(), 5u);
    for (int l = 0; l < 4; ++l) {
        EXPECT_EQ(opened[size_t(l)].form, "TColMaxSim");
        EXPECT_EQ(opened[size_t(l)].code, l + 1);
    }
    EXPECT_EQ(opened[4].form, "THelpRTF");
    EXPECT_EQ(opened[4].code, 58);
}

TEST_F(GridMaxSimFormsTest, MaxSimOnTheSampleArchive) {
    GenerateDichotomousGrid();
    const CategoryGrid grid = LoadCategoryGrid(Archive("grl-sch.txt"));
    // Rows: the categories of field 3 (sex); columns: those of field 6 (marital status).
    std::vector<int> rowLines, columnLines;
    for (int line = 1; line <= grid.Count; ++line) {
        if (grid.Field[size_t(line)] == 3) rowLines.push_back(line);
        if (grid.Field[size_t(line)] == 6) columnLines.push_back(line);
        if (grid.Field[size_t(line)] == 3 || grid.Field[size_t(line)] == 6) {
            ASSERT_EQ(grid.FieldCount[size_t(line)], 0);
        }
    }
    ASSERT_EQ(rowLines.size(), 3u);  // maschio, femmina, MR
    ASSERT_EQ(columnLines.size(), 6u);
    CardSelectionMask.fill(0);
    for (int c = 0; c < 300; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    CoreState.CurrentCard = 7;

    // The lists are chosen in the list picker as a user would.
    RecordForms([&](QDialog& d) {
        auto* picker = qobject_cast<TColMaxSim*>(&d);
        if (!picker) return;
        for (int line : picker->List() == 1 ? rowLines : columnLines) picker->modalitaClick(line - 1);
        picker->EsciClick();
    });
    TMaxSim d(nullptr);
    d.Righe->click();
    d.Colonne->click();
    d.Indici->setCurrentIndex(5);
    d.soglia->setText("30");
    d.Elabora->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(d.Status->text(), "Ok");
    EXPECT_EQ(d.Barra->maximum(), 419);
    EXPECT_EQ(d.Barra->minimum(), 0);
    EXPECT_EQ(CoreState.SimilarityIndex, 5);
    EXPECT_EQ(CoreState.MaxSimThreshold, 30.0);
    EXPECT_EQ(CoreState.CurrentCard, 7);

    // The matrix against counts made card by card through the card store.
    std::vector<int> lines = rowLines;
    lines.insert(lines.end(), columnLines.begin(), columnLines.end());
    const int v = int(lines.size());
    std::vector<int> co(size_t(v * v), 0);
    for (int32_t card = 0; card < 300; ++card) {
        CoreState.CurrentCard = card;
        ReadCardValues();
        std::vector<int> in;
        for (int k = 0; k < v; ++k) {
            const int l = lines[size_t(k)], value = GetCardWord(grid.Field[size_t(l)]);
            if (value >= grid.Low[size_t(l)] && value <= grid.High[size_t(l)]) in.push_back(k);
        }
        for (int x : in)
            for (int y : in) ++co[size_t(x * v + y)];
    }
    std::string expected;
    for (int r = 0; r < v; ++r)
        for (int c = 0; c < v; ++c) {
            const int base = co[size_t(c * v + c)];
            expected.push_back(char(base > 0 && co[size_t(r * v + c)] * 100 >= 30 * base ? 1 : 0));
        }
    EXPECT_EQ(ReadBytes(Archive("var-maxs.dat")), test::Words(lines));
    EXPECT_EQ(ReadBytes(Archive("mat-maxs.dat")), expected);
    EXPECT_NE(expected, std::string(size_t(v * v), '\0'));
    // Every chosen row and column stands once in its order.
    EXPECT_EQ(ReadBytes(Archive("sq1-max1.dat")).size(), 6u);
    EXPECT_EQ(ReadBytes(Archive("sq1-max2.dat")).size(), 12u);

    d.Visualizza->click();
    EXPECT_EQ(ReadBytes(root / "tabella.txt"), ReadBytes(Archive("maxsimff.txt")));
    EXPECT_EQ(opened.back().form, "THelp");
    EXPECT_EQ(opened.back().code, 0);
    const std::string table = ReadBytes(Archive("maxsimff.txt"));
    EXPECT_EQ(table.compare(0, 68, "MAXSIM, indice di similarita': 6) Dice 2a/(2a+c+d) - soglia:  30.00%"),
              0);
}

TEST_F(GridMaxSimFormsTest, MaxSimWithoutListsGivesNoResult) {
    GenerateDichotomousGrid();
    RecordForms();
    TMaxSim d(nullptr);
    d.Elabora->click();
    EXPECT_TRUE(d.Status->text().isEmpty());
    EXPECT_FALSE(Exists("var-maxs.dat"));
    EXPECT_TRUE(messages.empty());
    // Visualizza before any run shows an empty report.
    WriteBytes(root / "tabella.txt", "vecchio\r\n");
    d.Visualizza->click();
    EXPECT_EQ(ReadBytes(root / "tabella.txt"), "");

    // Missing grid: the input/output error is shown and Status stays empty.
    WriteBytes(Archive("ms-maxsm.1"), test::Hex("00 00 00 00"));
    std::filesystem::remove(Archive("grl-sch.txt"));
    d.Elabora->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(d.Status->text().isEmpty());
}

}  // namespace
}  // namespace qv

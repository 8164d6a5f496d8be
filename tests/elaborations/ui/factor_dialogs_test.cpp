#include "elaborations/ui/factor_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/typologies.h"
#include "elaborations/ui/tafcmodalita.h"
#include "elaborations/ui/typology_attribution.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/elaboration_forms.h"

namespace qv {
namespace {

using namespace test;

// Two variables, with a line before the first; the heading blocks name them.
const char* const kGrid =
    "Libero*1=1,1;\r\n"
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "MR*=0,0;\r\n"
    "Nord*2=1,1;G0S0\r\n"
    "Sud*=2,2;\r\n";
const char* const kHeadings = "001\r\n\r\n\r\nSesso\r\n///\r\n002\r\n\r\n\r\nZona\r\n///\r\n";

// The sample archive opened in a fresh program directory; texts are "Testo N".
class FactorDialogsTest : public test::ElaborationForms {
  protected:
    void SetUp() override {
        ElaborationForms::SetUp();
        On<TAfcModalita>([this](TAfcModalita& picker) {
            if (onPicker) onPicker(picker);
        });
        WriteBytes(Archive("grl-sch.txt"), kGrid);
        WriteBytes(Archive("tin-sch.txt"), kHeadings);
    }
    std::function<void(TAfcModalita&)> onPicker;
};

TEST_F(FactorDialogsTest, StandardDialogTextsSettingsAndEnabling) {
    CoreState.MinCorrelation = 0.3;
    CoreState.TypologyField = 12;
    StandardAfcCategoryFlags[1] = StandardAfcCategoryFlags[4] = StandardAfcCategoryFlags[6] =
        1;  // 6: past the grid
    Tafc d(nullptr);
    EXPECT_FALSE(d.nonRuotati->isVisibleTo(&d));
    EXPECT_FALSE(d.Attrib->isVisibleTo(&d));
    EXPECT_EQ(CoreState.ElaborationMode, 1);
    EXPECT_EQ(d.AfcLastLine(), 5);
    EXPECT_EQ(d.ModX->text(), "2");
    EXPECT_EQ(d.rPhi->text(), "  0.300");
    EXPECT_EQ(d.TipFat->text(), "12");
    for (QPushButton* b : {d.Calcola, d.Ruota, d.Visualizza}) EXPECT_TRUE(b->isEnabled());

    d.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{18});

    // One card: nothing to analyse until the picker is used, which tests the choice alone.
    CoreState.LastCard = 0;
    Tafc one(nullptr);
    for (QPushButton* b : {one.Calcola, one.Ruota, one.Visualizza}) EXPECT_FALSE(b->isEnabled());
    onPicker = [](TAfcModalita& p) { p.modalitaClick(2); };
    one.Modalita->click();
    EXPECT_EQ(one.ModX->text(), "3");
    for (QPushButton* b : {one.Calcola, one.Ruota, one.Visualizza}) EXPECT_TRUE(b->isEnabled());
    onPicker = [](TAfcModalita& p) { p.DisattivaClick(); };
    one.Modalita->click();
    EXPECT_EQ(one.ModX->text(), "0");
    for (QPushButton* b : {one.Calcola, one.Ruota, one.Visualizza}) EXPECT_FALSE(b->isEnabled());
}

TEST_F(FactorDialogsTest, EsciStoresWhatTheEditsRead) {
    struct Case {
        const char* phi;
        double minCorrelation;
        const char* field;
        int typologyField;
    } cases[] = {
        {"0.3", 0.3, "12abc", 12}, {"0,3", 0, "abc", 0},           {"", 0, "", 0},
        {" 0.25 ", 0.25, " 7", 7}, {"-0.2", -0.2, "99999", 32767}, {".5", 0.5, "-3", 0},
        {"1e-1", 0.1, "40", 40},   {"nan", 0, "4.5", 4},           {"inf", 0, "x1", 0},
        {"0.3x", 0, "0", 0},
    };
    for (const Case& c : cases) {
        CoreState.MinCorrelation = 9;
        CoreState.TypologyField = 9;
        Tafc d(nullptr);
        d.rPhi->setText(Qs(c.phi));
        d.TipFat->setText(Qs(c.field));
        d.Esci->click();
        EXPECT_DOUBLE_EQ(CoreState.MinCorrelation, c.minCorrelation) << c.phi;
        EXPECT_EQ(CoreState.TypologyField, c.typologyField) << c.field;
    }
    // Closing otherwise keeps the values; Esc is Esci.
    CoreState.MinCorrelation = 0.5;
    {
        Tafc d(nullptr);
        d.rPhi->setText("0.1");
        d.reject();
        EXPECT_DOUBLE_EQ(CoreState.MinCorrelation, 0.5);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&d, &esc);
        EXPECT_DOUBLE_EQ(CoreState.MinCorrelation, 0.1);
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
}

TEST_F(FactorDialogsTest, PlaneAndTypologiesGoThroughTheirRegistrations) {
    StandardAfcCategoryFlags[1] = 1;
    Tafc d(nullptr);
    d.Ruota->click();  // nothing registered: nothing happens
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    std::vector<int> proceed;
    RegisterFactorPlane([&](QWidget* owner) {
        EXPECT_EQ(owner, &d);
        proceed.push_back(CoreState.ProceedFlag);
    });
    d.Ruota->click();
    EXPECT_EQ(proceed, std::vector<int>{1});
    EXPECT_EQ(CoreState.ProceedFlag, 0);

    requests.clear();
    std::vector<std::string> attributed;
    RegisterTypologyAttribution([&](const std::string& path, Progress& progress) {
        attributed.push_back(path + " " + std::to_string(CoreState.ElaborationMode) + " " +
                             std::to_string(CoreState.TypologyField));
        progress.SetMaximum(10);
        progress.SetPosition(5);
    });
    d.TipFat->setText("abc");
    d.Attribuisce->click();
    EXPECT_EQ(d.TipFat->text(), "Testo 148");
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(CoreState.TypologyField, 0);

    d.TipFat->setText("7 campi");
    d.Attribuisce->click();  // cancelled
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Open);
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(requests[0].fileName, "*.txt");
    EXPECT_TRUE(attributed.empty());
    answer = CoreState.ProgramDir + "profili.txt";
    d.Attribuisce->click();
    EXPECT_EQ(attributed, std::vector<std::string>{answer + " 1 7"});
    EXPECT_EQ(d.TypologyFileName(), answer);
    EXPECT_EQ(d.Barra->value(), 0);
}

TEST_F(FactorDialogsTest, TypologyTermsTheScoresCannotUseAreTold) {
    // Two quick grid lines: a term naming line 3 (the first additional variable) scores nothing.
    WriteBytes(Archive("grl-dat.txt"), "Uno*1=1,1;G0S0\r\nDue*=2,2;\r\n");
    const std::string profile = CoreState.ProgramDir + "profili.txt";
    WriteBytes(profile,
               "----- Fattore 1\r\n  1       0.500 (   1) Uno\r\n  2       0.500 (   3) Aggiunta\r\n");
    CoreState.ElaborationMode = 2;
    CoreState.WriteAccess = 1;
    for (int f = 1; f <= CoreState.FieldCount && TypologyScoreOffset(CoreState.TypologyField) < 0; ++f)
        CoreState.TypologyField = f;
    NoProgress progress;
    AttributeTypologiesFromDialog(profile, progress);
    EXPECT_EQ(messages, std::vector<std::string>{"Testo 2354 3"});
}

TEST_F(FactorDialogsTest, PickerShowsTheListAndEditsTheChoice) {
    StandardAfcCategoryFlags[2] = StandardAfcCategoryFlags[3000] = 1;
    TAfcModalita p(nullptr);
    ASSERT_EQ(p.modalita->count(), 6);
    EXPECT_EQ(p.modalita->item(4)->text(), "Nord");
    EXPECT_EQ(p.LastLine(), 5);
    EXPECT_EQ(p.Variabile->count(), 2);
    EXPECT_EQ(p.Variabile->currentText(), "Sesso");
    EXPECT_EQ(Selected(p.modalita), std::vector<int>{2});
    EXPECT_EQ(p.nRighe->text(), "1");

    p.modalitaClick(5);
    p.modalitaClick(2);
    EXPECT_EQ(SetFlags(StandardAfcCategoryFlags), (std::vector<int>{5, 3000}));
    p.AttivaClick();  // the list's entries only
    EXPECT_EQ(p.nRighe->text(), "6");
    EXPECT_EQ(SetFlags(StandardAfcCategoryFlags), (std::vector<int>{0, 1, 2, 3, 4, 5, 3000}));
    p.DisattivaClick();  // every flag
    EXPECT_EQ(p.nRighe->text(), "0");
    EXPECT_TRUE(SetFlags(StandardAfcCategoryFlags).empty());

    p.Variabile->setCurrentIndex(1);
    p.VariabileClick();
    EXPECT_EQ(p.modalita->currentRow(), 4);

    p.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{19});
}

TEST_F(FactorDialogsTest, PickerRecallFailureAndQuickList) {
    TAfcModalita p(nullptr);
    p.AttivaClick();
    answer = CoreState.ProgramDir + "manca.raf";
    p.RecuperaClick();  // the error is shown, and the list as the failure left it: cleared
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filter, "*.raf");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(Selected(p.modalita).empty());
    EXPECT_EQ(p.nRighe->text(), "0");

    CoreState.ElaborationMode = 2;
    WriteBytes(Archive("grl-dat.txt"), "Uno*1=1,1;G0S0\r\n");
    WriteBytes(Archive("agg-dat.txt"), "#Aggiunta A\r\nregola\r\n");
    TAfcModalita quick(nullptr);
    ASSERT_EQ(quick.modalita->count(), 2);
    EXPECT_EQ(quick.modalita->item(1)->text(), "Aggiunta A");
    quick.modalitaClick(1);
    EXPECT_EQ(SetFlags(QuickAfcCategoryFlags), std::vector<int>{1});
}

}  // namespace
}  // namespace qv

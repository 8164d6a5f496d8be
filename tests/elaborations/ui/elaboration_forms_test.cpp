#include "support/elaboration_forms.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/tsemplici.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened in a fresh program directory; texts are "Testo N".
class FormsTest : public test::ElaborationForms {
  protected:
    bool Exists(const char* name) const { return FileExists(Archive(name)); }
};

// ---------------------------------------------------------------------------------------------
// Batch runner

TEST_F(FormsTest, RunnerTitleAndButtonsByJob) {
    struct Case {
        int job;
        int32_t lastCard;
        const char* title;
        bool canRun;
    } cases[] = {
        {1, 419, "Testo 840", true}, {2, 419, "Testo 841", true}, {3, 5, "Testo 842", true},
        {6, 1, "Testo 845", true},   {7, 419, "Testo 830", true}, {8, 0, "Testo 830", true},  // one card
        {9, 419, "Testo 830", true}, {0, -1, "Testo 830", false},
    };
    for (const Case& c : cases) {
        CoreState.CommandCode = c.job;
        CoreState.LastCard = c.lastCard;
        TEsegue d(nullptr);
        EXPECT_EQ(d.Job(), c.job);
        EXPECT_EQ(d.windowTitle(), c.title) << c.job;
        EXPECT_EQ(d.Esegui->isEnabled(), c.canRun) << c.job;
        EXPECT_FALSE(d.ElabTabelle->isVisibleTo(&d));
        EXPECT_FALSE(d.Attribuisce->isVisibleTo(&d));
    }
}

TEST_F(FormsTest, CountingJobWritesTheTableAndReloadsTheCard) {
    GenerateDichotomousGrid();
    SelectFirstCards(100);
    StandardRowFlags[0] = StandardRowFlags[1] = 1;
    CoreState.CurrentCard = 5;
    CurrentCardValues.fill(0xABCD);
    CurrentCardText.fill('#');

    CoreState.CommandCode = kCategoryCountJob;
    TEsegue d(nullptr);
    d.show();
    d.Help2->click();  // the help page does not change the job
    EXPECT_EQ(CoreState.CommandCode, 47);
    d.Esegui->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(CoreState.CommandCode, 28);

    const CategoryGrid grid = LoadCategoryGrid(Archive("grl-sch.txt"));
    const std::string table = ReadBytes(Archive("tab-sch.dat"));
    ASSERT_EQ(table.size(), size_t(grid.Count + 2) * 48);
    EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(table.data()) + 44), 100);  // every selected card
    EXPECT_EQ(d.Barra->maximum(), CoreState.LastCard);

    // The card in hand is card 5 again, as the card files hold it.
    EXPECT_EQ(CoreState.CurrentCard, 5);
    const auto values = CurrentCardValues;
    const auto text = CurrentCardText;
    ReadCardValues();
    ReadCardText();
    EXPECT_EQ(values, CurrentCardValues);
    EXPECT_EQ(text, CurrentCardText);
}

TEST_F(FormsTest, QuantitativeJobRunsBothPasses) {
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    SelectFirstCards(10);
    CoreState.CommandCode = kQuantitativeJob;
    TEsegue d(nullptr);
    d.Esegui->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(CoreState.CommandCode, 31);
    for (const char* f : {"qnc-sch.dat", "qnt-sch.dat", "qnq-sch.dat", "scr-sch.dat"})
        EXPECT_TRUE(Exists(f)) << f;
    EXPECT_FALSE(Exists("tab-sch.dat"));
}

TEST_F(FormsTest, CardWindowJobsGoThroughTheRegistry) {
    std::vector<int> ran;
    for (int code : {2, 4, 5, 6})
        RegisterBatchJob(code, [&ran, code](TEsegue& runner) {
            EXPECT_EQ(runner.Job(), code);
            runner.Barra->setRange(0, 10);
            ran.push_back(code);
        });
    for (int job : {2, 3, 4, 5, 6, 9}) {
        CoreState.CommandCode = job;
        TEsegue d(nullptr);
        d.show();
        d.Esegui->click();
        EXPECT_FALSE(d.isVisible()) << job;  // an unregistered job does nothing and closes
    }
    EXPECT_EQ(ran, (std::vector<int>{2, 4, 5, 6}));

    // Leaving by "Esci" runs nothing.
    CoreState.CommandCode = 4;
    TEsegue d(nullptr);
    d.Esci->click();
    EXPECT_EQ(ran.size(), 4u);
}

TEST_F(FormsTest, FailedJobKeepsTheRunnerOpenAndSaysWhy) {
    RegisterBatchJob(5, [](TEsegue&) { ThrowIo(kDiskWriteError, "/x/num-sch.dat"); });
    CoreState.CommandCode = 5;
    {
        TEsegue d(nullptr);
        d.show();
        d.Esegui->click();
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("101"), std::string::npos) << messages[0];
    }

    // A grid too long for the counting writes no table.
    std::string grid;
    for (int i = 0; i < 4000; ++i) grid += "c*3=1,1;\r\n";
    WriteBytes(Archive("grl-sch.txt"), grid);
    CoreState.CommandCode = kCategoryCountJob;
    TEsegue d(nullptr);
    d.show();
    d.Esegui->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(Exists("tab-sch.dat"));
}

// ---------------------------------------------------------------------------------------------
// Hub and missing-grid notice

TEST_F(FormsTest, HubFollowsTheGrids) {
    CoreState.ElaborationMode = 2;
    QWidget* editorOwner = nullptr;
    RegisterElaborationDialog(ElaborationDialog::GridEditor, [&](QWidget* owner) {
        editorOwner = owner;
        GenerateDichotomousGrid();
    });
    TElaborazioni hub(nullptr);
    EXPECT_EQ(CoreState.ElaborationMode, 1);
    EXPECT_FALSE(hub.Fattori->isVisibleTo(&hub));
    EXPECT_FALSE(hub.VedeMaxsim->isVisibleTo(&hub));
    auto enabled = [&hub] {
        std::string s;
        for (QPushButton* b : {hub.VedeGriglie, hub.VedeSemplici, hub.Doppie, hub.VedeConnessioni,
                               hub.Quantitative, hub.Esci, hub.Help2})
            s += b->isEnabled() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(enabled(), "1000011");
    hub.VedeGriglie->click();
    EXPECT_EQ(editorOwner, &hub);
    EXPECT_EQ(enabled(), "1111011");
    GenerateQuantitativeGrid();
    hub.FormCreate();
    EXPECT_EQ(enabled(), "1111111");
    hub.Help2->click();
    EXPECT_EQ(CoreState.CommandCode, 35);
}

TEST_F(FormsTest, HubButtonsLeadToTheirDialogOrToTheNotice) {
    GenerateDichotomousGrid();
    std::vector<std::string> opened;
    for (auto [dialog, name] : {std::pair{ElaborationDialog::CrossTables, "TDoppie"},
                                std::pair{ElaborationDialog::Connections, "TConnessioni"},
                                std::pair{ElaborationDialog::QuantitativeTables, "TQuantitativeElab"}})
        RegisterElaborationDialog(dialog, [&opened, name](QWidget*) { opened.push_back(name); });
    std::vector<std::pair<bool, bool>> notices;  // Dicotomiche, Quantitativa
    On("TSemplici", [&opened](QDialog&) { opened.push_back("TSemplici"); });
    On<TNoGriglia>([&](TNoGriglia& n) {
        notices.emplace_back(n.Dicotomiche->isChecked(), n.Quantitativa->isChecked());
        n.Help2->click();
        n.Esci->click();
    });

    TElaborazioni hub(nullptr);
    hub.VedeSemplici->click();
    hub.Doppie->click();
    hub.VedeConnessioni->click();
    hub.QuantitativeClick();  // disabled: no quantitative grid
    EXPECT_EQ(opened, (std::vector<std::string>{"TSemplici", "TDoppie", "TConnessioni"}));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], std::pair(false, true));

    // A grid removed after the hub opened.
    std::remove(Archive("grl-sch.txt").c_str());
    hub.VedeSemplici->click();
    hub.Doppie->click();
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[2], std::pair(true, true));
    EXPECT_EQ(helpPages, (std::vector<int>{60, 60, 60}));
}

TEST_F(FormsTest, NoticeOfTheQuickElaborationsLooksAtTheQuickGrids) {
    WriteBytes(Archive("grl-sch.txt"), "a*3=1,1;G0S0\r\n");
    WriteBytes(Archive("grq-dat.txt"), "*8*Eta\r\n");
    struct Case {
        int mode;
        bool dichotomous, quantitative;
    } cases[] = {{1, false, true}, {2, true, false}};
    for (const Case& c : cases) {
        CoreState.ElaborationMode = c.mode;
        TNoGriglia n(nullptr);
        EXPECT_EQ(n.Dicotomiche->isChecked(), c.dichotomous) << c.mode;
        EXPECT_EQ(n.Quantitativa->isChecked(), c.quantitative) << c.mode;
    }
}

// ---------------------------------------------------------------------------------------------
// Simple distributions

TEST_F(FormsTest, DistributionOptionsAndRefusals) {
    CoreState.SkipEmptyRows = 1;
    CoreState.TabSeparators = 1;
    CoreState.DistributionHeadings = 1;
    std::string grid;
    for (int i = 0; i < 4000; ++i) grid += "c*3=1,1;G0S0\r\n";
    WriteBytes(Archive("grl-sch.txt"), grid);
    int unitDialogs = 0;
    auto count = [this](const char* form) { return std::count(forms.begin(), forms.end(), form); };
    RegisterElaborationDialog(ElaborationDialog::QuantitativeUnit, [&](QWidget*) { ++unitDialogs; });
    RegisterElaborationDialog(ElaborationDialog::RowPicker,
                              [](QWidget*) { StandardRowFlags[0] = StandardRowFlags[7] = 1; });

    TSemplici s(nullptr);
    EXPECT_TRUE(s.salta->isChecked());
    EXPECT_TRUE(s.tabulatore->isChecked());
    EXPECT_FALSE(s.cumulate->isChecked());
    EXPECT_EQ(s.RigX->text(), "0");
    // A grid of 4000 lines is not counted, and either dialog that counts says so.
    s.ELABORA->click();
    TDoppie(nullptr).Elabora->click();
    EXPECT_EQ(count("TEsegue"), 0);
    EXPECT_EQ(messages, std::vector<std::string>(2, LoadText(1951)));
    s.righe->click();
    EXPECT_EQ(s.RigX->text(), "2");

    // The unit variable needs the quantitative grid.
    s.Quantitativa->click();
    EXPECT_EQ(count("TNoGriglia"), 1);
    WriteBytes(Archive("grq-sch.txt"), "*8*Eta\r\n");
    s.Quantitativa->click();
    EXPECT_EQ(unitDialogs, 1);

    // No count table: no report, nothing shown as if it were one.
    CoreState.CommandCode = 12;
    s.Visualizza->click();
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(CoreState.CommandCode, 12);
    EXPECT_FALSE(FileExists(CoreState.ProgramDir + "tabella.txt"));

    // A missing heading file clears the option and its box.
    WriteBytes(Archive("grl-sch.txt"), "a*3=1,1;G0S0\r\nb*=2,2;\r\n");
    std::string table;
    for (int r = 0; r < 4; ++r)
        for (int f = 0; f < 12; ++f) AppendI32(table, f == 11 && r < 3 ? 4 - r * r / 2 : (r == 3 && f == 1));
    WriteBytes(Archive("tab-sch.dat"), table);
    s.salta->setChecked(false);
    s.Visualizza->click();
    EXPECT_EQ(CoreState.CommandCode, 0);
    EXPECT_FALSE(s.intestazioni->isChecked());
    EXPECT_EQ(CoreState.DistributionHeadings, 0);
    EXPECT_TRUE(FileExists(CoreState.ProgramDir + "tabella.txt"));

    // A grid that has lost a line since: counting again is asked for, nothing is shown.
    WriteBytes(Archive("grl-sch.txt"), "a*3=1,1;G0S0\r\n");
    CoreState.CommandCode = 12;
    const size_t shown = messages.size();
    s.Visualizza->click();
    ASSERT_EQ(messages.size(), shown + 1);
    EXPECT_EQ(messages.back(), LoadText(1691));
    EXPECT_EQ(CoreState.CommandCode, 12);

    s.cumulate->setChecked(true);
    s.Esci->click();
    EXPECT_EQ(CoreState.Cumulate, 1);
    EXPECT_EQ(CoreState.SkipEmptyRows, 0);
    s.Help2->click();
    EXPECT_EQ(CoreState.CommandCode, 0);
}

}  // namespace
}  // namespace qv

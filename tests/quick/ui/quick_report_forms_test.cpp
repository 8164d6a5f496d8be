#include "quick/ui/quick_report_forms.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "elaborations/ui/pickers.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "quick/ui/quick_commands.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// Eight prepared cards: "Si" holds cards 0-5, "No" cards 6-7.
class QuickReportFormsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        WriteBytes(Arch("grl-dat.txt"), "Si*1=1,1;G0S0\r\nNo*=2,2;\r\n");
        std::string last;
        AppendI32(last, 7);
        WriteBytes(Arch("dli-sch.dat"), last);  // the archive as prepared
        WriteBytes(Arch("dli-dat.dat"), last);
        std::string matrix(2000, '\0');
        matrix[0] = char(0xFC);
        matrix[1000] = char(0x03);
        WriteBytes(Arch("dat-dat.dat"), matrix);
        CardSelectionMask.fill(0xFF);
        onShow = [this](QDialog& d) {
            if (qobject_cast<TRighe*>(&d)) pickers.push_back("TRighe");
            if (qobject_cast<TColonne*>(&d)) pickers.push_back("TColonne");
        };
    }
    std::string Report() const { return ReadBytes(CoreState.ProgramDir + "tabella.txt"); }

    std::vector<std::string> pickers;
};

TEST_F(QuickReportFormsTest, SimpleDistributionsForm) {
    QuickRowFlags[0] = 1;
    QuickRowFlags[5] = 1;  // past the grid: cleared
    CoreState.ElaborationMode = 1;
    CoreState.ShowFrequencies = 1;
    CoreState.CountByQuantUnit = 1;
    TElabVelociSemplici d(nullptr);
    EXPECT_FALSE(d.Quantitativa->isVisibleTo(&d));
    EXPECT_EQ(CoreState.ElaborationMode, 2);
    EXPECT_EQ(d.RigX->text(), "1");
    EXPECT_EQ(QuickRowFlags[5], 0);
    EXPECT_TRUE(d.frequenza->isChecked());

    d.righe2->click();
    EXPECT_EQ(pickers, std::vector<std::string>{"TRighe"});

    d.cumulate->setChecked(true);
    d.Visualizza->click();
    EXPECT_EQ(viewed, std::vector<int>{0});
    EXPECT_EQ(CoreState.Cumulate, 1);
    // Without "num-dat.dat" the cards are counted and the option shows as off.
    EXPECT_FALSE(d.quant->isChecked());
    EXPECT_NE(Report().find(std::string("Si") + std::string(58, ' ') + "          6    75.00"),
              std::string::npos)
        << Report();

    d.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{46});
    d.salta->setChecked(true);
    d.Esci->click();
    EXPECT_EQ(CoreState.SkipEmptyRows, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(QuickReportFormsTest, CrossTablesForm) {
    QuickRowFlags[1] = 1;
    QuickColumnFlags[0] = QuickColumnFlags[1] = 1;
    CoreState.MinChiSquare = 6.635;
    CoreState.ShowFrequencies = 1;
    TElabVelociDoppie d(nullptr);
    EXPECT_FALSE(d.banali->isVisibleTo(&d));
    EXPECT_EQ(d.ChiQua->text(), "     6.635");
    EXPECT_EQ(d.RigX->text(), "1");
    EXPECT_EQ(d.ColX->text(), "2");
    EXPECT_EQ(CoreState.ElaborationMode, 2);

    d.Colonne2->click();
    d.Righe2->click();
    EXPECT_EQ(pickers, (std::vector<std::string>{"TColonne", "TRighe"}));

    // Row percentages need the frequencies; the chi-square needs "chi2.imp".
    std::remove((CoreState.ProgramDir + "chi2.imp").c_str());
    d.frequenze->setChecked(false);
    d.pRiga->setChecked(true);
    d.ChiQ->setChecked(true);
    d.VedeTab->click();
    EXPECT_FALSE(d.pRiga->isChecked());
    EXPECT_FALSE(d.ChiQ->isChecked());
    EXPECT_EQ(CoreState.PercentRow, 0);
    EXPECT_EQ(Report().substr(0, 15), "col.  1: Si\r\nco");

    d.ChiQua->setText("0,5");
    d.VedeConnessioni->click();
    EXPECT_DOUBLE_EQ(CoreState.MinChiSquare, 0.5);
    EXPECT_EQ(Report().substr(0, 49), std::string(49, '-'));
    EXPECT_EQ(viewed, (std::vector<int>{0, 0}));

    d.ChiQua->setText("molto");
    d.Esci->click();
    EXPECT_DOUBLE_EQ(CoreState.MinChiSquare, 0.5) << "a text that is not a number keeps the minimum";
    EXPECT_EQ(d.ChiQua->text(), "     0.500");

    d.Help2->click();
    d.Concetti->click();
    EXPECT_EQ(helpPages, (std::vector<int>{39, 35}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(QuickReportFormsTest, MissingMatrixShowsTheErrorAndNoReport) {
    std::remove(Arch("dat-dat.dat").c_str());
    QuickRowFlags[0] = 1;
    TElabVelociSemplici simple(nullptr);
    simple.Visualizza->click();
    TElabVelociDoppie cross(nullptr);
    cross.VedeTab->click();
    cross.VedeConnessioni->click();
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_TRUE(viewed.empty()) << "no older report is shown for the one that failed";
}

}  // namespace
}  // namespace qv

#include "quick/ui/telabvelociafc.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/connections_report.h"
#include "elaborations/counting_engine.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tafcmodalita.h"
#include "elaborations/ui/telaborazioni.h"
#include "platform/real6.h"
#include "platform/text_file.h"
#include "platform/ui/dialogs.h"
#include "quick/preparation.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_forms.h"
#include "quick/ui/telabveloci.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened in a fresh program directory; texts are "Testo N".
class QuickFactorTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        onShow = [this](QDialog& d) {
            if (auto* picker = qobject_cast<TAfcModalita*>(&d); picker && onPicker) onPicker(*picker);
        };
    }
    void TearDown() override {
        RegisterElaborationDialog(ElaborationDialog::FactorAnalysis, nullptr);
        RegisterQuickCommand(QuickCommand::FactorAnalysis, nullptr);
        RegisterAdditionalVariablesDialog(nullptr);
        RegisterTypologyAttribution(nullptr);
        StartedProgram::TearDown();
    }
    void SelectAllCards() {
        for (int32_t c = 0; c <= CoreState.LastCard; ++c)
            CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    }

    std::function<void(TAfcModalita&)> onPicker;
};

TEST_F(QuickFactorTest, QuickDialogTextsCountAndButtons) {
    WriteBytes(Arch("grl-dat.txt"), "Uno*1=1,1;G0S0\r\nDue*=2,2;\r\nTre*=3,3;\r\n");
    WriteBytes(Arch("agg-dat.txt"), "#Aggiunta A\r\nregola\r\n#Aggiunta B\r\n");
    QuickAfcCategoryFlags[1] = QuickAfcCategoryFlags[4] = QuickAfcCategoryFlags[5] = 1;  // 5: past the list
    CoreState.LastCard = 0;
    CoreState.MinCorrelation = 0.25;
    TElabVelociAFC d(nullptr);
    EXPECT_EQ(CoreState.ElaborationMode, 2);
    EXPECT_EQ(d.AfcLastLine(), 4);
    EXPECT_EQ(d.ModX->text(), "2");
    EXPECT_EQ(d.rPhi->text(), "  0.250");
    for (QPushButton* b : {d.Calcola, d.Ruota, d.Visualizza}) EXPECT_TRUE(b->isEnabled());

    int additional = 0;
    RegisterAdditionalVariablesDialog([&](QWidget*) { ++additional; });
    d.CreaTipologie->click();
    EXPECT_EQ(additional, 1);
    d.TipFat->setText("");
    d.AttribuisceTipologie->click();
    EXPECT_EQ(d.TipFat->text(), "Testo 532");
    d.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{37});

    // No prepared matrix: the computation asks for the preparation, and does nothing else.
    d.Calcola->click();
    EXPECT_EQ(messages, std::vector<std::string>{"Testo 2352"});
    EXPECT_EQ(d.Barra->value(), 0);
    // No factors: no report to show, and the text table says so.
    d.Visualizza->click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "Testo 1696");
    EXPECT_TRUE(viewed.empty());
}

TEST_F(QuickFactorTest, ChoicesTheAnalysisCannotTakeAndResultsWithoutFactors) {
    // 401 categories chosen: more than the matrices hold, refused before anything is counted
    // or written.
    std::string lines;
    for (int i = 0; i <= kFactorColumns; ++i) lines += "x*1=1,1;\r\n";
    WriteBytes(Arch("grl-dat.txt"), lines);
    WriteBytes(Arch("maf-dat.dat"), "earlier analysis");
    QuickAfcCategoryFlags.fill(1);
    TElabVelociAFC d(nullptr);
    d.Calcola->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Testo 1699 400");
    EXPECT_EQ(ReadBytes(Arch("maf-dat.dat")), "earlier analysis");

    // No card selected: nothing to extract, and the reason.
    GenerateDichotomousGrid();
    WriteBytes(Arch("grl-dat.txt"), ReadBytes(Arch("grl-sch.txt")));
    NoProgress none;
    ASSERT_EQ(BuildDichotomousMatrix(none), MatrixOutcome::Done);
    QuickAfcCategoryFlags.fill(0);
    QuickAfcCategoryFlags[0] = QuickAfcCategoryFlags[1] = 1;
    CardSelectionMask.fill(0);
    d.Calcola->click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "Testo 1697");
}

TEST_F(QuickFactorTest, RegisteredDialogsOpenFromBothHubs) {
    WriteBytes(Arch("grl-sch.txt"), "Uno*1=1,1;G0S0\r\n");
    WriteBytes(Arch("dli-dat.dat"), std::string(4, '\0'));
    RegisterFactorDialogs();
    {
        TElaborazioni hub(nullptr);
        hub.FattoriClick();  // its button is never shown
        TElabVeloci quickHub(nullptr);
        quickHub.Fattori->click();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Tafc", "TElabVelociAFC"}));
}

// Reads the factor sections of a report: for each factor, its loading lines as (grid line,
// loading, label).
struct LoadingLine {
    int line;
    double loading;
    std::string label;
};
std::vector<std::vector<LoadingLine>> FactorSections(const std::string& report) {
    std::vector<std::vector<LoadingLine>> sections;
    TextReader reader(report);
    while (!reader.Eof()) {
        const std::string l = reader.ReadLine();
        if (l.rfind("----- Testo 1451 ", 0) == 0) sections.emplace_back();
        if (l.rfind("-------------  ", 0) == 0) break;
        if (sections.empty() || l.size() < 23 || l.substr(15, 2) != " (" || l.substr(21, 2) != ") ") continue;
        sections.back().push_back({std::stoi(l.substr(17, 4)), std::stod(l.substr(3, 12)), l.substr(23)});
    }
    return sections;
}

TEST_F(QuickFactorTest, BothRoadsOnTheSampleArchive) {
    GenerateDichotomousGrid();
    GenerateTableHeadings();
    WriteBytes(Arch("grl-dat.txt"), ReadBytes(Arch("grl-sch.txt")));
    NoProgress none;
    ASSERT_EQ(BuildDichotomousMatrix(none), MatrixOutcome::Done);
    SelectAllCards();

    // Fifteen single-field categories, dates among them: both roads key dates alike.
    const CategoryGrid grid = LoadCategoryGrid(Arch("grl-sch.txt"));
    std::vector<int> chosen;  // 0-based lines
    bool date = false;
    for (int line = 1; line <= grid.Count && chosen.size() < 15; ++line) {
        const int field = grid.Field[size_t(line)];
        if (grid.FieldCount[size_t(line)] != 0 || field < 1) continue;
        chosen.push_back(line - 1);
        date |= FieldTypes[size_t(field)] == 2;
    }
    ASSERT_TRUE(date);
    ASSERT_EQ(chosen.size(), 15u);
    onPicker = [&](TAfcModalita& p) {
        for (int line : chosen) p.modalitaClick(line);
    };
    CoreState.MinCorrelation = 0.2;

    std::string standardReport;
    {
        Tafc d(nullptr);
        EXPECT_FALSE(d.Calcola->isEnabled());
        d.Modalita->click();
        EXPECT_EQ(d.ModX->text(), "15");
        ASSERT_TRUE(d.Calcola->isEnabled());
        d.Calcola->click();
        ASSERT_TRUE(messages.empty());
        EXPECT_EQ(d.Barra->value(), 0);
        d.Visualizza->click();
        EXPECT_EQ(viewed, std::vector<int>{0});
        standardReport = ReadBytes(CoreState.ProgramDir + "tabella.txt");
        // The two hidden halves of Calcola give the same factors.
        const std::string computed = ReadBytes(Arch("fat-sch.dat"));
        d.nonRuotatiClick();
        d.VarimaxClick();
        EXPECT_EQ(ReadBytes(Arch("fat-sch.dat")), computed);
    }
    const std::string loadings = ReadBytes(Arch("fat-sch.dat"));
    ASSERT_GT(loadings.size(), 0u);
    ASSERT_EQ(loadings.size() % (15 * 6), 0u);
    const int factors = int(loadings.size() / (15 * 6));
    EXPECT_EQ(CoreState.FactorCount, factors);
    EXPECT_EQ(CoreState.FactorVariableCount, 15);
    EXPECT_EQ(CoreState.PlaneFactorX, 1);
    EXPECT_EQ(CoreState.PlaneFactorY, 2);

    // Every loading listed is the file's loading of that category on that factor, beyond the
    // minimum, with the category's grid line and label.
    const auto sections = FactorSections(standardReport);
    ASSERT_EQ(int(sections.size()), factors);
    int listed = 0;
    for (int f = 1; f <= factors; ++f)
        for (const LoadingLine& l : sections[size_t(f - 1)]) {
            const auto slot = std::find(chosen.begin(), chosen.end(), l.line - 1);
            ASSERT_NE(slot, chosen.end()) << l.line;
            const size_t n = size_t(slot - chosen.begin());
            const double value =
                DecodeReal6(reinterpret_cast<const uint8_t*>(loadings.data()) + (size_t(f - 1) * 15 + n) * 6);
            EXPECT_NEAR(l.loading, value, 0.0005);
            EXPECT_GT(std::fabs(value), 0.2);
            EXPECT_EQ(l.label, grid.Labels[size_t(l.line)]);
            ++listed;
        }
    EXPECT_GT(listed, 0);

    // The quick road over the prepared matrix gives the same factors and the same report.
    viewed.clear();
    CoreState.ElaborationMode = 2;
    TElabVelociAFC q(nullptr);
    q.Modalita->click();
    EXPECT_EQ(q.ModX->text(), "15");
    q.Calcola->click();
    ASSERT_TRUE(messages.empty());
    EXPECT_EQ(ReadBytes(Arch("fat-dat.dat")), loadings);
    q.Visualizza->click();
    EXPECT_EQ(viewed, std::vector<int>{0});
    std::string expected = standardReport;
    for (size_t at = 0; (at = expected.find("Testo 145 ", at)) != std::string::npos;)
        expected.replace(at, 10, "Testo 530 ");
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tabella.txt"), expected);
}

TEST_F(QuickFactorTest, PickerTakesTheRowsOfAConnectionsReport) {
    GenerateDichotomousGrid();
    SelectAllCards();
    for (int line : {2, 3, 6, 9}) StandardRowFlags[size_t(line)] = 1;
    StandardColumnFlags[0] = 1;
    NoProgress none;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, none).Outcome, CountingOutcome::Done);
    answer = CoreState.ProgramDir + "tabella.txt";
    // A minimum of 0 lists every chosen row; one out of reach lists none.
    struct Case {
        double minimum;
        std::vector<int> flags;
    } cases[] = {{0, {2, 3, 6, 9}}, {1e9, {}}};
    for (const Case& c : cases) {
        CoreState.MinChiSquare = c.minimum;
        ASSERT_EQ(WriteConnectionsReport(), CountTableState::Ready);
        StandardAfcCategoryFlags.fill(0);
        StandardAfcCategoryFlags[20] = 1;
        TAfcModalita p(nullptr);
        p.CorrelaClick();
        std::vector<int> set;
        for (int i = 0; i < kFlagListSize; ++i)
            if (StandardAfcCategoryFlags[size_t(i)]) set.push_back(i);
        EXPECT_EQ(set, c.flags) << c.minimum;
    }
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().filter, "*.TXT");
}

}  // namespace
}  // namespace qv

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/tnogriglia.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/ui/dialogs.h"
#include "quick/preparation.h"
#include "quick/quick_grids.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/telabveloci.h"
#include "quick/ui/telabvelociaggiungi.h"
#include "quick/ui/telabvelocigriglia.h"
#include "quick/ui/telabvelociprepara.h"
#include "quick/ui/telabvelociseleziona.h"
#include "support/card_reading.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened as the program does; every form shown is recorded by name, and a
// test may act on it through `onShow`.
class QuickSelectionFormsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        for (QuickCommand c : kCommands)
            RegisterQuickCommand(c, [this, c](QWidget*) {
                commands.push_back(c);
                proceedWhileOpen.push_back(CoreState.ProceedFlag);
            });
        RegisterAdditionalVariablesForm();
    }
    void TearDown() override {
        for (QuickCommand c : kCommands) RegisterQuickCommand(c, nullptr);
        RegisterAdditionalVariablesDialog(nullptr);
        StartedProgram::TearDown();
    }

    // The quick files of the sample archive as the preparation dialog makes them.
    void PrepareQuickFiles() {
        GenerateDichotomousGrid();
        GenerateTableHeadings();
        WriteBytes(Arch("grq-sch.txt"), "*9*Componenti\r\n*10*Reddito\r\n");
        CopyGridsToQuickSet([] { return true; });
        WriteTerritorialVariableList();
        WriteDateVariableList();
        NoProgress none;
        ASSERT_EQ(BuildDichotomousMatrix(none), MatrixOutcome::Done);
        PreparePerCardValues(PerCardValueKind::Quantity, 1, none);
        PreparePerCardValues(PerCardValueKind::Territory, 1, none);
        PreparePerCardValues(PerCardValueKind::Date, 1, none);
    }
    std::vector<std::string> LogLines() const {
        return TextReader::ReadLines(Arch("Selezio." + CoreState.StationNumber))
            .value_or(std::vector<std::string>{});
    }

    static constexpr QuickCommand kCommands[] = {
        QuickCommand::SimpleDistributions, QuickCommand::CrossTables,     QuickCommand::ReportTables,
        QuickCommand::FactorAnalysis,      QuickCommand::Lists,           QuickCommand::Map,
        QuickCommand::MapOptions,          QuickCommand::ManualTerritory,
    };
    std::vector<QuickCommand> commands;
    std::vector<int> proceedWhileOpen;
};

TEST_F(QuickSelectionFormsTest, HubFollowsTheFilesPresent) {
    struct State {
        QPushButton* button;
        bool enabled;
    };
    auto expectEnabled = [](const std::vector<State>& states) {
        for (const State& s : states)
            EXPECT_EQ(s.button->isEnabled(), s.enabled) << s.button->objectName().toStdString();
    };
    {
        CoreState.ElaborationMode = 1;
        TElabVeloci bare(nullptr);
        EXPECT_EQ(CoreState.ElaborationMode, 2);
        expectEnabled({{bare.Griglia, true},
                       {bare.Prepara, false},
                       {bare.Seleziona, false},
                       {bare.Fattori, false},
                       {bare.Liste, false},
                       {bare.Esci, true},
                       {bare.Help2, true}});
        EXPECT_FALSE(bare.Territorio->isVisibleTo(&bare));
    }

    GenerateDichotomousGrid();
    GenerateTableHeadings();
    TElabVeloci hub(nullptr);
    expectEnabled({{hub.Griglia, true},
                   {hub.Prepara, false},
                   {hub.Seleziona, false},
                   {hub.Semplici, false},
                   {hub.Fattori, true},
                   {hub.Liste, false}});
    // The grid set copies the grids: preparation becomes possible at once.
    onShow = [](QDialog& d) {
        if (auto* g = qobject_cast<TElabVelociGriglia*>(&d)) g->Copia->click();
        if (auto* p = qobject_cast<TElabVelociPrepara*>(&d)) p->Matrice->click();
    };
    hub.Griglia->click();
    EXPECT_TRUE(hub.Prepara->isEnabled());
    EXPECT_FALSE(hub.Seleziona->isEnabled());
    hub.Prepara->click();
    expectEnabled({{hub.Seleziona, true},
                   {hub.Semplici, true},
                   {hub.Doppie, true},
                   {hub.Tabelle, true},
                   {hub.Fattori, true},
                   {hub.Liste, true}});
    EXPECT_EQ(shown, (std::vector<std::string>{"TElabVelociGriglia", "TElabVelociPrepara"}));

    shown.clear();
    hub.Seleziona->click();
    hub.Semplici->click();
    hub.Doppie->click();
    hub.Tabelle->click();
    hub.Fattori->click();
    CoreState.CommandCode = 9;
    hub.Liste->click();
    EXPECT_EQ(CoreState.CommandCode, 0);
    hub.Help2->click();
    EXPECT_EQ(shown, (std::vector<std::string>{"TElabVelociSeleziona", "THelpRTF"}));
    EXPECT_EQ(helpPages, std::vector<int>{36});
    EXPECT_EQ(commands, (std::vector<QuickCommand>{QuickCommand::SimpleDistributions,
                                                   QuickCommand::CrossTables, QuickCommand::ReportTables,
                                                   QuickCommand::FactorAnalysis, QuickCommand::Lists}));

    // A line put in front of the quick grid after the matrix: the analyses ask for a new one,
    // and the hub says so when it opens.
    const std::string quickGrid = ReadBytes(Arch("grl-dat.txt"));
    WriteBytes(Arch("grl-dat.txt"), "Nuova*1=1,1;G0S0\r\n" + quickGrid);
    shown.clear();
    commands.clear();
    for (QPushButton* b : {hub.Seleziona, hub.Semplici, hub.Doppie, hub.Tabelle, hub.Fattori}) b->click();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(messages, std::vector<std::string>(5, "Testo 2353"));
    EXPECT_EQ(TElabVeloci(nullptr).SnapshotNotice->text(), "Testo 2353");
    WriteBytes(Arch("grl-dat.txt"), quickGrid);
    messages.clear();

    // Without the standard grid the analyses show the missing-grid notice, which says so; the
    // lists still open.
    RemoveFile(Arch("grl-sch.txt"));
    std::vector<bool> ticked;
    onShow = [&](QDialog& d) {
        if (auto* n = qobject_cast<TNoGriglia*>(&d)) ticked.push_back(n->Dicotomiche->isChecked());
    };
    hub.Seleziona->click();
    hub.Semplici->click();
    hub.Prepara->click();
    hub.Liste->click();
    EXPECT_EQ(shown, (std::vector<std::string>{"TNoGriglia", "TNoGriglia", "TNoGriglia"}));
    EXPECT_EQ(ticked, std::vector<bool>(3, true));
    EXPECT_EQ(commands, std::vector<QuickCommand>{QuickCommand::Lists});

    // The hidden map command goes through its registration with the go-ahead flag raised.
    hub.TerritorioClick();  // hidden and, without the territorial base, disabled
    EXPECT_EQ(proceedWhileOpen.back(), 1);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(QuickSelectionFormsTest, SelectionOnThePreparedSample) {
    PrepareQuickFiles();
    CoreState.ElaborationMode = 2;
    TElabVelociSeleziona d(nullptr);
    EXPECT_EQ(d.windowTitle(), "Testo 723");
    const std::string grid = ReadBytes(Arch("grl-dat.txt"));
    ASSERT_EQ(d.Modalita->count(), std::count(grid.begin(), grid.end(), '\n'));
    EXPECT_EQ(d.Modalita->currentRow(), 0);
    EXPECT_EQ(d.Modalita->item(0)->text(), "Sesso maschio");
    EXPECT_EQ(d.Variabile->itemText(0), "Sesso");
    EXPECT_EQ(d.siglaQuant->text(), "Componenti");
    EXPECT_EQ(d.SiglaData->text(), "Data di nascita");
    EXPECT_EQ(d.SiglaTerr->text(), "Comune di residenza");
    for (QWidget* w : std::initializer_list<QWidget*>{d.AndQ, d.fine, d.NotD, d.AndTerr, d.Territorio})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(d.Cartina->isEnabled());  // no territorial base in the test root

    d.Attiva->click();
    EXPECT_EQ(d.Status1->text(), "Testo 774");
    EXPECT_EQ(CountSelected(), CoreState.LastCard + 1);

    d.EffettuaAnd->click();
    EXPECT_EQ(d.status2->text(), "Testo 779");
    const int males = CountCards([](int32_t) { return GetCardWord(3) == 1; });
    EXPECT_GT(males, 0);
    EXPECT_EQ(CountSelected(), males);

    // Then born from 1960 to 1979 and, among those, households of three or four.
    d.Inizio->setText("1/1/1960");
    d.fine->setText("31/12/1979");
    d.AndD->click();
    EXPECT_EQ(d.StatusD->text(), "Testo 789");
    auto bornInRange = [] {
        const int day = GetCardWord(4);
        const int64_t date = int64_t(CoreState.DateYear + 1900) * 10000 + CoreState.DateMonth * 100 + day;
        return date >= 19600101 && date <= 19791231;
    };
    EXPECT_EQ(CountSelected(), CountCards([&](int32_t) { return GetCardWord(3) == 1 && bornInRange(); }));
    d.InizioQ->setText("3");
    d.FineQ->setText("4");
    d.AndQ->click();
    EXPECT_EQ(d.StatusQ->text(), "Testo 795");
    auto household = [] {
        const int n = GetCardWord(9);
        return n >= 3 && n <= 4;
    };
    const int expected =
        CountCards([&](int32_t) { return GetCardWord(3) == 1 && bornInRange() && household(); });
    EXPECT_EQ(CountSelected(), expected);

    // A missing value file: the step stops, the status says so and the log does not take it.
    RemoveFile(Arch("num-dat.dat"));
    d.OrQ->click();
    EXPECT_EQ(d.StatusQ->text(), "Testo 798");
    EXPECT_EQ(CountSelected(), expected);

    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Testo 775", "AND (Sesso maschio)",
                                                    "AND 1/1/1960 < (Data di nascita) < 31/12/1979",
                                                    "AND 3 < (Componenti) < 4"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(QuickSelectionFormsTest, TerritoryMapAndGroups) {
    PrepareQuickFiles();
    // Identity translation from territory code to map comune.
    std::string translation;
    for (int code = 1; code <= 8250; ++code) AppendU16(translation, uint16_t(code));
    MakeDirs(MapState.TerritoryDir);
    WriteBytes(MapState.TerritoryDir + "kel-trad.dat", translation);
    CoreState.CurrentCard = 0;
    ReadCardValues();
    const int code = GetCardWord(5);
    ASSERT_GT(code, 0);
    TerritorySelection.fill(0);
    TerritorySelection[size_t(code - 1)] = 1;

    CoreState.ElaborationMode = 2;
    TElabVelociSeleziona d(nullptr);
    EXPECT_TRUE(d.Cartina->isEnabled());
    d.Attiva->click();
    d.SiglaTerr->setText("Comuni scelti");  // what the box says is what the log records
    d.AndTerr->click();
    EXPECT_EQ(d.StatusTerr->text(), "Testo 783");
    EXPECT_EQ(CountSelected(), CountCards([code](int32_t) { return GetCardWord(5) == code; }));
    int activeComuni = 0;
    for (uint8_t b : MapActiveComuni) activeComuni += b;
    EXPECT_EQ(activeComuni, 1);
    EXPECT_EQ(MapActiveComuni[size_t(code - 1)], 1);
    EXPECT_EQ(LogLines().back(), "AND Testo 782 (Comuni scelti)");

    d.Territorio->click();
    EXPECT_EQ(CoreState.CommandCode, 0);
    EXPECT_EQ(CoreState.CardWindowMode, 4);
    d.Cartina->click();
    EXPECT_EQ(commands, (std::vector<QuickCommand>{QuickCommand::ManualTerritory, QuickCommand::Map}));
    EXPECT_EQ(proceedWhileOpen, (std::vector<int>{0, 1}));
    EXPECT_EQ(CoreState.ProceedFlag, 0);

    // A group brings its first variable to the list: the third "G" line of the grid.
    const CategoryGrid grid = LoadCategoryGrid(Arch("grl-dat.txt"));
    std::vector<int> firstLines;
    for (int line = 1; line <= grid.Count; ++line)
        if (grid.OpensVariable[size_t(line)]) firstLines.push_back(line - 1);
    ASSERT_GE(d.Variabile->count(), 3);
    d.Variabile->setCurrentIndex(2);
    d.VariabileChange();
    EXPECT_EQ(d.Modalita->currentRow(), firstLines[2]);
    d.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{45});
}

TEST_F(QuickSelectionFormsTest, AdditionalVariablesFromThePreparation) {
    PrepareQuickFiles();
    const int32_t last = ReadPreparedCardCount();
    const std::string before = ReadBytes(Arch("dat-dat.dat"));
    // The males, and a rule naming no group of the grid.
    WriteBytes(Arch("agg-dat.txt"), "*Maschi\r\nSesso,-1;\r\n*Nessuno\r\nManca,-1;\r\n");
    onShow = [&](QDialog& d) {
        auto* a = qobject_cast<TElabVelociAggiungi*>(&d);
        if (!a) return;
        EXPECT_EQ(a->windowTitle(), "Testo 533");
        EXPECT_EQ(a->Crea->text(), "Testo 538");
        a->Crea->click();
        a->Maschera->click();
        a->VedeVariabili->click();
        a->ComeVariabili->click();
        requests.clear();
        answer.clear();
        a->Legge->click();  // cancelled: nothing
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
        EXPECT_EQ(requests[0].filter, "*.txt");
        a->Help->click();
    };
    TElabVelociPrepara prep(nullptr);
    prep.VariabiliAggiunte->click();
    // Faults shown first, then the rules file, the variable list and the rules in words.
    EXPECT_EQ(viewed, (std::vector<int>{0, -38, 0, 0}));
    EXPECT_EQ(helpPages, std::vector<int>{38});
    const int64_t area = MatrixAreaRecords(last) * 1000;
    const std::string after = ReadBytes(Arch("dat-dat.dat"));
    ASSERT_EQ(after.size(), before.size() + 2 * size_t(area));
    EXPECT_EQ(after.substr(before.size(), size_t(area)), before.substr(0, size_t(area)));
    EXPECT_EQ(after.substr(before.size() + size_t(area)), std::string(size_t(area), '\0'));

    // The quick selection offers both; the first selects the males.
    CoreState.ElaborationMode = 2;
    TElabVelociSeleziona d(nullptr);
    const int rows = d.Modalita->count();
    EXPECT_EQ(d.Modalita->item(rows - 2)->text(), "Maschi");
    d.Attiva->click();
    d.Modalita->setCurrentRow(rows - 2);
    d.EffettuaAnd->click();
    EXPECT_EQ(CountSelected(), CountCards([](int32_t) { return GetCardWord(3) == 1; }));
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace qv

#include "selection/ui/teseguecollettiva.h"

#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/progress.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/collective_selection.h"

namespace qv {

namespace {

constexpr int kSearchProgressHint = 1906;

constexpr int kHelpPage = 48;
constexpr int kTerritoryNotApplied = 1644;

// The chosen path without the extension of its file name.
std::string WithoutExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

}  // namespace

TEsegueCollettiva::TEsegueCollettiva(QWidget* owner) : QDialog(owner) {
    setObjectName("TEsegueCollettiva");
    FormCreate();
}

void TEsegueCollettiva::FormCreate() {
    setWindowTitle(Qs(LoadText(846)));
    PrimaRicerca = TextButton(this, "PrimaRicerca", 847, 848);
    Aggiunge = TextButton(this, "Aggiunge", 849, 850);
    Legge = TextButton(this, "Legge", 851, 852);
    Geolar = TextButton(this, "Geolar", 853, 854);
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setToolTip(Qs(LoadText(kSearchProgressHint)));
    Esci = TextButton(this, "Esci", 855, 856);
    Help2 = TextButton(this, "Help2", 857, 858);
    Esegue = new QPushButton(this);
    Esegue->setObjectName("Esegue");
    Esegue->setVisible(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(PrimaRicerca, 0, 0);
    layout->addWidget(Aggiunge, 0, 1);
    layout->addWidget(Legge, 1, 0);
    layout->addWidget(Geolar, 1, 1);
    layout->addWidget(Barra, 2, 0, 1, 2);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);

    // One card or none: there is nothing to select among.
    if (CoreState.LastCard < 1)
        for (QPushButton* b : {PrimaRicerca, Aggiunge, Legge, Geolar}) b->setEnabled(false);

    connect(PrimaRicerca, &QPushButton::clicked, this, &TEsegueCollettiva::PrimaRicercaClick);
    connect(Aggiunge, &QPushButton::clicked, this, &TEsegueCollettiva::AggiungeClick);
    connect(Legge, &QPushButton::clicked, this, &TEsegueCollettiva::LeggeClick);
    connect(Geolar, &QPushButton::clicked, this, &TEsegueCollettiva::GeolarClick);
    // The hidden button runs the pass as the value last stored asks.
    connect(Esegue, &QPushButton::clicked, this,
            [this] { EsegueClick(SelectionCombination(CoreState.CommandCode)); });
    connect(Esci, &QPushButton::clicked, this, &TEsegueCollettiva::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TEsegueCollettiva::Help2Click);
}

void TEsegueCollettiva::PrimaRicercaClick() {
    const int32_t card = CoreState.CurrentCard;
    EsegueClick(kFirstSearch);
    CoreState.CurrentCard = card;
    accept();
}

std::string TEsegueCollettiva::AskSelectionFile(const char* proposed) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.fileName = proposed;
    return AskFileName(request);
}

void TEsegueCollettiva::RunWithSavedSearch(SelectionCombination combination) {
    const std::string chosen = AskSelectionFile("STA *.dat");
    if (chosen.empty()) return;
    // The whole path is kept: a cut path would name another file.
    SelectionFileName = WithoutExtension(chosen);
    EsegueClick(combination);
    accept();
}

void TEsegueCollettiva::AggiungeClick() {
    RunWithSavedSearch(kOrSavedSearch);
}

void TEsegueCollettiva::LeggeClick() {
    RunWithSavedSearch(kAndSavedSearch);
}

void TEsegueCollettiva::GeolarClick() {
    const std::string chosen = AskSelectionFile("ATT *.dat");
    if (chosen.empty()) return;
    SelectionFileName = chosen;
    ReadSiblingSelection(chosen);
    EsegueClick(kSiblingSelection);
    accept();
}

void TEsegueCollettiva::EsegueClick(SelectionCombination combination) {
    CoreState.CommandCode = combination;
    BarProgress progress(Barra, 1);
    WaitCursor wait;
    RunCollectiveSelection(combination, progress);
    if (combination != kSiblingSelection && TerritoriesChosen() && !TerritorialFieldInCondition())
        ShowInfo(LoadText(kTerritoryNotApplied));
}

void TEsegueCollettiva::EsciClick() {
    reject();
}

void TEsegueCollettiva::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenCollectiveSelection(QWidget* owner) {
    TEsegueCollettiva dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

#include "quick/ui/telabvelociaggiungi.h"

#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/additional_variables.h"
#include "quick/ui/quick_forms.h"

namespace qv {

namespace {

constexpr int kHelpPage = 38;

}  // namespace

TElabVelociAggiungi::TElabVelociAggiungi(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociAggiungi");
    VedeVariabili = NamedButton(this, "VedeVariabili");
    Maschera = NamedButton(this, "Maschera");
    ComeVariabili = NamedButton(this, "ComeVariabili");
    Legge = NamedButton(this, "Legge");
    Crea = NamedButton(this, "Crea");
    Esci = NamedButton(this, "Esci");
    Help = NamedButton(this, "Help");
    Barra = IdleProgressBar(this, "Barra");

    auto* grid = new QGridLayout(this);
    grid->addWidget(VedeVariabili, 0, 0);
    grid->addWidget(Maschera, 0, 1);
    grid->addWidget(ComeVariabili, 1, 0);
    grid->addWidget(Legge, 1, 1);
    grid->addWidget(Crea, 2, 0, 1, 2);
    grid->addWidget(Barra, 3, 0, 1, 2);
    grid->addWidget(Esci, 4, 0);
    grid->addWidget(Help, 4, 1);

    connect(VedeVariabili, &QPushButton::clicked, this, &TElabVelociAggiungi::VedeVariabiliClick);
    connect(Maschera, &QPushButton::clicked, this, &TElabVelociAggiungi::MascheraClick);
    connect(ComeVariabili, &QPushButton::clicked, this, &TElabVelociAggiungi::ComeVariabiliClick);
    connect(Legge, &QPushButton::clicked, this, &TElabVelociAggiungi::LeggeClick);
    connect(Crea, &QPushButton::clicked, this, &TElabVelociAggiungi::CreaClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociAggiungi::EsciClick);
    connect(Help, &QPushButton::clicked, this, &TElabVelociAggiungi::HelpClick);
    FormCreate();
}

void TElabVelociAggiungi::FormCreate() {
    setWindowTitle(Qs(LoadText(533)));
    int text = 534;
    for (QPushButton* b : {VedeVariabili, Maschera, ComeVariabili, Legge, Crea, Esci, Help})
        b->setText(Qs(LoadText(text++)));
}

void TElabVelociAggiungi::VedeVariabiliClick() {
    GuardedIo([this] {
        WriteGridVariableList();
        ShowTextViewer(this, ViewerFile::Report);
    });
}

void TElabVelociAggiungi::MascheraClick() {
    ShowTextViewer(this, ViewerFile::AdditionalVariables);
}

void TElabVelociAggiungi::ComeVariabiliClick() {
    GuardedIo([this] {
        WriteRulesInWords();
        ShowTextViewer(this, ViewerFile::Report);
    });
}

void TElabVelociAggiungi::LeggeClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.filter = "*.txt";
    const std::string path = AskFileName(request);
    if (path.empty()) return;
    GuardedIo([&] {
        WriteItemsFromReport(path);
        ShowTextViewer(this, ViewerFile::Report);
    });
}

void TElabVelociAggiungi::CreaClick() {
    GuardedIo([this] {
        const std::vector<RuleFault> faults = [this] {
            WaitCursor wait;
            BarProgress progress(Barra);
            return BuildAdditionalVariables(progress);
        }();
        // The rules that could not be computed are shown; their variables stay empty.
        if (!faults.empty()) {
            WriteRuleFaults(faults);
            ShowTextViewer(this, ViewerFile::Report);
        }
    });
}

void TElabVelociAggiungi::EsciClick() {
    accept();
}

void TElabVelociAggiungi::HelpClick() {
    ShowHelpPage(this, kHelpPage);
}

void RegisterAdditionalVariablesForm() {
    RegisterAdditionalVariablesDialog([](QWidget* owner) {
        TElabVelociAggiungi dialog(owner);
        ShowModal(dialog);
    });
}

}  // namespace qv

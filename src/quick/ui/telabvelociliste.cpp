#include "quick/ui/telabvelociliste.h"

#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>
#include <optional>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/quick_lists.h"
#include "quick/ui/quick_forms.h"
#include "selection/ui/teseguelista.h"

namespace qv {

namespace {

constexpr int kHelpPage = 42;
// The code with which the linked-archive selection asks for its list.
constexpr int kListAtOnce = -333;

// A mask file of the program directory, chosen under the caption text `caption`; empty when
// cancelled.
std::string AskMaskFile(FileDialogKind kind, int caption) {
    FileDialogRequest request;
    request.kind = kind;
    request.caption = LoadText(caption);
    request.directory = CoreState.ProgramDir;
    request.filter = "*.mas";
    return AskFileName(request);
}

}  // namespace

TElabVelociListe::TElabVelociListe(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociListe");
    Crea = NamedButton(this, "Crea");
    Visualizza = NamedButton(this, "Visualizza");
    Salva = NamedButton(this, "Salva");
    Apri = NamedButton(this, "Apri");
    Effettua = NamedButton(this, "Effettua");
    Alfabetica = NamedButton(this, "Alfabetica");
    VisualizzaLista = NamedButton(this, "VisualizzaLista");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Barra = IdleProgressBar(this, "Barra");

    auto* g = new QGridLayout(this);
    g->addWidget(Crea, 0, 0);
    g->addWidget(Visualizza, 0, 1);
    g->addWidget(Salva, 1, 0);
    g->addWidget(Apri, 1, 1);
    g->addWidget(Effettua, 2, 0);
    g->addWidget(Alfabetica, 2, 1);
    g->addWidget(VisualizzaLista, 3, 0, 1, 2);
    g->addWidget(Barra, 4, 0, 1, 2);
    g->addWidget(Esci, 5, 0);
    g->addWidget(Help2, 5, 1);

    connect(Crea, &QPushButton::clicked, this, &TElabVelociListe::CreaClick);
    connect(Visualizza, &QPushButton::clicked, this, &TElabVelociListe::VisualizzaClick);
    connect(Salva, &QPushButton::clicked, this, &TElabVelociListe::SalvaClick);
    connect(Apri, &QPushButton::clicked, this, &TElabVelociListe::ApriClick);
    connect(Effettua, &QPushButton::clicked, this, &TElabVelociListe::EffettuaClick);
    connect(Alfabetica, &QPushButton::clicked, this, &TElabVelociListe::AlfabeticaClick);
    connect(VisualizzaLista, &QPushButton::clicked, this, &TElabVelociListe::VisualizzaListaClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociListe::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociListe::Help2Click);
    FormCreate();
}

void TElabVelociListe::FormCreate() {
    setWindowTitle(Qs(LoadText(665)));
    SetButtonTexts({
        {Crea, 666, 667},
        {Visualizza, 668, 669},
        {Salva, 670, 671},
        {Apri, 672, 673},
        {Effettua, 674, 675},
        {Alfabetica, 676, 677},
        {VisualizzaLista, 678, 679},
        {Esci, 680, 681},
        {Help2, 682, 683},
    });
    if (CoreState.CommandCode == kListAtOnce) EffettuaClick();
}

void TElabVelociListe::CreaClick() {
    GuardedIo([this] {
        CreateQuickMask();
        ShowTextViewer(this, ViewerFile::WorkingMask);
    });
}

void TElabVelociListe::VisualizzaClick() {
    ShowTextViewer(this, ViewerFile::WorkingMask);
}

void TElabVelociListe::SalvaClick() {
    const std::string chosen = AskMaskFile(FileDialogKind::Save, 670);
    if (chosen.empty()) return;
    GuardedIo([&] { SaveQuickMask(chosen); });
}

void TElabVelociListe::ApriClick() {
    const std::string chosen = AskMaskFile(FileDialogKind::Open, 672);
    if (chosen.empty()) return;
    GuardedIo([&] { LoadQuickMask(chosen); });
}

void TElabVelociListe::RunList(bool alphabetical) {
    std::optional<QuickListOutcome> outcome;
    GuardedIo([&] {
        WaitCursor wait;
        BarProgress progress(Barra);
        outcome =
            RunQuickList(alphabetical ? QuickListOrder::Alphabetical : QuickListOrder::Sequential, progress);
    });
    Barra->setValue(0);
    if (outcome == QuickListOutcome::Done)
        ShowTextViewer(this, ViewerFile::ListOutput);
    else if (outcome == QuickListOutcome::OrderIndexMissing)
        ShowError(LoadText(kNoAlphabeticOrderText));
}

void TElabVelociListe::EffettuaClick() {
    RunList(false);
}

void TElabVelociListe::AlfabeticaClick() {
    RunList(true);
}

void TElabVelociListe::VisualizzaListaClick() {
    ShowTextViewer(this, ViewerFile::ListOutput);
}

void TElabVelociListe::EsciClick() {
    accept();
}

void TElabVelociListe::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenQuickLists(QWidget* owner, bool listAtOnce) {
    PassToDialog<TElabVelociListe>(owner, listAtOnce ? kListAtOnce : 0);
}

}  // namespace qv

#include "quick/ui/telabveloci.h"

#include <QGridLayout>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "core/ui/common_captions.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/tnogriglia.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_forms.h"
#include "quick/ui/telabvelociseleziona.h"

namespace qv {

namespace {

constexpr int kHelpPage = 36;
constexpr int kMapCaption = 1982;

}  // namespace

TElabVeloci::TElabVeloci(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVeloci");
    Griglia = NamedButton(this, "Griglia");
    Prepara = NamedButton(this, "Prepara");
    Seleziona = NamedButton(this, "Seleziona");
    Semplici = NamedButton(this, "Semplici");
    Doppie = NamedButton(this, "Doppie");
    Tabelle = NamedButton(this, "Tabelle");
    Fattori = NamedButton(this, "Fattori");
    Liste = NamedButton(this, "Liste");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    MancaGriglia = NamedButton(this, "MancaGriglia");
    Territorio = NamedButton(this, "Territorio");
    Territorio->setText(Caption(kMapCaption));
    Opzioni = NamedButton(this, "Opzioni");
    Opzioni->setText(Caption(kOptionsCaption));
    for (QPushButton* hidden : {MancaGriglia, Territorio, Opzioni}) hidden->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(Griglia, 0, 0);
    layout->addWidget(Prepara, 0, 1);
    layout->addWidget(Seleziona, 1, 0, 1, 2);
    layout->addWidget(Semplici, 2, 0);
    layout->addWidget(Doppie, 2, 1);
    layout->addWidget(Tabelle, 3, 0);
    layout->addWidget(Fattori, 3, 1);
    layout->addWidget(Liste, 4, 0, 1, 2);
    layout->addWidget(Esci, 5, 0);
    layout->addWidget(Help2, 5, 1);
    SnapshotNotice = new QLabel(this);
    SnapshotNotice->setObjectName("SnapshotNotice");
    SnapshotNotice->setWordWrap(true);
    layout->addWidget(SnapshotNotice, 6, 0, 1, 2);

    connect(Griglia, &QPushButton::clicked, this, &TElabVeloci::GrigliaClick);
    connect(Prepara, &QPushButton::clicked, this, &TElabVeloci::PreparaClick);
    connect(Seleziona, &QPushButton::clicked, this, &TElabVeloci::SelezionaClick);
    connect(Semplici, &QPushButton::clicked, this, &TElabVeloci::SempliciClick);
    connect(Doppie, &QPushButton::clicked, this, &TElabVeloci::DoppieClick);
    connect(Tabelle, &QPushButton::clicked, this, &TElabVeloci::TabelleClick);
    connect(Fattori, &QPushButton::clicked, this, &TElabVeloci::FattoriClick);
    connect(Liste, &QPushButton::clicked, this, &TElabVeloci::ListeClick);
    connect(Territorio, &QPushButton::clicked, this, &TElabVeloci::TerritorioClick);
    connect(Opzioni, &QPushButton::clicked, this, &TElabVeloci::OpzioniClick);
    connect(MancaGriglia, &QPushButton::clicked, this, &TElabVeloci::MancaGrigliaClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVeloci::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVeloci::Help2Click);
    FormCreate();
}

void TElabVeloci::FormCreate() {
    setWindowTitle(Qs(LoadText(488)));
    struct Text {
        QPushButton* button;
        int caption;
    };
    for (const Text& t : {Text{Griglia, 489}, Text{Prepara, 491}, Text{Seleziona, 493}, Text{Semplici, 495},
                          Text{Doppie, 497}, Text{Tabelle, 499}, Text{Fattori, 501}, Text{Liste, 503},
                          Text{Esci, 505}, Text{Help2, 507}}) {
        t.button->setText(Qs(LoadText(t.caption)));
        t.button->setToolTip(Qs(LoadText(t.caption + 1)));
    }
    const bool prepared = FileOpens(data_file::kPreparedCount);
    for (QPushButton* b : {Seleziona, Semplici, Doppie, Tabelle, Fattori, Territorio, Opzioni, Liste})
        b->setEnabled(prepared);
    Prepara->setEnabled(FileOpens(data_file::kQuickGrid));
    // The quick factor analysis starts from the standard grid.
    Fattori->setEnabled(FileOpens(data_file::kGrid));
    if (!FileOpens(data_file::kTranslation)) {
        Territorio->setEnabled(false);
        Opzioni->setEnabled(false);
    }
    CoreState.ElaborationMode = 2;
    ShowSnapshotNotice();
}

void TElabVeloci::ShowSnapshotNotice() {
    std::string notice = PreparedSnapshotNotice();
    if (ComparePreparedGrid() == PreparedGrid::Changed)
        notice = PreparedGridChangedText() + (notice.empty() ? "" : "\n" + notice);
    SnapshotNotice->setText(Qs(notice));
    SnapshotNotice->setVisible(!notice.empty());
}

void TElabVeloci::CheckGridPresent() {
    GridPresentFlag = FileOpens(data_file::kGrid);
}

void TElabVeloci::EnableAnalysesWhenPrepared() {
    if (!FileOpens(data_file::kPreparedCount)) return;
    for (QPushButton* b : {Seleziona, Semplici, Doppie, Tabelle, Fattori, Liste}) b->setEnabled(true);
}

void TElabVeloci::GrigliaClick() {
    OpenQuickGridSet(this);
    if (FileOpens(data_file::kQuickGrid)) Prepara->setEnabled(true);
    ShowSnapshotNotice();
}

void TElabVeloci::PreparaClick() {
    CheckGridPresent();
    if (!GridPresentFlag) return MancaGrigliaClick();
    OpenQuickPreparation(this);
    // A first preparation opens the analyses without leaving the hub.
    EnableAnalysesWhenPrepared();
    ShowSnapshotNotice();
}

bool TElabVeloci::ReadyToCount() {
    CheckGridPresent();
    if (!GridPresentFlag) {
        MancaGrigliaClick();
        return false;
    }
    if (ComparePreparedGrid() == PreparedGrid::Changed) {
        ShowInfo(PreparedGridChangedText());
        return false;
    }
    return true;
}

void TElabVeloci::SelezionaClick() {
    if (ReadyToCount()) OpenQuickSelection(this);
}

void TElabVeloci::SempliciClick() {
    if (ReadyToCount()) OpenQuickCommand(QuickCommand::SimpleDistributions, this);
}

void TElabVeloci::DoppieClick() {
    if (ReadyToCount()) OpenQuickCommand(QuickCommand::CrossTables, this);
}

void TElabVeloci::TabelleClick() {
    if (ReadyToCount()) OpenQuickCommand(QuickCommand::ReportTables, this);
}

void TElabVeloci::FattoriClick() {
    if (ReadyToCount()) OpenQuickCommand(QuickCommand::FactorAnalysis, this);
}

void TElabVeloci::ListeClick() {
    CoreState.CommandCode = 0;
    OpenQuickCommand(QuickCommand::Lists, this);
}

void TElabVeloci::TerritorioClick() {
    CoreState.ProceedFlag = 1;
    OpenQuickCommand(QuickCommand::Map, this);
    CoreState.ProceedFlag = 0;
}

void TElabVeloci::OpzioniClick() {
    OpenQuickCommand(QuickCommand::MapOptions, this);
}

void TElabVeloci::MancaGrigliaClick() {
    ShowMissingGridNotice(this);
}

void TElabVeloci::EsciClick() {
    accept();
}

void TElabVeloci::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenQuickHub(QWidget* owner) {
    TElabVeloci hub(owner);
    ShowModal(hub);
}

}  // namespace qv

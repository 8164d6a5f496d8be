#include "elaborations/ui/telaborazioni.h"

#include <QGridLayout>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/common_captions.h"
#include "core/ui/form_kit.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/tsemplici.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 35;
constexpr int kFactorAnalysisCaption = 1984;

}  // namespace

TElaborazioni::TElaborazioni(QWidget* owner) : QDialog(owner) {
    setObjectName("TElaborazioni");
    VedeGriglie = NamedButton(this, "VedeGriglie");
    VedeSemplici = NamedButton(this, "VedeSemplici");
    Doppie = NamedButton(this, "Doppie");
    VedeConnessioni = NamedButton(this, "VedeConnessioni");
    Quantitative = NamedButton(this, "Quantitative");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Fattori = NamedButton(this, "Fattori");
    Fattori->setText(Caption(kFactorAnalysisCaption));
    VedeMaxsim = NamedButton(this, "VedeMaxsim");
    VedeMaxsim->setText(QStringLiteral("&MaxSim"));
    MancaGriglia = NamedButton(this, "MancaGriglia");
    for (QPushButton* hidden : {Fattori, VedeMaxsim, MancaGriglia}) hidden->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(VedeGriglie, 0, 0, 1, 2);
    layout->addWidget(VedeSemplici, 1, 0);
    layout->addWidget(Doppie, 1, 1);
    layout->addWidget(VedeConnessioni, 2, 0);
    layout->addWidget(Quantitative, 2, 1);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);

    connect(VedeGriglie, &QPushButton::clicked, this, &TElaborazioni::VedeGriglieClick);
    connect(VedeSemplici, &QPushButton::clicked, this, &TElaborazioni::VedeSempliciClick);
    connect(Doppie, &QPushButton::clicked, this, &TElaborazioni::DoppieClick);
    connect(VedeConnessioni, &QPushButton::clicked, this, &TElaborazioni::VedeConnessioniClick);
    connect(Quantitative, &QPushButton::clicked, this, &TElaborazioni::QuantitativeClick);
    connect(Fattori, &QPushButton::clicked, this, &TElaborazioni::FattoriClick);
    connect(VedeMaxsim, &QPushButton::clicked, this, &TElaborazioni::VedeMaxsimClick);
    connect(MancaGriglia, &QPushButton::clicked, this, &TElaborazioni::MancaGrigliaClick);
    connect(Esci, &QPushButton::clicked, this, &TElaborazioni::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElaborazioni::Help2Click);
    FormCreate();
}

void TElaborazioni::TestGrids() {
    GridPresentFlag = FileOpens(data_file::kGrid);
    QuantGridPresentFlag = FileOpens(data_file::kQuantGrid);
}

void TElaborazioni::FormCreate() {
    struct Text {
        QPushButton* button;
        int caption;
    };
    setWindowTitle(Qs(LoadText(473)));
    for (const Text& t :
         {Text{VedeGriglie, 474}, Text{VedeSemplici, 476}, Text{Doppie, 478}, Text{VedeConnessioni, 480},
          Text{Quantitative, 482}, Text{Esci, 484}, Text{Help2, 486}}) {
        t.button->setText(Qs(LoadText(t.caption)));
        t.button->setToolTip(Qs(LoadText(t.caption + 1)));
    }
    TestGrids();
    for (QPushButton* b : {VedeSemplici, Doppie, VedeConnessioni, Fattori, VedeMaxsim, Quantitative})
        b->setEnabled(GridPresentFlag);
    if (!QuantGridPresentFlag) Quantitative->setEnabled(false);
    CoreState.ElaborationMode = 1;
}

void TElaborazioni::VedeGriglieClick() {
    OpenElaborationDialog(ElaborationDialog::GridEditor, this);
    // A grid just created or removed shows in the buttons at once.
    FormCreate();
}

void TElaborazioni::VedeSempliciClick() {
    TestGrids();
    if (!GridPresentFlag) return MancaGrigliaClick();
    TSemplici dialog(this);
    ShowModal(dialog);
}

void TElaborazioni::DoppieClick() {
    TestGrids();
    if (!GridPresentFlag) return MancaGrigliaClick();
    OpenElaborationDialog(ElaborationDialog::CrossTables, this);
}

void TElaborazioni::VedeConnessioniClick() {
    TestGrids();
    if (!GridPresentFlag) return MancaGrigliaClick();
    OpenElaborationDialog(ElaborationDialog::Connections, this);
}

void TElaborazioni::QuantitativeClick() {
    TestGrids();
    if (!GridPresentFlag || !QuantGridPresentFlag) return MancaGrigliaClick();
    OpenElaborationDialog(ElaborationDialog::QuantitativeTables, this);
}

void TElaborazioni::FattoriClick() {
    TestGrids();
    if (!GridPresentFlag) return MancaGrigliaClick();
    OpenElaborationDialog(ElaborationDialog::FactorAnalysis, this);
}

void TElaborazioni::VedeMaxsimClick() {
    TestGrids();
    if (!GridPresentFlag) return MancaGrigliaClick();
    OpenElaborationDialog(ElaborationDialog::MaxSim, this);
}

void TElaborazioni::MancaGrigliaClick() {
    ShowMissingGridNotice(this);
}

void TElaborazioni::EsciClick() {
    accept();
}

void TElaborazioni::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

void OpenElaborationsHub(QWidget* owner) {
    TElaborazioni hub(owner);
    ShowModal(hub);
}

}  // namespace qv

#include "quick/ui/telabvelociafc.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/ui/batch_jobs.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/factor_matrix_counts.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_forms.h"

namespace qv {

namespace {

constexpr int kQuickHelpPage = 37;

}  // namespace

TElabVelociAFC::TElabVelociAFC(QWidget* owner)
    : FactorAnalysisDialog(owner, "TElabVelociAFC", FactorRoad::Quick) {
    CreaTipologie = NamedButton(this, "CreaTipologie");
    AttribuisceTipologie = NamedButton(this, "AttribuisceTipologie");
    label3 = new QLabel(this);
    label3->setObjectName("label3");
    attrib = NamedButton(this, "attrib");
    attrib->hide();
    Arrange(AttribuisceTipologie, label3, CreaTipologie);
    connect(CreaTipologie, &QPushButton::clicked, this, &TElabVelociAFC::CreaTipologieClick);
    connect(AttribuisceTipologie, &QPushButton::clicked, this, &TElabVelociAFC::AttribuisceTipologieClick);
    connect(attrib, &QPushButton::clicked, this, &TElabVelociAFC::attribClick);
    FormCreate();
}

void TElabVelociAFC::FormCreate() {
    setWindowTitle(Qs(LoadText(509)));
    ModX->setToolTip(Qs(LoadText(510)));
    SetButtonTexts({{Modalita, 511, 512},
                    {Calcola, 514, 515},
                    {Ruota, 516, 517},
                    {Visualizza, 519, 520},
                    {CreaTipologie, 521, 522},
                    {AttribuisceTipologie, 523, 524},
                    {Esci, 526, 527},
                    {Help2, 528, 529}});
    Label1->setText(Qs(LoadText(513)));
    Label2->setText(Qs(LoadText(518)));
    rPhi->setToolTip(Qs(LoadText(518)));
    label3->setText(Qs(LoadText(525)));
    helpPage_ = kQuickHelpPage;
    ShowSettings();
}

std::unique_ptr<FactorCountSource> TElabVelociAFC::CountSource() const {
    return std::make_unique<BitMatrixCountSource>(AfcLastLine());
}

void TElabVelociAFC::CreaTipologieClick() {
    OpenAdditionalVariablesDialog(this);
}

void TElabVelociAFC::AttribuisceTipologieClick() {
    AttributeTypologies(532);
}

void TElabVelociAFC::attribClick() {
    RunAttribution();
}

void OpenQuickFactorDialog(QWidget* owner) {
    TElabVelociAFC dialog(owner);
    ShowModal(dialog);
}

void RegisterFactorDialogs() {
    RegisterElaborationDialog(ElaborationDialog::FactorAnalysis, OpenStandardFactorDialog);
    RegisterQuickCommand(QuickCommand::FactorAnalysis, OpenQuickFactorDialog);
}

}  // namespace qv

#include "selection/ui/tlistamerge.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/merged_list.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tselezionamaschera.h"

namespace qv {

namespace {

constexpr int kHelpPage = 55;

// The join shows the blocks copied so far in the status box.
class StepsInStatus : public Progress {
  public:
    explicit StepsInStatus(QLineEdit* status) : status_(status) {}
    void SetMaximum(int) override {}
    void SetPosition(int steps) override { status_->setText(QString::number(steps)); }

  private:
    QLineEdit* status_;
};

}  // namespace

TListaMerge::TListaMerge(QWidget* owner) : QDialog(owner) {
    setObjectName("TListaMerge");
    FormCreate();
}

void TListaMerge::FormCreate() {
    setWindowTitle(Qs(LoadText(1026)));
    Alfabeticamente = new QCheckBox(Qs(LoadText(1027)), this);
    Alfabeticamente->setObjectName("Alfabeticamente");
    Alfabeticamente->setToolTip(Qs(LoadText(1028)));
    Primo = TextButton(this, "Primo", 1029, 1030);
    Successivo = TextButton(this, "Successivo", 1031, 1032);
    Unisce = TextButton(this, "Unisce", 1033, 1034);
    Visualizza = TextButton(this, "Visualizza", 1035, 1036);
    Esci = TextButton(this, "Esci", 1037, 1038);
    Help2 = TextButton(this, "Help2", 1039, 1040);
    Barra = IdleProgressBar(this, "Barra");
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Alfabeticamente, 0, 0, 1, 2);
    layout->addWidget(Primo, 1, 0);
    layout->addWidget(Successivo, 1, 1);
    layout->addWidget(Unisce, 2, 0);
    layout->addWidget(Visualizza, 2, 1);
    layout->addWidget(Barra, 3, 0, 1, 2);
    layout->addWidget(Status, 4, 0, 1, 2);
    layout->addWidget(Esci, 5, 0);
    layout->addWidget(Help2, 5, 1);

    connect(Primo, &QPushButton::clicked, this, &TListaMerge::PrimoClick);
    connect(Successivo, &QPushButton::clicked, this, &TListaMerge::SuccessivoClick);
    connect(Unisce, &QPushButton::clicked, this, &TListaMerge::UnisceClick);
    connect(Visualizza, &QPushButton::clicked, this, &TListaMerge::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TListaMerge::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TListaMerge::Help2Click);

    Alfabeticamente->setChecked(CoreState.MergeListAlphabetic == 1);
}

void TListaMerge::Pass(bool first) {
    CoreState.MergeListAlphabetic = Alfabeticamente->isChecked() ? 1 : 0;
    if (SayWhenMaskEmpty()) return;
    BarProgress progress(Barra);
    MergePassOutcome outcome;
    {
        WaitCursor wait;
        outcome = first ? RunFirstMergePass(progress) : RunNextMergePass(progress);
    }
    if (outcome == MergePassOutcome::NoGroupField) Status->setText(Qs(LoadText(1041)));
    if (outcome == MergePassOutcome::OrderIndexMissing) Status->setText(Qs(LoadText(kNoAlphabeticOrderText)));
}

void TListaMerge::PrimoClick() {
    Pass(true);
}

void TListaMerge::SuccessivoClick() {
    Pass(false);
}

void TListaMerge::UnisceClick() {
    EsegueMergeClick();
}

void TListaMerge::EsegueMergeClick() {
    StepsInStatus steps(Status);
    if (JoinMergedLists(steps) == MergeJoinOutcome::NoFiles) {
        Status->setText(Qs(LoadText(1042)));
        return;
    }
    Status->setText(QStringLiteral("Ok"));
}

void TListaMerge::VisualizzaClick() {
    ShowTextViewer(this, ViewerFile::MergedList);
}

void TListaMerge::EsciClick() {
    CoreState.MergeListAlphabetic = Alfabeticamente->isChecked() ? 1 : 0;
    accept();
}

void TListaMerge::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenMergedListDialog(QWidget* owner) {
    TListaMerge dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

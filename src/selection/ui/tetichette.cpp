#include "selection/ui/tetichette.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/labels.h"
#include "selection/ui/tselezionamaschera.h"

namespace qv {

namespace {
constexpr int kHelpPage = 50;
}  // namespace

TEtichette::TEtichette(QWidget* owner) : QDialog(owner) {
    setObjectName("TEtichette");
    FormCreate();
}

void TEtichette::FormCreate() {
    setWindowTitle(Qs(LoadText(871)));
    Label1 = TextLabel(this, "Label1", 872);
    Label1->setToolTip(Qs(LoadText(873)));
    nRighe = HintEdit(this, "nRighe", 874);
    Label2 = TextLabel(this, "Label2", 875);
    Label3 = TextLabel(this, "Label3", 876);
    Label3->setToolTip(Qs(LoadText(877)));
    nCol = HintEdit(this, "nCol", 878);
    Label4 = TextLabel(this, "Label4", 879);
    Label4->setToolTip(Qs(LoadText(880)));
    nCar = HintEdit(this, "nCar", 881);
    Crea = TextButton(this, "Crea", 882, 883);
    Status = OutcomeEdit(this, "Status");
    Status->setToolTip(Qs(LoadText(884)));
    Visualizza = TextButton(this, "Visualizza", 885, 886);
    Esci = TextButton(this, "Esci", 887, 888);
    Help2 = TextButton(this, "Help2", 889, 890);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(nRighe, 0, 1);
    layout->addWidget(Label2, 0, 2);
    layout->addWidget(Label3, 1, 0);
    layout->addWidget(nCol, 1, 1);
    layout->addWidget(Label4, 2, 0);
    layout->addWidget(nCar, 2, 1);
    layout->addWidget(Crea, 3, 0);
    layout->addWidget(Status, 3, 1);
    layout->addWidget(Visualizza, 4, 0);
    layout->addWidget(Esci, 5, 0);
    layout->addWidget(Help2, 5, 1);

    connect(Crea, &QPushButton::clicked, this, &TEtichette::CreaClick);
    connect(Visualizza, &QPushButton::clicked, this, &TEtichette::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TEtichette::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TEtichette::Help2Click);

    // The rows shown are only a reminder: a label always has the mask's lines.
    nRighe->setText(QString::number(CountMaskLines()));
    nCol->setText(QString::number(CoreState.LabelColumns));
    nCar->setText(QString::number(CoreState.LabelWidth));
}

void TEtichette::StoreTypedSettings() {
    CoreState.LabelColumns = TypedWholeNumber(Cp(nCol->text()));
    CoreState.LabelWidth = TypedWholeNumber(Cp(nCar->text()));
}

void TEtichette::CreaClick() {
    StoreTypedSettings();
    Status->clear();
    if (SayWhenMaskEmpty()) return;
    try {
        WaitCursor wait;
        WriteLabels();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    Status->setText(QStringLiteral("Ok"));
}

void TEtichette::VisualizzaClick() {
    ShowTextViewer(this, ViewerFile::LabelSheet);
}

void TEtichette::EsciClick() {
    StoreTypedSettings();
    accept();
}

void TEtichette::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void ShowLabelsDialog(QWidget* owner) {
    TEtichette dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

#include "cardwindow/ui/trange.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "cardwindow/range_check.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/tesegue.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 75;

QLineEdit* Edit(QWidget* owner, const char* name, int hint, int value) {
    auto* e = new QLineEdit(QString::number(value), owner);
    e->setObjectName(name);
    e->setToolTip(Qs(LoadText(hint)));
    return e;
}

}  // namespace

TRange::TRange(QWidget* owner) : QDialog(owner) {
    setObjectName("TRange");
    FormCreate();
}

void TRange::FormCreate() {
    setWindowTitle(Qs(LoadText(1232)));
    Label1 = new QLabel(Qs(LoadText(1233)), this);
    nCom = Edit(this, "nCom", 1234, CoreState.CommuneField);
    Label2 = new QLabel(Qs(LoadText(1235)), this);
    nProv = Edit(this, "nProv", 1236, CoreState.ProvinceField);
    Crea = TextButton(this, "Crea", 1237, 1238);
    InizioFine = TextButton(this, "InizioFine", 1239, 1240);
    Esegue = TextButton(this, "Esegue", 1241, 1242);
    Esci = TextButton(this, "Esci", 1243, 1244);
    Help2 = TextButton(this, "Help2", 1245, 1246);
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);
    Aggiorna = new QPushButton(this);
    Aggiorna->setObjectName("Aggiorna");
    Aggiorna->hide();
    Controlla = new QPushButton(this);
    Controlla->setObjectName("Controlla");
    Controlla->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(nCom, 0, 1);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(nProv, 1, 1);
    layout->addWidget(Crea, 2, 0);
    layout->addWidget(InizioFine, 2, 1);
    layout->addWidget(Esegue, 3, 0, 1, 2);
    layout->addWidget(Status, 4, 0, 1, 2);
    layout->addWidget(Esci, 5, 0);
    layout->addWidget(Help2, 5, 1);

    connect(Crea, &QPushButton::clicked, this, &TRange::CreaClick);
    connect(InizioFine, &QPushButton::clicked, this, &TRange::InizioFineClick);
    connect(Esegue, &QPushButton::clicked, this, &TRange::EsegueClick);
    connect(Aggiorna, &QPushButton::clicked, this, &TRange::AggiornaClick);
    connect(Controlla, &QPushButton::clicked, this, &TRange::ControllaClick);
    connect(Esci, &QPushButton::clicked, this, &TRange::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TRange::Help2Click);
}

void TRange::CreaClick() {
    BuildProvinceRangeList();
    Status->setText(Qs(LoadText(1248)));
}

void TRange::InizioFineClick() {
    ShowTextViewer(this, ViewerFile::ProvinceRanges);
}

void TRange::EsegueClick() {
    AggiornaClick();
    if (!ArchiveWritable()) {
        Status->setText(Qs(LoadText(1247)));
        return;
    }
    Status->clear();
    if (!ControllaClick()) return;
    Status->setText("Ok");
    ShowTextViewer(this, ViewerFile::Report);
}

void TRange::AggiornaClick() {
    CoreState.CommuneField = LeadingCode(Cp(nCom->text()));
    CoreState.ProvinceField = LeadingCode(Cp(nProv->text()));
}

bool TRange::ControllaClick() {
    return OpenBatchRunner(this, kRangeCheckJob);
}

void TRange::EsciClick() {
    AggiornaClick();
    accept();
}

void TRange::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenRangeDialog(QWidget* owner) {
    TRange dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

#include "cardwindow/ui/tordinamento.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/order_index.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/progress.h"
#include "platform/text_file.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 66;

}  // namespace

TOrdinamento::TOrdinamento(QWidget* owner) : QDialog(owner) {
    setObjectName("TOrdinamento");
    FormCreate();
}

void TOrdinamento::FormCreate() {
    setWindowTitle(Qs(LoadText(1069)));
    Label1 = new QLabel(Qs(LoadText(1070)), this);
    ncar = new QComboBox(this);
    ncar->setObjectName("ncar");
    ncar->setToolTip(Qs(LoadText(1071)));
    Label2 = new QLabel(Qs(LoadText(1072)), this);
    EsegueAlfa = TextButton(this, "EsegueAlfa", 1073, 1074);
    EsegueTerritorio = TextButton(this, "EsegueTerritorio", 1075, 1076);
    Esci = TextButton(this, "Esci", 1077, 1078);
    Help2 = TextButton(this, "Help2", 1079, 1080);
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(ncar, 0, 1);
    layout->addWidget(Label2, 1, 0, 1, 2);
    layout->addWidget(EsegueAlfa, 2, 0);
    layout->addWidget(EsegueTerritorio, 2, 1);
    layout->addWidget(Barra, 3, 0, 1, 2);
    layout->addWidget(Status, 4, 0, 1, 2);
    layout->addWidget(Esci, 5, 0);
    layout->addWidget(Help2, 5, 1);

    // The choices go through the list staging file, as every list of the program does.
    TextBuilder choices;
    for (const char* c : {"1", "2", "3", "4"}) choices.Line(c);
    choices.Save(DataFilePath(data_file::kListStaging));
    if (const auto staged = TextReader::ReadLines(DataFilePath(data_file::kListStaging)))
        for (const std::string& choice : *staged) ncar->addItem(Qs(choice));
    ncar->setCurrentIndex(CoreState.SortKeyLength > 0 ? CoreState.SortKeyLength - 1 : -1);

    connect(EsegueAlfa, &QPushButton::clicked, this, &TOrdinamento::EsegueAlfaClick);
    connect(EsegueTerritorio, &QPushButton::clicked, this, &TOrdinamento::EsegueTerritorioClick);
    connect(Esci, &QPushButton::clicked, this, &TOrdinamento::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TOrdinamento::Help2Click);
}

int TOrdinamento::ChosenKeyLength() const {
    return ncar->currentIndex() + 1;
}

void TOrdinamento::EsegueAlfaClick() {
    if (CoreState.ListOrderField <= 0) {
        Status->setText(Qs(LoadText(1084)));
        return;
    }
    CoreState.SortKeyLength = ChosenKeyLength();
    BarProgress progress(Barra);
    OrderOutcome outcome;
    {
        WaitCursor wait;
        outcome = BuildAlphabeticalOrder(progress);
    }
    Barra->setValue(0);
    Status->setText(Qs(LoadText(outcome == OrderOutcome::NoOrderField ? 1084 : 1083)));
}

void TOrdinamento::EsegueTerritorioClick() {
    BarProgress progress(Barra);
    OrderOutcome outcome;
    {
        WaitCursor wait;
        outcome = BuildTerritorialOrder(progress);
    }
    Barra->setValue(1);
    if (outcome == OrderOutcome::ListMissing) Status->setText(Qs(LoadText(1081)));
}

void TOrdinamento::EsciClick() {
    CoreState.SortKeyLength = ChosenKeyLength();
    accept();
}

void TOrdinamento::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenOrderDialog(QWidget* owner) {
    TOrdinamento dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

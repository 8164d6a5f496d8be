#include "elaborations/ui/tconnessioni.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/common_captions.h"
#include "core/ui/form_kit.h"
#include "elaborations/connections_report.h"
#include "elaborations/simple_distribution_report.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/quantitative_forms.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 28;

QLineEdit* Edit(QWidget* parent, const char* name, bool readOnly) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

void SetTexts(QAbstractButton* b, int caption) {
    b->setText(Qs(LoadText(caption)));
    b->setToolTip(Qs(LoadText(caption + 1)));
}

}  // namespace

TConnessioni::TConnessioni(QWidget* owner) : QDialog(owner) {
    setObjectName("TConnessioni");
    ColX = Edit(this, "ColX", true);
    RigX = Edit(this, "RigX", true);
    Colonne = NamedButton(this, "Colonne");
    Righe = NamedButton(this, "Righe");
    Elabora = NamedButton(this, "Elabora");
    banali = new QCheckBox(this);
    banali->setObjectName("banali");
    ChiQ = Edit(this, "ChiQ", false);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Visualizza = NamedButton(this, "Visualizza");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Help2->setText(Caption(kHelpCaption));

    auto* layout = new QGridLayout(this);
    layout->addWidget(ColX, 0, 0);
    layout->addWidget(Colonne, 0, 1);
    layout->addWidget(RigX, 1, 0);
    layout->addWidget(Righe, 1, 1);
    layout->addWidget(Elabora, 2, 0, 1, 2);
    layout->addWidget(banali, 3, 0, 1, 2);
    layout->addWidget(Label1, 4, 0);
    layout->addWidget(ChiQ, 4, 1);
    layout->addWidget(Visualizza, 5, 0, 1, 2);
    layout->addWidget(Esci, 6, 0);
    layout->addWidget(Help2, 6, 1);

    connect(Colonne, &QPushButton::clicked, this, &TConnessioni::ColonneClick);
    connect(Righe, &QPushButton::clicked, this, &TConnessioni::RigheClick);
    connect(Elabora, &QPushButton::clicked, this, &TConnessioni::ElaboraClick);
    connect(Visualizza, &QPushButton::clicked, this, &TConnessioni::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TConnessioni::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TConnessioni::Help2Click);
    FormCreate();
}

void TConnessioni::FormCreate() {
    setWindowTitle(Qs(LoadText(300)));
    ColX->setToolTip(Qs(LoadText(301)));
    SetTexts(Colonne, 302);
    RigX->setToolTip(Qs(LoadText(304)));
    SetTexts(Righe, 305);
    SetTexts(Elabora, 307);
    SetTexts(banali, 309);
    ChiQ->setToolTip(Qs(LoadText(311)));
    Label1->setText(Qs(LoadText(312)));
    SetTexts(Visualizza, 313);
    SetTexts(Esci, 315);
    CoreState.ElaborationMode = 1;
    ShowCounts();
    banali->setChecked(CoreState.HideTrivialConnections != 0);
    ChiQ->setText(Qs(FormatMinChiSquare(CoreState.MinChiSquare)));
}

void TConnessioni::ShowCounts() {
    const GridCategoryCount count = CountGridCategories(kMaxConnectionColumns);
    int columns = 0;
    for (int line = 0; line < count.Lines; ++line) columns += StandardColumnFlags[size_t(line)] != 0;
    RigX->setText(QString::number(count.Rows));
    ColX->setText(QString::number(columns));
}

void TConnessioni::StoreOptions() {
    CoreState.HideTrivialConnections = banali->isChecked() ? 1 : 0;
    // A text that is not a number keeps the minimum in force, shown again.
    double minimum = CoreState.MinChiSquare;
    if (ParseMinChiSquare(Cp(ChiQ->text()), minimum))
        CoreState.MinChiSquare = minimum;
    else
        ChiQ->setText(Qs(FormatMinChiSquare(CoreState.MinChiSquare)));
}

void TConnessioni::ColonneClick() {
    OpenColumnPicker(this);
    ShowCounts();
}

void TConnessioni::RigheClick() {
    OpenRowPicker(this);
    ShowCounts();
}

void TConnessioni::ElaboraClick() {
    if (RefuseGridTooLong()) return;
    OpenBatchRunner(this, kCategoryCountJob);
}

void TConnessioni::VisualizzaClick() {
    StoreOptions();
    if (RefuseGridTooLong()) return;
    CountTableState written = CountTableState::Missing;
    try {
        WaitCursor wait;
        written = WriteConnectionsReport();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    OpenCountReport(this, written);
}

void TConnessioni::EsciClick() {
    StoreOptions();
    accept();
}

void TConnessioni::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

void OpenConnections(QWidget* owner) {
    TConnessioni dialog(owner);
    ShowModal(dialog);
}

void RegisterConnectionDialogs() {
    RegisterElaborationDialog(ElaborationDialog::Connections, &OpenConnections);
    RegisterElaborationDialog(ElaborationDialog::QuantitativeTables, &OpenQuantitativeTables);
}

}  // namespace qv

#include "elaborations/ui/tsemplici.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "elaborations/simple_distribution_report.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/viewer_calls.h"
#include "elaborations/ui/weights_dialogs.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 87;

void SetTexts(QWidget* w, int caption) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(Qs(LoadText(caption)));
    w->setToolTip(Qs(LoadText(caption + 1)));
}

}  // namespace

TSemplici::TSemplici(QWidget* owner) : QDialog(owner) {
    setObjectName("TSemplici");
    RigX = new QLineEdit(this);
    RigX->setObjectName("RigX");
    RigX->setReadOnly(true);
    righe = NamedButton(this, "righe");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    quant = NamedCheckBox(this, "quant");
    Quantitativa = NamedButton(this, "Quantitativa");
    ELABORA = NamedButton(this, "ELABORA");
    intestazioni = NamedCheckBox(this, "intestazioni");
    salta = NamedCheckBox(this, "salta");
    cumulate = NamedCheckBox(this, "cumulate");
    tabulatore = NamedCheckBox(this, "tabulatore");
    Esci = NamedButton(this, "Esci");
    Visualizza = NamedButton(this, "Visualizza");
    Help2 = NamedButton(this, "Help2");
    MancaGriglia = NamedButton(this, "MancaGriglia");
    MancaGriglia->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(RigX, 0, 1);
    layout->addWidget(righe, 0, 2);
    layout->addWidget(quant, 1, 0);
    layout->addWidget(Quantitativa, 1, 1);
    layout->addWidget(ELABORA, 1, 2);
    layout->addWidget(intestazioni, 2, 0);
    layout->addWidget(salta, 2, 1);
    layout->addWidget(cumulate, 3, 0);
    layout->addWidget(tabulatore, 3, 1);
    layout->addWidget(Visualizza, 4, 0);
    layout->addWidget(Esci, 4, 1);
    layout->addWidget(Help2, 4, 2);

    connect(righe, &QPushButton::clicked, this, &TSemplici::righeClick);
    connect(Quantitativa, &QPushButton::clicked, this, &TSemplici::QuantitativaClick);
    connect(MancaGriglia, &QPushButton::clicked, this, &TSemplici::MancaGrigliaClick);
    connect(ELABORA, &QPushButton::clicked, this, &TSemplici::ELABORAClick);
    connect(Visualizza, &QPushButton::clicked, this, &TSemplici::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TSemplici::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TSemplici::Help2Click);
    FormCreate();
}

void TSemplici::FormCreate() {
    setWindowTitle(Qs(LoadText(1370)));
    RigX->setToolTip(Qs(LoadText(1371)));
    SetTexts(righe, 1372);
    Label1->setText(Qs(LoadText(1374)));
    quant->setText(Qs(LoadText(kQuantUnitCaptionText)));
    quant->setToolTip(Qs(LoadText(1375)));
    SetTexts(Quantitativa, 1376);
    SetTexts(ELABORA, 1378);
    SetTexts(intestazioni, 1380);
    SetTexts(salta, 1382);
    SetTexts(cumulate, 1384);
    SetTexts(tabulatore, 1386);
    SetTexts(Esci, 1388);
    SetTexts(Visualizza, 1390);
    SetTexts(Help2, 1392);
    CoreState.ElaborationMode = 1;
    intestazioni->setChecked(CoreState.DistributionHeadings != 0);
    salta->setChecked(CoreState.SkipEmptyRows != 0);
    cumulate->setChecked(CoreState.Cumulate != 0);
    tabulatore->setChecked(CoreState.TabSeparators != 0);
    quant->setChecked(CoreState.CountByQuantUnit != 0);
    ShowRowCount();
}

void TSemplici::ShowRowCount() {
    RigX->setText(QString::number(CountGridCategories().Rows));
}

void TSemplici::StoreOptions() {
    CoreState.DistributionHeadings = intestazioni->isChecked() ? 1 : 0;
    CoreState.SkipEmptyRows = salta->isChecked() ? 1 : 0;
    CoreState.Cumulate = cumulate->isChecked() ? 1 : 0;
    CoreState.TabSeparators = tabulatore->isChecked() ? 1 : 0;
    CoreState.CountByQuantUnit = quant->isChecked() ? 1 : 0;
}

void TSemplici::righeClick() {
    OpenElaborationDialog(ElaborationDialog::RowPicker, this);
    ShowRowCount();
}

void TSemplici::QuantitativaClick() {
    if (FileOpens(data_file::kQuantGrid))
        OpenElaborationDialog(ElaborationDialog::QuantitativeUnit, this);
    else
        MancaGrigliaClick();
}

void TSemplici::MancaGrigliaClick() {
    ShowMissingGridNotice(this);
}

void TSemplici::ELABORAClick() {
    StoreOptions();
    if (RefuseGridTooLong()) return;
    OpenBatchRunner(this, kCategoryCountJob);
    // The counting may have turned the unit option off (no quantitative grid).
    quant->setChecked(CoreState.CountByQuantUnit != 0);
}

void TSemplici::VisualizzaClick() {
    StoreOptions();
    CountTableState written = CountTableState::Missing;
    try {
        WaitCursor wait;
        written = WriteSimpleDistributionReport();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    // A heading file that did not open leaves the option off until it is ticked again.
    intestazioni->setChecked(CoreState.DistributionHeadings != 0);
    OpenCountReport(this, written);
}

void TSemplici::EsciClick() {
    StoreOptions();
    accept();
}

void TSemplici::Help2Click() {
    ShowHelpPageThenClear(this, kHelpPage);
}

}  // namespace qv

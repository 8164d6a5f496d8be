#include "elaborations/ui/tdoppie.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/cross_table_report.h"
#include "elaborations/simple_distribution_report.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/pickers.h"
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

constexpr int kHelpPage = 33;

void SetTexts(QAbstractButton* b, int caption) {
    b->setText(Qs(LoadText(caption)));
    b->setToolTip(Qs(LoadText(caption + 1)));
}

}  // namespace

TDoppie::TDoppie(QWidget* owner) : QDialog(owner) {
    setObjectName("TDoppie");
    RigX = new QLineEdit(this);
    RigX->setObjectName("RigX");
    RigX->setReadOnly(true);
    ColX = new QLineEdit(this);
    ColX->setObjectName("ColX");
    ColX->setReadOnly(true);
    Righe = NamedButton(this, "Righe");
    Colonne = NamedButton(this, "Colonne");
    quant = NamedCheckBox(this, "quant");
    Quantitativa = NamedButton(this, "Quantitativa");
    Elabora = NamedButton(this, "Elabora");
    intesta = NamedCheckBox(this, "intesta");
    salta = NamedCheckBox(this, "salta");
    pColonna = NamedCheckBox(this, "pColonna");
    pRiga = NamedCheckBox(this, "pRiga");
    pTotale = NamedCheckBox(this, "pTotale");
    amplia = NamedCheckBox(this, "amplia");
    contorni = NamedCheckBox(this, "contorni");
    tabulatori = NamedCheckBox(this, "tabulatori");
    ChiQ = NamedCheckBox(this, "ChiQ");
    Visualizza = NamedButton(this, "Visualizza");
    Sinottico = NamedButton(this, "Sinottico");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    MancaGriglia = NamedButton(this, "MancaGriglia");
    MancaGriglia->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(RigX, 0, 0);
    layout->addWidget(Righe, 0, 1);
    layout->addWidget(ColX, 1, 0);
    layout->addWidget(Colonne, 1, 1);
    layout->addWidget(quant, 2, 0);
    layout->addWidget(Quantitativa, 2, 1);
    layout->addWidget(Elabora, 3, 0, 1, 2);
    int row = 4;
    for (QCheckBox* c : {intesta, salta, pColonna, pRiga, pTotale, amplia, contorni, tabulatori, ChiQ})
        layout->addWidget(c, row++, 0, 1, 2);
    layout->addWidget(Visualizza, row, 0);
    layout->addWidget(Sinottico, row++, 1);
    layout->addWidget(Esci, row, 0);
    layout->addWidget(Help2, row, 1);

    connect(Righe, &QPushButton::clicked, this, &TDoppie::RigheClick);
    connect(Colonne, &QPushButton::clicked, this, &TDoppie::ColonneClick);
    connect(Quantitativa, &QPushButton::clicked, this, &TDoppie::QuantitativaClick);
    connect(Elabora, &QPushButton::clicked, this, &TDoppie::ElaboraClick);
    connect(Visualizza, &QPushButton::clicked, this, &TDoppie::VisualizzaClick);
    connect(Sinottico, &QPushButton::clicked, this, &TDoppie::SinotticoClick);
    connect(Esci, &QPushButton::clicked, this, &TDoppie::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TDoppie::Help2Click);
    connect(MancaGriglia, &QPushButton::clicked, this, &TDoppie::MancaGrigliaClick);
    FormCreate();
}

void TDoppie::FormCreate() {
    setWindowTitle(Qs(LoadText(350)));
    RigX->setToolTip(Qs(LoadText(351)));
    SetTexts(Righe, 352);
    ColX->setToolTip(Qs(LoadText(354)));
    SetTexts(Colonne, 355);
    quant->setText(Qs(LoadText(kQuantUnitCaptionText)));
    quant->setToolTip(Qs(LoadText(357)));
    SetTexts(Quantitativa, 358);
    Elabora->setText(Qs(LoadText(307)));
    int text = 360;
    for (QCheckBox* c : {intesta, salta, pColonna, pRiga, pTotale, amplia, contorni, tabulatori, ChiQ}) {
        SetTexts(c, text);
        text += 2;
    }
    SetTexts(Visualizza, 378);
    SetTexts(Sinottico, 380);
    SetTexts(Esci, 382);
    SetTexts(Help2, 384);
    CoreState.ElaborationMode = 1;
    ShowCounts();
    ShowOptions();
}

void TDoppie::ShowCounts() {
    const GridCategoryCount count = CountGridCategories();
    int columns = 0;
    for (int line = 0; line < count.Lines; ++line) columns += StandardColumnFlags[size_t(line)] != 0;
    RigX->setText(QString::number(count.Rows));
    ColX->setText(QString::number(columns));
}

void TDoppie::ShowOptions() {
    intesta->setChecked(CoreState.TableHeadings != 0);
    salta->setChecked(CoreState.SkipEmptyRows != 0);
    pColonna->setChecked(CoreState.PercentColumn != 0);
    pRiga->setChecked(CoreState.PercentRow != 0);
    pTotale->setChecked(CoreState.PercentTotal != 0);
    amplia->setChecked(CoreState.WideCells != 0);
    contorni->setChecked(CoreState.CellBorders != 0);
    tabulatori->setChecked(CoreState.TabSeparators != 0);
    ChiQ->setChecked(CoreState.ChiSquare != 0);
    quant->setChecked(CoreState.CountByQuantUnit != 0);
}

void TDoppie::StoreOptions() {
    auto on = [](QCheckBox* c) { return uint8_t(c->isChecked() ? 1 : 0); };
    CoreState.TableHeadings = on(intesta);
    CoreState.SkipEmptyRows = on(salta);
    CoreState.PercentColumn = on(pColonna);
    CoreState.PercentRow = on(pRiga);
    CoreState.PercentTotal = on(pTotale);
    CoreState.WideCells = on(amplia);
    CoreState.CellBorders = on(contorni);
    CoreState.TabSeparators = on(tabulatori);
    CoreState.ChiSquare = on(ChiQ);
    CoreState.CountByQuantUnit = on(quant);
}

void TDoppie::RigheClick() {
    OpenRowPicker(this);
    ShowCounts();
}

void TDoppie::ColonneClick() {
    OpenColumnPicker(this);
    ShowCounts();
}

void TDoppie::QuantitativaClick() {
    if (FileOpens(data_file::kQuantGrid))
        OpenQuantitativeUnit(this);
    else
        MancaGrigliaClick();
}

void TDoppie::MancaGrigliaClick() {
    ShowMissingGridNotice(this);
}

void TDoppie::ElaboraClick() {
    StoreOptions();
    if (RefuseGridTooLong()) return;
    OpenBatchRunner(this, kCategoryCountJob);
    // The counting may have turned the unit option off (no quantitative grid).
    ShowOptions();
}

void TDoppie::ShowReport(CountTableState (*write)()) {
    StoreOptions();
    CountTableState written = CountTableState::Missing;
    try {
        WaitCursor wait;
        written = write();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    // A missing chi-square table or heading file turns its option off.
    ShowOptions();
    OpenCountReport(this, written);
}

void TDoppie::VisualizzaClick() {
    ShowReport(&WriteCrossTableReport);
}
void TDoppie::SinotticoClick() {
    ShowReport(&WriteSynopticTable);
}

void TDoppie::EsciClick() {
    StoreOptions();
    accept();
}

void TDoppie::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

void OpenCrossTables(QWidget* owner) {
    TDoppie dialog(owner);
    ShowModal(dialog);
}

void RegisterCrossTableDialogs() {
    RegisterElaborationDialog(ElaborationDialog::CrossTables, &OpenCrossTables);
    RegisterElaborationDialog(ElaborationDialog::RowPicker, &OpenRowPicker);
    RegisterElaborationDialog(ElaborationDialog::QuantitativeUnit, &OpenQuantitativeUnit);
}

}  // namespace qv

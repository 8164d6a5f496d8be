#include "quick/ui/quick_report_forms.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/connections_report.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/quick_counts.h"
#include "quick/quick_reports.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_forms.h"

namespace qv {

namespace {

constexpr int kDistributionsHelpPage = 46, kCrossTablesHelpPage = 39, kConceptsHelpPage = 35;

QLineEdit* Edit(QWidget* parent, const char* name, bool readOnly) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

// Caption `caption` and hint `caption + 1`.
void SetTexts(QAbstractButton* w, int caption) {
    w->setText(Qs(LoadText(caption)));
    w->setToolTip(Qs(LoadText(caption + 1)));
}

void Check(QCheckBox* box, uint8_t option) {
    box->setChecked(option != 0);
}

uint8_t Checked(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// Writes a report with the wait cursor and the form's bar, then shows it; an input/output
// error shows its message instead, and no older report passes for the new one.
template <typename Write>
void WriteAndShow(QWidget* owner, QProgressBar* bar, Write write) {
    bool written = false;
    GuardedIo([&] {
        WaitCursor wait;
        BarProgress progress(bar);
        write(progress);
        written = true;
    });
    if (written) OpenReportViewer(owner);
}

}  // namespace

TElabVelociSemplici::TElabVelociSemplici(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociSemplici");
    RigX = Edit(this, "RigX", true);
    righe2 = NamedButton(this, "righe2");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    quant = NamedCheckBox(this, "quant");
    intestazioni = NamedCheckBox(this, "intestazioni");
    frequenza = NamedCheckBox(this, "frequenza");
    salta = NamedCheckBox(this, "salta");
    cumulate = NamedCheckBox(this, "cumulate");
    tabulatore = NamedCheckBox(this, "tabulatore");
    Visualizza = NamedButton(this, "Visualizza");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Barra = IdleProgressBar(this, "Barra");
    Quantitativa = NamedButton(this, "Quantitativa");
    MancaGriglia = NamedButton(this, "MancaGriglia");
    Quantitativa->hide();
    MancaGriglia->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(RigX, 0, 1);
    layout->addWidget(righe2, 0, 2);
    layout->addWidget(quant, 1, 0);
    layout->addWidget(intestazioni, 1, 1);
    layout->addWidget(frequenza, 1, 2);
    layout->addWidget(salta, 2, 0);
    layout->addWidget(cumulate, 2, 1);
    layout->addWidget(tabulatore, 2, 2);
    layout->addWidget(Barra, 3, 0, 1, 3);
    layout->addWidget(Visualizza, 4, 0);
    layout->addWidget(Esci, 4, 1);
    layout->addWidget(Help2, 4, 2);

    connect(righe2, &QPushButton::clicked, this, &TElabVelociSemplici::righe2Click);
    connect(Quantitativa, &QPushButton::clicked, this, &TElabVelociSemplici::QuantitativaClick);
    connect(MancaGriglia, &QPushButton::clicked, this, &TElabVelociSemplici::MancaGrigliaClick);
    connect(Visualizza, &QPushButton::clicked, this, &TElabVelociSemplici::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociSemplici::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociSemplici::Help2Click);
    FormCreate();
}

void TElabVelociSemplici::FormCreate() {
    setWindowTitle(Qs(LoadText(801)));
    RigX->setToolTip(Qs(LoadText(802)));
    SetTexts(righe2, 803);
    Label1->setText(Qs(LoadText(805)));
    SetTexts(quant, 806);
    SetTexts(intestazioni, 808);
    frequenza->setText(Qs(LoadText(810)));
    SetTexts(salta, 811);
    SetTexts(cumulate, 813);
    SetTexts(tabulatore, 815);
    SetTexts(Visualizza, 817);
    SetTexts(Esci, 819);
    SetTexts(Help2, 821);
    CoreState.ElaborationMode = 2;
    ShowOptions();
    ShowRowCount();
}

void TElabVelociSemplici::ShowOptions() {
    Check(intestazioni, CoreState.DistributionHeadings);
    Check(cumulate, CoreState.Cumulate);
    Check(salta, CoreState.SkipEmptyRows);
    Check(quant, CoreState.CountByQuantUnit);
    Check(tabulatore, CoreState.TabSeparators);
    Check(frequenza, CoreState.ShowFrequencies);
}

void TElabVelociSemplici::StoreOptions() {
    CoreState.DistributionHeadings = Checked(intestazioni);
    CoreState.Cumulate = Checked(cumulate);
    CoreState.SkipEmptyRows = Checked(salta);
    CoreState.CountByQuantUnit = Checked(quant);
    CoreState.TabSeparators = Checked(tabulatore);
    CoreState.ShowFrequencies = Checked(frequenza);
}

void TElabVelociSemplici::ShowRowCount() {
    RigX->setText(QString::number(CountQuickLines(false).Rows));
}

void TElabVelociSemplici::righe2Click() {
    OpenRowPicker(this);
    ShowRowCount();
}

void TElabVelociSemplici::QuantitativaClick() {
    if (FileOpens(data_file::kQuickQuantGrid))
        OpenElaborationDialog(ElaborationDialog::QuantitativeUnit, this);
    else
        MancaGrigliaClick();
}

void TElabVelociSemplici::MancaGrigliaClick() {
    ShowMissingGridNotice(this);
}

void TElabVelociSemplici::VisualizzaClick() {
    StoreOptions();
    WriteAndShow(this, Barra, [](Progress& p) { WriteQuickDistributionReport(p); });
    // Options that their files turned off show as off.
    ShowOptions();
}

void TElabVelociSemplici::EsciClick() {
    StoreOptions();
    accept();
}

void TElabVelociSemplici::Help2Click() {
    OpenHelpPage(this, kDistributionsHelpPage);
}

TElabVelociDoppie::TElabVelociDoppie(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociDoppie");
    ColX = Edit(this, "ColX", true);
    Colonne2 = NamedButton(this, "Colonne2");
    RigX = Edit(this, "RigX", true);
    Righe2 = NamedButton(this, "Righe2");
    quant = NamedCheckBox(this, "quant");
    intesta = NamedCheckBox(this, "intesta");
    salta = NamedCheckBox(this, "salta");
    frequenze = NamedCheckBox(this, "frequenze");
    pColonna = NamedCheckBox(this, "pColonna");
    pRiga = NamedCheckBox(this, "pRiga");
    pTotale = NamedCheckBox(this, "pTotale");
    amplia = NamedCheckBox(this, "amplia");
    tabulatori = NamedCheckBox(this, "tabulatori");
    ChiQ = NamedCheckBox(this, "ChiQ");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    ChiQua = Edit(this, "ChiQua", false);
    VedeTab = NamedButton(this, "VedeTab");
    VedeConnessioni = NamedButton(this, "VedeConnessioni");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Concetti = NamedButton(this, "Concetti");
    Barra = IdleProgressBar(this, "Barra");
    Barra2 = IdleProgressBar(this, "Barra2");
    MancaGriglia = NamedButton(this, "MancaGriglia");
    banali = NamedCheckBox(this, "banali");
    MancaGriglia->hide();
    banali->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(RigX, 0, 0);
    layout->addWidget(Righe2, 0, 1);
    layout->addWidget(ColX, 0, 2);
    layout->addWidget(Colonne2, 0, 3);
    layout->addWidget(quant, 1, 0);
    layout->addWidget(intesta, 1, 1);
    layout->addWidget(salta, 1, 2);
    layout->addWidget(frequenze, 1, 3);
    layout->addWidget(pColonna, 2, 0);
    layout->addWidget(pRiga, 2, 1);
    layout->addWidget(pTotale, 2, 2);
    layout->addWidget(amplia, 2, 3);
    layout->addWidget(tabulatori, 3, 0);
    layout->addWidget(ChiQ, 3, 1);
    layout->addWidget(VedeTab, 3, 3);
    layout->addWidget(Barra, 4, 0, 1, 4);
    layout->addWidget(Label1, 5, 0);
    layout->addWidget(ChiQua, 5, 1);
    layout->addWidget(VedeConnessioni, 5, 3);
    layout->addWidget(Barra2, 6, 0, 1, 4);
    layout->addWidget(Esci, 7, 0);
    layout->addWidget(Help2, 7, 1);
    layout->addWidget(Concetti, 7, 2);

    connect(Righe2, &QPushButton::clicked, this, &TElabVelociDoppie::Righe2Click);
    connect(Colonne2, &QPushButton::clicked, this, &TElabVelociDoppie::Colonne2Click);
    connect(VedeTab, &QPushButton::clicked, this, &TElabVelociDoppie::VedeTabClick);
    connect(VedeConnessioni, &QPushButton::clicked, this, &TElabVelociDoppie::VedeConnessioniClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociDoppie::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociDoppie::Help2Click);
    connect(Concetti, &QPushButton::clicked, this, &TElabVelociDoppie::ConcettiClick);
    connect(MancaGriglia, &QPushButton::clicked, this, &TElabVelociDoppie::MancaGrigliaClick);
    FormCreate();
}

void TElabVelociDoppie::FormCreate() {
    setWindowTitle(Qs(LoadText(546)));
    ColX->setToolTip(Qs(LoadText(547)));
    SetTexts(Colonne2, 548);
    RigX->setToolTip(Qs(LoadText(550)));
    SetTexts(Righe2, 551);
    SetTexts(quant, 553);
    SetTexts(intesta, 555);
    SetTexts(salta, 557);
    frequenze->setText(Qs(LoadText(559)));
    SetTexts(pColonna, 560);
    SetTexts(pRiga, 562);
    SetTexts(pTotale, 564);
    SetTexts(amplia, 566);
    SetTexts(tabulatori, 568);
    SetTexts(ChiQ, 570);
    SetTexts(VedeTab, 572);
    Label1->setText(Qs(LoadText(574)));
    SetTexts(VedeConnessioni, 575);
    SetTexts(Esci, 577);
    SetTexts(Help2, 579);
    Concetti->setText(Qs(LoadText(581)));
    ChiQua->setText(Qs(FormatMinChiSquare(CoreState.MinChiSquare)));
    CoreState.ElaborationMode = 2;
    ShowCounts();
    ShowOptions();
}

void TElabVelociDoppie::ShowCounts() {
    const QuickLineCount count = CountQuickLines(true);
    RigX->setText(QString::number(count.Rows));
    ColX->setText(QString::number(count.Columns));
}

void TElabVelociDoppie::ShowOptions() {
    Check(quant, CoreState.CountByQuantUnit);
    Check(intesta, CoreState.TableHeadings);
    Check(salta, CoreState.SkipEmptyRows);
    Check(frequenze, CoreState.ShowFrequencies);
    Check(pColonna, CoreState.PercentColumn);
    Check(pRiga, CoreState.PercentRow);
    Check(pTotale, CoreState.PercentTotal);
    Check(amplia, CoreState.WideCells);
    Check(tabulatori, CoreState.TabSeparators);
    Check(ChiQ, CoreState.ChiSquare);
}

void TElabVelociDoppie::StoreOptions() {
    CoreState.CountByQuantUnit = Checked(quant);
    CoreState.TableHeadings = Checked(intesta);
    CoreState.SkipEmptyRows = Checked(salta);
    CoreState.ShowFrequencies = Checked(frequenze);
    CoreState.PercentColumn = Checked(pColonna);
    CoreState.PercentRow = Checked(pRiga);
    CoreState.PercentTotal = Checked(pTotale);
    CoreState.WideCells = Checked(amplia);
    CoreState.TabSeparators = Checked(tabulatori);
    CoreState.ChiSquare = Checked(ChiQ);
}

void TElabVelociDoppie::StoreMinimum() {
    // A text that is not a number keeps the minimum in force, shown again.
    double minimum = CoreState.MinChiSquare;
    if (ParseMinChiSquare(Cp(ChiQua->text()), minimum))
        CoreState.MinChiSquare = minimum;
    else
        ChiQua->setText(Qs(FormatMinChiSquare(CoreState.MinChiSquare)));
}

void TElabVelociDoppie::Righe2Click() {
    OpenRowPicker(this);
    ShowCounts();
}

void TElabVelociDoppie::Colonne2Click() {
    OpenColumnPicker(this);
    ShowCounts();
}

void TElabVelociDoppie::VedeTabClick() {
    StoreOptions();
    WriteAndShow(this, Barra, [](Progress& p) { WriteQuickCrossTableReport(p); });
    // Row percentages without frequencies, and options whose files are missing, show as off.
    ShowOptions();
}

void TElabVelociDoppie::VedeConnessioniClick() {
    StoreMinimum();
    WriteAndShow(this, Barra2, [](Progress& p) { WriteQuickConnectionsReport(p); });
}

void TElabVelociDoppie::EsciClick() {
    StoreOptions();
    StoreMinimum();
    accept();
}

void TElabVelociDoppie::Help2Click() {
    OpenHelpPage(this, kCrossTablesHelpPage);
}

void TElabVelociDoppie::ConcettiClick() {
    OpenHelpPage(this, kConceptsHelpPage);
}

void TElabVelociDoppie::MancaGrigliaClick() {
    ShowMissingGridNotice(this);
}

void OpenQuickSimpleDistributions(QWidget* owner) {
    TElabVelociSemplici dialog(owner);
    ShowModal(dialog);
}

void OpenQuickCrossTables(QWidget* owner) {
    TElabVelociDoppie dialog(owner);
    ShowModal(dialog);
}

void RegisterQuickReportForms() {
    RegisterQuickCommand(QuickCommand::SimpleDistributions, &OpenQuickSimpleDistributions);
    RegisterQuickCommand(QuickCommand::CrossTables, &OpenQuickCrossTables);
}

}  // namespace qv

#include "quick/ui/telabvelocireports.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/text_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/card_set_condition.h"
#include "quick/quick_selection.h"
#include "quick/report_table.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_forms.h"
#include "quick/ui/report_table_view.h"
#include "quick/ui/telabvelociseleziona.h"

namespace qv {

namespace {

constexpr int kHelpPage = 44;
constexpr int kNewLogText = 722;
constexpr int kConditionLeftOutText = 1963;

void Fill(QComboBox* combo, const std::vector<std::string>& items) {
    combo->clear();
    for (const std::string& item : items) combo->addItem(Qs(item));
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

}  // namespace

TElabVelociReports::TElabVelociReports(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociReports");
    Condizione = NamedCombo(this, "Condizione");
    Seleziona = TextButton(this, "Seleziona", 703, 704);
    Cartina = TextButton(this, "Cartina", 705, 706);
    Cartina->setEnabled(false);
    Ulteriori = TextButton(this, "Ulteriori", 707, 708);
    Link = TextButton(this, "Link", 709, 710);
    Label3 = TextLabel(this, "Label3", 711);
    Testo = new QPlainTextEdit(this);
    Testo->setObjectName("Testo");
    Label1 = TextLabel(this, "Label1", 713);
    colonne = NamedCombo(this, "colonne");
    Label2 = TextLabel(this, "Label2", 715);
    righe = NamedCombo(this, "righe");
    Report = TextButton(this, "Report", 716, 717);
    Esci = TextButton(this, "Esci", 718, 719);
    Help2 = TextButton(this, "Help2", 720, 721);

    auto* g = new QGridLayout(this);
    g->addWidget(Condizione, 0, 0, 1, 2);
    g->addWidget(Seleziona, 0, 2);
    g->addWidget(Cartina, 1, 0);
    g->addWidget(Ulteriori, 1, 1);
    g->addWidget(Link, 1, 2);
    g->addWidget(Label3, 2, 0, 1, 3);
    g->addWidget(Testo, 3, 0, 1, 3);
    g->addWidget(Label1, 4, 0);
    g->addWidget(colonne, 4, 1, 1, 2);
    g->addWidget(Label2, 5, 0);
    g->addWidget(righe, 5, 1, 1, 2);
    g->addWidget(Report, 6, 0);
    g->addWidget(Esci, 6, 1);
    g->addWidget(Help2, 6, 2);

    connect(Seleziona, &QPushButton::clicked, this, &TElabVelociReports::SelezionaClick);
    connect(Cartina, &QPushButton::clicked, this, &TElabVelociReports::CartinaClick);
    connect(Ulteriori, &QPushButton::clicked, this, &TElabVelociReports::UlterioriClick);
    connect(Link, &QPushButton::clicked, this, &TElabVelociReports::LinkClick);
    connect(Report, &QPushButton::clicked, this, &TElabVelociReports::ReportClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociReports::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociReports::Help2Click);
    FormCreate();
}

void TElabVelociReports::FormCreate() {
    setWindowTitle(Qs(LoadText(701)));
    Condizione->setToolTip(Qs(LoadText(702)));
    Testo->setToolTip(Qs(LoadText(712)));
    colonne->setToolTip(Qs(LoadText(714)));

    Fill(Condizione, ReadSavedConditionTitles());
    if (CoreState.ReportCondition >= 0 && CoreState.ReportCondition < Condizione->count())
        Condizione->setCurrentIndex(CoreState.ReportCondition);
    Fill(colonne, ReadColumnSetTitles());
    Fill(righe, ReadRowSetTitles());
    GuardedIo([] {
        if (ReadSelectionLog()) return;
        TextBuilder log;
        log.Line(LoadText(kNewLogText));
        log.Save(SelectionLogPath());
    });
    LoadTesto();
}

void TElabVelociReports::LoadTesto() {
    QStringList lines;
    for (const std::string& line : ReadSelectionLog().value_or(std::vector<std::string>{})) lines << Qs(line);
    Testo->setPlainText(lines.join('\n'));
}

void TElabVelociReports::SaveTesto() {
    QStringList lines = Testo->toPlainText().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    TextBuilder log;
    for (const QString& line : lines) log.Line(Cp(line));
    GuardedIo([&log] { log.Save(SelectionLogPath()); });
}

void TElabVelociReports::ShowSelectionState() {
    if (CoreState.ReportCondition >= 0 && CoreState.ReportCondition < Condizione->count())
        Condizione->setCurrentIndex(CoreState.ReportCondition);
    LoadTesto();
}

void TElabVelociReports::SelezionaClick() {
    // With no saved condition there is nothing to apply.
    const int k = Condizione->currentIndex();
    if (k < 0) return;
    std::vector<std::string> skipped;
    GuardedIo([&] {
        WaitCursor wait;
        skipped = ApplySavedCondition(k, Cp(Condizione->itemText(k)));
    });
    LoadTesto();
    if (!skipped.empty()) ShowError(LoadText(kConditionLeftOutText) + JoinLines(skipped));
}

void TElabVelociReports::CartinaClick() {
    CoreState.ProceedFlag = 1;
    OpenQuickCommand(QuickCommand::Map, this);
    CoreState.ProceedFlag = 0;
}

void TElabVelociReports::UlterioriClick() {
    OpenQuickSelection(this);
    ShowSelectionState();
}

void TElabVelociReports::LinkClick() {
    CoreState.ProceedFlag = 1;
    OpenQuickCommand(QuickCommand::LinkedArchives, this);
    ShowSelectionState();
    CoreState.ProceedFlag = 0;
}

void TElabVelociReports::ReportClick() {
    CoreState.ProceedFlag = 1;
    SaveTesto();
    CoreState.ElaborationMode = righe->currentIndex() + 1;
    OpenReportTableView(this, colonne->currentIndex() + 1);
    CoreState.ElaborationMode = 2;
    CoreState.ProceedFlag = 0;
}

void TElabVelociReports::EsciClick() {
    SaveTesto();
    accept();
}

void TElabVelociReports::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenReportTables(QWidget* owner) {
    TElabVelociReports dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

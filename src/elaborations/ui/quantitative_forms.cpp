#include "elaborations/ui/quantitative_forms.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/core_state.h"
#include "core/station_settings.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/count_table.h"
#include "elaborations/quantitative_report.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/viewer_calls.h"
#include "elaborations/ui/weights_dialogs.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kTablesHelpPage = 72, kPickerHelpPage = 74;
constexpr int kNoQuantitativeVariableText = 1955, kNoQuantitativeCountsText = 1956;
constexpr const char* kRunListFilter = "*.squ";

QLineEdit* Count(QWidget* parent, const char* name, int hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setToolTip(Qs(LoadText(hint)));
    return e;
}

}  // namespace

TQuantitativeElab::TQuantitativeElab(QWidget* owner) : QDialog(owner) {
    setObjectName("TQuantitativeElab");
    RigX = Count(this, "RigX", 1171);
    Righe = TextButton(this, "Righe", 1172, 1173);
    ColX = Count(this, "ColX", 1174);
    SeleColonne = TextButton(this, "SeleColonne", 1175, 1176);
    Elabora = TextButton(this, "Elabora", 1177, 1178);
    Visualizza = TextButton(this, "Visualizza", 1179, 1180);
    Esci = TextButton(this, "Esci", 1181, 1182);
    QuadriSinottici = TextButton(this, "QuadriSinottici", 1183, 1184);
    QuadriSinottici->hide();
    Help2 = TextButton(this, "Help2", 1185, 1186);

    auto* layout = new QGridLayout(this);
    layout->addWidget(RigX, 0, 0);
    layout->addWidget(Righe, 0, 1);
    layout->addWidget(ColX, 1, 0);
    layout->addWidget(SeleColonne, 1, 1);
    layout->addWidget(Elabora, 2, 0);
    layout->addWidget(Visualizza, 2, 1);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);

    connect(Righe, &QPushButton::clicked, this, &TQuantitativeElab::RigheClick);
    connect(SeleColonne, &QPushButton::clicked, this, &TQuantitativeElab::SeleColonneClick);
    connect(Elabora, &QPushButton::clicked, this, &TQuantitativeElab::ElaboraClick);
    connect(Visualizza, &QPushButton::clicked, this, &TQuantitativeElab::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TQuantitativeElab::EsciClick);
    connect(QuadriSinottici, &QPushButton::clicked, this, &TQuantitativeElab::QuadriSinotticiClick);
    connect(Help2, &QPushButton::clicked, this, &TQuantitativeElab::Help2Click);
    FormCreate();
}

void TQuantitativeElab::FormCreate() {
    setWindowTitle(Qs(LoadText(1170)));
    ShowCounts();
}

void TQuantitativeElab::ShowCounts() {
    QuantitativeChoice choice;
    try {
        choice = PrepareQuantitativeColumns();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    RigX->setText(QString::number(choice.Rows));
    ColX->setText(QString::number(choice.Columns));
}

void TQuantitativeElab::RigheClick() {
    OpenQuantitativeVariablePicker(this);
    ShowCounts();
}

void TQuantitativeElab::SeleColonneClick() {
    OpenColumnPicker(this);
    ShowCounts();
}

void TQuantitativeElab::ElaboraClick() {
    OpenBatchRunner(this, kQuantitativeJob);
}

void TQuantitativeElab::VisualizzaClick() {
    QuantitativeReportOutcome outcome;
    try {
        WaitCursor wait;
        outcome = WriteQuantitativeReport();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    // Without figures there is no report, and an older one must not pass for it.
    if (outcome == QuantitativeReportOutcome::NoVariable) {
        ShowInfo(LoadText(kNoQuantitativeVariableText));
        return;
    }
    if (outcome == QuantitativeReportOutcome::NoCounts) {
        ShowInfo(LoadText(kNoQuantitativeCountsText));
        return;
    }
    if (outcome == QuantitativeReportOutcome::StaleCounts) {
        ShowInfo(LoadText(kStaleCountsText));
        return;
    }
    OpenReportViewer(this);
}

void TQuantitativeElab::EsciClick() {
    accept();
}

void TQuantitativeElab::QuadriSinotticiClick() {
    OpenReportViewer(this);
}

void TQuantitativeElab::Help2Click() {
    OpenHelpPage(this, kTablesHelpPage);
}

// -----------------------------------------------------------------------------------------------

TQuantModalita::TQuantModalita(QWidget* owner) : QDialog(owner) {
    setObjectName("TQuantModalita");
    nRighe = Count(this, "nRighe", 1217);
    Label1 = new QLabel(Qs(LoadText(1218)), this);
    Label1->setObjectName("Label1");
    modalita = FlagListBox(this, [this](int row) { modalitaClick(row); });
    modalita->setToolTip(Qs(LoadText(1219)));
    Esci = TextButton(this, "Esci", 1220, 1221);
    Disattiva = TextButton(this, "Disattiva", 1222, 1223);
    Attiva = TextButton(this, "Attiva", 1224, 1225);
    Salva = TextButton(this, "Salva", 1226, 1227);
    Recupera = TextButton(this, "Recupera", 1228, 1229);
    Help2 = TextButton(this, "Help2", 1230, 1231);

    auto* layout = new QGridLayout(this);
    layout->addWidget(modalita, 0, 0, 6, 1);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(nRighe, 1, 1);
    layout->addWidget(Attiva, 2, 1);
    layout->addWidget(Disattiva, 3, 1);
    layout->addWidget(Salva, 4, 1);
    layout->addWidget(Recupera, 5, 1);
    layout->addWidget(Esci, 6, 0);
    layout->addWidget(Help2, 6, 1);

    connect(Esci, &QPushButton::clicked, this, &TQuantModalita::EsciClick);
    connect(Disattiva, &QPushButton::clicked, this, &TQuantModalita::DisattivaClick);
    connect(Attiva, &QPushButton::clicked, this, &TQuantModalita::AttivaClick);
    connect(Salva, &QPushButton::clicked, this, &TQuantModalita::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TQuantModalita::RecuperaClick);
    connect(Help2, &QPushButton::clicked, this, &TQuantModalita::Help2Click);
    FormCreate();
}

void TQuantModalita::FormCreate() {
    setWindowTitle(Qs(LoadText(1216)));
    modalita->clear();
    // The names are staged through "tresca.txt", as every list of the elaborations.
    for (const std::string& name : QuantitativeVariableNames()) modalita->addItem(Qs(name));
    ShowFlags();
}

void TQuantModalita::ShowFlags() {
    ShowFlagSelection(modalita, QuantVarFlags, nRighe);
}

void TQuantModalita::modalitaClick(int item) {
    if (item < 0 || item >= modalita->count()) return;
    QuantVarFlags[size_t(item)] = QuantVarFlags[size_t(item)] ? 0 : 1;
    ShowFlags();
}

void TQuantModalita::SetAll(uint8_t value) {
    for (int i = 0; i < modalita->count(); ++i) QuantVarFlags[size_t(i)] = value;
    ShowFlags();
}

void TQuantModalita::EsciClick() {
    accept();
}
void TQuantModalita::DisattivaClick() {
    SetAll(0);
}
void TQuantModalita::AttivaClick() {
    SetAll(1);
}

void TQuantModalita::SalvaClick() {
    const std::string path = AskRunListName(FileDialogKind::Save, kRunListFilter);
    if (path.empty()) return;
    // Only the variables of the list: a flag left from a longer grid is not saved.
    FlagList listed{};
    for (int i = 0; i < modalita->count(); ++i) listed[size_t(i)] = QuantVarFlags[size_t(i)];
    try {
        SaveSelectionRunList(path, listed);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TQuantModalita::RecuperaClick() {
    const std::string path = AskRunListName(FileDialogKind::Open, kRunListFilter);
    if (path.empty()) return;
    // Runs past the list (or past the flags) set nothing.
    FlagList read{};
    LoadSelectionRunList(path, read);
    for (int i = 0; i < modalita->count(); ++i) QuantVarFlags[size_t(i)] = read[size_t(i)];
    ShowFlags();
}

void TQuantModalita::Help2Click() {
    OpenHelpPage(this, kPickerHelpPage);
}

// -----------------------------------------------------------------------------------------------

void OpenQuantitativeTables(QWidget* owner) {
    TQuantitativeElab dialog(owner);
    ShowModal(dialog);
}

void OpenQuantitativeVariablePicker(QWidget* owner) {
    TQuantModalita picker(owner);
    ShowModal(picker);
}

}  // namespace qv

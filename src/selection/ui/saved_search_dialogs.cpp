#include "selection/ui/saved_search_dialogs.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/saved_search_files.h"

namespace qv {

namespace {

constexpr int kSaveHelpPage = 83;
constexpr int kRecallHelpPage = 20;
const QString kDone = QStringLiteral("Ok");
const QString kNotDone = QStringLiteral("???");

void LayOut(QDialog* dialog, QPushButton* ricerca, QLineEdit* ok1, QPushButton* condizioni, QLineEdit* ok2,
            QPushButton* territorio, QLineEdit* ok3, QPushButton* esci, QPushButton* help) {
    auto* layout = new QGridLayout(dialog);
    layout->addWidget(ricerca, 0, 0);
    layout->addWidget(ok1, 0, 1);
    layout->addWidget(condizioni, 1, 0);
    layout->addWidget(ok2, 1, 1);
    layout->addWidget(territorio, 2, 0);
    layout->addWidget(ok3, 2, 1);
    layout->addWidget(esci, 3, 0);
    layout->addWidget(help, 3, 1);
}

}  // namespace

// ---- TSalvaRicerca ----

TSalvaRicerca::TSalvaRicerca(QWidget* owner) : QDialog(owner) {
    setObjectName("TSalvaRicerca");
    FormCreate();
}

void TSalvaRicerca::FormCreate() {
    setWindowTitle(Qs(LoadText(1325)));
    Ricerca = TextButton(this, "Ricerca", 1326, 1327);
    Condizioni = TextButton(this, "Condizioni", 1328, 1329);
    Territorio = TextButton(this, "Territorio", 1330, 1331);
    Ok1 = OutcomeEdit(this, "Ok1");
    Ok2 = OutcomeEdit(this, "Ok2");
    Ok3 = OutcomeEdit(this, "Ok3");
    Esci = TextButton(this, "Esci", 1332, 1333);
    Help2 = TextButton(this, "Help2", 1334, 1335);
    LayOut(this, Ricerca, Ok1, Condizioni, Ok2, Territorio, Ok3, Esci, Help2);

    connect(Ricerca, &QPushButton::clicked, this, &TSalvaRicerca::RicercaClick);
    connect(Condizioni, &QPushButton::clicked, this, &TSalvaRicerca::CondizioniClick);
    connect(Territorio, &QPushButton::clicked, this, &TSalvaRicerca::TerritorioClick);
    connect(Esci, &QPushButton::clicked, this, &TSalvaRicerca::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TSalvaRicerca::Help2Click);
}

std::string TSalvaRicerca::AskSaveName(const std::string& directory, const char* proposed) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = directory;
    request.fileName = proposed;
    return AskFileName(request);
}

void TSalvaRicerca::RicercaClick() {
    const std::string chosen = AskSaveName(CoreState.ProgramDir, "*.sta");
    if (chosen.empty()) {
        Ok1->setText(kNotDone);
        return;
    }
    SaveStatistics(SavedSearchFileName(chosen, ".sta"));
    Ok1->setText(kDone);
}

void TSalvaRicerca::CondizioniClick() {
    const std::string chosen = AskSaveName(CoreState.ProgramDir, "*.con");
    if (chosen.empty()) {
        Ok2->setText(kNotDone);
        return;
    }
    SaveSearchCriteria(SavedSearchFileName(chosen, ".con"));
    Ok2->setText(kDone);
}

void TSalvaRicerca::TerritorioClick() {
    const std::string chosen = AskSaveName(std::string(), "*.tdt");
    if (chosen.empty()) return;
    SaveTerritorialDistribution(chosen);
    Ok3->setText(kDone);
}

void TSalvaRicerca::EsciClick() {
    accept();
}

void TSalvaRicerca::Help2Click() {
    ShowHelpPage(this, kSaveHelpPage);
}

// ---- TApriRicerca ----

TApriRicerca::TApriRicerca(QWidget* owner) : QDialog(owner) {
    setObjectName("TApriRicerca");
    FormCreate();
}

void TApriRicerca::FormCreate() {
    setWindowTitle(Qs(LoadText(168)));
    Ricerca = TextButton(this, "Ricerca", 169, 174);
    Condizioni = TextButton(this, "Condizioni", 170, 175);
    Territorio = TextButton(this, "Territorio", 171, 176);
    Ok1 = OutcomeEdit(this, "Ok1");
    Ok2 = OutcomeEdit(this, "Ok2");
    Ok3 = OutcomeEdit(this, "Ok3");
    Esci = TextButton(this, "Esci", 172, 177);
    Help2 = TextButton(this, "Help2", 173, 178);
    LayOut(this, Ricerca, Ok1, Condizioni, Ok2, Territorio, Ok3, Esci, Help2);

    connect(Ricerca, &QPushButton::clicked, this, &TApriRicerca::RicercaClick);
    connect(Condizioni, &QPushButton::clicked, this, &TApriRicerca::CondizioniClick);
    connect(Territorio, &QPushButton::clicked, this, &TApriRicerca::TerritorioClick);
    connect(Esci, &QPushButton::clicked, this, &TApriRicerca::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TApriRicerca::Help2Click);
}

std::string TApriRicerca::AskOpenName(const char* proposed) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.fileName = proposed;
    return AskFileName(request);
}

void TApriRicerca::RicercaClick() {
    const std::string chosen = AskOpenName("STA *.dat");
    if (chosen.empty()) {
        Ok1->setText(kNotDone);
        return;
    }
    LoadStatistics(chosen, true);
    Ok1->setText(kDone);
}

void TApriRicerca::CondizioniClick() {
    const std::string chosen = AskOpenName("CON *.dat");
    if (chosen.empty()) {
        Ok2->setText(kNotDone);
        return;
    }
    LoadSearchCriteria(chosen, true);
    Ok2->setText(kDone);
}

void TApriRicerca::TerritorioClick() {
    const std::string chosen = AskOpenName("*.tun");
    if (chosen.empty()) {
        Ok3->setText(kNotDone);
        return;
    }
    LoadTerritorialSelection(chosen);
    MarkTerritoryCondition();
    Ok3->setText(kDone);
}

void TApriRicerca::EsciClick() {
    accept();
}

void TApriRicerca::Help2Click() {
    ShowHelpPage(this, kRecallHelpPage);
}

// ---- openers ----

void OpenSaveSearch(QWidget* owner) {
    TSalvaRicerca dialog(owner);
    ShowModal(dialog);
}

void OpenRecallSearch(QWidget* owner) {
    TApriRicerca dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

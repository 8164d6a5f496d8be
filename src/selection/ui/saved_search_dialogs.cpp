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

}  // namespace

// ---- what both share ----

SavedSearchDialog::SavedSearchDialog(QWidget* owner, const char* name, int helpPage)
    : QDialog(owner), helpPage_(helpPage) {
    setObjectName(name);
}

void SavedSearchDialog::Build(int title, const ButtonTexts& texts) {
    setWindowTitle(Qs(LoadText(title)));
    Ricerca = TextButton(this, "Ricerca", texts.captions[0], texts.hints[0]);
    Condizioni = TextButton(this, "Condizioni", texts.captions[1], texts.hints[1]);
    Territorio = TextButton(this, "Territorio", texts.captions[2], texts.hints[2]);
    Ok1 = OutcomeEdit(this, "Ok1");
    Ok2 = OutcomeEdit(this, "Ok2");
    Ok3 = OutcomeEdit(this, "Ok3");
    Esci = TextButton(this, "Esci", texts.captions[3], texts.hints[3]);
    Help2 = TextButton(this, "Help2", texts.captions[4], texts.hints[4]);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Ricerca, 0, 0);
    layout->addWidget(Ok1, 0, 1);
    layout->addWidget(Condizioni, 1, 0);
    layout->addWidget(Ok2, 1, 1);
    layout->addWidget(Territorio, 2, 0);
    layout->addWidget(Ok3, 2, 1);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);

    connect(Ricerca, &QPushButton::clicked, this, [this] { RicercaClick(); });
    connect(Condizioni, &QPushButton::clicked, this, [this] { CondizioniClick(); });
    connect(Territorio, &QPushButton::clicked, this, [this] { TerritorioClick(); });
    connect(Esci, &QPushButton::clicked, this, &SavedSearchDialog::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &SavedSearchDialog::Help2Click);
}

void SavedSearchDialog::EsciClick() {
    accept();
}

void SavedSearchDialog::Help2Click() {
    ShowHelpPage(this, helpPage_);
}

// ---- TSalvaRicerca ----

TSalvaRicerca::TSalvaRicerca(QWidget* owner) : SavedSearchDialog(owner, "TSalvaRicerca", kSaveHelpPage) {
    FormCreate();
}

void TSalvaRicerca::FormCreate() {
    Build(1325, {{1326, 1328, 1330, 1332, 1334}, {1327, 1329, 1331, 1333, 1335}});
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

// ---- TApriRicerca ----

TApriRicerca::TApriRicerca(QWidget* owner) : SavedSearchDialog(owner, "TApriRicerca", kRecallHelpPage) {
    FormCreate();
}

void TApriRicerca::FormCreate() {
    Build(168, {{169, 170, 171, 172, 173}, {174, 175, 176, 177, 178}});
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

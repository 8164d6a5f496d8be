#include "elaborations/ui/weights_dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/viewer_calls.h"
#include "elaborations/weights.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kNotNumericFieldText = 1953, kWeightTooLargeText = 1954;
constexpr int kWeightsAttributedText = 2381, kCannotOpenText = 1020;

// The quantitative variables in a combo box showing CoreState.QuantUnitVar.
void FillQuantitative(QComboBox* box) {
    box->clear();
    for (const std::string& name : QuantitativeVariableNames()) box->addItem(Qs(name));
    ShowQuantUnitVar(box);
}

}  // namespace

void ShowQuantUnitVar(QComboBox* box) {
    const int v = CoreState.QuantUnitVar;
    box->setCurrentIndex(v >= 0 && v < box->count() ? v : -1);
}

std::vector<std::string> QuantitativeVariableNames() {
    std::vector<std::string> names;
    TextReader reader;
    if (!reader.Open(DataFilePath(data_file::kQuantGrid))) return names;
    TextBuilder staging;
    while (!reader.Eof() && int(names.size()) < kMaxFields) {
        const std::string line = reader.ReadLine();
        names.emplace_back(QuantGridLineName(line));
        staging.Line(names.back());
    }
    try {
        staging.Save(DataFilePath(data_file::kListStaging));
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    return names;
}

// -----------------------------------------------------------------------------------------------

TQuantitativa::TQuantitativa(QWidget* owner) : QDialog(owner) {
    setObjectName("TQuantitativa");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    vQuant = new QComboBox(this);
    vQuant->setObjectName("vQuant");
    Esci = TextButton(this, "Esci", 1165);
    Pesi = TextButton(this, "Pesi", 1166, 1167);
    Help2 = TextButton(this, "Help2", 1168, 1169);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(vQuant, 0, 1, 1, 2);
    layout->addWidget(Esci, 1, 0);
    layout->addWidget(Pesi, 1, 1);
    layout->addWidget(Help2, 1, 2);

    connect(Esci, &QPushButton::clicked, this, &TQuantitativa::EsciClick);
    connect(Pesi, &QPushButton::clicked, this, &TQuantitativa::PesiClick);
    connect(Help2, &QPushButton::clicked, this, &TQuantitativa::Help2Click);
    FormCreate();
}

void TQuantitativa::FormCreate() {
    setWindowTitle(Qs(LoadText(1162)));
    Label1->setText(Qs(LoadText(1163)));
    vQuant->setToolTip(Qs(LoadText(1164)));
    FillQuantitative(vQuant);
}

void TQuantitativa::EsciClick() {
    if (vQuant->currentIndex() >= 0) CoreState.QuantUnitVar = vQuant->currentIndex();
    accept();
}

void TQuantitativa::PesiClick() {
    TPesi weights(this);
    ShowModal(weights);
    ShowQuantUnitVar(vQuant);
}

void TQuantitativa::Help2Click() {
    OpenHelpPage(this, 71);
}

// -----------------------------------------------------------------------------------------------

TPesi::TPesi(QWidget* owner) : QDialog(owner) {
    setObjectName("TPesi");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    vQuant = new QComboBox(this);
    vQuant->setObjectName("vQuant");
    vQualit = TextButton(this, "vQualit", 1120, 1121);
    CreaFile = TextButton(this, "CreaFile", 1122, 1123);
    Universo = TextButton(this, "Universo", 1124, 1125);
    Calcolo = TextButton(this, "Calcolo", 1126, 1127);
    Pesi = TextButton(this, "Pesi", 1128, 1129);
    Attribuisce = TextButton(this, "Attribuisce", 1130, 1131);
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setRange(0, 100);
    Barra->setValue(0);
    Esci = TextButton(this, "Esci", 1133, 1134);
    Help2 = TextButton(this, "Help2", 1135, 1136);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(vQuant, 0, 1);
    int row = 1;
    for (QPushButton* b : {vQualit, CreaFile, Universo, Calcolo, Pesi, Attribuisce})
        layout->addWidget(b, row++, 0, 1, 2);
    layout->addWidget(Barra, row++, 0, 1, 2);
    layout->addWidget(Esci, row, 0);
    layout->addWidget(Help2, row, 1);

    connect(vQualit, &QPushButton::clicked, this, &TPesi::vQualitClick);
    connect(CreaFile, &QPushButton::clicked, this, &TPesi::CreaFileClick);
    connect(Universo, &QPushButton::clicked, this, &TPesi::UniversoClick);
    connect(Calcolo, &QPushButton::clicked, this, &TPesi::CalcoloClick);
    connect(Pesi, &QPushButton::clicked, this, &TPesi::PesiClick);
    connect(Attribuisce, &QPushButton::clicked, this, &TPesi::AttribuisceClick);
    connect(Esci, &QPushButton::clicked, this, &TPesi::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TPesi::Help2Click);
    FormCreate();
}

void TPesi::FormCreate() {
    setWindowTitle(Qs(LoadText(1117)));
    Label1->setText(Qs(LoadText(1118)));
    vQuant->setToolTip(Qs(LoadText(1119)));
    Barra->setToolTip(Qs(LoadText(1132)));
    FillQuantitative(vQuant);
    // Cards are written only with the archive's write password.
    Attribuisce->setEnabled(ArchiveWritable());
}

void TPesi::vQualitClick() {
    OpenRowPicker(this);
}

void TPesi::CreaFileClick() {
    try {
        WaitCursor wait;
        CreateWeightFiles();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
}

void TPesi::UniversoClick() {
    ShowTextViewer(this, ViewerFile::Universe);
}
void TPesi::PesiClick() {
    ShowTextViewer(this, ViewerFile::Weights);
}

void TPesi::CalcoloClick() {
    BarProgress progress(Barra);
    try {
        WaitCursor wait;
        ComputeWeights(progress);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
}

void TPesi::AttribuisceClick() {
    if (!ArchiveWritable()) return;
    // The weights go into the variable shown, not into one chosen before.
    if (vQuant->currentIndex() >= 0) CoreState.QuantUnitVar = vQuant->currentIndex();
    BarProgress progress(Barra);
    AttributionOutcome outcome;
    try {
        WaitCursor wait;
        outcome = AttributeWeights(progress);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    switch (outcome) {
        case AttributionOutcome::Done:
            ShowInfo(LoadText(kWeightsAttributedText));
            break;
        case AttributionOutcome::NoWeights:
            ShowError(LoadText(kCannotOpenText) + " " + DisplayPath(DataFilePath(data_file::kWeights)));
            break;
        case AttributionOutcome::BadField:
            ShowError(LoadText(kNotNumericFieldText));
            break;
        case AttributionOutcome::WeightTooLarge:
            ShowError(LoadText(kWeightTooLargeText));
            break;
    }
}

void TPesi::EsciClick() {
    if (vQuant->currentIndex() >= 0) CoreState.QuantUnitVar = vQuant->currentIndex();
    accept();
}

void TPesi::Help2Click() {
    OpenHelpPage(this, 69);
}

void OpenQuantitativeUnit(QWidget* owner) {
    TQuantitativa dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

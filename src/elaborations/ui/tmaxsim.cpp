#include "elaborations/ui/tmaxsim.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>
#include <cstdlib>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/ui/common_captions.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "elaborations/maxsim.h"
#include "elaborations/report_conventions.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 58;
constexpr int kThresholdChars = 50;
constexpr int kUsedCaption = 1957, kAddedCaption = 1958, kIndexCaption = 1959;
constexpr int kRowsCaption = 1976, kColumnsCaption = 1977, kAddedRowsCaption = 1978,
              kAddedColumnsCaption = 1979, kThresholdCaption = 1980, kRunCaption = 1981;

// The threshold typed: a decimal number with a point; anything else is not a number.
bool ParseThreshold(const std::string& text, double& value) {
    const std::string s = text.substr(0, kThresholdChars);
    size_t from = s.find_first_not_of(' '), to = s.find_last_not_of(' ');
    if (from == std::string::npos) return false;
    const std::string t = s.substr(from, to - from + 1);
    if (t.find_first_not_of("+-0123456789.eE") != std::string::npos) return false;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace

TMaxSim::TMaxSim(QWidget* owner) : QDialog(owner) {
    setObjectName("TMaxSim");
    setWindowTitle(QStringLiteral("MaxSim"));
    Label1 = TextLabel(this, "Label1", kUsedCaption);
    Righe = TextButton(this, "Righe", kRowsCaption);
    Colonne = TextButton(this, "Colonne", kColumnsCaption);
    Label2 = TextLabel(this, "Label2", kAddedCaption);
    Righe2 = TextButton(this, "Righe2", kAddedRowsCaption);
    Colonne2 = TextButton(this, "Colonne2", kAddedColumnsCaption);
    Label3 = TextLabel(this, "Label3", kIndexCaption);
    Indici = new QComboBox(this);
    Indici->setObjectName("Indici");
    Label4 = TextLabel(this, "Label4", kThresholdCaption);
    soglia = new QLineEdit(this);
    soglia->setObjectName("soglia");
    soglia->setMaxLength(kThresholdChars);
    Elabora = TextButton(this, "Elabora", kRunCaption);
    Visualizza = TextButton(this, "Visualizza", kShowCaption);
    Esci = TextButton(this, "Esci", kExitCaption);
    Help2 = TextButton(this, "Help2", kHelpCaption);
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setRange(0, 100);
    Barra->setValue(0);
    Status = OutcomeEdit(this, "Status");

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(Righe, 1, 0);
    layout->addWidget(Colonne, 1, 1);
    layout->addWidget(Label2, 2, 0, 1, 2);
    layout->addWidget(Righe2, 3, 0);
    layout->addWidget(Colonne2, 3, 1);
    layout->addWidget(Label3, 4, 0);
    layout->addWidget(Indici, 4, 1);
    layout->addWidget(Label4, 5, 0);
    layout->addWidget(soglia, 5, 1);
    layout->addWidget(Elabora, 6, 0);
    layout->addWidget(Status, 6, 1);
    layout->addWidget(Barra, 7, 0, 1, 2);
    layout->addWidget(Visualizza, 8, 0);
    layout->addWidget(Esci, 9, 0);
    layout->addWidget(Help2, 9, 1);

    connect(Righe, &QPushButton::clicked, this, &TMaxSim::RigheClick);
    connect(Colonne, &QPushButton::clicked, this, &TMaxSim::ColonneClick);
    connect(Righe2, &QPushButton::clicked, this, &TMaxSim::Righe2Click);
    connect(Colonne2, &QPushButton::clicked, this, &TMaxSim::Colonne2Click);
    connect(Elabora, &QPushButton::clicked, this, &TMaxSim::ElaboraClick);
    connect(Visualizza, &QPushButton::clicked, this, &TMaxSim::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &TMaxSim::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TMaxSim::Help2Click);
    FormCreate();
}

void TMaxSim::FormCreate() {
    Elabora->setEnabled(CoreState.LastCard >= 1);
    TextBuilder staging;
    for (int i = 0; i < kSimilarityIndexCount; ++i) staging.Line(SimilarityIndexText(i));
    try {
        staging.Save(DataFilePath(data_file::kListStaging));
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    // The list comes from the staging file as the other lists do; the texts are its lines.
    Indici->clear();
    TextReader in;
    if (in.Open(DataFilePath(data_file::kListStaging)))
        while (!in.Eof()) Indici->addItem(Qs(in.ReadLine()));
    Indici->setCurrentIndex(CoreState.SimilarityIndex < Indici->count() ? CoreState.SimilarityIndex : 0);
    soglia->setText(Qs(FormatFixed(CoreState.MaxSimThreshold, 6, 2)));
}

void TMaxSim::OpenList(int list) {
    PassToDialog<TColMaxSim>(this, list);
}

void TMaxSim::RigheClick() {
    OpenList(int(MaxSimList::Rows));
}
void TMaxSim::ColonneClick() {
    OpenList(int(MaxSimList::Columns));
}
void TMaxSim::Righe2Click() {
    OpenList(int(MaxSimList::AddedRows));
}
void TMaxSim::Colonne2Click() {
    OpenList(int(MaxSimList::AddedColumns));
}

void TMaxSim::StoreOptions() {
    if (Indici->currentIndex() >= 0 && Indici->currentIndex() < kSimilarityIndexCount)
        CoreState.SimilarityIndex = uint8_t(Indici->currentIndex());
    // A threshold that is not a number leaves the stored one.
    double threshold = 0;
    if (ParseThreshold(Cp(soglia->text()), threshold)) CoreState.MaxSimThreshold = threshold;
}

void TMaxSim::ElaboraClick() {
    StoreOptions();
    Status->clear();
    std::optional<CardCount> done;
    try {
        WaitCursor wait;
        // The bar counts the cards from 1, and goes back to 0 for the next run.
        BarProgress progress(Barra, 1);
        done = RunMaxSim(progress);
        Barra->setMinimum(0);
    } catch (const IoError& e) {
        Barra->setMinimum(0);
        ShowIoError(e);
        return;
    }
    if (!done) return;
    Status->setText(QStringLiteral("Ok"));
    if (const std::string text = ShortPassText(*done); !text.empty()) ShowInfo(text);
}

void TMaxSim::VisualizzaClick() {
    try {
        CopyMaxSimTableToReport();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    OpenReportViewer(this);
}

void TMaxSim::EsciClick() {
    StoreOptions();
    accept();
}

void TMaxSim::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

void OpenMaxSimDialog(QWidget* owner) {
    TMaxSim dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

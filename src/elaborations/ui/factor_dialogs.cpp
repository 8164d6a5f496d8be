#include "elaborations/ui/factor_dialogs.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/factor_categories.h"
#include "elaborations/factor_extraction.h"
#include "elaborations/factor_report.h"
#include "elaborations/factor_rotation.h"
#include "elaborations/report_conventions.h"
#include "elaborations/ui/tafcmodalita.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kStandardHelpPage = 18;
constexpr int kNoFactorsText = 1696, kTooManyCategoriesText = 1699;
constexpr int kStandardTitle = 1960;

FactorPlaneOpener& PlaneOpener() {
    static FactorPlaneOpener open;
    return open;
}

TypologyAttribution& Attribution() {
    static TypologyAttribution attribute;
    return attribute;
}

QLabel* Label(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* Edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

}  // namespace

void RegisterFactorPlane(FactorPlaneOpener open) {
    PlaneOpener() = std::move(open);
}

bool OpenFactorPlane(QWidget* owner) {
    // A copy: the plane may change the registration while it is shown.
    FactorPlaneOpener open = PlaneOpener();
    if (!open) return false;
    open(owner);
    return true;
}

void RegisterTypologyAttribution(TypologyAttribution attribute) {
    Attribution() = std::move(attribute);
}

bool RunTypologyAttribution(const std::string& profilePath, Progress& progress) {
    TypologyAttribution attribute = Attribution();
    if (!attribute) return false;
    attribute(profilePath, progress);
    return true;
}

int ReadLeadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), 32767);
    return value;
}

double ReadRealNumber(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    const std::string t = text.substr(first, text.find_last_not_of(' ') - first + 1);
    // Only digits, one point and an exponent: no comma, no hexadecimal, no "inf" or "nan".
    size_t i = 0, digits = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    for (; i < t.size() && std::isdigit(uint8_t(t[i])); ++i) ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && std::isdigit(uint8_t(t[i])); ++i) ++digits;
    if (digits == 0) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t exponent = 0;
        for (; i < t.size() && std::isdigit(uint8_t(t[i])); ++i) ++exponent;
        if (exponent == 0) return 0;
    }
    if (i != t.size()) return 0;
    const double value = std::strtod(t.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

// -----------------------------------------------------------------------------------------------

FactorAnalysisDialog::FactorAnalysisDialog(QWidget* owner, const char* name, FactorRoad road)
    : QDialog(owner), road_(road) {
    setObjectName(name);
    ModX = Edit(this, "ModX");
    ModX->setReadOnly(true);
    ModX->setFocusPolicy(Qt::NoFocus);
    Modalita = NamedButton(this, "Modalita");
    Label1 = Label(this, "Label1");
    Calcola = NamedButton(this, "Calcola");
    Label2 = Label(this, "Label2");
    rPhi = Edit(this, "rPhi");
    Ruota = NamedButton(this, "Ruota");
    Visualizza = NamedButton(this, "Visualizza");
    TipFat = Edit(this, "TipFat");
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setValue(0);
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    nonRuotati = NamedButton(this, "nonRuotati");
    Varimax = NamedButton(this, "Varimax");
    nonRuotati->hide();
    Varimax->hide();

    connect(Modalita, &QPushButton::clicked, this, &FactorAnalysisDialog::ModalitaClick);
    connect(Calcola, &QPushButton::clicked, this, &FactorAnalysisDialog::CalcolaClick);
    connect(Ruota, &QPushButton::clicked, this, &FactorAnalysisDialog::RuotaClick);
    connect(Visualizza, &QPushButton::clicked, this, &FactorAnalysisDialog::VisualizzaClick);
    connect(Esci, &QPushButton::clicked, this, &FactorAnalysisDialog::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &FactorAnalysisDialog::Help2Click);
    connect(nonRuotati, &QPushButton::clicked, this, &FactorAnalysisDialog::nonRuotatiClick);
    connect(Varimax, &QPushButton::clicked, this, &FactorAnalysisDialog::VarimaxClick);
}

void FactorAnalysisDialog::Arrange(QPushButton* attribute, QLabel* position, QPushButton* createTypologies) {
    auto* layout = new QGridLayout(this);
    layout->addWidget(Modalita, 0, 0);
    layout->addWidget(ModX, 0, 1);
    layout->addWidget(Label1, 0, 2);
    layout->addWidget(Calcola, 1, 0);
    layout->addWidget(Ruota, 1, 1);
    layout->addWidget(Visualizza, 1, 2);
    layout->addWidget(Label2, 2, 0);
    layout->addWidget(rPhi, 2, 1);
    if (createTypologies) layout->addWidget(createTypologies, 3, 0);
    layout->addWidget(attribute, 4, 0);
    layout->addWidget(position, 4, 1);
    layout->addWidget(TipFat, 4, 2);
    layout->addWidget(Barra, 5, 0, 1, 3);
    layout->addWidget(Esci, 6, 0);
    layout->addWidget(Help2, 6, 2);
}

void FactorAnalysisDialog::ShowSettings() {
    CoreState.ElaborationMode = road_ == FactorRoad::Standard ? 1 : 2;
    CountChosenAfcCategories();
    rPhi->setText(Qs(FormatFixed(CoreState.MinCorrelation, 7, 3)));
    TipFat->setText(QString::number(CoreState.TypologyField));
}

void FactorAnalysisDialog::CountChosenAfcCategories() {
    lastLine_ = CountAfcListEntries(road_) - 1;
    chosen_ = CountChosenAfc(AfcFlags(road_), lastLine_);
    ModX->setText(QString::number(chosen_));
}

void FactorAnalysisDialog::ModalitaClick() {
    OpenAfcCategoryPicker(this);
    CountChosenAfcCategories();
    ChoiceChanged();
}

bool FactorAnalysisDialog::ChoiceFitsTheAnalysis() {
    // Refused before anything is counted or written: the last analysis stays whole.
    CountChosenAfcCategories();
    if (chosen_ <= FactorCategoryLimit(road_)) return true;
    ShowInfo(LoadText(kTooManyCategoriesText) + " " + std::to_string(FactorCategoryLimit(road_)));
    return false;
}

void FactorAnalysisDialog::TellProblem(const FactorComputation& result) {
    if (const int text = FactorComputationProblemText(result)) ShowInfo(LoadText(text));
    if (const std::string text = FactorStopText(result); !text.empty()) ShowInfo(text);
    if (const std::string text = ShortPassText(result.Files); !text.empty()) ShowInfo(text);
}

void FactorAnalysisDialog::nonRuotatiClick() {
    if (!ChoiceFitsTheAnalysis()) return;
    FactorComputation result;
    try {
        BarProgress progress(Barra);
        const std::unique_ptr<FactorCountSource> source = CountSource();
        result = ComputeUnrotatedFactors(*source, progress);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    TellProblem(result);
}

void FactorAnalysisDialog::VarimaxClick() {
    BarProgress progress(Barra);
    try {
        RotateFactors(road_, FactorLength(road_), progress);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void FactorAnalysisDialog::CalcolaClick() {
    if (!ChoiceFitsTheAnalysis()) return;
    FactorComputation result;
    try {
        WaitCursor wait;
        BarProgress progress(Barra);
        const std::unique_ptr<FactorCountSource> source = CountSource();
        result = ComputeFactors(*source, progress);
    } catch (const IoError& e) {
        Barra->setValue(0);
        ShowIoError(e);
        return;
    }
    Barra->setValue(0);
    TellProblem(result);
}

void FactorAnalysisDialog::RuotaClick() {
    CoreState.ProceedFlag = 1;
    OpenFactorPlane(this);
    CoreState.ProceedFlag = 0;
}

void FactorAnalysisDialog::VisualizzaClick() {
    const bool standard = road_ == FactorRoad::Standard;
    bool written = false;
    try {
        std::optional<WaitCursor> wait;
        if (standard) wait.emplace();
        written = WriteFactorReport(road_);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    if (!written) {
        // A report of headings alone would pass for one with no factor in it.
        ShowInfo(LoadText(kNoFactorsText));
        return;
    }
    OpenReportViewer(this);
}

void FactorAnalysisDialog::StoreTypologyField() {
    CoreState.TypologyField = ReadLeadingNumber(Cp(TipFat->text()));
}

void FactorAnalysisDialog::EsciClick() {
    StoreTypologyField();
    CoreState.MinCorrelation = ReadRealNumber(Cp(rPhi->text()));
    accept();
}

void FactorAnalysisDialog::keyPressEvent(QKeyEvent* event) {
    // Esc is the Esci button, which stores the settings; closing the window otherwise does not.
    if (event->key() == Qt::Key_Escape) {
        EsciClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FactorAnalysisDialog::Help2Click() {
    OpenHelpPage(this, helpPage_);
}

void FactorAnalysisDialog::AttributeTypologies(int missingFieldText) {
    StoreTypologyField();
    if (CoreState.TypologyField < 1) {
        TipFat->setText(Qs(LoadText(missingFieldText)));
        return;
    }
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.fileName = "*.txt";
    const std::string path = AskFileName(request);
    if (path.empty()) return;
    typologyFileName_ = path;
    WaitCursor wait;
    RunAttribution();
}

void FactorAnalysisDialog::RunAttribution() {
    try {
        BarProgress progress(Barra);
        RunTypologyAttribution(typologyFileName_, progress);
    } catch (const IoError& e) {
        HourglassOff();  // the message is read with the arrow, also under a caller's WaitCursor
        ShowIoError(e);
    }
    Barra->setValue(0);
}

// -----------------------------------------------------------------------------------------------

Tafc::Tafc(QWidget* owner) : FactorAnalysisDialog(owner, "Tafc", FactorRoad::Standard) {
    Attribuisce = NamedButton(this, "Attribuisce");
    Label3 = Label(this, "Label3");
    Attrib = NamedButton(this, "Attrib");
    Attrib->hide();
    Arrange(Attribuisce, Label3, nullptr);
    connect(Attribuisce, &QPushButton::clicked, this, &Tafc::AttribuisceClick);
    connect(Attrib, &QPushButton::clicked, this, &Tafc::AttribClick);
    FormCreate();
}

void Tafc::FormCreate() {
    setWindowTitle(Qs(LoadText(kStandardTitle)));
    struct Texts {
        QWidget* control;
        int caption;
    };
    for (const Texts& t : {Texts{Modalita, 135}, Texts{Label1, 136}, Texts{Calcola, 137}, Texts{Label2, 138},
                           Texts{Ruota, 139}, Texts{Visualizza, 140}, Texts{Attribuisce, 141},
                           Texts{Label3, 142}, Texts{Esci, 143}, Texts{Help2, 144}}) {
        if (auto* b = qobject_cast<QPushButton*>(t.control)) b->setText(Qs(LoadText(t.caption)));
        if (auto* l = qobject_cast<QLabel*>(t.control)) l->setText(Qs(LoadText(t.caption)));
    }
    helpPage_ = kStandardHelpPage;
    ShowSettings();
    EnableAnalysis(ChosenAfcCount() > 0 && CoreState.LastCard >= 1);
}

void Tafc::ChoiceChanged() {
    // The number of cards is tested only when the dialog opens.
    EnableAnalysis(ChosenAfcCount() > 0);
}

void Tafc::EnableAnalysis(bool enabled) {
    for (QPushButton* b : {Calcola, Ruota, Visualizza}) b->setEnabled(enabled);
}

std::unique_ptr<FactorCountSource> Tafc::CountSource() const {
    return std::make_unique<CardCountSource>();
}

void Tafc::AttribuisceClick() {
    AttributeTypologies(148);
}

void Tafc::AttribClick() {
    RunAttribution();
}

void OpenStandardFactorDialog(QWidget* owner) {
    Tafc dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

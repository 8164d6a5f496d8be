#include "cardwindow/ui/tinputdati.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "cardwindow/card_import.h"
#include "cardwindow/ui/card_jobs.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {
namespace {

constexpr int kHelpPage = 53;
constexpr int kOpening = 1;
// The question before "Crea", around the number of cards it replaces.
constexpr int kReplaceCardsText = 2305;
constexpr int kReplaceCardsEndText = 2306;

QRadioButton* Radio(QWidget* owner, const char* name, int caption) {
    auto* r = new QRadioButton(Qs(LoadText(caption)), owner);
    r->setObjectName(name);
    return r;
}

}  // namespace

TInputDati::TInputDati(QWidget* owner) : QDialog(owner) {
    setObjectName("TInputDati");
    Label4 = new QLabel(this);
    tabulatore = Radio(this, "tabulatore", 983);
    delimitatori = Radio(this, "delimitatori", 984);
    fissi = Radio(this, "fissi", 985);
    delim = new QLineEdit(this);
    delim->setObjectName("delim");
    delim->setMaxLength(1);
    delim->setFixedWidth(30);
    Sequenza = TextButton(this, "Sequenza", 986, 987);
    Label1 = new QLabel(this);
    ITALIA = Radio(this, "ITALIA", 989);
    USA = Radio(this, "USA", 990);
    Visualizza = TextButton(this, "Visualizza", 991, 992);
    Label3 = new QLabel(this);
    NomeFile = new QLineEdit(this);
    NomeFile->setObjectName("NomeFile");
    NomeFile->setMinimumWidth(320);
    Sfoglia = TextButton(this, "Sfoglia", 995, 996);
    AggiungeDati = TextButton(this, "AggiungeDati", 997, 998);
    Crea = TextButton(this, "Crea", 999, 1000);
    Barra = IdleProgressBar(this, "Barra");
    Status = new QLabel(this);
    Status->setObjectName("Status");
    Esci = TextButton(this, "Esci", 1002, 1003);
    Help2 = TextButton(this, "Help2", 1004, 1005);

    // Two independent choices: the layout and the date order.
    auto* layoutGroup = new QButtonGroup(this);
    for (QRadioButton* r : {tabulatore, delimitatori, fissi}) layoutGroup->addButton(r);
    auto* dateGroup = new QButtonGroup(this);
    for (QRadioButton* r : {ITALIA, USA}) dateGroup->addButton(r);

    auto* grid = new QGridLayout;
    grid->addWidget(Label4, 0, 0, 1, 3);
    grid->addWidget(tabulatore, 1, 0);
    grid->addWidget(delimitatori, 1, 1);
    grid->addWidget(delim, 1, 2);
    grid->addWidget(fissi, 1, 3);
    grid->addWidget(Sequenza, 1, 4);
    grid->addWidget(Label1, 2, 0, 1, 3);
    grid->addWidget(ITALIA, 3, 0);
    grid->addWidget(USA, 3, 1);
    grid->addWidget(Visualizza, 3, 4);
    grid->addWidget(Label3, 4, 0, 1, 3);
    grid->addWidget(NomeFile, 5, 0, 1, 4);
    grid->addWidget(Sfoglia, 5, 4);
    auto* run = new QHBoxLayout;
    run->addWidget(AggiungeDati);
    run->addWidget(Crea);
    run->addWidget(Barra, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Status, 1);
    bottom->addWidget(Esci);
    bottom->addWidget(Help2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(run);
    layout->addLayout(bottom);

    connect(Sfoglia, &QPushButton::clicked, this, &TInputDati::SfogliaClick);
    connect(Sequenza, &QPushButton::clicked, this, &TInputDati::SequenzaClick);
    connect(Visualizza, &QPushButton::clicked, this, &TInputDati::VisualizzaClick);
    connect(AggiungeDati, &QPushButton::clicked, this, &TInputDati::AggiungeDatiClick);
    connect(Crea, &QPushButton::clicked, this, &TInputDati::CreaClick);
    connect(Esci, &QPushButton::clicked, this, &TInputDati::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TInputDati::Help2Click);
    FormCreate();
}

void TInputDati::FormCreate() {
    setWindowTitle(Qs(LoadText(981)));
    Label4->setText(Qs(LoadText(982)));
    Label1->setText(Qs(LoadText(988)));
    Label3->setText(Qs(LoadText(993)));
    NomeFile->setToolTip(Qs(LoadText(994)));
    Barra->setToolTip(Qs(LoadText(1001)));
    NomeFile->setText(QPath(LoadImportFileName()));
    const int format = CoreState.ImportFormat;
    if (format == 1 || format == 4) tabulatore->setChecked(true);
    if (format == 2 || format == 5) delimitatori->setChecked(true);
    if (format == 3 || format == 6) fissi->setChecked(true);
    (format >= 4 && format <= 6 ? USA : ITALIA)->setChecked(true);
    const char c = char(CoreState.ImportDelimiter);
    delim->setText(c != '\0' ? Qs(std::string(1, c)) : QString());
    // An archive opened read-only says why; otherwise the state of the password.
    const std::string& readOnly = ArchiveReadOnlyReason();
    Status->setText(Qs(readOnly.empty() ? LoadText(CoreState.WriteAccess ? 1006 : 1007) : readOnly));
    answer_ = kOpening;
}

void TInputDati::ReadOptions() {
    if (delim->text().isEmpty()) delim->setText(",");
    const std::string d = Cp(delim->text());
    CoreState.ImportDelimiter = uint8_t(d[0]);
    int format = 0;
    if (tabulatore->isChecked()) format = kImportTab;
    if (delimitatori->isChecked()) format = kImportDelimiter;
    if (fissi->isChecked()) format = kImportFixed;
    if (USA->isChecked()) format += kImportYearFirst;
    CoreState.ImportFormat = format;
}

void TInputDati::SfogliaClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.caption = LoadText(995);
    request.directory = CoreState.ArchiveDir;
    request.filter = "*.*";
    const std::string chosen = AskFileName(request);
    if (!chosen.empty()) NomeFile->setText(QPath(chosen));
}

void TInputDati::SequenzaClick() {
    WriteDefaultFieldOrder();
    VisualizzaClick();
}

void TInputDati::VisualizzaClick() {
    ShowViewer(answer_ != 0 ? ViewerFile::FieldOrder : ViewerFile::Report);
}

void TInputDati::ShowViewer(ViewerFile file) {
    ShowTextViewer(this, file);
    answer_ = int(file);
}

void TInputDati::Import(ImportMode mode) {
    ReadOptions();
    if (RefusedWithoutWriteAccess()) return;
    // Replacing throws every card away: the person says so first, knowing how many.
    if (mode == ImportMode::Replace && CoreState.LastCard >= 0 &&
        !AskYesNo(LoadText(kReplaceCardsText) + " " + std::to_string(CoreState.LastCard + 1) + " " +
                  LoadText(kReplaceCardsEndText)))
        return;
    BarProgress progress(Barra);
    ImportOutcome outcome;
    try {
        WaitCursor wait;
        outcome = RunImport(FsPath(NomeFile->text()), mode, progress);
    } catch (const IoError& e) {
        Barra->setValue(0);
        ShowIoError(e);
        return;
    }
    Barra->setValue(0);
    if (outcome.reported) ShowViewer(ViewerFile::Report);
}

void TInputDati::AggiungeDatiClick() {
    Import(ImportMode::Append);
}

void TInputDati::CreaClick() {
    Import(ImportMode::Replace);
}

void TInputDati::EsciClick() {
    ReadOptions();
    const std::string name = FsPath(NomeFile->text());
    if (!StorablePathGiven(name)) return;
    try {
        SaveImportFileName(name);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    accept();
}

void TInputDati::Help2Click() {
    ShowHelpPage(this, kHelpPage);
    answer_ = kHelpPage;
}

int OpenTextImport(QWidget* owner) {
    return ExchangeDialog<TInputDati>(owner, kOpening);
}

}  // namespace qv

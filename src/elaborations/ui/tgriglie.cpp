#include "elaborations/ui/tgriglie.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/common_captions.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "elaborations/grid_editor.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 51;
constexpr int kLoadCaption = 1983;

// Runs a handler's file work under the wait cursor; an input/output error abandons it with the
// standard message.
template <typename Work>
bool Guarded(Work&& work) {
    try {
        WaitCursor wait;
        work();
        return true;
    } catch (const IoError& e) {
        ShowIoError(e);
        return false;
    }
}

}  // namespace

TGriglie::TGriglie(QWidget* owner) : QDialog(owner) {
    setObjectName("TGriglie");
    Label1 = TextLabel(this, "Label1", 901);
    CreaGrl = TextButton(this, "CreaGrl", 902, 903);
    VisualizzaGrl = TextButton(this, "VisualizzaGrl", 904, 905);
    Diagnostica = TextButton(this, "Diagnostica", 906, 907);
    Button1 = TextButton(this, "Button1", 908);
    Label3 = TextLabel(this, "Label3", 909);
    VisualizzaInt = TextButton(this, "VisualizzaInt", 910, 911);
    Rinumera = TextButton(this, "Rinumera", 912, 913);
    Label2 = TextLabel(this, "Label2", 914);
    CreaGRQ = TextButton(this, "CreaGRQ", 915, 916);
    VisualizzaGRQ = TextButton(this, "VisualizzaGRQ", 917, 918);
    Status = OutcomeEdit(this, "Status");
    Status2 = OutcomeEdit(this, "Status2");
    // The grid pair kept under a name of the user's: never shown.
    SalvaGrl = new QPushButton(Caption(kSaveCaption), this);
    SalvaGrl->setObjectName("SalvaGrl");
    Recupera = new QPushButton(Caption(kLoadCaption), this);
    Recupera->setObjectName("Recupera");
    SalvaGrl->hide();
    Recupera->hide();
    Esci = TextButton(this, "Esci", 919, 920);
    Help2 = TextButton(this, "Help2", 921, 922);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addWidget(CreaGrl, 1, 0);
    layout->addWidget(VisualizzaGrl, 1, 1);
    layout->addWidget(Status, 1, 2);
    layout->addWidget(Diagnostica, 2, 0);
    layout->addWidget(Button1, 2, 1, 1, 2);
    layout->addWidget(Label3, 3, 0, 1, 3);
    layout->addWidget(VisualizzaInt, 4, 0);
    layout->addWidget(Rinumera, 4, 1);
    layout->addWidget(Label2, 5, 0, 1, 3);
    layout->addWidget(CreaGRQ, 6, 0);
    layout->addWidget(VisualizzaGRQ, 6, 1);
    layout->addWidget(Status2, 6, 2);
    layout->addWidget(Esci, 7, 0);
    layout->addWidget(Help2, 7, 1);

    connect(CreaGrl, &QPushButton::clicked, this, &TGriglie::CreaGrlClick);
    connect(VisualizzaGrl, &QPushButton::clicked, this, &TGriglie::VisualizzaGrlClick);
    connect(Diagnostica, &QPushButton::clicked, this, &TGriglie::DiagnosticaClick);
    connect(Button1, &QPushButton::clicked, this, &TGriglie::Button1Click);
    connect(VisualizzaInt, &QPushButton::clicked, this, &TGriglie::VisualizzaIntClick);
    connect(Rinumera, &QPushButton::clicked, this, &TGriglie::RinumeraClick);
    connect(CreaGRQ, &QPushButton::clicked, this, &TGriglie::CreaGRQClick);
    connect(VisualizzaGRQ, &QPushButton::clicked, this, &TGriglie::VisualizzaGRQClick);
    connect(SalvaGrl, &QPushButton::clicked, this, &TGriglie::SalvaGrlClick);
    connect(Recupera, &QPushButton::clicked, this, &TGriglie::RecuperaClick);
    connect(Esci, &QPushButton::clicked, this, &TGriglie::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TGriglie::Help2Click);
    FormCreate();
}

void TGriglie::FormCreate() {
    setWindowTitle(Qs(LoadText(900)));
}

void TGriglie::CreaGrlClick() {
    if (FileOpens(data_file::kGrid) && !ConfirmGridReplacement(this, kCategoryGridPass)) return;
    const bool done = Guarded([] {
        GenerateDichotomousGrid();
        GenerateTableHeadings();
    });
    if (done) Status->setText(QStringLiteral("Ok"));
    CoreState.CommandCode = 0;
}

void TGriglie::CreaGRQClick() {
    if (FileOpens(data_file::kQuantGrid) && !ConfirmGridReplacement(this, kQuantGridPass)) return;
    const bool done = Guarded([] { GenerateQuantitativeGrid(); });
    if (done) Status2->setText(QStringLiteral("Ok"));
    CoreState.CommandCode = 0;
}

void TGriglie::VisualizzaGrlClick() {
    ShowTextViewer(this, ViewerFile::Grid);
    Status->clear();
}

void TGriglie::VisualizzaIntClick() {
    ShowTextViewer(this, ViewerFile::Headings);
    Status->clear();
}

void TGriglie::VisualizzaGRQClick() {
    ShowTextViewer(this, ViewerFile::QuantGrid);
    Status2->clear();
}

void TGriglie::RinumeraClick() {
    bool renumbered = false;
    if (Guarded([&renumbered] { renumbered = RenumberTableHeadings(); }) && renumbered)
        Status->setText(QStringLiteral("Ok"));
}

void TGriglie::DiagnosticaClick() {
    if (Guarded([] { WriteCategoryGridCheck(); })) ShowTextViewer(this, ViewerFile::GridCheck);
}

void TGriglie::Button1Click() {
    if (Guarded([] { WriteNumberedCategoryGrid(); })) ShowTextViewer(this, ViewerFile::Report);
}

void TGriglie::SalvaGrlClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = CoreState.ArchiveDir;
    request.filter = "*.grl";
    const std::string chosen = AskFileName(request);
    if (!chosen.empty()) Guarded([&chosen] { SaveGridPair(chosen); });
}

void TGriglie::RecuperaClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ArchiveDir;
    request.filter = "*.grl";
    const std::string chosen = AskFileName(request);
    if (!chosen.empty()) Guarded([&chosen] { RestoreGridPair(chosen); });
}

void TGriglie::EsciClick() {
    accept();
}

void TGriglie::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

void OpenGridEditor(QWidget* owner) {
    TGriglie editor(owner);
    ShowModal(editor);
}

}  // namespace qv

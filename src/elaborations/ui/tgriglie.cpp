#include "elaborations/ui/tgriglie.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "elaborations/grid_editor.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/grid_present.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 51;
constexpr int kGridId = 37, kQuantGridId = 43;
constexpr int kGridViewer = -18, kHeadingsViewer = -19, kQuantGridViewer = -20, kCheckViewer = -37;
constexpr int kCategoryGridPass = 0, kQuantGridPass = 1;

QPushButton* Button(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* StatusEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

// Runs a handler's file work; an input/output error abandons it with the standard message.
template <typename Work>
bool Guarded(Work&& work) {
    try {
        work();
        return true;
    } catch (const IoError& e) {
        HourglassOff();
        ShowIoError(e);
        return false;
    }
}

}  // namespace

TGriglie::TGriglie(QWidget* owner) : QDialog(owner) {
    setObjectName("TGriglie");
    Label1 = Label(this, "Label1");
    Label1->setText(QStringLiteral("Griglia variabili dicotomiche:"));
    CreaGrl = Button(this, "CreaGrl");
    VisualizzaGrl = Button(this, "VisualizzaGrl");
    Diagnostica = Button(this, "Diagnostica");
    Button1 = Button(this, "Button1");
    Label3 = Label(this, "Label3");
    VisualizzaInt = Button(this, "VisualizzaInt");
    Rinumera = Button(this, "Rinumera");
    Label2 = Label(this, "Label2");
    CreaGRQ = Button(this, "CreaGRQ");
    VisualizzaGRQ = Button(this, "VisualizzaGRQ");
    Status = StatusEdit(this, "Status");
    Status2 = StatusEdit(this, "Status2");
    SalvaGrl = Button(this, "SalvaGrl");
    SalvaGrl->setText(QStringLiteral("Salva"));
    Recupera = Button(this, "Recupera");
    Recupera->setText(QStringLiteral("&Recupera"));
    SalvaGrl->hide();
    Recupera->hide();
    Esci = Button(this, "Esci");
    Help2 = Button(this, "Help2");

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
    struct Text {
        QWidget* control;
        int caption;
        bool hint;
    };
    setWindowTitle(Qs(LoadText(900)));
    for (const Text& t : {Text{Label1, 901, false}, Text{CreaGrl, 902, true}, Text{VisualizzaGrl, 904, true},
                          Text{Diagnostica, 906, true}, Text{Button1, 908, false}, Text{Label3, 909, false},
                          Text{VisualizzaInt, 910, true}, Text{Rinumera, 912, true}, Text{Label2, 914, false},
                          Text{CreaGRQ, 915, true}, Text{VisualizzaGRQ, 917, true}, Text{Esci, 919, true},
                          Text{Help2, 921, true}}) {
        const QString caption = Qs(LoadText(t.caption));
        if (auto* b = qobject_cast<QPushButton*>(t.control)) b->setText(caption);
        if (auto* l = qobject_cast<QLabel*>(t.control)) l->setText(caption);
        if (t.hint) t.control->setToolTip(Qs(LoadText(t.caption + 1)));
    }
}

void TGriglie::CreaGrlClick() {
    if (FileOpens(kGridId) && !ConfirmGridReplacement(this, kCategoryGridPass)) return;
    HourglassOn();
    const bool done = Guarded([] {
        GenerateDichotomousGrid();
        GenerateTableHeadings();
    });
    HourglassOff();
    if (done) Status->setText(QStringLiteral("Ok"));
    CoreState.CommandCode = 0;
}

void TGriglie::CreaGRQClick() {
    if (FileOpens(kQuantGridId) && !ConfirmGridReplacement(this, kQuantGridPass)) return;
    HourglassOn();
    const bool done = Guarded([] { GenerateQuantitativeGrid(); });
    HourglassOff();
    if (done) Status2->setText(QStringLiteral("Ok"));
    CoreState.CommandCode = 0;
}

void TGriglie::VisualizzaGrlClick() {
    ShowTextViewer(this, kGridViewer);
    Status->clear();
}

void TGriglie::VisualizzaIntClick() {
    ShowTextViewer(this, kHeadingsViewer);
    Status->clear();
}

void TGriglie::VisualizzaGRQClick() {
    ShowTextViewer(this, kQuantGridViewer);
    Status2->clear();
}

void TGriglie::RinumeraClick() {
    bool renumbered = false;
    if (Guarded([&renumbered] { renumbered = RenumberTableHeadings(); }) && renumbered)
        Status->setText(QStringLiteral("Ok"));
}

void TGriglie::DiagnosticaClick() {
    HourglassOn();
    const bool done = Guarded([] { WriteCategoryGridCheck(); });
    HourglassOff();
    if (done) ShowTextViewer(this, kCheckViewer);
}

void TGriglie::Button1Click() {
    if (Guarded([] { WriteNumberedCategoryGrid(); })) ShowTextViewer(this, 0);
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

#include "cardwindow/ui/tricodifica.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "cardwindow/recoding.h"
#include "cardwindow/ui/card_jobs.h"
#include "cardwindow/write_permission.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
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

constexpr int kHelpPage = 79;
constexpr int kNoTextMessage = 1467;
constexpr int kTextOutOfDateMessage = 1645;
constexpr int kMergeCycleMessage = 1646;
constexpr int kNoCategoriesText = 1896;

// What the dialog says when the recoding did not run.
std::string RefusalText(RecodingOutcome outcome) {
    switch (outcome) {
        case RecodingOutcome::NoText:
            return LoadText(kNoTextMessage);
        case RecodingOutcome::TextOutOfDate:
            return LoadText(kTextOutOfDateMessage);
        case RecodingOutcome::MergeCycle:
            return LoadText(kMergeCycleMessage);
        case RecodingOutcome::Refused:
            return CardChangesRefusal();
        default:
            return LoadText(kNoCategoriesText);
    }
}

}  // namespace

TRicodifica::TRicodifica(QWidget* owner) : QDialog(owner) {
    setObjectName("TRicodifica");
    FormCreate();
}

void TRicodifica::FormCreate() {
    setWindowTitle(Qs(LoadText(1284)));
    Crea = TextButton(this, "Crea", 1285, 1286);
    Lista = TextButton(this, "Lista", 1287, 1288);
    Esci = TextButton(this, "Esci", 1289, 1290);
    Esegue = TextButton(this, "Esegue", 1291, 1292);
    Help2 = TextButton(this, "Help2", 1293, 1294);
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setRange(1, 2);
    Barra->setValue(1);
    Status = new QLabel(this);
    Status->setObjectName("Status");

    StackAboveButtons(this, {Barra, Status}, {Crea, Lista, Esegue, Esci, Help2});

    connect(Crea, &QPushButton::clicked, this, &TRicodifica::CreaClick);
    connect(Lista, &QPushButton::clicked, this, &TRicodifica::ListaClick);
    connect(Esegue, &QPushButton::clicked, this, &TRicodifica::EsegueClick);
    connect(Esci, &QPushButton::clicked, this, &TRicodifica::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TRicodifica::Help2Click);
}

void TRicodifica::CreaClick() {
    try {
        // A field without a list of its own would be given another field's labels.
        Status->setText(WriteRecodingText(CoreState.CurrentField) ? QStringLiteral("Ok")
                                                                  : Qs(LoadText(kNoCategoriesText)));
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TRicodifica::ListaClick() {
    ShowTextViewer(this, ViewerFile::Recoding);
}

void TRicodifica::EsegueClick() {
    if (RefusedWithoutWriteAccess()) return;
    BarProgress progress(Barra, 1);
    try {
        CardCount cards;
        const RecodingOutcome outcome = [&] {
            WaitCursor wait;
            return RunRecoding(CoreState.CurrentField, progress, &cards);
        }();
        if (outcome == RecodingOutcome::Done) {
            if (const std::string text = ShortPassText(cards); !text.empty()) ShowInfo(text);
        } else {
            // The dialog closes after every run: the refusal is told in a box that stays.
            ShowError(RefusalText(outcome));
            if (outcome == RecodingOutcome::NoText || outcome == RecodingOutcome::NotCategoryField) {
                ReadCardText();
                ReadCardValues();
            }
        }
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    accept();
}

void TRicodifica::EsciClick() {
    accept();
}

void TRicodifica::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenRecoding(QWidget* owner) {
    TRicodifica dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

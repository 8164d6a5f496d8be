#include "elaborations/ui/tesegue.h"

#include <QProgressBar>
#include <QPushButton>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 47;
constexpr int kJobTitleText = 840;  // of job 1; the next jobs follow in order

// The engine's progress shown on the runner's bar.

}  // namespace

TEsegue::TEsegue(QWidget* owner) : QDialog(owner), job_(CoreState.CommandCode) {
    setObjectName("TEsegue");
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setRange(0, 100);
    Barra->setValue(0);
    Esegui = NamedButton(this, "Esegui");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Attribuisce = NamedButton(this, "Attribuisce");
    Range = NamedButton(this, "Range");
    Indicatori = NamedButton(this, "Indicatori");
    OrdinaAlfabeticamenteModalita = NamedButton(this, "OrdinaAlfabeticamenteModalita");
    ElabTabelle = NamedButton(this, "ElabTabelle");
    for (QPushButton* hidden : {Attribuisce, Range, Indicatori, OrdinaAlfabeticamenteModalita, ElabTabelle})
        hidden->hide();

    StackAboveButtons(this, {Barra}, {Esegui, Esci, Help2});

    connect(Esegui, &QPushButton::clicked, this, &TEsegue::EseguiClick);
    connect(Esci, &QPushButton::clicked, this, &TEsegue::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TEsegue::Help2Click);
    connect(Attribuisce, &QPushButton::clicked, this, &TEsegue::AttribuisceClick);
    connect(Range, &QPushButton::clicked, this, &TEsegue::RangeClick);
    connect(Indicatori, &QPushButton::clicked, this, &TEsegue::IndicatoriClick);
    connect(OrdinaAlfabeticamenteModalita, &QPushButton::clicked, this,
            &TEsegue::OrdinaAlfabeticamenteModalitaClick);
    // The hidden button runs the pass whose code was stored last.
    connect(ElabTabelle, &QPushButton::clicked, this, [this] { ElabTabelleClick(CoreState.CommandCode); });
    FormCreate();
}

void TEsegue::FormCreate() {
    setWindowTitle(Qs(LoadText(830)));
    Esci->setText(Qs(LoadText(831)));
    Esci->setToolTip(Qs(LoadText(832)));
    Esegui->setText(Qs(LoadText(833)));
    Esegui->setToolTip(Qs(LoadText(834)));
    Help2->setText(Qs(LoadText(835)));
    Help2->setToolTip(Qs(LoadText(836)));
    // Cards run from 0 to LastCard: an archive of one card has LastCard 0.
    Esegui->setEnabled(CoreState.LastCard >= 0);
    // The card window's jobs carry their own title.
    if (job_ >= kPlainJob && job_ <= kReorderJob)
        setWindowTitle(Qs(LoadText(kJobTitleText + (job_ - kPlainJob))));
}

void TEsegue::EseguiClick() {
    bool done = false;
    try {
        WaitCursor wait;
        done = RunJob();
    } catch (const IoError& e) {
        // The job is abandoned; what it wrote so far stays.
        ShowIoError(e);
        return;
    }
    if (done) accept();
}

bool TEsegue::RunJob() {
    switch (job_) {
        case kAttributionJob:
        case kAttributionClearJob:
            AttribuisceClick();
            return true;
        case kRangeCheckJob:
            RangeClick();
            return true;
        case kIndicatorsJob:
            IndicatoriClick();
            return true;
        case kReorderJob:
            OrdinaAlfabeticamenteModalitaClick();
            return true;
        case kCategoryCountJob:
        case kQuantitativeJob:
            return RunCountingJob();
        default:
            return true;
    }
}

bool TEsegue::RunCountingJob() {
    const int32_t kept = CoreState.CurrentCard;
    CountingResult result;
    if (job_ == kCategoryCountJob) {
        // The pass code stays in CommandCode, as the quantitative passes leave theirs.
        CoreState.CommandCode = kCategoryCountPass;
        result = ElabTabelleClick(kCategoryCountPass);
    } else {
        BarProgress progress(Barra);
        result = RunQuantitativePasses(progress);
    }
    // The card window shows again the card it had, read from the card files.
    CoreState.CurrentCard = kept;
    ReadCardText();
    ReadCardValues();

    // Nothing was written: the user is told so, and the dialog stays for another try.
    switch (result.Outcome) {
        case CountingOutcome::Done:
            if (const std::string text = ShortPassText(result.Cards); !text.empty()) ShowInfo(text);
            return true;
        case CountingOutcome::NoPass:
            return true;
        case CountingOutcome::GridTooLong:
            ShowGridTooLong();
            return false;
    }
    return true;
}

CountingResult TEsegue::ElabTabelleClick(int passCode) {
    BarProgress progress(Barra);
    return RunCountingPass(passCode, progress);
}

void TEsegue::RunRegisteredJob(int code) {
    if (const BatchJob job = FindBatchJob(code)) job(*this);
}

void TEsegue::AttribuisceClick() {
    RunRegisteredJob(job_ == kAttributionClearJob ? kAttributionClearJob : kAttributionJob);
}
void TEsegue::RangeClick() {
    RunRegisteredJob(kRangeCheckJob);
}
void TEsegue::IndicatoriClick() {
    RunRegisteredJob(kIndicatorsJob);
}
void TEsegue::OrdinaAlfabeticamenteModalitaClick() {
    RunRegisteredJob(kReorderJob);
}

void TEsegue::EsciClick() {
    reject();
}

void TEsegue::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

bool OpenBatchRunner(QWidget* owner, int job) {
    return RunInDialog<TEsegue>(owner, job);
}

}  // namespace qv

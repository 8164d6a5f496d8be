#include "selection/ui/teseguelista.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/progress.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/list_engine.h"
#include "selection/ui/tselezionamaschera.h"

namespace qv {

namespace {

constexpr int kSequentialDoneText = 1903;
constexpr int kAlphabeticDoneText = 1904;

constexpr int kSearchList = 4;
constexpr int kPrintCard = 2;
constexpr int kShowList = 3;
constexpr int kHelpPage = 49;

}  // namespace

TEsegueLista::TEsegueLista(QWidget* owner) : QDialog(owner) {
    setObjectName("TEsegueLista");
    FormCreate();
}

void TEsegueLista::FormCreate() {
    setWindowTitle(Qs(LoadText(859)));
    Alfabetico = TextButton(this, "Alfabetico", 860, 861);
    Sequenziale = TextButton(this, "Sequenziale", 862, 863);
    Barra = IdleProgressBar(this, "Barra");
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);
    Status->setToolTip(Qs(LoadText(864)));
    // Wide enough for the longest outcome, which would otherwise show only its end.
    Status->setMinimumWidth(Status->fontMetrics().horizontalAdvance(Qs(LoadText(kNoAlphabeticOrderText))) +
                            2 * Status->fontMetrics().averageCharWidth() + 8);
    Esci = TextButton(this, "Esci", 865, 866);
    Help2 = TextButton(this, "Help2", 867, 868);
    ListaTXT = TextButton(this, "ListaTXT", 869, 870);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Alfabetico, 0, 0);
    layout->addWidget(Sequenziale, 0, 1);
    layout->addWidget(Barra, 1, 0, 1, 2);
    layout->addWidget(Status, 2, 0, 1, 2);
    layout->addWidget(ListaTXT, 3, 0, 1, 2);
    layout->addWidget(Esci, 4, 0);
    layout->addWidget(Help2, 4, 1);

    connect(Alfabetico, &QPushButton::clicked, this, &TEsegueLista::AlfabeticoClick);
    connect(Sequenziale, &QPushButton::clicked, this, &TEsegueLista::SequenzialeClick);
    connect(ListaTXT, &QPushButton::clicked, this, &TEsegueLista::ListaTXTClick);
    connect(Esci, &QPushButton::clicked, this, &TEsegueLista::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TEsegueLista::Help2Click);

    singleCard_ = false;
    // The single-card print keeps its request as the answer until a button gives another.
    const int request = CoreState.CommandCode;
    if (request == kPrintCard) {
        answer_ = kPrintCard;
        StampaSchedaClick();
        singleCard_ = true;
        return;
    }
    if (request == kSearchList) SequenzialeClick();
}

void TEsegueLista::SequenzialeClick() {
    if (SayWhenMaskEmpty()) return;
    BarProgress progress(Barra);
    {
        WaitCursor wait;
        RunSequentialList(progress);
    }
    Status->setText(Qs(LoadText(kSequentialDoneText)));
    Barra->setValue(0);
}

void TEsegueLista::AlfabeticoClick() {
    if (SayWhenMaskEmpty()) return;
    BarProgress progress(Barra);
    ListOutcome outcome;
    {
        WaitCursor wait;
        outcome = RunAlphabeticalList(progress);
    }
    Status->setText(outcome == ListOutcome::Done ? Qs(LoadText(kAlphabeticDoneText))
                                                 : Qs(LoadText(kNoAlphabeticOrderText)));
    Barra->setValue(0);
}

void TEsegueLista::StampaSchedaClick() {
    if (SayWhenMaskEmpty()) return;
    {
        WaitCursor wait;
        PrintCurrentCardThroughMask();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Alfabetico, Sequenziale, Barra, Status})
        w->setVisible(false);
}

void TEsegueLista::ListaTXTClick() {
    if (!singleCard_) {
        answer_ = kShowList;
        accept();
        return;
    }
    ShowTextViewer(this, ViewerFile::Report);
    answer_ = 0;
    Status->clear();
    Barra->setValue(0);
}

void TEsegueLista::EsciClick() {
    answer_ = 0;
    reject();
}

void TEsegueLista::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

int OpenListRun(QWidget* owner, int commandCode) {
    return ExchangeDialog<TEsegueLista>(owner, commandCode);
}

}  // namespace qv

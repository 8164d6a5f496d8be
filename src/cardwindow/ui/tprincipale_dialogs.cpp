// The operations behind the card window's tool buttons: each opens the dialog or job it names.
#include <QAction>

#include "cardwindow/ui/tordinamento.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/tprincipale_commands.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/form_kit.h"
#include "elaborations/ui/tesegue.h"
#include "platform/ui/dialogs.h"
#include "selection/ui/teseguecollettiva.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tselezionamaschera.h"

namespace qv {

using namespace principale;

namespace {
constexpr int kCardChangedText = 2303;
constexpr int kCardChangedUnstorableText = 2309;
constexpr int kBackToCardChoice = 2304;
}  // namespace

void TPrincipale::RicercaSchClick() {
    OpenCardDialog(CardDialog::SearchOptions, this);
}

void TPrincipale::AzzeraRicClick() {
    OpenCardDialog(CardDialog::ClearSearch, this);
}

void TPrincipale::EsegueRicClick() {
    OpenCollectiveSelection(this);
}

void TPrincipale::SalvaRClick() {
    OpenCardDialog(CardDialog::SaveSearch, this);
}

void TPrincipale::ApriRClick() {
    OpenCardDialog(CardDialog::RecallSearch, this);
}

void TPrincipale::AttribuzioneClick(int job) {
    OpenBatchRunner(this, job);
}

void TPrincipale::RiordinaClick() {
    OpenBatchRunner(this, kReorderJob);
}

void TPrincipale::RicodificaListeClick() {
    OpenCardDialog(CardDialog::Recoding, this);
}

void TPrincipale::VedeMascheraClick() {
    OpenPrintMask(this, kListModeRequest);
}

int TPrincipale::EsegueListeClick(int request) {
    return OpenListRun(this, request);
}

void TPrincipale::EsegueOrdineClick() {
    OpenOrderDialog(this);
}

void TPrincipale::FaiEtichetteClick() {
    OpenCardDialog(CardDialog::Labels, this);
}

void TPrincipale::FaiMergeClick() {
    OpenCardDialog(CardDialog::MergedList, this);
}

void TPrincipale::ClickableListCommand() {
    // What stands typed belongs to the card in hand, which a chosen row replaces.
    if (CoreState.CardWindowMode == kEntryMode) CommitBeforeMove();
    const int32_t inHand = CoreState.CurrentCard;
    if (ExchangeCardDialog(CardDialog::ClickableList, this, 0) != kRowChosen) return;
    const int32_t chosen = CoreState.CurrentCard;
    CoreState.CurrentCard = inHand;
    if (!MayLeaveCardInHand()) return;
    CoreState.CurrentCard = chosen;
    ShowListedCard();
}

bool TPrincipale::MayLeaveCardInHand() {
    if (CoreState.CardWindowMode != kEntryMode || !typedOnCard_) return true;
    switch (AskLeavingChanges(ArchiveWritable(), kCardChangedText, kCardChangedUnstorableText,
                              kBackToCardChoice)) {
        case LeaveChoice::Save:
            StoreCardInHand();
            return true;
        case LeaveChoice::Discard:
            typedOnCard_ = false;
            return true;
        case LeaveChoice::GoBack:
            break;
    }
    return false;
}

void TPrincipale::ShowListedCard() {
    ReadCardValues();
    ReadCardText();
    CoreState.CardWindowMode = kEntryMode;
    VisualizzaClick();
}

void TPrincipale::VedeListaClick() {
    if (!CoreState.ListReady) return;
    ClickableListCommand();
}

void TPrincipale::StampaPaginaClick() {
    OpenPrintMask(this, kPagePrintRequest);
    OpenListRun(this, kPagePrintRequest);
}

void TPrincipale::numSchedaClick() {
    OpenCardDialog(CardDialog::GoToCard, this);
}

int TPrincipale::CancCampiClick() {
    return ExchangeCardDialog(CardDialog::ClearFields, this, 0);
}

int TPrincipale::CopiaSchClick() {
    return ExchangeCardDialog(CardDialog::CopyCard, this, 0);
}

}  // namespace qv

// The operations behind the card window's tool buttons: each opens the dialog or job it names.
#include <QAction>

#include "cardwindow/ui/tordinamento.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/tprincipale_commands.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "elaborations/ui/tesegue.h"
#include "platform/ui/dialogs.h"
#include "selection/ui/teseguecollettiva.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tselezionamaschera.h"

namespace qv {

using namespace principale;

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
    if (ExchangeCardDialog(CardDialog::ClickableList, this, 0) == kRowChosen) ShowListedCard();
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

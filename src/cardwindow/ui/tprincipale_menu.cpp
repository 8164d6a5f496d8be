// The card window's main menu and the shapes its commands take.
#include <QAction>
#include <QScreen>
#include <QToolButton>

#include "cardwindow/ui/taboutbox.h"
#include "cardwindow/ui/tinputdati.h"
#include "cardwindow/ui/touttot.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/tprincipale_commands.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/ui/archive_commands.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/telaborazioni.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "selection/search_by_example.h"

namespace qv {

using namespace principale;

namespace {

constexpr int kFeaturesHelpPage = 31;

}  // namespace

void TPrincipale::ConnectCommands() {
    const auto on = [this](QAction* action, void (TPrincipale::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { GuardedIo([&] { (this->*handler)(); }); });
    };
    on(ApriArchivio, &TPrincipale::ApriArchivioClick);
    on(Archivio1, &TPrincipale::Archivio1Click);
    on(Inserimentomodifica1, &TPrincipale::Inserimentomodifica1Click);
    on(Ricercadischede1, &TPrincipale::Ricercadischede1Click);
    on(AttribuzioneAutomatica, &TPrincipale::AttribuzioneAutomaticaClick);
    on(Range, &TPrincipale::RangeClick);
    on(Indicatori, &TPrincipale::IndicatoriClick);
    on(RiordinaListe, &TPrincipale::RiordinaListeClick);
    on(Merge, &TPrincipale::MergeClick);
    on(Input, &TPrincipale::InputClick);
    on(Output, &TPrincipale::OutputClick);
    on(Edit, &TPrincipale::EditClick);
    on(Configura, &TPrincipale::ConfiguraClick);
    on(Selezionedelleschede1, &TPrincipale::Selezionedelleschede1Click);
    on(Listaleschedeselezionate1, &TPrincipale::Listaleschedeselezionate1Click);
    on(InvioEmail, &TPrincipale::InvioEmailClick);
    on(Elab1, &TPrincipale::Elab1Click);
    on(ElaborazioniVeloci1, &TPrincipale::ElaborazioniVeloci1Click);
    on(Lista1, &TPrincipale::Lista1Click);
    on(AboutItem, &TPrincipale::AboutItemClick);
    on(Help1, &TPrincipale::Help1Click);

    const std::pair<QToolButton*, void (TPrincipale::*)()> buttons[] = {
        {b1, &TPrincipale::b1Click},  {b2, &TPrincipale::b2Click}, {b3, &TPrincipale::b3Click},
        {b4, &TPrincipale::b4Click},  {b5, &TPrincipale::b5Click}, {b6, &TPrincipale::b6Click},
        {b7, &TPrincipale::b7Click},  {b8, &TPrincipale::b8Click}, {b9, &TPrincipale::b9Click},
        {b10, &TPrincipale::b10Click}};
    for (const auto& [button, handler] : buttons)
        connect(button, &QToolButton::clicked, this,
                [this, h = handler] { GuardedIo([&] { (this->*h)(); }); });
}

// ---- Shapes of the commands ----

void TPrincipale::RestoreSearchMask() {
    qv::RestoreSearchMask();
}

void TPrincipale::ModeCommand(int mode) {
    CinsClick();
    CoreState.CardWindowMode = mode;
    VisualizzaClick();
}

void TPrincipale::DialogCommand(const std::function<void()>& open) {
    CinsClick();
    // The dialog is shown in search mode, as the dialogs that read the mode expect.
    CoreState.CardWindowMode = kSearchMode;
    try {
        open();
    } catch (const IoError& e) {
        // The dialog's work is abandoned; the window still comes back in search mode.
        ShowIoError(e);
    }
    RestoreSearchMask();
    CoreState.CardWindowMode = kSearchMode;
    VisualizzaClick();
}

CardWindowSteps TPrincipale::ArchiveSteps() {
    CardWindowSteps steps;
    steps.storeCard = [this] { CinsClick(); };
    steps.applyArchive = [this] { ApplyArchiveToWindow(); };
    steps.centre = [this] { CentreOnDesktop(); };
    steps.repaint = [this] { VisualizzaClick(); };
    steps.disableArchiveList = [this] { Archivio1->setEnabled(false); };
    return steps;
}

void TPrincipale::CentreOnDesktop() {
    adjustSize();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

// ---- Main menu ----

void TPrincipale::ApriArchivioClick() {
    OpenArchiveFromFile(this, ArchiveSteps());
}

void TPrincipale::Archivio1Click() {
    OpenArchiveList(this, ArchiveSteps());
}

void TPrincipale::Inserimentomodifica1Click() {
    // The card in hand is read again from its files: edits not stored are dropped.
    ReadCardValues();
    ReadCardText();
    CoreState.CardWindowMode = kEntryMode;
    VisualizzaClick();
}

void TPrincipale::Ricercadischede1Click() {
    CinsClick();
    RestoreSearchMask();
    CoreState.SearchEnded = 1;
    CoreState.CardWindowMode = kSearchMode;
    VisualizzaClick();
    b4->setEnabled(false);
}

void TPrincipale::AttribuzioneAutomaticaClick() {
    CinsClick();
    ClearCardFields(1, CoreState.FieldCount);
    CoreState.CardWindowMode = kAttributionMode;
    VisualizzaClick();
}

void TPrincipale::RangeClick() {
    DialogCommand([this] { OpenCardDialog(CardDialog::RangeCheck, this); });
}

void TPrincipale::IndicatoriClick() {
    DialogCommand([this] { OpenCardDialog(CardDialog::Indicators, this); });
}

void TPrincipale::RiordinaListeClick() {
    ModeCommand(kReorderMarkMode);
}

void TPrincipale::MergeClick() {
    DialogCommand([this] { OpenCardDialog(CardDialog::MergeArchives, this); });
}

void TPrincipale::InputClick() {
    DialogCommand([this] { OpenTextImport(this); });
}

void TPrincipale::OutputClick() {
    DialogCommand([this] { OpenTotalExport(this); });
}

void TPrincipale::EditClick() {
    OpenDesigner(this, ArchiveSteps());
}

void TPrincipale::ConfiguraClick() {
    CinsClick();
    CoreState.CardWindowMode = kSearchMode;
    // The entry options may store a marking mode; the card in hand stays as it is.
    OpenCardDialog(CardDialog::EntryOptions, this);
    VisualizzaClick();
}

void TPrincipale::Selezionedelleschede1Click() {
    ModeCommand(kSelectionMode);
}

void TPrincipale::Listaleschedeselezionate1Click() {
    ModeCommand(kListMode);
}

void TPrincipale::InvioEmailClick() {
    DialogCommand([this] { OpenCardDialog(CardDialog::Email, this); });
}

void TPrincipale::Elab1Click() {
    DialogCommand([this] { OpenElaborationsHub(this); });
}

void TPrincipale::ElaborazioniVeloci1Click() {
    DialogCommand([this] { OpenCardDialog(CardDialog::QuickHub, this); });
}

void TPrincipale::Lista1Click() {
    // The card in hand is not stored: a chosen row replaces it.
    ClickableListCommand();
}

void TPrincipale::AboutItemClick() {
    TAboutBox box(this);
    ShowModal(box);
}

void TPrincipale::Help1Click() {
    ShowHelpPage(this, kFeaturesHelpPage);
}

}  // namespace qv

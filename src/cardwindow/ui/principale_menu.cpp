// The card window's main menu, its tool buttons per mode and the operations behind them.
#include <QAction>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

#include "cardwindow/entry_options.h"
#include "cardwindow/ui/about_box.h"
#include "cardwindow/ui/card_dialogs.h"
#include "cardwindow/ui/card_jobs.h"
#include "cardwindow/ui/card_search.h"
#include "cardwindow/ui/input_dati.h"
#include "cardwindow/ui/ordinamento.h"
#include "cardwindow/ui/out_tot.h"
#include "cardwindow/ui/principale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/ui/archive_commands.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "selection/search_by_example.h"
#include "selection/ui/esegue_collettiva.h"
#include "selection/ui/esegue_lista.h"
#include "selection/ui/seleziona_maschera.h"

namespace qv {

namespace {

constexpr int kEntryMode = 1;
constexpr int kSearchMode = 2;
constexpr int kAttributionMode = 3;
constexpr int kSelectionMode = 12;
constexpr int kListMode = 14;
constexpr int kReorderMode = 16;

constexpr int kRepaint = 1;
constexpr int kFeaturesHelpPage = 31;
constexpr int kNotesSelector = -1;
// Requests of the list run and print mask dialogs, and the list run's answer.
constexpr int kListModeRequest = 1;
constexpr int kPagePrintRequest = 2;
constexpr int kSearchListRequest = 4;
constexpr int kShowListAnswer = 3;
// The clickable list's answer: a row's card became the current card.
constexpr int kRowChosen = 1;
// Batch runner jobs started from the tool bar.
constexpr int kAttributionJob = 2;
constexpr int kAttributionAllJob = 3;
constexpr int kReorderJob = 6;
// Answers of the clear dialog.
constexpr int kClearField = 1;
constexpr int kClearAll = 2;
constexpr int kClearMarked = 3;

constexpr int kReorderMark = 64;
constexpr int kMaxClassWidth = 99;

// The search's rule file, made with its default content when missing.
constexpr int kSearchRulesFile = 55;
constexpr char kSearchRulesDefault[] = "1,2,3,";

// The search step's progress on the window's own bar.
class SearchBarProgress : public Progress {
  public:
    explicit SearchBarProgress(QProgressBar* bar) : bar_(bar) {}
    void SetMaximum(int maximum) override { bar_->setRange(0, std::max(0, maximum)); }
    void SetPosition(int position) override {
        bar_->setValue(position);
        bar_->repaint();
    }

  private:
    QProgressBar* bar_;
};

// A menu command or button abandoned by a file error shows the error; the program goes on.
template <typename Work>
void Guarded(Work&& work) {
    try {
        work();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

int FieldLimit() {
    return std::clamp(CoreState.FieldCount, 0, kMaxFields);
}

// The marking mode's attribute bit that b2 takes off every field.
int MarkOfMode(int mode) {
    switch (mode) {
        case 5:
            return 1;
        case 6:
            return 2;
        case 7:
            return 4;
        case 9:
            return 16;
        default:
            return 0;
    }
}

}  // namespace

void TPrincipale::ConnectCommands() {
    const auto on = [this](QAction* action, void (TPrincipale::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
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
        connect(button, &QToolButton::clicked, this, [this, h = handler] { Guarded([&] { (this->*h)(); }); });
}

// ---- Shapes of the commands ----

void TPrincipale::RestoreSearchMask() {
    qv::RestoreSearchMask();
}

void TPrincipale::ModeCommand(int mode) {
    CinsClick();
    CoreState.CardWindowMode = mode;
    CoreState.CommandCode = kRepaint;
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
    CoreState.CommandCode = kRepaint;
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
    CoreState.CommandCode = kRepaint;
    VisualizzaClick();
}

void TPrincipale::Ricercadischede1Click() {
    CinsClick();
    RestoreSearchMask();
    CoreState.SearchEnded = 1;
    CoreState.CardWindowMode = kSearchMode;
    CoreState.CommandCode = kRepaint;
    VisualizzaClick();
    b4->setEnabled(false);
}

void TPrincipale::AttribuzioneAutomaticaClick() {
    CinsClick();
    ClearCardFields(1, CoreState.FieldCount);
    CoreState.CardWindowMode = kAttributionMode;
    CoreState.CommandCode = kRepaint;
    VisualizzaClick();
}

void TPrincipale::RangeClick() {
    DialogCommand([this] { OpenCardDialog(CardDialog::RangeCheck, this); });
}

void TPrincipale::IndicatoriClick() {
    DialogCommand([this] { OpenCardDialog(CardDialog::Indicators, this); });
}

void TPrincipale::RiordinaListeClick() {
    ModeCommand(kReorderMode);
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
    CoreState.CommandCode = kRepaint;
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
    OpenClickableList();
    if (CoreState.CommandCode == kRowChosen) ShowListedCard();
}

void TPrincipale::AboutItemClick() {
    TAboutBox box(this);
    ShowModal(box);
}

void TPrincipale::Help1Click() {
    ShowHelpPage(this, kFeaturesHelpPage);
}

// ---- Tool buttons ----

void TPrincipale::b1Click() {
    // Help page N explains mode N.
    ShowHelpPage(this, CoreState.CardWindowMode);
}

void TPrincipale::b2Click() {
    switch (CoreState.CardWindowMode) {
        case kSearchMode:
            RicercaSchClick();
            ContenutoCampiClick();
            return;
        case 5:
        case 6:
        case 7:
        case 9:
            ClearMarkOfMode();
            return;
        case kSelectionMode:
            AzzeraRicClick();
            ContenutoCampiClick();
            return;
        case kListMode:
            VedeMascheraClick();
            return;
        case kReorderMode:
            ClearReorderMarks();
            return;
        default:
            return;
    }
}

void TPrincipale::b3Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            PreviousCardClick();
            return;
        case kSearchMode:
            // What stands typed in the field belongs to the mask, as if Enter had been pressed.
            CommitBeforeMove();
            RunSearch();
            return;
        case kAttributionMode:
            CommitBeforeMove();
            CoreState.CommandCode = kAttributionJob;
            AttribuzioneClick();
            CoreState.CommandCode = kRepaint;
            VisualizzaClick();
            return;
        case kSelectionMode:
            EsegueRicClick();
            CoreState.CommandCode = 2;
            VisualizzaClick();
            return;
        case kListMode:
            CoreState.CommandCode = kListModeRequest;
            EsegueListeClick();
            Lista1->setEnabled(CoreState.ListReady != 0);
            if (CoreState.CommandCode == kShowListAnswer) VedeListaClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b4Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
        case 4:
            CinsClick();
            numSchedaClick();
            // Read and shown even when the dialog was left without choosing.
            ReadCardText();
            ReadCardValues();
            VisualizzaClick();
            return;
        case kSearchMode:
            if (CoreState.SearchEnded) return;
            CoreState.ProceedFlag = 0;
            CoreState.SearchEnded = 0;
            ContinuaSchClick();
            ContenutoCampiClick();
            return;
        case kAttributionMode:
            CommitBeforeMove();
            CoreState.CommandCode = kAttributionAllJob;
            AttribuzioneClick();
            CoreState.CommandCode = kRepaint;
            VisualizzaClick();
            return;
        case kSelectionMode:
            SalvaRClick();
            CoreState.CommandCode = 2;
            VisualizzaClick();
            return;
        case kListMode:
            VedeListaClick();
            return;
        case kReorderMode:
            if (RefusedWithoutWriteAccess()) return;
            CoreState.CommandCode = kReorderJob;
            RiordinaClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b5Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            NextCardClick();
            return;
        case kSelectionMode:
            ApriRClick();
            CoreState.CommandCode = 2;
            VisualizzaClick();
            return;
        case kListMode:
            EsegueOrdineClick();
            return;
        case kReorderMode: {
            const int f = CoreState.CurrentField;
            const bool coded = f >= 1 && f <= kMaxFields && FieldTypes[size_t(f)] >= 0;
            if (coded && !RefusedWithoutWriteAccess()) RicodificaListeClick();
            return;
        }
        default:
            return;
    }
}

void TPrincipale::b6Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            StampaPaginaClick();
            return;
        case kSearchMode:
            ClearByAnswer();
            return;
        case kSelectionMode:
            StepClassWidth(-1);
            return;
        default:
            return;
    }
}

void TPrincipale::b7Click() {
    switch (CoreState.CardWindowMode) {
        case kSearchMode:
            StampaPaginaClick();
            return;
        case kListMode:
            CoreState.ListOrderField = 0;
            CoreState.ListGroupField1 = 0;
            CoreState.ListGroupField2 = 0;
            ContenutoCampiClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b8Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            ClearByAnswer();
            return;
        case kSearchMode:
            CoreState.CommandCode = kNotesSelector;
            VedeHelpClick();
            ContenutoCampiClick();
            return;
        case kSelectionMode:
            StepClassWidth(+1);
            return;
        case kListMode:
            FaiEtichetteClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b9Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            CopiaSchClick();
            if (CoreState.CommandCode > 0) ContenutoCampiClick();
            return;
        case kListMode:
            FaiMergeClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b10Click() {
    if (CoreState.CardWindowMode != kEntryMode) return;
    CoreState.CommandCode = kNotesSelector;
    VedeHelpClick();
    ContenutoCampiClick();
}

void TPrincipale::ClearByAnswer() {
    CancCampiClick();
    const int answer = CoreState.CommandCode;
    qv::ClearByAnswer(answer);
    if (answer >= kClearField && answer <= kClearMarked) NoteCardChanged();
    if (answer == kClearField)
        RedrawField(CoreState.CurrentField);
    else if (answer == kClearAll || answer == kClearMarked)
        ContenutoCampiClick();
}

void TPrincipale::ClearMarkOfMode() {
    const int bit = MarkOfMode(CoreState.CardWindowMode);
    if (bit == 0) return;
    for (int f = 1; f <= FieldLimit(); ++f)
        if (FieldAttributes[size_t(f)] & bit)
            FieldAttributes[size_t(f)] = int16_t(FieldAttributes[size_t(f)] - bit);
    ContenutoCampiClick();
}

void TPrincipale::ClearReorderMarks() {
    for (int f = 1; f <= FieldLimit(); ++f)
        if (IsReorderField(f))
            FieldAttributes[size_t(f)] = int16_t(FieldAttributes[size_t(f)] - kReorderMark);
    ContenutoCampiClick();
}

void TPrincipale::StepClassWidth(int step) {
    // Widths run 1 to 99; stepping past either end (or from a width out of range) gives 1.
    int width = CoreState.ClassWidth + step;
    if (width < 1 || width > kMaxClassWidth) width = 1;
    CoreState.ClassWidth = width;
    MostraClassiClick();
}

void TPrincipale::MostraClassiClick() {
    b7->setText(QString::number(CoreState.ClassWidth).left(20));
}

// ---- Search from the card window ----

void TPrincipale::ShowSearchBar(bool shown) {
    ToolBar1->setVisible(!shown);
    ToolBar2->setVisible(shown);
}

void TPrincipale::RunSearch() {
    if (!CoreState.SearchAsList) {
        CoreState.ProceedFlag = 0;
        CoreState.SearchEnded = 1;
        ContinuaSchClick();
        b4->setEnabled(true);
        return;
    }
    RunSearchAsList();
}

void TPrincipale::RunSearchAsList() {
    CardSelectionMask.fill(0);
    CoreState.ListRow = 0;
    CoreState.ListReady = 0;
    Barra->setRange(0, std::max(0, CoreState.LastCard));
    Barra->setValue(0);
    ShowSearchBar(true);
    CoreState.SearchEnded = 1;
    try {
        // Every step that finds something finds another card, so the search ends within one
        // step per card; the bound keeps a step that stops advancing from hanging the window.
        const int64_t maxSteps = int64_t(std::max(0, CoreState.LastCard)) + 2;
        int64_t steps = 0;
        do {
            ContinuaSchClick();
            if (CoreState.SearchEnded) break;
            const int32_t card = CoreState.CurrentCard;
            if (card >= 0 && card < kSelectionMaskBytes * 8)
                CardSelectionMask[size_t(card / 8)] |= uint8_t(128u >> (card % 8));
            CoreState.ListReady = 1;
        } while (++steps < maxSteps);
        CoreState.SearchEnded = 1;
    } catch (...) {
        ShowSearchBar(false);
        throw;
    }
    CurrentCardText = SavedCardText;
    CurrentCardValues = SavedCardValues;
    ShowSearchBar(false);
    if (CoreState.ListReady) {
        CoreState.CommandCode = kSearchListRequest;
        EsegueListeClick();
        if (CoreState.CommandCode == kShowListAnswer) VedeListaClick();
    }
    Lista1->setEnabled(CoreState.ListReady != 0);
}

void TPrincipale::ContinuaSchClick() {
    const std::string rules = DataFilePath(kSearchRulesFile);
    if (!TryReadFile(rules)) WriteFileAtomic(ResolveForCreate(rules), kSearchRulesDefault);
    EsegueRicercaClick();
    if (!CoreState.SearchAsList) VisualizzaClick();
}

void TPrincipale::EsegueRicercaClick() {
    const bool single = !CoreState.SearchAsList;
    if (single) {
        Barra->setRange(0, std::max(0, CoreState.LastCard));
        Barra->setValue(0);
        ShowSearchBar(true);
    }
    SearchBarProgress progress(Barra);
    try {
        RunCardSearchStep(progress);
    } catch (...) {
        if (single) ShowSearchBar(false);
        throw;
    }
    if (single) ShowSearchBar(false);
}

// ---- Operations behind the buttons ----

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

void TPrincipale::AttribuzioneClick() {
    TEsegue runner(this);
    ShowModal(runner);
}

void TPrincipale::RiordinaClick() {
    TEsegue runner(this);
    ShowModal(runner);
}

void TPrincipale::RicodificaListeClick() {
    OpenCardDialog(CardDialog::Recoding, this);
}

void TPrincipale::VedeMascheraClick() {
    OpenPrintMask(this, kListModeRequest);
}

void TPrincipale::EsegueListeClick() {
    OpenListRun(this, CoreState.CommandCode);
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

void TPrincipale::OpenClickableList() {
    if (!OpenCardDialog(CardDialog::ClickableList, this)) CoreState.CommandCode = 0;
}

void TPrincipale::ShowListedCard() {
    ReadCardValues();
    ReadCardText();
    CoreState.CardWindowMode = kEntryMode;
    CoreState.CommandCode = kRepaint;
    VisualizzaClick();
}

void TPrincipale::VedeListaClick() {
    if (!CoreState.ListReady) return;
    OpenClickableList();
    if (CoreState.CommandCode == kRowChosen) ShowListedCard();
}

void TPrincipale::StampaPaginaClick() {
    OpenPrintMask(this, kPagePrintRequest);
    OpenListRun(this, kPagePrintRequest);
}

void TPrincipale::numSchedaClick() {
    OpenCardDialog(CardDialog::GoToCard, this);
}

void TPrincipale::CancCampiClick() {
    if (!OpenCardDialog(CardDialog::ClearFields, this)) CoreState.CommandCode = 0;
}

void TPrincipale::CopiaSchClick() {
    if (!OpenCardDialog(CardDialog::CopyCard, this)) CoreState.CommandCode = 0;
}

}  // namespace qv

#pragma once
#include <QImage>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "cardwindow/ui/card_painter.h"
#include "core/ui/widgets_fwd.h"

class QAction;

namespace qv {

struct CardWindowSteps;
struct CursorMove;

// The main window: the card window with the main menu.
class TPrincipale : public QMainWindow {
    Q_OBJECT
  public:
    explicit TPrincipale(QWidget* parent = nullptr);
    ~TPrincipale() override;

    // Creation steps: menu captions, archive list availability, list item, size, logo and
    // the write password.
    void FormCreate();
    // Steps 3 to 5 of the creation, repeated after another archive has been opened.
    void ApplyArchiveToWindow();

    // Painting of the card page (the drawing itself lives in CardPainter).
    void VisualizzaClick();
    void PaginaClick() { painter_->PaginaClick(); }
    void ContenutoCampiClick() { painter_->ContenutoCampiClick(); }
    // Draws the field whose number is in CoreState.CommandCode.
    void ScriveCampoClick() { painter_->ScriveCampoClick(); }
    void DrawCardText(const TextStyle& style, int alignment, const std::string& text, int y, int x) {
        painter_->DrawCardText(style, alignment, text, y, x);
    }
    void sxxClick() { painter_->sxxClick(); }
    CardPainter& Painter() { return *painter_; }

    void Esci2Click();

    // Card entry. The key handlers take Windows virtual-key codes and Windows-1252 characters;
    // the card canvas delivers key-down, then key-press for a key that gives a character, then
    // key-up on the final release. Mouse points are in card coordinates.
    void FormKeyDown(int key);
    void FormKeyPress(char key);
    void FormKeyUp(int key);
    void FormMouseDown(int x, int y);
    void FormDblClick();
    // Next field, with the jump rules of the field left.
    void AggiungeClick();
    // Commit, then the next field (Enter).
    void LeggeStringaClick();
    // Commits the entry buffer into the card in hand. False when the field refused the typed
    // text: the card keeps the field's old value, the status line says why and which values
    // the field takes, and the typed text stays in the field selected for correction.
    bool CCClick();
    // The commit before the cursor leaves a field (a quick-entry field is already committed);
    // false on a refusal, when the cursor must stay. Commands that leave the field another way
    // go on, and the field shows its old value again.
    bool CommitBeforeMove();
    // Blanks the box of the field under the cursor.
    void CancSxxClick();
    // Leaves the card: commits the field being typed and, in mode 1 with write access, stores
    // the card.
    void CinsClick();
    // The card before and after the card in hand (F1, F2), listing the missing required fields
    // first.
    void PreviousCardClick();
    void NextCardClick();
    void ShowRequiredFieldsBeforeMove();

    // F4: the field's shown text to the clipboard. F5: the phone dialer's speed-dial entry.
    void VedeCopiaClick();
    void DialerClick();
    // The card-entry dialogs: go to a card, clear, copy (see card_dialogs.h); without the dialog
    // the answer is 0 and CurrentCard stays.
    void numSchedaClick();
    int CancCampiClick();
    int CopiaSchClick();

    // Main menu commands (tprincipale_menu.cpp).
    void ApriArchivioClick();
    void Archivio1Click();
    void Inserimentomodifica1Click();
    void Ricercadischede1Click();
    void AttribuzioneAutomaticaClick();
    void RangeClick();
    void IndicatoriClick();
    void RiordinaListeClick();
    void MergeClick();
    void InputClick();
    void OutputClick();
    void EditClick();
    void ConfiguraClick();
    void Selezionedelleschede1Click();
    void Listaleschedeselezionate1Click();
    void InvioEmailClick();
    void Elab1Click();
    void ElaborazioniVeloci1Click();
    void Lista1Click();
    void AboutItemClick();
    void Help1Click();

    // Tool buttons: each acts by CoreState.CardWindowMode.
    void b1Click();
    void b2Click();
    void b3Click();
    void b4Click();
    void b5Click();
    void b6Click();
    void b7Click();
    void b8Click();
    void b9Click();
    void b10Click();

    // Operations behind the tool buttons, each opening one dialog unless said otherwise.
    void RicercaSchClick();
    void AzzeraRicClick();
    void EsegueRicClick();
    void SalvaRClick();
    void ApriRClick();
    // The batch runner on an attribution job (copy or clear), and on the reordering of lists.
    void AttribuzioneClick(int job);
    void RiordinaClick();
    void RicodificaListeClick();
    void VedeMascheraClick();
    // The list run on a request of tprincipale_commands.h; answers as OpenListRun.
    int EsegueListeClick(int request);
    void EsegueOrdineClick();
    void FaiEtichetteClick();
    void FaiMergeClick();
    // The clickable list (only with a list built); a row clicked shows its card in mode 1.
    void VedeListaClick();
    // Chooses a print mask, then prints the card in hand through it.
    void StampaPaginaClick();
    // One search step from the card window, and the step itself with the progress bar.
    void ContinuaSchClick();
    void EsegueRicercaClick();
    // The class width of the distribution view on b7.
    void MostraClassiClick();

    // The search form of the last search back on the card, or an empty card.
    void RestoreSearchMask();

    // Menu items, with the program's names.
    QMenu* Schede1 = nullptr;
    QAction* ApriArchivio = nullptr;
    QAction* Archivio1 = nullptr;
    QAction* Inserimentomodifica1 = nullptr;
    QAction* Ricercadischede1 = nullptr;
    QAction* AttribuzioneAutomatica = nullptr;
    QAction* Range = nullptr;
    QAction* Indicatori = nullptr;
    QAction* RiordinaListe = nullptr;
    QAction* Merge = nullptr;
    QAction* Input = nullptr;
    QAction* Output = nullptr;
    QAction* Edit = nullptr;
    QAction* Configura = nullptr;
    QMenu* Elaborazioni1 = nullptr;
    QAction* Selezionedelleschede1 = nullptr;
    QAction* Listaleschedeselezionate1 = nullptr;
    QAction* InvioEmail = nullptr;
    QAction* Elab1 = nullptr;
    QAction* ElaborazioniVeloci1 = nullptr;
    QAction* Lista1 = nullptr;
    QMenu* Informazioni1 = nullptr;
    QAction* AboutItem = nullptr;
    QMenu* Esci1 = nullptr;
    QAction* Esci2 = nullptr;
    QAction* Help1 = nullptr;

    QImage CardLogo;
    // The card page, PageWidth by PageHeight; card coordinates count from its top left corner.
    CardCanvas* CardArea = nullptr;
    // The tool bar over the top of the card, with the speed buttons b1..b10.
    QWidget* ToolBar1 = nullptr;
    QToolButton* b1 = nullptr;
    QToolButton* b2 = nullptr;
    QToolButton* b3 = nullptr;
    QToolButton* b4 = nullptr;
    QToolButton* b5 = nullptr;
    QToolButton* b6 = nullptr;
    QToolButton* b7 = nullptr;
    QToolButton* b8 = nullptr;
    QToolButton* b9 = nullptr;
    QToolButton* b10 = nullptr;
    // Shown instead of ToolBar1 while a search runs.
    QWidget* ToolBar2 = nullptr;
    QProgressBar* Barra = nullptr;
    // The status line: what became of a typed value, wrapped so that the whole of it shows.
    QLabel* EntryStatus = nullptr;

    // Set when the window closes so the program block knows the close was the user's.
    bool Closed() const { return closed_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Keys and mouse of the card canvas; Tab reaches the card instead of moving the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void BuildMenu();
    void BuildToolBar();
    void ConnectCommands();
    CardWindowSteps ArchiveSteps();
    void CentreOnDesktop();
    // The two shapes most menu commands take.
    void ModeCommand(int mode);
    void DialogCommand(const std::function<void()>& open);
    // A clickable list that answered 1: its card in mode 1.
    void ShowListedCard();
    // The clickable list; a chosen row's card is then shown for editing.
    void ClickableListCommand();
    // Before the card in hand is replaced: with changes not stored, the person saves them,
    // lets them go, or stays (false).
    bool MayLeaveCardInHand();
    void ClearByAnswer();
    void StepClassWidth(int step);
    void RunSearch();
    void RunSearchAsList();
    // After a search step: a search that ended says so in the status line, and "Continua"
    // waits for the next search.
    void ShowSearchOutcome(bool continuing);
    void ShowSearchBar(bool shown);
    void FormClose();
    void DispatchCanvasEvent(QEvent* event);
    // Right after the write password: key releases, and one Enter, do not reach the card.
    bool SwallowPasswordKey(QEvent* event);
    // Draws field f again when it is shown (its page, a mode with fields).
    void RedrawField(int field);
    void RepaintPage();
    void ShowMove(const CursorMove& move);
    void DrawEntryBuffer(bool blankFirst);
    // The card window's status line; an empty text clears it.
    void ShowEntryStatus(const std::string& text);
    // Leaving the card in mode 1: stored with the write password, else a card typed on says
    // once that it is not stored.
    void StoreCardInHand();
    // The card in hand was changed by typing, a picker or a clear.
    void NoteCardChanged();
    void MoveToCard(int step);
    void OpenFieldPicker();
    void OpenConditionDialog();
    void PointerPosition(int x, int y);
    void MarkKey(char key);
    std::unique_ptr<CardPainter> painter_;
    bool closed_ = false;
    bool leaving_ = false;
    // Something was typed into the card in hand since it was last stored or left.
    bool typedOnCard_ = false;
    bool passwordKeysPending_ = false;
};

}  // namespace qv

#pragma once
#include <QImage>
#include <QMainWindow>

class QAction;
class QMenu;

namespace qv {

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

    void Esci2Click();
    // Commits the field being typed and stores the card in hand (card entry).
    void CinsClick();

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
    QWidget* CardArea = nullptr;

    // Set when the window closes so the program block knows the close was the user's.
    bool Closed() const { return closed_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenu();
    void FormClose();
    bool closed_ = false;
    bool leaving_ = false;
};

}  // namespace qv

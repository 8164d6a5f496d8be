#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Configura": the entry options. Its marking and display buttons store a mode in
// CoreState.CardWindowMode and close; the exit button stores the two switches; the settings
// page opens the rule files in the text viewer and chooses the colour of the entry box.
class TConfigura2 : public QDialog {
    Q_OBJECT
  public:
    explicit TConfigura2(QWidget* owner);

    QTabWidget* PageControl1 = nullptr;
    // "Ottimizzazioni", row by row: each button beside the texts that explain it
    QWidget* Ottimizzazioni = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* tabulatori = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Veloce = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* piu1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* Cancella = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* Copia = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* Help_Ottimizza = nullptr;
    // "Impostazioni"
    QWidget* TabSheet1 = nullptr;
    QLabel* Label15 = nullptr;
    QCheckBox* modalita = nullptr;
    QCheckBox* mouse = nullptr;
    QPushButton* Salti = nullptr;
    QPushButton* FineScheda = nullptr;
    QPushButton* ArchiviT = nullptr;
    QPushButton* Colori = nullptr;
    QPushButton* Help_Impostazioni = nullptr;
    // "Posizione dei campi"
    QWidget* TabSheet2 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QPushButton* Stampe = nullptr;
    QPushButton* PosRec = nullptr;
    QPushButton* Help_Campi = nullptr;

    QPushButton* Esci = nullptr;
    QPushButton* Help = nullptr;

    void FormCreate();
    void tabulatoriClick();
    void VeloceClick();
    void piu1Click();
    void CancellaClick();
    void Help_OttimizzaClick();
    void SaltiClick();
    void FineSchedaClick();
    void ArchiviTClick();
    void ColoriClick();
    void Help_ImpostazioniClick();
    void StampeClick();
    void PosRecClick();
    void Help_CampiClick();
    void EsciClick();
    void HelpClick();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Mark(int mode);
};

// The main window's command: opens the dialog modally with `owner` as its owner.
void OpenEntryOptions(QWidget* owner);

}  // namespace qv

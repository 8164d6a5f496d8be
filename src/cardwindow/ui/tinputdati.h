#pragma once
#include <QDialog>

#include "core/text_viewer.h"
#include "core/ui/widgets_fwd.h"

namespace qv {

enum class ImportMode;

// The text import of cards: layout, date order and data file, the field order "trc-dat.txt"
// (written by Sequenza, edited through Visualizza), and the import that appends (Aggiunge) or
// replaces every card (Crea), which needs the write password. Its answer is what later code finds
// in CoreState.CommandCode: 1 from the opening, the page or viewer it showed last, 0 after an
// import that reported; Visualizza shows the field order unless it is 0, else the report.
class TInputDati : public QDialog {
    Q_OBJECT
  public:
    explicit TInputDati(QWidget* owner);

    QLabel* Label4 = nullptr;
    QRadioButton* tabulatore = nullptr;
    QRadioButton* delimitatori = nullptr;
    QRadioButton* fissi = nullptr;
    QLineEdit* delim = nullptr;
    QPushButton* Sequenza = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* ITALIA = nullptr;
    QRadioButton* USA = nullptr;
    QPushButton* Visualizza = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* NomeFile = nullptr;
    QPushButton* Sfoglia = nullptr;
    QPushButton* AggiungeDati = nullptr;
    QPushButton* Crea = nullptr;
    QProgressBar* Barra = nullptr;
    QLabel* Status = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void SfogliaClick();
    void SequenzaClick();
    void VisualizzaClick();
    void AggiungeDatiClick();
    void CreaClick();
    void EsciClick();
    void Help2Click();
    int Answer() const { return answer_; }

  private:
    void ReadOptions();
    void Import(ImportMode mode);
    void ShowViewer(ViewerFile file);
    int answer_ = 0;
};

// Main menu item 11: the exchange, opening with 1; returns the answer, also left in
// CoreState.CommandCode.
int OpenTextImport(QWidget* owner);

}  // namespace qv

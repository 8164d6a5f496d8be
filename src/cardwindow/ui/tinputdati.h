#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

enum class ImportMode;

// The text import of cards: layout, date order and data file, the field order "trc-dat.txt"
// (written by Sequenza, edited through Visualizza), and the import that appends (Aggiunge) or
// replaces every card (Crea), which needs the write password.
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

  private:
    void ReadOptions();
    void Import(ImportMode mode);
};

// Main menu item 11.
void OpenTextImport(QWidget* owner);

}  // namespace qv

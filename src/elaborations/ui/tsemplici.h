#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Simple distributions: counts the chosen categories over the selected cards through the
// batch runner (job 7) and writes the report "tabella.txt". Its options live in CoreState.
class TSemplici : public QDialog {
    Q_OBJECT
  public:
    explicit TSemplici(QWidget* owner);

    QLineEdit* RigX = nullptr;
    QPushButton* righe = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* quant = nullptr;
    QPushButton* Quantitativa = nullptr;
    QPushButton* ELABORA = nullptr;
    QCheckBox* intestazioni = nullptr;
    QCheckBox* salta = nullptr;
    QCheckBox* cumulate = nullptr;
    QCheckBox* tabulatore = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Help2 = nullptr;
    QPushButton* MancaGriglia = nullptr;  // never shown

    void FormCreate();
    void righeClick();
    void QuantitativaClick();
    void MancaGrigliaClick();
    void ELABORAClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void StoreOptions();
    void ShowRowCount();
};

}  // namespace qv

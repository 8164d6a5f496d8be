#pragma once

#include <QDialog>

#include "core/ui/widgets_fwd.h"
#include "elaborations/count_table.h"

namespace qv {

// Cross tables: the chosen row categories against at most ten column categories over the
// selected cards, counted by the batch runner (job 7) and written to "tabella.txt" as tables
// or as the synoptic table. Its options live in CoreState.
class TDoppie : public QDialog {
    Q_OBJECT
  public:
    explicit TDoppie(QWidget* owner);

    QLineEdit* RigX = nullptr;
    QLineEdit* ColX = nullptr;
    QPushButton* Righe = nullptr;
    QPushButton* Colonne = nullptr;
    QCheckBox* quant = nullptr;
    QPushButton* Quantitativa = nullptr;
    QPushButton* Elabora = nullptr;
    QCheckBox* intesta = nullptr;
    QCheckBox* salta = nullptr;
    QCheckBox* pColonna = nullptr;
    QCheckBox* pRiga = nullptr;
    QCheckBox* pTotale = nullptr;
    QCheckBox* amplia = nullptr;
    QCheckBox* contorni = nullptr;
    QCheckBox* tabulatori = nullptr;
    QCheckBox* ChiQ = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Sinottico = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QPushButton* MancaGriglia = nullptr;  // never shown

    void FormCreate();
    void RigheClick();
    void ColonneClick();
    void QuantitativaClick();
    void ElaboraClick();
    void VisualizzaClick();
    void SinotticoClick();
    void EsciClick();
    void Help2Click();
    void MancaGrigliaClick();

  private:
    void StoreOptions();
    void ShowOptions();
    void ShowCounts();
    void ShowReport(CountTableState (*write)());
};

// Creates TDoppie with `owner`, shows it modally and destroys it.
void OpenCrossTables(QWidget* owner);

// Registers with the elaborations hub the dialogs built here: the cross tables, the row picker
// and the quantitative unit variable with the weights.
void RegisterCrossTableDialogs();

}  // namespace qv

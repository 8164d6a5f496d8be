#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Distribuzioni semplici" on the prepared quick files: the chosen rows of QuickRowFlags over
// the selected cards, written to "tabella.txt" and shown in the text viewer. Its options live
// in CoreState; while it is open CoreState.ElaborationMode is 2.
class TElabVelociSemplici : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociSemplici(QWidget* owner);

    QLineEdit* RigX = nullptr;
    QPushButton* righe2 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* quant = nullptr;
    QCheckBox* intestazioni = nullptr;
    QCheckBox* frequenza = nullptr;
    QCheckBox* salta = nullptr;
    QCheckBox* cumulate = nullptr;
    QCheckBox* tabulatore = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;
    // Never shown.
    QPushButton* Quantitativa = nullptr;
    QPushButton* MancaGriglia = nullptr;

    void FormCreate();
    void righe2Click();
    void QuantitativaClick();
    void MancaGrigliaClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void StoreOptions();
    void ShowOptions();
    void ShowRowCount();
};

// "Tabelle Doppie e Connessioni" on the prepared quick files: the cross tables of the chosen
// rows against at most ten columns, and the connections of each column.
class TElabVelociDoppie : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociDoppie(QWidget* owner);

    QLineEdit* ColX = nullptr;
    QPushButton* Colonne2 = nullptr;
    QLineEdit* RigX = nullptr;
    QPushButton* Righe2 = nullptr;
    QCheckBox* quant = nullptr;
    QCheckBox* intesta = nullptr;
    QCheckBox* salta = nullptr;
    QCheckBox* frequenze = nullptr;
    QCheckBox* pColonna = nullptr;
    QCheckBox* pRiga = nullptr;
    QCheckBox* pTotale = nullptr;
    QCheckBox* amplia = nullptr;
    QCheckBox* tabulatori = nullptr;
    QCheckBox* ChiQ = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* ChiQua = nullptr;
    QPushButton* VedeTab = nullptr;
    QPushButton* VedeConnessioni = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QPushButton* Concetti = nullptr;
    QProgressBar* Barra = nullptr;
    QProgressBar* Barra2 = nullptr;
    // Never shown.
    QPushButton* MancaGriglia = nullptr;
    QCheckBox* banali = nullptr;

    void FormCreate();
    void Righe2Click();
    void Colonne2Click();
    void VedeTabClick();
    void VedeConnessioniClick();
    void EsciClick();
    void Help2Click();
    void ConcettiClick();
    void MancaGrigliaClick();

  private:
    void StoreOptions();
    void StoreMinimum();
    void ShowOptions();
    void ShowCounts();
};

// Each opener creates its dialog with `owner`, shows it modally and destroys it.
void OpenQuickSimpleDistributions(QWidget* owner);
void OpenQuickCrossTables(QWidget* owner);

// Registers both with the quick hub's commands.
void RegisterQuickReportForms();

}  // namespace qv

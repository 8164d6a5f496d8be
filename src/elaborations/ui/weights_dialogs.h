#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Shows CoreState.QuantUnitVar in a list of the quantitative variables.
void ShowQuantUnitVar(QComboBox* box);

// Names of the quantitative grid's lines (the text after the second '*'), staged through
// "tresca.txt"; none when the grid does not open.
std::vector<std::string> QuantitativeVariableNames();

// Caption of the check box of the simple distributions and the cross tables that counts each
// card with the value of the unit variable chosen here.
constexpr int kQuantUnitCaptionText = 1842;

// The unit variable of the weighted counts: a line of "grq-sch.txt" kept in
// CoreState.QuantUnitVar; leads to the weights dialog.
class TQuantitativa : public QDialog {
    Q_OBJECT
  public:
    explicit TQuantitativa(QWidget* owner);

    QLabel* Label1 = nullptr;
    QComboBox* vQuant = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Pesi = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void PesiClick();
    void Help2Click();
};

// Stratified weights: strata from the rows chosen in the grid, the universe file, the weight
// calculation and the attribution of the weights to the selected cards.
class TPesi : public QDialog {
    Q_OBJECT
  public:
    explicit TPesi(QWidget* owner);

    QLabel* Label1 = nullptr;
    QComboBox* vQuant = nullptr;  // destination of the weights
    QPushButton* vQualit = nullptr;
    QPushButton* CreaFile = nullptr;
    QPushButton* Universo = nullptr;
    QPushButton* Calcolo = nullptr;
    QPushButton* Pesi = nullptr;
    QPushButton* Attribuisce = nullptr;
    QProgressBar* Barra = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void vQualitClick();
    void CreaFileClick();
    void UniversoClick();
    void CalcoloClick();
    void PesiClick();
    void AttribuisceClick();
    void EsciClick();
    void Help2Click();
};

// Creates TQuantitativa with `owner`, shows it modally and destroys it.
void OpenQuantitativeUnit(QWidget* owner);

}  // namespace qv

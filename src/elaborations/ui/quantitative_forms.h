#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Quantitative tables: sums, counts, means, sums per card and standard deviations of the
// quantitative variables chosen in QuantVarFlags, by at most nine column categories, counted
// by the batch runner's job 8 and written to "tabella.txt".
class TQuantitativeElab : public QDialog {
    Q_OBJECT
  public:
    explicit TQuantitativeElab(QWidget* owner);

    QLineEdit* RigX = nullptr;
    QPushButton* Righe = nullptr;
    QLineEdit* ColX = nullptr;
    QPushButton* SeleColonne = nullptr;
    QPushButton* Elabora = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* QuadriSinottici = nullptr;  // never shown
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void RigheClick();
    void SeleColonneClick();
    void ElaboraClick();
    void VisualizzaClick();
    void EsciClick();
    void QuadriSinotticiClick();
    void Help2Click();

  private:
    void ShowCounts();
};

// The quantitative variables of the tables: one item per line of "grq-sch.txt"; a click toggles
// its QuantVarFlags entry. Choices are saved to and restored from "*.squ" run lists.
class TQuantModalita : public QDialog {
    Q_OBJECT
  public:
    explicit TQuantModalita(QWidget* owner);

    QLineEdit* nRighe = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* modalita = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Disattiva = nullptr;
    QPushButton* Attiva = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void modalitaClick(int item);
    void EsciClick();
    void DisattivaClick();
    void AttivaClick();
    void SalvaClick();
    void RecuperaClick();
    void Help2Click();

  private:
    void SetAll(uint8_t value);
    void ShowFlags();
};

// Each opener creates its dialog with `owner`, shows it modally and destroys it.
void OpenQuantitativeTables(QWidget* owner);
void OpenQuantitativeVariablePicker(QWidget* owner);

}  // namespace qv

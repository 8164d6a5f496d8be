#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// MaxSim: the four category lists, the similarity index and the threshold percentage; runs the
// seriation and writes the reordered table "maxsimff.txt".
class TMaxSim : public QDialog {
    Q_OBJECT
  public:
    explicit TMaxSim(QWidget* owner);

    QLabel* Label1 = nullptr;  // "da utilizzare nell'elaborazione"
    QPushButton* Righe = nullptr;
    QPushButton* Colonne = nullptr;
    QLabel* Label2 = nullptr;  // "da aggiungere nella visualizzazione"
    QPushButton* Righe2 = nullptr;
    QPushButton* Colonne2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* Indici = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* soglia = nullptr;
    QPushButton* Elabora = nullptr;
    QLineEdit* Status = nullptr;
    QProgressBar* Barra = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void RigheClick();
    void ColonneClick();
    void Righe2Click();
    void Colonne2Click();
    void ElaboraClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void OpenList(int list);
    void StoreOptions();
};

void OpenMaxSimDialog(QWidget* owner);

}  // namespace qv

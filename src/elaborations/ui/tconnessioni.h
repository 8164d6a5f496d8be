#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Connections: each chosen row category against each of at most nine column categories, over
// the count table of the batch runner's job 7, listed in "tabella.txt" when the chi-square
// reaches the typed minimum. Its options are CoreState.MinChiSquare and HideTrivialConnections.
class TConnessioni : public QDialog {
    Q_OBJECT
  public:
    explicit TConnessioni(QWidget* owner);

    QLineEdit* ColX = nullptr;
    QLineEdit* RigX = nullptr;
    QPushButton* Colonne = nullptr;
    QPushButton* Righe = nullptr;
    QPushButton* Elabora = nullptr;
    QCheckBox* banali = nullptr;
    QLineEdit* ChiQ = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void ColonneClick();
    void RigheClick();
    void ElaboraClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void StoreOptions();
    void ShowCounts();
};

// Creates TConnessioni with `owner`, shows it modally and destroys it.
void OpenConnections(QWidget* owner);

// Registers with the elaborations hub the connections and the quantitative tables.
void RegisterConnectionDialogs();

}  // namespace qv

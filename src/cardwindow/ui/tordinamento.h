#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Ordinamento Alfabetico": builds the alphabetical order by the list's order field and the
// territorial order of the archive's cards. The segment length chosen in `ncar` is kept in
// CoreState.SortKeyLength.
class TOrdinamento : public QDialog {
    Q_OBJECT
  public:
    explicit TOrdinamento(QWidget* owner);

    QLabel* Label1 = nullptr;
    QComboBox* ncar = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* EsegueAlfa = nullptr;
    QPushButton* EsegueTerritorio = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;
    QLineEdit* Status = nullptr;

    void FormCreate();
    void EsegueAlfaClick();
    void EsegueTerritorioClick();
    void EsciClick();
    void Help2Click();

  private:
    int ChosenKeyLength() const;
};

// The main window's command: opens the dialog modally with `owner` as its owner.
void OpenOrderDialog(QWidget* owner);

}  // namespace qv

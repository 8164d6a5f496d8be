#pragma once
#include <QDialog>
#include <vector>

#include "territory/manual_selection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qv {

// The manual territory selection: comuni chosen one by one in the list of a province, a whole
// province, all of them, by name or within a distance of a comune, over TerritorySelection.
// CoreState.CommandCode names on opening the code whose province is shown and holds afterwards
// the code last chosen; with CardWindowMode below 4 the selection starts empty.
class TUnita : public QDialog {
    Q_OBJECT
  public:
    explicit TUnita(QWidget* owner);

    QLabel* LabelProvince = nullptr;
    QLabel* LabelComuni = nullptr;
    QLabel* LabelCerca = nullptr;
    QLabel* LabelKm = nullptr;
    QListWidget* Province = nullptr;
    QListWidget* Comuni = nullptr;
    QComboBox* CercaComune = nullptr;
    QLineEdit* Km = nullptr;
    QPushButton* AttivaProvincia = nullptr;
    QPushButton* DisattivaProvincia = nullptr;
    QPushButton* AttivaTutto = nullptr;
    QPushButton* DisattivaTutto = nullptr;
    QPushButton* Cerca = nullptr;
    QPushButton* AttivaKm = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    // The current item of the comune list is toggled.
    void ComuniClick();
    void ComuniDblClick();
    void ProvinceChange();
    void AttivaProvinciaClick();
    void DisattivaProvinciaClick();
    void AttivaTuttoClick();
    void DisattivaTuttoClick();
    void CercaClick();
    void AttivaKmClick();
    void SalvaClick();
    void RecuperaClick();
    void EsciClick();
    void Help2Click();

    // The territory code of an item of the comune list.
    int CodeOfItem(int row) const { return shownCodes_.first + row; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildProvinceList();
    void BuildComuneList();
    // Shows the province of a searched code and scrolls its comune into view.
    void ShowSearchedCode(int code);
    int SearchedCode();

    ProvinceTable provinces_;
    ComuneSearchList searchList_;
    CodeRange shownCodes_;
    int shownProvinceActiveCount_ = 0;
};

void OpenManualTerritorySelection(QWidget* owner);

}  // namespace qv

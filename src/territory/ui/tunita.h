#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <vector>

#include "core/core_state.h"
#include "core/ui/widgets_fwd.h"
#include "territory/manual_selection.h"

namespace qv {

// The manual territory selection: comuni chosen one by one in the list of a province, a whole
// province, all of them, by name or within a distance of a comune, over TerritorySelection.
// CoreState.CommandCode names on opening the code whose province is shown; the answer is the code
// last chosen, that code when none was; with CardWindowMode below 4 the selection starts empty.
// What a closing leaves depends on who opened it: the map options and the quick selection edit
// TerritorySelection; a value picker works on a copy, so the search's territory choice and its
// conditions stay as they were; the card search's condition (mode 12) puts the territorial
// field in the conditions on Esci.
enum class TUnitaUse { Selection, ValuePicker, SearchCondition };

class TUnita : public QDialog {
    Q_OBJECT
  public:
    explicit TUnita(QWidget* owner, TUnitaUse use = TUnitaUse::Selection);
    ~TUnita() override;

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
    int Answer() const { return answer_; }

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
    TUnitaUse use_;
    int answer_ = 0;
    std::array<uint8_t, kTerritoryTableSize> keptSelection_{};
};

// The exchanges: `code` names the province shown first, the answer (also left in
// CoreState.CommandCode) is the code last chosen, `code` when none was.
// The map options and the quick selection.
int OpenManualTerritorySelection(QWidget* owner, int code);
// The card window's territory command: the search's condition in mode 12, else a value picker.
int OpenComunePicker(QWidget* owner, int code);

}  // namespace qv

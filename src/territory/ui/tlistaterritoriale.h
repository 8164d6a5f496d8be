#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <vector>

#include "core/core_state.h"
#include "core/ui/widgets_fwd.h"
#include "territory/territorial_list.h"

namespace qv {

// "Lista Territoriale": for the field under the card window's cursor, the cards of the archive
// linked to it in "lkt-sch.imp" that lie in the selected territory (at opening the comune of
// the card in hand, or what "Territorio" chooses), restricted to the chosen categories of that
// archive and to a search text, written to "tabella.txt" and shown in the text viewer.
// The territory it lists is its own: the search's TerritorySelection is given back as it was
// when the dialog goes, and no search condition changes.
class TListaTerritoriale : public QDialog {
    Q_OBJECT
  public:
    explicit TListaTerritoriale(QWidget* owner);
    ~TListaTerritoriale() override;

    QListWidget* Tipologie = nullptr;
    QPushButton* Attiva = nullptr;
    QPushButton* Disattiva = nullptr;
    QLabel* LabelCerca = nullptr;
    QLineEdit* CercaStringa = nullptr;
    QPushButton* NelTerritorio = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    // A click on category `row`: its flag turns over.
    void TipologieClick(int row);
    void AttivaClick();
    void DisattivaClick();
    void NelTerritorioClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

    const TerritorialLink& Link() const { return link_; }
    // One flag per listed category, 1 = its cards are listed.
    const std::vector<uint8_t>& CategoryFlags() const { return flags_; }

  private:
    void SetAll(bool on);
    TerritorialLink link_;
    std::vector<uint8_t> flags_;
    std::array<uint8_t, kTerritoryTableSize> keptSelection_{};
};

// Creates the dialog with `owner`, shows it modally and destroys it.
void OpenTerritorialList(QWidget* owner);

}  // namespace qv

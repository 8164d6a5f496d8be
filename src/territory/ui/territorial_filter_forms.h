#pragma once
#include <QDialog>
#include <cstdint>
#include <span>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Narrows ("And") or widens ("Or") the comuni active on the map by the categories of a
// qualitative territorial variable.
class TQualitativi : public QDialog {
    Q_OBJECT
  public:
    explicit TQualitativi(QWidget* owner);

    QComboBox* Variabili = nullptr;
    QListWidget* Modalita = nullptr;
    QPushButton* AndRic = nullptr;
    QPushButton* OrRic = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Status = nullptr;

    void FormCreate();
    void VariabiliChange();
    void AndRicClick();
    void OrRicClick();
    void EsciClick();
    void Help2Click();

  private:
    void FillLists();
    void Filter(bool conjunction);
};

// The same by a range of the cards counted in each comune; `cardCounts` are the map's counts
// per comune (entry i for comune i). Without them (no map open) the filter does nothing.
class TQuantitativi : public QDialog {
    Q_OBJECT
  public:
    TQuantitativi(QWidget* owner, std::span<const int32_t> cardCounts);

    QLabel* LabelVariabile = nullptr;
    QLabel* LabelDa = nullptr;
    QLabel* LabelA = nullptr;
    QComboBox* Volume = nullptr;
    QComboBox* Cap = nullptr;
    QComboBox* VSel = nullptr;
    QLineEdit* da = nullptr;
    QLineEdit* a = nullptr;
    QPushButton* AndRic = nullptr;
    QPushButton* OrRic = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Ok = nullptr;

    void FormCreate();
    void AndRicClick();
    void OrRicClick();
    void EsciClick();
    void Help2Click();

  private:
    void Filter(bool conjunction);
    std::span<const int32_t> counts_;
};

}  // namespace qv

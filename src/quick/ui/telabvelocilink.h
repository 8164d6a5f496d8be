#pragma once
#include <QDialog>
#include <cstdint>
#include <vector>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Collegamento con altri archivi": for up to two links, the linked cards that the selected
// cards point to; a click on one keeps selected only the cards pointing to it. The selection
// and its log as they were at the opening can be brought back.
class TElabVelociLink : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociLink(QWidget* owner);

    QComboBox* link1 = nullptr;
    QListWidget* Lista1 = nullptr;
    QComboBox* link2 = nullptr;
    QListWidget* Lista2 = nullptr;
    QPushButton* Esci = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Schede = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Help2 = nullptr;
    QPushButton* Aggiorna = nullptr;  // never shown: its handler is the refresh

    // From index 1, the keys of the entries of Lista1 (Lista2): entry i is key i + 1.
    std::vector<int16_t> LinkKeys1;
    std::vector<int16_t> LinkKeys2;

    void FormCreate();
    void AggiornaClick();
    void link1Change();
    void link2Change();
    void Lista1Click();
    void Lista2Click();
    void RecuperaClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void FillLinkedList(int link, std::vector<int16_t>& keys, QListWidget* list, int& count);
    void ChooseLinkedCard(int link, const std::vector<int16_t>& keys, QListWidget* list);
    int links_ = 0;
    bool snapshotTaken_ = false;
};

// The reports dialog's opener: CoreState.ProceedFlag 1 (the dialog lists at once), the dialog
// created with `owner`, shown modally and destroyed, then ProceedFlag 0.
void OpenLinkedArchiveSelection(QWidget* owner);

}  // namespace qv

#pragma once
#include <QDialog>
#include <optional>
#include <vector>

#include "core/ui/widgets_fwd.h"

namespace qv {

enum class SelectionOperation;

// "Seleziona le schede": builds the card selection step by step from the prepared quick files,
// each step logged in the selection log.
class TElabVelociSeleziona : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociSeleziona(QWidget* owner);

    QPushButton* Attiva = nullptr;
    QLineEdit* Status1 = nullptr;
    QListWidget* Modalita = nullptr;
    QComboBox* Variabile = nullptr;
    QPushButton* EffettuaAnd = nullptr;
    QPushButton* EffettuaOr = nullptr;
    QPushButton* EffettuaNot = nullptr;
    QLineEdit* status2 = nullptr;

    QLineEdit* SiglaTerr = nullptr;
    QPushButton* Territorio = nullptr;
    QPushButton* AndTerr = nullptr;
    QPushButton* OrTerr = nullptr;
    QPushButton* NoTerr = nullptr;
    QLineEdit* StatusTerr = nullptr;
    QPushButton* Cartina = nullptr;

    QLineEdit* SiglaData = nullptr;
    QLabel* DataL1 = nullptr;
    QLineEdit* Inizio = nullptr;
    QLabel* DataL2 = nullptr;
    QLineEdit* fine = nullptr;
    QPushButton* AndD = nullptr;
    QPushButton* OrD = nullptr;
    QPushButton* NotD = nullptr;
    QLineEdit* StatusD = nullptr;

    QLineEdit* siglaQuant = nullptr;
    QLabel* QuantIni = nullptr;
    QLineEdit* InizioQ = nullptr;
    QLabel* quantFine = nullptr;
    QLineEdit* FineQ = nullptr;
    QPushButton* AndQ = nullptr;
    QPushButton* OrQ = nullptr;
    QPushButton* NotQ = nullptr;
    QLineEdit* StatusQ = nullptr;

    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void AttivaClick();
    void VariabileChange();
    void EffettuaAndClick();
    void EffettuaOrClick();
    void EffettuaNotClick();
    void TerritorioClick();
    void AndTerrClick();
    void OrTerrClick();
    void NoTerrClick();
    void AndDClick();
    void OrDClick();
    void NotDClick();
    void AndQClick();
    void OrQClick();
    void NotQClick();
    void CartinaClick();
    void EsciClick();
    void Help2Click();

  private:
    void ByVariable(SelectionOperation op);
    void ByTerritory(SelectionOperation op);
    void ByDate(SelectionOperation op);
    void ByQuantity(SelectionOperation op);
    std::vector<std::optional<int>> groupFirstLines_;
};

// Creates the quick selection with `owner`, shows it modally and destroys it.
void OpenQuickSelection(QWidget* owner);

}  // namespace qv

#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Controlli di range": names the municipality and province fields (CoreState.CommuneField,
// CoreState.ProvinceField), builds the province ranges "province.txt" and runs the range check
// (batch job 4) with the write password, showing its report afterwards.
class TRange : public QDialog {
    Q_OBJECT
  public:
    explicit TRange(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* nCom = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* nProv = nullptr;
    QPushButton* Crea = nullptr;
    QPushButton* InizioFine = nullptr;
    QPushButton* Esegue = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Status = nullptr;
    // Hidden: their handlers are steps of "Esegue".
    QPushButton* Aggiorna = nullptr;
    QPushButton* Controlla = nullptr;

    void FormCreate();
    void CreaClick();
    void InizioFineClick();
    void EsegueClick();
    void AggiornaClick();
    // True when the check ran to its end.
    bool ControllaClick();
    void EsciClick();
    void Help2Click();
};

// The main menu's command: opens the dialog modally with `owner` as its owner.
void OpenRangeDialog(QWidget* owner);

}  // namespace qv

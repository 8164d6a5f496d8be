#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Aggiorna gli indicatori": edits the definitions "indicato.txt" and runs the indicators over
// every card (batch job 5).
class Tindicatori : public QDialog {
    Q_OBJECT
  public:
    explicit Tindicatori(QWidget* owner);

    QPushButton* Lista = nullptr;
    QPushButton* Aggiorna = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Status = nullptr;  // not used

    void FormCreate();
    void ListaClick();
    void AggiornaClick();
    void EsciClick();
    void Help2Click();
};

// The main menu's command: opens the dialog modally with `owner` as its owner.
void OpenIndicatorsDialog(QWidget* owner);

}  // namespace qv

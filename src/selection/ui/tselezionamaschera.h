#pragma once
#include <QDialog>
#include <string>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Maschera di stampa": views and edits the archive's working print mask "mas-dat.txt", loads
// it from or saves it to a mask file of the user's, and makes it from the card definition.
// CommandCode 1 or 2 on opening names the exit button after the list mode or the page print.
class TSelezionaMaschera : public QDialog {
    Q_OBJECT
  public:
    explicit TSelezionaMaschera(QWidget* owner);

    QPushButton* Visualizza = nullptr;
    QPushButton* Button1 = nullptr;  // "Crea Maschera"
    QPushButton* Apri = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Status = nullptr;

    void FormCreate();
    void VisualizzaClick();
    void ApriClick();
    void SalvaClick();
    void Button1Click();
    void Help2Click();
    void EsciClick();

  private:
    std::string AskMaskFile(bool save);
};

// Whether `path` names the working mask of the open archive (letter case aside).
bool IsWorkingMask(const std::string& path);

// The main window's command: stores `commandCode` (1 list mode, 2 page print) and shows the
// dialog modally.
void OpenPrintMask(QWidget* owner, int commandCode);

// The check every run through the working mask makes before it writes anything: when the mask
// is missing or empty, says so in a message box and answers true; the run then writes nothing.
bool SayWhenMaskEmpty();

}  // namespace qv

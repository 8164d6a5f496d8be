#pragma once
#include <QDialog>
#include <string>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Maschera di stampa": views and edits the archive's working print mask "mas-dat.txt", loads
// it from or saves it to a mask file of the user's, and makes it from the card definition.
// CoreState.CommandCode 1 or 2 on opening names the exit button after the list mode or the page
// print. Its answer is what later code finds in CommandCode: the opening value while nothing was
// shown, the viewer's selector after the mask was shown, 0 after the help page.
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
    int Answer() const { return answer_; }

  private:
    std::string AskMaskFile(bool save);
    int answer_ = 0;
};

// Whether `path` names the working mask of the open archive (letter case aside).
bool IsWorkingMask(const std::string& path);

// The main window's command: the exchange with `commandCode` (1 list mode, 2 page print); returns
// the answer, also left in CoreState.CommandCode.
int OpenPrintMask(QWidget* owner, int commandCode);

// The check every run through the working mask makes before it writes anything: when the mask
// is missing or empty, says so in a message box and answers true; the run then writes nothing.
bool SayWhenMaskEmpty();

}  // namespace qv

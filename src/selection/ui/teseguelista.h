#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The status text of a list that needs the alphabetical order and finds none; the list run and
// the merged list say it alike.
constexpr int kNoAlphabeticOrderText = 1905;

// "Esegue la lista": lists the selected cards through the working print mask into "lista.txt"
// with its row file, in card order or in the order index of CoreState.ListOrderField, grouped
// when a group field is chosen; or prints the current card alone into "tabella.txt".
// CommandCode on opening: 4 runs the sequential list at once, 2 prints the current card. The
// answer is 3 when the user asked to see the list.
class TEsegueLista : public QDialog {
    Q_OBJECT
  public:
    explicit TEsegueLista(QWidget* owner);

    QPushButton* Alfabetico = nullptr;
    QPushButton* Sequenziale = nullptr;
    QProgressBar* Barra = nullptr;
    QLineEdit* Status = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QPushButton* ListaTXT = nullptr;

    void FormCreate();
    void SequenzialeClick();
    void AlfabeticoClick();
    void StampaSchedaClick();
    void ListaTXTClick();
    void EsciClick();
    void Help2Click();

    // Set by the single-card print: "Vede Lista.TXT" then shows "tabella.txt".
    bool SingleCard() const { return singleCard_; }
    int Answer() const { return answer_; }

  private:
    bool singleCard_ = false;
    int answer_ = 0;
};

// The main window's command, an exchange: `commandCode` (4 list a search's results, 2 print the
// current card, anything else the plain dialog) in CoreState.CommandCode while the dialog is
// shown, the answer there afterwards (3: open the clickable list).
int OpenListRun(QWidget* owner, int commandCode);

}  // namespace qv

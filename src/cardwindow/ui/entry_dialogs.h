#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Cancella": what to clear on the card in hand; answers a ClearAnswer.
class TCancella : public QDialog {
    Q_OBJECT
  public:
    explicit TCancella(QWidget* owner);

    QPushButton* F8 = nullptr;
    QPushButton* Tutti = nullptr;
    QPushButton* Configura = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void F8Click();
    void TuttiClick();
    void ConfiguraClick();
    void EsciClick();
    void Help2Click();
    void reject() override;
    int Answer() const { return answer_; }

  private:
    void Finish(int answer);
    int answer_ = 0;
};

// "Copia": loads another card's fields into the card in hand, or reloads the card in hand.
// Answers 0 nothing, 1 another card loaded, 2 the card reloaded (the loading leaves the number
// in CoreState.CommandCode).
class TCopia : public QDialog {
    Q_OBJECT
  public:
    explicit TCopia(QWidget* owner);

    QPushButton* Precedente = nullptr;
    QPushButton* num = nullptr;
    QLineEdit* numero = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void PrecedenteClick();
    void numClick();
    void RecuperaClick();
    void EsciClick();
    void Help2Click();
    void reject() override;
    int Answer() const { return answer_; }

  private:
    // Takes the answer the loading left and closes.
    void Finish();
    int answer_ = 0;
};

// "Scheda n.": goes to a card by its number, or to the new card after the last; sets only
// CoreState.CurrentCard.
class TNumeroScheda : public QDialog {
    Q_OBJECT
  public:
    explicit TNumeroScheda(QWidget* owner);

    QLineEdit* Numero = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* FineArchivio = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void OkClick();
    void FineArchivioClick();
    void EsciClick();
    void Help2Click();
};

// The card window's openers: each creates the dialog with `owner`, shows it modally and
// destroys it. The clear and copy dialogs are exchanges: their answer is returned and left in
// CoreState.CommandCode.
int OpenClearDialog(QWidget* owner);
int OpenCopyDialog(QWidget* owner);
void OpenGoToCardDialog(QWidget* owner);

}  // namespace qv

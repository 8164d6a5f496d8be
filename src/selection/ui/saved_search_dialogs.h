#pragma once
#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;
class QWidget;

namespace qv {

// "Salva": keeps the search (selection and statistics, "*.sta"), the conditions ("*.con") or
// the card counts per territory code ("*.tdt") under a name the user chooses. Each outcome
// edit shows "Ok" after its file was written, "???" when the search or the conditions were not
// saved because the name was not given.
class TSalvaRicerca : public QDialog {
    Q_OBJECT
  public:
    explicit TSalvaRicerca(QWidget* owner);

    QPushButton* Ricerca = nullptr;
    QPushButton* Condizioni = nullptr;
    QPushButton* Territorio = nullptr;
    QLineEdit* Ok1 = nullptr;
    QLineEdit* Ok2 = nullptr;
    QLineEdit* Ok3 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void RicercaClick();
    void CondizioniClick();
    void TerritorioClick();
    void EsciClick();
    void Help2Click();

  private:
    // SaveDialog1: the chosen path, empty when cancelled.
    std::string AskSaveName(const std::string& directory, const char* proposed);
};

// "Recupera": brings back a saved search, saved conditions, or a territorial selection
// ("*.tun") as the territory condition. What was in memory is replaced, never merged.
class TApriRicerca : public QDialog {
    Q_OBJECT
  public:
    explicit TApriRicerca(QWidget* owner);

    QPushButton* Ricerca = nullptr;
    QPushButton* Condizioni = nullptr;
    QPushButton* Territorio = nullptr;
    QLineEdit* Ok1 = nullptr;
    QLineEdit* Ok2 = nullptr;
    QLineEdit* Ok3 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void RicercaClick();
    void CondizioniClick();
    void TerritorioClick();
    void EsciClick();
    void Help2Click();

  private:
    // OpenDialog1 in the program directory: the chosen path, empty when cancelled.
    std::string AskOpenName(const char* proposed);
};

// The selection mode's tool buttons: open the dialogs modally with `owner` as their owner.
void OpenSaveSearch(QWidget* owner);
void OpenRecallSearch(QWidget* owner);

}  // namespace qv

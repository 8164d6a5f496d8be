#pragma once
#include <QDialog>
#include <string>

#include "core/ui/widgets_fwd.h"

namespace qv {

// What "Salva" and "Recupera" share: an action for the search, one for the conditions and one
// for the territory, each with the edit `Ok1` to `Ok3` beside it that tells how it went, and the
// exit and help buttons.
class SavedSearchDialog : public QDialog {
    Q_OBJECT
  public:
    QPushButton* Ricerca = nullptr;
    QPushButton* Condizioni = nullptr;
    QPushButton* Territorio = nullptr;
    QLineEdit* Ok1 = nullptr;
    QLineEdit* Ok2 = nullptr;
    QLineEdit* Ok3 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    virtual void RicercaClick() = 0;
    virtual void CondizioniClick() = 0;
    virtual void TerritorioClick() = 0;
    void EsciClick();
    void Help2Click();

  protected:
    // Caption and hint texts of the five buttons, in the order Ricerca, Condizioni, Territorio,
    // Esci, Help2.
    struct ButtonTexts {
        int captions[5];
        int hints[5];
    };
    SavedSearchDialog(QWidget* owner, const char* name, int helpPage);
    // Sets the caption text `title`, builds the controls and connects them.
    void Build(int title, const ButtonTexts& texts);

  private:
    int helpPage_;
};

// "Salva": keeps the search (selection and statistics, "*.sta"), the conditions ("*.con") or
// the card counts per territory code ("*.tdt") under a name the user chooses. Each outcome
// edit shows "Ok" after its file was written, "???" when the search or the conditions were not
// saved because the name was not given.
class TSalvaRicerca : public SavedSearchDialog {
    Q_OBJECT
  public:
    explicit TSalvaRicerca(QWidget* owner);

    void FormCreate();
    void RicercaClick() override;
    void CondizioniClick() override;
    void TerritorioClick() override;

  private:
    // SaveDialog1: the chosen path, empty when cancelled.
    std::string AskSaveName(const std::string& directory, const char* proposed);
};

// "Recupera": brings back a saved search, saved conditions, or a territorial selection
// ("*.tun") as the territory condition. What was in memory is replaced, never merged.
class TApriRicerca : public SavedSearchDialog {
    Q_OBJECT
  public:
    explicit TApriRicerca(QWidget* owner);

    void FormCreate();
    void RicercaClick() override;
    void CondizioniClick() override;
    void TerritorioClick() override;

  private:
    // OpenDialog1 in the program directory: the chosen path, empty when cancelled.
    std::string AskOpenName(const char* proposed);
};

// The selection mode's tool buttons: open the dialogs modally with `owner` as their owner.
void OpenSaveSearch(QWidget* owner);
void OpenRecallSearch(QWidget* owner);

}  // namespace qv

#pragma once
#include <QDialog>
#include <algorithm>
#include <vector>

#include "cardwindow/field_commit.h"
#include "core/ui/widgets_fwd.h"

namespace qv {

// The list of a coded field's categories (field number in CoreState.CommandCode when created):
// pick one, write the list to "mod-list.txt", read a category's help text. Answers the chosen
// category, 0 for none. With `among`, only those categories are listed (a name typed that
// several labels begin with).
class TListaModalita : public QDialog {
    Q_OBJECT
  public:
    explicit TListaModalita(QWidget* owner, std::vector<int> among = {});

    QListWidget* modalita = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Conferma = nullptr;
    QPushButton* FileListaMod = nullptr;
    QPushButton* HelpModalita = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Status = nullptr;

    void FormCreate();
    void modalitaDblClick();
    // `key` is the Windows key code (13 Enter).
    void modalitaKeyDown(int key);
    void ConfermaClick();
    void EsciClick();
    void FileListaModClick();
    void HelpModalitaClick();
    void Help2Click();
    void reject() override;

    int Field() const { return field_; }
    int Answer() const { return answer_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The category of a row of the list; 0 for none.
    int CategoryOfRow(int row) const;

    int field_ = 0;
    int answer_ = 0;
    std::vector<int> among_;
};

// The category choice the card window opens when the text typed into a coded field names no
// category (field number in CoreState.CommandCode): pick a category, add the typed text to the
// list, or put it in place of the highlighted category. Answers like TListaModalita.
class TSceltaModalita : public QDialog {
    Q_OBJECT
  public:
    explicit TSceltaModalita(QWidget* owner);

    QLineEdit* Stringa = nullptr;
    QPushButton* Aggiungere = nullptr;
    QPushButton* Sostituire = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QListWidget* Modalita = nullptr;

    void FormCreate();
    void ModalitaDblClick();
    void ModalitaKeyDown(int key);
    void AggiungereClick();
    void SostituireClick();
    void EsciClick();
    void Help2Click();
    void reject() override;

    int Field() const { return field_; }
    int FirstField() const { return firstField_; }
    int CategoryCount() const { return categoryCount_; }
    // The -10 of a replacement without a highlighted category is no answer either.
    int Answer() const { return std::max(answer_, 0); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int field_ = 0;
    int firstField_ = -1;
    int categoryCount_ = 0;
    int selected_ = -10;
    int answer_ = 0;
};

// The choice among the municipalities a name typed into a municipality field answers to (card
// entry and the search form): each with its province. Answers the chosen code, 0 for none (Esc,
// and the field keeps what it held).
class TSceltaComune : public QDialog {
    Q_OBJECT
  public:
    TSceltaComune(QWidget* owner, std::vector<int> codes);

    QListWidget* Comuni = nullptr;
    QPushButton* Conferma = nullptr;
    QPushButton* Esci = nullptr;

    void FormCreate();
    void ComuniDblClick();
    void ComuniKeyDown(int key);
    void ConfermaClick();
    void EsciClick();

    int Chosen() const { return chosen_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<int> codes_;
    int chosen_ = 0;
};

// The card window's exchanges: the field in CoreState.CommandCode while the dialog is shown, the
// chosen category there afterwards and answered, 0 for none. OpenCategoryPicker fits the
// commit's PickCategory.
int OpenCategoryList(QWidget* owner, int field);
int OpenCategoryChoice(QWidget* owner, int field);
int OpenCategoryPicker(QWidget* owner, CategoryPicker picker, int field);
// The list of just the categories a typed name leaves; fits the commit's PickAmongCategories.
int OpenCategoryAmong(QWidget* owner, int field, const std::vector<int>& categories);
// Fits the commit's PickComune.
int OpenComuneChoice(QWidget* owner, const std::vector<int>& codes);

}  // namespace qv

#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The dialogs of the selection mode that state the condition of one field, and the one that
// clears the statistics marks or every condition. Each choice goes straight into the shared
// search-condition tables; nothing is kept by the dialogs themselves.

// "Modalita' da cercare:": the wanted categories of the category field in CoreState.CommandCode
// (the first field of its answer group). A click on a row turns that category on or off.
class TRicModalita : public QDialog {
    Q_OBJECT
  public:
    explicit TRicModalita(QWidget* owner);

    QListWidget* Modalita = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Attiva = nullptr;
    QPushButton* Cancella = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void ModalitaClick(int row);
    void AttivaClick();
    void CancellaClick();
    void EsciClick();
    void Help2Click();

  private:
    void SetAll(uint8_t flag);
    int field_ = 0;
};

// "Periodo da cercare": the period of the date field CoreState.CurrentField.
class TRicData : public QDialog {
    Q_OBJECT
  public:
    explicit TRicData(QWidget* owner);

    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* data1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* data2 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void Help2Click();
};

// "Intervallo da cercare": the interval of the numeric, time-like or percentage field
// CoreState.CurrentField.
class TRicQuantita : public QDialog {
    Q_OBJECT
  public:
    explicit TRicQuantita(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* q1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* q2 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void Help2Click();
};

// "Azzera": takes the statistics mark off every field, or clears every search condition.
class TAzzeraRicerca : public QDialog {
    Q_OBJECT
  public:
    explicit TAzzeraRicerca(QWidget* owner);

    QPushButton* Statistiche = nullptr;
    QPushButton* Condizioni = nullptr;
    QLineEdit* Ok1 = nullptr;
    QLineEdit* Ok2 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void StatisticheClick();
    void CondizioniClick();
    void EsciClick();
    void Help2Click();
};

// Openers for the card window. The category condition takes the field under the cursor; a
// further answer opens the condition of the field heading its group. The date and interval
// conditions work on CoreState.CurrentField. The category condition's exchange answers the
// field it showed, left in CoreState.CommandCode.
int OpenCategoryCondition(QWidget* owner, int field);
void OpenDateCondition(QWidget* owner);
void OpenQuantityCondition(QWidget* owner);
void OpenClearSearch(QWidget* owner);

// Fills the card window's registry with the three field condition dialogs; the category
// condition takes its field from CoreState.CommandCode.
void RegisterConditionDialogs();

}  // namespace qv

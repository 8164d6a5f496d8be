#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

class QKeyEvent;

namespace qv {

// "Opzioni" of the card-window search: the kind of search (sequential, alphabetical order, any
// field), where it starts (first card, current card) and how it shows what it finds (single
// cards, a list). The exit button (also Esc) stores the choices in CoreState; closing the
// window otherwise stores nothing.
class TRicercaSchede : public QDialog {
    Q_OBJECT
  public:
    explicit TRicercaSchede(QWidget* owner);

    QLabel* Label1 = nullptr;
    QRadioButton* sequenziale = nullptr;
    QRadioButton* Alfabetica = nullptr;
    QRadioButton* qualsiasi = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* sch1 = nullptr;
    QRadioButton* schAttuale = nullptr;
    QLabel* Label3 = nullptr;
    QRadioButton* singole = nullptr;
    QRadioButton* comelista = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void Help2Click();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// RicercaSchClick: the options dialog, modal, with `owner` as its owner.
void OpenSearchOptions(QWidget* owner);

}  // namespace qv

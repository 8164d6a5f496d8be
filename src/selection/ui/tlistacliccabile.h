#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

class QAction;

namespace qv {

// "Lista": the list text one line a row; a click on a row makes the card that wrote it the
// current card and answers 1 (0 otherwise). Its menu prints the whole list.
class TListaCliccabile : public QDialog {
    Q_OBJECT
  public:
    explicit TListaCliccabile(QWidget* owner);

    QMenuBar* Menu = nullptr;
    QAction* Stampa1 = nullptr;
    QAction* Esci1 = nullptr;
    QListWidget* Lista = nullptr;

    void FormCreate();
    void ListaClick();
    void Stampa1Click();
    void Esci1Click();
    static constexpr int kRowChosen = 1;
    int Answer() const { return chosen_ ? kRowChosen : 0; }

  private:
    bool chosen_ = false;
};

// The exchange: creates the list with `owner`, shows it modally with CommandCode 0 and destroys
// it; the answer is left in CommandCode.
int ShowClickableList(QWidget* owner);

}  // namespace qv

#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The grid a replacement is asked for, as the caller stores it in CoreState.CommandCode.
enum GridPass : int {
    kCategoryGridPass = 0,
    kQuantGridPass = 1,
    kQuickGridPass = 2,  // the quick set
};

// Asks before a grid file is replaced. "Si" answers that the grid is to be replaced; "Annulla"
// that it is kept.
class TGrigliaPresente : public QDialog {
    Q_OBJECT
  public:
    explicit TGrigliaPresente(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Si = nullptr;
    QPushButton* Esci = nullptr;

    void SiClick();
    void EsciClick();
    bool Replace() const { return replace_; }
    // "Si" answers kReplaceAnswer; any other way out leaves the grid the caller stored.
    static constexpr int kReplaceAnswer = 333;
    int Answer() const { return replace_ ? kReplaceAnswer : pass_; }

  private:
    int pass_ = 0;
    bool replace_ = false;
};

// Shows TGrigliaPresente for grid `pass`; true when the answer is "Si". CommandCode is 0 after.
bool ConfirmGridReplacement(QWidget* owner, int pass);

}  // namespace qv

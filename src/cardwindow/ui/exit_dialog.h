#pragma once
#include <QDialog>

class QPushButton;

namespace qv {

// The exit confirmation. Its buttons keep their historical swapped names: `Si` stays in the
// program (caption "&No"), `No` leaves it (caption "&Si"). Answer in CoreState.CommandCode.
class TEsciMorvidex : public QDialog {
    Q_OBJECT
  public:
    explicit TEsciMorvidex(QWidget* owner);

    QPushButton* Si = nullptr;
    QPushButton* No = nullptr;

    void SiClick();
    void NoClick();
};

}  // namespace qv

#pragma once
#include <QDialog>
#include <array>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The information menu's box: the program's name and lines (texts 332 to 337), an exit button
// and a help button for help page 30.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* owner);

    std::array<QLabel*, 5> Lines{};
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void EsciClick();
    void Help2Click();
};

}  // namespace qv

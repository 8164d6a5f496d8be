#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The total export: every card into "ascii.txt" and the record layout into "rec-trac.txt",
// at fixed widths or separated by tabs. Reads the archive only.
class TOutTot : public QDialog {
    Q_OBJECT
  public:
    explicit TOutTot(QWidget* owner);

    QLabel* Label1 = nullptr;
    QCheckBox* tabulatori = nullptr;
    QPushButton* Esegui = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;

    void FormCreate();
    void EseguiClick();
    void EsciClick();
    void Help2Click();
};

// Main menu item 12.
void OpenTotalExport(QWidget* owner);

}  // namespace qv

#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The notice shown instead of an elaboration whose grid is missing. By
// CoreState.ElaborationMode (1 standard, 2 quick) it ticks the grids that do not open; the
// check boxes only inform.
class TNoGriglia : public QDialog {
    Q_OBJECT
  public:
    explicit TNoGriglia(QWidget* owner);

    QCheckBox* Dicotomiche = nullptr;
    QCheckBox* Quantitativa = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void Help2Click();
};

// Creates the notice with `owner`, shows it modally and destroys it.
void ShowMissingGridNotice(QWidget* owner);

// Whether a file of the archive opens (the presence tests of the grids).
bool FileOpens(int fileId);

}  // namespace qv

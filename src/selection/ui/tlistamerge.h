#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Merge di Liste": one list over the selected cards of several archives. "Primo" starts a
// series with the open archive, "Successivo" adds the open archive to it (the user changes
// archive in between), "Unisce" joins the series by group key into the open archive's
// "mrg-list.txt", "Visualizza" shows it.
class TListaMerge : public QDialog {
    Q_OBJECT
  public:
    explicit TListaMerge(QWidget* owner);

    QCheckBox* Alfabeticamente = nullptr;
    QPushButton* Primo = nullptr;
    QPushButton* Successivo = nullptr;
    QPushButton* Unisce = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;
    QLineEdit* Status = nullptr;

    void FormCreate();
    void PrimoClick();
    void SuccessivoClick();
    void UnisceClick();
    void EsegueMergeClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void Pass(bool first);
};

// The card window's command: the dialog with `owner`, shown modally and destroyed.
void OpenMergedListDialog(QWidget* owner);

}  // namespace qv

#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Recoding of the categories of the field under the cursor (CoreState.CurrentField): Crea
// writes the base text "ricod.txt", Lista opens it for editing, Esegue recodes the archive and
// closes the dialog.
class TRicodifica : public QDialog {
    Q_OBJECT
  public:
    explicit TRicodifica(QWidget* owner);

    QPushButton* Crea = nullptr;
    QPushButton* Lista = nullptr;
    QPushButton* Esegue = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;
    QLabel* Status = nullptr;

    void FormCreate();
    void CreaClick();
    void ListaClick();
    void EsegueClick();
    void EsciClick();
    void Help2Click();
};

// Card window, tool button b5 in the mode that marks fields for ordering: the caller opens it
// on a field that is not a text field, with the write password given.
void OpenRecoding(QWidget* owner);

}  // namespace qv

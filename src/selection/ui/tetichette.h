#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Etichette": lays the list text out as labels side by side into "etichett.txt". The rows of
// a label are always the working mask's lines; columns and width are typed and kept in
// CoreState.LabelColumns and CoreState.LabelWidth.
class TEtichette : public QDialog {
    Q_OBJECT
  public:
    explicit TEtichette(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* nRighe = nullptr;
    QLineEdit* nCol = nullptr;
    QLineEdit* nCar = nullptr;
    QPushButton* Crea = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QLineEdit* Status = nullptr;

    void FormCreate();
    void CreaClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();

  private:
    void StoreTypedSettings();
};

// Creates the dialog with `owner`, shows it modally and destroys it.
void ShowLabelsDialog(QWidget* owner);

}  // namespace qv

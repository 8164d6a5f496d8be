#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The grid editor: creates the archive's category grid with its headings and the quantitative
// grid from the card definition, opens them in the text viewer, renumbers the heading blocks
// and checks the category grid.
class TGriglie : public QDialog {
    Q_OBJECT
  public:
    explicit TGriglie(QWidget* owner);

    QLabel* Label1 = nullptr;
    QPushButton* CreaGrl = nullptr;
    QPushButton* VisualizzaGrl = nullptr;
    QPushButton* Diagnostica = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* VisualizzaInt = nullptr;
    QPushButton* Rinumera = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* CreaGRQ = nullptr;
    QPushButton* VisualizzaGRQ = nullptr;
    QLineEdit* Status = nullptr;
    QLineEdit* Status2 = nullptr;
    QPushButton* SalvaGrl = nullptr;  // never shown
    QPushButton* Recupera = nullptr;  // never shown
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void CreaGrlClick();
    void CreaGRQClick();
    void VisualizzaGrlClick();
    void VisualizzaIntClick();
    void VisualizzaGRQClick();
    void RinumeraClick();
    void DiagnosticaClick();
    void Button1Click();
    void SalvaGrlClick();
    void RecuperaClick();
    void EsciClick();
    void Help2Click();
};

void OpenGridEditor(QWidget* owner);

}  // namespace qv
